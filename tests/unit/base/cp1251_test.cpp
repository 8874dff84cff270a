#include "base/cp1251.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace qbx {
namespace {

TEST(Cp1251, EveryByteSurvivesARoundTripAndTheCodePageCharactersMap) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(all)), all);
    EXPECT_EQ(utf8ToCp1251("АЯаяЁё№€—«»…"), "\xC0\xDF\xE0\xFF\xA8\xB8\xB9\x88\x97\xAB\xBB\x85");
    EXPECT_EQ(utf8ToCp1251("ЂђЎўЈјҐґЄєЇїІіЅѕЉљЊњЋћЌќЏџЃѓ"),
              "\x80\x90\xA1\xA2\xA3\xBC\xA5\xB4\xAA\xBA\xAF\xBF\xB2\xB3\xBD\xBE"
              "\x8A\x9A\x8C\x9C\x8E\x9E\x8D\x9D\x8F\x9F\x81\x83");
    EXPECT_EQ(cp1251ToUtf8("\xEF\xF0\xE8\xE2\xE5\xF2"), "привет");
    EXPECT_EQ(cp1251ToUtf8("\xA0\xAD\x99"), "\u00A0\u00AD\u2122");
    EXPECT_EQ(cp1251ToUtf8("\x98"), "\xC2\x98");  // the unassigned byte keeps its value
    EXPECT_EQ(cp1251ToUtf8(std::string("plain\t\r\n\0b", 10)), std::string("plain\t\r\n\0b", 10));
}

TEST(Cp1251, MissingAndMalformedCharactersBecomeOneQuestionMarkWithoutSwallowingWhatFollows) {
    const std::pair<const char*, const char*> cases[] = {
        {"é日本", "???"},
        {"a😀b", "a?b"},
        {"\xEF\xBB\xBF", "?"},         // a byte-order mark is a character too
        {"\x80x", "?x"},               // stray continuation
        {"\xD0", "?"},                 // truncated at the end
        {"\xD0x", "?x"},               // broken by an ASCII byte
        {"\xD0\xD0\x90", "?\xC0"},     // broken by a new sequence
        {"\xE2\x82x", "?x"},           // valid prefix counts once
        {"\xC0\x80\xC1\xBF", "????"},  // overlong two-byte forms
        {"\xE0\x80\x80", "???"},       // overlong three-byte form
        {"\xED\xA0\x80", "???"},       // surrogate
        {"\xF4\x90\x80\x80", "????"},  // past U+10FFFF
        {"\xF5\xFF\xFE", "???"},       // never a lead byte
        {"\xF0\x9F\x98", "?"}};        // truncated four-byte form
    for (const auto& [utf8, expected] : cases) EXPECT_EQ(utf8ToCp1251(utf8), expected) << utf8;
}

TEST(Cp1251, ArbitraryBytesGiveNoLongerOutput) {
    std::uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::string input;
        for (int i = 0; i < round % 40; ++i) {
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
