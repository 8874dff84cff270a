#include <windows.h>

#include "platform/process.h"

namespace qbx {
namespace {

class Win32Library : public DynamicLibrary {
public:
    explicit Win32Library(HMODULE module) : module_(module) {}
    ~Win32Library() override { FreeLibrary(module_); }
    void* symbol(const std::string& name) override {
        return reinterpret_cast<void*>(GetProcAddress(module_, name.c_str()));
    }

private:
    HMODULE module_;
};

}  // namespace

std::string DynamicLibrary::lastError() { return "error " + std::to_string(GetLastError()); }

std::unique_ptr<DynamicLibrary> openLibrary(const std::string& path) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) return nullptr;
    return std::make_unique<Win32Library>(module);
}

bool setProcessVariable(const std::string& name, const std::string& value) {
    return SetEnvironmentVariableA(name.c_str(), value.c_str()) != 0;
}

std::string toModulePath(const std::string& nativePath) {
    char full[MAX_PATH * 4];
    const DWORD n = GetFullPathNameA(nativePath.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return nativePath;
    return std::string(full, n);
}

}  // namespace qbx
