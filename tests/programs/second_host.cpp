// Plays the second host's program for the Windows bridge test: exports the host's table of
// functions (without BKA_SetStatus when built as an older release), loads the module named on
// its command line, drives its six entry points and writes what it saw to the report file:
//   second_host.exe MODULE VERSION REPORT
// The report holds one "name=value" line per observation and, last, the module's log lines
// about the host. A VERSION of "edge:TEXT" hands TEXT over without its zero, ending where the
// readable memory ends; "race:TEXT" also calls BKC_OnStart and BKC_OnExit from two threads at
// once, many times over.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string g_version;
const char* g_versionText = nullptr;  // what BKA_GetVersion hands over
int g_versionCalls = 0;
int g_otherCalls = 0;  // the module must call nothing but BKA_GetVersion

}  // namespace

#define QBX_HOST_EXPORT extern "C" __declspec(dllexport)
#define QBX_OTHER(name) \
    QBX_HOST_EXPORT int __stdcall name() { return ++g_otherCalls, 0; }

QBX_HOST_EXPORT const char* __stdcall BKA_GetVersion() {
    ++g_versionCalls;
    return g_versionText;
}
QBX_OTHER(BKA_Command)
QBX_OTHER(BKA_GetWindowHandles)
QBX_OTHER(BKA_RegisterCommand)
QBX_OTHER(BKA_RegisterUICallback)
QBX_OTHER(BKA_GetDataFolder)
QBX_OTHER(BKA_GetTempFolder)
QBX_OTHER(BKA_GetTempFileName)
QBX_OTHER(BKA_GetCurrentMailBox)
QBX_OTHER(BKA_SetCurrentMailBox)
QBX_OTHER(BKA_GetCurrentFolder)
QBX_OTHER(BKA_SetCurrentFolder)
QBX_OTHER(BKA_GetFolderDisplayName)
QBX_OTHER(BKA_SetMessageText)
QBX_OTHER(BKA_GetCurrentMail)
QBX_OTHER(BKA_SetCurrentMail)
QBX_OTHER(BKA_GetNextMail)
QBX_OTHER(BKA_SetSel)
QBX_OTHER(BKA_AppendMessage)
QBX_OTHER(BKA_MoveSelectedMessages)
QBX_OTHER(BKA_GetStatus)
#ifndef QBX_OLD_HOST
QBX_OTHER(BKA_SetStatus)
#endif
QBX_OTHER(BKA_ComposeMail)
QBX_OTHER(BKA_GetCharSet)
QBX_OTHER(BKA_GetSource)
QBX_OTHER(BKA_SetSource)
QBX_OTHER(BKA_GetHeader)
QBX_OTHER(BKA_GetText)
QBX_OTHER(BKA_SetText)
QBX_OTHER(BKA_GetSpecifiedHeader)
QBX_OTHER(BKA_SetSpecifiedHeader)
QBX_OTHER(BKA_CompGetCharSet)
QBX_OTHER(BKA_CompGetSource)
QBX_OTHER(BKA_CompSetSource)
QBX_OTHER(BKA_CompGetHeader)
QBX_OTHER(BKA_CompGetSpecifiedHeader)
QBX_OTHER(BKA_CompSetSpecifiedHeader)
QBX_OTHER(BKA_CompGetText)
QBX_OTHER(BKA_CompSetText)
QBX_OTHER(BKA_CompAttachFile)
QBX_OTHER(BKA_Alloc)
QBX_OTHER(BKA_ReAlloc)
QBX_OTHER(BKA_Free)
QBX_OTHER(BKA_ISO_2022_JP)
QBX_OTHER(BKA_ISO_2022_KR)
QBX_OTHER(BKA_HZ_GB2312)
QBX_OTHER(BKA_ISO_8859_2)
QBX_OTHER(BKA_EUC_JP)
QBX_OTHER(BKA_UTF_7)
QBX_OTHER(BKA_UTF_8)
QBX_OTHER(BKA_B64Convert)
QBX_OTHER(BKA_QPConvert)
QBX_OTHER(BKA_MIMEHeader)
QBX_OTHER(BKA_SerializeRcpts)
QBX_OTHER(BKA_Connect)

namespace {

using NoArguments = int(__stdcall*)();
using TwoValues = int(__stdcall*)(int, int);
using OneValue = int(__stdcall*)(int);
using InfoRecord = int(__stdcall*)(void*);

std::string readWhole(const std::string& path) {
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        std::size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
        std::fclose(file);
    }
    return bytes;
}

