// The system's profile functions behind ProfileStore, and "var.dat" written and read through
// them, under Wine in 32 and 64 bits.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"
#include "core/variables.h"
#include "core/version.h"
#include "platform/win32/win32_services.h"

namespace qbx::win32 {
namespace {

std::string slurp(const std::string& path) {
    std::string bytes;
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void spit(const std::string& path, const std::string& bytes) {
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A folder of its own in the temporary folder per test.
class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH + 1] = {};
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        static int counter = 0;
        dir_ = std::string(temp) + "qbx-profiles-" + std::to_string(GetCurrentProcessId()) +
               "-" + std::to_string(GetTickCount()) + "-" + std::to_string(++counter) + "\\";
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
    }
    void TearDown() override {
        WIN32_FIND_DATAA found{};
        const HANDLE search = FindFirstFileA((dir_ + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA((dir_ + found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(dir_.c_str());
    }

    std::string dir_;
    Win32ProfileStore store_;
};

TEST_F(ProfileStoreTest, ValuesComeBackAsWrittenAndKeysInFileOrder) {
    const std::string file = dir_ + "a.ini";
    const std::vector<std::pair<std::string, std::string>> values = {
        {"zeta", "plain"},
        {"alpha", "  outer blanks  "},
        {"quoted", "\"John\" <j@x>"},
        {"both", "\"both ends\""},
        {"single", "'x'"},
        {"lone", "\""},
        {"tabs", "\tx\t"},
        {"nbsp", "\xA0x\xA0"},
        {"cyr", "\xEF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0"},
        {"empty", ""},
        {"equals", "a=b;c [d]"},
    };
    for (const auto& [key, value] : values) ASSERT_TRUE(store_.writeString(file, "S", key, value));
    std::vector<std::string> expectedKeys;
    for (const auto& [key, value] : values) {
        expectedKeys.push_back(key);
        EXPECT_EQ(store_.readString(file, "S", key, "fallback"), value) << key;
    }
    EXPECT_EQ(store_.keyNames(file, "S"), expectedKeys);
    EXPECT_EQ(store_.readString(file, "s", "ZETA", ""), "plain");  // no regard to case
    EXPECT_TRUE(store_.keyNames(file, "Other").empty());
    EXPECT_TRUE(store_.keyNames(dir_ + "missing.ini", "S").empty());
    EXPECT_EQ(store_.readString(file, "S", "absent", "  fb  "), "  fb  ");
    EXPECT_EQ(store_.readString(dir_ + "missing.ini", "S", "zeta", "fb"), "fb");
    EXPECT_EQ(store_.readString(file, "S", std::string("ze\0ta", 5), "fb"), "fb");
}

TEST_F(ProfileStoreTest, EveryByteSurvivesAtEitherEnd) {
    const std::string file = dir_ + "bytes.ini";
    for (int c = 1; c < 256; ++c) {
        if (c == '\r' || c == '\n') continue;
        const std::string value = std::string(1, static_cast<char>(c)) + "v" +
                                  std::string(1, static_cast<char>(c));
        ASSERT_TRUE(store_.writeString(file, "B", "k", value));
        EXPECT_EQ(store_.readString(file, "B", "k", ""), value) << "byte " << c;
    }
    // Names: every byte but the blanks that reading trims and the marks of sections,
    // comments and values, which the variables file refuses in names.
    const std::string refused = std::string(" \t\v\f\x1A\xA0[;=", 10);
    for (int c = 1; c < 256; ++c) {
        if (c == '\r' || c == '\n' || refused.find(static_cast<char>(c)) != std::string::npos)
            continue;
        const std::string names = dir_ + "names" + std::to_string(c) + ".ini";
        const std::string key = std::string(1, static_cast<char>(c)) + "k" +
                                std::string(1, static_cast<char>(c));
        ASSERT_TRUE(store_.writeString(names, "N", key, "v"));
        EXPECT_EQ(store_.keyNames(names, "N"), std::vector<std::string>{key}) << "byte " << c;
        EXPECT_EQ(store_.readString(names, "N", key, ""), "v") << "byte " << c;
    }
}

TEST_F(ProfileStoreTest, LineBreaksCannotForgeLinesAndBuffersGrow) {
    const std::string file = dir_ + "big.ini";
    ASSERT_TRUE(store_.writeString(file, "S", "k", "a\r\n[T]\r\nforged=1"));
    EXPECT_EQ(store_.readString(file, "S", "k", ""), "a  [T]  forged=1");
    EXPECT_TRUE(store_.keyNames(file, "T").empty());

    // Past the first buffers, up to the longest text the "A" functions write faithfully.
    const std::string big(Win32ProfileStore::kMaxWriteBytes - 4, 'x');  // quoted: the maximum
    ASSERT_TRUE(store_.writeString(file, "S", "big", " " + big + " "));
    EXPECT_TRUE(store_.readString(file, "S", "big", "") == " " + big + " ");
    EXPECT_FALSE(store_.writeString(file, "S", "big", std::string(40000, 'y')));
    EXPECT_FALSE(store_.writeString(file, "S", std::string(40000, 'k'), "v"));
    EXPECT_TRUE(store_.readString(file, "S", "big", "") == " " + big + " ");
    EXPECT_EQ(store_.readString(file, "S", "k", ""), "a  [T]  forged=1");

    std::string many = "[M]\r\n";
    for (int i = 0; i < 5000; ++i) {
        many += "key";
        many += std::to_string(i);
        many += "=1\r\n";
    }
    spit(dir_ + "many.ini", many);
    const auto names = store_.keyNames(dir_ + "many.ini", "M");
    ASSERT_EQ(names.size(), 5000u);
    EXPECT_EQ(names.front(), "key0");
    EXPECT_EQ(names.back(), "key4999");
}

TEST_F(ProfileStoreTest, ReplaceFileRenamesOverTheTarget) {
    Win32FileSystem files;
    spit(dir_ + "old", "old");
    spit(dir_ + "new", "new");
    EXPECT_FALSE(files.renameFile(dir_ + "new", dir_ + "old"));
    EXPECT_TRUE(files.replaceFile(dir_ + "new", dir_ + "old"));
    EXPECT_EQ(slurp(dir_ + "old"), "new");
    EXPECT_FALSE(exists(dir_ + "new"));
    EXPECT_FALSE(files.replaceFile(dir_ + "missing", dir_ + "old"));
    EXPECT_EQ(slurp(dir_ + "old"), "new");
    EXPECT_TRUE(files.replaceFile(dir_ + "old", dir_ + "fresh"));  // no target yet
    EXPECT_EQ(slurp(dir_ + "fresh"), "new");
}

TEST_F(ProfileStoreTest, VariablesFileRoundTripsThroughTheSystem) {
    const Platform platform = systemPlatform();
    ASSERT_NE(platform.profiles, nullptr);
    Log log(platform);
    const std::string path = dir_ + "var.dat";

    VarTable vars;
    vars.storeInt("ver", 12);  // entry 1: its section comes first
    vars.storeStr("b", "  \"quoted\" and blanks  ");
    vars.storeStr("a", "line\r\nbreak");
    vars.storeStr("cyr", "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5");
    vars.storeInt("n", -2147483647 - 1);
    vars.storeTempStr("temp", "gone");
    vars.storeStr("bad=name", "skipped");
    ASSERT_TRUE(vars.save(platform, path, log));
    EXPECT_FALSE(exists(path + ".tmp"));
    const std::string first = slurp(path);
    EXPECT_LT(first.find("[Integer]"), first.find("[String]")) << first;
    EXPECT_EQ(first.find("temp"), std::string::npos);
    EXPECT_EQ(first.find("bad"), std::string::npos);

    VarTable back;
    back.load(platform, path, log);
    EXPECT_EQ(back.count(), 6);
    EXPECT_EQ(back.text("ver"), "12");
    EXPECT_EQ(back.find("ver"), 1);
    EXPECT_EQ(back.text("Author"), "Quilbex team");
    EXPECT_EQ(back.find("Author"), 2);
    EXPECT_EQ(back.find("b"), 3);  // "String" keys in file order, then "Integer"
    EXPECT_EQ(back.find("a"), 4);
    EXPECT_EQ(back.text("b"), "  \"quoted\" and blanks  ");
    EXPECT_EQ(back.text("a"), "line  break");
    EXPECT_EQ(back.text("cyr"), "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5");
    EXPECT_EQ(back.text("n"), "-2147483648");

    // A second save over the first, read back at once: no stale cached copy on either side.
    back.storeStr("b", "changed");
    back.storeInt("ver", 13);
    ASSERT_TRUE(back.save(platform, path, log));
    VarTable again;
    again.load(platform, path, log);
    EXPECT_EQ(again.text("b"), "changed");
    EXPECT_EQ(again.text("ver"), "13");

    // A stale temporary file is not mixed in.
    spit(path + ".tmp", "[String]\r\nstale=1\r\n");
    VarTable presets;
    ASSERT_TRUE(presets.save(platform, path, log));
    EXPECT_EQ(slurp(path), "[String]\r\nver=" + std::string(kVersionText) +
                               "\r\nAuthor=Quilbex team\r\n");
}

}  // namespace
}  // namespace qbx::win32
