// Text routines of StrUtils and the rest of SysUtils' string routines. "Text" routines ignore
// case by the 1251 tables, "Str" routines compare bytes; the Ansi names are the same routines.
// Positions out of range give what Delphi gives (empty texts, 0, False), never a read past the
// text.
#include <algorithm>
#include <vector>

#include "base/text.h"
#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal::library {

namespace {

std::int64_t length(std::string_view s) { return static_cast<std::int64_t>(s.size()); }

// Characters count from 1; what lies outside the text is dropped.
std::string_view slice(std::string_view s, std::int64_t from, std::int64_t count) {
    if (from < 1) {
        count += from - 1;
        from = 1;
    }
    if (from > length(s) || count <= 0) return {};
    count = std::min(count, length(s) - from + 1);
    return s.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(count));
}

char charArg(const Value& v, CallContext& c) {
    if (v.isString() && v.string().size() == 1) return v.string()[0];
    if (v.isInteger()) return static_cast<char>(static_cast<std::uint8_t>(v.integer()));
    c.fail("Incompatible types: 'Char' and '" + std::string(v.typeName()) + "'");
}

// Delphi's AnsiCompareText and AnsiCompareStr follow the system's word order: letters of
// either case first, and for texts equal but for case the lower-case one first.
std::int64_t compareAnsi(std::string_view x, std::string_view y, bool ignoreCase) {
    const std::string ux = toUpper1251(x), uy = toUpper1251(y);
    const int folded = ux.compare(uy);
    if (folded != 0) return folded < 0 ? -1 : 1;
    if (ignoreCase) return 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i] != y[i]) return x[i] == toLower1251(std::string_view(&x[i], 1))[0] ? -1 : 1;
    return 0;
}

Value sameText(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    const std::string_view x = stringArg(a[0], h1), y = stringArg(a[1], h2);
    if (x.size() != y.size()) return Value(false);
    for (std::size_t i = 0; i < x.size(); ++i) {
        char cx = x[i], cy = y[i];
        if (cx >= 'a' && cx <= 'z') cx = static_cast<char>(cx - 32);
        if (cy >= 'a' && cy <= 'z') cy = static_cast<char>(cy - 32);
        if (cx != cy) return Value(false);
    }
    return Value(true);
}

Value sameStr(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    return Value(stringArg(a[0], h1) == stringArg(a[1], h2));
}

Value ansiSameText(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    return Value(equalsIgnoreCase1251(stringArg(a[0], h1), stringArg(a[1], h2)));
}

Value ansiCompareText(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    return Value(compareAnsi(stringArg(a[0], h1), stringArg(a[1], h2), true));
}

Value ansiCompareStr(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    return Value(compareAnsi(stringArg(a[0], h1), stringArg(a[1], h2), false));
}

Value ansiQuotedStr(Args a, CallContext& c, const RuntimeServices&) {
    std::string h;
    const std::string_view s = stringArg(a[0], h);
    return Value(quotedText(s, charArg(a[1], c), c));
}

Value lastDelimiter(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    const std::string_view delimiters = stringArg(a[0], h1), s = stringArg(a[1], h2);
    const std::size_t at = s.find_last_of(delimiters);
    return Value(at == std::string_view::npos ? std::int64_t{0}
                                              : static_cast<std::int64_t>(at + 1));
}

Value isDelimiter(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    const std::string_view delimiters = stringArg(a[0], h1), s = stringArg(a[1], h2);
    const std::int64_t index = a[2].toInteger();
    if (index < 1 || index > length(s)) return Value(false);
    return Value(delimiters.find(s[static_cast<std::size_t>(index - 1)]) != std::string_view::npos);
}

// Every CR, LF, LF CR and CR LF becomes CR LF.
Value adjustLineBreaks(Args a, CallContext& c, const RuntimeServices&) {
    std::string h;
    const std::string_view s = stringArg(a[0], h);
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char ch = s[i];
        if (ch != '\r' && ch != '\n') {
            out += ch;
            continue;
        }
        out += "\r\n";
        const char pair = ch == '\r' ? '\n' : '\r';
        if (i + 1 < s.size() && s[i + 1] == pair) ++i;
        c.checkLength(out.size());
    }
    c.checkLength(out.size());
    return Value(std::move(out));
}

