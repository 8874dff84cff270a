#include "support/fakes.h"

#include <algorithm>
#include <cstdio>

#include "base/datetime.h"
#include "base/text.h"

namespace qbx::test {
namespace {

std::string regKey(std::string_view key, std::string_view name) {
    std::string k = toLower1251(key);
    k.push_back('\x01');
    k += toLower1251(name);
    return k;
}

std::string twoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

}  // namespace

// ---- registry ----------------------------------------------------------------------------

RegValue FakeRegistry::readString(std::string_view key, std::string_view name) {
    auto it = values_.find(regKey(key, name));
    if (it == values_.end()) return {RegStatus::Missing, {}};
    if (it->second.wrongType) return {RegStatus::WrongType, {}};
    return {RegStatus::Ok, it->second.text};
}

bool FakeRegistry::writeString(std::string_view key, std::string_view name,
                               std::string_view value) {
    if (failWrites) return false;
    values_[regKey(key, name)] = Entry{std::string(value), false};
    writeOrder.emplace_back(name);
    return true;
}

void FakeRegistry::set(std::string_view key, std::string_view name, std::string_view value) {
    values_[regKey(key, name)] = Entry{std::string(value), false};
}

void FakeRegistry::setWrongType(std::string_view key, std::string_view name) {
    values_[regKey(key, name)] = Entry{{}, true};
}

bool FakeRegistry::has(std::string_view key, std::string_view name) const {
    return values_.count(regKey(key, name)) != 0;
}

std::string FakeRegistry::get(std::string_view key, std::string_view name) const {
    auto it = values_.find(regKey(key, name));
    return it == values_.end() ? std::string() : it->second.text;
}

// ---- file system -------------------------------------------------------------------------

struct FakeFileSystem::Shared {
    std::map<std::string, std::string> files;  // normalized path -> bytes
    std::map<std::string, bool> folders;       // normalized path
};

namespace {

class FakeOutputFile : public OutputFile {
public:
    FakeOutputFile(std::shared_ptr<void> keep, std::string* target)
        : keep_(std::move(keep)), target_(target) {}
    bool write(std::string_view bytes) override {
        target_->append(bytes);
        return true;
    }
    bool flush() override { return true; }

private:
    std::shared_ptr<void> keep_;
    std::string* target_;
};

}  // namespace

FakeFileSystem::FakeFileSystem() : state_(std::make_shared<Shared>()) {}

std::string FakeFileSystem::norm(const std::string& path) {
    std::string p = toLower1251(path);
    std::replace(p.begin(), p.end(), '/', '\\');
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    return p;
}

bool FakeFileSystem::folderWritable(const std::string& normalized) const {
    return std::find(unwritableFolders.begin(), unwritableFolders.end(), normalized) ==
           unwritableFolders.end();
}

bool FakeFileSystem::fileExists(const std::string& path) {
    ++existenceChecks;
    return state_->files.count(norm(path)) != 0;
}

bool FakeFileSystem::directoryExists(const std::string& path) {
    ++existenceChecks;
    const std::string n = norm(path);
    if (n.size() <= 3 && n.size() >= 2 && n[1] == ':') return true;  // drive roots exist
    return state_->folders.count(n) != 0;
}

bool FakeFileSystem::createDirectory(const std::string& path) {
    const std::string n = norm(path);
    if (directoryExists(n)) return true;
    if (!folderWritable(n)) return fail("Access is denied.");
    const auto slash = n.rfind('\\');
    if (slash != std::string::npos && !directoryExists(n.substr(0, slash)))
        return fail("The system cannot find the path specified.");
    state_->folders[n] = true;
    return true;
}

bool FakeFileSystem::createDirectories(const std::string& path) {
    const std::string n = norm(path);
    if (n.empty()) return false;
    for (std::size_t i = 0; i <= n.size(); ++i) {
        if (i == n.size() || n[i] == '\\') {
            const std::string part = n.substr(0, i);
            if (part.empty() || (part.size() == 2 && part[1] == ':')) continue;
            if (!createDirectory(part)) return false;
        }
    }
    return directoryExists(n);
}

std::optional<std::string> FakeFileSystem::readFile(const std::string& path, std::size_t maxBytes) {
    ++readFileCalls;
    const std::string n = norm(path);
    auto it = state_->files.find(n);
    if (it == state_->files.end()) {
        fail(state_->folders.count(n) != 0 ? "a folder is in its place"
                                           : "The system cannot find the file specified.");
        return std::nullopt;
    }
    if (unreadableFiles.count(n) != 0) {
        fail("Access is denied.");
        return std::nullopt;
    }
    if (it->second.size() > maxBytes) {
        fail(tooLongReason(maxBytes));
        return std::nullopt;
    }
    return it->second;
}

bool FakeFileSystem::writeFileAtomic(const std::string& path, std::string_view bytes) {
    const std::string n = norm(path);
    ++atomicWrites;
    if (failWrites) return fail("There is not enough space on the disk.");
    if (pathTooLong(path)) return fail("The filename or extension is too long.");
    if (state_->folders.count(n) != 0) return fail("Access is denied.");
    state_->files[n] = std::string(bytes);
    return true;
}

bool FakeFileSystem::appendToExistingFile(const std::string& path, std::string_view bytes) {
    auto it = state_->files.find(norm(path));
    if (it == state_->files.end()) return fail("The system cannot find the file specified.");
    it->second.append(bytes);
    return true;
}

bool FakeFileSystem::deleteFile(const std::string& path) {
    return state_->files.erase(norm(path)) != 0 ||
           fail("The system cannot find the file specified.");
}

bool FakeFileSystem::renameFile(const std::string& from, const std::string& to) {
    auto it = state_->files.find(norm(from));
    if (it == state_->files.end()) return fail("The system cannot find the file specified.");
    if (state_->files.count(norm(to)) != 0)
        return fail("Cannot create a file when that file already exists.");
    std::string bytes = std::move(it->second);
    state_->files.erase(it);
    state_->files[norm(to)] = std::move(bytes);
    return true;
}

std::unique_ptr<OutputFile> FakeFileSystem::createFile(const std::string& path) {
    if (failCreateFile) {
        fail("Access is denied.");
        return nullptr;
    }
    if (pathTooLong(path)) {
        fail("The filename or extension is too long.");
        return nullptr;
    }
    std::string& target = state_->files[norm(path)];
    target.clear();
    return std::make_unique<FakeOutputFile>(state_, &target);
}

std::unique_ptr<OutputFile> FakeFileSystem::createNewFile(const std::string& path) {
    if (has(path) || state_->folders.count(norm(path)) != 0) {
        fail("The file exists.");
        return nullptr;
    }
    return createFile(path);
}

std::vector<std::string> FakeFileSystem::listFiles(const std::string& folder,
                                                   std::string_view suffix) {
    std::vector<std::string> names;
    const std::string prefix = norm(folder) + "\\";
    for (const auto& [path, bytes] : state_->files) {
        if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string name = path.substr(prefix.size());
        if (name.find('\\') == std::string::npos && nameHasSuffix(name, suffix))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    if (names.size() > kMaxListedFiles) names.resize(kMaxListedFiles);
    return names;
}

void FakeFileSystem::put(const std::string& path, std::string bytes) {
    state_->files[norm(path)] = std::move(bytes);
}

std::string FakeFileSystem::contents(const std::string& path) const {
    auto it = state_->files.find(norm(path));
    return it == state_->files.end() ? std::string() : it->second;
}

bool FakeFileSystem::has(const std::string& path) const {
    return state_->files.count(norm(path)) != 0;
}

// ---- environment, clock, locale, UI ---------------------------------------------------------

std::string FakeEnvironment::expandVariables(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto open = text.find('%', i);
        if (open == std::string_view::npos) break;
        const auto close = text.find('%', open + 1);
        if (close == std::string_view::npos) break;
        out.append(text.substr(i, open - i));
        const std::string name = toUpper1251(text.substr(open + 1, close - open - 1));
        auto it = variables.find(name);
        if (it != variables.end()) {
            out += it->second;
            i = close + 1;
        } else {
            out.append(text.substr(open, close - open));  // keep "%NAME", retry at the next %
            i = close;
        }
    }
    out.append(text.substr(i));
    return out;
}

void FakeClock::advanceMs(std::uint32_t ms) {
    tick += ms;
    dateTime += ms / 86400000.0;
}

std::string FakeLocale::longTime(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    return twoDigits(f.hour) + ":" + twoDigits(f.minute) + ":" + twoDigits(f.second);
}

std::string FakeLocale::shortDate(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    return twoDigits(f.day) + "." + twoDigits(f.month) + "." + std::to_string(f.year);
}

std::string FakeLocale::shortTime(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    return twoDigits(f.hour) + ":" + twoDigits(f.minute);
}

std::string FakeLocale::longDate(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    return std::to_string(f.day) + " " +
           names.longMonthNames[static_cast<std::size_t>(f.month - 1)] + " " +
           std::to_string(f.year);
}

void FakeUi::messageBox(std::string_view text, std::string_view caption, MessageIcon icon) {
    boxes.push_back(Box{std::string(text), std::string(caption), icon});
}

}  // namespace qbx::test
