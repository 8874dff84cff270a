// Types, constants known while compiling, and places (variables with their index and field
// paths) for assignments, var arguments and the routines the compiler handles itself.
#include <limits>

#include "scripting/pascal/compiler.h"

namespace qbx::scripting::pascal::detail {

namespace {

// Thrown while trying a constant expression: the text is compiled as code instead.
struct NotConstant {};

constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

bool isIntegerDeclared(DeclaredType t) {
    switch (t) {
        case DeclaredType::Integer:
        case DeclaredType::Cardinal:
        case DeclaredType::Int64:
        case DeclaredType::Byte:
        case DeclaredType::Word: return true;
        default: return false;
    }
}

Value scalarDefault(DeclaredType t) {
    if (isIntegerDeclared(t)) return Value(std::int64_t{0});
    if (t == DeclaredType::Double) return Value(0.0);
    if (t == DeclaredType::Boolean) return Value(false);
    if (t == DeclaredType::UInt64) return Value::unsignedInteger(0);
    return Value();
}

// The library's exception classes and their parents, as Delphi's SysUtils arranges them.
const std::pair<std::string_view, std::string_view> kLibraryClasses[] = {
    {"EXCEPTION", ""},
    {"EEXTERNAL", "EXCEPTION"},
    {"EINTERROR", "EEXTERNAL"},
    {"EDIVBYZERO", "EINTERROR"},
    {"ERANGEERROR", "EINTERROR"},
    {"EINTOVERFLOW", "EINTERROR"},
    {"EMATHERROR", "EEXTERNAL"},
    {"EZERODIVIDE", "EMATHERROR"},
    {"EOVERFLOW", "EMATHERROR"},
    {"EUNDERFLOW", "EMATHERROR"},
    {"EINVALIDOP", "EMATHERROR"},
    {"ECONVERTERROR", "EXCEPTION"},
    {"EVARIANTERROR", "EXCEPTION"},
    {"EVARIANTTYPECASTERROR", "EVARIANTERROR"},
    {"EVARIANTOVERFLOWERROR", "EVARIANTERROR"},
    {"EOSERROR", "EXCEPTION"},
    {"EINOUTERROR", "EXCEPTION"},
    {"EREGISTRYEXCEPTION", "EXCEPTION"},
    {"EARGUMENTEXCEPTION", "EXCEPTION"},
    {"EARGUMENTOUTOFRANGEEXCEPTION", "EARGUMENTEXCEPTION"},
    {"ENOTSUPPORTEDEXCEPTION", "EXCEPTION"},
    {"EABORT", "EXCEPTION"},
    {"EASSERTIONFAILED", "EXCEPTION"},
    {"EINVALIDCAST", "EXCEPTION"},
    {"ELISTERROR", "EXCEPTION"},
};

// The predefined types, made once and shared by every compilation: nothing writes to them.
const std::unordered_map<std::string, const Type*>& builtinTable() {
    struct Table {
        std::deque<Type> store;
        std::unordered_map<std::string, const Type*> map;
    };
    static Table table;
    static const bool filled = [] {
        std::deque<Type>* store = &table.store;
        std::unordered_map<std::string, const Type*>* map = &table.map;
        struct Row {
            std::initializer_list<std::string_view> names;
            DeclaredType declared;
            bool ordinal;
            std::int64_t low, high;
        };
        const Row rows[] = {
            {{"INTEGER", "LONGINT"}, DeclaredType::Integer, true, -2147483648LL, 2147483647LL},
            {{"CARDINAL", "LONGWORD", "DWORD"}, DeclaredType::Cardinal, true, 0, 4294967295LL},
            {{"INT64", "NATIVEINT"}, DeclaredType::Int64, true, kInt64Min, kInt64Max},
            {{"NATIVEUINT"}, DeclaredType::Int64, true, 0, kInt64Max},
            {{"BYTE"}, DeclaredType::Byte, true, 0, 255},
            {{"WORD"}, DeclaredType::Word, true, 0, 65535},
            {{"SHORTINT"}, DeclaredType::Integer, true, -128, 127},
            {{"SMALLINT"}, DeclaredType::Integer, true, -32768, 32767},
            {{"DOUBLE", "EXTENDED", "REAL", "SINGLE", "CURRENCY", "COMP"},
             DeclaredType::Double,
             false,
             0,
             0},
            {{"TDATETIME", "TDATE", "TTIME"}, DeclaredType::Double, false, 0, 0},
            {{"STRING", "ANSISTRING", "SHORTSTRING", "WIDESTRING", "UNICODESTRING", "RAWBYTESTRING",
              "UTF8STRING"},
             DeclaredType::String,
             false,
             0,
             0},
            {{"CHAR", "ANSICHAR", "WIDECHAR"}, DeclaredType::Char, true, 0, 255},
            {{"BOOLEAN", "BYTEBOOL", "WORDBOOL", "LONGBOOL"}, DeclaredType::Boolean, true, 0, 1},
            {{"VARIANT", "OLEVARIANT"}, DeclaredType::Variant, false, 0, 0},
            // Its bounds as the bits of a UInt64: 0 .. all ones.
            {{"UINT64", "QWORD"}, DeclaredType::UInt64, true, 0, -1},
        };
        for (const Row& row : rows) {
            Type& t = store->emplace_back();
            t.declared = row.declared;
            t.ordinal = row.ordinal;
            t.low = row.low;
            t.high = row.high;
            t.isChar = row.declared == DeclaredType::Char;
            t.isBoolean = row.declared == DeclaredType::Boolean;
            t.isString = row.declared == DeclaredType::String;
            t.isDate = *row.names.begin() == "TDATETIME";
            t.name = std::string(*row.names.begin());
            for (auto n : row.names) map->emplace(std::string(n), &t);
        }
        for (const auto& [name, parent] : kLibraryClasses) {
            Type& t = store->emplace_back();
            t.kind = Type::ExceptionClass;
            t.name = std::string(name);
            map->emplace(std::string(name), &t);
        }
        return true;
    }();
    (void)filled;
    return table.map;
}

}  // namespace

Type* Compiler::newType(Type::Kind kind) {
    if (typeStore_.size() >= kMaxSlots) fail("Too many types");
    typeStore_.emplace_back();
    typeStore_.back().kind = kind;
    if (kind != Type::Scalar && kind != Type::ExceptionClass)
        typeStore_.back().declared = DeclaredType::Composite;
    return &typeStore_.back();
}

const Type* Compiler::builtinType(const std::string& upper) const {
    const auto& table = builtinTable();
    const auto it = table.find(upper);
    return it == table.end() ? nullptr : it->second;
}

const Type* Compiler::findType(const std::string& name) const {
    for (const FuncState* f = fs_; f != nullptr; f = f->parent)
        if (auto it = f->types.find(name); it != f->types.end()) return it->second;
    if (const Type* builtin = builtinType(name)) return builtin;
    return environmentRecord(name);
}

const Type* Compiler::environmentRecord(const std::string& name) const {
    if (auto it = environmentTypes_.find(name); it != environmentTypes_.end()) return it->second;
    if (env_.isObjectClass(name)) {
        Type& t = environmentTypeStore_.emplace_back();
        t.name = name;
        t.objectClass = true;
        environmentTypes_[name] = &t;
        return &t;
    }
    const auto* fields = env_.findRecordType(name);
    if (fields == nullptr) return nullptr;
    Type& t = environmentTypeStore_.emplace_back();
    t.kind = Type::Record;
    t.declared = DeclaredType::Composite;
    t.name = name;
    t.depth = 1;
    for (const auto& field : *fields) {
        const Type* ft = builtinType(toUpper1251(field.typeName));
        if (ft == nullptr) return nullptr;
        t.fields.push_back({toUpper1251(field.name), ft});
    }
    environmentTypes_[name] = &t;
    return &t;
}

Value Compiler::initialValue(const Type* type) {
    switch (type->kind) {
        case Type::StaticArray: {
            const auto count = static_cast<std::size_t>(type->high - type->low + 1);
            templateCells_ += count;
            if (templateCells_ * sizeof(Value) > limits_.maxStringMemory) fail("Array too large");
            ArrayBox* box = newArrayBox(count, type->low, false, false, type->depth);
            const Value held = Value::array(box);
            const std::uint32_t element = cellOf(type->element);
            for (auto& item : box->items) {
                item.setDeclared(type->element->declared);
                item = prog_.cells[element].init;
            }
            return held;
        }
        case Type::Record: {
            templateCells_ += type->fields.size();
            if (templateCells_ * sizeof(Value) > limits_.maxStringMemory) fail("Array too large");
            ArrayBox* box = newArrayBox(type->fields.size(), 0, false, true, type->depth);
            const Value held = Value::array(box);
            for (std::size_t i = 0; i < type->fields.size(); ++i) {
                const Type* f = type->fields[i].type;
                box->items[i].setDeclared(f->declared);
                box->items[i] = prog_.cells[cellOf(f)].init;
            }
            return held;
        }
        case Type::Set: {
            SetBox* box = newSetBox();
            box->chars = type->element != nullptr && type->element->isChar;
            return Value::set(box);
        }
        case Type::DynArray:
        case Type::OpenArray:
        case Type::ExceptionClass: return Value();
        case Type::Scalar: break;
    }
    // A string field or element starts as '' (one shared empty string), as Delphi's do.
    if (type->isString) return Value(std::string());
    return scalarDefault(type->declared);
}

std::uint32_t Compiler::cellOf(const Type* type) {
    if (auto it = cells_.find(type); it != cells_.end()) return it->second;
    if (prog_.cells.size() >= kMaxConstants) fail("Script too large");
    CellInit cell;
    cell.declared = type->declared;
    cell.init = initialValue(type);
    cell.depth = type->depth;
    prog_.cells.push_back(std::move(cell));
    const auto index = static_cast<std::uint32_t>(prog_.cells.size() - 1);
    cells_.emplace(type, index);
    return index;
}

// ------------------------------------------------------------------ constants

Value Compiler::constValue(const Type** type) {
    NestingGuard guard(*this);
    const Type* lt = nullptr;
    Value v = constTerm(&lt);
    for (;;) {
        const Tok op = tok_.type;
        if (op != Tok::Plus && op != Tok::Minus) break;
        next();
        const Type* rt = nullptr;
        const Value r = constTerm(&rt);
        if (v.isInteger() && r.isInteger()) {
            const auto x = static_cast<std::uint64_t>(v.integer());
            const auto y = static_cast<std::uint64_t>(r.integer());
            v = Value(static_cast<std::int64_t>(op == Tok::Plus ? x + y : x - y));
        } else if (v.isIntegral() && r.isIntegral()) {
            throw NotConstant{};  // a UInt64 is left to the run, which keeps it unsigned
        } else if (v.isNumber() && r.isNumber()) {
            v = Value(op == Tok::Plus ? v.toDouble() + r.toDouble() : v.toDouble() - r.toDouble());
        } else if (v.isString() && r.isString() && op == Tok::Plus) {
            if (v.string().size() + r.string().size() > (1u << 20)) throw NotConstant{};
            v = Value(std::string(v.string()) + std::string(r.string()));
            lt = findType("STRING");
        } else {
            throw NotConstant{};
        }
        if (!v.isString()) lt = nullptr;
    }
    if (type != nullptr) *type = lt;
    return v;
}

Value Compiler::constTerm(const Type** type) {
    Value v = constFactor(type);
    for (;;) {
        const Tok op = tok_.type;
        if (op != Tok::Star && op != Tok::Div && op != Tok::Mod) break;
        next();
        const Value r = constFactor(nullptr);
        if (!v.isInteger() || !r.isInteger()) throw NotConstant{};
        const std::int64_t x = v.integer();
        const std::int64_t y = r.integer();
        if (op == Tok::Star) {
            v = Value(static_cast<std::int64_t>(static_cast<std::uint64_t>(x) *
                                                static_cast<std::uint64_t>(y)));
        } else {
            if (y == 0 || y == -1) throw NotConstant{};
            v = Value(op == Tok::Div ? x / y : x % y);
        }
        if (type != nullptr) *type = nullptr;
    }
    return v;
}

Value Compiler::constFactor(const Type** type) {
    NestingGuard guard(*this);
    if (type != nullptr) *type = nullptr;
    switch (tok_.type) {
        case Tok::Int: {
            const Value v = tok_.isUnsigned
                                ? Value::unsignedInteger(static_cast<std::uint64_t>(tok_.integer))
                                : Value(tok_.integer);
            next();
            return v;
        }
        case Tok::Float: {
            const Value v(tok_.real);
            next();
            return v;
        }
        case Tok::String: {
            const Value v(tok_.text);
            if (type != nullptr) *type = findType(tok_.text.size() == 1 ? "CHAR" : "STRING");
            next();
            return v;
        }
        case Tok::True:
        case Tok::False: {
            const Value v(tok_.type == Tok::True);
            if (type != nullptr) *type = findType("BOOLEAN");
            next();
            return v;
        }
        case Tok::Minus: {
            next();
            const Value v = constFactor(nullptr);
            if (v.isInteger())
                return Value(
                    static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(v.integer())));
            if (v.kind() == Kind::Double) return Value(-v.real());
            throw NotConstant{};
        }
        case Tok::Plus: next(); return constFactor(type);
        case Tok::LParen: {
            next();
            Value v = constValue(type);
            if (tok_.type != Tok::RParen) throw NotConstant{};
            next();
            return v;
        }
        case Tok::Ident: {
            const Symbol* s = lookup(tok_.text);
            if (s != nullptr && s->kind == Symbol::Literal) {
                if (type != nullptr) *type = s->type;
                Value v = s->literal;
                next();
                return v;
            }
            if (s != nullptr) throw NotConstant{};
            const std::string fn = tok_.text;
            if (fn != "ORD" && fn != "CHR" && fn != "LOW" && fn != "HIGH" && fn != "SUCC" &&
                fn != "PRED")
                throw NotConstant{};
            next();
            if (tok_.type != Tok::LParen) throw NotConstant{};
            next();
            Value v;
            if ((fn == "LOW" || fn == "HIGH") && tok_.type == Tok::Ident &&
                lookup(tok_.text) == nullptr) {
                const Type* t = findType(tok_.text);
                if (t == nullptr) throw NotConstant{};
                next();
                if (t->kind == Type::StaticArray) t = t->index;
                if (t == nullptr || !t->ordinal) throw NotConstant{};
                const std::int64_t n = fn == "LOW" ? t->low : t->high;
                if (t->isChar)
                    v = Value(std::string(1, static_cast<char>(n)));
                else if (t->isBoolean)
                    v = Value(n != 0);
                else
                    v = Value(n);
                if (type != nullptr) *type = t;
            } else {
                const Type* at = nullptr;
                v = constValue(&at);
                std::int64_t n = 0;
                if (v.isInteger())
                    n = v.integer();
                else if (v.isString() && v.string().size() == 1)
                    n = static_cast<unsigned char>(v.string()[0]);
                else if (v.kind() == Kind::Boolean)
                    n = v.boolean() ? 1 : 0;
                else
                    throw NotConstant{};
                if (fn == "ORD") {
                    v = Value(n);
                } else if (fn == "CHR") {
                    v = Value(std::string(1, static_cast<char>(n)));
                    if (type != nullptr) *type = findType("CHAR");
                } else {
                    if (!v.isInteger() || (at != nullptr && at->isBoolean)) throw NotConstant{};
                    v = Value(n + (fn == "SUCC" ? 1 : -1));
                    if (type != nullptr) *type = at;
                }
            }
            if (tok_.type != Tok::RParen) throw NotConstant{};
            next();
            return v;
        }
        default: throw NotConstant{};
    }
}

