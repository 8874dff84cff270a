#include "ui/dialog/setup_controls.h"

#include <array>

#include "base/cp1251.h"
#include "ui/dialog/setup_form.h"

namespace qbx::ui {
namespace {

using K = ControlKind;
using S = Settings;
using F = SetupForm;

// Captions carry "&" where Alt and a letter should reach the control. The Russian captions are
// the built-in form's own words for what the language files usually rename.
// clang-format off
constexpr std::array kRows = std::to_array<ControlRow>({
    // ---- pages ----
    {"RolloutSettings", K::Page, "Main Settings", ""},
    {"MiscPage", K::Page, "Misc", ""},
    {"mlist", K::Memo, "List of all macros", "MiscPage", kReadOnly},
    {"NpInfo", K::Memo, "Media players info", "MiscPage", kReadOnly},
    {"VariableList", K::Grid, "Variables", "MiscPage", kNewColumn, {}, nullptr, 0, 0, 4, 0, "100|90|90|300"},
    {"stat", K::Grid, "Brief statistics", "MiscPage", kNoFlags, {}, nullptr, 0, 0, 2, 19},
    {"RegExpDebugger", K::Page, "RegExp debugger", ""},
    {"srctxt", K::Memo, "Source text", "RegExpDebugger"},
    {"Button3", K::Button, "&Load from file", "RegExpDebugger", kNoFlags, {}, &F::button3Click},
    {"PatternLabel", K::Label, "Pattern:", "RegExpDebugger", kNewColumn},
    {"Edit8", K::Edit, "", "RegExpDebugger", kBeside},
    {"Button5", K::Button, "&Search pattern", "RegExpDebugger", kBeside, {}, &F::button5Click},
    {"dsttxt", K::Memo, "Result", "RegExpDebugger", kReadOnly},
    {"ZVXscrdeb", K::Page, "ZVX scripting debugger", ""},
    {"ScriptsList", K::Grid, "Scripts", "ZVXscrdeb", kNoFlags, {}, &F::scriptsListClick, 0, 0, 3, 8},
    {"RunScript", K::Button, "&Run script", "ZVXscrdeb", kNoFlags, {}, &F::runScriptClick},
    {"Reinit", K::Button, "Re&init", "ZVXscrdeb", kBeside, {}, &F::reinitClick},
    {"Revert", K::Button, "Revert", "ZVXscrdeb", kBeside | kHidden | kDisabled},
    {"UpdateCh", K::Button, "Update changes", "ZVXscrdeb", kBeside | kDisabled},
    {"OutputStr", K::ListBox, "Output", "ZVXscrdeb"},
    {"ScrSource", K::RichEdit, "Script source", "ZVXscrdeb", kNewColumn, {}, &F::scrSourceChange},
    {"DebugSheet", K::Page, "Debug", ""},
    {"DebugBox", K::ListBox, "", "DebugSheet"},
    {"StatisticsViewer", K::GroupBox, "Statistics viewer", "DebugSheet", kNewColumn},
    {"cb1", K::DropDownList, "", "StatisticsViewer"},
    {"Dump", K::Button, "&Dump statistics", "StatisticsViewer", kBeside, {}, &F::dumpClick},
    {"Butt", K::Button, "proc", "StatisticsViewer", kNoFlags, {}, &F::buttClick},
    {"Button1", K::Button, "Updatetrafficinfo", "StatisticsViewer", kBeside, {}, &F::button1Click},
    {"SpeedButton1", K::Button, "Script files", "StatisticsViewer", kNoFlags, {}, &F::speedButton1Click},
    {"SpeedButton2", K::Button, "Delivery times", "StatisticsViewer", kBeside, {}, &F::speedButton2Click},
    {"sdump", K::CheckBox, "Enable statistics dump", "StatisticsViewer", kNoFlags, &S::dumpStatistics},
    {"Edit5", K::Edit, "", "StatisticsViewer", kNoFlags, {}, &F::edit5Change},
    {"Label3", K::Label, "Mark:", "StatisticsViewer", kBeside},
    {"debuglist", K::ListBox, "", "StatisticsViewer"},
    {"Panel3", K::Button, "Dump statistics", "DebugSheet", kWide, {}, &F::panel3Click},
    {"ds", K::Memo, "", "DebugSheet", kNoWrap},

    // ---- the three columns of the main page ----
    {"AntispamPanel", K::CaptionPanel, "Antispam settings", "RolloutSettings"},
    {"GlobalPanel", K::CaptionPanel, "Global settings", "RolloutSettings"},
    {"StatisticsPanel", K::CaptionPanel, "Statistics settings", "RolloutSettings"},

    // ---- antispam ----
    {"MainAntispamSettings", K::RollOut, "Main settings", "AntispamPanel"},
    {"Label15", K::Label, "Antispam is OFF", "MainAntispamSettings"},
    {"OSDb", K::CheckBox, "Enable antispam &OSD", "MainAntispamSettings", kNoFlags, &S::monitorWindowOn},
    {"TurnOn", K::Button, "Turn o&n the antispam on next boot", "MainAntispamSettings", kWide, {}, &F::turnOnClick},
    {"TurnOff", K::Button, "Turn o&ff the antispam on next boot", "MainAntispamSettings", kWide, {}, &F::turnOffClick},
    {"UseAllSpamWords", K::CheckBox, "Do not ignore any spam words", "MainAntispamSettings", kDisabled, &S::dialogNoIgnoreSpam},
    {"NoQuotes", K::CheckBox, "Не учитывать цитаты", "MainAntispamSettings", kDisabled | kGrayed, &S::dialogIgnoreQuotes},
    {"NoCyrillic", K::CheckBox, "Не учитывать кириллицу", "MainAntispamSettings", kDisabled | kGrayed, &S::dialogIgnoreCyrillic},
    {"NoLatin", K::CheckBox, "Не учитывать латиницу", "MainAntispamSettings", kGrayed, &S::dialogIgnoreLatin},
    {"MinLengthLabel", K::Label, "Минимальная длина слова:", "MainAntispamSettings"},
    {"SpinEdit1", K::SpinEdit, "", "MainAntispamSettings", kBeside, &S::spamMinWordLength, nullptr, 2, 25},
    {"AntispamDebug", K::RollOut, "Antispam debug", "AntispamPanel"},
    {"AntiSpamSettings", K::Memo, "Place here some text:", "AntispamDebug", kNoFlags, {}, &F::antiSpamSettingsChange, 0, 0, 1, 6},
    {"ClearText", K::Button, "Clear text", "AntispamDebug", kNoFlags, {}, &F::clearTextClick},
    {"LoadText", K::Button, "Load text", "AntispamDebug", kBeside, {}, &F::loadTextClick},
    {"SpamInfo", K::Memo, "", "AntispamDebug", kReadOnly, {}, nullptr, 0, 0, 1, 3},
    {"MarkAsSpam", K::Button, "Mark as spam", "AntispamDebug", kNoFlags, {}, &F::markAsSpamClick},
    {"MarkAsNonSpam", K::Button, "Mark as non-spam", "AntispamDebug", kNoFlags, {}, &F::markAsNonSpamClick},
    {"TOkenList", K::ListBox, "", "AntispamDebug", kNoFlags, {}, nullptr, 0, 0, 1, 6},

    // ---- global ----
    {"JvRollout3", K::RollOut, "Language", "GlobalPanel"},
    {"langlist", K::Grid, "", "JvRollout3", kNoFlags, {}, &F::langlistClick, 0, 0, 3, 5},
    {"JvRollout4", K::RollOut, "Global Hotkey", "GlobalPanel"},
    {"UseGlobalHotKey", K::CheckBox, "Use global &hotkey", "JvRollout4", kNoFlags, {}, &F::useGlobalHotKeyClick},
    {"WINMOD", K::CheckBox, "WIN", "JvRollout4", kNoFlags, &S::hotKeyWin},
    {"ALTMOD", K::CheckBox, "ALT", "JvRollout4", kBeside, &S::hotKeyAlt},
    {"SHMOD", K::CheckBox, "SHIFT", "JvRollout4", kNoFlags, &S::hotKeyShift},
    {"CTRLMOD", K::CheckBox, "CTRL", "JvRollout4", kBeside, &S::hotKeyCtrl},
    {"gk_ks", K::DropDownList, "", "JvRollout4", kWide, &S::hotKeyCode, nullptr, 0, 0, 1, 25},
    {"JvRollout5", K::RollOut, "Advanced language options", "GlobalPanel"},
    {"LanguageNameLabel", K::Label, "Language:", "JvRollout5"},
    {"Edit1", K::ReadOnlyEdit, "", "JvRollout5", kBeside},
    {"LanguageAuthorLabel", K::Label, "Author:", "JvRollout5"},
    {"Edit2", K::ReadOnlyEdit, "", "JvRollout5", kBeside},
    {"LanguageFileLabel", K::Label, "File:", "JvRollout5"},
    {"Edit3", K::ReadOnlyEdit, "", "JvRollout5", kBeside},
    {"SaveLang", K::Button, "&Export the current language...", "JvRollout5", kNoFlags, {}, &F::saveLangClick},
    {"JvRollout7", K::RollOut, "Other advanced options", "GlobalPanel"},
    {"EnableDebuggingMode", K::CheckBox, "Enable debug mode", "JvRollout7", kDisabled},
    {"ShowSplash", K::CheckBox, "Show &splash screen at startup", "JvRollout7", kNoFlags, &S::showSplash},
    {"uuecenabled", K::CheckBox, "Enable &UUE completer", "JvRollout7", kNoFlags, &S::attachmentCompleterOn, &F::uuecenabledClick},
    {"JvRollout10", K::RollOut, "Appearance", "GlobalPanel"},
    {"TrayIconMode", K::RadioGroup, "TrayIconMode", "JvRollout10", kNoFlags, &S::trayIconMode, &F::trayIconModeClick, 0, 0, 2, 0, "Off|ZuvurErize|Letter"},
    {"JvRollout13", K::RollOut, "Statistics databases", "GlobalPanel"},
    {"AutoUpdateStatistics", K::CheckBox, "Update statistics when new mail arrives", "JvRollout13", kNoFlags, &S::updateStatisticsAfterReceive},
    {"JvRollout14", K::RollOut, "Mail backup", "GlobalPanel"},
    {"DoMadBackup", K::CheckBox, "&Backup incoming mail", "JvRollout14", kNoFlags, &S::mailboxBackupOn},
    {"MaskLabel", K::Label, "Mailbox name:", "JvRollout14"},
    {"ParaFilename", K::Edit, "", "JvRollout14", kBeside, &S::mailboxMask},
    {"ParaExample", K::ReadOnlyEdit, "", "JvRollout14", kWide},
    {"ParaIgnore", K::CheckBox, "Ignore mail containing:", "JvRollout14", kNoFlags, &S::mailboxIgnoreOn},
    {"ParaIgnoreText", K::Edit, "", "JvRollout14", kWide, &S::mailboxIgnoreText},
    {"ParaInclude", K::CheckBox, "Include only the mail containing:", "JvRollout14", kDisabled},
    {"ParaIncludeText", K::Edit, "", "JvRollout14", kDisabled | kWide},
    {"UUEoptions", K::RollOut, "UUE completer", "GlobalPanel"},
    {"WorkingDirLabel", K::Label, "Working directory", "UUEoptions"},
    {"wdi", K::ReadOnlyEdit, "", "UUEoptions", kNoFlags},
    {"Ellipsis", K::Button, "...", "UUEoptions", kBeside, {}, &F::ellipsisClick},
    {"DaysLabel", K::Label, "Max. file age, days:", "UUEoptions"},
    {"daysinterval", K::SpinEdit, "", "UUEoptions", kBeside, &S::pendingPartsMaxAgeDays, nullptr, 1, 365},
    {"UUE_docompletion", K::Button, "&Assemble files", "UUEoptions", kNoFlags, {}, &F::uueDocompletionClick},
    {"RemoveOlder", K::Button, "&Remove old files", "UUEoptions", kBeside, {}, &F::removeOlderClick},
    {"sg", K::Grid, "", "UUEoptions", kNoFlags, {}, nullptr, 0, 0, 4, 5},
    {"JvRollout2", K::RollOut, "%ZVXMOUSExxx", "GlobalPanel"},
    {"TrackMouseCursor", K::CheckBox, "Отслеживать путь &мыши", "JvRollout2", kNoFlags, &S::mouseTracking, &F::trackMouseCursorClick},
    {"WidthLabel", K::Label, "Ширина экрана, мм:", "JvRollout2"},
    {"mw", K::SpinEdit, "", "JvRollout2", kBeside, &S::monitorWidthMm, nullptr, 1, 5000},
    {"HeightLabel", K::Label, "Высота экрана, мм:", "JvRollout2"},
    {"mh", K::SpinEdit, "", "JvRollout2", kBeside, &S::monitorHeightMm, nullptr, 1, 5000},

    // ---- statistics ----
    {"JvRollout8", K::RollOut, "Database compression", "StatisticsPanel"},
    {"CompressionOptions", K::RadioGroup, "Database compression options", "JvRollout8", kNoFlags, &S::compressionLevel, nullptr, 0, 0, 2, 0,
     "No compression|Min. compression|Normal compression|Max. compression"},
    {"JvRollout9", K::RollOut, "Per-recipient traffic calculator", "StatisticsPanel"},
    {"calcdetailedtraffic", K::CheckBox, "Calculate per-recipient &traffic", "JvRollout9", kNoFlags, &S::lookForRecipients},
    {"vle", K::ValueList, "", "JvRollout9", kNoFlags, {}, &F::vleChange, 0, 0, 2, 6},
    {"JvRollout6", K::RollOut, "Main settings", "StatisticsPanel"},
    {"StatisticsLists", K::CheckList, "", "JvRollout6", kNoFlags, {}, &F::statisticsListsClick, 0, 0, 1, 16},
    {"JvRollout11", K::RollOut, "Statistics control", "StatisticsPanel"},
    {"ResetStatists", K::Button, "&Clear statistics", "JvRollout11", kNoFlags, {}, &F::resetStatistsClick},
    {"ForceSaveMads", K::Button, "Force saving statistics databases immediately", "JvRollout11", kWide, {}, &F::forceSaveMadsClick},
    {"JvRollout12", K::RollOut, "Appearance", "StatisticsPanel"},
    {"TimeUnitLabel", K::Label, "Время показывать в:", "JvRollout12"},
    {"TimeFormatUnitSelect", K::DropDownList, "", "JvRollout12", kBeside, &S::timeDisplayUnit, nullptr, 0, 0, 1, 0,
     "секундах|минутах|часах|днях|месяцах|годах|чч:мм:сс|ДД:ММ:ГГ чч:мм:сс|краткой дате|словах"},
    {"SizeUnitLabel", K::Label, "Размер показывать в:", "JvRollout12"},
    {"FileSizeUnitSelect", K::DropDownList, "", "JvRollout12", kBeside, &S::sizeDisplayUnit, nullptr, 0, 0, 1, 0,
     "Bytes|Kilobytes|Megabytes|Gigabytes|Terabytes"},
    {"JvRollout15", K::RollOut, "Statistics search", "StatisticsPanel"},
    {"cb2", K::DropDownList, "", "JvRollout15", kWide, {}, &F::edit7Change},
    {"FindLabel", K::Label, "Find what:", "JvRollout15"},
    {"Edit7", K::Edit, "", "JvRollout15", kBeside, {}, &F::edit7Change},
    {"PatternOutLabel", K::Label, "Output pattern:", "JvRollout15"},
    {"Edit10", K::Edit, "", "JvRollout15", kBeside, {}, &F::edit7Change},
    {"DelimiterLabel", K::Label, "Delimiter:", "JvRollout15"},
    {"Edit11", K::Edit, "", "JvRollout15", kBeside, {}, &F::edit7Change},
    {"Label12", K::Label, "", "JvRollout15"},
    {"Memo1", K::Memo, "", "JvRollout15", kReadOnly, {}, nullptr, 0, 0, 1, 8},
    {"JvRollout21", K::RollOut, "'Now playing' top10", "StatisticsPanel"},
    {"Top10cb", K::CheckBox, "Enable np tracking", "JvRollout21", kNoFlags, &S::playCountListOn},
    {"lb", K::ListBox, "", "JvRollout21", kNoFlags, {}, nullptr, 0, 0, 1, 8},
    {"TrimSpaces", K::CheckBox, "Trim spaces", "JvRollout21", kNoFlags, &S::playCountTrimSpaces},
    {"TrimNumbers", K::CheckBox, "Trim leading numbers", "JvRollout21", kNoFlags, &S::playCountTrimNumbers},
    {"TrimExtensions", K::CheckBox, "Trim extensions", "JvRollout21", kNoFlags, &S::playCountTrimExtensions},
    {"MemoryUsage", K::RollOut, "Memory usage info", "StatisticsPanel"},
    {"mu", K::Grid, "", "MemoryUsage", kNoFlags, {}, nullptr, 0, 0, 2, 17},
});
// clang-format on

}  // namespace

std::span<const ControlRow> setupControls() { return kRows; }

const ControlRow* findControl(std::string_view name) {
    for (const ControlRow& row : kRows)
        if (name == row.name) return &row;
    return nullptr;
}

std::string defaultCaption(const ControlRow& row) { return utf8ToCp1251(row.caption); }

std::vector<std::string> defaultItems(const ControlRow& row) {
    std::vector<std::string> items;
    const std::string all = utf8ToCp1251(row.items);
    if (all.empty()) return items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = all.find('|', start);
        items.push_back(
            all.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) return items;
        start = bar + 1;
    }
}

ComponentKind componentKind(ControlKind kind) {
    switch (kind) {
        case K::Page: return ComponentKind::TabSheet;
        case K::CaptionPanel: return ComponentKind::CaptionPanel;
        case K::GroupBox: return ComponentKind::GroupBox;
        case K::RollOut: return ComponentKind::RollOutPanel;
        case K::Label: return ComponentKind::Label;
        case K::CheckBox: return ComponentKind::CheckBox;
        case K::Button: return ComponentKind::Button;
        case K::RadioGroup: return ComponentKind::RadioGroup;
        case K::DropDownList: return ComponentKind::ComboBox;
        default: return ComponentKind::Other;
    }
}

}  // namespace qbx::ui
