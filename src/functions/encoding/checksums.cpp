#include "functions/encoding/checksums.h"

#include <boost/crc.hpp>

namespace qbx::functions::encoding {

std::uint32_t crc32Jam(std::string_view bytes) {
    boost::crc_optimal<32, 0x04C11DB7, 0xFFFFFFFF, 0, true, true> crc;
    crc.process_bytes(bytes.data(), bytes.size());
    return crc.checksum();
}

std::uint16_t crc16Mcrf4xx(std::string_view bytes) {
    boost::crc_optimal<16, 0x1021, 0xFFFF, 0, true, true> crc;
    crc.process_bytes(bytes.data(), bytes.size());
    return crc.checksum();
}

}  // namespace qbx::functions::encoding
