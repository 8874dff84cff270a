// The parts of the Win32 network services that tests drive with stand-ins: the enumeration of
// remote-access connections through a given entry point, and the proxy values of a given key.
#pragma once

#include <windows.h>

#include <ras.h>
#include <raserror.h>

#include <optional>
#include <vector>

#include "platform/network.h"

namespace qbx::win32 {

// rasapi32's RasEnumConnectionsA.
using RasEnumConnectionsFunction = DWORD(WINAPI*)(RASCONNA* connections, DWORD* bytes,
                                                  DWORD* count);

// The active connections as the entry point lists them: records of this build's own size,
// room for a few at first and, when it answers that the room is too small, for as many as it
// asks (at most Network::kMaxConnections), a bounded number of times. Nothing when it fails.
std::optional<std::vector<RemoteConnection>> enumerateRemoteConnections(
    RasEnumConnectionsFunction enumerate);

// "ProxyEnable" (a number, or binary data) and "ProxyServer" (a text) under the key of
// HKEY_CURRENT_USER; zero and empty for what is missing, of another type or oversized.
ProxyValues readProxyValues(const char* keyPath);

}  // namespace qbx::win32
