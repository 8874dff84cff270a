#include "core/second_host.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/guard.h"
#include "core/host_api.h"
#include "core/log.h"
#include "core/plugin.h"
#include "core/version.h"

namespace qbx {

const std::array<std::string_view, kHostFunctionCount> kHostFunctionNames = {
    "BKA_GetVersion",
    "BKA_Command",
    "BKA_GetWindowHandles",
    "BKA_RegisterCommand",
    "BKA_RegisterUICallback",
    "BKA_GetDataFolder",
    "BKA_GetTempFolder",
    "BKA_GetTempFileName",
    "BKA_GetCurrentMailBox",
    "BKA_SetCurrentMailBox",
    "BKA_GetCurrentFolder",
    "BKA_SetCurrentFolder",
    "BKA_GetFolderDisplayName",
    "BKA_SetMessageText",
    "BKA_GetCurrentMail",
    "BKA_SetCurrentMail",
    "BKA_GetNextMail",
    "BKA_SetSel",
    "BKA_AppendMessage",
    "BKA_MoveSelectedMessages",
    "BKA_GetStatus",
    "BKA_SetStatus",
    "BKA_ComposeMail",
    "BKA_GetCharSet",
    "BKA_GetSource",
    "BKA_SetSource",
    "BKA_GetHeader",
    "BKA_GetText",
    "BKA_SetText",
    "BKA_GetSpecifiedHeader",
    "BKA_SetSpecifiedHeader",
    "BKA_CompGetCharSet",
    "BKA_CompGetSource",
    "BKA_CompSetSource",
    "BKA_CompGetHeader",
    "BKA_CompGetSpecifiedHeader",
    "BKA_CompSetSpecifiedHeader",
    "BKA_CompGetText",
    "BKA_CompSetText",
    "BKA_CompAttachFile",
    "BKA_Alloc",
    "BKA_ReAlloc",
    "BKA_Free",
    "BKA_ISO_2022_JP",
    "BKA_ISO_2022_KR",
    "BKA_HZ_GB2312",
    "BKA_ISO_8859_2",
    "BKA_EUC_JP",
    "BKA_UTF_7",
    "BKA_UTF_8",
    "BKA_B64Convert",
    "BKA_QPConvert",
    "BKA_MIMEHeader",
    "BKA_SerializeRcpts",
    "BKA_Connect",
};

namespace {

// Handles below this are the system's error codes of old, never a module.
constexpr std::uintptr_t kLowestModuleHandle = 32;
constexpr std::string_view kFirstVersionNeedingSetStatus = "2.00.06";

using GetVersionFunction = const char*(QBX_STDCALL*)();

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The host's text up to its zero, but never more than kMaxHostVersionChars + 1 bytes nor past
// the end of the memory it stands in: a text without its zero must not run us off the end of
// the host's memory. Nothing when not even its first byte can be read.
std::optional<std::string> boundedHostText(HostProgram& program, const char* text) {
    const std::size_t readable = program.readableBytes(text, kMaxHostVersionChars + 1);
    if (readable == 0) return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < readable && text[i] != '\0'; ++i) bytes += text[i];
    return bytes;
}

enum class HostCall { Start, Exit };

std::atomic<std::uint32_t>& refusedCount(SecondHostTurn& turn, HostCall call) {
    return call == HostCall::Start ? turn.refusedStarts : turn.refusedExits;
}

// Only the holder of the turn writes these lines.
void logRefusedCalls(Plugin& plugin) noexcept {
    for (const HostCall call : {HostCall::Start, HostCall::Exit}) {
        const std::uint32_t refused = refusedCount(plugin.secondHostTurn, call).exchange(0);
        if (refused == 0) continue;
        try {
            plugin.log.write(std::string(call == HostCall::Start ? "BKC_OnStart" : "BKC_OnExit") +
                             " refused while another BKC_OnStart or BKC_OnExit ran (" +
                             std::to_string(refused) + (refused == 1 ? " call)" : " calls)"));
        } catch (...) {
        }
    }
}

bool refusalsPending(const SecondHostTurn& turn) {
    return turn.refusedStarts.load() != 0 || turn.refusedExits.load() != 0;
}

// Logs the refusals and lets go. A call refused after the look at the counts but before the
// turn was free has either found it free and logged itself, or is seen here once more: unless
// yet another call holds the turn by then, which logs them in its own time.
void handBackTurn(Plugin& plugin) noexcept {
    SecondHostTurn& turn = plugin.secondHostTurn;
    do {
        logRefusedCalls(plugin);
        turn.taken.store(false);
    } while (refusalsPending(turn) && !turn.taken.exchange(true));
}

// Whether this call holds the turn now; a refused call has been counted.
bool takeTurn(Plugin& plugin, HostCall call) noexcept {
    SecondHostTurn& turn = plugin.secondHostTurn;
    if (!turn.taken.exchange(true)) return true;
    refusedCount(turn, call).fetch_add(1);
    // The holder may have let go just before the count: then no one else would log it.
    if (!turn.taken.exchange(true)) handBackTurn(plugin);
    return false;
}

struct HeldTurn {
    Plugin& plugin;
    ~HeldTurn() { handBackTurn(plugin); }
};

}  // namespace

