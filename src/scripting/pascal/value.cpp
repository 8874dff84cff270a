#include "scripting/pascal/value.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "base/text.h"

namespace qbx::scripting::pascal {

namespace {

thread_local std::int64_t g_liveStringBytes = 0;

StringBox* newBox(std::string&& text) {
    auto* box = new StringBox{{1}, text.capacity(), std::move(text)};
    g_liveStringBytes += static_cast<std::int64_t>(box->accounted);
    return box;
}

std::string_view declaredName(DeclaredType t) {
    static constexpr std::string_view names[] = {"Variant", "Integer", "Cardinal", "Int64",
                                                 "Byte",    "Word",    "Double",   "String",
                                                 "Char",    "Boolean", "UInt64",   "Array"};
    return names[static_cast<int>(t)];
}

[[noreturn]] void incompatible(DeclaredType target, const Value& v) {
    throw RuntimeError("Incompatible types: '" + std::string(declaredName(target)) + "' and '" +
                       std::string(v.typeName()) + "'");
}

// Wraps to the declared width the way a Delphi store without range checks does.
std::int64_t wrapTo(DeclaredType t, std::int64_t v) {
    const auto u = static_cast<std::uint64_t>(v);
    switch (t) {
        case DeclaredType::Integer: return static_cast<std::int32_t>(static_cast<std::uint32_t>(u));
        case DeclaredType::Cardinal: return static_cast<std::uint32_t>(u);
        case DeclaredType::Byte: return static_cast<std::uint8_t>(u);
        case DeclaredType::Word: return static_cast<std::uint16_t>(u);
        default: return v;
    }
}

}  // namespace

Value::Value(std::string_view s) : Value(std::string(s)) {}

Value::Value(std::string&& s)
    : kind_(Kind::String), declared_(DeclaredType::Variant), s_(newBox(std::move(s))) {}

void Value::destroy() noexcept {
    switch (kind_) {
        case Kind::String:
            g_liveStringBytes -= static_cast<std::int64_t>(s_->accounted);
            delete s_;
            return;
        case Kind::Array:
            g_liveStringBytes -= static_cast<std::int64_t>(a_->accounted);
            delete a_;
            return;
        case Kind::Set:
            g_liveStringBytes -= static_cast<std::int64_t>(sizeof(SetBox));
            delete set_;
            return;
        default: return;
    }
}

ArrayBox* newArrayBox(std::size_t size, std::int64_t low, bool shared, bool record,
                      std::uint16_t depth) {
    auto* box = new ArrayBox;
    box->depth = depth;
    box->refs = 1;
    box->shared = shared;
    box->record = record;
    box->low = low;
    box->items.resize(size);
    box->accounted = sizeof(ArrayBox) + box->items.capacity() * sizeof(Value);
    g_liveStringBytes += static_cast<std::int64_t>(box->accounted);
    return box;
}

void reaccount(ArrayBox& box) {
    const std::size_t now = sizeof(ArrayBox) + box.items.capacity() * sizeof(Value);
    g_liveStringBytes += static_cast<std::int64_t>(now) - static_cast<std::int64_t>(box.accounted);
    box.accounted = now;
}

ArrayBox* cloneArrayBox(const ArrayBox& from) {
    ArrayBox* box = newArrayBox(from.items.size(), from.low, from.shared, from.record, from.depth);
    for (std::size_t i = 0; i < from.items.size(); ++i) {
        box->items[i].setDeclared(from.items[i].declared());
        box->items[i] = from.items[i];
    }
    return box;
}

SetBox* newSetBox() {
    auto* box = new SetBox;
    box->refs = 1;
    g_liveStringBytes += static_cast<std::int64_t>(sizeof(SetBox));
    return box;
}

bool sameComposite(const Value& a, const Value& b) {
    if (a.kind() != b.kind()) return false;
    if (a.isSet()) {
        for (int i = 0; i < 4; ++i)
            if (a.setBox()->bits[i] != b.setBox()->bits[i]) return false;
        return true;
    }
    return a.arrayBox() == b.arrayBox();
}

std::int64_t liveStringBytes() { return g_liveStringBytes; }

void reaccount(StringBox& box) {
    const std::size_t now = box.text.capacity();
    g_liveStringBytes += static_cast<std::int64_t>(now) - static_cast<std::int64_t>(box.accounted);
    box.accounted = now;
}

std::string_view Value::typeName() const {
    switch (kind_) {
        case Kind::Empty: return "Empty";
        case Kind::Null: return "Null";
        case Kind::Boolean: return "Boolean";
        case Kind::Integer: return "Integer";
        case Kind::Double: return "Double";
        case Kind::Date: return "Date";
        case Kind::UInt64: return "UInt64";
        case Kind::String: return "String";
        case Kind::Array: return a_->record ? "Record" : "Array";
        case Kind::Set: return "Set";
        case Kind::Ref: break;
    }
    return "Reference";
}

std::int64_t Value::toInteger() const {
    if (kind_ == Kind::Integer || kind_ == Kind::UInt64) return i_;
    if (kind_ == Kind::Empty) return 0;
    incompatible(DeclaredType::Integer, *this);
}

double Value::toDouble() const {
    if (kind_ == Kind::Double || kind_ == Kind::Date) return d_;
    if (kind_ == Kind::Integer) return static_cast<double>(i_);
    if (kind_ == Kind::UInt64) return static_cast<double>(static_cast<std::uint64_t>(i_));
    if (kind_ == Kind::Empty) return 0.0;
    incompatible(DeclaredType::Double, *this);
}

std::string Value::toStringArg() const {
    if (kind_ == Kind::String) return s_->text;
    if (kind_ == Kind::Empty) return {};
    incompatible(DeclaredType::String, *this);
}

void Value::assign(const Value& v) { assign(Value(v)); }

void Value::assign(Value&& v) {
    switch (declared_) {
        case DeclaredType::Variant: *this = std::move(v); return;
        case DeclaredType::Integer:
        case DeclaredType::Cardinal:
        case DeclaredType::Int64:
        case DeclaredType::Byte:
        case DeclaredType::Word:
            if (v.isIntegral() || v.kind_ == Kind::Empty) {
                *this = Value(wrapTo(declared_, v.kind_ == Kind::Empty ? 0 : v.i_));
                return;
            }
            break;
        case DeclaredType::UInt64:
            if (v.isIntegral() || v.kind_ == Kind::Empty) {
                *this = unsignedInteger(v.kind_ == Kind::Empty ? 0 : v.unsignedBits());
                return;
            }
            break;
        case DeclaredType::Double:
            if (v.isNumber() || v.kind_ == Kind::Empty) {
                *this = Value(v.toDouble());
                return;
            }
            break;
        case DeclaredType::String:
            if (v.kind_ == Kind::String) {
                *this = std::move(v);
                return;
            }
            if (v.kind_ == Kind::Empty) {
                *this = Value(std::string());
                return;
            }
            break;
        case DeclaredType::Char:
            if (v.kind_ == Kind::String && v.s_->text.size() == 1) {
                *this = std::move(v);
                return;
            }
            break;
        case DeclaredType::Boolean:
            if (v.kind_ == Kind::Boolean) {
                *this = std::move(v);
                return;
            }
            break;
        case DeclaredType::Composite:
            if (v.kind_ == Kind::Array || v.kind_ == Kind::Set || v.kind_ == Kind::Empty) {
                *this = std::move(v);
                return;
            }
            if (v.kind_ == Kind::Null) {  // nil empties a dynamic array
                *this = Value();
                return;
            }
            break;
    }
    incompatible(declared_, v);
}

std::string toText(const Value& v) {
    switch (v.kind()) {
        case Kind::String: return std::string(v.string());
        case Kind::Integer: return decimal(v.integer());
        case Kind::Double:
        case Kind::Date: return floatToText(v.real());
        case Kind::UInt64: return std::to_string(v.unsignedBits());
        case Kind::Boolean: return v.boolean() ? "True" : "False";
        case Kind::Empty:
        case Kind::Null:
        case Kind::Array:
        case Kind::Set:
        case Kind::Ref: break;
    }
    return {};
}

}  // namespace qbx::scripting::pascal
