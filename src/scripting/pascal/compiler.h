// The compiler's inner parts, shared by its three source files: declarations (compiler.cpp),
// statements and expressions. Single pass: recursive descent straight to code, one Proto per
// routine. Names the script declares are resolved here; every other name is late-bound and
// resolved against the Environment when the run reaches it.
#pragma once

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/text.h"
#include "scripting/pascal/code.h"
#include "scripting/pascal/lexer.h"

namespace qbx::scripting::pascal::detail {

constexpr std::size_t kMaxCodeWords = 1u << 23;  // jump targets fit the 24-bit operand
constexpr std::size_t kMaxSlots = 1u << 16;
constexpr std::size_t kMaxConstants = 1u << 23;
constexpr int kMaxParams = 64;

struct Symbol {
    enum Kind { Var, Const, Routine, ExceptVar } kind = Var;
    std::uint32_t slot = 0;   // Var, Const, ExceptVar
    bool byRef = false;       // Var: a var parameter
    bool mainLevel = false;   // declared by the program itself, not a routine
    std::uint32_t proto = 0;  // Routine
};

struct Block {
    enum Kind { Loop, Try } kind;
    std::vector<std::size_t> breaks;
    std::vector<std::size_t> continues;
    std::uint32_t marker = 0;            // Try: where a leaving jump notes its target
    std::vector<std::size_t> toFinally;  // Try: leaving jumps, patched to the finally code
};

struct FuncState {
    std::uint32_t proto = 0;
    bool isMain = false;
    std::string ownName;  // a function's name: assigning to it sets Result
    std::unordered_map<std::string, Symbol> locals;
    std::vector<std::pair<std::string, Symbol>> exceptVars;
    std::vector<Block> blocks;
    std::vector<std::size_t> exitJumps;
    std::vector<std::uint32_t> handlerSlots;  // innermost except handler, for a bare raise
    int depth = 0;
};

DeclaredType typeByName(const std::string& upper, bool& known);
int stackEffect(Op op);
// How many values below the top an expression instruction reads.
int operandsTaken(Op op);
std::size_t instructionLength(std::uint32_t word);

class Compiler {
public:
    Compiler(std::string_view source, const Limits& limits, Program& program)
        : lex_(source), limits_(limits), prog_(program) {}

    void compileProgram();
    void compileExpressionScript();
    void compileStatementScript();

private:
    // ---- tokens
    [[gnu::noinline]] void next() {
        prevEnd_ = {static_cast<std::uint32_t>(tok_.line), static_cast<std::uint32_t>(tok_.column)};
        tok_ = lex_.next();
    }
    SourcePos here() const {
        return {static_cast<std::uint32_t>(tok_.line), static_cast<std::uint32_t>(tok_.column)};
    }
    [[noreturn, gnu::noinline, gnu::cold]] void failAt(SourcePos pos,
                                                       const std::string& message) const {
        throw CompileError{static_cast<int>(pos.line), static_cast<int>(pos.column), message,
                           tok_.offset};
    }
    // Message building kept out of the recursive parsing functions: their frames stay small.
    [[noreturn, gnu::noinline, gnu::cold]] void failNamed(SourcePos pos, const char* before,
                                                          const std::string& name,
                                                          const char* after = "'") const {
        failAt(pos, before + name + after);
    }
    [[noreturn, gnu::noinline, gnu::cold]] void failVariableRequired(
        SourcePos pos, std::uint32_t parameter, const std::string& name) const {
        failAt(pos, "Variable required for parameter " + decimal(parameter) + " of '" + name + "'");
    }
    [[noreturn, gnu::noinline, gnu::cold]] void fail(const std::string& message) const {
        failAt(here(), message);
    }
    [[noreturn, gnu::noinline, gnu::cold]] void expected(std::string_view what) const {
        fail(std::string(what) + " expected but " + std::string(tokenName(tok_.type)) + " found");
    }
    [[gnu::noinline]] void expect(Tok t) {
        if (tok_.type != t) expected(tokenName(t));
        next();
    }
    bool accept(Tok t) {
        if (tok_.type != t) return false;
        next();
        return true;
    }
    // "a, b, c": the names of one declaration, as tokens for their positions.
    std::vector<Token> identifierList() {
        std::vector<Token> names;
        do {
            if (tok_.type != Tok::Ident) expected("Identifier");
            names.push_back(tok_);
            next();
        } while (accept(Tok::Comma));
        return names;
    }
    [[gnu::noinline]] std::string identifier() {
        if (tok_.type != Tok::Ident) expected("Identifier");
        std::string name = tok_.text;
        next();
        return name;
    }
    struct NestingGuard {
        explicit NestingGuard(Compiler& c) : compiler(c) {
            if (++compiler.nesting_ > compiler.limits_.maxNesting)
                compiler.fail("Nesting too deep");
        }
        ~NestingGuard() { --compiler.nesting_; }
        Compiler& compiler;
    };

