// The texts of the statistics counters, without a module context.
#include "functions/counters/counter_texts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "base/datetime.h"
#include "core/settings.h"
#include "core/strings.h"
#include "support/period_start.h"

namespace qbx::functions::counters {
namespace {

StringTable builtInStrings() {
    StringTable strings;
    strings.reset();
    return strings;
}

Settings periodStartingAt(const DateTimeFields& f) {
    Settings s;
    test::setPeriodStart(s, f);
    return s;
}

TEST(CounterTexts, SizesInEveryUnit) {
    const StringTable strings = builtInStrings();
    // Halves round to even; "A" divides only above 1024 and stops at terabytes.
    const std::vector<std::tuple<double, char, std::string>> cases = {
        {1536, 'A', "1.5 Kb"},       {1536, 'K', "2 Kb"},
        {1536, 'B', "1536"},         {1536, 'b', "1536"},
        {1536, 'X', "1536 b"},       {1536, ' ', "1536 b"},
        {2560, 'K', "2 Kb"},         {3584, 'K', "4 Kb"},
        {1024, 'A', "1024 b"},       {5ll << 30, 'G', "5 Gb"},
        {5ll << 30, 'M', "5120 Mb"}, {static_cast<double>(1ll << 62), 'A', "4194304.0 Tb"},
        {3ll << 40, 'A', "3.0 Tb"}};
    for (const auto& [bytes, unit, expected] : cases)
        EXPECT_EQ(sizeText(bytes, unit, strings, '.'), expected) << bytes << " " << unit;
    EXPECT_EQ(sizeText(1536, 'A', strings, ','), "1,5 Kb");
}

TEST(CounterTexts, AmountLettersAreExactCase) {
    Settings s;
    s.totalBytes = 1000;
    s.headerBytes = 300;
    s.bodyBytes = 600;
    const std::vector<std::pair<char, double>> cases = {{'T', 1000}, {'H', 300}, {'B', 600},
                                                        {'A', 100},  {'t', 0},   {'Q', 0}};
    for (const auto& [which, expected] : cases)
        EXPECT_EQ(trafficAmount(s, which), expected) << which;
}

TEST(CounterTexts, PeriodTextLeavesOutTheZeroParts) {
    const StringTable strings = builtInStrings();
    const std::vector<std::pair<std::int64_t, std::string>> cases = {
        {3725, "01 h 02 min 05 sec"},
        {0, "0 sec"},
        {60, "01 min "},
        {90061, "1 d 01 h 01 min 01 sec"}};
    for (const auto& [seconds, expected] : cases)
        EXPECT_EQ(periodText(seconds, strings), expected) << seconds;
}

TEST(CounterTexts, PeriodStartOnlyFromFieldsThatMakeADate) {
    for (const DateTimeFields& f : std::vector<DateTimeFields>{{0, 0, 0, 0, 0, 0, 0},
                                                               {2023, 13, 1, 0, 0, 0, 0},
                                                               {2023, 2, 29, 0, 0, 0, 0},
                                                               {2023, 3, 15, 24, 0, 0, 0},
                                                               {2023, 3, 15, 12, 60, 0, 0},
                                                               {2023, 3, 15, 12, 0, 0, 1000}})
        EXPECT_FALSE(periodStart(periodStartingAt(f))) << f.year << "-" << f.month << "-" << f.day;
    const DateTimeFields leapDay{2024, 2, 29, 12, 0, 0, 0};
    EXPECT_EQ(periodStart(periodStartingAt(leapDay)), encodeDateTime(leapDay));
}

TEST(CounterTexts, WholeNumbersRoundHalvesToEven) {
    const double infinity = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<double, std::string>> cases = {
        {2.5, "2"},
        {3.5, "4"},
        {2.51, "3"},
        {-2.5, "-2"},
        {-0.4, "0"},
        {infinity, "0"},
        {std::numeric_limits<double>::quiet_NaN(), "0"}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(wholeText(value), expected) << value;
}

}  // namespace
}  // namespace qbx::functions::counters
