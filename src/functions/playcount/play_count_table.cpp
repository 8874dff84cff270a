#include "functions/playcount/play_count_table.h"

#include <algorithm>
#include <array>
#include <limits>
#include <span>

#include "base/text.h"

namespace qbx::functions::playcount {
namespace {

constexpr int kMaximumLevel = 9;  // zlib's best compression
constexpr std::uint32_t kMaxCount = std::numeric_limits<std::uint32_t>::max();

bool isTrackNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '[' || c == ']';
}

// The text as the trie spells it: up to its first byte below 32, at most `limit` bytes.
std::string_view upToControl(std::string_view text, std::size_t limit) {
    text = text.substr(0, limit);
    const auto stop = std::find_if(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 32; });
    return text.substr(0, static_cast<std::size_t>(stop - text.begin()));
}

std::uint32_t saturatingAdd(std::uint32_t a, std::uint32_t b) {
    return b > kMaxCount - a ? kMaxCount : a + b;
}

bool isWordSeparator(char c) {
    switch (c) {
        case ' ':
        case '(':
        case ')':
        case '-':
        case ',':
        case '.':
        case ':':
        case ';':
        case '<':
        case '=':
        case '>':
        case '@':
        case '[':
        case ']':
        case '{':
        case '}': return true;
        default: return false;
    }
}

std::size_t commonPrefix(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

std::size_t heapBytes(const std::string& text) {
    // Short texts live inside the string object itself.
    return text.capacity() > 15 ? text.capacity() + 1 : 0;
}

}  // namespace

std::string normalizeTrackName(std::string_view text, const TitleOptions& options) {
    const std::string_view fallback =
        !text.empty() && text.back() == '.' ? text.substr(0, text.size() - 1) : text;
    std::string_view result = text;
    if (options.trimExtensions && result.size() > 3 && result[result.size() - 4] == '.')
        result.remove_suffix(4);
    if (options.trimNumbers)
        while (!result.empty() && isTrackNumberChar(result.front())) result.remove_prefix(1);
    if (options.trimSpaces) result = trimBlankOrControl(result);
    return std::string(result.empty() ? fallback : result);
}

void PlayCountTable::setText(const std::string& key, Entry& entry, std::string_view text) {
    // A text of its own beside the key could take the list past its bound of bytes: the entry
    // then keeps the text it has (they differ at most in the 2048th byte).
    if (text != key && text.size() > entry.ownText.size() &&
        text.size() - entry.ownText.size() > kMaxTitleBytes - bytesHeld_)
        return;
    bytesHeld_ -= entry.ownText.size();
    if (text == key) {
        entry.textIsKey = true;
        entry.ownText.clear();
        entry.ownText.shrink_to_fit();
    } else {
        entry.textIsKey = false;
        entry.ownText.assign(text);
        bytesHeld_ += entry.ownText.size();
    }
}

Counted PlayCountTable::insert(std::string_view recordText, std::uint32_t count) {
    const std::string_view text = upToControl(recordText, kTitleBytes);
    const std::string_view key = text.substr(0, kMaxKeyLength);
    auto it = entries_.find(key);
    if (it == entries_.end()) {
        const std::size_t bytes = key.size() + (text.size() != key.size() ? text.size() : 0);
        if (entries_.size() >= kMaxTitles || bytes > kMaxTitleBytes - bytesHeld_)
            return Counted::Full;
        it = entries_.emplace(std::string(key), Entry{}).first;
        bytesHeld_ += key.size();
        setText(it->first, it->second, text);
        it->second.count = count;
        return Counted::New;
    }
    setText(it->first, it->second, text);
    it->second.count = saturatingAdd(it->second.count, count);
    return Counted::Again;
}

Counted PlayCountTable::add(std::string_view title) {
    if (title.size() < 2) return Counted::Ignored;
    return insert(title.substr(0, kMaxKeyLength), 1);
}

// The pieces as the class library's string extraction cuts them: a quote opens a passage that
// only the same quote closes, the quotes stay in the piece, and the text ends at a zero byte.
std::size_t PlayCountTable::addWords(std::string_view text) {
    const auto at = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
    const auto isQuote = [](char c) { return c == '\'' || c == '"'; };
    std::size_t refused = 0;
    if (at(0) == '\0') return refused;
    char quote = '\0';
    std::size_t tail = 0;
    for (;;) {
        while (at(tail) == '\r' || at(tail) == '\n') ++tail;
        const std::size_t head = tail;
        for (;;) {
            for (char c = at(tail);; c = at(++tail)) {
                if (quote != '\0' && !isQuote(c) && c != '\0') continue;
                if (!isWordSeparator(c) && c != '\0' && c != '\r' && c != '\n' && !isQuote(c))
                    continue;
                break;
            }
            const char c = at(tail);
            if (!isQuote(c)) break;
            if (quote == c)
                quote = '\0';
            else if (quote == '\0')
                quote = c;
            ++tail;
        }
        const bool end = at(tail) == '\0';
        if (tail != head && at(head) != '\0')
            if (add(text.substr(head, tail - head)) == Counted::Full) ++refused;
        ++tail;
        if (end) break;
    }
    return refused;
}

