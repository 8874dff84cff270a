#include "functions/encoding/encoding_macros.h"

#include <cstdint>
#include <stdexcept>

#include "base/text.h"
#include "core/plugin.h"
#include "functions/encoding/checksums.h"
#include "macros/arguments.h"

namespace qbx::functions::encoding {
namespace {

using macros::MacroCall;

std::string text(const MacroCall& call) { return macros::getParamText(call.params, 0); }

}  // namespace

std::string zvxMd5(MacroCall& call) {
    Hashing* hashing = call.plugin.platform.hashing;
    if (hashing == nullptr) throw std::runtime_error("no MD5 in this build");
    return hashing->md5(text(call));  // the raw 16 bytes, zero bytes included
}

std::string zvxCrc32(MacroCall& call) { return hexUpper(crc32Jam(text(call)), 2); }

std::string zvxCrc16(MacroCall& call) { return hexUpper(crc16Mcrf4xx(text(call)), 2); }

std::string zvxXor(MacroCall& call) {
    std::string bytes = text(call);
    const auto key = static_cast<unsigned char>(macros::getParamInt(call.params, 1) & 0xFF);
    for (char& c : bytes) c = static_cast<char>(static_cast<unsigned char>(c) ^ key);
    return bytes;
}

}  // namespace qbx::functions::encoding
