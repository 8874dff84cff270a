// The one Plugin context of the loaded module: created at load, destroyed at unload.
#pragma once

namespace qbx {

struct Plugin;

// Null before load and after unload.
Plugin* loadedPlugin() noexcept;
void loadModule() noexcept;
// At process exit the host's objects may be gone already: the log gets its last line, the
// kept host containers are left alone and the context is not taken down.
void unloadModule(bool processExiting) noexcept;

}  // namespace qbx
