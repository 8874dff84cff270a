#include "base/ini_file.h"

#include "base/text.h"

namespace qbx {
namespace {

std::string_view trim(std::string_view text) {
    while (!text.empty() && isIniBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isIniBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool isQuote(char c) { return c == '"' || c == '\''; }

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && isQuote(value.front()) && value.front() == value.back())
        return value.substr(1, value.size() - 2);
    return value;
}

// A value that reading would change (outer blanks, outer matching quotes) is written inside
// quotes, which reading takes off again.
bool needsQuotes(std::string_view value) {
    if (value.empty()) return false;
    return isProfileBlank(value.front()) || isProfileBlank(value.back()) ||
           (value.size() >= 2 && isQuote(value.front()) && value.front() == value.back());
}

// A line break inside a name or value would start a line of its own (a forged key or
// section) when the file is read back; it is written as a blank instead.
void appendOneLine(std::string& out, std::string_view text) { out += lineBreaksToBlanks(text); }

// Whether the text holds nothing but blanks and line ends, which a parse loses nothing of.
bool isBlankText(std::string_view text) {
    for (const char c : text)
        if (!isIniBlank(c) && c != '\r' && c != '\n') return false;
    return true;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

IniFile IniFile::parse(std::string_view bytes) {
    IniFile ini;
    if (bytes.size() > kMaxFileBytes) {
        ini.cut_ = "longer than 16 MiB";
        return ini;
    }
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());

    std::size_t names = 0;
    Section* current = nullptr;  // keys before the first section header belong nowhere
    std::size_t pos = 0;
    while (pos < bytes.size() && names < kMaxParsedNames) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view raw = bytes.substr(pos, end - pos);
        pos = end;
        if (pos < bytes.size()) {
            if (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ++pos;
            ++pos;
        }
        if (raw.size() > kMaxLineBytes) {
            if (ini.cut_.empty()) ini.cut_ = "a line longer than 65536 bytes";
            continue;
        }

        const std::string_view line = trim(raw);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                const std::string_view name = trim(line.substr(1, close - 1));
                // A repeated header continues the section of that name, where the first
                // match of every key is the one that counts.
                current = ini.findSection(name);
                if (current == nullptr) {
                    current = &ini.addSection(name);
                    ++names;
                }
                continue;
            }
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || current == nullptr) continue;
        if (addEntry(*current, trim(line.substr(0, equals)),
                     unquote(trim(line.substr(equals + 1)))))
            ++names;
    }
    if (ini.cut_.empty() && !isBlankText(bytes.substr(pos))) ini.cut_ = "more than 262144 names";
    return ini;
}

const IniFile::Section* IniFile::findSection(std::string_view name) const {
    const auto it = sectionIndex_.find(toUpper1251(name));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

IniFile::Section* IniFile::findSection(std::string_view name) {
    const auto it = sectionIndex_.find(toUpper1251(name));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

IniFile::Section& IniFile::addSection(std::string_view name) {
    sectionIndex_.emplace(toUpper1251(name), sections_.size());
    sections_.push_back(Section{std::string(name), {}, {}});
    return sections_.back();
}

bool IniFile::addEntry(Section& section, std::string_view key, std::string_view value) {
    if (!section.keys.emplace(toUpper1251(key), section.entries.size()).second) return false;
    section.entries.push_back(Entry{std::string(key), std::string(value)});
    return true;
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
    const Section* s = findSection(section);
    if (s == nullptr) return std::nullopt;
    const auto it = s->keys.find(toUpper1251(key));
    if (it == s->keys.end()) return std::nullopt;
    return s->entries[it->second].value;
}

std::string IniFile::getString(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
    auto value = get(section, key);
    return value ? std::move(*value) : std::string(fallback);
}

std::int32_t IniFile::getInt(std::string_view section, std::string_view key,
                             std::int32_t fallback) const {
    const Section* s = findSection(section);
    if (s == nullptr) return fallback;
    const auto it = s->keys.find(toUpper1251(key));
    if (it == s->keys.end()) return fallback;
    const std::string_view value = s->entries[it->second].value;

    std::size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    if (i >= value.size() || value[i] < '0' || value[i] > '9') return fallback;
    // Digits past the 32-bit range wrap around, as they do for the profile functions.
    std::uint32_t result = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        result = result * 10u + static_cast<std::uint32_t>(value[i] - '0');
    if (negative) result = 0u - result;
    return static_cast<std::int32_t>(result);
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    Section* s = findSection(section);
    if (s == nullptr) s = &addSection(section);
    const auto it = s->keys.find(toUpper1251(key));
    if (it != s->keys.end())
        s->entries[it->second].value = value;
    else
        addEntry(*s, key, value);
}

void IniFile::erase(std::string_view section, std::string_view key) {
    Section* s = findSection(section);
    if (s == nullptr) return;
    const auto it = s->keys.find(toUpper1251(key));
    if (it == s->keys.end()) return;
    s->entries.erase(s->entries.begin() + static_cast<std::ptrdiff_t>(it->second));
    s->keys.clear();
    for (std::size_t i = 0; i < s->entries.size(); ++i)
        s->keys.emplace(toUpper1251(s->entries[i].key), i);
}

void IniFile::eraseSection(std::string_view section) {
    const auto it = sectionIndex_.find(toUpper1251(section));
    if (it == sectionIndex_.end()) return;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(it->second));
    sectionIndex_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i)
        sectionIndex_.emplace(toUpper1251(sections_[i].name), i);
}

bool IniFile::hasSection(std::string_view section) const { return findSection(section) != nullptr; }

std::vector<std::string> IniFile::sectionNames() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const auto& s : sections_) names.push_back(s.name);
    return names;
}

std::vector<std::string> IniFile::keyNames(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* s = findSection(section)) {
        names.reserve(s->entries.size());
        for (const auto& e : s->entries) names.push_back(e.key);
    }
    return names;
}

std::span<const IniFile::Entry> IniFile::entries(std::string_view section) const {
    const Section* s = findSection(section);
    return s == nullptr ? std::span<const Entry>() : std::span<const Entry>(s->entries);
}

std::string IniFile::serialize() const {
    std::string out;
    std::string value;
    for (const auto& s : sections_) {
        out += '[';
        appendOneLine(out, s.name);
        out += "]\r\n";
        for (const auto& e : s.entries) {
            appendOneLine(out, e.key);
            out += '=';
            value.clear();
            appendOneLine(value, e.value);
            if (needsQuotes(value)) {
                out += '"';
                out += value;
                out += '"';
            } else {
                out += value;
            }
            out += "\r\n";
        }
    }
    return out;
}

}  // namespace qbx
