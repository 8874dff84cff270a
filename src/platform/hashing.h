// Digests computed by the system's own hashing: BCrypt in the DLL, libgcrypt natively.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace qbx {

// The 16 raw bytes of the MD5 digest of bytes (not hexadecimal). Throws std::runtime_error
// when the system offers no MD5 (a policy that forbids it, say).
std::string md5Digest(std::string_view bytes);

// The system's digests as the platform object offers them.
class SystemHashing final : public Hashing {
public:
    std::string md5(std::string_view bytes) override { return md5Digest(bytes); }
};

}  // namespace qbx
