#include "setup_window.h"

#include "host.h"

#if defined(_WIN32)
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "screenshot.h"
#include "ui/win32/dialog_window.h"
#include "window_walk.h"

namespace qbxhost {
namespace {

using qbx::ui::win32::kComponentProperty;

std::vector<HWND> children(HWND parent, const wchar_t* className) {
    std::vector<HWND> found;
    forEachChildWindow(parent, [&](HWND window) {
        wchar_t name[64] = {};
        if (GetParent(window) == parent && GetClassNameW(window, name, 64) &&
            std::wstring(name) == className)
            found.push_back(window);
        return true;
    });
    return found;
}

void selectTab(HWND form, HWND tabs, int index) {
    TabCtrl_SetCurSel(tabs, index);
    NMHDR header{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(form, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

// Scrolls the page until the roll-out's header is near its top or the roll-out fits.
void scrollIntoView(HWND page, HWND rollOut) {
    for (int turn = 0; turn < 200; ++turn) {
        RECT pageRect{}, rollRect{};
        GetWindowRect(page, &pageRect);
        GetWindowRect(rollOut, &rollRect);
        if (rollRect.bottom <= pageRect.bottom || rollRect.top <= pageRect.top + 8) return;
        const SCROLLINFO before = [&] {
            SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 0, 0};
            GetScrollInfo(page, SB_VERT, &info);
            return info;
        }();
        SendMessageW(page, WM_VSCROLL, SB_LINEDOWN, 0);
        SCROLLINFO after{sizeof after, SIF_POS, 0, 0, 0, 0, 0};
        GetScrollInfo(page, SB_VERT, &after);
        if (after.nPos == before.nPos) return;
    }
}

HWND component(HWND parent, const std::string& name) {
    HWND found = nullptr;
    forEachChildWindow(parent, [&](HWND window) {
        if (componentName(window) != name) return true;
        found = window;
        return false;
    });
    return found;
}

void setText(HWND window, const wchar_t* text) {
    if (window) SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// The tester with a pattern that finds something, as a user would leave it.
void showTesterMatch(HWND page) {
    setText(component(page, "srctxt"),
            L"From: Ann <ann@example.org>\r\nTo: Bob <bob@example.com>\r\n"
            L"Subject: minutes of the meeting\r\n");
    setText(component(page, "Edit8"), L"<([^@>]+)@");
    if (const HWND search = component(page, "Button5")) SendMessageW(search, BM_CLICK, 0, 0);
}

// Pascal typed into the script editor, which colours it as it changes.
void typeScript(HWND page) {
    const HWND editor = component(page, "ScrSource");
    if (!editor) return;
    SendMessageW(editor, EM_SETSEL, 0, -1);
    SendMessageW(
        editor, EM_REPLACESEL, TRUE,
        reinterpret_cast<LPARAM>(L"{ Greets the sender }\r\nvar\r\n  i: Integer;\r\nbegin\r\n"
                                 L"  Result := 'Hello, ' + ParamStr(1);\r\n"
                                 L"  for i := 1 to 3 do // three marks\r\n"
                                 L"    Result := Result + '!';\r\nend."));
}

}  // namespace

int runSetup(Host& host, std::ostream& err) {
    host.exports().setup();
    const HWND form = findSetupDialog();
    if (!form) {
        err << "qbxhost: the module shows no settings dialog\n";
        return 1;
    }
    while (IsWindow(form) && IsWindowVisible(form)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}

int takeScreenshots(Host& host, const std::string& folder, std::ostream& out, std::ostream& err) {
    host.exports().setup();
    const HWND form = findSetupDialog();
    if (!form) {
        err << "qbxhost: the module shows no settings dialog\n";
        return 1;
    }
    std::filesystem::create_directories(folder);
    SetWindowPos(form, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    pumpMessagesFor(500);
    int status = 0;
    int number = 0;
    const auto shoot = [&](const std::string& name) {
        pumpMessagesFor(300);
        char prefix[8];
        std::snprintf(prefix, sizeof prefix, "%02d-", ++number);
        const std::string path = folder + "/" + prefix + name + ".png";
        if (captureWindow(form, path)) {
            out << path << "\n";
        } else {
            err << "qbxhost: could not save " << path << "\n";
            status = 1;
        }
    };

    const std::vector<HWND> tabsFound = children(form, WC_TABCONTROLW);
    const HWND tabs = tabsFound.empty() ? nullptr : tabsFound.front();
    std::vector<HWND> pages = children(form, qbx::ui::win32::kPageClass);
    const int tabCount = tabs ? TabCtrl_GetItemCount(tabs) : 0;
    for (int i = 0; i < tabCount; ++i) {
        selectTab(form, tabs, i);
        for (HWND page : pages) {
            if (!IsWindowVisible(page)) continue;
            const std::string name = componentName(page);
            shoot("page-" + name);
            if (name == "RegExpDebugger") {
                showTesterMatch(page);
                shoot("page-" + name + "-match");
            } else if (name == "ZVXscrdeb") {
                typeScript(page);
                shoot("page-" + name + "-pascal");
            }
        }
    }
    if (tabCount > 0) selectTab(form, tabs, 0);
    for (HWND page : pages) {
        if (!IsWindowVisible(page)) continue;
        for (HWND rollOut : children(page, qbx::ui::win32::kRollOutClass)) {
            if (!IsWindowVisible(rollOut)) continue;
            const HWND header = GetWindow(rollOut, GW_CHILD);
            SendMessageW(header, BM_CLICK, 0, 0);
            scrollIntoView(page, rollOut);
            shoot("rollout-" + componentName(rollOut));
            SendMessageW(header, BM_CLICK, 0, 0);
            SendMessageW(page, WM_VSCROLL, SB_TOP, 0);
        }
    }
    SendMessageW(form, WM_CLOSE, 0, 0);
    pumpMessagesFor(100);
    return status;
}

}  // namespace qbxhost

#else

namespace qbxhost {

int runSetup(Host&, std::ostream& err) {
    err << "qbxhost: the settings dialog exists only in the Windows builds\n";
    return 1;
}

int takeScreenshots(Host& host, const std::string&, std::ostream&, std::ostream& err) {
    return runSetup(host, err);
}

}  // namespace qbxhost

#endif
