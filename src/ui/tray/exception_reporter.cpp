#include "ui/tray/exception_reporter.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "base/text.h"
#include "core/log.h"

namespace qbx::ui {
namespace {

std::string demangled(const char* name) {
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(name, nullptr, nullptr, &status), std::free);
    return readable != nullptr ? std::string(readable.get()) : std::string(name);
}

}  // namespace

std::string exceptionClassName(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return demangled(typeid(e).name());
    } catch (...) {
        return "unknown";
    }
}

void ExceptionReporter::report(std::exception_ptr error, const ExceptionSender* sender) {
    const std::string className = exceptionClassName(error);
    log_.write("@@ Unhandled exception   :" + className + " (" + describeException(error) + ")");
    log_.write("@@ Exception sender class: " +
               (sender != nullptr ? std::string(sender->className) : std::string("nil")));
    if (sender != nullptr) log_.write("@@ Exception sender name : " + std::string(sender->name));
    const void* handler = sender != nullptr ? sender->handler : nullptr;
    log_.write("@@ Address: " + (handler != nullptr ? pointerText(handler) : std::string("nil")));
    // Our exceptions are never components, so the object's name line never applies.
    log_.write("@@ Exception object class: " + className);
    log_.write("");
}

}  // namespace qbx::ui