bool Compiler::tryConstant(Value& value, const Type*& type) {
    const Lexer savedLexer = lex_;
    const Token savedToken = tok_;
    const SourcePos savedEnd = prevEnd_;
    try {
        value = constValue(&type);
        if (tok_.type == Tok::Semicolon || tok_.type == Tok::RParen || tok_.type == Tok::Comma ||
            tok_.type == Tok::DotDot || tok_.type == Tok::RBracket)
            return true;
    } catch (const NotConstant&) {
    }
    lex_ = savedLexer;
    tok_ = savedToken;
    prevEnd_ = savedEnd;
    return false;
}

std::int64_t Compiler::constInteger(const Type** type) {
    const SourcePos pos = here();
    Value v;
    const Type* t = nullptr;
    try {
        v = constValue(&t);
    } catch (const NotConstant&) {
        failAt(pos, "Constant expression expected");
    }
    if (type != nullptr) *type = t;
    if (v.isInteger()) {
        if (type != nullptr && t == nullptr) *type = intType();
        return v.integer();
    }
    if (v.isString() && v.string().size() == 1) {
        if (type != nullptr) *type = findType("CHAR");
        return static_cast<unsigned char>(v.string()[0]);
    }
    if (v.kind() == Kind::Boolean) {
        if (type != nullptr) *type = findType("BOOLEAN");
        return v.boolean() ? 1 : 0;
    }
    failAt(pos, "Ordinal constant expected");
}

