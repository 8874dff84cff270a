// Reading one mailed section of a file: which bodies are sections, what their section line and
// data lines give, and which file names may be kept.
#include "statistics/uue_part.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace qbx::statistics {
namespace {

// Two full lines of 45 bytes and the short last line "Cat".
const std::string kFull1 = "M" + std::string(60, '0');
const std::string kFull2 = "M86%T" + std::string(56, '!');
const std::string kShort = "#0V%T";

TEST(UuePart, SectionLinesMarkABody) {
    struct Case {
        std::string body;
        bool part;
    };
    const std::vector<Case> cases = {
        {"section 1 of 2 of file a", true},
        {"SECTION 1 of 2 of file a", true},
        {"sections follow", true},
        {"text\r\nSection 9", true},
        {"text\rsection", true},  // a bare CR ends a line too
        {" section 1 of 2 of file a", false},
        {"\tsection", false},
        {"the section 1 of 2", false},
        {"secti", false},
        {"", false},
        {"text\nsection", true},
        {"text\r\n\r\nsection", true},
        {"text\r\n section", false},
        {"text\r\nsecti", false},
        {"text\r", false},
        {"xsection\r\n", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isUuePart(c.body), c.part) << c.body;
    EXPECT_FALSE(isUuePart("section\n" + std::string(kMaxUuePartBodyBytes, 'x')));
}

TEST(UuePart, TheLastFullSectionLineAndTheDataLinesMakeThePart) {
    struct Case {
        std::string body;
        std::int64_t part, count;
        std::string name, data;
    };
    const std::string crlf = "\r\n";
    const std::vector<Case> cases = {
        {"section 2 of 3 of file pic.jpg\r\n" + kFull1 + crlf + kFull2 + crlf, 2, 3, "pic.jpg",
         kFull1 + crlf + kFull2 + crlf},
        // The short last line of an encoding is data as well.
        {"SECTION 1 of 2 of file a.bin\n" + kFull1 + "\n" + kShort, 1, 2, "a.bin",
         kFull1 + crlf + kShort + crlf},
        {"sections 1 of 2 of file x\r" + kShort, 1, 2, "x", kShort + crlf},
        {" section 1 of 2 of file x\n" + kShort, -1, -1, "", kShort + crlf},
        // Fewer than seven words: no section line, and no failure.
        {"section 1 of 2 of file\n" + kShort, -1, -1, "", kShort + crlf},
        {"section 1 of 2 of file a\nsection broken\n" + kShort, 1, 2, "a", kShort + crlf},
        {"section 1 of 2 of file a\nsection 2 of 3 of file b\n" + kShort, 2, 3, "b", kShort + crlf},
        // Quoted words stay whole, quotes included; runs of blanks are one separator; a tab
        // separates nothing.
        {"section 1 of 2 of file \"my file.zip\" extra", 1, 2, "\"my file.zip\"", ""},
        {"section  3   of 4 of file 'a b'", 3, 4, "'a b'", ""},
        {"section 1\tof 2 of file x y z", 1, 0, "y", ""},
        // Numbers as the runtime reads them with its error ignored.
        {"section 07x of $1F of file n", 7, 31, "n", ""},
        {"section 0x10 of -2 of file n", 16, -2, "n", ""},
        {"section abc of +5 of file n", 0, 5, "n", ""},
        // begin and end lines, text and the zero-length line are no data; blanks inside stay.
        {"section 1 of 2 of file n\r\nbegin 644 n\r\n#0 %T\r\nHello\r\n`\r\nend\r\n" + kShort, 1, 2,
         "n", "#0 %T\r\n" + kShort + crlf},
        {"section 1 of 2 of file n\r\nend\r\nM\r\nmail text\r\n", 1, 2, "n", ""},
    };
    for (const Case& c : cases) {
        const UuePart part = parseUuePart(c.body);
        EXPECT_EQ(part.part, c.part) << c.body;
        EXPECT_EQ(part.count, c.count) << c.body;
        EXPECT_EQ(part.name, c.name) << c.body;
        EXPECT_EQ(part.data, c.data) << c.body;
    }
    const UuePart huge =
        parseUuePart("section 1 of 2 of file n\n" + std::string(kMaxUuePartBodyBytes, 'M'));
    EXPECT_EQ(huge.part, -1);
    EXPECT_EQ(huge.data, "");
}

TEST(UuePart, NumbersReadUpToTheFirstCharacterThatDoesNotFit) {
    const std::vector<std::pair<std::string, std::int64_t>> cases = {
        {"12", 12},   {"  -3x", -3},
        {"$ff", 255}, {"0x1A", 26},
        {"+7", 7},    {"", 0},
        {"x", 0},     {"0x", 0},
        {"- 1", 0},   {"$", 0},
        {"1 2", 1},   {"99999999999999999999999", std::numeric_limits<std::int64_t>::max()},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(leadingInteger(text), value) << text;
}

TEST(UuePart, FileNamesFromTheMailAreCleanedOrRefused) {
    const std::vector<std::pair<std::string, std::string>> kept = {
        {"pic.jpg", "pic.jpg"},
        {"\"pic.jpg\"", "pic.jpg"},
        {"'a b.zip'", "a b.zip"},
        {"..\\..\\x", "x"},
        {"C:\\dir\\f.bin", "f.bin"},
        {"dir/f.bin", "f.bin"},
        {"console.txt", "console.txt"},
        {"COM10", "COM10"},
        {"\xF4\xE0\xE9\xEB.txt", "\xF4\xE0\xE9\xEB.txt"},
        {std::string(100, 'a'), std::string(100, 'a')},
    };
    for (const auto& [name, cleaned] : kept) EXPECT_EQ(cleanPartFileName(name), cleaned) << name;

    std::vector<std::string> refused = {"",
                                        "\"\"",
                                        ".",
                                        "..",
                                        "..\\",
                                        ".hidden",
                                        "name.",
                                        " name",
                                        "name ",
                                        "CON",
                                        "con.txt",
                                        "Nul",
                                        "aux .c",
                                        "LPT1.doc",
                                        "com9",
                                        "prn",
                                        "Count",
                                        "count",
                                        "PendingFiles",
                                        "uc.ini",
                                        "x.tmp",
                                        "x.UUE",
                                        std::string(101, 'a')};
    for (const char c : std::string_view("<>:\"|?*[]=;\x01\t\x7F"))
        refused.push_back(std::string("a") + c + "b");
    for (const std::string& name : refused)
        EXPECT_EQ(cleanPartFileName(name), std::nullopt) << name;
}

}  // namespace
}  // namespace qbx::statistics
