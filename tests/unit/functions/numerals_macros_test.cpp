// The numeral macros, called as the host calls them.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "support/macro_fixture.h"

namespace qbx::functions::numerals {
namespace {

std::string cp(std::string_view utf8) { return utf8ToCp1251(utf8); }

class NumeralsMacros : public test::MacroFixture {};

TEST_F(NumeralsMacros, Cardinals) {
    EXPECT_EQ(run("ZVXNUMTOSTR", {"21", cp("И"), "m"}), cp("двадцать один"));
    EXPECT_EQ(run("ZVXNUMTOSTR", {"2", cp("Р"), cp("Ж")}), cp("двух"));
    // The case letter is upper-cased, the two-value gender letter is not: only "F" and "Ж"
    // are feminine.
    EXPECT_EQ(run("ZVXNUMTOSTR", {"2", "i", cp("Ж")}), cp("две"));
    EXPECT_EQ(run("ZVXNUMTOSTR", {"2", "i", cp("ж")}), cp("два"));
    EXPECT_EQ(run("ZVXNUMTOSTR", {"1", "I", "f"}), cp("один"));
    EXPECT_EQ(run("ZVXNUMTOSTR", {"1", "I", "F"}), cp("одна"));
    EXPECT_EQ(run("ZVXNUMTOSTR", {"1000", cp("И")}), cp("одна тысяча"));
    EXPECT_EQ(run("ZVXNUMTOSTR", {"2000"}), cp("две тысячи"));
    EXPECT_EQ(run("ZVXNUMTOSTR", {"5000", "T"}), cp("пятью тысячами"));
    EXPECT_EQ(run("ZVXNUMTOSTR", {"100"}), cp("сто"));
    EXPECT_EQ(run("ZVXNUMTOSTR", {"0"}), cp("ноль"));
    EXPECT_EQ(run("ZVXNUMTOSTR"), cp("ноль"));
    EXPECT_EQ(run("ZVXNUMTOSTR", {"-3", "D", "F"}), cp("минус трём"));
}

// Two rows answer the ordinal under one result: the four-value gender letter is stored last.
TEST_F(NumeralsMacros, OrdinalsAnswerTwice) {
    EXPECT_EQ(run("ZVXNUMTOSTRA", {"1", cp("И"), cp("Ж")}), cp("первая"));
    EXPECT_EQ(run("ZVXNUMTOSTRA", {"21"}), cp("двадцать первый"));
    EXPECT_EQ(run("ZVXNUMTOSTRA", {"200"}), cp("двухсотый"));
    EXPECT_EQ(run("ZVXNUMTOSTRA", {"2005"}), cp("две тысячи пятый"));
    EXPECT_EQ(run("ZVXNUMTOSTRA", {"0"}), "");
    EXPECT_EQ(run("ZVXNUMTOSTRA", {"3", "P", cp("с")}), cp("третьем"));
    ASSERT_EQ(data.stores.size(), 2u);
    EXPECT_EQ(data.stores[0].second, cp("третьем"));  // two-value: masculine
    EXPECT_EQ(data.stores[1].second, cp("третьем"));  // neuter, the same in this case
    // The four-value letter is upper-cased, the two-value one of the first answer is not.
    EXPECT_EQ(run("ZVXNUMTOSTRA", {"1", "I", "f"}), cp("первая"));
    ASSERT_EQ(data.stores.size(), 2u);
    EXPECT_EQ(data.stores[0].second, cp("первый"));
    EXPECT_EQ(run("ZVXNUMTOSTRA", {"3", "I", "P"}), cp("третьи"));
    ASSERT_EQ(data.stores.size(), 2u);
    EXPECT_EQ(data.stores[0].first, data.stores[1].first);
    EXPECT_EQ(data.stores[0].second, cp("третий"));
}

TEST_F(NumeralsMacros, ByteCounts) {
    EXPECT_EQ(run("ZVXBYTESTOSTRRUS", {cp("И"), "K", "2048"}), cp("два килобайта"));
    EXPECT_EQ(run("ZVXBYTESTOSTRRUS", {"R", "M", "5242880"}), cp("пяти мегабайт"));
    // The unit letter is a capital or nothing.
    EXPECT_EQ(run("ZVXBYTESTOSTRRUS", {"I", "k", "5"}), cp("пять байт"));
    EXPECT_EQ(run("ZVXBYTESTOSTRRUS", {"", "T", "2147483647"}), cp("ноль терабайт"));
    EXPECT_EQ(run("ZVXBYTESTOSTRRUS"), cp("ноль байт"));
}

TEST_F(NumeralsMacros, Durations) {
    EXPECT_EQ(run("ZVXSECSTOSTRRUS", {"3", "3661"}), cp("один час одна минута одна секунда"));
    EXPECT_EQ(run("ZVXSECSTOSTRRUS", {"2", "90061"}), "1 d 1 h 1 min 1 sec");
    EXPECT_EQ(run("ZVXSECSTOSTRRUS", {"l", "0"}), cp("ноль"));
    EXPECT_EQ(run("ZVXSECSTOSTRRUS", {"s", "0"}), "0 sec");
    EXPECT_EQ(run("ZVXSECSTOSTRRUS", {"", "3661", "U"}), "3661 sec");
    EXPECT_EQ(run("ZVXSECSTOSTRRUS", {"H", "7200"}), "2");
}

TEST_F(NumeralsMacros, NumbersOfAText) {
    EXPECT_EQ(run("ZVXREPLACENUM", {cp("у меня 2 кота"), cp("И"), "m"}), cp("у меня два кота"));
    EXPECT_EQ(run("ZVXREPLACENUM", {cp("в 3 классе"), "p", "M"}), cp("в третьем классе"));
    EXPECT_EQ(run("ZVXREPLACENUM"), "");
    EXPECT_FALSE(logged("@@ ZVXREPLACENUM"));
}

}  // namespace
}  // namespace qbx::functions::numerals
