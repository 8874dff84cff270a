#include "platform/script_loop_guard.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace qbx {
namespace {

// Nesting of brackets beyond this is not followed.
constexpr std::size_t kMaxNesting = 256;

// "QbxRunGuard.Tick", spelled out once for each language's calls.
#define QBX_GUARD_CALL "QbxRunGuard.Tick"

constexpr std::string_view kJsBeforeCondition = QBX_GUARD_CALL "(),(";
constexpr std::string_view kJsAfterCondition = ")";
constexpr std::string_view kJsEmptyCondition = QBX_GUARD_CALL "(),true";
constexpr std::string_view kJsFunctionEntry = QBX_GUARD_CALL "();";
// A statement without a value of its own: the value of a try statement stays the script's.
constexpr std::string_view kJsHandlerEntry = "if(" QBX_GUARD_CALL "());";
constexpr std::string_view kVbsBeforeLoopEnd = QBX_GUARD_CALL ": ";

#undef QBX_GUARD_CALL

struct Insertion {
    std::size_t at;
    std::string_view text;
};

std::string withInsertions(std::string_view source, std::vector<Insertion>& insertions) {
    std::stable_sort(insertions.begin(), insertions.end(),
                     [](const Insertion& a, const Insertion& b) { return a.at < b.at; });
    std::size_t extra = 0;
    for (const Insertion& insertion : insertions) extra += insertion.text.size();
    std::string out;
    out.reserve(source.size() + extra);
    std::size_t from = 0;
    for (const Insertion& insertion : insertions) {
        out.append(source.substr(from, insertion.at - from));
        out.append(insertion.text);
        from = insertion.at;
    }
    out.append(source.substr(from));
    return out;
}

bool isAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsFolded(std::string_view word, std::string_view lowerCase) {
    if (word.size() != lowerCase.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (lower(word[i]) != lowerCase[i]) return false;
    return true;
}

// ---- JScript ---------------------------------------------------------------------------------

// What the last token lets a slash mean.
enum class After : std::uint8_t {
    Operand,       // a regular expression may follow: start, operators, most keywords
    Value,         // a division follows: names, literals, ")" and "]" of expressions
    Dot,           // a property name follows: no keyword is one
    Increment,     // "++" or "--": a division follows
    Block,         // "}" of a statement block, or ")" of a statement's head: a regex follows
    OpenQuestion,  // "}" whose block or expression nature the tokens do not tell
};

enum class Opener : std::uint8_t { Paren, Bracket, Brace };

enum class ParenRole : std::uint8_t { Plain, StatementHead, WhileHead, ForHead, CatchHead, Params };

enum class BraceRole : std::uint8_t { Block, Object, FunctionBody, Unknown };

struct Frame {
    Opener opener;
    ParenRole paren = ParenRole::Plain;
    BraceRole brace = BraceRole::Block;
    int semicolons = 0;                 // of a for head, at its own level
    std::size_t firstSemicolonEnd = 0;  // just after the first
    bool conditionHasTokens = false;    // anything between the first and the second
};

bool isJsIdentStart(unsigned char c) {
    // Code page 1251's letters lie above 0x80; 0xA0 is the no-break space.
    return isAsciiLetter(c) || c == '_' || c == '$' || (c >= 0x80 && c != 0xA0);
}
bool isJsIdentPart(unsigned char c) { return isJsIdentStart(c) || isDigit(c); }
bool isJsSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0xA0;
}

// Keywords after which an expression (so a regular expression) may begin.
constexpr std::array<std::string_view, 11> kOperandKeywords = {
    "return", "typeof", "instanceof", "in", "new", "delete", "void", "throw", "case", "do", "else"};
// The other reserved words: no value either, so a slash after one begins a regular expression.
constexpr std::array<std::string_view, 20> kOtherKeywords = {
    "break",    "catch", "continue", "debugger", "default", "finally", "for",
    "function", "if",    "switch",   "try",      "var",     "while",   "with",
    "const",    "class", "enum",     "export",   "extends", "import"};

template <std::size_t N>
bool among(std::string_view word, const std::array<std::string_view, N>& words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

class JScriptGuard {
public:
    explicit JScriptGuard(std::string_view source) : s_(source) {}

    std::optional<std::string> run() {
        while (i_ < s_.size()) {
            if (!step()) return std::nullopt;
        }
        if (!frames_.empty()) return std::nullopt;
        return withInsertions(s_, insertions_);
    }

private:
    unsigned char at(std::size_t index) const {
        return index < s_.size() ? static_cast<unsigned char>(s_[index]) : 0;
    }

    bool step() {
        const unsigned char c = at(i_);
        if (isJsSpace(c) || isLineEnd(static_cast<char>(c))) {
            ++i_;
            return true;
        }
        if (c == '/' && at(i_ + 1) == '/') return lineComment();
        if (c == '/' && at(i_ + 1) == '*') return blockComment();
        // Conditional compilation and escaped names: code the tokens here do not see.
        if (c == '@' || c == '\\') return false;

        // A token inside a for head's condition, nested brackets included, makes it non-empty.
        const bool forCondition = inForCondition();
        const std::size_t depth = frames_.size();
        bool ok = true;
        if (c == '\'' || c == '"') {
            ok = stringLiteral(static_cast<char>(c));
        } else if (isDigit(c) || (c == '.' && isDigit(at(i_ + 1)))) {
            while (isJsIdentPart(at(i_)) || at(i_) == '.') ++i_;
            token(After::Value);
        } else if (isJsIdentStart(c)) {
            ok = word();
        } else if (c == '/') {
            ok = slash();
        } else {
            ok = punctuator(c);
        }
        if (ok && forCondition && frames_.size() >= depth)
            frames_[depth - 1].conditionHasTokens = true;
        return ok;
    }

    bool lineComment() {
        if (at(i_ + 2) == '@') return false;
        while (i_ < s_.size() && !isLineEnd(s_[i_])) ++i_;
        return true;
    }

    bool blockComment() {
        if (at(i_ + 2) == '@') return false;
        const std::size_t end = s_.find("*/", i_ + 2);
        if (end == std::string_view::npos) return false;
        i_ = end + 2;
        return true;
    }

    bool stringLiteral(char quote) {
        ++i_;
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == quote) {
                ++i_;
                token(After::Value);
                return true;
            }
            if (isLineEnd(c)) return false;
            if (c == '\\') {
                // An escaped line end continues the string; "\r\n" is one.
                if (at(i_ + 1) == '\r' && at(i_ + 2) == '\n') ++i_;
                i_ += 2;
                continue;
            }
            ++i_;
        }
        return false;
    }