// ------------------------------------------------------------------ type declarations

const Type* Compiler::typeRef(bool inParameter) {
    NestingGuard guard(*this);
    skipUnitPrefix();
    const SourcePos pos = here();
    switch (tok_.type) {
        case Tok::Ident: {
            if (tok_.text == "PACKED") {
                next();
                return typeRef(inParameter);
            }
            if (tok_.text == "STRING") {
                next();
                if (accept(Tok::LBracket)) {
                    const std::int64_t n = constInteger();
                    if (n < 1 || n > 255) failAt(pos, "String length must be 1 to 255");
                    expect(Tok::RBracket);
                    Type* t = newType(Type::Scalar);
                    *t = *findType("STRING");
                    t->maxLength = static_cast<std::uint32_t>(n);
                    return t;
                }
                return findType("STRING");
            }
            if (tok_.text == "FILE" || tok_.text == "TEXT" || tok_.text == "TEXTFILE")
                fail("Files are not supported");
            const Symbol* s = lookup(tok_.text);
            if (s == nullptr || s->kind != Symbol::Literal) {
                const Type* t = s == nullptr ? findType(tok_.text) : nullptr;
                if (t == nullptr) {
                    if (s == nullptr) undeclared(tok_);
                    fail("Type name expected");
                }
                next();
                return t;
            }
            break;  // a subrange from a named constant
        }
        case Tok::Array: {
            next();
            if (accept(Tok::Of)) {
                Type* t = newType(inParameter ? Type::OpenArray : Type::DynArray);
                if (inParameter && accept(Tok::Const))
                    t->element = findType("VARIANT");
                else
                    t->element = typeRef(false);
                t->depth = static_cast<std::uint16_t>(t->element->depth + 1);
                t->name = "array of " + t->element->name;
                return t;
            }
            expect(Tok::LBracket);
            std::vector<const Type*> indexes;
            do {
                const Type* index = nullptr;
                if (tok_.type == Tok::Ident && lookup(tok_.text) == nullptr &&
                    findType(tok_.text) != nullptr) {
                    index = findType(tok_.text);
                    next();
                } else {
                    index = typeRef(false);
                }
                if (!index->ordinal) failAt(pos, "Ordinal type required for an array index");
                // Unsigned: the whole Int64 range would overflow the difference.
                if (index->high < index->low || static_cast<std::uint64_t>(index->high) -
                                                        static_cast<std::uint64_t>(index->low) >=
                                                    (1u << 24))
                    failAt(pos, "Array too large");
                indexes.push_back(index);
            } while (accept(Tok::Comma));
            expect(Tok::RBracket);
            expect(Tok::Of);
            const Type* element = typeRef(false);
            for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
                Type* t = newType(Type::StaticArray);
                t->index = *it;
                t->low = (*it)->low;
                t->high = (*it)->high;
                t->element = element;
                if (element->depth >= 200) failAt(pos, "Nesting too deep");
                t->depth = static_cast<std::uint16_t>(element->depth + 1);
                t->name = "array of " + element->name;
                element = t;
            }
            return element;
        }
        case Tok::Record: return recordType("record");
        case Tok::Set: {
            next();
            expect(Tok::Of);
            const Type* member = typeRef(false);
            if (!member->ordinal) failAt(pos, "Ordinal type required for a set");
            if (member->low < 0 || member->high > 255)
                failAt(pos, "Sets may have at most 256 elements");
            Type* t = newType(Type::Set);
            t->element = member;
            t->name = "set of " + member->name;
            return t;
        }
        case Tok::LParen: {
            next();
            Type* t = newType(Type::Scalar);
            t->declared = DeclaredType::Int64;
            t->ordinal = true;
            t->name = "enumeration";
            std::int64_t n = 0;
            do {
                if (tok_.type != Tok::Ident) expected("Identifier");
                const Token name = tok_;
                next();
                if (accept(Tok::Eq)) n = constInteger();
                if (n < 0 || n > (1 << 24)) failAt(posOf(name), "Enumeration value out of range");
                Symbol s;
                s.kind = Symbol::Literal;
                s.literal = Value(n);
                s.type = t;
                declare(name, name.text, s);
                t->high = std::max(t->high, n);
                ++n;
            } while (accept(Tok::Comma));
            expect(Tok::RParen);
            return t;
        }
        case Tok::Caret: fail("Pointers are not supported");
        case Tok::Class: fail("Classes other than exception classes are not supported");
        case Tok::Procedure:
        case Tok::Function: fail("Procedural types are not supported");
        default: break;
    }
    // A subrange: lo..hi of constants.
    const Type* base = nullptr;
    const std::int64_t low = constInteger(&base);
    expect(Tok::DotDot);
    const std::int64_t high = constInteger();
    if (high < low) failAt(pos, "Low bound exceeds high bound");
    Type* t = newType(Type::Scalar);
    t->ordinal = true;
    t->low = low;
    t->high = high;
    t->isChar = base != nullptr && base->isChar;
    t->isBoolean = base != nullptr && base->isBoolean;
    t->declared = t->isChar ? DeclaredType::Char
                            : (t->isBoolean ? DeclaredType::Boolean : DeclaredType::Int64);
    t->name = base != nullptr ? base->name : "subrange";
    return t;
}

