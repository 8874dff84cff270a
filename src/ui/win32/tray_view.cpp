#include "ui/win32/tray_view.h"

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/guard.h"
#include "core/log.h"
#include "core/plugin.h"
#include "core/version.h"
#include "platform/win32/system_texts.h"
#include "ui/tray/exception_reporter.h"
#include "ui/tray/tray_data_module.h"

namespace qbx::ui::win32 {
namespace {

constexpr UINT kCallbackMessage = WM_APP + 0x50;
constexpr UINT_PTR kMouseTimerId = 1;
constexpr UINT_PTR kConnectionTimerId = 2;
constexpr UINT_PTR kCycleTimerId = 3;
constexpr UINT_PTR kClickTimerId = 4;
constexpr UINT kIconId = 1;
constexpr UINT kFirstCommand = 100;
constexpr int kFramesPerSet = 2;

// Copies as much of the text as the fixed field takes, always ending it.
template <std::size_t N>
void copyInto(char (&field)[N], const std::string& text) {
    const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

struct IconColours {
    COLORREF background;
    COLORREF letter;
};

// Two looks per image list, shown in turn; the letter is ours, drawn at run time.
constexpr std::array<std::array<IconColours, kFramesPerSet>, 4> kIconColours = {{
    {{{RGB(128, 128, 128), RGB(255, 255, 255)}, {RGB(255, 255, 255), RGB(128, 128, 128)}}},
    {{{RGB(0, 150, 0), RGB(255, 255, 255)}, {RGB(255, 255, 255), RGB(0, 150, 0)}}},
    {{{RGB(170, 0, 0), RGB(255, 255, 255)}, {RGB(255, 255, 255), RGB(170, 0, 0)}}},
    {{{RGB(0, 70, 190), RGB(255, 220, 0)}, {RGB(255, 220, 0), RGB(0, 70, 190)}}},
}};

class OwnedIcon {
public:
    OwnedIcon() = default;
    explicit OwnedIcon(HICON icon) : icon_(icon) {}
    ~OwnedIcon() {
        if (icon_ != nullptr) DestroyIcon(icon_);
    }
    OwnedIcon(OwnedIcon&& other) noexcept : icon_(other.icon_) { other.icon_ = nullptr; }
    OwnedIcon& operator=(OwnedIcon&& other) noexcept {
        std::swap(icon_, other.icon_);
        return *this;
    }
    HICON get() const { return icon_; }

private:
    HICON icon_ = nullptr;
};

// A "Q" on a filled square, fully opaque.
HICON drawIcon(IconColours colours) {
    const int size = GetSystemMetrics(SM_CXSMICON) > 0 ? GetSystemMetrics(SM_CXSMICON) : 16;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    HFONT font = CreateFontA(-(size - 2), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, "Arial");
    HICON icon = nullptr;
    if (dc != nullptr && colour != nullptr && bits != nullptr && mask != nullptr) {
        HGDIOBJ oldBitmap = SelectObject(dc, colour);
        RECT square{0, 0, size, size};
        HBRUSH brush = CreateSolidBrush(colours.background);
        FillRect(dc, &square, brush);
        DeleteObject(brush);
        HGDIOBJ oldFont = font != nullptr ? SelectObject(dc, font) : nullptr;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, colours.letter);
        DrawTextA(dc, "Q", 1, &square, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (oldFont != nullptr) SelectObject(dc, oldFont);
        GdiFlush();
        auto* pixels = static_cast<std::uint32_t*>(bits);
        for (int i = 0; i < size * size; ++i) pixels[i] |= 0xFF000000u;
        SelectObject(dc, mask);
        PatBlt(dc, 0, 0, size, size, BLACKNESS);
        SelectObject(dc, oldBitmap);
        ICONINFO parts{TRUE, 0, 0, mask, colour};
        icon = CreateIconIndirect(&parts);
    }
    if (font != nullptr) DeleteObject(font);
    if (mask != nullptr) DeleteObject(mask);
    if (colour != nullptr) DeleteObject(colour);
    if (dc != nullptr) DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return icon;
}

// Registered while the view lives: a class left behind would outlive the module's code.
class ClassRegistration {
public:
    ClassRegistration(HINSTANCE instance, WNDPROC procedure) : instance_(instance) {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kTrayWindowClass;
        if (RegisterClassExA(&windowClass) == 0)
            throw std::runtime_error("cannot register the tray window class");
    }
    ~ClassRegistration() { UnregisterClassA(kTrayWindowClass, instance_); }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

private:
    HINSTANCE instance_;
};

class OwnedWindow {
public:
    explicit OwnedWindow(HWND window) : window_(window) {}
    ~OwnedWindow() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

class OwnedMenu {
public:
    OwnedMenu() : menu_(CreatePopupMenu()) {}
    ~OwnedMenu() {
        if (menu_ != nullptr) DestroyMenu(menu_);
    }
    OwnedMenu(const OwnedMenu&) = delete;
    OwnedMenu& operator=(const OwnedMenu&) = delete;
    HMENU get() const { return menu_; }

private:
    HMENU menu_;
};

class Win32TrayView final : public TrayView {
public:
    Win32TrayView(TrayEvents& events, Log& log)
        : events_(events),
          log_(log),
          instance_(qbx::win32::ownModule()),
          registration_(instance_, &Win32TrayView::procedure),
          taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
        for (std::size_t set = 0; set < kIconColours.size(); ++set)
            for (std::size_t frame = 0; frame < kFramesPerSet; ++frame)
                icons_[set][frame] = OwnedIcon(drawIcon(kIconColours[set][frame]));
        window_ = std::make_unique<OwnedWindow>(CreateWindowExA(WS_EX_TOOLWINDOW, kTrayWindowClass,
                                                                "Quilbex", WS_POPUP, 0, 0, 0, 0,
                                                                nullptr, nullptr, instance_, this));
        if (window_->get() == nullptr) throw std::runtime_error("cannot create the tray window");
    }

    ~Win32TrayView() override {
        const HWND window = window_->get();
        for (UINT_PTR id : {kMouseTimerId, kConnectionTimerId, kCycleTimerId, kClickTimerId})
            KillTimer(window, id);
        removeIcon();
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        window_.reset();  // before the class and the icons go
    }

    void setIconVisible(bool visible) override {
        visible_ = visible;
        if (visible) {
            addIcon();
            SetTimer(window_->get(), kCycleTimerId, kIconCycleMs, nullptr);
        } else {
            KillTimer(window_->get(), kCycleTimerId);
            removeIcon();
        }
    }
    bool iconVisible() const override { return visible_; }

    void setIconSet(TrayIconSet set) override {
        set_ = static_cast<std::size_t>(set) % kIconColours.size();
        frame_ = 0;
        modifyIcon();
    }

    void showBalloon(const std::string& title, const std::string& text, int seconds) override {
        if (!added_) return;
        NOTIFYICONDATAA data = baseData();
        data.uFlags = NIF_INFO;
        copyInto(data.szInfoTitle, title);
        copyInto(data.szInfo, text);
        data.dwInfoFlags = NIIF_INFO;
        data.uTimeout = static_cast<UINT>(seconds > 0 ? seconds : 0) * 1000u;
        Shell_NotifyIconA(NIM_MODIFY, &data);
    }

    void setMenu(std::span<const TrayMenuEntry> entries) override {
        entries_.assign(entries.begin(), entries.end());
    }
    void setMenuCaption(int row, std::string_view caption) override {
        if (row >= 0 && static_cast<std::size_t>(row) < entries_.size())
            entries_[static_cast<std::size_t>(row)].caption = std::string(caption);
    }
    void setMenuVisible(int row, bool visible) override {
        if (row >= 0 && static_cast<std::size_t>(row) < entries_.size())
            entries_[static_cast<std::size_t>(row)].visible = visible;
    }

    void popMenu(ScreenPoint at) override {
        const OwnedMenu menu;
        if (menu.get() == nullptr) return;
        for (std::size_t row = 0; row < entries_.size(); ++row) {
            const TrayMenuEntry& entry = entries_[row];
            if (!entry.visible) continue;
            const UINT command = kFirstCommand + static_cast<UINT>(row);
            if (entry.caption == "-") {
                AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
            } else {
                AppendMenuA(menu.get(), MF_STRING, command, entry.caption.c_str());
                if (entry.isDefault) SetMenuDefaultItem(menu.get(), command, FALSE);
            }
        }
        // Without the foreground the menu would not close when the user clicks elsewhere;
        // the empty message after it lets the next pop work at once.
        SetForegroundWindow(window_->get());
        const UINT chosen = static_cast<UINT>(
            TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y,
                           0, window_->get(), nullptr));
        PostMessageA(window_->get(), WM_NULL, 0, 0);
        if (chosen >= kFirstCommand && chosen < kFirstCommand + entries_.size())
            dispatch({TrayEvent::Kind::MenuItem, static_cast<int>(chosen - kFirstCommand)});
    }

    void startTimer(TrayTimer timer, std::uint32_t intervalMs) override {
        SetTimer(window_->get(), timerId(timer), intervalMs, nullptr);
    }
    void stopTimer(TrayTimer timer) override { KillTimer(window_->get(), timerId(timer)); }

    std::optional<ScreenPoint> cursorPosition() override {
        POINT point{};
        if (!GetCursorPos(&point)) return std::nullopt;
        return ScreenPoint{point.x, point.y};
    }

    ScreenSize screenSize() override {
        return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }

    void shellOpen(const std::string& path) override {
        SHELLEXECUTEINFOA execute{};
        execute.cbSize = sizeof execute;
        execute.fMask = SEE_MASK_FLAG_NO_UI;
        execute.lpVerb = "open";
        execute.lpFile = path.c_str();
        execute.nShow = SW_SHOWNORMAL;
        ShellExecuteExA(&execute);
    }

private:
    static UINT_PTR timerId(TrayTimer timer) {
        return timer == TrayTimer::MouseTracking ? kMouseTimerId : kConnectionTimerId;
    }

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* view = reinterpret_cast<Win32TrayView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (view == nullptr) return DefWindowProcA(window, message, wParam, lParam);
        return guarded<LRESULT>(&view->log_, "tray window", 0,
                                [&] { return view->onMessage(window, message, wParam, lParam); });
    }

