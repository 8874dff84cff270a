// Tokens of the script language. Keywords and identifiers ignore case (1251 tables); a string
// token is the joined value of juxtaposed quoted parts and #nn / #$hh character codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scripting/pascal/pascal.h"

namespace qbx::scripting::pascal {

enum class Tok : std::uint8_t {
    End,
    Ident,
    Int,
    Float,
    String,
    Plus,
    Minus,
    Star,
    Slash,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Assign,
    LParen,
    RParen,
    LBracket,
    RBracket,
    Comma,
    Semicolon,
    Colon,
    Dot,
    DotDot,
    Caret,
    At,
    // keywords
    And,
    Array,
    Begin,
    Break,
    Case,
    Class,
    Const,
    Continue,
    Div,
    Do,
    Downto,
    Else,
    End_,
    Except,
    Exit,
    False,
    Finally,
    For,
    Function,
    If,
    In,
    Mod,
    Nil,
    Not,
    Of,
    Or,
    Procedure,
    Program,
    Raise,
    Record,
    Repeat,
    Set,
    Shl,
    Shr,
    Then,
    To,
    True,
    Try,
    Type,
    Until,
    Uses,
    Var,
    While,
    With,
    Xor,
};

struct Token {
    Tok type = Tok::End;
    int line = 1;
    int column = 1;
    std::size_t offset = 0;
    std::string text;  // identifier upper-cased, or the string's value
    std::string raw;   // identifier as written
    std::int64_t integer = 0;
    bool isUnsigned = false;  // a decimal constant above Int64's range: a UInt64's bits
    double real = 0.0;
};

// Thrown by the lexer and the compiler; compile() turns it into a ScriptError.
struct CompileError {
    int line;
    int column;
    std::string message;
    std::size_t offset;
};

class Lexer {
public:
    explicit Lexer(std::string_view source) : src_(source) {}
    Token next();

private:
    [[noreturn]] void fail(const std::string& message) const;
    void skipBlanksAndComments();
    char peek(std::size_t ahead = 0) const {
        return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0';
    }
    void advance();
    void number(Token& t);
    void string(Token& t);

    std::string_view src_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int column_ = 1;
};

std::string_view tokenName(Tok t);

}  // namespace qbx::scripting::pascal
