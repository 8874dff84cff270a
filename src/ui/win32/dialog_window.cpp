#include "ui/win32/dialog_window.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/guard.h"
#include "core/plugin.h"
#include "core/ports/settings_dialog.h"
#include "platform/win32/system_texts.h"
#include "statistics/monitor_model.h"
#include "ui/dialog/dialog_timers.h"
#include "ui/dialog/setup_form.h"
#include "ui/win32/dialog_text.h"
#include "ui/win32/monitor_window.h"
#include "ui/win32/window_support.h"

namespace qbx::ui::win32 {
namespace {

using K = ControlKind;

constexpr UINT kLayoutMessage = WM_APP + 1;
// Posted by a cell editor that lost the focus: it is closed once the focus has moved on.
constexpr UINT kEditorLeftMessage = WM_APP + 2;
constexpr int kFormWidth = 1003;  // at 96 DPI
constexpr int kFormHeight = 551;
constexpr int kFirstControlId = 1000;
constexpr int kSpinWidth = 70;
constexpr int kDropDownHeight = 220;
constexpr UINT_PTR kFirstTimerId = 1;  // the dialog's timers by their row

// The captions that are text of a control of their own kind.
bool isInput(K kind) {
    return kind == K::Edit || kind == K::ReadOnlyEdit || kind == K::SpinEdit ||
           kind == K::DropDownList;
}

// The newest lines of a list, at most its limit, oldest first. They wait in a ring whose
// strings keep their room from line to line: the log adds a dozen lines for every scored
// message, and none of them should cost an allocation while the list is out of sight.
class WaitingLines {
public:
    void add(std::string_view line, std::size_t limit) {
        if (limit != limit_) keepNewest(limit);
        if (limit_ == 0) return;
        if (count_ < limit_) {
            const std::size_t at = (first_ + count_) % limit_;
            if (at == slots_.size()) slots_.emplace_back();
            slots_[at].assign(line);
            ++count_;
        } else {
            slots_[first_].assign(line);
            first_ = (first_ + 1) % limit_;
        }
    }
    template <typename Visit>
    void forEach(Visit&& visit) const {
        for (std::size_t i = 0; i < count_; ++i) visit(slots_[(first_ + i) % limit_]);
    }
    std::size_t size() const { return count_; }
    std::size_t limit() const { return limit_; }
    bool empty() const { return count_ == 0; }
    void clear() {
        first_ = 0;
        count_ = 0;
    }

private:
    // A new limit: the newest lines it allows, in order, from the ring's start.
    void keepNewest(std::size_t limit) {
        std::vector<std::string> kept;
        const std::size_t keep = std::min(count_, limit);
        kept.reserve(keep);
        for (std::size_t i = count_ - keep; i < count_; ++i)
            kept.push_back(std::move(slots_[(first_ + i) % limit_]));
        slots_ = std::move(kept);
        first_ = 0;
        count_ = keep;
        limit_ = limit;
    }

