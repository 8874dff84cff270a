// A folder value from the registry: resolved or refused, never a crash, and a resolved folder
// is absolute, ends in one separator and names no device.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/folder_setting.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    const qbx::ResolvedFolder resolved = qbx::resolveFolderSetting(value, "C:\\Mail\\Plugins\\");
    if (resolved.folder.empty()) return 0;
    const char last = resolved.folder.back();
    const bool absolute =
        (resolved.folder.size() >= 3 && resolved.folder[1] == ':') ||
        resolved.folder.rfind("\\\\", 0) == 0 || resolved.folder.rfind("//", 0) == 0 ||
        resolved.folder.rfind("\\/", 0) == 0 || resolved.folder.rfind("/\\", 0) == 0;
    if ((last != '\\' && last != '/') || !absolute || !resolved.refusal.empty()) std::abort();
    return 0;
}
