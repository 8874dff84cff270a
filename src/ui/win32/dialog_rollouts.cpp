#include "ui/win32/dialog_window_parts.h"

#include "ui/win32/dialog_text.h"

namespace qbx::ui::win32::settings_window {

namespace {

// The captions that are text of a control of their own kind.
bool isInput(K kind) {
    return kind == K::Edit || kind == K::ReadOnlyEdit || kind == K::SpinEdit ||
           kind == K::DropDownList;
}

}  // namespace

bool DialogWindow::insideExpandedRollOut(const Control& control) const {
    const Control* parent = find(control.row->parent);
    return !parent || parent->row->kind != K::RollOut || parent->expanded;
}

void DialogWindow::showContent(Control& rollOut) {
    for (Control& c : controls_) {
        if (c.row->parent != std::string_view(rollOut.row->name)) continue;
        const int show = rollOut.expanded && !c.hidden ? SW_SHOW : SW_HIDE;
        ShowWindow(c.window, show);
        if (c.extra) ShowWindow(c.extra, show);
        for (const HWND radio : c.radios) ShowWindow(radio, show);
    }
}

void DialogWindow::toggle(Control& rollOut) {
    rollOut.expanded = !rollOut.expanded;
    setWindowText(rollOut.extra, (rollOut.expanded ? "[-] " : "[+] ") + rollOut.caption);
    showContent(rollOut);
    layout();
}

int DialogWindow::layoutRollOut(Control& rollOut, int width) {
    const int pad = scale(6);
    const int gap = scale(4);
    const int headerHeight = lineHeight_ + scale(10);
    const int editHeight = lineHeight_ + scale(8);
    const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK) + scale(8);
    MoveWindow(rollOut.extra, 0, 0, width - 2, headerHeight, TRUE);
    if (!rollOut.expanded) return headerHeight + 2;

    std::vector<Control*> children;
    for (Control& c : controls_)
        if (c.row->parent == std::string_view(rollOut.row->name) && !c.hidden)
            children.push_back(&c);

