#include "ui/win32/dialog_window_parts.h"

#include "core/guard.h"
#include "platform/win32/system_texts.h"
#include "ui/win32/dialog_text.h"

namespace qbx::ui::win32::settings_window {

void DialogWindow::fillValueList(Control& c) {
    const Quiet quiet(*this);
    // New rows under an open editor would take its text into another row.
    if (editor_.window && &controls_[editor_.control] == &c) closeEditor(false);
    if (c.rows.size() > kMaxValueListRows) c.rows.resize(kMaxValueListRows);
    for (auto& cells : c.rows) cells.resize(2);
    const HWND header = ListView_GetHeader(c.window);
    for (int i = 0; i < 2; ++i) {
        std::wstring text = wideText(static_cast<std::size_t>(i) < c.header.size()
                                         ? c.header[static_cast<std::size_t>(i)]
                                         : std::string());
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = scale(100);
        column.pszText = text.data();
        if (header && Header_GetItemCount(header) > i) {
            column.mask = LVCF_TEXT;
            SendMessageW(c.window, LVM_SETCOLUMNW, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&column));
        } else {
            SendMessageW(c.window, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&column));
        }
    }
    ListView_SetItemCountEx(c.window, static_cast<int>(c.rows.size()), LVSICF_NOSCROLL);
    sizeValueColumns(c);
    InvalidateRect(c.window, nullptr, TRUE);
}

void DialogWindow::sizeValueColumns(Control& c) {
    RECT client{};
    GetClientRect(c.window, &client);
    const auto need = [&](std::size_t column) -> int {
        return measure(column < c.header.size() ? c.header[column] : std::string(), 0).cx +
               scale(16);
    };
    // Both headers whole where the list is wide enough; the names take two fifths.
    const int total = std::max<int>(scale(60), client.right - GetSystemMetrics(SM_CXVSCROLL));
    int name = std::max(need(0), total * 2 / 5);
    if (total - name < need(1)) name = std::max(need(0), total - need(1));
    ListView_SetColumnWidth(c.window, 0, name);
    ListView_SetColumnWidth(c.window, 1, std::max(need(1), total - name));
}

LRESULT DialogWindow::valueListNotify(Control& c, const NMHDR& header, LPARAM lParam) {
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
            if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return 0;
            item.pszText[0] = L'\0';
            if (item.iItem < 0 || item.iItem >= static_cast<int>(c.rows.size()) ||
                item.iSubItem < 0 || item.iSubItem > 1)
                return 0;
            const std::wstring text = wideText(c.rows[static_cast<std::size_t>(item.iItem)]
                                                     [static_cast<std::size_t>(item.iSubItem)]);
            const std::size_t length =
                std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
            std::copy_n(text.data(), length, item.pszText);
            item.pszText[length] = L'\0';
            return 0;
        }
        case LVN_ODFINDITEMW: return -1;
        case LVN_KEYDOWN: {
            if (quiet_) return 0;
            const int selected = ListView_GetNextItem(c.window, -1, LVNI_SELECTED);
            switch (reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey) {
                case VK_F2:
                case VK_RETURN: openEditor(c, selected, 0); break;
                case VK_INSERT: addValueRow(c); break;
                case VK_DELETE: deleteValueRow(c); break;
                default: break;
            }
            return 0;
        }
        case NM_DBLCLK: {
            if (quiet_) return 0;
            LVHITTESTINFO hit{};
            hit.pt = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->ptAction;
            if (ListView_SubItemHitTest(c.window, &hit) >= 0 && hit.iItem >= 0)
                openEditor(c, hit.iItem, hit.iSubItem > 0 ? 1 : 0);
            return 0;
        }
        default: return 0;
    }
}

void DialogWindow::selectValueRow(Control& c, int row) {
    ListView_SetItemState(c.window, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row < 0 || row >= static_cast<int>(c.rows.size())) return;
    ListView_SetItemState(c.window, row, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(c.window, row, FALSE);
}

void DialogWindow::addValueRow(Control& c) {
    if (!closeEditor(true)) return;
    if (c.rows.size() >= kMaxValueListRows) {
        plugin_.log.write("No row added: the list holds " + std::to_string(kMaxValueListRows) +
                          " rows");
        return;
    }
    c.rows.push_back({std::string(), std::string()});
    const int row = static_cast<int>(c.rows.size()) - 1;
    ListView_SetItemCountEx(c.window, row + 1, LVSICF_NOSCROLL);
    selectValueRow(c, row);
    openEditor(c, row, 0);
}

void DialogWindow::deleteValueRow(Control& c) {
    closeEditor(false);
    const int row = ListView_GetNextItem(c.window, -1, LVNI_SELECTED);
    if (row < 0 || row >= static_cast<int>(c.rows.size())) return;
    c.rows.erase(c.rows.begin() + row);
    ListView_SetItemCountEx(c.window, static_cast<int>(c.rows.size()), LVSICF_NOSCROLL);
    selectValueRow(c, std::min(row, static_cast<int>(c.rows.size()) - 1));
    InvalidateRect(c.window, nullptr, TRUE);
    form_.controlChanged(c.row->name);
}

void DialogWindow::openEditor(Control& c, int row, int column) {
    if (!closeEditor(true)) return;
    if (row < 0 || row >= static_cast<int>(c.rows.size()) || column < 0 || column > 1) return;
    selectValueRow(c, row);
    RECT cell{};
    ListView_GetSubItemRect(c.window, row, column, LVIR_LABEL, &cell);
    if (column == 0) cell.right = cell.left + ListView_GetColumnWidth(c.window, 0);
    RECT client{};
    GetClientRect(c.window, &client);
    cell.right = std::min(cell.right, client.right);
    const int height = std::max<int>(cell.bottom - cell.top, lineHeight_ + scale(4));
    const HWND edit = CreateWindowExW(
        0, L"EDIT",
        wideText(c.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)]).c_str(),
        WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, cell.left, cell.top,
        std::max<int>(cell.right - cell.left, scale(20)), height, c.window, nullptr,
        qbx::win32::ownModule(), nullptr);
    if (!edit) return;
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(edit, EM_SETLIMITTEXT, kMaxValueListCell, 0);
    SetWindowSubclass(edit, &DialogWindow::cellEditorProc, 1, reinterpret_cast<DWORD_PTR>(this));
    editor_ = {edit, static_cast<std::size_t>(&c - controls_.data()), row, column};
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
}

