// Boost's default state limit lets a pathological pattern run for about 10^8 steps (seconds on
// the host's UI thread). Ten million is still far beyond what any sensible pattern over a mail
// header or a statistics key needs. The traits type below has internal linkage, so this limit
// cannot clash with another translation unit's instantiations.
#define BOOST_REGEX_MAX_STATE_COUNT 10000000

#include "base/regex_1251.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <exception>
#include <limits>
#include <new>
#include <vector>

#include <boost/regex.hpp>

#include "base/text.h"

namespace qbx {
namespace {

namespace detail = boost::BOOST_REGEX_DETAIL_NS;

enum : std::uint32_t {
    kSpace = 1u << 0,
    kPrint = 1u << 1,
    kCntrl = 1u << 2,
    kUpper = 1u << 3,
    kLower = 1u << 4,
    kAlpha = 1u << 5,
    kDigit = 1u << 6,
    kPunct = 1u << 7,
    kXdigit = 1u << 8,
    kBlank = 1u << 9,
    kWord = 1u << 10,
    kHorizontal = 1u << 11,
    kVertical = 1u << 12,
    kAlnum = kAlpha | kDigit,
    kGraph = kAlnum | kPunct,
};

// The class of every byte, derived once from the 1251 case tables.
struct ClassTable {
    std::array<std::uint32_t, 256> bits{};
    ClassTable() {
        for (int i = 0; i < 256; ++i) {
            const char c = static_cast<char>(i);
            std::uint32_t b = 0;
            if (toLower1251(c) != c) b |= kUpper | kAlpha;
            if (toUpper1251(c) != c) b |= kLower | kAlpha;
            if (i >= '0' && i <= '9') b |= kDigit | kXdigit;
            if ((i >= 'a' && i <= 'f') || (i >= 'A' && i <= 'F')) b |= kXdigit;
            if (i == ' ' || (i >= 9 && i <= 13)) b |= kSpace;
            if (i == ' ' || i == '\t') b |= kBlank | kHorizontal;
            if (i >= 10 && i <= 13) b |= kVertical;
            if (i < 32 || i == 127) b |= kCntrl;
            // 0x98 is the one byte the code page leaves unassigned.
            const bool printable = i >= 32 && i != 127 && i != 0x98;
            if (printable) b |= kPrint;
            if (printable && i != ' ' && i != 0xA0 && (b & kAlnum) == 0) b |= kPunct;
            if ((b & kAlnum) != 0 || i == '_') b |= kWord;
            bits[static_cast<std::size_t>(i)] = b;
        }
    }
};

const ClassTable& classTable() {
    static const ClassTable table;
    return table;
}

// Boost's traits concept with every locale-dependent answer taken from the 1251 tables.
class Traits1251 {
public:
    using char_type = char;
    using size_type = std::size_t;
    using string_type = std::string;
    struct locale_type {};
    using char_class_type = std::uint32_t;
    struct boost_extensions_tag {};

    Traits1251() { classTable(); }
    Traits1251(const Traits1251&) = delete;
    Traits1251& operator=(const Traits1251&) = delete;

    static size_type length(const char* p) { return std::char_traits<char>::length(p); }

    char translate(char c) const { return c; }
    char translate_nocase(char c) const { return toLower1251(c); }
    char translate(char c, bool icase) const { return icase ? toLower1251(c) : c; }
    char tolower(char c) const { return toLower1251(c); }
    char toupper(char c) const { return toUpper1251(c); }

    // Ranges compare byte values: collation would bring the C locale back in.
    string_type transform(const char* p1, const char* p2) const { return string_type(p1, p2); }
    string_type transform_primary(const char* p1, const char* p2) const {
        return toLower1251(std::string_view(p1, static_cast<std::size_t>(p2 - p1)));
    }

    char_class_type lookup_classname(const char* p1, const char* p2) const {
        static constexpr std::array<char_class_type, 22> masks = {
            0,
            kAlnum,
            kAlpha,
            kBlank,
            kCntrl,
            kDigit,
            kDigit,
            kGraph,
            kHorizontal,
            kLower,
            kLower,
            kPrint,
            kPunct,
            kSpace,
            kSpace,
            kUpper,
            0 /* unicode: nothing here is beyond one byte */,
            kUpper,
            kVertical,
            kAlnum | kWord,
            kAlnum | kWord,
            kXdigit};
        int id = detail::get_default_class_id(p1, p2);
        if (id < 0) {
            const std::string lower =
                toLower1251(std::string_view(p1, static_cast<std::size_t>(p2 - p1)));
            id = detail::get_default_class_id(lower.data(), lower.data() + lower.size());
        }
        const auto slot = static_cast<std::size_t>(id + 1);
        return slot < masks.size() ? masks[slot] : 0;
    }

