// The Variants unit: what a Variant holds (VarType and its var* codes, VarIsNull, VarIsEmpty),
// its text (VarToStr) and the Null and Unassigned values.
#include <cstdint>

#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal::library {

namespace {

// The type codes of a Variant, with the numbers Delphi gives them.
constexpr std::int64_t kVarEmpty = 0;
constexpr std::int64_t kVarNull = 1;
constexpr std::int64_t kVarInteger = 3;
constexpr std::int64_t kVarDouble = 5;
constexpr std::int64_t kVarDate = 7;
constexpr std::int64_t kVarBoolean = 11;
constexpr std::int64_t kVarVariant = 12;
constexpr std::int64_t kVarInt64 = 20;
constexpr std::int64_t kVarUInt64 = 21;
constexpr std::int64_t kVarString = 256;
constexpr std::int64_t kVarArray = 0x2000;

std::int64_t variantType(const Value& v) {
    switch (v.kind()) {
        case Kind::Empty: return kVarEmpty;
        case Kind::Null: return kVarNull;
        case Kind::Boolean: return kVarBoolean;
        case Kind::Integer:
            return v.integer() >= INT32_MIN && v.integer() <= INT32_MAX ? kVarInteger : kVarInt64;
        case Kind::UInt64: return kVarUInt64;
        case Kind::Double: return kVarDouble;
        case Kind::Date: return kVarDate;
        case Kind::String: return kVarString;
        case Kind::Array: return kVarArray | kVarVariant;
        case Kind::Set:
        case Kind::Ref: break;
    }
    return kVarInteger;  // a set reads as its ordinal bits in Delphi
}

Value varType(Args a, CallContext&, const RuntimeServices&) { return Value(variantType(a[0])); }

Value varIsNull(Args a, CallContext&, const RuntimeServices&) { return Value(a[0].isNull()); }

Value varIsEmpty(Args a, CallContext&, const RuntimeServices&) { return Value(a[0].isEmpty()); }

// Null gives the empty text, as Delphi's NullAsStringValue does by default.
// A date reads as DateTimeToStr writes it.
Value varToStr(Args a, CallContext&, const RuntimeServices& s) {
    if (a[0].isArray() || a[0].isSet())
        throw RuntimeError("Invalid variant type conversion", "EVariantTypeCastError");
    if (a[0].kind() == Kind::Date && s.locale != nullptr)
        return Value(defaultDateTimeText(*s.locale, a[0].real()));
    return Value(toText(a[0]));
}

Value varToStrDef(Args a, CallContext& c, const RuntimeServices& s) {
    if (a[0].isNull()) return a[1];
    return varToStr(a, c, s);
}

constexpr Row kRows[] = {
    {"VarType", 1, 1, 0, varType},         {"VarIsNull", 1, 1, 0, varIsNull},
    {"VarIsEmpty", 1, 1, 0, varIsEmpty},   {"VarToStr", 1, 1, 0, varToStr},
    {"VarToStrDef", 2, 2, 0, varToStrDef},
};

}  // namespace

void addVariantFunctions(Environment& environment, const RuntimeServices& services) {
    addRows(environment, kRows, services);
    environment.addConstant("Null", Value::null());
    environment.addConstant("Unassigned", Value());
    static constexpr IntegerConstant codes[] = {
        {"varEmpty", kVarEmpty},     {"varNull", kVarNull},   {"varInteger", kVarInteger},
        {"varDouble", kVarDouble},   {"varDate", kVarDate},   {"varBoolean", kVarBoolean},
        {"varVariant", kVarVariant}, {"varInt64", kVarInt64}, {"varUInt64", kVarUInt64},
        {"varString", kVarString},   {"varArray", kVarArray},
    };
    addIntegerConstants(environment, codes);
}

}  // namespace qbx::scripting::pascal::library
