#include "functions/text/transform_macros.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>

#include "base/random_source.h"
#include "base/text.h"
#include "core/guard.h"
#include "core/plugin.h"
#include "functions/files/files.h"
#include "functions/text/chars.h"
#include "functions/text/lines.h"
#include "functions/text/links.h"
#include "functions/text/regex_text.h"
#include "macros/answer.h"
#include "macros/arguments.h"
#include "macros/message_text.h"
#include "macros/mode_letters.h"
#include "macros/work_budget.h"

namespace qbx::functions::text {
namespace {

using macros::MacroCall;

// Results made from an input text may be as long as an argument can be.
constexpr std::size_t kMaxResultText = macros::kMaxParamText;
// A file ZVXGETSTR reads: a list of keyed lines, nowhere near this.
constexpr std::size_t kMaxKeyedFile = std::size_t{16} << 20;
// Replace and grep give up when the outermost call has run this long.
constexpr std::uint32_t kMaxMatchMilliseconds = macros::kMaxWorkMilliseconds;

std::string arg(const MacroCall& call, std::int32_t index) {
    return macros::getParamText(call.params, index);
}

std::int32_t intArg(const MacroCall& call, std::int32_t index) {
    return macros::getParamInt(call.params, index);
}

char letterArg(const MacroCall& call, std::int32_t index) {
    return macros::getParamChar(call.params, index);
}

// Argument 0, or the message's text when it is empty.
std::string textOrMessage(const MacroCall& call) {
    std::string text = arg(call, 0);
    return text.empty() ? macros::readMessageItem(call, macros::kTextItem) : text;
}

// The macro's own placeholder after a failure, logged as the answer helper logs one.
std::string failed(MacroCall& call, std::string placeholder, std::string_view what) {
    call.plugin.log.write("@@ " + call.name + ": " + std::string(what));
    return placeholder;
}

// Between matches: a walk that has run past the call's time is stopped.
MatchCheckpoint matchDeadline(MacroCall& call) {
    const Plugin& plugin = call.plugin;
    if (plugin.platform.clock == nullptr) return [] {};
    return [&plugin] {
        const std::uint32_t elapsed = macros::macroWorkElapsed(plugin);
        if (elapsed > kMaxMatchMilliseconds)
            throw std::runtime_error("matching stopped after " + decimal(elapsed) + " ms");
    };
}

// Inside a search: one that would run past the call's time gives up as the library gives up on
// its own limits. Without a clock the library's default watch serves.
RegexWatch searchDeadline(MacroCall& call) {
    const Plugin& plugin = call.plugin;
    if (plugin.platform.clock == nullptr) return {};
    return [&plugin] { return macros::macroWorkElapsed(plugin) <= kMaxMatchMilliseconds; };
}

// The walk's result, or the placeholder with the library's message when the expression does
// not compile or a search gives up.
template <typename Walk>
std::string withExpression(MacroCall& call, const std::string& expression, std::string placeholder,
                           Walk walk) {
    std::string error;
    const std::optional<Regex1251> regex = compileTextRegex(expression, &error);
    if (!regex) return failed(call, std::move(placeholder), error);
    try {
        return macros::answer(call,
                              walk(*regex, MatchLimits{matchDeadline(call), searchDeadline(call)}));
    } catch (...) {
        return failed(call, std::move(placeholder), describeException(std::current_exception()));
    }
}

}  // namespace

std::string zvxWrap(MacroCall& call) {
    std::string separator = arg(call, 2);
    if (separator.empty()) separator = "\\";
    return macros::answer(call, wrapText(arg(call, 0), intArg(call, 1), separator, kMaxResultText));
}

std::string zvxSymCnt(MacroCall& call) {
    return decimal(static_cast<std::int64_t>(printableCharCount(arg(call, 0))));
}

std::string zvxLinCnt(MacroCall& call) {
    return decimal(static_cast<std::int64_t>(lineCount(arg(call, 0))));
}

std::string zvxExtractStr(MacroCall& call) {
    return macros::answer(call, splitToLines(arg(call, 0), " ,;", kMaxResultText));
}

std::string zvxDecodeStr(MacroCall& call) {
    Log& log = call.plugin.log;
    return macros::answer(
        call, decodeEncodedWords(arg(call, 0), kMaxResultText,
                                 [&log](std::string_view line) { log.write(line, 1); }));
}

std::string zvxSeparator(MacroCall& call) {
    return randomSeparator(arg(call, 0), intArg(call, 1), processRandom());
}

std::string zvxKillEmptyStr(MacroCall& call) {
    return macros::answer(call, killEmptyLines(arg(call, 0), kMaxResultText));
}

std::string zvxGetStr(MacroCall& call) {
    const std::string name = arg(call, 0);
    const std::string key = arg(call, 1);
    FileSystem* files = call.plugin.platform.files;
    const std::optional<std::string> path =
        files::moduleFilePath(name, call.plugin.settings.installDir);
    if (!path) return failed(call, {}, "cannot read " + name + ": the module's folder is unknown");
    std::optional<std::string> contents;
    if (files != nullptr) contents = files->readFile(*path, kMaxKeyedFile);
    if (!contents)
        return failed(call, {},
                      "cannot read " + *path + (files != nullptr ? ": " + files->lastError() : ""));
    return getLine(*contents, key);
}

std::string zvxStrTrim(MacroCall& call) {
    return macros::answer(call, trimLines(arg(call, 0), kMaxResultText));
}

std::string zvxMkPlain(MacroCall& call) {
    return macros::answer(call, makePlain(arg(call, 0), kMaxResultText));
}

std::string zvxFill(MacroCall& call) {
    const std::string text = arg(call, 0);
    const std::string prefix = arg(call, 3);
    const std::string suffix = arg(call, 4);
    const std::string marker = arg(call, 8);
    FillRequest request;
    request.text = text;
    request.fill = letterArg(call, 1);
    request.width = intArg(call, 2);
    request.prefix = prefix;
    request.suffix = suffix;
    request.above = intArg(call, 5);
    request.below = intArg(call, 6);
    request.alignment = intArg(call, 7);
    request.marker = marker;
    return macros::answer(call, fillLines(request, kMaxResultText));
}

std::string zvxReplaceRegExp(MacroCall& call) {
    std::string text = arg(call, 0);
    const std::string expression = arg(call, 1);
    const std::string replacement = arg(call, 2);
    return withExpression(
        call, expression, text, [&](const Regex1251& regex, const MatchLimits& limits) {
            return replaceRegExpr(regex, text, replacement, kMaxResultText, limits);
        });
}

std::string zvxGrep(MacroCall& call) {
    const std::string text = arg(call, 0);
    const std::string expression = arg(call, 1);
    const std::string separator =
        macros::separatorFromLetter(letterArg(call, 2), macros::SeparatorUser::Grep);
    const std::string groups = arg(call, 3);
    const std::string joiner =
        macros::separatorFromLetter(letterArg(call, 4), macros::SeparatorUser::Grep, separator);
    GrepRequest request;
    request.groups = groups;
    request.separator = separator;
    request.joiner = joiner;
    request.unique = letterArg(call, 5) == 'N';
    return withExpression(call, expression, {},
                          [&](const Regex1251& regex, const MatchLimits& limits) {
                              return grepText(regex, text, request, kMaxResultText, limits);
                          });
}

std::string zvxCite(MacroCall& call) {
    const std::string text = textOrMessage(call);
    return macros::answer(call, citeText(text, arg(call, 1), intArg(call, 2), kMaxResultText));
}

std::string zvxPs(MacroCall& call) {
    const std::string text = arg(call, 0);
    const std::string prefix = arg(call, 1);
    return macros::answer(call, prefixSuffixLines(text, prefix, arg(call, 2), kMaxResultText));
}

std::string zvxKillCite(MacroCall& call) {
    return macros::answer(call, killCite(arg(call, 0), intArg(call, 1), kMaxResultText));
}

std::string zvxGetLinks(MacroCall& call) {
    return macros::answer(call, extractLinks(textOrMessage(call), kMaxResultText));
}

std::string zvxReverse(MacroCall& call) {
    const std::string text = arg(call, 0);
    return macros::answer(call, arg(call, 1) == "L" ? reverseAll(text, kMaxResultText)
                                                    : reverseEachLine(text, kMaxResultText));
}

std::string zvxMkLink(MacroCall& call) {
    return macros::answer(
        call, percentEncodeWithin(arg(call, 0), letterArg(call, 1) == 'A', kMaxResultText));
}

std::string zvxReplaceChar(MacroCall& call) {
    const std::string text = arg(call, 0);
    return macros::answer(call,
                          replaceChars(letterArg(call, 1), arg(call, 2), text, kMaxResultText));
}

std::string zvxCnt(MacroCall& call) {
    const std::string text = arg(call, 0);
    const char mode = letterArg(call, 1);
    const std::size_t count = mode == 'P'   ? countPunctuation(text)
                              : mode == 'S' ? countSpaces(text)
                                            : countLetters(text);
    return decimal(static_cast<std::int64_t>(count));
}

}  // namespace qbx::functions::text
