#include "mail/headers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/byte_search.h"
#include "base/text.h"

namespace qbx::mail {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isDigitOrDot(char c) { return isDigit(c) || c == '.'; }
bool isWordSeparator(char c) { return c == ' ' || c == '\t'; }

void trimRight(std::string& text) {
    while (!text.empty() && isBlankOrControl(text.back())) text.pop_back();
}

bool startsWith(std::string_view text, std::string_view prefix, bool ignoreCase) {
    if (prefix.empty() || text.size() < prefix.size()) return false;
    // Most lines differ at their first byte: they need no call to the runtime's comparison.
    if (!ignoreCase) return text[0] == prefix[0] && text.substr(0, prefix.size()) == prefix;
    return equalsIgnoreCase1251(text.substr(0, prefix.size()), prefix);
}

// Walks a block line by line without copying it; a line ends at CR LF, CR or LF. Stops after
// kMaxHeaderLines lines however long the block is.
class LineCursor {
public:
    explicit LineCursor(std::string_view text, std::size_t from = 0) : text_(text), pos_(from) {}

    bool next(std::string_view& line) {
        if (pos_ >= text_.size() || lines_ >= kMaxHeaderLines) return false;
        const std::size_t end = std::min(nextOf('\n', nextLf_), nextOf('\r', nextCr_));
        line = text_.substr(pos_, end - pos_);
        lineStart_ = pos_;
        pos_ = end;
        if (pos_ < text_.size()) {
            const bool cr = text_[pos_] == '\r';
            ++pos_;
            if (cr && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        }
        ++lines_;
        return true;
    }
    std::size_t lineStart() const { return lineStart_; }

private:
    // The first `c` at or after the current position (the text's size when there is none).
    // Each search starts where the last one for the same character ended, so a block is
    // searched once however its lines end.
    std::size_t nextOf(char c, std::size_t& found) const {
        if (found != std::string_view::npos && found >= pos_) return found;
        found = findByte(text_, c, pos_);
        return found;
    }

    std::string_view text_;
    std::size_t pos_;
    std::size_t lineStart_ = 0;
    std::size_t lines_ = 0;
    std::size_t nextLf_ = std::string_view::npos;
    std::size_t nextCr_ = std::string_view::npos;
};

void appendBounded(std::string& value, std::string_view piece) {
    const std::size_t room = kMaxHeaderValueLength - std::min(value.size(), kMaxHeaderValueLength);
    value.append(piece.substr(0, room));
}

// A line continues the value above it when it is not empty and begins with a blank, a control
// character or a digit (the digit rule is kept: stored statistics were gathered with it).
bool continuesValue(std::string_view line) {
    return !line.empty() && (isBlankOrControl(line.front()) || isDigit(line.front()));
}

// The matched line and its continuation lines, each trimmed and joined by one blank. Value
// is filled in place so that a caller that catches a failure still has what was gathered.
template <class Cursor>
void gatherValue(std::string_view first, Cursor& cursor, std::string& value) {
    appendBounded(value, trimBlankOrControl(first));
    std::string_view line;
    while (value.size() < kMaxHeaderValueLength && cursor.next(line) && continuesValue(line)) {
        trimRight(value);
        value += ' ';
        appendBounded(value, trimBlankOrControl(line));
    }
    trimRight(value);
}

template <class Cursor>
std::string firstHeaderValue(std::size_t blockSize, Cursor cursor, std::string_view name,
                             bool ignoreCase, const HeaderLog& log) {
    const auto say = [&log](std::string_view text) {
        if (!log) return;
        try {
            log(text);
        } catch (...) {
        }
    };
    say(decimal(static_cast<std::int64_t>(blockSize)));
    std::string value;
    try {
        std::string_view line;
        while (cursor.next(line)) {
            if (!startsWith(line, name, ignoreCase)) continue;
            say("gfh5");
            gatherValue(line, cursor, value);
            break;
        }
    } catch (...) {
        say("@@@ Error while GetFirstHeader");
    }
    const std::string_view kept = trimBlankOrControl(value);
    value.erase(0, static_cast<std::size_t>(kept.data() - value.data()));
    value.resize(kept.size());
    return value;
}

std::string firstHeaderValue(std::string_view block, std::string_view name, bool ignoreCase,
                             const HeaderLog& log) {
    return firstHeaderValue(block.size(), LineCursor(block), name, ignoreCase, log);
}

// Substring search in time linear in the haystack (Knuth-Morris-Pratt): the name comes from a
// template and the lines from a stranger, and neither may make the other quadratic.
class Finder {
public:
    explicit Finder(std::string_view pattern) : pattern_(pattern), fail_(pattern.size(), 0) {
        std::size_t k = 0;
        for (std::size_t i = 1; i < pattern_.size(); ++i) {
            while (k > 0 && pattern_[i] != pattern_[k]) k = fail_[k - 1];
            if (pattern_[i] == pattern_[k]) ++k;
            fail_[i] = k;
        }
    }
    bool foundIn(std::string_view text) const {
        if (pattern_.empty()) return false;
        std::size_t k = 0;
        for (const char c : text) {
            while (k > 0 && c != pattern_[k]) k = fail_[k - 1];
            if (c == pattern_[k] && ++k == pattern_.size()) return true;
        }
        return false;
    }

private:
    std::string_view pattern_;
    std::vector<std::size_t> fail_;
};

// Host-name characters of a "by" clause: letters, digits and ! $ ( ) - . / : ; ? _ ~.
bool isHostNameChar(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || isDigit(c)) return true;
    constexpr std::string_view kOthers = "!$()-./:;?_~";
    return kOthers.find(c) != std::string_view::npos;
}

std::string_view cutBefore(std::string_view text, char stop) {
    const std::size_t at = text.find(stop);
    return at == std::string_view::npos ? text : text.substr(0, at);
}

// The text of a header after its name ("X-Mailer:" and the like), trimmed, from the value
// that getHeaderValue gives.
std::string headerRest(const std::string& value, std::string_view name) {
    if (value.size() <= name.size()) return {};
    return std::string(trimBlankOrControl(std::string_view(value).substr(name.size())));
}

template <class ValueOf>
std::string mailerOf(ValueOf&& valueOf) {
    for (const std::string_view name : {"X-Mailer:", "X-FTN-PID:", "X-Newsreader:"}) {
        std::string mailer = headerRest(valueOf(name), name);
        if (!mailer.empty()) return mailer;
    }
    return "unknown";
}

std::string charsetOf(const std::string& value) {
    constexpr std::string_view kCharset = "charset=";
    const std::size_t at = value.find(kCharset);
    std::string_view charset;
    if (at != std::string::npos) charset = std::string_view(value).substr(at + kCharset.size());
    charset = stripQuotes(charset);
    charset = cutBefore(cutBefore(charset, ';'), ' ');
    if (!charset.empty() && charset.back() == '"') charset.remove_suffix(1);
    // "charset=;" or "charset= x" leave nothing: that is no charset either.
    if (charset.empty()) return "unknown";
    return std::string(charset);
}

// The value whose first line starts at `start` of the block, with its continuation lines.
std::string valueFromLine(std::string_view block, std::size_t start) {
    LineCursor from(block, start);
    std::string_view line;
    from.next(line);
    std::string value;
    gatherValue(line, from, value);
    return std::string(trimBlankOrControl(value));
}

}  // namespace

