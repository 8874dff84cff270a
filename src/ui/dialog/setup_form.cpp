#include "ui/dialog/setup_form.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <type_traits>
#include <utility>

#include "base/float_text.h"
#include "base/ini_file.h"
#include "base/regex_1251.h"
#include "base/text.h"
#include "core/formatting.h"
#include "core/guard.h"
#include "core/language.h"
#include "core/language_loader.h"
#include "core/log.h"
#include "core/plugin.h"
#include "core/recipient_list.h"
#include "core/session.h"
#include "core/version.h"
#include "functions/dates/mail_dates.h"
#include "functions/numerals/numerals_macros.h"
#include "mail/letters.h"
#include "scripting/script_runner.h"
#include "scripting/script_store.h"
#include "statistics/attachment_completer.h"
#include "statistics/monitor_model.h"
#include "statistics/planar_list.h"
#include "statistics/spam_model.h"
#include "statistics/stat_item.h"
#include "ui/dialog/debug_pages.h"
#include "ui/dialog/pascal_highlight.h"

namespace qbx::ui {
namespace {

namespace text = dialog_text;

constexpr int kBalloonSeconds = 20;
constexpr int kRestartBalloonSeconds = 25;
constexpr int kMadFlagsNextStartAntispam = 0xC0;  // the Spam and NonSpam items
constexpr int kBytesPerWord = 136;                // a stored word of an item's tree
// What the tester and the script editor offer before the user types anything.
constexpr const char* kInitialPattern = "(.*?)\\s";
constexpr const char* kInitialScript = "2*2+(122.34-54.67)*123.5";
// The statistics items the list shows but the user cannot switch: the internal temp2 item, the
// NonSpam item (which follows Spam) and the macro item.
constexpr int kFixedStatisticsItems[] = {7, 8, 5};

std::string fileNamePart(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/:");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string withTrailingBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

// What a cell of a name=value list keeps of a text: a cell is one line of the file.
std::string cellText(std::string_view text) {
    text = text.substr(0, text.find_first_of("\r\n"));
    return std::string(text.substr(0, kMaxValueListCell));
}

std::optional<std::int64_t> parseNumber(std::string_view text) {
    std::int64_t value = 0;
    if (!parseInt64(trimBlankOrControl(text), value)) return std::nullopt;
    return value;
}

}  // namespace

std::string setupWindowCaption() {
    return "Quilbex " + std::string(kVersionText) + " (" + std::string(kBuildLine) + ")";
}

RecipientExpression buildRecipientExpression(const std::vector<std::string>& lines) {
    RecipientExpression result;
    std::string alternatives;
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        const std::string value = equals == std::string::npos ? line : line.substr(equals + 1);
        // Each value is checked alone: one mistyped rule must not switch off all the others.
        if (!Regex1251::compile(value, nullptr)) {
            result.leftOut.push_back(line);
            continue;
        }
        if (!alternatives.empty()) alternatives += '|';
        alternatives += "(" + value + ")";
    }
    result.expression = "(" + alternatives + ")";
    return result;
}

std::vector<std::vector<std::string>> recipientRowsOf(const std::vector<std::string>& lines) {
    std::vector<std::vector<std::string>> rows;
    rows.reserve(std::min(lines.size(), kMaxValueListRows));
    for (const std::string& line : lines) {
        if (rows.size() == kMaxValueListRows) break;
        const RecipientRule rule = parseRecipientRule(line);
        rows.push_back({cellText(rule.name), cellText(rule.expression)});
    }
    return rows;
}

std::vector<std::string> recipientLinesOfRows(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::string> lines;
    for (const auto& row : rows) {
        if (lines.size() == kMaxRecipientLines) break;
        const std::string name = row.empty() ? std::string() : cellText(row[0]);
        const std::string value = row.size() < 2 ? std::string() : cellText(row[1]);
        if (trimBlankOrControl(value).empty()) continue;
        // A nameless value keeps the form it was read in; "=" in front keeps its own "=" in it.
        if (name.empty() && value.find('=') == std::string::npos)
            lines.push_back(value);
        else
            lines.push_back(name + "=" + value);
    }
    return lines;
}

std::string memoryUsageText(std::size_t words, double creationKb) {
    char buffer[96];
    const double treeKb = static_cast<double>(words) * kBytesPerWord / 1024.0;
    std::snprintf(buffer, sizeof buffer, "%.1fK/%.1fK", treeKb, creationKb);
    return buffer;
}

// ---- the controls as the language files see them ------------------------------------------

class SetupForm::Components {
public:
    class Node final : public UiComponent {
    public:
        Node(const ControlRow* row, DialogView& view) : row_(row), view_(view) {}
        std::string name() const override { return row_ ? row_->name : "SetupForm"; }
        ComponentKind kind() const override {
            return row_ ? componentKind(row_->kind) : ComponentKind::Other;
        }
        std::string caption() const override { return view_.caption(key()); }
        void setCaption(std::string_view caption) override { view_.setCaption(key(), caption); }
        int itemCount() const override {
            return isList() ? static_cast<int>(view_.items(key()).size()) : 0;
        }
        std::string item(int index) const override {
            const auto items = isList() ? view_.items(key()) : std::vector<std::string>{};
            return index >= 0 && index < static_cast<int>(items.size())
                       ? items[static_cast<std::size_t>(index)]
                       : std::string();
        }
        void setItem(int index, std::string_view text) override {
            if (!isList()) return;
            auto items = view_.items(key());
            if (index < 0 || index >= static_cast<int>(items.size())) return;
            items[static_cast<std::size_t>(index)] = text;
            view_.setItems(key(), items);
        }
        int selectedIndex() const override { return isList() ? view_.selection(key()) : -1; }
        void setSelectedIndex(int index) override {
            if (isList()) view_.setSelection(key(), index);
        }
        int childCount() const override { return static_cast<int>(children_.size()); }
        UiComponent* child(int index) override {
            return index >= 0 && index < childCount() ? children_[static_cast<std::size_t>(index)]
                                                      : nullptr;
        }
        void adopt(Node* child) { children_.push_back(child); }

