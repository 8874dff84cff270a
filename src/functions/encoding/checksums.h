// The two CRCs of the hash macros, over a text's bytes as they are (code page 1251, zero bytes
// included). No module context.
#pragma once

#include <cstdint>
#include <string_view>

namespace qbx::functions::encoding {

// CRC-32/JAMCRC: the common reflected CRC-32 without its final inversion.
std::uint32_t crc32Jam(std::string_view bytes);
// CRC-16/MCRF4XX: reflected CCITT polynomial, all ones at the start, no final inversion.
std::uint16_t crc16Mcrf4xx(std::string_view bytes);

}  // namespace qbx::functions::encoding
