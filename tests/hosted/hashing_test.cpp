// The system's MD5, in whichever build runs: libgcrypt natively, BCrypt under Windows.
#include <gtest/gtest.h>

#include <string>

#include "core/text.h"
#include "platform/hashing.h"

namespace qbx {
namespace {

std::string hex(const std::string& bytes) {
    std::string text;
    for (char c : bytes) text += hexUpper(static_cast<unsigned char>(c), 2);
    return toLower1251(text);
}

TEST(SystemHashing, Md5CheckValues) {
    EXPECT_EQ(hex(md5Digest("")), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(hex(md5Digest("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(hex(md5Digest("The quick brown fox jumps over the lazy dog")),
              "9e107d9d372bb6826bd81d3542a419d6");
    EXPECT_EQ(hex(md5Digest(std::string(1'000'000, 'a'))), "7707d6ae4e027c70eea2a935c2296f21");
    // Bytes beyond ASCII and zero bytes are hashed as they are.
    EXPECT_EQ(md5Digest(std::string("a\0b", 3)).size(), 16u);
    EXPECT_NE(md5Digest(std::string("a\0b", 3)), md5Digest(std::string("a\0c", 3)));
}

}  // namespace
}  // namespace qbx