    string_type lookup_collatename(const char* p1, const char* p2) const {
        std::string name(p1, p2);
        std::string result = detail::lookup_default_collate_name(name);
        if (result.empty() && name.size() == 1) result = name;
        return result;
    }

    bool isctype(char c, char_class_type mask) const {
        return (classTable().bits[static_cast<unsigned char>(c)] & mask) != 0;
    }

    int value(char c, int radix) const {
        int v = -1;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'Z')
            v = c - 'A' + 10;
        return v < radix ? v : -1;
    }

    locale_type imbue(locale_type l) { return l; }
    locale_type getloc() const { return locale_type(); }

    std::string error_string(boost::regex_constants::error_type e) const {
        return detail::get_default_error_string(e);
    }
    boost::regex_constants::syntax_type syntax_type(char c) const {
        return static_cast<unsigned char>(c) < 0x80 ? detail::get_default_syntax_type(c)
                                                    : boost::regex_constants::syntax_char;
    }
    boost::regex_constants::escape_syntax_type escape_syntax_type(char c) const {
        return static_cast<unsigned char>(c) < 0x80 ? detail::get_default_escape_syntax_type(c)
                                                    : boost::regex_constants::escape_type_identity;
    }
    std::intmax_t toi(const char*& p1, const char* p2, int radix) const {
        return detail::global_toi(p1, p2, radix, *this);
    }
};

using Regex = boost::basic_regex<char, Traits1251>;

// The match results a search copies hold one entry a group, and a recursive pattern copies
// them at every level it enters and leaves. Left alone, "\\((?R)*\\)|()()...()" over a run of
// "(" takes gigabytes; so the copies are counted, and a search that needs more of them gives
// up as the library does when its own stack runs out. A search without recursion keeps one or
// two copies.
constexpr std::size_t kMaxResultsBytes = std::size_t{16} << 20;
constexpr std::size_t kMaxResultsCopies = 65536;
thread_local std::size_t t_resultsBytes = 0;
thread_local std::size_t t_resultsCopies = 0;

// A recursion that goes deeper costs more at every later step (the matcher walks its whole
// chain of open repeats each time), and descending it fails nothing, so no slice ends on the way
// down (see below): 20,000 levels would take seconds before the watch is asked. Text of mail
// nests nowhere near this deep.
constexpr std::size_t kMaxRecursionDepth = 2048;

[[noreturn]] void throwLibraryError(boost::regex_constants::error_type code) {
    throw boost::regex_error(detail::get_default_error_string(code), code, 0);
}

// Whether the search running on this thread has entered more recursion levels than it may: the
// matcher copies the results as it enters a level, so the copies are where this is asked.
bool recursionTooDeep() noexcept;

template <class T>
struct CountedAllocator {
    using value_type = T;
    CountedAllocator() = default;
    template <class U>
    CountedAllocator(const CountedAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        if (n > kMaxResultsBytes / sizeof(T) || t_resultsBytes + bytes > kMaxResultsBytes ||
            t_resultsCopies == kMaxResultsCopies || recursionTooDeep())
            throwLibraryError(boost::regex_constants::error_stack);
        T* p = std::allocator<T>().allocate(n);
        t_resultsBytes += bytes;
        ++t_resultsCopies;
        return p;
    }
    void deallocate(T* p, std::size_t n) noexcept {
        std::allocator<T>().deallocate(p, n);
        t_resultsBytes -= n * sizeof(T);
        --t_resultsCopies;
    }
    template <class U>
    bool operator==(const CountedAllocator<U>&) const noexcept {
        return true;
    }
};

using SubMatch = boost::sub_match<const char*>;
using MatchResults = boost::match_results<const char*, CountedAllocator<SubMatch>>;
using Matcher = detail::perl_matcher<const char*, CountedAllocator<SubMatch>, Traits1251>;

// Boost checks its state count only against a limit it fixes when the search starts, and a
// state's cost is not bounded: a recursive pattern walks its whole chain of repeats at every
// step, so ten million states over 20,000 "(" take minutes. The matcher is therefore handed
// its limit a slice at a time; each time a slice is used up the watch is asked whether the
// search may go on, and the library's own limit still holds for the sum of the slices.
constexpr std::ptrdiff_t kStatesPerSlice = 256;

// The search running on this thread (one at a time: a search calls nothing of ours but this).
struct SearchSlices {
    const RegexWatch* watch = nullptr;
    std::ptrdiff_t libraryLimit = 0;
    std::ptrdiff_t spent = 0;  // states of the slices used up
    // The matcher's own counters, reached from the library's error hook and the copies.
    std::ptrdiff_t* stateCount = nullptr;
    std::ptrdiff_t* maxStateCount = nullptr;
    const unsigned* nesting = nullptr;
    const std::vector<detail::recursion_info<MatchResults>>* recursion = nullptr;
};
thread_local SearchSlices t_search;

bool recursionTooDeep() noexcept {
    return t_search.recursion != nullptr && t_search.recursion->size() > kMaxRecursionDepth;
}

// Boost's estimate of the states a search over `length` characters of an expression of
// `expressionLength` may visit: the greater of N*S*S and N*N (the latter capped), as
// perl_matcher's own estimate_max_state_count gives it.
std::ptrdiff_t libraryStateLimit(std::ptrdiff_t length, std::ptrdiff_t expressionLength) {
    constexpr std::ptrdiff_t k = 100000;
    constexpr std::ptrdiff_t cap = BOOST_REGEX_MAX_STATE_COUNT;
    constexpr std::ptrdiff_t most = std::numeric_limits<std::ptrdiff_t>::max();
    const std::ptrdiff_t n = std::max<std::ptrdiff_t>(length, 1);
    const std::ptrdiff_t s = std::max<std::ptrdiff_t>(expressionLength, 1);
    if (most / s < s || most / n < s * s || most - k < s * s * n) return cap;
    const std::ptrdiff_t byStates = s * s * n + k;
    if (most / n < n || most - k < n * n) return cap;
    return std::max(byStates, std::min(n * n + k, cap));
}

// Puts a watch in charge of the searches this object's lifetime spans, and forgets the matcher
// they leave behind.
class WatchedSearch {
public:
    explicit WatchedSearch(const RegexWatch& watch) : saved_(t_search) {
        t_search = SearchSlices{};
        t_search.watch = watch ? &watch : nullptr;
    }
    ~WatchedSearch() { t_search = saved_; }
    WatchedSearch(const WatchedSearch&) = delete;
    WatchedSearch& operator=(const WatchedSearch&) = delete;

private:
    SearchSlices saved_;
};

}  // namespace
}  // namespace qbx

