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
        case PASSR: return 1;
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
        case INRANGE:
        case SETCHAR: return -2;
        default: return 0;
    }
}

int operandsTaken(Op op) {
    switch (op) {
        case NEG:
        case NOT:
        case ANDJ:
        case ORJ: return 1;
        case INRANGE:
        case SETCHAR: return 3;
        default: return stackEffect(op) < 0 ? 2 : 0;
    }
}

std::size_t instructionLength(std::uint32_t word) {
    switch (static_cast<Op>(word & 0xFF)) {
        case FORTEST:
        case FORSTEP:
        case CALLN: return 3;
        case TRYX:
        case TRYF: return 2;
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
        expect(Tok::Semicolon);
    }
    if (accept(Tok::Uses)) {
        do identifier();
        while (accept(Tok::Comma));
        expect(Tok::Semicolon);
    }
    declarations(true);
    if (tok_.type != Tok::Begin) expected("'begin'");
    statement();
    accept(Tok::Dot);
    if (tok_.type != Tok::End) fail("Unexpected text after the end of the program");
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

DeclaredType Compiler::typeName() {
    if (tok_.type != Tok::Ident) expected("Type name");
    bool known = false;
    const DeclaredType t = typeByName(tok_.text, known);
    if (!known) fail("Unknown type '" + tok_.raw + "'");
    next();
    return t;
}

void Compiler::declarations(bool allowRoutines) {
    for (;;) {
        if (tok_.type == Tok::Var) {
            next();
            varSection();
        } else if (tok_.type == Tok::Const) {
            next();
            constSection();
        } else if (tok_.type == Tok::Procedure || tok_.type == Tok::Function) {
            if (!allowRoutines) fail("Nested routines are not supported");
            const bool isFunction = tok_.type == Tok::Function;
            next();
            routine(isFunction);
        } else {
            return;
        }
    }
}

void Compiler::varSection() {
    while (tok_.type == Tok::Ident) {
        const std::vector<Token> names = identifierList();
        expect(Tok::Colon);
        const DeclaredType type = typeName();
        std::vector<Symbol> declared;
        for (const auto& n : names) {
            Symbol s;
            s.slot = newSlot(type);
            s.mainLevel = fs_->isMain;
            declare(n, n.text, s);
            declared.push_back(s);
        }
        if (tok_.type == Tok::Eq) {
            if (declared.size() != 1) fail("Only one variable can be initialised");
            const SourcePos pos = here();
            next();
            expression();
            emitAt(pos, STOREL, declared[0].slot);
        }
        expect(Tok::Semicolon);
    }
}

void Compiler::constSection() {
    while (tok_.type == Tok::Ident) {
        const Token name = tok_;
        next();
        DeclaredType type = DeclaredType::Variant;
        if (accept(Tok::Colon)) type = typeName();
        const SourcePos pos = here();
        expect(Tok::Eq);
        expression();
        Symbol s;
        s.kind = Symbol::Const;
        s.slot = newSlot(type);
        s.mainLevel = fs_->isMain;
        emitAt(pos, STOREL, s.slot);
        declare(name, name.text, s);
        expect(Tok::Semicolon);
    }
}

void Compiler::routine(bool isFunction) {
    if (tok_.type != Tok::Ident) expected("Identifier");
    const Token name = tok_;
    next();
    if (prog_.protos.size() >= kMaxSlots) fail("Too many routines");
    const auto index = static_cast<std::uint32_t>(prog_.protos.size());
    prog_.protos.emplace_back();
    prog_.protos.back().name = name.raw;
    prog_.protos.back().isFunction = isFunction;
    Symbol routineSymbol;
    routineSymbol.kind = Symbol::Routine;
    routineSymbol.proto = index;
    routineSymbol.mainLevel = true;
    declare(name, name.text, routineSymbol);

    FuncState state;
    state.proto = index;
    state.ownName = isFunction ? name.text : std::string();
    FuncState* const outer = fs_;
    fs_ = &state;

    if (accept(Tok::LParen)) {
        if (tok_.type != Tok::RParen) {
            do {
                bool byRef = false;
                if (accept(Tok::Var))
                    byRef = true;
                else
                    accept(Tok::Const);
                const std::vector<Token> names = identifierList();
                DeclaredType type = DeclaredType::Variant;
                if (accept(Tok::Colon))
                    type = typeName();
                else if (!byRef)
                    expected("':'");
                for (const auto& n : names) {
                    if (proto().paramCount >= kMaxParams) fail("Too many parameters");
                    Symbol s;
                    s.slot = newSlot(byRef ? DeclaredType::Variant : type);
                    s.byRef = byRef;
                    declare(n, n.text, s);
                    proto().byRef.push_back(byRef);
                    ++proto().paramCount;
                }
            } while (accept(Tok::Semicolon));
        }
        expect(Tok::RParen);
    }
    if (isFunction) {
        expect(Tok::Colon);
        const DeclaredType resultType = typeName();
        Symbol result;
        result.slot = newSlot(resultType);
        fs_->locals.emplace("RESULT", result);
    }
    expect(Tok::Semicolon);
    declarations(false);
    if (tok_.type != Tok::Begin) expected("'begin'");
    statement();
    expect(Tok::Semicolon);
    patchHere(fs_->exitJumps);
    emit(RET);
    fs_ = outer;
}

}  // namespace detail

namespace {

using detail::Compiler;

bool startsProgram(Tok t) {
    switch (t) {
        case Tok::Program:
        case Tok::Uses:
        case Tok::Var:
        case Tok::Const:
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

CompileResult compile(std::string_view source, const Limits& limits) {
    CompileResult result;
    try {
        if (source.size() > limits.maxSourceLength) {
            result.error = ScriptError{0, 0, "Script too large"};
            return result;
        }
        Lexer probe(source);
        const bool program = startsProgram(probe.next().type);
        auto attempt = [&](int kind) {
            auto built = std::make_shared<Program>();
            Compiler compiler(source, limits, *built);
            if (kind == 0)
                compiler.compileProgram();
            else if (kind == 1)
                compiler.compileExpressionScript();
            else
                compiler.compileStatementScript();
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
