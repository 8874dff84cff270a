#include "functions/numerals/numerals_macros.h"

#include <utility>

#include "base/text.h"
#include "core/plugin.h"
#include "core/strings.h"
#include "functions/numerals/numerals.h"
#include "macros/answer.h"
#include "macros/arguments.h"
#include "macros/mode_letters.h"

namespace qbx::functions::numerals {
namespace {

using macros::MacroCall;

// The words are a few hundred bytes a number; only a text of numbers grows past its input.
constexpr std::size_t kMaxResultText = macros::kMaxParamText;

// The two-value gender letter is argument 2 as written, not upper-cased ("f" is not "F"); the
// four-value one is the second of the upper-cased mode letters.
int twoValueGender(MacroCall& call, const std::string&) {
    return macros::genderTwoValue(macros::getParamChar(call.params, 2));
}

int fourValueGender(MacroCall&, const std::string& letters) {
    return macros::genderFourValue(letters[1]);
}

using GenderOf = int (*)(MacroCall&, const std::string& letters);

std::string ordinal(MacroCall& call, GenderOf gender) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        const std::string letters = macros::numeralModeLetters(call.params);
        return numberToOrdinalWords(macros::getParamInt(call.params, 0),
                                    macros::russianCase(letters[0]), gender(call, letters));
    });
}

}  // namespace

std::string zvxNumToStr(MacroCall& call) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        const std::string letters = macros::numeralModeLetters(call.params);
        return numberToWords(macros::getParamInt(call.params, 0), macros::russianCase(letters[0]),
                             twoValueGender(call, letters));
    });
}

std::string zvxNumToStrOrdinalTwoGenders(MacroCall& call) { return ordinal(call, twoValueGender); }

std::string zvxNumToStrOrdinal(MacroCall& call) { return ordinal(call, fourValueGender); }

std::string zvxBytesToStrRus(MacroCall& call) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        return bytesToWords(macros::russianByteScale(macros::getParamChar(call.params, 1)),
                            macros::russianCase(macros::getParamChar(call.params, 0)),
                            macros::getParamInt(call.params, 2));
    });
}

std::string zvxSecsToStrRus(MacroCall& call) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        const StringTable& strings = call.plugin.strings;
        return formatDuration(macros::durationUnit(macros::getParamChar(call.params, 0), 0),
                              macros::unitNameRequested(macros::getParamChar(call.params, 2)),
                              macros::getParamInt(call.params, 1), strings,
                              russianDurationWords(strings));
    });
}

std::string zvxReplaceNum(MacroCall& call) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        return macros::answer(
            call, replaceNumbersByWords(macros::getParamText(call.params, 0),
                                        macros::getParamText(call.params, 1),
                                        macros::getParamText(call.params, 2), kMaxResultText));
    });
}

RussianDurationWords russianDurationWords(const StringTable& strings) {
    return [&strings](std::int64_t seconds, int form) {
        return secondsToText(1, form == 1 ? DurationStyle::ShortUnits : DurationStyle::Words,
                             seconds, strings);
    };
}

}  // namespace qbx::functions::numerals
