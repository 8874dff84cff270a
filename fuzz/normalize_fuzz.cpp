// Arbitrary bytes through the letter rewrites that see mail text: bounded output, the
// normaliser's leading blank and its single blank for a run of separators.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mail/letters.h"

namespace {

bool isSeparator(unsigned char c) {
    return c < 32 ||
           std::string_view("~`!@#$%^&*()_+-=[]{};':\",./<>?|\\").find(static_cast<char>(c)) !=
               std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (bool lower : {false, true}) {
        const std::string normal = qbx::mail::normalizeSpamText(bytes, lower);
        if (normal.empty() || normal.size() > size + 1 || normal[0] != ' ') std::abort();
        // A byte of the text yields at most one byte, and a separator never yields one after
        // a blank: so no separator's blank stands beside another blank unless the text had one.
        std::size_t blanksInText = 0;
        for (char c : bytes) blanksInText += c == ' ';
        std::size_t blanksOut = 0;
        for (char c : normal) blanksOut += c == ' ';
        std::size_t separators = 0;
        for (char c : bytes) separators += isSeparator(static_cast<unsigned char>(c));
        if (blanksOut > 1 + blanksInText + separators) std::abort();
    }
    if (qbx::mail::translit(bytes).size() > 3 * size) std::abort();
    if (qbx::mail::leetTranslit(bytes).size() > 3 * size) std::abort();
    // The input's own bytes as the draws: every value, in range or not, must be tamed.
    std::size_t next = 0;
    const qbx::mail::RandomBelow replay = [&](int) {
        if (size == 0) return 0;
        const int value = static_cast<std::int8_t>(data[next % size]) * 1000;
        ++next;
        return value;
    };
    if (qbx::mail::garbleText(bytes, 50, replay).size() != size) std::abort();
    if (qbx::mail::randomCase(bytes, replay).size() != size) std::abort();
    return 0;
}
