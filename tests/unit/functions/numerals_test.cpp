// Numbers in Russian words, pinned by golden tables.
#include "functions/numerals/numerals.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "base/cp1251.h"
#include "core/strings.h"

namespace qbx::functions::numerals {
namespace {

// The tests write Russian in UTF-8; the words are code page 1251.
std::string cp(std::string_view utf8) { return utf8ToCp1251(utf8); }

constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();

struct CardinalRow {
    std::int64_t n;
    std::array<std::string_view, 5> byCase;  // nominative .. prepositional
};

void expectCardinal(const CardinalRow& row, int gender) {
    for (int c = 1; c <= 5; ++c)
        EXPECT_EQ(numberToWords(row.n, c, gender), cp(row.byCase[static_cast<std::size_t>(c - 1)]))
            << row.n << " case " << c << " gender " << gender;
}

const CardinalRow kMasculineRows[] = {
    {0, {"ноль", "нуля", "нулю", "нулём", "нуле"}},
    {1, {"один", "одного", "одному", "одним", "одном"}},
    {2, {"два", "двух", "двум", "двумя", "двух"}},
    {5, {"пять", "пяти", "пяти", "пятью", "пяти"}},
    {11, {"одиннадцать", "одиннадцати", "одиннадцати", "одиннадцатью", "одиннадцати"}},
    {21,
     {"двадцать один", "двадцати одного", "двадцати одному", "двадцатью одним", "двадцати одном"}},
    {90, {"девяносто", "девяноста", "девяноста", "девяноста", "девяноста"}},
    {100, {"сто", "ста", "ста", "стами", "ста"}},
    {101, {"сто один", "ста одного", "ста одному", "стами одним", "ста одном"}},
    {500, {"пятьсот", "пятисот", "пятистам", "пятьюстами", "пятистах"}},
    {400, {"четыреста", "четырёхсот", "четырёмстам", "четырьмястами", "четырёхстах"}},
    {1000, {"одна тысяча", "одной тысячи", "одной тысяче", "одной тысячей", "одной тысяче"}},
    {2000, {"две тысячи", "двух тысяч", "двум тысячам", "двумя тысячами", "двух тысячах"}},
    {5000, {"пять тысяч", "пяти тысяч", "пяти тысячам", "пятью тысячами", "пяти тысячах"}},
    {1000000,
     {"один миллион", "одного миллиона", "одному миллиону", "одним миллионом", "одном миллионе"}},
    {kMax,
     {"два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот сорок "
      "семь",
      "двух миллиардов ста сорока семи миллионов четырёхсот восьмидесяти трёх тысяч шестисот "
      "сорока семи",
      "двум миллиардам ста сорока семи миллионам четырёмстам восьмидесяти трём тысячам "
      "шестистам сорока семи",
      "двумя миллиардами стами сорока семью миллионами четырьмястами восемьюдесятью тремя "
      "тысячами шестьюстами сорока семью",
      "двух миллиардах ста сорока семи миллионах четырёхстах восьмидесяти трёх тысячах "
      "шестистах сорока семи"}},
    {kMin,
     {"минус два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
      "сорок восемь",
      "минус двух миллиардов ста сорока семи миллионов четырёхсот восьмидесяти трёх тысяч "
      "шестисот сорока восьми",
      "минус двум миллиардам ста сорока семи миллионам четырёмстам восьмидесяти трём тысячам "
      "шестистам сорока восьми",
      "минус двумя миллиардами стами сорока семью миллионами четырьмястами восемьюдесятью "
      "тремя тысячами шестьюстами сорока восемью",
      "минус двух миллиардах ста сорока семи миллионах четырёхстах восьмидесяти трёх тысячах "
      "шестистах сорока восьми"}},
};

const CardinalRow kFeminineRows[] = {
    {1, {"одна", "одной", "одной", "одной", "одной"}},
    {2, {"две", "двух", "двум", "двумя", "двух"}},
    {21,
     {"двадцать одна", "двадцати одной", "двадцати одной", "двадцатью одной", "двадцати одной"}},
    {101, {"сто одна", "ста одной", "ста одной", "стами одной", "ста одной"}},
};

TEST(Numerals, CardinalsByCaseAndGender) {
    for (const CardinalRow& row : kMasculineRows) expectCardinal(row, kMasculine);
    for (const CardinalRow& row : kFeminineRows) expectCardinal(row, kFeminine);
    // Gender touches only a last one or two; any gender other than 1 is feminine.
    for (const std::int64_t n :
         {std::int64_t{5}, std::int64_t{11}, std::int64_t{100}, std::int64_t{1000},
          std::int64_t{2000}, std::int64_t{1000000}, kMax, kMin})
        for (int c = 1; c <= 5; ++c) EXPECT_EQ(numberToWords(n, c, 4), numberToWords(n, c, 1));
    EXPECT_EQ(numberToWords(1, 7, kFeminine), cp("одна"));  // a case out of range is 1
}

// A group ending in 00 takes the word its count asks for, like any other group.
TEST(Numerals, GroupWordsFollowTheCount) {
    EXPECT_EQ(numberToWords(100000, 1, 1), cp("сто тысяч"));
    EXPECT_EQ(numberToWords(100000, 3, 1), cp("ста тысячам"));
    EXPECT_EQ(numberToWords(200000000, 1, 1), cp("двести миллионов"));
    EXPECT_EQ(numberToWords(111000, 1, 1), cp("сто одиннадцать тысяч"));
    EXPECT_EQ(numberToWords(21000, 1, 1), cp("двадцать одна тысяча"));
    EXPECT_EQ(numberToWords(22000, 2, 1), cp("двадцати двух тысяч"));
    EXPECT_EQ(numberToWords(1000001, 1, 1), cp("один миллион один"));
    EXPECT_EQ(numberToWords(1000000000000000LL, 1, 1), cp("один квадриллион"));
    // Beyond the last group word the digits stay.
    EXPECT_EQ(numberToWords(std::numeric_limits<std::int64_t>::min(), 1, 1),
              "-9223372036854775808");
    EXPECT_EQ(threeDigitsToWords(1234, 2, 1), cp("двухсот тридцати четырёх"));
    EXPECT_EQ(threeDigitsToWords(5000, 1, 1), cp("ноль"));
}

struct OrdinalGrid {
    std::int64_t n;
    // By gender (masculine, feminine, neuter, plural), then case.
    std::array<std::array<std::string_view, 5>, 4> words;
};

const OrdinalGrid kOrdinalGrids[] = {
    {1,
     {{{"первый", "первого", "первому", "первым", "первом"},
       {"первая", "первой", "первой", "первой", "первой"},
       {"первое", "первого", "первому", "первым", "первом"},
       {"первые", "первых", "первым", "первыми", "первых"}}}},
    {2,
     {{{"второй", "второго", "второму", "вторым", "втором"},
       {"вторая", "второй", "второй", "второй", "второй"},
       {"второе", "второго", "второму", "вторым", "втором"},
       {"вторые", "вторых", "вторым", "вторыми", "вторых"}}}},
    {3,
     {{{"третий", "третьего", "третьему", "третьим", "третьем"},
       {"третья", "третьей", "третьей", "третьей", "третьей"},
       {"третье", "третьего", "третьему", "третьим", "третьем"},
       {"третьи", "третьих", "третьим", "третьими", "третьих"}}}},
    {5,
     {{{"пятый", "пятого", "пятому", "пятым", "пятом"},
       {"пятая", "пятой", "пятой", "пятой", "пятой"},
       {"пятое", "пятого", "пятому", "пятым", "пятом"},
       {"пятые", "пятых", "пятым", "пятыми", "пятых"}}}},
    {11,
     {{{"одиннадцатый", "одиннадцатого", "одиннадцатому", "одиннадцатым", "одиннадцатом"},
       {"одиннадцатая", "одиннадцатой", "одиннадцатой", "одиннадцатой", "одиннадцатой"},
       {"одиннадцатое", "одиннадцатого", "одиннадцатому", "одиннадцатым", "одиннадцатом"},
       {"одиннадцатые", "одиннадцатых", "одиннадцатым", "одиннадцатыми", "одиннадцатых"}}}},
    {21,
     {{{"двадцать первый", "двадцать первого", "двадцать первому", "двадцать первым",
        "двадцать первом"},
       {"двадцать первая", "двадцать первой", "двадцать первой", "двадцать первой",
        "двадцать первой"},
       {"двадцать первое", "двадцать первого", "двадцать первому", "двадцать первым",
        "двадцать первом"},
       {"двадцать первые", "двадцать первых", "двадцать первым", "двадцать первыми",
        "двадцать первых"}}}},
    {100,
     {{{"сотый", "сотого", "сотому", "сотым", "сотом"},
       {"сотая", "сотой", "сотой", "сотой", "сотой"},
       {"сотое", "сотого", "сотому", "сотым", "сотом"},
       {"сотые", "сотых", "сотым", "сотыми", "сотых"}}}},
    {101,
     {{{"сто первый", "сто первого", "сто первому", "сто первым", "сто первом"},
       {"сто первая", "сто первой", "сто первой", "сто первой", "сто первой"},
       {"сто первое", "сто первого", "сто первому", "сто первым", "сто первом"},
       {"сто первые", "сто первых", "сто первым", "сто первыми", "сто первых"}}}},
    {kMax,
     {{{"два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмой",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмого",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмому",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмым",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмом"},
       {"два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмая",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмой",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмой",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмой",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмой"},
       {"два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмое",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмого",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмому",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмым",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмом"},
       {"два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмые",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмых",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмым",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмыми",
        "два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи шестьсот "
        "сорок седьмых"}}}},
};

TEST(Numerals, OrdinalsByCaseAndGender) {
    for (const OrdinalGrid& grid : kOrdinalGrids)
        for (int g = 1; g <= 4; ++g)
            for (int c = 1; c <= 5; ++c)
                EXPECT_EQ(numberToOrdinalWords(grid.n, c, g),
                          cp(grid.words[static_cast<std::size_t>(g - 1)]
                                       [static_cast<std::size_t>(c - 1)]))
                    << grid.n << " case " << c << " gender " << g;
    EXPECT_EQ(numberToOrdinalWords(1, 1, 9), cp("первые"));  // any other gender is plural
    EXPECT_EQ(numberToOrdinalWords(kMin, 2, 1),
              cp("минус два миллиарда сто сорок семь миллионов четыреста восемьдесят три "
                 "тысячи шестьсот сорок восьмого"));
}

// Round thousands are written as their cardinal, whatever the case and gender asked.
TEST(Numerals, OrdinalsOfRoundThousandsAndTheirNeighbours) {
    const std::pair<std::int64_t, std::string_view> round[] = {
        {1000, "одна тысяча"},     {2000, "две тысячи"},  {5000, "пять тысяч"},
        {1000000, "один миллион"}, {100000, "сто тысяч"}, {200000000, "двести миллионов"}};
    for (const auto& [n, words] : round)
        for (int g = 1; g <= 4; ++g)
            for (int c = 1; c <= 5; ++c) EXPECT_EQ(numberToOrdinalWords(n, c, g), cp(words)) << n;
    EXPECT_EQ(numberToOrdinalWords(0, 1, 1), "");
    EXPECT_EQ(numberToOrdinalWords(200, 1, 1), cp("двухсотый"));
    EXPECT_EQ(numberToOrdinalWords(40, 2, 1), cp("сорокового"));
    EXPECT_EQ(numberToOrdinalWords(120, 1, 2), cp("сто двадцатая"));
    EXPECT_EQ(numberToOrdinalWords(999, 1, 1), cp("девятьсот девяносто девятый"));
    EXPECT_EQ(numberToOrdinalWords(1001, 1, 1), cp("одна тысяча первый"));
    EXPECT_EQ(numberToOrdinalWords(2005, 1, 1), cp("две тысячи пятый"));
    EXPECT_EQ(numberToOrdinalWords(100005, 3, 3), cp("сто тысяч пятому"));
    EXPECT_EQ(ordinalBelow1000(0, 1, 1), cp("нулевой"));
    EXPECT_EQ(ordinalBelow1000(3000, 1, 1), cp("нулевой"));
}

TEST(Numerals, NounFormAfterACount) {
    for (const std::int64_t n : {1, 21, 101, 1001})
        EXPECT_EQ(pluralForm(1, n), (NounForm{1, false})) << n;
    for (const std::int64_t n : {2, 3, 4, 22, 24, 102})
        EXPECT_EQ(pluralForm(1, n), (NounForm{2, false})) << n;
    for (const std::int64_t n : {0, 5, 10, 11, 14, 19, 20, 100, 111, 112, 114})
        EXPECT_EQ(pluralForm(1, n), (NounForm{2, true})) << n;
    EXPECT_EQ(pluralForm(3, 1), (NounForm{3, false}));
    EXPECT_EQ(pluralForm(3, 21), (NounForm{3, false}));
    EXPECT_EQ(pluralForm(3, 11), (NounForm{3, true}));
    EXPECT_EQ(pluralForm(5, 111), (NounForm{5, true}));
    EXPECT_EQ(pluralForm(4, 2), (NounForm{4, true}));
    EXPECT_EQ(pluralForm(0, 2), (NounForm{2, false}));  // an unknown case is the nominative
    EXPECT_EQ(pluralForm(1, -21), (NounForm{1, false}));
}

TEST(Numerals, ByteCounts) {
    EXPECT_EQ(bytesToWords(2, 1, 2048), cp("два килобайта"));
    EXPECT_EQ(bytesToWords(1, 1, 1), cp("один байт"));
    EXPECT_EQ(bytesToWords(1, 1, 2), cp("два байта"));
    EXPECT_EQ(bytesToWords(1, 1, 5), cp("пять байт"));
    EXPECT_EQ(bytesToWords(1, 2, 5), cp("пяти байт"));
    EXPECT_EQ(bytesToWords(1, 3, 21), cp("двадцати одному байту"));
    EXPECT_EQ(bytesToWords(1, 5, 2), cp("двух байтах"));
    EXPECT_EQ(bytesToWords(3, 4, 3 << 20), cp("тремя мегабайтами"));
    EXPECT_EQ(bytesToWords(4, 1, 3LL << 30), cp("три гигабайта"));
    EXPECT_EQ(bytesToWords(2, 1, 2047), cp("один килобайт"));  // no rounding
    // The terabyte shift is 40 bits: a 32-bit count holds no whole terabyte.
    EXPECT_EQ(bytesToWords(5, 1, kMax), cp("ноль терабайт"));
    EXPECT_EQ(bytesToWords(5, 1, 5LL << 40), cp("пять терабайт"));
    // Unit and case out of range are bytes and the nominative.
    EXPECT_EQ(bytesToWords(9, 0, 1024), cp("одна тысяча двадцать четыре байта"));
    EXPECT_EQ(bytesToWords(2, 1, -2048), cp("минус два килобайта"));
}

class Durations : public ::testing::Test {
protected:
    Durations() { strings.reset(); }
    std::string words(std::int64_t s) { return secondsToText(1, DurationStyle::Words, s, strings); }
    std::string shortUnits(std::int64_t s) {
        return secondsToText(1, DurationStyle::ShortUnits, s, strings);
    }
    StringTable strings;
};

constexpr std::int64_t kDay = 86400;

TEST_F(Durations, WordsAtUnitBorders) {
    const std::pair<std::int64_t, std::string_view> cases[] = {
        {0, "ноль"},
        {1, "одна секунда"},
        {59, "пятьдесят девять секунд"},
        {60, "одна минута"},
        {120, "две минуты"},
        {3599, "пятьдесят девять минут пятьдесят девять секунд"},
        {3600, "один час"},
        {3661, "один час одна минута одна секунда"},
        {kDay - 1, "двадцать три часа пятьдесят девять минут пятьдесят девять секунд"},
        {kDay, "один день"},
        {29 * kDay, "двадцать девять дней"},
        {30 * kDay, "один месяц"},
        {359 * kDay, "одиннадцать месяцев двадцать девять дней"},
        {360 * kDay, "двенадцать месяцев"},
        {364 * kDay, "двенадцать месяцев четыре дня"},
        {365 * kDay, "один год"},
        {730 * kDay, "два года"},
        {5 * 365 * kDay, "пять лет"},
        // A part that is 0 between two others leaves its blank.
        {3601, "один час  одна секунда"},
        {366 * kDay, "один год  один день"},
        {-60, "минус одна минута"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(words(seconds), cp(text)) << seconds;
}

TEST_F(Durations, ShortUnitsFromTheStringTable) {
    EXPECT_EQ(shortUnits(0), "0 sec");
    EXPECT_EQ(shortUnits(90061), "1 d 1 h 1 min 1 sec");
    EXPECT_EQ(shortUnits(400 * kDay + 7200), "1 y 1 mth 5 d 2 h");
    EXPECT_EQ(shortUnits(-61), "-1 min 1 sec");
    strings.set(44, "s");
    EXPECT_EQ(shortUnits(5), "5 s");
}

TEST_F(Durations, OnePartInEachCase) {
    EXPECT_EQ(durationPartText(2, 7, DurationStyle::Words, 5, strings), cp("пяти лет"));
    EXPECT_EQ(durationPartText(5, 6, DurationStyle::Words, 5, strings), cp("пяти месяцах"));
    EXPECT_EQ(durationPartText(4, 5, DurationStyle::Words, 1, strings), cp("одним днём"));
    EXPECT_EQ(durationPartText(1, 1, DurationStyle::Words, 2, strings), cp("две миллисекунды"));
    EXPECT_EQ(durationPartText(1, 4, DurationStyle::Words, 0, strings), "");
    EXPECT_EQ(durationPartText(1, 8, DurationStyle::Words, 3, strings), "");
}

TEST(Numerals, NumbersOfATextReplacedByWords) {
    auto replaced = [](std::string_view text, std::string_view cases, std::string_view genders) {
        return replaceNumbersByWords(cp(text), cp(cases), cp(genders), 1000).text;
    };
    EXPECT_EQ(replaced("у меня 2 кота", "И", "m"), cp("у меня два кота"));
    // Letters go with the numbers in order; case letters in either case.
    EXPECT_EQ(replaced("1 и 2 и 3", "ир", "дM"), cp("одна и второго и три"));
    EXPECT_EQ(replaced("21 21 21 21", "", "fЖСН"),
              cp("двадцать одна двадцать первая двадцать первое двадцать первые"));
    EXPECT_EQ(replaced("2 2 2", "TTx", "2м"), cp("двумя двумя два"));
    EXPECT_EQ(replaced("a-5,007b", "", ""), cp("a-пять,семьb"));
    EXPECT_EQ(replaced("  5  ", "", ""), cp("пять"));
    EXPECT_EQ(replaced("no numbers", "", ""), "no numbers");
    EXPECT_EQ(replaced("", "", ""), "");
    // A number too large for 32 bits stays in digits and still takes its letter.
    EXPECT_EQ(replaced("2147483647 2147483648 1", "", "mmf"),
              cp("два миллиарда сто сорок семь миллионов четыреста восемьдесят три тысячи "
                 "шестьсот сорок семь 2147483648 одна"));
    const BoundedText cut = replaceNumbersByWords("1 1 1 1 1", "", "", 10);
    EXPECT_TRUE(cut.cut);
    EXPECT_EQ(cut.text, cp("один один"));
}

}  // namespace
}  // namespace qbx::functions::numerals
