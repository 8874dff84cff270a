// The shapes of "var.dat" the variables benchmarks time: a 15 MB file of a few values at the
// longest the table saves and a great many small keys beyond the table's capacity, and a full
// table of long text values.
#pragma once

#include <cstddef>
#include <string>

#include "core/variables.h"

namespace bench {

inline constexpr std::size_t kSampleFileBytes = 15'000'000;
inline constexpr std::size_t kBigValues = 40;
inline constexpr std::size_t kBigValueBytes = 32'000;
inline constexpr std::size_t kLongTextBytes = 31 * 1024;

// [String] with the big values first, then small keys until the size is reached, the last
// tenth of them under [Integer].
inline std::string largeVarDat() {
    std::string file = "[String]\r\n";
    file.reserve(kSampleFileBytes + 128);
    for (std::size_t i = 0; i < kBigValues; ++i)
        file.append("big").append(std::to_string(i)).append("=").append(kBigValueBytes, 'x') +=
            "\r\n";
    const std::size_t integersFrom = kSampleFileBytes - kSampleFileBytes / 10;
    bool integers = false;
    for (std::size_t i = 0; file.size() < kSampleFileBytes; ++i) {
        if (!integers && file.size() >= integersFrom) {
            file += "[Integer]\r\n";
            integers = true;
        }
        file.append("key").append(std::to_string(i)).append("=");
        if (integers)
            file.append(std::to_string(i));
        else
            file.append("a small value of key ").append(std::to_string(i));
        file += "\r\n";
    }
    return file;
}

// The presets and 98 saved text variables of 31 KB each: the whole table.
inline void fillWithLongTexts(qbx::VarTable& vars) {
    for (int i = vars.count() + 1; i <= qbx::VarTable::kCapacity; ++i)
        vars.storeStr("text" + std::to_string(i),
                      std::string(kLongTextBytes, static_cast<char>('a' + i % 26)));
}

}  // namespace bench
