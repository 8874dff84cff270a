#include "ui/win32/monitor_window.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/guard.h"
#include "core/plugin.h"
#include "platform/win32/system_texts.h"
#include "statistics/monitor_model.h"
#include "ui/win32/dialog_text.h"
#include "ui/win32/window_support.h"

namespace qbx::ui::win32 {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT_PTR kHideTimer = 2;
// The shell's file-copy clip, the one Explorer plays while it copies.
constexpr WORD kFileCopyClip = 161;
constexpr int kLastClipFrame = 31;

// The module our window class belongs to: the one this code lies in.
class Library {
public:
    explicit Library(const wchar_t* name) : module_(LoadLibraryW(name)) {}
    ~Library() {
        if (module_) FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    HMODULE get() const noexcept { return module_; }

private:
    HMODULE module_;
};

class MonitorWindowView final : public statistics::MonitorView {
public:
    MonitorWindowView(Plugin& plugin, HWND owner);
    ~MonitorWindowView() override;
    MonitorWindowView(const MonitorWindowView&) = delete;
    MonitorWindowView& operator=(const MonitorWindowView&) = delete;

    bool visible() const override { return window_ && IsWindowVisible(window_); }
    void show() override;
    void hide() override {
        if (window_) ShowWindow(window_, SW_HIDE);
    }
    void setLines(const std::vector<std::string>& lines) override;
    void setHideTimer(bool enabled) override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    int scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    void createControls();
    void destroy() noexcept;

    Plugin& plugin_;
    int dpi_ = screenDpi();
    WindowClass class_{kMonitorClass, &MonitorWindowView::windowProc};
    Library shell_{L"shell32.dll"};
    GdiObject<HFONT> textFont_;
    HWND window_ = nullptr;
    HWND animation_ = nullptr;
    HWND text_ = nullptr;
    statistics::MonitorWindow model_;  // last: unregistered before the window goes
};

HFONT boldTextFont(int dpi) {
    // The face the monitor was drawn with; where it is missing the font mapper gives the
    // closest sans serif.
    return CreateFontW(-MulDiv(11, dpi, 96), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

MonitorWindowView::MonitorWindowView(Plugin& plugin, HWND owner)
    : plugin_(plugin), textFont_(boldTextFont(dpi_)), model_(plugin, *this) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_ANIMATE_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);

    RECT frame{0, 0, scale(kMonitorWidth), scale(kMonitorHeight)};
    // No WS_CLIPCHILDREN: the group box covers the client and paints only its frame, so the
    // window itself paints the face under it.
    const DWORD style = WS_POPUP;
    const DWORD exStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    window_ = CreateWindowExW(exStyle, kMonitorClass, kMonitorCaption, style, x, y, width, height,
                              owner, nullptr, qbx::win32::ownModule(), this);
    if (!window_) throw std::runtime_error("the monitor window cannot be created");
    try {
        SetLayeredWindowAttributes(window_, 0, kMonitorAlpha, LWA_ALPHA);
        createControls();
        if (!SetTimer(window_, kRefreshTimer, statistics::kMonitorRefreshMs, nullptr))
            throw std::runtime_error("the monitor's refresh timer cannot be set");
    } catch (...) {
        destroy();
        throw;
    }
}

MonitorWindowView::~MonitorWindowView() { destroy(); }

void MonitorWindowView::destroy() noexcept {
    if (!window_) return;
    KillTimer(window_, kRefreshTimer);
    KillTimer(window_, kHideTimer);
    if (animation_) Animate_Close(animation_);
    // The owner may have taken the window with it: WM_NCDESTROY then cleared window_.
    const HWND window = window_;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    window_ = nullptr;
    DestroyWindow(window);
}

void MonitorWindowView::createControls() {
    const HINSTANCE instance = qbx::win32::ownModule();
    const auto guiFont = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    // Siblings in one client area: the group box sits below the others and paints around them.
    const HWND group = CreateWindowExW(
        0, L"BUTTON", kMonitorGroupCaption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX,
        0, 0, scale(kMonitorWidth), scale(kMonitorHeight), window_, nullptr, instance, nullptr);
    if (group) SendMessageW(group, WM_SETFONT, guiFont, FALSE);

    // Some systems (Wine among them) lack the clip: the monitor then shows only its lines.
    if (shell_.get()) {
        animation_ = CreateWindowExW(
            0, ANIMATE_CLASSW, L"",
            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | ACS_TRANSPARENT | ACS_CENTER, scale(9),
            scale(16), scale(272), scale(60), window_, nullptr, instance, nullptr);
        // A shorter clip than the shell's own plays whole.
        if (animation_ &&
            (!SendMessageW(animation_, ACM_OPENW, reinterpret_cast<WPARAM>(shell_.get()),
                           reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(kFileCopyClip))) ||
             (!Animate_Play(animation_, 0, kLastClipFrame, -1) &&
              !Animate_Play(animation_, 0, -1, -1)))) {
            DestroyWindow(animation_);
            animation_ = nullptr;
        }
    }

    // Aligned to the group box's bottom edge, inside its frame.
    const int textHeight = scale(129);
    text_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"j",
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
        scale(2), scale(kMonitorHeight) - scale(2) - textHeight, scale(288), textHeight, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMonitorTextId)), instance, nullptr);
    if (!text_) throw std::runtime_error("the monitor's text cannot be created");
    SendMessageW(text_, WM_SETFONT,
                 textFont_.get() ? reinterpret_cast<WPARAM>(textFont_.get()) : guiFont, FALSE);
    if (group)
        SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MonitorWindowView::show() {
    if (!window_) return;
    // In front of every window, yet the user's typing stays where it was.
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
}

void MonitorWindowView::setLines(const std::vector<std::string>& lines) {
    if (!text_) return;
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) joined += "\r\n";
        joined += lines[i];
    }
    // One repaint for all seven lines.
    SendMessageW(text_, WM_SETREDRAW, FALSE, 0);
    SetWindowTextW(text_, wideText(joined).c_str());
    SendMessageW(text_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(text_, nullptr, TRUE);
}

void MonitorWindowView::setHideTimer(bool enabled) {
    if (!window_) return;
    if (enabled)
        SetTimer(window_, kHideTimer, statistics::kMonitorHideMs, nullptr);
    else
        KillTimer(window_, kHideTimer);
}

LRESULT CALLBACK MonitorWindowView::windowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    auto* self = viewOfWindow<MonitorWindowView>(window, message, lParam);
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_TIMER:
            if (wParam == kRefreshTimer)
                guardedVoid(&self->plugin_.log, "tTimer", [&] { self->model_.tTimer(); });
            else if (wParam == kHideTimer)
                guardedVoid(&self->plugin_.log, "ttTimer", [&] { self->model_.ttTimer(); });
            return 0;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_CLOSE:
            // Alt+F4 cannot reach a window that is never active; anything else only hides it.
            ShowWindow(window, SW_HIDE);
            return 0;
        case WM_NCDESTROY:
            // Freed with its owner, the settings dialog.
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
            self->animation_ = nullptr;
            self->text_ = nullptr;
            break;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<statistics::MonitorView> makeMonitorWindow(Plugin& plugin, HWND owner) {
    return std::make_unique<MonitorWindowView>(plugin, owner);
}

}  // namespace qbx::ui::win32
