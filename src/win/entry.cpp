// Load and unload of the module: DllMain in the DLL, constructor and destructor functions in
// the native shared object.
#include "win/module_instance.h"

#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            DisableThreadLibraryCalls(instance);
            qbx::loadModule();
            break;
        case DLL_PROCESS_DETACH:
            // reserved != null: the process is ending, not FreeLibrary.
            qbx::unloadModule(reserved != nullptr);
            break;
        default: break;
    }
    return TRUE;
}

#else

#include <cstdlib>

static void qbxModuleUnloaded() { qbx::unloadModule(false); }

// The unload step is registered as an exit handler of this shared object after the platform's
// static objects exist, so it runs before they are destroyed, at dlclose and at exit alike.
__attribute__((constructor)) static void qbxModuleLoaded() {
    qbx::loadModule();
    std::atexit(qbxModuleUnloaded);
}

#endif