template <>
void qbx::Matcher::estimate_max_state_count(std::random_access_iterator_tag*) {
    qbx::SearchSlices& search = qbx::t_search;
    search.libraryLimit =
        qbx::libraryStateLimit(last - base, static_cast<std::ptrdiff_t>(re.size()));
    search.spent = 0;
    search.stateCount = &state_count;
    search.maxStateCount = &max_state_count;
    search.nesting = &m_recursions;
    search.recursion = &recursion_stack;
    max_state_count = std::min(qbx::kStatesPerSlice, search.libraryLimit);
}

// The library calls this with error_complexity when its state count passes the limit (then it
// is a slice's end) and when assertions nest too deeply (then it must stop: they recurse on the
// machine's stack).
template <>
void boost::BOOST_REGEX_DETAIL_NS::raise_error(
    const boost::regex_traits_wrapper<qbx::Traits1251>& traits,
    boost::regex_constants::error_type code) {
    qbx::SearchSlices& search = qbx::t_search;
    constexpr unsigned kLibraryNestingLimit = 80;
    if (code == regex_constants::error_complexity && search.stateCount != nullptr &&
        *search.nesting <= kLibraryNestingLimit && *search.stateCount > *search.maxStateCount) {
        search.spent += *search.stateCount;
        *search.stateCount = 0;
        if (search.spent <= search.libraryLimit && (search.watch == nullptr || (*search.watch)())) {
            *search.maxStateCount =
                std::min(qbx::kStatesPerSlice, search.libraryLimit - search.spent);
            return;
        }
    }
    raise_runtime_error(regex_error(traits.error_string(code), code, 0));
}

