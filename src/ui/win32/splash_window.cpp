#include "ui/win32/splash_window.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/guard.h"
#include "core/log.h"
#include "core/plugin.h"
#include "platform/win32/system_texts.h"
#include "ui/win32/dialog_text.h"
#include "ui/win32/window_support.h"

namespace qbx::ui::win32 {
namespace {

constexpr UINT_PTR kCheckTimer = 1;
constexpr COLORREF kLabelGrey = RGB(0xC8, 0xC8, 0xD0);
constexpr COLORREF kTopBlue = RGB(0x0A, 0x1E, 0x5A);
constexpr COLORREF kBottomBlue = RGB(0x2E, 0x6C, 0xC8);
constexpr COLORREF kGlow = RGB(0x7C, 0xB4, 0xFF);
constexpr const wchar_t* kProductName = L"Quilbex";

// A memory device context with a bitmap of the window's size; painted whole, then copied in
// one go so that a stage change never flickers.
class OffscreenCanvas {
public:
    OffscreenCanvas(HDC screen, int width, int height)
        : dc_(CreateCompatibleDC(screen)), bitmap_(CreateCompatibleBitmap(screen, width, height)) {
        if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
    }
    ~OffscreenCanvas() {
        if (dc_ && old_) SelectObject(dc_, old_);
        if (bitmap_) DeleteObject(bitmap_);
        if (dc_) DeleteDC(dc_);
    }
    OffscreenCanvas(const OffscreenCanvas&) = delete;
    OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;
    HDC get() const noexcept { return old_ ? dc_ : nullptr; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_ = nullptr;
};

// Selects an object into a device context for one scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~Selected() {
        if (old_) SelectObject(dc_, old_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

HFONT makeFont(int points, int weight, int dpi, const wchar_t* face) {
    return CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

COLORREF blend(COLORREF from, COLORREF to, int step, int steps) {
    const auto mix = [&](int a, int b) { return a + (b - a) * step / (steps > 0 ? steps : 1); };
    return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
               mix(GetBValue(from), GetBValue(to)));
}

std::wstring copyToCaller(const std::wstring& text, WPARAM capacity, LPARAM buffer) {
    auto* out = reinterpret_cast<wchar_t*>(buffer);
    if (out != nullptr && capacity > 0) {
        const std::size_t count = std::min<std::size_t>(text.size(), capacity - 1);
        std::copy_n(text.data(), count, out);
        out[count] = L'\0';
    }
    return text;
}

class SplashWindowView final : public SplashView {
public:
    SplashWindowView(Log& log, std::function<void()> check);
    ~SplashWindowView() override { destroy(); }
    SplashWindowView(const SplashWindowView&) = delete;
    SplashWindowView& operator=(const SplashWindowView&) = delete;

    void show(const std::string& caption, const std::string& versionLabel,
              const std::string& stage) override;
    void setStage(const std::string& text) override;
    void close() override { destroy(); }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    int scale(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    void paint(HDC target);
    void paintPicture(HDC dc, int width, int height);
    void repaintNow();
    void destroy() noexcept;

    Log& log_;
    std::function<void()> check_;
    int dpi_ = screenDpi();
    // No background brush: the window paints itself whole.
    WindowClass class_{kSplashClass, &SplashWindowView::windowProc, IDC_APPSTARTING, nullptr};
    GdiObject<HFONT> labelFont_{makeFont(8, FW_BOLD, dpi_, L"Tahoma")};
    GdiObject<HFONT> titleFont_{makeFont(24, FW_BOLD, dpi_, L"Georgia")};
    GdiObject<HFONT> markFont_{makeFont(40, FW_BOLD, dpi_, L"Georgia")};
    std::wstring stage_;
    std::wstring versionLabel_;
    HWND window_ = nullptr;
};

SplashWindowView::SplashWindowView(Log& log, std::function<void()> check)
    : log_(log), check_(std::move(check)) {
    const DWORD style = WS_POPUP;
    const DWORD exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    RECT frame{0, 0, scale(kSplashWidth), scale(kSplashHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    window_ = CreateWindowExW(exStyle, kSplashClass, L"", style, x, y, width, height, nullptr,
                              nullptr, qbx::win32::ownModule(), this);
    if (!window_) throw std::runtime_error("the splash window cannot be created");
    // The picture's rounded shape; the window owns the region from here on.
    if (HRGN shape = CreateRoundRectRgn(0, 0, width + 1, height + 1, scale(24), scale(24))) {
        if (!SetWindowRgn(window_, shape, FALSE)) DeleteObject(shape);
    }
    if (!SetTimer(window_, kCheckTimer, kSplashCheckMs, nullptr)) {
        destroy();
        throw std::runtime_error("the splash's timer cannot be set");
    }
}

void SplashWindowView::destroy() noexcept {
    if (!window_) return;
    const HWND window = window_;
    KillTimer(window, kCheckTimer);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    window_ = nullptr;
    DestroyWindow(window);
}

void SplashWindowView::show(const std::string& caption, const std::string& versionLabel,
                            const std::string& stage) {
    if (!window_) return;
    SetWindowTextW(window_, wideText(caption).c_str());
    versionLabel_ = wideText(versionLabel);
    stage_ = wideText(stage);
    // In front of every window, yet the user's typing stays where it was.
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    repaintNow();
}

void SplashWindowView::setStage(const std::string& text) {
    stage_ = wideText(text);
    repaintNow();
}

void SplashWindowView::repaintNow() {
    if (!window_) return;
    // The start-up runs on the host's thread between our stages: paint before it goes on.
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
}

void SplashWindowView::paintPicture(HDC dc, int width, int height) {
    // The backdrop: a vertical gradient from night blue to a lighter blue, in bands of two
    // pixels.
    const int bands = std::max(1, height / 2);
    for (int band = 0; band < bands; ++band) {
        const RECT strip{0, band * height / bands, width, (band + 1) * height / bands};
        GdiObject<HBRUSH> brush(CreateSolidBrush(blend(kTopBlue, kBottomBlue, band, bands - 1)));
        if (brush.get()) FillRect(dc, &strip, brush.get());
    }
    // The mark: a ring with a bold Q, above the product's name.
    const int centre = width / 2;
    const int ringTop = scale(44);
    const int ringSize = scale(76);
    {
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, scale(3), kGlow));
        Selected usePen(dc, pen.get());
        Selected noFill(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, centre - ringSize / 2, ringTop, centre + ringSize / 2, ringTop + ringSize);
    }
    SetBkMode(dc, TRANSPARENT);
    {
        Selected font(dc, markFont_.get());
        SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
        RECT mark{centre - ringSize / 2, ringTop, centre + ringSize / 2, ringTop + ringSize};
        DrawTextW(dc, L"Q", 1, &mark, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    {
        Selected font(dc, titleFont_.get());
        SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
        RECT title{0, ringTop + ringSize + scale(10), width, ringTop + ringSize + scale(52)};
        DrawTextW(dc, kProductName, -1, &title, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    {
        // A thin line under the name.
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kGlow));
        Selected usePen(dc, pen.get());
        const int lineY = ringTop + ringSize + scale(56);
        MoveToEx(dc, scale(40), lineY, nullptr);
        LineTo(dc, width - scale(40), lineY);
    }
}

void SplashWindowView::paint(HDC target) {
    RECT client{};
    GetClientRect(window_, &client);
    const int width = client.right;
    const int height = client.bottom;
    OffscreenCanvas canvas(target, width, height);
    const HDC dc = canvas.get() ? canvas.get() : target;
    paintPicture(dc, width, height);

    Selected font(dc, labelFont_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kLabelGrey);
    // The stage at the top left, wrapped rather than cut when it is long.
    RECT stage{scale(4), scale(4), width - scale(4), scale(40)};
    DrawTextW(dc, stage_.c_str(), static_cast<int>(stage_.size()), &stage,
              DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
    // The version at the lower right, right-aligned whatever its length: a long one wraps
    // upwards from the bottom edge.
    RECT measure{0, 0, width - scale(8), 0};
    DrawTextW(dc, versionLabel_.c_str(), static_cast<int>(versionLabel_.size()), &measure,
              DT_RIGHT | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    const int labelHeight = measure.bottom - measure.top;
    const int top = std::min(scale(200), height - scale(12) - labelHeight);
    RECT version{scale(4), top, width - scale(4), top + labelHeight};
    DrawTextW(dc, versionLabel_.c_str(), static_cast<int>(versionLabel_.size()), &version,
              DT_RIGHT | DT_WORDBREAK | DT_NOPREFIX);

    if (dc != target) BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
}

LRESULT CALLBACK SplashWindowView::windowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = viewOfWindow<SplashWindowView>(window, message, lParam);
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            if (HDC dc = BeginPaint(window, &ps)) {
                guardedVoid(&self->log_, "SplashPaint", [&] { self->paint(dc); });
                EndPaint(window, &ps);
            }
            return 0;
        }
        case WM_ERASEBKGND: return 1;  // the picture covers the whole client area
        case WM_TIMER:
            if (wParam == kCheckTimer) {
                // The check may close the splash and so take this view with it: nothing of
                // self is touched after it.
                const std::function<void()> check = self->check_;
                guardedVoid(&self->log_, "SplashTimer", [&] {
                    if (check) check();
                });
            }
            return 0;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_CLOSE: return 0;  // only the start-up closes it
        case kQuerySplashStage:
            return static_cast<LRESULT>(copyToCaller(self->stage_, wParam, lParam).size());
        case kQuerySplashVersion:
            return static_cast<LRESULT>(copyToCaller(self->versionLabel_, wParam, lParam).size());
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
            break;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<SplashView> makeSplashView(Log& log, std::function<void()> check) {
    return std::make_unique<SplashWindowView>(log, std::move(check));
}

void installSplashWindow(Plugin& plugin) {
    plugin.factories.splash = [](Plugin& context) -> std::unique_ptr<SplashWindow> {
        return std::make_unique<SplashScreen>(
            *context.platform.clock, [&context](std::function<void()> check) {
                return makeSplashView(context.log, std::move(check));
            });
    };
}

}  // namespace qbx::ui::win32