namespace {

// The index's lines in order, walked as LineCursor walks the block.
class IndexCursor {
public:
    explicit IndexCursor(const std::vector<HeaderIndex::Line>& lines) : lines_(lines) {}
    bool next(std::string_view& line) {
        if (next_ >= lines_.size()) return false;
        current_ = next_++;
        line = lines_[current_].text;
        return true;
    }
    std::size_t lineStart() const { return lines_[current_].start; }

private:
    const std::vector<HeaderIndex::Line>& lines_;
    std::size_t next_ = 0;
    std::size_t current_ = 0;
};

// Names up to this long are searched with the library's search, which is linear for them; a
// longer one (a template's) gets the Knuth-Morris-Pratt finder.
constexpr std::size_t kShortName = 64;

}  // namespace

std::string getHeaderValue(std::string_view block, std::string_view name, const HeaderLog& log) {
    return firstHeaderValue(block, name, false, log);
}

std::string getLastHeaderValue(std::string_view block, std::string_view name) {
    if (name.empty()) return {};
    const Finder finder(name);
    LineCursor cursor(block);
    std::string_view line;
    bool found = false;
    std::size_t lastStart = 0;
    while (cursor.next(line)) {
        if (finder.foundIn(line)) {
            found = true;
            lastStart = cursor.lineStart();
        }
    }
    if (!found) return {};
    return valueFromLine(block, lastStart);
}

