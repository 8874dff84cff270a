// The split itself, the part file's bytes and name, and what may not go into a part file.
#include "functions/splitting/splitting.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
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
        {"text", "a@b.c\\", true},
        {"text", "\\\\server\\a@b.c", false},
        {"text", "%%", true},
        {"text", "%", false},
        {"text", "a%%", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(refusalOf(row.text, row.recipient, 168).has_value(), row.refused)
            << row.text << " / " << row.recipient;
}

TEST(Splitting, RefusesAPartFileWhosePartEndsInPercent) {
    struct Row {
        std::string_view text;
        std::size_t size;
        const char* refusal;  // null: not refused
    };
    const Row rows[] = {
        {"abcd%", 5, nullptr},       // the first part stays in the message
        {"abcd%12345", 5, nullptr},  // "%1" opens the second part: no macro
        {"abcde12%", 5, "part 2 ends in \"%\""},
        {"abcde12345%", 5, "part 3 ends in \"%\""},
        {"abcde%%%%%", 5, "part 2 ends in \"%\""},
        {"abcde%1234x", 5, nullptr},
        {"abc%", 1, "part 4 ends in \"%\""},
    };
    for (const Row& row : rows) {
        const std::optional<std::string> refusal = refusalOf(row.text, "a@b.c", row.size);
        EXPECT_EQ(refusal.value_or("(none)"), row.refusal ? row.refusal : "(none)") << row.text;
    }
}

}  // namespace
}  // namespace qbx::functions::splitting
