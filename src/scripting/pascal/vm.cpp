// The interpreter loop. Script calls push a frame on the value stack instead of recursing in C++,
// so a script's call depth costs heap, not native stack. Every instruction, fused or plain, counts
// one step.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "base/text.h"
#include "scripting/pascal/code.h"
#include "scripting/pascal/operators.h"

// GCC and Clang take the addresses of labels: the interpreter loop dispatches through them.
#if defined(__GNUC__)
#define QBX_THREADED 1
#else
#define QBX_THREADED 0
#endif

namespace qbx::scripting::pascal {

namespace {

struct Frame {
    std::uint32_t proto;
    std::uint32_t base;
    std::uint32_t returnPc;
    std::uint32_t staticLink;  // frame of the routine that encloses this one in the source
};

struct Handler {
    std::uint32_t pc;
    std::uint32_t frame;  // index into frames
    // The first exception slot (message, class, position); a finally's marker before it.
    std::uint32_t slot;
    bool isFinally;
};

Value defaultValue(DeclaredType t) {
    switch (t) {
        case DeclaredType::Integer:
        case DeclaredType::Cardinal:
        case DeclaredType::Int64:
        case DeclaredType::Byte:
        case DeclaredType::Word: return Value(std::int64_t{0});
        case DeclaredType::Double: return Value(0.0);
        case DeclaredType::Boolean: return Value(false);
        case DeclaredType::UInt64: return Value::unsignedInteger(0);
        default: return Value();
    }
}

std::int64_t packPos(SourcePos p) {
    return static_cast<std::int64_t>((std::uint64_t{p.line} << 32) | p.column);
}
SourcePos unpackPos(std::int64_t v) {
    const auto u = static_cast<std::uint64_t>(v);
    return {static_cast<std::uint32_t>(u >> 32), static_cast<std::uint32_t>(u & 0xFFFFFFFFu)};
}

// Assignment with the common cases inline; Value::assign does the full conversion.
inline void store(Value& target, Value&& v) {
    const DeclaredType t = target.declared();
    if (t == DeclaredType::Variant || (t == DeclaredType::Int64 && v.kind() == Kind::Integer)) {
        target = std::move(v);
    } else if (t == DeclaredType::Integer && v.kind() == Kind::Integer) {
        target =
            Value(std::int64_t{static_cast<std::int32_t>(static_cast<std::uint32_t>(v.integer()))});
    } else {
        target.assign(std::move(v));
    }
}

// The ordinal behind a for-loop value: an integer or a one-character string.
std::int64_t ordinal(const Value& v) {
    if (v.isIntegral()) return v.integer();
    if (v.kind() == Kind::String && v.string().size() == 1)
        return static_cast<unsigned char>(v.string()[0]);
    if (v.kind() == Kind::Boolean) return v.boolean() ? 1 : 0;
    throw RuntimeError("Ordinal type required, not '" + std::string(v.typeName()) + "'");
}

bool compareIntegers(Op op, std::int64_t i, std::int64_t j) {
    switch (op) {
        case LT: return i < j;
        case GT: return i > j;
        case LE: return i <= j;
        case GE: return i >= j;
        case EQ: return i == j;
        default: return i != j;
    }
}

bool compareAny(Op op, const Value& x, const Value& y) {
    if (op == EQ || op == NE) return valuesEqual(x, y) == (op == EQ);
    if (x.kind() == Kind::Integer && y.kind() == Kind::Integer)
        return compareIntegers(op, x.integer(), y.integer());
    if (x.isSet() && (op == LE || op == GE)) return setRelation(op, x, y);
    const int c = compareValues(x, y);
    return op == LT ? c < 0 : op == GT ? c > 0 : op == LE ? c <= 0 : c >= 0;
}

// The comparison of a word that may itself have been fused with the JMPF after it.
Op comparisonOf(std::uint32_t word) {
    const auto op = static_cast<Op>(word & 0xFF);
    return op == CMPJ ? static_cast<Op>(word >> 8) : op;
}

std::int64_t smallInteger(std::uint32_t pushiWord) {
    return static_cast<std::int64_t>(static_cast<std::int32_t>(pushiWord) >> 8);
}

// The element of an array at an integer index, or null when the fused form must step aside
// (not an array, not an integer, out of range: the plain instructions report it).
const Value* elementOrNull(const Value& array, std::int64_t k) {
    if (!array.isArray()) return nullptr;
    const ArrayBox& box = *array.arrayBox();
    const auto i = static_cast<std::uint64_t>(k) - static_cast<std::uint64_t>(box.low);
    return i < box.items.size() ? &box.items[static_cast<std::size_t>(i)] : nullptr;
}

[[noreturn]] void rangeError() { throw RuntimeError("Range check error", "ERangeError"); }

[[noreturn]] void notAnArray(const Value& v) {
    throw RuntimeError("Array type required, not '" + std::string(v.typeName()) + "'");
}

std::size_t elementIndex(const ArrayBox& box, const Value& key, bool zeroBased) {
    const std::int64_t k = key.kind() == Kind::Integer ? key.integer() : ordinal(key);
    const std::int64_t i = static_cast<std::int64_t>(
        static_cast<std::uint64_t>(k) - static_cast<std::uint64_t>(zeroBased ? 0 : box.low));
    if (i < 0 || static_cast<std::uint64_t>(i) >= box.items.size()) rangeError();
    return static_cast<std::size_t>(i);
}

// A store into a cell of an array or a record keeps the depth rule (no box can reach itself).
void storeItem(const ArrayBox& container, Value& cell, Value&& v) {
    if (v.isArray() && v.arrayBox()->depth >= container.depth)
        throw RuntimeError(
            "Incompatible types: '" +
            std::string(cell.declared() == DeclaredType::Variant ? "Variant" : "Array") +
            "' and '" + std::string(v.typeName()) + "'");
    store(cell, std::move(v));
}

// Makes the array in the cell writable: a value-semantics box held elsewhere is copied first.
ArrayBox& writableArray(Value& cell, const StringBudget& budget) {
    if (!cell.isArray()) {
        if (cell.isEmpty()) rangeError();  // an empty dynamic array has no elements
        notAnArray(cell);
    }
    ArrayBox* box = cell.arrayBox();
    if (!box->shared && box->refs > 1) {
        budget.checkMemory(sizeof(ArrayBox) + box->items.size() * sizeof(Value));
        box = cloneArrayBox(*box);
        cell = Value::array(box);
    }
    return *box;
}

// Follows the keys from the root cell; for a write every box on the way is made writable.
Value* walkPath(Value* cell, const Value* keys, std::uint32_t steps, std::uint32_t zeroMask,
                bool forWrite, const StringBudget& budget) {
    for (std::uint32_t i = 0; i < steps; ++i) {
        const bool zero = i < 32 && ((zeroMask >> i) & 1u);
        if (forWrite) {
            ArrayBox& box = writableArray(*cell, budget);
            cell = &box.items[elementIndex(box, keys[i], zero)];
        } else {
            if (!cell->isArray()) {
                if (cell->isEmpty()) rangeError();
                notAnArray(*cell);
            }
            ArrayBox& box = *cell->arrayBox();
            cell = &box.items[elementIndex(box, keys[i], zero)];
        }
    }
    return cell;
}

Value succValue(const Value& v, std::int64_t by) {
    switch (v.kind()) {
        case Kind::Integer:
        case Kind::Empty:
            return Value(static_cast<std::int64_t>(static_cast<std::uint64_t>(v.toInteger()) +
                                                   static_cast<std::uint64_t>(by)));
        case Kind::UInt64:
            return Value::unsignedInteger(v.unsignedBits() + static_cast<std::uint64_t>(by));
        case Kind::String:
            if (v.string().size() == 1)
                return Value(std::string(
                    1, static_cast<char>(static_cast<unsigned char>(v.string()[0]) + by)));
            break;
        case Kind::Boolean: {
            const std::int64_t n = (v.boolean() ? 1 : 0) + by;
            if (n < 0 || n > 1) rangeError();
            return Value(n == 1);
        }
        default: break;
    }
    throw RuntimeError("Ordinal type required, not '" + std::string(v.typeName()) + "'");
}

Value castValue(Cast cast, const Value& v) {
    if (cast == Cast::String) {
        if (v.isString() || v.isEmpty()) return v;
        throw RuntimeError("Invalid typecast");
    }
    if (cast == Cast::Double) return Value(v.toDouble());
    if (cast == Cast::Date) return v.isNumber() ? Value::date(v.toDouble()) : v;
    const std::int64_t n = ordinal(v);
    const auto u = static_cast<std::uint64_t>(n);
    switch (cast) {
        case Cast::Integer: return Value(std::int64_t{static_cast<std::int32_t>(u)});
        case Cast::Cardinal: return Value(std::int64_t{static_cast<std::uint32_t>(u)});
        case Cast::Byte: return Value(std::int64_t{static_cast<std::uint8_t>(u)});
        case Cast::Word: return Value(std::int64_t{static_cast<std::uint16_t>(u)});
        case Cast::ShortInt: return Value(std::int64_t{static_cast<std::int8_t>(u)});
        case Cast::SmallInt: return Value(std::int64_t{static_cast<std::int16_t>(u)});
        case Cast::Char: return Value(std::string(1, static_cast<char>(u)));
        case Cast::Boolean: return Value(n != 0);
        case Cast::UInt64: return Value::unsignedInteger(u);
        default: return Value(n);
    }
}

unsigned setMember(const Value& v) {
    const std::int64_t k = ordinal(v);
    if (k < 0 || k > 255) rangeError();
    return static_cast<unsigned>(k);
}

// The set on top of the stack, made unique for adding to it.
SetBox& writableSet(Value& cell, const StringBudget& budget) {
    if (!cell.isSet())
        throw RuntimeError("Set type required, not '" + std::string(cell.typeName()) + "'");
    SetBox* box = cell.setBox();
    if (box->refs > 1) {
        budget.checkMemory(sizeof(SetBox));
        SetBox* copy = newSetBox();
        copy->chars = box->chars;
        for (int i = 0; i < 4; ++i) copy->bits[i] = box->bits[i];
        cell = Value::set(copy);
        box = copy;
    }
    return *box;
}

class Machine {
public:
    Machine(const Program& program, Environment& environment)
        : program_(program),
          env_(environment),
          limits_(environment.limits),
          budget_{&limits_, liveStringBytes()},
          resolved_(program.names.size(), nullptr) {}

