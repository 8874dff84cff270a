#include "functions/text/text_macros.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "base/random_source.h"
#include "base/text.h"
#include "core/plugin.h"
#include "functions/text/text_operations.h"
#include "macros/answer.h"
#include "macros/arguments.h"

namespace qbx::functions::text {
namespace {

using macros::MacroCall;

// Texts these macros build from their arguments are cut here (and the cut is logged).
constexpr std::size_t kMaxResultText = macros::kMaxParamText;

std::string arg(const MacroCall& call, std::int32_t index) {
    return macros::getParamText(call.params, index);
}

}  // namespace

std::string zvxCutHere(MacroCall&) { return "\r\n-- "; }

std::string zvxStrCmp(MacroCall& call) { return arg(call, 0) == arg(call, 1) ? "1" : "0"; }

// The arguments are read one at a time: a call may have many, each of them long.
std::string zvxStrIn(MacroCall& call) {
    const std::string key = arg(call, 0);
    const std::int32_t count = macros::getParamCount(call.params);
    for (std::int32_t i = 1; i < count; ++i)
        if (arg(call, i) == key) return "1";
    return "0";
}

std::string zvxSelect(MacroCall& call) {
    const std::string key = arg(call, 0);
    const std::int32_t count = macros::getParamCount(call.params);
    std::string value;
    // The last matching pair wins; an unpaired last argument is no pair.
    for (std::int32_t i = 1; i + 1 < count; i += 2)
        if (arg(call, i) == key) value = arg(call, i + 1);
    return value;
}

std::string zvxStrings(MacroCall& call) {
    const std::int32_t count = macros::getParamCount(call.params);
    BoundedText result{{}, false, kMaxResultText};
    std::string& text = result.text;
    for (std::int32_t i = 0; i < count; ++i) {
        if (i > 0) text += "\r\n";
        text += arg(call, i);
        if (text.size() > kMaxResultText) {
            text.resize(kMaxResultText);
            result.cut = true;
            break;
        }
    }
    return macros::answer(call, std::move(result));
}

std::string zvxReplace(MacroCall& call) {
    const std::string text = arg(call, 0);
    const std::string search = arg(call, 1);
    return macros::answer(call, replaceAll(text, search, arg(call, 2), kMaxResultText));
}

std::string zvxCutFromTo(MacroCall& call) {
    const std::string text = arg(call, 0);
    const std::string from = arg(call, 1);
    return cutFromTo(text, from, arg(call, 2));
}

std::string zvxCutOn(MacroCall& call) {
    const std::string text = arg(call, 0);
    return cutOn(text, arg(call, 1));
}

std::string zvxRnd(MacroCall& call) {
    const std::int32_t length = macros::getParamInt(call.params, 0);
    const std::int32_t radix = macros::getParamInt(call.params, 1);
    return randomDigits(length, radix, processRandom());
}

}  // namespace qbx::functions::text