const Type* Compiler::recordType(const std::string& name) {
    next();
    Type* t = newType(Type::Record);
    t->name = name;
    std::uint16_t depth = 0;
    while (tok_.type == Tok::Ident) {
        const std::vector<Token> names = identifierList();
        expect(Tok::Colon);
        const Type* ft = typeRef(false);
        for (const auto& n : names) {
            for (const auto& f : t->fields)
                if (f.name == n.text) failNamed(posOf(n), "Identifier redeclared: '", n.raw);
            if (t->fields.size() >= 4096) fail("Too many fields");
            t->fields.push_back({n.text, ft});
        }
        depth = std::max(depth, ft->depth);
        if (!accept(Tok::Semicolon)) break;
    }
    if (tok_.type == Tok::Case) fail("Variant records are not supported");
    if (depth >= 200) fail("Nesting too deep");
    t->depth = static_cast<std::uint16_t>(depth + 1);
    expect(Tok::End_);
    return t;
}

const Type* Compiler::exceptionClass(const Token& name) {
    const SourcePos pos = here();
    next();  // class
    if (tok_.type != Tok::LParen)
        failAt(pos, "Classes other than exception classes are not supported");
    next();
    if (tok_.type != Tok::Ident) expected("Identifier");
    const Type* parent = findType(tok_.text);
    if (parent == nullptr || parent->kind != Type::ExceptionClass)
        failAt(pos, "Classes other than exception classes are not supported");
    const std::string parentName = tok_.text;
    next();
    expect(Tok::RParen);
    if (accept(Tok::End_)) {
    } else if (tok_.type != Tok::Semicolon) {
        fail("Exception classes with fields or methods are not supported");
    }
    Type* t = newType(Type::ExceptionClass);
    t->name = name.raw;
    prog_.classParents.emplace_back(name.text, parentName);
    return t;
}