    std::vector<std::string> slots_;
    std::size_t first_ = 0;
    std::size_t count_ = 0;
    std::size_t limit_ = 0;
};

struct Control {
    const ControlRow* row = nullptr;
    HWND window = nullptr;     // a roll-out's container, a radio group's group box
    HWND extra = nullptr;      // a roll-out's header button, a spin edit's arrows, a list's title
    std::vector<HWND> radios;  // a radio group's buttons; a name=value list's "+" and "-"
    std::string caption;
    std::vector<std::string> items;
    std::vector<bool> itemEnabled;
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    bool hidden = false;
    bool expanded = false;
    // A list's lines added while it was out of sight, at most its limit, moved into it when it
    // is shown or read (mutable: reading the list moves them too).
    mutable WaitingLines pendingLines;
};

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

// The rich edit library of the script editor, loaded while a dialog exists: Msftedit.dll where
// the system has it, else the older Riched20.dll. Without either the editor is a plain memo.
class RichEditLibrary {
public:
    RichEditLibrary() {
        module_ = LoadLibraryW(L"Msftedit.dll");
        className_ = L"RICHEDIT50W";
        if (!module_) {
            module_ = LoadLibraryW(L"Riched20.dll");
            className_ = RICHEDIT_CLASSW;
        }
        if (!module_) className_ = L"EDIT";
    }
    ~RichEditLibrary() {
        if (module_) FreeLibrary(module_);
    }
    RichEditLibrary(const RichEditLibrary&) = delete;
    RichEditLibrary& operator=(const RichEditLibrary&) = delete;
    const wchar_t* className() const { return className_; }
    bool loaded() const { return module_ != nullptr; }

private:
    HMODULE module_ = nullptr;
    const wchar_t* className_ = L"EDIT";
};

// The editor's colours of Pascal.
COLORREF highlightColour(Highlight kind) {
    switch (kind) {
        case Highlight::Keyword: return RGB(0, 0, 160);
        case Highlight::String: return RGB(163, 21, 21);
        case Highlight::Comment: return RGB(0, 128, 0);
        case Highlight::Number: return RGB(128, 0, 128);
    }
    return RGB(0, 0, 0);
}

// Multi-line controls that take what height their column leaves.
bool stretches(const ControlRow& row) {
    return row.kind == K::Memo || row.kind == K::RichEdit || row.kind == K::ListBox ||
           (row.kind == K::Grid && row.rows == 0);
}

class DialogWindow;
std::vector<DialogWindow*>& openWindows() {
    static std::vector<DialogWindow*> windows;
    return windows;
}

// The host runs the message loop: the keyboard interface of a dialog (Tab, arrows, Alt and a
// letter, Enter, Esc) is reached through a hook on that loop for as long as the window exists.
class MessageHook {
public:
    MessageHook()
        : hook_(SetWindowsHookExW(WH_GETMESSAGE, &MessageHook::proc, nullptr,
                                  GetCurrentThreadId())) {}
    ~MessageHook() {
        if (hook_) UnhookWindowsHookEx(hook_);
    }
    MessageHook(const MessageHook&) = delete;
    MessageHook& operator=(const MessageHook&) = delete;

private:
    static LRESULT CALLBACK proc(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
};

// The dialog's system-wide hot key, registered under a global atom of its own name; both are
// given back when the window goes, so that the chord is free again once the module is unloaded.
class HotKeyRegistration {
public:
    HotKeyRegistration(HWND window, unsigned modifiers, int keyCode)
        : window_(window), atom_(GlobalAddAtomA(kHotKeyAtomName)) {
        if (atom_ != 0)
            registered_ = RegisterHotKey(window_, atom_, modifiers, static_cast<UINT>(keyCode));
    }
    ~HotKeyRegistration() {
        if (registered_) UnregisterHotKey(window_, atom_);
        if (atom_ != 0) GlobalDeleteAtom(atom_);
    }
    HotKeyRegistration(const HotKeyRegistration&) = delete;
    HotKeyRegistration& operator=(const HotKeyRegistration&) = delete;
    bool registered() const { return registered_; }

private:
    static constexpr const char* kHotKeyAtomName = "{E04C8234-E489-466A-B105-8543CDE48809}";
    HWND window_;
    ATOM atom_;
    bool registered_ = false;
};

class DialogWindow final : public DialogView, public TimerView {
public:
    explicit DialogWindow(Plugin& plugin);
    ~DialogWindow() override;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    SetupForm& form() { return form_; }
    HWND window() const { return window_; }
    void show();

    // DialogView
    std::string caption(std::string_view name) const override;
    void setCaption(std::string_view name, std::string_view caption) override;
    bool checked(std::string_view name) const override;
    void setChecked(std::string_view name, bool checked) override;
    std::string text(std::string_view name) const override;
    void setText(std::string_view name, std::string_view text) override;
    std::vector<std::string> items(std::string_view name) const override;
    void setItems(std::string_view name, const std::vector<std::string>& items) override;
    int selection(std::string_view name) const override;
    void setSelection(std::string_view name, int index) override;
    bool itemChecked(std::string_view name, int index) const override;
    void setItemChecked(std::string_view name, int index, bool checked) override;
    void setItemEnabled(std::string_view name, int index, bool enabled) override;
    void setGrid(std::string_view name, const std::vector<std::string>& header,
                 const std::vector<std::vector<std::string>>& rows) override;
    std::vector<std::string> gridHeader(std::string_view name) const override;
    std::vector<std::vector<std::string>> gridRows(std::string_view name) const override;
    void appendLine(std::string_view name, std::string_view line, std::size_t maxLines) override;
    static void moveInPendingLines(const Control& c);
    void moveInPendingLinesOfShownLists();
    bool enabled(std::string_view name) const override;
    void setEnabled(std::string_view name, bool enabled) override;
    bool visible(std::string_view name) const override;
    void setVisible(std::string_view name, bool visible) override;
    void setActivePage(std::string_view name) override;
    void redraw() override;
    std::optional<std::string> pickFolder(std::string_view start, std::string_view title) override;
    std::optional<std::string> saveFileName(std::string_view proposed) override;
    std::optional<std::string> openFileName() override;
    void setHighlights(std::string_view name, const std::vector<HighlightRange>& ranges) override;

