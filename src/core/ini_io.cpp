#include "core/ini_io.h"

#include "core/kept_files.h"
#include "core/log.h"
#include "platform/platform.h"

namespace qbx {

IniFile loadIniFile(FileSystem& files, const std::string& path) {
    try {
        if (auto bytes = files.readFile(path, IniFile::kMaxFileBytes))
            return IniFile::parse(*bytes);
    } catch (...) {  // an unreadable file reads as an empty one
    }
    return IniFile{};
}

bool saveIniFile(FileSystem& files, const std::string& path, const IniFile& ini) {
    try {
        return files.writeFileAtomic(path, ini.serialize());
    } catch (...) {
        return false;
    }
}

IniToRewrite loadIniFileToRewrite(FileSystem& files, const std::string& path) {
    IniToRewrite document;
    if (!files.fileExists(path)) return document;  // a folder in its place fails the write
    std::optional<std::string> bytes = files.readFile(path, IniFile::kMaxFileBytes);
    if (!bytes) {
        document.notTakenWhole = files.lastError().empty() ? "unreadable" : files.lastError();
        document.unreadable = document.notTakenWhole != tooLongReason(IniFile::kMaxFileBytes);
        return document;
    }
    document.ini = IniFile::parse(*bytes);
    document.notTakenWhole = document.ini.cut();
    return document;
}

bool rewriteIniFile(FileSystem& files, Log& log, const std::string& path,
                    const IniToRewrite& document) {
    if (!document.notTakenWhole.empty()) {
        const KeptAside kept = keepAside(files, path, document.unreadable ? kDamagedSuffix : kNotTakenWholeSuffix);
        if (!kept.kept) {
            log.write(path + " was not read whole (" + document.notTakenWhole +
                      ") and cannot be kept aside (" + kept.failure + "): it is not written");
            return false;
        }
        log.write(path + " was not read whole (" + document.notTakenWhole + "): kept as " +
                  kept.path);
    }
    if (saveIniFile(files, path, document.ini)) return true;
    log.write("Cannot write " + path + ": " + files.lastError());
    return false;
}

}  // namespace qbx
