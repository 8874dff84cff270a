// The order in which the module brings its objects to life and takes them down: the load-time
// sequence, StartPlugin (TBP_Initialize), StopPlugin (TBP_Finalize) and the unload steps.
#pragma once

#include <string>

namespace qbx {

struct Plugin;

// Load: the load-time sequence (start-up log, string table, variables, links), then the log is
// rotated and opened.
void moduleLoaded(Plugin& plugin);
// Unload: the log's last line, then the kept host containers are released.
void moduleUnloading(Plugin& plugin);

void autoexec(Plugin& plugin);
void startPlugin(Plugin& plugin);
void stopPlugin(Plugin& plugin);
void showSplashStatus(Plugin& plugin, const std::string& text);

}  // namespace qbx
