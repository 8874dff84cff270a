#include "ui/win32/dialog_window.h"

#include "ui/win32/dialog_window_parts.h"

#include <stdexcept>

#include "core/guard.h"
#include "core/ports/settings_dialog.h"
#include "platform/win32/system_texts.h"
#include "statistics/monitor_model.h"
#include "ui/win32/dialog_text.h"
#include "ui/win32/monitor_window.h"

namespace qbx::ui::win32::settings_window {

namespace {

// A disabled check box painted by us: the system's gray caption is drawn into a box measured
// for another font, which cuts Cyrillic captions short.
void paintDisabledCheckBox(HWND window, HFONT font);

LRESULT CALLBACK checkBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR font) {
    if (message == WM_PAINT && !IsWindowEnabled(window)) {
        FpuShield shield;
        try {
            paintDisabledCheckBox(window, reinterpret_cast<HFONT>(font));
            return 0;
        } catch (...) {
            // Nothing painted: the system paints it instead.
        }
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &checkBoxProc, id);
    return DefSubclassProc(window, message, wParam, lParam);
}

void paintDisabledCheckBox(HWND window, HFONT font) {
    // The caption first: nothing may fail between BeginPaint and EndPaint.
    const int length = GetWindowTextLengthW(window);
    std::wstring caption(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    const int copied = GetWindowTextW(window, caption.data(), length + 1);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const int box = GetSystemMetrics(SM_CXMENUCHECK);
    RECT glyph{client.left, client.top + 1, client.left + box, client.top + 1 + box};
    const LRESULT state = SendMessageW(window, BM_GETCHECK, 0, 0);
    DrawFrameControl(
        dc, &glyph, DFC_BUTTON,
        DFCS_BUTTONCHECK | DFCS_INACTIVE | (state != BST_UNCHECKED ? DFCS_CHECKED : 0));
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    RECT text = client;
    text.left += box + MulDiv(5, GetDeviceCaps(dc, LOGPIXELSX), 96);
    DrawTextW(dc, caption.c_str(), copied, &text, DT_WORDBREAK | DT_LEFT | DT_TOP);
    SelectObject(dc, old);
    EndPaint(window, &paint);
}

std::vector<DialogWindow*>& openWindows() {
    static std::vector<DialogWindow*> windows;
    return windows;
}

}  // namespace

LRESULT CALLBACK MessageHook::proc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        MSG* message = reinterpret_cast<MSG*>(lParam);
        if (message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST) {
            for (DialogWindow* dialog : openWindows()) {
                const HWND top = dialog->window();
                if (top && (message->hwnd == top || IsChild(top, message->hwnd)) &&
                    IsDialogMessageW(top, message)) {
                    message->message = WM_NULL;
                    break;
                }
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DialogWindow::DialogWindow(Plugin& plugin)
    : plugin_(plugin),
      formClass_(kFormClass, &DialogWindow::windowProc),
      pageClass_(kPageClass, &DialogWindow::windowProc),
      rollOutClass_(kRollOutClass, &DialogWindow::windowProc),
      form_(plugin, *this, [this](Plugin& p) { return makeMonitorWindow(p, window_); }),
      timers_(plugin, form_, *this, *this) {
    form_.onHotKeyStep = [this] { timers_.setUpHotKey(); };
    INITCOMMONCONTROLSEX init{sizeof init, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                               ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    dpi_ = screenDpi();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    ownFont_ = font_ != nullptr;
    if (!font_) font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    try {
        createWindows();
        form_.formCreate();
        layout();
        timers_.start();
    } catch (...) {
        // No destructor runs for a half-built window: what it made goes here.
        hotKey_.reset();
        if (window_) {
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
        for (const ATOM atom : atoms_) GlobalDeleteAtom(atom);
        if (ownFont_) DeleteObject(font_);
        throw;
    }
    // Only a complete window takes keys from the host's loop.
    openWindows().push_back(this);
    hook_ = std::make_unique<MessageHook>();
}

DialogWindow::~DialogWindow() {
    // Closed while still open (the host shuts down): the list is saved as a hide would save it.
    try {
        finishEditing();
        if (window_ && IsWindowVisible(window_)) form_.formHide();
    } catch (...) {
        logEscapedException(&plugin_.log, "settings window", std::current_exception());
    }
    // What the controls report while they are torn down is no user's change.
    ++quiet_;
    hook_.reset();
    auto& open = openWindows();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    hotKey_.reset();
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    for (const ATOM atom : atoms_) GlobalDeleteAtom(atom);
    if (ownFont_) DeleteObject(font_);
}

// ---- building the windows -----------------------------------------------------------------

HWND DialogWindow::makeWindow(const wchar_t* className, const std::string& text, DWORD style,
                              HWND parent, DWORD exStyle) {
    const int id = kFirstControlId + static_cast<int>(byWindow_.size());
    HWND window = CreateWindowExW(exStyle, className, wideText(text).c_str(), style, 0, 0, 10, 10,
                                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  qbx::win32::ownModule(), nullptr);
    if (window) {
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    return window;
}

void DialogWindow::tag(HWND window, const std::string& name) {
    if (!window) return;
    const ATOM atom = GlobalAddAtomA(name.c_str());
    if (!atom) return;
    atoms_.push_back(atom);
    SetPropW(window, kComponentProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
}

HWND DialogWindow::parentOf(const ControlRow& row) const {
    if (row.parent[0] == '\0') return window_;
    const Control* parent = find(row.parent);
    if (!parent) return window_;
    // A captioned panel is a header over its column; its roll-outs lie on the page beside it.
    if (parent->row->kind == K::CaptionPanel) return GetParent(parent->window);
    // A group box frames its children; they lie on its page, where their messages go.
    if (parent->row->kind == K::GroupBox) return GetParent(parent->window);
    return parent->window;
}

void DialogWindow::createWindows() {
    const HWND desktop = GetDesktopWindow();
    (void)desktop;
    window_ =
        CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, CW_USEDEFAULT, scale(kFormWidth), scale(kFormHeight),
                        nullptr, nullptr, qbx::win32::ownModule(), nullptr);
    if (!window_) throw std::runtime_error("the settings window could not be created");
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    formShown_ = IsWindowVisible(window_) != FALSE;
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    // At the dialog's size, but never past the work area; centred on it.
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int width = std::min<int>(scale(kFormWidth), area.right - area.left);
    const int height = std::min<int>(scale(kFormHeight), area.bottom - area.top);
    SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);

    tabs_ = makeWindow(WC_TABCONTROLW, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS,
                       window_);
    tag(tabs_, "Tabs");
    {
        HDC dc = GetDC(window_);
        HGDIOBJ old = SelectObject(dc, font_);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        lineHeight_ = metrics.tmHeight;
        SelectObject(dc, old);
        ReleaseDC(window_, dc);
    }
    measureGridRows();

    const auto rows = setupControls();
    controls_.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        controls_[i].row = &rows[i];
        controls_[i].caption = defaultCaption(rows[i]);
        controls_[i].items = defaultItems(rows[i]);
        controls_[i].itemEnabled.assign(controls_[i].items.size(), true);
        controls_[i].hidden = (rows[i].flags & kHidden) != 0;
        controlByName_.emplace(rows[i].name, i);
        createControl(static_cast<int>(i));
    }
    rebuildTabs();
}

void DialogWindow::createControl(int index) {
    Control& c = controls_[static_cast<std::size_t>(index)];
    const ControlRow& row = *c.row;
    const HWND parent = parentOf(row);
    const DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
    const DWORD tabStop = WS_TABSTOP | ((row.flags & kDisabled) ? WS_DISABLED : 0);
    switch (row.kind) {
        case K::Page:
            c.window = makeWindow(
                kPageClass, c.caption,
                child | (row.name == std::string_view("RolloutSettings") ? WS_VSCROLL : 0), window_,
                WS_EX_CONTROLPARENT);
            break;
        case K::CaptionPanel:
            c.window = makeWindow(
                L"STATIC", c.caption,
                child | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN | SS_NOPREFIX, parent);
            break;
        case K::GroupBox:
            c.window = makeWindow(L"BUTTON", c.caption, child | BS_GROUPBOX, parent);
            break;
        case K::RollOut:
            c.window = makeWindow(kRollOutClass, c.caption, child | WS_BORDER, parent,
                                  WS_EX_CONTROLPARENT);
            c.extra =
                makeWindow(L"BUTTON", "[+] " + c.caption,
                           child | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_LEFT, c.window);
            break;
        case K::Label: c.window = makeWindow(L"STATIC", c.caption, child | SS_LEFT, parent); break;
        case K::CheckBox:
            c.window = makeWindow(L"BUTTON", c.caption,
                                  child | tabStop | BS_MULTILINE | BS_TOP |
                                      ((row.flags & kGrayed) ? BS_AUTO3STATE : BS_AUTOCHECKBOX),
                                  parent);
            if (row.flags & kGrayed) SendMessageW(c.window, BM_SETCHECK, BST_INDETERMINATE, 0);
            SetWindowSubclass(c.window, &checkBoxProc, 1, reinterpret_cast<DWORD_PTR>(font_));
            break;
        case K::Button:
            c.window = makeWindow(L"BUTTON", c.caption,
                                  child | tabStop | BS_PUSHBUTTON | BS_MULTILINE, parent);
            break;
        case K::RadioGroup:
            c.window = makeWindow(L"BUTTON", c.caption, child | BS_GROUPBOX, parent);
            for (std::size_t i = 0; i < c.items.size(); ++i) {
                const HWND radio = makeWindow(
                    L"BUTTON", c.items[i],
                    child | BS_AUTORADIOBUTTON | BS_MULTILINE | (i == 0 ? WS_GROUP | tabStop : 0),
                    parent);
                tag(radio, std::string(row.name) + "." + std::to_string(i));
                byWindow_[radio] = static_cast<std::size_t>(index);
                c.radios.push_back(radio);
            }
            // The frame paints over what lies below it: its buttons go on top.
            SetWindowPos(c.window, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            break;
        case K::SpinEdit:
            c.window =
                makeWindow(L"EDIT", "", child | tabStop | WS_GROUP | ES_NUMBER | ES_AUTOHSCROLL,
                           parent, WS_EX_CLIENTEDGE);
            c.extra = makeWindow(
                UPDOWN_CLASSW, "",
                child | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, parent);
            SendMessageW(c.extra, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c.window), 0);
            SendMessageW(c.extra, UDM_SETRANGE32, static_cast<WPARAM>(row.low),
                         static_cast<LPARAM>(row.high));
            break;
        case K::Edit:
        case K::ReadOnlyEdit:
            c.window = makeWindow(L"EDIT", "",
                                  child | tabStop | WS_GROUP | ES_AUTOHSCROLL |
                                      (row.kind == K::ReadOnlyEdit ? ES_READONLY : 0),
                                  parent, WS_EX_CLIENTEDGE);
            break;
        case K::DropDownList:
            c.window =
                makeWindow(L"COMBOBOX", "",
                           child | tabStop | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST, parent);
            fillList(c);
            break;
        case K::Grid:
        case K::CheckList:
            c.window = makeWindow(WC_LISTVIEWW, "",
                                  child | tabStop | WS_GROUP | LVS_REPORT | LVS_SINGLESEL |
                                      LVS_SHOWSELALWAYS |
                                      (row.kind == K::CheckList ? LVS_NOCOLUMNHEADER : 0),
                                  parent, WS_EX_CLIENTEDGE);
            ListView_SetExtendedListViewStyle(
                c.window, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES |
                              (row.kind == K::CheckList ? LVS_EX_CHECKBOXES : 0));
            if (row.kind == K::CheckList) fillList(c);
            break;
        case K::ValueList: {
            // Owner data: ten thousand rows cost no window memory, and a refill keeps the scroll.
            c.window = makeWindow(WC_LISTVIEWW, "",
                                  child | tabStop | WS_GROUP | WS_CLIPCHILDREN | LVS_REPORT |
                                      LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                                  parent, WS_EX_CLIENTEDGE);
            ListView_SetExtendedListViewStyle(c.window, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
            SetWindowSubclass(c.window, &DialogWindow::valueListProc, 1,
                              reinterpret_cast<DWORD_PTR>(this));
            const std::pair<const char*, const char*> buttons[] = {{"+", "Add"}, {"-", "Delete"}};
            for (const auto& [caption, role] : buttons) {
                const HWND button =
                    makeWindow(L"BUTTON", caption, child | tabStop | BS_PUSHBUTTON, parent);
                tag(button, std::string(row.name) + role);
                byWindow_[button] = static_cast<std::size_t>(index);
                c.radios.push_back(button);
            }
            fillValueList(c);
            break;
        }
        case K::ListBox: {
            // Inside a roll-out it shows when the roll-out opens.
            const Control* holder = find(row.parent);
            const DWORD visible = holder && holder->row->kind == K::RollOut ? 0 : WS_VISIBLE;
            c.window = makeWindow(
                L"LISTBOX", "",
                child | visible | tabStop | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT, parent,
                WS_EX_CLIENTEDGE);
            break;
        }
        case K::Memo:
            c.window = makeWindow(L"EDIT", "",
                                  child | tabStop | WS_GROUP | WS_VSCROLL | ES_MULTILINE |
                                      ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL |
                                      ((row.flags & kReadOnly) ? ES_READONLY : 0) |
                                      ((row.flags & kNoWrap) ? WS_HSCROLL | ES_AUTOHSCROLL : 0),
                                  parent, WS_EX_CLIENTEDGE);
            // A loaded file is larger than the 32 KB a memo takes by default.
            SendMessageW(c.window, EM_SETLIMITTEXT, 0, 0);
            break;
        case K::RichEdit:
            c.window =
                makeWindow(richEdit_.className(), "",
                           child | tabStop | WS_GROUP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                               ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NOHIDESEL,
                           parent, WS_EX_CLIENTEDGE);
            if (richEdit_.loaded()) {
                SendMessageW(c.window, EM_EXLIMITTEXT, 0, 16 << 20);
                // Plain text: a paste brings no foreign formatting, only our colours.
                SendMessageW(c.window, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO, 0);
                SendMessageW(c.window, EM_SETEVENTMASK, 0, ENM_CHANGE);
            } else {
                SendMessageW(c.window, EM_SETLIMITTEXT, 0, 0);
            }
            break;
    }
    // A multi-line control of a page carries its caption as a title above it.
    if (c.window && !c.extra && !c.caption.empty() &&
        (row.kind == K::Memo || row.kind == K::RichEdit || row.kind == K::Grid ||
         row.kind == K::ListBox))
        c.extra = makeWindow(
            L"STATIC", c.caption,
            child | (row.kind == K::ListBox ? WS_VISIBLE : 0) | SS_LEFT | SS_NOPREFIX, parent);
    if (c.window) {
        tag(c.window, row.name);
        byWindow_[c.window] = static_cast<std::size_t>(index);
    }
    if (c.extra) byWindow_[c.extra] = static_cast<std::size_t>(index);
}

// ---- pages ---------------------------------------------------------------------------------

void DialogWindow::rebuildTabs() {
    const Quiet quiet(*this);
    const std::size_t active = activePage_;
    TabCtrl_DeleteAllItems(tabs_);
    tabPages_.clear();
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const Control& c = controls_[i];
        if (c.row->kind != K::Page || c.hidden) continue;
        std::wstring text = wideText(c.caption);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageW(tabs_, TCM_INSERTITEMW, tabPages_.size(), reinterpret_cast<LPARAM>(&item));
        tabPages_.push_back(i);
    }
    const auto found = std::find(tabPages_.begin(), tabPages_.end(), active);
    activePage_ = found != tabPages_.end() ? active : (tabPages_.empty() ? 0 : tabPages_[0]);
    const auto tab = std::find(tabPages_.begin(), tabPages_.end(), activePage_);
    if (tab != tabPages_.end()) TabCtrl_SetCurSel(tabs_, static_cast<int>(tab - tabPages_.begin()));
    showSelectedPage();
}

void DialogWindow::showSelectedPage() {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].row->kind == K::Page)
            ShowWindow(controls_[i].window,
                       i == activePage_ && !controls_[i].hidden ? SW_SHOW : SW_HIDE);
    layout();
    moveInPendingLinesOfShownLists();
}

// ---- messages
// -------------------------------------------------------------------------------------

LRESULT CALLBACK DialogWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    FpuShield shield;
    try {
        return self->handle(window, message, wParam, lParam);
    } catch (...) {
        logEscapedException(&self->plugin_.log, "settings window", std::current_exception());
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT DialogWindow::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0) command(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
            if (window == window_ && LOWORD(wParam) == IDCANCEL) {
                PostMessageW(window_, WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_NOTIFY: return notify(*reinterpret_cast<const NMHDR*>(lParam), lParam);
        case WM_SIZE:
            if (window == window_) layout();
            break;
        case WM_WINDOWPOSCHANGED:
            // Every showing or hiding of the form passes here, whoever asks for it.
            if (window == window_) {
                const UINT flags = reinterpret_cast<const WINDOWPOS*>(lParam)->flags;
                if (flags & SWP_SHOWWINDOW) formShown_ = true;
                if (flags & SWP_HIDEWINDOW) formShown_ = false;
            }
            break;
        case kLayoutMessage: layout(); return 0;
        case WM_TIMER:
            if (window == window_ && wParam >= kFirstTimerId &&
                wParam < kFirstTimerId + timerRows().size()) {
                timers_.tick(static_cast<int>(wParam - kFirstTimerId));
                return 0;
            }
            break;
        case WM_HOTKEY:
            if (window == window_) {
                show();
                return 0;
            }
            break;
        case kEditorLeftMessage:
            if (editor_.window && editor_.window == reinterpret_cast<HWND>(wParam)) {
                const std::size_t control = editor_.control;
                const int row = editor_.row;
                finishEditing();
                dropEmptyRow(controls_[control], row);
            }
            return 0;
        case WM_CLOSE:
            if (window == window_) {
                finishEditing();
                ShowWindow(window_, SW_HIDE);
                form_.formHide();
                return 0;
            }
            break;
        case WM_VSCROLL:
        case WM_MOUSEWHEEL: {
            Control* page = find("RolloutSettings");
            if (!page || window != page->window) break;
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_ALL;
            GetScrollInfo(window, SB_VERT, &info);
            int position = info.nPos;
            const int step = lineHeight_ * 3;
            if (message == WM_MOUSEWHEEL) {
                position -= GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * step;
            } else {
                switch (LOWORD(wParam)) {
                    case SB_LINEUP: position -= step; break;
                    case SB_LINEDOWN: position += step; break;
                    case SB_PAGEUP: position -= static_cast<int>(info.nPage); break;
                    case SB_PAGEDOWN: position += static_cast<int>(info.nPage); break;
                    case SB_THUMBTRACK:
                    case SB_THUMBPOSITION: position = info.nTrackPos; break;
                    case SB_TOP: position = 0; break;
                    case SB_BOTTOM: position = info.nMax; break;
                    default: break;
                }
            }
            scroll_ =
                std::clamp(position, 0, std::max(0, info.nMax - static_cast<int>(info.nPage) + 1));
            layout();
            return 0;
        }
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

Control* DialogWindow::owner(HWND window) {
    const auto found = byWindow_.find(window);
    return found == byWindow_.end() ? nullptr : &controls_[found->second];
}

void DialogWindow::command(HWND from, int code) {
    Control* c = owner(from);
    if (!c) return;
    if (c->row->kind == K::RollOut) {
        if (code == BN_CLICKED && from == c->extra) toggle(*c);
        return;
    }
    if (quiet_) return;
    if (c->row->kind == K::ValueList) {
        if (code == BN_CLICKED && c->radios.size() == 2) {
            if (from == c->radios[0]) addValueRow(*c);
            if (from == c->radios[1]) deleteValueRow(*c);
        }
        return;
    }
    bool changed = false;
    switch (c->row->kind) {
        case K::CheckBox:
        case K::Button: changed = code == BN_CLICKED; break;
        case K::RadioGroup: changed = code == BN_CLICKED && from != c->window; break;
        case K::SpinEdit:
        case K::Edit:
        case K::Memo:
        case K::RichEdit: changed = code == EN_CHANGE && from == c->window; break;
        case K::DropDownList: changed = code == CBN_SELCHANGE; break;
        default: break;
    }
    if (changed) form_.controlChanged(c->row->name);
}

LRESULT DialogWindow::notify(const NMHDR& header, LPARAM lParam) {
    if (header.hwndFrom == tabs_) {
        if (header.code == TCN_SELCHANGE) {
            const int tab = TabCtrl_GetCurSel(tabs_);
            if (tab >= 0 && tab < static_cast<int>(tabPages_.size())) {
                activePage_ = tabPages_[static_cast<std::size_t>(tab)];
                showSelectedPage();
            }
        }
        return 0;
    }
    Control* c = owner(header.hwndFrom);
    if (!c) return 0;
    const std::size_t index = static_cast<std::size_t>(c - controls_.data());
    (void)index;
    if (c->row->kind == K::ValueList) return valueListNotify(*c, header, lParam);
    if (c->row->kind == K::Grid) {
        if (header.code == NM_CLICK && !quiet_) {
            const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
            form_.controlChanged(c->row->name, click->iItem);
        } else if (header.code == NM_RETURN && !quiet_) {
            form_.controlChanged(c->row->name, ListView_GetNextItem(c->window, -1, LVNI_SELECTED));
        }
        return 0;
    }
    if (c->row->kind == K::CheckList) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        const bool checkChanged =
            (header.code == LVN_ITEMCHANGING || header.code == LVN_ITEMCHANGED) &&
            (change->uChanged & LVIF_STATE) &&
            ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) &&
            (change->uOldState & LVIS_STATEIMAGEMASK) != 0;
        if (header.code == LVN_ITEMCHANGING && checkChanged && !quiet_) {
            const int item = change->iItem;
            // The fixed items keep their check.
            return item >= 0 && item < static_cast<int>(c->itemEnabled.size()) &&
                           !c->itemEnabled[static_cast<std::size_t>(item)]
                       ? TRUE
                       : FALSE;
        }
        if (header.code == LVN_ITEMCHANGED && checkChanged && !quiet_)
            form_.controlChanged(c->row->name);
        if (header.code == NM_CUSTOMDRAW) {
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
            if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                const auto item = static_cast<std::size_t>(draw->nmcd.dwItemSpec);
                if (item < c->itemEnabled.size() && !c->itemEnabled[item])
                    draw->clrText = GetSysColor(COLOR_GRAYTEXT);
                return CDRF_DODEFAULT;
            }
        }
    }
    return 0;
}

void DialogWindow::show() {
    form_.formShow();
    layout();
    ShowWindow(window_, SW_SHOW);
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    BringWindowToTop(window_);
    SetForegroundWindow(window_);
    moveInPendingLinesOfShownLists();
}

// ---- DialogView ------------------------------------------------------------------------------

Control* DialogWindow::find(std::string_view name) {
    const auto it = controlByName_.find(name);
    return it != controlByName_.end() ? &controls_[it->second] : nullptr;
}

const Control* DialogWindow::find(std::string_view name) const {
    const auto it = controlByName_.find(name);
    return it != controlByName_.end() ? &controls_[it->second] : nullptr;
}

std::string DialogWindow::caption(std::string_view name) const {
    if (name.empty()) return windowText(window_);
    const Control* c = find(name);
    return c ? c->caption : std::string();
}

void DialogWindow::setCaption(std::string_view name, std::string_view caption) {
    const Quiet quiet(*this);
    if (name.empty()) {
        setWindowText(window_, caption);
        return;
    }
    Control* c = find(name);
    if (!c) return;
    c->caption = caption;
    switch (c->row->kind) {
        case K::Page: rebuildTabs(); break;
        case K::RollOut:
            setWindowText(c->window, caption);
            setWindowText(c->extra, (c->expanded ? "[-] " : "[+] ") + c->caption);
            break;
        case K::ValueList:
        case K::Grid:
        case K::Memo:
        case K::RichEdit:
        case K::ListBox:
            if (c->extra) setWindowText(c->extra, caption);
            break;
        case K::CheckList:
        case K::SpinEdit:
        case K::Edit:
        case K::ReadOnlyEdit:
        case K::DropDownList: break;
        default: setWindowText(c->window, caption); break;
    }
    scheduleLayout();
}

bool DialogWindow::checked(std::string_view name) const {
    const Control* c = find(name);
    return c && SendMessageW(c->window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void DialogWindow::setChecked(std::string_view name, bool on) {
    const Quiet quiet(*this);
    if (const Control* c = find(name)) {
        SendMessageW(c->window, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        InvalidateRect(c->window, nullptr, TRUE);
    }
}

std::string DialogWindow::text(std::string_view name) const {
    const Control* c = find(name);
    if (!c) return {};
    if (c->row->kind != K::ListBox) return windowText(c->window);
    moveInPendingLines(*c);
    std::string lines;
    const LRESULT count = SendMessageW(c->window, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(c->window, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) continue;
        std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(c->window, LB_GETTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(line.data()));
        line.resize(static_cast<std::size_t>(length));
        if (i) lines += "\r\n";
        lines += codePageText(line);
    }
    return lines;
}

void DialogWindow::setText(std::string_view name, std::string_view text) {
    const Quiet quiet(*this);
    const Control* c = find(name);
    if (!c) return;
    if (c->row->kind != K::ListBox) {
        setWindowText(c->window, text);
        return;
    }
    clearListBox(*c);
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(wideText(text.substr(start, end - start)));
        start = end + 2;
    }
    addListLines(*c, lines);
}

bool DialogWindow::enabled(std::string_view name) const {
    const Control* c = find(name);
    return c && IsWindowEnabled(c->window);
}

void DialogWindow::setEnabled(std::string_view name, bool on) {
    const Control* c = find(name);
    if (!c) return;
    EnableWindow(c->window, on);
    if (c->extra) EnableWindow(c->extra, on);
    for (const HWND radio : c->radios) EnableWindow(radio, on);
}

bool DialogWindow::visible(std::string_view name) const {
    const Control* c = find(name);
    return c && !c->hidden;
}

void DialogWindow::setVisible(std::string_view name, bool on) {
    Control* c = find(name);
    if (!c) return;
    c->hidden = !on;
    if (c->row->kind == K::Page) {
        rebuildTabs();
        return;
    }
    if (c->row->kind != K::RollOut) {
        const int show = on && insideExpandedRollOut(*c) ? SW_SHOW : SW_HIDE;
        ShowWindow(c->window, show);
        if (c->extra) ShowWindow(c->extra, show);
        for (const HWND radio : c->radios) ShowWindow(radio, show);
    }
    scheduleLayout();
}

void DialogWindow::setActivePage(std::string_view name) {
    const Control* c = find(name);
    if (!c || c->row->kind != K::Page) return;
    activePage_ = static_cast<std::size_t>(c - controls_.data());
    rebuildTabs();
}

void DialogWindow::redraw() {
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
}
}  // namespace qbx::ui::win32::settings_window

namespace qbx::ui::win32 {
namespace {

using settings_window::DialogWindow;

// ---- the port -----------------------------------------------------------------------------------

class Win32SettingsDialog final : public SettingsDialog {
public:
    explicit Win32SettingsDialog(Plugin& plugin) : window_(plugin) {}
    void showNonBlocking() override { window_.show(); }
    void killTimers() override { window_.timers().killTimers(); }
    void stopPlayerTimer() override { window_.timers().stopPlayerTimer(); }
    void appendDebugLine(const std::string& line) override { window_.form().appendDebugLine(line); }
    UiComponent* components() override { return &window_.form().components(); }

private:
    DialogWindow window_;
};

}  // namespace

std::unique_ptr<SettingsDialog> makeSettingsDialog(Plugin& plugin) {
    return std::make_unique<Win32SettingsDialog>(plugin);
}

void installSettingsDialog(Plugin& plugin) {
    plugin.factories.settingsDialog = [](Plugin& p) { return makeSettingsDialog(p); };
}

}  // namespace qbx::ui::win32
