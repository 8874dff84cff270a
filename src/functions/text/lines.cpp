#include "functions/text/lines.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/text.h"
#include "functions/text/text_builder.h"

namespace qbx::functions::text {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kBreaks = "\r\n";

std::string_view trimmed(std::string_view text) { return trimBlankOrControl(text); }

// The text's lines, each followed by CR LF, as the function makes them.
template <typename LineOf>
BoundedText listText(std::string_view text, std::size_t maxSize, LineOf lineOf) {
    TextBuilder out(maxSize);
    LineReader lines(text);
    for (std::string_view line; lines.next(line);)
        if (!lineOf(out, line) || !out.append(kCrLf)) break;
    return out.take();
}

bool appendReversed(TextBuilder& out, std::string_view line) {
    return out.append(std::string(line.rbegin(), line.rend()));
}

// The first `count` characters of first + second + third.
bool appendHead(TextBuilder& out, std::size_t count, std::string_view first,
                std::string_view second, std::string_view third) {
    for (const std::string_view piece : {first, second, third}) {
        const std::size_t take = std::min(count, piece.size());
        if (!out.append(piece.substr(0, take))) return false;
        count -= take;
    }
    return true;
}

bool endsWithCrLf(std::string_view first, std::string_view second, std::string_view third) {
    char last[2] = {0, 0};
    for (const std::string_view piece : {first, second, third})
        for (const char c : piece.substr(piece.size() - std::min<std::size_t>(2, piece.size()))) {
            last[0] = last[1];
            last[1] = c;
        }
    return last[0] == '\r' && last[1] == '\n';
}

// How many odd numbers lie in first .. last (both not negative, first <= last).
std::size_t oddNumbersBetween(std::size_t first, std::size_t last) {
    return (last + 1) / 2 - first / 2;
}

// One line of fillLines, not yet joined to the others.
bool appendFilledLine(TextBuilder& out, const FillRequest& r, std::string_view frame,
                      std::string_view line) {
    if (line.empty()) return out.append(frame);
    const std::size_t length = r.prefix.size() + line.size() + r.suffix.size();
    const std::size_t width = r.width > 0 ? static_cast<std::size_t>(r.width) : 0;
    if (length < width) {
        // Centring appends at an even length and prepends at an odd one, so the odd lengths
        // on the way to the width are the characters that go in front.
        const std::size_t pads = width - length;
        const std::size_t before = r.alignment == 1   ? 0
                                   : r.alignment == 2 ? pads
                                                      : oddNumbersBetween(length, width - 1);
        return out.append(before, r.fill) && out.append(r.prefix) && out.append(line) &&
               out.append(r.suffix) && out.append(pads - before, r.fill);
    }
    if (length > width && endsWithCrLf(r.prefix, line, r.suffix))
        return appendHead(out, width, r.prefix, line, r.suffix);
    return out.append(r.prefix) && out.append(line) && out.append(r.suffix);
}

// Frame lines that fit in kMaxCountedText, up to the count asked for.
std::size_t frameLines(std::int32_t count, std::size_t frameSize) {
    if (count <= 0) return 0;
    return std::min(static_cast<std::size_t>(count), kMaxCountedText / (frameSize + 2));
}

}  // namespace

bool LineReader::next(std::string_view& line) {
    if (at_ >= text_.size()) return false;
    std::size_t end = text_.find_first_of(kBreaks, at_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(at_, end - at_);
    if (end < text_.size()) {
        if (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n') ++end;
        ++end;
    }
    at_ = end;
    return true;
}

BackwardLineReader::BackwardLineReader(std::string_view text) : text_(text), end_(text.size()) {
    done_ = text.empty();
    // A final line break starts no line.
    if (text.ends_with(kCrLf))
        end_ -= 2;
    else if (text.ends_with('\r') || text.ends_with('\n'))
        end_ -= 1;
}

bool BackwardLineReader::next(std::string_view& line) {
    if (done_) return false;
    const std::size_t at =
        end_ == 0 ? std::string_view::npos : text_.find_last_of(kBreaks, end_ - 1);
    if (at == std::string_view::npos) {
        line = text_.substr(0, end_);
        done_ = true;
        return true;
    }
    line = text_.substr(at + 1, end_ - at - 1);
    // An LF after a CR is one break with it, as the forward reading pairs them.
    end_ = (text_[at] == '\n' && at > 0 && text_[at - 1] == '\r') ? at - 1 : at;
    return true;
}

std::size_t lineCount(std::string_view text) {
    std::size_t count = 0;
    LineReader lines(text);
    for (std::string_view line; lines.next(line);) ++count;
    return count;
}

BoundedText wrapText(std::string_view text, std::int32_t width, std::string_view separator,
                     std::size_t maxSize) {
    TextBuilder out(maxSize);
    if (width < 2) return out.take();
    const auto lineWidth = static_cast<std::size_t>(std::min(width, kMaxLineWidth));
    std::size_t kept = 0;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 32) continue;
        if (kept > 0 && kept % lineWidth == 0 && !(out.append(separator) && out.append(kCrLf)))
            break;
        if (!out.append(1, c)) break;
        ++kept;
    }
    return out.take();
}

BoundedText splitToLines(std::string_view text, std::string_view separators, std::size_t maxSize) {
    std::array<bool, 256> cuts{};
    for (const char c : separators) cuts[static_cast<unsigned char>(c)] = true;
    cuts['\r'] = cuts['\n'] = true;
    TextBuilder out(maxSize);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t head = i;
        char quote = 0;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == '\'' || c == '"') {
                quote = c;
            } else if (cuts[static_cast<unsigned char>(c)]) {
                break;
            }
        }
        if (i > head && !(out.append(text.substr(head, i - head)) && out.append(kCrLf))) break;
        ++i;  // past the separator
    }
    return out.take();
}