template <class Function>
Function entry(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The text without its zero at the very end of a committed page, a no-access page after it.
const char* textAtTheEdgeOfReadableMemory(const std::string& text) {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const DWORD page = system.dwPageSize;
    auto* pages = static_cast<char*>(
        VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (pages == nullptr || text.size() > page) return nullptr;
    DWORD old = 0;
    if (!VirtualProtect(pages + page, page, PAGE_NOACCESS, &old)) return nullptr;
    char* at = pages + page - text.size();
    std::memcpy(at, text.data(), text.size());
    return at;
}

struct Race {
    NoArguments onStart;
    NoArguments onExit;
    HANDLE go;
};

DWORD WINAPI raceOnce(void* argument) {
    const Race& race = *static_cast<Race*>(argument);
    WaitForSingleObject(race.go, INFINITE);
    race.onStart();
    race.onExit();
    return 0;
}

// Both entry points from two threads let go at once; answers whether every round ended.
bool raceStartAndExit(NoArguments onStart, NoArguments onExit) {
    for (int round = 0; round < 200; ++round) {
        Race race{onStart, onExit, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
        HANDLE threads[2] = {CreateThread(nullptr, 0, raceOnce, &race, 0, nullptr),
                             CreateThread(nullptr, 0, raceOnce, &race, 0, nullptr)};
        SetEvent(race.go);
        const bool ended = WaitForMultipleObjects(2, threads, TRUE, 30000) == WAIT_OBJECT_0;
        CloseHandle(threads[0]);
        CloseHandle(threads[1]);
        CloseHandle(race.go);
        if (!ended) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    g_version = argv[2];
    const bool race = startsWith(g_version, "race:");
    if (race) g_version.erase(0, 5);
    g_versionText = g_version.c_str();
    if (startsWith(g_version, "edge:")) {
        g_version.erase(0, 5);
        g_versionText = textAtTheEdgeOfReadableMemory(g_version);
        if (g_versionText == nullptr) return 6;
    }
    FILE* report = std::fopen(argv[3], "wb");
    if (!report) return 3;
    HMODULE module = LoadLibraryA(argv[1]);
    if (!module) {
        std::fprintf(report, "load=failed\n");
        std::fclose(report);
        return 4;
    }
    const auto onStart = entry<NoArguments>(module, "BKC_OnStart");
    const auto onExit = entry<NoArguments>(module, "BKC_OnExit");
    const auto onEveryMinute = entry<NoArguments>(module, "BKC_OnEveryMinute");
    const auto onOpenCompose = entry<TwoValues>(module, "BKC_OnOpenCompose");
    const auto onPlugInSetup = entry<OneValue>(module, "BKC_OnPlugInSetup");
    const auto onPlugInInfo = entry<InfoRecord>(module, "BKC_OnPlugInInfo");
    if (!onStart || !onExit || !onEveryMinute || !onOpenCompose || !onPlugInSetup ||
        !onPlugInInfo) {
        std::fprintf(report, "exports=missing\n");
        std::fclose(report);
        return 5;
    }

    char record[320 + 16];
    std::memset(record, '#', sizeof record);
    std::fprintf(report, "info=%d\n", onPlugInInfo(record));
    for (int field = 0; field < 4; ++field)
        std::fprintf(report, "field%d=%.79s\n", field, record + 80 * field);
    std::fprintf(report, "tail=%s\n",
                 std::memcmp(record + 320, "################", 16) == 0 ? "intact" : "written");
    std::fprintf(report, "nullinfo=%d\n", onPlugInInfo(nullptr));
    std::fprintf(report, "start=%d\n", onStart());
    std::fprintf(report, "minute=%d\n", onEveryMinute());
    std::fprintf(report, "compose=%d\n", onOpenCompose(1, 2));
    std::fprintf(report, "setup=%d\n", onPlugInSetup(3));
    std::fprintf(report, "exit=%d\n", onExit());
    if (race)
        std::fprintf(report, "race=%s\n", raceStartAndExit(onStart, onExit) ? "ended" : "hung");
    std::fprintf(report, "versionCalls=%d\n", g_versionCalls);
    std::fprintf(report, "otherCalls=%d\n", g_otherCalls);
    FreeLibrary(module);

    char temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(MAX_PATH, temp);
    const std::string log = readWhole(std::string(temp, length) + "-QBX.log");
    std::size_t at = 0;
    while (at < log.size()) {
        std::size_t end = log.find('\n', at);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(at, end - at);
        if (line.find("Host ") != std::string::npos || line.find("BKC_") != std::string::npos)
            std::fprintf(report, "log=%s\n", line.c_str());
        at = end + 1;
    }
    std::fclose(report);
    return 0;
}
