#include "scripting/pascal/compiler.h"

namespace qbx::scripting::pascal::detail {

const Type* Compiler::expression() {
    const Type* type = simpleExpression();
    for (;;) {
        Op op;
        switch (tok_.type) {
            case Tok::Eq: op = EQ; break;
            case Tok::Ne: op = NE; break;
            case Tok::Lt: op = LT; break;
            case Tok::Gt: op = GT; break;
            case Tok::Le: op = LE; break;
            case Tok::Ge: op = GE; break;
            case Tok::In: op = IN; break;
            default: return type;
        }
        const SourcePos pos = here();
        next();
        const Type* right = simpleExpression();
        if (op != IN) variantOperands(pos, op, type, right);
        emitAt(pos, op);
        type = findType("BOOLEAN");
    }
}

// A Variant operand makes the operator convert as Delphi's variants do, and its value a Variant.
bool Compiler::variantOperands(SourcePos pos, Op op, const Type* left, const Type* right) {
    const auto isVariant = [](const Type* t) {
        return t != nullptr && t->kind == Type::Scalar && t->declared == DeclaredType::Variant;
    };
    if (!isVariant(left) && !isVariant(right)) return false;
    emitAt(pos, VARPREP, op);
    return true;
}

void Compiler::convertVariant(SourcePos pos, const Type* source, const Type* target) {
    const auto isVariant = [](const Type* t) {
        return t != nullptr && t->kind == Type::Scalar && t->declared == DeclaredType::Variant;
    };
    if (isVariant(source) && target != nullptr && target->kind == Type::Scalar &&
        target->declared != DeclaredType::Variant)
        emitAt(pos, VARTO, static_cast<std::uint32_t>(target->declared));
    else if (source != nullptr && source->isDate && isVariant(target))
        emitAt(pos, CAST, static_cast<std::uint32_t>(Cast::Date));
}

namespace {
// The library's routines whose value is a TDateTime, so that a Variant keeps it as a date.
bool givesDateTime(const std::string& upper) {
    static constexpr std::string_view names[] = {"NOW",
                                                 "DATE",
                                                 "TIME",
                                                 "TODAY",
                                                 "YESTERDAY",
                                                 "TOMORROW",
                                                 "ENCODEDATE",
                                                 "ENCODETIME",
                                                 "ENCODEDATETIME",
                                                 "DATEOF",
                                                 "TIMEOF",
                                                 "INCYEAR",
                                                 "INCMONTH",
                                                 "INCWEEK",
                                                 "INCDAY",
                                                 "INCHOUR",
                                                 "INCMINUTE",
                                                 "INCSECOND",
                                                 "INCMILLISECOND",
                                                 "RECODEDATE",
                                                 "STARTOFTHEMONTH",
                                                 "ENDOFTHEMONTH",
                                                 "STARTOFTHEYEAR",
                                                 "ENDOFTHEYEAR",
                                                 "STARTOFTHEDAY",
                                                 "ENDOFTHEDAY",
                                                 "STRTODATE",
                                                 "STRTOTIME",
                                                 "STRTODATETIME"};
    return std::find(std::begin(names), std::end(names), upper) != std::end(names);
}
}  // namespace

const Type* Compiler::simpleExpression() {
    const Type* type = term();
    for (;;) {
        const SourcePos pos = here();
        const Type* right = nullptr;
        bool variant = false;
        switch (tok_.type) {
            case Tok::Plus:
                next();
                right = term();
                variant = variantOperands(pos, ADD, type, right);
                emitAt(pos, ADD);
                break;
            case Tok::Minus:
                next();
                right = term();
                variant = variantOperands(pos, SUB, type, right);
                emitAt(pos, SUB);
                break;
            case Tok::Xor:
                next();
                right = term();
                variant = variantOperands(pos, XOR, type, right);
                emitAt(pos, XOR);
                break;
            case Tok::Or: {
                next();
                const std::size_t jump = emitAt(pos, ORJ);
                right = term();
                variant = variantOperands(pos, OR, type, right);
                emitAt(pos, OR);
                patch(jump, label());
                break;
            }
            default: return type;
        }
        if (variant)
            type = findType("VARIANT");
        else if (type != nullptr && type->kind != Type::Set && !type->isBoolean)
            type = nullptr;
    }
}

const Type* Compiler::term() {
    const Type* type = factor();
    for (;;) {
        const SourcePos pos = here();
        Op op;
        switch (tok_.type) {
            case Tok::Star: op = MUL; break;
            case Tok::Slash: op = FDIV; break;
            case Tok::Div: op = IDIV; break;
            case Tok::Mod: op = MOD; break;
            case Tok::Shl: op = SHL; break;
            case Tok::Shr: op = SHR; break;
            case Tok::And: {
                next();
                const std::size_t jump = emitAt(pos, ANDJ);
                const Type* right = factor();
                const bool variant = variantOperands(pos, AND, type, right);
                emitAt(pos, AND);
                patch(jump, label());
                if (variant) type = findType("VARIANT");
                continue;
            }
            default: return type;
        }
        next();
        const Type* right = factor();
        const bool variant = variantOperands(pos, op, type, right);
        emitAt(pos, op);
        if (variant)
            type = findType("VARIANT");
        else if (type != nullptr && type->kind != Type::Set)
            type = nullptr;
    }
}

void Compiler::setConstructor() {
    const SourcePos pos = here();
    expect(Tok::LBracket);
    emitAt(pos, SETNEW);
    if (tok_.type != Tok::RBracket) {
        do {
            const SourcePos at = here();
            expression();
            if (accept(Tok::DotDot)) {
                expression();
                emitAt(at, SETRANGE);
            } else {
                emitAt(at, SETADD);
            }
        } while (accept(Tok::Comma));
    }
    expect(Tok::RBracket);
}

const Type* Compiler::typeCast(const Token& name, const Type* target) {
    const SourcePos pos = posOf(name);
    if (tok_.type != Tok::LParen) failNamed(pos, "Type name is not a value: '", name.raw);
    if (target->kind == Type::ExceptionClass) {
        // "Exception(ExceptObject).Message": a hard cast of the one exception object there is.
        next();
        const Token object = tok_;
        if (tok_.type != Tok::Ident) expected("Exception object");
        next();
        const Symbol* e = lookup(object.text);
        std::uint32_t slot = 0;
        if (e != nullptr && e->kind == Symbol::ExceptVar)
            slot = e->slot;
        else if (object.text == "EXCEPTOBJECT" && e == nullptr && !fs_->handlerSlots.empty())
            slot = fs_->handlerSlots.back();
        else
            failAt(posOf(object), "Class type casts are only supported on exception objects");
        expect(Tok::RParen);
        exceptionMember(pos, slot, object.raw);
        return nullptr;
    }
    Cast cast = Cast::Int64;
    if (target->kind == Type::Scalar && target->ordinal && !target->isChar && !target->isBoolean) {
        switch (target->declared) {
            case DeclaredType::Integer:
                cast = target->low == -128     ? Cast::ShortInt
                       : target->low == -32768 ? Cast::SmallInt
                                               : Cast::Integer;
                break;
            case DeclaredType::Cardinal: cast = Cast::Cardinal; break;
            case DeclaredType::Byte: cast = Cast::Byte; break;
            case DeclaredType::Word: cast = Cast::Word; break;
            case DeclaredType::UInt64: cast = Cast::UInt64; break;
            default: cast = Cast::Int64; break;
        }
    } else if (target->isChar) {
        cast = Cast::Char;
    } else if (target->isBoolean) {
        cast = Cast::Boolean;
    } else if (target->declared == DeclaredType::Double) {
        cast = Cast::Double;
    } else if (target->isString || target->declared == DeclaredType::Variant) {
        cast = Cast::String;
    } else {
        failNamed(pos, "Type casts are not supported: '", name.raw);
    }
    next();
    expression();
    expect(Tok::RParen);
    if (target->declared != DeclaredType::Variant)
        emitAt(pos, CAST, static_cast<std::uint32_t>(cast));
    return selectors(target);
}

const Type* Compiler::factor() {
    NestingGuard guard(*this);
    const SourcePos pos = here();
    const Type* type = nullptr;
    switch (tok_.type) {
        case Tok::Int:
            if (tok_.isUnsigned) {
                emitAt(pos, PUSHK,
                       constant(Value::unsignedInteger(static_cast<std::uint64_t>(tok_.integer))));
                next();
                return findType("UINT64");
            }
            pushInteger(pos, tok_.integer);
            next();
            return intType();
        case Tok::Float:
            emitAt(pos, PUSHK, constant(Value(tok_.real)));
            next();
            return nullptr;
        case Tok::String:
            emitAt(pos, PUSHK, constant(Value(tok_.text)));
            type = findType(tok_.text.size() == 1 ? "CHAR" : "STRING");
            next();
            break;
        case Tok::True:
            emitAt(pos, PUSHTRUE);
            next();
            return findType("BOOLEAN");
        case Tok::False:
            emitAt(pos, PUSHFALSE);
            next();
            return findType("BOOLEAN");
        case Tok::LBracket: setConstructor(); return nullptr;
        case Tok::At:
        case Tok::Caret: fail("Pointers are not supported");
        case Tok::Nil:
            emitAt(pos, PUSHK, constant(Value::null()));
            next();
            break;
        case Tok::LParen:
            next();
            if (tok_.type == Tok::Ident) {
                // "(E as Exception).Message": the exception object is the only one there is.
                const Lexer savedLexer = lex_;
                const Token savedToken = tok_;
                const SourcePos savedEnd = prevEnd_;
                const Token object = tok_;
                next();
                if (tok_.type == Tok::Ident && tok_.text == "AS") {
                    const Symbol* e = lookup(object.text);
                    std::uint32_t slot = 0;
                    if (e != nullptr && e->kind == Symbol::ExceptVar)
                        slot = e->slot;
                    else if (object.text == "EXCEPTOBJECT" && e == nullptr &&
                             !fs_->handlerSlots.empty())
                        slot = fs_->handlerSlots.back();
                    else
                        failAt(posOf(object),
                               "Type casts with 'as' are only supported on "
                               "exception objects");
                    next();
                    const Type* cls = tok_.type == Tok::Ident ? findType(tok_.text) : nullptr;
                    if (cls == nullptr || cls->kind != Type::ExceptionClass)
                        fail("Exception class expected");
                    next();
                    expect(Tok::RParen);
                    exceptionMember(pos, slot, object.raw);
                    return nullptr;
                }
                lex_ = savedLexer;
                tok_ = savedToken;
                prevEnd_ = savedEnd;
            }
            type = expression();
            expect(Tok::RParen);
            break;
        case Tok::Not:
            next();
            type = factor();
            emitAt(pos, NOT);
            return type != nullptr && type->isBoolean ? type : nullptr;
        case Tok::Minus:
            next();
            if (tok_.type == Tok::Int && tok_.integer >= 0 && !tok_.isUnsigned) {
                pushInteger(
                    pos, static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(tok_.integer)));
                next();
            } else {
                factor();
                emitAt(pos, NEG);
            }
            return nullptr;
        case Tok::Plus: next(); return factor();
        case Tok::Ident: return identFactor();
        default: expected("Expression");
    }
    return selectors(type);
}

