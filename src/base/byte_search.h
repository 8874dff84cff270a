// Finding one byte in a text, and comparing short texts. The C runtime's memchr is a vector search
// on some systems and a plain byte loop on others (the Windows runtime as Wine provides it); mail
// is searched line by line for every message, so where the runtime's search is not known to be fast
// the search is our own, eight bytes a step.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace qbx {

static_assert(std::endian::native == std::endian::little, "the search reads bytes low first");

// The first `c` in [p, end), or end.
inline const char* findByte(const char* p, const char* end, char c) noexcept {
#ifdef __GLIBC__
    // The GNU C library's own search is a vector one: faster than ours.
    const void* at = std::memchr(p, c, static_cast<std::size_t>(end - p));
    return at != nullptr ? static_cast<const char*>(at) : end;
#else
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    const std::uint64_t pattern = kOnes * static_cast<unsigned char>(c);
    while (end - p >= 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, p, 8);
        const std::uint64_t x = chunk ^ pattern;
        // The lowest byte that is zero sets its high bit here (bytes above it may too).
        const std::uint64_t zeros = (x - kOnes) & ~x & kHighs;
        if (zeros != 0) return p + (std::countr_zero(zeros) >> 3);
        p += 8;
    }
    for (; p != end; ++p)
        if (*p == c) return p;
    return end;
#endif
}

// The position of the first `c` at or after `from`, or text.size().
inline std::size_t findByte(std::string_view text, char c, std::size_t from = 0) noexcept {
    if (from >= text.size()) return text.size();
    const char* end = text.data() + text.size();
    return static_cast<std::size_t>(findByte(text.data() + from, end, c) - text.data());
}

// Whether two texts hold the same bytes. Short ones are compared here: the comparison of a
// word takes less than the call into a runtime that lives in a library of its own (Windows).
inline bool equalBytes(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    if (a.size() > 16) return std::memcmp(a.data(), b.data(), a.size()) == 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

}  // namespace qbx
