#include "platform/win32/system_texts.h"

namespace qbx::win32 {

std::string systemErrorText(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason;
    try {
        if (length > 0 && text != nullptr) reason.assign(text, length);
    } catch (...) {
    }
    if (text != nullptr) LocalFree(text);
    while (!reason.empty() && static_cast<unsigned char>(reason.back()) <= ' ') reason.pop_back();
    if (reason.empty()) reason = "error " + std::to_string(error);
    return reason;
}

HINSTANCE ownModule() {
    // The module that holds this very function is ours.
    static const char anchor = 0;
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        &anchor, &module);
    return module;
}

}  // namespace qbx::win32
