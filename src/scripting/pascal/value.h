// Values of the Pascal script interpreter: a 16-byte tagged cell. Strings are shared,
// reference-counted byte buffers (code page 1251) so that copying a value is cheap and a string
// held by one variable only can grow in place.
//
// Integers are 64-bit and wrap on overflow (two's complement). A variable declared Integer,
// Cardinal, Byte or Word wraps the value to its own width when assigned, as Delphi does with
// overflow checks off, so such results print as Delphi would print them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/float_text.h"
#include "core/formatting.h"

namespace qbx::scripting::pascal {

// Kinds from String on hold a reference-counted box.
// UInt64 holds the unsigned 64-bit range; Integer holds every other integer type's values. A
// Date is a Double that a Variant took from a TDateTime: it counts as a number everywhere, and
// tells VarType and VarToStr that it is a date.
enum class Kind : std::uint8_t {
    Empty,
    Null,
    Boolean,
    Integer,
    Double,
    Date,
    UInt64,
    Ref,
    String,
    Array,
    Set
};

// The declared type of a variable; assignment converts to it or fails.
enum class DeclaredType : std::uint8_t {
    Variant,
    Integer,
    Cardinal,
    Int64,
    Byte,
    Word,
    Double,
    String,
    Char,
    Boolean,
    UInt64,
    Composite  // an array, record or set: takes only a value of the same kind
};

// A failure inside the script's own world: catchable by try/except unless fatal. Natives throw
// it to report a script error; the interpreter adds the position.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(const std::string& message, std::string className = "Exception",
                          bool fatal = false)
        : std::runtime_error(message),
          message_(message),
          className_(std::move(className)),
          fatal_(fatal) {}
    // The whole message: what() stops at the first #0 a script put into it.
    const std::string& message() const { return message_; }
    const std::string& className() const { return className_; }
    // Limits (steps, memory, call depth) end the script; try/except cannot hold them.
    bool fatal() const { return fatal_; }

private:
    std::string message_;
    std::string className_;
    bool fatal_;
};

struct BoxHeader {
    std::uint32_t refs;
};

struct StringBox : BoxHeader {
    std::size_t accounted;  // bytes counted against the memory budget
    std::string text;
};

class Value;

// An array or a record (fields in declaration order, low 0). A static array or a record is a
// value: a box held by more than one cell is copied before it is written. A dynamic array is
// shared by every cell holding it, as Delphi's are.
struct ArrayBox : BoxHeader {
    bool shared = false;
    bool record = false;
    // Arrays nested in this one, plus one: a box only holds boxes of a smaller depth, so no box
    // can ever reach itself.
    std::uint16_t depth = 1;
    std::int64_t low = 0;
    std::size_t accounted = 0;
    std::vector<Value> items;
};

// A set of ordinals 0..255; never changed once another cell holds it.
struct SetBox : BoxHeader {
    bool chars = false;  // members read back as characters
    std::uint64_t bits[4] = {0, 0, 0, 0};
    bool has(unsigned v) const { return (bits[v >> 6] >> (v & 63)) & 1u; }
    void add(unsigned v) { bits[v >> 6] |= std::uint64_t{1} << (v & 63); }
    void remove(unsigned v) { bits[v >> 6] &= ~(std::uint64_t{1} << (v & 63)); }
};

class Value {
public:
    Value() noexcept : kind_(Kind::Empty), declared_(DeclaredType::Variant), i_(0) {}
    Value(bool b) noexcept : kind_(Kind::Boolean), declared_(DeclaredType::Variant), b_(b) {}
    Value(int i) noexcept : kind_(Kind::Integer), declared_(DeclaredType::Variant), i_(i) {}
    Value(std::int64_t i) noexcept
        : kind_(Kind::Integer), declared_(DeclaredType::Variant), i_(i) {}
    Value(double d) noexcept : kind_(Kind::Double), declared_(DeclaredType::Variant), d_(d) {}
    Value(std::string_view s);
    Value(const std::string& s) : Value(std::string_view(s)) {}
    Value(const char* s) : Value(std::string_view(s)) {}
    Value(std::string&& s);
    static Value date(double d) noexcept {
        Value v(d);
        v.kind_ = Kind::Date;
        return v;
    }
    static Value unsignedInteger(std::uint64_t u) noexcept {
        Value v;
        v.kind_ = Kind::UInt64;
        v.i_ = static_cast<std::int64_t>(u);
        return v;
    }
    static Value null() noexcept {
        Value v;
        v.kind_ = Kind::Null;
        return v;
    }
    // Takes over one reference of the box.
    static Value array(ArrayBox* box) noexcept {
        Value v;
        v.kind_ = Kind::Array;
        v.a_ = box;
        return v;
    }
    static Value set(SetBox* box) noexcept {
        Value v;
        v.kind_ = Kind::Set;
        v.set_ = box;
        return v;
    }
    static Value ref(std::uint32_t index) noexcept {
        Value v;
        v.kind_ = Kind::Ref;
        v.i_ = index;
        return v;
    }

