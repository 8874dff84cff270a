#include <windows.h>

#include "base/ini_file.h"
#include "base/text.h"
#include "platform/win32/win32_services.h"

namespace qbx::win32 {
namespace {

constexpr std::size_t kFirstBufferBytes = 512;

bool isQuote(char c) { return c == '"' || c == '\''; }

std::string valueToWrite(std::string_view value) {
    std::string line = lineBreaksToBlanks(value);
    if (line.empty()) return line;
    const bool changedByReading =
        isProfileBlank(line.front()) || isProfileBlank(line.back()) ||
        (line.size() >= 2 && isQuote(line.front()) && line.front() == line.back());
    return changedByReading ? '"' + line + '"' : line;
}

// Calls read(buffer, size) with a growing buffer until the answer fits or the cap is reached;
// `full` tells from the answer's length that it was cut short.
template <typename Read>
std::string readGrowing(Read read, DWORD fullMargin) {
    std::string buffer;
    std::size_t size = kFirstBufferBytes;
    for (;;) {
        buffer.assign(size, '\0');
        const DWORD got = read(buffer.data(), static_cast<DWORD>(size));
        const bool cut = got + fullMargin >= size;
        if (!cut || size >= Win32ProfileStore::kMaxReadBytes) {
            buffer.resize(got < size ? got : size);
            return buffer;
        }
        size = size * 4 < Win32ProfileStore::kMaxReadBytes ? size * 4
                                                           : Win32ProfileStore::kMaxReadBytes;
    }
}

}  // namespace

std::vector<std::string> Win32ProfileStore::keyNames(const std::string& path,
                                                     std::string_view section) {
    try {
        const auto file = zeroTerminated(path);
        const auto sectionName = zeroTerminated(section);
        if (!file || file->empty() || !sectionName) return {};
        bool cut = false;
        const std::string names = readGrowing(
            [&](char* buffer, DWORD size) {
                const DWORD got = GetPrivateProfileStringA(sectionName->c_str(), nullptr, "",
                                                           buffer, size, file->c_str());
                cut = size >= 2 && got == size - 2;
                return got;
            },
            2);
        std::vector<std::string> result;
        std::size_t start = 0;
        while (start < names.size() && result.size() < kMaxKeyNames) {
            std::size_t end = names.find('\0', start);
            if (end == std::string::npos) end = names.size();
            if (end > start) result.emplace_back(names, start, end - start);
            start = end + 1;
        }
        // At the cap the last name may be cut short: it would name another key.
        if (cut && !result.empty()) result.pop_back();
        return result;
    } catch (...) {
        return {};
    }
}

std::string Win32ProfileStore::readString(const std::string& path, std::string_view section,
                                          std::string_view key, std::string_view fallback) {
    try {
        const auto file = zeroTerminated(path);
        const auto sectionName = zeroTerminated(section);
        const auto keyName = zeroTerminated(key);
        if (!file || file->empty() || !sectionName || !keyName) return std::string(fallback);
        std::string value = readGrowing(
            [&](char* buffer, DWORD size) {
                return GetPrivateProfileStringA(sectionName->c_str(), keyName->c_str(), "", buffer,
                                                size, file->c_str());
            },
            1);
        // The functions would trim blanks off a default; an empty answer is checked instead.
        if (value.empty() && !fallback.empty()) {
            for (const auto& name : keyNames(path, section))
                if (equalsIgnoreCase1251(name, key)) return value;
            return std::string(fallback);
        }
        return value;
    } catch (...) {
        return std::string(fallback);
    }
}

bool Win32ProfileStore::writeString(const std::string& path, std::string_view section,
                                    std::string_view key, std::string_view value) {
    try {
        const auto file = zeroTerminated(path);
        const auto sectionName = zeroTerminated(lineBreaksToBlanks(section));
        const auto keyName = zeroTerminated(lineBreaksToBlanks(key));
        const auto text = zeroTerminated(valueToWrite(value));
        if (!file || file->empty() || !sectionName || !keyName || !text) return false;
        if (sectionName->size() > kMaxWriteBytes || keyName->size() > kMaxWriteBytes ||
            text->size() > kMaxWriteBytes)
            return false;
        const bool ok = WritePrivateProfileStringA(sectionName->c_str(), keyName->c_str(),
                                                   text->c_str(), file->c_str()) != FALSE;
        // Empties the system's cache of the file, so that it is on disk before anyone renames
        // it and a later read sees the file as it is now.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file->c_str());
        return ok;
    } catch (...) {
        return false;
    }
}

bool Win32ProfileStore::deleteKey(const std::string& path, std::string_view section,
                                  std::string_view key) {
    try {
        const auto file = zeroTerminated(path);
        const auto sectionName = zeroTerminated(section);
        const auto keyName = zeroTerminated(key);
        if (!file || file->empty() || !sectionName || !keyName) return false;
        // A null value removes the key; the functions answer success for a missing one.
        const bool ok = WritePrivateProfileStringA(sectionName->c_str(), keyName->c_str(), nullptr,
                                                   file->c_str()) != FALSE;
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file->c_str());
        return ok;
    } catch (...) {
        return false;
    }
}

bool Win32ProfileStore::eraseSection(const std::string& path, std::string_view section) {
    try {
        const auto file = zeroTerminated(path);
        const auto sectionName = zeroTerminated(section);
        if (!file || file->empty() || !sectionName) return false;
        const bool ok = WritePrivateProfileStringA(sectionName->c_str(), nullptr, nullptr,
                                                   file->c_str()) != FALSE;
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, file->c_str());
        return ok;
    } catch (...) {
        return false;
    }
}

}  // namespace qbx::win32