std::string receivedByServer(std::string_view received) {
    // The word "by", not the end of "standby" or "nearby".
    std::size_t at = 0;
    for (;;) {
        at = received.find("by ", at);
        if (at == std::string_view::npos) return {};
        if (at == 0 || isBlankOrControl(received[at - 1])) break;
        ++at;
    }
    const std::string_view rest = received.substr(at + 3);
    std::size_t end = 0;
    while (end < rest.size() && isHostNameChar(rest[end])) ++end;
    return std::string(rest.substr(0, end));
}

bool isValidIPv4(std::string_view text) {
    for (int part = 0; part < 4; ++part) {
        std::string_view number = text;
        if (part < 3) {
            const std::size_t dot = text.find('.');
            if (dot == std::string_view::npos) return false;
            number = text.substr(0, dot);
            text.remove_prefix(dot + 1);
        }
        if (number.empty()) return false;
        int value = 0;
        for (const char c : number) {
            if (!isDigit(c)) return false;
            value = value * 10 + (c - '0');
            if (value > 255) return false;
        }
    }
    return true;
}

bool isDottedDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isDigitOrDot);
}

std::string findIPv4InText(std::string_view text) {
    const std::size_t bracket = text.find('[');
    if (bracket != std::string_view::npos) text.remove_prefix(bracket);
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && !isDigitOrDot(text[i])) ++i;
        if (i >= text.size()) break;
        const std::size_t start = i;
        int dots = 0;
        for (++i; i < text.size() && isDigitOrDot(text[i]); ++i) dots += text[i] == '.' ? 1 : 0;
        const std::string_view run = text.substr(start, i - start);
        if (dots == 3 && isValidIPv4(run)) return std::string(run);
    }
    return {};
}

std::string_view stripBrackets(std::string_view text) {
    if (text.size() < 2) return text;
    constexpr std::string_view kOpen = "([?";
    constexpr std::string_view kClose = ")]?";
    for (std::size_t i = 0; i < kOpen.size(); ++i) {
        if (text.front() == kOpen[i] && text.back() == kClose[i]) {
            return text.substr(1, text.size() - 2);
        }
    }
    return text;
}

std::string_view stripQuotes(std::string_view text) {
    for (const char quote : {'"', '\''}) {
        if (!text.empty() && text.front() == quote) text.remove_prefix(1);
        if (!text.empty() && text.back() == quote) text.remove_suffix(1);
    }
    return text;
}

namespace {

// A Received value's words (blanks separate them; a quoted word runs to its closing quote),
// one at a time: a Received value is walked once per message and
// needs only the word at hand and the one after it.
class WordCursor {
public:
    explicit WordCursor(std::string_view text) : text_(text) {}