    bool regexLiteral() {
        ++i_;
        bool inClass = false;
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (isLineEnd(c)) return false;
            if (c == '\\') {
                if (isLineEnd(static_cast<char>(at(i_ + 1)))) return false;
                i_ += 2;
                continue;
            }
            ++i_;
            if (c == '[')
                inClass = true;
            else if (c == ']')
                inClass = false;
            else if (c == '/' && !inClass) {
                while (isJsIdentPart(at(i_))) ++i_;
                token(After::Value);
                return true;
            }
        }
        return false;
    }

    bool slash() {
        switch (after_) {
            case After::Operand:
            case After::Block: return regexLiteral();
            case After::OpenQuestion: return false;
            case After::Value:
            case After::Dot:
            case After::Increment: break;
        }
        ++i_;
        token(After::Operand);
        return true;
    }

    bool word() {
        const std::size_t start = i_;
        while (isJsIdentPart(at(i_))) ++i_;
        const std::string_view name = s_.substr(start, i_ - start);
        if (after_ == After::Dot) {
            token(After::Value);
            return true;
        }
        const bool wasFunctionName = expectFunctionName_;
        const bool keyword = among(name, kOperandKeywords) || among(name, kOtherKeywords);
        token(keyword ? After::Operand : After::Value);
        lastWord_ = name;
        if (name == "while")
            pendingParen_ = ParenRole::WhileHead;
        else if (name == "for")
            pendingParen_ = ParenRole::ForHead;
        else if (name == "if" || name == "with" || name == "switch")
            pendingParen_ = ParenRole::StatementHead;
        else if (name == "catch")
            pendingParen_ = ParenRole::CatchHead;
        else if (name == "function") {
            pendingParen_ = ParenRole::Params;
            expectFunctionName_ = true;
        } else if (name == "finally") {
            pendingHandler_ = true;
        } else if (wasFunctionName) {
            pendingParen_ = ParenRole::Params;  // the function's name, before its parameters
        }
        return true;
    }

    bool punctuator(unsigned char c) {
        const ParenRole paren = pendingParen_;
        const bool handler = pendingHandler_;
        const bool functionBody = pendingFunctionBody_;
        const std::string_view previousWord = lastWord_;
        const After previous = after_;
        ++i_;
        switch (c) {
            case '(': {
                token(After::Operand);
                if (frames_.size() >= kMaxNesting) return false;
                frames_.push_back({Opener::Paren, paren});
                if (paren == ParenRole::WhileHead) insertions_.push_back({i_, kJsBeforeCondition});
                return true;
            }
            case '[':
                token(After::Operand);
                if (frames_.size() >= kMaxNesting) return false;
                frames_.push_back({Opener::Bracket});
                return true;
            case '{': {
                token(After::Operand);
                lastWord_ = "{";
                if (frames_.size() >= kMaxNesting) return false;
                Frame frame{Opener::Brace};
                if (functionBody) {
                    frame.brace = BraceRole::FunctionBody;
                    // A directive such as "use strict" must stay the body's first statement.
                    if (!directiveFollows()) insertions_.push_back({i_, kJsFunctionEntry});
                } else if (handler) {
                    frame.brace = BraceRole::Block;
                    insertions_.push_back({i_, kJsHandlerEntry});
                } else {
                    frame.brace = braceRoleAfter(previous, previousWord);
                }
                frames_.push_back(frame);
                return true;
            }
            case ')': {
                if (frames_.empty() || frames_.back().opener != Opener::Paren) return false;
                const Frame frame = frames_.back();
                frames_.pop_back();
                switch (frame.paren) {
                    case ParenRole::WhileHead:
                        insertions_.push_back({i_ - 1, kJsAfterCondition});
                        token(After::Block);
                        break;
                    case ParenRole::ForHead:
                    case ParenRole::StatementHead: token(After::Block); break;
                    case ParenRole::CatchHead:
                        token(After::Block);
                        pendingHandler_ = true;
                        break;
                    case ParenRole::Params:
                        token(After::Block);
                        pendingFunctionBody_ = true;
                        break;
                    case ParenRole::Plain: token(After::Value); break;
                }
                return true;
            }
            case ']':
                if (frames_.empty() || frames_.back().opener != Opener::Bracket) return false;
                frames_.pop_back();
                token(After::Value);
                return true;
            case '}': {
                if (frames_.empty() || frames_.back().opener != Opener::Brace) return false;
                const BraceRole role = frames_.back().brace;
                frames_.pop_back();
                token(role == BraceRole::Block    ? After::Block
                      : role == BraceRole::Object ? After::Value
                                                  : After::OpenQuestion);
                lastWord_ = "}";
                return true;
            }
            case ';': {
                token(After::Operand);
                lastWord_ = ";";
                if (!frames_.empty() && frames_.back().opener == Opener::Paren &&
                    frames_.back().paren == ParenRole::ForHead)
                    return forSemicolon(frames_.back());
                return true;
            }
            case '.': token(After::Dot); return true;
            case '+':
            case '-':
                if (at(i_) == c) {
                    ++i_;
                    token(After::Increment);
                    return true;
                }
                token(After::Operand);
                return true;
            default:
                token(After::Operand);
                lastWord_ = c == ':' ? ":" : "";
                return true;
        }
    }

    // What a "{" opens, told by the token before it.
    static BraceRole braceRoleAfter(After previous, std::string_view previousWord) {
        if (previousWord == ":")
            return BraceRole::Unknown;  // a label's or case's block, or a value
        if (previous == After::Block) return BraceRole::Block;  // after a head's ")" or a block
        for (const std::string_view word : {"start", ";", "{", "}", "else", "do", "try"})
            if (previousWord == word) return BraceRole::Block;
        return BraceRole::Object;
    }

    bool directiveFollows() const {
        std::size_t j = i_;
        while (j < s_.size() && (isJsSpace(at(j)) || isLineEnd(s_[j]))) ++j;
        return at(j) == '\'' || at(j) == '"';
    }

    bool inForCondition() const {
        return !frames_.empty() && frames_.back().opener == Opener::Paren &&
               frames_.back().paren == ParenRole::ForHead && frames_.back().semicolons == 1;
    }

    bool forSemicolon(Frame& frame) {
        ++frame.semicolons;
        if (frame.semicolons == 1) {
            frame.firstSemicolonEnd = i_;
        } else if (frame.semicolons == 2) {
            if (frame.conditionHasTokens) {
                insertions_.push_back({frame.firstSemicolonEnd, kJsBeforeCondition});
                insertions_.push_back({i_ - 1, kJsAfterCondition});
            } else {
                insertions_.push_back({frame.firstSemicolonEnd, kJsEmptyCondition});
            }
        } else {
            return false;  // a for head has two
        }
        return true;
    }

    // Every token but "function" and its name ends what a keyword announced.
    void token(After kind) {
        after_ = kind;
        pendingParen_ = ParenRole::Plain;
        pendingHandler_ = false;
        pendingFunctionBody_ = false;
        expectFunctionName_ = false;
        lastWord_ = "";
    }

    std::string_view s_;
    std::size_t i_ = 0;
    After after_ = After::Operand;
    std::string_view lastWord_ = "start";
    ParenRole pendingParen_ = ParenRole::Plain;
    bool pendingHandler_ = false;
    bool pendingFunctionBody_ = false;
    bool expectFunctionName_ = false;
    std::vector<Frame> frames_;
    std::vector<Insertion> insertions_;
};

