#include "ui/win32/dialog_window_parts.h"

#include <commdlg.h>
#include <shlobj.h>

#include "ui/win32/dialog_text.h"

namespace qbx::ui::win32::settings_window {

namespace {

int CALLBACK startInFolder(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

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

}  // namespace qbx::ui::win32::settings_window
