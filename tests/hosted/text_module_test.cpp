// The text transformation macros through the built module, each called once as the mail client
// calls it: arguments through the host's parameter container, the message text from the
// host's data, a keyed file from the module's folder, and failures that reach the host as the
// macro's placeholder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
#include "platform/charset_converter.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace {

using qbxhost::Host;

using qbx::test::kModule;

// The module's text is code page 1251 natively and the system's ANSI code page in the DLL,
// which under Wine is 1252; the test program shares the DLL's code page. The expected text is
// given for both pages.
struct InPage {
    std::string cp1251, cp1252;
};

std::string inModulePage(const InPage& text) {
    return qbx::moduleTextCodePage() == 1252 ? text.cp1252 : text.cp1251;
}

TEST(HostedText, EveryTransformationOnceThroughTheExports) {
    const qbx::test::HostHome home("hosted-text-");
    qbx::test::spit(home.path() / "Plugins" / "keys.txt", "alpha first\r\nbeta second one\r\n");
    Host host(kModule);
    host.initialize();
    auto& data = host.data();
    data.set(241, "Hello,\r\nsee http://example.org/a?b=c\r\nand ftp://files.example/x\r\nbye\r\n");
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        std::string expected;
    };
    const Row rows[] = {
        {"ZVXWRAP", {"abcdefg", "3"}, "abc\\\r\ndef\\\r\ng"},
        {"ZVXSYMCNT", {"a\tb c"}, "4"},
        {"ZVXLINCNT", {"a\r\nb\r\n"}, "2"},
        {"ZVXEXTRACTSTR", {"a, b;c"}, "a\r\nb\r\nc\r\n"},
        {"ZVXDECODESTR",
         {"=?koi8-r?B?8NLJ18XU?="},
         inModulePage({"\xCF\xF0\xE8\xE2\xE5\xF2\r\n", "??????\r\n"})},  // Привет
        {"ZVXSEPARATOR", {"=", "4"}, "===="},
        {"ZVXKILLEMPTYSTR", {"a\r\n \r\nb"}, "a\r\nb"},
        {"ZVXGETSTR", {"keys.txt", "beta"}, "second one"},
        {"ZVXSTRTRIM", {" a \r\n b "}, "a\r\nb\r\n"},
        {"ZVXMKPLAIN", {"one\r\n two \r\n\r\nthree"}, "one two three"},
        {"ZVXFILL", {"abc", "*", "10"}, "****abc***"},
        {"ZVXREPLACEREGEXP", {"John Smith", "(\\w+) (\\w+)", "$2, $1"}, "Smith, John"},
        {"ZVXGREP", {"a1 b2 a1", "([a-z])(\\d)", "C", "21", "S", "N"}, "1 a,2 b"},
        {"ZVXCITE", {"", "[...]", "2"}, "Hello,\r\n[...]\r\nbye\r\n"},
        {"ZVXPS", {"a\r\nb", "> "}, "> a\r\n> b\r\n"},
        {"ZVXKILLCITE", {"a\r\n>> b\r\n> c", "2"}, "a\r\n> c\r\n"},
        {"ZVXGETLINKS", {}, "http://example.org/a\r\nftp://files.example/x"},
        {"ZVXREVERSE", {"ab\r\ncd", "L"}, "dc\r\nba\r\n"},
        {"ZVXMKLINK", {"a b\xE9"}, "a%20b%E9"},
        {"ZVXREPLACECHAR", {"a.b", ".", "::"}, "a::b"},
        {"ZVXCNT", {"Hi, \xEC\xE8\xF0!", "P"}, "2"},
        // Failures reach the host as the placeholder, never as a fault.
        {"ZVXREPLACEREGEXP", {"keep (me)", "(", "x"}, "keep (me)"},
        {"ZVXGREP", {"abc", "[", "C"}, ""},
        {"ZVXGETSTR", {"missing.txt", "k"}, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(host.callMacro(data, row.name, row.arguments), row.expected) << row.name;
}

// Words of the charsets a new user meets, each decoded by the system into the module's text:
// letters its code page lacks become "?", an unknown charset keeps its bytes.
TEST(HostedText, DecodesWordsOfEveryCharsetTheSystemKnows) {
    const unsigned page = qbx::moduleTextCodePage();
    if (page != 1251 && page != 1252) GTEST_SKIP() << "no expectations for code page " << page;
    const qbx::test::HostHome home("hosted-text-");
    Host host(kModule);
    host.initialize();
    auto& data = host.data();
    struct Row {
        const char* word;
        InPage expected;
    };
    const Row rows[] = {
        // Привет
        {"=?koi8-u?B?8NLJ18XU?=", {"\xCF\xF0\xE8\xE2\xE5\xF2", "??????"}},
        // є і ї Ґ, where KOI8-R has box drawing
        {"=?koi8-u?Q?=A4=A6=A7=BD?=", {"\xBA\xB3\xBF\xA5", "????"}},
        // € ö œ
        {"=?windows-1252?Q?=80_=F6_=9C?=", {"\x88 ? ?", "\x80 \xF6 \x9C"}},
        // „ Š č ó "
        {"=?windows-1250?Q?=84=8A=E8=F3=94?=", {"\x84???\x94", "\x84\x8A?\xF3\x94"}},
        // Škoda łódź
        {"=?iso-8859-2?Q?=A9koda_=B3=F3d=BC?=",
         {"?koda ??d?",
          "\x8Akoda ?\xF3"
          "d?"}},
        // A é П, big-endian by its mark
        {"=?utf-16?B?/v8AQQDpBB8=?=", {"A?\xCF", "A\xE9?"}},
        // П р, little-endian
        {"=?utf-16le?B?HwRABA==?=", {"\xCF\xF0", "??"}},
        {"=?x-no-such-charset?Q?=E9t=E9?=", {"\xE9t\xE9", "\xE9t\xE9"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(host.callMacro(data, "ZVXDECODESTR", {row.word}),
                  inModulePage(row.expected) + "\r\n")
            << row.word << " in code page " << page;
}

// A recursive pattern over a long run of "(" in the mail: each call ends as the macro's failure
// (the text for ZVXREPLACEREGEXP, nothing for ZVXGREP) with the library's reason in the log,
// once, instead of running for minutes; a recursion of ordinary depth still matches.
TEST(HostedText, ARecursivePatternOverARunOfParenthesesEndsAsAFailure) {
    const qbx::test::HostHome home("hosted-text-");
    Host host(kModule);
    host.initialize();
    auto& data = host.data();
    const std::string recursive = "\\((?R)*\\)";
    const std::string run4000(4000, '('), run20000(20000, '(');
    EXPECT_EQ(host.callMacro(data, "ZVXGREP", {run4000, recursive, "C"}), "");
    EXPECT_EQ(host.callMacro(data, "ZVXREPLACEREGEXP", {run20000, recursive, "x"}), run20000);
    EXPECT_EQ(host.callMacro(data, "ZVXGREP", {"f(a(b)c) g(d)", "\\((?:[^()]|(?R))*\\)", "C"}),
              "(a(b)c),(d)");

    const auto log = qbx::systemPlatform().files->readFile(
        qbx::toModulePath(home.string()) + "\\tmp\\-QBX.log", 1u << 24);
    ASSERT_TRUE(log);
    for (const char* name : {"ZVXGREP", "ZVXREPLACEREGEXP"}) {
        const std::string line = std::string("@@ ") + name + ": Ran out of stack space";
        const std::size_t at = log->find(line);
        EXPECT_NE(at, std::string::npos) << name;
        EXPECT_EQ(log->find(line, at + 1), std::string::npos) << name;
    }
    host.finalize();
}

}  // namespace
