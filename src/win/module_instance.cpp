#include "win/module_instance.h"

#include <memory>

#include "core/guard.h"
#include "core/lifecycle.h"
#include "core/plugin.h"
#include "win/compose.h"
#include "win/exception_hooks.h"

namespace qbx {
namespace {

// A plain pointer, not a static object: the module's unload code runs after the run time's
// exit handlers have destroyed static objects.
Plugin* g_plugin = nullptr;

}  // namespace

Plugin* loadedPlugin() noexcept { return g_plugin; }

void loadModule() noexcept {
    FpuShield shield;
    try {
        auto plugin = std::make_unique<Plugin>(systemPlatform());
        installExceptionHooks(&plugin->log);
        installSubsystems(*plugin);
        moduleLoaded(*plugin);
        g_plugin = plugin.release();
    } catch (...) {
        // Without a context every export answers neutrally.
        removeExceptionHooks();
    }
}

void unloadModule(bool processExiting) noexcept {
    FpuShield shield;
    try {
        Plugin* plugin = g_plugin;
        if (!plugin) return;
        if (processExiting) {
            plugin->log.close();
            removeExceptionHooks();
            return;  // the process is ending: the context is left to the system
        }
        moduleUnloading(*plugin);
        removeExceptionHooks();
        g_plugin = nullptr;
        delete plugin;
    } catch (...) {
    }
}

}  // namespace qbx