    const int inner = width - 2;
    // The labels before inputs share one width, so that the inputs line up.
    int labelColumn = 0;
    for (std::size_t i = 0; i + 1 < children.size(); ++i)
        if (children[i]->row->kind == K::Label && (children[i + 1]->row->flags & kBeside) &&
            isInput(children[i + 1]->row->kind))
            labelColumn = std::max(labelColumn, naturalWidth(*children[i]));
    labelColumn = std::min(labelColumn, (inner - 2 * pad) * 3 / 5);
    int y = headerHeight + pad;
    int x = pad;
    int lineHeight = 0;
    bool lineStarted = false;
    for (std::size_t i = 0; i < children.size(); ++i) {
        Control& c = *children[i];
        const ControlRow& row = *c.row;
        if (!((row.flags & kBeside) && lineStarted)) {
            if (lineStarted) y += lineHeight + gap;
            x = pad;
            lineHeight = 0;
            lineStarted = true;
        } else {
            x += gap;
        }
        const Control* next = i + 1 < children.size() && (children[i + 1]->row->flags & kBeside)
                                  ? children[i + 1]
                                  : nullptr;
        const int available = inner - pad - x;
        int reserve = 0;
        if (next) {
            const int wanted = naturalWidth(*next);
            reserve = (wanted > 0 ? wanted : std::max(scale(90), available / 2)) + gap;
        }
        const int room = std::max(scale(20), available - reserve);
        const int natural = naturalWidth(c);
        int w = room;
        if (natural > 0 && !(row.flags & kWide)) w = std::min(natural, room);
        if (row.kind == K::Label && next && isInput(next->row->kind) && labelColumn > 0)
            w = std::min(labelColumn, room);
        int h = editHeight;
        int top = y;
        switch (row.kind) {
            case K::Label:
                h = measure(c.caption, w).cy;
                if (next && isInput(next->row->kind)) top = y + std::max(0, (editHeight - h) / 2);
                MoveWindow(c.window, x, top, w, h, TRUE);
                h = std::max(h, next ? editHeight : h);
                break;
            case K::CheckBox: {
                // A caption that fits on one line is drawn as one line: the system draws a
                // disabled multi-line caption into a box measured for another font.
                const bool oneLine = measure(c.caption, 0).cx <= w - checkWidth;
                const LONG_PTR style = GetWindowLongPtrW(c.window, GWL_STYLE);
                const LONG_PTR wanted =
                    oneLine ? (style & ~LONG_PTR{BS_MULTILINE}) : (style | BS_MULTILINE);
                if (wanted != style) SetWindowLongPtrW(c.window, GWL_STYLE, wanted);
                h = std::max<int>(measure(c.caption, w - checkWidth).cy + scale(2), scale(17));
                MoveWindow(c.window, x, y, w, h, TRUE);
                break;
            }
            case K::Button:
                h = measure(c.caption, w - scale(12)).cy + scale(10);
                h = std::max(h, editHeight + scale(2));
                MoveWindow(c.window, x, y, w, h, TRUE);
                break;
            case K::SpinEdit:
                MoveWindow(c.window, x, y, w, h, TRUE);
                SendMessageW(c.extra, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c.window), 0);
                break;
            case K::Edit:
            case K::ReadOnlyEdit: MoveWindow(c.window, x, y, w, h, TRUE); break;
            case K::DropDownList:
                MoveWindow(c.window, x, y, w, scale(kDropDownHeight), TRUE);
                break;
            case K::RadioGroup: {
                const int columns = std::max(1, row.columns);
                const int itemWidth = (w - 2 * pad) / columns;
                int itemHeight = scale(17);
                for (const std::string& item : c.items)
                    itemHeight = std::max<int>(itemHeight,
                                               measure(item, itemWidth - checkWidth).cy + scale(2));
                const int lines = (static_cast<int>(c.radios.size()) + columns - 1) / columns;
                const int top0 = y + lineHeight_ + pad / 2;
                for (std::size_t r = 0; r < c.radios.size(); ++r)
                    MoveWindow(c.radios[r], x + pad + static_cast<int>(r % columns) * itemWidth,
                               top0 + static_cast<int>(r / columns) * (itemHeight + gap),
                               itemWidth - gap, itemHeight, TRUE);
                h = lineHeight_ + pad / 2 + lines * (itemHeight + gap) + pad;
                MoveWindow(c.window, x, y, w, h, TRUE);
                break;
            }
            case K::Grid:
            case K::CheckList: {
                const int rowHeight = std::max(lineHeight_ + scale(4), scale(17));
                h = (row.rows + (row.kind == K::Grid ? 1 : 0)) * rowHeight + scale(8);
                RECT old{};
                GetWindowRect(c.window, &old);
                MoveWindow(c.window, x, y, w, h, TRUE);
                if (row.kind == K::Grid && old.right - old.left != w) fillGrid(c);
                if (row.kind == K::CheckList) {
                    // As wide as the longest item: a narrow column scrolls rather than cuts.
                    int widest = w - GetSystemMetrics(SM_CXVSCROLL) - 4;
                    for (const std::string& item : c.items)
                        widest =
                            std::max<int>(widest, measure(item, 0).cx + checkWidth + scale(12));
                    ListView_SetColumnWidth(c.window, 0, widest);
                }
                break;
            }
            case K::Memo:
            case K::ListBox: {
                const int title = c.extra ? static_cast<int>(measure(c.caption, w).cy) + gap : 0;
                if (c.extra) MoveWindow(c.extra, x, y, w, title - gap, TRUE);
                h = title + std::max(1, row.rows) * lineHeight_ + scale(8);
                MoveWindow(c.window, x, y + title, w, h - title, TRUE);
                break;
            }
            case K::ValueList: {
                // The "+" and "-" buttons stand in a column to the right of the list; where that
                // leaves too little room for both column titles, in a line below it.
                const int side =
                    std::max<int>(editHeight + scale(2), measure("+", 0).cx + scale(12));
                const int rowHeight = std::max(lineHeight_ + scale(4), scale(17));
                const int listHeight = (row.rows + 1) * rowHeight + scale(8);
                int titles = GetSystemMetrics(SM_CXVSCROLL) + scale(4);
                for (const std::string& title : c.header)
                    titles += measure(title, 0).cx + scale(16);
                const bool beside = w - side - gap >= titles;
                const int listWidth = beside ? w - side - gap : w;
                RECT old{};
                GetWindowRect(c.window, &old);
                MoveWindow(c.window, x, y, listWidth, listHeight, TRUE);
                const int count = static_cast<int>(c.radios.size());
                for (int b = 0; b < count; ++b) {
                    if (beside)
                        MoveWindow(c.radios[static_cast<std::size_t>(b)], x + listWidth + gap,
                                   y + b * (side + gap), side, side, TRUE);
                    else
                        MoveWindow(c.radios[static_cast<std::size_t>(b)],
                                   x + w - (count - b) * (side + gap) + gap, y + listHeight + gap,
                                   side, side, TRUE);
                }
                h = beside ? listHeight : listHeight + gap + side;
                if (old.right - old.left != listWidth) sizeValueColumns(c);
                break;
            }
            default: MoveWindow(c.window, x, y, w, h, TRUE); break;
        }
        x += w;
        lineHeight = std::max(lineHeight, h);
    }
    if (lineStarted) y += lineHeight;
    return y + pad + 2;
}

}  // namespace qbx::ui::win32::settings_window
