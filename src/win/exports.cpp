// The exported entry points. Every one runs inside the guard: no exception and no FPU trap
// reaches the host, and each answers its neutral value when anything fails.
#include <cstdint>

#include "core/exports.h"
#include "core/guard.h"
#include "core/host_api.h"
#include "core/plugin.h"
#include "core/second_host.h"
#include "macros/dispatcher.h"
#include "statistics/spam_entry.h"
#include "win/module_instance.h"

#if defined(_WIN32)
#define QBX_EXPORT extern "C" __declspec(dllexport)
#else
#define QBX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using qbx::guarded;
using qbx::guardedVoid;
using qbx::loadedPlugin;
using qbx::Plugin;

namespace {

qbx::Log* pluginLog() {
    Plugin* plugin = loadedPlugin();
    return plugin ? &plugin->log : nullptr;
}

// Runs body(plugin) when the module's context exists; neutral otherwise.
template <class R, class Body>
R withPlugin(const char* where, R neutral, Body&& body) noexcept {
    return guarded(pluginLog(), where, neutral, [&]() -> R {
        Plugin* plugin = loadedPlugin();
        return plugin ? body(*plugin) : neutral;
    });
}

// A text answer: a fault while building or copying it is also logged as "Failed to GetStr".
template <class Body>
std::int32_t textAnswer(const char* where, Body&& body) noexcept {
    return guarded(pluginLog(), where, std::int32_t{0}, [&] {
        try {
            return body();
        } catch (...) {
            if (qbx::Log* log = pluginLog()) log->write("Failed to GetStr");
            throw;
        }
    });
}

}  // namespace

// ---- the mail client's plug-in interface ------------------------------------------------------

QBX_EXPORT void QBX_STDCALL TBP_Initialize() {
    guardedVoid(pluginLog(), "TBP_Initialize", [] {
        if (Plugin* plugin = loadedPlugin()) qbx::tbpInitialize(*plugin);
    });
}

QBX_EXPORT void QBX_STDCALL TBP_Finalize() {
    guardedVoid(pluginLog(), "TBP_Finalize", [] {
        if (Plugin* plugin = loadedPlugin()) qbx::tbpFinalize(*plugin);
    });
}

QBX_EXPORT std::int32_t QBX_STDCALL TBP_Setup() {
    return withPlugin("TBP_Setup", std::int32_t{0}, [](Plugin& p) { return qbx::tbpSetup(p); });
}

QBX_EXPORT std::int32_t QBX_STDCALL TBP_GetName(char* buffer, std::int32_t size) {
    return textAnswer("TBP_GetName", [&] { return qbx::tbpGetName(buffer, size); });
}

QBX_EXPORT std::int32_t QBX_STDCALL TBP_GetVersion(char* buffer, std::int32_t size) {
    return textAnswer("TBP_GetVersion", [&] { return qbx::tbpGetVersion(buffer, size); });
}

QBX_EXPORT std::int32_t QBX_STDCALL TBP_GetInfo(char* buffer, std::int32_t size) {
    return textAnswer("TBP_GetInfo", [&] { return qbx::tbpGetInfo(buffer, size); });
}

QBX_EXPORT std::int32_t QBX_STDCALL TBP_GetMacroList(char* buffer, std::int32_t size) {
    return textAnswer("TBP_GetMacroList", [&] {
        Plugin* plugin = loadedPlugin();
        return plugin ? qbx::tbpGetMacroList(*plugin, buffer, size) : std::int32_t{0};
    });
}

QBX_EXPORT std::int32_t QBX_STDCALL TBP_GetStatus() {
    return guarded(pluginLog(), "TBP_GetStatus", std::int32_t{0},
                   [] { return qbx::tbpGetStatus(); });
}

QBX_EXPORT std::int32_t QBX_STDCALL TBP_NeedConfig() {
    return withPlugin("TBP_NeedConfig", std::int32_t{0},
                      [](Plugin& p) { return qbx::tbpNeedConfig(p); });
}

QBX_EXPORT std::int32_t QBX_STDCALL TBP_NeedCOM() {
    return guarded(pluginLog(), "TBP_NeedCOM", std::int32_t{1}, [] { return qbx::tbpNeedCOM(); });
}

QBX_EXPORT std::int32_t QBX_STDCALL TBP_ExecMacro(const char* name, std::int32_t nameLength,
                                                  qbx::ITBPDataProvider* data,
                                                  qbx::ITBPDataProvider* params) {
    // The dispatcher answers every failure itself; the guard stays as for every export.
    return withPlugin("TBP_ExecMacro", qbx::kMacroResultId, [&](Plugin& p) {
        return qbx::macros::execMacro(p, name, nameLength, data, params);
    });
}

QBX_EXPORT std::int32_t QBX_STDCALL TBP_GetSpamScore(std::intptr_t context,
                                                     qbx::HostDataCallback callback) {
    return withPlugin("TBP_GetSpamScore", std::int32_t{-1}, [&](Plugin& p) {
        return qbx::statistics::getSpamScore(p, context, callback);
    });
}

QBX_EXPORT std::int32_t QBX_STDCALL TBP_FeedSpam(std::intptr_t context, std::int32_t isSpam,
                                                 qbx::HostDataCallback callback) {
    return withPlugin("TBP_FeedSpam", std::int32_t{1}, [&](Plugin& p) {
        qbx::statistics::feedSpam(p, context, isSpam, callback);
        return std::int32_t{1};
    });
}

// ---- the second host's entry points: it is only told who we are and has its table bound ------

QBX_EXPORT std::int32_t QBX_STDCALL BKC_OnStart() {
    // The host goes on whether or not its table could be bound.
    return withPlugin("BKC_OnStart", std::int32_t{0}, [](Plugin& p) {
        qbx::beckyStart(p);
        return std::int32_t{0};
    });
}

QBX_EXPORT std::int32_t QBX_STDCALL BKC_OnExit() {
    return withPlugin("BKC_OnExit", std::int32_t{0}, [](Plugin& p) {
        qbx::beckyExit(p);
        return std::int32_t{0};
    });
}

QBX_EXPORT std::int32_t QBX_STDCALL BKC_OnEveryMinute() { return 0; }
QBX_EXPORT std::int32_t QBX_STDCALL BKC_OnOpenCompose(std::int32_t, std::int32_t) { return 0; }
QBX_EXPORT std::int32_t QBX_STDCALL BKC_OnPlugInSetup(std::int32_t) { return 0; }

QBX_EXPORT std::int32_t QBX_STDCALL BKC_OnPlugInInfo(void* record) {
    return guarded(pluginLog(), "BKC_OnPlugInInfo", std::int32_t{0}, [&] {
        qbx::fillPlugInInfo(static_cast<char*>(record));
        return std::int32_t{0};
    });
}
