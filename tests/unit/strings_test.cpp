#include "core/strings.h"

#include <gtest/gtest.h>

namespace qbx {
namespace {

class StringsTest : public ::testing::Test {
protected:
    void SetUp() override { table.reset(); }
    StringTable table;
};

TEST_F(StringsTest, RussianTextsAreCodePage1251Bytes) {
    EXPECT_EQ(table[9], "\xEF\xE8\xF2\xE0\xED\xE8\xE5 \xEE\xF2 \xF1\xE5\xF2\xE8");  // питание от сети
    EXPECT_EQ(table[20], "\xF0\xE0\xE1\xEE\xF7\xE8\xE9 \xE4\xE5\xED\xFC \xE5\xF9\xB8 "
                         "\xED\xE5 \xED\xE0\xF7\xE0\xEB\xF1\xFF");  // рабочий день ещё не начался
    EXPECT_EQ(table[37], "<\xED\xE5\xE8\xE7\xE2\xE5\xF1\xF2\xED\xEE>");  // <неизвестно>
    EXPECT_EQ(table[114], "\xCC\xFB\xF8\xFC \xEF\xF0\xEE\xE5\xF5\xE0\xEB\xE0 "
                          "\xEF\xE8\xEA\xF1\xE5\xEB\xE5\xE9: ");  // trailing blank kept
    for (int n = 1; n <= StringTable::kCount; ++n)
        EXPECT_EQ(table[n].find('?'), std::string::npos) << "entry " << n << " lost a character";
}

TEST_F(StringsTest, EnglishTextsAndEntriesWithARoleOfTheirOwn) {
    EXPECT_EQ(table[1], "status unknown");
    EXPECT_EQ(table[40], "n/a");
    EXPECT_EQ(table[44], "sec");
    EXPECT_EQ(table[49], "y");
    EXPECT_EQ(table[80], "b");
    EXPECT_EQ(table[84], "Tb");
    EXPECT_EQ(table[120], "There's following langfiles found in %s:");
    EXPECT_EQ(table[192], "Setup");
    EXPECT_EQ(table[199], "english (built-in)");
    EXPECT_EQ(table[200], "Quilbex team");
    EXPECT_EQ(table[229], "Run ZVX viewer");
    EXPECT_EQ(table[285], "Statistics search");
    EXPECT_EQ(table[350].substr(0, 20), "Bugreport was create");
    EXPECT_EQ(table[430], "Unsupported scripting language");
}

TEST_F(StringsTest, EntriesWithoutADefaultAreEmpty) {
    const std::pair<int, int> emptyRanges[] = {
        {137, 137}, {172, 176}, {198, 198}, {201, 228}, {251, 259}, {268, 279}, {287, 287},
        {293, 299}, {322, 349}, {351, 399}, {407, 409}, {414, 429}, {431, 500}};
    int empty = 0;
    for (auto [first, last] : emptyRanges)
        for (int n = first; n <= last; ++n) {
            EXPECT_TRUE(table[n].empty()) << "entry " << n;
            ++empty;
        }
    int filled = 0;
    for (int n = 1; n <= StringTable::kCount; ++n)
        if (!table[n].empty()) ++filled;
    EXPECT_EQ(filled + empty, StringTable::kCount);
}

TEST_F(StringsTest, IndexesOutsideTheTableReadEmptyAndAreNotWritten) {
    table.set(0, "zero");
    table.set(501, "past");
    table.set(-3, "negative");
    EXPECT_EQ(table[0], "");
    EXPECT_EQ(table[501], "");
    EXPECT_EQ(table[-3], "");
    EXPECT_EQ(table[1 << 30], "");
}

TEST_F(StringsTest, ResetRestoresDefaultsAndEmptiesTheRest) {
    table.set(40, "nothing");
    table.set(137, "extra");
    table.set(500, "last");
    table.reset();
    EXPECT_EQ(table[40], "n/a");
    EXPECT_EQ(table[137], "");
    EXPECT_EQ(table[500], "");

    const StringTable fresh;
    for (int n = 1; n <= StringTable::kCount; ++n) EXPECT_TRUE(fresh[n].empty());
}

}  // namespace
}  // namespace qbx
