// Regular expressions over code page 1251 bytes, Perl syntax. Case-insensitive matching and the
// character classes (\w, \d, [[:alpha:]], ...) follow the 1251 tables of core/text.h, so
// Cyrillic letters are letters whatever the process's C locale says. "^" and "$" match at line
// breaks too, and "." matches them. Matching is bounded: a search that would go on past the
// library's own state limit, past its stack, or past the time its watch allows gives up
// (search counts it as no match; forEachMatch throws the library's message).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qbx {

struct RegexOptions {
    bool ignoreCase = false;
    // The Russian alphabet ranges of a set, written as letters, take in the letter the code
    // page keeps apart from them: [а-я] also matches ё, [А-Я] Ё, and [а-Я] every Russian
    // letter of either case (in byte order it would be an empty range).
    bool russianRanges = false;
};

// Asked while a search runs, every few hundred steps of the library's matcher (never during a
// search shorter than that): false stops the search as the library stops one that passes its
// own limit, with the library's message.
using RegexWatch = std::function<bool()>;

// One match of forEachMatch, valid during the call that hands it over.
class RegexMatch {
public:
    // The text of group n (0: the whole match); empty for a group that took no part in the
    // match or that the pattern does not have.
    std::string_view group(std::size_t n) const;
    // Where the whole match begins in the searched text, and its length.
    std::size_t position() const;
    std::size_t length() const;

private:
    friend class Regex1251;
    struct Results;
    explicit RegexMatch(const Results& results) : results_(results) {}
    const Results& results_;
};

// Where a pattern went wrong: the position counted from 1 as the user counts characters, and
// the library's own short message.
struct RegexCompileError {
    std::size_t position = 0;
    std::string message;
    std::string fullMessage;  // with the library's picture of the place, where it draws one
};

class Regex1251 {
public:
    // Patterns come from templates and the dialog; nothing real comes near this.
    static constexpr std::size_t kMaxPatternLength = 64 * 1024;

    // The compiled pattern, or nothing with the library's message in *error (when given).
    static std::optional<Regex1251> compile(std::string_view pattern, std::string* error,
                                            RegexOptions options = {});
    // The same, telling where the pattern went wrong.
    static std::optional<Regex1251> compile(std::string_view pattern, RegexCompileError& error,
                                            RegexOptions options = {});

    // A search without a watch of its own may take as long as one macro call may.
    static constexpr std::uint32_t kDefaultSearchMilliseconds = 5000;
    // A watch that lets searches go on for that many milliseconds from now.
    static RegexWatch forMilliseconds(std::uint32_t milliseconds);

    // Whether the pattern matches anywhere in the text. False also when the match gave up on
    // its limits or failed in any other way: never throws.
    bool search(std::string_view text, const RegexWatch& watch = {}) const noexcept;

    // Hands every match, from the start of the text, to onMatch until it returns false. Each
    // search resumes where the previous match ended; after an empty match the next one may
    // not be empty at that same place, so the walk always moves on. Throws std::runtime_error
    // with the library's message when a search gives up on its limits; exceptions of onMatch
    // pass through. Without a watch the walk as a whole gets kDefaultSearchMilliseconds.
    void forEachMatch(std::string_view text, const std::function<bool(const RegexMatch&)>& onMatch,
                      const RegexWatch& watch = {}) const;

private:
    struct Compiled;
    explicit Regex1251(std::shared_ptr<const Compiled> compiled);
    std::shared_ptr<const Compiled> compiled_;
};

}  // namespace qbx