// Delphi's WrapText: a line longer than maxCol breaks after the last break character before
// that column; text in quotes is never broken, and a break already in the text starts a new
// line. Blanks after a break are dropped.
std::string wrapText(std::string_view line, std::string_view breakStr, std::string_view breakChars,
                     std::int64_t maxCol, CallContext& c) {
    std::string out;
    std::size_t lineStart = 0;
    std::size_t breakAt = std::string_view::npos;  // index of the last break character
    std::int64_t column = 0;
    char quote = 0;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const char ch = line[pos];
        if (quote == 0 && !breakStr.empty() && line.substr(pos, breakStr.size()) == breakStr) {
            pos += breakStr.size();
            out.append(line.substr(lineStart, pos - lineStart));
            c.checkLength(out.size());
            lineStart = pos;
            breakAt = std::string_view::npos;
            column = 0;
            continue;
        }
        if (quote != 0) {
            if (ch == quote) quote = 0;
        } else if (breakChars.find(ch) != std::string_view::npos) {
            breakAt = pos;
        } else if (ch == '\'' || ch == '"') {
            quote = ch;
        }
        ++pos;
        ++column;
        if (quote == 0 && column > maxCol && breakAt != std::string_view::npos) {
            out.append(line.substr(lineStart, breakAt + 1 - lineStart));
            std::size_t next = breakAt + 1;
            while (next < line.size() && line[next] == ' ') ++next;
            if (next < line.size()) out.append(breakStr);
            c.checkLength(out.size());
            lineStart = next;
            pos = std::max(pos, next);
            column = static_cast<std::int64_t>(pos - next);
            breakAt = std::string_view::npos;
        }
    }
    out.append(line.substr(lineStart));
    c.checkLength(out.size());
    return out;
}

// WrapText(Line[, MaxCol]) or WrapText(Line, BreakStr, BreakChars, MaxCol) with the break
// characters as a text.
Value wrapTextValue(Args a, CallContext& c, const RuntimeServices&) {
    std::string h1, h2, h3;
    const std::string_view line = stringArg(a[0], h1);
    if (a.size() <= 2)
        return Value(wrapText(line, "\r\n", " -\t", a.size() > 1 ? a[1].toInteger() : 45, c));
    if (a.size() != 4) c.fail("WrapText takes 1, 2 or 4 arguments");
    // The break characters are Delphi's set of chars: a set variable, or the bracketed list
    // written in the call ([' ', '-']), which reaches a routine as a list; a text is taken too.
    const bool asSet = forEachSetMember(
        a[2], 256, [&](unsigned ch) { h3 += static_cast<char>(ch); },
        [&](const Value& item) {
            std::string hi;
            h3 += stringArg(item, hi);
        });
    const std::string_view breakChars = asSet ? std::string_view(h3) : stringArg(a[2], h3);
    return Value(wrapText(line, stringArg(a[1], h2), breakChars, a[3].toInteger(), c));
}

// ---- StrUtils ---------------------------------------------------------------------------------

std::int64_t findFrom(std::string_view sub, std::string_view s, std::int64_t offset) {
    if (sub.empty() || offset < 1 || offset > length(s)) return 0;
    const std::size_t at = s.find(sub, static_cast<std::size_t>(offset - 1));
    return at == std::string_view::npos ? 0 : static_cast<std::int64_t>(at + 1);
}

Value posEx(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    return Value(
        findFrom(stringArg(a[0], h1), stringArg(a[1], h2), a.size() > 2 ? a[2].toInteger() : 1));
}

// Contains(Text, SubText); Starts and Ends(SubText, Text), as Delphi orders them.
template <bool IgnoreCase>
Value contains(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    std::string_view text = stringArg(a[0], h1), sub = stringArg(a[1], h2);
    if (IgnoreCase) {
        h1 = toUpper1251(text);
        h2 = toUpper1251(sub);
        text = h1;
        sub = h2;
    }
    return Value(findFrom(sub, text, 1) > 0);
}

