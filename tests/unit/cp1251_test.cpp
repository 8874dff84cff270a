#include "core/cp1251.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace qbx {
namespace {

TEST(Cp1251, EveryByteSurvivesARoundTrip) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = cp1251ToUtf8(byte);
        ASSERT_FALSE(utf8.empty()) << b;
        EXPECT_EQ(utf8ToCp1251(utf8), byte) << "byte " << b;
    }
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(all)), all);
}

TEST(Cp1251, MapsTheCodePageCharacters) {
    EXPECT_EQ(utf8ToCp1251("АЯаяЁё"), "\xC0\xDF\xE0\xFF\xA8\xB8");
    EXPECT_EQ(utf8ToCp1251("№€—«»…"), "\xB9\x88\x97\xAB\xBB\x85");
    EXPECT_EQ(utf8ToCp1251("ЂђЎўЈјҐґЄєЇїІіЅѕЉљЊњЋћЌќЏџЃѓ"),
              "\x80\x90\xA1\xA2\xA3\xBC\xA5\xB4\xAA\xBA\xAF\xBF\xB2\xB3\xBD\xBE"
              "\x8A\x9A\x8C\x9C\x8E\x9E\x8D\x9D\x8F\x9F\x81\x83");
    EXPECT_EQ(cp1251ToUtf8("\xEF\xF0\xE8\xE2\xE5\xF2"), "привет");
    EXPECT_EQ(cp1251ToUtf8("\xA0\xAD\x99"), "\u00A0\u00AD\u2122");
    EXPECT_EQ(cp1251ToUtf8("\x98"), "\xC2\x98");  // the unassigned byte keeps its value
    EXPECT_EQ(cp1251ToUtf8("plain ascii\t\r\n"), "plain ascii\t\r\n");
    EXPECT_EQ(cp1251ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1251, CharactersTheCodePageLacksBecomeOneQuestionMarkEach) {
    EXPECT_EQ(utf8ToCp1251("é日本"), "???");
    EXPECT_EQ(utf8ToCp1251("a😀b"), "a?b");
    EXPECT_EQ(utf8ToCp1251("\xEF\xBB\xBF"), "?");  // a byte-order mark is a character too
}

TEST(Cp1251, MalformedUtf8IsReplacedWithoutSwallowingWhatFollows) {
    EXPECT_EQ(utf8ToCp1251("\x80x"), "?x");                // stray continuation
    EXPECT_EQ(utf8ToCp1251("\xD0"), "?");                  // truncated at the end
    EXPECT_EQ(utf8ToCp1251("\xD0x"), "?x");                // broken by an ASCII byte
    EXPECT_EQ(utf8ToCp1251("\xD0\xD0\x90"), "?\xC0");      // broken by a new sequence
    EXPECT_EQ(utf8ToCp1251("\xE2\x82x"), "?x");            // valid prefix counts once
    EXPECT_EQ(utf8ToCp1251("\xC0\x80\xC1\xBF"), "????");   // overlong two-byte forms
    EXPECT_EQ(utf8ToCp1251("\xE0\x80\x80"), "???");        // overlong three-byte form
    EXPECT_EQ(utf8ToCp1251("\xED\xA0\x80"), "???");        // surrogate
    EXPECT_EQ(utf8ToCp1251("\xF4\x90\x80\x80"), "????");   // past U+10FFFF
    EXPECT_EQ(utf8ToCp1251("\xF5\xFF\xFE"), "???");        // never a lead byte
    EXPECT_EQ(utf8ToCp1251("\xF0\x9F\x98"), "?");          // truncated four-byte form
}

TEST(Cp1251, ArbitraryBytesGiveNoLongerOutput) {
    std::uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::string input;
        const int length = round % 40;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1664525u + 1013904223u;
            input += static_cast<char>(seed >> 24);
        }
        const std::string out = utf8ToCp1251(input);
        ASSERT_LE(out.size(), input.size());
        // What comes out is plain code page text: converting it back and forth is stable.
        ASSERT_EQ(utf8ToCp1251(cp1251ToUtf8(out)), out);
    }
}

}  // namespace
}  // namespace qbx
