#include "macros/work_budget.h"

#include <string>

#include "base/text.h"
#include "core/plugin.h"

namespace qbx::macros {
namespace {

std::uint32_t tickOf(const Plugin& plugin) {
    return plugin.platform.clock != nullptr ? plugin.platform.clock->tickCount() : 0;
}

}  // namespace

void beginOutermostCall(Plugin& plugin) noexcept {
    try {
        plugin.macroWork = Plugin::MacroWork{};
        plugin.macroWork.startTick = tickOf(plugin);
    } catch (...) {
    }
}

bool spendMacroWork(Plugin& plugin, std::string_view what) noexcept {
    Plugin::MacroWork& work = plugin.macroWork;
    if (work.exhausted) return false;
    try {
        ++work.units;
        const std::uint32_t elapsed = tickOf(plugin) - work.startTick;  // wraps at 2^32
        if (work.units <= kMaxWorkUnits && elapsed <= kMaxWorkMilliseconds) return true;
        work.exhausted = true;
        plugin.log.writeAlways("***** ERROR!!! Macro work limit reached at " + std::string(what) +
                               " (" + decimal(work.units - 1) + " nested steps, " +
                               decimal(static_cast<std::int64_t>(elapsed)) +
                               " ms): the rest of this call is skipped");
    } catch (...) {
        work.exhausted = true;
    }
    return false;
}

void leaveOutOfMacroWork(Plugin& plugin, std::uint32_t milliseconds) noexcept {
    plugin.macroWork.startTick += milliseconds;  // wraps with the tick count
}

bool macroWorkSpent(const Plugin& plugin) noexcept { return plugin.macroWork.exhausted; }

std::uint32_t macroWorkElapsed(const Plugin& plugin) noexcept {
    return tickOf(plugin) - plugin.macroWork.startTick;  // wraps at 2^32
}

}  // namespace qbx::macros