    RunResult run();

private:
    void execute();
    void enter(std::uint32_t protoIndex, std::uint32_t base, std::uint32_t returnPc);
    void ensureStack(std::size_t cells);
    void callNative(std::uint32_t nameIndex, std::uint32_t count, std::uint32_t refMask);
    bool unwind(const std::string& message, const std::string& className, SourcePos pos);
    SourcePos currentPos() const {
        const Proto& p = program_.protos[frames_.back().proto];
        return ip_ < p.positions.size() ? p.positions[ip_] : SourcePos{0, 0};
    }
    [[noreturn]] static void fatal(const char* message) {
        throw RuntimeError(message, "Exception", true);
    }
    Value& slot(std::uint32_t index) { return stack_[frames_.back().base + index]; }
    // Bytes an array is about to take, against the run's memory budget.
    void checkMemory(std::uint64_t cells) const {
        const std::uint64_t bytes = cells * sizeof(Value);
        if (cells > (std::uint64_t{1} << 40) ||
            liveStringBytes() - budget_.baseline + static_cast<std::int64_t>(bytes) >
                static_cast<std::int64_t>(limits_.maxStringMemory))
            fatal("Script stopped: memory limit");
    }
    std::uint32_t frameUp(std::uint32_t levels) const {
        std::uint32_t f = static_cast<std::uint32_t>(frames_.size() - 1);
        while (levels-- > 0) f = frames_[f].staticLink;
        return f;
    }
    bool isClass(std::string_view raised, std::string_view pattern) const;
    [[gnu::noinline]] void initComposites(const Proto& p, std::uint32_t base);
    // Works on top_: the main loop's own counter never has its address taken.
    [[gnu::noinline]] std::uint32_t structured(std::uint32_t w, std::uint32_t pc,
                                               std::uint32_t base);
    void setLength(Value& cell, const Value* lengths, std::uint32_t dims, const CellInit& element);
    void push(Value v) { stack_[top_++] = std::move(v); }