// ------------------------------------------------------------------ places

// Indexes and fields after a value on the stack: each one instruction.
const Type* Compiler::selectors(const Type* type) {
    for (;;) {
        const SourcePos pos = here();
        if (tok_.type == Tok::LBracket) {
            next();
            do {
                if (type != nullptr &&
                    (type->kind == Type::StaticArray || type->kind == Type::DynArray ||
                     type->kind == Type::OpenArray)) {
                    const bool zero = type->kind == Type::OpenArray;
                    expression();
                    emitAt(pos, zero ? INDEXZ : INDEX);
                    type = type->element;
                } else if (type == nullptr || type->isString ||
                           type->declared == DeclaredType::Variant) {
                    expression();
                    emitAt(pos, INDEX);
                    type = findType("CHAR");
                } else {
                    failAt(pos, "Array type required");
                }
            } while (accept(Tok::Comma));
            expect(Tok::RBracket);
        } else if (tok_.type == Tok::Dot) {
            if (type == nullptr || type->kind != Type::Record) failAt(pos, "Record type required");
            next();
            if (tok_.type != Tok::Ident) expected("Identifier");
            std::uint32_t k = 0;
            while (k < type->fields.size() && type->fields[k].name != tok_.text) ++k;
            if (k == type->fields.size()) failNamed(here(), "Undeclared identifier: '", tok_.raw);
            next();
            emitAt(pos, FIELD, k);
            type = type->fields[k].type;
        } else {
            return type;
        }
    }
}

