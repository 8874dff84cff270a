// The settings dialog's window, in parts: the class and the pieces its files share. Each of the
// dialog_*.cpp files beside it holds one concern of the window: the window and its pages, the
// page layout, the roll-outs, the lists and grids, the name=value lists, the timers and hot key,
// the system's file and folder pickers and the script editor's colours.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/plugin.h"
#include "ui/dialog/dialog_timers.h"
#include "ui/dialog/dialog_view.h"
#include "ui/dialog/setup_controls.h"
#include "ui/dialog/setup_form.h"
#include "ui/win32/window_support.h"

namespace qbx::ui::win32::settings_window {

using K = ControlKind;

inline constexpr UINT kLayoutMessage = WM_APP + 1;
// Posted by a cell editor that lost the focus: it is closed once the focus has moved on.
inline constexpr UINT kEditorLeftMessage = WM_APP + 2;
inline constexpr int kFormWidth = 1003;  // at 96 DPI
inline constexpr int kFormHeight = 551;
inline constexpr int kFirstControlId = 1000;
inline constexpr int kSpinWidth = 70;
inline constexpr int kDropDownHeight = 220;
inline constexpr UINT_PTR kFirstTimerId = 1;  // the dialog's timers by their row

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
    // A list box's longest line in pixels, as far as it scrolls sideways (mutable as above).
    mutable int widestLine = 0;
};

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
    void moveInPendingLines(const Control& c) const;
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
    // A list box emptied, then its lines added: it scrolls sideways as far as the longest.
    void clearListBox(const Control& control) const;
    void addListLines(const Control& control, const std::vector<std::wstring>& lines) const;

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
    // A report grid's height for a number of rows under its header, as the system draws it.
    void measureGridRows();
    int gridHeight(int rows) const;
    bool onPage(const Control& control, const Control& page) const;
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
    // A grid's row, header and frame in pixels, measured once on a grid of the dialog's font.
    int gridRow_ = 17;
    int gridHeader_ = 21;
    int gridFrame_ = 4;
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

}  // namespace qbx::ui::win32::settings_window