    bool next(std::string_view& word) {
        while (i_ < text_.size() && isWordSeparator(text_[i_])) ++i_;
        if (i_ >= text_.size()) return false;
        const std::size_t start = i_;
        if (text_[i_] == '"' || text_[i_] == '\'') {
            const std::size_t close = text_.find(text_[i_], i_ + 1);
            i_ = close == std::string_view::npos ? text_.size() : close + 1;
        }
        while (i_ < text_.size() && !isWordSeparator(text_[i_])) ++i_;
        word = text_.substr(start, i_ - start);
        return true;
    }

private:
    std::string_view text_;
    std::size_t i_ = 0;
};

struct HopViews {
    std::string_view by;
    std::string_view from;
};

HopViews receivedHopViews(std::string_view value) {
    WordCursor cursor(value);
    std::string_view word;
    std::string_view after;
    bool hasNext = cursor.next(after);
    std::string_view from;
    std::string_view by;
    bool suspect = false;
    while (hasNext) {
        word = after;
        hasNext = cursor.next(after);
        if (word == "from" && hasNext) {
            from = stripBrackets(after);
            suspect = from == "unknown" || isDottedDigits(from);
        }
        if (word == "by" && hasNext) {
            suspect = false;
            by = stripBrackets(after);
        }
        if (suspect && word.front() == '(') {
            const std::string_view inner = stripBrackets(word);
            if (inner.size() != word.size() || equalsIgnoreCase1251(word, "(helo")) from = inner;
            if (equalsIgnoreCase1251(from, "(helo") && hasNext) {
                // "(HELO relay.example)": the name without the closing bracket; a name that
                // has none keeps its last letter.
                from = after;
                if (!from.empty() && from.back() == ')') from.remove_suffix(1);
            }
            suspect = isDottedDigits(from);
        }
    }
    return HopViews{stripBrackets(by), stripBrackets(from)};
}

}  // namespace

ReceivedHop receivedHops(std::string_view value) {
    const HopViews hop = receivedHopViews(value);
    return ReceivedHop{std::string(hop.by), std::string(hop.from)};
}

namespace {

// One server of the chain into the buffers, unless it is dropped: a bare address (with
// dropAddresses) or the same as the server kept before it.
void keepServer(ServerListBuffers& buffers, std::string_view server, bool dropAddresses) {
    if (dropAddresses && isDottedDigits(server)) return;
    if (!buffers.spans.empty()) {
        const auto [start, length] = buffers.spans.back();
        if (std::string_view(buffers.names).substr(start, length) == server) return;
    }
    buffers.spans.emplace_back(buffers.names.size(), server.size());
    buffers.names.append(server);
}

// The Received header gathered in the entry buffer, if it names servers.
void keepHops(ServerListBuffers& buffers, bool dropAddresses) {
    // The header name and the one character after it.
    constexpr std::size_t kSkip = std::string_view("Received:").size() + 1;
    const std::string_view entry = buffers.entry;
    const std::string_view value = entry.size() > kSkip ? entry.substr(kSkip) : std::string_view();
    if (value.substr(0, 4) != "from") return;
    const HopViews hop = receivedHopViews(value);
    if (!hop.by.empty() && !hop.from.empty()) {
        keepServer(buffers, hop.by, dropAddresses);
        keepServer(buffers, hop.from, dropAddresses);
    } else {
        keepServer(buffers, hop.by.empty() ? hop.from : hop.by, dropAddresses);
    }
}

// Removing bare addresses and collapsing equal neighbours until neither applies comes to one
// pass: whatever is dropped first, the survivors and their order are the same. Each Received
// header is looked at as soon as its folded lines are gathered, in the one entry buffer.
template <class Cursor>
void serverListOf(Cursor cursor, std::string_view separator, bool dropAddresses,
                  ServerListBuffers& buffers, std::string& result) {
    constexpr std::string_view kReceived = "Received:";
    buffers.entry.clear();
    buffers.names.clear();
    buffers.spans.clear();
    result.clear();
    std::size_t received = 0;
    // Received headers with their folded lines (blank or tab); the continuation lines of any
    // other header stay with that header.
    bool inReceived = false;
    std::string_view line;
    while (cursor.next(line)) {
        if (startsWith(line, kReceived, false)) {
            if (inReceived) keepHops(buffers, dropAddresses);
            inReceived = false;
            if (received >= kMaxReceivedHops) break;
            ++received;
            buffers.entry.assign(line.substr(0, kMaxHeaderValueLength));
            inReceived = true;
        } else if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            if (inReceived) appendBounded(buffers.entry, line);
        } else {
            if (inReceived) keepHops(buffers, dropAddresses);
            inReceived = false;
        }
    }
    if (inReceived) keepHops(buffers, dropAddresses);

