#include <algorithm>

#include "base/text.h"
#include "scripting/pascal/operators.h"
#include "scripting/pascal/pascal.h"

namespace qbx::scripting::pascal {

std::string ScriptError::text() const {
    if (line <= 0) return message;
    return "Line " + decimal(line) + ", column " + decimal(column) + ": " + message;
}

void CallContext::checkLength(std::size_t length) const {
    StringBudget{&limits_, baseline_}.check(length);
}

void CallContext::chargeWait(std::int64_t milliseconds) {
    std::int64_t unused = 0;
    std::int64_t& waited = waitedMs_ != nullptr ? *waitedMs_ : unused;
    if (milliseconds < 0 || milliseconds > limits_.maxWaitMs - waited)
        throw RuntimeError("Script stopped: time limit", "Exception", true);
    waited += milliseconds;
}

void CallContext::fail(const std::string& message, const std::string& className) const {
    throw RuntimeError(message, className);
}

void Environment::addFunction(std::string_view name, int minArgs, int maxArgs, NativeFn function,
                              std::uint32_t varParams) {
    Entry entry;
    entry.name = std::string(name);
    entry.native = NativeFunction{std::move(function), minArgs, maxArgs, varParams};
    entries_[toUpper1251(name)] = std::move(entry);
}

void Environment::addConstant(std::string_view name, Value value) {
    Entry entry;
    entry.name = std::string(name);
    entry.isConstant = true;
    entry.constant = std::move(value);
    entries_[toUpper1251(name)] = std::move(entry);
}

void Environment::addConstantArray(std::string_view name, std::int64_t low,
                                   std::span<const Value> items) {
    std::uint16_t depth = 1;
    for (const Value& v : items)
        if (v.isArray())
            depth =
                std::max<std::uint16_t>(depth, static_cast<std::uint16_t>(v.arrayBox()->depth + 1));
    ArrayBox* box = newArrayBox(items.size(), low, false, false, depth);
    const Value array = Value::array(box);
    for (std::size_t i = 0; i < items.size(); ++i) box->items[i] = items[i];
    addConstant(name, array);
}

void Environment::addRecordType(std::string_view name, std::vector<Field> fields) {
    recordTypes_[toUpper1251(name)] = std::move(fields);
}

const std::vector<Environment::Field>* Environment::findRecordType(
    std::string_view upperName) const {
    const auto it = recordTypes_.find(std::string(upperName));
    return it == recordTypes_.end() ? nullptr : &it->second;
}

void Environment::addObjectClass(std::string_view name) {
    objectClasses_[toUpper1251(name)] = std::string(name);
}

bool Environment::isObjectClass(std::string_view upperName) const {
    return objectClasses_.count(std::string(upperName)) != 0;
}

const Environment::Entry* Environment::find(std::string_view upperName) const {
    const auto it = entries_.find(std::string(upperName));
    return it == entries_.end() ? nullptr : &it->second;
}

}  // namespace qbx::scripting::pascal
