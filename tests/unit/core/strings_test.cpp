#include "core/strings.h"

#include <gtest/gtest.h>

namespace qbx {
namespace {

class StringsTest : public ::testing::Test {
protected:
    void SetUp() override { table.reset(); }
    StringTable table;
};

TEST_F(StringsTest, DefaultsInCodePage1251AndEntriesWithARoleOfTheirOwn) {
    const std::pair<int, const char*> texts[] = {
        {9, "\xEF\xE8\xF2\xE0\xED\xE8\xE5 \xEE\xF2 \xF1\xE5\xF2\xE8"},  // питание от сети
        {20,
         "\xF0\xE0\xE1\xEE\xF7\xE8\xE9 \xE4\xE5\xED\xFC \xE5\xF9\xB8 "
         "\xED\xE5 \xED\xE0\xF7\xE0\xEB\xF1\xFF"},  // рабочий день ещё не начался
        {37, "<\xED\xE5\xE8\xE7\xE2\xE5\xF1\xF2\xED\xEE>"},  // <неизвестно>
        {114,
         "\xCC\xFB\xF8\xFC \xEF\xF0\xEE\xE5\xF5\xE0\xEB\xE0 "
         "\xEF\xE8\xEA\xF1\xE5\xEB\xE5\xE9: "},  // trailing blank kept
        {1, "status unknown"},
        {44, "sec"},
        {49, "y"},
        {80, "b"},
        {84, "Tb"},
        {120, "There's following langfiles found in %s:"},
        {199, "english (built-in)"},
        {200, "Quilbex team"},
        {430, "Unsupported scripting language"}};
    for (const auto& [n, text] : texts) EXPECT_EQ(table[n], text) << n;
    EXPECT_EQ(table[350].substr(0, 20), "Bugreport was create");
    for (int n = 1; n <= StringTable::kCount; ++n)
        EXPECT_EQ(table[n].find('?'), std::string::npos) << "entry " << n << " lost a character";
}

TEST_F(StringsTest, OutOfRangeIndexesAreInertAndResetRestoresDefaults) {
    for (int n : {0, 501, -3}) table.set(n, "outside");
    for (int n : {0, 501, -3, 1 << 30}) EXPECT_EQ(table[n], "") << n;
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
