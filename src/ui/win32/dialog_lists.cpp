#include "ui/win32/dialog_window_parts.h"

#include <cstdlib>

#include "ui/win32/dialog_text.h"

namespace qbx::ui::win32::settings_window {

void DialogWindow::fillList(Control& c) {
    const Quiet quiet(*this);
    if (c.row->kind == K::DropDownList) {
        const auto selected = SendMessageW(c.window, CB_GETCURSEL, 0, 0);
        SendMessageW(c.window, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : c.items)
            SendMessageW(c.window, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(wideText(item).c_str()));
        if (selected >= 0 && selected < static_cast<LRESULT>(c.items.size()))
            SendMessageW(c.window, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    } else if (c.row->kind == K::CheckList) {
        std::vector<bool> checks;
        for (int i = 0; i < ListView_GetItemCount(c.window); ++i)
            checks.push_back(ListView_GetCheckState(c.window, i) != 0);
        ListView_DeleteAllItems(c.window);
        if (Header_GetItemCount(ListView_GetHeader(c.window)) == 0) {
            LVCOLUMNW column{};
            column.mask = LVCF_WIDTH;
            column.cx = scale(200);
            SendMessageW(c.window, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        }
        for (std::size_t i = 0; i < c.items.size(); ++i) {
            std::wstring text = wideText(c.items[i]);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.pszText = text.data();
            SendMessageW(c.window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            if (i < checks.size()) ListView_SetCheckState(c.window, static_cast<int>(i), checks[i]);
        }
    } else if (c.row->kind == K::RadioGroup) {
        for (std::size_t i = 0; i < c.radios.size() && i < c.items.size(); ++i)
            setWindowText(c.radios[i], c.items[i]);
    } else if (c.row->kind == K::ListBox) {
        fillListBox(c);
    }
}

void DialogWindow::fillGrid(Control& c) {
    const Quiet quiet(*this);
    const int selected = ListView_GetNextItem(c.window, -1, LVNI_SELECTED);
    ListView_DeleteAllItems(c.window);
    const HWND header = ListView_GetHeader(c.window);
    while (header && Header_GetItemCount(header) > 0) ListView_DeleteColumn(c.window, 0);
    RECT client{};
    GetClientRect(c.window, &client);
    const int columns = std::max<int>(1, static_cast<int>(c.header.size()));
    // Each column as wide as its widest text (header included); what is left goes to the last.
    std::vector<int> widths(static_cast<std::size_t>(columns), scale(30));
    const auto widen = [&](std::size_t column, const std::string& text) {
        widths[column] = std::max<int>(widths[column], measure(text, 0).cx + scale(16));
    };
    // The row's items, where it has them, are the columns' least widths at 96 DPI.
    for (std::size_t i = 0; i < c.items.size() && i < widths.size(); ++i)
        widths[i] = std::max(widths[i], scale(std::atoi(c.items[i].c_str())));
    for (std::size_t i = 0; i < c.header.size(); ++i) widen(i, c.header[i]);
    for (const auto& cells : c.rows)
        for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i) widen(i, cells[i]);
    int used = 0;
    for (const int w : widths) used += w;
    const int room = client.right - GetSystemMetrics(SM_CXVSCROLL) - scale(4);
    if (used < room) widths.back() += room - used;
    for (int i = 0; i < columns; ++i) {
        std::wstring text = i < static_cast<int>(c.header.size())
                                ? wideText(c.header[static_cast<std::size_t>(i)])
                                : std::wstring();
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = widths[static_cast<std::size_t>(i)];
        column.pszText = text.data();
        SendMessageW(c.window, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&column));
    }
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
        for (std::size_t col = 0; col < c.rows[r].size() && col < static_cast<std::size_t>(columns);
             ++col) {
            std::wstring text = wideText(c.rows[r][col]);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(r);
            item.iSubItem = static_cast<int>(col);
            item.pszText = text.data();
            SendMessageW(c.window, col == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0,
                         reinterpret_cast<LPARAM>(&item));
        }
    }
    if (selected >= 0 && selected < static_cast<int>(c.rows.size()))
        ListView_SetItemState(c.window, selected, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
}

void DialogWindow::fillListBox(Control& c) {
    SendMessageW(c.window, WM_SETREDRAW, FALSE, 0);
    clearListBox(c);
    std::vector<std::wstring> lines;
    lines.reserve(c.items.size());
    for (const std::string& item : c.items) lines.push_back(wideText(item));
    addListLines(c, lines);
    SendMessageW(c.window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(c.window, nullptr, TRUE);
}

void DialogWindow::clearListBox(const Control& c) const {
    SendMessageW(c.window, LB_RESETCONTENT, 0, 0);
    c.widestLine = 0;
    SendMessageW(c.window, LB_SETHORIZONTALEXTENT, 0, 0);
}

void DialogWindow::addListLines(const Control& c, const std::vector<std::wstring>& lines) const {
    // A list box scrolls sideways only as far as it is told: its longest line, measured in the
    // list's own font. A line dropped later leaves the reach as it was.
    HDC dc = GetDC(c.window);
    HGDIOBJ old = dc ? SelectObject(dc, font_) : nullptr;
    int widest = c.widestLine;
    for (const std::wstring& line : lines) {
        SendMessageW(c.window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SIZE size{};
        if (dc && GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size))
            widest = std::max<int>(widest, size.cx + scale(6));
    }
    if (dc) {
        SelectObject(dc, old);
        ReleaseDC(c.window, dc);
    }
    if (widest > c.widestLine) {
        c.widestLine = widest;
        SendMessageW(c.window, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
    }
}

std::vector<std::string> DialogWindow::items(std::string_view name) const {
    const Control* c = find(name);
    return c ? c->items : std::vector<std::string>{};
}

void DialogWindow::setItems(std::string_view name, const std::vector<std::string>& items) {
    Control* c = find(name);
    if (!c) return;
    c->items = items;
    c->itemEnabled.resize(items.size(), true);
    fillList(*c);
    scheduleLayout();
}

int DialogWindow::selection(std::string_view name) const {
    const Control* c = find(name);
    if (!c) return -1;
    switch (c->row->kind) {
        case K::RadioGroup:
            for (std::size_t i = 0; i < c->radios.size(); ++i)
                if (SendMessageW(c->radios[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
                    return static_cast<int>(i);
            return -1;
        case K::DropDownList: return static_cast<int>(SendMessageW(c->window, CB_GETCURSEL, 0, 0));
        case K::Grid:
        case K::ValueList:
        case K::CheckList: return ListView_GetNextItem(c->window, -1, LVNI_SELECTED);
        default: return -1;
    }
}

void DialogWindow::setSelection(std::string_view name, int index) {
    const Quiet quiet(*this);
    Control* c = find(name);
    if (!c) return;
    switch (c->row->kind) {
        case K::RadioGroup:
            for (std::size_t i = 0; i < c->radios.size(); ++i)
                SendMessageW(c->radios[i], BM_SETCHECK,
                             static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case K::DropDownList:
            SendMessageW(c->window, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            break;
        case K::Grid:
        case K::ValueList:
        case K::CheckList:
            ListView_SetItemState(c->window, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
            if (index >= 0) {
                ListView_SetItemState(c->window, index, LVIS_SELECTED | LVIS_FOCUSED,
                                      LVIS_SELECTED | LVIS_FOCUSED);
                ListView_EnsureVisible(c->window, index, FALSE);
            }
            break;
        default: break;
    }
}

bool DialogWindow::itemChecked(std::string_view name, int index) const {
    const Control* c = find(name);
    return c && c->row->kind == K::CheckList && ListView_GetCheckState(c->window, index) != 0;
}

void DialogWindow::setItemChecked(std::string_view name, int index, bool on) {
    const Quiet quiet(*this);
    const Control* c = find(name);
    if (c && c->row->kind == K::CheckList) ListView_SetCheckState(c->window, index, on);
}

void DialogWindow::setItemEnabled(std::string_view name, int index, bool on) {
    Control* c = find(name);
    if (!c || index < 0 || index >= static_cast<int>(c->itemEnabled.size())) return;
    c->itemEnabled[static_cast<std::size_t>(index)] = on;
    InvalidateRect(c->window, nullptr, TRUE);
}

void DialogWindow::setGrid(std::string_view name, const std::vector<std::string>& header,
                           const std::vector<std::vector<std::string>>& rows) {
    Control* c = find(name);
    if (!c || (c->row->kind != K::Grid && c->row->kind != K::ValueList)) return;
    c->header = header;
    c->rows = rows;
    if (c->row->kind == K::ValueList) {
        fillValueList(*c);
    } else {
        fillGrid(*c);
    }
}

std::vector<std::string> DialogWindow::gridHeader(std::string_view name) const {
    const Control* c = find(name);
    return c ? c->header : std::vector<std::string>{};
}

std::vector<std::vector<std::string>> DialogWindow::gridRows(std::string_view name) const {
    const Control* c = find(name);
    return c ? c->rows : std::vector<std::vector<std::string>>{};
}

void DialogWindow::appendLine(std::string_view name, std::string_view line, std::size_t maxLines) {
    Control* c = find(name);
    if (!c || c->row->kind != K::ListBox) return;
    // Adding to a list out of sight would only make the system lay out and redraw what nobody
    // sees: the log adds a line here for every line it writes, a scored message a dozen. The
    // lines wait, as many as the list keeps, until it is shown.
    if (!formShown_ || !IsWindowVisible(c->window)) {
        c->pendingLines.add(line, maxLines);
        return;
    }
    moveInPendingLines(*c);
    addListLines(*c, {wideText(line)});
    while (SendMessageW(c->window, LB_GETCOUNT, 0, 0) > static_cast<LRESULT>(maxLines))
        SendMessageW(c->window, LB_DELETESTRING, 0, 0);
    SendMessageW(c->window, LB_SETTOPINDEX, SendMessageW(c->window, LB_GETCOUNT, 0, 0) - 1, 0);
}

void DialogWindow::moveInPendingLines(const Control& c) const {
    if (c.pendingLines.empty()) return;
    SendMessageW(c.window, WM_SETREDRAW, FALSE, 0);
    const std::size_t limit = c.pendingLines.limit();
    if (c.pendingLines.size() >= limit) clearListBox(c);
    std::vector<std::wstring> lines;
    lines.reserve(c.pendingLines.size());
    c.pendingLines.forEach([&](const std::string& line) { lines.push_back(wideText(line)); });
    addListLines(c, lines);
    while (SendMessageW(c.window, LB_GETCOUNT, 0, 0) > static_cast<LRESULT>(limit))
        SendMessageW(c.window, LB_DELETESTRING, 0, 0);
    c.pendingLines.clear();
    SendMessageW(c.window, WM_SETREDRAW, TRUE, 0);
    SendMessageW(c.window, LB_SETTOPINDEX, SendMessageW(c.window, LB_GETCOUNT, 0, 0) - 1, 0);
    InvalidateRect(c.window, nullptr, TRUE);
}

void DialogWindow::moveInPendingLinesOfShownLists() {
    for (const Control& c : controls_)
        if (!c.pendingLines.empty() && IsWindowVisible(c.window)) moveInPendingLines(c);
}

}  // namespace qbx::ui::win32::settings_window