BoundedText killEmptyLines(std::string_view text, std::size_t maxSize) {
    TextBuilder out(maxSize);
    bool first = true;
    LineReader lines(text);
    for (std::string_view line; lines.next(line);) {
        if (trimmed(line).empty()) continue;
        if (!first && !out.append(kCrLf)) break;
        if (!out.append(line)) break;
        first = false;
    }
    return out.take();
}

BoundedText trimLines(std::string_view text, std::size_t maxSize) {
    return listText(text, maxSize, [](TextBuilder& out, std::string_view line) {
        return out.append(trimmed(line));
    });
}

BoundedText makePlain(std::string_view text, std::size_t maxSize) {
    // Never longer than the text and one blank, so it is built whole and cut once.
    std::string result;
    LineReader lines(text);
    for (std::string_view line; lines.next(line);) {
        if (line.empty()) continue;
        while (!result.empty() && isBlankOrControl(result.back())) result.pop_back();
        // Only a result that was all blanks before the previous step begins with one; erasing
        // it costs what that step added.
        const auto lead = std::find_if_not(result.begin(), result.end(), isBlankOrControl);
        result.erase(result.begin(), lead);
        result += ' ';
        result += trimmed(line);
    }
    TextBuilder out(maxSize);
    out.append(result);
    return out.take();
}

BoundedText fillLines(const FillRequest& r, std::size_t maxSize) {
    TextBuilder out(maxSize);
    const std::int32_t width = std::min(r.width, kMaxLineWidth);
    const std::string frame(width > 0 ? static_cast<std::size_t>(width) : 0, r.fill);
    FillRequest request = r;
    request.width = width;

    std::string_view body = r.text;
    bool hasBody = true;
    if (!r.marker.empty()) {
        const std::size_t at = body.find(r.marker);
        hasBody = at != std::string_view::npos;
        body = hasBody ? body.substr(0, at) : std::string_view();
    }

    bool first = true;
    const auto next = [&]() { return std::exchange(first, false) || out.append(kCrLf); };
    for (std::size_t n = frameLines(r.above, frame.size()); n > 0; --n)
        if (!next() || !out.append(frame)) return out.take();
    if (hasBody) {
        LineReader lines(body);
        for (std::string_view line; lines.next(line);)
            if (!next() || !appendFilledLine(out, request, frame, line)) return out.take();
    }
    for (std::size_t n = frameLines(r.below, frame.size()); n > 0; --n)
        if (!next() || !out.append(frame)) return out.take();
    return out.take();
}

BoundedText citeText(std::string_view text, std::string_view marker, std::int32_t count,
                     std::size_t maxSize) {
    TextBuilder out(maxSize);
    const std::size_t lines = lineCount(text);
    if (count >= 0 && lines <= static_cast<std::size_t>(count)) {
        out.append(text);
        return out.take();
    }
    const std::int32_t head = count / 2;
    const std::int64_t tail = std::int64_t{count} - head;
    LineReader reader(text);
    std::string_view line;
    for (std::int32_t i = 0; i < head && reader.next(line); ++i)
        if (!(out.append(line) && out.append(kCrLf))) return out.take();
    if (!marker.empty() && !(out.append(marker) && out.append(kCrLf))) return out.take();
    if (tail <= 0) return out.take();
    // The tail begins after the lines between; the head's lines are already read.
    for (std::size_t skip = lines - static_cast<std::size_t>(tail) - static_cast<std::size_t>(head);
         skip > 0 && reader.next(line); --skip) {
    }
    while (reader.next(line))
        if (!(out.append(line) && out.append(kCrLf))) break;
    return out.take();
}

BoundedText prefixSuffixLines(std::string_view text, std::string_view prefix,
                              std::string_view suffix, std::size_t maxSize) {
    return listText(text, maxSize, [&](TextBuilder& out, std::string_view line) {
        return out.append(prefix) && out.append(line) && out.append(suffix);
    });
}

BoundedText killCite(std::string_view text, std::int32_t depth, std::size_t maxSize) {
    TextBuilder out(maxSize);
    if (depth <= 0) {
        out.append(text);
        return out.take();
    }
    const auto quoted = [depth](std::string_view line) {
        std::int32_t run = 0;
        for (const char c : line) {
            run = c == '>' ? run + 1 : 0;
            if (run >= depth) return true;
        }
        return false;
    };
    LineReader lines(text);
    for (std::string_view line; lines.next(line);)
        if (!quoted(line) && !(out.append(line) && out.append(kCrLf))) break;
    return out.take();
}

BoundedText reverseEachLine(std::string_view text, std::size_t maxSize) {
    return listText(text, maxSize, appendReversed);
}

BoundedText reverseAll(std::string_view text, std::size_t maxSize) {
    TextBuilder out(maxSize);
    BackwardLineReader lines(text);
    for (std::string_view line; lines.next(line);)
        if (!(appendReversed(out, line) && out.append(kCrLf))) break;
    return out.take();
}

std::string getLine(std::string_view contents, std::string_view key) {
    LineReader lines(contents);
    for (std::string_view line; lines.next(line);) {
        if (!line.starts_with(key)) continue;
        const std::size_t blank = line.find(' ');
        return std::string(blank == std::string_view::npos ? line : line.substr(blank + 1));
    }
    return {};
}

}  // namespace qbx::functions::text
