// Texts other programs and the firmware hand us: a firmware date is a real calendar date or
// nothing, and a foreign text comes back as one bounded line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/datetime.h"
#include "platform/system_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto date = qbx::parseFirmwareDate(bytes)) {
        const qbx::DateTimeFields fields = qbx::decodeDateTime(*date);
        if (fields.year < 1900 || fields.year > 9999 || fields.hour != 0) std::abort();
    }
    const std::string line = qbx::foreignText(bytes);
    if (line.size() > qbx::SystemInfo::kMaxEntryBytes || line.size() > size) std::abort();
    for (const char c : line)
        if (static_cast<unsigned char>(c) < 0x20) std::abort();
    return 0;
}
