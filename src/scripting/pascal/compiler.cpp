// Programs, declarations and the entry point of the compiler.
#include "scripting/pascal/compiler.h"

namespace qbx::scripting::pascal {

namespace detail {

DeclaredType typeByName(const std::string& upper, bool& known) {
    static const std::pair<std::string_view, DeclaredType> types[] = {
        {"INTEGER", DeclaredType::Integer},   {"LONGINT", DeclaredType::Integer},
        {"CARDINAL", DeclaredType::Cardinal}, {"LONGWORD", DeclaredType::Cardinal},
        {"INT64", DeclaredType::Int64},       {"BYTE", DeclaredType::Byte},
        {"WORD", DeclaredType::Word},         {"DOUBLE", DeclaredType::Double},
        {"EXTENDED", DeclaredType::Double},   {"REAL", DeclaredType::Double},
        {"SINGLE", DeclaredType::Double},     {"STRING", DeclaredType::String},
        {"ANSISTRING", DeclaredType::String}, {"CHAR", DeclaredType::Char},
        {"ANSICHAR", DeclaredType::Char},     {"BOOLEAN", DeclaredType::Boolean},
        {"VARIANT", DeclaredType::Variant},   {"OLEVARIANT", DeclaredType::Variant},
        {"UINT64", DeclaredType::UInt64},
    };
    for (const auto& [name, type] : types)
        if (name == upper) {
            known = true;
            return type;
        }
    known = false;
    return DeclaredType::Variant;
}

int stackEffect(Op op) {
    switch (op) {
        case PUSHK:
        case PUSHI:
        case PUSHEMPTY:
        case PUSHTRUE:
        case PUSHFALSE:
        case LOADL:
        case LOADG:
        case LOADR:
        case REFL:
        case REFG:
        case PASSR:
        case LOADU:
        case REFU:
        case SETNEW:
        case FORIN: return 1;
        case STOREU:
        case INDEXZ:
        case SUCCN:
        case SETADD:
        case SETDEL:
        case IN: return -1;
        case SETRANGE: return -2;
        case SHORTEN:
        case CAST: return 0;
        case STOREL:
        case STOREG:
        case STORER:
        case APPENDL:
        case APPENDG:
        case POP:
        case ADD:
        case SUB:
        case MUL:
        case FDIV:
        case IDIV:
        case MOD:
        case AND:
        case OR:
        case XOR:
        case SHL:
        case SHR:
        case EQ:
        case NE:
        case LT:
        case GT:
        case LE:
        case GE:
        case INDEX:
        case ISCLASS:
        case JMPF:
        case JMPT:
        case RAISE: return -1;
        case INRANGE: return -2;
        default: return 0;
    }
}

int operandsTaken(Op op) {
    switch (op) {
        case NEG:
        case NOT:
        case VARTO:
        case ANDJ:
        case ORJ: return 1;
        case INRANGE:
        case SETRANGE: return 3;
        case VARPREP: return 2;
        case FIELD:
        case LEN:
        case LOWOF:
        case HIGHOF: return 1;
        case LOADPATH:
        case STOREPATH:
        case SETLEN:
        case MKARRAY:
        case MKLIST:
        case CALLX: return 1000;  // takes a variable number: never part of an in-place append
        default: return stackEffect(op) < 0 ? 2 : 0;
    }
}

std::size_t instructionLength(std::uint32_t word) {
    switch (static_cast<Op>(word & 0xFF)) {
        case FORTEST:
        case FORSTEP:
        case CALLN: return 3;
        case TRYX:
        case TRYF:
        case LOADPATH:
        case STOREPATH:
        case LOADU:
        case STOREU:
        case REFU:
        case CALLX: return 2;
        case FORIN: return 3;
        case SETLEN: return 4;
        default: return 1;
    }
}

// ------------------------------------------------------------------ programs and declarations

void Compiler::compileProgram() {
    prog_.protos.emplace_back();
    main_.isMain = true;
    main_.proto = 0;
    proto().name = "main";
    next();
    Symbol result;
    result.slot = newSlot(DeclaredType::Variant);
    result.mainLevel = true;
    main_.locals.emplace("RESULT", result);
    if (accept(Tok::Program)) {
        identifier();
        if (accept(Tok::LParen)) {
            identifierList();
            expect(Tok::RParen);
        }
        expect(Tok::Semicolon);
    }
    if (accept(Tok::Uses)) {
        do {
            identifier();
            while (accept(Tok::Dot)) identifier();  // "System.SysUtils"
        } while (accept(Tok::Comma));
        expect(Tok::Semicolon);
    }
    declarations();
    if (tok_.type != Tok::Begin) expected("'begin'");
    statement();
    accept(Tok::Dot);
    if (tok_.type != Tok::End) fail("Unexpected text after the end of the program");
    checkLabelsPlaced();
    patchHere(main_.exitJumps);
    emit(RET);
}

void Compiler::compileExpressionScript() {
    prog_.protos.emplace_back();
    main_.isMain = true;
    proto().name = "main";
    newSlot(DeclaredType::Variant);
    next();
    expression();
    if (tok_.type != Tok::End) expected("Operator or end of expression");
    emit(STOREL, 0);
    emit(RET);
}

void Compiler::compileStatementScript() {
    prog_.protos.emplace_back();
    main_.isMain = true;
    proto().name = "main";
    Symbol result;
    result.slot = newSlot(DeclaredType::Variant);
    result.mainLevel = true;
    main_.locals.emplace("RESULT", result);
    next();
    statementList({Tok::End});
    patchHere(main_.exitJumps);
    emit(RET);
}

void Compiler::declarations() {
    for (;;) {
        if (tok_.type == Tok::Var) {
            next();
            varSection();
        } else if (tok_.type == Tok::Const) {
            next();
            constSection();
        } else if (tok_.type == Tok::Type) {
            next();
            typeSection();
        } else if (tok_.type == Tok::Procedure || tok_.type == Tok::Function) {
            const bool isFunction = tok_.type == Tok::Function;
            next();
            routine(isFunction);
        } else if (tok_.type == Tok::Ident && tok_.text == "LABEL") {
            next();
            labelSection();
        } else {
            for (const auto& [index, forward] : forwards_)
                if (forward.scope == fs_)
                    failAt(forward.pos, "Unsatisfied forward or external declaration: '" +
                                            prog_.protos[index].name + "'");
            return;
        }
    }
}

std::uint32_t Compiler::declareVariable(const Token& name, const Type* type) {
    if (fs_->isMain && name.text == "RESULT") {
        // The script's own Result is the script's result.
        Symbol& result = main_.locals.at("RESULT");
        if (result.type != nullptr) failNamed(posOf(name), "Identifier redeclared: '", name.raw);
        result.type = type;
        proto().slotTypes[result.slot] = type->declared;
        if (type->kind == Type::StaticArray || type->kind == Type::Record ||
            type->kind == Type::Set)
            proto().compositeSlots.emplace_back(result.slot, cellOf(type));
        return result.slot;
    }
    Symbol s;
    s.slot = newSlot(type->declared);
    s.mainLevel = fs_->isMain;
    s.type = type;
    if (type->kind == Type::StaticArray || type->kind == Type::Record || type->kind == Type::Set)
        proto().compositeSlots.emplace_back(s.slot, cellOf(type));
    if (type->kind == Type::ExceptionClass) fail("Exception objects are only caught, not declared");
    declare(name, name.text, s);
    return s.slot;
}

void Compiler::labelSection() {
    do {
        const Token name = tok_;
        const std::string key = labelName();
        if (fs_->labels.size() >= kMaxSlots) fail("Too many labels");
        if (fs_->locals.count(key) > 0 || !fs_->labels.emplace(key, LabelState{}).second)
            failNamed(posOf(name), "Identifier redeclared: '", name.raw);
        fs_->labels[key].raw = name.type == Tok::Int ? key : name.raw;
    } while (accept(Tok::Comma));
    expect(Tok::Semicolon);
}

void Compiler::checkLabelsPlaced() {
    for (const auto& [key, label] : fs_->labels)
        if (!label.placed && !label.pending.empty())
            failNamed(label.pending.front().pos, "Label declared and referenced, but not set: '",
                      label.raw);
}

void Compiler::varSection() {
    while (tok_.type == Tok::Ident) {
        const std::vector<Token> names = identifierList();
        expect(Tok::Colon);
        const Type* type = typeRef();
        std::vector<std::uint32_t> slots;
        for (const auto& n : names) slots.push_back(declareVariable(n, type));
        if (tok_.type == Tok::Eq) {
            if (slots.size() != 1) fail("Only one variable can be initialised");
            const SourcePos pos = here();
            next();
            constantInitialiser(type);
            emitAt(pos, STOREL, slots[0]);
        }
        expect(Tok::Semicolon);
    }
}

void Compiler::constSection() {
    while (tok_.type == Tok::Ident) {
        const Token name = tok_;
        next();
        const Type* type = nullptr;
        if (accept(Tok::Colon)) type = typeRef();
        const SourcePos pos = here();
        expect(Tok::Eq);
        Symbol s;
        Value literal;
        const Type* literalType = nullptr;
        if (type == nullptr && tryConstant(literal, literalType)) {
            s.kind = Symbol::Literal;
            s.literal = std::move(literal);
            s.type = literalType;
            declare(name, name.text, s);
            expect(Tok::Semicolon);
            continue;
        }
        if (type != nullptr)
            constantInitialiser(type);
        else
            type = expression();
        s.kind = Symbol::Const;
        s.slot = newSlot(type != nullptr ? type->declared : DeclaredType::Variant);
        s.mainLevel = fs_->isMain;
        s.type = type;
        emitAt(pos, STOREL, s.slot);
        declare(name, name.text, s);
        expect(Tok::Semicolon);
    }
}

void Compiler::typeSection() {
    while (tok_.type == Tok::Ident) {
        const Token name = tok_;
        next();
        expect(Tok::Eq);
        if (tok_.type == Tok::Type) next();  // "type Integer": a distinct alias
        const Type* type = nullptr;
        if (tok_.type == Tok::Class) {
            type = exceptionClass(name);
        } else if (tok_.type == Tok::Record) {
            type = recordType(name.raw);
        } else {
            type = typeRef();
        }
        if (fs_->types.count(name.text) > 0 || fs_->locals.count(name.text) > 0)
            failNamed(posOf(name), "Identifier redeclared: '", name.raw);
        if (fs_->types.size() >= kMaxSlots) fail("Too many types");
        fs_->types.emplace(name.text, type);
        expect(Tok::Semicolon);
    }
}

void Compiler::routine(bool isFunction) {
    if (tok_.type != Tok::Ident) expected("Identifier");
    const Token name = tok_;
    next();
    if (tok_.type == Tok::Dot) fail("Classes other than exception classes are not supported");
    if (fs_->level >= 32) fail("Nesting too deep");

    // The body of a routine declared forward earlier.
    std::uint32_t index = 0;
    const Forward* forward = nullptr;
    if (auto it = fs_->locals.find(name.text);
        it != fs_->locals.end() && it->second.kind == Symbol::Routine) {
        const auto f = forwards_.find(it->second.proto);
        if (f != forwards_.end() && f->second.pos.line > 0) {
            index = it->second.proto;
            forward = &f->second;
        }
    }
    if (forward == nullptr) {
        if (prog_.protos.size() >= kMaxSlots) fail("Too many routines");
        index = static_cast<std::uint32_t>(prog_.protos.size());
        prog_.protos.emplace_back();
        prog_.protos.back().name = name.raw;
        prog_.protos.back().isFunction = isFunction;
        Symbol routineSymbol;
        routineSymbol.kind = Symbol::Routine;
        routineSymbol.proto = index;
        routineSymbol.mainLevel = true;
        routineSymbol.level = fs_->level + 1;
        declare(name, name.text, routineSymbol);
    }

    FuncState state;
    state.proto = index;
    state.ownName = isFunction ? name.text : std::string();
    state.parent = fs_;
    state.level = fs_->level + 1;
    FuncState* const outer = fs_;
    fs_ = &state;

    if (forward != nullptr) {
        // The heading may be repeated; the forward declaration's parameters stand.
        for (const auto& [n, sym] : forward->params) fs_->locals.emplace(n, sym);
        if (accept(Tok::LParen)) {
            int depth = 1;
            while (depth > 0 && tok_.type != Tok::End) {
                if (tok_.type == Tok::LParen) ++depth;
                if (tok_.type == Tok::RParen) --depth;
                next();
            }
        }
        if (accept(Tok::Colon)) typeRef();
        forwards_.erase(index);
    } else {
        std::vector<const Type*> paramTypes;
        if (accept(Tok::LParen)) {
            if (tok_.type != Tok::RParen) {
                do {
                    bool byRef = false;
                    if (accept(Tok::Var) ||
                        (tok_.type == Tok::Ident && tok_.text == "OUT" && (next(), true)))
                        byRef = true;
                    else
                        accept(Tok::Const);
                    const std::vector<Token> names = identifierList();
                    const Type* type = findType("VARIANT");
                    if (accept(Tok::Colon))
                        type = typeRef(true);
                    else if (!byRef)
                        expected("':'");
                    if (tok_.type == Tok::Eq) fail("Default parameter values are not supported");
                    for (const auto& n : names) {
                        if (proto().paramCount >= kMaxParams) fail("Too many parameters");
                        Symbol s;
                        s.slot = newSlot(byRef ? DeclaredType::Variant : type->declared);
                        s.byRef = byRef;
                        s.type = type;
                        declare(n, n.text, s);
                        proto().byRef.push_back(byRef);
                        ++proto().paramCount;
                        paramTypes.push_back(type);
                    }
                } while (accept(Tok::Semicolon));
            }
            expect(Tok::RParen);
        }
        paramTypes_[index] = paramTypes;
        if (isFunction) {
            expect(Tok::Colon);
            const Type* resultType = typeRef();
            Symbol result;
            result.slot = newSlot(resultType->declared);
            result.type = resultType;
            if (resultType->kind == Type::StaticArray || resultType->kind == Type::Record ||
                resultType->kind == Type::Set)
                proto().compositeSlots.emplace_back(result.slot, cellOf(resultType));
            fs_->locals.emplace("RESULT", result);
            resultTypes_[index] = resultType;
        }
    }
    expect(Tok::Semicolon);
    if (tok_.type == Tok::Ident && tok_.text == "FORWARD") {
        if (forward != nullptr) fail("Routine declared forward twice");
        next();
        expect(Tok::Semicolon);
        Forward f;
        f.pos = posOf(name);
        f.scope = outer;
        for (const auto& [n, sym] : fs_->locals) f.params.emplace_back(n, sym);
        forwards_[index] = std::move(f);
        fs_ = outer;
        return;
    }
    while (tok_.type == Tok::Ident &&
           (tok_.text == "OVERLOAD" || tok_.text == "INLINE" || tok_.text == "REGISTER" ||
            tok_.text == "STDCALL" || tok_.text == "CDECL")) {
        if (tok_.text == "OVERLOAD") fail("Overloaded routines are not supported");
        next();
        expect(Tok::Semicolon);
    }
    if (tok_.type == Tok::Ident && tok_.text == "EXTERNAL")
        fail("External routines are not supported");
    declarations();
    if (tok_.type != Tok::Begin) expected("'begin'");
    statement();
    expect(Tok::Semicolon);
    checkLabelsPlaced();
    patchHere(fs_->exitJumps);
    emit(RET);
    fs_ = outer;
}

}  // namespace detail

namespace {

using detail::Compiler;

bool startsProgram(const Token& token) {
    if (token.type == Tok::Ident && token.text == "LABEL") return true;
    switch (token.type) {
        case Tok::Program:
        case Tok::Uses:
        case Tok::Var:
        case Tok::Const:
        case Tok::Type:
        case Tok::Begin:
        case Tok::Function:
        case Tok::Procedure: return true;
        default: return false;
    }
}

ScriptError toScriptError(const CompileError& e) {
    return ScriptError{e.line, e.column, e.message};
}

}  // namespace

CompileResult compile(std::string_view source, const Environment& environment) {
    const Limits& limits = environment.limits;
    CompileResult result;
    try {
        if (source.size() > limits.maxSourceLength) {
            result.error = ScriptError{0, 0, "Script too large"};
            return result;
        }
        Lexer probe(source);
        const bool program = startsProgram(probe.next());
        auto attempt = [&](int kind) {
            auto built = std::make_shared<Program>();
            Compiler compiler(source, environment, *built);
            if (kind == 0)
                compiler.compileProgram();
            else if (kind == 1)
                compiler.compileExpressionScript();
            else
                compiler.compileStatementScript();
            for (auto& proto : built->protos) fuseInstructions(proto);
            return built;
        };
        if (program) {
            result.program = attempt(0);
            return result;
        }
        // Neither a program nor a bare expression is marked as such: an expression that reads to
        // the end wins, else the text is taken as a list of statements. The failure reported is
        // the one that got further into the text.
        try {
            result.program = attempt(1);
            return result;
        } catch (const CompileError& asExpression) {
            try {
                result.program = attempt(2);
                return result;
            } catch (const CompileError& asStatements) {
                throw asStatements.offset >= asExpression.offset ? asStatements : asExpression;
            }
        }
    } catch (const CompileError& e) {
        result.error = toScriptError(e);
    } catch (const std::bad_alloc&) {
        result.error = ScriptError{0, 0, "Script too large"};
    } catch (const std::exception& e) {
        result.error = ScriptError{0, 0, e.what()};
    }
    result.program.reset();
    return result;
}

}  // namespace qbx::scripting::pascal