bool isLibraryUnit(const std::string& upper) {
    static constexpr std::string_view units[] = {"SYSTEM",    "SYSUTILS", "WINDOWS",  "CLASSES",
                                                 "REGISTRY",  "VARIANTS", "STRUTILS", "MATH",
                                                 "DATEUTILS", "BATUTILS"};
    return std::find(std::begin(units), std::end(units), upper) != std::end(units);
}

// A script's own name hides a unit's.
void Compiler::skipUnitPrefix() {
    while (tok_.type == Tok::Ident && isLibraryUnit(tok_.text) && lookup(tok_.text) == nullptr &&
           findType(tok_.text) == nullptr) {
        const Lexer savedLexer = lex_;
        const Token savedToken = tok_;
        const SourcePos savedEnd = prevEnd_;
        next();
        if (tok_.type == Tok::Dot) {
            next();
            if (tok_.type == Tok::Ident) continue;
        }
        lex_ = savedLexer;
        tok_ = savedToken;
        prevEnd_ = savedEnd;
        return;
    }
}

bool Compiler::unitQualified(Token& name) {
    bool qualified = false;
    const WithScope* scope = nullptr;
    std::uint32_t field = 0;
    while (tok_.type == Tok::Dot && isLibraryUnit(name.text) && find(name.text) == nullptr &&
           !withField(name.text, scope, field)) {
        const Lexer savedLexer = lex_;
        const Token savedToken = tok_;
        const SourcePos savedEnd = prevEnd_;
        next();
        if (tok_.type != Tok::Ident) {
            lex_ = savedLexer;
            tok_ = savedToken;
            prevEnd_ = savedEnd;
            break;
        }
        name = tok_;
        next();
        qualified = true;
    }
    return qualified;
}

