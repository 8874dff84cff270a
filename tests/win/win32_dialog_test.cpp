// The settings dialog as a user, a screen reader or an automation tool meets it: through the
// real module, its window found by class and its controls by their component names.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "ui/dialog/setup_form.h"
#include "ui/win32/dialog_window.h"
#include "window_walk.h"

namespace qbx::test {
namespace {

using ui::win32::kComponentProperty;

using qbxhost::componentName;
using qbxhost::forEachChildWindow;

HWND findDialog() { return qbxhost::findSetupDialog(); }

HWND findComponent(HWND form, const std::string& name) {
    HWND found = nullptr;
    forEachChildWindow(form, [&](HWND window) {
        if (componentName(window) != name) return true;
        found = window;
        return false;
    });
    return found;
}

std::wstring text(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

int visibleChildren(HWND parent) {
    int count = 0;
    forEachChildWindow(parent, [&](HWND window) {
        if (IsWindowVisible(window)) ++count;
        return true;
    });
    return count;
}

// As a host's loop does it.
void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class Win32Dialog : public ::testing::Test {
protected:
    void TearDown() override {
        systemPlatform().registry->writeString("Software\\ZVX", "sLangFile", "english.zlf");
    }
    // The module loaded and its settings dialog opened, as the mail client's command does.
    static HWND openDialog(qbxhost::Host& host) {
        host.initialize();
        EXPECT_EQ(host.exports().setup(), 0);
        pump();
        return findDialog();
    }

    const HostHome home_{"dialog-"};
    const std::string plugins = home_.string() + "/Plugins/";
};

TEST_F(Win32Dialog, ShowsItsPagesAndWritesWhatIsClicked) {
    systemPlatform().registry->writeString("Software\\ZVX", "splashmode", "0");
    qbxhost::Host host(kModule);
    const HWND form = openDialog(host);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_EQ(text(form), L"Quilbex 2.4.1202 Summer edition (Build: 24.06.2005 1:49:41)");
    EXPECT_EQ(GetParent(form), nullptr);

    // Every tab offered shows a page with controls on it; the pages still empty are not offered.
    const HWND tabs = findComponent(form, "Tabs");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), 5);
    const char* pages[] = {"RolloutSettings", "MiscPage", "RegExpDebugger", "ZVXscrdeb",
                           "DebugSheet"};
    for (int i = 4; i >= 0; --i) {
        TabCtrl_SetCurSel(tabs, i);
        NMHDR change{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)),
                     static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(form, WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
        const HWND page = findComponent(form, pages[i]);
        ASSERT_NE(page, nullptr) << pages[i];
        EXPECT_TRUE(IsWindowVisible(page)) << pages[i];
        EXPECT_GT(visibleChildren(page), 0) << pages[i];
    }
    EXPECT_FALSE(IsWindowVisible(findComponent(form, "MiscPage")));

    // A roll-out opens on a click of its header, then its check box answers and takes clicks.
    const HWND rollOut = findComponent(form, "JvRollout7");
    const HWND check = findComponent(form, "ShowSplash");
    ASSERT_NE(rollOut, nullptr);
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(IsWindowVisible(check));
    SendMessageW(GetWindow(rollOut, GW_CHILD), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowVisible(check));
    EXPECT_EQ(text(check), L"Show &splash screen at startup");
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageW(check, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);

    // The Tab key walks the controls in the host's message loop.
    SendMessageW(GetWindow(findComponent(form, "MainAntispamSettings"), GW_CHILD), BM_CLICK, 0, 0);
    SetFocus(findComponent(form, "OSDb"));
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    pump();
    EXPECT_EQ(GetFocus(), findComponent(form, "TurnOn"));

    SendMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(form));
    host.finalize();
    EXPECT_EQ(systemPlatform().registry->readString("Software\\ZVX", "splashmode").text, "1");
    systemPlatform().registry->writeString("Software\\ZVX", "splashmode", "0");
}