    // TimerView
    DialogTimers& timers() { return timers_; }
    void startTimer(int id, unsigned intervalMs) override;
    void stopTimer(int id) override;
    std::array<std::uint8_t, 256> keyboardState() override;
    bool dialogVisible() override;
    void showDialog() override { show(); }
    void closeDialog() override;
    bool registerHotKey(unsigned modifiers, int keyCode) override;

private:
    // Changes the view makes itself raise no notifications for the model.
    struct Quiet {
        explicit Quiet(const DialogWindow& w) : w_(w) { ++w_.quiet_; }
        ~Quiet() { --w_.quiet_; }
        const DialogWindow& w_;
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK valueListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK cellEditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR self);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void command(HWND from, int code);
    LRESULT notify(const NMHDR& header, LPARAM lParam);

    void createWindows();
    void createControl(int index);
    HWND makeWindow(const wchar_t* className, const std::string& text, DWORD style, HWND parent,
                    DWORD exStyle = 0);
    void tag(HWND window, const std::string& name);
    HWND parentOf(const ControlRow& row) const;

    void layout();
    void scheduleLayout();
    int layoutRollOut(Control& rollOut, int width);
    void layoutPage(Control& page, int width, int height);
    int naturalWidth(const Control& control) const;
    void showContent(Control& rollOut);
    void toggle(Control& rollOut);
    void rebuildTabs();
    void showSelectedPage();
    void fillList(Control& control);
    void fillGrid(Control& control);
    void fillListBox(Control& control);

    // Name=value lists: a report view whose rows live in the Control and are edited in place.
    void fillValueList(Control& control);
    void sizeValueColumns(Control& control);
    LRESULT valueListNotify(Control& control, const NMHDR& header, LPARAM lParam);
    void selectValueRow(Control& control, int row);
    void addValueRow(Control& control);
    void deleteValueRow(Control& control);
    void openEditor(Control& control, int row, int column);
    // False when the typed text is refused: the editor then stays open with the old text.
    bool closeEditor(bool commit);
    // Commits what can be committed; a refused text is dropped. The editor is closed after.
    void finishEditing();
    bool editorKey(WPARAM key);
    void dropEmptyRow(Control& control, int row);

    int scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    SIZE measure(const std::string& text, int maxWidth) const;
    Control* find(std::string_view name);
    const Control* find(std::string_view name) const;
    Control* owner(HWND window);
    bool insideExpandedRollOut(const Control& control) const;

