#include "platform/desktop_windows.h"
#include "platform/host_program.h"
#include "platform/hashing.h"
#include "platform/network.h"
#include "platform/program_runner.h"
#include "platform/shared_memory.h"
#include "platform/text_prompt.h"
#include "platform/win32/win32_file_info.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_system_info.h"

namespace qbx {

// Never destroyed: the module's unload code runs after the run time has destroyed static
// objects at process exit, and it still writes the log's last line.
Platform systemPlatform() {
    static auto* registry = new win32::Win32Registry;
    static auto* files = new win32::Win32FileSystem;
    static auto* environment = new win32::Win32Environment;
    static auto* clock = new win32::Win32Clock;
    static auto* locale = new win32::Win32Locale;
    static auto* ui = new win32::Win32Ui;
    static auto* profiles = new win32::Win32ProfileStore;
    static auto* hashing = new SystemHashing;
    static auto* fileInfo = new win32::Win32FileInfo;
    static auto* registryRoots = new win32::Win32RegistryRoots;
    static auto* systemInfo = new win32::Win32SystemInfo;
    Platform platform{registry, files, environment, clock, locale, ui, profiles, hashing};
    platform.network = &systemNetwork();
    platform.fileInfo = fileInfo;
    platform.registryRoots = registryRoots;
    platform.systemInfo = systemInfo;
    platform.sharedMemory = &systemSharedMemory();
    platform.textPrompt = &systemTextPrompt();
    platform.programRunner = &systemProgramRunner();
    platform.desktopWindows = &systemDesktopWindows();
    platform.hostProgram = &systemHostProgram();
    return platform;
}

}  // namespace qbx