    private:
        std::string_view key() const { return row_ ? row_->name : ""; }
        bool isList() const { return row_ && row_->kind == ControlKind::DropDownList; }
        const ControlRow* row_;
        DialogView& view_;
        std::vector<Node*> children_;
    };

    explicit Components(DialogView& view) : root_(nullptr, view) {
        const auto rows = setupControls();
        nodes_.reserve(rows.size());
        for (const ControlRow& row : rows) {
            nodes_.push_back(std::make_unique<Node>(&row, view));
            Node* parent = &root_;
            for (std::size_t i = 0; i + 1 < nodes_.size(); ++i)
                if (std::string_view(rows[i].name) == row.parent) parent = nodes_[i].get();
            parent->adopt(nodes_.back().get());
        }
    }
    Node& root() { return root_; }

private:
    Node root_;
    std::vector<std::unique_ptr<Node>> nodes_;
};

// ---- the form --------------------------------------------------------------------------------

SetupForm::SetupForm(Plugin& plugin, DialogView& view, MonitorFactory monitorFactory)
    : plugin_(plugin),
      view_(view),
      components_(std::make_unique<Components>(view)),
      monitorFactory_(std::move(monitorFactory)) {}

SetupForm::~SetupForm() = default;

UiComponent& SetupForm::components() { return components_->root(); }

LanguageContext SetupForm::languageContext() {
    LanguageContext context = qbx::languageContext(plugin_);
    // During the creation the Plugin does not hold the dialog yet.
    context.dialog = &components();
    return context;
}

void SetupForm::controlChanged(std::string_view name, int row) {
    guardedVoid(&plugin_.log, "dialog control " + std::string(name), [&] {
        const ControlRow* control = findControl(name);
        if (control == nullptr) return;
        clickedRow_ = row;
        writeSetting(*control);
        if (control->handler) (this->*control->handler)();
    });
}

std::optional<std::string> SetupForm::valueListCell(std::string_view name, int row, int column,
                                                    std::string_view text) {
    const auto rows = view_.gridRows(name);
    if (row < 0 || row >= static_cast<int>(rows.size()) || column < 0 || column > 1)
        return std::nullopt;
    std::string kept = cellText(text);
    if (column == 1) return kept;
    // The file splits a line at its first "=": a name holding one would come back another.
    if (kept.find('=') != std::string::npos) {
        plugin_.log.write("Entry name refused, it holds \"=\": " + kept);
        return std::nullopt;
    }
    // Rows without a name are lines without "=": as many as the user likes.
    if (kept.empty()) return kept;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (static_cast<int>(i) != row && !rows[i].empty() &&
            equalsIgnoreCase1251(rows[i][0], kept)) {
            plugin_.log.write("Entry name refused, another row has it: " + kept);
            return std::nullopt;
        }
    return kept;
}

void SetupForm::fillControl(const ControlRow& row) {
    std::visit(
        [&](auto member) {
            using M = decltype(member);
            if constexpr (std::is_same_v<M, std::monostate>) {
                return;
            } else if constexpr (std::is_same_v<M, std::string Settings::*>) {
                view_.setText(row.name, plugin_.settings.*member);
            } else if constexpr (std::is_same_v<M, bool Settings::*>) {
                view_.setChecked(row.name, plugin_.settings.*member);
            } else {
                const auto value = static_cast<std::int64_t>(plugin_.settings.*member);
                if (row.kind == ControlKind::SpinEdit) {
                    view_.setText(row.name, decimal(value));
                } else {
                    const auto count = static_cast<std::int64_t>(view_.items(row.name).size());
                    view_.setSelection(row.name,
                                       value >= 0 && value < count ? static_cast<int>(value) : -1);
                }
            }
        },
        row.setting);
}

void SetupForm::writeSetting(const ControlRow& row) {
    std::visit(
        [&](auto member) {
            using M = decltype(member);
            if constexpr (std::is_same_v<M, std::monostate>) {
                return;
            } else if constexpr (std::is_same_v<M, std::string Settings::*>) {
                plugin_.settings.*member = view_.text(row.name);
            } else if constexpr (std::is_same_v<M, bool Settings::*>) {
                plugin_.settings.*member = view_.checked(row.name);
            } else {
                using T = std::remove_reference_t<decltype(plugin_.settings.*member)>;
                if (row.kind == ControlKind::SpinEdit) {
                    // Text the spin edit cannot take changes nothing; a number is held to the
                    // control's bounds.
                    const auto typed = parseNumber(view_.text(row.name));
                    if (!typed) return;
                    plugin_.settings.*member =
                        static_cast<T>(std::clamp<std::int64_t>(*typed, row.low, row.high));
                } else {
                    plugin_.settings.*member =
                        static_cast<T>(std::max(0, view_.selection(row.name)));
                }
            }
        },
        row.setting);
}

void SetupForm::setAntispamLabel() {
    view_.setCaption(
        "Label15",
        plugin_.strings[plugin_.settings.antispamActive ? text::kAntispamOn : text::kAntispamOff]);
}

void SetupForm::formCreate() {
    Log& log = plugin_.log;
    Settings& settings = plugin_.settings;
    log.write("TZVXsetupf.FormCreate");
    for (const ControlRow& row : setupControls()) fillControl(row);
    setAntispamLabel();
    if (settings.monitorWindowOn && monitorFactory_ && !monitor_) {
        // The monitor only watches training: without it the dialog is whole.
        try {
            monitor_ = monitorFactory_(plugin_);
        } catch (...) {
            logEscapedException(&log, "OSDForm creation", std::current_exception());
        }
    }

    log.write("Stage 1");
    try {
        const std::vector<std::string> names(std::begin(kStatItemNames), std::end(kStatItemNames));
        for (const char* box : {"cb1", "cb2"}) {
            view_.setItems(box, names);
            view_.setSelection(box, 0);
        }
    } catch (...) {
        log.write("Exception while setting itemindex to 0");
    }
    view_.setText("Edit10", "[$$entry]");
    view_.setText("Edit11", "$$nl");
    view_.setText("Edit5", "metogy");
    view_.setText("Edit8", kInitialPattern);
    view_.setText("ScrSource", kInitialScript);
    scrSourceChange();
    log.write("Stage 2");
    if (plugin_.platform.ui) plugin_.platform.ui->pumpMessages();
    try {
        loadRecipients();
    } catch (...) {
        // A list that cannot be read is an empty list.
    }

    log.write("Stage 3");
    if (plugin_.trayModule) plugin_.trayModule->setIconMode(settings.trayIconMode);
    view_.setChecked("EnableDebuggingMode", kDebugLevel != 0);
    view_.setVisible("UUEoptions", settings.attachmentCompleterOn);
    view_.setText("wdi", settings.partsDir);
    if (onHotKeyStep) {
        try {
            onHotKeyStep();
        } catch (...) {
            logEscapedException(&log, "hot key set-up", std::current_exception());
        }
    }

    log.write("Creating mainform");
    view_.setCaption("", setupWindowCaption());

    log.write("Reiniting form");
    reinitform();
    if (plugin_.trayModule) plugin_.trayModule->setMouseTracking(settings.mouseTracking);

    try {
        showRecipientHeader();
    } catch (...) {
        log.write("except while reiniting form");
    }
    showLanguageGrid();

    try {
        fillControl(*findControl("TimeFormatUnitSelect"));
        fillControl(*findControl("FileSizeUnitSelect"));
    } catch (...) {
        log.write("Exception while selecting index");
    }

    log.write("Refreshing");
    refr();
    const LanguageContext context = languageContext();
    loadLanguage(context, settings.languageFile);
    view_.setActivePage("RolloutSettings");
    view_.setVisible("DebugSheet", kDebugLevel != 0);

    log.write("Updating fsrx....");
    updatefsrx();

    log.write("Reading language data");
    readLangData(context, settings.installDir + settings.languageFile);
    log.write("Done");
}

void SetupForm::showLanguageGrid() {
    const StringTable& strings = plugin_.strings;
    const std::vector<std::string> header = {strings[text::kLanguageColumn0],
                                             strings[text::kLanguageColumn0 + 1],
                                             strings[text::kLanguageColumn0 + 2]};
    std::vector<std::vector<std::string>> rows;
    plugin_.log.write("Trying to build langfile list");
    const std::string& folder = plugin_.settings.installDir;
    try {
        FileSystem& files = *plugin_.platform.files;
        for (const std::string& name : files.listFiles(folder, ".zlf")) {
            const auto bytes = files.readFile(folder + name, kMaxLanguageFileBytes);
            const IniFile ini = bytes ? IniFile::parse(*bytes) : IniFile{};
            rows.push_back({ini.getString(lang::kStrings, "199", ""),
                            ini.getString(lang::kStrings, "200", ""), toLower1251(name)});
        }
    } catch (...) {
        plugin_.log.write("Exception in formcreate searching *.zlf");
    }
    view_.setGrid("langlist", header, rows);

    const std::string current = toUpper1251(fileNamePart(plugin_.settings.languageFile));
    int selected = rows.empty() ? -1 : 0;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (toUpper1251(rows[i][2]) == current) selected = static_cast<int>(i);
    view_.setSelection("langlist", selected);
    plugin_.log.write("List built");
}

void SetupForm::formShow() { refr(); }

void SetupForm::formHide() { saveRecipients(); }

void SetupForm::refr() {
    const StringTable& strings = plugin_.strings;
    const Settings& settings = plugin_.settings;
    std::vector<std::string> sizes = view_.items("FileSizeUnitSelect");
    for (std::size_t i = 0; i < sizes.size(); ++i)
        sizes[i] = strings[text::kUnitsOfSize0 + static_cast<int>(i)];
    view_.setItems("FileSizeUnitSelect", sizes);
    fillControl(*findControl("FileSizeUnitSelect"));
    showScripts();
    setAntispamLabel();
    showBriefStatistics();
    view_.setText("Edit3", settings.languageFile);
    view_.setText("Edit1", strings[str::kLanguageName]);
    view_.setText("Edit2", strings[str::kLanguageAuthor]);
    showVariables();
    refreshchunks();
}

void SetupForm::showScripts() {
    const StringTable& strings = plugin_.strings;
    const scripting::ScriptRunner* runner = scripting::scriptRunner(plugin_);
    view_.setGrid("ScriptsList",
                  {strings[debug_text::kVariableName], strings[debug_text::kVariableType],
                   strings[debug_text::kFileColumn]},
                  runner ? scriptRows(runner->table(), strings) : GridRows{});
    showScript(view_.selection("ScriptsList"));
}

void SetupForm::showBriefStatistics() {
    const Settings& s = plugin_.settings;
    BriefCounters counters;
    counters.onlineSeconds = s.onlineSeconds;
    counters.onlineSessions = s.dialUpConnectionsFinished;
    counters.letters = s.messagesCounted;
    counters.starts = s.startCount;
    counters.ends = s.endCount;
    counters.sessionSeconds = sessionSeconds(plugin_);
    counters.totalSessionSeconds = totalSessionSeconds(plugin_);
    counters.endedSessionSeconds = s.totalSessionSeconds;
    counters.totalBytes = s.totalBytes;
    counters.headerBytes = s.headerBytes;
    counters.textBytes = s.bodyBytes;
    if (plugin_.trayModule) counters.mouse = plugin_.trayModule->mouseTravel();
    const DisplayUnits units{s.timeDisplayUnit, s.sizeDisplayUnit,
                             functions::numerals::russianDurationWords(plugin_.strings)};
    view_.setGrid("stat", {plugin_.strings[text::kNameColumn], plugin_.strings[text::kValueColumn]},
                  briefStatisticsRows(counters, units, plugin_.strings));
}

void SetupForm::showVariables() {
    view_.setGrid("VariableList", variableHeader(plugin_.strings),
                  variableRows(plugin_.variables, plugin_.strings));
}

void SetupForm::reinitform() {
    const StringTable& strings = plugin_.strings;
    setAntispamLabel();
    view_.setText(
        "mlist",
        macroListText(plugin_.scripting ? plugin_.scripting->scriptNameList() : "", strings));

    std::vector<std::string> items;
    for (int i = 0; i < kStatItemCount; ++i) items.push_back(strings[text::kStatisticsItem0 + i]);
    view_.setItems("StatisticsLists", items);
    for (int i = 0; i < kStatItemCount; ++i)
        view_.setItemChecked("StatisticsLists", i, (plugin_.settings.statisticsFlags >> i) & 1);
    for (const int fixed : kFixedStatisticsItems)
        view_.setItemEnabled("StatisticsLists", fixed, false);

    refr();

    std::vector<std::string> levels;
    for (int i = 0; i < 4; ++i) levels.push_back(strings[text::kCompression0 + i]);
    view_.setItems("CompressionOptions", levels);
    fillControl(*findControl("CompressionOptions"));
    updatemu();
    showRecipientHeader();
}

void SetupForm::showRecipientHeader() {
    view_.setGrid("vle",
                  {plugin_.strings[text::kEntryName], plugin_.strings[text::kAddressOrRegexp]},
                  view_.gridRows("vle"));
}

void SetupForm::takeRecipientEdits() {
    plugin_.recipientList.lines = recipientLinesOfRows(view_.gridRows("vle"));
}

void SetupForm::loadRecipients() {
    const std::vector<std::string> header = {plugin_.strings[text::kEntryName],
                                             plugin_.strings[text::kAddressOrRegexp]};
    view_.setGrid("vle", header, {});
    loadRecipientList(plugin_.recipientList, *plugin_.platform.files, plugin_.settings.installDir);
    view_.setGrid("vle", header, recipientRowsOf(plugin_.recipientList.lines));
}

void SetupForm::saveRecipients() {
    takeRecipientEdits();
    std::string error;
    const bool saved = saveRecipientList(plugin_.recipientList, *plugin_.platform.files,
                                         plugin_.settings.installDir, error);
    if (!plugin_.recipientList.keptNote.empty()) plugin_.log.write(plugin_.recipientList.keptNote);
    if (!saved) plugin_.log.write("Can't save string to file " + error);
}

void SetupForm::updatefsrx() {
    const RecipientExpression built = buildRecipientExpression(plugin_.recipientList.lines);
    for (const std::string& line : built.leftOut)
        plugin_.log.write("Recipient rule left out, its expression does not compile: " + line);
    if (plugin_.recipientFilter) plugin_.recipientFilter->setExpression(built.expression);
    plugin_.log.write("fsrx: " + built.expression);
}

void SetupForm::updatemu() {
    const StringTable& strings = plugin_.strings;
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < kStatItemCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        std::string value = strings[text::kNotAvailable];
        if (plugin_.statItems[slot]) {
            const statistics::StatItem* item = statistics::statItem(plugin_, i);
            const std::size_t words = item ? item->store().tree().countWords() : 0;
            value = memoryUsageText(words, plugin_.statItemMemoryKb[slot]);
        }
        rows.push_back({kStatItemNames[slot], value});
    }
    view_.setGrid("mu", {strings[text::kNameColumn], strings[text::kValueColumn]}, rows);
}