// ---- VBScript --------------------------------------------------------------------------------

bool isVbsIdentStart(unsigned char c) { return isAsciiLetter(c) || (c >= 0x80 && c != 0xA0); }
bool isVbsIdentPart(unsigned char c) { return isVbsIdentStart(c) || isDigit(c) || c == '_'; }

std::optional<std::string> guardVBScript(std::string_view s) {
    std::vector<Insertion> insertions;
    bool statementStart = true;
    std::size_t i = 0;
    const auto at = [&](std::size_t index) -> unsigned char {
        return index < s.size() ? static_cast<unsigned char>(s[index]) : 0;
    };
    const auto skipLine = [&] {
        while (i < s.size() && !isLineEnd(s[i])) ++i;
    };
    // Up to the closing character on the same line; false when the line ends first.
    const auto skipTo = [&](char close) {
        ++i;
        while (i < s.size() && !isLineEnd(s[i])) {
            if (s[i++] == close) return true;
        }
        return false;
    };
    while (i < s.size()) {
        const unsigned char c = at(i);
        if (isLineEnd(static_cast<char>(c))) {
            statementStart = true;
            ++i;
        } else if (c == ' ' || c == '\t' || c == 0xA0) {
            ++i;
        } else if (c == ':') {
            statementStart = true;
            ++i;
        } else if (c == '\'') {
            skipLine();
        } else if (c == '"') {
            // "" inside a string is a quote; the string goes on after it.
            ++i;
            bool closed = false;
            while (i < s.size() && !isLineEnd(s[i])) {
                if (s[i] == '"') {
                    if (at(i + 1) == '"') {
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                ++i;
            }
            if (!closed) return std::nullopt;
            statementStart = false;
        } else if (c == '#' || c == '[') {
            if (!skipTo(c == '#' ? '#' : ']')) return std::nullopt;
            statementStart = false;
        } else if (c == '_' && !isVbsIdentPart(at(i + 1))) {
            // A line continuation: the statement goes on on the next line.
            std::size_t j = i + 1;
            while (at(j) == ' ' || at(j) == '\t') ++j;
            if (at(j) == '\r' && at(j + 1) == '\n')
                j += 2;
            else if (isLineEnd(static_cast<char>(at(j))))
                ++j;
            else
                return std::nullopt;
            i = j;
        } else if (isVbsIdentStart(c) || isDigit(c)) {
            const std::size_t start = i;
            while (isVbsIdentPart(at(i)) || (isDigit(c) && at(i) == '.')) ++i;
            const std::string_view word = s.substr(start, i - start);
            if (statementStart && equalsFolded(word, "rem")) {
                skipLine();
                continue;
            }
            if (statementStart && (equalsFolded(word, "loop") || equalsFolded(word, "wend") ||
                                   equalsFolded(word, "next")))
                insertions.push_back({start, kVbsBeforeLoopEnd});
            statementStart = false;
        } else {
            statementStart = false;
            ++i;
        }
    }
    return withInsertions(s, insertions);
}

}  // namespace

std::optional<std::string> guardLoops(std::string_view source, ActiveLanguage language) {
    if (source.size() > kMaxGuardedSourceBytes) return std::nullopt;
    if (language == ActiveLanguage::VBScript) return guardVBScript(source);
    return JScriptGuard(source).run();
}

}  // namespace qbx
