// Encoded words of display names: every supported charset lands in 1251, neighbours join,
// anything malformed stays as written, and hostile text stays linear.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/mime_words.h"

namespace qbx::mail {
namespace {

const std::string kPrivet = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in 1251

struct Case {
    const char* name;
    std::string encoded, decoded;
};

TEST(MimeWords, DecodesEachCharsetInto1251) {
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
