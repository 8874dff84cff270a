// The macros the dispatcher answers itself, called as the host calls them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/datetime.h"
#include "core/text.h"
#include "macro_fixture.h"
#include "macros/arguments.h"
#include "macros/own_macros.h"

namespace qbx::macros {
namespace {

using namespace std::string_literals;

class OwnMacros : public test::MacroFixture {
protected:
    // The statistics period starts this many seconds before the fake clock's now.
    void periodStartedSecondsAgo(double seconds) {
        setPeriodStart(decodeDateTime(fake.clock.dateTime - seconds / 86400.0));
    }
    void setPeriodStart(const DateTimeFields& f) {
        Settings& s = plugin.settings;
        s.stYear = static_cast<std::uint16_t>(f.year);
        s.stMonth = static_cast<std::uint16_t>(f.month);
        s.stDay = static_cast<std::uint16_t>(f.day);
        s.stHour = static_cast<std::uint16_t>(f.hour);
        s.stMin = static_cast<std::uint16_t>(f.minute);
        s.stSec = static_cast<std::uint16_t>(f.second);
        s.stMsec = static_cast<std::uint16_t>(f.millisecond);
    }
};

struct CommaLocale : test::FakeLocale {
    char decimalSeparator() override { return ','; }
};

TEST_F(OwnMacros, Identity) {
    EXPECT_EQ(run("ZVXVER"), "Quilbex 2.4.1202 Summer edition beta");
    EXPECT_EQ(run("ZVXSVER"), "QBX 2.4.1202 Summer edition");
    const std::string all = run("ZVX");
    EXPECT_EQ(all.rfind("Quilbex 2.4.1202 Summer edition\r\nZVX\r\nZVXVER\r\n", 0), 0u);
    EXPECT_EQ(splitLines(all).size(), 1u + 197u);
    EXPECT_EQ(all.substr(all.size() - 9), "QCDTIME\r\n");
}

TEST_F(OwnMacros, SizesInEveryUnit) {
    plugin.settings.stTotalSize = 1536;
    EXPECT_EQ(run("STATS", {"T", "A"}), "1.5 Kb");
    EXPECT_EQ(run("STATS", {"T", "K"}), "2 Kb");
    EXPECT_EQ(run("STATS", {"T", "B"}), "1536");
    EXPECT_EQ(run("STATS", {"T", "b"}), "1536");
    EXPECT_EQ(run("STATS", {"T", "X"}), "1536 b");
    EXPECT_EQ(run("STATS", {"T"}), "1536 b");
    EXPECT_EQ(run("STATS", {"Q", "X"}), "0 b");
    plugin.settings.stTotalSize = 2560;  // 2.5 Kb: the half goes to the even 2
    EXPECT_EQ(run("STATS", {"T", "K"}), "2 Kb");
    plugin.settings.stTotalSize = 3584;  // 3.5 Kb: to the even 4
    EXPECT_EQ(run("STATS", {"T", "K"}), "4 Kb");
    plugin.settings.stTotalSize = 1024;  // no division at exactly 1024
    EXPECT_EQ(run("STATS", {"T", "A"}), "1024 b");
    plugin.settings.stTotalSize = 5ll << 30;
    EXPECT_EQ(run("STATS", {"T", "G"}), "5 Gb");
    EXPECT_EQ(run("STATS", {"T", "M"}), "5120 Mb");
}

TEST_F(OwnMacros, AmountLetters) {
    Settings& s = plugin.settings;
    s.stTotalSize = 1000;
    s.stHeaderSize = 300;
    s.stTextSize = 600;
    EXPECT_EQ(run("STATS", {"H", "B"}), "300");
    EXPECT_EQ(run("STATS", {"B", "B"}), "600");
    EXPECT_EQ(run("STATS", {"A", "B"}), "100");
    EXPECT_EQ(run("STATS", {"t", "B"}), "0");  // exact case only
}

TEST_F(OwnMacros, AutomaticScalingStopsAtTheLargestUnit) {
    plugin.settings.stTotalSize = 1ll << 62;
    EXPECT_EQ(run("STATS", {"T", "A"}), "4194304.0 Tb");
    plugin.settings.stTotalSize = 3ll << 40;
    EXPECT_EQ(run("STATS", {"T", "A"}), "3.0 Tb");
}

TEST_F(OwnMacros, OneDecimalUsesTheLocaleSeparator) {
    CommaLocale comma;
    plugin.platform.locale = &comma;
    plugin.settings.stTotalSize = 1536;
    EXPECT_EQ(run("STATS", {"T", "A"}), "1,5 Kb");
}

TEST_F(OwnMacros, MeanPerMessage) {
    plugin.settings.stLetterCount = 0;
    EXPECT_EQ(run("STATMS", {"T", "B"}), "n/a");
    plugin.settings.stLetterCount = 4;
    plugin.settings.stTotalSize = 10;
    EXPECT_EQ(run("STATMS", {"T", "B"}), "2");  // 2.5 to the even 2
    EXPECT_EQ(run("STATMS", {"T", "A"}), "2 b");
    plugin.settings.stTotalSize = 4096;
    EXPECT_EQ(run("STATMS", {"T", "K"}), "1 Kb");
}

TEST_F(OwnMacros, TrafficPerTimeUnit) {
    plugin.settings.stTotalSize = 7200;
    periodStartedSecondsAgo(3600);
    EXPECT_EQ(run("STATTRAFFIC", {"T", "B", "H"}), "7200");
    EXPECT_EQ(run("STATTRAFFIC", {"T", "B", "S"}), "2");
    EXPECT_EQ(run("STATTRAFFIC", {"T", "B", "X"}), "2");
    EXPECT_EQ(run("STATTRAFFIC", {"T", "B", "M"}), "120");
    EXPECT_EQ(run("STATTRAFFIC", {"T", "B", "D"}), "172800");
    EXPECT_EQ(run("STATTRAFFIC", {"T", "B", "W"}), "1209600");
    EXPECT_EQ(run("STATTRAFFIC", {"T", "B", "Y"}), "441806400");
    EXPECT_EQ(run("STATTRAFFIC", {"T", "K", "H"}), "7 Kb");
}

TEST_F(OwnMacros, TrafficInTheFirstSecondOrWithADamagedStartIsNotAvailable) {
    plugin.settings.stTotalSize = 7200;
    periodStartedSecondsAgo(0);
    EXPECT_EQ(run("STATTRAFFIC", {"T", "B", "S"}), "n/a");
    setPeriodStart({2023, 13, 1, 0, 0, 0, 0});  // no month 13: counts as now
    EXPECT_EQ(run("STATTRAFFIC", {"T", "B", "S"}), "n/a");
    EXPECT_EQ(run("STATTIMES"), "0");
}

TEST_F(OwnMacros, PeriodLengthAndItsText) {
    periodStartedSecondsAgo(3725);
    EXPECT_EQ(run("STATTIMES"), "3725");
    EXPECT_EQ(run("STATTIME"), "01 h 02 min 05 sec");
    periodStartedSecondsAgo(0);
    EXPECT_EQ(run("STATTIME"), "0 sec");
    periodStartedSecondsAgo(60);
    EXPECT_EQ(run("STATTIME"), "01 min ");
    periodStartedSecondsAgo(90061);
    EXPECT_EQ(run("STATTIME"), "1 d 01 h 01 min 01 sec");
    periodStartedSecondsAgo(-30);  // a start in the future: the distance counts
    EXPECT_EQ(run("STATTIMES"), "30");
}

TEST_F(OwnMacros, PeriodStartsThatMakeNoDateCountAsNow) {
    for (const DateTimeFields& f : std::vector<DateTimeFields>{
             {0, 0, 0, 0, 0, 0, 0},       // never set
             {2023, 2, 29, 0, 0, 0, 0},   // not a leap year
             {2023, 3, 15, 24, 0, 0, 0},  // hour 24
             {2023, 3, 15, 12, 60, 0, 0},
             {2023, 3, 15, 12, 0, 0, 1000}}) {
        setPeriodStart(f);
        EXPECT_EQ(run("STATTIMES"), "0") << f.year << "-" << f.month << "-" << f.day;
    }
    setPeriodStart({2024, 2, 29, 12, 0, 0, 0});  // a leap day is a date
    EXPECT_NE(run("STATTIMES"), "0");
}

TEST_F(OwnMacros, CountersAndSessions) {
    Settings& s = plugin.settings;
    s.stStartCount = 5'000'000'000;
    s.stEndCount = 7;
    EXPECT_EQ(run("STATSTARTCOUNT"), "5000000000");
    EXPECT_EQ(run("STATENDCOUNT"), "7");

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
    answer = "<none>";
    EXPECT_EQ(run("ZVXATTCOUNT"), "0");
    EXPECT_EQ(asked, "%OATTACHMENTS");
    answer = "a.txt, b.zip, c.doc";
    EXPECT_EQ(run("ZVXATTCOUNT"), "3");
    answer = "";
    EXPECT_EQ(run("ZVXATTCOUNT"), "1");
    answer = "<NONE>";
    EXPECT_EQ(run("ZVXATTCOUNT"), "1");
}

TEST_F(OwnMacros, RawSourceAndCutHere) {
    data.items[234] = "<id@example.org>";
    EXPECT_EQ(run("ZVXRAWSOURCE"), "<id@example.org>");
    EXPECT_EQ(run("ZVXCUTHERE"), "\r\n-- ");
}

TEST_F(OwnMacros, Comparisons) {
    EXPECT_EQ(run("ZVXSTRCMP", {"abc", "abc"}), "1");
    EXPECT_EQ(run("ZVXSTRCMP", {"abc", "ABC"}), "0");
    EXPECT_EQ(run("ZVXSTRCMP"), "1");  // two empty texts
    EXPECT_EQ(run("ZVXSTRIN", {"b", "a", "b", "c"}), "1");
    EXPECT_EQ(run("ZVXSTRIN", {"B", "a", "b", "c"}), "0");
    EXPECT_EQ(run("ZVXSTRIN", {"b"}), "0");
}

TEST_F(OwnMacros, SelectTakesTheLastCompletePair) {
    EXPECT_EQ(run("ZVXSELECT", {"b", "a", "1", "b", "2", "b", "3"}), "3");
    EXPECT_EQ(run("ZVXSELECT", {"z", "a", "1", "b", "2"}), "");
    EXPECT_EQ(run("ZVXSELECT", {"b", "b", "2", "b"}), "2");  // unpaired last argument
    EXPECT_EQ(run("ZVXSELECT", {"b"}), "");
}

TEST_F(OwnMacros, StringsJoinsByLineBreaks) {
    EXPECT_EQ(run("ZVXSTRINGS", {"a", "", "c"}), "a\r\n\r\nc");
    EXPECT_EQ(run("ZVXSTRINGS"), "");
}

TEST_F(OwnMacros, ReplaceLeftToRightWithoutOverlap) {
    EXPECT_EQ(run("ZVXREPLACE", {"aaa", "aa", "b"}), "ba");
    EXPECT_EQ(run("ZVXREPLACE", {"a-b-c", "-", "--"}), "a--b--c");
    EXPECT_EQ(run("ZVXREPLACE", {"Abc abc", "abc", "x"}), "Abc x");
    EXPECT_EQ(run("ZVXREPLACE", {"abc", "", "x"}), "abc");  // empty search: unchanged
    EXPECT_EQ(run("ZVXREPLACE", {"abc", "b"}), "ac");
}

TEST_F(OwnMacros, ReplaceCannotGrowPastTheCap) {
    const std::string text(4096, 'a');
    const std::string replacement(8192, 'b');
    EXPECT_EQ(run("ZVXREPLACE", {text, "a", replacement}).size(), kMaxParamText);
    EXPECT_TRUE(logged("ZVXREPLACE: result cut"));
}

TEST_F(OwnMacros, CutFromToAndCutOn) {
    EXPECT_EQ(run("ZVXCUTFROMTO", {"Subject: hello [x]", "Subject: ", " ["}), "hello");
    EXPECT_EQ(run("ZVXCUTFROMTO", {"abc|def", "", "|"}), "abc");
    EXPECT_EQ(run("ZVXCUTFROMTO", {"abc|def", "|", ""}), "def");
    EXPECT_EQ(run("ZVXCUTFROMTO", {"abc|def", "#", "#"}), "abc|def");
    EXPECT_EQ(run("ZVXCUTFROMTO", {"a<b>c<d>", "<", ">"}), "b");
    EXPECT_EQ(run("ZVXCUTON", {"text\r\n-- \r\nsig", "\r\n-- "}), "text");
    EXPECT_EQ(run("ZVXCUTON", {"text", ""}), "text");
    EXPECT_EQ(run("ZVXCUTON", {"text", "#"}), "text");
}

TEST_F(OwnMacros, Md5IsTheRawDigest) {
    EXPECT_EQ(run("ZVXMD5", {"abc"}),
              "\x90\x01\x50\x98\x3c\xd2\x4f\xb0\xd6\x96\x3f\x7d\x28\xe1\x7f\x72");
    const std::string empty = run("ZVXMD5");
    EXPECT_EQ(empty, "\xd4\x1d\x8c\xd9\x8f\x00\xb2\x04\xe9\x80\x09\x98\xec\xf8\x42\x7e"s);
    EXPECT_EQ(empty.size(), 16u);  // the zero byte is part of it
}

TEST_F(OwnMacros, ChecksumsOfTheCatalogue) {
    EXPECT_EQ(run("ZVXCRC32", {"123456789"}), "340BC6D9");
    EXPECT_EQ(run("ZVXCRC16", {"123456789"}), "6F91");
    EXPECT_EQ(run("ZVXCRC32"), "FFFFFFFF");
    EXPECT_EQ(run("ZVXCRC16"), "FFFF");
}

TEST_F(OwnMacros, XorUsesTheLowByteOfTheKey) {
    EXPECT_EQ(run("ZVXXOR", {"aB", "32"}), "Ab");
    EXPECT_EQ(run("ZVXXOR", {"text", "256"}), "text");
    EXPECT_EQ(run("ZVXXOR", {"\x0f", "-1"}), "\xf0");
    EXPECT_EQ(run("ZVXXOR", {"text", "0"}), "text");
}

TEST_F(OwnMacros, RandomTextLengthAndDigits) {
    EXPECT_EQ(run("ZVXRND", {"5", "1"}), "00000");
    EXPECT_EQ(run("ZVXRND", {"0", "10"}).size(), 1u);
    EXPECT_EQ(run("ZVXRND", {"-4", "10"}).size(), 1u);
    const auto within = [](const std::string& text, const std::string& digits) {
        return text.find_first_not_of(digits) == std::string::npos;
    };
    EXPECT_TRUE(within(run("ZVXRND", {"500"}), "0123456789"));
    EXPECT_TRUE(within(run("ZVXRND", {"500", "16"}), "0123456789ABCDEF"));
    const std::string wide = run("ZVXRND", {"2000", "99"});
    EXPECT_TRUE(within(wide, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_NE(wide.find('Z'), std::string::npos);  // all 36 digits in use
    EXPECT_EQ(run("ZVXRND", {"2000000000", "2"}).size(),
              static_cast<std::size_t>(own::kMaxRandomLength));
}

}  // namespace
}  // namespace qbx::macros
