#include "core/variables.h"

#include <limits>
#include <map>
#include <optional>
#include <unordered_set>

#include "base/ini_file.h"
#include "base/text.h"
#include "core/kept_files.h"
#include "core/log.h"
#include "core/var_file.h"
#include "core/version.h"
#include "platform/platform.h"

namespace qbx {
namespace {

constexpr std::string_view kStringSection = "String";
constexpr std::string_view kIntegerSection = "Integer";
// The names of the saved variables whose values came from the message: earlier versions and
// the profile functions pass over a section they do not read, and the values stay where
// they always were.
constexpr std::string_view kFromMessageSection = "FromMessage";
constexpr std::string_view kAuthorCredit = "Quilbex team";
constexpr std::size_t kMaxLoggedNameBytes = 80;
// Longer names and values are not saved: the system's profile functions garble texts from
// 32 KiB on, and the file's lines must stay within what our own INI reader takes.
constexpr std::size_t kMaxFileTextBytes = 32000;

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

// A name that would come back from "var.dat" as another name, as a section header, as a
// comment, or not at all.
bool fileCanHoldName(std::string_view name) {
    if (name.empty() || name.size() > kMaxFileTextBytes) return false;
    if (name.front() == '[' || name.front() == ';') return false;
    if (isProfileBlank(name.front()) || isProfileBlank(name.back())) return false;
    for (char c : name)
        if (c == '=' || isLineBreak(c) || isForeignToVarFile(c)) return false;
    return true;
}

// Line breaks would start lines of their own, other control characters would make the file
// read as damaged: both are saved as blanks. `lineBreaks` tells whether there were any.
std::string valueForFile(std::string_view text, bool& lineBreaks) {
    std::string value(text);
    lineBreaks = false;
    for (char& c : value) {
        if (static_cast<unsigned char>(c) >= 0x20) continue;
        lineBreaks = lineBreaks || isLineBreak(c);
        if (isLineBreak(c) || isForeignToVarFile(c)) c = ' ';
    }
    return value;
}

// A log line whose text may fail to build (out of memory): then there is no line.
template <class Text>
void logNoexcept(Log& log, Text&& text) noexcept {
    try {
        log.write(text());
    } catch (...) {
    }
}

bool keptDamagedFileAside(FileSystem& files, const std::string& path, const std::string& reason,
                          Log& log) {
    const KeptAside aside = keepAside(files, path);
    if (aside.kept)
        log.write("Damaged " + path + " (" + reason + ") kept as " + aside.path);
    else
        log.write("Damaged " + path + " (" + reason + ") cannot be kept aside (" + aside.failure +
                  "): left as it is and not written this session");
    return aside.kept;
}

// A name fit for one log line.
std::string loggedName(std::string_view name) {
    std::string out(name.substr(0, kMaxLoggedNameBytes));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    if (name.size() > kMaxLoggedNameBytes) out += "...";
    return out;
}

// Plain decimal in the 32-bit range; anything else reads as 0.
std::int32_t integerFromFile(std::string_view text) {
    std::int64_t value = 0;
    if (!parseInt64(text, value) || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(value);
}

// An entry the table would load and save with another value, or not save at all.
bool tooLongForFile(const IniFile::Entry& entry) {
    return entry.key.size() > kMaxFileTextBytes || entry.value.size() > kMaxFileTextBytes;
}

const VarRec& freeEntry() {
    static const VarRec none;
    return none;
}

}  // namespace

int VarTable::find(std::string_view name) const {
    for (int i = 1; i <= kCapacity; ++i) {
        const VarRec& e = entries_[static_cast<std::size_t>(i)];
        if (e.used && e.name == name) return i;
    }
    return -1;
}

bool VarTable::store(std::string_view name, VarKind kind, std::string_view text, std::int32_t value,
                     bool temporary, bool fromMessage) {
    int index = find(name);
    if (index < 0) {
        for (int i = 1; i <= kCapacity && index < 0; ++i)
            if (!entries_[static_cast<std::size_t>(i)].used) index = i;
        if (index < 0) return false;
        VarRec& fresh = entries_[static_cast<std::size_t>(index)];
        fresh.name = name;
        fresh.used = true;
        fresh.noSave = temporary;
    }
    VarRec& e = entries_[static_cast<std::size_t>(index)];
    if (kind == VarKind::String)
        e.text = text;
    else
        e.value = value;
    e.kind = kind;
    e.fromMessage = fromMessage;
    return true;
}

bool VarTable::storeStr(std::string_view name, std::string_view text, bool fromMessage) {
    return store(name, VarKind::String, text, 0, false, fromMessage);
}

bool VarTable::storeInt(std::string_view name, std::int32_t value, bool fromMessage) {
    return store(name, VarKind::Integer, {}, value, false, fromMessage);
}

bool VarTable::storeTempStr(std::string_view name, std::string_view text, bool fromMessage) {
    return store(name, VarKind::String, text, 0, true, fromMessage);
}

bool VarTable::storeTempInt(std::string_view name, std::int32_t value, bool fromMessage) {
    return store(name, VarKind::Integer, {}, value, true, fromMessage);
}

bool VarTable::incInt(std::string_view name, std::int32_t delta, bool fromMessage) {
    const int index = find(name);
    if (index < 0) return false;
    VarRec& e = entries_[static_cast<std::size_t>(index)];
    e.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(e.value) +
                                        static_cast<std::uint32_t>(delta));
    // A String that becomes an Integer drops its text, and with it the text's origin.
    e.fromMessage = (e.kind == VarKind::Integer && e.fromMessage) || fromMessage;
    e.kind = VarKind::Integer;
    return true;
}

bool VarTable::fromMessage(std::string_view name) const {
    const int index = find(name);
    return index >= 0 && entries_[static_cast<std::size_t>(index)].fromMessage;
}

int VarTable::type(std::string_view name) const {
    const int index = find(name);
    return index < 0 ? 2 : static_cast<int>(entries_[static_cast<std::size_t>(index)].kind);
}

std::string VarTable::text(std::string_view name) const {
    const int index = find(name);
    return index < 0 ? std::string() : varValueText(entries_[static_cast<std::size_t>(index)]);
}

int VarTable::count() const {
    int used = 0;
    for (int i = 1; i <= kCapacity; ++i) used += entries_[static_cast<std::size_t>(i)].used;
    return used;
}

void VarTable::reset() {
    for (VarRec& e : entries_) e = VarRec{};
    storeStr("ver", kVersionText);
    storeStr("Author", kAuthorCredit);
}

const VarRec& VarTable::entry(int index) const {
    if (index < 1 || index > kCapacity) return freeEntry();
    return entries_[static_cast<std::size_t>(index)];
}

void VarTable::load(const Platform& platform, const std::string& path, Log& log) {
    // Until the file has been read whole or found missing, save() leaves it alone: a load cut
    // short must not end in the user's variables being written over with the presets.
    unreadableFile_ = path;
    kept_.clear();
    keptFromMessage_.clear();
    reset();
    if (platform.files == nullptr) return;
    FileSystem& files = *platform.files;
    try {
        removeStaleTemporaries(files, path, log, true);  // older versions saved to "var.dat.tmp"
        const std::optional<std::string> bytes = files.readFile(path, IniFile::kMaxFileBytes);
        if (!bytes) {
            const std::string reason = files.lastError();
            if (isTooLongReason(reason)) {
                if (keptDamagedFileAside(files, path, reason, log)) unreadableFile_.clear();
            } else if (files.fileExists(path) || files.directoryExists(path)) {
                log.write("Cannot read " + path + " (" + reason +
                          "): left as it is and not written this session");
            } else {
                unreadableFile_.clear();  // no file yet
            }
            return;
        }
        if (const std::size_t at = firstForeignByte(*bytes); at != std::string::npos) {
            const auto byte = static_cast<unsigned char>((*bytes)[at]);
            if (keptDamagedFileAside(files, path,
                                     "holds byte 0x" + hexUpper(byte, 2) + " at offset " +
                                         decimal(static_cast<std::int64_t>(at)),
                                     log))
                unreadableFile_.clear();
            return;
        }
        loadText(*bytes);
        unreadableFile_.clear();
        if (!kept_.empty())
            logNoexcept(log, [&] {
                return "var.dat: " + decimal(static_cast<std::int64_t>(kept_.size())) +
                       (kept_.size() == 1 ? " variable" : " variables") +
                       " not loaded (the table is full, or their names or values are too "
                       "long): kept in the file as they are";
            });
    } catch (...) {     // out of memory: the table keeps what was read so far, the file is kept
        kept_.clear();  // the file is not written this session
        logNoexcept(log, [&] {
            return "Cannot read " + path +
                   " (out of memory): left as it is and not written "
                   "this session";
        });
    }
}

void VarTable::loadText(std::string_view bytes) {
    const IniFile ini = IniFile::parse(bytes);
    int used = count();
    for (const auto section : {kStringSection, kIntegerSection}) {
        for (const IniFile::Entry& entry : ini.entries(section)) {
            if (entry.key.empty()) continue;  // the profile functions list no nameless keys
            const bool known = find(entry.key) >= 0;
            // Once the table is full only keys of variables it holds can change anything.
            if (tooLongForFile(entry) || (!known && used >= kCapacity)) {
                kept_.push_back({section == kStringSection ? VarKind::String : VarKind::Integer,
                                 entry.key, entry.value});
                continue;
            }
            if (section == kStringSection)
                storeStr(entry.key, entry.value);
            else
                storeInt(entry.key, integerFromFile(entry.value));
            if (!known) ++used;
        }
    }
    for (const IniFile::Entry& entry : ini.entries(kFromMessageSection)) {
        const int index = find(entry.key);
        if (index >= 0)
            entries_[static_cast<std::size_t>(index)].fromMessage = true;
        else if (!entry.key.empty())
            keptFromMessage_.push_back(entry.key);
    }
}

std::string VarTable::fileText(Log& log) const {
    IniFile ini;
    // Keys match without regard to case: of two names that differ only in case, the second
    // would come back with the first one's value.
    std::unordered_set<std::string> written[2];
    std::unordered_set<std::string> saved;  // of both sections
    std::vector<const std::string*> fromMessage;
    for (int i = 1; i <= kCapacity; ++i) {
        const VarRec& e = entries_[static_cast<std::size_t>(i)];
        if (!e.used || e.noSave) continue;
        if (e.kind != VarKind::String && e.kind != VarKind::Integer) continue;
        const bool isString = e.kind == VarKind::String;
        if (!fileCanHoldName(e.name)) {
            log.write("Variable \"" + loggedName(e.name) +
                      "\" not saved: its name cannot stand in var.dat");
            continue;
        }
        if (!written[isString ? 0 : 1].insert(toUpper1251(e.name)).second) {
            log.write("Variable \"" + loggedName(e.name) +
                      "\" not saved: var.dat holds a variable of that name in other case");
            continue;
        }
        if (isString && e.text.size() > kMaxFileTextBytes) {
            log.write("Variable \"" + loggedName(e.name) +
                      "\" not saved: its value is too long for var.dat");
            continue;
        }
        if (isString) {
            bool lineBreaks = false;
            ini.set(kStringSection, e.name, valueForFile(e.text, lineBreaks));
            if (lineBreaks)
                log.write("Variable \"" + loggedName(e.name) + "\": line breaks saved as blanks");
        } else {
            ini.set(kIntegerSection, e.name, decimal(e.value));
        }
        saved.insert(toUpper1251(e.name));
        if (e.fromMessage) fromMessage.push_back(&e.name);
    }
    keepEntriesNotTaken(ini, saved, log);
    // After both value sections, which keep the place they always had in the file.
    for (const std::string* name : fromMessage) ini.set(kFromMessageSection, *name, "1");
    for (const std::string& name : keptFromMessage_)
        if (saved.count(toUpper1251(name)) == 0) ini.set(kFromMessageSection, name, "1");
    return ini.serialize();
}

void VarTable::keepEntriesNotTaken(IniFile& ini, const std::unordered_set<std::string>& saved,
                                   Log& log) const {
    for (const KeptEntry& kept : kept_) {
        // The table's variable is the newer one, and two keys of one name would come back as
        // one: the file's entry gives way.
        if (saved.count(toUpper1251(kept.key)) != 0) {
            log.write("Variable \"" + loggedName(kept.key) +
                      "\" kept in var.dat as it was is dropped: the table saves a variable of "
                      "that name");
            continue;
        }
        ini.set(kept.section == VarKind::String ? kStringSection : kIntegerSection, kept.key,
                kept.value);
    }
}

bool VarTable::save(const Platform& platform, const std::string& path, Log& log) const {
    if (platform.files == nullptr) return false;
    try {
        if (!unreadableFile_.empty() && unreadableFile_ == path) {
            log.write("Variables not saved: " + path + " could not be read at start");
            return false;
        }
        if (platform.files->writeFileAtomic(path, fileText(log))) return true;
        log.write("Cannot save variables to " + path + ": " + platform.files->lastError());
    } catch (...) {
        logNoexcept(log, [&] { return "Cannot save variables to " + path + ": out of memory"; });
    }
    return false;
}

std::string expandVariableReferences(const VarTable& vars, std::string_view text,
                                     std::size_t maxBytes, bool& cut, const SplicedValue& spliced) {
    cut = false;
    if (text.find("$$") == std::string_view::npos) return std::string(text);
    const auto isNameChar = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    std::map<std::string, std::string, std::less<>> values;  // each variable read once
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t at = text.find("$$", i);
        const std::size_t stop = at == std::string_view::npos ? text.size() : at;
        out.append(text.substr(i, stop - i));
        if (at != std::string_view::npos) {
            std::size_t end = at + 2;
            while (end < text.size() && isNameChar(text[end])) ++end;
            const std::string_view name = text.substr(at + 2, end - at - 2);
            i = end;
            if (!name.empty()) {
                auto it = values.find(name);
                if (it == values.end()) {
                    std::string value = vars.text(name);
                    if (spliced) {
                        const int type = vars.type(name);
                        value = spliced(name, type == 1 ? VarKind::Integer : VarKind::String,
                                        std::move(value));
                    }
                    it = values.emplace(std::string(name), std::move(value)).first;
                }
                out += it->second;
            }
        } else {
            i = text.size();
        }
        if (out.size() > maxBytes) {
            out.resize(maxBytes);
            cut = true;
            break;
        }
    }
    return std::string(trimBlankOrControl(out));
}

std::string varValueText(const VarRec& entry) {
    switch (entry.kind) {
        case VarKind::String: return entry.text;
        case VarKind::Integer: return decimal(entry.value);
    }
    return {};
}

std::string varTypeName(const VarRec& entry) {
    switch (entry.kind) {
        case VarKind::String: return "String";
        case VarKind::Integer: return "Integer";
    }
    return "<unknown>";
}

}  // namespace qbx