void SetupForm::refreshchunks() {
    const StringTable& strings = plugin_.strings;
    std::vector<std::string> header = {strings[text::kPartsFileName],
                                       strings[text::kPartsFileName + 1],
                                       strings[text::kPartsFileName + 2], strings[text::kPartsAge]};
    std::vector<std::vector<std::string>> rows;
    if (plugin_.platform.files != nullptr && !plugin_.settings.partsDir.empty()) {
        const double now = plugin_.platform.clock->now();
        for (const statistics::PendingUueSet& set :
             statistics::readPendingUueSets(plugin_, kMaxPendingRows)) {
            const double stamp = set.stamp.value_or(now);
            const std::string parts = set.collected != set.expected
                                          ? decimal(set.collected) + "/" + decimal(set.expected)
                                          : strings[text::kPartsDone] + " (" +
                                                decimal(set.expected) + " " +
                                                strings[text::kPartsWord] + ")";
            const double days = std::min(std::fabs(now - stamp), 1e9);
            rows.push_back({set.name, parts, defaultDateTimeText(*plugin_.platform.locale, stamp),
                            decimal(static_cast<std::int64_t>(days))});
        }
    }
    view_.setGrid("sg", header, rows);
}

void SetupForm::appendDebugLine(const std::string& line) {
    view_.appendLine("DebugBox", line, kMaxDebugLines);
}

