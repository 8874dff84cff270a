#include "mail/letters.h"

#include <array>
#include <cstddef>
#include <span>

#include "base/text.h"

namespace qbx::mail {
namespace {

// One letter and what it becomes. Tables are searched from the top and the first row naming
// a letter wins; the byte maps below are built from them in that order.
struct LetterRow {
    unsigned char from;
    std::string_view to;
};

// ---- transliteration ---------------------------------------------------------------------

// Letters that need more than one Latin letter; tried before the single-letter table.
constexpr LetterRow kTranslitWhole[] = {
    {0xA8, "Yo"},   // Ё
    {0xB8, "yo"},   // ё
    {0xC6, "Zh"},   // Ж
    {0xE6, "zh"},   // ж
    {0xD5, "Kh"},   // Х
    {0xF5, "kh"},   // х
    {0xD6, "Ts"},   // Ц
    {0xF6, "ts"},   // ц
    {0xD7, "Ch"},   // Ч
    {0xF7, "ch"},   // ч
    {0xD8, "Sh"},   // Ш
    {0xF8, "sh"},   // ш
    {0xD9, "Sch"},  // Щ
    {0xF9, "sch"},  // щ
    {0xDE, "Yu"},   // Ю
    {0xFE, "yu"},   // ю
    {0xDF, "Ya"},   // Я
    {0xFF, "ya"},   // я
};

constexpr LetterRow kTranslitSingle[] = {
    {0xE9, "y"},  // й
    {0xF3, "u"},  // у
    {0xEA, "k"},  // к
    {0xE5, "e"},  // е
    {0xED, "n"},  // н
    {0xE3, "g"},  // г
    {0xE7, "z"},  // з
    {0xF4, "f"},  // ф
    {0xFB, "y"},  // ы
    {0xE2, "v"},  // в
    {0xE0, "a"},  // а
    {0xEF, "p"},  // п
    {0xF0, "r"},  // р
    {0xEE, "o"},  // о
    {0xEB, "l"},  // л
    {0xE4, "d"},  // д
    {0xFD, "e"},  // э
    {0xF1, "s"},  // с
    {0xEC, "m"},  // м
    {0xE8, "i"},  // и
    {0xF2, "t"},  // т
    {0xFC, "'"},  // ь
    {0xE1, "b"},  // б
    {0xFA, "'"},  // ъ
    {0xC9, "Y"},  // Й
    {0xD3, "U"},  // У
    {0xCA, "K"},  // К
    {0xC5, "E"},  // Е
    {0xCD, "N"},  // Н
    {0xC3, "G"},  // Г
    {0xC7, "Z"},  // З
    {0xD4, "F"},  // Ф
    {0xDB, "Y"},  // Ы
    {0xC2, "V"},  // В
    {0xC0, "A"},  // А
    {0xCF, "P"},  // П
    {0xD0, "R"},  // Р
    {0xCE, "O"},  // О
    {0xCB, "L"},  // Л
    {0xC4, "D"},  // Д
    {0xDD, "E"},  // Э
    {0xD1, "S"},  // С
    {0xCC, "M"},  // М
    {0xC8, "I"},  // И
    {0xD2, "T"},  // Т
    {0xDC, "'"},  // Ь
    {0xC1, "B"},  // Б
    {0xDA, "'"},  // Ъ
};

// ---- look-alike drawing ------------------------------------------------------------------

// Letters drawn with several symbols; tried before the table.
constexpr LetterRow kLookAlikeSpecial[] = {
    {0xC6, ">|<"},  // Ж
    {0xCB, "/|"},   // Л
    {0xEB, "/|"},   // л
    {0xDB, "b|"},   // Ы
    {0xFB, "b|"},   // ы
    {0xDE, "|O"},   // Ю
    {0xFE, "|O"},   // ю
    {0xDF, "R"},    // Я
    {0xFF, "R"},    // я
};

constexpr LetterRow kLookAlike[] = {
    {0xE9, "j"},  // й
    {0xF3, "y"},  // у
    {0xEA, "k"},  // к
    {0xE5, "e"},  // е
    {0xB8, "e"},  // ё
    {0xED, "H"},  // н
    {0xE3, "G"},  // г
    {0xF8, "w"},  // ш
    {0xF9, "w"},  // щ
    {0xE7, "3"},  // з
    {0xF5, "x"},  // х
    {0xFA, "b"},  // ъ
    {0xF4, "f"},  // ф
    {0xE2, "B"},  // в
    {0xE0, "a"},  // а
    {0xF0, "p"},  // р
    {0xEE, "o"},  // о
    {0xE4, "g"},  // д
    {0xE6, "*"},  // ж
    {0xFD, "e"},  // э
    {0xF7, "4"},  // ч
    {0xF1, "c"},  // с
    {0xEC, "m"},  // м
    {0xE8, "u"},  // и
    {0xF2, "t"},  // т
    {0xFC, "b"},  // ь
    {0xE1, "6"},  // б
    {0xC9, "J"},  // Й
    {0xD3, "Y"},  // У
    {0xCA, "K"},  // К
    {0xC5, "E"},  // Е
    {0xCD, "H"},  // Н
    {0xC3, "G"},  // Г
    {0xD8, "W"},  // Ш
    {0xD9, "W"},  // Щ
    {0xC7, "3"},  // З
    {0xD5, "X"},  // Х
    {0xDA, "b"},  // Ъ
    {0xD4, "F"},  // Ф
    {0xC2, "B"},  // В
    {0xC0, "A"},  // А
    {0xD0, "P"},  // Р
    {0xCE, "O"},  // О
    {0xC4, "D"},  // Д
    {0xDD, "E"},  // Э
    {0xD7, "4"},  // Ч
    {0xD1, "C"},  // С
    {0xCC, "M"},  // М
    {0xC8, "U"},  // И
    {0xD2, "T"},  // Т
    {0xDC, "b"},  // Ь
    {0xC1, "6"},  // Б
    {0xA8, "E"},  // Ё
    {0xCF, "n"},  // П
    {0xEF, "n"},  // п
    {0xD6, "U"},  // Ц
    {0xF6, "u"},  // ц
};

// ---- spam text normaliser ----------------------------------------------------------------

// The keys of every stored word statistics file were made with this table, oddities (н h but
// Н n, р p but Р r, Б 6) included: changing a row orphans the words users have trained.
constexpr LetterRow kNormaliser[] = {
    {0xE9, "j"},  // й
    {0xF3, "y"},  // у
    {0xEA, "k"},  // к
    {0xE5, "e"},  // е
    {0xB8, "e"},  // ё
    {0xED, "h"},  // н
    {0xE3, "g"},  // г
    {0xF8, "w"},  // ш
    {0xF9, "w"},  // щ
    {0xE7, "z"},  // з
    {0xF5, "x"},  // х
    {0xFA, "b"},  // ъ
    {0xF4, "f"},  // ф
    {0xE2, "v"},  // в
    {0xE0, "a"},  // а
    {0xF0, "p"},  // р
    {0xEE, "o"},  // о
    {0xE4, "g"},  // д
    {0xE6, "z"},  // ж
    {0xFD, "e"},  // э
    {0xF7, "c"},  // ч
    {0xF1, "c"},  // с
    {0xEC, "m"},  // м
    {0xE8, "u"},  // и
    {0xF2, "t"},  // т
    {0xFC, "b"},  // ь
    {0xE1, "b"},  // б
    {0xC9, "j"},  // Й
    {0xD3, "u"},  // У
    {0xCA, "k"},  // К
    {0xC5, "e"},  // Е
    {0xCD, "n"},  // Н
    {0xC3, "g"},  // Г
    {0xD8, "w"},  // Ш
    {0xD9, "w"},  // Щ
    {0xC7, "z"},  // З
    {0xD5, "x"},  // Х
    {0xDA, "b"},  // Ъ
    {0xD4, "f"},  // Ф
    {0xC2, "v"},  // В
    {0xC0, "a"},  // А
    {0xD0, "r"},  // Р
    {0xCE, "o"},  // О
    {0xC4, "d"},  // Д
    {0xDD, "e"},  // Э
    {0xD7, "c"},  // Ч
    {0xD1, "c"},  // С
    {0xCC, "m"},  // М
    {0xC8, "u"},  // И
    {0xD2, "t"},  // Т
    {0xDC, "b"},  // Ь
    {0xC1, "6"},  // Б
    {0xA8, "e"},  // Ё
    {0xCF, "n"},  // П
    {0xEF, "n"},  // п
    {0xD6, "u"},  // Ц
    {0xF6, "u"},  // ц
    {0xC6, "z"},  // Ж
    {0xCB, "l"},  // Л
    {0xEB, "l"},  // л
    {0xDB, "y"},  // Ы
    {0xFB, "y"},  // ы
    {0xDF, "a"},  // Я
    {0xFF, "a"},  // я
    {0xDE, "u"},  // Ю
    {0xFE, "u"},  // ю
};

// Punctuation that splits words; the control bytes 0..31 split them too. The blank does not:
// it is copied as it is.
constexpr std::string_view kSeparatorPunctuation = "~`!@#$%^&*()_+-=[]{};':\",./<>?|\\";

// ---- garbling classes --------------------------------------------------------------------

// A letter is replaced by a draw from the first class that holds it; repeated letters weigh
// the draw toward the common ones.
constexpr std::array<std::string_view, 4> kGarbleClasses = {
    // уууеееыааааооооэяяиииюё
    "\xF3\xF3\xF3\xE5\xE5\xE5\xFB\xE0\xE0\xE0\xE0\xEE\xEE\xEE\xEE\xFD\xFF\xFF\xE8\xE8\xE8\xFE\xB8",
    // УУУЕЕЕЫААААООООЭЯЯИИИЮЁ
    "\xD3\xD3\xD3\xC5\xC5\xC5\xDB\xC0\xC0\xC0\xC0\xCE\xCE\xCE\xCE\xDD\xDF\xDF\xC8\xC8\xC8\xDE\xA8",
    // йцккнннггшщззххфвввпппрррлллдджчсссмммтттбб
    "\xE9\xF6\xEA\xEA\xED\xED\xED\xE3\xE3\xF8\xF9\xE7\xE7\xF5\xF5\xF4\xE2\xE2\xE2\xEF\xEF\xEF"
    "\xF0\xF0\xF0\xEB\xEB\xEB\xE4\xE4\xE6\xF7\xF1\xF1\xF1\xEC\xEC\xEC\xF2\xF2\xF2\xE1\xE1",
    // ЙЦККНННГГШЩЗЗХХФВВВПППРРРЛЛЛДДЖЧСССМММТТТББ
    "\xC9\xD6\xCA\xCA\xCD\xCD\xCD\xC3\xC3\xD8\xD9\xC7\xC7\xD5\xD5\xD4\xC2\xC2\xC2\xCF\xCF\xCF"
    "\xD0\xD0\xD0\xCB\xCB\xCB\xC4\xC4\xC6\xD7\xD1\xD1\xD1\xCC\xCC\xCC\xD2\xD2\xD2\xC1\xC1",
};

static_assert(std::size(kTranslitWhole) == 18);
static_assert(std::size(kTranslitSingle) == 48);
static_assert(std::size(kLookAlikeSpecial) == 9);
static_assert(std::size(kLookAlike) == 57);
static_assert(std::size(kNormaliser) == 66);
static_assert(kSeparatorPunctuation.size() == 32);
static_assert(kGarbleClasses[0].size() == 23 && kGarbleClasses[1].size() == 23);
static_assert(kGarbleClasses[2].size() == 43 && kGarbleClasses[3].size() == 43);

// ---- byte maps built from the tables -----------------------------------------------------

// Per byte, the text of the first row that names it; texts see whole message bodies, so a
// lookup must not walk the tables.
struct ByteMap {
    std::array<std::string_view, 256> to{};
    std::array<bool, 256> has{};

