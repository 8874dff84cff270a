#include "scripting/bat_utils_table.h"

#include <exception>

#include "core/plugin.h"
#include "macros/arguments.h"
#include "macros/message_text.h"

namespace qbx::scripting {
namespace {

constexpr int kUndefinedText = 402;  // "<Undefined>"

std::string readItem(Plugin& plugin, ITBPDataProvider* container, std::int32_t index) {
    if (container == nullptr) return plugin.strings[kUndefinedText];
    try {
        return macros::getParamText(container, index);
    } catch (const std::exception&) {
        return plugin.strings[kUndefinedText];
    }
}

}  // namespace

// The host's item identifiers. Gaps (28, 74..78, 253) are the host's; tpxTracking and
// tpxQuoteStyle share their values with tpxTotalPages and tpxCurrentPage.
const std::array<ScriptConstant, kBatUtilsConstantCount> kBatUtilsConstants{{
    {"midxSubject", 1},
    {"midxDate", 2},
    {"midxComment", 3},
    {"midxInReplyTo", 4},
    {"midxMessageID", 5},
    {"midxNewsgroups", 6},
    {"midxMailer", 7},
    {"midxContentType", 8},
    {"midxContentSubType", 9},
    {"midxExpireDate", 10},
    {"midxOrganization", 11},
    {"midxContentID", 12},
    {"midxContentMD5", 13},
    {"midxPriority", 14},
    {"midxImportance", 15},
    {"midxContentLocation", 16},
    {"midxEncoding", 17},
    {"midxCharset", 18},
    {"midxBoundary", 19},
    {"midxMsgEncoding", 20},
    {"midxC_Name", 21},
    {"midxCD_Name", 22},
    {"midxReportType", 23},
    {"midxReferences", 24},
    {"midxC_Description", 25},
    {"midxContentDisposition", 26},
    {"midxContentLanguage", 27},
    {"midxC_ID", 29},
    {"midxC_AccessType", 30},
    {"midxC_Expiration", 31},
    {"midxC_Size", 32},
    {"midxC_Permission", 33},
    {"midxC_Site", 34},
    {"midxC_Directory", 35},
    {"midxC_Mode", 36},
    {"midxC_Server", 37},
    {"midxC_Subject", 38},
    {"midx_Files", 39},
    {"midx_Msgs", 40},
    {"midxReturnPath", 41},
    {"midxFromName", 42},
    {"midxFromAddr", 43},
    {"midxReplyName", 44},
    {"midxReplyAddr", 45},
    {"midxToName", 46},
    {"midxToAddr", 47},
    {"midxServerID", 48},
    {"midxRRC", 49},
    {"midxRRQ", 50},
    {"midxFileSubst", 51},
    {"midxC_Number", 52},
    {"midxC_Total", 53},
    {"midxXCFile", 54},
    {"midxMDN_To", 55},
    {"midxMDN_Options", 56},
    {"midxRefList", 57},
    {"midxC_MICAlg", 58},
    {"midxC_SMIMEType", 59},
    {"midxC_Protocol", 60},
    {"midxC_ProtocolType", 61},
    {"midxC_ProtocolSubType", 62},
    {"midxMatter", 63},
    {"midxListHelp", 64},
    {"midxListUnsub", 65},
    {"midxListSub", 66},
    {"midxListPost", 67},
    {"midxListOwner", 68},
    {"midxListArchive", 69},
    {"midxDecodedFrom", 70},
    {"midxDecodedTo", 71},
    {"midxDecodedSubj", 72},
    {"midxDecodedToEtc", 73},
    {"midxSender", 79},
    {"mpidMessageHeader", 100000},
    {"mpidMessageBody", 100001},
    {"mpidMessageAttachments", 100002},
    {"mpidMessageSender", 100003},
    {"mpidMessageSubject", 100004},
    {"mpidRawMessage", 100005},
    {"tpxQuotePrefix", 200},
    {"tpxWrapJustify", 201},
    {"tpxClear", 202},
    {"tpxIsSignature", 203},
    {"tpxSignComplete", 204},
    {"tpxEncryptComplete", 205},
    {"tpxUseSMIME", 206},
    {"tpxUsePGP", 207},
    {"tpxRCR", 208},
    {"tpxRRQ", 209},
    {"tpxSplit", 210},
    {"tpxCharset", 211},
    {"tpxPriority", 212},
    {"tpxAttachVCard", 213},
    {"tpxAccount", 214},
    {"tpxFrom", 215},
    {"tpxReplyTo", 216},
    {"tpxReturnPath", 217},
    {"tpxTo", 218},
    {"tpxCC", 219},
    {"tpxBCC", 220},
    {"tpxOrg", 221},
    {"tpxSubject", 222},
    {"tpxFullSubject", 223},
    {"tpxComment", 224},
    {"tpxOldTo", 225},
    {"tpxOldFrom", 226},
    {"tpxOldReplyTo", 227},
    {"tpxOldCC", 228},
    {"tpxOldBCC", 229},
    {"tpxOldSubject", 230},
    {"tpxOldComment", 231},
    {"tpxMatter", 232},
    {"tpxOldMatter", 233},
    {"tpxMsgID", 234},
    {"tpxOldMsgID", 235},
    {"tpxOldDate", 236},
    {"tpxOldRcvDate", 237},
    {"tpxOldReturn", 238},
    {"tpxOldOrg", 239},
    {"tpxOldText", 240},
    {"tpxText", 241},
    {"tpxSingleRe", 242},
    {"tpxHeaders", 243},
    {"tpxAttachments", 244},
    {"tpxOldAttachments", 245},
    {"tpxCookieCount", 246},
    {"tpxOldCharset", 247},
    {"tpxTotalPages", 248},
    {"tpxCurrentPage", 249},
    {"tpxTracking", 248},
    {"tpxQuoteStyle", 249},
    {"tpxTextLF", 250},
    {"tpxRegExpPattern", 251},
    {"tpxRegExpText", 252},
    {"tpxFullText", 254},
    {"tpxLastAddress", 257},
    {"tpxCursorHeader", 261},
}};

std::string batParamStr(const ScriptParams& params, std::int64_t index) {
    return scriptParam(params, index);
}

std::int32_t batParamCount(const ScriptParams& params) { return params.count; }

std::string batGetParams(Plugin& plugin, std::int32_t index) {
    return readItem(plugin, plugin.curParams.get(), index);
}

std::string batGetTemplate(Plugin& plugin, std::int32_t index) {
    // The template's items are the message's: a script that reads one answers message text.
    macros::noteMessageRead(plugin);
    return readItem(plugin, plugin.curData.get(), index);
}

}  // namespace qbx::scripting