TEST_F(Win32Dialog, ALanguageFileInTheInstallFolderSwitchesCaptions) {
    spit(plugins + "deutsch.zlf",
         "[Strings]\r\n199=Deutsch\r\n[CheckBoxes]\r\nShowSplash=Startbild &zeigen\r\n"
         "[Tabs]\r\nRolloutSettings=Einstellungen\r\n[JR]\r\nJvRollout7=Weiteres\r\n");
    spit(plugins + "anders.zlf", "[CheckBoxes]\r\nShowSplash=Anders\r\n");
    systemPlatform().registry->writeString("Software\\ZVX", "sLangFile", "deutsch.zlf");
    qbxhost::Host host(kModule);
    const HWND form = openDialog(host);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(text(findComponent(form, "ShowSplash")), L"Startbild &zeigen");
    EXPECT_EQ(text(GetWindow(findComponent(form, "JvRollout7"), GW_CHILD)), L"[+] Weiteres");
    wchar_t tab[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = tab;
    item.cchTextMax = 64;
    SendMessageW(findComponent(form, "Tabs"), TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(tab), L"Einstellungen");

    // A click on the other language's row applies it and stores it at once.
    const HWND grid = findComponent(form, "langlist");
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(ListView_GetItemCount(grid), 2);
    NMITEMACTIVATE click{};
    click.hdr = {grid, static_cast<UINT_PTR>(GetDlgCtrlID(grid)), static_cast<UINT>(NM_CLICK)};
    click.iItem = 0;
    SendMessageW(GetParent(grid), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(text(findComponent(form, "ShowSplash")), L"Anders");
    EXPECT_EQ(systemPlatform().registry->readString("Software\\ZVX", "sLangFile").text,
              "anders.zlf");
    host.finalize();
}

// Answers the save dialog the export opens with the name it proposes, and the question whether
// to replace the file with yes; joined whatever the test does.
class SaveDialogDriver {
public:
    SaveDialogDriver()
        : thread_([this] {
              const DWORD end = GetTickCount() + 15000;
              HWND dialog = nullptr;
              while (GetTickCount() < end && !answered) {
                  const HWND shown = visibleDialog(dialog);
                  if (shown == nullptr) {
                      Sleep(50);
                      continue;
                  }
                  Sleep(300);  // let it settle
                  if (dialog == nullptr) {
                      dialog = shown;
                      PostMessageW(shown, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                  } else {
                      PostMessageW(shown, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
                      answered = true;
                  }
              }
          }) {}
    ~SaveDialogDriver() { thread_.join(); }
    SaveDialogDriver(const SaveDialogDriver&) = delete;
    SaveDialogDriver& operator=(const SaveDialogDriver&) = delete;
    std::atomic<bool> answered{false};

private:
    // A visible dialog box of the process other than the one given.
    static HWND visibleDialog(HWND other) {
        HWND found = nullptr;
        qbxhost::forEachTopLevelWindow([&](HWND window) {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (window == other || std::wstring(name) != L"#32770" ||
                process != GetCurrentProcessId() || !IsWindowVisible(window))
                return true;
            found = window;
            return false;
        });
        return found;
    }
    std::thread thread_;
};

// The export writes over the language file the user chose only with a whole new one: when the
// disk refuses the new file, the old one is still there.
TEST_F(Win32Dialog, TheLanguageExportNeverLosesTheChosenFile) {
    const std::string name = "mine.zlf";
    const std::string path = plugins + name;
    const std::string mine = "[Strings]\r\n199=Mine\r\n[Notes]\r\nby=hand\r\n";
    spit(path, mine);
    systemPlatform().registry->writeString("Software\\ZVX", "sLangFile", name);
    // Every name the module's next saves would write the new file under is taken by a folder.
    const std::string temporary = toModulePath(path);
    std::vector<std::string> blockers;
    for (unsigned sequence = 0; sequence < 300; ++sequence) {
        blockers.push_back(atomicTemporaryName(temporary, GetCurrentProcessId(), sequence));
        CreateDirectoryA(blockers.back().c_str(), nullptr);
    }
    qbxhost::Host host(kModule);
    const HWND form = openDialog(host);
    ASSERT_NE(form, nullptr);
    const HWND button = findComponent(form, "SaveLang");
    ASSERT_NE(button, nullptr);
    {
        SaveDialogDriver driver;
        SendMessageW(button, BM_CLICK, 0, 0);
        EXPECT_TRUE(driver.answered);
    }
    EXPECT_EQ(slurp(path), mine);
    for (const std::string& folder : blockers) RemoveDirectoryA(folder.c_str());
    {
        SaveDialogDriver driver;
        SendMessageW(button, BM_CLICK, 0, 0);
        EXPECT_TRUE(driver.answered);
    }
    const std::string exported = slurp(path);
    EXPECT_NE(exported.find("199=Mine\r\n"), std::string::npos) << exported;
    EXPECT_NE(exported.find("[Buttons]\r\n"), std::string::npos);
    EXPECT_EQ(exported.find("[Notes]"), std::string::npos);  // a language file of its own
    host.finalize();
}

std::wstring columnTitle(HWND list, int column) {
    wchar_t buffer[128] = {};
    LVCOLUMNW info{};
    info.mask = LVCF_TEXT;
    info.pszText = buffer;
    info.cchTextMax = 128;
    SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&info));
    return buffer;
}

std::wstring cellText(HWND list, int row, int column) {
    wchar_t buffer[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

HWND cellEditor(HWND list) { return FindWindowExW(list, nullptr, L"Edit", nullptr); }

// The recipient grid as a screen reader reads it and a user edits it, down to the file that the
// shut-down leaves behind while the dialog is still open.
TEST_F(Win32Dialog, TheRecipientGridEditsRecipientsTxt) {
    spit(plugins + "recipients.txt", "work=@work\\.com$\r\nplain@list\\.org\r\n");
    qbxhost::Host host(kModule);
    const HWND form = openDialog(host);
    ASSERT_NE(form, nullptr);
    SendMessageW(GetWindow(findComponent(form, "JvRollout9"), GW_CHILD), BM_CLICK, 0, 0);
    pump();
    const HWND grid = findComponent(form, "vle");
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(IsWindowVisible(grid));
    EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(grid)), 2);
    EXPECT_EQ(columnTitle(grid, 0), L"Entry name");
    EXPECT_EQ(columnTitle(grid, 1), L"Address or regexp");
    ASSERT_EQ(SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(cellText(grid, 0, 0), L"work");
    EXPECT_EQ(cellText(grid, 0, 1), L"@work\\.com$");
    EXPECT_EQ(cellText(grid, 1, 0), L"");
    EXPECT_EQ(cellText(grid, 1, 1), L"plain@list\\.org");
    // The buttons stand beside the list (or below it, where the column is narrow), inside the
    // roll-out.
    const HWND add = findComponent(form, "vleAdd");
    const HWND remove = findComponent(form, "vleDelete");
    ASSERT_NE(add, nullptr);
    ASSERT_NE(remove, nullptr);
    RECT list{}, button{}, rollOut{};
    GetWindowRect(grid, &list);
    GetWindowRect(add, &button);
    GetWindowRect(findComponent(form, "JvRollout9"), &rollOut);
    EXPECT_TRUE(button.left >= list.right || button.top >= list.bottom);
    EXPECT_LE(button.right, rollOut.right);
    EXPECT_LE(button.bottom, rollOut.bottom);

    // Insert opens the name of a new row; a name another row has is refused.
    SetFocus(grid);
    SendMessageW(grid, WM_KEYDOWN, VK_INSERT, 0);
    HWND edit = cellEditor(grid);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(ListView_GetItemCount(grid), 3);
    SetWindowTextW(edit, L"WORK");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(IsWindow(edit));
    EXPECT_EQ(text(edit), L"");
    // Tab takes the name and moves to the value; Enter stores it.
    SetWindowTextW(edit, L"club");
    SendMessageW(edit, WM_KEYDOWN, VK_TAB, 0);
    edit = cellEditor(grid);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"@club\\.ru");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(cellEditor(grid), nullptr);
    EXPECT_EQ(cellText(grid, 2, 0), L"club");
    EXPECT_EQ(cellText(grid, 2, 1), L"@club\\.ru");

    // Esc leaves a cell as it was; the "-" button deletes the selected row.
    ListView_SetItemState(grid, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(grid, WM_KEYDOWN, VK_F2, 0);
    edit = cellEditor(grid);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"gone");
    SendMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(cellText(grid, 0, 0), L"work");
    ListView_SetItemState(grid, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(remove, BM_CLICK, 0, 0);
    EXPECT_EQ(ListView_GetItemCount(grid), 2);
    pump();

    host.finalize();
    EXPECT_EQ(slurp(plugins + "recipients.txt"), "work=@work\\.com$\r\nclub=@club\\.ru\r\n");
}

TEST_F(Win32Dialog, TheTesterAndTheEditorAnswerThroughTheirControls) {
    qbxhost::Host host(kModule);
    const HWND form = openDialog(host);
    ASSERT_NE(form, nullptr);
    const HWND source = findComponent(form, "srctxt");
    const HWND pattern = findComponent(form, "Edit8");
    const HWND search = findComponent(form, "Button5");
    const HWND result = findComponent(form, "dsttxt");
    ASSERT_TRUE(source && pattern && search && result);
    EXPECT_EQ(text(pattern), L"(.*?)\\s");
    EXPECT_EQ(text(search), L"&Search pattern");
    SendMessageW(source, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"red green\r\nblue "));
    SendMessageW(pattern, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"(\\w+)\\s"));
    SendMessageW(search, BM_CLICK, 0, 0);
    EXPECT_EQ(text(result), L"red\r\ngreen\r\nblue\r\n");
    SendMessageW(pattern, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"(x"));
    SendMessageW(search, BM_CLICK, 0, 0);
    EXPECT_EQ(text(result).rfind(L"Error in regexp at position 3 error: ", 0), 0u);

    // The script editor is a rich edit whose numbers are coloured from the start.
    const HWND editor = findComponent(form, "ScrSource");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(text(editor), L"2*2+(122.34-54.67)*123.5");
    SendMessageW(editor, EM_SETSEL, 5, 6);
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.crTextColor, RGB(128, 0, 128));
    EXPECT_FALSE(IsWindowEnabled(findComponent(form, "UpdateCh")));
    EXPECT_FALSE(IsWindowVisible(findComponent(form, "Revert")));
    host.finalize();
}