// ---- handlers ----------------------------------------------------------------------------------

void SetupForm::trayIconModeClick() {
    if (plugin_.trayModule) plugin_.trayModule->setIconMode(plugin_.settings.trayIconMode);
}

void SetupForm::statisticsListsClick() {
    std::int32_t flags = 0;
    for (int i = 0; i < kStatItemCount; ++i)
        if (view_.itemChecked("StatisticsLists", i)) flags |= 1 << i;
    plugin_.settings.statisticsFlags = flags;
    plugin_.log.write("Mad flags: " + hexUpper(static_cast<std::uint32_t>(flags)) + " (" +
                      decimal(flags) + ")");
}

void SetupForm::langlistClick() {
    const auto rows = view_.gridRows("langlist");
    // The header row and the empty space below the rows choose nothing.
    if (clickedRow_ < 0 || clickedRow_ >= static_cast<int>(rows.size())) return;
    const auto& row = rows[static_cast<std::size_t>(clickedRow_)];
    if (row.size() < 3) return;
    Settings& settings = plugin_.settings;
    settings.languageFile = row[2];
    view_.setSelection("langlist", clickedRow_);

    readLangData(languageContext(), settings.installDir + settings.languageFile);
    plugin_.log.write("Language is now " + settings.languageFile);
    if (!plugin_.platform.registry->writeString(kSettingsKey, "sLangFile", settings.languageFile))
        plugin_.log.write("The language file could not be stored in the registry");

    const StringTable& strings = plugin_.strings;
    view_.setGrid("langlist",
                  {strings[text::kLanguageColumn0], strings[text::kLanguageColumn0 + 1],
                   strings[text::kLanguageColumn0 + 2]},
                  rows);
    view_.setSelection("langlist", clickedRow_);
    view_.redraw();
    reinitform();
    if (plugin_.trayModule)
        plugin_.trayModule->showBalloon(strings[text::kLanguageChanged],
                                        strings[text::kLanguageSet], kBalloonSeconds);
}

