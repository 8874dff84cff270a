// Encoded words of display names: each word reaches the converter with its charset and bound,
// every charset the system knows lands in the module's text, neighbours join, anything malformed
// stays as written, and hostile text stays linear.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "mail/mime_words.h"
#include "platform/charset_converter.h"

namespace qbx::mail {
namespace {

const std::string kPrivet = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in 1251

struct Case {
    const char* name;
    std::string encoded, decoded;
};

// The charsets as the system converts them are written out for a module text in 1251: the
// native build's, and the DLL's on a system whose ANSI code page is 1251.
#define SKIP_UNLESS_MODULE_TEXT_IS_1251() \
    if (moduleTextCodePage() != 1251)     \
    GTEST_SKIP() << "the module's text is code page " << moduleTextCodePage()

// Answers "<charset:bytes>" for the charset "known", nothing for any other, and notes what it
// was asked.
struct RecordingConverter final : CharsetConverter {
    mutable std::vector<std::string> charsets;
    mutable std::vector<std::size_t> bounds;
    std::optional<std::string> toModuleText(std::string_view charset, std::string_view bytes,
                                            std::size_t maxBytes) const override {
        charsets.emplace_back(charset);
        bounds.push_back(maxBytes);
        if (charset != "known") return std::nullopt;
        return "<" + std::string(charset) + ":" + std::string(bytes) + ">";
    }
};

TEST(MimeWords, EachWordGoesThroughTheConverterWithinItsOwnLength) {
    const RecordingConverter converter;
    // The language tag is no part of the name; the bound is the encoded word's own length.
    EXPECT_EQ(decodeMimeWords("x =?known*en?Q?a=41_b?= y", converter), "x <known:aA b> y");
    EXPECT_EQ(converter.charsets, std::vector<std::string>{"known"});
    EXPECT_EQ(converter.bounds,
              std::vector<std::size_t>{std::string("=?known*en?Q?a=41_b?=").size()});
    // A charset the converter does not know keeps the decoded bytes.
    EXPECT_EQ(decodeMimeWords("=?other?B?6XTp?=", converter), "\xE9t\xE9");
    EXPECT_EQ(decodeMimeWords("=?known?B?YQ?= =?other?Q?b?=", converter), "<known:a>b");
}

TEST(MimeWords, DecodesEachCharsetInto1251) {
    SKIP_UNLESS_MODULE_TEXT_IS_1251();
    const Case cases[] = {
        {"1251 base64", "=?windows-1251?B?z/Do4uXy?=", kPrivet},
        {"koi8-r quoted", "=?KOI8-R?Q?=F0=D2=C9=D7=C5=D4?=", kPrivet},
        {"utf-8 base64", "=?UTF-8?b?0J/RgNC40LLQtdGC?=", kPrivet},
        {"utf-8 lacking in 1251", "=?utf-8?Q?=E4=B8=AD?=", "?"},
        {"latin-1", "=?iso-8859-1?Q?J=F6rg_M?=", "J?rg M"},
        {"us-ascii", "=?us-ascii?Q?plain_text?=", "plain text"},
        {"iso-8859-5", "=?iso-8859-5?Q?=BF=E0=D8?=", "\xCF\xF0\xE8"},
        {"cp866", "=?cp866?Q?=8F=E0=A8?=", "\xCF\xF0\xE8"},
        {"unknown charset keeps bytes", "=?x-mac-cyrillic?Q?=E9t=E9?=", "\xE9t\xE9"},
        {"language tag", "=?utf-8*ru?Q?ok?=", "ok"},
        {"base64 without padding", "=?us-ascii?B?YWI?=", "ab"},
        {"lone = in Q kept", "=?us-ascii?Q?a=1?=", "a=1"},
    };
    for (const Case& c : cases) EXPECT_EQ(decodeMimeWords(c.encoded), c.decoded) << c.name;
}

// The whole Russian alphabet of each single-byte charset, written out byte by byte against
// the letters they stand for: a wrong entry in a table shows here.
TEST(MimeWords, EachCyrillicCharsetGivesTheWhole1251Alphabet) {
    SKIP_UNLESS_MODULE_TEXT_IS_1251();
    std::string alphabet;  // 1251: А..Я then а..я, 0xC0..0xFF
    for (int c = 0xC0; c <= 0xFF; ++c) alphabet += static_cast<char>(c);
    const auto quoted = [](const char* charset, const std::vector<int>& bytes) {
        static const char kHex[] = "0123456789ABCDEF";
        std::string word = std::string("=?") + charset + "?Q?";
        for (const int b : bytes) word += {'=', kHex[b >> 4], kHex[b & 15]};
        return word + "?=";
    };
    const auto run = [](int from, int count) {
        std::vector<int> bytes;
        for (int i = 0; i < count; ++i) bytes.push_back(from + i);
        return bytes;
    };
    const auto join = [](std::vector<int> a, const std::vector<int>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    // KOI8-R orders its letters after the Latin alphabet: "юабцдефгхийклмнопярстужвьызшэщчъ",
    // capitals 0x20 above.
    const int koiSmall[] = {0xC1, 0xC2, 0xD7, 0xC7, 0xC4, 0xC5, 0xD6, 0xDA, 0xC9, 0xCA, 0xCB,
                            0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD2, 0xD3, 0xD4, 0xD5, 0xC6, 0xC8,
                            0xC3, 0xDE, 0xDB, 0xDD, 0xDF, 0xD9, 0xD8, 0xDC, 0xC0, 0xD1};
    std::vector<int> koi;
    for (const int b : koiSmall) koi.push_back(b + 0x20);
    for (const int b : koiSmall) koi.push_back(b);
    EXPECT_EQ(decodeMimeWords(quoted("koi8-r", koi)), alphabet);
    EXPECT_EQ(decodeMimeWords(quoted("cp866", join(run(0x80, 48), run(0xE0, 16)))), alphabet);
    EXPECT_EQ(decodeMimeWords(quoted("iso-8859-5", run(0xB0, 64))), alphabet);
}

// Charsets beyond those the decoder once knew by name, as a new user's mail brings them.
TEST(MimeWords, EveryCharsetTheSystemKnowsInto1251) {
    SKIP_UNLESS_MODULE_TEXT_IS_1251();
    const Case cases[] = {
        {"koi8-u", "=?koi8-u?B?8NLJ18XU?=", kPrivet},
        // The Ukrainian letters where KOI8-R has box drawing: є і ї ґ Є І Ї Ґ.
        {"koi8-u letters",
         "=?KOI8-U?Q?=A4=A6=A7=AD=B4=B6=B7=BD?=", "\xBA\xB3\xBF\xB4\xAA\xB2\xAF\xA5"},
        {"koi8-r box drawing", "=?koi8-r?Q?=A4=A6?=", "??"},
        {"windows-1252", "=?windows-1252?Q?=80_=F6?=", "\x88 ?"},
        {"windows-1250", "=?windows-1250?Q?=84=8A=94?=", "\x84?\x94"},
        {"iso-8859-2", "=?iso-8859-2?Q?=A9koda_=B3=F3d=BC?=", "?koda ??d?"},
        {"x-cp1251 alias", "=?x-cp1251?B?z/Do4uXy?=", kPrivet},
        {"utf-16 big-endian mark", "=?utf-16?B?/v8EHwRA?=", "\xCF\xF0"},
        {"utf-16 little-endian mark", "=?utf-16?B?//4fBEAE?=", "\xCF\xF0"},
        {"utf-16 without mark is big-endian", "=?utf-16?B?BB8EQA==?=", "\xCF\xF0"},
        {"utf-16le", "=?utf-16le?B?HwRABA==?=", "\xCF\xF0"},
        {"utf-16be", "=?UTF-16BE?B?AEEA6QQf?=", "A?\xCF"},
        {"utf-16 odd last byte", "=?utf-16be?B?AEEA?=", "A?"},
        // A malformed byte is one "?" and the word goes on; a sequence cut off ends it.
        {"utf-8 malformed byte", "=?utf-8?Q?a=FFb?=", "a?b"},
        {"utf-8 cut off", "=?utf-8?Q?a=D0?=", "a?"},
        {"unknown charset keeps bytes", "=?x-no-such-charset?Q?=E9t=E9?=", "\xE9t\xE9"},
        {"not a name keeps bytes", "=?utf-8//TRANSLIT?Q?=D0=9F?=", "\xD0\x9F"},
    };
    for (const Case& c : cases) EXPECT_EQ(decodeMimeWords(c.encoded), c.decoded) << c.name;
    // Three bytes of UTF-8 for every byte of box drawing: the reading grows its room.
    std::string boxes;
    for (int i = 0; i < 3000; ++i) boxes += "=80";
    EXPECT_EQ(decodeMimeWords("=?koi8-r?Q?" + boxes + "?="), std::string(3000, '?'));
}

TEST(MimeWords, OnlyPlainCharsetNamesAreLookedUp) {
    for (const std::string& name :
         std::vector<std::string>{"koi8-r", "ISO-8859-1", "utf-16le", "x-cp1251", "ks_c_5601-1987",
                                  "ibm:866", "a+b.c", std::string(kMaxCharsetNameLength, 'a')})
        EXPECT_TRUE(isCharsetName(name)) << name;
    for (const std::string& name : std::vector<std::string>{
             "", std::string(kMaxCharsetNameLength + 1, 'a'), "utf-8//TRANSLIT", "../koi8-r",
             "a\\b", "a b", std::string("a\0b", 3), "a\x01", "koi8\xE9", "a%b"})
        EXPECT_FALSE(isCharsetName(name)) << name;
}

TEST(MimeWords, JoinsNeighboursAcrossBlanksOnly) {
    const Case cases[] = {
        {"blanks", "=?utf-8?Q?a?= \r\n\t=?utf-8?Q?b?=", "ab"},
        {"adjacent", "=?utf-8?Q?a?==?utf-8?Q?b?=", "ab"},
        {"text between", "=?utf-8?Q?a?= x =?utf-8?Q?b?=", "a x b"},
        {"in text", "Ivan =?utf-8?Q?b?= Petrov", "Ivan b Petrov"},
        // The blank before a malformed neighbour belongs to the text, not to a join.
        {"malformed neighbour", "=?utf-8?Q?a?= =?utf-8?X?b?=", "a =?utf-8?X?b?="}};
    for (const Case& c : cases) EXPECT_EQ(decodeMimeWords(c.encoded), c.decoded) << c.name;
}

TEST(MimeWords, MalformedWordsStayAsWritten) {
    for (const std::string& text : std::vector<std::string>{
             "=?utf-8?X?abc?=", "=?utf-8?B?ab!c?=", "=??Q?a?=", "=?utf-8?Q?a b?=", "=?utf-8?Q?abc",
             "=?utf-8?Q", "=?", "a=?b",
             "=?utf-8?B?YQ==YQ?=", "=?" + std::string(100, 'c') + "?Q?a?="})
        EXPECT_EQ(decodeMimeWords(text), text) << text;
}

TEST(MimeWords, HostileInputStaysBoundedAndLinear) {
    std::string runs, many, joined;
    for (int i = 0; i < 40000; ++i) runs += "=?a?q?";  // every attempt fails late
    EXPECT_TRUE(decodeMimeWords(runs) == runs);
    const std::string huge = "=?utf-8?Q?a?=" + std::string(kMaxMimeWordsInput, 'x');
    EXPECT_TRUE(decodeMimeWords(huge) == huge);
    for (int i = 0; i < 10000; ++i) many += "=?utf-8?Q?ab?= ", joined += "ab";
    EXPECT_TRUE(decodeMimeWords(many) == joined + " ");
}

}  // namespace
}  // namespace qbx::mail