const Type* Compiler::identFactor() {
    Token name = tok_;
    const SourcePos pos = here();
    next();
    const bool qualified = unitQualified(name);
    const WithScope* scope = nullptr;
    std::uint32_t field = 0;
    if (!qualified && withField(name.text, scope, field)) {
        for (auto t : scope->temps) emitAt(pos, LOADL, t);
        pushInteger(pos, field);
        emitAt(pos, LOADPATH, static_cast<std::uint32_t>(scope->temps.size()));
        word(scope->zeroMask);
        adjustDepth(-static_cast<int>(scope->temps.size()));
        return selectors(scope->record->fields[field].type);
    }
    const Found* found = qualified ? nullptr : find(name.text);
    if (found == nullptr) {
        const Type* result = nullptr;
        if (intrinsic(name, true, result)) return selectors(result);
        const Environment::Entry* entry = env_.find(name.text);
        if (entry == nullptr) {
            if (const Type* t = findType(name.text); t != nullptr) {
                if (t->objectClass && tok_.type == Tok::Dot) {
                    objectMember(t, false, true);
                    return nullptr;
                }
                return typeCast(name, t);
            }
            undeclared(name);
        }
        callNative(name, *entry, true);
        return selectors(givesDateTime(name.text) ? findType("TDATETIME") : nullptr);
    }
    const Found f = *found;
    const Symbol& s = f.symbol;
    switch (s.kind) {
        case Symbol::Var:
        case Symbol::Const:
            emitLoad(pos, s, f.hops);
            if (s.type != nullptr && s.type->objectClass && tok_.type == Tok::Dot) {
                objectMember(s.type, true, true);
                return nullptr;
            }
            return selectors(s.type);
        case Symbol::Literal:
            if (s.literal.isInteger())
                pushInteger(pos, s.literal.integer());
            else
                emitAt(pos, PUSHK, constant(s.literal));
            return selectors(s.type);
        case Symbol::Routine: return selectors(callRoutine(name, s, true));
        case Symbol::ExceptVar: exceptionMember(pos, s.slot, name.raw); return nullptr;
    }
    return nullptr;
}

