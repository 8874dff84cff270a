#include "platform/hashing.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

#include "base/text.h"

namespace qbx {
namespace {

constexpr ULONG kMd5Length = 16;

bool succeeded(NTSTATUS status) { return status >= 0; }

[[noreturn]] void fail(const char* step, NTSTATUS status) {
    throw std::runtime_error(std::string("MD5: ") + step + " failed (0x" +
                             hexUpper(static_cast<std::uint32_t>(status), 8) + ")");
}

class Algorithm {
public:
    Algorithm() {
        const NTSTATUS status =
            BCryptOpenAlgorithmProvider(&handle_, BCRYPT_MD5_ALGORITHM, nullptr, 0);
        if (!succeeded(status)) fail("BCryptOpenAlgorithmProvider", status);
    }
    ~Algorithm() { BCryptCloseAlgorithmProvider(handle_, 0); }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class Hash {
public:
    explicit Hash(const Algorithm& algorithm) {
        // The hash object's memory is ours to give: Windows before 7 takes no null here.
        ULONG objectLength = 0;
        ULONG written = 0;
        NTSTATUS status = BCryptGetProperty(algorithm.get(), BCRYPT_OBJECT_LENGTH,
                                            reinterpret_cast<PUCHAR>(&objectLength),
                                            sizeof objectLength, &written, 0);
        if (!succeeded(status)) fail("BCryptGetProperty", status);
        object_.resize(objectLength);
        status = BCryptCreateHash(algorithm.get(), &handle_, object_.data(), objectLength, nullptr,
                                  0, 0);
        if (!succeeded(status)) fail("BCryptCreateHash", status);
    }
    ~Hash() { BCryptDestroyHash(handle_); }
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;
    BCRYPT_HASH_HANDLE get() const { return handle_; }

private:
    std::vector<UCHAR> object_;
    BCRYPT_HASH_HANDLE handle_ = nullptr;
};

}  // namespace

std::string md5Digest(std::string_view bytes) {
    const Algorithm algorithm;
    const Hash hash(algorithm);
    // The length argument is 32 bits wide: longer input goes in slices.
    constexpr std::size_t kSlice = std::numeric_limits<ULONG>::max();
    const auto* data = reinterpret_cast<const UCHAR*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        const auto n = static_cast<ULONG>(std::min(left, kSlice));
        const NTSTATUS status = BCryptHashData(hash.get(), const_cast<PUCHAR>(data), n, 0);
        if (!succeeded(status)) fail("BCryptHashData", status);
        data += n;
        left -= n;
    }
    std::string digest(kMd5Length, '\0');
    const NTSTATUS status =
        BCryptFinishHash(hash.get(), reinterpret_cast<PUCHAR>(digest.data()), kMd5Length, 0);
    if (!succeeded(status)) fail("BCryptFinishHash", status);
    return digest;
}

}  // namespace qbx
