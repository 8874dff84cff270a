// Mail dates read from the Date and Received values that real mail servers and clients write,
// the mail client's receive-time text, and the delivery times measured between them.
#include "functions/dates/mail_dates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/datetime.h"
#include "core/strings.h"
#include "support/fakes.h"

namespace qbx::functions::dates {
namespace {

struct Row {
    std::string text;
    std::string expected;  // universal time, "" when the text is no date
};

std::string dateText(double dateTime) { return formatDateTime("yyyy-mm-dd hh:nn:ss", dateTime); }

std::string parsed(const std::string& text) {
    constexpr double kUntouched = 123.5;
    double dateTime = kUntouched;
    if (!parseMailDate(text, dateTime)) return dateTime == kUntouched ? "" : "<changed>";
    return dateText(dateTime);
}

TEST(ParseMailDate, ValuesThatServersAndClientsWrite) {
    const std::vector<Row> rows = {
        // Gmail (folded), Exchange Online, Exchange 2003, Postfix, Exim, qmail, sendmail.
        {"by 2002:a05:6520:2c4::1 with SMTP id x9csp1;\r\n  Tue, 12 Mar 2024 00:15:02 -0700 (PDT)",
         "2024-03-12 07:15:02"},
        {"from AM0PR01MB1234.prod (2603:10a6:208:aa::11) by AM0PR01MB5678.prod with HTTPS; Tue, "
         "12 Mar 2024 07:15:02 +0000",
         "2024-03-12 07:15:02"},
        {"from mail.corp ([10.1.1.1]) by ex01 with Microsoft SMTPSVC(6.0.3790.4675); Tue, 5 Dec "
         "2006 10:00:00 +0300",
         "2006-12-05 07:00:00"},
        {"from a.example (a.example [192.0.2.1]) by mx (Postfix) with ESMTPS id 4F2A1 for "
         "<u@example.org>; Tue,  5 Dec 2006 10:00:00 +0300 (MSK)",
         "2006-12-05 07:00:00"},
        {"from [192.0.2.1] (helo=c) by mx with esmtpsa (TLS1.2) (Exim 4.92) (envelope-from <a@b>) "
         "id 1h2AbC-0001xY-Qz; Tue, 05 Dec 2006 10:00:00 +0100",
         "2006-12-05 09:00:00"},
        {"(qmail 12345 invoked from network); 5 Dec 2006 07:00:00 -0000", "2006-12-05 07:00:00"},
        {"from h (h [192.0.2.9]) by m (8.14.4/8.14.4) with ESMTP id wB5A0x; Tue, 5 Dec 2006 "
         "02:00:00 -0800 (PST)",
         "2006-12-05 10:00:00"},
        // Obsolete and odd forms.
        {"Tue, 5 Dec 06 10:00:00 EST", "2006-12-05 15:00:00"},
        {"Fri, 31 Dec 99 23:30:00 -0100", "2000-01-01 00:30:00"},
        {"Tue, 5 Dec 2006 10:00 +0300", "2006-12-05 07:00:00"},
        {"Date: 5 Dec 2006 10:00:00 +0300", "2006-12-05 07:00:00"},
        {"Date: Tue 5 Dec 2006 10:00:00 +0300", "2006-12-05 07:00:00"},
        {"  Tue ,\t5   Dec   2006   10 : 00 : 00   +0300  ", "2006-12-05 07:00:00"},
        {"Tue, 5 Dec 2006 (the day) 10:00:00 +0300 (MSK; summer)", "2006-12-05 07:00:00"},
        {"Tue, 5 Dec 2006 10:00:00 +0300 (Moscow, (Russia))", "2006-12-05 07:00:00"},
        {"Tue, 5 Dec 2006 10:00:00 +0300(MSK", "2006-12-05 07:00:00"},
        {"5/Dec/2006 10:00:00 +0300", "2006-12-05 07:00:00"},
        {"31 Dec 2016 23:59:60 +0000", "2016-12-31 23:59:59"},  // a leap second
        // Month words: the first letter for five months, the whole abbreviation for the rest.
        {"5 DECEMBER 2006 10:00:00 GMT", "2006-12-05 10:00:00"},
        {"5 Sept 2006 10:00:00 GMT", "2006-09-05 10:00:00"},
        {"5 June 2006 10:00:00 GMT", ""},
        // Not a date, or no day of the calendar.
        {"5 Dec 2006 10:00:00", ""},
        {"5 Dec 2006 10 00 00 +0300", ""},
        {"5 Dec 2006 10:00:00 +0300, later", ""},
        {"Dec 5 2006 10:00:00 GMT", ""},
        {"Tue, 5 Dec 2006 (10:00:00 +0300", ""},
        {"29 Feb 2023 12:00:00 GMT", ""},
        {"31 Apr 2024 12:00:00 GMT", ""},
        {"0 Dec 2006 10:00:00 GMT", ""},
        {"5 Dec 2006 24:00:00 GMT", ""},
        {"5 Dec 2006 10:60:00 GMT", ""},
        {"5 Dec 2006 10:00:61 GMT", ""},
        {"5 Dec 2006 1234567890:00:00 GMT", ""},
        {"", ""},
        {"Date:", ""},
        {"((((", ""},
        {"))))", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(parsed(row.text), row.expected) << row.text;
}

TEST(ParseMailDate, ZonesAndYears) {
    const std::vector<Row> zones = {
        {"+0300", "07:00"}, {"-0800", "18:00"}, {"+0530", "04:30"}, {"-0130", "11:30"},
        {"0300", "07:00"},  {"-0000", "10:00"}, {"GMT", "10:00"},   {"UT", "10:00"},
        {"UTC", "10:00"},   {"Z", "10:00"},     {"EST", "15:00"},   {"EDT", "14:00"},
        {"CST", "16:00"},   {"CDT", "15:00"},   {"MST", "17:00"},   {"MDT", "16:00"},
        {"PST", "18:00"},   {"pdt", "17:00"},   {"MSK", "10:00"},   {"A", "10:00"},
        {"+0360", ""},      {"+12345", ""},     {"+3", ""},         {"GMT+3", ""},
        {"+03:00", ""},
    };
    for (const Row& row : zones)
        EXPECT_EQ(parsed("Tue, 5 Dec 2006 10:00:00 " + row.text),
                  row.expected.empty() ? "" : "2006-12-05 " + row.expected + ":00")
            << row.text;
    EXPECT_EQ(parsed("Tue, 5 Dec 2006 22:00:00 -0300"), "2006-12-06 01:00:00");
    const std::vector<Row> years = {
        {"06", "2006"},  {"49", "2049"},   {"50", "1950"},   {"99", "1999"}, {"0", "2000"},
        {"106", "2006"}, {"1999", "1999"}, {"9999", "9999"}, {"0000", ""},   {"10000", ""},
    };
    for (const Row& row : years)
        EXPECT_EQ(parsed("5 Dec " + row.text + " 10:00:00 GMT").substr(0, 4), row.expected)
            << row.text;
}

TEST(ParseMailDate, AHugeValueCostsOnePass) {
    const std::string words(4 << 20, 'a');
    std::string commas;
    for (int i = 0; i < (1 << 20); ++i) commas += "x, ";
    EXPECT_EQ(parsed(words + "; 5 Dec 2006 10:00:00 GMT " + words), "2006-12-05 10:00:00");
    EXPECT_EQ(parsed(commas + "5 Dec 2006 10:00:00 GMT" + std::string(1 << 20, ')')),
              "2006-12-05 10:00:00");
    EXPECT_EQ(parsed(std::string(1 << 20, '(') + "5 Dec 2006 10:00:00 GMT"), "");
}

TEST(ParseHostDateTime, TheClientsReceiveTimeText) {
    const std::vector<Row> rows = {
        {"10:00:00 Tuesday, December 5, 2006", "2006-12-05 10:00:00"},
        {"9:05:03 Monday, June 3, 2024", "2024-06-03 09:05:03"},
        {"23:59:59 THURSDAY, FEBRUARY 29, 2024", "2024-02-29 23:59:59"},
        {",10:00:00 Tuesday,December 5th,2006", "2006-12-05 10:00:00"},
        {"10:00:00 Tuesday, February 30, 2006", ""},
        {"24:00:00 Tuesday, December 5, 2006", ""},
        {"10:00:00 Tuesday, Xyz 5, 2006", ""},
        {"10:00:00 Tuesday, December 5", ""},
        {"10:00:00", ""},
        {"", ""},
    };
    for (const Row& row : rows) {
        const std::optional<double> local = parseHostDateTime(row.text);
        EXPECT_EQ(local ? dateText(*local) : "", row.expected) << row.text;
    }
}

// A zone with summer time: three hours east in winter, four in summer.
class SeasonalClock : public test::FakeClock {
public:
    double localToUniversal(double local) override {
        const int month = decodeDateTime(local).month;
        return local - (month >= 4 && month <= 10 ? 4 : 3) / 24.0;
    }
};

// Universal times: top-most hop 07:02:05, bottom-most 07:00:00, Date 06:59:00.
const std::string kHeaders =
    "Received: from relay by mx; Tue, 5 Dec 2006 10:02:05 +0300\r\n"
    "Received: from laptop by relay; Tue, 5 Dec 2006 09:00:40 +0200\r\n"
    "Received: from [10.0.0.5] by laptop; Tue, 5 Dec 2006 07:00:00 GMT\r\n"
    "Date: Tue, 5 Dec 2006 09:59:00 +0300\r\n";

class DeliveryTimeText : public ::testing::Test {
protected:
    std::optional<std::int64_t> measure(int a, int b, std::string_view receiveText = {}) {
        lines.clear();
        const DateSources sources{headers, receiveText, clock, locale,
                                  [this](std::string_view line) { lines.emplace_back(line); }};
        return deliveryTimeText(sources, a, b);
    }

    std::string headers = kHeaders;
    SeasonalClock clock;
    test::FakeLocale locale;
    std::vector<std::string> lines;
};

TEST_F(DeliveryTimeText, SecondsBetweenTwoSources) {
    clock.dateTime = encodeDateTime({2006, 12, 5, 10, 30, 0});  // winter: 07:30:00 universal
    const std::string received = "10:02:15 Tuesday, December 5, 2006";
    const std::vector<std::tuple<int, int, std::string, std::int64_t>> cases = {
        {3, 2, "", 125}, {2, 3, "", 125}, {1, 3, "", 185},      {1, 5, "", 1860},
        {5, 5, "", 0},   {0, 0, "", 0},   {4, 3, received, 10}, {4, 5, received, 1665},
        {6, 0, "", 0},   {-1, 0, "", 0},
    };
    for (const auto& [a, b, receiveText, seconds] : cases)
        EXPECT_EQ(measure(a, b, receiveText), seconds) << a << " " << b;
    // Summer time: 12:00 local in July is 08:00 universal, in January 09:00.
    headers = "Date: Sun, 15 Jul 2007 07:00:00 +0000\r\n";
    EXPECT_EQ(measure(1, 4, "12:00:00 Sunday, July 15, 2007"), 3600);
    clock.dateTime = encodeDateTime({2007, 7, 15, 12, 0, 0});
    EXPECT_EQ(measure(1, 5), 3600);
    headers = "Date: Mon, 15 Jan 2007 07:00:00 +0000\r\n";
    EXPECT_EQ(measure(1, 4, "12:00:00 Monday, January 15, 2007"), 7200);
    // Past 32 bits.
    headers = "Date: 1 Jan 1900 00:00:00 GMT\r\nReceived: x; 1 Jan 2049 00:00:00 GMT\r\n";
    EXPECT_EQ(measure(1, 3), std::int64_t{54422} * 86400);
}

TEST_F(DeliveryTimeText, LogsEachSourceAndFailsOnAnUnreadableOne) {
    ASSERT_EQ(measure(1, 2), 60);
    ASSERT_GE(lines.size(), 3u);  // after the header lookup's own lines
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"d1: 05.12.2006 06:59:00", "d2: 05.12.2006 07:00:00",
                                        "Result is: 60"}));
    headers = "Received: by mx; Tue, 5 Dec 2006 10:02:05 +0300\r\nDate: yesterday\r\n";
    EXPECT_EQ(measure(0, 1), std::nullopt);
    EXPECT_EQ(lines.back(), "ERROR: d1: 30.12.1899");
    EXPECT_EQ(lines.front(), "d0: 30.12.1899");
    EXPECT_EQ(measure(4, 3, "10:00:00"), std::nullopt);
    EXPECT_EQ(measure(4, 3, "10:00:00 Tuesday, February 30, 2006"), std::nullopt);
    headers.clear();
    EXPECT_EQ(measure(2, 0), std::nullopt);
}

TEST(HopTimeText, LargerUnitsOnceTheSpanReachesThem) {
    StringTable strings;
    strings.reset();
    const std::vector<std::pair<std::uint64_t, std::string>> rows = {
        {0, "0 sec"},
        {59, "59 sec"},
        {60, "1 min 0 sec"},
        {3599, "59 min 59 sec"},
        {3600, "1 h 0 min 0 sec"},
        {3725, "1 h 2 min 5 sec"},
        {86399, "23 h 59 min 59 sec"},
        {86400, "1 d 0 h 0 min 0 sec"},
        {3124224000, "36160 d 0 h 0 min 0 sec"},  // past 2^31
    };
    for (const auto& [seconds, text] : rows) EXPECT_EQ(hopTimeText(seconds, strings), text);
    const DateLog log = [](std::string_view) {};
    EXPECT_EQ(deliveryTime(kHeaders, strings, log), "2 min 5 sec");
    EXPECT_EQ(deliveryTimeBox(kHeaders, strings), "3 min 5 sec");
    EXPECT_EQ(deliveryTime("Received: x; 1 Jan 2049 00:00:00 GMT\r\n", strings, log), "0 sec");
    EXPECT_EQ(
        deliveryTime("Received: x; soon\r\nReceived: y; 1 Jan 1950 00:00:00 GMT\r\n", strings, log),
        std::nullopt);
    EXPECT_EQ(deliveryTimeBox("Received: x; 1 Jan 2049 00:00:00 GMT\r\n", strings), std::nullopt);
}

}  // namespace
}  // namespace qbx::functions::dates