namespace qbx {
namespace {

constexpr char kSmallA = '\xE0', kSmallYa = '\xFF', kSmallYo = '\xB8';
constexpr char kCapitalA = '\xC0', kCapitalYa = '\xDF', kCapitalYo = '\xA8';

// One member of a set as the rewriting reads it: a byte, an escape with the byte after it, or a
// class name ("[:alpha:]") or collating element whole. Only a plain byte can end a Russian
// range.
struct SetMember {
    std::size_t length = 0;
    bool plain = false;
};

SetMember setMemberAt(std::string_view pattern, std::size_t i) {
    const char c = pattern[i];
    if (c == '\\') return {std::min<std::size_t>(2, pattern.size() - i), false};
    if (c == '[' && i + 1 < pattern.size()) {
        const char kind = pattern[i + 1];
        if (kind == ':' || kind == '.' || kind == '=') {
            const char close[] = {kind, ']', '\0'};
            const std::size_t end = pattern.find(close, i + 2);
            if (end != std::string_view::npos) return {end + 2 - i, false};
        }
    }
    return {1, true};
}

// What a Russian range of the set stands for, in ranges the library reads in byte order; empty
// for any other range.
std::string_view russianRange(char first, char last) {
    static constexpr char kSmall[] = {kSmallYo, kSmallA, '-', kSmallYa};
    static constexpr char kCapital[] = {kCapitalYo, kCapitalA, '-', kCapitalYa};
    static constexpr char kBoth[] = {kSmallYo, kCapitalYo, kCapitalA, '-', kSmallYa};
    if (first == kSmallA && last == kSmallYa) return {kSmall, sizeof kSmall};
    if (first == kCapitalA && last == kCapitalYa) return {kCapital, sizeof kCapital};
    if (first == kSmallA && last == kCapitalYa) return {kBoth, sizeof kBoth};
    return {};
}

// The pattern with its Russian ranges widened (RegexOptions::russianRanges). The added letters
// go before the range: after it they could start a range of their own with a following "-".
std::string widenRussianRanges(std::string_view pattern) {
    std::string out;
    out.reserve(pattern.size() + 16);
    std::size_t i = 0;
    const auto copy = [&](std::size_t count) {
        count = std::min(count, pattern.size() - i);
        out.append(pattern, i, count);
        i += count;
    };
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\\' && i + 1 < pattern.size() && pattern[i + 1] == 'Q') {
            // Quoted text is literal up to "\E": no set begins inside it.
            const std::size_t end = pattern.find("\\E", i + 2);
            copy(end == std::string_view::npos ? pattern.size() - i : end + 2 - i);
        } else if (c == '\\') {
            copy(i + 1 < pattern.size() && pattern[i + 1] == 'c' ? 3 : 2);
        } else if (c == '(' && pattern.substr(i).starts_with("(?#")) {
            const std::size_t end = pattern.find(')', i);
            copy(end == std::string_view::npos ? pattern.size() - i : end + 1 - i);
        } else if (c != '[') {
            copy(1);
        } else {
            copy(1);
            if (i < pattern.size() && pattern[i] == '^') copy(1);
            if (i < pattern.size() && pattern[i] == ']') copy(1);  // a literal first member
            while (i < pattern.size() && pattern[i] != ']') {
                const SetMember first = setMemberAt(pattern, i);
                const bool range = i + first.length + 1 < pattern.size() &&
                                   pattern[i + first.length] == '-' &&
                                   pattern[i + first.length + 1] != ']';
                if (!range) {
                    copy(first.length);
                    continue;
                }
                const SetMember last = setMemberAt(pattern, i + first.length + 1);
                const std::string_view widened =
                    first.plain && last.plain
                        ? russianRange(pattern[i], pattern[i + first.length + 1])
                        : std::string_view();
                if (widened.empty()) {
                    copy(first.length + 1 + last.length);
                } else {
                    out += widened;
                    i += 3;
                }
            }
            copy(1);  // the closing bracket
        }
    }
    return out;
}

}  // namespace

struct Regex1251::Compiled {
    Regex regex;
};

struct RegexMatch::Results {
    const MatchResults& match;
    const char* base;
};

