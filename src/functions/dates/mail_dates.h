// The dates of a message read into universal date-times, and how long the message travelled:
// from its Date header or its first Received hop to the last hop, to the moment the mail client
// received it, or to now. Header values are untrusted mail: every routine here is linear in its
// input, keeps only the few words it reads and never throws for what the mail says.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qbx {
class Clock;
class LocaleFormat;
class StringTable;
}  // namespace qbx

namespace qbx::functions::dates {

// Receives the diagnostic lines (the caller's log at level 1).
using DateLog = std::function<void(std::string_view)>;

// A Date value or a Received value (its date follows the last ";") read as
// universal time. Comments in parentheses are ignored, and so are a leading header name, a
// weekday and anything before the last comma. Then: day, month name, year, hh:mm[:ss] and the
// zone. Years of two digits below 50 are 20xx, the other two- and three-digit years count from
// 1900; the zone is +hhmm or -hhmm, UT, UTC, GMT, Z, one of the eight US names, and any other
// name of letters is read as +0000. Leaves dateTime as it was and answers false when the text
// is no such date or names no day of the calendar.
bool parseMailDate(std::string_view text, double& dateTime);

// The mail client's receive-time text ("hh:nn:ss", a blank, then its English date: weekday,
// month name, day, year) as a local date-time; nothing when the text has fewer words or the
// fields name no moment of the calendar.
std::optional<double> parseHostDateTime(std::string_view text);

// Where deliveryTimeText takes a date-time from.
enum DateSource : int {
    kDateHeader = 1,         // the Date header
    kFirstHop = 2,           // the bottom-most Received hop, where the message set out
    kLastHop = 3,            // the top-most Received hop, its final delivery
    kClientReceiveTime = 4,  // the mail client's receive time (local time)
    kNow = 5,                // the clock (local time)
};                           // any other code stands for the date-time 0

struct DateSources {
    std::string_view headers;      // the message's header block
    std::string_view receiveText;  // the mail client's receive-time text (source 4 only)
    Clock& clock;
    LocaleFormat& locale;  // for the log lines
    DateLog log;
};

// Whole seconds between the date-times of sources a and b (absolute value), both in universal
// time. Each source's date-time is logged ("d1: <date-time>"), a source whose date cannot be
// read as "ERROR: d1: <date-time>", then the result ("Result is: N"). Nothing when a source's
// date cannot be read: a difference from a date that does not exist is no delivery time.
std::optional<std::int64_t> deliveryTimeText(const DateSources& sources, int a, int b);

// "1 d 2 h 3 min 4 sec" with the unit names of the string table: the larger units only when the
// span reaches them (60 seconds give "1 min 0 sec").
std::string hopTimeText(std::uint64_t seconds, const StringTable& strings);

// The time between the top-most and the bottom-most Received hop (both values logged, top-most
// first); nothing when either date cannot be read.
std::optional<std::string> deliveryTime(std::string_view headers, const StringTable& strings,
                                        const DateLog& log);
// The time between the top-most Received hop and the last line that contains "Date:".
std::optional<std::string> deliveryTimeBox(std::string_view headers, const StringTable& strings);

}  // namespace qbx::functions::dates
