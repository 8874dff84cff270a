#include "functions/dates/date_macros.h"

#include <cstddef>
#include <optional>

#include "base/datetime.h"
#include "base/text.h"
#include "core/formatting.h"
#include "core/plugin.h"
#include "core/strings.h"
#include "functions/dates/calendar.h"
#include "functions/numerals/numerals_macros.h"
#include "macros/answer.h"
#include "macros/arguments.h"
#include "macros/mode_letters.h"

namespace qbx::functions::dates {
namespace {

using macros::getParamChar;
using macros::getParamInt;
using macros::MacroCall;

// A date is a line of text; this leaves room for any words a template quotes around it.
constexpr std::size_t kMaxDateText = std::size_t{64} << 10;

double localNow(MacroCall& call) { return call.plugin.platform.clock->now(); }

std::string formatSeconds(MacroCall& call, std::int64_t seconds, std::int32_t unitArgument,
                          int defaultUnit) {
    const StringTable& strings = call.plugin.strings;
    return formatDuration(
        macros::durationUnit(getParamChar(call.params, unitArgument), defaultUnit),
        macros::unitNameRequested(getParamChar(call.params, unitArgument + 1)), seconds, strings,
        numerals::russianDurationWords(strings));
}

std::string spanFrom(MacroCall& call, SpanUnit unit, int defaultUnit) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        SpanStart start;
        start.unit = unit;
        start.day = getParamInt(call.params, 0);
        start.month = getParamInt(call.params, 1);
        start.year = getParamInt(call.params, 2);
        std::int32_t next = 3;
        if (unit != SpanUnit::Days) start.hour = getParamInt(call.params, next++);
        if (unit == SpanUnit::Minutes) start.minute = getParamInt(call.params, next++);
        const std::optional<std::int64_t> seconds = secondsToShow(localNow(call), start);
        if (!seconds) {
            call.plugin.log.write("@@ " + call.name + ": " +
                                  invalidStartText("no such date", start));
            return invalidStartText(call.plugin.strings[text::kDateError], start);
        }
        return formatSeconds(call, *seconds, next, defaultUnit);
    });
}

}  // namespace

std::string zvxInetTime(MacroCall& call) {
    return internetTime(call.plugin.platform.clock->universalNow(),
                        call.plugin.platform.locale->decimalSeparator());
}

std::string zvxTime(MacroCall& call) {
    return timeWithMilliseconds(*call.plugin.platform.locale, localNow(call));
}

std::string zvxWoy(MacroCall& call) { return decimal(isoWeek(localNow(call))); }
std::string zvxDoy(MacroCall& call) { return decimal(dayOfYear(localNow(call))); }
std::string zvxHom(MacroCall& call) { return decimal(hourOfMonth(localNow(call))); }
std::string zvxHow(MacroCall& call) { return decimal(hourOfWeek(localNow(call))); }
std::string zvxHoy(MacroCall& call) { return decimal(hourOfYear(localNow(call))); }

std::string zvxDateShift(MacroCall& call) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        const std::string pattern = macros::getParamText(call.params, 0);
        const double shifted = shiftDate(localNow(call), getParamInt(call.params, 1),
                                         getParamInt(call.params, 2), getParamInt(call.params, 3));
        LocaleFormat& locale = *call.plugin.platform.locale;
        if (pattern.empty()) return defaultDateTimeText(locale, shifted);
        return macros::answer(call, formatLocalDateTime(locale, locale.dateTimeNames(), pattern,
                                                        shifted, kMaxDateText));
    });
}

std::string zvxDaysTo(MacroCall& call) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        return decimal(
            daysTo(localNow(call), getParamInt(call.params, 0), getParamInt(call.params, 1)));
    });
}

std::string zvxSe(MacroCall& call) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        DateTimeFields moment;
        moment.year = getParamInt(call.params, 0);
        moment.month = getParamInt(call.params, 1);
        moment.day = getParamInt(call.params, 2);
        moment.hour = getParamInt(call.params, 3);
        moment.minute = getParamInt(call.params, 4);
        moment.second = getParamInt(call.params, 5);
        return decimal(secondsSince(localNow(call), moment));
    });
}

std::string zvxDaysFrom(MacroCall& call) { return spanFrom(call, SpanUnit::Days, 3); }
std::string zvxHoursFrom(MacroCall& call) { return spanFrom(call, SpanUnit::Hours, 2); }
std::string zvxMinsFrom(MacroCall& call) { return spanFrom(call, SpanUnit::Minutes, 1); }

std::string zvxDayProgress(MacroCall& call) {
    return macros::answerOr(call, text::kUnknown, [&] {
        const std::int32_t start = getParamInt(call.params, 0);
        const std::int32_t end = getParamInt(call.params, 1);
        const std::int32_t width = getParamInt(call.params, 2);
        const std::optional<std::string> bar =
            dayProgressBar(localNow(call), start, end, width, getParamChar(call.params, 3),
                           getParamChar(call.params, 4));
        if (!bar) {
            call.plugin.log.write("@@ " + call.name + ": no bar from hour " + decimal(start) +
                                  " to hour " + decimal(end) + ", " + decimal(width) +
                                  " cells wide");
            return call.plugin.strings[text::kUnknown];
        }
        return macros::getParamText(call.params, 5) + *bar + macros::getParamText(call.params, 6);
    });
}

std::string zvxTimeLeft(MacroCall& call) {
    WorkingHours hours;
    hours.startHour = getParamInt(call.params, 0);
    hours.startMinute = getParamInt(call.params, 1);
    hours.endHour = getParamInt(call.params, 2);
    hours.endMinute = getParamInt(call.params, 3);
    const WorkdayLeft left = workdayLeft(localNow(call), hours);
    const StringTable& strings = call.plugin.strings;
    switch (left.phase) {
        case WorkdayPhase::DayOff: return strings[text::kDayOff];
        case WorkdayPhase::Over: return strings[text::kWorkdayOver];
        case WorkdayPhase::NotStarted: return strings[text::kWorkdayNotStarted];
        case WorkdayPhase::Running: break;
    }
    return strings[text::kWorkdayLeft] + " " + formatSeconds(call, left.seconds, 4, 8);
}

std::string zvxDaysLeft(MacroCall& call) {
    PayDays days;
    days.payDay = getParamInt(call.params, 0);
    days.payHour = getParamInt(call.params, 1);
    days.advanceDay = getParamInt(call.params, 2);
    days.advanceHour = getParamInt(call.params, 3);
    return paydayCountdown(localNow(call), days, call.plugin.strings);
}

}  // namespace qbx::functions::dates