// AnsiIndexText('b', ['a', 'b']) = 1: the first of an open array's texts that equals the text,
// counted from 0, or -1.
template <bool IgnoreCase>
std::int64_t indexIn(Args a, CallContext& c) {
    std::string h;
    const std::string_view text = stringArg(a[0], h);
    if (!a[1].isArray())
        c.fail("Incompatible types: 'array of string' and '" + std::string(a[1].typeName()) + "'");
    const std::vector<Value>& items = a[1].arrayBox()->items;
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::string hi;
        const std::string_view item = stringArg(items[i], hi);
        if (IgnoreCase ? equalsIgnoreCase1251(text, item) : text == item)
            return static_cast<std::int64_t>(i);
    }
    return -1;
}

template <bool IgnoreCase>
Value indexText(Args a, CallContext& c, const RuntimeServices&) {
    return Value(indexIn<IgnoreCase>(a, c));
}

template <bool IgnoreCase>
Value matchText(Args a, CallContext& c, const RuntimeServices&) {
    return Value(indexIn<IgnoreCase>(a, c) >= 0);
}

template <bool IgnoreCase, bool AtEnd>
Value startsOrEnds(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    const std::string_view sub = stringArg(a[0], h1), text = stringArg(a[1], h2);
    if (sub.size() > text.size()) return Value(false);
    const std::string_view part =
        AtEnd ? text.substr(text.size() - sub.size()) : text.substr(0, sub.size());
    return Value(IgnoreCase ? equalsIgnoreCase1251(part, sub) : part == sub);
}

Value reverseString(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    const std::string_view s = stringArg(a[0], h);
    return Value(std::string(s.rbegin(), s.rend()));
}

Value dupeString(Args a, CallContext& c, const RuntimeServices&) {
    std::string h;
    const std::string_view s = stringArg(a[0], h);
    const std::int64_t count = a[1].toInteger();
    if (count <= 0 || s.empty()) return Value(std::string());
    if (static_cast<std::uint64_t>(count) > c.limits().maxStringLength / s.size())
        c.checkLength(c.limits().maxStringLength + 1);
    c.checkLength(s.size() * static_cast<std::size_t>(count));
    std::string out;
    out.reserve(s.size() * static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) out.append(s);
    return Value(std::move(out));
}

Value leftStr(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    return Value(slice(stringArg(a[0], h), 1, a[1].toInteger()));
}

Value rightStr(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    const std::string_view s = stringArg(a[0], h);
    const std::int64_t count = std::clamp<std::int64_t>(a[1].toInteger(), 0, length(s));
    return Value(s.substr(s.size() - static_cast<std::size_t>(count)));
}

Value midStr(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    const std::string_view s = stringArg(a[0], h);
    // As Copy: a start before the first character is the first.
    return Value(slice(s, std::max<std::int64_t>(a[1].toInteger(), 1), a[2].toInteger()));
}

// StuffString(Text, Start, Length, SubText): the Length characters from Start replaced.
Value stuffString(Args a, CallContext& c, const RuntimeServices&) {
    std::string h1, h2;
    const std::string_view text = stringArg(a[0], h1);
    const std::string_view sub = stringArg(a[3], h2);
    const std::int64_t start = a[1].toInteger();
    const std::int64_t count = std::max<std::int64_t>(a[2].toInteger(), 0);
    if (start < 1 || start > length(text) + 1) return Value(text);
    const std::string_view before = text.substr(0, static_cast<std::size_t>(start - 1));
    const std::string_view after = slice(text, start + count, length(text));
    c.checkLength(before.size() + sub.size() + after.size());
    return Value(std::string(before) + std::string(sub) + std::string(after));
}

