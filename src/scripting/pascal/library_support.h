// Shared plumbing of the runtime library's tables; not part of the interpreter's interface.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "scripting/pascal/library.h"

namespace qbx::scripting::pascal::library {

using Args = std::span<Value>;

// One table row: the function gets the services along with its arguments.
struct Row {
    std::string_view name;
    int minArgs;
    int maxArgs;
    std::uint32_t varParams;
    Value (*function)(Args, CallContext&, const RuntimeServices&);
};

void addRows(Environment& environment, std::span<const Row> rows, const RuntimeServices& services);

// The argument as text: strings as they are, Empty as ''; anything else is a type error.
std::string_view stringArg(const Value& v, std::string& holder);
// A floating result that must stay finite, as the interpreter's own arithmetic does.
Value realResult(double d);
// The service, or the script error that it is not available in this host.
template <typename T>
T& need(T* service, std::string_view what) {
    if (service == nullptr) throw RuntimeError(std::string(what) + " is not available", "EOSError");
    return *service;
}

void addStringFunctions(Environment& environment, const RuntimeServices& services);
void addFormatFunction(Environment& environment, const RuntimeServices& services);
void addMathFunctions(Environment& environment, const RuntimeServices& services);
void addDateFunctions(Environment& environment, const RuntimeServices& services);
void addSystemFunctions(Environment& environment, const RuntimeServices& services);

}  // namespace qbx::scripting::pascal::library