std::int64_t PlayCountTable::countNodes() const {
    // Keys in order: each adds the nodes past what it shares with the key before it.
    std::int64_t nodes = 0;
    std::string_view previous;
    for (const auto& [key, entry] : entries_) {
        nodes += static_cast<std::int64_t>(key.size() - commonPrefix(previous, key));
        previous = key;
    }
    return nodes;
}

std::int64_t PlayCountTable::countEntries() const {
    const bool rootIsEntry = entries_.count(std::string_view()) != 0;
    return static_cast<std::int64_t>(entries_.size()) - (rootIsEntry ? 1 : 0);
}

std::uint64_t PlayCountTable::totalCount() const {
    std::uint64_t total = 0;
    for (const auto& [key, entry] : entries_) total += entry.count;
    return total;
}

std::size_t PlayCountTable::memoryBytes() const {
    // A map node: three links and a colour beside the key and the entry.
    constexpr std::size_t kNode = 4 * sizeof(void*) + sizeof(std::string) + sizeof(Entry);
    std::size_t bytes = sizeof(*this);
    for (const auto& [key, entry] : entries_)
        bytes += kNode + heapBytes(key) + heapBytes(entry.ownText);
    return bytes;
}

std::vector<TitleCount> PlayCountTable::top(std::size_t slots) const {
    struct Slot {
        std::int64_t count = -1;
        std::size_t order = std::numeric_limits<std::size_t>::max();
        std::string_view text;
    };
    std::vector<Slot> table(slots);
    std::size_t order = 0;
    for (const auto& [key, entry] : entries_) {
        if (table.empty()) break;
        const auto smallest =
            std::min_element(table.begin(), table.end(),
                             [](const Slot& a, const Slot& b) { return a.count < b.count; });
        if (smallest->count < static_cast<std::int64_t>(entry.count))
            *smallest = Slot{entry.count, order, textOf(key, entry)};
        ++order;
    }
    // Equal counts keep the walk's order: an exchange sort would turn some of them round.
    std::stable_sort(table.begin(), table.end(), [](const Slot& a, const Slot& b) {
        return a.count != b.count ? a.count > b.count : a.order < b.order;
    });
    std::vector<TitleCount> result;
    for (const Slot& slot : table)
        if (slot.count >= 0)
            result.push_back({std::string(slot.text), static_cast<std::uint32_t>(slot.count)});
    return result;
}

PlayCountTable::StreamReading PlayCountTable::readStream(std::string_view file) {
    StreamReading reading;
    reading.inflate = inflateRecords(
        file, kRecordBytes, kMaxInflatedBytes,
        [&](std::uint64_t, std::span<const std::uint8_t> bytes) {
            const std::string_view text(reinterpret_cast<const char*>(bytes.data()), kTitleBytes);
            const std::uint32_t count = std::uint32_t{bytes[kTitleBytes]} |
                                        std::uint32_t{bytes[kTitleBytes + 1]} << 8 |
                                        std::uint32_t{bytes[kTitleBytes + 2]} << 16 |
                                        std::uint32_t{bytes[kTitleBytes + 3]} << 24;
            if (insert(text, count) == Counted::Full) ++reading.refused;
            return true;
        });
    return reading;
}

std::string PlayCountTable::writeStream(const TitleOptions& options) {
    ZlibDeflater out(kMaximumLevel);
    std::array<std::uint8_t, kRecordBytes> record{};
    for (auto& [key, entry] : entries_) {
        const std::string normal = normalizeTrackName(textOf(key, entry), options);
        const std::string_view text = std::string_view(normal).substr(0, kMaxKeyLength);
        setText(key, entry, text);
        if (text.empty()) continue;
        record.fill(0);
        std::copy(text.begin(), text.end(), record.begin());
        for (std::size_t i = 0; i < 4; ++i)
            record[kTitleBytes + i] = static_cast<std::uint8_t>(entry.count >> (8 * i));
        out.add(record);
    }
    return out.finish();
}

}  // namespace qbx::functions::playcount
