#include "scripting/script_store.h"

#include <algorithm>
#include <exception>
#include <map>
#include <optional>
#include <utility>

#include "base/text.h"
#include "core/log.h"
#include "platform/platform.h"

namespace qbx::scripting {
namespace {

constexpr std::string_view kCrLf = "\r\n";

bool isScriptFileName(std::string_view name) {
    if (name.size() < 2 || !equalsIgnoreCase1251(name.substr(name.size() - 2), ".s")) return false;
    // A listing gives plain names; anything else must not lead the writer out of the folder.
    return std::none_of(name.begin(), name.end(), [](char c) {
        return c == '\\' || c == '/' || c == ':' || (isBlankOrControl(c) && c != ' ');
    });
}

// Nothing when the file cannot be read or used; `reason` then says why.
std::optional<ScriptFile> readScriptFile(ScriptStoreIo io, const std::string& path,
                                         std::string* reason = nullptr) {
    const auto failed = [&](std::string why) -> std::optional<ScriptFile> {
        if (reason != nullptr) *reason = std::move(why);
        return std::nullopt;
    };
    try {
        const std::optional<std::string> bytes = io.files.readFile(path, kMaxScriptFileBytes);
        if (!bytes) return failed(io.files.lastError());
        ScriptFile file;
        if (!parseScriptFile(*bytes, file)) return failed("more lines than a script file may hold");
        return file;
    } catch (const std::exception& e) {
        return failed(e.what());
    }
}

std::string_view langLine(ScriptLang lang) {
    switch (lang) {
        case ScriptLang::Pascal: return "@LANG PAS";
        case ScriptLang::VBScript: return "@LANG VB";
        case ScriptLang::JScript: return "@LANG JS";
        case ScriptLang::None: break;
    }
    return {};
}

}  // namespace

std::vector<std::string> listScriptFiles(const ScriptFolder& folder) {
    std::vector<std::string> names;
    if (folder.dir.empty()) return names;
    for (const std::string& name : folder.entryNames) {
        if (names.size() == kMaxScriptFiles) break;
        if (isScriptFileName(name)) names.push_back(name);
    }
    return names;
}

ScriptTable registerScripts(ScriptStoreIo io, const ScriptFolder& folder) {
    io.log.write("Registering scripts...");
    const std::vector<std::string> files = listScriptFiles(folder);

    std::size_t detected = 0;
    for (const std::string& name : files) {
        std::string reason;
        const std::optional<ScriptFile> file = readScriptFile(io, folder.dir + name, &reason);
        if (!file) {
            io.log.write("Exception on GetScriptNum: script file " + folder.dir + name +
                         " skipped: " + reason);
            continue;
        }
        detected += scriptCount(*file);
    }
    detected = std::min(detected, kMaxScripts);
    io.log.write("Total scripts detected: " + decimal(static_cast<std::int64_t>(detected)));

    ScriptTable table;
    table.entries.resize(detected + kSpareScriptEntries);
    std::size_t k = 0;
    std::size_t textBytes = 0;
    std::size_t directivesLogged = 0;
    bool full = false;
    // The files are read a second time: one that grew in between may hold more scripts than
    // were counted, and those find no entry.
    for (const std::string& name : files) {
        if (k == detected || full) break;
        const std::optional<ScriptFile> file = readScriptFile(io, folder.dir + name);
        if (!file) continue;  // the counting pass has logged it
        const std::string fileName = toUpper1251(name);
        for (const ScriptSource& script : scriptsOf(*file)) {
            for (std::size_t h = 0; h < script.headers && k < detected; ++h) {
                // Every header of a run holds a copy of the run's text: a file of many
                // repeated headers must not multiply its size without end.
                if (script.text.size() > kMaxScriptTextBytes - textBytes) {
                    full = true;
                    break;
                }
                textBytes += script.text.size();
                for (const std::string& directive : script.directives)
                    if (directivesLogged < kMaxLoggedDirectives) {
                        ++directivesLogged;
                        io.log.write("##### " + directive);
                    }
                ZvxScript& entry = table.entries[k];
                entry.name = script.name;
                entry.text = script.text;
                entry.fileName = fileName;
                entry.flag = 0;
                entry.lang = script.lang;
                entry.lines = script.lines;
                io.log.write("Scripting Macro [" + name + ":" + script.name + "] has been read");
                ++k;
            }
            if (k == detected || full) break;
        }
    }
    if (full) io.log.write("Script texts exceed the limit; the remaining scripts are skipped");
    io.log.write(decimal(static_cast<std::int64_t>(k)) + " scripts have been registered");
    return table;
}

FoundScript findScript(const ScriptTable& table, std::string_view name) {
    if (name.empty()) return {};
    for (std::size_t i = 0; i < table.entries.size(); ++i)
        if (equalsIgnoreCase1251(table.entries[i].name, name))
            return {table.entries[i].text, static_cast<int>(i), table.entries[i].lines};
    return {};
}

std::string scriptNameList(const ScriptTable& table) {
    std::string list;
    bool first = true;
    for (const ZvxScript& entry : table.entries) {
        if (entry.name.empty() || entry.text.empty()) continue;
        if (!first) list += kCrLf;
        list += entry.name;
        first = false;
    }
    return list;
}

std::string scriptFileList(const ScriptTable& table) {
    std::vector<std::string> names;
    names.reserve(table.entries.size());
    for (const ZvxScript& entry : table.entries) names.push_back(entry.fileName);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::string list;
    for (const std::string& name : names) {
        list += name;
        list += kCrLf;
    }
    return list;
}

bool saveScripts(ScriptStoreIo io, const ScriptTable& table, const std::string& dir) {
    if (dir.empty()) return false;
    struct Pending {
        std::string bytes;
        const ZvxScript* previous = nullptr;  // the file's last section so far
    };
    std::map<std::string, Pending> files;
    for (const ZvxScript& entry : table.entries) {
        if (entry.fileName.empty()) continue;
        const std::string path = dir + entry.fileName;
        Pending& file = files[entry.fileName];
        io.log.write("Assigning file: " + path);
        io.log.write("Writing script " + entry.name + " at " + path);
        const std::string header = "@SCRIPT " + entry.name;
        file.bytes += header;
        file.bytes += kCrLf;
        io.log.write(header);
        // Headers of one name in a row are read back as one script whose text every one of
        // them holds: write that text once, or every save would repeat it once more.
        const ZvxScript* previous = std::exchange(file.previous, &entry);
        if (previous != nullptr && previous->name == entry.name && previous->text == entry.text &&
            previous->lang == entry.lang)
            continue;
        if (const std::string_view lang = langLine(entry.lang); !lang.empty()) {
            file.bytes += lang;
            file.bytes += kCrLf;
        }
        file.bytes += entry.text;
        file.bytes += kCrLf;
        io.log.write(entry.text);
    }
    bool written = true;
    for (const auto& [fileName, file] : files) {
        try {
            if (!io.files.writeFileAtomic(dir + fileName, file.bytes)) written = false;
        } catch (const std::exception&) {
            written = false;
        }
    }
    return written;
}

}  // namespace qbx::scripting