    LRESULT onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case kCallbackMessage:
                switch (LOWORD(lParam)) {
                    case WM_LBUTTONUP:
                        // A second click may follow: the menu waits for the double-click time.
                        SetTimer(window, kClickTimerId, GetDoubleClickTime(), nullptr);
                        return 0;
                    case WM_LBUTTONDBLCLK:
                        KillTimer(window, kClickTimerId);
                        dispatch({TrayEvent::Kind::IconDoubleClick, 0});
                        return 0;
                    case WM_CONTEXTMENU: dispatch({TrayEvent::Kind::IconClick, 0}); return 0;
                    default: return 0;
                }
            case WM_TIMER:
                switch (wParam) {
                    case kMouseTimerId:
                        dispatch(
                            {TrayEvent::Kind::Timer, static_cast<int>(TrayTimer::MouseTracking)});
                        return 0;
                    case kConnectionTimerId:
                        dispatch({TrayEvent::Kind::Timer, static_cast<int>(TrayTimer::Connection)});
                        return 0;
                    case kCycleTimerId:
                        frame_ = (frame_ + 1) % kFramesPerSet;
                        modifyIcon();
                        return 0;
                    case kClickTimerId:
                        KillTimer(window, kClickTimerId);
                        dispatch({TrayEvent::Kind::IconClick, 0});
                        return 0;
                    default: break;
                }
                break;
            case kQueryIconAdded: return added_ ? 1 : 0;
            case kPopMenuNow: dispatch({TrayEvent::Kind::IconClick, 0}); return 0;
            default:
                if (taskbarCreated_ != 0 && message == taskbarCreated_) {
                    // Explorer started again: the new notification area knows no icon of ours.
                    added_ = false;
                    if (visible_) addIcon();
                    return 0;
                }
                break;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    // Every handler of the module runs here, under the one guard of our views.
    void dispatch(const TrayEvent& event) {
        const ExceptionSender sender = events_.senderOf(event);
        guardedCallback(&log_, &events_.exceptionReporter(), "tray", &sender,
                        [&] { events_.handle(event); });
    }

