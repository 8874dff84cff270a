// The UU codec: fixed blocks, and a decoder that stays within its bound.
#include "base/uu_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"

namespace qbx {
namespace {

// Fixed blocks: the alphabet with "`" for zero, 45 bytes a line behind its length character, and
// the lines a mail program needs to take the block for a file.
TEST(UuCodec, EncodesFilesAsBlocksAndReadsThemBack) {
    EXPECT_EQ(uuEncodeFile("cat.txt", "Cat"), "begin 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\n");
    EXPECT_EQ(uuEncodeFile("e", ""), "begin 644 e\r\n`\r\nend\r\n");
    EXPECT_EQ(uuEncodeFile("z", std::string(3, '\0')), "begin 644 z\r\n#````\r\n`\r\nend\r\n");
    EXPECT_EQ(uuEncodeFile("a\r\nb", "\xFF"), "begin 644 ab\r\n!_P``\r\n`\r\nend\r\n");
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i * 7);
    const std::string block = uuEncodeFile("b.bin", bytes);
    const std::vector<std::string> lines = splitLines(block);
    ASSERT_EQ(lines.size(), 1u + 23u + 2u);  // 22 full lines of 45 bytes, one of 10
    EXPECT_EQ(lines[1].size(), 61u);
    EXPECT_EQ(lines[1].front(), 'M');
    EXPECT_EQ(lines[23], "*" + lines[23].substr(1));
    EXPECT_EQ(uuDecode(block, 1u << 20), bytes);
    EXPECT_EQ(uuDecode(block, 100), bytes.substr(0, 100));
    // A line that promises more than it holds gives what it holds; text outside the block goes.
    EXPECT_EQ(uuDecode("junk\r\nbegin 644 x\r\nM0V%T\r\nend\r\n#0V%T\r\n", 100), "Cat");
}

// What a mailed section may hold as data: lines as encoders write them, also with the padding
// a mail program stripped, and nothing of the text around them.
TEST(UuCodec, DataLinesAreTheLinesEncodersWrite) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"M" + std::string(60, '0'), true},
        {"M" + std::string(62, '0'), true},  // a check character or two
        {"M" + std::string(63, '0'), false},
        {"M" + std::string(59, '0'), false},
        {"#0V%T", true},
        {"#0V%", false},
        {"!_P``", true},
        {"!_P", true},  // the padding stripped
        {"!_", false},
        {"#0 %T", true},
        {"`", false},  // the zero-length line carries nothing
        {"", false},
        {"N" + std::string(64, '0'), false},  // 46 bytes: no encoder writes that
        {"begin 644 x", false},
        {"end", false},
        {"hello", false},
        {"#0V%T\x01", false},
        {"#0V%\x7F", false},
    };
    for (const auto& [line, data] : cases) EXPECT_EQ(isUuDataLine(line), data) << line;
}

}  // namespace
}  // namespace qbx