    Value(const Value& o) noexcept : kind_(o.kind_), declared_(DeclaredType::Variant), i_(o.i_) {
        if (kind_ >= Kind::String) ++h_->refs;
    }
    Value(Value&& o) noexcept : kind_(o.kind_), declared_(DeclaredType::Variant), i_(o.i_) {
        o.kind_ = Kind::Empty;
    }
    // Copies the contents only: a variable keeps its declared type (see assign for conversion).
    Value& operator=(const Value& o) noexcept {
        if (o.kind_ >= Kind::String) ++o.h_->refs;
        release();
        kind_ = o.kind_;
        i_ = o.i_;
        return *this;
    }
    Value& operator=(Value&& o) noexcept {
        if (this != &o) {
            release();
            kind_ = o.kind_;
            i_ = o.i_;
            o.kind_ = Kind::Empty;
        }
        return *this;
    }
    ~Value() { release(); }

    Kind kind() const { return kind_; }
    DeclaredType declared() const { return declared_; }
    void setDeclared(DeclaredType t) { declared_ = t; }
    bool isEmpty() const { return kind_ == Kind::Empty; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isString() const { return kind_ == Kind::String; }
    bool isInteger() const { return kind_ == Kind::Integer; }
    bool isNumber() const {
        return kind_ == Kind::Integer || kind_ == Kind::Double || kind_ == Kind::UInt64 ||
               kind_ == Kind::Date;
    }
    // An Integer or a UInt64.
    bool isIntegral() const { return kind_ == Kind::Integer || kind_ == Kind::UInt64; }

    // Raw access; the kind must match.
    bool boolean() const { return b_; }
    std::int64_t integer() const { return i_; }
    std::uint64_t unsignedBits() const { return static_cast<std::uint64_t>(i_); }
    double real() const { return d_; }  // a Double or a Date
    std::string_view string() const { return s_->text; }
    std::uint32_t refIndex() const { return static_cast<std::uint32_t>(i_); }
    StringBox* box() const { return s_; }
    bool isArray() const { return kind_ == Kind::Array; }
    bool isSet() const { return kind_ == Kind::Set; }
    ArrayBox* arrayBox() const { return a_; }
    SetBox* setBox() const { return set_; }

    // Conversions for natives; each throws RuntimeError when the value does not fit.
    std::int64_t toInteger() const;   // Empty -> 0; UInt64 -> its bits; Double -> error
    double toDouble() const;          // Empty -> 0, Integer -> double
    std::string toStringArg() const;  // String or Empty only
    // Assignment through a declared variable: converts to the declared type or throws.
    void assign(const Value& v);
    void assign(Value&& v);

    // Name of the kind for messages ("Integer", "String", ...).
    std::string_view typeName() const;

private:
    void release() noexcept {
        if (kind_ >= Kind::String && --h_->refs == 0) destroy();
    }
    void destroy() noexcept;
    Kind kind_;
    DeclaredType declared_;
    union {
        bool b_;
        std::int64_t i_;
        double d_;
        StringBox* s_;
        ArrayBox* a_;
        SetBox* set_;
        BoxHeader* h_;
    };
};

// Bytes held by live strings, arrays, records and sets of this thread; the interpreter bounds a
// run by its growth.
std::int64_t liveStringBytes();
// Re-counts a string that grew in place.
void reaccount(StringBox& box);
// Boxes for arrays, records and sets; their bytes are counted as strings' are.
ArrayBox* newArrayBox(std::size_t size, std::int64_t low, bool shared, bool record,
                      std::uint16_t depth);
SetBox* newSetBox();
// Re-counts an array box whose item vector changed size.
void reaccount(ArrayBox& box);
// A copy of the box with the cells' declared types kept (a write to a shared value).
ArrayBox* cloneArrayBox(const ArrayBox& box);
// Equal contents: arrays and records item by item, sets member by member.
bool sameComposite(const Value& a, const Value& b);

// The script's value as text: a string unchanged, Empty and Null "", integers in decimal, floats
// as floatToText, booleans "True"/"False".
std::string toText(const Value& v);
using qbx::floatToText;

}  // namespace qbx::scripting::pascal
