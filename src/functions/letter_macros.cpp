#include "functions/letter_macros.h"

#include "core/plugin.h"
#include "functions/letters.h"
#include "macros/arguments.h"
#include "macros/random_source.h"

namespace qbx::functions {
namespace {

using macros::MacroCall;

constexpr int kAskForTextAndParameter = 38;

std::string text(const MacroCall& call) {
    return macros::getParamText(call.params, 0);
}

RandomBelow processDraws() {
    return [](int bound) { return macros::randomBelow(bound); };
}

}  // namespace

std::string zvxTranslit(MacroCall& call) {
    return translit(text(call));
}

std::string zvxTranslit2(MacroCall& call) {
    return leetTranslit(text(call));
}

std::string zvxRCase(MacroCall& call) {
    return randomCase(text(call), processDraws());
}

std::string zvxIzvrat(MacroCall& call) {
    if (macros::getParamCount(call.params) < 2) return call.plugin.strings[kAskForTextAndParameter];
    return garbleText(text(call), macros::getParamInt(call.params, 1), processDraws());
}

}  // namespace qbx::functions
