#include "platform/hashing.h"

#include <gcrypt.h>

#include <mutex>
#include <stdexcept>

namespace qbx {
namespace {

constexpr std::size_t kMd5Length = 16;

// The library must be told it is ready before first use; a program that set it up already
// keeps its own settings.
void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P) != 0) return;
        gcry_check_version(nullptr);
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    });
}

}  // namespace

std::string md5Digest(std::string_view bytes) {
    initialiseOnce();
    // In FIPS mode MD5 is refused; hashing regardless would end the process.
    if (gcry_md_test_algo(GCRY_MD_MD5) != 0) throw std::runtime_error("MD5 is not available");
    std::string digest(kMd5Length, '\0');
    gcry_md_hash_buffer(GCRY_MD_MD5, digest.data(), bytes.data(), bytes.size());
    return digest;
}

}  // namespace qbx
