// The macros that encode a text's bytes: the MD5 digest, two CRCs and the XOR with a one-byte
// key. Argument 0 is the text.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::encoding {

// The raw 16 bytes of the digest, through the platform's hashing; throws where the build has
// none.
std::string zvxMd5(macros::MacroCall& call);
// The CRCs in capital hex, zero-padded to two digits only (a CRC-32 below 0x10000000 has
// fewer than eight).
std::string zvxCrc32(macros::MacroCall& call);
std::string zvxCrc16(macros::MacroCall& call);
// Argument 1: the key, of which the low byte counts.
std::string zvxXor(macros::MacroCall& call);

}  // namespace qbx::functions::encoding
