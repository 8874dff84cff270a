// The settings dialog's model: fills the controls from the settings, writes each setting when
// its control changes, builds the language grid, the memory and pending-parts grids and the
// recipient expression, and carries out the commands of its buttons. It sees its window only
// through DialogView, so everything here runs (and is tested) without one.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/recipient_list.h"
#include "core/ui_components.h"
#include "ui/dialog/dialog_view.h"
#include "ui/dialog/setup_controls.h"

namespace qbx {
struct Plugin;
struct LanguageContext;
}  // namespace qbx

namespace qbx::statistics {
class MonitorView;
}

namespace qbx::ui {

// The debug list keeps this many of the log's latest lines.
inline constexpr std::size_t kMaxDebugLines = 10000;
// The pending-parts grid shows at most this many files of UC.INI.
inline constexpr std::size_t kMaxPendingRows = 1000;
// Language files larger than this are not offered in the language grid.
inline constexpr std::size_t kMaxLanguageFileBytes = 4u << 20;
// A name=value list holds as many rows as the recipient list keeps rules, each cell this long.
inline constexpr std::size_t kMaxValueListRows = kMaxRecipientLines;
inline constexpr std::size_t kMaxValueListCell = kMaxRecipientTextBytes;

// Interface texts of the dialog (indexes of the string table).
namespace dialog_text {
inline constexpr int kUnitsOfSize0 = 280;  // "Bytes" .. "Terabytes"
inline constexpr int kCompression0 = 72;   // "No compression" .. "Max. compression"
inline constexpr int kStatisticsItem0 = 161;
inline constexpr int kEntryName = 178;
inline constexpr int kAddressOrRegexp = 179;
inline constexpr int kRestartHost = 190;
inline constexpr int kLanguageChanged = 191;
inline constexpr int kLanguageSet = 194;
inline constexpr int kLanguageColumn0 = 195;  // "Language", "Author", "Filename"
inline constexpr int kAntispamOn = 309;
inline constexpr int kAntispamOff = 310;
inline constexpr int kNameColumn = 90;
inline constexpr int kValueColumn = 92;
inline constexpr int kNotAvailable = 40;
inline constexpr int kPartsFileName = 60;  // 60 .. 62 "Filename", "Parts collected", "Time stamp"
inline constexpr int kPartsDone = 63;
inline constexpr int kPartsWord = 64;
inline constexpr int kPartsAge = 65;
}  // namespace dialog_text

// "Quilbex 2.4.1202 Summer edition (Build: 24.06.2005 1:49:41)"
std::string setupWindowCaption();

// The recipient expression built from the lines of the list: each line's value (after the first
// "=", the whole line without one) in parentheses, joined by "|", the whole in parentheses.
// A value that does not compile on its own is left out and its line is logged.
struct RecipientExpression {
    std::string expression;
    std::vector<std::string> leftOut;  // the lines whose value did not compile
};
RecipientExpression buildRecipientExpression(const std::vector<std::string>& lines);

// The recipient list as the rows of its grid and back. A line without "=" is a row without a
// name and becomes such a line again; a row without a value is no rule yet (as an empty
// alternative it would match every address) and stays out of the lines.
std::vector<std::vector<std::string>> recipientRowsOf(const std::vector<std::string>& lines);
std::vector<std::string> recipientLinesOfRows(const std::vector<std::vector<std::string>>& rows);

// "%.1fK/%.1fK" of the item's words x 136 bytes and the heap its creation took.
std::string memoryUsageText(std::size_t words, double creationKb);

// Makes the anti-spam monitor's window, hidden, for the dialog to own; null where there is none.
using MonitorFactory = std::function<std::unique_ptr<statistics::MonitorView>(Plugin&)>;

class SetupForm {
public:
    SetupForm(Plugin& plugin, DialogView& view, MonitorFactory monitorFactory = {});
    ~SetupForm();
    SetupForm(const SetupForm&) = delete;
    SetupForm& operator=(const SetupForm&) = delete;

    // The form and every control as the language files see them.
    UiComponent& components();

    // The view reports a change or click of a control; `row` is the clicked row of a grid
    // (-1 outside its rows). Writes the row's setting, then runs its handler. Never throws:
    // a failure is logged.
    void controlChanged(std::string_view name, int row = -1);
    // The in-place editor of a name=value list asks before a cell takes the typed text: the
    // text as the cell keeps it (its first line, at most kMaxValueListCell characters), or
    // nothing when it is refused (a name another row has, a name holding "="), which is logged.
    std::optional<std::string> valueListCell(std::string_view name, int row, int column,
                                             std::string_view text);

    void formCreate();
    void formShow();
    void formHide();
    void refr();
    // The variables grid as the variable table holds it now (also the variables timer's).
    void showVariables();
    void reinitform();
    void updatefsrx();
    void updatemu();
    void refreshchunks();
    void appendDebugLine(const std::string& line);
    // The anti-spam monitor's window, or null.
    statistics::MonitorView* monitor() const noexcept { return monitor_.get(); }

    // The handlers with a behaviour of their own, named after their controls.
    void trayIconModeClick();
    void statisticsListsClick();
    void langlistClick();
    void saveLangClick();
    void turnOnClick();
    void turnOffClick();
    void uuecenabledClick();
    void trackMouseCursorClick();
    void ellipsisClick();
    void uueDocompletionClick();
    void removeOlderClick();
    void forceSaveMadsClick();
    void resetStatistsClick();
    // The global hot key's roll-out: the key list and the modifiers show with the box.
    void useGlobalHotKeyClick();
    // The force save: settings, variables, recipients and statistics to their files.
    void backup();
    // Runs at the creation's hot-key step (the window registers the key there).
    std::function<void()> onHotKeyStep;
    void vleChange();
    // The tester and script pages.
    void button3Click();
    void button5Click();
    void scriptsListClick();
    void runScriptClick();
    void reinitClick();
    void scrSourceChange();
    void edit7Change();
    // The spam tester and trainer.
    void antiSpamSettingsChange();
    void clearTextClick();
    void loadTextClick();
    void markAsSpamClick();
    void markAsNonSpamClick();
    // The Debug page's statistics viewer.
    void dumpClick();
    void panel3Click();
    void edit5Change();
    void buttClick();
    void button1Click();
    void speedButton1Click();
    void speedButton2Click();

    // Filled from the settings / written to them, for every bound row.
    void fillControl(const ControlRow& row);
    void writeSetting(const ControlRow& row);

private:
    class Components;
    LanguageContext languageContext();
    void showLanguageGrid();
    void setAntispamLabel();
    void setNextStartAntispam(bool on);
    void loadRecipients();
    void showRecipientHeader();
    void saveRecipients();
    // The list as edited in the window becomes the Plugin's list.
    void takeRecipientEdits();
    void showScripts();
    void showScript(int row);
    void train(int slot);
    std::optional<std::string> chosenFileText();
    void showBriefStatistics();

    Plugin& plugin_;
    DialogView& view_;
    std::unique_ptr<Components> components_;
    int clickedRow_ = -1;
    MonitorFactory monitorFactory_;
    // Made at the creation when "Enable on-screen debug display" is on.
    std::unique_ptr<statistics::MonitorView> monitor_;
    // The editor colours Pascal until a script of another language is shown in it.
    bool highlightPascal_ = true;
};

}  // namespace qbx::ui