    Plugin& plugin_;
    // The form, its pages and its roll-outs.
    WindowClass formClass_, pageClass_, rollOutClass_;
    HWND window_ = nullptr;
    // Whether the form is shown, as its position messages tell: a hidden form spares the log's
    // every line the question whether the debug list is in sight (a call into the system).
    // Never false while the form is shown.
    bool formShown_ = false;
    HWND tabs_ = nullptr;
    HFONT font_ = nullptr;
    bool ownFont_ = false;
    int dpi_ = 96;
    int lineHeight_ = 13;
    int scroll_ = 0;
    mutable int quiet_ = 0;
    bool layoutPending_ = false;
    struct CellEditor {
        HWND window = nullptr;
        std::size_t control = 0;
        int row = -1;
        int column = 0;
    } editor_;
    std::vector<Control> controls_;
    // By name, the first of a name: every caption, value and line is set through its name, and
    // the log's lines alone come a dozen a message.
    std::unordered_map<std::string_view, std::size_t> controlByName_;
    std::unordered_map<HWND, std::size_t> byWindow_;
    std::vector<std::size_t> tabPages_;  // the control of each tab, in tab order
    std::size_t activePage_ = 0;
    std::vector<ATOM> atoms_;
    std::unique_ptr<MessageHook> hook_;
    std::unique_ptr<HotKeyRegistration> hotKey_;
    RichEditLibrary richEdit_;  // before the form: the form fills the editor
    SetupForm form_;            // it fills the windows made before it
    DialogTimers timers_;
};

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
                                      ((row.flags & kReadOnly) ? ES_READONLY : 0),
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

// ---- name=value lists -----------------------------------------------------------------------

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

// ---- pages, roll-outs and layout --------------------------------------------------------------

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

// A page of its own layout: its controls in columns (a row flagged kNewColumn starts the next),
// each column's controls top to bottom, those flagged kBeside on the line of the one before.
// Multi-line controls share the height their column leaves; a column that holds an editor or a
// grid gets twice the width of the others.
void DialogWindow::layoutPage(Control& page, int width, int height) {
    const int pad = scale(6);
    const int gap = scale(4);
    const int editHeight = lineHeight_ + scale(8);
    const int rowHeight = std::max(lineHeight_ + scale(4), scale(17));
    std::vector<std::vector<Control*>> columns(1);
    for (Control& c : controls_) {
        if (c.row->parent != std::string_view(page.row->name) || c.hidden) continue;
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
        // Lines: a control not flagged kBeside starts one.
        std::vector<std::vector<Control*>> lines;
        for (Control* c : columns[col]) {
            if (lines.empty() || !(c->row->flags & kBeside)) lines.emplace_back();
            lines.back().push_back(c);
        }
        const auto titleHeight = [&](const Control& c) -> int {
            return c.extra && (stretches(*c.row) || c.row->kind == K::Grid)
                       ? static_cast<int>(measure(c.caption, columnWidth).cy) + scale(2)
                       : 0;
        };
        const auto fixedHeight = [&](const Control& c) -> int {
            if (c.row->kind == K::Grid && c.row->rows > 0) {
                // The list's own measure of its rows, where it gives one; one more for the
                // header, which the measure leaves out.
                const DWORD view = static_cast<DWORD>(
                    ListView_ApproximateViewRect(c.window, -1, -1, c.row->rows + 1));
                const int measured = HIWORD(view) > 0 ? HIWORD(view) + scale(6) : 0;
                return titleHeight(c) +
                       (measured > 0 ? measured : (c.row->rows + 1) * rowHeight + scale(8));
            }
            if (c.row->kind == K::Button) return editHeight + scale(2);
            return editHeight;
        };
        int fixed = 0, stretching = 0;
        for (const auto& line : lines) {
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
        for (const auto& line : lines) {
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
                flexible ? std::max(scale(40), (columnWidth - naturalTotal - spaces) / flexible)
                         : 0;
            int x = left;
            int lineHeight = 0;
            for (Control* c : line) {
                const int natural = naturalWidth(*c);
                const int w = natural > 0 && !(c->row->flags & kWide)
                                  ? std::min(natural, columnWidth)
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
    SendMessageW(c->window, LB_RESETCONTENT, 0, 0);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        SendMessageW(c->window, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(wideText(text.substr(start, end - start)).c_str()));
        start = end + 2;
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
    SendMessageW(c->window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideText(line).c_str()));
    while (SendMessageW(c->window, LB_GETCOUNT, 0, 0) > static_cast<LRESULT>(maxLines))
        SendMessageW(c->window, LB_DELETESTRING, 0, 0);
    SendMessageW(c->window, LB_SETTOPINDEX, SendMessageW(c->window, LB_GETCOUNT, 0, 0) - 1, 0);
}

void DialogWindow::moveInPendingLines(const Control& c) {
    if (c.pendingLines.empty()) return;
    SendMessageW(c.window, WM_SETREDRAW, FALSE, 0);
    const std::size_t limit = c.pendingLines.limit();
    if (c.pendingLines.size() >= limit) SendMessageW(c.window, LB_RESETCONTENT, 0, 0);
    c.pendingLines.forEach([&](const std::string& line) {
        SendMessageW(c.window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideText(line).c_str()));
    });
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

int CALLBACK startInFolder(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

std::optional<std::string> DialogWindow::pickFolder(std::string_view start,
                                                    std::string_view title) {
    // The folder dialog that can make a new folder needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring folder = wideText(start);
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    const std::wstring caption = wideText(title);
    BROWSEINFOW browse{};
    browse.hwndOwner = window_;
    browse.lpszTitle = caption.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = &startInFolder;
    browse.lParam = reinterpret_cast<LPARAM>(folder.c_str());
    std::optional<std::string> chosen;
    if (PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&browse)) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(list, path)) chosen = codePageText(path);
        CoTaskMemFree(list);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}

std::optional<std::string> DialogWindow::saveFileName(std::string_view proposed) {
    std::wstring buffer = wideText(proposed);
    buffer.resize(std::max<std::size_t>(buffer.size(), MAX_PATH) + 1, L'\0');
    static constexpr wchar_t kFilter[] = L"Language files (*.zlf)\0*.zlf\0All files\0*.*\0";
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = window_;
    open.lpstrFilter = kFilter;
    open.lpstrFile = buffer.data();
    open.nMaxFile = static_cast<DWORD>(buffer.size());
    open.lpstrDefExt = L"zlf";
    open.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&open)) return std::nullopt;
    return codePageText(buffer.c_str());
}

// ---- timers and hot key
// --------------------------------------------------------------------------

void DialogWindow::fillListBox(Control& c) {
    SendMessageW(c.window, WM_SETREDRAW, FALSE, 0);
    SendMessageW(c.window, LB_RESETCONTENT, 0, 0);
    for (const std::string& item : c.items)
        SendMessageW(c.window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideText(item).c_str()));
    SendMessageW(c.window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(c.window, nullptr, TRUE);
}

void DialogWindow::startTimer(int id, unsigned intervalMs) {
    SetTimer(window_, kFirstTimerId + static_cast<UINT_PTR>(id), intervalMs, nullptr);
}

void DialogWindow::stopTimer(int id) {
    KillTimer(window_, kFirstTimerId + static_cast<UINT_PTR>(id));
}

std::array<std::uint8_t, 256> DialogWindow::keyboardState() {
    std::array<std::uint8_t, 256> keys{};
    if (!GetKeyboardState(keys.data())) keys.fill(0);
    return keys;
}

bool DialogWindow::dialogVisible() { return IsWindowVisible(window_) != FALSE; }

void DialogWindow::closeDialog() {
    ShowWindow(window_, SW_HIDE);
    form_.formHide();
}

bool DialogWindow::registerHotKey(unsigned modifiers, int keyCode) {
    hotKey_ = std::make_unique<HotKeyRegistration>(window_, modifiers, keyCode);
    return hotKey_->registered();
}

std::optional<std::string> DialogWindow::openFileName() {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    static constexpr wchar_t kFilter[] = L"Text files (*.txt)\0*.txt\0All files\0*.*\0";
    OPENFILENAMEW open{};
    open.lStructSize = sizeof open;
    open.hwndOwner = window_;
    open.lpstrFilter = kFilter;
    open.nFilterIndex = 2;
    open.lpstrFile = buffer.data();
    open.nMaxFile = static_cast<DWORD>(buffer.size());
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&open)) return std::nullopt;
    return codePageText(buffer.c_str());
}

void DialogWindow::setHighlights(std::string_view name, const std::vector<HighlightRange>& ranges) {
    const Control* c = find(name);
    if (!c || c->row->kind != K::RichEdit || !richEdit_.loaded()) return;
    const Quiet quiet(*this);
    const HWND edit = c->window;
    // The editor counts a line break as one character where the text has CR LF.
    const std::string text = windowText(edit);
    std::vector<LONG> position(text.size() + 1, 0);
    LONG at = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        position[i] = at;
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) ++at;
    }
    position[text.size()] = at;
    const auto place = [&](std::size_t offset) { return position[std::min(offset, text.size())]; };

    const LRESULT mask = SendMessageW(edit, EM_SETEVENTMASK, 0, 0);
    SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    CHARRANGE kept{};
    SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    POINT scrolled{};
    SendMessageW(edit, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));

    CHARFORMAT2W plain{};
    plain.cbSize = sizeof plain;
    plain.dwMask = CFM_COLOR | CFM_BOLD | CFM_ITALIC;
    plain.dwEffects = 0;
    plain.crTextColor = GetSysColor(COLOR_WINDOWTEXT);
    CHARRANGE all{0, -1};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all));
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&plain));
    for (const HighlightRange& range : ranges) {
        CHARFORMAT2W format = plain;
        format.crTextColor = highlightColour(range.kind);
        if (range.kind == Highlight::Keyword) format.dwEffects = CFE_BOLD;
        if (range.kind == Highlight::Comment) format.dwEffects = CFE_ITALIC;
        CHARRANGE span{place(range.start), place(range.start + range.length)};
        SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&span));
        SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    SendMessageW(edit, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scrolled));
    SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit, nullptr, TRUE);
    SendMessageW(edit, EM_SETEVENTMASK, 0, mask);
}

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
