// THE macro table: every macro the module answers, and the names it offers to the host. The
// only file that includes every handler. A row's name is matched exactly (one prefix row,
// "FN", answers every stored script); a row without a handler is a name recognised and not
// answered yet. Rows stand in the order the host lists the names; the rows the host is not
// offered come last. Every row whose name matches runs, in table order: STATCOUNT and
// ZVXNUMTOSTRA have two rows each, and both of their handlers store.
#include "functions/chain.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "functions/counters/counters_macros.h"
#include "functions/counters/stat_query.h"
#include "functions/dates/date_macros.h"
#include "functions/dates/delivery_macros.h"
#include "functions/encoding/encoding_macros.h"
#include "functions/files/files_macros.h"
#include "functions/files/path_arguments.h"
#include "functions/identity/identity_macros.h"
#include "functions/letters/letters_macros.h"
#include "functions/message/message_macros.h"
#include "functions/network/network_macros.h"
#include "functions/network/sms_prompt.h"
#include "functions/numerals/numerals_macros.h"
#include "functions/playcount/playcount_macros.h"
#include "functions/players/players_macros.h"
#include "functions/scripts/scripts_macros.h"
#include "functions/sensors/sensors_macros.h"
#include "functions/splitting/splitting_macros.h"
#include "functions/system/system_macros.h"
#include "functions/text/text_macros.h"
#include "functions/text/transform_macros.h"
#include "macros/engine_macros.h"

