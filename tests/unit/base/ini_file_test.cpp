#include "base/ini_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "core/ini_io.h"
#include "support/fakes.h"

namespace qbx {
namespace {

using Names = std::vector<std::string>;
using Value = std::optional<std::string>;

TEST(IniFile, NamesMatchWithoutRegardToCaseIncludingCyrillic) {
    // [Раздел] / Ключ=значение in code page 1251; looked up in capitals.
    const IniFile ini = IniFile::parse(
        "[\xD0\xE0\xE7\xE4\xE5\xEB]\r\n\xCA\xEB\xFE\xF7=\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\n"
        "[Main]\r\nKey=v\r\n");
    EXPECT_EQ(ini.get("\xD0\xC0\xC7\xC4\xC5\xCB", "\xCA\xCB\xDE\xD7"),
              "\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5");
    EXPECT_EQ(ini.get("MAIN", "key"), "v");
    EXPECT_EQ(ini.get("main", "KEY"), "v");
    EXPECT_EQ(ini.get("Main", "Key2"), std::nullopt);
    EXPECT_EQ(ini.get("Other", "Key"), std::nullopt);
}

TEST(IniFile, BlanksQuotesCommentsStrayLinesAndLineEnds) {
    const IniFile ini = IniFile::parse(
        "orphan=before any section\n  [ S ]  \n  a  =  spaced value \t\nb=\"  quoted  \"\n"
        "c='single'\nd=\"mismatched'\ne=\"\nf=x=y\n; g=commented\n  ;h=commented too\n"
        "no equals sign here\ni=\n=nameless\nj=a;b\n");
    const std::pair<const char*, Value> cases[] = {{"a", "spaced value"},
                                                   {"b", "  quoted  "},
                                                   {"c", "single"},
                                                   {"d", "\"mismatched'"},
                                                   {"e", "\""},
                                                   {"f", "x=y"},
                                                   {"g", std::nullopt},
                                                   {";h", std::nullopt},
                                                   {"i", ""},  // present and empty is not missing
                                                   {"", "nameless"},
                                                   {"j", "a;b"}};  // no comments after a value
    for (const auto& [key, value] : cases) EXPECT_EQ(ini.get("S", key), value) << key;
    EXPECT_EQ(ini.getString("S", "i", "fallback"), "");
    EXPECT_EQ(ini.getString("S", "missing", "fallback"), "fallback");
    EXPECT_EQ(ini.keyNames("S"), (Names{"a", "b", "c", "d", "e", "f", "i", "", "j"}));
    EXPECT_EQ(ini.sectionNames(), Names{"S"});
    const IniFile ends = IniFile::parse("\xEF\xBB\xBF[S]\r\na=1\rb=2\nc=3\r\n\r\nd=4");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ends.get("S", std::string(1, "abcd"[i])), decimal(i + 1));
    // Only a mark at the very start is one.
    EXPECT_FALSE(IniFile::parse("\n\xEF\xBB\xBF[S]\na=1").hasSection("S"));
}

TEST(IniFile, FirstMatchWinsAndRepeatedSectionsContinue) {
    const IniFile ini =
        IniFile::parse("[A]\nk=first\nK=second\n[B]\nk=b\n[a]\nk=third\nlate=found\n");
    EXPECT_EQ(ini.get("A", "k"), "first");
    EXPECT_EQ(ini.get("A", "late"), "found");
    EXPECT_EQ(ini.sectionNames(), (Names{"A", "B"}));
    EXPECT_EQ(ini.keyNames("a"), (Names{"k", "late"}));
}

// Readers differ on the no-break space at a value's ends: written in quotes, it reads back
// the same through every one of them.
TEST(IniFile, ANoBreakSpaceAtAValuesEndIsQuoted) {
    IniFile ini;
    ini.set("S", "k", "\xA0v");
    ini.set("S", "m", "v\xA0");
    EXPECT_EQ(ini.serialize(), "[S]\r\nk=\"\xA0v\"\r\nm=\"v\xA0\"\r\n");
    EXPECT_EQ(IniFile::parse(ini.serialize()).get("S", "k"), "\xA0v");
    EXPECT_EQ(IniFile::parse("[S]\r\nk=\xA0v\xA0\r\n").get("S", "k"), "\xA0v\xA0");
}

TEST(IniFile, GetIntReadsTheLeadingDecimalInteger) {
    const IniFile ini = IniFile::parse(
        "[N]\na=42\nb=  -17xyz\nc=+5\nd=abc\ne=\nf=-\ng=0x1F\nh=4294967297\ni=\"12\"\nj=- 3\n");
    const std::pair<const char*, int> cases[] = {
        {"a", 42}, {"b", -17}, {"c", 5}, {"d", 7},
        {"e", 7},  {"f", 7},   {"g", 0}, {"h", 1},  // wraps at 32 bits, no overflow
        {"i", 12}, {"j", 7}};
    for (const auto& [key, value] : cases) EXPECT_EQ(ini.getInt("N", key, 7), value) << key;
    EXPECT_EQ(ini.getInt("N", "missing", -9), -9);
    EXPECT_EQ(ini.getInt("None", "a", -9), -9);
}

TEST(IniFile, OversizedInputIsBounded) {
    std::string huge(IniFile::kMaxFileBytes + 1, 'x');
    huge.replace(0, 9, "[S]\na=1\n\n");
    EXPECT_TRUE(IniFile::parse(huge).sectionNames().empty());
    EXPECT_EQ(IniFile::parse(huge).cut(), "longer than 16 MiB");
    const std::string longLine = "b=" + std::string(IniFile::kMaxLineBytes, 'y');
    const IniFile ini = IniFile::parse("[S]\n" + longLine + "\nc=after\n");
    EXPECT_EQ(ini.get("S", "b"), std::nullopt);
    EXPECT_EQ(ini.get("S", "c"), "after");
    EXPECT_EQ(ini.cut(), "a line longer than 65536 bytes");
    EXPECT_EQ(IniFile::parse("[S]\n" + longLine.substr(2) + "\n").cut(), "");
    // Past the name budget the rest of the file is ignored, and the document says so; a file of
    // exactly that many names, repeating some, is whole.
    std::string many = "[S]\n";
    for (std::size_t i = 0; i < IniFile::kMaxParsedNames - 1; ++i)
        many += "k" + decimal(static_cast<std::int64_t>(i)) + "=\n";
    EXPECT_EQ(IniFile::parse(many + "k0=again\n[s]\n; note\n").cut(), "");
    for (std::size_t i = IniFile::kMaxParsedNames - 1; i < IniFile::kMaxParsedNames + 10; ++i)
        many += "k" + decimal(static_cast<std::int64_t>(i)) + "=\n";
    const IniFile cut = IniFile::parse(many);
    EXPECT_EQ(cut.keyNames("S").size(), IniFile::kMaxParsedNames - 1);
    EXPECT_EQ(cut.cut(), "more than 262144 names");
}

// Lookups go through an index: quadratic work here would run into the test program's time-out.
TEST(IniFile, ManySectionsAndKeys) {
    constexpr int kCount = 100000;
    std::string sections;
    for (int i = 0; i < kCount; ++i) sections += "[s" + decimal(i) + "]\nkey=" + decimal(i) + "\n";
    const IniFile wide = IniFile::parse(sections);
    for (int i = 0; i < kCount; ++i) ASSERT_EQ(wide.getInt("S" + decimal(i), "KEY", -1), i);
    std::string keys = "[big]\n";
    for (int i = 0; i < kCount; ++i) keys += "k" + decimal(i) + "=" + decimal(i) + "\n";
    IniFile deep = IniFile::parse(keys);
    for (int i = 0; i < kCount; ++i) ASSERT_EQ(deep.getInt("BIG", "K" + decimal(i), -1), i);
    for (int i = 0; i < kCount; ++i) deep.set("big", "new" + decimal(i), "v");
    EXPECT_EQ(IniFile::parse(deep.serialize()).keyNames("big").size(), 2u * kCount);
}

TEST(IniFile, SetSerializeAndParseRoundTrip) {
    IniFile ini;
    const std::pair<const char*, const char*> values[] = {{"plain", "value"},
                                                          {"blanks", "  padded  "},
                                                          {"quoted", "\"inner\""},
                                                          {"single", "'x'"},
                                                          {"equals", "a=b"},
                                                          {"empty", ""},
                                                          {"cyr", "\xEF\xF0\xE8\xE2\xE5\xF2"}};
    for (const auto& [key, value] : values) ini.set("Main", key, value);
    ini.set("MAIN", "PLAIN", "replaced");  // same key, other case: replaced in place
    EXPECT_EQ(ini.keyNames("Main"),
              (Names{"plain", "blanks", "quoted", "single", "equals", "empty", "cyr"}));
    const IniFile back = IniFile::parse(ini.serialize());
    for (const auto& [key, value] : values)
        EXPECT_EQ(back.get("main", key), key == std::string("plain") ? "replaced" : value) << key;
}

TEST(IniFile, SerializesPlainLinesWithCrLfAndNoForgedKeys) {
    IniFile ini;
    ini.set("Strings", "40", "word");
    ini.set("Strings", "41", "");
    ini.set("Menus", "Item", "Open");
    EXPECT_EQ(ini.serialize(), "[Strings]\r\n40=word\r\n41=\r\n[Menus]\r\nItem=Open\r\n");
    EXPECT_EQ(IniFile().serialize(), "");
    // A line break in a value cannot forge keys or sections.
    ini.set("S", "k", "one\r\n[Evil]\r\nx=1\n");
    ini.set("S", "after", "kept");
    const IniFile back = IniFile::parse(ini.serialize());
    EXPECT_FALSE(back.hasSection("Evil"));
    EXPECT_EQ(back.get("S", "x"), std::nullopt);
    EXPECT_EQ(back.get("S", "k"), "one  [Evil]  x=1 ");
    EXPECT_EQ(back.get("S", "after"), "kept");
}

TEST(IniFile, LoadsAndSavesThroughTheFileSystem) {
    test::FakeFileSystem files;
    EXPECT_TRUE(loadIniFile(files, "C:\\Q\\missing.ini").sectionNames().empty());
    IniFile ini;
    ini.set("S", "k", "v");
    ASSERT_TRUE(saveIniFile(files, "C:\\Q\\a.ini", ini));
    EXPECT_EQ(files.contents("C:\\Q\\a.ini"), "[S]\r\nk=v\r\n");
    EXPECT_EQ(loadIniFile(files, "C:\\Q\\a.ini").get("s", "K"), "v");
    files.put("C:\\Q\\big.ini", "[S]\r\nk=v\r\n" + std::string(IniFile::kMaxFileBytes, ';'));
    EXPECT_FALSE(loadIniFile(files, "C:\\Q\\big.ini").hasSection("S"));
}

}  // namespace
}  // namespace qbx