void Compiler::exceptionMember(SourcePos pos, std::uint32_t slot, const std::string& variable) {
    if (tok_.type == Tok::Ident && tok_.text == "IS") {
        // "E is EConvertError": the class raised, or one derived from it.
        next();
        if (tok_.type != Tok::Ident) expected("Exception class");
        const Type* cls = findType(tok_.text);
        if (cls == nullptr || cls->kind != Type::ExceptionClass) fail("Exception class expected");
        emitAt(pos, LOADL, slot + 1);
        emitAt(pos, PUSHK, constant(Value(tok_.text)));
        emitAt(pos, ISCLASS);
        next();
        return;
    }
    if (tok_.type != Tok::Dot) {
        // The object itself, only to be compared (ExceptObject = E): the place it was raised
        // tells one exception from another.
        emitAt(pos, LOADL, slot + 2);
        return;
    }
    expect(Tok::Dot);
    const std::string field = identifier();
    if (field == "MESSAGE")
        emitAt(pos, LOADL, slot);
    else if (field == "CLASSNAME")
        emitAt(pos, LOADL, slot + 1);
    else
        failAt(pos, "Unknown member '" + field + "' of '" + variable + "'");
}

// An argument that is a lone variable becomes a reference to it.
bool Compiler::argumentAsReference(std::size_t start) {
    auto& code = proto().code;
    if (code.size() == start + 2 && lastVarLoad_ == start &&
        static_cast<Op>(code[start] & 0xFF) == LOADU) {
        code[start] = static_cast<std::uint32_t>(REFU) | (code[start] & ~0xFFu);
        return true;
    }
    if (code.size() != start + 1 || lastVarLoad_ != start) return false;
    const auto op = static_cast<Op>(code[start] & 0xFF);
    const std::uint32_t a = code[start] >> 8;
    const Op refOp = op == LOADL ? REFL : (op == LOADG ? REFG : PASSR);
    code[start] = static_cast<std::uint32_t>(refOp) | (a << 8);
    return true;
}