bool DialogWindow::closeEditor(bool commit) {
    if (!editor_.window) return true;
    const HWND edit = editor_.window;
    Control& c = controls_[editor_.control];
    const int row = editor_.row;
    const auto column = static_cast<std::size_t>(editor_.column);
    const bool rowExists = row >= 0 && row < static_cast<int>(c.rows.size());
    bool changed = false;
    if (commit && rowExists) {
        std::string& cell = c.rows[static_cast<std::size_t>(row)][column];
        const auto kept = form_.valueListCell(c.row->name, row, editor_.column, windowText(edit));
        if (!kept) {
            setWindowText(edit, cell);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            return false;
        }
        changed = *kept != cell;
        cell = *kept;
    }
    // Cleared first: taking the focus away and destroying the editor come back here.
    editor_ = {};
    if (GetFocus() == edit) SetFocus(c.window);
    DestroyWindow(edit);
    if (rowExists) ListView_RedrawItems(c.window, row, row);
    if (changed) form_.controlChanged(c.row->name);
    return true;
}

void DialogWindow::finishEditing() {
    if (!closeEditor(true)) closeEditor(false);
}

bool DialogWindow::editorKey(WPARAM key) {
    if (!editor_.window) return false;
    Control& c = controls_[editor_.control];
    const int row = editor_.row;
    switch (key) {
        case VK_RETURN:
            if (closeEditor(true)) dropEmptyRow(c, row);
            return true;
        case VK_ESCAPE:
            closeEditor(false);
            dropEmptyRow(c, row);
            return true;
        case VK_TAB: {
            const int next = GetKeyState(VK_SHIFT) < 0 ? 0 : 1;
            if (next == editor_.column) {
                if (closeEditor(true)) dropEmptyRow(c, row);
            } else if (closeEditor(true)) {
                openEditor(c, row, next);
            }
            return true;
        }
        default: return false;
    }
}

void DialogWindow::dropEmptyRow(Control& c, int row) {
    if (row < 0 || row >= static_cast<int>(c.rows.size())) return;
    const auto& cells = c.rows[static_cast<std::size_t>(row)];
    if (!cells[0].empty() || !cells[1].empty()) return;
    c.rows.erase(c.rows.begin() + row);
    ListView_SetItemCountEx(c.window, static_cast<int>(c.rows.size()), LVSICF_NOSCROLL);
    selectValueRow(c, std::min(row, static_cast<int>(c.rows.size()) - 1));
    InvalidateRect(c.window, nullptr, TRUE);
}

LRESULT CALLBACK DialogWindow::valueListProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<DialogWindow*>(data);
    FpuShield shield;
    try {
        switch (message) {
            case WM_GETDLGCODE: {
                // Enter opens the editor here instead of pressing the dialog's default button.
                LRESULT code = DefSubclassProc(window, message, wParam, lParam);
                const auto* key = reinterpret_cast<const MSG*>(lParam);
                if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
                    code |= DLGC_WANTMESSAGE;
                return code;
            }
            case WM_VSCROLL:
            case WM_HSCROLL:
            case WM_MOUSEWHEEL:
                // The editor would stay where its cell was.
                self->finishEditing();
                break;
            case WM_NCDESTROY:
                RemoveWindowSubclass(window, &DialogWindow::valueListProc, id);
                break;
            default: break;
        }
    } catch (...) {
        logEscapedException(&self->plugin_.log, "settings window", std::current_exception());
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK DialogWindow::cellEditorProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<DialogWindow*>(data);
    FpuShield shield;
    try {
        switch (message) {
            case WM_GETDLGCODE:
                return DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTALLKEYS;
            case WM_CHAR:
                // Their key-down did the work; the edit would only beep.
                if (wParam == L'\r' || wParam == L'\t' || wParam == 0x1B) return 0;
                break;
            case WM_KEYDOWN:
                if (window == self->editor_.window && self->editorKey(wParam)) return 0;
                break;
            case WM_KILLFOCUS:
                if (window == self->editor_.window)
                    PostMessageW(self->window_, kEditorLeftMessage,
                                 reinterpret_cast<WPARAM>(window), 0);
                break;
            case WM_NCDESTROY:
                RemoveWindowSubclass(window, &DialogWindow::cellEditorProc, id);
                break;
            default: break;
        }
    } catch (...) {
        logEscapedException(&self->plugin_.log, "settings window", std::current_exception());
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace qbx::ui::win32::settings_window
