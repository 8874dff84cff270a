// Regular expressions over code page 1251 bytes, Perl syntax. Case-insensitive matching and the
// character classes (\w, \d, [[:alpha:]], ...) follow the 1251 tables of core/text.h, so
// Cyrillic letters are letters whatever the process's C locale says. Matching is bounded: a
// pattern that would backtrack without end gives up and counts as no match.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qbx {

struct RegexOptions {
    bool ignoreCase = false;
};

class Regex1251 {
public:
    // Patterns come from templates and the dialog; nothing real comes near this.
    static constexpr std::size_t kMaxPatternLength = 64 * 1024;

    // The compiled pattern, or nothing with the library's message in *error (when given).
    static std::optional<Regex1251> compile(std::string_view pattern, std::string* error,
                                            RegexOptions options = {});

    // Whether the pattern matches anywhere in the text. False also when the match gave up on
    // its limits or failed in any other way: never throws.
    bool search(std::string_view text) const noexcept;

private:
    struct Compiled;
    explicit Regex1251(std::shared_ptr<const Compiled> compiled);
    std::shared_ptr<const Compiled> compiled_;
};

}  // namespace qbx