const Type* Compiler::callRoutine(const Token& name, const Symbol& routine, bool wantValue) {
    const SourcePos pos = posOf(name);
    const std::uint32_t index = routine.proto;
    const std::uint32_t paramCount = prog_.protos[index].paramCount;
    const bool isFunction = prog_.protos[index].isFunction;
    if (wantValue && !isFunction) failNamed(pos, "Procedure '", name.raw, "' has no value");
    const std::vector<const Type*> params = paramTypes_[index];
    struct WriteBack {
        Address place;
        std::uint32_t temp;
    };
    std::vector<WriteBack> writeBacks;
    std::uint32_t count = 0;
    if (accept(Tok::LParen)) {
        if (tok_.type != Tok::RParen) {
            do {
                if (count >= paramCount)
                    failNamed(here(), "Too many actual parameters for '", name.raw);
                const SourcePos argPos = here();
                const Type* param = count < params.size() ? params[count] : nullptr;
                if (prog_.protos[index].byRef[count]) {
                    if (tok_.type != Tok::Ident) failVariableRequired(argPos, count + 1, name.raw);
                    Address place;
                    argumentAddress(place);
                    if (place.symbol.kind != Symbol::Var && place.temps.empty())
                        failVariableRequired(argPos, count + 1, name.raw);
                    if (place.temps.empty()) {
                        emitRef(argPos, place.symbol, place.hops);
                    } else {
                        // An element or a field: passed in a temporary, stored back after.
                        const std::uint32_t temp = newSlot(DeclaredType::Variant);
                        loadAddress(argPos, place);
                        emitAt(argPos, STOREL, temp);
                        emitAt(argPos, REFL, temp);
                        writeBacks.push_back({std::move(place), temp});
                    }
                } else if (param != nullptr && param->kind == Type::OpenArray &&
                           tok_.type == Tok::LBracket) {
                    openArrayArgument();
                } else {
                    convertVariant(argPos, expression(), param);
                }
                ++count;
            } while (accept(Tok::Comma));
        }
        expect(Tok::RParen);
    }
    if (count < paramCount) failNamed(pos, "Not enough actual parameters for '", name.raw);
    if (routine.level <= 1) {
        emitAt(pos, CALL, index);
    } else {
        emitAt(pos, CALLX, index);
        word(static_cast<std::uint32_t>(fs_->level - (routine.level - 1)));
    }
    adjustDepth(-static_cast<int>(count) + (isFunction ? 1 : 0));
    for (const auto& wb : writeBacks) {
        beginStore(pos, wb.place);
        emitAt(pos, LOADL, wb.temp);
        endStore(pos, wb.place);
    }
    if (!wantValue && isFunction) emitAt(pos, POP);
    const auto it = resultTypes_.find(index);
    return it == resultTypes_.end() ? nullptr : it->second;
}

