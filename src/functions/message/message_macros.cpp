#include "functions/message/message_macros.h"

#include <algorithm>
#include <string_view>

#include "base/text.h"
#include "core/plugin.h"
#include "macros/arguments.h"
#include "macros/message_text.h"
#include "macros/mode_letters.h"
#include "macros/templates.h"
#include "mail/headers.h"

namespace qbx::functions::message {
namespace {

using macros::MacroCall;

constexpr std::string_view kReceived = "Received:";

std::string headerBlock(const MacroCall& call) {
    return macros::readMessageItem(call, macros::kHeadersItem);
}

std::string trimmed(std::string_view text) { return std::string(trimBlankOrControl(text)); }

}  // namespace

std::string zvxGetHeader(MacroCall& call) {
    const std::string name = macros::getParamText(call.params, 0);
    Log& log = call.plugin.log;
    const std::string value = mail::getHeaderValue(
        headerBlock(call), name, [&log](std::string_view line) { log.write(line, 1); });
    // The value still begins with the name; the name is followed by its colon.
    const std::size_t skip = name.size() + 1;
    if (value.size() <= skip) return {};
    return trimmed(std::string_view(value).substr(skip));
}

std::string zvxCharset(MacroCall& call) { return mail::getCharset(headerBlock(call)); }

std::string zvxMailer(MacroCall& call) { return mail::getMailer(headerBlock(call)); }

std::string zvxServList(MacroCall& call) {
    const std::string separator = macros::separatorFromLetter(macros::getParamChar(call.params, 0),
                                                              macros::SeparatorUser::ServerList);
    const bool dropAddresses = macros::getParamText(call.params, 1) != "ALL";
    return mail::serverList(headerBlock(call), separator, dropAddresses);
}

std::string zvxDeliveryFromIp(MacroCall& call) {
    std::string name = macros::getParamText(call.params, 0);
    if (name.empty()) name = kReceived;
    return mail::findIPv4InText(mail::getLastHeaderValue(headerBlock(call), name));
}

std::string zvxDeliveryFromServer(MacroCall& call) {
    return trimmed(mail::receivedByServer(mail::getLastHeaderValue(headerBlock(call), kReceived)));
}

std::string zvxAttCount(MacroCall& call) {
    // The host lists the attachments separated by commas, or says "<none>".
    const std::string list = macros::expandHostMacros(call, "%OATTACHMENTS");
    if (list == "<none>") return "0";
    return decimal(1 + std::count(list.begin(), list.end(), ','));
}

std::string zvxRawSource(MacroCall& call) {
    return macros::readMessageItem(call, macros::kMsgIdItem);
}

}  // namespace qbx::functions::message
