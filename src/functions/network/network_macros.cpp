#include "functions/network/network_macros.h"

#include <exception>
#include <stdexcept>
#include <utility>

#include "core/formatting.h"
#include "core/guard.h"
#include "core/plugin.h"
#include "core/strings.h"
#include "functions/network/connection_state.h"
#include "functions/numerals/numerals_macros.h"
#include "macros/answer.h"
#include "macros/arguments.h"
#include "macros/mode_letters.h"

namespace qbx::functions::network {
namespace {

using macros::MacroCall;

constexpr int kDefaultDurationUnit = 1;  // minutes

Network& networkOf(MacroCall& call) {
    if (call.plugin.platform.network == nullptr)
        throw std::runtime_error("no network services in this build");
    return *call.plugin.platform.network;
}

bool isOnline(const MacroCall& call) {
    return call.plugin.dialUp != nullptr && call.plugin.dialUp->isOnline;
}

// The macros whose failure answers nothing rather than an interface text.
template <typename Body>
std::string answerOrEmpty(MacroCall& call, Body&& body) {
    try {
        return body();
    } catch (...) {
        call.plugin.log.write("@@ " + call.name + ": " +
                              describeException(std::current_exception()));
        return {};
    }
}

}  // namespace

std::string zvxIfOnline(MacroCall& call) {
    return answerOrEmpty(call,
                         [&] { return macros::getParamText(call.params, isOnline(call) ? 0 : 1); });
}

std::string zvxOnlineTime(MacroCall& call) {
    return answerOrEmpty(call, [&] {
        const StringTable& strings = call.plugin.strings;
        return formatDuration(
            macros::durationUnit(macros::getParamChar(call.params, 0), kDefaultDurationUnit),
            macros::unitNameRequested(macros::getParamChar(call.params, 1),
                                      macros::UnitNameCase::AsciiUpperCased),
            call.plugin.settings.onlineSeconds, strings, numerals::russianDurationWords(strings));
    });
}

std::string zvxIp(MacroCall& call) {
    return macros::answerOr(call, kLocalhostText, [&] {
        std::vector<std::string> addresses = networkOf(call).localAddresses();
        if (addresses.empty()) return call.plugin.strings[kLocalhostText];
        return std::move(addresses.front());
    });
}

std::string zvxLocalIp(MacroCall& call) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        const std::int32_t index = macros::getParamInt(call.params, 0);
        // A number that names no address needs no look-up.
        if (index < 0 || static_cast<std::size_t>(index) >= Network::kMaxAddresses)
            return call.plugin.strings[str::kNotAvailable];
        return addressAt(networkOf(call).localAddresses(), index)
            .value_or(call.plugin.strings[str::kNotAvailable]);
    });
}

std::string zvxLocalIpList(MacroCall& call) {
    return answerOrEmpty(call, [&] {
        const std::string separator = macros::separatorFromLetter(
            macros::getParamChar(call.params, 0), macros::SeparatorUser::LocalIpList);
        return joinAddresses(networkOf(call).localAddresses(), separator);
    });
}

std::string zvxGetIp(MacroCall& call) {
    return answerOrEmpty(call, [&] {
        const std::string name = macros::getParamText(call.params, 0);
        if (!resolvableHostName(name)) {
            call.plugin.log.write("@@ " + call.name + ": host name longer than " +
                                  std::to_string(Network::kMaxHostName) + " bytes");
            return std::string();
        }
        return networkOf(call).firstAddressOf(name);
    });
}

std::string zvxDialUpName(MacroCall& call) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        if (!isOnline(call)) return call.plugin.strings[kNoConnectionText];
        const std::string& name = call.plugin.dialUp->name;
        if (name.empty()) return call.plugin.strings[str::kNotAvailable];
        const bool cut = name.size() > Network::kMaxEntryName;
        return macros::answer(
            call, BoundedText{name.substr(0, Network::kMaxEntryName), cut, Network::kMaxEntryName});
    });
}

}  // namespace qbx::functions::network