    const Program& program_;
    Environment& env_;
    const Limits& limits_;
    StringBudget budget_;
    std::vector<const Environment::Entry*> resolved_;
    std::vector<Value> stack_;
    std::vector<Frame> frames_;
    std::vector<Handler> handlers_;
    std::uint32_t top_ = 0;
    std::uint32_t pc_ = 0;
    std::uint32_t ip_ = 0;  // the instruction being executed, for error positions
    std::int64_t steps_ = 0;
    std::int64_t waitedMs_ = 0;  // what natives have waited in this run
    bool hasRethrowPos_ = false;
    SourcePos rethrowPos_{0, 0};
};

void Machine::ensureStack(std::size_t cells) {
    if (cells <= stack_.size()) return;
    std::size_t size = stack_.size() < 256 ? 256 : stack_.size();
    while (size < cells) size *= 2;
    stack_.resize(size);
}

bool Machine::isClass(std::string_view raised, std::string_view pattern) const {
    if (pattern == "EXCEPTION") return true;
    std::string name = toUpper1251(raised);
    for (int guard = 0; guard < 64; ++guard) {
        if (name == pattern) return true;
        const auto& parents = program_.classParents;
        const auto it = std::find_if(parents.begin(), parents.end(),
                                     [&](const auto& p) { return p.first == name; });
        if (it != parents.end()) {
            name = it->second;
            continue;
        }
        const std::string_view library = libraryClassParent(name);
        if (library.empty()) return false;
        name = std::string(library);
    }
    return false;
}

void Machine::setLength(Value& cell, const Value* lengths, std::uint32_t dims,
                        const CellInit& element) {
    const std::int64_t n = lengths[0].toInteger();
    if (n < 0) rangeError();
    const auto size = static_cast<std::uint64_t>(n);
    if (cell.isString() || (cell.isEmpty() && cell.declared() == DeclaredType::String)) {
        // A 32-bit size_t must not cut a huge length down to one that passes the check.
        const std::size_t length = size > SIZE_MAX ? SIZE_MAX : static_cast<std::size_t>(size);
        budget_.check(length);
        std::string text(cell.isString() ? cell.string() : std::string_view());
        text.resize(length, '\0');
        store(cell, Value(std::move(text)));
        return;
    }
    if (!cell.isArray() && !cell.isEmpty()) notAnArray(cell);
    const std::size_t old = cell.isArray() ? cell.arrayBox()->items.size() : 0;
    if (size > old) checkMemory(size - old);
    ArrayBox* box;
    if (cell.isArray() && cell.arrayBox()->refs == 1) {
        box = cell.arrayBox();
    } else {
        box = newArrayBox(0, 0, true, false, static_cast<std::uint16_t>(element.depth + dims));
        if (cell.isArray()) {
            const ArrayBox& from = *cell.arrayBox();
            box->items.resize(
                static_cast<std::size_t>(std::min<std::uint64_t>(from.items.size(), size)));
            for (std::size_t i = 0; i < box->items.size(); ++i) {
                box->items[i].setDeclared(from.items[i].declared());
                box->items[i] = from.items[i];
            }
        }
        cell = Value::array(box);
    }
    const std::size_t had = box->items.size();
    box->items.resize(static_cast<std::size_t>(size));
    for (std::size_t i = had; i < box->items.size(); ++i) {
        Value& item = box->items[i];
        if (dims > 1) {
            item.setDeclared(DeclaredType::Composite);
        } else {
            item.setDeclared(element.declared);
            item = element.init;
        }
    }
    reaccount(*box);
    if (dims > 1)
        for (auto& item : box->items) setLength(item, lengths + 1, dims - 1, element);
}

void Machine::initComposites(const Proto& p, std::uint32_t base) {
    for (const auto& [slotIndex, cellIndex] : p.compositeSlots)
        if (slotIndex >= p.paramCount) stack_[base + slotIndex] = program_.cells[cellIndex].init;
}

void Machine::enter(std::uint32_t protoIndex, std::uint32_t base, std::uint32_t returnPc) {
    if (static_cast<int>(frames_.size()) > limits_.maxCallDepth)
        fatal("Script stopped: call depth limit");
    const Proto& p = program_.protos[protoIndex];
    const std::size_t slots = p.slotTypes.size();
    ensureStack(base + slots + p.maxOperands + 4);
    for (std::uint32_t i = 0; i < slots; ++i) {
        Value& cell = stack_[base + i];
        const DeclaredType t = p.slotTypes[i];
        if (i < p.paramCount) {
            Value arg = std::move(cell);
            cell.setDeclared(t);
            if (p.byRef[i])
                cell = std::move(arg);
            else
                store(cell, std::move(arg));
        } else {
            cell.setDeclared(t);
            cell = defaultValue(t);
        }
    }
    if (!p.compositeSlots.empty()) [[unlikely]]
        initComposites(p, base);
    frames_.push_back({protoIndex, base, returnPc, 0});
    top_ = static_cast<std::uint32_t>(base + slots);
    pc_ = 0;
}

void Machine::callNative(std::uint32_t nameIndex, std::uint32_t count, std::uint32_t refMask) {
    const Environment::Entry* entry = resolved_[nameIndex];
    if (entry == nullptr) {
        entry = env_.find(program_.names[nameIndex]);
        if (entry == nullptr)
            throw RuntimeError("Unknown identifier '" + program_.displayNames[nameIndex] + "'");
        resolved_[nameIndex] = entry;
    }
    const std::uint32_t first = top_ - count;
    if (entry->isConstant) {
        if (count != 0) throw RuntimeError("'" + entry->name + "' is a constant, not a function");
        push(entry->constant);
        return;
    }
    const NativeFunction& fn = entry->native;
    if (static_cast<int>(count) < fn.minArgs)
        throw RuntimeError("Not enough actual parameters for '" + entry->name + "'");
    if (static_cast<int>(count) > fn.maxArgs)
        throw RuntimeError("Too many actual parameters for '" + entry->name + "'");
    std::uint32_t refs[32];
    for (std::uint32_t i = 0; i < count; ++i) {
        Value& arg = stack_[first + i];
        const bool isVar = i < 32 && (fn.varParams >> i & 1u);
        if (i < 32 && (refMask >> i & 1u)) {
            refs[i] = arg.refIndex();
            arg = stack_[refs[i]];
        } else if (isVar) {
            throw RuntimeError("Variable required for parameter " + decimal(i + 1) + " of '" +
                               entry->name + "'");
        }
    }
    CallContext context(limits_, budget_.baseline, &waitedMs_);
    Value result = fn.function(std::span<Value>(stack_.data() + first, count), context);
    if (result.kind() == Kind::String) budget_.check(result.string().size());
    if (result.kind() == Kind::Ref) result = Value();
    for (std::uint32_t i = 0; i < count && i < 32; ++i)
        if (fn.varParams >> i & 1u) stack_[refs[i]].assign(std::move(stack_[first + i]));
    for (std::uint32_t i = first; i < top_; ++i) stack_[i] = Value();
    top_ = first;
    push(std::move(result));
}

bool Machine::unwind(const std::string& message, const std::string& className, SourcePos pos) {
    if (handlers_.empty()) return false;
    const Handler h = handlers_.back();
    handlers_.pop_back();
    while (frames_.size() - 1 > h.frame) frames_.pop_back();
    const Frame& f = frames_.back();
    const std::uint32_t keep =
        f.base + static_cast<std::uint32_t>(program_.protos[f.proto].slotTypes.size());
    for (std::uint32_t i = keep; i < top_; ++i) stack_[i] = Value();
    top_ = keep;
    if (h.isFinally) slot(h.slot - 1) = Value(std::int64_t{-1});
    slot(h.slot) = Value(message);
    slot(h.slot + 1) = Value(className);
    slot(h.slot + 2) = Value(packPos(pos));
    pc_ = h.pc;
    return true;
}

RunResult Machine::run() {
    RunResult result;
    if (program_.protos.empty()) return result;
    steps_ = limits_.maxSteps;
    try {
        ensureStack(256);
        enter(0, 0, 0);
    } catch (const std::exception&) {
        result.error = ScriptError{0, 0, "Script stopped: out of memory"};
        return result;
    }
    for (;;) {
        try {
            execute();
            result.value = std::move(stack_[0]);
            return result;
        } catch (const RuntimeError& e) {
            SourcePos pos = hasRethrowPos_ ? rethrowPos_ : currentPos();
            hasRethrowPos_ = false;
            try {
                if (!e.fatal() && unwind(e.message(), e.className(), pos)) continue;
            } catch (const std::bad_alloc&) {
                pos = {0, 0};
            }
            result.error =
                ScriptError{static_cast<int>(pos.line), static_cast<int>(pos.column), e.message()};
        } catch (const std::bad_alloc&) {
            const SourcePos pos = currentPos();
            result.error = ScriptError{static_cast<int>(pos.line), static_cast<int>(pos.column),
                                       "Script stopped: out of memory"};
        } catch (const std::exception& e) {
            // A native function failed in its own way: the script may still handle it.
            const SourcePos pos = currentPos();
            const std::string message = e.what();
            if (unwind(message, "Exception", pos)) continue;
            result.error =
                ScriptError{static_cast<int>(pos.line), static_cast<int>(pos.column), message};
        } catch (...) {
            const SourcePos pos = currentPos();
            if (unwind("Native function failed", "Exception", pos)) continue;
            result.error = ScriptError{static_cast<int>(pos.line), static_cast<int>(pos.column),
                                       "Native function failed"};
        }
        return result;
    }
}

// The instructions of arrays, records, sets and casts, kept out of the main loop so that its
// hot registers stay where they are.
std::uint32_t Machine::structured(std::uint32_t w, std::uint32_t pc, std::uint32_t base) {
    std::uint32_t& top = top_;
    Value* s = stack_.data();
    const Proto& proto = program_.protos[frames_.back().proto];
    const std::uint32_t* code = proto.code.data();
    const Value* constants = proto.constants.data();
    const std::uint32_t a = w >> 8;
    switch (static_cast<Op>(w & 0xFF)) {
        case FIELD: {
            Value& rec = s[top - 1];
            if (!rec.isArray() || !rec.arrayBox()->record || a >= rec.arrayBox()->items.size())
                throw RuntimeError("Record type required, not '" + std::string(rec.typeName()) +
                                   "'");
            Value r = rec.arrayBox()->items[a];
            rec = std::move(r);
            break;
        }
        case LOADPATH: {
            const std::uint32_t mask = code[pc++];
            const std::uint32_t first = top - a - 1;
            Value r = *walkPath(&s[s[first].refIndex()], &s[first + 1], a, mask, false, budget_);
            while (top > first + 1) s[--top] = Value();
            s[first] = std::move(r);
            break;
        }
        case STOREPATH: {
            const std::uint32_t mask = code[pc++];
            const std::uint32_t first = top - a - 2;
            Value* root = &s[s[first].refIndex()];
            Value* cell = walkPath(root, &s[first + 1], a - 1, mask, true, budget_);
            const bool zero = a - 1 < 32 && ((mask >> (a - 1)) & 1u);
            Value& key = s[first + a];
            Value& v = s[top - 1];
            if (cell->isString()) {
                if (zero) rangeError();
                const std::int64_t i = key.toInteger();
                if (!v.isString() || v.string().size() != 1)
                    throw RuntimeError("Incompatible types: 'Char' and '" +
                                       std::string(v.typeName()) + "'");
                if (i < 1 || static_cast<std::uint64_t>(i) > cell->string().size())
                    throw RuntimeError("String index out of range", "ERangeError");
                if (cell->box()->refs > 1) *cell = Value(std::string(cell->string()));
                cell->box()->text[static_cast<std::size_t>(i - 1)] = v.string()[0];
            } else {
                ArrayBox& box = writableArray(*cell, budget_);
                storeItem(box, box.items[elementIndex(box, key, zero)], std::move(v));
            }
            while (top > first) s[--top] = Value();
            break;
        }
        case SETLEN: {
            const std::uint32_t pathSteps = code[pc];
            const std::uint32_t mask = code[pc + 1];
            const std::uint32_t cellIndex = code[pc + 2];
            pc += 3;
            const std::uint32_t first = top - a - pathSteps - 1;
            Value* cell =
                walkPath(&s[s[first].refIndex()], &s[first + 1], pathSteps, mask, true, budget_);
            setLength(*cell, &s[first + 1 + pathSteps], a, program_.cells[cellIndex]);
            while (top > first) s[--top] = Value();
            break;
        }
        case LEN: {
            Value& v = s[top - 1];
            std::int64_t n = 0;
            if (v.isString())
                n = static_cast<std::int64_t>(v.string().size());
            else if (v.isArray())
                n = static_cast<std::int64_t>(v.arrayBox()->items.size());
            else if (!v.isEmpty())
                throw RuntimeError("Incompatible types: 'Array' and '" + std::string(v.typeName()) +
                                   "'");
            v = Value(n);
            break;
        }
        case LOWOF:
        case HIGHOF: {
            Value& v = s[top - 1];
            std::int64_t low = 0;
            std::int64_t n = 0;
            if (v.isString()) {
                low = 1;
                n = static_cast<std::int64_t>(v.string().size());
            } else if (v.isArray()) {
                low = a == 1 ? 0 : v.arrayBox()->low;
                n = static_cast<std::int64_t>(v.arrayBox()->items.size());
            } else if (!v.isEmpty()) {
                throw RuntimeError("Incompatible types: 'Array' and '" + std::string(v.typeName()) +
                                   "'");
            }
            v = Value((w & 0xFF) == LOWOF ? low : low + n - 1);
            break;
        }
        case SUCCN: {
            Value r = succValue(s[top - 2], s[top - 1].toInteger());
            s[--top] = Value();
            s[top - 1] = std::move(r);
            break;
        }
        case SETNEW:
            budget_.checkMemory(sizeof(SetBox));
            s[top++] = Value::set(newSetBox());
            break;
        case SETADD:
        case SETDEL: {
            const unsigned m = setMember(s[top - 1]);
            const bool isChar = s[top - 1].isString();
            SetBox& box = writableSet(s[top - 2], budget_);
            if ((w & 0xFF) == SETADD) {
                box.add(m);
                if (isChar) box.chars = true;
            } else {
                box.remove(m);
            }
            s[--top] = Value();
            break;
        }
        case SETRANGE: {
            const bool isChar = s[top - 1].isString();
            const std::int64_t lo = ordinal(s[top - 2]);
            const std::int64_t hi = ordinal(s[top - 1]);
            if (lo <= hi && (lo < 0 || hi > 255)) rangeError();
            SetBox& box = writableSet(s[top - 3], budget_);
            for (std::int64_t m = lo; m <= hi; ++m) box.add(static_cast<unsigned>(m));
            if (isChar) box.chars = true;
            s[--top] = Value();
            s[--top] = Value();
            break;
        }
        case IN: {
            const Value& set = s[top - 1];
            if (!set.isSet())
                throw RuntimeError("Set type required, not '" + std::string(set.typeName()) + "'");
            const Value& v = s[top - 2];
            const std::int64_t k = v.kind() == Kind::Integer ? v.integer() : ordinal(v);
            const bool r = k >= 0 && k <= 255 && set.setBox()->has(static_cast<unsigned>(k));
            s[--top] = Value();
            s[top - 1] = Value(r);
            break;
        }
        case MKARRAY: {
            const Value& tmpl = constants[a];
            budget_.checkMemory(sizeof(ArrayBox) + tmpl.arrayBox()->items.size() * sizeof(Value));
            ArrayBox* box = cloneArrayBox(*tmpl.arrayBox());
            Value made = Value::array(box);
            const auto n = static_cast<std::uint32_t>(box->items.size());
            for (std::uint32_t i = 0; i < n; ++i)
                storeItem(*box, box->items[i], std::move(s[top - n + i]));
            for (std::uint32_t i = 0; i < n; ++i) s[--top] = Value();
            s[top++] = std::move(made);
            break;
        }
        case MKLIST: {
            checkMemory(a);
            std::uint16_t depth = 1;
            for (std::uint32_t i = 0; i < a; ++i)
                if (s[top - a + i].isArray())
                    depth = std::max<std::uint16_t>(
                        depth, static_cast<std::uint16_t>(s[top - a + i].arrayBox()->depth + 1));
            ArrayBox* box = newArrayBox(a, 0, true, false, depth);
            Value made = Value::array(box);
            for (std::uint32_t i = 0; i < a; ++i) box->items[i] = std::move(s[top - a + i]);
            for (std::uint32_t i = 0; i < a; ++i) s[--top] = Value();
            s[top++] = std::move(made);
            break;
        }
        case FORIN: {
            const Value& coll = s[base + code[pc]];
            Value& cursor = s[base + code[pc + 1]];
            pc += 2;
            std::int64_t i = cursor.integer();
            if (coll.isString()) {
                if (static_cast<std::uint64_t>(i) >= coll.string().size()) {
                    pc = a;
                    break;
                }
                s[top++] = Value(std::string(1, coll.string()[static_cast<std::size_t>(i)]));
            } else if (coll.isArray()) {
                if (static_cast<std::uint64_t>(i) >= coll.arrayBox()->items.size()) {
                    pc = a;
                    break;
                }
                s[top++] = coll.arrayBox()->items[static_cast<std::size_t>(i)];
            } else if (coll.isSet()) {
                while (i < 256 && !coll.setBox()->has(static_cast<unsigned>(i))) ++i;
                if (i >= 256) {
                    pc = a;
                    break;
                }
                if (coll.setBox()->chars)
                    s[top++] = Value(std::string(1, static_cast<char>(i)));
                else
                    s[top++] = Value(i);
            } else if (coll.isEmpty()) {
                pc = a;
                break;
            } else {
                throw RuntimeError("Cannot iterate over '" + std::string(coll.typeName()) + "'");
            }
            cursor = Value(i + 1);
            break;
        }
        case SHORTEN: {
            Value& v = s[top - 1];
            if (v.isString() && v.string().size() > a)
                v = Value(std::string(v.string().substr(0, a)));
            break;
        }
        case CAST: s[top - 1] = castValue(static_cast<Cast>(a), s[top - 1]); break;
        case VARPREP: prepareVariantOperands(static_cast<Op>(a), s[top - 2], s[top - 1]); break;
        case VARTO: s[top - 1] = variantAs(static_cast<DeclaredType>(a), s[top - 1]); break;
        default: break;
    }
    return pc;
}

// Labels as values are an extension both compilers share.
#if QBX_THREADED
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#endif
void Machine::execute() {
    const Proto* proto = &program_.protos[frames_.back().proto];
    const std::uint32_t* code = proto->code.data();
    const Value* constants = proto->constants.data();
    std::uint32_t base = frames_.back().base;
    Value* s = stack_.data();  // moves only when a call grows the stack
    auto reload = [&] {
        s = stack_.data();
        proto = &program_.protos[frames_.back().proto];
        code = proto->code.data();
        constants = proto->constants.data();
        base = frames_.back().base;
    };
    // The hot state lives in locals; the members are brought up to date around calls that use
    // them and when anything is thrown.
    std::uint32_t pc = pc_;
    std::uint32_t top = top_;
    std::uint32_t ip = pc;
    std::int64_t steps = steps_;
    std::uint32_t w = 0;
    std::uint32_t a = 0;
#if QBX_THREADED
    // Each hot instruction jumps to the next one's code itself: one indirect jump per
    // instruction kind predicts far better than the switch's single one.
    const void* targets[256];
    for (auto& t : targets) t = &&anyOp;
#define QBX_TARGET(op, label) targets[op] = &&label
    QBX_TARGET(PUSHK, opPUSHK);
    QBX_TARGET(PUSHI, opPUSHI);
    QBX_TARGET(LOADL, opLOADL);
    QBX_TARGET(LOADG, opLOADG);
    QBX_TARGET(STOREL, opSTOREL);
    QBX_TARGET(STOREG, opSTOREG);
    QBX_TARGET(APPENDL, opAPPENDL);
    QBX_TARGET(APPENDG, opAPPENDL);
    QBX_TARGET(ADD, opADD);
    QBX_TARGET(SUB, opSUB);
    QBX_TARGET(EQ, opEQ);
    QBX_TARGET(NE, opEQ);
    QBX_TARGET(LT, opLT);
    QBX_TARGET(GT, opLT);
    QBX_TARGET(LE, opLT);
    QBX_TARGET(GE, opLT);
    QBX_TARGET(CMPJ, opCMPJ);
    QBX_TARGET(LCMPIJ, opLCMPIJ);
    QBX_TARGET(LCMPLJ, opLCMPIJ);
    QBX_TARGET(LAPPENDL, opLAPPENDL);
    QBX_TARGET(LADDI, opLADDI);
    QBX_TARGET(LSTOREL, opLSTOREL);
    QBX_TARGET(LINDEXL, opLINDEXL);
    QBX_TARGET(LINDEXI, opLINDEXL);
    QBX_TARGET(STOREPATH, opSTOREPATH);
    QBX_TARGET(INDEX, opINDEX);
    QBX_TARGET(INDEXZ, opINDEX);
    QBX_TARGET(JMP, opJMP);
    QBX_TARGET(JMPF, opJMPF);
    QBX_TARGET(JMPT, opJMPF);
    QBX_TARGET(FORTEST, opFORTEST);
    QBX_TARGET(FORSTEP, opFORTEST);
    QBX_TARGET(CALL, opCALL);
    QBX_TARGET(CALLN, opCALLN);
    QBX_TARGET(RET, opRET);
    QBX_TARGET(REFL, opREFL);
#undef QBX_TARGET
#define QBX_NEXT                                 \
    do {                                         \
        if (--steps < 0) [[unlikely]]            \
            fatal("Script stopped: step limit"); \
        ip = pc;                                 \
        w = code[pc++];                          \
        a = w >> 8;                              \
        goto* targets[w & 0xFF];                 \
    } while (false)
#define QBX_LABEL(name) \
    name:
#else
#define QBX_NEXT continue
#define QBX_LABEL(name)
#endif
    try {
        for (;;) {
            if (--steps < 0) fatal("Script stopped: step limit");
            ip = pc;
            w = code[pc++];
            a = w >> 8;
#if QBX_THREADED
            goto* targets[w & 0xFF];
        anyOp:
#endif
            switch (static_cast<Op>(w & 0xFF)) {
                case PUSHK: QBX_LABEL(opPUSHK) s[top++] = constants[a]; QBX_NEXT;
                case PUSHI:
                    QBX_LABEL(opPUSHI)
                    s[top++] = Value(static_cast<std::int64_t>(static_cast<std::int32_t>(w) >> 8));
                    QBX_NEXT;
                case PUSHEMPTY: s[top++] = Value(); QBX_NEXT;
                case PUSHTRUE: s[top++] = Value(true); QBX_NEXT;
                case PUSHFALSE: s[top++] = Value(false); QBX_NEXT;
                case LOADL: QBX_LABEL(opLOADL) s[top++] = s[base + a]; QBX_NEXT;
                case LOADG: QBX_LABEL(opLOADG) s[top++] = s[a]; QBX_NEXT;
                case LOADR: s[top++] = s[s[base + a].refIndex()]; QBX_NEXT;
                case STOREL: QBX_LABEL(opSTOREL) store(s[base + a], std::move(s[--top])); QBX_NEXT;
                case STOREG: QBX_LABEL(opSTOREG) store(s[a], std::move(s[--top])); QBX_NEXT;
                case STORER: store(s[s[base + a].refIndex()], std::move(s[--top])); QBX_NEXT;
                case REFL: QBX_LABEL(opREFL) s[top++] = Value::ref(base + a); QBX_NEXT;
                case REFG: s[top++] = Value::ref(a); QBX_NEXT;
                case PASSR: s[top++] = s[base + a]; QBX_NEXT;
                case APPENDL:
                case APPENDG:
                    QBX_LABEL(opAPPENDL) {
                        Value& target = (w & 0xFF) == APPENDL ? s[base + a] : s[a];
                        Value& v = s[top - 1];
                        if (target.kind() == Kind::Integer && v.kind() == Kind::Integer) {
                            store(target, Value(static_cast<std::int64_t>(
                                              static_cast<std::uint64_t>(target.integer()) +
                                              static_cast<std::uint64_t>(v.integer()))));
                        } else if (target.kind() == Kind::String && v.kind() == Kind::String &&
                                   target.box()->refs == 1 &&
                                   (target.declared() == DeclaredType::String ||
                                    target.declared() == DeclaredType::Variant)) {
                            StringBox& box = *target.box();
                            budget_.check(box.text.size() + v.string().size());
                            if (&box == v.box())
                                box.text += std::string(v.string());
                            else
                                box.text.append(v.string());
                            reaccount(box);
                        } else {
                            target.assign(binaryOp(ADD, target, v, budget_));
                        }
                        s[--top] = Value();
                        QBX_NEXT;
                    }
                case POP: s[--top] = Value(); QBX_NEXT;
                case ADD:
                    QBX_LABEL(opADD)
                    if (s[top - 2].kind() == Kind::Integer && s[top - 1].kind() == Kind::Integer) {
                        s[top - 2] = Value(static_cast<std::int64_t>(
                            static_cast<std::uint64_t>(s[top - 2].integer()) +
                            static_cast<std::uint64_t>(s[top - 1].integer())));
                        s[--top] = Value();
                        QBX_NEXT;
                    }
                    [[fallthrough]];
                case SUB:
                    QBX_LABEL(opSUB)
                    if (s[top - 2].kind() == Kind::Integer && s[top - 1].kind() == Kind::Integer) {
                        s[top - 2] = Value(static_cast<std::int64_t>(
                            static_cast<std::uint64_t>(s[top - 2].integer()) -
                            static_cast<std::uint64_t>(s[top - 1].integer())));
                        s[--top] = Value();
                        QBX_NEXT;
                    }
                    [[fallthrough]];
                case MUL:
                case FDIV:
                case IDIV:
                case MOD:
                case AND:
                case OR:
                case XOR:
                case SHL:
                case SHR: {
                    {
                        Value r =
                            binaryOp(static_cast<Op>(w & 0xFF), s[top - 2], s[top - 1], budget_);
                        s[--top] = Value();
                        s[top - 1] = std::move(r);
                    }
                    QBX_NEXT;
                }
                case EQ:
                case NE:
                    QBX_LABEL(opEQ) {
                        const bool eq = valuesEqual(s[top - 2], s[top - 1]);
                        s[--top] = Value();
                        s[top - 1] = Value((w & 0xFF) == EQ ? eq : !eq);
                        QBX_NEXT;
                    }
                case LT:
                case GT:
                case LE:
                case GE:
                    QBX_LABEL(opLT) {
                        const bool r =
                            compareAny(static_cast<Op>(w & 0xFF), s[top - 2], s[top - 1]);
                        s[--top] = Value();
                        s[top - 1] = Value(r);
                        QBX_NEXT;
                    }
                case CMPJ:
                    QBX_LABEL(opCMPJ) {
                        const Value& x = s[top - 2];
                        const Value& y = s[top - 1];
                        const auto op = static_cast<Op>(a);
                        if (x.kind() == Kind::Integer && y.kind() == Kind::Integer) {
                            const bool r = compareIntegers(op, x.integer(), y.integer());
                            top -= 2;  // integers hold nothing to release
                            pc = r ? pc + 1 : code[pc] >> 8;
                            QBX_NEXT;
                        }
                        const bool r = compareAny(op, x, y);
                        s[--top] = Value();
                        s[top - 1] = Value(r);
                        QBX_NEXT;  // the JMPF after it takes the result
                    }
                case LCMPIJ:
                case LCMPLJ:
                    QBX_LABEL(opLCMPIJ) {
                        const Value& x = s[base + a];
                        const std::uint32_t second = code[pc];
                        if (x.kind() == Kind::Integer &&
                            ((w & 0xFF) == LCMPIJ || s[base + (second >> 8)].isInteger())) {
                            const std::int64_t j = (w & 0xFF) == LCMPIJ
                                                       ? smallInteger(second)
                                                       : s[base + (second >> 8)].integer();
                            pc = compareIntegers(comparisonOf(code[pc + 1]), x.integer(), j)
                                     ? pc + 3
                                     : code[pc + 2] >> 8;
                            QBX_NEXT;
                        }
                        s[top++] = x;
                        QBX_NEXT;
                    }
                case LAPPENDL:
                    QBX_LABEL(opLAPPENDL) {
                        const Value& x = s[base + a];
                        Value& target = s[base + (code[pc] >> 8)];
                        if (x.kind() == Kind::Integer && target.kind() == Kind::Integer) {
                            store(target, Value(static_cast<std::int64_t>(
                                              static_cast<std::uint64_t>(target.integer()) +
                                              static_cast<std::uint64_t>(x.integer()))));
                            ++pc;
                            QBX_NEXT;
                        }
                        s[top++] = x;
                        QBX_NEXT;
                    }
                case LSTOREL:
                    QBX_LABEL(opLSTOREL) {
                        const Value& x = s[base + a];
                        Value& target = s[base + (code[pc] >> 8)];
                        const DeclaredType t = target.declared();
                        if (x.kind() == Kind::Integer &&
                            (t == DeclaredType::Variant || t == DeclaredType::Int64 ||
                             t == DeclaredType::Integer)) {
                            store(target, Value(x.integer()));
                            ++pc;
                            QBX_NEXT;
                        }
                        s[top++] = x;
                        QBX_NEXT;
                    }
                case LADDI:
                    QBX_LABEL(opLADDI) {
                        const Value& x = s[base + a];
                        if (x.kind() == Kind::Integer) {
                            const auto k = static_cast<std::uint64_t>(smallInteger(code[pc]));
                            const auto n = static_cast<std::uint64_t>(x.integer());
                            s[top++] = Value(static_cast<std::int64_t>(
                                (code[pc + 1] & 0xFF) == ADD ? n + k : n - k));
                            pc += 2;
                            QBX_NEXT;
                        }
                        s[top++] = x;
                        QBX_NEXT;
                    }
                case LINDEXL:
                case LINDEXI:
                    QBX_LABEL(opLINDEXL) {
                        const Value& x = s[base + a];
                        const Value& key = s[base + (code[pc] >> 8)];
                        if (key.kind() == Kind::Integer) {
                            const bool plus = (w & 0xFF) == LINDEXI;
                            const std::int64_t k = static_cast<std::int64_t>(
                                static_cast<std::uint64_t>(key.integer()) +
                                static_cast<std::uint64_t>(plus ? smallInteger(code[pc + 1]) : 0));
                            if (const Value* item = elementOrNull(x, k)) {
                                s[top++] = *item;
                                pc += plus ? 4 : 2;
                                QBX_NEXT;
                            }
                        }
                        s[top++] = x;
                        QBX_NEXT;
                    }
                case STOREPATH:
                    QBX_LABEL(opSTOREPATH) {
                        // One index into a writable array: the loops' common store, done here.
                        const std::uint32_t first = top - 3;
                        Value& v = s[top - 1];
                        const Value& key = s[first + 1];
                        if (a == 1 && key.kind() == Kind::Integer && !v.isArray()) {
                            Value& root = s[s[first].refIndex()];
                            if (root.isArray() &&
                                (root.arrayBox()->shared || root.arrayBox()->refs == 1)) {
                                ArrayBox& box = *root.arrayBox();
                                const auto i =
                                    static_cast<std::uint64_t>(key.integer()) -
                                    static_cast<std::uint64_t>((code[pc] & 1u) ? 0 : box.low);
                                if (i < box.items.size()) {
                                    store(box.items[static_cast<std::size_t>(i)], std::move(v));
                                    s[top - 1] = Value();
                                    top = first;  // a reference and an integer: nothing to release
                                    ++pc;
                                    QBX_NEXT;
                                }
                            }
                        }
                        pc_ = pc;
                        ip_ = ip;
                        top_ = top;
                        pc = structured(w, pc, base);
                        top = top_;
                        QBX_NEXT;
                    }
                case NEG: s[top - 1] = negateValue(s[top - 1]); QBX_NEXT;
                case NOT: s[top - 1] = notValue(s[top - 1]); QBX_NEXT;
                case INRANGE: {
                    const bool r = compareValues(s[top - 3], s[top - 2]) >= 0 &&
                                   compareValues(s[top - 3], s[top - 1]) <= 0;
                    s[--top] = Value();
                    s[--top] = Value();
                    s[top - 1] = Value(r);
                    QBX_NEXT;
                }
                case INDEXZ:
                case INDEX:
                    QBX_LABEL(opINDEX) {
                        const Value& str = s[top - 2];
                        if (str.isArray()) {
                            {
                                const ArrayBox& box = *str.arrayBox();
                                Value r =
                                    box.items[elementIndex(box, s[top - 1], (w & 0xFF) == INDEXZ)];
                                s[--top] = Value();
                                s[top - 1] = std::move(r);
                            }
                            QBX_NEXT;
                        }
                        if (str.isEmpty()) rangeError();  // an empty dynamic array or string
                        const std::int64_t i = s[top - 1].toInteger();
                        if (!str.isString())
                            throw RuntimeError("Incompatible types: 'String' and '" +
                                               std::string(str.typeName()) + "'");
                        if (i < 1 || static_cast<std::uint64_t>(i) > str.string().size())
                            throw RuntimeError("String index out of range", "ERangeError");
                        {
                            Value r(std::string(1, str.string()[static_cast<std::size_t>(i - 1)]));
                            s[--top] = Value();
                            s[top - 1] = std::move(r);
                        }
                        QBX_NEXT;
                    }
                case LOADU:
                case STOREU:
                case REFU: {
                    const std::uint32_t up = code[pc++];
                    const std::uint32_t at = frames_[frameUp(up & ~kGlobalBit)].base + a;
                    const bool deref = (up & kGlobalBit) != 0;
                    const std::uint32_t cell = deref ? s[at].refIndex() : at;
                    if ((w & 0xFF) == LOADU)
                        s[top++] = s[cell];
                    else if ((w & 0xFF) == REFU)
                        s[top++] = Value::ref(cell);
                    else
                        store(s[cell], std::move(s[--top]));
                    QBX_NEXT;
                }
                case CALLX: {
                    const std::uint32_t up = code[pc++];
                    const Proto& callee = program_.protos[a];
                    const std::uint32_t link = frameUp(up);
                    top_ = top;
                    enter(a, top - callee.paramCount, pc);
                    frames_.back().staticLink = link;
                    pc = pc_;
                    top = top_;
                    reload();
                    QBX_NEXT;
                }
                default:
                    pc_ = pc;
                    ip_ = ip;
                    top_ = top;
                    pc = structured(w, pc, base);
                    top = top_;
                    QBX_NEXT;
                case ISCLASS: {
                    const bool r = isClass(s[top - 2].string(), s[top - 1].string());
                    s[--top] = Value();
                    s[top - 1] = Value(r);
                    QBX_NEXT;
                }
                case JMP: QBX_LABEL(opJMP) pc = a; QBX_NEXT;
                case JMPF:
                case JMPT:
                    QBX_LABEL(opJMPF) {
                        const Value& cv = s[top - 1];
                        const bool c =
                            cv.kind() == Kind::Boolean ? cv.boolean() : conditionValue(cv);
                        s[--top] = Value();
                        if (c == ((w & 0xFF) == JMPT)) pc = a;
                        QBX_NEXT;
                    }
                case ANDJ:
                case ORJ: {
                    const Value& v = s[top - 1];
                    if (v.kind() == Kind::Boolean && v.boolean() == ((w & 0xFF) == ORJ)) pc = a;
                    QBX_NEXT;
                }
                case FORTEST:
                case FORSTEP:
                    QBX_LABEL(opFORTEST) {
                        const std::uint32_t varWord = code[pc];
                        const std::uint32_t limitWord = code[pc + 1];
                        pc += 2;
                        Value& var =
                            (varWord & kGlobalBit) ? s[varWord & ~kGlobalBit] : s[base + varWord];
                        const Value& limit = s[base + (limitWord & ~kGlobalBit)];
                        const bool down = (limitWord & kGlobalBit) != 0;
                        const std::int64_t v =
                            var.kind() == Kind::Integer ? var.integer() : ordinal(var);
                        const std::int64_t l =
                            limit.kind() == Kind::Integer ? limit.integer() : ordinal(limit);
                        if ((w & 0xFF) == FORTEST) {
                            if (down ? v < l : v > l) pc = a;
                        } else if (v != l) {
                            const std::int64_t n = down ? v - 1 : v + 1;
                            if (var.kind() == Kind::String)
                                var.assign(Value(std::string(1, static_cast<char>(n))));
                            else if (var.kind() == Kind::Boolean)
                                var.assign(Value(n != 0));
                            else
                                store(var, Value(n));
                            pc = a;
                        }
                        QBX_NEXT;
                    }
                case CALL:
                    QBX_LABEL(opCALL) {
                        const Proto& callee = program_.protos[a];
                        top_ = top;
                        enter(a, top - callee.paramCount, pc);
                        pc = pc_;
                        top = top_;
                        reload();
                        QBX_NEXT;
                    }
                case CALLN:
                    QBX_LABEL(opCALLN) {
                        const std::uint32_t count = code[pc];
                        const std::uint32_t mask = code[pc + 1];
                        pc += 2;
                        top_ = top;
                        callNative(a, count, mask);
                        top = top_;
                        QBX_NEXT;
                    }
                case RET:
                    QBX_LABEL(opRET) {
                        if (frames_.size() == 1) {
                            for (std::uint32_t i = 1; i < top; ++i) s[i] = Value();
                            top_ = top;
                            pc_ = pc;
                            steps_ = steps;
                            return;
                        }
                        const Frame f = frames_.back();
                        const Proto& p = program_.protos[f.proto];
                        {
                            Value r;
                            if (p.isFunction) r = std::move(s[f.base + p.paramCount]);
                            for (std::uint32_t i = f.base; i < top; ++i) s[i] = Value();
                            frames_.pop_back();
                            top = f.base;
                            if (p.isFunction) s[top++] = std::move(r);
                        }
                        pc = f.returnPc;
                        reload();
                        QBX_NEXT;
                    }
                case TRYX:
                case TRYF: {
                    const std::uint32_t slotWord = code[pc++];
                    const bool isFinally = (w & 0xFF) == TRYF;
                    handlers_.push_back({a, static_cast<std::uint32_t>(frames_.size() - 1),
                                         isFinally ? slotWord + 1 : slotWord, isFinally});
                    QBX_NEXT;
                }
                case POPH: handlers_.pop_back(); QBX_NEXT;
                case RAISE: {
                    const std::string message = toText(s[top - 1]);
                    s[--top] = Value();
                    throw RuntimeError(message, std::string(constants[a].string()));
                }
                case RERAISE: {
                    rethrowPos_ = unpackPos(s[base + a + 2].integer());
                    hasRethrowPos_ = true;
                    throw RuntimeError(std::string(s[base + a].string()),
                                       std::string(s[base + a + 1].string()));
                }
                case ENDF: {
                    const Value& marker = s[base + a];
                    if (marker.kind() != Kind::Integer) QBX_NEXT;
                    if (marker.integer() >= 0) {
                        pc = static_cast<std::uint32_t>(marker.integer());
                        QBX_NEXT;
                    }
                    rethrowPos_ = unpackPos(s[base + a + 3].integer());
                    hasRethrowPos_ = true;
                    throw RuntimeError(std::string(s[base + a + 1].string()),
                                       std::string(s[base + a + 2].string()));
                }
            }
        }
    } catch (...) {
        pc_ = pc;
        top_ = top;
        ip_ = ip;
        steps_ = steps;
        throw;
    }
#undef QBX_NEXT
#undef QBX_LABEL
}
#if QBX_THREADED
#pragma GCC diagnostic pop
#endif

}  // namespace

RunResult run(const Program& program, Environment& environment) {
    try {
        Machine machine(program, environment);
        return machine.run();
    } catch (...) {
        RunResult result;
        result.error = ScriptError{0, 0, "Script stopped: out of memory"};
        return result;
    }
}

}  // namespace qbx::scripting::pascal
