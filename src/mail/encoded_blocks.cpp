#include "mail/encoded_blocks.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "base/byte_search.h"
#include "base/text.h"

namespace qbx::mail {
namespace {

// The kinds of the base64 alphabet's characters; 0 for every other byte.
enum Kind : std::uint8_t { kNotBase64 = 0, kCapital = 1, kSmall = 2, kDigit = 4, kSign = 8 };
constexpr std::uint8_t kEveryKindOfText = kCapital | kSmall | kDigit;

constexpr std::array<std::uint8_t, 256> kKinds = [] {
    std::array<std::uint8_t, 256> table{};
    for (int c = 'A'; c <= 'Z'; ++c) table[c] = kCapital;
    for (int c = 'a'; c <= 'z'; ++c) table[c] = kSmall;
    for (int c = '0'; c <= '9'; ++c) table[c] = kDigit;
    table['+'] = kSign;
    table['/'] = kSign;
    return table;
}();

std::uint8_t kindOf(char c) { return kKinds[static_cast<unsigned char>(c)]; }

struct Line {
    std::size_t begin = 0;     // first byte in the body
    std::size_t end = 0;       // past its line end
    std::string_view data;     // without the line end (LF, or CR LF)
    std::string_view trimmed;  // also without blanks, tabs and CRs at its end
};

struct Base64Shape {
    std::size_t width = 0;  // characters with the padding; 0 when the line is no base64
    bool padded = false;
    bool looksRandom = false;
};

Base64Shape base64Shape(std::string_view text) {
    Base64Shape shape;
    std::size_t n = 0;
    std::uint8_t kinds = 0, last = 0;
    std::size_t changes = 0;
    for (; n < text.size(); ++n) {
        const std::uint8_t kind = kindOf(text[n]);
        if (kind == kNotBase64) break;
        if (n > 0 && kind != last) ++changes;
        kinds |= kind;
        last = kind;
    }
    if (n == 0) return shape;
    std::size_t padding = 0;
    while (n + padding < text.size() && padding < 3 && text[n + padding] == '=') ++padding;
    // A rule drawn with "+" or "/" is no data.
    if (n + padding != text.size() || padding > 2 || kinds == kSign) return shape;
    shape.width = text.size();
    shape.padded = padding > 0;
    shape.looksRandom = shape.width >= kMinEncodedLineWidth &&
                        (kinds & kEveryKindOfText) == kEveryKindOfText && 2 * changes >= n - 1;
    return shape;
}

bool isUuCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u <= 0x60;
}

// A data line as uuencode writes it: its first character gives the count of bytes, and the
// line holds exactly the groups of four that count needs (two characters more are allowed,
// as some encoders add a check character).
bool isUuData(std::string_view data) {
    if (data.empty() || !isUuCharacter(data[0])) return false;
    const std::size_t bytes = (static_cast<unsigned char>(data[0]) - 0x20u) & 0x3Fu;
    const std::size_t expected = 1 + (bytes + 2) / 3 * 4;
    if (data.size() < expected || data.size() > expected + 2) return false;
    for (char c : data)
        if (!isUuCharacter(c)) return false;
    return true;
}

// 45 bytes, the line every encoder writes but the last.
bool isFullUuLine(std::string_view data) {
    return !data.empty() && data[0] == 'M' && isUuData(data);
}

bool isOctal(char c) { return c >= '0' && c <= '7'; }

// "begin 644 name": three or four octal digits of the file mode, then the name.
bool isUuBegin(std::string_view data) {
    constexpr std::string_view kBegin = "begin ";
    if (data.substr(0, kBegin.size()) != kBegin) return false;
    std::size_t i = kBegin.size();
    const std::size_t digitsFrom = i;
    while (i < data.size() && isOctal(data[i])) ++i;
    const std::size_t digits = i - digitsFrom;
    return digits >= 3 && digits <= 4 && i + 1 < data.size() && data[i] == ' ';
}

bool saysBase64Transfer(std::string_view line) {
    constexpr std::string_view kName = "content-transfer-encoding:";
    if (line.size() < kName.size() || !equalsIgnoreCase1251(line.substr(0, kName.size()), kName))
        return false;
    return equalsIgnoreCase1251(trimBlankOrControl(line.substr(kName.size())), "base64");
}

// Without the blanks, tabs and carriage returns at its end.
std::string_view withoutTrailingBlanks(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

class Scanner {
public:
    explicit Scanner(std::string_view body) : body_(body) {}

    void take(const Line& line) {
        const Base64Shape shape = base64Shape(line.trimmed);
        const bool afterPartHeaders = std::exchange(afterPartHeaders_, false);
        const std::optional<Line> uuLine = std::exchange(uuLine_, std::nullopt);
        const Run run = std::exchange(run_, Run{});

        if (mode_ == Mode::Uu) {
            if (continueUu(line)) return;
            mode_ = Mode::Text;
        }
        if (mode_ == Mode::Base64) {
            if (continueBase64(line, shape)) return;
            mode_ = Mode::Text;
        }

        if (line.trimmed.empty()) {
            afterPartHeaders_ = base64PartHeaders_;
            base64PartHeaders_ = false;
            return;
        }
        if (saysBase64Transfer(line.trimmed)) {
            base64PartHeaders_ = true;
            return;
        }
        if (isUuBegin(line.data)) {
            leaveOut(line.begin, line.end, 1);
            mode_ = Mode::Uu;
            return;
        }
        if (isFullUuLine(line.data)) {
            if (uuLine) {
                leaveOut(uuLine->begin, line.end, 2);
                mode_ = Mode::Uu;
                return;
            }
            uuLine_ = line;
        }
        if (shape.width == 0) return;
        if (shape.looksRandom && run.width == shape.width && openBase64(run, line, shape)) return;
        if ((shape.looksRandom || afterPartHeaders) && openBase64(Run{}, line, shape)) return;
        if (shape.width >= kMinEncodedLineWidth && !shape.padded) {
            run_ = run.width == shape.width ? run : Run{line.begin, 0, 0, 0, shape.width};
            run_.end = line.end;
            ++run_.lines;
            run_.characters += shape.width;
        }
    }

    EncodedBlocksLeftOut finish() {
        if (result_.lines > 0) result_.kept.append(body_, keptFrom_, std::string_view::npos);
        return std::move(result_);
    }

private:
    enum class Mode { Text, Base64, Uu };

    // Neighbouring lines of one width that do not look random alone (the first lines of a
    // picture or an archive are mostly "A"): a random-looking line of their width that follows
    // makes them the first lines of its block.
    struct Run {
        std::size_t begin = 0, end = 0;
        std::size_t lines = 0, characters = 0;
        std::size_t width = 0;  // 0: no run
    };

    // `line` opens a block, after the lines of `before`. False when a padded line leaves the
    // block short of a multiple of four characters.
    bool openBase64(const Run& before, const Line& line, const Base64Shape& shape) {
        const std::size_t total = before.characters + shape.width;
        if (shape.padded && total % 4 != 0) return false;
        if (before.lines > 0) leaveOut(before.begin, before.end, before.lines);
        leaveOut(line.begin, line.end, 1);
        if (!shape.padded) {
            mode_ = Mode::Base64;
            width_ = shape.width;
            blockCharacters_ = total;
        }
        return true;
    }

    bool continueBase64(const Line& line, const Base64Shape& shape) {
        if (shape.width == 0 || shape.width > width_) return false;
        const std::size_t total = blockCharacters_ + shape.width;
        if (shape.padded || shape.width < width_) {  // the block's last line
            if (total % 4 != 0) return false;
            leaveOut(line.begin, line.end, 1);
            mode_ = Mode::Text;
            return true;
        }
        leaveOut(line.begin, line.end, 1);
        blockCharacters_ = total;
        return true;
    }

    bool continueUu(const Line& line) {
        const bool end = line.trimmed == "end";
        if (!end && !isUuData(line.data)) return false;
        leaveOut(line.begin, line.end, 1);
        if (end) mode_ = Mode::Text;
        return true;
    }

    // The bytes begin .. end, `lines` whole lines, come after everything left out before.
    void leaveOut(std::size_t begin, std::size_t end, std::size_t lines) {
        if (result_.lines == 0) result_.kept.reserve(body_.size() - (end - begin));
        result_.kept.append(body_, keptFrom_, begin - keptFrom_);
        keptFrom_ = end;
        result_.lines += lines;
        result_.bytes += end - begin;
    }

    std::string_view body_;
    EncodedBlocksLeftOut result_;
    std::size_t keptFrom_ = 0;
    Mode mode_ = Mode::Text;
    std::size_t width_ = 0;            // the base64 block's line width
    std::size_t blockCharacters_ = 0;  // its characters so far
    bool base64PartHeaders_ = false;   // a part header said base64; its blank line is ahead
    bool afterPartHeaders_ = false;    // this line follows that blank line
    std::optional<Line> uuLine_;       // a full uuencoded line that a second one would confirm
    Run run_;
};

}  // namespace

EncodedBlocksLeftOut leaveOutEncodedBlocks(std::string_view body) {
    Scanner scanner(body);
    std::size_t begin = 0;
    while (begin < body.size()) {
        const std::size_t stop = findByte(body, '\n', begin);
        Line line;
        line.begin = begin;
        line.end = stop < body.size() ? stop + 1 : stop;
        line.data = body.substr(begin, stop - begin);
        if (stop < body.size() && !line.data.empty() && line.data.back() == '\r')
            line.data.remove_suffix(1);
        line.trimmed = withoutTrailingBlanks(line.data);
        scanner.take(line);
        begin = line.end;
    }
    return scanner.finish();
}

}  // namespace qbx::mail
