#include "macros/dispatcher.h"

#include <exception>
#include <string>

#include "base/text.h"
#include "core/guard.h"
#include "core/plugin.h"
#include "macros/arguments.h"
#include "macros/work_budget.h"

namespace qbx::macros {
namespace {

// Macro names are short words; a longer "name" is not one the chain could answer in a
// useful way and is not copied or logged whole.
constexpr std::int32_t kMaxNameLength = 64 * 1024;

// Counts one level of nesting for as long as the call runs.
class DepthLevel {
public:
    explicit DepthLevel(int& depth) noexcept : depth_(depth) { ++depth_; }
    ~DepthLevel() { --depth_; }
    DepthLevel(const DepthLevel&) = delete;
    DepthLevel& operator=(const DepthLevel&) = delete;

private:
    int& depth_;
};

// The lines of one outermost call share a part of the log (core/log.h); nested calls write
// into their outermost call's share.
class OutermostLogShare {
public:
    OutermostLogShare(Log& log, bool outermost) noexcept : log_(outermost ? &log : nullptr) {
        if (log_ != nullptr) log_->beginWork();
    }
    ~OutermostLogShare() {
        if (log_ != nullptr) log_->endWork();
    }
    OutermostLogShare(const OutermostLogShare&) = delete;
    OutermostLogShare& operator=(const OutermostLogShare&) = delete;

private:
    Log* log_;
};

void storeEmpty(MacroCall& call) noexcept {
    try {
        setItemText(call.data, call.resultId, {});
    } catch (...) {
        // Only the host's own container can fail here; the id is still the answer.
    }
}

MacroOutcome runCall(Plugin& plugin, const char* name, std::int32_t nameLength,
                     ITBPDataProvider* data, ITBPDataProvider* params) {
    if (nameLength > kMaxNameLength) {
        plugin.log.write("***** ERROR!!! TBP_ExecMacro: a name of " + decimal(nameLength) +
                         " bytes is ignored");
        return {};
    }
    MacroCall call{plugin, data, params,
                   toUpper1251(std::string_view(name, static_cast<std::size_t>(nameLength))),
                   kMacroResultId};
    const bool outermost = plugin.macroDepth == 0;
    const OutermostLogShare share(plugin.log, outermost);
    if (outermost) {
        beginOutermostCall(plugin);
    } else if (!spendMacroWork(plugin, call.name)) {
        // Past the budget a call is skipped without a line of its own: the limit line said it.
        storeEmpty(call);
        return {call.resultId, true};
    }
    plugin.log.write("TBP_ExecMacro [%" + call.name + "]");
    if (plugin.macroDepth >= kMaxNestingDepth) {
        plugin.log.write("***** ERROR!!! Macro calls nested deeper than " +
                         decimal(kMaxNestingDepth) + " levels: " + call.name);
        storeEmpty(call);
        return {call.resultId, true};
    }
    const DepthLevel level(plugin.macroDepth);
    const std::uint64_t messageReadsBefore = plugin.messageReads;

    // Every entry is tested; a name with two entries runs both branches, in table order.
    bool stored = false;
    for (const ChainEntry& entry : macroTable()) {
        if (!entryMatches(entry, call.name) || entry.branch == nullptr) continue;
        stored = true;  // a failing branch stores the empty text
        if (!runBranch(call, entry.branch)) break;
    }
    return {call.resultId, stored, plugin.messageReads != messageReadsBefore};
}

std::span<const ChainEntry> installedTable;

}  // namespace

void installMacroTable(std::span<const ChainEntry> table) noexcept { installedTable = table; }

std::span<const ChainEntry> macroTable() noexcept { return installedTable; }

bool entryMatches(const ChainEntry& entry, std::string_view upperName) {
    return entry.prefix ? upperName.starts_with(entry.name) : upperName == entry.name;
}

bool runBranch(MacroCall& call, Branch branch) noexcept {
    FpuShield shield;
    try {
        const std::string text = branch(call);
        setItemText(call.data, call.resultId, text);
        return true;
    } catch (...) {
        try {
            call.plugin.log.write("***** ERROR!!! Exception in macro " + call.name + ": " +
                                  describeException(std::current_exception()));
        } catch (...) {
        }
    }
    storeEmpty(call);
    return false;
}

std::int32_t execMacro(Plugin& plugin, const char* name, std::int32_t nameLength,
                       ITBPDataProvider* data, ITBPDataProvider* params) noexcept {
    return runMacro(plugin, name, nameLength, data, params).resultId;
}

MacroOutcome runMacro(Plugin& plugin, const char* name, std::int32_t nameLength,
                      ITBPDataProvider* data, ITBPDataProvider* params) noexcept {
    FpuShield shield;
    // The call's own references, besides the kept ones: a nested call or the host may drop
    // theirs while this call still runs.
    const HostRef<ITBPDataProvider> dataRef(data);
    const HostRef<ITBPDataProvider> paramsRef(params);
    // The script functions read the latest call's containers; also an empty name replaces them.
    plugin.curData = HostRef<ITBPDataProvider>(data);
    plugin.curParams = HostRef<ITBPDataProvider>(params);
    if (nameLength <= 0 || name == nullptr) return {};
    try {
        return runCall(plugin, name, nameLength, data, params);
    } catch (...) {
        // Building the name or the log line ran out of memory: nothing was stored.
        try {
            plugin.log.write("***** ERROR!!! Exception in TBP_ExecMacro: " +
                             describeException(std::current_exception()));
        } catch (...) {
        }
        return {};
    }
}

}  // namespace qbx::macros
