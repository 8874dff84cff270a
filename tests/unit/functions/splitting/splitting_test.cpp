// The split itself, the part file's bytes and name, and what may not go into a part file.
#include "functions/splitting/splitting.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qbx::functions::splitting {
namespace {

TEST(Splitting, CutsTheTextIntoPartsOfTheSize) {
    struct Row {
        std::string_view text;
        std::size_t size;
        std::vector<std::string_view> parts;
    };
    const Row rows[] = {
        {"", 5, {""}},
        {"abc", 5, {"abc"}},
        {"abcde", 5, {"abcde"}},
        {"abcdefghij", 5, {"abcde", "fghij"}},
        {"abcdefghijk", 5, {"abcde", "fghij", "k"}},
        {"a\r\nbc", 2, {"a\r", "\nb", "c"}},
        {"abc", 1, {"a", "b", "c"}},
    };
    for (const Row& row : rows) {
        ASSERT_EQ(partCount(row.text.size(), row.size), row.parts.size()) << row.text;
        for (std::size_t k = 0; k < row.parts.size(); ++k)
            EXPECT_EQ(partOf(row.text, row.size, k), row.parts[k]) << row.text << " part " << k;
        EXPECT_EQ(partOf(row.text, row.size, row.parts.size()), "");
    }
    EXPECT_EQ(partCount(std::size_t{16} << 20, 1), std::size_t{16} << 20);
}

TEST(Splitting, PartFileIsOneLineWithTheSubjectLeftOpen) {
    EXPECT_EQ(partFileText("fghij", "a@b.c", 2, 3), "fghij%TO=\"a@b.c\"%SUBJECT=\"[2/3]\r\n");
    EXPECT_EQ(partFileText("x\r\ny", "", 12, 12), "x\r\ny%TO=\"\"%SUBJECT=\"[12/12]\r\n");
}

TEST(Splitting, PartFileNamesCountInAtLeastFourDigits) {
    EXPECT_EQ(partFileName("C:\\Temp\\", 1), "C:\\Temp\\temp0001.tzvx");
    EXPECT_EQ(partFileName("C:\\Temp\\", 5), "C:\\Temp\\temp0005.tzvx");
    EXPECT_EQ(partFileName("C:\\Temp\\", 9999), "C:\\Temp\\temp9999.tzvx");
    EXPECT_EQ(partFileName("C:\\Temp\\", 12345), "C:\\Temp\\temp12345.tzvx");
}

TEST(Splitting, RefusesMacrosAndRecipientsThatWouldLeaveTheirQuotes) {
    struct Row {
        std::string_view text;
        std::string_view recipient;
        bool refused;
    };
    const Row rows[] = {
        {"100% sure", "a@b.c", false},
        {"50%", "a@b.c", false},
        {"%1 and %%", "a@b.c", false},
        {"see %FROMNAME here", "a@b.c", true},
        {"%x", "a@b.c", true},
        {"%\xC0\xC1", "a@b.c", true},  // a Cyrillic letter after the percent sign
        {"text", "%TO", true},
        {"text", "a\"b", true},
        {"text", "a\rb", true},
        {"text", "a\nb", true},
        {"text", "\"Name\" <a@b.c>", true},
        {"text", "Name <a@b.c>", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(refusalOf(row.text, row.recipient).has_value(), row.refused)
            << row.text << " / " << row.recipient;
}

}  // namespace
}  // namespace qbx::functions::splitting
