#include "functions/text/text_operations.h"

#include <algorithm>

namespace qbx::functions::text {

BoundedText replaceAll(std::string_view text, std::string_view search, std::string_view replacement,
                       std::size_t maxSize) {
    BoundedText result;
    result.limit = maxSize;
    if (search.empty()) {
        result.text = text;
        return result;
    }
    std::size_t from = 0;
    for (std::size_t hit = text.find(search); hit != std::string_view::npos;
         hit = text.find(search, from)) {
        result.text.append(text, from, hit - from);
        result.text += replacement;
        from = hit + search.size();
        if (result.text.size() > maxSize) {
            result.text.resize(maxSize);
            result.cut = true;
            return result;
        }
    }
    result.text.append(text, from);
    return result;
}

std::string cutFromTo(std::string_view text, std::string_view from, std::string_view to) {
    if (!from.empty()) {
        if (const auto at = text.find(from); at != std::string_view::npos)
            text.remove_prefix(at + from.size());
    }
    if (!to.empty()) {
        if (const auto at = text.find(to); at != std::string_view::npos) text = text.substr(0, at);
    }
    return std::string(text);
}

std::string cutOn(std::string_view text, std::string_view marker) {
    if (!marker.empty()) {
        if (const auto at = text.find(marker); at != std::string_view::npos)
            text = text.substr(0, at);
    }
    return std::string(text);
}

std::string randomDigits(std::int32_t length, std::int32_t radix, std::mt19937& generator) {
    static constexpr std::string_view kDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    length = std::clamp(length, std::int32_t{1}, std::int32_t{kMaxRandomLength});
    if (radix <= 0) radix = 10;
    radix = std::min(radix, std::int32_t{36});
    std::uniform_int_distribution<std::size_t> digit(0, static_cast<std::size_t>(radix - 1));
    std::string text(static_cast<std::size_t>(length), '0');
    for (char& c : text) c = kDigits[digit(generator)];
    return text;
}

}  // namespace qbx::functions::text