void SetupForm::saveLangClick() {
    const Settings& settings = plugin_.settings;
    const std::string proposed =
        settings.languageFile.empty() ? std::string() : settings.installDir + settings.languageFile;
    const auto chosen = view_.saveFileName(proposed);
    if (!chosen || chosen->empty()) return;
    // The chosen file is replaced only by a whole new one: a failed write leaves it as it was.
    if (!writeLangData(languageContext(), *chosen))
        plugin_.log.write("The language file " + *chosen + " could not be written");
}

void SetupForm::setNextStartAntispam(bool on) {
    plugin_.settings.enableAntispam = on;
    if (on)
        plugin_.settings.enabledItems |= kMadFlagsNextStartAntispam;
    else
        plugin_.settings.enabledItems &= ~kMadFlagsNextStartAntispam;
    if (plugin_.trayModule)
        plugin_.trayModule->showBalloon("Quilbex " + std::string(kVersionText),
                                        plugin_.strings[text::kRestartHost],
                                        kRestartBalloonSeconds);
}

void SetupForm::turnOnClick() { setNextStartAntispam(true); }

void SetupForm::turnOffClick() { setNextStartAntispam(false); }

void SetupForm::uuecenabledClick() {
    const bool on = plugin_.settings.attachmentCompleterOn;
    view_.setVisible("UUEoptions", on);
    if (on && plugin_.factories.initAttachmentCompleter)
        plugin_.factories.initAttachmentCompleter(plugin_);
}

