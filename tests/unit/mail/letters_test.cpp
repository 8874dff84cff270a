#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "base/cp1251.h"
#include "base/text.h"
#include "mail/letters.h"

namespace qbx::mail {
namespace {

// The tests write Russian in UTF-8; the functions see code page 1251.
std::string cp(std::string_view utf8) { return utf8ToCp1251(utf8); }
std::string shown(std::string_view cp1251) { return cp1251ToUtf8(cp1251); }
using Rows = std::pair<const char*, const char*>;

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
    return
        [&engine](int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(engine); };
}

bool isRussian(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0xC0 || b == 0xA8 || b == 0xB8;
}

// Each letter of `source` alone must give the same-placed byte of `target`.
template <typename Fn>
void expectRowByRow(Fn fn, std::string_view sourceUtf8, std::string_view target) {
    const std::string source = cp(sourceUtf8);
    ASSERT_EQ(source.size(), target.size());
    for (std::size_t i = 0; i < source.size(); ++i)
        EXPECT_EQ(fn(source.substr(i, 1)), target.substr(i, 1)) << shown(source.substr(i, 1));
}

TEST(Letters, TranslitEveryRowAndTheSingleYRule) {
    for (const auto& [letter, latin] : {Rows{"Ё", "Yo"},
                                        {"ё", "yo"},
                                        {"Ж", "Zh"},
                                        {"ж", "zh"},
                                        {"Х", "Kh"},
                                        {"х", "kh"},
                                        {"Ц", "Ts"},
                                        {"ц", "ts"},
                                        {"Ч", "Ch"},
                                        {"ч", "ch"},
                                        {"Ш", "Sh"},
                                        {"ш", "sh"},
                                        {"Щ", "Sch"},
                                        {"щ", "sch"},
                                        {"Ю", "Yu"},
                                        {"ю", "yu"},
                                        {"Я", "Ya"},
                                        {"я", "ya"},
                                        {"Щука", "Schuka"},
                                        {"Объём", "Ob'yom"},
                                        {"красный", "krasny"},
                                        {"синий", "siniy"},
                                        {"йод", "yod"},
                                        {"ЫЙ", "Y"},
                                        {"Май й", "May y"},
                                        {"yй", "y"} /* Latin y counts too */,
                                        {"яй", "yay"},
                                        {"Юрий Ёлкин", "Yuriy Yolkin"},
                                        {"Hello, 123!", "Hello, 123!"},
                                        {"", ""}})
        EXPECT_EQ(translit(cp(letter)), latin) << letter;
    EXPECT_EQ(translit(cp("ЇєІў№")), cp("ЇєІў№"));
    const char* source = "йукенгзфывапролдэсмитьбъЙУКЕНГЗФЫВАПРОЛДЭСМИТЬБЪ";
    const std::string_view target = "yukengzfyvaproldesmit'b'YUKENGZFYVAPROLDESMIT'B'";
    expectRowByRow([](const std::string& s) { return translit(s); }, source, target);
    // After a letter that is no "y", so the "y" rule never holds a target back.
    expectRowByRow(
        [](const std::string& s) {
            const std::string t = translit("a" + s);
            return t[0] == 'a' ? t.substr(1) : "!" + t;
        },
        source, target);
}

TEST(Letters, LookAlikeEveryRowAndWords) {
    for (const auto& [letter, drawn] : {Rows{"Ж", ">|<"},
                                        {"Л", "/|"},
                                        {"л", "/|"},
                                        {"Ы", "b|"},
                                        {"ы", "b|"},
                                        {"Ю", "|O"},
                                        {"ю", "|O"},
                                        {"Я", "R"},
                                        {"я", "R"},
                                        {"ЖУК", ">|<YK"},
                                        {"ляля", "/|R/|R"},
                                        {"жыр, 42", "*b|p, 42"},
                                        {"plain", "plain"},
                                        {"", ""}})
        EXPECT_EQ(leetTranslit(cp(letter)), drawn) << letter;
    expectRowByRow([](const std::string& s) { return leetTranslit(s); },
                   "йукеёнгшщзхъфвароджэчсмитьбЙУКЕНГШЩЗХЪФВАРОДЭЧСМИТЬБЁПпЦц",
                   "jykeeHGww3xbfBapog*e4cmutb6JYKEHGWW3XbFBAPODE4CMUTb6EnnUu");
}

const char* const kGarbleClassesUtf8[] = {
    "уууеееыааааооооэяяиииюё",
    "УУУЕЕЕЫААААООООЭЯЯИИИЮЁ",
    "йцккнннггшщззххфвввпппрррлллдджчсссмммтттбб",
    "ЙЦККНННГГШЩЗЗХХФВВВПППРРРЛЛЛДДЖЧСССМММТТТББ",
};

TEST(Letters, GarbleCharDrawsFromTheLettersClassAndTamesBadDraws) {
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
    for (char c : cp("ьъЬЪ a Z 7 .")) {
        ScriptedRandom random{{5}};
        EXPECT_EQ(garbleChar(c, random.source()), c);
        EXPECT_TRUE(random.bounds.empty());  // no draw is spent on them
    }
    const std::string vowels = cp(kGarbleClassesUtf8[0]);
    const char a = cp("а")[0];
    ScriptedRandom past{{23, -1, 1000000}};
    EXPECT_EQ(garbleChar(a, past.source()), vowels[0]);
    EXPECT_EQ(garbleChar(a, past.source()), vowels[22]);
    EXPECT_EQ(garbleChar(a, past.source()), vowels[1000000 % 23]);
    EXPECT_EQ(garbleChar(a, RandomBelow{}), vowels[0]);  // an empty source does not throw
}

TEST(Letters, GarbleTextDrawsOncePerByteThenForTheLetter) {
    // д: 99 is not below 50, kept; а: 10 is, then drawn to position 3 (е); '!' draws no more.
    ScriptedRandom random{{99, 10, 3, 0}};
    EXPECT_EQ(garbleText(cp("да!"), 50, random.source()), cp("де!"));
    EXPECT_EQ(random.bounds, (std::vector<int>{100, 100, 23, 100}));

    std::mt19937 engine(7);
    const std::string sample =
        cp("Съешь же ещё этих мягких французских булок, да выпей чаю. QBX 2.4");
    EXPECT_EQ(garbleText(sample, 0, seeded(engine)), sample);
    EXPECT_EQ(garbleText(sample, -5, seeded(engine)), sample);
    // Over 100%: every letter stays within its class, every other byte is kept.
    const std::string out = garbleText(sample, 250, seeded(engine));
    ASSERT_EQ(out.size(), sample.size());
    for (std::size_t i = 0; i < sample.size(); ++i) {
        int k = 3;
        while (k >= 0 && cp(kGarbleClassesUtf8[k]).find(sample[i]) == std::string::npos) --k;
        EXPECT_TRUE(k < 0 ? out[i] == sample[i]
                          : cp(kGarbleClassesUtf8[k]).find(out[i]) != std::string::npos)
            << i;
    }
}

TEST(Letters, RandomCaseFollowsTheDrawsForEveryAlphabet) {
    ScriptedRandom random{{1, 0, 1, 0, 1, 0, 1, 0, 1}};
    EXPECT_EQ(randomCase(cp("abcЯЁжёz1"), random.source()), cp("AbCяЁжЁz1"));
    EXPECT_EQ(random.bounds, std::vector<int>(9, 2));
}

TEST(Letters, NormaliserEveryRowAndStoredQuirks) {
    const std::string source =
        cp("йукеёнгшщзхъфвароджэчсмитьбЙУКЕНГШЩЗХЪФВАРОДЭЧСМИТЬБЁПпЦцЖЛлЫыЯяЮю");
    const std::string_view target =
        "jykeehgwwzxbfvapogzeccmutbbjukengwwzxbfvarodeccmutb6ennuuzllyyaauu";
    ASSERT_EQ(source.size(), target.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        const std::string letter = source.substr(i, 1);
        EXPECT_EQ(normalizeSpamText(letter, false), " " + std::string(target.substr(i, 1)))
            << shown(letter);
        EXPECT_EQ(normalizeSpamText(letter, true), normalizeSpamText(toLower1251(letter), false))
            << shown(letter);
    }
    // н h but Н n, р p but Р r, б b but Б 6: keys in users' files were made this way.
    EXPECT_EQ(normalizeSpamText(cp("нН рР бБ"), false), " hn pr b6");
    EXPECT_EQ(normalizeSpamText(cp("нН рР бБ"), true), " hh pp bb");
}

TEST(Letters, NormaliserSeparatorsAndMixedSpellings) {
    const std::string punctuation = "~`!@#$%^&*()_+-=[]{};':\",./<>?|\\";
    for (char c : punctuation) EXPECT_EQ(normalizeSpamText(std::string(1, c), false), " ") << c;
    for (int c = 0; c < 32; ++c)
        EXPECT_EQ(normalizeSpamText(std::string(1, static_cast<char>(c)), true), " ") << c;
    EXPECT_EQ(normalizeSpamText(punctuation + std::string("\0\r\n\t", 4) + "x", false), " x");
    const std::string pure = " ckugka ha vuagpy";
    for (const auto& [in, lower, out] :
         {std::tuple<const char*, bool, std::string>{"a  b", false, " a  b"},
          {"a, b", false, " a  b"},
          {" lead", false, "  lead"},
          {"", true, " "},
          {"", false, " "},
          {"«50%» №7 €", false, cp(" «50 » №7 €")},  // digits and other bytes stay
          {"ПРИВЕТ, мир!", true, " npuvet  mup "},
          {"Скидка на Виагру", true, pure},
          {"CKИДKA HA ВИAГPУ", true, pure},  // C K A H P Latin
          {"сkидkа нa виaгрy", true, pure},  // k a y Latin
          {"в.и.а.г.р.а", true, " v u a g p a"},
          {"в_и-а*г/р\\а", true, " v u a g p a"},
          {"FREE money", false, " FREE money"},
          {"FREE money", true, " free money"}})
        EXPECT_EQ(normalizeSpamText(cp(in), lower), out) << in;
}

TEST(Letters, EveryByteThroughEveryFunction) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    std::mt19937 engine(1251);
    for (char c : all) {
        const std::string one(1, c);
        for (const std::size_t n : {translit(one).size(), leetTranslit(one).size()})
            EXPECT_TRUE(n >= 1 && n <= 3) << int(static_cast<unsigned char>(c));
        EXPECT_EQ(randomCase(one, seeded(engine)).size(), 1u);
        EXPECT_EQ(garbleText(one, 100, seeded(engine)).size(), 1u);
        const std::string normal = normalizeSpamText(one, true);
        EXPECT_TRUE((normal.size() == 1 || normal.size() == 2) && normal[0] == ' ');
    }
    EXPECT_LE(translit(all).size(), 3 * all.size());
    EXPECT_LE(leetTranslit(all).size(), 3 * all.size());
    EXPECT_EQ(garbleText(all, 100, seeded(engine)).size(), all.size());
    EXPECT_EQ(randomCase(all, seeded(engine)).size(), all.size());
    // No Russian letter survives the normaliser or the transliteration.
    for (bool lower : {false, true}) {
        const std::string normal = normalizeSpamText(all, lower);
        EXPECT_LE(normal.size(), all.size() + 1);
        for (char c : normal) EXPECT_FALSE(isRussian(c)) << int(static_cast<unsigned char>(c));
    }
    for (char c : translit(all)) EXPECT_FALSE(isRussian(c)) << int(static_cast<unsigned char>(c));
}

}  // namespace
}  // namespace qbx::mail
