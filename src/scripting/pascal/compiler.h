// The compiler's inner parts, shared by its source files: declarations (compiler.cpp), types
// (compiler_types.cpp), statements and expressions. Single pass: recursive descent straight to
// code, one Proto per routine. Every name is resolved here: the script's own, then the
// Environment's; a name found in neither is a compile error. The Environment's entries are still
// looked up by name when the run reaches them, so constants refreshed between runs are seen.
#pragma once

#include <algorithm>
#include <deque>
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

// What the compiler knows of a type; values stay dynamically typed at run time, so this serves
// field indices, bounds, element types for default values and ordinal ranges.
struct Type {
    enum Kind {
        Scalar,
        StaticArray,
        DynArray,
        OpenArray,
        Record,
        Set,
        ExceptionClass
    } kind = Scalar;
    DeclaredType declared = DeclaredType::Variant;
    bool ordinal = false;  // Low, High, Succ, Pred, case, sets and array bounds accept it
    bool isChar = false;
    bool isBoolean = false;
    bool isString = false;
    bool isDate = false;   // TDateTime, TDate, TTime: a Double that a Variant keeps as a date
    std::int64_t low = 0;  // ordinal range; a static array's index range
    std::int64_t high = 0;
    const Type* element = nullptr;  // arrays: element; sets: member
    const Type* index = nullptr;    // static arrays: the index type
    struct Field {
        std::string name;  // upper-cased
        const Type* type;
    };
    std::vector<Field> fields;
    std::uint16_t depth = 0;      // arrays and records nested, this one included
    std::uint32_t maxLength = 0;  // string[N]: N
    std::string name;             // for messages
    bool objectClass = false;     // a class of the environment's objects (Variant cells)
};

struct Symbol {
    enum Kind { Var, Const, Routine, ExceptVar, Literal } kind = Var;
    std::uint32_t slot = 0;   // Var, Const, ExceptVar
    bool byRef = false;       // Var: a var parameter
    bool mainLevel = false;   // declared by the program itself, not a routine
    std::uint32_t proto = 0;  // Routine
    int level = 0;            // Routine: 1 declared by the program, 2 inside a routine, ...
    const Type* type = nullptr;
    Value literal;  // Literal: a constant known while compiling (enumeration values, const N = 5)
};

struct Block {
    enum Kind { Loop, Try } kind;
    std::vector<std::size_t> breaks;
    std::vector<std::size_t> continues;
    std::uint32_t marker = 0;            // Try: where a leaving jump notes its target
    std::vector<std::size_t> toFinally;  // Try: leaving jumps, patched to the finally code
};

struct WithScope {
    const Type* record;
    std::vector<std::uint32_t> temps;  // the reference, then the keys of the record's place
    std::uint32_t zeroMask;
};

// A label of a routine: where it stands, and the gotos that reach it before it is placed. A
// structure path lists the loops, with statements and try parts around a place, outermost first.
struct LabelState {
    bool placed = false;
    std::uint32_t target = 0;
    std::vector<std::uint32_t> structure;
    struct Jump {
        std::size_t at;
        SourcePos pos;
        std::vector<std::uint32_t> structure;
    };
    std::vector<Jump> pending;
    std::string raw;  // as declared, for messages
};

// Structure ids with this bit belong to a try statement, which a goto may neither enter nor leave.
constexpr std::uint32_t kTryStructure = 0x80000000u;

struct FuncState {
    std::uint32_t proto = 0;
    bool isMain = false;
    FuncState* parent = nullptr;
    int level = 0;
    std::unordered_map<std::string, const Type*> types;
    std::vector<WithScope> withs;
    std::string ownName;  // a function's name: assigning to it sets Result
    std::unordered_map<std::string, Symbol> locals;
    std::vector<std::pair<std::string, Symbol>> exceptVars;
    std::vector<Block> blocks;
    std::vector<std::size_t> exitJumps;
    std::vector<std::uint32_t> handlerSlots;  // innermost except handler, for a bare raise
    std::unordered_map<std::string, LabelState> labels;
    std::vector<std::uint32_t> structure;  // the structure path of the code being compiled
    int depth = 0;
};

DeclaredType typeByName(const std::string& upper, bool& known);
// The units a script may name before a library name: the library's and the host's.
bool isLibraryUnit(const std::string& upper);
int stackEffect(Op op);
// How many values below the top an expression instruction reads.
int operandsTaken(Op op);
std::size_t instructionLength(std::uint32_t word);

// A place assignments and var arguments reach: a variable, or a path of keys from one whose
// reference and keys wait in temporary slots.
struct Address {
    Symbol symbol;
    int hops = 0;
    std::vector<std::uint32_t> temps;  // empty for a plain variable
    std::uint32_t steps = 0;
    std::uint32_t zeroMask = 0;
    const Type* type = nullptr;
};

struct Found {
    Symbol symbol;
    int hops = 0;  // routine levels up from the one being compiled (0: its own)
};