void SetupForm::trackMouseCursorClick() {
    if (plugin_.trayModule) plugin_.trayModule->setMouseTracking(plugin_.settings.mouseTracking);
}

void SetupForm::ellipsisClick() {
    Settings& settings = plugin_.settings;
    const auto chosen = view_.pickFolder(settings.partsDir, plugin_.strings[121]);
    if (!chosen || chosen->empty()) return;
    // Every user of the folder appends a file name to it.
    settings.partsDir = withTrailingBackslash(*chosen);
    view_.setText("wdi", settings.partsDir);
    if (settings.attachmentCompleterOn && plugin_.factories.initAttachmentCompleter)
        plugin_.factories.initAttachmentCompleter(plugin_);
}

void SetupForm::uueDocompletionClick() {
    statistics::completePendingUue(plugin_, true);
    refr();
}

void SetupForm::removeOlderClick() {
    statistics::removeOlderUueParts(plugin_, plugin_.settings.pendingPartsMaxAgeDays);
    refr();
}

void SetupForm::resetStatistsClick() { resetStatistics(plugin_); }

// The traffic rules and the recipient filter follow the grid as it is edited, not only when the
// dialog is hidden: a rule typed in counts from the next message on.
void SetupForm::vleChange() {
    takeRecipientEdits();
    updatefsrx();
}

void SetupForm::forceSaveMadsClick() {
    statistics::sortAllItems(plugin_);
    // Sorting alone writes nothing; the button promises the files.
    statistics::processAllItems(plugin_, false);
    backup();
}

void SetupForm::useGlobalHotKeyClick() {
    const bool on = view_.checked("UseGlobalHotKey");
    for (const char* name : {"gk_ks", "WINMOD", "ALTMOD", "SHMOD", "CTRLMOD"})
        view_.setVisible(name, on);
    // Checking the box again brings no key back: the next choice in the list does.
    if (!on) plugin_.settings.hotKeyCode = 0;
}

void SetupForm::backup() {
    Log& log = plugin_.log;
    const auto step = [&](const char* failure, auto&& body) {
        try {
            body();
        } catch (...) {
            log.write(failure);
        }
    };
    log.write("Backuping settings");
    // The traffic rules below apply the list as the user sees it now.
    step("Can't save string to file", [&] { takeRecipientEdits(); });
    step("Can't update traffic info", [&] {
        log.write("UPD2");
        if (plugin_.factories.updateTrafficInfo) plugin_.factories.updateTrafficInfo(plugin_);
    });
    step("Can't save all data", [&] {
        plugin_.variables.save(plugin_.platform, plugin_.settings.installDir + "var.dat", log);
    });
    step("Can't put data to reg", [&] {
        saveSettings(plugin_.settings, SettingsIo{plugin_.platform, log});
    });
    step("Can't save string to file", [&] { saveRecipients(); });
    step("Can't save all the mads", [&] { statistics::sortAllItems(plugin_); });
    if (plugin_.spamFilter) plugin_.spamFilter->updateThresholds();
    log.write("Backup done");
}