std::vector<std::wstring> listLines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto index = static_cast<WPARAM>(i);
        std::wstring line(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)),
                          L'\0');
        SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(line);
    }
    return lines;
}

// The debug list as its user reads it. The log's lines that come while it is out of sight wait,
// as many as it keeps, and are there in order once its page shows; while it shows they go in at
// once. A call of a name that is no macro writes one line of its own to the log.
TEST_F(Win32Dialog, TheDebugListGetsTheLinesThatCameWhileItWasOutOfSight) {
    const SettingForTheTest noSplash{"splashmode", "0"};
    qbxhost::Host host(kModule);
    const HWND form = openDialog(host);
    ASSERT_NE(form, nullptr);
    const HWND tabs = findComponent(form, "Tabs");
    const HWND list = findComponent(form, "DebugBox");
    ASSERT_TRUE(tabs && list);
    const auto openTab = [&](int tab) {
        TabCtrl_SetCurSel(tabs, tab);
        NMHDR change{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)),
                     static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(form, WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    };
    constexpr int kDebugTab = 4;
    constexpr auto kKept = static_cast<int>(ui::kMaxDebugLines);
    enum class Sight { Shown, OtherPage, DialogClosed };
    const struct {
        const char* what;
        Sight sight;
        int lines;
    } cases[] = {
        {"another page open", Sight::OtherPage, 3},
        {"the page open", Sight::Shown, 2},
        {"the dialog closed on the page", Sight::DialogClosed, 2},
        {"more lines than the list keeps", Sight::OtherPage, kKept + 3},
    };
    int serial = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        openTab(kDebugTab);
        if (c.sight == Sight::OtherPage) openTab(0);
        if (c.sight == Sight::DialogClosed) SendMessageW(form, WM_CLOSE, 0, 0);
        const int before = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        const int first = serial + 1;
        for (int i = 0; i < c.lines; ++i) {
            const std::string name = "QBXLINE" + std::to_string(++serial);
            host.callMacro(host.data(), name, {});
            if (c.sight == Sight::Shown) {
                ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), before + i + 1);
            }
        }
        if (c.sight != Sight::Shown) {
            EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), before);  // nothing drawn unseen
        }
        if (c.sight == Sight::OtherPage) openTab(kDebugTab);
        if (c.sight == Sight::DialogClosed) host.exports().setup();
        ASSERT_TRUE(IsWindowVisible(list));

        // What the list keeps of the lines before, then the new lines, the oldest dropped.
        const std::vector<std::wstring> lines = listLines(list);
        const int dropped = std::max(before + c.lines - kKept, 0);
        ASSERT_EQ(static_cast<int>(lines.size()), std::min(before + c.lines, kKept));
        for (int n = std::max(dropped - before, 0); n < c.lines; ++n) {
            const std::wstring& line = lines[static_cast<std::size_t>(before - dropped + n)];
            const std::wstring expected =
                L": TBP_ExecMacro [%QBXLINE" + std::to_wstring(first + n) + L"]";
            const std::size_t prefix = line.size() - std::min(line.size(), expected.size());
            ASSERT_EQ(line.substr(prefix), expected) << n;
        }
    }
    openTab(0);

    // The form hidden and shown again by someone else: lines wait while it is hidden and come
    // in with the next line once it is shown.
    openTab(kDebugTab);
    const int before = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    SetWindowPos(form, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    host.callMacro(host.data(), "QBXHIDDEN", {});
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), before);
    ShowWindow(form, SW_SHOWNORMAL);
    host.callMacro(host.data(), "QBXSHOWN", {});
    const std::vector<std::wstring> lines = listLines(list);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_TRUE(lines[lines.size() - 2].ends_with(L"[%QBXHIDDEN]"));
    EXPECT_TRUE(lines.back().ends_with(L"[%QBXSHOWN]"));
    openTab(0);
    host.finalize();
}

