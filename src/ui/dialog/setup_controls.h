// The settings dialog as data: one row per control, as the settings themselves are one row per
// registry value. A row names the control (the name the language files address it by), its
// kind, default caption, parent (page, captioned panel or roll-out), its bounds, the setting it
// writes when the user changes it and the model's method that does the rest. The view builds
// every page from these rows; the model fills and reads the controls through them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/settings.h"
#include "core/ui_components.h"

namespace qbx::ui {

class SetupForm;

enum class ControlKind : std::uint8_t {
    Page,          // a tab page of `Tabs`
    CaptionPanel,  // a captioned column of roll-outs
    GroupBox,      // on a page of its own layout: a captioned frame round its children
    RollOut,       // a panel that opens and closes when its header is clicked
    Label,
    CheckBox,
    Button,
    RadioGroup,  // items from the row's `items`, `columns` wide
    SpinEdit,    // a number between `low` and `high`
    Edit,
    ReadOnlyEdit,
    DropDownList,
    Grid,       // a report of rows; `rows` visible lines
    CheckList,  // items with check boxes; `rows` visible lines
    ValueList,  // name=value rows: `columns` 2, `rows` visible lines, keys unique
    ListBox,
    Memo,      // several lines of text; its caption is a title above it
    RichEdit,  // a memo whose ranges the model colours
};

enum ControlFlag : std::uint8_t {
    kNoFlags = 0,
    kDisabled = 1,
    kGrayed = 2,      // a check box whose state starts undecided (until its setting fills it)
    kHidden = 4,      // a page or roll-out whose content another piece brings
    kBeside = 8,      // placed to the right of the control before it
    kWide = 16,       // a button or edit that takes the whole line
    kReadOnly = 32,   // a memo the user reads and copies from but does not edit
    kNewColumn = 64,  // on a page of its own layout: starts the next column
    kNoWrap = 128,    // a memo of table lines: a long line scrolls sideways instead of wrapping
};

// The setting a control writes. Check boxes take the byte settings, spin edits the numbers
// (clamped to the row's bounds), radio groups and lists their item index, edits the texts.
using Binding =
    std::variant<std::monostate, bool Settings::*, std::int32_t Settings::*,
                 std::uint16_t Settings::*, std::uint8_t Settings::*, std::string Settings::*>;

using Handler = void (SetupForm::*)();

struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* caption;  // UTF-8 in the table; the view shows code page 1251 text
    const char* parent;   // "" for a page: its parent is `Tabs`
    std::uint8_t flags = kNoFlags;
    Binding setting{};
    Handler handler = nullptr;
    int low = 0, high = 0;   // spin edit bounds
    int columns = 1;         // radio group columns; grid columns
    int rows = 0;            // visible lines of a grid, check list, list or name=value list
    const char* items = "";  // radio group and list items, separated by '|'
};

// Every row, parents before their children, in the order the controls are created (and the
// Tab key walks them).
std::span<const ControlRow> setupControls();
// The row of a name; null when there is none.
const ControlRow* findControl(std::string_view name);
// The row's caption and items in code page 1251.
std::string defaultCaption(const ControlRow& row);
std::vector<std::string> defaultItems(const ControlRow& row);
// The language files' kind of a row.
ComponentKind componentKind(ControlKind kind);

}  // namespace qbx::ui
