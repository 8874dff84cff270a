#include "functions/counters/counters_macros.h"

#include <cstdint>
#include <optional>

#include "base/datetime.h"
#include "base/text.h"
#include "core/plugin.h"
#include "core/session.h"
#include "functions/counters/counter_texts.h"
#include "macros/arguments.h"

namespace qbx::functions::counters {
namespace {

using macros::MacroCall;

char letter(const MacroCall& call, std::int32_t index) {
    return macros::getParamChar(call.params, index);
}

char decimalSeparator(const Plugin& plugin) {
    return plugin.platform.locale != nullptr ? plugin.platform.locale->decimalSeparator() : '.';
}

std::string sizeInUnit(const Plugin& plugin, double bytes, char unitLetter) {
    return sizeText(bytes, unitLetter, plugin.strings, decimalSeparator(plugin));
}

// Whole seconds since the period started; a start that makes no date counts as now.
std::int64_t periodSeconds(const Plugin& plugin) {
    if (plugin.platform.clock == nullptr) return 0;
    const std::optional<double> start = periodStart(plugin.settings);
    if (!start) return 0;
    return secondsBetween(plugin.platform.clock->now(), *start);
}

}  // namespace

std::string statCount(MacroCall& call) { return decimal(call.plugin.settings.messagesCounted); }

std::string statTimes(MacroCall& call) { return decimal(periodSeconds(call.plugin)); }

std::string statTime(MacroCall& call) {
    return periodText(periodSeconds(call.plugin), call.plugin.strings);
}

std::string statTraffic(MacroCall& call) {
    const Plugin& plugin = call.plugin;
    const std::int64_t period = periodSeconds(plugin);
    // The first second of a period has no rate yet.
    if (period == 0) return plugin.strings[str::kNotAvailable];
    const double perUnit = trafficAmount(plugin.settings, letter(call, 0)) /
                           static_cast<double>(period) * timeUnitSeconds(letter(call, 2));
    return sizeInUnit(plugin, perUnit, letter(call, 1));
}

std::string statS(MacroCall& call) {
    return sizeInUnit(call.plugin, trafficAmount(call.plugin.settings, letter(call, 0)),
                      letter(call, 1));
}

std::string statMs(MacroCall& call) {
    const Plugin& plugin = call.plugin;
    if (plugin.settings.messagesCounted == 0) return plugin.strings[str::kNotAvailable];
    const double mean = trafficAmount(plugin.settings, letter(call, 0)) /
                        static_cast<double>(plugin.settings.messagesCounted);
    return sizeInUnit(plugin, mean, letter(call, 1));
}

std::string statSessionTotalTime(MacroCall& call) {
    return decimal(totalSessionSeconds(call.plugin));
}

std::string statSessionTime(MacroCall& call) { return decimal(sessionSeconds(call.plugin)); }

std::string statStartCount(MacroCall& call) { return decimal(call.plugin.settings.startCount); }

std::string statEndCount(MacroCall& call) { return decimal(call.plugin.settings.endCount); }

std::string statSessionMeanTime(MacroCall& call) {
    const std::int64_t ends = call.plugin.settings.endCount;
    if (ends == 0) return "0";
    return wholeText(static_cast<double>(totalSessionSeconds(call.plugin)) /
                     static_cast<double>(ends));
}

}  // namespace qbx::functions::counters
