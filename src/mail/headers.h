// Facts read out of a message's raw header block: header values, the Received chain, the
// mailer, the charset and the parts of an address header. Pure text functions over code page
// 1251 bytes; header names compare case-sensitively. The block is untrusted mail, so every
// routine is linear in its input and bounded by the limits below.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qbx::mail {

// Lines of a block past this many are not looked at: no real header block comes near it.
inline constexpr std::size_t kMaxHeaderLines = 100000;
// A header value (a line with its continuation lines) stops growing at this many bytes.
inline constexpr std::size_t kMaxHeaderValueLength = 256 * 1024;
// At most this many Received headers make up a server chain.
inline constexpr std::size_t kMaxReceivedHops = 256;

// Receives the diagnostic lines of getHeaderValue (the caller's log at level 1).
using HeaderLog = std::function<void(std::string_view)>;

// The first line that begins with `name`, with its continuation lines (each following line
// that is not empty and begins with a character up to the blank or with a digit), joined by
// single blanks and trimmed. The header name stays in the value. "" when no line begins so.
std::string getHeaderValue(std::string_view block, std::string_view name,
                           const HeaderLog& log = {});

// The same for the last line that contains `name` anywhere: the bottom-most Received hop.
// "" when no line contains the name.
std::string getLastHeaderValue(std::string_view block, std::string_view name);

// The host name after the word "by" of one Received value, "" when there is none.
std::string receivedByServer(std::string_view received);

// The first valid dotted IPv4 address in the text (searched from the first "[" when there is
// one), or "".
std::string findIPv4InText(std::string_view text);
// Four decimal numbers 0..255 separated by dots.
bool isValidIPv4(std::string_view text);
// Every character a digit or "."; the empty text counts too.
bool isDottedDigits(std::string_view text);
// Without one enclosing pair of ( ), [ ] or ? ?.
std::string_view stripBrackets(std::string_view text);
// Without a leading, then a trailing double quote, then a leading, then a trailing single quote.
std::string_view stripQuotes(std::string_view text);

// The receiving ("by") and the sending ("from") server of one Received value given without
// its header name. A sender given only as "unknown" or as an address is named from the
// parenthesised part that follows it, or from the word after "(HELO".
struct ReceivedHop {
    std::string by;
    std::string from;
};
ReceivedHop receivedHops(std::string_view value);

// The servers of the whole Received chain, from where the message started to where it was
// received last, joined by `separator`. With dropAddresses, entries that are bare addresses
// (and empty ones) are left out. Equal neighbours collapse to one.
std::string serverList(std::string_view block, std::string_view separator, bool dropAddresses);

// What building a server list needs besides its result, kept by a caller that builds one per
// message so that the buffers' room is reused.
struct ServerListBuffers {
    std::string entry;  // the Received header at hand with its folded lines
    std::string names;  // the servers kept so far, one after another
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // where each is in names
};

// X-Mailer, else X-FTN-PID, else X-Newsreader; "unknown" when none gives a name.
std::string getMailer(std::string_view block);
// The charset of the Content-Type header in lower case, "unknown" when there is none.
std::string getCharset(std::string_view block);
// The first "content-type" line (name in any case) with its continuation lines, lower-cased:
// what lower-casing the whole block and then looking it up gives, without copying the block.
std::string lowerContentType(std::string_view block);

// The display name of an address header's value (the header name may be included).
std::string addressDisplayName(std::string_view value);
// The bare address of an address header's value, in lower case.
std::string addressOnly(std::string_view value);

// One message's header block split into its lines once, for the many lookups a message gets
// (every statistics item asks for another header): each answers exactly as the function of the
// same name above does on the whole block, without walking the block's bytes again. The block
// must outlive the index.
class HeaderIndex {
public:
    explicit HeaderIndex(std::string_view block);

    std::string headerValue(std::string_view name) const;      // getHeaderValue
    std::string lastHeaderValue(std::string_view name) const;  // getLastHeaderValue
    std::string serverList(std::string_view separator, bool dropAddresses) const;
    // The same into result, with the caller's buffers.
    void serverList(std::string_view separator, bool dropAddresses, ServerListBuffers& buffers,
                    std::string& result) const;
    std::string mailer() const;                   // getMailer
    std::string charset() const;                  // getCharset
    const std::string& lowerContentType() const;  // looked up once, then kept

    std::size_t lineCount() const noexcept { return lines_.size(); }

    struct Line {
        std::size_t start;  // of the line in the block
        std::string_view text;
    };

private:
    std::string_view block_;
    std::vector<Line> lines_;  // at most kMaxHeaderLines, as the block's own walk stops there
    mutable std::optional<std::string> lowerContentType_;
};

}  // namespace qbx::mail
