// The macros that encode bytes: the MD5 digest, two CRCs and the XOR with a one-byte key of a
// text (argument 0), and the UU-encoded block of a file.
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
// Argument 0: a file name (a relative one in the module's folder). The file's UU-encoded block,
// or "n/a" with a log line when it cannot be read or is larger than the module encodes.
std::string zvxPutUue(macros::MacroCall& call);

}  // namespace qbx::functions::encoding
