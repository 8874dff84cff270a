#include "scripting/pascal/compiler.h"

namespace qbx::scripting::pascal::detail {

void Compiler::expression() {
    simpleExpression();
    for (;;) {
        Op op;
        switch (tok_.type) {
            case Tok::Eq: op = EQ; break;
            case Tok::Ne: op = NE; break;
            case Tok::Lt: op = LT; break;
            case Tok::Gt: op = GT; break;
            case Tok::Le: op = LE; break;
            case Tok::Ge: op = GE; break;
            default: return;
        }
        const SourcePos pos = here();
        next();
        simpleExpression();
        emitAt(pos, op);
    }
}

void Compiler::simpleExpression() {
    term();
    for (;;) {
        const SourcePos pos = here();
        switch (tok_.type) {
            case Tok::Plus:
                next();
                term();
                emitAt(pos, ADD);
                break;
            case Tok::Minus:
                next();
                term();
                emitAt(pos, SUB);
                break;
            case Tok::Xor:
                next();
                term();
                emitAt(pos, XOR);
                break;
            case Tok::Or: {
                next();
                const std::size_t jump = emitAt(pos, ORJ);
                term();
                emitAt(pos, OR);
                patch(jump, label());
                break;
            }
            default: return;
        }
    }
}

void Compiler::term() {
    factor();
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
                factor();
                emitAt(pos, AND);
                patch(jump, label());
                continue;
            }
            default: return;
        }
        next();
        factor();
        emitAt(pos, op);
    }
}

void Compiler::factor() {
    NestingGuard guard(*this);
    const SourcePos pos = here();
    switch (tok_.type) {
        case Tok::Int:
            pushInteger(pos, tok_.integer);
            next();
            break;
        case Tok::Float:
            emitAt(pos, PUSHK, constant(Value(tok_.real)));
            next();
            break;
        case Tok::String:
            emitAt(pos, PUSHK, constant(Value(tok_.text)));
            next();
            break;
        case Tok::True:
            emitAt(pos, PUSHTRUE);
            next();
            break;
        case Tok::False:
            emitAt(pos, PUSHFALSE);
            next();
            break;
        case Tok::Nil:
            emitAt(pos, PUSHK, constant(Value::null()));
            next();
            break;
        case Tok::LParen:
            next();
            expression();
            expect(Tok::RParen);
            break;
        case Tok::Not:
            next();
            factor();
            emitAt(pos, NOT);
            return;
        case Tok::Minus:
            next();
            if (tok_.type == Tok::Int && tok_.integer >= 0) {
                pushInteger(
                    pos, static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(tok_.integer)));
                next();
            } else {
                factor();
                emitAt(pos, NEG);
            }
            return;
        case Tok::Plus:
            next();
            factor();
            return;
        case Tok::Ident: identFactor(); break;
        default: expected("Expression");
    }
    while (tok_.type == Tok::LBracket) {
        const SourcePos at = here();
        next();
        expression();
        expect(Tok::RBracket);
        emitAt(at, INDEX);
    }
}

void Compiler::identFactor() {
    const Token name = tok_;
    const SourcePos pos = here();
    next();
    const Symbol* found = lookup(name.text);
    if (found == nullptr) {
        callLateBound(name, true);
        return;
    }
    const Symbol s = *found;
    switch (s.kind) {
        case Symbol::Var: emitLoad(pos, s); return;
        case Symbol::Const: emitAt(pos, isGlobalFromHere(s) ? LOADG : LOADL, s.slot); return;
        case Symbol::Routine: callRoutine(name, s, true); return;
        case Symbol::ExceptVar: exceptionMember(pos, s.slot, name.raw); return;
    }
}

void Compiler::exceptionMember(SourcePos pos, std::uint32_t slot, const std::string& variable) {
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
    if (code.size() != start + 1 || lastVarLoad_ != start) return false;
    const auto op = static_cast<Op>(code[start] & 0xFF);
    const std::uint32_t a = code[start] >> 8;
    const Op refOp = op == LOADL ? REFL : (op == LOADG ? REFG : PASSR);
    code[start] = static_cast<std::uint32_t>(refOp) | (a << 8);
    return true;
}

void Compiler::callRoutine(const Token& name, const Symbol& routine, bool wantValue) {
    const SourcePos pos{static_cast<std::uint32_t>(name.line),
                        static_cast<std::uint32_t>(name.column)};
    const std::uint32_t index = routine.proto;
    const std::uint32_t paramCount = prog_.protos[index].paramCount;
    const bool isFunction = prog_.protos[index].isFunction;
    if (wantValue && !isFunction) failNamed(pos, "Procedure '", name.raw, "' has no value");
    std::uint32_t count = 0;
    if (accept(Tok::LParen)) {
        if (tok_.type != Tok::RParen) {
            do {
                if (count >= paramCount)
                    failNamed(here(), "Too many actual parameters for '", name.raw);
                const std::size_t start = proto().code.size();
                const SourcePos argPos = here();
                lastVarLoad_ = SIZE_MAX;
                expression();
                if (prog_.protos[index].byRef[count] && !argumentAsReference(start))
                    failVariableRequired(argPos, count + 1, name.raw);
                ++count;
            } while (accept(Tok::Comma));
        }
        expect(Tok::RParen);
    }
    if (count < paramCount) failNamed(pos, "Not enough actual parameters for '", name.raw);
    emitAt(pos, CALL, index);
    adjustDepth(-static_cast<int>(count) + (isFunction ? 1 : 0));
    if (!wantValue && isFunction) emitAt(pos, POP);
}

void Compiler::callLateBound(const Token& name, bool wantValue) {
    const SourcePos pos{static_cast<std::uint32_t>(name.line),
                        static_cast<std::uint32_t>(name.column)};
    std::uint32_t count = 0;
    std::uint32_t refMask = 0;
    if (accept(Tok::LParen)) {
        if (tok_.type != Tok::RParen) {
            do {
                if (count >= static_cast<std::uint32_t>(kMaxParams))
                    failNamed(here(), "Too many actual parameters for '", name.raw);
                const std::size_t start = proto().code.size();
                lastVarLoad_ = SIZE_MAX;
                expression();
                if (count < 32 && argumentAsReference(start)) refMask |= 1u << count;
                ++count;
            } while (accept(Tok::Comma));
        }
        expect(Tok::RParen);
    }
    emitAt(pos, CALLN, nameIndex(name));
    word(count);
    word(refMask);
    adjustDepth(1 - static_cast<int>(count));
    if (!wantValue) emitAt(pos, POP);
}

}  // namespace qbx::scripting::pascal::detail