    constexpr void add(std::span<const LetterRow> rows) {
        for (const LetterRow& row : rows) {
            if (has[row.from]) continue;  // an earlier row already won
            has[row.from] = true;
            to[row.from] = row.to;
        }
    }
    constexpr const std::string_view* find(char c) const {
        const auto index = static_cast<unsigned char>(c);
        return has[index] ? &to[index] : nullptr;
    }
};

constexpr ByteMap mapOf(std::span<const LetterRow> first, std::span<const LetterRow> then = {}) {
    ByteMap map;
    map.add(first);
    map.add(then);
    return map;
}

constexpr ByteMap kTranslitWholeMap = mapOf(kTranslitWhole);
constexpr ByteMap kTranslitSingleMap = mapOf(kTranslitSingle);
constexpr ByteMap kLookAlikeMap = mapOf(kLookAlikeSpecial, kLookAlike);
constexpr ByteMap kNormaliserMap = mapOf(kNormaliser);

constexpr std::array<bool, 256> separatorSet() {
    std::array<bool, 256> set{};
    for (char c : kSeparatorPunctuation) set[static_cast<unsigned char>(c)] = true;
    for (std::size_t c = 0; c < 32; ++c) set[c] = true;
    return set;
}
constexpr std::array<bool, 256> kSeparators = separatorSet();

// Per byte, the index of the first garbling class that holds it, or -1.
constexpr std::array<signed char, 256> garbleClassOf() {
    std::array<signed char, 256> classOf{};
    classOf.fill(-1);
    for (std::size_t k = kGarbleClasses.size(); k-- > 0;)  // backwards: the first class wins
        for (char c : kGarbleClasses[k])
            classOf[static_cast<unsigned char>(c)] = static_cast<signed char>(k);
    return classOf;
}
constexpr std::array<signed char, 256> kGarbleClassOf = garbleClassOf();

// A draw from 0 .. bound - 1 (bound >= 1) whatever the source returns; a missing source
// always draws 0.
int drawBelow(const RandomBelow& random, int bound) {
    if (!random) return 0;
    const int value = random(bound);
    if (value >= 0 && value < bound) return value;
    const int reduced = value % bound;
    return reduced < 0 ? reduced + bound : reduced;
}

bool endsWithY(const std::string& text) {
    return !text.empty() && (text.back() == 'y' || text.back() == 'Y');
}

}  // namespace

std::string translit(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (const std::string_view* whole = kTranslitWholeMap.find(c)) {
            out += *whole;
        } else if (const std::string_view* single = kTranslitSingleMap.find(c)) {
            // ы and й both give "y": "красный" ends in one, "синий" keeps "iy".
            const bool isY = *single == "y" || *single == "Y";
            if (!isY || !endsWithY(out)) out += *single;
        } else {
            out += c;
        }
    }
    return out;
}

