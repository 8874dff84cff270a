// What the settings dialog's model asks of its window: the state of each control, found by its
// component name, and the two system dialogs it opens. The Win32 view implements it with real
// windows; the tests with a fake that only remembers. A name the view does not know reads as
// empty and takes no writes, so the model never has to check for a control's existence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qbx::ui {

// What a coloured stretch of an editor's text is.
enum class Highlight : std::uint8_t { Keyword, String, Comment, Number };

// Byte offsets into the text as text() gives it (lines joined by CR LF).
struct HighlightRange {
    std::size_t start = 0;
    std::size_t length = 0;
    Highlight kind = Highlight::Keyword;
    bool operator==(const HighlightRange&) const = default;
};

class DialogView {
public:
    virtual ~DialogView() = default;

    // The caption of a label, button, check box, roll-out, panel, tab or group; the window's own
    // caption under the empty name.
    virtual std::string caption(std::string_view name) const = 0;
    virtual void setCaption(std::string_view name, std::string_view caption) = 0;

    // Check boxes (and the check state of a check list's items).
    virtual bool checked(std::string_view name) const = 0;
    virtual void setChecked(std::string_view name, bool checked) = 0;

    // The text of an edit, a spin edit or a read-only edit; the lines of a memo or a list box
    // joined by CR LF.
    virtual std::string text(std::string_view name) const = 0;
    virtual void setText(std::string_view name, std::string_view text) = 0;

    // The items of a radio group, drop-down list or check list; the selected item (-1 none).
    // Replacing the items keeps the selection when its index still exists.
    virtual std::vector<std::string> items(std::string_view name) const = 0;
    virtual void setItems(std::string_view name, const std::vector<std::string>& items) = 0;
    virtual int selection(std::string_view name) const = 0;
    virtual void setSelection(std::string_view name, int index) = 0;
    virtual bool itemChecked(std::string_view name, int index) const = 0;
    virtual void setItemChecked(std::string_view name, int index, bool checked) = 0;
    // A disabled item of a check list keeps its check whatever the user does.
    virtual void setItemEnabled(std::string_view name, int index, bool enabled) = 0;

    // Grids and name=value lists: the header cells, then the rows (each a list of cells; two for
    // a name=value list). The selection is the selected row, -1 when there is none.
    virtual void setGrid(std::string_view name, const std::vector<std::string>& header,
                         const std::vector<std::vector<std::string>>& rows) = 0;
    virtual std::vector<std::string> gridHeader(std::string_view name) const = 0;
    virtual std::vector<std::vector<std::string>> gridRows(std::string_view name) const = 0;
    // A list box: a line at the end, the oldest lines dropped past maxLines.
    virtual void appendLine(std::string_view name, std::string_view line, std::size_t maxLines) = 0;

    virtual bool enabled(std::string_view name) const = 0;
    virtual void setEnabled(std::string_view name, bool enabled) = 0;
    virtual bool visible(std::string_view name) const = 0;
    // A tab page's visibility is whether its tab is offered.
    virtual void setVisible(std::string_view name, bool visible) = 0;
    virtual void setActivePage(std::string_view name) = 0;
    virtual void redraw() = 0;

    // A folder chosen by the user (a new one may be made), or nothing when cancelled.
    virtual std::optional<std::string> pickFolder(std::string_view start,
                                                  std::string_view title) = 0;
    // A file name to save to, proposed first; nothing when cancelled.
    virtual std::optional<std::string> saveFileName(std::string_view proposed) = 0;
    // An existing file to read, or nothing when cancelled.
    virtual std::optional<std::string> openFileName() = 0;
    // The coloured stretches of a rich edit, replacing the former ones; the rest is plain.
    virtual void setHighlights(std::string_view name,
                               const std::vector<HighlightRange>& ranges) = 0;
};

}  // namespace qbx::ui
