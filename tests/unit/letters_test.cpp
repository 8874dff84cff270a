#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/cp1251.h"
#include "core/text.h"
#include "functions/letters.h"

namespace qbx::functions {
namespace {

// The tests write Russian in UTF-8; the functions see code page 1251.
std::string cp(std::string_view utf8) { return utf8ToCp1251(utf8); }
std::string shown(std::string_view cp1251) { return cp1251ToUtf8(cp1251); }

// Plays back the given draws in turn (then zeros) and records each bound asked for.
struct ScriptedRandom {
    explicit ScriptedRandom(std::vector<int> script = {}) : draws(std::move(script)) {}

    std::vector<int> draws;
    std::vector<int> bounds;
    std::size_t next = 0;

    RandomBelow source() {
        return [this](int bound) {
            bounds.push_back(bound);
            return next < draws.size() ? draws[next++] : 0;
        };
    }
};

RandomBelow seeded(std::mt19937& engine) {
    return [&engine](int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(engine); };
}

std::string allBytes() {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    return all;
}

// ---- transliteration ---------------------------------------------------------------------

TEST(Letters, TranslitEveryRow) {
    const std::pair<const char*, const char*> whole[] = {
        {"Ё", "Yo"}, {"ё", "yo"}, {"Ж", "Zh"}, {"ж", "zh"}, {"Х", "Kh"}, {"х", "kh"},
        {"Ц", "Ts"}, {"ц", "ts"}, {"Ч", "Ch"}, {"ч", "ch"}, {"Ш", "Sh"}, {"ш", "sh"},
        {"Щ", "Sch"}, {"щ", "sch"}, {"Ю", "Yu"}, {"ю", "yu"}, {"Я", "Ya"}, {"я", "ya"}};
    for (const auto& [letter, latin] : whole) EXPECT_EQ(translit(cp(letter)), latin) << letter;

    const std::string source = cp("йукенгзфывапролдэсмитьбъЙУКЕНГЗФЫВАПРОЛДЭСМИТЬБЪ");
    const std::string_view target = "yukengzfyvaproldesmit'b'YUKENGZFYVAPROLDESMIT'B'";
    ASSERT_EQ(source.size(), target.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        // Alone and after a letter that is no "y", so the "y" rule never holds a target back.
        EXPECT_EQ(translit(source.substr(i, 1)), target.substr(i, 1)) << shown(source.substr(i, 1));
        EXPECT_EQ(translit("a" + source.substr(i, 1)), "a" + std::string(target.substr(i, 1)));
    }
}

TEST(Letters, TranslitWordsAndTheSingleYRule) {
    const std::pair<const char*, const char*> cases[] = {
        {"Щука", "Schuka"},
        {"Объём", "Ob'yom"},
        {"красный", "krasny"},   // й after ы adds nothing
        {"синий", "siniy"},
        {"йод", "yod"},          // a leading й is always written
        {"ЫЙ", "Y"},             // the rule ignores case
        {"Май й", "May y"},      // a blank breaks the run
        {"yй", "y"},             // a Latin y copied from the text counts too
        {"яй", "yay"},           // "ya" ends in a, not y
        {"Юрий Ёлкин", "Yuriy Yolkin"},
        {"Hello, 123!", "Hello, 123!"},
        {"", ""},
    };
    for (const auto& [russian, latin] : cases) EXPECT_EQ(translit(cp(russian)), latin) << russian;
    // Letters of the code page outside Russian are copied.
    EXPECT_EQ(translit(cp("ЇєІў№")), cp("ЇєІў№"));
}

// ---- look-alike drawing ------------------------------------------------------------------

TEST(Letters, LookAlikeEveryRow) {
    const std::pair<const char*, const char*> special[] = {
        {"Ж", ">|<"}, {"Л", "/|"}, {"л", "/|"}, {"Ы", "b|"}, {"ы", "b|"},
        {"Ю", "|O"},  {"ю", "|O"}, {"Я", "R"},  {"я", "R"}};
    for (const auto& [letter, drawn] : special) EXPECT_EQ(leetTranslit(cp(letter)), drawn) << letter;

    const std::string source = cp("йукеёнгшщзхъфвароджэчсмитьбЙУКЕНГШЩЗХЪФВАРОДЭЧСМИТЬБЁПпЦц");
    const std::string_view target = "jykeeHGww3xbfBapog*e4cmutb6JYKEHGWW3XbFBAPODE4CMUTb6EnnUu";
    ASSERT_EQ(source.size(), target.size());
    for (std::size_t i = 0; i < source.size(); ++i)
        EXPECT_EQ(leetTranslit(source.substr(i, 1)), target.substr(i, 1)) << shown(source.substr(i, 1));
}

TEST(Letters, LookAlikeWords) {
    EXPECT_EQ(leetTranslit(cp("ЖУК")), ">|<YK");
    EXPECT_EQ(leetTranslit(cp("ляля")), "/|R/|R");
    EXPECT_EQ(leetTranslit(cp("жыр, 42")), "*b|p, 42");  // lower-case ж is a table row
    EXPECT_EQ(leetTranslit("plain"), "plain");
    EXPECT_EQ(leetTranslit(""), "");
}

// ---- garbling ----------------------------------------------------------------------------

const char* const kGarbleClassesUtf8[] = {
    "уууеееыааааооооэяяиииюё",
    "УУУЕЕЕЫААААООООЭЯЯИИИЮЁ",
    "йцккнннггшщззххфвввпппрррлллдджчсссмммтттбб",
    "ЙЦККНННГГШЩЗЗХХФВВВПППРРРЛЛЛДДЖЧСССМММТТТББ",
};

TEST(Letters, GarbleDrawsEachPositionOfTheLettersClass) {
    for (const char* utf8 : kGarbleClassesUtf8) {
        const std::string members = cp(utf8);
        for (char letter : members) {
            for (std::size_t i = 0; i < members.size(); ++i) {
                ScriptedRandom random{{static_cast<int>(i)}};
                ASSERT_EQ(garbleChar(letter, random.source()), members[i])
                    << shown(std::string(1, letter)) << " draw " << i;
                ASSERT_EQ(random.bounds, std::vector<int>{static_cast<int>(members.size())});
            }
        }
    }
}

TEST(Letters, GarbleLeavesOtherBytesAloneAndTamesBadDraws) {
    for (char c : cp("ьъЬЪ a Z 7 .")) {
        ScriptedRandom random{{5}};
        EXPECT_EQ(garbleChar(c, random.source()), c);
        EXPECT_TRUE(random.bounds.empty());  // no draw is spent on them
    }
    const std::string vowels = cp(kGarbleClassesUtf8[0]);
    const std::string a = cp("а");
    ScriptedRandom past{{23, -1, 1000000}};
    EXPECT_EQ(garbleChar(a[0], past.source()), vowels[0]);
    EXPECT_EQ(garbleChar(a[0], past.source()), vowels[22]);
    EXPECT_EQ(garbleChar(a[0], past.source()), vowels[1000000 % 23]);
    EXPECT_EQ(garbleChar(a[0], RandomBelow{}), vowels[0]);  // an empty source does not throw
}

TEST(Letters, GarbleTextDrawsOncePerByteThenForTheLetter) {
    const std::string text = cp("да!");
    // д: 99 is not below 50, kept; а: 10 is, then drawn to position 3 (е); '!': 0 is below,
    // but '!' has no class and draws nothing more.
    ScriptedRandom random{{99, 10, 3, 0}};
    EXPECT_EQ(garbleText(text, 50, random.source()), cp("де!"));
    EXPECT_EQ(random.bounds, (std::vector<int>{100, 100, 23, 100}));

    std::mt19937 engine(7);
    const std::string sample = cp("Съешь же ещё этих мягких французских булок, да выпей чаю. QBX 2.4");
    EXPECT_EQ(garbleText(sample, 0, seeded(engine)), sample);
    EXPECT_EQ(garbleText(sample, -5, seeded(engine)), sample);

    for (int percentage : {100, 250}) {
        const std::string out = garbleText(sample, percentage, seeded(engine));
        ASSERT_EQ(out.size(), sample.size());
        for (std::size_t i = 0; i < sample.size(); ++i) {
            int classOfInput = -1;
            for (int k = 3; k >= 0; --k)
                if (cp(kGarbleClassesUtf8[k]).find(sample[i]) != std::string::npos) classOfInput = k;
            if (classOfInput < 0)
                EXPECT_EQ(out[i], sample[i]) << i;
            else
                EXPECT_NE(cp(kGarbleClassesUtf8[classOfInput]).find(out[i]), std::string::npos) << i;
        }
    }
}

// ---- random case -------------------------------------------------------------------------

TEST(Letters, RandomCaseFollowsTheDrawsForEveryAlphabet) {
    ScriptedRandom random{{1, 0, 1, 0, 1, 0, 1, 0, 1}};
    EXPECT_EQ(randomCase(cp("abcЯЁжёz1"), random.source()), cp("AbCяЁжЁz1"));
    EXPECT_EQ(random.bounds, std::vector<int>(9, 2));

    ScriptedRandom ones{std::vector<int>(6, 1)};
    EXPECT_EQ(randomCase(cp("привет"), ones.source()), cp("ПРИВЕТ"));
    ScriptedRandom zeros{};
    EXPECT_EQ(randomCase(cp("ПРИВЕТ"), zeros.source()), cp("привет"));
}

// ---- spam text normaliser ----------------------------------------------------------------

TEST(Letters, NormaliserEveryRow) {
    const std::string source =
        cp("йукеёнгшщзхъфвароджэчсмитьбЙУКЕНГШЩЗХЪФВАРОДЭЧСМИТЬБЁПпЦцЖЛлЫыЯяЮю");
    const std::string_view target =
        "jykeehgwwzxbfvapogzeccmutbbjukengwwzxbfvarodeccmutb6ennuuzllyyaauu";
    ASSERT_EQ(source.size(), target.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        const std::string letter = source.substr(i, 1);
        EXPECT_EQ(normalizeSpamText(letter, false), " " + std::string(target.substr(i, 1)))
            << shown(letter);
        // Lower-casing first sends a capital through its small letter's row.
        EXPECT_EQ(normalizeSpamText(letter, true), normalizeSpamText(toLower1251(letter), false))
            << shown(letter);
    }
}

TEST(Letters, NormaliserKeepsItsStoredMappingQuirks) {
    // н h but Н n, р p but Р r, б b but Б 6: keys in users' files were made this way.
    EXPECT_EQ(normalizeSpamText(cp("нН рР бБ"), false), " hn pr b6");
    EXPECT_EQ(normalizeSpamText(cp("нН рР бБ"), true), " hh pp bb");
}

TEST(Letters, NormaliserSeparators) {
    const std::string punctuation = "~`!@#$%^&*()_+-=[]{};':\",./<>?|\\";
    for (char c : punctuation) EXPECT_EQ(normalizeSpamText(std::string(1, c), false), " ") << c;
    for (int c = 0; c < 32; ++c)
        EXPECT_EQ(normalizeSpamText(std::string(1, static_cast<char>(c)), true), " ") << c;
    // A run of separators gives one blank, the text's own blanks are copied.
    EXPECT_EQ(normalizeSpamText(punctuation + std::string("\0\r\n\t", 4) + "x", false), " x");
    EXPECT_EQ(normalizeSpamText("a  b", false), " a  b");
    EXPECT_EQ(normalizeSpamText("a, b", false), " a  b");
    EXPECT_EQ(normalizeSpamText(" lead", false), "  lead");
    // Neither digits nor other bytes of the code page split or change.
    EXPECT_EQ(normalizeSpamText(cp("«50%» №7 €"), false), cp(" «50 » №7 €"));
}

TEST(Letters, NormaliserMakesMixedSpellingsOneWord) {
    EXPECT_EQ(normalizeSpamText(cp("ПРИВЕТ, мир!"), true), " npuvet  mup ");
    EXPECT_EQ(normalizeSpamText("", true), " ");
    EXPECT_EQ(normalizeSpamText("", false), " ");
    // Latin look-alikes mixed into a Cyrillic word: the same key as the pure spelling.
    const std::string pure = normalizeSpamText(cp("Скидка на Виагру"), true);
    EXPECT_EQ(pure, " ckugka ha vuagpy");
    EXPECT_EQ(normalizeSpamText(cp("CKИДKA HA ВИAГPУ"), true), pure);   // C K A H P Latin
    EXPECT_EQ(normalizeSpamText(cp("сkидkа нa виaгрy"), true), pure);   // k a y Latin
    // Punctuation used to break a word up falls apart into letters, never into new symbols.
    EXPECT_EQ(normalizeSpamText(cp("в.и.а.г.р.а"), true), " v u a g p a");
    EXPECT_EQ(normalizeSpamText(cp("в_и-а*г/р\\а"), true), " v u a g p a");
    // Without lower-casing, Latin capitals stay as they are.
    EXPECT_EQ(normalizeSpamText("FREE money", false), " FREE money");
    EXPECT_EQ(normalizeSpamText("FREE money", true), " free money");
}

// ---- every byte --------------------------------------------------------------------------

TEST(Letters, EveryByteThroughEveryFunction) {
    const std::string all = allBytes();
    std::mt19937 engine(1251);
    for (char c : all) {
        const std::string one(1, c);
        EXPECT_GE(translit(one).size(), 1u);
        EXPECT_LE(translit(one).size(), 3u);
        EXPECT_GE(leetTranslit(one).size(), 1u);
        EXPECT_LE(leetTranslit(one).size(), 3u);
        EXPECT_EQ(randomCase(one, seeded(engine)).size(), 1u);
        EXPECT_EQ(garbleText(one, 100, seeded(engine)).size(), 1u);
        const std::string normal = normalizeSpamText(one, true);
        ASSERT_TRUE(normal.size() == 1 || normal.size() == 2);
        EXPECT_EQ(normal[0], ' ');
    }
    EXPECT_LE(translit(all).size(), 3 * all.size());
    EXPECT_LE(leetTranslit(all).size(), 3 * all.size());
    EXPECT_EQ(garbleText(all, 100, seeded(engine)).size(), all.size());
    EXPECT_EQ(randomCase(all, seeded(engine)).size(), all.size());
    for (bool lower : {false, true}) {
        const std::string normal = normalizeSpamText(all, lower);
        EXPECT_LE(normal.size(), all.size() + 1);
        // No Cyrillic survives the normaliser.
        for (char c : normal) {
            const auto b = static_cast<unsigned char>(c);
            EXPECT_FALSE(b >= 0xC0 || b == 0xA8 || b == 0xB8) << int(b);
        }
    }
    // Nor out of the transliteration (the other Cyrillic letters of the code page lie below).
    for (char c : translit(all)) {
        const auto b = static_cast<unsigned char>(c);
        EXPECT_FALSE(b >= 0xC0 || b == 0xA8 || b == 0xB8) << int(b);
    }
}

}  // namespace
}  // namespace qbx::functions
