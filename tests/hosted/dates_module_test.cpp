// Every date and time macro once through the built module, on the real clock and the system's
// own locale: each answer has its shape.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cp1251.h"
#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"

namespace {

using qbxhost::Host;

// The answer's number, or -1 when it is none.
long long number(const std::string& text) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != text.npos)
        return -1;
    return std::stoll(text);
}

bool startsWithOneOf(const std::string& text, const std::vector<const char*>& utf8Texts) {
    for (const char* utf8 : utf8Texts)
        if (text.rfind(qbx::utf8ToCp1251(utf8), 0) == 0) return true;
    return false;
}

TEST(HostedDates, EveryDateMacroOnceThroughTheModule) {
    const qbx::test::HostHome home("hosted-dates-");
    Host host(qbx::test::kModule);
    host.initialize();
    const auto call = [&](const std::string& name, const std::vector<std::string>& arguments) {
        return host.callMacro(host.data(), name, arguments);
    };

    // "@", beats, the locale's separator and two decimals.
    const std::string beats = call("ZVXINETTIME", {});
    const long long whole = beats.size() >= 5 ? number(beats.substr(1, beats.size() - 4)) : -1;
    EXPECT_TRUE(beats[0] == '@' && whole >= 0 && whole <= 999 &&
                number(beats.substr(beats.size() - 2)) >= 0)
        << beats;
    const std::string time = call("ZVXTIME", {});
    EXPECT_GT(time.size(), 2u);
    EXPECT_GE(number(time.substr(time.rfind('.') + 1)), 0) << time;
    const std::string shifted = call("ZVXDATESHIFT", {"yyyy-mm-dd dddd", "1", "1", "1"});
    EXPECT_GE(number(shifted.substr(0, 4)), 1) << shifted;
    EXPECT_EQ(shifted.substr(shifted.size() - 3), "day") << shifted;
    EXPECT_NE(call("ZVXDATESHIFT", {}).find_first_of("0123456789"), std::string::npos);
    EXPECT_EQ(call("ZVXDAYSFROM", {"31", "2", "2023"}),
              qbx::utf8ToCp1251("ошибка в дате 31.02.2023"));
    const std::string bar = call("ZVXDAYPROGRESS", {"0", "24", "10", "-", "#", "[", "]"});
    EXPECT_EQ(bar.size(), 12u);
    EXPECT_EQ(bar.find_first_not_of("[#-]"), std::string::npos) << bar;
    EXPECT_TRUE(startsWithOneOf(
        call("ZVXTIMELEFT", {"0", "0", "23", "59"}),
        {"сегодня выходной!", "рабочий день окончен!!!", "до конца рабочего дня осталось "}));
    EXPECT_TRUE(startsWithOneOf(call("ZVXDAYSLEFT", {"5", "0", "20", "0"}),
                                {"до зарплаты", "зарплата сегодня", "до аванса", "аванс сегодня"}));

    const std::vector<std::tuple<std::string, std::vector<std::string>, long long, long long>>
        ranges = {
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
    for (const auto& [name, arguments, low, high] : ranges) {
        const std::string answer = call(name, arguments);
        EXPECT_GE(number(answer), low) << name << ": " << answer;
        EXPECT_LE(number(answer), high) << name << ": " << answer;
    }
    host.finalize();
}

}  // namespace