    const std::string_view names = buffers.names;
    for (auto it = buffers.spans.rbegin(); it != buffers.spans.rend(); ++it) {
        std::string_view server = names.substr(it->first, it->second);
        if (startsWith(server, "helo=", true)) server.remove_prefix(5);
        if (!server.empty() && (server.back() == ',' || server.back() == ';'))
            server.remove_suffix(1);
        if (it != buffers.spans.rbegin()) result += separator;
        result += server;
    }
}

}  // namespace

std::string serverList(std::string_view block, std::string_view separator, bool dropAddresses) {
    ServerListBuffers buffers;
    std::string result;
    serverListOf(LineCursor(block), separator, dropAddresses, buffers, result);
    return result;
}

std::string getMailer(std::string_view block) {
    return mailerOf([block](std::string_view name) { return getHeaderValue(block, name); });
}

std::string lowerContentType(std::string_view block) {
    return toLower1251(firstHeaderValue(block, "content-type", true, {}));
}

std::string getCharset(std::string_view block) { return charsetOf(lowerContentType(block)); }

std::string addressDisplayName(std::string_view value) {
    std::string_view name = trimBlankOrControl(value);
    const std::size_t angle = name.find('<');
    if (angle != std::string_view::npos && angle > 0) name = name.substr(0, angle);
    const std::size_t colon = name.find(": ");
    if (colon != std::string_view::npos) name = name.substr(colon + 2);
    name = trimBlankOrControl(stripQuotes(name));
    if (!name.empty() && name.back() == '"') name.remove_suffix(1);
    return std::string(name);
}

std::string addressOnly(std::string_view value) {
    // Lower-casing changes no bracket, stop or blank, so only the address found is lowered.
    std::string_view address = value;
    const std::size_t angle = address.find('<');
    if (angle != std::string_view::npos) address.remove_prefix(angle + 1);
    for (const char stop : {'>', '(', ',', ';'}) address = cutBefore(address, stop);
    return toLower1251(trimBlankOrControl(address));
}

HeaderIndex::HeaderIndex(std::string_view block) : block_(block) {
    // The same walk as every lookup on the bare block: the same lines, the same limit.
    LineCursor cursor(block);
    std::string_view line;
    lines_.reserve(64);
    while (cursor.next(line)) lines_.push_back(Line{cursor.lineStart(), line});
}

std::string HeaderIndex::headerValue(std::string_view name) const {
    return firstHeaderValue(block_.size(), IndexCursor(lines_), name, false, {});
}

std::string HeaderIndex::lastHeaderValue(std::string_view name) const {
    if (name.empty()) return {};
    std::optional<Finder> finder;
    if (name.size() > kShortName) finder.emplace(name);
    for (std::size_t i = lines_.size(); i-- > 0;) {
        const std::string_view text = lines_[i].text;
        const bool found =
            finder ? finder->foundIn(text) : text.find(name) != std::string_view::npos;
        if (found) return valueFromLine(block_, lines_[i].start);
    }
    return {};
}

std::string HeaderIndex::serverList(std::string_view separator, bool dropAddresses) const {
    ServerListBuffers buffers;
    std::string result;
    serverListOf(IndexCursor(lines_), separator, dropAddresses, buffers, result);
    return result;
}

void HeaderIndex::serverList(std::string_view separator, bool dropAddresses,
                             ServerListBuffers& buffers, std::string& result) const {
    serverListOf(IndexCursor(lines_), separator, dropAddresses, buffers, result);
}

std::string HeaderIndex::mailer() const {
    return mailerOf([this](std::string_view name) { return headerValue(name); });
}

std::string HeaderIndex::charset() const { return charsetOf(lowerContentType()); }

const std::string& HeaderIndex::lowerContentType() const {
    if (!lowerContentType_)
        lowerContentType_ = toLower1251(
            firstHeaderValue(block_.size(), IndexCursor(lines_), "content-type", true, {}));
    return *lowerContentType_;
}

}  // namespace qbx::mail
