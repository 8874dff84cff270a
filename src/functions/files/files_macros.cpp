#include "functions/files/files_macros.h"

#include <exception>
#include <stdexcept>
#include <string_view>

#include "base/text.h"
#include "core/formatting.h"
#include "core/plugin.h"
#include "core/strings.h"
#include "functions/files/files.h"
#include "macros/answer.h"
#include "macros/arguments.h"
#include "macros/mode_letters.h"
#include "platform/file_info.h"
#include "platform/registry_roots.h"

namespace qbx::functions::files {
namespace {

using macros::MacroCall;

// Outside the table's 1..500: the empty text, the placeholder of the macros that answer
// nothing when they fail.
constexpr int kNoText = 0;

constexpr std::string_view kPreviousLogName = "-QBX.log.old";
constexpr std::string_view kWindowsVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

// A failure logged as the placeholder's would be, answered with a text of the macro's own
// ("0" of the counting macros).
template <typename Body>
std::string answerOrText(MacroCall& call, std::string_view fallback, Body&& body) {
    try {
        return body();
    } catch (...) {
        macros::placeholderAfterFailure(call, kNoText, std::current_exception());
        return std::string(fallback);
    }
}

FileInfo& fileInfo(MacroCall& call) {
    if (call.plugin.platform.fileInfo == nullptr)
        throw std::runtime_error("file information is not available");
    return *call.plugin.platform.fileInfo;
}

ProfileStore& profiles(MacroCall& call) {
    if (call.plugin.platform.profiles == nullptr)
        throw std::runtime_error("INI files are not available");
    return *call.plugin.platform.profiles;
}

Environment& environment(MacroCall& call) {
    if (call.plugin.platform.environment == nullptr)
        throw std::runtime_error("the environment is not available");
    return *call.plugin.platform.environment;
}

RegistryRoots& registryRoots(MacroCall& call) {
    if (call.plugin.platform.registryRoots == nullptr)
        throw std::runtime_error("the registry is not available");
    return *call.plugin.platform.registryRoots;
}

char decimalSeparator(MacroCall& call) {
    return call.plugin.platform.locale != nullptr ? call.plugin.platform.locale->decimalSeparator()
                                                  : '.';
}

std::string param(MacroCall& call, int index) { return macros::getParamText(call.params, index); }

std::int32_t readIniInt(MacroCall& call) {
    const std::string value =
        profiles(call).readString(param(call, 0), param(call, 1), param(call, 2), "");
    return iniInteger(value).value_or(0);
}

void writeIni(MacroCall& call, std::string_view value) {
    // The profile functions report no failure worth a text: the value is lost, as the
    // system's own writer loses it.
    if (!profiles(call).writeString(param(call, 0), param(call, 1), param(call, 2), value))
        call.plugin.log.write("@@ " + call.name + ": the value was not written");
}

DriveSpace driveSpace(MacroCall& call) {
    return fileInfo(call).driveSpace(driveNumber(macros::getParamChar(call.params, 1)));
}

std::optional<VolumeInfo> volume(MacroCall& call) {
    return fileInfo(call).volumeInfo(param(call, 0) + ":\\");
}

std::string machineFolder(MacroCall& call, std::string_view valueName) {
    const RegValue value =
        registryRoots(call).readString(RegistryRoot::LocalMachine, kWindowsVersionKey, valueName);
    return value.status == RegStatus::Ok ? value.text : std::string();
}

std::string folderOf(MacroCall& call, const FolderKey& row) {
    switch (row.source) {
        case FolderSource::CommonFiles: return machineFolder(call, "CommonFilesDir");
        case FolderSource::Current: return fileInfo(call).currentFolder();
        case FolderSource::ProgramFiles: return machineFolder(call, "ProgramFilesDir");
        case FolderSource::Windows: return fileInfo(call).windowsFolder();
        case FolderSource::System: return systemDir(environment(call));
        case FolderSource::Temp: return tempDir(environment(call));
        case FolderSource::Shell: return fileInfo(call).shellFolder(row.shellNumber);
    }
    return {};
}

}  // namespace

std::string zvxLastLog(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        const std::string path = tempDir(environment(call)) + std::string(kPreviousLogName);
        const auto head = fileInfo(call).readHead(path, macros::kMaxParamText);
        if (!head) throw std::runtime_error("cannot read " + path);
        return macros::answer(call, logLines(*head, macros::kMaxParamText));
    });
}

