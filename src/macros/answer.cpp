#include "macros/answer.h"

#include <cstdint>
#include <utility>

#include "base/text.h"
#include "core/guard.h"
#include "core/plugin.h"

namespace qbx::macros {

std::string answer(MacroCall& call, BoundedText result) {
    if (result.cut)
        call.plugin.log.write("@@ " + call.name + ": result cut at " +
                              decimal(static_cast<std::int64_t>(result.limit)) + " bytes");
    return std::move(result.text);
}

std::string placeholderAfterFailure(MacroCall& call, int placeholder, std::exception_ptr failure) {
    call.plugin.log.write("@@ " + call.name + ": " + describeException(failure));
    return call.plugin.strings[placeholder];
}

}  // namespace qbx::macros