bool hostWorksWithoutSetStatus(std::optional<std::string_view> version) {
    if (!version || version->size() > 7) return false;
    const std::string_view other = kFirstVersionNeedingSetStatus;
    const std::size_t common = std::min(version->size(), other.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto a = static_cast<unsigned char>(upperAscii((*version)[i]));
        const auto b = static_cast<unsigned char>(upperAscii(other[i]));
        if (a != b) return a < b;
    }
    return version->size() < other.size();
}

std::string settingsPathOf(std::string_view modulePath) {
    const std::size_t nameStart = modulePath.find_last_of("\\/:");
    const std::size_t dot = modulePath.rfind('.');
    // A dot in a folder's name is not the file's extension.
    const bool hasExtension =
        dot != std::string_view::npos && (nameStart == std::string_view::npos || dot > nameStart);
    std::string path(hasExtension ? modulePath.substr(0, dot) : modulePath);
    path += ".ini";
    return path;
}

HostFunction BeckyApi::function(std::string_view name) const noexcept {
    for (std::size_t i = 0; i < kHostFunctionCount; ++i)
        if (kHostFunctionNames[i] == name) return functions[i];
    return nullptr;
}

bool BeckyApi::loadHostApi(HostProgram& program, Log& log) {
    if (bound()) return true;
    const auto fail = [&](const std::string& why) {
        log.write(why);
        log.write("Host binding failed");
        functions.fill(nullptr);
        hostModule = 0;
        return false;
    };
    const std::uintptr_t module = program.handle();
    if (module < kLowestModuleHandle) return fail("Host program not found");
    for (std::size_t i = 0; i < kHostFunctionCount; ++i) {
        if (i == kSetStatusSlot) continue;
        functions[i] = program.function(kHostFunctionNames[i]);
        if (functions[i] == nullptr)
            return fail("Host function not found: " + std::string(kHostFunctionNames[i]));
    }
    functions[kSetStatusSlot] = program.function(kHostFunctionNames[kSetStatusSlot]);

    const auto getVersion = reinterpret_cast<GetVersionFunction>(functions[kGetVersionSlot]);
    const char* versionText = getVersion();
    std::optional<std::string> version;
    if (versionText != nullptr) version = boundedHostText(program, versionText);
    log.write("Host version: " + (version ? *version
                                  : versionText == nullptr
                                      ? std::string("unknown")
                                      : std::string("unknown (its text cannot be read)")));
    if (functions[kSetStatusSlot] == nullptr) {
        if (!hostWorksWithoutSetStatus(version))
            return fail("Host function not found: " +
                        std::string(kHostFunctionNames[kSetStatusSlot]));
        log.write("Host function not found: " + std::string(kHostFunctionNames[kSetStatusSlot]) +
                  " (message status off)");
    }
    hostModule = module;
    return true;
}

void writeInfoField(char* field, std::string_view text) noexcept {
    const std::size_t length = std::min(text.size(), kInfoFieldSize - 1);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, kInfoFieldSize - length);
}

void fillPlugInInfo(char* record) noexcept {
    if (record == nullptr) return;
    writeInfoField(record + kInfoNameOffset, kProductName);
    writeInfoField(record + kInfoAuthorOffset, kInfoAuthor);
    writeInfoField(record + kInfoVersionOffset, kVersionNumber);
    writeInfoField(record + kInfoDescriptionOffset, kInfoDescription);
}

bool beckyStart(Plugin& plugin) noexcept {
    if (!takeTurn(plugin, HostCall::Start)) return false;
    const HeldTurn held{plugin};
    // Caught here, while the turn is held, so that the line is written by its holder.
    try {
        plugin.beckyApi = std::make_unique<BeckyApi>();
        BeckyApi& api = *plugin.beckyApi;
        if (plugin.platform.hostProgram == nullptr ||
            !api.loadHostApi(*plugin.platform.hostProgram, plugin.log))
            return false;
        if (plugin.platform.environment != nullptr)
            api.settingsPath = settingsPathOf(plugin.platform.environment->modulePath());
        return true;
    } catch (...) {
        logEscapedException(&plugin.log, "BKC_OnStart", std::current_exception());
    }
    return false;
}

void beckyExit(Plugin& plugin) noexcept {
    if (!takeTurn(plugin, HostCall::Exit)) return;
    const HeldTurn held{plugin};
    plugin.beckyApi.reset();
}

}  // namespace qbx