std::string leetTranslit(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (const std::string_view* drawn = kLookAlikeMap.find(c))
            out += *drawn;
        else
            out += c;
    }
    return out;
}

char garbleChar(char c, const RandomBelow& random) {
    const int k = kGarbleClassOf[static_cast<unsigned char>(c)];
    if (k < 0) return c;
    const std::string_view members = kGarbleClasses[static_cast<std::size_t>(k)];
    return members[static_cast<std::size_t>(drawBelow(random, static_cast<int>(members.size())))];
}

std::string garbleText(std::string_view text, int percentage, const RandomBelow& random) {
    std::string out(text);
    for (char& c : out)
        if (drawBelow(random, 100) < percentage) c = garbleChar(c, random);
    return out;
}

std::string randomCase(std::string_view text, const RandomBelow& random) {
    std::string out(text);
    for (char& c : out) c = drawBelow(random, 2) == 1 ? toUpper1251(c) : toLower1251(c);
    return out;
}

namespace {

// NormalizeSpamText per byte: the byte it becomes, or kSeparatorMark for a separator. Every
// row of the normaliser gives one character, so the whole step is a byte map.
constexpr std::uint16_t kSeparatorMark = 256;
using NormalizerTable = std::array<std::uint16_t, 256>;

NormalizerTable normalizerTable(bool lower) {
    NormalizerTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        char c = static_cast<char>(i);
        if (lower) c = toLower1251(c);
        if (const std::string_view* latin = kNormaliserMap.find(c)) {
            table[i] = static_cast<unsigned char>(latin->front());
        } else if (kSeparators[static_cast<unsigned char>(c)]) {
            table[i] = kSeparatorMark;
        } else {
            table[i] = static_cast<unsigned char>(c);
        }
    }
    return table;
}