    // ---- code
    Proto& proto() { return prog_.protos[fs_->proto]; }
    [[gnu::noinline]] std::size_t emitAt(SourcePos pos, Op op, std::uint32_t a = 0) {
        Proto& p = proto();
        if (p.code.size() >= kMaxCodeWords) fail("Script too large");
        p.code.push_back(static_cast<std::uint32_t>(op) | (a << 8));
        p.positions.push_back(pos);
        adjustDepth(stackEffect(op));
        return p.code.size() - 1;
    }
    std::size_t emit(Op op, std::uint32_t a = 0) { return emitAt(here(), op, a); }
    [[gnu::noinline]] void word(std::uint32_t w) {
        proto().code.push_back(w);
        proto().positions.push_back(proto().positions.back());
    }
    void adjustDepth(int delta) {
        fs_->depth += delta;
        proto().maxOperands =
            std::max(proto().maxOperands, static_cast<std::uint32_t>(std::max(fs_->depth, 0)));
    }
    std::uint32_t label() const {
        return static_cast<std::uint32_t>(prog_.protos[fs_->proto].code.size());
    }
    void patch(std::size_t at, std::uint32_t target) {
        auto& w = proto().code[at];
        w = (w & 0xFFu) | (target << 8);
    }
    void patchHere(const std::vector<std::size_t>& jumps) {
        for (auto j : jumps) patch(j, label());
    }
    [[gnu::noinline]] std::uint32_t constant(Value v) {
        auto& k = proto().constants;
        if (k.size() >= kMaxConstants) fail("Script too large");
        k.push_back(std::move(v));
        return static_cast<std::uint32_t>(k.size() - 1);
    }
    [[gnu::noinline]] void pushInteger(SourcePos pos, std::int64_t v) {
        if (v >= -(1 << 23) && v < (1 << 23))
            emitAt(pos, PUSHI, static_cast<std::uint32_t>(v) & 0xFFFFFFu);
        else
            emitAt(pos, PUSHK, constant(Value(v)));
    }
    std::uint32_t newSlot(DeclaredType type) {
        auto& slots = proto().slotTypes;
        if (slots.size() >= kMaxSlots) fail("Too many variables");
        slots.push_back(type);
        return static_cast<std::uint32_t>(slots.size() - 1);
    }
    [[gnu::noinline]] std::uint32_t nameIndex(const Token& t) {
        const auto [it, added] =
            nameIndex_.emplace(t.text, static_cast<std::uint32_t>(prog_.names.size()));
        if (added) {
            if (prog_.names.size() >= kMaxConstants) fail("Script too large");
            prog_.names.push_back(t.text);
            prog_.displayNames.push_back(t.raw);
        }
        return it->second;
    }

    // ---- names
    [[gnu::noinline]] const Symbol* lookup(const std::string& name) const {
        for (auto it = fs_->exceptVars.rbegin(); it != fs_->exceptVars.rend(); ++it)
            if (it->first == name) return &it->second;
        if (auto it = fs_->locals.find(name); it != fs_->locals.end()) return &it->second;
        if (!fs_->isMain)
            if (auto it = main_.locals.find(name); it != main_.locals.end()) return &it->second;
        return nullptr;
    }
    void declare(const Token& at, const std::string& name, Symbol s) {
        if (!fs_->locals.emplace(name, s).second)
            failAt({static_cast<std::uint32_t>(at.line), static_cast<std::uint32_t>(at.column)},
                   "Identifier redeclared: '" + at.raw + "'");
    }
    bool isGlobalFromHere(const Symbol& s) const { return s.mainLevel && !fs_->isMain; }
    void emitLoad(SourcePos pos, const Symbol& s) {
        if (s.byRef) {
            lastVarLoad_ = emitAt(pos, LOADR, s.slot);
        } else {
            const std::size_t at = emitAt(pos, isGlobalFromHere(s) ? LOADG : LOADL, s.slot);
            lastVarLoad_ = s.kind == Symbol::Var ? at : SIZE_MAX;
        }
    }
    void emitStore(SourcePos pos, const Symbol& s) {
        emitAt(pos, s.byRef ? STORER : (isGlobalFromHere(s) ? STOREG : STOREL), s.slot);
    }

    // ---- declarations
    DeclaredType typeName();
    void declarations(bool allowRoutines);
    [[gnu::noinline]] void varSection();
    [[gnu::noinline]] void constSection();
    [[gnu::noinline]] void routine(bool isFunction);

    // ---- statements
    void statement();
    [[gnu::noinline]] void statementList(std::initializer_list<Tok> terminators);
    [[gnu::noinline]] void identStatement();
    [[gnu::noinline]] void assignment(const Token& name, const Symbol& target);
    [[gnu::noinline]] void ifStatement();
    [[gnu::noinline]] void whileStatement();
    [[gnu::noinline]] void repeatStatement();
    [[gnu::noinline]] void forStatement();
    [[gnu::noinline]] void caseStatement();
    [[gnu::noinline]] void tryStatement();
    [[gnu::noinline]] void raiseStatement();
    [[gnu::noinline]] void exitStatement();
    [[gnu::noinline]] void leave(Tok kind);

    // ---- expressions
    void expression();
    void simpleExpression();
    void term();
    void factor();
    [[gnu::noinline]] void identFactor();
    [[gnu::noinline]] void exceptionMember(SourcePos pos, std::uint32_t slot,
                                           const std::string& variable);
    [[gnu::noinline]] void callRoutine(const Token& name, const Symbol& routine, bool wantValue);
    [[gnu::noinline]] void callLateBound(const Token& name, bool wantValue);
    bool argumentAsReference(std::size_t start);

    Lexer lex_;
    Token tok_;
    SourcePos prevEnd_{1, 1};
    const Limits& limits_;
    Program& prog_;
    FuncState main_;
    FuncState* fs_ = &main_;
    int nesting_ = 0;
    std::size_t lastVarLoad_ = SIZE_MAX;
    std::unordered_map<std::string, std::uint32_t> nameIndex_;
};

}  // namespace qbx::scripting::pascal::detail
