// The play-count list's titles and counts, and the "Top10.Statz" stream they are kept in.
//
// The list is a character trie in the file's eyes: a title's node lies at the depth of its
// length, and the file holds the entries in pre-order (a node before its children, children in
// byte order 32..255). Here the entries sit in a map from the key (the title up to its first
// byte below 32, at most 2047 bytes) to the entry, whose own ordering of keys is that same
// pre-order: a key is a prefix of its extensions and sorts before them. The counts of nodes the
// trie would have are worked out from the keys.
//
// The stream is one zlib stream of 2052-byte records: 2048 bytes of text, zero-padded, then
// the count as an unsigned 32-bit little-endian number. No header, no record count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/zlib_stream.h"

namespace qbx::functions::playcount {

inline constexpr std::size_t kTitleBytes = 2048;
inline constexpr std::size_t kRecordBytes = kTitleBytes + 4;
inline constexpr std::size_t kMaxKeyLength = kTitleBytes - 1;
// Bounds of what a list holds, whatever a file or the players offer: distinct titles, and the
// bytes of their texts (a hundred thousand titles of 2047 bytes would take the host's address
// space). A title past either is not added; the titles held keep counting.
inline constexpr std::size_t kMaxTitles = 100'000;
inline constexpr std::size_t kMaxTitleBytes = std::size_t{64} << 20;
// A file is read whole before it is inflated; ours never come near either cap (a full list of
// realistic titles compresses to a few megabytes and inflates to about 200 MB).
inline constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;
inline constexpr std::uint64_t kMaxInflatedBytes = std::uint64_t{256} << 20;

// What normalising a title removes: the settings "doTrim", "doNum" and "doExt".
struct TitleOptions {
    bool trimSpaces = false;
    bool trimNumbers = false;
    bool trimExtensions = false;
};

// The player's title without a four-character extension, leading track numbers and the
// blanks around it, as chosen; never the empty text for a title that had more than a dot.
std::string normalizeTrackName(std::string_view text, const TitleOptions& options);

// How a record or title was taken.
enum class Counted { Ignored, New, Again, Full };

// A title and its count as the list shows it.
struct TitleCount {
    std::string text;
    std::uint32_t count = 0;
};

class PlayCountTable {
public:
    // A record's text (its first 2048 bytes) counted `count` more times under its key; the
    // entry takes the record's text. A count stops at 2^32-1.
    Counted insert(std::string_view recordText, std::uint32_t count);
    // A title seen once; texts shorter than 2 bytes are ignored, longer ones cut at 2047.
    Counted add(std::string_view title);
    // Each piece of the text between the separators (blank ( ) - , . : ; < = > @ [ ] { }, line
    // breaks; not inside quotes) added as a title. Gives how many pieces the list refused.
    std::size_t addWords(std::string_view text);

    std::int64_t countNodes() const;    // nodes of the trie below its root
    std::int64_t countEntries() const;  // entries below the root
    std::uint64_t totalCount() const;   // counts of all entries, the root's included
    std::size_t titles() const noexcept { return entries_.size(); }
    // What the entries hold, roughly: for a benchmark's figures.
    std::size_t memoryBytes() const;

    // visit(text, count) for each entry in pre-order; the text is the entry's own (up to its
    // first byte below 32).
    template <typename Visit>
    void forEachEntry(Visit&& visit) const {
        for (const auto& [key, entry] : entries_) visit(textOf(key, entry), entry.count);
    }

    // The 50 (or `slots`) most counted entries, most first; equal counts in pre-order. Entries
    // are taken in pre-order into the slot of the smallest count when they count more.
    std::vector<TitleCount> top(std::size_t slots) const;

    struct StreamReading {
        InflateOutcome inflate;
        std::uint64_t refused = 0;  // records whose title the list had no room for
    };
    // Inserts the records of a "Top10.Statz" stream; those before damage stay.
    StreamReading readStream(std::string_view file);
    // Each entry's text replaced by its normalised form, then the stream of the entries whose
    // text is not empty, in pre-order, at zlib's maximum level.
    std::string writeStream(const TitleOptions& options);

private:
    struct Entry {
        std::string ownText;    // only when it differs from the key
        bool textIsKey = true;  // most entries: no second copy of the title
        std::uint32_t count = 0;
    };
    static std::string_view textOf(const std::string& key, const Entry& entry) {
        return entry.textIsKey ? std::string_view(key) : std::string_view(entry.ownText);
    }
    void setText(const std::string& key, Entry& entry, std::string_view text);

    std::map<std::string, Entry, std::less<>> entries_;
    std::size_t bytesHeld_ = 0;
};

}  // namespace qbx::functions::playcount