void Compiler::objectMember(const Type* cls, bool pushed, bool wantValue) {
    expect(Tok::Dot);
    if (tok_.type != Tok::Ident) expected("Identifier");
    Token member = tok_;
    next();
    const std::string raw = member.raw;
    member.text = cls->name + "." + member.text;
    member.raw = cls->name + "." + member.raw;
    const Environment::Entry* entry = env_.find(member.text);
    if (entry == nullptr || entry->isConstant) failNamed(posOf(member), "Unknown member '", raw);
    if (!wantValue && pushed && accept(Tok::Assign)) {
        expression();
        emitAt(posOf(member), CALLN, nameIndex(member));
        word(2);
        word(0);
        adjustDepth(-1);
        emitAt(posOf(member), POP);
        return;
    }
    if (!pushed) pushInteger(posOf(member), 0);  // the class's own calls have no object
    callNative(member, *entry, wantValue, 1);
}

void Compiler::callNative(const Token& name, const Environment::Entry& entry, bool wantValue,
                          std::uint32_t pushed) {
    const SourcePos pos = posOf(name);
    if (entry.isConstant) {
        if (tok_.type == Tok::LParen)
            failAt(pos, "'" + entry.name + "' is a constant, not a function");
        emitAt(pos, CALLN, nameIndex(name));
        word(0);
        word(0);
        adjustDepth(1);
        if (!wantValue) emitAt(pos, POP);
        return;
    }
    std::uint32_t count = pushed;
    std::uint32_t refMask = 0;
    if (accept(Tok::LParen)) {
        if (tok_.type != Tok::RParen) {
            do {
                if (count >= static_cast<std::uint32_t>(kMaxParams) ||
                    static_cast<int>(count) >= entry.native.maxArgs)
                    failNamed(pos, "Too many actual parameters for '", name.raw);
                const std::size_t start = proto().code.size();
                lastVarLoad_ = SIZE_MAX;
                if (tok_.type == Tok::LBracket)
                    openArrayArgument();
                else
                    expression();
                if (count < 32 && argumentAsReference(start)) refMask |= 1u << count;
                ++count;
            } while (accept(Tok::Comma));
        }
        expect(Tok::RParen);
    }
    if (static_cast<int>(count) < entry.native.minArgs)
        failNamed(pos, "Not enough actual parameters for '", name.raw);
    emitAt(pos, CALLN, nameIndex(name));
    word(count);
    word(refMask);
    adjustDepth(1 - static_cast<int>(count));
    if (!wantValue) emitAt(pos, POP);
}