// ---- the tester and script pages ----------------------------------------------------------------

std::optional<std::string> SetupForm::chosenFileText() {
    const auto chosen = view_.openFileName();
    if (!chosen || chosen->empty()) return std::nullopt;
    auto bytes = plugin_.platform.files->readFile(*chosen, kMaxTesterFileBytes);
    if (!bytes) plugin_.log.write("The file " + *chosen + " could not be read");
    return bytes;
}

void SetupForm::button3Click() {
    if (const auto text = chosenFileText()) view_.setText("srctxt", *text);
}

void SetupForm::button5Click() {
    view_.setText("dsttxt", "");
    const TesterResult result = searchPattern(view_.text("Edit8"), view_.text("srctxt"));
    if (result.cut)
        plugin_.log.write("Regexp tester: only the first " +
                          decimal(static_cast<std::int64_t>(kMaxTesterLines)) +
                          " matches are listed");
    if (!result.gaveUp.empty()) plugin_.log.write("Regexp tester: " + result.gaveUp);
    std::string lines;
    for (const std::string& line : result.lines) lines += line + "\r\n";
    view_.setText("dsttxt", lines);
}

void SetupForm::scriptsListClick() { showScript(clickedRow_); }

void SetupForm::showScript(int index) {
    const auto rows = view_.gridRows("ScriptsList");
    if (index < 0 || index >= static_cast<int>(rows.size())) return;
    const auto& row = rows[static_cast<std::size_t>(index)];
    const scripting::ScriptRunner* runner = scripting::scriptRunner(plugin_);
    if (row.empty() || !runner) return;
    view_.setSelection("ScriptsList", index);
    const scripting::FoundScript found = scripting::findScript(runner->table(), row[0]);
    if (found.index < 0) return;
    const auto& entry = runner->table().entries[static_cast<std::size_t>(found.index)];
    // Only Pascal has a colouring here; the other languages are shown plain.
    highlightPascal_ = entry.lang == scripting::ScriptLang::Pascal;
    view_.setText("ScrSource", found.text);
    scrSourceChange();
}

void SetupForm::runScriptClick() {
    scripting::ScriptRunner* runner = scripting::scriptRunner(plugin_);
    if (runner) runner->publishVariables();
    view_.setText("OutputStr", "");
    const auto rows = view_.gridRows("ScriptsList");
    const int selected = view_.selection("ScriptsList");
    if (selected < 0 || selected >= static_cast<int>(rows.size())) return;
    const auto& row = rows[static_cast<std::size_t>(selected)];
    if (row.empty()) return;
    const std::string result =
        runner ? runner->runScript(row[0])
               : plugin_.strings[debug_text::kScriptError] + " Scripting is not started";
    view_.setText("OutputStr", plugin_.strings[debug_text::kScriptResult] + ": [" + result + "]");
}

void SetupForm::reinitClick() {
    if (scripting::ScriptRunner* runner = scripting::scriptRunner(plugin_)) runner->start();
    refr();
}

void SetupForm::scrSourceChange() {
    view_.setHighlights("ScrSource", highlightPascal_ ? highlightPascal(view_.text("ScrSource"))
                                                      : std::vector<HighlightRange>{});
}

void SetupForm::edit7Change() {
    const int slot = view_.selection("cb2");
    if (slot < 0 || slot >= kStatItemCount) return;
    statistics::StatItem* item = statistics::statItem(plugin_, slot);
    if (!item) {
        view_.setCaption("Label12", "Not present");
        return;
    }
    const statistics::ExportResult result =
        item->exportEntries(view_.text("Edit7"), view_.text("Edit10"), view_.text("Edit11"));
    view_.setText("Memo1", result.text);
    view_.setCaption("Label12", result.status > 0    ? "Found"
                                : result.status == 0 ? "Not found"
                                                     : "Bad pattern");
}

// ---- the spam tester and trainer
// -----------------------------------------------------------------

void SetupForm::antiSpamSettingsChange() {
    view_.setText("SpamInfo", "");
    std::string text = view_.text("AntiSpamSettings");
    if (text.size() > kMaxTesterFileBytes) text.resize(kMaxTesterFileBytes);
    const std::int32_t score =
        plugin_.settings.antispamActive
            ? statistics::roundHalfEven(statistics::getTextSpamScore(plugin_, text) * 100)
            : -1;
    view_.setText("SpamInfo", spamVerdictText(score, plugin_.strings));

    // The scoring has just filled the scratch item with the text's words.
    std::string lines = "1111";
    if (const statistics::StatItem* scratch = statistics::statItem(plugin_, StatSlot::Temp2)) {
        std::size_t count = 0;
        for (const statistics::WordCount& word : statistics::wordCounts(scratch->store().tree())) {
            if (++count > kMaxTokenLines) break;
            lines += "\r\n" + tokenScoreLine(statistics::getWordSpamProbability(plugin_, word.word),
                                             word.word);
        }
    }
    view_.setText("TOkenList", lines);
}

