#include "scripting/pascal/compiler.h"

namespace qbx::scripting::pascal::detail {

void Compiler::statementList(std::initializer_list<Tok> terminators) {
    for (;;) {
        statement();
        if (std::find(terminators.begin(), terminators.end(), tok_.type) != terminators.end())
            return;
        if (tok_.type != Tok::Semicolon) expected("';'");
        next();
        if (std::find(terminators.begin(), terminators.end(), tok_.type) != terminators.end())
            return;
    }
}

void Compiler::statement() {
    NestingGuard guard(*this);
    switch (tok_.type) {
        case Tok::Ident:
            if (tok_.text == "GOTO" && fs_->labels.count("GOTO") == 0) {
                gotoStatement();
                return;
            }
            if (!fs_->labels.empty() && fs_->labels.count(tok_.text) > 0) {
                placeLabel();
                return;
            }
            identStatement();
            return;
        case Tok::Int: placeLabel(); return;
        case Tok::Begin:
            next();
            statementList({Tok::End_});
            next();
            return;
        case Tok::If: ifStatement(); return;
        case Tok::While: {
            StructureGuard inside(*this, false);
            whileStatement();
            return;
        }
        case Tok::Repeat: {
            StructureGuard inside(*this, false);
            repeatStatement();
            return;
        }
        case Tok::For: {
            StructureGuard inside(*this, false);
            forStatement();
            return;
        }
        case Tok::Case: caseStatement(); return;
        case Tok::Try: {
            StructureGuard inside(*this, true);
            tryStatement();
            return;
        }
        case Tok::Raise: raiseStatement(); return;
        case Tok::Exit: exitStatement(); return;
        case Tok::With: {
            StructureGuard inside(*this, false);
            withStatement();
            return;
        }
        case Tok::Break:
            next();
            leave(Tok::Break);
            return;
        case Tok::Continue:
            next();
            leave(Tok::Continue);
            return;
        case Tok::Semicolon:
        case Tok::End_:
        case Tok::Else:
        case Tok::Until:
        case Tok::Except:
        case Tok::Finally:
        case Tok::End: return;  // the empty statement
        default: expected("Statement");
    }
}

void Compiler::identStatement() {
    Token name = tok_;
    const SourcePos pos = here();
    next();
    const bool qualified = unitQualified(name);
    const WithScope* scope = nullptr;
    std::uint32_t field = 0;
    if (!qualified && withField(name.text, scope, field)) {
        for (auto t : scope->temps) emitAt(pos, LOADL, t);
        std::uint32_t steps = static_cast<std::uint32_t>(scope->temps.size() - 1);
        std::uint32_t mask = scope->zeroMask;
        pushInteger(pos, field);
        ++steps;
        bool any = false;
        const Type* target = placeKeys(scope->record->fields[field].type, steps, mask, any);
        const SourcePos at = here();
        expect(Tok::Assign);
        convertVariant(at, expression(), target);
        shorten(at, target);
        emitAt(at, STOREPATH, steps);
        word(mask);
        adjustDepth(-static_cast<int>(steps) - 2);
        return;
    }
    const Found* found = qualified ? nullptr : find(name.text);
    if (found == nullptr) {
        const Type* ignored = nullptr;
        if (intrinsic(name, false, ignored)) return;
        const Environment::Entry* entry = env_.find(name.text);
        if (entry == nullptr) undeclared(name);
        if (tok_.type == Tok::Assign || tok_.type == Tok::LBracket)
            failNamed(pos, "Cannot assign to '", name.raw);
        callNative(name, *entry, false);
        return;
    }
    const Found f = *found;
    const Symbol& s = f.symbol;
    switch (s.kind) {
        case Symbol::Var:
            if (s.type != nullptr && s.type->objectClass && tok_.type == Tok::Dot) {
                emitLoad(pos, s, f.hops);
                objectMember(s.type, true, false);
                return;
            }
            if (tok_.type == Tok::LBracket || tok_.type == Tok::Dot) {
                emitRef(pos, s, f.hops);
                std::uint32_t steps = 0;
                std::uint32_t mask = 0;
                bool any = false;
                const Type* target = placeKeys(s.type, steps, mask, any);
                const SourcePos at = here();
                expect(Tok::Assign);
                convertVariant(at, expression(), target);
                shorten(at, target);
                emitAt(at, STOREPATH, steps);
                word(mask);
                adjustDepth(-static_cast<int>(steps) - 2);
                return;
            }
            assignment(name, s, f.hops);
            return;
        case Symbol::Routine:
            if (tok_.type == Tok::Assign && name.text == fs_->ownName) {
                const Symbol result = *lookup("RESULT");
                assignment(name, result, 0);
                return;
            }
            if (tok_.type == Tok::Assign) {
                // Assigning to an enclosing function's name sets its Result.
                for (const FuncState* st = fs_->parent; st != nullptr; st = st->parent)
                    if (st->ownName == name.text) fail("Cannot assign to an enclosing function");
            }
            callRoutine(name, s, false);
            return;
        case Symbol::Const:
        case Symbol::Literal: failNamed(pos, "Cannot assign to constant '", name.raw);
        case Symbol::ExceptVar: failAt(pos, "Statement expected");
    }
}

void Compiler::withStatement() {
    next();
    std::size_t scopes = 0;
    do {
        const SourcePos pos = here();
        WithScope scope{};
        std::uint32_t steps = 0;
        const Type* type = nullptr;
        const WithScope* outer = nullptr;
        std::uint32_t field = 0;
        const Found* found = tok_.type == Tok::Ident ? find(tok_.text) : nullptr;
        if (tok_.type == Tok::Ident && withField(tok_.text, outer, field)) {
            // A record field of an enclosing with: its place, not a copy.
            next();
            const std::vector<std::uint32_t> temps = outer->temps;
            const Type* fieldType = outer->record->fields[field].type;
            scope.zeroMask = outer->zeroMask;
            for (auto t : temps) emitAt(pos, LOADL, t);
            steps = static_cast<std::uint32_t>(temps.size());
            pushInteger(pos, field);
            bool any = false;
            type = placeKeys(fieldType, steps, scope.zeroMask, any);
        } else if (found != nullptr && found->symbol.kind == Symbol::Var) {
            const Found f = *found;
            next();
            emitRef(pos, f.symbol, f.hops);
            bool any = false;
            type = placeKeys(f.symbol.type, steps, scope.zeroMask, any);
        } else {
            type = expression();
            const std::uint32_t temp = newSlot(DeclaredType::Composite);
            emitAt(pos, STOREL, temp);
            emitAt(pos, REFL, temp);
        }
        if (type == nullptr || type->kind != Type::Record) failAt(pos, "Record type required");
        scope.record = type;
        for (std::uint32_t i = 0; i <= steps; ++i)
            scope.temps.push_back(newSlot(DeclaredType::Variant));
        for (std::uint32_t i = steps + 1; i-- > 0;) emitAt(pos, STOREL, scope.temps[i]);
        if (fs_->withs.size() >= 64) failAt(pos, "Nesting too deep");
        fs_->withs.push_back(std::move(scope));
        ++scopes;
    } while (accept(Tok::Comma));
    expect(Tok::Do);
    statement();
    for (std::size_t i = 0; i < scopes; ++i) fs_->withs.pop_back();
}

void Compiler::assignment(const Token& name, const Symbol& target, int hops) {
    (void)name;
    const SourcePos pos = here();
    if (tok_.type != Tok::Assign) expected("':='");
    next();
    const std::size_t start = proto().code.size();
    convertVariant(pos, expression(), target.type);
    // "v := v + x" appends in place: worth it for strings built in loops. Only when nothing
    // between the load and the '+' can reach v (no calls).
    auto& code = proto().code;
    if (target.type != nullptr && target.type->maxLength > 0) {
        shorten(pos, target.type);
        emitStore(pos, target, hops);
        return;
    }
    const bool simpleTarget =
        !target.byRef && (hops == 0 || target.mainLevel) && code.size() > start + 1 &&
        code[start] == (static_cast<std::uint32_t>(isGlobalFromHere(target) ? LOADG : LOADL) |
                        (target.slot << 8)) &&
        code.back() == ADD;
    if (simpleTarget) {
        // The loaded v must be the left operand of the last '+' and nothing else may touch it:
        // every instruction in between works on values above it.
        bool safe = true;
        int depth = 1;
        for (std::size_t i = start + 1; i < code.size() - 1; i += instructionLength(code[i])) {
            const auto op = static_cast<Op>(code[i] & 0xFF);
            if (op == CALL || op == CALLN || operandsTaken(op) > depth - 1) safe = false;
            depth += stackEffect(op);
        }
        safe = safe && depth == 2;
        if (safe) {
            for (std::size_t i = start + 1; i < code.size() - 1; i += instructionLength(code[i])) {
                const auto op = static_cast<Op>(code[i] & 0xFF);
                if ((op == ANDJ || op == ORJ || op == JMP || op == JMPF || op == JMPT) &&
                    (code[i] >> 8) > start)
                    code[i] -= 1u << 8;
            }
            code.erase(code.begin() + static_cast<std::ptrdiff_t>(start));
            proto().positions.erase(proto().positions.begin() + static_cast<std::ptrdiff_t>(start));
            code.back() = static_cast<std::uint32_t>(isGlobalFromHere(target) ? APPENDG : APPENDL) |
                          (target.slot << 8);
            proto().positions.back() = pos;
            fs_->depth -= 1;
            return;
        }
    }
    emitStore(pos, target, hops);
}

void Compiler::ifStatement() {
    next();
    const SourcePos condition = here();
    expression();
    expect(Tok::Then);
    const std::size_t toElse = emitAt(condition, JMPF);
    statement();
    if (tok_.type == Tok::Else) {
        next();
        const std::size_t toEnd = emit(JMP);
        patch(toElse, label());
        statement();
        patch(toEnd, label());
    } else {
        patch(toElse, label());
    }
}

std::string Compiler::labelName() {
    if (tok_.type == Tok::Int) {
        if (tok_.integer < 0 || tok_.integer > 9999) fail("Label number out of range");
        std::string key = decimal(tok_.integer);
        next();
        return key;
    }
    return identifier();
}

void Compiler::checkGoto(const LabelState& target, const std::vector<std::uint32_t>& from,
                         SourcePos pos) const {
    const std::vector<std::uint32_t>& to = target.structure;
    const bool leads = to.size() > from.size() || !std::equal(to.begin(), to.end(), from.begin());
    for (std::size_t i = 0; i < std::max(to.size(), from.size()); ++i) {
        const bool shared = i < to.size() && i < from.size() && to[i] == from[i];
        if (shared) continue;
        if ((i < to.size() && (to[i] & kTryStructure)) ||
            (i < from.size() && (from[i] & kTryStructure)))
            failNamed(pos, "'GOTO ", target.raw, "' leads into or out of a TRY statement");
    }
    if (leads) failNamed(pos, "'GOTO ", target.raw, "' leads into a loop or a WITH statement");
}

LabelState& Compiler::declaredLabel(SourcePos pos) {
    const Token name = tok_;
    const std::string key = labelName();
    const auto it = fs_->labels.find(key);
    if (it == fs_->labels.end())
        failNamed(pos, "Undeclared label: '", name.type == Tok::Int ? key : name.raw);
    return it->second;
}

void Compiler::gotoStatement() {
    next();
    const SourcePos pos = here();
    LabelState& target = declaredLabel(pos);
    if (target.placed) {
        checkGoto(target, fs_->structure, pos);
        emitAt(pos, JMP, target.target);
        return;
    }
    if (target.pending.size() >= kMaxSlots) fail("Too many jumps");
    target.pending.push_back({emitAt(pos, JMP), pos, fs_->structure});
}

void Compiler::placeLabel() {
    const SourcePos pos = here();
    LabelState& target = declaredLabel(pos);
    expect(Tok::Colon);
    if (target.placed) failNamed(pos, "Label already defined: '", target.raw);
    target.placed = true;
    target.target = label();
    target.structure = fs_->structure;
    for (const auto& jump : target.pending) {
        checkGoto(target, jump.structure, jump.pos);
        patch(jump.at, target.target);
    }
    target.pending.clear();
    statement();
}

void Compiler::whileStatement() {
    next();
    const std::uint32_t top = label();
    const SourcePos condition = here();
    expression();
    expect(Tok::Do);
    const std::size_t toExit = emitAt(condition, JMPF);
    fs_->blocks.push_back({Block::Loop, {}, {}, 0, {}});
    statement();
    Block block = std::move(fs_->blocks.back());
    fs_->blocks.pop_back();
    emitAt(condition, JMP, top);
    for (auto j : block.continues) patch(j, top);
    patch(toExit, label());
    patchHere(block.breaks);
}

void Compiler::repeatStatement() {
    next();
    const std::uint32_t top = label();
    fs_->blocks.push_back({Block::Loop, {}, {}, 0, {}});
    statementList({Tok::Until});
    Block block = std::move(fs_->blocks.back());
    fs_->blocks.pop_back();
    next();
    patchHere(block.continues);
    const SourcePos condition = here();
    expression();
    emitAt(condition, JMPF, top);
    patchHere(block.breaks);
}

void Compiler::forStatement() {
    next();
    const SourcePos varPos = here();
    const Token name = tok_;
    if (tok_.type != Tok::Ident) expected("Identifier");
    next();
    const Found* found = find(name.text);
    if (found == nullptr) undeclared(name);
    if (found->symbol.kind != Symbol::Var || found->symbol.byRef ||
        (found->hops > 0 && !found->symbol.mainLevel))
        failNamed(varPos, "Illegal loop variable '", name.raw);
    if (tok_.type == Tok::In) {
        const Found f = *found;
        forInLoop(name, f, varPos);
        return;
    }
    const Symbol var = found->symbol;
    expect(Tok::Assign);
    expression();
    emitStore(varPos, var);
    bool down = false;
    if (accept(Tok::Downto))
        down = true;
    else
        expect(Tok::To);
    expression();
    const std::uint32_t limit = newSlot(DeclaredType::Variant);
    emit(STOREL, limit);
    const std::uint32_t varWord = var.slot | (isGlobalFromHere(var) ? kGlobalBit : 0u);
    const std::uint32_t limitWord = limit | (down ? kGlobalBit : 0u);
    const SourcePos doPos = here();
    expect(Tok::Do);
    const std::size_t test = emitAt(doPos, FORTEST);
    word(varWord);
    word(limitWord);
    const std::uint32_t body = label();
    fs_->blocks.push_back({Block::Loop, {}, {}, 0, {}});
    statement();
    Block block = std::move(fs_->blocks.back());
    fs_->blocks.pop_back();
    patchHere(block.continues);
    emitAt(doPos, FORSTEP, body);
    word(varWord);
    word(limitWord);
    patch(test, label());
    patchHere(block.breaks);
}

void Compiler::forInLoop(const Token& name, const Found& var, SourcePos varPos) {
    (void)name;
    next();  // in
    const SourcePos pos = here();
    expression();
    const std::uint32_t collection = newSlot(DeclaredType::Variant);
    const std::uint32_t cursor = newSlot(DeclaredType::Variant);
    emitAt(pos, STOREL, collection);
    pushInteger(pos, 0);
    emitAt(pos, STOREL, cursor);
    const SourcePos doPos = here();
    expect(Tok::Do);
    const std::uint32_t top = label();
    const std::size_t test = emitAt(doPos, FORIN);
    word(collection);
    word(cursor);
    emitStore(varPos, var.symbol, var.hops);
    fs_->blocks.push_back({Block::Loop, {}, {}, 0, {}});
    statement();
    Block block = std::move(fs_->blocks.back());
    fs_->blocks.pop_back();
    for (auto j : block.continues) patch(j, top);
    emitAt(doPos, JMP, top);
    patch(test, label());
    patchHere(block.breaks);
}

void Compiler::caseStatement() {
    next();
    expression();
    const std::uint32_t selector = newSlot(DeclaredType::Variant);
    emit(STOREL, selector);
    expect(Tok::Of);
    std::vector<std::size_t> toEnd;
    while (tok_.type != Tok::Else && tok_.type != Tok::End_) {
        std::vector<std::size_t> toBody;
        do {
            const SourcePos pos = here();
            emitAt(pos, LOADL, selector);
            expression();
            if (accept(Tok::DotDot)) {
                expression();
                emitAt(pos, INRANGE);
            } else {
                emitAt(pos, EQ);
            }
            toBody.push_back(emit(JMPT));
        } while (accept(Tok::Comma));
        expect(Tok::Colon);
        const std::size_t toNext = emit(JMP);
        patchHere(toBody);
        statement();
        toEnd.push_back(emit(JMP));
        patch(toNext, label());
        if (!accept(Tok::Semicolon)) break;
    }
    if (accept(Tok::Else)) {
        if (tok_.type != Tok::End_) statementList({Tok::End_});
    }
    expect(Tok::End_);
    patchHere(toEnd);
}

void Compiler::tryStatement() {
    next();
    const std::size_t enter = emit(TRYX);  // turned into TRYF below when it is a finally block
    word(0);
    // Whether this is a finally or an except block shows only after the body, so the body is
    // compiled for either: break, continue and exit inside it leave through a marker and a jump
    // that a finally block sends through its code and an except block straight on (ENDF).
    const std::uint32_t marker = newSlot(DeclaredType::Variant);
    newSlot(DeclaredType::Variant);
    newSlot(DeclaredType::Variant);
    newSlot(DeclaredType::Variant);
    fs_->blocks.push_back({Block::Try, {}, {}, marker, {}});
    statementList({Tok::Except, Tok::Finally});
    Block block = std::move(fs_->blocks.back());
    fs_->blocks.pop_back();
    fs_->structure.back() = newStructure(true);  // the handler is a place of its own
    auto& code = proto().code;
    if (tok_.type == Tok::Finally) {
        next();
        code[enter] = static_cast<std::uint32_t>(TRYF) | (code[enter] & ~0xFFu);
        code[enter + 1] = marker;
        emit(POPH);
        emit(PUSHEMPTY);
        emit(STOREL, marker);
        patch(enter, label());
        patchHere(block.toFinally);
        statementList({Tok::End_});
        next();
        emit(ENDF, marker);
        return;
    }
    next();
    code[enter + 1] = marker + 1;
    emit(POPH);
    const std::size_t toEnd = emit(JMP);
    // Leaving the body by exit, break or continue: no finally code, on to the marked target.
    patchHere(block.toFinally);
    emit(ENDF, marker);
    const std::size_t toEnd2 = emit(JMP);
    patch(enter, label());
    const std::uint32_t slots = marker + 1;
    fs_->handlerSlots.push_back(slots);
    std::vector<std::size_t> handled;
    if (tok_.type == Tok::Ident && tok_.text == "ON") {
        while (tok_.type == Tok::Ident && tok_.text == "ON") {
            next();
            Token varName;
            skipUnitPrefix();
            Token className = tok_;
            if (tok_.type != Tok::Ident) expected("Exception class");
            next();
            if (accept(Tok::Colon)) {
                varName = className;
                skipUnitPrefix();
                className = tok_;
                if (tok_.type != Tok::Ident) expected("Exception class");
                next();
            }
            if (const Type* t = findType(className.text);
                t == nullptr ? className.text.size() < 2 || className.text[0] != 'E'
                             : t->kind != Type::ExceptionClass)
                failAt(posOf(className), t == nullptr
                                             ? "Undeclared identifier: '" + className.raw + "'"
                                             : std::string("Exception class expected"));
            const SourcePos pos = here();
            expect(Tok::Do);
            emitAt(pos, LOADL, slots + 1);
            emitAt(pos, PUSHK, constant(Value(className.text)));
            emitAt(pos, ISCLASS);
            const std::size_t toNext = emitAt(pos, JMPF);
            if (!varName.text.empty()) {
                Symbol e;
                e.kind = Symbol::ExceptVar;
                e.slot = slots;
                fs_->exceptVars.emplace_back(varName.text, e);
            }
            statement();
            if (!varName.text.empty()) fs_->exceptVars.pop_back();
            handled.push_back(emit(JMP));
            patch(toNext, label());
            if (!accept(Tok::Semicolon)) break;
        }
        if (accept(Tok::Else)) {
            if (tok_.type != Tok::End_) statementList({Tok::End_});
            handled.push_back(emit(JMP));
        }
        emit(RERAISE, slots);
    } else if (tok_.type != Tok::End_) {
        statementList({Tok::End_});
    }
    expect(Tok::End_);
    fs_->handlerSlots.pop_back();
    patch(toEnd, label());
    patch(toEnd2, label());
    patchHere(handled);
}

void Compiler::exitStatement() {
    const SourcePos pos = here();
    next();
    if (accept(Tok::LParen)) {
        expression();
        expect(Tok::RParen);
        const Symbol* result = lookup("RESULT");
        if (result == nullptr || (!fs_->isMain && fs_->ownName.empty()))
            failAt(pos, "A procedure cannot return a value");
        emitStore(pos, *result);
    }
    leave(Tok::Exit);
}

void Compiler::raiseStatement() {
    const SourcePos pos = here();
    next();
    if (tok_.type != Tok::Ident) {
        if (fs_->handlerSlots.empty())
            failAt(pos, "Re-raising an exception is only allowed in an exception handler");
        emitAt(pos, RERAISE, fs_->handlerSlots.back());
        return;
    }
    skipUnitPrefix();
    const Token className = tok_;
    next();
    if (const Symbol* e = lookup(className.text); e != nullptr && e->kind == Symbol::ExceptVar) {
        emitAt(pos, RERAISE, e->slot);
        return;
    }
    const Type* type = lookup(className.text) == nullptr ? findType(className.text) : nullptr;
    if (type == nullptr) {
        if (lookup(className.text) == nullptr && env_.find(className.text) == nullptr)
            undeclared(className);
        failAt(posOf(className), "Exception class expected");
    }
    if (type->kind != Type::ExceptionClass) failAt(posOf(className), "Exception class expected");
    expect(Tok::Dot);
    if (tok_.type != Tok::Ident || (tok_.text != "CREATE" && tok_.text != "CREATEFMT"))
        expected("'Create'");
    const bool formatted = tok_.text == "CREATEFMT";
    const Token creator = tok_;
    next();
    if (formatted) {
        const Environment::Entry* format = env_.find("FORMAT");
        if (format == nullptr || format->isConstant)
            failAt(posOf(creator), "Format is not available");
        Token formatName = creator;
        formatName.text = "FORMAT";
        formatName.raw = "Format";
        callNative(formatName, *format, true);
    } else {
        expect(Tok::LParen);
        expression();
        expect(Tok::RParen);
    }
    emitAt(pos, RAISE, constant(Value(className.raw)));
}

// Leaves the innermost loop (break, continue) or the routine (exit) through every try block in
// between: an except block's handler is popped, a finally block's code runs first.
void Compiler::leave(Tok kind) {
    for (std::size_t i = fs_->blocks.size(); i-- > 0;) {
        if (fs_->blocks[i].kind == Block::Loop) {
            if (kind == Tok::Exit) continue;
            const std::size_t j = emit(JMP);
            (kind == Tok::Break ? fs_->blocks[i].breaks : fs_->blocks[i].continues).push_back(j);
            return;
        }
        emit(POPH);
        const std::size_t mark = emit(PUSHI);
        emit(STOREL, fs_->blocks[i].marker);
        fs_->blocks[i].toFinally.push_back(emit(JMP));
        patch(mark, label());
    }
    if (kind != Tok::Exit)
        fail(std::string(kind == Tok::Break ? "BREAK" : "CONTINUE") + " outside of a loop");
    fs_->exitJumps.push_back(emit(JMP));
}

}  // namespace qbx::scripting::pascal::detail
