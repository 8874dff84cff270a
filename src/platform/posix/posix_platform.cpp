#include "platform/desktop_windows.h"
#include "platform/host_program.h"
#include "platform/hashing.h"
#include "platform/ini_profile_store.h"
#include "platform/network.h"
#include "platform/posix/posix_file_info.h"
#include "platform/posix/posix_services.h"
#include "platform/posix/posix_system_info.h"
#include "platform/program_runner.h"
#include "platform/shared_memory.h"
#include "platform/text_prompt.h"

namespace qbx {

Platform systemPlatform() {
    static posix::IniRegistry registry;
    static posix::PosixFileSystem files;
    static posix::PosixEnvironment environment;
    static posix::PosixClock clock;
    static posix::PosixLocale locale;
    static posix::ConsoleUi ui;
    static IniProfileStore profiles(files);
    static SystemHashing hashing;
    static posix::PosixFileInfo fileInfo;
    static posix::IniRegistryRoots registryRoots(registry);
    static posix::PosixSystemInfo systemInfo;
    Platform platform{&registry, &files, &environment, &clock, &locale, &ui, &profiles, &hashing};
    platform.network = &systemNetwork();
    platform.fileInfo = &fileInfo;
    platform.registryRoots = &registryRoots;
    platform.systemInfo = &systemInfo;
    platform.sharedMemory = &systemSharedMemory();
    platform.textPrompt = &systemTextPrompt();
    platform.programRunner = &systemProgramRunner();
    platform.desktopWindows = &systemDesktopWindows();
    platform.hostProgram = &systemHostProgram();
    return platform;
}

}  // namespace qbx