namespace qbx::functions {
namespace {

using macros::ChainEntry;

constexpr ChainEntry offered(std::string_view name, macros::Branch branch = nullptr) {
    return ChainEntry{name, false, branch, true};
}

constexpr ChainEntry hidden(std::string_view name, macros::Branch branch = nullptr) {
    return ChainEntry{name, false, branch, false};
}

constexpr ChainEntry prefixHidden(std::string_view name, macros::Branch branch = nullptr) {
    return ChainEntry{name, true, branch, false};
}

constexpr ChainEntry kTable[] = {
    offered("ZVX", identity::zvx),
    offered("ZVXVER", identity::zvxVer),
    offered("ZVXTIME", dates::zvxTime),
    offered("ZVXDRVFREE", files::zvxDrvFree),
    offered("ZVXTRANSLIT", letters::zvxTranslit),
    offered("ZVXTRANSLIT2", letters::zvxTranslit2),
    offered("ZVXREPLACECHAR", text::zvxReplaceChar),
    offered("ZVXMKLINK", text::zvxMkLink),
    offered("ZVXXOR", encoding::zvxXor),
    offered("ZVXCPUSPEED", system::zvxCpuSpeed),
    offered("ZVXMEMLOAD", system::zvxMemLoad),
    offered("ZVXTICKCOUNT", system::zvxTickCount),
    offered("ZVXMEMTVIRT", system::zvxMemTVirt),
    offered("ZVXMEMAVIRT", system::zvxMemAVirt),
    offered("ZVXMEMTPAGE", system::zvxMemTPage),
    offered("ZVXMEMAPAGE", system::zvxMemAPage),
    offered("ZVXMEMTPHYS", system::zvxMemTPhys),
    offered("ZVXMEMAPHYS", system::zvxMemAPhys),
    offered("ZVXUSERNAME", system::zvxUserName),
    offered("ZVXCOMPNAME", system::zvxCompName),
    offered("ZVXBATT", system::zvxBatt),
    offered("ZVXBATTSECLEFT", system::zvxBattSecLeft),
    offered("ZVXCNT", text::zvxCnt),
    offered("ZVXSE", dates::zvxSe),
    offered("ZVXSTARTUPINFO", system::zvxStartupInfo),
    offered("ZVXMOUSEINFO", system::zvxMouseInfo),
    offered("ZVXDRVLIST", system::zvxDrvList),
    offered("ZVXDRVSIZE", files::zvxDrvSize),
    offered("ZVXKBD", system::zvxKbd),
    offered("ZVXPRN", system::zvxPrn),
    offered("ZVXMOUSEPOS", system::zvxMousePos),
    offered("ZVXTIMELEFT", dates::zvxTimeLeft),
    offered("ZVXCPUNAME", system::zvxCpuName),
    offered("ZVXCPUNAMEL", system::zvxCpuNameL),
    offered("ZVXCPUVENDOR", system::zvxCpuVendor),
    offered("ZVXDAYSFROM", dates::zvxDaysFrom),
    offered("ZVXHOURSFROM", dates::zvxHoursFrom),
    offered("ZVXMINSFROM", dates::zvxMinsFrom),
    offered("ZVXFILL", text::zvxFill),
    offered("ZVXCUTON", text::zvxCutOn),
    offered("ZVXCUTFROMTO", text::zvxCutFromTo),
    offered("ZVXVOLNAME", files::pathsFromTemplate<files::zvxVolName>),
    offered("ZVXVOLSNUM", files::pathsFromTemplate<files::zvxVolSNum>),
    offered("ZVXVOLFS", files::pathsFromTemplate<files::zvxVolFs>),
    offered("ZVXGETIP", network::zvxGetIp),
    offered("ZVXBIOSNAME", system::zvxBiosName),
    offered("ZVXBIOSCOPY", system::zvxBiosCopy),
    offered("ZVXBIOSINFO", system::zvxBiosInfo),
    offered("ZVXBIOSDATE", system::zvxBiosDate),
    offered("ZVXPROCLIST", system::zvxProcList),
    offered("ZVXTASKLIST", system::zvxTaskList),
    offered("ZVXWINVER", system::zvxWinVer),
    offered("ZVXRCASE", letters::zvxRCase),
    offered("ZVXSTRINGS", text::zvxStrings),
    offered("ZVXREPLACE", text::zvxReplace),
    offered("ZVXCITE", text::zvxCite),
    offered("ZVXDELIVERYTIME", dates::zvxDeliveryTime),
    offered("ZVXREPLYTIME", dates::zvxReplyTime),
    offered("ZVXGETHEADER", message::zvxGetHeader),
    offered("ZVXREVERSE", text::zvxReverse),
    offered("ZVXCPUTICKS", system::zvxCpuTicks),
    offered("ZVXGETLINKS", text::zvxGetLinks),
    offered("ZVXPS", text::zvxPs),
    offered("ZVXKILLCITE", text::zvxKillCite),
    offered("ZVXCUTHERE", text::zvxCutHere),
    offered("ZVXGP", files::zvxGp),
    offered("ZVXFILESCOUNT", files::pathsFromTemplate<files::zvxFilesCount>),
    offered("ZVXFILESLIST", files::pathsFromTemplate<files::zvxFilesList>),
    offered("ZVXFILESSIZE", files::pathsFromTemplate<files::zvxFilesSize>),
    offered("ZVXSVER", identity::zvxSver),
    offered("ZVXMKPLAIN", text::zvxMkPlain),
    offered("ZVXDELIVTIME", dates::zvxDelivTime),
    offered("ZVXSERVLIST", message::zvxServList),
    offered("ZVXDELIVERYFROMDATE", dates::zvxDeliveryFromDate),
    offered("ZVXDELIVERYFROMSERVER", message::zvxDeliveryFromServer),
    offered("ZVXDELIVERYFROMIP", message::zvxDeliveryFromIp),
    offered("ZVXDELIVERYTODATE", dates::zvxDeliveryToDate),
    offered("ZVXKILLEMPTYSTR", text::zvxKillEmptyStr),
    offered("ZVXIZVRAT", letters::zvxIzvrat),
    offered("ZVXSECSTOSTRRUS", numerals::zvxSecsToStrRus),
    offered("ZVXBYTESTOSTRRUS", numerals::zvxBytesToStrRus),
    offered("ZVXDAYSLEFT", dates::zvxDaysLeft),
    offered("ZVXNUMTOSTRA", numerals::zvxNumToStrOrdinalTwoGenders),
    offered("ZVXNUMTOSTR", numerals::zvxNumToStr),
    offered("ZVXREPLACENUM", numerals::zvxReplaceNum),
    offered("ZVXENCRYPT", letters::zvxEncrypt),
    offered("ZVXDECRYPT", letters::zvxDecrypt),
    offered("ZVXDECODESTR", text::zvxDecodeStr),
    offered("ZVXCRC32", encoding::zvxCrc32),
    offered("ZVXCRC16", encoding::zvxCrc16),
    offered("ZVXMD5", encoding::zvxMd5),
    offered("ZVXMOUSESPEED", system::zvxMouseSpeed),
    offered("ZVXMOUSEWAY", system::zvxMouseWay),
    offered("ZVXSCREENRRATE", system::zvxScreenRRate),
    offered("ZVXSCREENDEPTH", system::zvxScreenDepth),
    offered("ZVXSCREENRES", system::zvxScreenRes),
    offered("ZVXSTRTRIM", text::zvxStrTrim),
    offered("ZVXRND", text::zvxRnd),
    offered("ZVXGETSTR", files::pathsFromTemplate<text::zvxGetStr>),
    offered("ZVXDAYPROGRESS", dates::zvxDayProgress),
    offered("ZVXCHARSET", message::zvxCharset),
    offered("ZVXMAILER", message::zvxMailer),
    offered("ZVXTZ", system::zvxTz),
    offered("ZVXTZBIAS", system::zvxTzBias),
    offered("ZVXTEST", identity::zvxTest),
    offered("ZVXWOY", dates::zvxWoy),
    offered("ZVXDOY", dates::zvxDoy),
    offered("ZVXHOM", dates::zvxHom),
    offered("ZVXVOLUME", system::zvxVolume),
    offered("ZVXHOW", dates::zvxHow),
    offered("ZVXHOY", dates::zvxHoy),
    offered("ZVXREPLACEREGEXP", text::zvxReplaceRegExp),
    offered("ZVXGREP", text::zvxGrep),
    offered("ZVXFVER", files::pathsFromTemplate<files::zvxFVer>),
    offered("ZVXREGREAD", files::pathsFromTemplate<files::zvxRegRead>),
    offered("ZVXEV", macros::engine::zvxEv),
    offered("ZVXEVAL", macros::engine::zvxEval),
    offered("ZVXVAR", macros::engine::zvxVar),
    offered("ZVXSET", macros::engine::zvxSet),
    offered("ZVXINC", macros::engine::zvxInc),
    offered("ZVXFOR", macros::engine::zvxFor),
    offered("ZVXIP", network::zvxIp),
    offered("ZVXLOCALIP", network::zvxLocalIp),
    offered("ZVXLOCALIPLIST", network::zvxLocalIpList),
    offered("ZVXSPLIT", splitting::zvxSplit),
    offered("ZVXGETSMS", network::zvxGetSms),
    offered("ZVXPUTUUE", files::pathsFromTemplate<encoding::zvxPutUue>),
    offered("STAT", counters::stat),
    offered("STATCOUNT", counters::statCount),
    offered("STATTIME", counters::statTime),
    offered("STATTIMES", counters::statTimes),
    offered("NPTOP", playcount::npTop),
    offered("ZVXATTCOUNT", message::zvxAttCount),
    offered("ZVXCASE", macros::engine::zvxCase),
    offered("ZVXIF", macros::engine::zvxIf),
    offered("EJS", scripts::macroEjs),
    offered("EVS", scripts::macroEvs),
    offered("EPS", scripts::macroEps),
    offered("ZVXSTRCMP", text::zvxStrCmp),
    offered("ZVXSTRIN", text::zvxStrIn),
    offered("ZVXSELECT", text::zvxSelect),
    offered("ZVXDAYSTO", dates::zvxDaysTo),
    offered("ZVXSETINIINT", files::pathsFromTemplate<files::zvxSetIniInt>),
    offered("ZVXGETINIINT", files::pathsFromTemplate<files::zvxGetIniInt>),
    offered("ZVXINCINIINT", files::pathsFromTemplate<files::zvxIncIniInt>),
    offered("ZVXSETINISTR", files::pathsFromTemplate<files::zvxSetIniStr>),
    offered("ZVXGETINISTR", files::pathsFromTemplate<files::zvxGetIniStr>),
    offered("ZVXDATESHIFT", dates::zvxDateShift),
    offered("ZVXSEPARATOR", text::zvxSeparator),
    offered("ZVXONLINETIME", network::zvxOnlineTime),
    offered("ZVXIFONLINE", network::zvxIfOnline),
    offered("ZVXDIALUPNAME", network::zvxDialUpName),
    offered("ZVXEXTRACTSTR", text::zvxExtractStr),
    offered("ZVXSYMCNT", text::zvxSymCnt),
    offered("ZVXLINCNT", text::zvxLinCnt),
    offered("ZVXINETTIME", dates::zvxInetTime),
    offered("ZVXWRAP", text::zvxWrap),
    offered("ZVXBRIEF", system::zvxBrief),
    offered("ZVXLASTLOG", files::zvxLastLog),
    offered("STATSTARTCOUNT", counters::statStartCount),
    offered("STATENDCOUNT", counters::statEndCount),
    offered("STATSESSIONTIME", counters::statSessionTime),
    offered("STATSESSIONTOTALTIME", counters::statSessionTotalTime),
    offered("STATS", counters::statS),
    offered("STATMS", counters::statMs),
    offered("STATSESSIONMEANTIME", counters::statSessionMeanTime),
    offered("STATTRAFFIC", counters::statTraffic),
    offered("MBMSENSORNAME", sensors::mbmSensorName),
    offered("MBMSENSORVAL", sensors::mbmSensorVal),
    offered("WAVER", players::waVer),
    offered("WASTATUS", players::waStatus),
    offered("WAPOS", players::waPos),
    offered("WAPLLEN", players::waPlLen),
    offered("WAPLPOS", players::waPlPos),
    offered("WABITRATE", players::waBitRate),
    offered("WARATE", players::waRate),
    offered("WACH", players::waCh),
    offered("WANP", players::waNp),
    offered("WAEQ", players::waEq),
    offered("WAIF", players::waIf),
    offered("NP", players::np),
    offered("NPIF", players::npIf),
    offered("NPP", players::npp),
    offered("S", scripts::macroS),
    offered("FBIF", players::fbIf),
    offered("FBNP", players::fbNp),
    offered("1B1IF", players::oneByOneIf),
    offered("1B1NP", players::oneByOneNp),
    offered("1B1TIME", players::oneByOneTime),
    offered("STPIF", players::stpIf),
    offered("STPNP", players::stpNp),
    offered("APIF", players::apIf),
    offered("APNP", players::apNp),
    offered("QCDIF", players::qcdIf),
    offered("QCDNP", players::qcdNp),
    offered("QCDPLPOS", players::qcdPlPos),
    offered("QCDTIME", players::qcdTime),
    // Answered but not offered; the second entries of the two names the chain holds twice.
    prefixHidden("FN", scripts::macroFn),
    hidden("STATCOUNT", counters::statCount),
    hidden("ZVXRAWSOURCE", message::zvxRawSource),
    hidden("ZVXDELIVERYTIMEBOX", dates::zvxDeliveryTimeBox),
    hidden("ZVXNUMTOSTRA", numerals::zvxNumToStrOrdinal),
    hidden("ZVXTEMPPATH", files::zvxTempPath),
    hidden("ZVX_CPU", system::zvxCpuField),
};

constexpr std::size_t kRows = 204;
constexpr std::size_t kOffered = 197;
static_assert(std::size(kTable) == kRows, "the table has 204 rows");

constexpr bool isUpperCase(std::string_view name) {
    for (char c : name)
        if (c >= 'a' && c <= 'z') return false;
    return !name.empty();
}

constexpr bool wellFormed() {
    std::size_t prefixes = 0;
    std::size_t repeats = 0;
    std::size_t offers = 0;
    bool offeredFirst = true;
    for (std::size_t i = 0; i < std::size(kTable); ++i) {
        if (!isUpperCase(kTable[i].name)) return false;
        if (kTable[i].prefix) ++prefixes;
        if (kTable[i].offered) {
            ++offers;
            if (i >= kOffered) offeredFirst = false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (kTable[j].name != kTable[i].name) continue;
            ++repeats;
            if (kTable[i].offered) return false;  // a name is offered once
        }
    }
    return prefixes == 1 && repeats == 2 && offers == kOffered && offeredFirst;
}
static_assert(wellFormed(),
              "upper-case names, one prefix row, exactly two twins, 197 names offered first");

constexpr std::array<std::string_view, kOffered> offeredNames() {
    std::array<std::string_view, kOffered> names{};
    for (std::size_t i = 0; i < kOffered; ++i) names[i] = kTable[i].name;
    return names;
}

constexpr std::array<std::string_view, kOffered> kOfferedNames = offeredNames();

}  // namespace

std::span<const macros::ChainEntry> macroTable() { return kTable; }

std::span<const std::string_view> offeredMacroNames() { return kOfferedNames; }

}  // namespace qbx::functions
