// What each export of the host's plug-in interface does, over one Plugin context. The export
// shims in win/ wrap these in the guard and the calling convention. The macro and the mail
// entry points go from the shims straight to their layers (macros, statistics).
#pragma once

#include <cstdint>

namespace qbx {

struct Plugin;

void tbpInitialize(Plugin& plugin);
void tbpFinalize(Plugin& plugin);
std::int32_t tbpSetup(Plugin& plugin);
std::int32_t tbpGetName(char* buffer, std::int32_t size);
std::int32_t tbpGetVersion(char* buffer, std::int32_t size);
std::int32_t tbpGetInfo(char* buffer, std::int32_t size);
std::int32_t tbpGetMacroList(Plugin& plugin, char* buffer, std::int32_t size);
std::int32_t tbpGetStatus();
std::int32_t tbpNeedConfig(const Plugin& plugin);
std::int32_t tbpNeedCOM();

}  // namespace qbx