template <bool IgnoreCase>
Value replaceAll(Args a, CallContext& c, const RuntimeServices&) {
    std::string h1, h2, h3;
    const std::string_view s = stringArg(a[0], h1);
    const std::string_view from = stringArg(a[1], h2);
    const std::string_view to = stringArg(a[2], h3);
    if (from.empty()) return Value(s);
    std::string foldedText, foldedPattern;
    std::string_view text = s, pattern = from;
    if (IgnoreCase) {  // 1251 folding keeps every length, so positions stay valid
        foldedText = toUpper1251(s);
        foldedPattern = toUpper1251(from);
        text = foldedText;
        pattern = foldedPattern;
    }
    std::string out;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(pattern, start)) != std::string_view::npos;) {
        c.checkLength(out.size() + (at - start) + to.size());
        out.append(s.substr(start, at - start)).append(to);
        start = at + pattern.size();
    }
    c.checkLength(out.size() + (s.size() - start));
    out.append(s.substr(start));
    return Value(std::move(out));
}

constexpr Row kRows[] = {
    {"SameText", 2, 2, 0, sameText},
    {"SameStr", 2, 2, 0, sameStr},
    {"AnsiSameText", 2, 2, 0, ansiSameText},
    {"AnsiSameStr", 2, 2, 0, sameStr},
    {"AnsiCompareText", 2, 2, 0, ansiCompareText},
    {"AnsiCompareStr", 2, 2, 0, ansiCompareStr},
    {"AnsiQuotedStr", 2, 2, 0, ansiQuotedStr},
    {"LastDelimiter", 2, 2, 0, lastDelimiter},
    {"IsDelimiter", 3, 3, 0, isDelimiter},
    {"AdjustLineBreaks", 1, 1, 0, adjustLineBreaks},
    {"WrapText", 1, 4, 0, wrapTextValue},
    {"PosEx", 2, 3, 0, posEx},
    {"ContainsText", 2, 2, 0, contains<true>},
    {"ContainsStr", 2, 2, 0, contains<false>},
    {"AnsiContainsText", 2, 2, 0, contains<true>},
    {"AnsiContainsStr", 2, 2, 0, contains<false>},
    {"StartsText", 2, 2, 0, startsOrEnds<true, false>},
    {"StartsStr", 2, 2, 0, startsOrEnds<false, false>},
    {"EndsText", 2, 2, 0, startsOrEnds<true, true>},
    {"EndsStr", 2, 2, 0, startsOrEnds<false, true>},
    {"AnsiStartsText", 2, 2, 0, startsOrEnds<true, false>},
    {"AnsiStartsStr", 2, 2, 0, startsOrEnds<false, false>},
    {"AnsiEndsText", 2, 2, 0, startsOrEnds<true, true>},
    {"AnsiEndsStr", 2, 2, 0, startsOrEnds<false, true>},
    {"IndexText", 2, 2, 0, indexText<true>},
    {"IndexStr", 2, 2, 0, indexText<false>},
    {"AnsiIndexText", 2, 2, 0, indexText<true>},
    {"AnsiIndexStr", 2, 2, 0, indexText<false>},
    {"MatchText", 2, 2, 0, matchText<true>},
    {"MatchStr", 2, 2, 0, matchText<false>},
    {"AnsiMatchText", 2, 2, 0, matchText<true>},
    {"AnsiMatchStr", 2, 2, 0, matchText<false>},
    {"ReverseString", 1, 1, 0, reverseString},
    {"AnsiReverseString", 1, 1, 0, reverseString},
    {"DupeString", 2, 2, 0, dupeString},
    {"LeftStr", 2, 2, 0, leftStr},
    {"RightStr", 2, 2, 0, rightStr},
    {"MidStr", 3, 3, 0, midStr},
    {"StuffString", 4, 4, 0, stuffString},
    {"ReplaceStr", 3, 3, 0, replaceAll<false>},
    {"ReplaceText", 3, 3, 0, replaceAll<true>},
    {"AnsiReplaceStr", 3, 3, 0, replaceAll<false>},
    {"AnsiReplaceText", 3, 3, 0, replaceAll<true>},
};

}  // namespace

void addStrUtilsFunctions(Environment& environment, const RuntimeServices& services) {
    addRows(environment, kRows, services);
    environment.addConstant("sLineBreak", Value("\r\n"));
    environment.addConstant("LineEnding", Value("\r\n"));
}

}  // namespace qbx::scripting::pascal::library