constexpr bool everyNormaliserRowIsOneCharacter() {
    for (const LetterRow& row : kNormaliser)
        if (row.to.size() != 1) return false;
    return true;
}
static_assert(everyNormaliserRowIsOneCharacter());

}  // namespace

std::string normalizeSpamText(std::string_view text, bool lower) {
    static const NormalizerTable kAsIs = normalizerTable(false);
    static const NormalizerTable kLowered = normalizerTable(true);
    const NormalizerTable& table = lower ? kLowered : kAsIs;
    // Never longer than the text and its leading blank: written in place, then cut.
    std::string out(text.size() + 1, ' ');
    char* next = out.data() + 1;
    char last = ' ';
    for (char c : text) {
        const std::uint16_t to = table[static_cast<unsigned char>(c)];
        if (to == kSeparatorMark) {
            if (last != ' ') *next++ = last = ' ';
        } else {
            *next++ = last = static_cast<char>(to);
        }
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
    return out;
}

const std::array<char, 256>& spamWordsByteMap() {
    static const std::array<char, 256> kMap = [] {
        const NormalizerTable table = normalizerTable(true);
        std::array<char, 256> map{};
        for (std::size_t i = 0; i < map.size(); ++i)
            map[i] = table[i] == kSeparatorMark ? ' ' : static_cast<char>(table[i]);
        return map;
    }();
    return kMap;
}

}  // namespace qbx::mail
