// The macros the dispatcher answers itself, called as the host calls them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/datetime.h"
#include "base/text.h"
#include "macro_fixture.h"
#include "macros/arguments.h"
#include "macros/own_macros.h"

namespace qbx::macros {
namespace {

using namespace std::string_literals;
using Args = std::vector<std::string>;

class OwnMacros : public test::MacroFixture {
protected:
    // The statistics period starts this many seconds before the fake clock's now.
    void periodStartedSecondsAgo(double seconds) {
        setPeriodStart(decodeDateTime(fake.clock.dateTime - seconds / 86400.0));
    }
    void setPeriodStart(const DateTimeFields& f) {
        Settings& s = plugin.settings;
        const auto u16 = [](int v) { return static_cast<std::uint16_t>(v); };
        s.stYear = u16(f.year), s.stMonth = u16(f.month), s.stDay = u16(f.day);
        s.stHour = u16(f.hour), s.stMin = u16(f.minute), s.stSec = u16(f.second);
        s.stMsec = u16(f.millisecond);
    }
};

struct CommaLocale : test::FakeLocale {
    char decimalSeparator() override { return ','; }
};

TEST_F(OwnMacros, SizesInEveryUnitAndAmount) {
    Settings& s = plugin.settings;
    s.stHeaderSize = 300;
    s.stTextSize = 600;
    // Total size, then the arguments. Halves round to even; no division at exactly 1024.
    const std::vector<std::tuple<std::int64_t, Args, std::string>> cases = {
        {1536, {"T", "A"}, "1.5 Kb"}, {1536, {"T", "K"}, "2 Kb"}, {1536, {"T", "B"}, "1536"},
        {1536, {"T", "b"}, "1536"}, {1536, {"T", "X"}, "1536 b"}, {1536, {"T"}, "1536 b"},
        {1536, {"Q", "X"}, "0 b"}, {2560, {"T", "K"}, "2 Kb"}, {3584, {"T", "K"}, "4 Kb"},
        {1024, {"T", "A"}, "1024 b"}, {5ll << 30, {"T", "G"}, "5 Gb"},
        {5ll << 30, {"T", "M"}, "5120 Mb"}, {1ll << 62, {"T", "A"}, "4194304.0 Tb"},
        {3ll << 40, {"T", "A"}, "3.0 Tb"}, {1000, {"H", "B"}, "300"}, {1000, {"B", "B"}, "600"},
        {1000, {"A", "B"}, "100"}, {1000, {"t", "B"}, "0"}};  // amount letters: exact case only
    for (const auto& [total, args, expected] : cases) {
        s.stTotalSize = total;
        EXPECT_EQ(run("STATS", args), expected) << total << " " << args[0];
    }
    CommaLocale comma;
    plugin.platform.locale = &comma;
    s.stTotalSize = 1536;
    EXPECT_EQ(run("STATS", {"T", "A"}), "1,5 Kb");
}

TEST_F(OwnMacros, TrafficPerTimeUnit) {
    plugin.settings.stTotalSize = 7200;
    periodStartedSecondsAgo(3600);
    const std::vector<std::pair<std::string, std::string>> perUnit = {
        {"H", "7200"},     {"S", "2"},          {"X", "2"},          {"M", "120"},
        {"D", "172800"},   {"W", "1209600"},    {"Y", "441806400"}};
    for (const auto& [unit, expected] : perUnit)
        EXPECT_EQ(run("STATTRAFFIC", {"T", "B", unit}), expected) << unit;
    EXPECT_EQ(run("STATTRAFFIC", {"T", "K", "H"}), "7 Kb");
    periodStartedSecondsAgo(0);  // in the first second there is no rate
    EXPECT_EQ(run("STATTRAFFIC", {"T", "B", "S"}), "n/a");
}

TEST_F(OwnMacros, PeriodLengthAndItsText) {
    // A start in the future: the distance counts.
    const std::vector<std::tuple<double, std::string, std::string>> cases = {
        {3725, "STATTIMES", "3725"}, {3725, "STATTIME", "01 h 02 min 05 sec"},
        {0, "STATTIME", "0 sec"},    {60, "STATTIME", "01 min "},
        {90061, "STATTIME", "1 d 01 h 01 min 01 sec"}, {-30, "STATTIMES", "30"}};
    for (const auto& [ago, macro, expected] : cases) {
        periodStartedSecondsAgo(ago);
        EXPECT_EQ(run(macro), expected) << ago;
    }
    // Starts that make no date count as now.
    for (const DateTimeFields& f : std::vector<DateTimeFields>{
             {0, 0, 0, 0, 0, 0, 0}, {2023, 13, 1, 0, 0, 0, 0}, {2023, 2, 29, 0, 0, 0, 0},
             {2023, 3, 15, 24, 0, 0, 0}, {2023, 3, 15, 12, 60, 0, 0},
             {2023, 3, 15, 12, 0, 0, 1000}}) {
        setPeriodStart(f);
        EXPECT_EQ(run("STATTIMES"), "0") << f.year << "-" << f.month << "-" << f.day;
    }
    setPeriodStart({2024, 2, 29, 12, 0, 0, 0});  // a leap day is a date
    EXPECT_NE(run("STATTIMES"), "0");
}

TEST_F(OwnMacros, CountersMeanAndSessions) {
    Settings& s = plugin.settings;
    s.stStartCount = 5'000'000'000;
    s.stEndCount = 7;
    EXPECT_EQ(run("STATSTARTCOUNT"), "5000000000");
    EXPECT_EQ(run("STATENDCOUNT"), "7");
    s.stLetterCount = 0;
    EXPECT_EQ(run("STATMS", {"T", "B"}), "n/a");
    s.stLetterCount = 4;
    s.stTotalSize = 10;
    EXPECT_EQ(run("STATMS", {"T", "B"}), "2");  // 2.5 to the even 2
    EXPECT_EQ(run("STATMS", {"T", "A"}), "2 b");
    plugin.startTime = fake.clock.dateTime - 90.0 / 86400.0;
    s.stSessionsLength = 10;
    EXPECT_EQ(run("STATSESSIONTIME"), "90");
    EXPECT_EQ(run("STATSESSIONTOTALTIME"), "100");
    s.stEndCount = 40;  // 2.5 to the even 2
    EXPECT_EQ(run("STATSESSIONMEANTIME"), "2");
    s.stSessionsLength = 50;  // 140 / 40 = 3.5 to the even 4
    EXPECT_EQ(run("STATSESSIONMEANTIME"), "4");
    s.stEndCount = 0;
    EXPECT_EQ(run("STATSESSIONMEANTIME"), "0");
}

TEST_F(OwnMacros, AttachmentCountThroughTheHostsExpansion) {
    std::string answer;
    std::string asked;
    data.expander = [&](const std::string& text) {
        asked = text;
        return answer;
    };
    for (const auto& [list, expected] : std::vector<std::pair<std::string, std::string>>{
             {"<none>", "0"}, {"a.txt, b.zip, c.doc", "3"}, {"", "1"}, {"<NONE>", "1"}}) {
        answer = list;
        EXPECT_EQ(run("ZVXATTCOUNT"), expected) << list;
    }
    EXPECT_EQ(asked, "%OATTACHMENTS");
}

TEST_F(OwnMacros, TextMacros) {
    data.items[234] = "<id@example.org>";
    const std::vector<std::tuple<std::string, Args, std::string>> cases = {
        {"ZVXRAWSOURCE", {}, "<id@example.org>"}, {"ZVXCUTHERE", {}, "\r\n-- "},
        {"ZVXSTRCMP", {"abc", "abc"}, "1"}, {"ZVXSTRCMP", {"abc", "ABC"}, "0"},
        {"ZVXSTRCMP", {}, "1"},  // two empty texts
        {"ZVXSTRIN", {"b", "a", "b", "c"}, "1"}, {"ZVXSTRIN", {"B", "a", "b", "c"}, "0"},
        {"ZVXSTRIN", {"b"}, "0"},
        // The last complete pair wins; an unpaired last argument is no pair.
        {"ZVXSELECT", {"b", "a", "1", "b", "2", "b", "3"}, "3"},
        {"ZVXSELECT", {"z", "a", "1", "b", "2"}, ""}, {"ZVXSELECT", {"b", "b", "2", "b"}, "2"},
        {"ZVXSELECT", {"b"}, ""}, {"ZVXSTRINGS", {"a", "", "c"}, "a\r\n\r\nc"},
        // Left to right without overlap, case-sensitive; an empty search changes nothing.
        {"ZVXREPLACE", {"aaa", "aa", "b"}, "ba"}, {"ZVXREPLACE", {"a-b-c", "-", "--"}, "a--b--c"},
        {"ZVXREPLACE", {"Abc abc", "abc", "x"}, "Abc x"}, {"ZVXREPLACE", {"abc", "", "x"}, "abc"},
        {"ZVXREPLACE", {"abc", "b"}, "ac"}, {"ZVXCUTFROMTO", {"a<b>c<d>", "<", ">"}, "b"},
        {"ZVXCUTFROMTO", {"Subject: hello [x]", "Subject: ", " ["}, "hello"},
        {"ZVXCUTFROMTO", {"abc|def", "", "|"}, "abc"}, {"ZVXCUTFROMTO", {"ab|c", "|", ""}, "c"},
        {"ZVXCUTFROMTO", {"abc|def", "#", "#"}, "abc|def"},
        {"ZVXCUTON", {"text\r\n-- \r\nsig", "\r\n-- "}, "text"},
        {"ZVXCUTON", {"text", ""}, "text"}, {"ZVXCUTON", {"text", "#"}, "text"},
        {"ZVXCRC32", {"123456789"}, "340BC6D9"}, {"ZVXCRC16", {"123456789"}, "6F91"},
        {"ZVXCRC32", {}, "FFFFFFFF"}, {"ZVXCRC16", {}, "FFFF"},
        // The low byte of the key.
        {"ZVXXOR", {"aB", "32"}, "Ab"}, {"ZVXXOR", {"text", "256"}, "text"},
        {"ZVXXOR", {"\x0f", "-1"}, "\xf0"}, {"ZVXXOR", {"text", "0"}, "text"},
        // The raw digest, its zero byte included.
        {"ZVXMD5", {"abc"}, "\x90\x01\x50\x98\x3c\xd2\x4f\xb0\xd6\x96\x3f\x7d\x28\xe1\x7f\x72"},
        {"ZVXMD5", {}, "\xd4\x1d\x8c\xd9\x8f\x00\xb2\x04\xe9\x80\x09\x98\xec\xf8\x42\x7e"s}};
    for (const auto& [name, args, expected] : cases)
        EXPECT_EQ(run(name, args), expected) << name << " " << (args.empty() ? "" : args[0]);
}

TEST_F(OwnMacros, ReplaceCannotGrowPastTheCap) {
    EXPECT_EQ(run("ZVXREPLACE", {std::string(4096, 'a'), "a", std::string(8192, 'b')}).size(),
              kMaxParamText);
    EXPECT_TRUE(logged("ZVXREPLACE: result cut"));
}

TEST_F(OwnMacros, RandomTextLengthAndDigits) {
    EXPECT_EQ(run("ZVXRND", {"5", "1"}), "00000");
    EXPECT_EQ(run("ZVXRND", {"0", "10"}).size(), 1u);
    EXPECT_EQ(run("ZVXRND", {"-4", "10"}).size(), 1u);
    const std::string digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    EXPECT_EQ(run("ZVXRND", {"500"}).find_first_not_of(digits.substr(0, 10)), std::string::npos);
    EXPECT_EQ(run("ZVXRND", {"500", "16"}).find_first_not_of(digits.substr(0, 16)),
              std::string::npos);
    const std::string wide = run("ZVXRND", {"2000", "99"});
    EXPECT_EQ(wide.find_first_not_of(digits), std::string::npos);
    EXPECT_NE(wide.find('Z'), std::string::npos);  // all 36 digits in use
    EXPECT_EQ(run("ZVXRND", {"2000000000", "2"}).size(),
              static_cast<std::size_t>(own::kMaxRandomLength));
}

}  // namespace
}  // namespace qbx::macros