// The same path as keys on the stack above a reference, for a write.
const Type* Compiler::placeKeys(const Type* type, std::uint32_t& steps, std::uint32_t& zeroMask,
                                bool& any) {
    any = false;
    bool atChar = false;
    for (;;) {
        const SourcePos pos = here();
        if (tok_.type != Tok::LBracket && tok_.type != Tok::Dot) return type;
        if (atChar) failAt(pos, "Array type required");
        if (steps >= 31) failAt(pos, "Nesting too deep");
        any = true;
        if (tok_.type == Tok::LBracket) {
            next();
            do {
                if (steps >= 31) failAt(pos, "Nesting too deep");
                if (type != nullptr &&
                    (type->kind == Type::StaticArray || type->kind == Type::DynArray ||
                     type->kind == Type::OpenArray)) {
                    if (type->kind == Type::OpenArray) zeroMask |= 1u << steps;
                    expression();
                    type = type->element;
                } else if (!atChar && (type == nullptr || type->isString ||
                                       type->declared == DeclaredType::Variant)) {
                    expression();
                    type = findType("CHAR");
                    atChar = true;
                } else {
                    failAt(pos, "Array type required");
                }
                ++steps;
            } while (accept(Tok::Comma));
            expect(Tok::RBracket);
        } else {
            if (type == nullptr || type->kind != Type::Record) failAt(pos, "Record type required");
            next();
            if (tok_.type != Tok::Ident) expected("Identifier");
            std::uint32_t k = 0;
            while (k < type->fields.size() && type->fields[k].name != tok_.text) ++k;
            if (k == type->fields.size()) failNamed(here(), "Undeclared identifier: '", tok_.raw);
            next();
            pushInteger(pos, k);
            ++steps;
            type = type->fields[k].type;
        }
    }
}

