#include "macros/own_macros.h"

#include "base/random_source.h"

#include <boost/crc.hpp>
#include <stdexcept>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <random>
#include <string_view>

#include "base/datetime.h"
#include "core/host_texts.h"
#include "core/plugin.h"
#include "core/session.h"
#include "base/text.h"
#include "macros/arguments.h"

namespace qbx::macros::own {
namespace {

std::string arg(const MacroCall& call, std::int32_t index) {
    return getParamText(call.params, index);
}

}  // namespace

// ---- hashes and random text ---------------------------------------------------------------

std::string zvxMd5(MacroCall& call) {
    Hashing* hashing = call.plugin.platform.hashing;
    if (hashing == nullptr) throw std::runtime_error("no MD5 in this build");
    return hashing->md5(arg(call, 0));  // the raw 16 bytes, zero bytes included
}

std::string zvxCrc32(MacroCall& call) {
    // CRC-32/JAMCRC: the common reflected CRC-32 without its final inversion.
    boost::crc_optimal<32, 0x04C11DB7, 0xFFFFFFFF, 0, true, true> crc;
    const std::string text = arg(call, 0);
    crc.process_bytes(text.data(), text.size());
    return hexUpper(crc.checksum(), 2);
}

std::string zvxCrc16(MacroCall& call) {
    // CRC-16/MCRF4XX: reflected CCITT polynomial, all ones at the start, no final inversion.
    boost::crc_optimal<16, 0x1021, 0xFFFF, 0, true, true> crc;
    const std::string text = arg(call, 0);
    crc.process_bytes(text.data(), text.size());
    return hexUpper(crc.checksum(), 2);
}

std::string zvxXor(MacroCall& call) {
    std::string text = arg(call, 0);
    const auto key = static_cast<unsigned char>(getParamInt(call.params, 1) & 0xFF);
    for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) ^ key);
    return text;
}

}  // namespace qbx::macros::own
