#include "macros/message_text.h"

#include "core/plugin.h"
#include "macros/arguments.h"
#include "macros/marked_text.h"

namespace qbx::macros {

std::string readMessageItem(const MacroCall& call, std::int32_t id) {
    noteMessageRead(call.plugin);
    return getParamText(call.data, id);
}

void noteMessageRead(Plugin& plugin) { ++plugin.messageReads; }

bool argumentFromMessage(const MacroCall& call, std::int32_t index) {
    return holdsMessageText(getParamTemplate(call.params, index));
}

}  // namespace qbx::macros