bool Compiler::withField(const std::string& name, const WithScope*& scope,
                         std::uint32_t& field) const {
    for (auto it = fs_->withs.rbegin(); it != fs_->withs.rend(); ++it)
        for (std::uint32_t k = 0; k < it->record->fields.size(); ++k)
            if (it->record->fields[k].name == name) {
                scope = &*it;
                field = k;
                return true;
            }
    return false;
}

Address Compiler::address(const Token& name, const Found& found) {
    const SourcePos pos = posOf(name);
    Address a;
    a.symbol = found.symbol;
    a.hops = found.hops;
    a.type = found.symbol.type;
    if (found.symbol.kind != Symbol::Var) failNamed(pos, "Variable required: '", name.raw);
    if (tok_.type != Tok::LBracket && tok_.type != Tok::Dot) return a;
    emitRef(pos, found.symbol, found.hops);
    bool any = false;
    a.type = placeKeys(a.type, a.steps, a.zeroMask, any);
    for (std::uint32_t i = 0; i <= a.steps; ++i) a.temps.push_back(newSlot(DeclaredType::Variant));
    for (std::uint32_t i = a.steps + 1; i-- > 0;) emitAt(pos, STOREL, a.temps[i]);
    return a;
}

Address Compiler::withAddress(const WithScope& scope, std::uint32_t field) {
    const SourcePos pos = here();
    Address a;
    for (auto t : scope.temps) emitAt(pos, LOADL, t);
    a.steps = static_cast<std::uint32_t>(scope.temps.size() - 1);
    a.zeroMask = scope.zeroMask;
    pushInteger(pos, field);
    ++a.steps;
    bool any = false;
    a.type = placeKeys(scope.record->fields[field].type, a.steps, a.zeroMask, any);
    for (std::uint32_t i = 0; i <= a.steps; ++i) a.temps.push_back(newSlot(DeclaredType::Variant));
    for (std::uint32_t i = a.steps + 1; i-- > 0;) emitAt(pos, STOREL, a.temps[i]);
    return a;
}

