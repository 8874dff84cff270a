#include "functions/splitting/splitting_macros.h"

#include "core/plugin.h"
#include "functions/splitting/split_files.h"
#include "macros/arguments.h"

namespace qbx::functions::splitting {

std::string zvxSplit(macros::MacroCall& call) {
    call.resultId = macros::kFullTextItem;
    std::string text = macros::getParamText(call.params, 0);
    const std::string recipient = macros::getParamText(call.params, 1);
    const std::int32_t size = macros::getParamInt(call.params, 2);
    macros::setItemText(call.data, macros::kToItem, recipient);
    SplitFiles* files = splitFiles(call.plugin);
    if (files == nullptr) {
        call.plugin.log.write("@@ ZVXSPLIT: nothing queued, splitting is not started");
        return text;
    }
    return files->splitAndQueue(text, recipient, size);
}

}  // namespace qbx::functions::splitting
