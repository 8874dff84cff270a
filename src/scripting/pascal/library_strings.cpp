// String routines of Delphi's System and SysUtils units over code page 1251 bytes. Positions
// out of range are clamped or ignored the way Delphi does, never read past the text.
#include <algorithm>
#include <charconv>
#include <optional>
#include <system_error>

#include "base/text.h"
#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal::library {

namespace {

constexpr std::int64_t kReplaceAll = 1;
constexpr std::int64_t kIgnoreCase = 2;

std::size_t clampedIndex(std::int64_t index, std::size_t size) {
    if (index < 1) return 0;
    if (static_cast<std::uint64_t>(index) > size) return size;
    return static_cast<std::size_t>(index - 1);
}

Value deleteText(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    std::string s(stringArg(a[0], h));
    const std::int64_t index = a[1].toInteger();
    const std::int64_t count = a[2].toInteger();
    const auto size = static_cast<std::int64_t>(s.size());
    if (index >= 1 && index <= size && count > 0) {
        const std::int64_t n = count > size - index + 1 ? size - index + 1 : count;
        s.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(n));
        a[0] = Value(std::move(s));
    }
    return Value();
}

Value insertText(Args a, CallContext& c, const RuntimeServices&) {
    std::string h1, h2;
    const std::string_view source = stringArg(a[0], h1);
    std::string s(stringArg(a[1], h2));
    const std::size_t at = clampedIndex(a[2].toInteger(), s.size());
    c.checkLength(s.size() + source.size());
    s.insert(at, source);
    a[1] = Value(std::move(s));
    return Value();
}

Value stringReplace(Args a, CallContext& c, const RuntimeServices&) {
    std::string h1, h2, h3;
    const std::string_view s = stringArg(a[0], h1);
    const std::string_view from = stringArg(a[1], h2);
    const std::string_view to = stringArg(a[2], h3);
    // The flags come as Delphi's set [rfReplaceAll, rfIgnoreCase], as the list the compiler makes
    // of a bracketed argument, or as the sum of the constants that older scripts pass.
    std::int64_t flags = 0;
    if (a.size() > 3 &&
        !forEachSetMember(
            a[3], static_cast<unsigned>(kIgnoreCase) + 1, [&](unsigned flag) { flags |= flag; },
            [&](const Value& item) { flags |= item.toInteger(); }))
        flags = a[3].toInteger();
    if (from.empty()) return a[0].isString() ? a[0] : Value(std::string());
    const bool all = (flags & kReplaceAll) != 0;
    // Searching the folded copies keeps every position valid in the original: 1251 is one byte
    // per character, so folding never changes lengths.
    std::string foldedText, foldedPattern;
    std::string_view text = s, pattern = from;
    if ((flags & kIgnoreCase) != 0) {
        foldedText = toUpper1251(s);
        foldedPattern = toUpper1251(from);
        text = foldedText;
        pattern = foldedPattern;
    }
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(pattern, start);
        if (at == std::string_view::npos) break;
        c.checkLength(out.size() + (at - start) + to.size());
        out.append(s.substr(start, at - start)).append(to);
        start = at + pattern.size();
        if (!all) break;
    }
    c.checkLength(out.size() + (s.size() - start));
    out.append(s.substr(start));
    return Value(std::move(out));
}

Value intToHex(Args a, CallContext& c, const RuntimeServices&) {
    const std::int64_t v = a[0].toInteger();
    std::int64_t digits = a.size() > 1 ? a[1].toInteger() : 0;
    if (digits < 0) digits = 0;
    if (digits > 32) c.fail("Invalid argument: IntToHex digits above 32", "EConvertError");
    // A negative value that fits an Integer shows as Delphi's Integer overload shows it.
    const std::uint64_t bits = v < 0 && v >= INT32_MIN
                                   ? static_cast<std::uint32_t>(static_cast<std::int32_t>(v))
                                   : static_cast<std::uint64_t>(v);
    return Value(hexUpper(bits, static_cast<int>(digits)));
}

}  // namespace

std::string quotedText(std::string_view s, char quote, CallContext& c) {
    const auto quotes = static_cast<std::size_t>(std::count(s.begin(), s.end(), quote));
    c.checkLength(s.size() + quotes + 2);
    std::string out(1, quote);
    for (const char ch : s) {
        out += ch;
        if (ch == quote) out += quote;
    }
    out += quote;
    return out;
}

std::optional<double> parseFloat(std::string_view raw, char separator) {
    const std::string_view trimmed = trimBlankOrControl(raw);
    // Only the characters of a plain number: from_chars alone would take "inf", "nan" and hex.
    std::string text;
    if (trimmed.empty() || trimmed.size() > 400) return std::nullopt;
    for (const char ch : trimmed) {
        if (ch == separator)
            text += '.';
        else if ((ch >= '0' && ch <= '9') || ch == 'e' || ch == 'E' || ch == '-' || ch == '+')
            text += ch;
        else
            return std::nullopt;
    }
    double d = 0;
    const char* first = text.data();
    if (*first == '+') ++first;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), d);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return d;
}

char decimalSeparator(const RuntimeServices& services) {
    return services.locale != nullptr ? services.locale->decimalSeparator() : '.';
}

NumberSeparators numberSeparators(const RuntimeServices& services) {
    if (services.locale == nullptr) return {};
    return {services.locale->decimalSeparator(), services.locale->thousandSeparator()};
}

