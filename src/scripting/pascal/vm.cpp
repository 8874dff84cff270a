// The interpreter loop. Script calls push a frame on the value stack instead of recursing in C++,
// so a script's call depth costs heap, not native stack. Every instruction counts one step.
#include <cmath>
#include <new>
#include <vector>

#include "base/text.h"
#include "scripting/pascal/code.h"
#include "scripting/pascal/operators.h"

namespace qbx::scripting::pascal {

namespace {

struct Frame {
    std::uint32_t proto;
    std::uint32_t base;
    std::uint32_t returnPc;
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
    if (v.kind() == Kind::Integer) return v.integer();
    if (v.kind() == Kind::String && v.string().size() == 1)
        return static_cast<unsigned char>(v.string()[0]);
    throw RuntimeError("Ordinal type required, not '" + std::string(v.typeName()) + "'");
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
    bool hasRethrowPos_ = false;
    SourcePos rethrowPos_{0, 0};
};

void Machine::ensureStack(std::size_t cells) {
    if (cells <= stack_.size()) return;
    std::size_t size = stack_.size() < 256 ? 256 : stack_.size();
    while (size < cells) size *= 2;
    stack_.resize(size);
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
                cell.assign(std::move(arg));
        } else {
            cell.setDeclared(t);
            cell = defaultValue(t);
        }
    }
    frames_.push_back({protoIndex, base, returnPc});
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
    CallContext context(limits_, budget_.baseline);
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
    try {
        for (;;) {
            if (--steps < 0) fatal("Script stopped: step limit");
            ip = pc;
            const std::uint32_t w = code[pc++];
            const std::uint32_t a = w >> 8;
            switch (static_cast<Op>(w & 0xFF)) {
                case PUSHK: s[top++] = constants[a]; break;
                case PUSHI:
                    s[top++] = Value(static_cast<std::int64_t>(static_cast<std::int32_t>(w) >> 8));
                    break;
                case PUSHEMPTY: s[top++] = Value(); break;
                case PUSHTRUE: s[top++] = Value(true); break;
                case PUSHFALSE: s[top++] = Value(false); break;
                case LOADL: s[top++] = s[base + a]; break;
                case LOADG: s[top++] = s[a]; break;
                case LOADR: s[top++] = s[s[base + a].refIndex()]; break;
                case STOREL: store(s[base + a], std::move(s[--top])); break;
                case STOREG: store(s[a], std::move(s[--top])); break;
                case STORER: store(s[s[base + a].refIndex()], std::move(s[--top])); break;
                case REFL: s[top++] = Value::ref(base + a); break;
                case REFG: s[top++] = Value::ref(a); break;
                case PASSR: s[top++] = s[base + a]; break;
                case APPENDL:
                case APPENDG: {
                    Value& target = (w & 0xFF) == APPENDL ? s[base + a] : s[a];
                    Value& v = s[top - 1];
                    if (target.kind() == Kind::Integer && v.kind() == Kind::Integer &&
                        target.declared() == DeclaredType::Int64) {
                        target = Value(
                            static_cast<std::int64_t>(static_cast<std::uint64_t>(target.integer()) +
                                                      static_cast<std::uint64_t>(v.integer())));
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
                    break;
                }
                case POP: s[--top] = Value(); break;
                case ADD:
                    if (s[top - 2].kind() == Kind::Integer && s[top - 1].kind() == Kind::Integer) {
                        s[top - 2] = Value(static_cast<std::int64_t>(
                            static_cast<std::uint64_t>(s[top - 2].integer()) +
                            static_cast<std::uint64_t>(s[top - 1].integer())));
                        s[--top] = Value();
                        break;
                    }
                    [[fallthrough]];
                case SUB:
                    if (s[top - 2].kind() == Kind::Integer && s[top - 1].kind() == Kind::Integer) {
                        s[top - 2] = Value(static_cast<std::int64_t>(
                            static_cast<std::uint64_t>(s[top - 2].integer()) -
                            static_cast<std::uint64_t>(s[top - 1].integer())));
                        s[--top] = Value();
                        break;
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
                    Value r = binaryOp(static_cast<Op>(w & 0xFF), s[top - 2], s[top - 1], budget_);
                    s[--top] = Value();
                    s[top - 1] = std::move(r);
                    break;
                }
                case EQ:
                case NE: {
                    const bool eq = valuesEqual(s[top - 2], s[top - 1]);
                    s[--top] = Value();
                    s[top - 1] = Value((w & 0xFF) == EQ ? eq : !eq);
                    break;
                }
                case LT:
                case GT:
                case LE:
                case GE: {
                    const Value& x = s[top - 2];
                    const Value& y = s[top - 1];
                    const int c =
                        (x.kind() == Kind::Integer && y.kind() == Kind::Integer)
                            ? (x.integer() < y.integer() ? -1 : (x.integer() > y.integer() ? 1 : 0))
                            : compareValues(x, y);
                    const Op op = static_cast<Op>(w & 0xFF);
                    const bool r = op == LT ? c < 0 : op == GT ? c > 0 : op == LE ? c <= 0 : c >= 0;
                    s[--top] = Value();
                    s[top - 1] = Value(r);
                    break;
                }
                case NEG: s[top - 1] = negateValue(s[top - 1]); break;
                case NOT: s[top - 1] = notValue(s[top - 1]); break;
                case INRANGE: {
                    const bool r = compareValues(s[top - 3], s[top - 2]) >= 0 &&
                                   compareValues(s[top - 3], s[top - 1]) <= 0;
                    s[--top] = Value();
                    s[--top] = Value();
                    s[top - 1] = Value(r);
                    break;
                }
                case INDEX: {
                    const Value& str = s[top - 2];
                    const std::int64_t i = s[top - 1].toInteger();
                    if (!str.isString())
                        throw RuntimeError("Incompatible types: 'String' and '" +
                                           std::string(str.typeName()) + "'");
                    if (i < 1 || static_cast<std::uint64_t>(i) > str.string().size())
                        throw RuntimeError("String index out of range", "ERangeError");
                    Value r(std::string(1, str.string()[static_cast<std::size_t>(i - 1)]));
                    s[--top] = Value();
                    s[top - 1] = std::move(r);
                    break;
                }
                case SETCHAR: {
                    const Value& str = s[top - 3];
                    const std::int64_t i = s[top - 2].toInteger();
                    const Value& c = s[top - 1];
                    if (!str.isString())
                        throw RuntimeError("Incompatible types: 'String' and '" +
                                           std::string(str.typeName()) + "'");
                    if (!c.isString() || c.string().size() != 1)
                        throw RuntimeError("Incompatible types: 'Char' and '" +
                                           std::string(c.typeName()) + "'");
                    if (i < 1 || static_cast<std::uint64_t>(i) > str.string().size())
                        throw RuntimeError("String index out of range", "ERangeError");
                    std::string copy(str.string());
                    copy[static_cast<std::size_t>(i - 1)] = c.string()[0];
                    s[--top] = Value();
                    s[--top] = Value();
                    s[top - 1] = Value(std::move(copy));
                    break;
                }
                case ISCLASS: {
                    const std::string_view pattern = s[top - 1].string();
                    const bool r = pattern == "EXCEPTION" ||
                                   equalsIgnoreCase1251(s[top - 2].string(), pattern);
                    s[--top] = Value();
                    s[top - 1] = Value(r);
                    break;
                }
                case JMP: pc = a; break;
                case JMPF:
                case JMPT: {
                    const Value& cv = s[top - 1];
                    const bool c = cv.kind() == Kind::Boolean ? cv.boolean() : conditionValue(cv);
                    s[--top] = Value();
                    if (c == ((w & 0xFF) == JMPT)) pc = a;
                    break;
                }
                case ANDJ:
                case ORJ: {
                    const Value& v = s[top - 1];
                    if (v.kind() == Kind::Boolean && v.boolean() == ((w & 0xFF) == ORJ)) pc = a;
                    break;
                }
                case FORTEST:
                case FORSTEP: {
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
                        else
                            store(var, Value(n));
                        pc = a;
                    }
                    break;
                }
                case CALL: {
                    const Proto& callee = program_.protos[a];
                    top_ = top;
                    enter(a, top - callee.paramCount, pc);
                    pc = pc_;
                    top = top_;
                    reload();
                    break;
                }
                case CALLN: {
                    const std::uint32_t count = code[pc];
                    const std::uint32_t mask = code[pc + 1];
                    pc += 2;
                    top_ = top;
                    callNative(a, count, mask);
                    top = top_;
                    break;
                }
                case RET: {
                    if (frames_.size() == 1) {
                        for (std::uint32_t i = 1; i < top; ++i) s[i] = Value();
                        top_ = top;
                        pc_ = pc;
                        steps_ = steps;
                        return;
                    }
                    const Frame f = frames_.back();
                    const Proto& p = program_.protos[f.proto];
                    Value r;
                    if (p.isFunction) r = std::move(s[f.base + p.paramCount]);
                    for (std::uint32_t i = f.base; i < top; ++i) s[i] = Value();
                    frames_.pop_back();
                    top = f.base;
                    if (p.isFunction) s[top++] = std::move(r);
                    pc = f.returnPc;
                    reload();
                    break;
                }
                case TRYX:
                case TRYF: {
                    const std::uint32_t slotWord = code[pc++];
                    const bool isFinally = (w & 0xFF) == TRYF;
                    handlers_.push_back({a, static_cast<std::uint32_t>(frames_.size() - 1),
                                         isFinally ? slotWord + 1 : slotWord, isFinally});
                    break;
                }
                case POPH: handlers_.pop_back(); break;
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
                    if (marker.kind() != Kind::Integer) break;
                    if (marker.integer() >= 0) {
                        pc = static_cast<std::uint32_t>(marker.integer());
                        break;
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
}

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