void openPage(HWND form, int tab) {
    const HWND tabs = findComponent(form, "Tabs");
    TabCtrl_SetCurSel(tabs, tab);
    NMHDR change{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(form, WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    pump();
}

// A control's place in its page's client area.
RECT placeOnPage(HWND page, HWND control) {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

bool inside(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The form laid out again, as every resize, caption change and tab change does.
void layOutAgain(HWND form, int times) {
    RECT client{};
    GetClientRect(form, &client);
    for (int i = 0; i < times; ++i)
        SendMessageW(form, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    pump();
}

// The scripting page as its user meets it: with no script stored yet, then with a first one
// dropped into the folder and picked up by Reinit, the grid keeps its height however often the
// page is laid out, and the buttons and the output under it stay on the page.
TEST_F(Win32Dialog, TheScriptingPageKeepsItsButtonsOnThePageWhateverTheGridHolds) {
    const SettingForTheTest noSplash{"splashmode", "0"};
    qbxhost::Host host(kModule);
    const HWND form = openDialog(host);
    ASSERT_NE(form, nullptr);
    openPage(form, 3);
    const HWND page = findComponent(form, "ZVXscrdeb");
    const HWND grid = findComponent(form, "ScriptsList");
    ASSERT_TRUE(page && grid);
    RECT area{};
    GetClientRect(page, &area);
    const auto gridHeight = [&] {
        const RECT place = placeOnPage(page, grid);
        return place.bottom - place.top;
    };
    const auto expectAllOnThePage = [&] {
        for (const char* name : {"ScriptsList", "RunScript", "Reinit", "UpdateCh", "OutputStr"}) {
            const HWND control = findComponent(form, name);
            ASSERT_NE(control, nullptr) << name;
            EXPECT_TRUE(IsWindowVisible(control)) << name;
            EXPECT_TRUE(inside(area, placeOnPage(page, control))) << name;
        }
    };

    const int empty = ListView_GetItemCount(grid);
    const int height = gridHeight();
    layOutAgain(form, 5);
    EXPECT_EQ(gridHeight(), height);
    expectAllOnThePage();

    spit(plugins + "Scripts/greeting.s",
         "@SCRIPT Greeting\r\n@LANG PAS\r\nbegin\r\n  Result := 'hi';\r\nend.\r\n");
    SendMessageW(findComponent(form, "Reinit"), BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(ListView_GetItemCount(grid), empty + 1);
    layOutAgain(form, 5);
    EXPECT_EQ(gridHeight(), height);
    expectAllOnThePage();
    host.finalize();
}

// A grid of a fixed number of rows shows all of them: the brief statistics' last row, the mouse
// speed, is read without scrolling.
TEST_F(Win32Dialog, TheBriefStatisticsShowTheirLastRow) {
    const SettingForTheTest noSplash{"splashmode", "0"};
    qbxhost::Host host(kModule);
    const HWND form = openDialog(host);
    ASSERT_NE(form, nullptr);
    openPage(form, 1);
    layOutAgain(form, 3);
    const HWND grid = findComponent(form, "stat");
    ASSERT_NE(grid, nullptr);
    const int rows = ListView_GetItemCount(grid);
    ASSERT_EQ(rows, 19);
    RECT client{};
    GetClientRect(grid, &client);
    RECT last{};
    ASSERT_TRUE(ListView_GetItemRect(grid, rows - 1, &last, LVIR_BOUNDS));
    EXPECT_LE(last.bottom, client.bottom);
    EXPECT_EQ(ListView_GetTopIndex(grid), 0);
    host.finalize();
}

// A line longer than its list is read by scrolling the list sideways, whether it came while the
// list showed or while it waited out of sight.
TEST_F(Win32Dialog, AListScrollsSidewaysToItsLongestLine) {
    const SettingForTheTest noSplash{"splashmode", "0"};
    qbxhost::Host host(kModule);
    const HWND form = openDialog(host);
    ASSERT_NE(form, nullptr);
    const HWND list = findComponent(form, "DebugBox");
    ASSERT_NE(list, nullptr);
    const auto widthOf = [&](const std::wstring& line) {
        HDC dc = GetDC(list);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(list, dc);
        return static_cast<int>(size.cx);
    };
    struct Case {
        const char* what;
        bool shown;
        std::string name;
    };
    const Case cases[] = {{"while it shows", true, "QBXLONG" + std::string(200, 'W')},
                          {"while out of sight", false, "QBXLONGER" + std::string(300, 'W')}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        openPage(form, c.shown ? 4 : 0);
        host.callMacro(host.data(), c.name, {});
        openPage(form, 4);
        const std::vector<std::wstring> lines = listLines(list);
        ASSERT_FALSE(lines.empty());
        RECT client{};
        GetClientRect(list, &client);
        const int width = widthOf(lines.back());
        ASSERT_GT(width, client.right);
        EXPECT_GE(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), width);
    }

    // The statistics dump is a table: a row longer than the box stays one line and scrolls.
    const HWND dump = findComponent(form, "ds");
    ASSERT_NE(dump, nullptr);
    const std::wstring row = L"| 1   | " + std::wstring(120, L'k') + L" | 1024   | 7   |";
    SendMessageW(dump, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.c_str()));
    EXPECT_EQ(SendMessageW(dump, EM_GETLINECOUNT, 0, 0), 1);
    EXPECT_TRUE(GetWindowLongW(dump, GWL_STYLE) & WS_HSCROLL);
    host.finalize();
}

// The Debug page's tools for one statistics item stand framed together under their title.
TEST_F(Win32Dialog, TheStatisticsViewerIsOneGroup) {
    const SettingForTheTest noSplash{"splashmode", "0"};
    qbxhost::Host host(kModule);
    const HWND form = openDialog(host);
    ASSERT_NE(form, nullptr);
    openPage(form, 4);
    const HWND page = findComponent(form, "DebugSheet");
    const HWND group = findComponent(form, "StatisticsViewer");
    ASSERT_TRUE(page && group);
    EXPECT_TRUE(IsWindowVisible(group));
    EXPECT_EQ(text(group), L"Statistics viewer");
    EXPECT_EQ(GetWindowLongW(group, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
    const RECT frame = placeOnPage(page, group);
    for (const char* name : {"cb1", "Dump", "Butt", "Button1", "SpeedButton1", "SpeedButton2",
                             "sdump", "Edit5", "Label3", "debuglist"}) {
        const HWND control = findComponent(form, name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_TRUE(IsWindowVisible(control)) << name;
        EXPECT_TRUE(inside(frame, placeOnPage(page, control))) << name;
    }
    EXPECT_FALSE(inside(frame, placeOnPage(page, findComponent(form, "DebugBox"))));
    host.finalize();
}

}  // namespace
}  // namespace qbx::test
