// Shared plumbing of the runtime library's tables; not part of the interpreter's interface.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scripting/pascal/library.h"

namespace qbx::scripting::pascal::library {

using Args = std::span<Value>;

// One table row: the function gets the services along with its arguments.
struct Row {
    std::string_view name;
    int minArgs;
    int maxArgs;
    std::uint32_t varParams;
    Value (*function)(Args, CallContext&, const RuntimeServices&);
};

void addRows(Environment& environment, std::span<const Row> rows, const RuntimeServices& services);

// A named integer constant of a unit (faDirectory, WM_CLOSE, varString, ...).
struct IntegerConstant {
    std::string_view name;
    std::int64_t value;
};

void addIntegerConstants(Environment& environment, std::span<const IntegerConstant> constants);

// The argument as text: strings as they are, Empty as ''; anything else is a type error.
std::string_view stringArg(const Value& v, std::string& holder);
// Delphi's set argument as a routine receives it: a set variable, or the list the compiler makes
// of a bracketed argument ([rfReplaceAll, rfIgnoreCase], [' ', '-']). Calls member(n) for each
// ordinal below `limit` that a set holds, item(v) for each item of a list as written. False for
// any other value, which the routine reads in its older plain form (a sum of flags, a text).
bool forEachSetMember(const Value& v, unsigned limit, const std::function<void(unsigned)>& member,
                      const std::function<void(const Value&)>& item);
// The text in the quote character, each quote in it doubled (QuotedStr, AnsiQuotedStr).
std::string quotedText(std::string_view s, char quote, CallContext& c);
// A floating result that must stay finite, as the interpreter's own arithmetic does.
Value realResult(double d);
// Objects a script holds by number (open files, searches, TRegistry objects): handle h is the
// h-th slot, a freed slot is taken again before the table grows, and no more than `Capacity`
// are held at once.
template <typename T, std::size_t Capacity>
class HandleTable {
public:
    // The object's handle, or 0 when the table is full (the object is dropped).
    std::int64_t keep(std::unique_ptr<T> object) {
        auto slot = std::find(slots_.begin(), slots_.end(), nullptr);
        if (slot == slots_.end()) {
            if (slots_.size() >= Capacity) return 0;
            slot = slots_.emplace(slots_.end());
        }
        *slot = std::move(object);
        return static_cast<std::int64_t>(slot - slots_.begin()) + 1;
    }
    // Null for a handle that names no slot or a freed one.
    T* find(std::int64_t handle) const noexcept {
        return named(handle) ? slots_[static_cast<std::size_t>(handle - 1)].get() : nullptr;
    }
    // A handle that names nothing is let be.
    void release(std::int64_t handle) noexcept {
        if (named(handle)) slots_[static_cast<std::size_t>(handle - 1)].reset();
    }

private:
    bool named(std::int64_t handle) const noexcept {
        return handle >= 1 && static_cast<std::uint64_t>(handle) <= slots_.size();
    }

    std::vector<std::unique_ptr<T>> slots_;
};

// The service, or the script error that it is not available in this host.
template <typename T>
T& need(T* service, std::string_view what) {
    if (service == nullptr) throw RuntimeError(std::string(what) + " is not available", "EOSError");
    return *service;
}

// A plain decimal number with the locale's separator, blanks around it allowed; no "inf",
// "nan" or hexadecimal, and nothing beyond the range of a Double.
std::optional<double> parseFloat(std::string_view text, char separator);
char decimalSeparator(const RuntimeServices& services);
// The locale's separators of numbers: '.' and ',' without a locale.
struct NumberSeparators {
    char decimal = '.';
    char thousands = ',';
};
NumberSeparators numberSeparators(const RuntimeServices& services);

// A number as decimal digits: the value is 0.digits * 10^exponent, digits without trailing
// zeros ("" for zero). Double values carry 15 significant digits, as Delphi's conversions
// read them.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};
DecimalDigits decimalDigits(double value, int significant = 15);
// Rounded to that many digits after the point (negative: before it), halves away from zero
// or, with bankers, to the even digit.
DecimalDigits roundedDigits(DecimalDigits number, int decimals, bool bankers = false);
double toDouble(const DecimalDigits& number);
// Delphi's FloatToStrF: format 0 general, 1 exponent, 2 fixed, 3 number.
std::string floatToStrF(double value, int format, int precision, int digits,
                        NumberSeparators separators);

// The user's day and month names, AM and PM texts and separators; English where the host has
// no locale. For FormatDateTime and the name arrays the scripts see.
DateTimeNames localeNames(const RuntimeServices& services);

void addStringFunctions(Environment& environment, const RuntimeServices& services);
void addStrUtilsFunctions(Environment& environment, const RuntimeServices& services);
void addConvertFunctions(Environment& environment, const RuntimeServices& services);
void addFormatFunction(Environment& environment, const RuntimeServices& services);
void addMathFunctions(Environment& environment, const RuntimeServices& services);
void addDateFunctions(Environment& environment, const RuntimeServices& services);
void addSystemFunctions(Environment& environment, const RuntimeServices& services);
void addVariantFunctions(Environment& environment, const RuntimeServices& services);
void addFileFunctions(Environment& environment, const RuntimeServices& services);
void addWindowsFunctions(Environment& environment, const RuntimeServices& services);
void addRegistryClass(Environment& environment, const RuntimeServices& services);

}  // namespace qbx::scripting::pascal::library
