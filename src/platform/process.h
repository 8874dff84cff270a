// Process-level services the host emulator needs: loading a module and setting variables
// before it loads.
#pragma once

#include <memory>
#include <string>

namespace qbx {

class DynamicLibrary {
public:
    virtual ~DynamicLibrary() = default;
    virtual void* symbol(const std::string& name) = 0;
    // The reason of the last failure, for messages.
    static std::string lastError();
};

// LoadLibrary / dlopen; null on failure. The module is freed when the object goes.
std::unique_ptr<DynamicLibrary> openLibrary(const std::string& path);

bool setProcessVariable(const std::string& name, const std::string& value);

// A host file-system path in the form the module's platform layer uses (Windows-style).
std::string toModulePath(const std::string& nativePath);

}  // namespace qbx
