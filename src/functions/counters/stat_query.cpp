#include "functions/counters/stat_query.h"

#include "core/plugin.h"
#include "macros/arguments.h"
#include "statistics/stat_item.h"

namespace qbx::functions::counters {

std::string queryStatistics(Plugin& plugin, std::int32_t index, std::string_view expression,
                            std::string_view templ, std::string_view separator) {
    statistics::StatItem* item = statistics::statItem(plugin, index);
    if (item == nullptr) return plugin.strings[kStatItemMissing];
    const statistics::ExportResult result = item->exportEntries(expression, templ, separator);
    if (result.status < 0) return plugin.strings[kStatBadPattern] + " (" + result.text + ")";
    // A template that expands to nothing for every entry reads as no match at all.
    if (result.text.empty()) return plugin.strings[kStatNotFound];
    return result.text;
}

std::string stat(macros::MacroCall& call) {
    return queryStatistics(
        call.plugin, macros::getParamInt(call.params, 0), macros::getParamText(call.params, 1),
        macros::getParamText(call.params, 2), macros::getParamText(call.params, 3));
}

}  // namespace qbx::functions::counters