std::string zvxGetIniInt(MacroCall& call) {
    return answerOrText(call, "0", [&] { return decimal(readIniInt(call)); });
}

std::string zvxSetIniInt(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        writeIni(call, decimal(macros::getParamInt(call.params, 3)));
        return std::string();
    });
}

std::string zvxIncIniInt(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        // Wraps round at the top of the range, as the 32-bit counter always did.
        const auto next =
            static_cast<std::int32_t>(static_cast<std::uint32_t>(readIniInt(call)) + 1u);
        writeIni(call, decimal(next));
        return std::string();
    });
}

std::string zvxGetIniStr(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        return profiles(call).readString(param(call, 0), param(call, 1), param(call, 2), "");
    });
}

std::string zvxSetIniStr(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        writeIni(call, param(call, 3));
        return std::string();
    });
}

std::string zvxFVer(MacroCall& call) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        const auto version = fileInfo(call).fileVersion(param(call, 0));
        return version ? fileVersionText(*version) : call.plugin.strings[str::kNotAvailable];
    });
}

std::string zvxFilesSize(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        const std::uint64_t size = folderFilesSize(fileInfo(call), param(call, 1), param(call, 2));
        return formatByteSize(macros::byteUnit(macros::getParamChar(call.params, 0)),
                              macros::unitNameRequested(macros::getParamChar(call.params, 3)),
                              static_cast<std::int64_t>(size), call.plugin.strings);
    });
}

std::string zvxFilesCount(MacroCall& call) {
    return answerOrText(call, "0", [&] {
        return decimal(static_cast<std::int64_t>(
            folderFilesCount(fileInfo(call), param(call, 0), param(call, 1))));
    });
}

std::string zvxFilesList(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        return macros::answer(call, folderFilesList(fileInfo(call), param(call, 0), param(call, 1),
                                                    macros::kMaxParamText));
    });
}

std::string zvxGp(MacroCall& call) {
    call.resultId = kFolderMacroResultId;
    return macros::answerOr(call, kNoText, [&] {
        std::string key = param(call, 0);
        const auto row = folderKey(toUpper1251(key));
        return row ? folderOf(call, *row) : key;
    });
}

std::string zvxTempPath(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] { return tempDir(environment(call)); });
}

std::string zvxDrvFree(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        const char unit = macros::getParamChar(call.params, 0);
        const DriveSpace space = driveSpace(call);
        // A drive that cannot be read answers nothing, as its size does: its -1 would read
        // as sixteen exabytes free.
        if (space.free < 0 || space.total < 0) return std::string();
        if (unit == 'P') return freePercentText(space.free, space.total, decimalSeparator(call));
        return formatByteSize(macros::byteUnit(unit), false, space.free, call.plugin.strings);
    });
}

std::string zvxDrvSize(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        const DriveSpace space = driveSpace(call);
        if (space.total < 0) return std::string();
        return formatByteSize(macros::byteUnit(macros::getParamChar(call.params, 0)), false,
                              space.total, call.plugin.strings);
    });
}

std::string zvxVolName(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        const auto info = volume(call);
        return info && !info->label.empty() ? info->label : param(call, 1);
    });
}

std::string zvxVolSNum(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        const auto info = volume(call);
        return info && info->serialNumber ? serialNumberText(*info->serialNumber) : std::string();
    });
}

std::string zvxVolFs(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        const auto info = volume(call);
        return info ? info->fileSystem : std::string();
    });
}

std::string zvxRegRead(MacroCall& call) {
    return macros::answerOr(call, kNoText, [&] {
        const std::string key = param(call, 0);
        const std::string name = param(call, 1);
        const RegValue value = registryRoots(call).readString(
            registryRoot(macros::getParamChar(call.params, 2)), registryKeyPath(key), name);
        if (value.status == RegStatus::WrongType)
            throw std::runtime_error("the value " + name + " of " + key + " is not a text");
        if (value.status != RegStatus::Ok)
            throw std::runtime_error("no value " + name + " under " + key);
        return value.text;
    });
}

}  // namespace qbx::functions::files
