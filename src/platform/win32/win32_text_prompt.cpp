#include <windows.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/text_prompt.h"
#include "platform/win32/system_texts.h"

namespace qbx {
namespace {

constexpr wchar_t kClassName[] = L"Tsmsform";
constexpr int kClientWidth = 307;
constexpr int kClientHeight = 156;
constexpr int kBarHeight = 20;
constexpr int kCounterWidth = 104;
constexpr int kDoneWidth = 126;
constexpr int kMemoFontHeight = 21;
constexpr COLORREF kCounterColour = RGB(255, 128, 0);  // the form's colour 33023
constexpr COLORREF kDoneColour = RGB(128, 255, 128);   // the form's colour 8454016
constexpr UINT kCodePage = 1251;

enum ControlId : int { kMemoId = 101, kBarId, kCounterId, kDoneId };

std::wstring toWide(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(kCodePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(kCodePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string fromWide(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(kCodePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(kCodePage, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

// The text of a window, at most `maxLength` characters.
std::wstring windowText(HWND window, std::size_t maxLength) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::size_t wanted = static_cast<std::size_t>(length);
    if (wanted > maxLength) wanted = maxLength;
    std::wstring text(wanted + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

std::size_t textLength(HWND window) {
    const int length = GetWindowTextLengthW(window);
    return length > 0 ? static_cast<std::size_t>(length) : 0;
}

template <typename Handle, BOOL(WINAPI* Release)(Handle)>
class Owned {
public:
    explicit Owned(Handle handle = nullptr) : handle_(handle) {}
    ~Owned() {
        if (handle_ != nullptr) Release(handle_);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Handle get() const { return handle_; }

private:
    Handle handle_;
};
using OwnedWindow = Owned<HWND, DestroyWindow>;
using OwnedGdiObject = Owned<HGDIOBJ, DeleteObject>;

// The window class lives only while a prompt is shown: a class left registered would outlive the
// module's code when the host unloads it.
class ClassRegistration {
public:
    ClassRegistration(HINSTANCE instance, WNDPROC procedure) : instance_(instance) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        registered_ = RegisterClassExW(&windowClass) != 0;
    }
    ~ClassRegistration() {
        if (registered_) UnregisterClassW(kClassName, instance_);
    }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    bool ok() const { return registered_; }

private:
    HINSTANCE instance_;
    bool registered_ = false;
};

// While the prompt is shown the thread's other windows take no input, as under any modal
// window; they are enabled again whatever ends the prompt.
class DisabledThreadWindows {
public:
    explicit DisabledThreadWindows(HWND except) : except_(except) {
        EnumThreadWindows(GetCurrentThreadId(), &DisabledThreadWindows::collect,
                          reinterpret_cast<LPARAM>(this));
        for (HWND window : windows_) EnableWindow(window, FALSE);
    }
    ~DisabledThreadWindows() {
        for (HWND window : windows_)
            if (IsWindow(window)) EnableWindow(window, TRUE);
    }
    DisabledThreadWindows(const DisabledThreadWindows&) = delete;
    DisabledThreadWindows& operator=(const DisabledThreadWindows&) = delete;

private:
    static BOOL CALLBACK collect(HWND window, LPARAM self) {
        auto* disabled = reinterpret_cast<DisabledThreadWindows*>(self);
        if (window != disabled->except_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
            try {
                disabled->windows_.push_back(window);
            } catch (...) {
                return FALSE;
            }
        }
        return TRUE;
    }

    HWND except_;
    std::vector<HWND> windows_;
};

PromptKey promptKeyOf(WPARAM key, bool ctrl) {
    switch (key) {
        case VK_RETURN: return PromptKey::Enter;
        case VK_BACK: return PromptKey::Backspace;
        case VK_DELETE: return PromptKey::Delete;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: return PromptKey::Arrow;
        case VK_HOME:
        case VK_END: return PromptKey::HomeEnd;
        case 'C': return ctrl ? PromptKey::Copy : PromptKey::Character;
        case 'X': return ctrl ? PromptKey::Cut : PromptKey::Character;
        case 'A': return ctrl ? PromptKey::SelectAll : PromptKey::Character;
        default: return PromptKey::Character;
    }
}

bool keyHeld(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// The form of one showing: its controls and the state its handlers share.
struct SmsForm {
    explicit SmsForm(std::int32_t limit) : model(limit) {}

    SmsFormModel model;
    HWND window = nullptr;
    HWND memo = nullptr;
    HWND counter = nullptr;
    HWND done = nullptr;
    WNDPROC memoProcedure = nullptr;
    WNDPROC barProcedure = nullptr;
    HBRUSH counterBrush = nullptr;
    HBRUSH doneBrush = nullptr;
    bool closed = false;
    bool swallowNextChar = false;  // the character of a key that was cancelled or closed us
    bool trimming = false;

    void updcap() {
        const std::wstring caption = toWide(model.updcap(textLength(memo)));
        SetWindowTextW(counter, caption.c_str());
    }
    // Whatever put text in (a paste, a message), no more than the limit stays.
    void keepWithinLimit() {
        const std::size_t length = textLength(memo);
        const std::size_t kept = model.keptLength(length);
        if (kept >= length || trimming) return;
        trimming = true;
        const std::wstring text = windowText(memo, kept);
        SetWindowTextW(memo, text.c_str());
        SendMessageW(memo, EM_SETSEL, text.size(), text.size());
        trimming = false;
    }
    void doneButtonClick() { close(); }
    void close() {
        closed = true;
        ShowWindow(window, SW_HIDE);
    }
};

SmsForm* formOf(HWND window) {
    return reinterpret_cast<SmsForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK memoProcedure(HWND memo, UINT message, WPARAM wParam, LPARAM lParam) {
    SmsForm* form = formOf(GetParent(memo));
    if (form == nullptr) return DefWindowProcW(memo, message, wParam, lParam);
    if (message == WM_KEYDOWN) {
        form->updcap();
        const bool ctrl = keyHeld(VK_CONTROL);
        const bool ctrlOnly = ctrl && !keyHeld(VK_SHIFT) && !keyHeld(VK_MENU);
        const PromptKey key = promptKeyOf(wParam, ctrl);
        const PromptKeyAnswer answer = form->model.smsmemKeyDown(key, ctrlOnly, textLength(memo));
        if (answer.close) form->close();
        if (answer.cancel) {
            form->swallowNextChar = true;
            return 0;
        }
        form->swallowNextChar = false;
        if (key == PromptKey::SelectAll) {
            // Not every system's multi-line box knows Ctrl+A.
            SendMessageW(memo, EM_SETSEL, 0, -1);
            form->swallowNextChar = true;
            return 0;
        }
    } else if (message == WM_CHAR && form->swallowNextChar) {
        form->swallowNextChar = false;
        return 0;
    }
    return CallWindowProcW(form->memoProcedure, memo, message, wParam, lParam);
}

// The bar holds the two panels: their colours and clicks are the form's business.
LRESULT CALLBACK barProcedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = GetParent(bar);
    SmsForm* form = formOf(window);
    if (form == nullptr) return DefWindowProcW(bar, message, wParam, lParam);
    if (message == WM_CTLCOLORSTATIC || message == WM_COMMAND)
        return SendMessageW(window, message, wParam, lParam);
    return CallWindowProcW(form->barProcedure, bar, message, wParam, lParam);
}

LRESULT CALLBACK formProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(window, message, wParam, lParam);
    }
    SmsForm* form = formOf(window);
    if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_CTLCOLORSTATIC: {
            const auto control = reinterpret_cast<HWND>(lParam);
            const auto dc = reinterpret_cast<HDC>(wParam);
            if (control == form->counter) {
                SetBkColor(dc, kCounterColour);
                return reinterpret_cast<LRESULT>(form->counterBrush);
            }
            if (control == form->done) {
                SetBkColor(dc, kDoneColour);
                return reinterpret_cast<LRESULT>(form->doneBrush);
            }
            break;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == kMemoId && HIWORD(wParam) == EN_CHANGE) {
                form->keepWithinLimit();
                form->updcap();
                return 0;
            }
            if (LOWORD(wParam) == kDoneId && HIWORD(wParam) == STN_CLICKED) {
                form->doneButtonClick();
                return 0;
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) SetFocus(form->memo);
            return 0;
        case WM_CLOSE: form->close(); return 0;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND createChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style,
                 DWORD exStyle, RECT bounds, int id, HINSTANCE instance) {
    HWND child =
        CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, bounds.left,
                        bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (child == nullptr) throw std::runtime_error("the prompt's controls cannot be created");
    return child;
}

class Win32TextPrompt final : public TextPrompt {
public:
    std::string askSmsText(std::string_view caption, std::int32_t limit) override;
    bool isOpen() override { return open_; }

private:
    bool open_ = false;
};

std::string Win32TextPrompt::askSmsText(std::string_view caption, std::int32_t limit) {
    if (open_) return {};  // one window at a time, whoever asks
    struct Showing {
        bool& open;
        explicit Showing(bool& flag) : open(flag) { open = true; }
        ~Showing() { open = false; }
    } showing(open_);

    const HINSTANCE instance = win32::ownModule();
    const ClassRegistration registration(instance, &formProcedure);
    if (!registration.ok()) throw std::runtime_error("the prompt's window class is taken");

    SmsForm form(limit);
    const OwnedGdiObject memoFont(CreateFontW(-kMemoFontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE,
                                              FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                              FIXED_PITCH | FF_MODERN, L"Courier New"));
    const OwnedGdiObject counterBrush(CreateSolidBrush(kCounterColour));
    const OwnedGdiObject doneBrush(CreateSolidBrush(kDoneColour));
    form.counterBrush = static_cast<HBRUSH>(counterBrush.get());
    form.doneBrush = static_cast<HBRUSH>(doneBrush.get());

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOOLWINDOW;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    const std::wstring title = toWide(caption);
    // Owned by the window the user worked in, so that it stays in front of it.
    const OwnedWindow window(CreateWindowExW(exStyle, kClassName, title.c_str(), style, left, top,
                                             width, height, GetActiveWindow(), nullptr, instance,
                                             &form));
    if (window.get() == nullptr) throw std::runtime_error("the prompt window cannot be created");
    form.window = window.get();

    const int barTop = kClientHeight - kBarHeight;
    form.memo = createChild(form.window, L"EDIT", L"",
                            ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_TABSTOP,
                            WS_EX_CLIENTEDGE, RECT{0, 0, kClientWidth, barTop}, kMemoId, instance);
    HWND bar = createChild(form.window, L"STATIC", L"", 0, 0,
                           RECT{0, barTop, kClientWidth, kClientHeight}, kBarId, instance);
    form.counter = createChild(bar, L"STATIC", L"", SS_CENTER | SS_CENTERIMAGE, 0,
                               RECT{0, 0, kCounterWidth, kBarHeight}, kCounterId, instance);
    form.done = createChild(bar, L"STATIC", L"Done", SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY, 0,
                            RECT{kClientWidth - kDoneWidth, 0, kClientWidth, kBarHeight}, kDoneId,
                            instance);
    SendMessageW(form.memo, WM_SETFONT, reinterpret_cast<WPARAM>(memoFont.get()), FALSE);
    const auto panelFont = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(form.counter, WM_SETFONT, panelFont, FALSE);
    SendMessageW(form.done, WM_SETFONT, panelFont, FALSE);
    // 0 leaves the box at the system's own maximum.
    SendMessageW(form.memo, EM_LIMITTEXT, form.model.maxLength(), 0);
    form.memoProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(form.memo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&memoProcedure)));
    form.barProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&barProcedure)));
    form.updcap();

    std::string text;
    {
        const DisabledThreadWindows disabled(form.window);
        ShowWindow(form.window, SW_SHOW);
        SetForegroundWindow(form.window);
        SetFocus(form.memo);
        MSG message{};
        while (!form.closed && IsWindow(form.window)) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) {
                // The host's own loop must still see it, or the host never quits.
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (got == -1) break;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (IsWindow(form.memo)) {
            form.updcap();
            text = fromWide(windowText(form.memo, kMaxTextLength));
        }
    }
    // The controls end with their own procedures, and no handler reaches the form once it is
    // gone.
    if (IsWindow(form.memo))
        SetWindowLongPtrW(form.memo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(form.memoProcedure));
    if (IsWindow(bar))
        SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(form.barProcedure));
    if (IsWindow(form.window)) SetWindowLongPtrW(form.window, GWLP_USERDATA, 0);
    return text;
}

}  // namespace

TextPrompt& systemTextPrompt() {
    // Never destroyed, as the rest of the platform: unload code may still ask whether it is open.
    static auto* prompt = new Win32TextPrompt;
    return *prompt;
}

}  // namespace qbx
