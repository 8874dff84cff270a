#include "core/variables.h"

#include <limits>
#include <unordered_set>

#include "core/ini_file.h"
#include "core/log.h"
#include "core/text.h"
#include "core/version.h"
#include "platform/platform.h"

namespace qbx {
namespace {

constexpr std::string_view kStringSection = "String";
constexpr std::string_view kIntegerSection = "Integer";
constexpr std::string_view kAuthorCredit = "Quilbex team";
constexpr std::size_t kMaxLoggedNameBytes = 80;
// Longer names and values are not saved: the system's profile functions garble texts from
// 32 KiB on, and the file's lines must stay within what our own INI reader takes.
constexpr std::size_t kMaxFileTextBytes = 32000;

// A name that would come back from "var.dat" as another name, as a section header, as a
// comment, or not at all.
bool fileCanHoldName(std::string_view name) {
    if (name.empty() || name.size() > kMaxFileTextBytes) return false;
    if (name.front() == '[' || name.front() == ';') return false;
    if (isProfileBlank(name.front()) || isProfileBlank(name.back())) return false;
    return name.find_first_of(std::string_view("=\r\n\0", 4)) == std::string_view::npos;
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
        value > std::numeric_limits<std::int32_t>::max()) return 0;
    return static_cast<std::int32_t>(value);
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

bool VarTable::store(std::string_view name, VarKind kind, std::string_view text,
                     std::int32_t value, bool temporary) {
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
    return true;
}

bool VarTable::storeStr(std::string_view name, std::string_view text) {
    return store(name, VarKind::String, text, 0, false);
}

bool VarTable::storeInt(std::string_view name, std::int32_t value) {
    return store(name, VarKind::Integer, {}, value, false);
}

bool VarTable::storeTempStr(std::string_view name, std::string_view text) {
    return store(name, VarKind::String, text, 0, true);
}

bool VarTable::storeTempInt(std::string_view name, std::int32_t value) {
    return store(name, VarKind::Integer, {}, value, true);
}

bool VarTable::incInt(std::string_view name, std::int32_t delta) {
    const int index = find(name);
    if (index < 0) return false;
    VarRec& e = entries_[static_cast<std::size_t>(index)];
    e.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(e.value) +
                                        static_cast<std::uint32_t>(delta));
    e.kind = VarKind::Integer;
    return true;
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

void VarTable::load(const Platform& platform, const std::string& path, Log&) {
    reset();
    try {
        if (platform.files == nullptr || platform.profiles == nullptr) return;
        if (!platform.files->fileExists(path)) return;
        ProfileStore& profiles = *platform.profiles;
        for (const auto section : {kStringSection, kIntegerSection}) {
            for (const std::string& key : profiles.keyNames(path, section)) {
                // Once the table is full only keys of variables it holds can change anything;
                // the others are not even read.
                if (find(key) < 0 && count() >= kCapacity) continue;
                const std::string value = profiles.readString(path, section, key, "");
                if (section == kStringSection)
                    storeStr(key, value);
                else
                    storeInt(key, integerFromFile(value));
            }
        }
    } catch (...) {  // out of memory: the table keeps what was read so far
    }
}

bool VarTable::save(const Platform& platform, const std::string& path, Log& log) const {
    if (platform.files == nullptr || platform.profiles == nullptr) return false;
    FileSystem& files = *platform.files;
    const std::string temp = path + ".tmp";
    try {
        // A leftover of an interrupted save would mix its keys into this one.
        if (files.fileExists(temp) && !files.deleteFile(temp)) return false;

        // The profile functions match keys without regard to case: of two names that differ
        // only in case, the second would overwrite the first one's value.
        std::unordered_set<std::string> written[2];
        bool wroteAny = false;
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
            const bool ok = isString ? platform.profiles->writeString(
                                           temp, kStringSection, e.name, lineBreaksToBlanks(e.text))
                                     : platform.profiles->writeString(
                                           temp, kIntegerSection, e.name, decimal(e.value));
            if (!ok) {
                files.deleteFile(temp);
                return false;
            }
            wroteAny = true;
        }
        if (!wroteAny) return !files.fileExists(path) || files.deleteFile(path);
        if (files.replaceFile(temp, path)) return true;
        files.deleteFile(temp);
        return false;
    } catch (...) {
        try {
            files.deleteFile(temp);
        } catch (...) {
        }
        return false;
    }
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
