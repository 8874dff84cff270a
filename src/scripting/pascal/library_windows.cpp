// The Windows unit's routines that scripts use to drive other programs' windows, start
// programs and wait. A window that is not there answers 0, False or empty, as the system does.
// Window handles are plain numbers to a script, so a message whose parameters the system reads
// as addresses could make it read or write anywhere in the host's memory: such messages pass
// only with parameters of 0, and the text messages become GetWindowText and SetWindowText.
#include <algorithm>
#include <optional>

#include "platform/script_windows.h"
#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal::library {

namespace {

constexpr std::uint32_t kSetText = 0x000C;
constexpr std::uint32_t kGetText = 0x000D;
constexpr std::uint32_t kGetTextLength = 0x000E;
constexpr std::uint32_t kUser = 0x0400;
constexpr std::size_t kMaxArgumentText = 65535;

ScriptWindows& windowsOf(const RuntimeServices& s) { return need(s.windows, "Windows"); }

WindowHandle handleArg(const Value& v) {
    return static_cast<WindowHandle>(static_cast<std::uintptr_t>(v.toInteger()));
}

Value handleResult(WindowHandle h) { return Value(static_cast<std::int64_t>(h)); }

// A text argument where nil (or 0) is allowed: nothing for nil.
std::optional<std::string> optionalText(const Value& v) {
    if (v.isNull() || (v.isInteger() && v.integer() == 0)) return std::nullopt;
    std::string h;
    const std::string_view text = stringArg(v, h);
    const std::size_t end = std::min(text.find('\0'), kMaxArgumentText);
    return std::string(text.substr(0, end));
}

std::string textArg(const Value& v) { return optionalText(v).value_or(std::string()); }

// Messages below WM_USER whose parameters are numbers only, as the system defines them: a
// script may send them with any parameters.
bool numericMessage(std::uint32_t message) {
    switch (message) {
        case 0x0003:  // WM_MOVE
        case 0x0005:  // WM_SIZE
        case 0x0006:  // WM_ACTIVATE
        case 0x0007:  // WM_SETFOCUS
        case 0x0008:  // WM_KILLFOCUS
        case 0x000A:  // WM_ENABLE
        case 0x000B:  // WM_SETREDRAW
        case 0x0010:  // WM_CLOSE
        case 0x0012:  // WM_QUIT
        case 0x0018:  // WM_SHOWWINDOW
        case 0x0030:  // WM_SETFONT
        case 0x0080:  // WM_SETICON
        case 0x0111:  // WM_COMMAND
        case 0x0112:  // WM_SYSCOMMAND
        case 0x00F5:  // BM_CLICK
        case 0x00F1:  // BM_SETCHECK
        case 0x00F0:  // BM_GETCHECK
        case 0x0312:  // WM_HOTKEY
        case kGetTextLength: return true;
        default:
            return (message >= 0x0100 && message <= 0x0109) ||  // keys
                   (message >= 0x0200 && message <= 0x020E);    // mouse
    }
}

// Whether the message may go with these parameters: numbers the system or its window could
// read as addresses go nowhere. Private messages (WM_USER and above) reach another program as
// the plain numbers they are; in this process they could be a control's own message that takes
// an address.
bool safeMessage(ScriptWindows& w, WindowHandle window, std::uint32_t message,
                 std::uintptr_t wParam, std::intptr_t lParam) {
    if (wParam == 0 && lParam == 0) return true;
    if (message < kUser) return numericMessage(message);
    return !w.ownWindow(window);
}

struct MessageArgs {
    WindowHandle window;
    std::uint32_t message;
    std::uintptr_t wParam;
    const Value* lParam;
};

MessageArgs messageArgs(Args a) {
    return {handleArg(a[0]), static_cast<std::uint32_t>(a[1].toInteger()),
            static_cast<std::uintptr_t>(a[2].toInteger()), &a[3]};
}

// WM_SETTEXT takes the text itself as its last argument, WM_GETTEXT answers the text's length
// (the text is GetWindowText's to give).
Value sendMessage(Args a, CallContext&, const RuntimeServices& s) {
    ScriptWindows& w = windowsOf(s);
    const MessageArgs m = messageArgs(a);
    if (m.message == kSetText)
        return Value(std::int64_t{w.setWindowText(m.window, textArg(*m.lParam))});
    if (m.message == kGetText) {
        const std::size_t room = m.wParam == 0 ? 0 : m.wParam - 1;
        return Value(static_cast<std::int64_t>(w.windowText(m.window, room).size()));
    }
    if (m.lParam->isString()) return Value(std::int64_t{0});
    const auto lParam = static_cast<std::intptr_t>(m.lParam->toInteger());
    if (!safeMessage(w, m.window, m.message, m.wParam, lParam)) return Value(std::int64_t{0});
    return Value(static_cast<std::int64_t>(w.sendMessage(m.window, m.message, m.wParam, lParam)));
}

// A posted message is read after the call has returned, when no text of ours is there any more:
// the text messages cannot be posted at all.
Value postMessage(Args a, CallContext&, const RuntimeServices& s) {
    ScriptWindows& w = windowsOf(s);
    const MessageArgs m = messageArgs(a);
    if (m.message == kSetText || m.message == kGetText || m.lParam->isString()) return Value(false);
    const auto lParam = static_cast<std::intptr_t>(m.lParam->toInteger());
    if (!safeMessage(w, m.window, m.message, m.wParam, lParam)) return Value(false);
    return Value(w.postMessage(m.window, m.message, m.wParam, lParam));
}

Value findWindow(Args a, CallContext&, const RuntimeServices& s) {
    return handleResult(windowsOf(s).findWindow(optionalText(a[0]), optionalText(a[1])));
}

Value findWindowEx(Args a, CallContext&, const RuntimeServices& s) {
    return handleResult(windowsOf(s).findChildWindow(handleArg(a[0]), handleArg(a[1]),
                                                     optionalText(a[2]), optionalText(a[3])));
}

// GetWindowText(Wnd): the text; GetWindowText(Wnd, var Text, MaxCount): its length, the text
// cut to MaxCount - 1 characters as the system's buffer of MaxCount would hold it.
Value getWindowText(Args a, CallContext&, const RuntimeServices& s) {
    ScriptWindows& w = windowsOf(s);
    const WindowHandle window = handleArg(a[0]);
    if (a.size() == 1) return Value(w.windowText(window, ScriptWindows::kMaxWindowText));
    const std::int64_t maxCount = a.size() > 2 ? a[2].toInteger() : 256;
    const std::size_t room = maxCount <= 1 ? 0 : static_cast<std::size_t>(maxCount - 1);
    std::string text = w.windowText(window, room);
    const auto length = static_cast<std::int64_t>(text.size());
    a[1].assign(Value(std::move(text)));
    return Value(length);
}

Value setWindowText(Args a, CallContext&, const RuntimeServices& s) {
    return Value(windowsOf(s).setWindowText(handleArg(a[0]), textArg(a[1])));
}

Value getActiveWindow(Args, CallContext&, const RuntimeServices& s) {
    return handleResult(windowsOf(s).activeWindow());
}

Value getForegroundWindow(Args, CallContext&, const RuntimeServices& s) {
    return handleResult(windowsOf(s).foregroundWindow());
}

Value showWindow(Args a, CallContext&, const RuntimeServices& s) {
    return Value(windowsOf(s).showWindow(handleArg(a[0]), static_cast<int>(a[1].toInteger())));
}

Value winExec(Args a, CallContext&, const RuntimeServices& s) {
    const std::string command = textArg(a[0]);
    if (command.empty()) return Value(std::int64_t{0});
    return Value(static_cast<std::int64_t>(
        windowsOf(s).winExec(command, static_cast<int>(a[1].toInteger()))));
}

// ShellExecute(Wnd, Operation, FileName, Parameters, Directory, ShowCmd).
Value shellExecute(Args a, CallContext&, const RuntimeServices& s) {
    const std::string file = textArg(a[2]);
    if (file.empty()) return Value(std::int64_t{2});  // SE_ERR_FNF
    return Value(static_cast<std::int64_t>(
        windowsOf(s).shellExecute(handleArg(a[0]), optionalText(a[1]), file, optionalText(a[3]),
                                  optionalText(a[4]), static_cast<int>(a[5].toInteger()))));
}

// The host's thread waits: the waits of a run count against its limit, and a run that would
// pass it stops as at its other limits rather than leaving the mail client frozen.
Value sleep(Args a, CallContext& c, const RuntimeServices& s) {
    const std::int64_t ms = a[0].toInteger();
    ScriptWindows& w = windowsOf(s);
    c.chargeWait(ms);
    if (ms > 0) w.sleep(static_cast<std::uint32_t>(ms));
    return Value();
}

Value messageBeep(Args a, CallContext&, const RuntimeServices& s) {
    return Value(windowsOf(s).messageBeep(static_cast<std::uint32_t>(a[0].toInteger())));
}

Value beep(Args, CallContext&, const RuntimeServices& s) {
    windowsOf(s).messageBeep(0);
    return Value();
}

Value getSystemMetrics(Args a, CallContext&, const RuntimeServices& s) {
    return Value(
        static_cast<std::int64_t>(windowsOf(s).systemMetrics(static_cast<int>(a[0].toInteger()))));
}

Value getKeyState(Args a, CallContext&, const RuntimeServices& s) {
    return Value(
        static_cast<std::int64_t>(windowsOf(s).keyState(static_cast<int>(a[0].toInteger()))));
}

constexpr Row kRows[] = {
    {"FindWindow", 2, 2, 0, findWindow},
    {"FindWindowEx", 4, 4, 0, findWindowEx},
    {"SendMessage", 4, 4, 0, sendMessage},
    {"PostMessage", 4, 4, 0, postMessage},
    {"GetWindowText", 1, 3, 0b10, getWindowText},
    {"SetWindowText", 2, 2, 0, setWindowText},
    {"GetActiveWindow", 0, 0, 0, getActiveWindow},
    {"GetForegroundWindow", 0, 0, 0, getForegroundWindow},
    {"ShowWindow", 2, 2, 0, showWindow},
    {"WinExec", 2, 2, 0, winExec},
    {"ShellExecute", 6, 6, 0, shellExecute},
    {"Sleep", 1, 1, 0, sleep},
    {"MessageBeep", 1, 1, 0, messageBeep},
    {"Beep", 0, 0, 0, beep},
    {"GetSystemMetrics", 1, 1, 0, getSystemMetrics},
    {"GetKeyState", 1, 1, 0, getKeyState},
};

constexpr IntegerConstant kConstants[] = {
    {"WM_USER", kUser},       {"WM_COMMAND", 0x0111},
    {"WM_CLOSE", 0x0010},     {"WM_GETTEXT", kGetText},
    {"WM_SETTEXT", kSetText}, {"WM_GETTEXTLENGTH", kGetTextLength},
    {"WM_QUIT", 0x0012},      {"WM_SYSCOMMAND", 0x0112},
    {"SW_HIDE", 0},           {"SW_SHOWNORMAL", 1},
    {"SW_NORMAL", 1},         {"SW_SHOWMINIMIZED", 2},
    {"SW_SHOWMAXIMIZED", 3},  {"SW_MAXIMIZE", 3},
    {"SW_SHOWNOACTIVATE", 4}, {"SW_SHOW", 5},
    {"SW_MINIMIZE", 6},       {"SW_SHOWMINNOACTIVE", 7},
    {"SW_SHOWNA", 8},         {"SW_RESTORE", 9},
    {"SW_SHOWDEFAULT", 10},   {"MB_ICONQUESTION", 0x20},
    {"SM_CXSCREEN", 0},       {"SM_CYSCREEN", 1},
    {"VK_SHIFT", 0x10},       {"VK_CONTROL", 0x11},
    {"VK_MENU", 0x12},        {"VK_CAPITAL", 0x14},
};

}  // namespace

void addWindowsFunctions(Environment& environment, const RuntimeServices& services) {
    addRows(environment, kRows, services);
    addIntegerConstants(environment, kConstants);
}

}  // namespace qbx::scripting::pascal::library
