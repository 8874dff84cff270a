// The dispatcher's chain: every entry in the order the calls are tested. A null branch is a
// feature not built yet: its name is recognised and answers nothing.
#include <array>
#include <cstddef>

#include "functions/header_macros.h"
#include "functions/letter_macros.h"
#include "macros/dispatcher.h"
#include "macros/engine_macros.h"
#include "macros/own_macros.h"
#include "scripting/script_macros.h"

namespace qbx::macros {
namespace {

constexpr ChainEntry exact(std::string_view name, Branch branch = nullptr) {
    return ChainEntry{name, false, branch};
}

constexpr ChainEntry prefix(std::string_view name, Branch branch = nullptr) {
    return ChainEntry{name, true, branch};
}

constexpr ChainEntry kChain[] = {
    // Scripts.
    exact("EJS", scripting::macroEjs), exact("EVS", scripting::macroEvs),
    exact("EPS", scripting::macroEps), prefix("FN", scripting::macroFn),
    exact("S", scripting::macroS),
    // Hashes.
    exact("ZVXMD5", own::zvxMd5), exact("ZVXCRC32", own::zvxCrc32),
    exact("ZVXCRC16", own::zvxCrc16),
    exact("ZVXDECODESTR"), exact("ZVXEXTRACTSTR"),
    exact("ZVXBRIEF"),
    exact("ZVXLASTLOG"),
    exact("ZVXINETTIME"),
    exact("ZVXSYMCNT"), exact("ZVXLINCNT"),
    exact("ZVXATTCOUNT", own::zvxAttCount),
    exact("ZVXDATESHIFT"), exact("ZVXDAYSTO"),
    exact("ZVXGETINIINT"), exact("ZVXSETINIINT"), exact("ZVXGETINISTR"), exact("ZVXSETINISTR"),
    exact("ZVXINCINIINT"),
    exact("ZVXIFONLINE"), exact("ZVXONLINETIME"),
    exact("ZVXDELIVTIME"),
    exact("ZVXREGREAD"),
    exact("ZVXCNT"),
    exact("MBMSENSORNAME"), exact("MBMSENSORVAL"),
    // Variables, expressions, conditions and the loop.
    exact("ZVXVAR", engine::zvxVar), exact("ZVXSET", engine::zvxSet),
    exact("ZVXINC", engine::zvxInc),
    exact("ZVXEVAL", engine::zvxEval), exact("ZVXEV", engine::zvxEv),
    exact("ZVXCASE", engine::zvxCase),
    exact("ZVXWRAP"),
    exact("ZVXIF", engine::zvxIf),
    exact("ZVXFOR", engine::zvxFor),
    exact("STAT"),
    // Statistics counters; STATCOUNT is here twice and both entries answer.
    exact("STATCOUNT", own::statCount), exact("STATTIMES", own::statTimes),
    exact("STATTIME", own::statTime), exact("STATTRAFFIC", own::statTraffic),
    exact("STATS", own::statS), exact("STATMS", own::statMs),
    exact("STATCOUNT", own::statCount), exact("STATSESSIONTOTALTIME", own::statSessionTotalTime),
    exact("STATSESSIONTIME", own::statSessionTime),
    exact("STATSTARTCOUNT", own::statStartCount), exact("STATENDCOUNT", own::statEndCount),
    exact("ZVXDECRYPT"), exact("ZVXENCRYPT"),
    exact("STATSESSIONMEANTIME", own::statSessionMeanTime),
    // Media players and the play-count list.
    exact("WAIF"), exact("APIF"),
    exact("NPTOP"),
    exact("NPP"), exact("NP"), exact("NPIF"), exact("FBIF"), exact("STPIF"), exact("QCDIF"),
    exact("1B1IF"), exact("WAVER"), exact("WACH"), exact("WANP"), exact("FBNP"), exact("STPNP"),
    exact("APNP"), exact("QCDNP"), exact("QCDPLPOS"), exact("QCDTIME"), exact("1B1NP"),
    exact("1B1TIME"), exact("WAEQ"), exact("WARATE"), exact("WABITRATE"), exact("WAPLPOS"),
    exact("WAPLLEN"), exact("WAPOS"), exact("WASTATUS"),
    exact("ZVXGP"),
    exact("ZVX", own::zvx),
    exact("ZVXWOY"),
    exact("ZVXVOLUME"),
    exact("ZVXDOY"), exact("ZVXHOM"), exact("ZVXHOW"), exact("ZVXHOY"),
    exact("ZVXBYTESTOSTRRUS"),
    exact("ZVXSVER", own::zvxSver),
    exact("ZVXSEPARATOR"),
    exact("ZVXVER", own::zvxVer), exact("ZVXCUTHERE", own::zvxCutHere),
    exact("ZVXCHARSET", functions::zvxCharset), exact("ZVXMAILER", functions::zvxMailer),
    exact("ZVXRAWSOURCE", own::zvxRawSource),
    exact("ZVXGETHEADER", functions::zvxGetHeader),
    exact("ZVXDAYPROGRESS"),
    exact("ZVXDELIVERYFROMDATE"),
    exact("ZVXSERVLIST", functions::zvxServList),
    exact("ZVXGETSMS"),
    exact("ZVXDELIVERYFROMIP", functions::zvxDeliveryFromIp),
    exact("ZVXDELIVERYFROMSERVER", functions::zvxDeliveryFromServer),
    exact("ZVXDELIVERYTODATE"), exact("ZVXDELIVERYTIME"), exact("ZVXDELIVERYTIMEBOX"),
    exact("ZVXREPLYTIME"),
    // ZVXNUMTOSTRA is here and again below: the second entry's numeral is stored last.
    exact("ZVXREPLACENUM"), exact("ZVXNUMTOSTRA"), exact("ZVXNUMTOSTR"),
    exact("ZVXSTARTUPINFO"),
    exact("ZVXSTRCMP", own::zvxStrCmp), exact("ZVXSTRIN", own::zvxStrIn),
    exact("ZVXSELECT", own::zvxSelect),
    exact("ZVXNUMTOSTRA"),
    // System and hardware.
    exact("ZVXMOUSEINFO"), exact("ZVXMOUSEPOS"), exact("ZVXMOUSEWAY"), exact("ZVXMOUSESPEED"),
    exact("ZVXKBD"), exact("ZVXPRN"), exact("ZVXDRVLIST"), exact("ZVXPROCLIST"),
    exact("ZVXTASKLIST"), exact("ZVXSCREENRES"), exact("ZVXCPUSPEED"), exact("ZVXCOMPNAME"),
    exact("ZVXBATTSECLEFT"), exact("ZVXWINVER"), exact("ZVXBATT"), exact("ZVXUSERNAME"),
    exact("ZVXMEMLOAD"), exact("ZVXMEMTPHYS"), exact("ZVXMEMAPHYS"), exact("ZVXMEMTPAGE"),
    exact("ZVXMEMAPAGE"), exact("ZVXMEMTVIRT"), exact("ZVXMEMAVIRT"), exact("ZVXCPUTICKS"),
    exact("ZVXTICKCOUNT"), exact("ZVXCPUNAME"), exact("ZVXCPUVENDOR"), exact("ZVXCPUNAMEL"),
    exact("ZVXIP"), exact("ZVXLOCALIP"), exact("ZVXLOCALIPLIST"),
    exact("ZVXTEMPPATH"),
    exact("ZVXTIME"),
    exact("ZVXSECSTOSTRRUS"),
    exact("ZVXDAYSFROM"), exact("ZVXHOURSFROM"), exact("ZVXMINSFROM"), exact("ZVXSE"),
    exact("ZVXDRVFREE"), exact("ZVXDRVSIZE"),
    exact("ZVXTIMELEFT"), exact("ZVXDAYSLEFT"),
    exact("ZVXVOLNAME"), exact("ZVXVOLSNUM"),
    exact("ZVXKILLEMPTYSTR"), exact("ZVXGETSTR"), exact("ZVXSTRTRIM"), exact("ZVXMKPLAIN"),
    exact("ZVXRND", own::zvxRnd),
    exact("ZVXVOLFS"),
    exact("ZVXGETIP"),
    exact("ZVXRCASE", functions::zvxRCase),
    exact("ZVXBIOSNAME"), exact("ZVXBIOSCOPY"), exact("ZVXBIOSINFO"), exact("ZVXBIOSDATE"),
    exact("ZVXIZVRAT", functions::zvxIzvrat),
    exact("ZVXPUTUUE"),
    exact("ZVXFILL"),
    exact("ZVXFVER"),
    exact("ZVXSTRINGS", own::zvxStrings),
    exact("ZVXFILESSIZE"),
    exact("ZVXSPLIT"),
    exact("ZVXFILESCOUNT"), exact("ZVXFILESLIST"),
    exact("ZVXREPLACEREGEXP"), exact("ZVXGREP"),
    exact("ZVXDIALUPNAME"),
    exact("ZVXREPLACE", own::zvxReplace),
    exact("ZVXCITE"), exact("ZVXPS"), exact("ZVXKILLCITE"), exact("ZVXGETLINKS"),
    exact("ZVXREVERSE"),
    exact("ZVXSCREENDEPTH"), exact("ZVXSCREENRRATE"),
    exact("ZVXCUTFROMTO", own::zvxCutFromTo), exact("ZVXCUTON", own::zvxCutOn),
    exact("ZVXMKLINK"),
    exact("ZVX_CPU"),
    exact("ZVXXOR", own::zvxXor),
    exact("ZVXTZ"), exact("ZVXTZBIAS"),
    exact("ZVXREPLACECHAR"),
    exact("ZVXTRANSLIT", functions::zvxTranslit), exact("ZVXTRANSLIT2", functions::zvxTranslit2),
};

constexpr std::size_t kChainLength = 203;
static_assert(std::size(kChain) == kChainLength, "the chain has 203 entries");

constexpr bool isUpperCase(std::string_view name) {
    for (char c : name)
        if (c >= 'a' && c <= 'z') return false;
    return !name.empty();
}

constexpr bool wellFormed() {
    std::size_t prefixes = 0;
    std::size_t repeats = 0;
    for (std::size_t i = 0; i < std::size(kChain); ++i) {
        if (!isUpperCase(kChain[i].name)) return false;
        if (kChain[i].prefix) ++prefixes;
        for (std::size_t j = 0; j < i; ++j)
            if (kChain[j].name == kChain[i].name) ++repeats;
    }
    return prefixes == 1 && repeats == 2;  // one prefix entry; two twins
}
static_assert(wellFormed(), "upper-case names, one prefix entry, exactly two twins");

}  // namespace

std::span<const ChainEntry> chain() {
    return kChain;
}

bool entryMatches(const ChainEntry& entry, std::string_view upperName) {
    return entry.prefix ? upperName.starts_with(entry.name) : upperName == entry.name;
}

}  // namespace qbx::macros
