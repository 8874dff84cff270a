#include "macros/templates.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "core/plugin.h"
#include "macros/arguments.h"
#include "macros/call_token.h"
#include "macros/dispatcher.h"
#include "macros/expressions.h"
#include "macros/message_text.h"
#include "macros/nested_arguments.h"
#include "macros/work_budget.h"

namespace qbx::macros {
namespace {

// A loop's text and its turns are bounded: a template is user input, and every turn runs the
// whole pipeline with its host calls and log lines. The turns of loops nested through their
// templates count together.
constexpr std::size_t kMaxLoopResult = std::size_t{1} << 20;
constexpr std::int64_t kMaxLoopTurns = 10000;

constexpr int kTooManyVariables = 98;

// A log line shows the start of a long text, not all of it.
constexpr std::size_t kMaxLoggedText = 4096;

std::string loggable(std::string_view text) {
    if (text.size() <= kMaxLoggedText) return std::string(text);
    return std::string(text.substr(0, kMaxLoggedText)) + "...";
}

std::int32_t lengthOf(std::string_view text) {
    return static_cast<std::int32_t>(
        std::min<std::size_t>(text.size(), std::numeric_limits<std::int32_t>::max()));
}

// The containers the running call keeps for the script functions: a nested call, and the
// host's expansion calling back into us, replace them; the running call gets its own back.
class KeptContainers {
public:
    explicit KeptContainers(Plugin& plugin)
        : plugin_(plugin), data_(plugin.curData.get()), params_(plugin.curParams.get()) {}
    ~KeptContainers() {
        plugin_.curData = std::move(data_);
        plugin_.curParams = std::move(params_);
    }
    KeptContainers(const KeptContainers&) = delete;
    KeptContainers& operator=(const KeptContainers&) = delete;

private:
    Plugin& plugin_;
    HostRef<ITBPDataProvider> data_;
    HostRef<ITBPDataProvider> params_;
};

// A bracket group is evaluated before the call it belongs to runs, so it does not pass the
// dispatcher's depth count by itself; it takes a level of the same counter.
class GroupLevel {
public:
    explicit GroupLevel(int& depth) : depth_(depth), entered_(depth < kMaxNestingDepth) {
        if (entered_) ++depth_;
    }
    ~GroupLevel() {
        if (entered_) --depth_;
    }
    GroupLevel(const GroupLevel&) = delete;
    GroupLevel& operator=(const GroupLevel&) = delete;
    bool entered() const { return entered_; }

private:
    int& depth_;
    bool entered_;
};

// The turns of the loops running in one module context.
class LoopScope {
public:
    explicit LoopScope(Plugin::LoopTurns& turns) : turns_(turns) {
        if (turns_.running++ == 0) turns_.used = 0;
    }
    ~LoopScope() { --turns_.running; }
    LoopScope(const LoopScope&) = delete;
    LoopScope& operator=(const LoopScope&) = delete;
    bool takeTurn() {
        if (turns_.used >= kMaxLoopTurns) return false;
        ++turns_.used;
        return true;
    }

private:
    Plugin::LoopTurns& turns_;
};

// One evaluation of a template: the call it runs in and the data it holds aside.
struct Evaluation {
    explicit Evaluation(MacroCall& c) : call(c) {}
    ExpressionContext context() {
        return ExpressionContext{call.plugin.variables, call.plugin.strings, call.plugin.log, &held,
                                 &call.plugin.messageReads};
    }
    std::string reveal(std::string_view encoded) const {
        return held.reveal(encoded, kMaxExpressionText);
    }
    // For a log line: only as much is put back as the line shows.
    std::string logged(std::string_view encoded) const {
        return loggable(held.reveal(encoded, kMaxLoggedText + 1));
    }
    MacroCall& call;
    HeldTexts held;
};

// What the host makes of a text of the template's own: the text itself when it holds no
// host macro, else data (the sender's name, the subject: message text).
std::string hostExpandSegment(Evaluation& ev, std::string_view segment) {
    std::string out = expandHostMacros(ev.call, segment);
    if (out == segment) return out;
    return ev.held.hold(out, true);
}

// The host expands the template's own stretches only; held data passes by it. A text without
// data goes to the host in one piece, as it always has.
std::string hostExpand(Evaluation& ev, std::string_view encoded) {
    if (encoded.find(kHeldMark) == std::string_view::npos) return hostExpandSegment(ev, encoded);
    std::string out;
    std::size_t start = 0;
    while (start < encoded.size()) {
        const std::size_t at = encoded.find(kHeldMark, start);
        const std::size_t stop = at == std::string_view::npos ? encoded.size() : at;
        if (stop > start) out += hostExpandSegment(ev, encoded.substr(start, stop - start));
        if (at == std::string_view::npos) break;
        const std::size_t end = std::min(encoded.size(), at + kPlaceholderSize);
        out.append(encoded.substr(at, end - at));
        start = end;
    }
    return out;
}

std::string expandCalls(Evaluation& ev, std::string_view text);

// The template pipeline. A bracket group of a call stops before unquoting: its texts stay
// quoted through the argument split.
// A pipeline that the work budget cuts short answers empty, as its last step, the host's
// expansion, would.
std::string runPipeline(Evaluation& ev, std::string_view text, bool finish) {
    if (macroWorkSpent(ev.call.plugin)) return {};
    const ExpressionContext ctx = ev.context();
    std::string step = evaluateVars(ctx, text);
    step = dospaces(ctx, step);
    step = expandCalls(ev, step);
    if (macroWorkSpent(ev.call.plugin)) return {};
    step = evaluateTokens(ctx, step);
    if (!finish) return step;
    step = unquoteText(step);
    return hostExpand(ev, step);
}

// A quote at the very end of a call token goes, as unquoting does it to a text that does not
// begin with one; inner doubled quotes are left for the arguments' own unquoting.
void dropTrailingQuotes(std::string& token) {
    if (!token.empty() && token.back() == '"') token.pop_back();
    if (!token.empty() && token.back() == '\'') token.pop_back();
}

// A nested call's answer, and whether it derives from the message: the call read message text,
// or was given some.
struct NestedResult {
    std::string text;
    bool fromMessage = false;
};

NestedResult runNestedCall(MacroCall& call, const std::string& name,
                           std::vector<MarkedText> arguments) {
    Plugin& plugin = call.plugin;
    const bool givenMessageText =
        std::any_of(arguments.begin(), arguments.end(),
                    [](const MarkedText& a) { return holdsMessageText(a); });
    const HostRef<ITBPDataProvider> params = makeNestedArguments(std::move(arguments));
    MacroOutcome outcome;
    {
        const KeptContainers kept(plugin);
        outcome = runMacro(plugin, name.data(), lengthOf(name), call.data, params.get());
    }
    const bool fromMessage = givenMessageText || outcome.fromMessage;
    if (outcome.stored) return {getParamText(call.data, outcome.resultId), fromMessage};
    plugin.log.write("@@ Nested macro " + loggable(name) + " stored no result");
    // The result item may still hold an earlier call's text, which would pass for this call's
    // to whoever reads it next. Emptied only then: a host that keeps the first text stored
    // under an item must see nothing stored by a call that has no result.
    if (!getParamText(call.data, kMacroResultId).empty())
        setItemText(call.data, kMacroResultId, {});
    return {{}, fromMessage};
}

// The name of a call as the log has always shown it: the call token after its "$" as it
// stands before a head takes its arguments in ("ZVXREPLACE(" of a spaced call, the whole
// "ZVXSTRCMP(a,a)" of an unspaced one). The call itself goes by callName.
std::string nameAsLogged(std::string_view token) { return std::string(token.substr(1)); }

// One call token of a token text run: its result, or nothing when the work budget ran out on
// the way there (then the call did not run, and nothing more of it is evaluated or logged).
std::optional<NestedResult> runCallToken(Evaluation& ev, std::string& token,
                                         const std::string& loggedName) {
    MacroCall& call = ev.call;
    Log& log = call.plugin.log;
    const auto spent = [&call] { return macroWorkSpent(call.plugin); };
    const std::string name = callName(token);
    log.write("mname=" + ev.logged(loggedName));
    const std::string hostName = hostExpand(ev, loggedName);
    if (spent()) return std::nullopt;
    log.write("mname=" + ev.logged(hostName));

    if (const auto group = findBracketGroup(token)) {
        const GroupLevel level(call.plugin.macroDepth);
        if (!level.entered()) {
            log.write("***** ERROR!!! Macro calls nested deeper than " + decimal(kMaxNestingDepth) +
                      " levels: " + ev.logged(name));
        } else {
            const std::string inner = runPipeline(
                ev, std::string_view(token).substr(group->open + 1, group->close - group->open - 1),
                false);
            if (spent()) return std::nullopt;
            token =
                token.substr(0, group->open + 1) + " " + inner + " " + token.substr(group->close);
        }
    }
    dropTrailingQuotes(token);

    if (name.find(kHeldMark) != std::string::npos) {
        // Data glued to a "$" names nothing of ours: it is never run.
        log.write("@@ Nested macro name holds data, not called: " + ev.logged(name));
        return NestedResult{};
    }
    const std::vector<std::string> items = splitCallItems(token);
    std::vector<MarkedText> arguments;
    arguments.reserve(items.size());
    for (std::size_t k = 1; k < items.size(); ++k) {
        MarkedText argument = ev.held.split(runPipeline(ev, items[k], true));
        if (spent()) return std::nullopt;
        trimMarked(argument);
        arguments.push_back(std::move(argument));
    }
    return runNestedCall(call, name, std::move(arguments));
}

std::string expandCalls(Evaluation& ev, std::string_view text) {
    MacroCall& call = ev.call;
    Log& log = call.plugin.log;
    // Token by token, the text joined as it goes: a template of megabytes costs no list of
    // its tokens.
    TokenCursor cursor(text);
    std::string out;
    std::size_t resultBytes = 0;
    bool full = false;
    std::string_view next;
    while (cursor.next(next)) {
        // A "$" with no name after it is a dollar sign, not a call.
        if (next.front() != '$' || callName(next).empty()) {
            appendJoined(out, next);
            continue;
        }
        const std::string loggedName = nameAsLogged(next);
        std::string token = absorbCallArguments(cursor, next);
        // Past the size limit or the work budget no further call runs; a call that the budget
        // stopped on its way leaves no text either.
        std::optional<NestedResult> ran;
        if (!full && !macroWorkSpent(call.plugin)) ran = runCallToken(ev, token, loggedName);
        if (!ran || macroWorkSpent(call.plugin)) continue;
        std::string& result = ran->text;
        if (result.size() > kMaxExpressionText) result.resize(kMaxExpressionText);
        resultBytes += result.size();
        if (resultBytes > kMaxExpressionText) {
            log.write("@@ Template text cut: nested results past " +
                      decimal(static_cast<std::int64_t>(kMaxExpressionText)) + " bytes");
            full = true;
            continue;
        }
        if (readsAsInteger(result)) {
            // Numbers stay bare for the arithmetic.
            if (ran->fromMessage) ev.held.noteBareMessageText();
            appendJoined(out, result);
        } else {
            appendJoined(out, quoteText(ev.held.hold(result, ran->fromMessage)));
        }
    }
    if (!macroWorkSpent(call.plugin)) log.write("Result: " + ev.logged(out));
    return out;
}

}  // namespace

std::string expandHostMacros(MacroCall& call, std::string_view text) {
    if (call.data == nullptr) return std::string(text);
    if (!spendMacroWork(call.plugin, "host expansion")) return {};
    const HostRef<ITBPDataProvider> data(call.data);
    setItemText(call.data, kScratchItem, text);
    {
        const KeptContainers kept(call.plugin);
        call.data->ExpandMacros(text.data(), lengthOf(text), 0, call.data);
    }
    std::string out = getParamText(call.data, kScratchItem);
    // What the host put in for its own macros is the message's (its sender, its subject).
    if (out != text) noteMessageRead(call.plugin);
    return out;
}

std::string evaluateCalls(MacroCall& call, const MarkedText& text) {
    Evaluation ev(call);
    const std::string variables = expandVariables(ev.context(), ev.held.admit(text));
    return ev.reveal(expandCalls(ev, variables));
}

std::string evaluateTemplate(MacroCall& call, const MarkedText& text) {
    Evaluation ev(call);
    return ev.reveal(runPipeline(ev, ev.held.admit(text), true));
}

double evaluateCondition(MacroCall& call, const MarkedText& expression) {
    Evaluation ev(call);
    const std::string hosted = hostExpand(ev, ev.held.admit(expression));
    return evaluateNumber(ev.reveal(expandVariables(ev.context(), hosted)));
}

std::string runForLoop(MacroCall& call, std::string_view name, std::int32_t from, std::int32_t to,
                       const MarkedText& templ, std::string_view separator,
                       bool boundsFromMessage) {
    Plugin& plugin = call.plugin;
    if (!plugin.variables.storeTempInt(name, from, boundsFromMessage))
        return plugin.strings[kTooManyVariables];

    LoopScope scope(plugin.loopTurns);
    std::string result;
    // 64 bits: a loop up to the largest 32-bit value ends.
    for (std::int64_t v = from; v <= to; ++v) {
        if (!scope.takeTurn()) {
            // Also past the call's share of the log: the user must learn where the loop ended.
            plugin.log.writeAlways("@@ FOR loop stopped after " + decimal(kMaxLoopTurns) +
                                   " turns");
            break;
        }
        if (!spendMacroWork(plugin, "FOR turn")) break;
        plugin.variables.storeTempInt(name, static_cast<std::int32_t>(v), boundsFromMessage);
        const std::string piece = evaluateTemplate(call, templ);
        if (macroWorkSpent(plugin)) break;  // the turn was cut short: it has no text
        if (v != from) result += separator;
        result += piece;
        if (result.size() > kMaxLoopResult) {
            result.resize(kMaxLoopResult);
            plugin.log.writeAlways("@@ FOR loop result cut at " +
                                   decimal(static_cast<std::int64_t>(kMaxLoopResult)) + " bytes");
            break;
        }
    }
    return result;
}

}  // namespace qbx::macros
