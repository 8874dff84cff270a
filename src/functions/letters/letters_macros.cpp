#include "functions/letters/letters_macros.h"

#include "base/random_source.h"
#include "core/plugin.h"
#include "functions/letters/hidden_text.h"
#include "macros/arguments.h"
#include "mail/letters.h"

namespace qbx::functions::letters {
namespace {

using macros::MacroCall;

constexpr int kAskForTextAndParameter = 38;

std::string text(const MacroCall& call) { return macros::getParamText(call.params, 0); }

mail::RandomBelow processDraws() {
    return [](int bound) { return randomBelow(bound); };
}

}  // namespace

std::string zvxTranslit(MacroCall& call) { return mail::translit(text(call)); }

std::string zvxTranslit2(MacroCall& call) { return mail::leetTranslit(text(call)); }

std::string zvxRCase(MacroCall& call) { return mail::randomCase(text(call), processDraws()); }

std::string zvxIzvrat(MacroCall& call) {
    if (macros::getParamCount(call.params) < 2) return call.plugin.strings[kAskForTextAndParameter];
    return mail::garbleText(text(call), macros::getParamInt(call.params, 1), processDraws());
}

std::string zvxEncrypt(MacroCall& call) {
    return hideTextInText(text(call), macros::getParamText(call.params, 1));
}

std::string zvxDecrypt(MacroCall& call) { return extractHiddenText(text(call)); }

}  // namespace qbx::functions::letters
