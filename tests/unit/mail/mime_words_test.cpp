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