class Compiler {
public:
    Compiler(std::string_view source, const Environment& environment, Program& program)
        : lex_(source), limits_(environment.limits), env_(environment), prog_(program) {}

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
        const Found* f = find(name);
        return f ? &f->symbol : nullptr;
    }
    // The script's own name, innermost routine first; the result lives until the next call.
    [[gnu::noinline]] const Found* find(const std::string& name) const {
        for (auto it = fs_->exceptVars.rbegin(); it != fs_->exceptVars.rend(); ++it)
            if (it->first == name) return &(found_ = Found{it->second, 0});
        int hops = 0;
        for (const FuncState* f = fs_; f != nullptr; f = f->parent, ++hops)
            if (auto it = f->locals.find(name); it != f->locals.end())
                return &(found_ = Found{it->second, hops});
        return nullptr;
    }
    const Type* findType(const std::string& name) const;
    // A record type the environment registered, made on its first use.
    const Type* environmentRecord(const std::string& name) const;
    void declare(const Token& at, const std::string& name, Symbol s) {
        if ((!fs_->labels.empty() && fs_->labels.count(name) > 0) ||
            !fs_->locals.emplace(name, s).second)
            failAt({static_cast<std::uint32_t>(at.line), static_cast<std::uint32_t>(at.column)},
                   "Identifier redeclared: '" + at.raw + "'");
    }
    bool isGlobalFromHere(const Symbol& s) const { return s.mainLevel && !fs_->isMain; }
    // Variables of an enclosing routine are reached through the frames' static links.
    void emitUp(SourcePos pos, Op op, const Symbol& s, int hops) {
        emitAt(pos, op, s.slot);
        word(static_cast<std::uint32_t>(hops) | (s.byRef ? kGlobalBit : 0u));
    }
    void emitLoad(SourcePos pos, const Symbol& s, int hops = 0) {
        if (hops > 0 && !s.mainLevel) {
            emitUp(pos, LOADU, s, hops);
            lastVarLoad_ = SIZE_MAX;
        } else if (s.byRef) {
            lastVarLoad_ = emitAt(pos, LOADR, s.slot);
        } else {
            const std::size_t at = emitAt(pos, isGlobalFromHere(s) ? LOADG : LOADL, s.slot);
            lastVarLoad_ = s.kind == Symbol::Var ? at : SIZE_MAX;
        }
    }
    void emitStore(SourcePos pos, const Symbol& s, int hops = 0) {
        if (hops > 0 && !s.mainLevel)
            emitUp(pos, STOREU, s, hops);
        else
            emitAt(pos, s.byRef ? STORER : (isGlobalFromHere(s) ? STOREG : STOREL), s.slot);
    }
    void emitRef(SourcePos pos, const Symbol& s, int hops = 0) {
        if (hops > 0 && !s.mainLevel)
            emitUp(pos, REFU, s, hops);
        else if (s.byRef)
            emitAt(pos, PASSR, s.slot);
        else
            emitAt(pos, isGlobalFromHere(s) ? REFG : REFL, s.slot);
    }

    // ---- declarations
    void declarations();
    [[gnu::noinline]] void varSection();
    [[gnu::noinline]] void constSection();
    [[gnu::noinline]] void typeSection();
    [[gnu::noinline]] void routine(bool isFunction);
    [[gnu::noinline]] void labelSection();
    void checkLabelsPlaced();
    std::uint32_t declareVariable(const Token& name, const Type* type);

    // ---- types (compiler_types.cpp)
    const Type* typeRef(bool inParameter = false);
    const Type* structuredType(const std::string& name);
    const Type* recordType(const std::string& name);
    const Type* exceptionClass(const Token& name);
    Type* newType(Type::Kind kind);
    std::uint32_t cellOf(const Type* type);
    Value initialValue(const Type* type);
    const Type* builtinType(const std::string& upper) const;
    std::int64_t constInteger(const Type** type = nullptr);
    Value constValue(const Type** type = nullptr);
    Value constTerm(const Type** type);
    Value constFactor(const Type** type);
    bool tryConstant(Value& value, const Type*& type);
    Value typedConstant(const Type* type);
    void constantInitialiser(const Type* type);
    const Type* intType() const { return builtinType("INTEGER"); }

    // ---- places (compiler_types.cpp)
    const Type* selectors(const Type* type);
    const Type* placeKeys(const Type* type, std::uint32_t& steps, std::uint32_t& zeroMask,
                          bool& any);
    Address address(const Token& name, const Found& found);
    Address withAddress(const WithScope& scope, std::uint32_t field);
    void loadAddress(SourcePos pos, const Address& a);
    void beginStore(SourcePos pos, const Address& a);
    void endStore(SourcePos pos, const Address& a);
    bool withField(const std::string& name, const WithScope*& scope, std::uint32_t& field) const;
    bool intrinsic(const Token& name, bool wantValue, const Type*& result);
    const Type* argumentAddress(Address& out);
    void openArrayArgument();

    // ---- statements
    void statement();
    [[gnu::noinline]] void statementList(std::initializer_list<Tok> terminators);
    [[gnu::noinline]] void identStatement();
    [[gnu::noinline]] void assignment(const Token& name, const Symbol& target, int hops);
    [[gnu::noinline]] void ifStatement();
    [[gnu::noinline]] void whileStatement();
    [[gnu::noinline]] void repeatStatement();
    [[gnu::noinline]] void forStatement();
    [[gnu::noinline]] void caseStatement();
    [[gnu::noinline]] void tryStatement();
    [[gnu::noinline]] void raiseStatement();
    [[gnu::noinline]] void exitStatement();
    [[gnu::noinline]] void leave(Tok kind);
    [[gnu::noinline]] void withStatement();
    [[gnu::noinline]] void gotoStatement();
    [[gnu::noinline]] void placeLabel();
    std::string labelName();
    // The label named at hand, read past; an undeclared one fails at pos.
    LabelState& declaredLabel(SourcePos pos);
    void checkGoto(const LabelState& label, const std::vector<std::uint32_t>& from,
                   SourcePos pos) const;
    // Marks the statement compiled meanwhile as a structure a goto may not enter.
    struct StructureGuard {
        StructureGuard(Compiler& c, bool isTry) : compiler(c) {
            compiler.fs_->structure.push_back(compiler.newStructure(isTry));
        }
        ~StructureGuard() { compiler.fs_->structure.pop_back(); }
        Compiler& compiler;
    };
    std::uint32_t newStructure(bool isTry) {
        return (++structures_ & ~kTryStructure) | (isTry ? kTryStructure : 0u);
    }
    [[gnu::noinline]] void forInLoop(const Token& name, const Found& var, SourcePos varPos);

    // ---- expressions: each gives the static type of its value where one is known
    const Type* expression();
    const Type* simpleExpression();
    const Type* term();
    const Type* factor();
    bool variantOperands(SourcePos pos, Op op, const Type* left, const Type* right);
    // A Variant stored into a variable or passed for a parameter of another type converts.
    void convertVariant(SourcePos pos, const Type* source, const Type* target);
    [[gnu::noinline]] const Type* identFactor();
    [[gnu::noinline]] void setConstructor();
    [[gnu::noinline]] const Type* typeCast(const Token& name, const Type* target);
    void shorten(SourcePos pos, const Type* target) {
        if (target != nullptr && target->maxLength > 0) emitAt(pos, SHORTEN, target->maxLength);
    }
    [[gnu::noinline]] void exceptionMember(SourcePos pos, std::uint32_t slot,
                                           const std::string& variable);
    [[gnu::noinline]] const Type* callRoutine(const Token& name, const Symbol& routine,
                                              bool wantValue);
    [[gnu::noinline]] void callNative(const Token& name, const Environment::Entry& entry,
                                      bool wantValue, std::uint32_t pushed = 0);
    // ".Member" after an object of the environment's class (pushed) or the class name itself;
    // a statement may assign to the member.
    [[gnu::noinline]] void objectMember(const Type* cls, bool pushed, bool wantValue);
    // "SysUtils.IntToStr": steps over the unit names before a library name.
    bool unitQualified(Token& name);
    // "SysUtils.Exception" where a type is named: steps over the unit names before it.
    void skipUnitPrefix();
    // Whether the type name at hand starts a cast, "Exception(E)", rather than standing alone.
    bool castFollows() {
        const Lexer savedLexer = lex_;
        const Token savedToken = tok_;
        const SourcePos savedEnd = prevEnd_;
        next();
        const bool cast = tok_.type == Tok::LParen;
        lex_ = savedLexer;
        tok_ = savedToken;
        prevEnd_ = savedEnd;
        return cast;
    }
    [[noreturn]] void undeclared(const Token& name) const {
        failAt(posOf(name), "Undeclared identifier: '" + name.raw + "'");
    }
    static SourcePos posOf(const Token& t) {
        return {static_cast<std::uint32_t>(t.line), static_cast<std::uint32_t>(t.column)};
    }
    bool argumentAsReference(std::size_t start);

    Lexer lex_;
    Token tok_;
    SourcePos prevEnd_{1, 1};
    const Limits& limits_;
    const Environment& env_;
    Program& prog_;
    mutable Found found_;
    std::deque<Type> typeStore_;
    mutable std::deque<Type> environmentTypeStore_;
    mutable std::unordered_map<std::string, const Type*> environmentTypes_;
    std::unordered_map<const Type*, std::uint32_t> cells_;  // Program::cells entry of a type
    std::size_t templateCells_ = 0;
    std::unordered_map<std::uint32_t, const Type*> resultTypes_;  // function proto -> type
    std::unordered_map<std::uint32_t, std::vector<const Type*>> paramTypes_;
    struct Forward {
        std::vector<std::pair<std::string, Symbol>> params;
        SourcePos pos;
        const FuncState* scope;
    };
    std::unordered_map<std::uint32_t, Forward> forwards_;  // declared, body still to come
    FuncState main_;
    FuncState* fs_ = &main_;
    int nesting_ = 0;
    std::uint32_t structures_ = 0;
    std::size_t lastVarLoad_ = SIZE_MAX;
    std::unordered_map<std::string, std::uint32_t> nameIndex_;
};

}  // namespace qbx::scripting::pascal::detail