void SetupForm::clearTextClick() {
    view_.setText("AntiSpamSettings", "");
    antiSpamSettingsChange();
}

void SetupForm::loadTextClick() {
    const auto text = chosenFileText();
    if (!text) return;
    view_.setText("AntiSpamSettings", *text);
    antiSpamSettingsChange();
}

void SetupForm::train(int slot) {
    statistics::StatItem* item = statistics::statItem(plugin_, slot);
    if (!item) {
        view_.setText("SpamInfo", plugin_.strings[debug_text::kAntispamDisabled]);
        return;
    }
    const std::string text =
        mail::normalizeSpamText(toLower1251(view_.text("AntiSpamSettings")), false);
    item->addText(text, plugin_.settings.spamMinWordLength, false, -1);
    view_.setText("SpamInfo", plugin_.strings[debug_text::kTrainedNextStart]);
}

void SetupForm::markAsSpamClick() { train(static_cast<int>(StatSlot::Spam)); }

void SetupForm::markAsNonSpamClick() { train(static_cast<int>(StatSlot::NonSpam)); }

// ---- the Debug page's statistics viewer --------------------------------------------------------

void SetupForm::dumpClick() {
    view_.setText("ds", "");
    const int slot = view_.selection("cb1");
    const statistics::StatItem* item =
        slot >= 0 && slot < kStatItemCount ? statistics::statItem(plugin_, slot) : nullptr;
    if (!item) {
        view_.setText("ds", "This statistics is empty");
        return;
    }
    const statistics::WordTrie& tree = item->store().tree();
    std::string lines = "Branches: " + decimal(static_cast<std::int64_t>(tree.countNodes())) +
                        "\r\nLeaves: " + decimal(static_cast<std::int64_t>(tree.countWords()));
    std::size_t count = 0;
    tree.forEachEntry([&](const statistics::StatEntry& entry) {
        if (++count <= kMaxDumpLines) lines += "\r\n" + dumpLine(entry.count, entry.key);
    });
    view_.setText("ds", lines);
}

void SetupForm::panel3Click() {
    view_.setText("ds", "");
    const statistics::StatItem* item = statistics::statItem(plugin_, StatSlot::Traffic);
    if (!item) {
        view_.setText("ds", plugin_.strings[debug_text::kTrafficMissing]);
        return;
    }
    std::string lines;
    std::int64_t number = 0;
    item->store().tree().forEachEntry([&](const statistics::StatEntry& entry) {
        if (static_cast<std::size_t>(number) >= kMaxDumpLines) return;
        if (number++) lines += "\r\n";
        lines += trafficTableLine(number, entry.key, entry.size, entry.count);
    });
    view_.setText("ds", lines);
}

void SetupForm::edit5Change() {
    const double probability = statistics::getWordSpamProbability(plugin_, view_.text("Edit5"));
    plugin_.log.write(floatToText(probability));
    char mark[48];
    std::snprintf(mark, sizeof mark, "Mark: %3.3f", probability);
    view_.setCaption("Label3", mark);
}

void SetupForm::buttClick() {
    view_.setText("debuglist", "");
    plugin_.log.write("1");
    view_.setText("debuglist", "Spam score: -1");
    plugin_.log.write("4");
}

void SetupForm::button1Click() {
    plugin_.log.write("UPD1");
    if (plugin_.factories.updateTrafficInfo) plugin_.factories.updateTrafficInfo(plugin_);
}

void SetupForm::speedButton1Click() {
    const scripting::ScriptRunner* runner = scripting::scriptRunner(plugin_);
    plugin_.log.write("\r\n" + (runner ? scripting::scriptFileList(runner->table()) : ""));
    statistics::loadPlanarList(plugin_, plugin_.settings.statisticsDir + "Spam.Stat");
}

void SetupForm::speedButton2Click() {
    view_.setText("debuglist", "");
    const std::string headers = view_.text("ds");
    const functions::dates::DateSources sources{
        headers, "", *plugin_.platform.clock, *plugin_.platform.locale,
        [this](std::string_view line) { plugin_.log.write(line); }};
    const auto span = [&](int a, int b) {
        const auto seconds = functions::dates::deliveryTimeText(sources, a, b);
        return seconds ? formatDuration(8, false, *seconds, plugin_.strings,
                                        functions::numerals::russianDurationWords(plugin_.strings))
                       : plugin_.strings[text::kNotAvailable];
    };
    using namespace functions::dates;
    view_.setText("debuglist", "1-2: " + span(kDateHeader, kFirstHop) + "\r\n2-3: " +
                                   span(kFirstHop, kLastHop) + "\r\n3-5: " + span(kLastHop, kNow) +
                                   "\r\n------------\r\n1-5: " + span(kDateHeader, kNow));
}

}  // namespace qbx::ui
