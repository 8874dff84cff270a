#include "macros/engine_macros.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "base/text.h"
#include "core/plugin.h"
#include "macros/arguments.h"
#include "macros/expressions.h"
#include "macros/message_text.h"
#include "macros/mode_letters.h"
#include "macros/templates.h"

namespace qbx::macros::engine {
namespace {

std::string arg(const MacroCall& call, std::int32_t index) {
    return getParamText(call.params, index);
}

ExpressionContext contextOf(const MacroCall& call) {
    return ExpressionContext{call.plugin.variables, call.plugin.strings, call.plugin.log, nullptr,
                             &call.plugin.messageReads};
}

// Exactly the text integer-to-text printing gives: "-" only before a non-zero number, no
// leading zeros, no "+", no blanks, within 32 bits. Anything else stays a text.
bool isCanonicalInteger(std::string_view text, std::int32_t& value) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 10) return false;
    for (const char c : digits)
        if (c < '0' || c > '9') return false;
    if (digits.front() == '0' && (digits.size() > 1 || digits.size() != text.size())) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// The delta of ZVXINC as a text-to-integer conversion reads it: surrounding blanks and a sign
// allowed, 32 bits.
std::int32_t parseDelta(std::string_view text) {
    std::int64_t value = 0;
    if (!parseInt64(text, value) || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        throw std::invalid_argument("'" + std::string(text) + "' is not a valid integer value");
    return static_cast<std::int32_t>(value);
}

// Halves go to the even neighbour whatever rounding mode the host left in the FPU.
double roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0)) return lower + 1.0;
    return lower;
}

double finiteCondition(MacroCall& call, std::int32_t index) {
    const double value = evaluateCondition(call, getParamTemplate(call.params, index));
    if (!std::isfinite(value)) throw ExpressionError("the expression has no finite value");
    return value;
}

}  // namespace

std::string zvxVar(MacroCall& call) {
    const std::string name = arg(call, 0);
    if (call.plugin.variables.fromMessage(name)) noteMessageRead(call.plugin);
    return call.plugin.variables.text(name);
}

std::string zvxSet(MacroCall& call) {
    const std::string name = arg(call, 0);
    const std::string value = arg(call, 1);
    // A name the message chose holds nothing the user can count on either.
    const bool fromMessage = argumentFromMessage(call, 1) || argumentFromMessage(call, 0);
    std::int32_t number = 0;
    // A full table stores nothing; the macro still answers the empty text.
    if (isCanonicalInteger(value, number))
        call.plugin.variables.storeInt(name, number, fromMessage);
    else
        call.plugin.variables.storeStr(name, value, fromMessage);
    return {};
}

std::string zvxInc(MacroCall& call) {
    const std::string name = arg(call, 0);
    const std::string deltaText = arg(call, 1);
    const std::int32_t delta = deltaText.empty() ? 1 : parseDelta(deltaText);
    // Only an Integer variable counts; a String or absent one is left alone.
    if (call.plugin.variables.type(name) == static_cast<int>(VarKind::Integer))
        call.plugin.variables.incInt(name, delta, argumentFromMessage(call, 1));
    return {};
}

std::string zvxEval(MacroCall& call) {
    return evaluateCalls(call, getParamTemplate(call.params, 0));
}

// Variables are expanded in the template's own text only: a "$$" in data stays as it is.
std::string zvxEv(MacroCall& call) {
    const MarkedText text = getParamTemplate(call.params, 0);
    if (!holdsData(text)) return expandVariables(contextOf(call), flatten(text));
    std::string out;
    for (const TextPiece& piece : text)
        out += piece.isData ? piece.text : expandVariables(contextOf(call), piece.text);
    return out;
}

std::string zvxCase(MacroCall& call) {
    const double k = roundHalfEven(finiteCondition(call, 0));
    if (k < 1.0 || k >= static_cast<double>(getParamCount(call.params))) return {};
    return arg(call, static_cast<std::int32_t>(k));
}

std::string zvxIf(MacroCall& call) {
    const double condition = finiteCondition(call, 0);
    return arg(call, condition != 0.0 ? 1 : 2);
}

std::string zvxFor(MacroCall& call) {
    // Every argument is read before the template runs.
    const std::string name = arg(call, 0);
    const std::int32_t from = getParamInt(call.params, 1);
    const std::int32_t to = getParamInt(call.params, 2);
    const MarkedText templ = getParamTemplate(call.params, 3);
    const std::string separator =
        separatorFromLetter(getParamChar(call.params, 4), SeparatorUser::ForLoop);
    const bool boundsFromMessage = argumentFromMessage(call, 1) || argumentFromMessage(call, 2);
    return runForLoop(call, name, from, to, templ, separator, boundsFromMessage);
}

}  // namespace qbx::macros::engine
