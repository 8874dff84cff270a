#include <dlfcn.h>
#include <stdlib.h>

#include <algorithm>

#include "platform/process.h"

namespace qbx {
namespace {

class PosixLibrary : public DynamicLibrary {
public:
    explicit PosixLibrary(void* handle) : handle_(handle) {}
    ~PosixLibrary() override { dlclose(handle_); }
    void* symbol(const std::string& name) override { return dlsym(handle_, name.c_str()); }

private:
    void* handle_;
};

}  // namespace

std::string DynamicLibrary::lastError() {
    const char* error = dlerror();
    return error ? error : "";
}

std::unique_ptr<DynamicLibrary> openLibrary(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    return std::make_unique<PosixLibrary>(handle);
}

bool setProcessVariable(const std::string& name, const std::string& value) {
    return setenv(name.c_str(), value.c_str(), 1) == 0;
}

std::string toModulePath(const std::string& nativePath) {
    std::string path = nativePath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path.rfind('\\', 0) == 0 ? "Z:" + path : path;
}

}  // namespace qbx
