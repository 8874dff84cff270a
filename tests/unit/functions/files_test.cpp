// The pure rules of the file macros: quotes and masks of the searches, 64-bit sums, lists, the
// previous log's lines, INI integers and the texts built from what the system reports.
#include "functions/files/files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_file_info.h"

namespace qbx::functions::files {
namespace {

using test::FakeFileInfo;

TEST(FilesText, QuotesComeOffOnePairOfEachKind) {
    const struct {
        const char* in;
        const char* out;
    } rows[] = {
        {"\"C:\\Mail\"", "C:\\Mail"},
        {"'C:\\Mail'", "C:\\Mail"},
        {"\"'C:\\Mail'\"", "C:\\Mail"},
        {"'\"C:\\Mail\"'", "\"C:\\Mail\""},
        {"\"C:\\Mail", "C:\\Mail"},
        {"C:\\Mail\"", "C:\\Mail"},
        {"\"\"x\"\"", "\"x\""},
        {"\"", ""},
        {"", ""},
        {"a\"b", "a\"b"},
    };
    for (const auto& row : rows) EXPECT_EQ(withoutQuotes(row.in), row.out) << row.in;
}

TEST(FilesText, PatternGetsItsBackslashAndDefaultMask) {
    EXPECT_EQ(searchPattern("C:\\Mail", ""), "C:\\Mail\\*.*");
    EXPECT_EQ(searchPattern("C:\\Mail\\", "*.txt"), "C:\\Mail\\*.txt");
    EXPECT_EQ(searchPattern("", "*.ini"), "*.ini");
    EXPECT_EQ(searchPattern("", ""), "*.*");
}

TEST(FilesText, SumsInSixtyFourBitsAndSkipsFolders) {
    FakeFileInfo files;
    files.entries = {{".", 0, true},
                     {"big.iso", 5'000'000'000ull, false},
                     {"sub", 123, true},
                     {"small.txt", 3'000'000'000ull, false}};
    EXPECT_EQ(folderFilesSize(files, "\"C:\\Data\"", ""), 8'000'000'000ull);
    EXPECT_EQ(files.patterns.back(), "C:\\Data\\*.*");
    EXPECT_EQ(folderFilesCount(files, "C:\\Data", "'*.iso'"), 2u);
    EXPECT_EQ(files.patterns.back(), "C:\\Data\\*.iso");
}

TEST(FilesText, CountsThreeFilesBesideTwoFolders) {
    FakeFileInfo files;
    files.entries = {{".", 0, true},  {"..", 0, true}, {"a", 1, false}, {"b", 2, false},
                     {"c", 3, false}, {"d1", 0, true}, {"d2", 0, true}};
    EXPECT_EQ(folderFilesCount(files, "C:\\x", ""), 3u);
}

TEST(FilesText, ListKeepsQuotesAndDropsTheLastLineBreak) {
    FakeFileInfo files;
    files.entries = {{"\xCE\xF2\xF7\xB8\xF2.txt", 1, false}, {"sub", 0, true}, {"b.ini", 2, false}};
    const BoundedText list = folderFilesList(files, "\"C:\\x\"", "", 1000);
    EXPECT_EQ(list.text, "\xCE\xF2\xF7\xB8\xF2.txt\r\nb.ini");
    EXPECT_FALSE(list.cut);
    EXPECT_EQ(files.patterns.back(), "\"C:\\x\"\\*.*");
}

TEST(FilesText, ListIsCutAtItsBound) {
    FakeFileInfo files;
    files.entries = {{"abcdef", 1, false}, {"ghijkl", 1, false}};
    const BoundedText list = folderFilesList(files, "C:\\x", "", 10);
    EXPECT_EQ(list.text, "abcdef\r\ngh");
    EXPECT_TRUE(list.cut);
}

TEST(FilesText, SearchStopsAfterItsEntryBound) {
    class Endless : public FakeFileInfo {
        void findEntries(const std::string&,
                         const std::function<bool(const FoundEntry&)>& visit) override {
            while (visit(FoundEntry{"f", 1, false})) ++visits;
        }

    public:
        std::size_t visits = 0;
    } files;
    EXPECT_EQ(folderFilesCount(files, "C:\\x", ""), kMaxSearchEntries);
}

TEST(FilesText, LogLinesEndInCrLf) {
    const struct {
        const char* in;
        const char* out;
    } rows[] = {
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\nb", "a\r\nb\r\n"},
        {"a\rb\n\nc", "a\r\nb\r\n\r\nc\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(logLines(FileHead{row.in, false}, 100).text, row.out) << row.in;
}

TEST(FilesText, LogCutWhenTheFileGoesOnOrTheLinesGrow) {
    const BoundedText longer = logLines(FileHead{"abc\r\n", true}, 100);
    EXPECT_TRUE(longer.cut);
    EXPECT_EQ(longer.text, "abc\r\n");
    const BoundedText grown = logLines(FileHead{"a\nb\nc\n", false}, 7);
    EXPECT_TRUE(grown.cut);
    EXPECT_EQ(grown.text, "a\r\nb\r\nc");
}

TEST(FilesText, IniIntegersReadAsTheIniObjectReadsThem) {
    const struct {
        const char* text;
        std::optional<std::int32_t> value;
    } rows[] = {
        {"42", 42},
        {"-17", -17},
        {"+5", 5},
        {"  7", 7},
        {"0x1F", 31},
        {"$ff", 255},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"12abc", std::nullopt},
        {"", std::nullopt},
        {"7 ", std::nullopt},
        {"0x", std::nullopt},
        {"$100000000", std::nullopt},
        {"\xB3\xE0", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(iniInteger(row.text), row.value) << row.text;
}

TEST(FilesText, VersionAndSerialTexts) {
    EXPECT_EQ(fileVersionText({0x00020004, 0x04B20007}), "2.4.1202.7");
    EXPECT_EQ(fileVersionText({0xFFFF0000, 0x0000FFFF}), "65535.0.0.65535");
    EXPECT_EQ(serialNumberText(0x1A2B3C4D), "1A2B-3C4D");
    EXPECT_EQ(serialNumberText(0x000A00FF), "000A-00FF");
}

TEST(FilesText, DriveNumbersAndPercent) {
    EXPECT_EQ(driveNumber('A'), 1);
    EXPECT_EQ(driveNumber('c'), 3);
    EXPECT_EQ(driveNumber('Z'), 26);
    EXPECT_EQ(driveNumber(' '), 0);  // an empty argument: the current drive
    EXPECT_EQ(driveNumber('@'), 0);
    EXPECT_EQ(driveNumber('\xFF'), 191);
    EXPECT_EQ(freePercentText(25, 100, '.'), "25.00");
    EXPECT_EQ(freePercentText(1, 3, ','), "33,33");
    EXPECT_EQ(freePercentText(5, 0, '.'), "---");
}

TEST(FilesText, RegistryRootLetters) {
    EXPECT_EQ(registryRoot('R'), RegistryRoot::ClassesRoot);
    EXPECT_EQ(registryRoot('C'), RegistryRoot::CurrentUser);
    EXPECT_EQ(registryRoot('M'), RegistryRoot::LocalMachine);
    EXPECT_EQ(registryRoot('U'), RegistryRoot::Users);
    EXPECT_EQ(registryRoot('P'), RegistryRoot::PerformanceData);
    EXPECT_EQ(registryRoot('N'), RegistryRoot::CurrentConfig);
    EXPECT_EQ(registryRoot('D'), RegistryRoot::DynData);
    EXPECT_EQ(registryRoot('m'), RegistryRoot::CurrentUser);  // capitals only
    EXPECT_EQ(registryRoot(' '), RegistryRoot::CurrentUser);
}

TEST(FilesText, FolderKeysAndTheirShellNumbers) {
    const struct {
        const char* key;
        int number;
    } shell[] = {{"DESKTOP", 0},     {"PROGRAMS", 2},   {"PERS", 5},      {"FAV", 6},
                 {"STARTUP", 7},     {"RECENT", 8},     {"SENDTO", 9},    {"STARTMENU", 11},
                 {"DESKTOPDIR", 16}, {"NETHOOD", 19},   {"FONTS", 20},    {"CSTARTMENU", 22},
                 {"CPROGRAMS", 23},  {"CSTARTUP", 24},  {"CDESKTOP", 25}, {"CAPPDATA", 35},
                 {"APPDATA", 26},    {"PRINTHOOD", 27}, {"CFAV", 31},     {"TEMPLATES", 21},
                 {"ICACHE", 32},     {"COOKIES", 33},   {"HISTORY", 34}};
    for (const auto& row : shell) {
        const auto key = folderKey(row.key);
        ASSERT_TRUE(key) << row.key;
        EXPECT_EQ(key->source, FolderSource::Shell) << row.key;
        EXPECT_EQ(key->shellNumber, row.number) << row.key;
    }
    EXPECT_EQ(folderKey("COMMON")->source, FolderSource::CommonFiles);
    EXPECT_EQ(folderKey("CUR")->source, FolderSource::Current);
    EXPECT_EQ(folderKey("PROGRAM")->source, FolderSource::ProgramFiles);
    EXPECT_EQ(folderKey("WINDOWS")->source, FolderSource::Windows);
    EXPECT_EQ(folderKey("SYSTEM")->source, FolderSource::System);
    EXPECT_EQ(folderKey("TEMP")->source, FolderSource::Temp);
    EXPECT_FALSE(folderKey("desktop"));  // the caller upper-cases
    EXPECT_FALSE(folderKey("NOTHING"));
}

}  // namespace
}  // namespace qbx::functions::files
