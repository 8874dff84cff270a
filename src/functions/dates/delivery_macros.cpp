#include "functions/dates/delivery_macros.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "base/text.h"
#include "core/formatting.h"
#include "core/plugin.h"
#include "functions/dates/mail_dates.h"
#include "functions/numerals/numerals_macros.h"
#include "macros/answer.h"
#include "macros/arguments.h"
#include "macros/message_text.h"
#include "macros/mode_letters.h"
#include "macros/templates.h"
#include "mail/headers.h"

namespace qbx::functions::dates {
namespace {

using macros::MacroCall;

constexpr int kUnknownText = 37;         // "<неизвестно>"
constexpr int kDefaultDurationUnit = 1;  // minutes
constexpr int kReplyTimeUnit = 8;        // short Russian units
constexpr std::string_view kReceived = "Received:";

class UnreadableDate : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string headerBlock(const MacroCall& call) {
    return macros::readMessageItem(call, macros::kHeadersItem);
}

DateLog levelOneLog(MacroCall& call) {
    Log& log = call.plugin.log;
    return [&log](std::string_view line) { log.write(line, 1); };
}

Clock& clockOf(const MacroCall& call) {
    if (call.plugin.platform.clock == nullptr) throw std::logic_error("no clock");
    return *call.plugin.platform.clock;
}

LocaleFormat& localeOf(const MacroCall& call) {
    if (call.plugin.platform.locale == nullptr) throw std::logic_error("no locale");
    return *call.plugin.platform.locale;
}

// The mail client tells when it received the message only through its own macros.
std::string clientReceiveText(MacroCall& call) {
    std::string text = macros::expandHostMacros(call, "%ORCVTIME=\"h:n:s\"");
    text += ' ';
    text += macros::expandHostMacros(call, "%ORCVDATEEN");
    return text;
}

std::int64_t secondsBetweenSources(MacroCall& call, int a, int b) {
    const std::string headers = headerBlock(call);
    const bool wantsReceiveTime = a == kClientReceiveTime || b == kClientReceiveTime;
    const std::string receiveText = wantsReceiveTime ? clientReceiveText(call) : std::string();
    const DateSources sources{headers, receiveText, clockOf(call), localeOf(call),
                              levelOneLog(call)};
    const std::optional<std::int64_t> seconds = deliveryTimeText(sources, a, b);
    if (!seconds)
        throw UnreadableDate("no readable date for the date sources " + decimal(a) + " and " +
                             decimal(b));
    return *seconds;
}

std::string hopDate(MacroCall& call, bool bottomMost) {
    return macros::answerOr(call, kUnknownText, [&] {
        const std::string headers = headerBlock(call);
        const std::string value = bottomMost
                                      ? mail::getLastHeaderValue(headers, kReceived)
                                      : mail::getHeaderValue(headers, kReceived, levelOneLog(call));
        double dateTime = 0;
        if (!parseMailDate(value, dateTime))
            throw UnreadableDate(std::string("no readable date in the ") +
                                 (bottomMost ? "bottom-most" : "top-most") + " Received header");
        return defaultDateTimeText(localeOf(call), dateTime);
    });
}

std::string readableOrThrow(const std::optional<std::string>& text, std::string_view between) {
    if (!text) throw UnreadableDate("no readable date in " + std::string(between));
    return *text;
}

}  // namespace

std::string zvxDelivTime(MacroCall& call) {
    return macros::answerOr(call, kUnknownText, [&] {
        const int a = macros::getParamInt(call.params, 0);
        const int b = macros::getParamInt(call.params, 1);
        const int unit =
            macros::durationUnit(macros::getParamChar(call.params, 2), kDefaultDurationUnit);
        const bool addName = macros::unitNameRequested(macros::getParamChar(call.params, 3));
        const std::int64_t seconds = secondsBetweenSources(call, a, b);
        const StringTable& strings = call.plugin.strings;
        return formatDuration(unit, addName, seconds, strings,
                              numerals::russianDurationWords(strings));
    });
}

std::string zvxReplyTime(MacroCall& call) {
    return macros::answerOr(call, kUnknownText, [&] {
        const std::int64_t seconds = secondsBetweenSources(call, kDateHeader, kNow);
        const StringTable& strings = call.plugin.strings;
        return formatDuration(kReplyTimeUnit, true, seconds, strings,
                              numerals::russianDurationWords(strings));
    });
}

std::string zvxDeliveryFromDate(MacroCall& call) { return hopDate(call, true); }

std::string zvxDeliveryToDate(MacroCall& call) { return hopDate(call, false); }

std::string zvxDeliveryTime(MacroCall& call) {
    return macros::answerOr(call, kUnknownText, [&] {
        return readableOrThrow(
            deliveryTime(headerBlock(call), call.plugin.strings, levelOneLog(call)),
            "the top-most or the bottom-most Received header");
    });
}

std::string zvxDeliveryTimeBox(MacroCall& call) {
    return macros::answerOr(call, kUnknownText, [&] {
        return readableOrThrow(deliveryTimeBox(headerBlock(call), call.plugin.strings),
                               "the top-most Received header or the last Date line");
    });
}

}  // namespace qbx::functions::dates
