#include "functions/text/regex_text.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "functions/text/text_builder.h"

namespace qbx::functions::text {
namespace {

std::uint64_t hashOf(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// The results grep has written, remembered as places in its own output: each one costs a few
// bytes however many of them a long text gives, where a set of copies would cost its nodes.
// Results follow one another in the output, each after the separator.
class WrittenResults {
public:
    WrittenResults(const std::string& output, std::size_t separatorSize)
        : output_(output), separatorSize_(separatorSize) {}

    bool contains(std::string_view result) const {
        if (slots_.empty()) return false;
        for (std::size_t slot = slotOf(result);; slot = next(slot)) {
            if (slots_[slot] == 0) return false;
            if (written(slots_[slot] - 1) == result) return true;
        }
    }

    // The result that the output now ends with, written from `start`.
    void add(std::size_t start) {
        starts_.push_back(static_cast<std::uint32_t>(start));
        if (2 * starts_.size() > slots_.size()) {
            // Twice as many slots as results at least; a power of two, for the mask.
            slots_.assign(slots_.empty() ? 64 : 2 * slots_.size(), 0);
            for (std::uint32_t i = 0; i < starts_.size(); ++i) place(i);
        } else {
            place(static_cast<std::uint32_t>(starts_.size() - 1));
        }
    }

private:
    std::size_t next(std::size_t slot) const { return (slot + 1) & (slots_.size() - 1); }
    std::size_t slotOf(std::string_view text) const {
        return static_cast<std::size_t>(hashOf(text) & (slots_.size() - 1));
    }

    std::string_view written(std::uint32_t index) const {
        const std::size_t end =
            index + 1 < starts_.size() ? starts_[index + 1] - separatorSize_ : output_.size();
        return std::string_view(output_).substr(starts_[index], end - starts_[index]);
    }

    void place(std::uint32_t index) {
        std::size_t slot = slotOf(written(index));
        while (slots_[slot] != 0) slot = next(slot);
        slots_[slot] = index + 1;
    }

    const std::string& output_;
    std::size_t separatorSize_;
    std::vector<std::uint32_t> starts_;
    std::vector<std::uint32_t> slots_;  // index + 1 of a result; 0 is a free slot
};

}  // namespace

std::optional<Regex1251> compileTextRegex(std::string_view expression, std::string* error) {
    RegexOptions options;
    options.russianRanges = true;
    return Regex1251::compile(expression, error, options);
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    return 0;
}

BoundedText replaceRegExpr(const Regex1251& regex, std::string_view text,
                           std::string_view replacement, std::size_t maxSize,
                           const MatchLimits& limits) {
    TextBuilder out(maxSize);
    std::size_t from = 0;
    const auto replaceOne = [&](const RegexMatch& match) {
        if (limits.checkpoint) limits.checkpoint();
        if (!out.append(text.substr(from, match.position() - from))) return false;
        from = match.position() + match.length();
        std::size_t literal = 0;
        for (std::size_t i = 0; i < replacement.size(); ++i) {
            if (replacement[i] != '$' || i + 1 == replacement.size() || replacement[i + 1] < '0' ||
                replacement[i + 1] > '9')
                continue;
            if (!out.append(replacement.substr(literal, i - literal)) ||
                !out.append(match.group(static_cast<std::size_t>(replacement[i + 1] - '0'))))
                return false;
            literal = ++i + 1;
        }
        return out.append(replacement.substr(literal));
    };
    regex.forEachMatch(text, replaceOne, limits.watch);
    if (!out.full()) out.append(text.substr(from));
    return out.take();
}

BoundedText grepText(const Regex1251& regex, std::string_view text, const GrepRequest& request,
                     std::size_t maxSize, const MatchLimits& limits) {
    const std::string_view groups = request.groups.empty() ? "0" : request.groups;
    TextBuilder out(maxSize);
    WrittenResults written(out.text(), request.separator.size());
    bool any = false;
    std::string result;
    const auto grepOne = [&](const RegexMatch& match) {
        if (limits.checkpoint) limits.checkpoint();
        // A result past the bound cannot be written whole, nor equal one that was.
        result.clear();
        for (std::size_t i = 0; i < groups.size() && result.size() <= maxSize; ++i) {
            if (i > 0) result += request.joiner;
            result += match.group(static_cast<std::size_t>(hexDigitValue(groups[i])));
        }
        if (result.empty() || (request.unique && written.contains(result))) return true;
        if (any && !out.append(request.separator)) return false;
        any = true;
        const std::size_t start = out.size();
        if (!out.append(result)) return false;
        if (request.unique) written.add(start);
        return true;
    };
    regex.forEachMatch(text, grepOne, limits.watch);
    return out.take();
}

}  // namespace qbx::functions::text
