// The statistics counter macros, called as the host calls them: the letters they read, the
// period against the clock, the locale's decimal separator and the session times.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "base/datetime.h"
#include "support/macro_fixture.h"
#include "support/period_start.h"

namespace qbx::functions::counters {
namespace {

using Args = std::vector<std::string>;

class CountersMacros : public test::MacroFixture {
protected:
    // The statistics period starts this many seconds before the fake clock's now.
    void periodStartedSecondsAgo(double seconds) {
        setPeriodStart(decodeDateTime(fake.clock.dateTime - seconds / 86400.0));
    }
    void setPeriodStart(const DateTimeFields& f) { test::setPeriodStart(plugin.settings, f); }
};

struct CommaLocale : test::FakeLocale {
    char decimalSeparator() override { return ','; }
};

TEST_F(CountersMacros, SizesReadTheirAmountAndUnitLetters) {
    Settings& s = plugin.settings;
    s.headerBytes = 300;
    s.bodyBytes = 600;
    // Total size, then the arguments; a missing unit letter reads as a blank.
    const std::vector<std::tuple<std::int64_t, Args, std::string>> cases = {
        {1536, {"T", "A"}, "1.5 Kb"}, {1536, {"T", "K"}, "2 Kb"}, {1536, {"T"}, "1536 b"},
        {1536, {"Q", "X"}, "0 b"},    {1000, {"H", "B"}, "300"},  {1000, {"B", "B"}, "600"},
        {1000, {"A", "B"}, "100"},    {1000, {"t", "B"}, "0"}};
    for (const auto& [total, args, expected] : cases) {
        s.totalBytes = total;
        EXPECT_EQ(run("STATS", args), expected) << total << " " << args[0];
    }
    CommaLocale comma;
    plugin.platform.locale = &comma;
    s.totalBytes = 1536;
    EXPECT_EQ(run("STATS", {"T", "A"}), "1,5 Kb");
}

TEST_F(CountersMacros, TrafficPerTimeUnit) {
    plugin.settings.totalBytes = 7200;
    periodStartedSecondsAgo(3600);
    const std::vector<std::pair<std::string, std::string>> perUnit = {
        {"H", "7200"},   {"S", "2"},       {"X", "2"},        {"M", "120"},
        {"D", "172800"}, {"W", "1209600"}, {"Y", "441806400"}};
    for (const auto& [unit, expected] : perUnit)
        EXPECT_EQ(run("STATTRAFFIC", {"T", "B", unit}), expected) << unit;
    EXPECT_EQ(run("STATTRAFFIC", {"T", "K", "H"}), "7 Kb");
    periodStartedSecondsAgo(0);  // in the first second there is no rate
    EXPECT_EQ(run("STATTRAFFIC", {"T", "B", "S"}), "n/a");
}

TEST_F(CountersMacros, PeriodLengthAgainstTheClock) {
    // A start in the future: the distance counts.
    const std::vector<std::tuple<double, std::string, std::string>> cases = {
        {3725, "STATTIMES", "3725"},
        {3725, "STATTIME", "01 h 02 min 05 sec"},
        {-30, "STATTIMES", "30"}};
    for (const auto& [ago, macro, expected] : cases) {
        periodStartedSecondsAgo(ago);
        EXPECT_EQ(run(macro), expected) << ago;
    }
    // A start that makes no date counts as now.
    setPeriodStart({2023, 2, 29, 0, 0, 0, 0});
    EXPECT_EQ(run("STATTIMES"), "0");
    EXPECT_EQ(run("STATTIME"), "0 sec");
    setPeriodStart({2024, 2, 29, 12, 0, 0, 0});  // a leap day is a date
    EXPECT_NE(run("STATTIMES"), "0");
}

TEST_F(CountersMacros, CountersMeanAndSessions) {
    Settings& s = plugin.settings;
    s.startCount = 5'000'000'000;
    s.endCount = 7;
    EXPECT_EQ(run("STATSTARTCOUNT"), "5000000000");
    EXPECT_EQ(run("STATENDCOUNT"), "7");
    s.messagesCounted = 0;
    EXPECT_EQ(run("STATMS", {"T", "B"}), "n/a");
    s.messagesCounted = 4;
    EXPECT_EQ(run("STATCOUNT"), "4");
    s.totalBytes = 10;
    EXPECT_EQ(run("STATMS", {"T", "B"}), "2");  // 2.5 to the even 2
    EXPECT_EQ(run("STATMS", {"T", "A"}), "2 b");
    plugin.startTime = fake.clock.dateTime - 90.0 / 86400.0;
    s.totalSessionSeconds = 10;
    EXPECT_EQ(run("STATSESSIONTIME"), "90");
    EXPECT_EQ(run("STATSESSIONTOTALTIME"), "100");
    s.endCount = 40;  // 2.5 to the even 2
    EXPECT_EQ(run("STATSESSIONMEANTIME"), "2");
    s.totalSessionSeconds = 50;  // 140 / 40 = 3.5 to the even 4
    EXPECT_EQ(run("STATSESSIONMEANTIME"), "4");
    s.endCount = 0;
    EXPECT_EQ(run("STATSESSIONMEANTIME"), "0");
}

}  // namespace
}  // namespace qbx::functions::counters
