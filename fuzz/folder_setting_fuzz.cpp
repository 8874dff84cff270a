// A folder value from the registry: resolved or refused, never a crash, and a resolved folder
// is absolute, ends in one backslash, names no device and holds only names Windows keeps as they
// are (no "." or "..", no trailing dot or blank, no empty name between backslashes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/folder_setting.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    const qbx::ResolvedFolder resolved = qbx::resolveFolderSetting(value, "C:\\Mail\\Plugins\\");
    if (resolved.folder.empty()) return 0;
    const std::string& folder = resolved.folder;
    const bool network = folder.rfind("\\\\", 0) == 0;
    const bool absolute = (folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\') || network;
    if (folder.back() != '\\' || !absolute || !resolved.refusal.empty() ||
        folder.find('/') != std::string::npos)
        std::abort();
    // Past the drive's backslash, or past the server and share of a network path.
    std::size_t start = network ? folder.find('\\', folder.find('\\', 2) + 1) + 1 : 3;
    for (std::size_t end = folder.find('\\', start); end != std::string::npos;
         start = end + 1, end = folder.find('\\', start)) {
        if (end == start || folder[end - 1] == '.' || folder[end - 1] == ' ') std::abort();
    }
    return 0;
}
