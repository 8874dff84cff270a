#include "scripting/pascal/lexer.h"

#include <charconv>
#include <cmath>

#include "base/text.h"

namespace qbx::scripting::pascal {

namespace {

struct Keyword {
    std::string_view name;
    Tok tok;
};

constexpr Keyword kKeywords[] = {
    {"AND", Tok::And},
    {"ARRAY", Tok::Array},
    {"BEGIN", Tok::Begin},
    {"BREAK", Tok::Break},
    {"CASE", Tok::Case},
    {"CLASS", Tok::Class},
    {"CONST", Tok::Const},
    {"CONTINUE", Tok::Continue},
    {"DIV", Tok::Div},
    {"DO", Tok::Do},
    {"DOWNTO", Tok::Downto},
    {"ELSE", Tok::Else},
    {"END", Tok::End_},
    {"EXCEPT", Tok::Except},
    {"EXIT", Tok::Exit},
    {"FALSE", Tok::False},
    {"FINALLY", Tok::Finally},
    {"FOR", Tok::For},
    {"FUNCTION", Tok::Function},
    {"IF", Tok::If},
    {"IN", Tok::In},
    {"MOD", Tok::Mod},
    {"NIL", Tok::Nil},
    {"NOT", Tok::Not},
    {"OF", Tok::Of},
    {"OR", Tok::Or},
    {"PROCEDURE", Tok::Procedure},
    {"PROGRAM", Tok::Program},
    {"RAISE", Tok::Raise},
    {"RECORD", Tok::Record},
    {"REPEAT", Tok::Repeat},
    {"SET", Tok::Set},
    {"SHL", Tok::Shl},
    {"SHR", Tok::Shr},
    {"THEN", Tok::Then},
    {"TO", Tok::To},
    {"TRUE", Tok::True},
    {"TRY", Tok::Try},
    {"TYPE", Tok::Type},
    {"UNTIL", Tok::Until},
    {"USES", Tok::Uses},
    {"VAR", Tok::Var},
    {"WHILE", Tok::While},
    {"WITH", Tok::With},
    {"XOR", Tok::Xor},
};

bool isIdentStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || u >= 0xC0 || u == 0xA8 ||
           u == 0xB8;
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string_view tokenName(Tok t) {
    switch (t) {
        case Tok::End: return "end of script";
        case Tok::Ident: return "identifier";
        case Tok::Int:
        case Tok::Float: return "number";
        case Tok::String: return "string";
        case Tok::Plus: return "'+'";
        case Tok::Minus: return "'-'";
        case Tok::Star: return "'*'";
        case Tok::Slash: return "'/'";
        case Tok::Eq: return "'='";
        case Tok::Ne: return "'<>'";
        case Tok::Lt: return "'<'";
        case Tok::Gt: return "'>'";
        case Tok::Le: return "'<='";
        case Tok::Ge: return "'>='";
        case Tok::Assign: return "':='";
        case Tok::LParen: return "'('";
        case Tok::RParen: return "')'";
        case Tok::LBracket: return "'['";
        case Tok::RBracket: return "']'";
        case Tok::Comma: return "','";
        case Tok::Semicolon: return "';'";
        case Tok::Colon: return "':'";
        case Tok::Dot: return "'.'";
        case Tok::DotDot: return "'..'";
        case Tok::Caret: return "'^'";
        case Tok::At: return "'@'";
        default: break;
    }
    for (const auto& k : kKeywords)
        if (k.tok == t) return k.name;
    return "token";
}

void Lexer::fail(const std::string& message) const {
    throw CompileError{line_, column_, message, pos_};
}

void Lexer::advance() {
    if (src_[pos_] == '\n') {
        ++line_;
        column_ = 1;
    } else {
        ++column_;
    }
    ++pos_;
}

void Lexer::skipBlanksAndComments() {
    for (;;) {
        const char c = peek();
        if (pos_ >= src_.size()) return;
        if (isBlankOrControl(c)) {
            advance();
        } else if (c == '/' && peek(1) == '/') {
            while (pos_ < src_.size() && peek() != '\n') advance();
        } else if (c == '{') {
            while (pos_ < src_.size() && peek() != '}') advance();
            if (pos_ >= src_.size()) fail("Unterminated comment");
            advance();
        } else if (c == '(' && peek(1) == '*') {
            advance();
            advance();
            while (pos_ < src_.size() && !(peek() == '*' && peek(1) == ')')) advance();
            if (pos_ >= src_.size()) fail("Unterminated comment");
            advance();
            advance();
        } else {
            return;
        }
    }
}

void Lexer::number(Token& t) {
    const std::size_t start = pos_;
    if (peek() == '$') {
        advance();
        std::uint64_t v = 0;
        int digits = 0;
        while (hexValue(peek()) >= 0) {
            if (++digits > 16) fail("Integer constant too large");
            v = v * 16 + static_cast<std::uint64_t>(hexValue(peek()));
            advance();
        }
        if (digits == 0) fail("Hexadecimal digits expected");
        t.type = Tok::Int;
        t.integer = static_cast<std::int64_t>(v);
        return;
    }
    while (isDigit(peek())) advance();
    bool isFloat = false;
    if (peek() == '.' && isDigit(peek(1))) {
        isFloat = true;
        advance();
        while (isDigit(peek())) advance();
    }
    if ((peek() == 'e' || peek() == 'E') &&
        (isDigit(peek(1)) || ((peek(1) == '+' || peek(1) == '-') && isDigit(peek(2))))) {
        isFloat = true;
        advance();
        if (peek() == '+' || peek() == '-') advance();
        while (isDigit(peek())) advance();
    }
    const std::string_view text = src_.substr(start, pos_ - start);
    if (isFloat) {
        std::string copy(text);  // from_chars does not take a leading '+' in the exponent
        const auto r = std::from_chars(copy.data(), copy.data() + copy.size(), t.real);
        if (r.ec != std::errc() || !std::isfinite(t.real)) fail("Invalid floating point constant");
        t.type = Tok::Float;
        return;
    }
    const auto r = std::from_chars(text.data(), text.data() + text.size(), t.integer);
    t.type = Tok::Int;
    if (r.ec == std::errc::result_out_of_range) {
        std::uint64_t u = 0;
        const auto ru = std::from_chars(text.data(), text.data() + text.size(), u);
        if (ru.ec != std::errc()) fail("Integer constant too large");
        t.integer = static_cast<std::int64_t>(u);
        t.isUnsigned = true;
        return;
    }
    if (r.ec != std::errc()) fail("Integer constant too large");
}

void Lexer::string(Token& t) {
    t.type = Tok::String;
    for (;;) {
        if (peek() == '\'') {
            advance();
            for (;;) {
                if (pos_ >= src_.size() || peek() == '\n' || peek() == '\r')
                    fail("Unterminated string");
                if (peek() == '\'') {
                    if (peek(1) != '\'') break;
                    advance();
                }
                t.text += peek();
                advance();
            }
            advance();
        } else if (peek() == '#') {
            advance();
            int code = 0;
            if (peek() == '$') {
                advance();
                if (hexValue(peek()) < 0) fail("Character code expected");
                while (hexValue(peek()) >= 0) {
                    code = code * 16 + hexValue(peek());
                    if (code > 255) fail("Character code out of range");
                    advance();
                }
            } else {
                if (!isDigit(peek())) fail("Character code expected");
                while (isDigit(peek())) {
                    code = code * 10 + (peek() - '0');
                    if (code > 255) fail("Character code out of range");
                    advance();
                }
            }
            t.text += static_cast<char>(code);
        } else {
            return;
        }
        if (t.text.size() > (64u << 20)) fail("String constant too long");
    }
}

Token Lexer::next() {
    skipBlanksAndComments();
    Token t;
    t.line = line_;
    t.column = column_;
    t.offset = pos_;
    if (pos_ >= src_.size()) return t;
    const char c = peek();
    if (isIdentStart(c)) {
        const std::size_t start = pos_;
        while (pos_ < src_.size() && (isIdentStart(peek()) || isDigit(peek()))) advance();
        t.raw = std::string(src_.substr(start, pos_ - start));
        t.text = toUpper1251(t.raw);
        t.type = Tok::Ident;
        for (const auto& k : kKeywords)
            if (k.name == t.text) t.type = k.tok;
        return t;
    }
    if (isDigit(c) || (c == '$' && hexValue(peek(1)) >= 0)) {
        number(t);
        return t;
    }
    if (c == '\'' || c == '#') {
        string(t);
        return t;
    }
    advance();
    switch (c) {
        case '+': t.type = Tok::Plus; break;
        case '-': t.type = Tok::Minus; break;
        case '*': t.type = Tok::Star; break;
        case '/': t.type = Tok::Slash; break;
        case '=': t.type = Tok::Eq; break;
        case '(': t.type = Tok::LParen; break;
        case ')': t.type = Tok::RParen; break;
        case '[': t.type = Tok::LBracket; break;
        case ']': t.type = Tok::RBracket; break;
        case ',': t.type = Tok::Comma; break;
        case ';': t.type = Tok::Semicolon; break;
        case '^': t.type = Tok::Caret; break;
        case '@': t.type = Tok::At; break;
        case '<':
            t.type = Tok::Lt;
            if (peek() == '>')
                t.type = Tok::Ne, advance();
            else if (peek() == '=')
                t.type = Tok::Le, advance();
            break;
        case '>':
            t.type = Tok::Gt;
            if (peek() == '=') t.type = Tok::Ge, advance();
            break;
        case ':':
            t.type = Tok::Colon;
            if (peek() == '=') t.type = Tok::Assign, advance();
            break;
        case '.':
            t.type = Tok::Dot;
            if (peek() == '.') t.type = Tok::DotDot, advance();
            break;
        default: {
            --column_;
            --pos_;
            std::string m = "Illegal character in script (#";
            m += decimal(static_cast<unsigned char>(c));
            fail(m + ")");
        }
    }
    return t;
}

}  // namespace qbx::scripting::pascal
