// Every date and time macro once through the built module, on the real clock and the system's
// own locale: each answer has its shape.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"

namespace {

using qbxhost::Host;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The answer's number, or -1 when it is none.
long long number(const std::string& text) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != text.npos)
        return -1;
    return std::stoll(text);
}

// "@", one to three digits, the locale's separator, two digits.
bool isBeatTime(std::string_view text) {
    if (text.size() < 5 || text.size() > 7 || text[0] != '@') return false;
    const std::size_t separator = text.size() - 3;
    if (isDigit(text[separator])) return false;
    for (std::size_t i = 1; i < text.size(); ++i)
        if (i != separator && !isDigit(text[i])) return false;
    return true;
}

// Ends in "." and one to three digits after some other text.
bool endsInMilliseconds(std::string_view text) {
    const std::size_t dot = text.rfind('.');
    return dot != std::string_view::npos && dot > 0 && text.size() - dot >= 2 &&
           text.size() - dot <= 4 && number(std::string(text.substr(dot + 1))) >= 0;
}

bool startsWithOneOf(const std::string& text, std::initializer_list<const char*> utf8Texts) {
    for (const char* utf8 : utf8Texts)
        if (text.rfind(qbx::utf8ToCp1251(utf8), 0) == 0) return true;
    return false;
}

TEST(HostedDates, EveryDateMacroOnceThroughTheModule) {
    const qbx::test::HostHome home("hosted-dates-");
    Host host(qbx::test::kModule);
    host.initialize();
    auto& data = host.data();
    const auto call = [&](const std::string& name, const std::vector<std::string>& arguments) {
        return host.callMacro(data, name, arguments);
    };

    EXPECT_TRUE(isBeatTime(call("ZVXINETTIME", {}))) << call("ZVXINETTIME", {});
    EXPECT_TRUE(endsInMilliseconds(call("ZVXTIME", {}))) << call("ZVXTIME", {});
    const std::string shifted = call("ZVXDATESHIFT", {"yyyy-mm-dd dddd", "1", "1", "1"});
    ASSERT_GT(shifted.size(), 14u) << shifted;
    EXPECT_EQ(std::string({shifted[4], shifted[7], shifted[10]}), "-- ") << shifted;
    EXPECT_EQ(shifted.substr(shifted.size() - 3), "day") << shifted;
    EXPECT_NE(call("ZVXDATESHIFT", {}).find_first_of("0123456789"), std::string::npos);
    EXPECT_EQ(call("ZVXDAYSTO", {"31", "2"}), "n/a");
    EXPECT_EQ(call("ZVXDAYSFROM", {"31", "2", "2023"}),
              qbx::utf8ToCp1251("ошибка в дате 31.02.2023"));
    const std::string bar = call("ZVXDAYPROGRESS", {"0", "24", "10", "-", "#", "[", "]"});
    EXPECT_EQ(bar.size(), 12u);
    EXPECT_EQ(bar.find_first_not_of("[#-]"), std::string::npos) << bar;
    EXPECT_TRUE(startsWithOneOf(
        call("ZVXTIMELEFT", {"0", "0", "23", "59"}),
        {"сегодня выходной!", "рабочий день окончен!!!", "до конца рабочего дня осталось "}));
    EXPECT_TRUE(startsWithOneOf(
        call("ZVXDAYSLEFT", {"5", "0", "20", "0"}),
        {"до зарплаты осталось ", "зарплата сегодня", "до аванса осталось ", "аванс сегодня"}));

    struct Range {
        std::string name;
        std::vector<std::string> arguments;
        long long low, high;
    };
    const std::vector<Range> ranges = {
        {"ZVXWOY", {}, 1, 53},
        {"ZVXDOY", {}, 1, 366},
        {"ZVXHOM", {}, 0, 30 * 24 + 23},
        {"ZVXHOW", {}, 0, 6 * 24 + 23},
        {"ZVXHOY", {}, 0, 365 * 24 + 23},
        {"ZVXDAYSTO", {"1", "1"}, 0, 365},
        {"ZVXSE", {"2000", "1", "1", "0", "0", "0"}, 700'000'000, 253'000'000'000},
        {"ZVXDAYSFROM", {"1", "1", "2000"}, 8'000, 3'000'000},
        {"ZVXHOURSFROM", {"1", "1", "2000", "0"}, 8'000 * 24, 3'000'000LL * 24},
        {"ZVXMINSFROM", {"1", "1", "2000", "0", "0"}, 8'000 * 1440, 3'000'000LL * 1440},
    };
    for (const Range& r : ranges) {
        const std::string answer = call(r.name, r.arguments);
        EXPECT_GE(number(answer), r.low) << r.name << ": " << answer;
        EXPECT_LE(number(answer), r.high) << r.name << ": " << answer;
    }
    host.finalize();
}

}  // namespace
