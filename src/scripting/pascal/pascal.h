// The Pascal script interpreter: compile a source once, run the compiled program any number of
// times against an Environment of host functions and constants.
//
// Nothing here throws to the caller: compile and run report failures as a ScriptError with the
// line and column. A Program may be run repeatedly, but by one thread at a time (strings shared
// between runs are counted without atomics).
//
// Choices a script can see:
// - Integers are 64-bit and wrap on overflow; a variable declared Integer (32-bit), Cardinal,
//   Byte or Word wraps the value to its width on assignment, so such variables print as in
//   Delphi. div and mod of the lowest Int64 by -1 wrap too; shl and shr take the count mod 64.
// - "/" always gives a Double; a division by zero of any kind is the error "Division by zero",
//   an infinite result "Floating point overflow": no NaN or infinity ever reaches a value.
// - A string and a number never mix silently: 'a' + 1 is "Incompatible types". Empty (an
//   unassigned Variant) reads as 0 or ''; Null makes arithmetic Null and its text is "".
// - One step is one executed instruction, a fused sequence (a compare-and-jump, an element
//   load) counting as one; a loop turn costs at least one. Limit errors end the run whatever try
//   blocks surround them.
// - Every name is resolved when the script is compiled, against its own declarations and the
//   Environment: a misspelt name is a compile error with its place, even in code that never runs.
// - Arrays (static, dynamic, open), records and sets of ordinals 0..255 are values held in
//   reference-counted boxes: static arrays and records are copied on their first write after an
//   assignment, dynamic arrays are shared as in Delphi. Their memory counts with strings'.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/datetime.h"
#include "scripting/pascal/value.h"

namespace qbx::scripting::pascal {

struct Limits {
    int maxNesting = 200;                      // statements and parentheses in the source
    int maxCallDepth = 200;                    // script routine frames
    std::int64_t maxSteps = 50'000'000;        // executed instructions per run
    std::size_t maxStringLength = 64u << 20;   // bytes in one string
    std::size_t maxStringMemory = 256u << 20;  // bytes of strings a run may add
    std::size_t maxSourceLength = 4u << 20;    // bytes of source text
    std::int64_t maxWaitMs = 10'000;           // milliseconds natives may wait (Sleep) per run
};

struct ScriptError {
    int line = 0;
    int column = 0;
    std::string message;
    // "Line 3, column 7: " + message; a failure without a place gives the message alone.
    std::string text() const;
};

// What a native function sees besides its arguments.
class CallContext {
public:
    CallContext(const Limits& limits, std::int64_t stringBaseline, std::int64_t* waitedMs = nullptr)
        : limits_(limits), baseline_(stringBaseline), waitedMs_(waitedMs) {}
    const Limits& limits() const { return limits_; }
    // Throws the run-ending error when a string of this length would pass the limit.
    void checkLength(std::size_t length) const;
    // Counts a wait of the host's thread against the run's limit before it happens; throws the
    // run-ending error when the run would pass it.
    void chargeWait(std::int64_t milliseconds);
    // A script error the script can catch (class "Exception" unless named).
    [[noreturn]] void fail(const std::string& message,
                           const std::string& className = "Exception") const;

private:
    const Limits& limits_;
    std::int64_t baseline_;
    std::int64_t* waitedMs_;
};

// Arguments arrive as values; a parameter marked as var holds a copy of the variable, and what
// the function leaves in it is stored back into the variable after the call.
using NativeFn = std::function<Value(std::span<Value> args, CallContext& context)>;

struct NativeFunction {
    NativeFn function;
    int minArgs = 0;
    int maxArgs = 0;
    std::uint32_t varParams = 0;  // bit i: argument i is a var parameter
};

// The names a script can reach beyond its own declarations. Names ignore case (1251 tables);
// adding a name again replaces the earlier entry, so constants can be refreshed before each run.
// The environment must not change while a run is under way (a native must not register names).
class Environment {
public:
    Limits limits;

    void addFunction(std::string_view name, int minArgs, int maxArgs, NativeFn function,
                     std::uint32_t varParams = 0);
    void addConstant(std::string_view name, Value value);
    // A constant array scripts index from low (ShortMonthNames[1]); a copy they make of it is
    // theirs to change.
    void addConstantArray(std::string_view name, std::int64_t low, std::span<const Value> items);

    // A record type scripts declare variables of (TSearchRec), by its fields' names and built-in
    // type names ("Integer", "Int64", "String"); a type of the script's own of that name hides it.
    struct Field {
        std::string name;
        std::string typeName;
    };
    void addRecordType(std::string_view name, std::vector<Field> fields);
    const std::vector<Field>* findRecordType(std::string_view upperName) const;

    // A class of objects the library makes (TRegistry): a variable of it holds the object,
    // "Name.Member(...)" calls the function registered as "Name.Member" with the class name's
    // value, and "Object.Member(...)" calls it with the object before the arguments;
    // "Object.Member := Value" calls it with the object and the value.
    void addObjectClass(std::string_view name);
    bool isObjectClass(std::string_view upperName) const;

    struct Entry {
        std::string name;  // as registered, for messages
        bool isConstant = false;
        Value constant;
        NativeFunction native;
    };
    const Entry* find(std::string_view upperName) const;

private:
    std::unordered_map<std::string, Entry> entries_;
    std::unordered_map<std::string, std::vector<Field>> recordTypes_;
    std::unordered_map<std::string, std::string> objectClasses_;
};

// The interpreter's own runtime library: Length, Copy (strings and dynamic arrays), Pos,
// IntToStr, StrToInt, StrToIntDef, FloatToStr, Chr, Ord, UpperCase, LowerCase, AnsiUpperCase,
// AnsiLowerCase, Trim, Inc, Dec, Abs, Round, Trunc, Sqrt, Math's MaxIntValue, MinIntValue,
// MaxValue, MinValue, Sum, SumInt, Mean over open arrays, and the calendar names in English.
// Low, High, Length, SetLength, Inc, Dec, Succ, Pred, Include, Exclude and ExceptObject are
// compiled in place, whatever the environment holds.
void addCoreLibrary(Environment& environment);

// The day and month names scripts read: ShortDayNames and LongDayNames [1..7] from Sunday,
// ShortMonthNames and LongMonthNames [1..12]. The core library adds English ones; the runtime
// library replaces them by the locale's.
void addCalendarNames(Environment& environment, const DateTimeNames& names);

struct Program;  // compiled code, immutable once built

struct CompileResult {
    std::shared_ptr<const Program> program;  // null on error
    std::optional<ScriptError> error;
};

// A source is either a program (program/uses/type/var/const/routines, then "begin ... end.") or
// a bare expression, whose value is the script's value. The environment gives the names beyond
// the script's own and the limits; it is not kept.
CompileResult compile(std::string_view source, const Environment& environment);

struct RunResult {
    Value value;  // the main block's Result (Empty unless assigned), or the bare expression
    std::optional<ScriptError> error;
};

RunResult run(const Program& program, Environment& environment);

}  // namespace qbx::scripting::pascal
