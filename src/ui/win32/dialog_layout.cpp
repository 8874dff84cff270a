#include "ui/win32/dialog_window_parts.h"

#include "platform/win32/system_texts.h"
#include "ui/win32/dialog_text.h"

namespace qbx::ui::win32::settings_window {

namespace {

// Multi-line controls that take what height their column leaves.
bool stretches(const ControlRow& row) {
    return row.kind == K::Memo || row.kind == K::RichEdit || row.kind == K::ListBox ||
           (row.kind == K::Grid && row.rows == 0);
}

}  // namespace

SIZE DialogWindow::measure(const std::string& text, int maxWidth) const {
    HDC dc = GetDC(window_);
    HGDIOBJ old = SelectObject(dc, font_);
    const std::wstring wide = wideText(text.empty() ? std::string("X") : text);
    RECT rect{0, 0, maxWidth > 0 ? maxWidth : 4000, 0};
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect,
              DT_CALCRECT | (maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int DialogWindow::naturalWidth(const Control& c) const {
    switch (c.row->kind) {
        case K::Label: return measure(c.caption, 0).cx + scale(2);
        case K::Button: return std::max<int>(measure(c.caption, 0).cx + scale(20), scale(28));
        case K::SpinEdit: return scale(kSpinWidth);
        case K::CheckBox: {
            // Check boxes in a row (the hot key's modifiers) each take their caption's width.
            const auto index = static_cast<std::size_t>(&c - controls_.data());
            const bool inRow =
                (c.row->flags & kBeside) ||
                (index + 1 < controls_.size() && (controls_[index + 1].row->flags & kBeside) &&
                 controls_[index + 1].row->kind == K::CheckBox);
            if (!inRow) return -1;
            return measure(c.caption, 0).cx +
                   std::max<int>(GetSystemMetrics(SM_CXMENUCHECK), scale(13)) + scale(16);
        }
        default: return -1;  // takes what the line leaves
    }
}

void DialogWindow::measureGridRows() {
    // A grid of one row in the dialog's font, never shown: its rows, header and frame are the
    // same whatever a grid holds, so a grid of N rows is as high as N of them, empty or full.
    const HWND probe = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_SINGLESEL, 0, 0,
        scale(200), scale(200), window_, nullptr, qbx::win32::ownModule(), nullptr);
    if (!probe) return;  // the estimates stay
    SendMessageW(probe, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    ListView_SetExtendedListViewStyle(probe, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    std::wstring text = L"X";
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = scale(100);
    column.pszText = text.data();
    SendMessageW(probe, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.pszText = text.data();
    SendMessageW(probe, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    RECT row{};
    if (ListView_GetItemRect(probe, 0, &row, LVIR_BOUNDS) && row.bottom > row.top && row.top >= 0) {
        gridRow_ = row.bottom - row.top;
        gridHeader_ = row.top;  // the first row starts under the header
    }
    RECT outer{}, inner{};
    GetWindowRect(probe, &outer);
    GetClientRect(probe, &inner);
    gridFrame_ = std::max<int>(0, (outer.bottom - outer.top) - inner.bottom);
    DestroyWindow(probe);
}

int DialogWindow::gridHeight(int rows) const { return gridFrame_ + gridHeader_ + rows * gridRow_; }

bool DialogWindow::onPage(const Control& c, const Control& page) const {
    const std::string_view name = page.row->name;
    if (c.row->parent == name) return true;
    const Control* holder = find(c.row->parent);
    return holder && holder->row->kind == K::GroupBox && holder->row->parent == name;
}

// A page of its own layout: its controls in columns (a row flagged kNewColumn starts the next),
// each column's controls top to bottom, those flagged kBeside on the line of the one before.
// Multi-line controls share the height their column leaves; a column that holds an editor or a
// grid gets twice the width of the others. A group box frames the lines of its children.
void DialogWindow::layoutPage(Control& page, int width, int height) {
    const int pad = scale(6);
    const int gap = scale(4);
    const int editHeight = lineHeight_ + scale(8);
    const int groupTitle = lineHeight_ + scale(4);
    std::vector<std::vector<Control*>> columns(1);
    for (Control& c : controls_) {
        if (!onPage(c, page) || c.hidden) continue;
        if ((c.row->flags & kNewColumn) && !columns.back().empty()) columns.emplace_back();
        columns.back().push_back(&c);
    }
    std::vector<int> weights;
    int totalWeight = 0;
    for (const auto& column : columns) {
        int weight = 1;
        for (const Control* c : column)
            if (c->row->kind == K::RichEdit || c->row->kind == K::Grid) weight = 2;
        weights.push_back(weight);
        totalWeight += weight;
    }
    const int usable = width - pad * (static_cast<int>(columns.size()) + 1);
    int left = pad;
    for (std::size_t col = 0; col < columns.size(); ++col) {
        const int columnWidth = usable * weights[col] / std::max(1, totalWeight);
        // Lines: a control not flagged kBeside starts one; a group box is a line of its own.
        std::vector<std::vector<Control*>> lines;
        for (Control* c : columns[col]) {
            if (lines.empty() || !(c->row->flags & kBeside) || c->row->kind == K::GroupBox ||
                lines.back().front()->row->kind == K::GroupBox)
                lines.emplace_back();
            lines.back().push_back(c);
        }
        const auto titleHeight = [&](const Control& c) -> int {
            return c.extra && (stretches(*c.row) || c.row->kind == K::Grid)
                       ? static_cast<int>(measure(c.caption, columnWidth).cy) + scale(2)
                       : 0;
        };
        const auto fixedHeight = [&](const Control& c) -> int {
            if (c.row->kind == K::Grid && c.row->rows > 0)
                return titleHeight(c) + gridHeight(c.row->rows);
            if (c.row->kind == K::Button) return editHeight + scale(2);
            return editHeight;
        };
        int fixed = 0, stretching = 0;
        for (const auto& line : lines) {
            if (line.front()->row->kind == K::GroupBox) {
                fixed += groupTitle + pad;  // its title above its lines, its margin below
                continue;
            }
            int lineFixed = 0;
            bool lineStretches = false;
            for (const Control* c : line) {
                if (stretches(*c->row)) {
                    lineStretches = true;
                    lineFixed = std::max(lineFixed, titleHeight(*c));
                } else {
                    lineFixed = std::max(lineFixed, fixedHeight(*c));
                }
            }
            fixed += lineFixed + gap;
            if (lineStretches) ++stretching;
        }
        const int share =
            stretching ? std::max(scale(40), (height - 2 * pad - fixed + gap) / stretching) : 0;
        int y = pad;
        const Control* group = nullptr;
        int groupTop = 0;
        const auto closeGroup = [&] {
            if (!group) return;
            const int bottom = y - gap + pad;
            // Below its children: the frame is drawn round them, never over them.
            SetWindowPos(group->window, HWND_BOTTOM, left, groupTop, columnWidth, bottom - groupTop,
                         SWP_NOACTIVATE | SWP_SHOWWINDOW);
            y = bottom + gap;
            group = nullptr;
        };
        for (const auto& line : lines) {
            const Control* first = line.front();
            if (group && first->row->parent != std::string_view(group->row->name)) closeGroup();
            if (first->row->kind == K::GroupBox) {
                closeGroup();
                group = first;
                groupTop = y;
                y += groupTitle;
                continue;
            }
            const int inset = group ? pad : 0;
            const int lineWidth = columnWidth - 2 * inset;
            // Labels and buttons as wide as their captions; the others share the rest.
            int naturalTotal = 0, flexible = 0;
            for (const Control* c : line) {
                const int natural = naturalWidth(*c);
                if (natural > 0 && !(c->row->flags & kWide))
                    naturalTotal += natural;
                else
                    ++flexible;
            }
            const int spaces = gap * (static_cast<int>(line.size()) - 1);
            const int flexibleWidth =
                flexible ? std::max(scale(40), (lineWidth - naturalTotal - spaces) / flexible) : 0;
            int x = left + inset;
            int lineHeight = 0;
            for (Control* c : line) {
                const int natural = naturalWidth(*c);
                const int w = natural > 0 && !(c->row->flags & kWide) ? std::min(natural, lineWidth)
                                                                      : flexibleWidth;
                int h = 0;
                if (stretches(*c->row)) {
                    const int title = titleHeight(*c);
                    if (c->extra) MoveWindow(c->extra, x, y, w, title - scale(2), TRUE);
                    RECT old{};
                    GetWindowRect(c->window, &old);
                    MoveWindow(c->window, x, y + title, w, share, TRUE);
                    h = title + share;
                    if (c->row->kind == K::Grid && old.right - old.left != w) fillGrid(*c);
                } else if (c->row->kind == K::Grid) {
                    const int title = titleHeight(*c);
                    if (c->extra) MoveWindow(c->extra, x, y, w, title - scale(2), TRUE);
                    h = fixedHeight(*c);
                    RECT old{};
                    GetWindowRect(c->window, &old);
                    MoveWindow(c->window, x, y + title, w, h - title, TRUE);
                    if (old.right - old.left != w) fillGrid(*c);
                } else if (c->row->kind == K::Label) {
                    const int labelHeight = static_cast<int>(measure(c->caption, w).cy);
                    MoveWindow(c->window, x, y + std::max(0, (editHeight - labelHeight) / 2), w,
                               labelHeight, TRUE);
                    h = editHeight;
                } else {
                    h = fixedHeight(*c);
                    MoveWindow(c->window, x, y, w, h, TRUE);
                }
                ShowWindow(c->window, SW_SHOW);
                if (c->extra) ShowWindow(c->extra, SW_SHOW);
                x += w + gap;
                lineHeight = std::max(lineHeight, h);
            }
            y += lineHeight + gap;
        }
        closeGroup();
        left += columnWidth + pad;
    }
}

void DialogWindow::scheduleLayout() {
    if (layoutPending_ || !window_) return;
    layoutPending_ = PostMessageW(window_, kLayoutMessage, 0, 0) != 0;
    if (!layoutPending_) layout();
}

void DialogWindow::layout() {
    if (!window_) return;
    layoutPending_ = false;
    RECT client{};
    GetClientRect(window_, &client);
    MoveWindow(tabs_, 0, 0, client.right, client.bottom, TRUE);
    RECT display = client;
    TabCtrl_AdjustRect(tabs_, FALSE, &display);
    for (Control& c : controls_) {
        if (c.row->kind != K::Page) continue;
        MoveWindow(c.window, display.left, display.top, display.right - display.left,
                   display.bottom - display.top, TRUE);
        SetWindowPos(c.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (c.row->name != std::string_view("RolloutSettings"))
            layoutPage(c, display.right - display.left, display.bottom - display.top);
    }

    Control* page = find("RolloutSettings");
    if (!page) return;
    RECT area{};
    GetClientRect(page->window, &area);
    const int gap = scale(6);
    const int panelHeight = lineHeight_ + scale(10);
    const int columnWidth = std::max<int>(scale(120), (area.right - 4 * gap) / 3);
    for (int pass = 0; pass < 2; ++pass) {
        int bottom = 0;
        int column = 0;
        for (Control& panel : controls_) {
            if (panel.row->kind != K::CaptionPanel) continue;
            const int x = gap + column++ * (columnWidth + gap);
            int y = gap - scroll_;
            MoveWindow(panel.window, x, y, columnWidth, panelHeight, TRUE);
            y += panelHeight + scale(4);
            for (Control& rollOut : controls_) {
                if (rollOut.row->kind != K::RollOut ||
                    rollOut.row->parent != std::string_view(panel.row->name))
                    continue;
                ShowWindow(rollOut.window, rollOut.hidden ? SW_HIDE : SW_SHOW);
                if (rollOut.hidden) continue;
                const int height = layoutRollOut(rollOut, columnWidth);
                MoveWindow(rollOut.window, x, y, columnWidth, height, TRUE);
                y += height + scale(4);
            }
            bottom = std::max(bottom, y + scroll_);
        }
        const int total = bottom + gap;
        const int limit = std::max<int>(0, total - area.bottom);
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        info.nMin = 0;
        info.nMax = total;
        info.nPage = static_cast<UINT>(area.bottom + 1);
        info.nPos = std::min(scroll_, limit);
        SetScrollInfo(page->window, SB_VERT, &info, TRUE);
        if (scroll_ <= limit) break;
        scroll_ = limit;
    }
    InvalidateRect(page->window, nullptr, TRUE);
}

}  // namespace qbx::ui::win32::settings_window
