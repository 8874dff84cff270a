// A message hidden in the look-alike letters of a cover text and read back.
#include "functions/letters/hidden_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "base/cp1251.h"

namespace qbx::functions::letters {
namespace {

// The tests write Russian in UTF-8; the functions see code page 1251.
std::string cp(std::string_view utf8) { return utf8ToCp1251(utf8); }

// Written out here on its own, so that a slip in either copy shows.
const std::string kAlphabet =
    cp(" ABCDEFGHIJKLMNPQRSTUVWXYZБГДЖИЙЛПУФЦЧШЩЪЫЬЭЮЯ1234567890@.:-,()?"
       "abcdefghijklmnopqrstuwxyz/\\~!;бвгджзийклмнптфцчшщъыьэюя#$%^&*=+_");

const std::string kLatinA = "a";
const std::string kCyrillicA = cp("а");

// A cover of look-alike letters of both alphabets, with other letters, digits and blanks
// between them: at least 8 carriers a piece.
std::string mixedCover(std::size_t carriersAtLeast) {
    std::string cover;
    for (std::size_t carriers = 0; carriers < carriersAtLeast; carriers += 8)
        cover += cp("Сорок ТОП, exam 7 ");
    return cover;
}

TEST(HiddenText, AlphabetHasOneCodePerCharacter) { ASSERT_EQ(kAlphabet.size(), 128u); }

// Code n of the alphabet goes into the first seven carriers, least significant bit first,
// Latin for 1; the closing blank makes the next seven Cyrillic.
TEST(HiddenText, EveryCodeInItsBitOrder) {
    const std::string cover(14, 'a');
    for (int code = 0; code < 128; ++code) {
        std::string expected;
        for (int bit = 0; bit < 7; ++bit) expected += (code >> bit) & 1 ? kLatinA : kCyrillicA;
        for (int bit = 0; bit < 7; ++bit) expected += kCyrillicA;
        EXPECT_EQ(hideTextInText(cover, kAlphabet.substr(code, 1)), expected) << code;
    }
    // Bit 7 is bit 0 of the second character.
    EXPECT_EQ(extractHiddenText(std::string(7, '\xE0') + "a"), " A");
    EXPECT_EQ(extractHiddenText(cp("ааааааа") + "aaaaaaa"), " _");
}

TEST(HiddenText, EveryCharacterComesBack) {
    for (char c : kAlphabet) {
        if (c == ' ') continue;  // a lone blank is code 0: nothing to read
        const std::string message(1, c);
        EXPECT_EQ(extractHiddenText(hideTextInText(std::string(7, 'o'), message)), message) << c;
    }
    const std::string cover = mixedCover(7 * 129);
    const std::string hidden = hideTextInText(cover, kAlphabet);
    ASSERT_EQ(hidden.size(), cover.size());
    EXPECT_EQ(extractHiddenText(hidden), kAlphabet);
}

TEST(HiddenText, CoversInEitherAlphabetCarryTheMessage) {
    const std::string message = cp("Ключ под ковриком, 42!");
    for (const std::string& unit : {cp("Мама мыла раму. "), std::string("Once a coconut. "),
                                    std::string("TAKE XMAS BOOKS ")}) {
        std::string cover;
        while (cover.size() < 7 * 8 * message.size()) cover += unit;
        EXPECT_EQ(extractHiddenText(hideTextInText(cover, message)), cp("Kлюч пoд кoвpикoм, 42!"))
            << unit;
    }
}

// Each carrier turns into exactly its own twin, both ways, and a cover written in one alphabet
// reads as the code it spells: a wrong pair in the table shows here, not in a round trip.
TEST(HiddenText, EachLetterTurnsIntoItsOwnTwin) {
    const std::string latin = "EeTOoPpAaHKXxCcBMy";
    const std::string cyrillic = cp("ЕеТОоРрАаНКХхСсВМу");
    ASSERT_EQ(latin.size(), cyrillic.size());
    for (std::size_t i = 0; i < latin.size(); ++i) {
        const std::string allLatin(7, latin[i]);
        const std::string allCyrillic(7, cyrillic[i]);
        EXPECT_EQ(hideTextInText(allCyrillic, "_"), allLatin) << latin[i];
        EXPECT_EQ(hideTextInText(allLatin, ""), allCyrillic) << latin[i];
        EXPECT_EQ(extractHiddenText(allLatin), "_") << latin[i];
        EXPECT_EQ(extractHiddenText(allCyrillic), "") << latin[i];
    }
    // Code 36 (bits 0010010 from the lowest) spelt by a cover mixing both alphabets: "Ц".
    EXPECT_EQ(extractHiddenText(cp("оо") + "X" + cp("Хх") + "x" + cp("о")), cp("Ц"));
}

TEST(HiddenText, OnlyTheLookAlikeLettersChange) {
    const std::string cover =
        cp("Съешь ещё этих мягких French булок: 2024 год. Окно, Рассвет, cocoa");
    const std::string hidden = hideTextInText(cover, "Hi");
    ASSERT_EQ(hidden.size(), cover.size());
    const std::string carriers = cp("EeTOoPpAaHKXxCcBMyЕеТОоРрАаНКХхСсВМу");
    for (std::size_t i = 0; i < cover.size(); ++i) {
        if (carriers.find(cover[i]) == std::string::npos)
            EXPECT_EQ(hidden[i], cover[i]) << i;
        else
            EXPECT_NE(carriers.find(hidden[i]), std::string::npos) << i;
    }
    EXPECT_EQ(extractHiddenText(hidden), "Hi");
}

// The message's own look-alikes, Ё, the Latin capital O and the brackets are sent as what
// stands for them; a character outside the alphabet goes as a blank.
TEST(HiddenText, MessageIsMappedIntoTheAlphabet) {
    const std::string cover(7 * 40, 'c');
    EXPECT_EQ(extractHiddenText(hideTextInText(cover, cp("КЕНЗХВАРОСМТ"))), "KEH3XBAP0CMT");
    EXPECT_EQ(extractHiddenText(hideTextInText(cover, cp("уехарос ОЁ[]{}"))), "yexapoc 0E()()");
    EXPECT_EQ(extractHiddenText(hideTextInText(cover, cp("vivo ёж\t"))), cp(" i o  ж"));
}

TEST(HiddenText, ShortCoverCutsTheMessage) {
    EXPECT_EQ(extractHiddenText(hideTextInText(std::string(14, 'x'), "abc")), "ab");
    // Six carriers hold the first six bits of 'b' (code 65): code 1.
    EXPECT_EQ(extractHiddenText(hideTextInText(std::string(13, 'x'), "ab")), "aA");
    EXPECT_EQ(extractHiddenText(hideTextInText("", "abc")), "");
}

TEST(HiddenText, TextsWithoutCarriers) {
    const std::string plain = cp("1234 ;;; жжж Ёё lmn");
    EXPECT_EQ(hideTextInText(plain, "secret"), plain);
    EXPECT_EQ(extractHiddenText(plain), "");
    EXPECT_EQ(extractHiddenText(""), "");
}

TEST(HiddenText, CarriersPastTheMessageTurnCyrillic) {
    EXPECT_EQ(hideTextInText("TOP exam", ""), cp("ТОР еха") + "m");  // small m has no twin
    EXPECT_EQ(extractHiddenText(cp("ТОР ехам ТОР ехам")), "");
    EXPECT_EQ(extractHiddenText("aaaaaaa"), "_");
    // Blanks before the last character with a bit set stay; after it there is nothing.
    EXPECT_EQ(extractHiddenText(hideTextInText(std::string(70, 'p'), "  a  ")), "  a");
}

}  // namespace
}  // namespace qbx::functions::letters
