#include "platform/mapped_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qbx {
namespace {

// A file in memory whose system refuses the windows named in `refused`.
class MemoryLog final : public MappedLogWriter {
public:
    explicit MemoryLog(std::vector<std::uint64_t> refused) : refused_(std::move(refused)) {}
    ~MemoryLog() override { settle(); }

    std::string file;
    int mapped = 0;
    int cuts = 0;

private:
    char* mapWindow(std::uint64_t start) override {
        for (std::uint64_t r : refused_)
            if (r == start) return nullptr;
        EXPECT_EQ(start % kWindowBytes, 0u);
        if (file.size() < start + kWindowBytes) file.resize(start + kWindowBytes, '\0');
        ++mapped;
        return file.data() + start;
    }
    void unmapWindow(char*) override {}
    bool cutAt(std::uint64_t size) override {
        ++cuts;
        file.resize(size);
        return true;
    }
    bool writeAt(std::uint64_t offset, std::string_view bytes) override {
        if (file.size() < offset + bytes.size()) file.resize(offset + bytes.size(), '\0');
        file.replace(offset, bytes.size(), bytes);
        return true;
    }

    std::vector<std::uint64_t> refused_;
};

// Lines of odd sizes across window edges; the system refusing no window, the third, or the
// first: the file holds exactly the lines in every case, plain writes going on where the
// mapped ones stopped.
TEST(MappedLogTest, TheFileIsExactlyTheLinesWhateverWindowTheSystemRefuses) {
    constexpr std::uint64_t kWindow = MappedLogWriter::kWindowBytes;
    for (const std::vector<std::uint64_t>& refused :
         {std::vector<std::uint64_t>{}, {2 * kWindow}, {0}}) {
        std::string expected;
        std::string file;
        {
            MemoryLog log(refused);
            for (int i = 0; expected.size() < 3 * kWindow + 100; ++i) {
                const std::string line(static_cast<std::size_t>(1 + (i * 7919) % 3001),
                                       static_cast<char>('a' + i % 26));
                ASSERT_TRUE(log.write(line));
                expected += line;
            }
            if (refused.empty()) {
                EXPECT_EQ(log.file.size(), 4 * kWindow);  // the last window, zeros after the lines
                EXPECT_EQ(log.cuts, 0);
            }
            log.settle();
            EXPECT_EQ(log.cuts, 1);
            ASSERT_TRUE(log.write("after\r\n"));  // settled: plain, at the end
            expected += "after\r\n";
            file = log.file;
        }
        EXPECT_EQ(file, expected) << refused.size();
    }
}

TEST(MappedLogTest, OnlyTheZerosAtTheEndOfTheTailAreCut) {
    EXPECT_EQ(sizeWithoutTrailingZeros(100, std::string("ab\0\0", 4)), 98u);
    EXPECT_EQ(sizeWithoutTrailingZeros(100, std::string("a\0b", 3)), 100u);
    EXPECT_EQ(sizeWithoutTrailingZeros(3, std::string(3, '\0')), 0u);
    EXPECT_EQ(sizeWithoutTrailingZeros(0, ""), 0u);
}

}  // namespace
}  // namespace qbx