std::string_view RegexMatch::group(std::size_t n) const {
    const auto& match = results_.match;
    if (n >= match.size()) return {};
    const auto& group = match[static_cast<int>(n)];
    if (!group.matched) return {};
    return {group.first, static_cast<std::size_t>(group.second - group.first)};
}

std::size_t RegexMatch::position() const {
    return static_cast<std::size_t>(results_.match[0].first - results_.base);
}

std::size_t RegexMatch::length() const {
    return static_cast<std::size_t>(results_.match[0].second - results_.match[0].first);
}

Regex1251::Regex1251(std::shared_ptr<const Compiled> compiled) : compiled_(std::move(compiled)) {}

std::optional<Regex1251> Regex1251::compile(std::string_view pattern, std::string* error,
                                            RegexOptions options) {
    RegexCompileError detail;
    auto compiled = compile(pattern, detail, options);
    if (!compiled && error) *error = std::move(detail.fullMessage);
    return compiled;
}

std::optional<Regex1251> Regex1251::compile(std::string_view pattern, RegexCompileError& error,
                                            RegexOptions options) {
    auto fail = [&](std::string message, std::size_t position,
                    std::string full = {}) -> std::optional<Regex1251> {
        error.fullMessage = full.empty() ? message : std::move(full);
        error.message = std::move(message);
        error.position = position;
        return std::nullopt;
    };
    if (pattern.size() > kMaxPatternLength) return fail("Pattern too long", 0);
    try {
        boost::regex_constants::syntax_option_type flags = boost::regex_constants::perl;
        if (options.ignoreCase) flags = flags | boost::regex_constants::icase;
        // Boost's parser looks one character past a pattern that ends inside a set ("[\\"):
        // a terminating zero gives it something harmless to read.
        std::string text =
            options.russianRanges ? widenRussianRanges(pattern) : std::string(pattern);
        const std::size_t length = text.size();
        text.push_back('\0');
        auto compiled = std::make_shared<Compiled>();
        compiled->regex.assign(text.data(), text.data() + length, flags);
        return Regex1251(std::move(compiled));
    } catch (const boost::regex_error& e) {
        const std::ptrdiff_t offset = e.position();
        return fail(boost::BOOST_REGEX_DETAIL_NS::get_default_error_string(e.code()),
                    offset < 0 ? 0 : static_cast<std::size_t>(offset) + 1, e.what());
    } catch (const std::exception& e) {
        return fail(e.what(), 0);
    } catch (...) {
        return fail("Unknown error", 0);
    }
}

RegexWatch Regex1251::forMilliseconds(std::uint32_t milliseconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    return [deadline] { return Clock::now() < deadline; };
}

bool Regex1251::search(std::string_view text, const RegexWatch& watch) const noexcept {
    if (!compiled_) return false;
    try {
        const RegexWatch& inCharge = watch ? watch : forMilliseconds(kDefaultSearchMilliseconds);
        const WatchedSearch watched(inCharge);
        const char* begin = text.empty() ? "" : text.data();
        MatchResults results;
        return boost::regex_search(begin, begin + text.size(), results, compiled_->regex,
                                   boost::match_default | boost::match_any);
    } catch (...) {
        // error_complexity / error_stack: the pattern gave up on its limits; no match.
        return false;
    }
}

void Regex1251::forEachMatch(std::string_view text,
                             const std::function<bool(const RegexMatch&)>& onMatch,
                             const RegexWatch& watch) const {
    if (!compiled_) return;
    const RegexWatch inCharge = watch ? watch : forMilliseconds(kDefaultSearchMilliseconds);
    // An empty view may carry no address at all; the library wants a real one.
    const char* begin = text.empty() ? "" : text.data();
    const char* end = begin + text.size();
    // The walk of boost::regex_iterator (Perl's rule for empty matches), over results whose
    // copies are counted. The library's errors are std::runtime_error and carry its message.
    MatchResults match;
    const char* from = begin;
    auto flags = boost::match_default;
    while (true) {
        bool found = false;
        {
            const WatchedSearch watched(inCharge);
            found = boost::regex_search(from, end, match, compiled_->regex, flags, begin);
        }
        if (!found) return;
        match.set_base(begin);
        const RegexMatch::Results results{match, begin};
        if (!onMatch(RegexMatch(results))) return;
        from = match[0].second;
        flags = boost::match_default;
        if (match.length() == 0) flags |= boost::regex_constants::match_not_initial_null;
    }
}

}  // namespace qbx
