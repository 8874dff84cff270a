// The operators of the script language over values: Delphi's rules for Integer and Double
// (integers wrap, "/" is always a float division), strings concatenated with "+" and compared
// byte by byte, Boolean logic. Empty acts as 0 or '' beside a number or a string; Null makes
// arithmetic Null. Mixing a string with a number is an error, never a silent conversion.
#pragma once

#include <cstdint>

#include "scripting/pascal/code.h"
#include "scripting/pascal/pascal.h"
#include "scripting/pascal/value.h"

namespace qbx::scripting::pascal {

// Bounds that string-producing operations check: one string's length and the bytes of strings
// the run has added since it began.
struct StringBudget {
    const Limits* limits;
    std::int64_t baseline;
    void check(std::size_t newLength) const;
    // Bytes an array, a record or a set is about to take.
    void checkMemory(std::size_t bytes) const;
};

// Before an operator with a Variant operand: converts the two operands in place as Delphi
// converts variants (a string beside a number is read as a Double, a Boolean beside a number as
// -1 or 0, a Double under div, mod and the bit operators is rounded). Strings with strings and
// Booleans with Booleans stay as they are. A string that is no number raises
// EVariantTypeCastError.
void prepareVariantOperands(Op op, Value& a, Value& b);

// A Variant's value as a variable of the declared type takes it: text read as a number, numbers
// and Booleans as text, Doubles rounded for integer types. Null raises EVariantTypeCastError;
// whatever needs no conversion is returned unchanged for the assignment to check.
Value variantAs(DeclaredType target, const Value& v);

// op is one of ADD .. SHR.
Value binaryOp(Op op, const Value& a, const Value& b, const StringBudget& budget);
bool valuesEqual(const Value& a, const Value& b);
// Negative, zero or positive; throws for values without an order.
int compareValues(const Value& a, const Value& b);
Value negateValue(const Value& v);
Value notValue(const Value& v);
// Set inclusion for LE (a <= b) and GE.
bool setRelation(Op op, const Value& a, const Value& b);
// A condition: only a Boolean is accepted.
bool conditionValue(const Value& v);

}  // namespace qbx::scripting::pascal