// Routines that need the place or the type of their argument, compiled here rather than called.
bool Compiler::intrinsic(const Token& name, bool wantValue, const Type*& result) {
    const std::string& n = name.text;
    const SourcePos pos = posOf(name);
    result = nullptr;
    if (n == "EXCEPTOBJECT") {
        if (fs_->handlerSlots.empty())
            failAt(pos, "ExceptObject is only available in an exception handler");
        exceptionMember(pos, fs_->handlerSlots.back(), name.raw);
        if (!wantValue) emitAt(pos, POP);
        return true;
    }
    const bool valued = n == "LOW" || n == "HIGH" || n == "LENGTH" || n == "SUCC" || n == "PRED";
    const bool statement =
        n == "INC" || n == "DEC" || n == "SETLENGTH" || n == "INCLUDE" || n == "EXCLUDE";
    if (!valued && !statement) return false;
    if (wantValue && statement) failNamed(pos, "Procedure '", name.raw, "' has no value");
    expect(Tok::LParen);
    if (n == "LOW" || n == "HIGH") {
        const bool low = n == "LOW";
        const Type* t = nullptr;
        bool fromType = false;
        if (tok_.type == Tok::Ident && lookup(tok_.text) == nullptr && findType(tok_.text)) {
            t = findType(tok_.text);
            fromType = true;
            next();
        } else {
            t = expression();
        }
        expect(Tok::RParen);
        auto pushBound = [&](const Type* of, std::int64_t v) {
            if (of->isChar)
                emitAt(pos, PUSHK, constant(Value(std::string(1, static_cast<char>(v)))));
            else if (of->isBoolean)
                emitAt(pos, v != 0 ? PUSHTRUE : PUSHFALSE);
            else if (of->declared == DeclaredType::UInt64)
                emitAt(pos, PUSHK, constant(Value::unsignedInteger(static_cast<std::uint64_t>(v))));
            else
                pushInteger(pos, v);
        };
        if (t != nullptr && t->kind == Type::StaticArray) {
            if (!fromType) emitAt(pos, POP);
            pushBound(t->index, low ? t->low : t->high);
            result = t->index;
        } else if (t != nullptr && t->ordinal && (fromType || !t->isString)) {
            if (!fromType) emitAt(pos, POP);
            pushBound(t, low ? t->low : t->high);
            result = t;
        } else if (t != nullptr && t->isString && fromType) {
            failAt(pos, "Ordinal type required");
        } else if (fromType) {
            failAt(pos, "Ordinal type required");
        } else {
            emitAt(pos, low ? LOWOF : HIGHOF, t != nullptr && t->kind == Type::OpenArray ? 1 : 0);
            result = intType();
        }
        return true;
    }
    if (n == "LENGTH") {
        if (tok_.type == Tok::Ident && lookup(tok_.text) == nullptr && findType(tok_.text) &&
            !castFollows()) {
            const Type* t = findType(tok_.text);
            if (t->kind != Type::StaticArray) fail("Array type required");
            next();
            pushInteger(pos, t->high - t->low + 1);
        } else {
            expression();
            emitAt(pos, LEN);
        }
        expect(Tok::RParen);
        result = intType();
        return true;
    }
    if (n == "SUCC" || n == "PRED") {
        result = expression();
        expect(Tok::RParen);
        pushInteger(pos, n == "SUCC" ? 1 : -1);
        emitAt(pos, SUCCN);
        return true;
    }
    Address place;
    if (tok_.type != Tok::Ident) failVariableRequired(pos, 1, name.raw);
    const Type* t = argumentAddress(place);
    if (n == "SETLENGTH") {
        if (t != nullptr && t->kind != Type::DynArray && !t->isString)
            failAt(pos, "Dynamic array or string required");
        std::uint32_t dims = 0;
        const Type* element = t;
        if (place.temps.empty())
            emitRef(pos, place.symbol, place.hops);
        else
            beginStore(pos, place);
        while (accept(Tok::Comma)) {
            if (dims >= 16) fail("Too many dimensions");
            if (element == nullptr || (element->kind != Type::DynArray && !element->isString) ||
                (element->isString && dims > 0))
                fail("Too many dimensions");
            element = element->isString ? element : element->element;
            expression();
            ++dims;
        }
        expect(Tok::RParen);
        if (dims == 0) failNamed(pos, "Not enough actual parameters for '", name.raw);
        const std::uint32_t cell = cellOf(element != nullptr ? element : findType("VARIANT"));
        emitAt(pos, SETLEN, dims);
        word(place.steps);
        word(place.zeroMask);
        word(cell);
        adjustDepth(-static_cast<int>(place.steps + 1 + dims));
        return true;
    }
    beginStore(pos, place);
    loadAddress(pos, place);
    if (n == "INCLUDE" || n == "EXCLUDE") {
        expect(Tok::Comma);
        expression();
        expect(Tok::RParen);
        emitAt(pos, n == "INCLUDE" ? SETADD : SETDEL);
        endStore(pos, place);
        return true;
    }
    // Inc and Dec
    const bool plain =
        t != nullptr && t->kind == Type::Scalar &&
        (t->declared == DeclaredType::Integer || t->declared == DeclaredType::Int64 ||
         t->declared == DeclaredType::Cardinal || t->declared == DeclaredType::Byte ||
         t->declared == DeclaredType::Word) &&
        t->name != "enumeration";
    if (accept(Tok::Comma))
        expression();
    else
        pushInteger(pos, 1);
    expect(Tok::RParen);
    if (plain) {
        emitAt(pos, n == "INC" ? ADD : SUB);
    } else {
        if (n == "DEC") emitAt(pos, NEG);
        emitAt(pos, SUCCN);
    }
    endStore(pos, place);
    return true;
}

}  // namespace qbx::scripting::pascal::detail
