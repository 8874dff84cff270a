#include "ui/win32/dialog_window_parts.h"

#include "ui/win32/dialog_text.h"

namespace qbx::ui::win32::settings_window {

namespace {

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

}  // namespace

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

}  // namespace qbx::ui::win32::settings_window