void Compiler::loadAddress(SourcePos pos, const Address& a) {
    if (a.temps.empty()) {
        emitLoad(pos, a.symbol, a.hops);
        return;
    }
    for (auto t : a.temps) emitAt(pos, LOADL, t);
    emitAt(pos, LOADPATH, a.steps);
    word(a.zeroMask);
    adjustDepth(-static_cast<int>(a.steps));
}

void Compiler::beginStore(SourcePos pos, const Address& a) {
    for (auto t : a.temps) emitAt(pos, LOADL, t);
}

void Compiler::endStore(SourcePos pos, const Address& a) {
    if (a.temps.empty()) {
        emitStore(pos, a.symbol, a.hops);
        return;
    }
    emitAt(pos, STOREPATH, a.steps);
    word(a.zeroMask);
    adjustDepth(-static_cast<int>(a.steps) - 2);
}

// A place given as an argument: a variable, a with field, or a path from either.
const Type* Compiler::argumentAddress(Address& out) {
    if (tok_.type != Tok::Ident) fail("Variable required");
    const Token name = tok_;
    next();
    const WithScope* scope = nullptr;
    std::uint32_t field = 0;
    if (withField(name.text, scope, field)) {
        out = withAddress(*scope, field);
        return out.type;
    }
    const Found* found = find(name.text);
    if (found == nullptr) {
        if (findType(name.text) == nullptr && env_.find(name.text) == nullptr) undeclared(name);
        failNamed(posOf(name), "Variable required: '", name.raw);
    }
    const Found f = *found;
    out = address(name, f);
    return out.type;
}

// "[a, b, c]" given for an open-array parameter: a fresh array of the values.
void Compiler::openArrayArgument() {
    const SourcePos pos = here();
    expect(Tok::LBracket);
    std::uint32_t count = 0;
    if (tok_.type != Tok::RBracket) {
        do {
            if (count >= 4096) fail("Too many elements");
            expression();
            ++count;
        } while (accept(Tok::Comma));
    }
    expect(Tok::RBracket);
    emitAt(pos, MKLIST, count);
    adjustDepth(1 - static_cast<int>(count));
}

// A typed constant's value: "(1, 2, 3)" for arrays, "(Name: 'x'; Age: 3)" for records.
void Compiler::constantInitialiser(const Type* type) {
    NestingGuard guard(*this);
    const SourcePos pos = here();
    if (type->kind == Type::StaticArray) {
        expect(Tok::LParen);
        const std::int64_t count = type->high - type->low + 1;
        for (std::int64_t i = 0; i < count; ++i) {
            if (i > 0) {
                if (tok_.type != Tok::Comma)
                    failAt(pos, "Number of elements differs from declaration");
                next();
            }
            constantInitialiser(type->element);
        }
        if (tok_.type != Tok::RParen) failAt(pos, "Number of elements differs from declaration");
        next();
        emitAt(pos, MKARRAY, constant(prog_.cells[cellOf(type)].init));
        adjustDepth(1 - static_cast<int>(count));
        return;
    }
    if (type->kind == Type::Record) {
        expect(Tok::LParen);
        std::size_t k = 0;
        while (tok_.type == Tok::Ident) {
            const Token name = tok_;
            std::size_t at = k;
            while (at < type->fields.size() && type->fields[at].name != name.text) ++at;
            if (at == type->fields.size())
                failNamed(posOf(name), "Undeclared identifier: '", name.raw);
            for (; k < at; ++k)
                emitAt(pos, PUSHK, constant(prog_.cells[cellOf(type->fields[k].type)].init));
            next();
            expect(Tok::Colon);
            constantInitialiser(type->fields[k].type);
            ++k;
            if (!accept(Tok::Semicolon)) break;
        }
        for (; k < type->fields.size(); ++k)
            emitAt(pos, PUSHK, constant(prog_.cells[cellOf(type->fields[k].type)].init));
        expect(Tok::RParen);
        emitAt(pos, MKARRAY, constant(prog_.cells[cellOf(type)].init));
        adjustDepth(1 - static_cast<int>(type->fields.size()));
        return;
    }
    expression();
    shorten(pos, type);
}

}  // namespace qbx::scripting::pascal::detail

namespace qbx::scripting::pascal {

std::string_view libraryClassParent(std::string_view upperName) {
    for (const auto& [name, parent] : detail::kLibraryClasses)
        if (name == upperName) return parent;
    return {};
}

}  // namespace qbx::scripting::pascal