    NOTIFYICONDATAA baseData() const {
        NOTIFYICONDATAA data{};
        data.cbSize = sizeof data;
        data.hWnd = window_->get();
        data.uID = kIconId;
        return data;
    }

    void addIcon() {
        if (added_) return;
        NOTIFYICONDATAA data = baseData();
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = kCallbackMessage;
        data.hIcon = icons_[set_][static_cast<std::size_t>(frame_)].get();
        copyInto(data.szTip, "Quilbex " + std::string(kVersionText));
        added_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
        if (!added_) return;
        data.uVersion = NOTIFYICON_VERSION;
        Shell_NotifyIconA(NIM_SETVERSION, &data);
    }

    void modifyIcon() {
        if (!added_) return;
        NOTIFYICONDATAA data = baseData();
        data.uFlags = NIF_ICON;
        data.hIcon = icons_[set_][static_cast<std::size_t>(frame_)].get();
        Shell_NotifyIconA(NIM_MODIFY, &data);
    }

    void removeIcon() {
        if (!added_) return;
        NOTIFYICONDATAA data = baseData();
        Shell_NotifyIconA(NIM_DELETE, &data);
        added_ = false;
    }

    TrayEvents& events_;
    Log& log_;
    HINSTANCE instance_;
    ClassRegistration registration_;
    UINT taskbarCreated_;
    std::array<std::array<OwnedIcon, kFramesPerSet>, 4> icons_{};
    std::unique_ptr<OwnedWindow> window_;
    std::vector<TrayMenuEntry> entries_;
    std::size_t set_ = 3;
    int frame_ = 0;
    bool visible_ = false;
    bool added_ = false;
};

}  // namespace

std::unique_ptr<TrayView> makeTrayView(TrayEvents& events, Log& log) {
    return std::make_unique<Win32TrayView>(events, log);
}

void installTrayModule(Plugin& plugin) {
    plugin.factories.trayModule = [](Plugin& context) -> std::unique_ptr<TrayModule> {
        return std::make_unique<TrayDataModule>(
            context, [&context](TrayEvents& events) { return makeTrayView(events, context.log); });
    };
}

}  // namespace qbx::ui::win32
