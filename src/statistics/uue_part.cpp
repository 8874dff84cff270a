#include "statistics/uue_part.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/byte_search.h"
#include "base/text.h"
#include "base/uu_codec.h"

namespace qbx::statistics {
namespace {

constexpr std::string_view kSectionWord = "section";
constexpr std::size_t kSectionWords = 7;

bool beginsWithSection(std::string_view line) {
    return line.size() >= kSectionWord.size() &&
           equalsIgnoreCase1251(line.substr(0, kSectionWord.size()), kSectionWord);
}

// Calls each(line) for the lines of the text, split at CR LF, LF or CR, without copying.
template <class Each>
void forEachLine(std::string_view text, Each&& each) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        each(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() &&
            text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

bool isQuote(char c) { return c == '"' || c == '\''; }

int digitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

bool isDeviceName(std::string_view name) {
    // The system takes "con.txt" and "con .txt" for the console as well.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    for (const std::string_view device :
         {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
        if (equalsIgnoreCase1251(base, device)) return true;
    if (base.size() == 4 && base[3] >= '1' && base[3] <= '9')
        for (const std::string_view device : {"COM", "LPT"})
            if (equalsIgnoreCase1251(base.substr(0, 3), device)) return true;
    return false;
}

bool endsWithIgnoreCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           equalsIgnoreCase1251(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace

bool isUuePart(std::string_view text) {
    if (text.size() > kMaxUuePartBodyBytes) return false;
    // A line starts at the text's start and after every CR or LF; the position after the CR of
    // a CR LF holds the LF, which no "section" line begins with, so testing there is harmless.
    if (beginsWithSection(text)) return true;
    const auto next = [text](char c, std::size_t from) { return findByte(text, c, from); };
    std::size_t lf = next('\n', 0);
    std::size_t cr = next('\r', 0);
    while (lf < text.size() || cr < text.size()) {
        const std::size_t lineBreak = std::min(lf, cr);
        if (beginsWithSection(text.substr(lineBreak + 1))) return true;
        if (lf == lineBreak) lf = next('\n', lineBreak + 1);
        if (cr == lineBreak) cr = next('\r', lineBreak + 1);
    }
    return false;
}

std::vector<std::string> sectionWords(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i == line.size()) break;
        std::string word;
        while (i < line.size() && line[i] != ' ') {
            if (isQuote(line[i])) {
                const std::size_t close = line.find(line[i], i + 1);
                const std::size_t end = close == std::string_view::npos ? line.size() : close + 1;
                word.append(line.substr(i, end - i));
                i = end;
            } else {
                word += line[i++];
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::int64_t leadingInteger(std::string_view text) {
    const auto [negative, base, digits] = readIntegerPrefix(text);
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / 16;
    std::int64_t value = 0;
    for (std::size_t i = digits; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0) break;
        value = value < kLimit ? value * base + digit : std::numeric_limits<std::int64_t>::max();
    }
    return negative ? -value : value;
}

UuePart parseUuePart(std::string_view text) {
    UuePart part;
    if (text.size() > kMaxUuePartBodyBytes) return part;
    std::string data;
    forEachLine(text, [&](std::string_view line) {
        if (beginsWithSection(line)) {
            const std::vector<std::string> words = sectionWords(line);
            // A line that merely starts with the word is no section line.
            if (words.size() < kSectionWords) return;
            part.part = leadingInteger(words[1]);
            part.count = leadingInteger(words[3]);
            part.name = words[6];
        } else if (isUuDataLine(line)) {
            data.append(line);
            data += "\r\n";
        }
    });
    if (data.empty()) return part;  // no data lines: nothing to keep
    part.data = std::string(trimBlankOrControl(data));
    part.data += "\r\n";
    return part;
}

std::optional<std::string> cleanPartFileName(std::string_view name) {
    while (name.size() >= 2 && isQuote(name.front()) && name.back() == name.front())
        name = name.substr(1, name.size() - 2);
    if (!name.empty() && isQuote(name.front())) name.remove_prefix(1);
    if (!name.empty() && isQuote(name.back())) name.remove_suffix(1);
    const std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);

    if (name.empty() || name.size() > kMaxUuePartNameBytes) return std::nullopt;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) return std::nullopt;
        if (std::string_view("<>:\"/\\|?*[]=;").find(c) != std::string_view::npos)
            return std::nullopt;
    }
    for (const char end : {name.front(), name.back()})
        if (end == '.' || end == ' ') return std::nullopt;
    if (isDeviceName(name)) return std::nullopt;
    for (const std::string_view own : {"Count", "PendingFiles", "UC.INI"})
        if (equalsIgnoreCase1251(name, own)) return std::nullopt;
    // A decoded file of that name would replace another set's part file or assembled text.
    if (endsWithIgnoreCase(name, ".tmp") || endsWithIgnoreCase(name, ".uue")) return std::nullopt;
    return std::string(name);
}

}  // namespace qbx::statistics
