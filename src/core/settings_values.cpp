#include "core/settings_values.h"

#include <array>
#include <limits>
#include <type_traits>
#include <utility>

#include "base/text.h"
#include "core/version.h"
#include "platform/platform.h"

namespace qbx {
namespace {

constexpr const char* kZ = kSettingsKey;
constexpr const char* kV = kViewerKey;
constexpr const char* kH = kHostKey;

constexpr ValueDefault num(std::int64_t n) { return {DefaultSource::Constant, n, "", {}}; }
constexpr ValueDefault txt(const char* t) { return {DefaultSource::Constant, 0, t, {}}; }
constexpr ValueDefault now(NowField f) { return {DefaultSource::Now, 0, "", f}; }
constexpr ValueDefault underInstallDir(const char* t) {
    return {DefaultSource::UnderInstallDir, 0, t, {}};
}

constexpr auto I = ValueKind::Int;
constexpr auto B = ValueKind::Bool;
constexpr auto T = ValueKind::Text;
constexpr auto F = ValueKind::Folder;

constexpr ValueRange between(std::int64_t min, std::int64_t max) { return {min, max}; }
constexpr ValueRange kAnyInt32 =
    between(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
constexpr ValueRange kCount32 = between(0, std::numeric_limits<std::int32_t>::max());
constexpr ValueRange kCount64 = between(0, std::numeric_limits<std::int64_t>::max());
constexpr ValueRange kCount64FromLow32 = {0, std::numeric_limits<std::int64_t>::max(), true};
constexpr ValueRange kVirtualKey = between(0, 255);  // 0: no key
constexpr ValueRange kMonitorMillimetres = between(1, 65535);

using S = Settings;

// A number's range is its field's type, narrowed where a value outside means nothing: the
// calendar fields of the period start, the tray's icon sets, the dialog's unit lists, virtual-key
// codes, a word length the spam filter can use, a monitor that has a size. Counters are never
// negative. "CompressionLevel" takes any number: every one outside 0..3 means no compression.
// clang-format off
constexpr std::array<ValueRow, 69> kRows{{
    {1,  kZ, "keysf1",           I, num(0),   &S::dialogChordKey1, false, kVirtualKey},
    {2,  kZ, "keysf2",           I, num(0),   &S::dialogChordKey2, false, kVirtualKey},
    {3,  kZ, "keysf3",           I, num(0),   &S::dialogChordKey3, false, kVirtualKey},
    {4,  kZ, "sortmode",         I, num(0),   &S::passThroughSortMode, false, kAnyInt32},
    {5,  kZ, "stYear",           I, now(NowField::Year),   &S::periodStartYear, false, between(1, 9999)},
    {6,  kZ, "ucInterval",       I, num(14),  &S::pendingPartsMaxAgeDays, false, kCount32},
    {7,  kZ, "stDay",            I, now(NowField::Day),    &S::periodStartDay, false, between(1, 31)},
    {8,  kZ, "stMonth",          I, now(NowField::Month),  &S::periodStartMonth, false, between(1, 12)},
    {9,  kZ, "stHour",           I, now(NowField::Hour),   &S::periodStartHour, false, between(0, 23)},
    {10, kZ, "stMin",            I, now(NowField::Minute), &S::periodStartMinute, false, between(0, 59)},
    {11, kZ, "stMinLen",         I, num(5),   &S::spamMinWordLength, false, between(1, 80)},
    {12, kZ, "stSec",            I, now(NowField::Second), &S::periodStartSecond, false, between(0, 59)},
    {13, kZ, "stMsec",           I, now(NowField::Millisecond), &S::periodStartMillisecond, false, between(0, 999)},
    {14, kZ, "stLetterCount",    I, num(1),   &S::messagesCounted, false, kCount32},
    {15, kZ, "OnlineTime",       I, num(0),   &S::onlineSeconds, false, kCount32},
    {16, kZ, "stStartCount",     I, num(1),   &S::startCount, false, kCount64FromLow32},
    {17, kZ, "traymode",         I, num(2),   &S::trayIconMode, false, between(0, 2)},
    {18, kZ, "stEndCount",       I, num(1),   &S::endCount, false, kCount64FromLow32},
    {19, kZ, "stTotalSize",      I, num(0),   &S::totalBytes, false, kCount64FromLow32},
    {20, kZ, "tun",              I, num(1),   &S::passThroughTun, false, kAnyInt32},
    {21, kZ, "stHeaderSize",     I, num(0),   &S::headerBytes, false, kCount64FromLow32},
    {22, kZ, "osc",              I, num(0),   &S::dialUpConnectionsFinished, false, kCount32},
    {23, kZ, "stTextSize",       I, num(0),   &S::bodyBytes, false, kCount64FromLow32},
    {24, kZ, "stSessionsLength", I, num(1),   &S::totalSessionSeconds, false, kCount64FromLow32},
    {25, kZ, "Log level",        I, num(5),   &S::logLevel, false, kAnyInt32},
    {26, kZ, "Dump Statistics",  B, num(0),   &S::dumpStatistics, false},
    {27, kZ, "mmWidth",          I, num(320), &S::monitorWidthMm, false, kMonitorMillimetres},
    {28, kZ, "CompressionLevel", I, num(3),   &S::compressionLevel, false, kAnyInt32},
    {29, kZ, "mmHeight",         I, num(240), &S::monitorHeightMm, false, kMonitorMillimetres},
    {30, kZ, "UUEC",             B, num(1),   &S::attachmentCompleterOn, false},
    {31, kZ, "Enable antispam",  B, num(0),   &S::enableAntispam, false},
    {32, kZ, "useTop10",         B, num(0),   &S::playCountListOn, false},
    {33, kZ, "splashmode",       B, num(0),   &S::showSplash, false},
    {34, kZ, "doTrim",           B, num(0),   &S::playCountTrimSpaces, false},
    {35, kZ, "doNum",            B, num(0),   &S::playCountTrimNumbers, false},
    {36, kZ, "doExt",            B, num(0),   &S::playCountTrimExtensions, false},
    {37, kZ, "Update statistics after receiveing a mail", B, num(0),
         &S::updateStatisticsAfterReceive, false},
    {38, kZ, "Enable on-screen debug display", B, num(0), &S::monitorWindowOn, false},
    {39, kZ, "stSortMode",       B, num(1),   &S::sortItemsByCount, false},
    {40, kZ, "gk_WIN",           B, num(1),   &S::hotKeyWin, false},
    {41, kZ, "gk_ALT",           B, num(0),   &S::hotKeyAlt, false},
    {42, kZ, "gk_SH",            B, num(0),   &S::hotKeyShift, false},
    {43, kZ, "gk_CTRL",          B, num(1),   &S::hotKeyCtrl, false},
    {44, kZ, "gk_KEY",           I, num(113), &S::hotKeyCode, false, kVirtualKey},  // F2
    {45, kZ, "sthb",             B, num(1),   &S::passThroughSthb, false},
    {46, kZ, "sMouseTracking",   B, num(0),   &S::mouseTracking, false},
    {47, kV, "version",          T, txt(""),  &S::viewerVersion, false},
    {48, kZ, "sWATracking",      B, num(1),   &S::playerTracking, false},
    {49, kH, "ProgramDir",       T, txt(""),  &S::programDir, true},
    {50, kH, "Working Directory", T, txt(""), &S::hostWorkingDir, true},
    {51, kZ, "InstallDir",       F, txt(""),  &S::installDir, true},
    {52, kV, "filename",         T, underInstallDir("zvxv.exe"), &S::viewerFilename, false},
    {53, kZ, "CustomDateFormat", T, txt("d/mm/yy hh:nn"), &S::customDateFormat, false},
    {54, kZ, "sLangFile",        T, txt("english.zlf"), &S::languageFile, false},
    {55, kZ, "StatDir",          F, underInstallDir("Statistics\\"), &S::statisticsDir, true},
    {56, kZ, "UCdir",            F, underInstallDir("UC\\"), &S::partsDir, true},
    {57, kZ, "The MAD mask",     T, txt("$$year.$$month.unix"), &S::mailboxMask, false},
    {58, kZ, "MAD backup enabled", B, num(0), &S::mailboxBackupOn, false},
    {59, kZ, "Look for recipients", B, num(0), &S::lookForRecipients, false},
    {60, kZ, "MAD ignore specific strings", B, num(0), &S::mailboxIgnoreOn, false},
    {61, kZ, "The MAD ignore string", T, txt(""), &S::mailboxIgnoreText, false},
    {62, kZ, "stbKind",          I, num(0),   &S::sizeDisplayUnit, false, between(0, 4)},
    {63, kZ, "sttKind",          I, num(0),   &S::timeDisplayUnit, false, between(0, 9)},
    {64, kZ, "igquotes",         B, num(1),   &S::dialogIgnoreQuotes, false},
    {65, kZ, "iglatin",          B, num(0),   &S::dialogIgnoreLatin, false},
    {66, kZ, "igcyrillic",       B, num(0),   &S::dialogIgnoreCyrillic, false},
    {67, kZ, "noigspam",         B, num(1),   &S::dialogNoIgnoreSpam, false},
    {68, kZ, "Statistics Flags", I, num(0),   &S::statisticsFlags, false, kAnyInt32},
    {70, kZ, "ScriptingDir",     F, underInstallDir("Scripts\\"), &S::scriptsDir, false},
}};

constexpr auto R = SavedSource::Row;

// The host's values, the viewer's "filename" and the first-run marker are never written.
constexpr std::array<SavedValue, 68> kSaveOrder{{
    {kZ, "ZVX viewer filename", SavedSource::ViewerPath},
    {kZ, "Statistics Flags", R},
    {kZ, "Look for recipients", R},
    {kZ, "Update statistics after receiveing a mail", R},
    {kZ, "useTop10", R},
    {kZ, "keysf1", R},
    {kZ, "keysf2", R},
    {kZ, "Enable on-screen debug display", R},
    {kZ, "keysf3", R},
    {kZ, "sortmode", R},
    {kZ, "osc", R},
    {kZ, "ScriptingDir", R},
    {kZ, "Version", SavedSource::VersionText},
    {kZ, "stSortMode", R},
    {kZ, "igquotes", R},
    {kZ, "The MAD mask", R},
    {kZ, "MAD backup enabled", R},
    {kZ, "MAD ignore specific strings", R},
    {kV, "version", R},
    {kZ, "The MAD ignore string", R},
    {kZ, "iglatin", R},
    {kZ, "igcyrillic", R},
    {kZ, "noigspam", R},
    {kZ, "gk_WIN", R},
    {kZ, "gk_ALT", R},
    {kZ, "doTrim", R},
    {kZ, "doNum", R},
    {kZ, "doExt", R},
    {kZ, "sthb", R},
    {kZ, "Dump Statistics", R},
    {kZ, "gk_SH", R},
    {kZ, "UUEC", R},
    {kZ, "gk_CTRL", R},
    {kZ, "UCdir", R},
    {kZ, "ucInterval", R},
    {kZ, "gk_KEY", R},
    {kZ, "StatDir", R},
    {kZ, "mmWidth", R},
    {kZ, "CompressionLevel", R},
    {kZ, "mmHeight", R},
    {kZ, "stSessionsLength", R},
    {kZ, "traymode", R},
    {kZ, "splashmode", R},
    {kZ, "stYear", R},
    {kZ, "stDay", R},
    {kZ, "stMonth", R},
    {kZ, "stHour", R},
    {kZ, "stMin", R},
    {kZ, "stMinLen", R},
    {kZ, "stSec", R},
    {kZ, "stMsec", R},
    {kZ, "stLetterCount", R},
    {kZ, "OnlineTime", R},
    {kZ, "stEndCount", R},
    {kZ, "stStartCount", R},
    {kZ, "Enable antispam", R},
    {kZ, "sMouseTracking", R},
    {kZ, "sWATracking", R},
    {kZ, "stTotalSize", R},
    {kZ, "tun", R},
    {kZ, "stHeaderSize", R},
    {kZ, "stTextSize", R},
    {kZ, "Log level", R},
    {kZ, "CustomDateFormat", R},
    {kZ, "sLangFile", R},
    {kZ, "InstallDir", R},
    {kZ, "stbKind", R},
    {kZ, "sttKind", R},
}};
// clang-format on

constexpr const ValueRow* rowNamed(std::string_view key, std::string_view name) {
    for (const ValueRow& row : kRows)
        if (std::string_view(row.key) == key && std::string_view(row.name) == name) return &row;
    return nullptr;
}

constexpr bool kindMatchesField(const ValueRow& row) {
    switch (row.kind) {
        case ValueKind::Bool: return std::holds_alternative<bool Settings::*>(row.field);
        case ValueKind::Text:
        case ValueKind::Folder: return std::holds_alternative<std::string Settings::*>(row.field);
        case ValueKind::Int:
            return !std::holds_alternative<bool Settings::*>(row.field) &&
                   !std::holds_alternative<std::string Settings::*>(row.field);
    }
    return false;
}

// A number row's range lies within its field's type and holds its constant default; no other
// row has one.
constexpr bool rangeMatchesField(const ValueRow& row) {
    if (row.kind != ValueKind::Int) return row.range.empty();
    if (row.range.empty()) return false;
    if (row.fallback.source == DefaultSource::Constant && !row.range.contains(row.fallback.number))
        return false;
    return std::visit(
        [&](auto member) {
            using Field = std::remove_cvref_t<decltype(std::declval<Settings>().*member)>;
            if constexpr (std::is_integral_v<Field> && !std::is_same_v<Field, bool>)
                return row.range.min >= std::int64_t{std::numeric_limits<Field>::min()} &&
                       static_cast<std::uint64_t>(row.range.max) <=
                           std::uint64_t{std::numeric_limits<Field>::max()};
            else
                return false;
        },
        row.field);
}

constexpr bool rowsWellFormed() {
    int previous = 0;
    for (const ValueRow& row : kRows) {
        if (row.number <= previous || !kindMatchesField(row) || !rangeMatchesField(row))
            return false;
        if (row.number == 69) return false;  // the marker has no field
        previous = row.number;
    }
    return previous == 70;
}

static_assert(rowsWellFormed(),
              "rows must ascend to 70, skip 69 and match their fields and ranges");

#if !defined(__clang__)  // beyond clang's constexpr step limit; every gcc build checks it
constexpr bool saveOrderResolves() {
    for (std::size_t i = 0; i < kSaveOrder.size(); ++i) {
        const SavedValue& v = kSaveOrder[i];
        if ((v.source == SavedSource::Row) != (rowNamed(v.key, v.name) != nullptr)) return false;
        if (std::string_view(v.key) == kH) return false;
        for (std::size_t j = 0; j < i; ++j)
            if (std::string_view(kSaveOrder[j].key) == v.key &&
                std::string_view(kSaveOrder[j].name) == v.name)
                return false;
    }
    return true;
}
static_assert(saveOrderResolves(), "every saved value must name one row or a special value");
#endif

// A whole decimal number, perhaps too long for 64 bits, as parseInt64 would take it.
bool looksLikeInteger(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// A number row's text: a number outside the row's range (64 bits included) is out of range,
// anything that is no number unparsable.
ReadResult parseNumber(const ValueRow& row, std::string_view text, std::int64_t& value) {
    std::int64_t parsed = 0;
    if (!parseInt64(text, parsed))
        return looksLikeInteger(text) ? ReadResult::OutOfRange : ReadResult::Unparsable;
    if (row.range.negativeIsLow32 && parsed < 0 &&
        parsed >= std::numeric_limits<std::int32_t>::min()) {
        value = parsed + (std::int64_t{1} << 32);
        return ReadResult::FromLow32;
    }
    if (!row.range.contains(parsed)) return ReadResult::OutOfRange;
    value = parsed;
    return ReadResult::Stored;
}

// A flag is any 32-bit number, true when it is not 0.
ReadResult parseFlag(std::string_view text, std::int64_t& value) {
    std::int64_t parsed = 0;
    if (!parseInt64(text, parsed) || parsed < std::numeric_limits<std::int32_t>::min() ||
        parsed > std::numeric_limits<std::int32_t>::max())
        return ReadResult::Unparsable;
    value = parsed;
    return ReadResult::Stored;
}

// Every range lies within its field's type, so the number converts exactly.
template <class Field>
Field narrowTo(std::int64_t value) {
    if constexpr (std::is_same_v<Field, bool>)
        return value != 0;
    else
        return static_cast<Field>(value);
}

std::int64_t nowField(NowField field, const DateTimeFields& now) {
    switch (field) {
        case NowField::Year: return now.year;
        case NowField::Month: return now.month;
        case NowField::Day: return now.day;
        case NowField::Hour: return now.hour;
        case NowField::Minute: return now.minute;
        case NowField::Second: return now.second;
        case NowField::Millisecond: return now.millisecond;
    }
    return 0;
}

std::string defaultText(const ValueDefault& fallback, const Settings& settings) {
    if (fallback.source == DefaultSource::UnderInstallDir)
        return settings.installDir + fallback.text;
    return fallback.text;
}

}  // namespace

std::span<const ValueRow> valueRows() { return kRows; }

const ValueRow* findValueRow(int number) {
    for (const ValueRow& row : kRows)
        if (row.number == number) return &row;
    return nullptr;
}

std::span<const SavedValue> saveOrder() { return kSaveOrder; }

ReadOutcome readValue(const ValueRow& row, Settings& settings, Registry& registry,
                      const DateTimeFields& now) {
    RegValue stored = registry.readString(row.key, row.name);
    ReadOutcome outcome;
    outcome.result = stored.status == RegStatus::Ok        ? ReadResult::Stored
                     : stored.status == RegStatus::Missing ? ReadResult::Missing
                                                           : ReadResult::WrongType;
    outcome.text = std::move(stored.text);
    std::visit(
        [&](auto member) {
            using Field = std::remove_cvref_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<Field, std::string>) {
                settings.*member = outcome.result == ReadResult::Stored
                                       ? outcome.text
                                       : defaultText(row.fallback, settings);
            } else {
                std::int64_t value = 0;
                if (outcome.result == ReadResult::Stored)
                    outcome.result = std::is_same_v<Field, bool>
                                         ? parseFlag(outcome.text, value)
                                         : parseNumber(row, outcome.text, value);
                if (outcome.result != ReadResult::Stored && outcome.result != ReadResult::FromLow32)
                    value = row.fallback.source == DefaultSource::Now
                                ? nowField(row.fallback.now, now)
                                : row.fallback.number;
                settings.*member = narrowTo<Field>(value);
            }
        },
        row.field);
    return outcome;
}

std::string fieldText(const ValueRow& row, const Settings& settings) {
    return std::visit(
        [&](auto member) -> std::string {
            using Field = std::remove_cvref_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<Field, std::string>)
                return settings.*member;
            else if constexpr (std::is_same_v<Field, bool>)
                return settings.*member ? "1" : "0";
            else
                return decimal(static_cast<std::int64_t>(settings.*member));
        },
        row.field);
}

std::string storedText(const SavedValue& value, const Settings& settings) {
    switch (value.source) {
        case SavedSource::VersionText: return std::string(kVersionText);
        case SavedSource::ViewerPath: return settings.viewerFilename;
        case SavedSource::Row: break;
    }
    const ValueRow* row = rowNamed(value.key, value.name);
    if (row == nullptr) return {};  // ruled out at compile time
    return fieldText(*row, settings);
}

}  // namespace qbx