namespace {

Value strToFloat(Args a, CallContext& c, const RuntimeServices& services) {
    std::string h;
    const std::string_view raw = stringArg(a[0], h);
    const std::optional<double> d = parseFloat(raw, decimalSeparator(services));
    if (!d)
        c.fail("'" + std::string(raw.substr(0, 200)) + "' is not a valid floating point value",
               "EConvertError");
    return Value(*d);
}

Value trimLeft(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    std::string_view s = stringArg(a[0], h);
    while (!s.empty() && isBlankOrControl(s.front())) s.remove_prefix(1);
    return Value(s);
}

Value trimRight(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    std::string_view s = stringArg(a[0], h);
    while (!s.empty() && isBlankOrControl(s.back())) s.remove_suffix(1);
    return Value(s);
}

// Delphi's CompareText folds only A..Z; CompareStr folds nothing. Both give the difference of
// the first unequal bytes, or of the lengths.
std::int64_t compareBytes(std::string_view x, std::string_view y, bool foldAscii) {
    const std::size_t n = x.size() < y.size() ? x.size() : y.size();
    for (std::size_t i = 0; i < n; ++i) {
        int cx = static_cast<unsigned char>(x[i]);
        int cy = static_cast<unsigned char>(y[i]);
        if (foldAscii) {
            if (cx >= 'a' && cx <= 'z') cx -= 32;
            if (cy >= 'a' && cy <= 'z') cy -= 32;
        }
        if (cx != cy) return cx - cy;
    }
    return static_cast<std::int64_t>(x.size()) - static_cast<std::int64_t>(y.size());
}

Value compareText(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    return Value(compareBytes(stringArg(a[0], h1), stringArg(a[1], h2), true));
}

Value compareStr(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    return Value(compareBytes(stringArg(a[0], h1), stringArg(a[1], h2), false));
}

Value quotedStr(Args a, CallContext& c, const RuntimeServices&) {
    std::string h;
    return Value(quotedText(stringArg(a[0], h), '\'', c));
}

Value stringOfChar(Args a, CallContext& c, const RuntimeServices&) {
    char ch = 0;
    if (a[0].isString() && a[0].string().size() == 1)
        ch = a[0].string()[0];
    else if (a[0].isInteger())
        ch = static_cast<char>(static_cast<std::uint8_t>(a[0].integer()));
    else
        c.fail("Incompatible types: 'Char' and '" + std::string(a[0].typeName()) + "'");
    const std::int64_t count = a[1].toInteger();
    if (count <= 0) return Value(std::string());
    if (static_cast<std::uint64_t>(count) > c.limits().maxStringLength)
        c.checkLength(c.limits().maxStringLength + 1);
    c.checkLength(static_cast<std::size_t>(count));
    return Value(std::string(static_cast<std::size_t>(count), ch));
}

Value ansiPos(Args a, CallContext&, const RuntimeServices&) {
    std::string h1, h2;
    const std::string_view sub = stringArg(a[0], h1);
    const std::string_view s = stringArg(a[1], h2);
    if (sub.empty()) return Value(std::int64_t{0});
    const std::size_t at = s.find(sub);
    return Value(at == std::string_view::npos ? std::int64_t{0}
                                              : static_cast<std::int64_t>(at + 1));
}

// Delphi's identifiers are ASCII: a letter or "_", then letters, digits and "_"; with dots
// allowed, each dotted part is one.
Value isValidIdent(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    const std::string_view s = stringArg(a[0], h);
    const bool dots = a.size() > 1 && a[1].kind() == Kind::Boolean && a[1].boolean();
    const auto letter = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    bool partStart = true;
    for (const char c : s) {
        if (partStart) {
            if (!letter(c)) return Value(false);
            partStart = false;
        } else if (c == '.' && dots) {
            partStart = true;
        } else if (!letter(c) && !digit(c)) {
            return Value(false);
        }
    }
    return Value(!partStart);
}

// A string read as a zero-terminated one: it ends at its first #0.
Value strPas(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    const std::string_view s = stringArg(a[0], h);
    return Value(s.substr(0, s.find('\0')));
}

Value strPCopy(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    const std::string_view s = stringArg(a[1], h);
    Value copied(s.substr(0, s.find('\0')));
    a[0].assign(copied);
    return copied;
}

constexpr Row kRows[] = {
    {"IsValidIdent", 1, 2, 0, isValidIdent}, {"StrPas", 1, 1, 0, strPas},
    {"StrPCopy", 2, 2, 1u << 0, strPCopy},   {"Delete", 3, 3, 1u << 0, deleteText},
    {"Insert", 3, 3, 1u << 1, insertText},   {"StringReplace", 3, 4, 0, stringReplace},
    {"IntToHex", 1, 2, 0, intToHex},         {"StrToFloat", 1, 1, 0, strToFloat},
    {"TrimLeft", 1, 1, 0, trimLeft},         {"TrimRight", 1, 1, 0, trimRight},
    {"CompareText", 2, 2, 0, compareText},   {"CompareStr", 2, 2, 0, compareStr},
    {"QuotedStr", 1, 1, 0, quotedStr},       {"StringOfChar", 2, 2, 0, stringOfChar},
    {"AnsiPos", 2, 2, 0, ansiPos},
};

}  // namespace

void addStringFunctions(Environment& environment, const RuntimeServices& services) {
    addRows(environment, kRows, services);
    environment.addConstant("rfReplaceAll", Value(kReplaceAll));
    environment.addConstant("rfIgnoreCase", Value(kIgnoreCase));
}

}  // namespace qbx::scripting::pascal::library
