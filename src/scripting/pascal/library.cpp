#include "scripting/pascal/library.h"

#include <cmath>

#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal {

namespace library {

void addIntegerConstants(Environment& environment, std::span<const IntegerConstant> constants) {
    for (const IntegerConstant& c : constants) environment.addConstant(c.name, Value(c.value));
}

void addRows(Environment& environment, std::span<const Row> rows, const RuntimeServices& services) {
    for (const Row& row : rows) {
        auto* function = row.function;
        environment.addFunction(
            row.name, row.minArgs, row.maxArgs,
            [function, services](Args a, CallContext& c) { return function(a, c, services); },
            row.varParams);
    }
}

std::string_view stringArg(const Value& v, std::string& holder) {
    if (v.isString()) return v.string();
    holder = v.toStringArg();
    return holder;
}

bool forEachSetMember(const Value& v, unsigned limit, const std::function<void(unsigned)>& member,
                      const std::function<void(const Value&)>& item) {
    if (v.isSet()) {
        for (unsigned n = 0; n < limit && n < 256; ++n)
            if (v.setBox()->has(n)) member(n);
        return true;
    }
    if (v.isArray()) {
        for (const Value& each : v.arrayBox()->items) item(each);
        return true;
    }
    return false;
}

DateTimeNames localeNames(const RuntimeServices& services) {
    return services.locale != nullptr ? services.locale->dateTimeNames() : englishDateTimeNames();
}

Value realResult(double d) {
    if (std::isnan(d)) throw RuntimeError("Invalid floating point operation", "EInvalidOp");
    if (std::isinf(d)) throw RuntimeError("Floating point overflow", "EOverflow");
    return Value(d);
}

}  // namespace library

void addRuntimeLibrary(Environment& environment, const RuntimeServices& services) {
    addCalendarNames(environment, library::localeNames(services));
    library::addStringFunctions(environment, services);
    library::addStrUtilsFunctions(environment, services);
    library::addConvertFunctions(environment, services);
    library::addFormatFunction(environment, services);
    library::addMathFunctions(environment, services);
    library::addDateFunctions(environment, services);
    library::addSystemFunctions(environment, services);
    library::addVariantFunctions(environment, services);
    library::addFileFunctions(environment, services);
    library::addWindowsFunctions(environment, services);
    library::addRegistryClass(environment, services);
}

}  // namespace qbx::scripting::pascal
