// The DLL's charset conversion in its two steps: each charset name must reach the code page
// whose letters it names (a wrong number in the table shows as wrong letters), and UTF-16 must
// come out in the ANSI code page with "?" for what it lacks, never a look-alike.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/charset_converter.h"
#include "platform/win32/win32_charsets.h"

namespace qbx::win32 {
namespace {

std::wstring throughCodePage(const char* charset, std::string_view bytes) {
    const std::optional<unsigned> codePage = charsetCodePage(charset);
    if (!codePage) return L"<unknown charset>";
    const std::optional<std::wstring> text = codePageToUtf16(*codePage, bytes);
    return text ? *text : L"<refused>";
}

const std::wstring kPrivet = L"\x041F\x0440\x0438\x0432\x0435\x0442";

TEST(Win32Charsets, EachNameReachesTheCodePageOfItsLetters) {
    struct Row {
        const char* charset;
        std::string bytes;
        std::wstring text;
    };
    const Row rows[] = {
        {"koi8-r", "\xF0\xD2\xC9\xD7\xC5\xD4", kPrivet},
        {"KOI8-U", "\xF0\xD2\xC9\xD7\xC5\xD4", kPrivet},
        // є і ї ґ Є І Ї Ґ: KOI8-U's own letters, box drawing in KOI8-R.
        {"koi8-u", "\xA4\xA6\xA7\xAD\xB4\xB6\xB7\xBD",
         L"\x0454\x0456\x0457\x0491\x0404\x0406\x0407\x0490"},
        {"koi8-r", "\xA3\xB3", L"\x0451\x0401"},
        {"windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2", kPrivet},
        {"x-cp1251", "\xCF\xF0\xE8\xE2\xE5\xF2", kPrivet},
        {"cp866", "\x8F\xE0\xA8\xA2\xA5\xE2", kPrivet},
        {"ibm866", "\xF0\xF1", L"\x0401\x0451"},
        {"iso-8859-5", "\xBF\xE0\xD8\xD2\xD5\xE2", kPrivet},
        {"utf-8", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", kPrivet},
        {"iso-8859-1", "J\xF6rg", L"J\x00F6rg"},
        {"windows-1252", "\x80\x9C", L"\x20AC\x0153"},
        {"windows-1250", "\x8A\xE8", L"\x0160\x010D"},
        {"iso-8859-2", "\xA9\xB3\xBC", L"\x0160\x0142\x017A"},
        {"ibm852", "\xE6\x88", L"\x0160\x0142"},
        {"iso-8859-15", "\xA4", L"\x20AC"},
        {"utf-7", "+BB8EQA-", L"\x041F\x0440"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(throughCodePage(row.charset, row.bytes), row.text) << row.charset;
    EXPECT_EQ(throughCodePage("x-no-such-charset", "a"), L"<unknown charset>");
    EXPECT_EQ(throughCodePage("utf-8//TRANSLIT", "a"), L"<unknown charset>");
    EXPECT_EQ(throughCodePage(std::string(kMaxCharsetNameLength + 1, 'a').c_str(), "a"),
              L"<unknown charset>");
    // A number the system has no code page for is refused rather than guessed.
    EXPECT_FALSE(codePageToUtf16(47, "a").has_value());
}

// The whole Russian alphabet of each Cyrillic charset, byte by byte against its letters: a
// wrong code page behind a name shows here even where the ANSI code page lacks the letters.
TEST(Win32Charsets, EachCyrillicCharsetGivesTheWholeAlphabet) {
    std::wstring alphabet;  // А..Я then а..я
    for (wchar_t c = 0x0410; c <= 0x044F; ++c) alphabet += c;
    const auto run = [](int from, int count) {
        std::string bytes;
        for (int i = 0; i < count; ++i) bytes += static_cast<char>(from + i);
        return bytes;
    };
    // KOI8 orders its letters after the Latin alphabet: "юабцдефгхийклмнопярстужвьызшэщчъ",
    // capitals 0x20 above.
    const int koiSmall[] = {0xC1, 0xC2, 0xD7, 0xC7, 0xC4, 0xC5, 0xD6, 0xDA, 0xC9, 0xCA, 0xCB,
                            0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD2, 0xD3, 0xD4, 0xD5, 0xC6, 0xC8,
                            0xC3, 0xDE, 0xDB, 0xDD, 0xDF, 0xD9, 0xD8, 0xDC, 0xC0, 0xD1};
    std::string koi;
    for (const int b : koiSmall) koi += static_cast<char>(b + 0x20);
    for (const int b : koiSmall) koi += static_cast<char>(b);
    EXPECT_EQ(throughCodePage("koi8-r", koi), alphabet);
    EXPECT_EQ(throughCodePage("koi8-u", koi), alphabet);
    EXPECT_EQ(throughCodePage("cp866", run(0x80, 48) + run(0xE0, 16)), alphabet);
    EXPECT_EQ(throughCodePage("iso-8859-5", run(0xB0, 64)), alphabet);
    EXPECT_EQ(throughCodePage("windows-1251", run(0xC0, 64)), alphabet);
}

TEST(Win32Charsets, Utf16FollowsItsMarkOrName) {
    EXPECT_EQ(throughCodePage("utf-16", std::string("\xFE\xFF\x04\x1F", 4)), L"\x041F");
    EXPECT_EQ(throughCodePage("utf-16", std::string("\xFF\xFE\x1F\x04", 4)), L"\x041F");
    EXPECT_EQ(throughCodePage("utf-16", std::string("\x04\x1F", 2)), L"\x041F");
    EXPECT_EQ(throughCodePage("utf-16le", std::string("\x1F\x04", 2)), L"\x041F");
    EXPECT_EQ(throughCodePage("UTF-16BE", std::string("\x04\x1F", 2)), L"\x041F");
    EXPECT_EQ(throughCodePage("utf-16be", std::string("\x00\x41\x00", 3)), L"A\xFFFD");
    EXPECT_EQ(throughCodePage("utf-16", ""), L"");
}

// Written for the ANSI code page Wine runs under; another page has no expectations here.
TEST(Win32Charsets, TheAnsiPageGetsAQuestionMarkForWhatItLacks) {
    if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP();
    EXPECT_EQ(utf16ToAnsi(L"\x0160koda \x0142\x00F3"
                          L"d\x017A"),
              "\x8Akoda ?\xF3"
              "d?");
    EXPECT_EQ(utf16ToAnsi(kPrivet), "??????");
    EXPECT_EQ(utf16ToAnsi(L"\x20AC\xFFFD"), "\x80?");
    EXPECT_EQ(utf16ToAnsi(L""), "");

    const CharsetConverter& converter = systemCharsetConverter();
    EXPECT_EQ(converter.toModuleText("iso-8859-2", "\xA9koda", 100), "\x8Akoda");
    EXPECT_EQ(converter.toModuleText("koi8-u", "\xF0\xD2\xC9\xD7\xC5\xD4", 100), "??????");
    // Longer than the room it may take, or of a charset nobody knows: the caller keeps bytes.
    EXPECT_FALSE(converter.toModuleText("iso-8859-2", "\xA9koda", 4).has_value());
    EXPECT_FALSE(converter.toModuleText("x-no-such-charset", "a", 100).has_value());
}

}  // namespace
}  // namespace qbx::win32
