// What every implementation of the platform interfaces must do, checked against the services
// of the build at hand: the native stand-ins, and real Win32 under Wine in 32 and 64 bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <thread>
#include <tuple>
#include <vector>

#include "base/datetime.h"
#include "base/text.h"
#include "core/log.h"
#include "core/variables.h"
#include "core/version.h"
#include "hosted/scratch.h"
#include "platform/hashing.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "support/platform_under_test.h"

namespace qbx {
namespace {

namespace fs = std::filesystem;
using test::slurp;
using test::spit;

// A fresh folder in the build folder and a registry key of its own per test. The native
// registry is the file named by QBX_REGISTRY: a fresh one inside the folder.
class PlatformContract : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("QBX_REGISTRY")) oldRegistry_ = old;
        setProcessVariable("QBX_REGISTRY", (dir_ / "registry.ini").string());
    }
    void TearDown() override {
        test::removeRegistryKey(key_);
        setProcessVariable("QBX_REGISTRY", oldRegistry_);
    }
    // A path below the folder in the form the module uses.
    std::string at(const std::string& relative = "") const {
        return toModulePath(dir_.string()) + "\\" + relative;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(dir_))
            out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    const test::ScratchFolder scratch_{"platform-"};
    const fs::path& dir_ = scratch_.path;
    Platform platform_ = systemPlatform();
    Registry& registry_ = *platform_.registry;
    FileSystem& files_ = *platform_.files;
    Environment& env_ = *platform_.environment;
    std::string oldRegistry_;
    const std::string id_ = test::uniqueName();
    const std::string key_ = "Software\\QBXTest\\" + id_;
};

TEST_F(PlatformContract, RegistryTextsComeBackExactly) {
    const std::vector<std::string> values = {"5",   "",      "  padded  ",        "\"quoted\"",
                                             "'x'", "a=b;c", "\xC0\xE1\xE2 1251", "%TEMP%\\x"};
    const auto name = [](std::size_t i) { return std::string("v").append(std::to_string(i)); };
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_TRUE(registry_.writeString(key_, name(i), values[i]));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const RegValue got = registry_.readString(key_, name(i));
        EXPECT_EQ(got.status, RegStatus::Ok) << i;
        EXPECT_EQ(got.text, values[i]) << i;
    }
    ASSERT_TRUE(registry_.writeString(key_, "v0", "6"));
    // Keys and names match without regard to case; the root's backslash is no part of the key.
    EXPECT_EQ(registry_.readString("SOFTWARE\\qbxtest\\" + id_, "V0").text, "6");
    EXPECT_EQ(registry_.readString("\\" + key_, "v0").text, "6");
}

TEST_F(PlatformContract, RegistryKeysAreSeparateAndWhatCannotComeBackIsRefused) {
    EXPECT_EQ(registry_.readString(key_, "version").status, RegStatus::Missing);
    ASSERT_TRUE(registry_.writeString(key_, "version", "main"));
    ASSERT_TRUE(registry_.writeString(key_ + "\\viewer", "version", "viewer"));
    EXPECT_EQ(registry_.readString(key_, "version").text, "main");
    EXPECT_EQ(registry_.readString(key_ + "\\viewer", "version").text, "viewer");
    EXPECT_EQ(registry_.readString(key_, "other").status, RegStatus::Missing);
    EXPECT_EQ(registry_.readString(key_ + "\\none", "version").status, RegStatus::Missing);
    EXPECT_EQ(registry_.readString(key_ + "-sibling", "version").status, RegStatus::Missing);
    EXPECT_EQ(registry_.readString(key_, std::string("version\0x", 9)).status, RegStatus::Missing);

    ASSERT_TRUE(registry_.writeString(key_, "a", "1"));
    // A NUL would cut the text short unseen.
    EXPECT_FALSE(registry_.writeString(key_, "a", std::string("2\0x", 3)));
    EXPECT_FALSE(registry_.writeString(key_, std::string("a\0b", 3), "2"));
    EXPECT_FALSE(registry_.writeString(key_ + std::string("\0x", 2), "a", "2"));
    EXPECT_FALSE(registry_.writeString("", "a", "2"));
    EXPECT_EQ(registry_.readString(key_, "a").text, "1");
    EXPECT_EQ(registry_.readString(key_, "b").status, RegStatus::Missing);
}

TEST_F(PlatformContract, FilesFoldersAndTheReadCap) {
    spit(dir_ / "a.txt", "x");
    for (const auto& [path, file, folder] : {std::tuple{at("a.txt"), true, false},
                                             {at(), false, true},
                                             {at("missing"), false, false},
                                             {std::string(), false, false}}) {
        EXPECT_EQ(files_.fileExists(path), file) << path;
        EXPECT_EQ(files_.directoryExists(path), folder) << path;
    }

    EXPECT_FALSE(files_.createDirectory(at("a\\b")));  // one level only
    EXPECT_TRUE(files_.createDirectories(at("a\\b\\c\\")));
    EXPECT_TRUE(fs::is_directory(dir_ / "a" / "b" / "c"));
    EXPECT_TRUE(files_.createDirectories(at("a\\b\\c")));  // exists already
    EXPECT_TRUE(files_.createDirectories(at("a/mixed/slashes")));
    EXPECT_TRUE(files_.createDirectory(at("a\\d")));
    EXPECT_TRUE(files_.createDirectory(at("a\\d")));
    EXPECT_FALSE(files_.createDirectories(at("a.txt\\sub")));  // a file is in the way
    EXPECT_FALSE(files_.createDirectory(at("a.txt")));

    spit(dir_ / "f", std::string(100, 'x'));
    EXPECT_EQ(files_.readFile(at("f"), 100), std::string(100, 'x'));
    EXPECT_EQ(files_.readFile(at("f"), 99), std::nullopt);
    EXPECT_EQ(files_.lastError(), "longer than 99 bytes");
    EXPECT_EQ(files_.readFile(at("missing"), 100), std::nullopt);
    const std::string missing = files_.lastError();  // the system's own words
    EXPECT_FALSE(missing.empty());
    EXPECT_EQ(files_.readFile(at(), 100), std::nullopt);
    EXPECT_EQ(files_.lastError(), "a folder is in its place");
    EXPECT_FALSE(files_.deleteFile(at("missing")));
    EXPECT_EQ(files_.lastError(), missing);
    spit(dir_ / "empty", "");
    EXPECT_EQ(files_.readFile(at("empty"), 0), std::string());
}

TEST_F(PlatformContract, ListsPlainFilesBySuffixSorted) {
    spit(dir_ / "b.s", "");
    spit(dir_ / "A.S", "");
    spit(dir_ / "c.sx", "");  // longer extension: its short 8.3 name must not match
    spit(dir_ / "notes.txt", "");
    fs::create_directory(dir_ / "folder.s");
    EXPECT_EQ(files_.listFiles(at(), ".s"), (std::vector<std::string>{"A.S", "b.s"}));
    EXPECT_EQ(files_.listFiles(toModulePath(dir_.string()), ".s").size(), 2u);  // no separator
    EXPECT_EQ(files_.listFiles(at(), "").size(), 4u);
    EXPECT_TRUE(files_.listFiles(at("missing"), ".s").empty());
    EXPECT_TRUE(files_.listFiles(at("b.s"), ".s").empty());
    EXPECT_TRUE(files_.listFiles("", ".s").empty());
}

TEST_F(PlatformContract, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(files_.writeFileAtomic(at("data.bin"), "old contents"));
    ASSERT_TRUE(files_.writeFileAtomic(at("data.bin"), std::string("new\0bytes", 9)));
    EXPECT_EQ(slurp(dir_ / "data.bin"), std::string("new\0bytes", 9));
    EXPECT_EQ(names(), std::vector<std::string>{"data.bin"});

    EXPECT_FALSE(files_.writeFileAtomic(at("missing\\data.bin"), "x"));
    fs::create_directory(dir_ / "folder");
    EXPECT_FALSE(files_.writeFileAtomic(at("folder"), "x"));  // a folder is in the way
    EXPECT_FALSE(files_.lastError().empty());
    EXPECT_EQ(names(), (std::vector<std::string>{"data.bin", "folder"}));
}

TEST_F(PlatformContract, RenameNeverReplacesAppendNeverCreates) {
    spit(dir_ / "from", "1");
    spit(dir_ / "to", "2");
    EXPECT_FALSE(files_.renameFile(at("from"), at("to")));
    EXPECT_EQ(slurp(dir_ / "to"), "2");
    EXPECT_TRUE(files_.renameFile(at("from"), at("free")));
    EXPECT_EQ(slurp(dir_ / "free"), "1");
    EXPECT_FALSE(files_.renameFile(at("from"), at("again")));

    EXPECT_FALSE(files_.appendToExistingFile(at("startup.log"), "line\r\n"));
    EXPECT_FALSE(fs::exists(dir_ / "startup.log"));
    spit(dir_ / "startup.log", "one\r\n");
    EXPECT_TRUE(files_.appendToExistingFile(at("startup.log"), "two\r\n"));
    EXPECT_EQ(slurp(dir_ / "startup.log"), "one\r\ntwo\r\n");
}

TEST_F(PlatformContract, LogFileStaysReadableAndRotatableWhileOpen) {
    spit(dir_ / "log", "previous run");
    auto out = files_.createFile(at("log"));
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(out->write("line 1\r\n"));
    EXPECT_TRUE(out->flush());
    EXPECT_EQ(files_.readFile(at("log"), 1000), "line 1\r\n");
    // The next load renames the log aside while this one may still hold it.
    EXPECT_TRUE(files_.renameFile(at("log"), at("log.old")));
    EXPECT_TRUE(out->write("line 2\r\n"));
    out.reset();
    EXPECT_EQ(slurp(dir_ / "log.old"), "line 1\r\nline 2\r\n");
    EXPECT_EQ(files_.createFile(at("missing\\log")), nullptr);
    EXPECT_TRUE(files_.deleteFile(at("log.old")));
    EXPECT_FALSE(files_.deleteFile(at("log.old")));
}

// The log's own file, written through a mapping where the system offers one: a reader sees each
// line at once (zeros may follow while the file is held); let go, the file is exactly its lines,
// also past several mapping windows and after being renamed aside. The zeros a process that died
// left after its lines are cut back; a file without them is left alone, a missing one not made.
TEST_F(PlatformContract, LogFileIsExactOnceLetGoAndCutBackAfterADeath) {
    spit(dir_ / "log", "previous run");
    auto out = files_.createLogFile(at("log"));
    ASSERT_NE(out, nullptr);
    std::string expected;
    for (int i = 0; expected.size() < 200'000; ++i) {
        const std::string line = "[" + std::to_string(i) + "] a line of the log\r\n";
        ASSERT_TRUE(out->write(line));
        ASSERT_TRUE(out->flush());
        expected += line;
        if (i == 3) {
            const std::string seen = files_.readFile(at("log"), 1u << 20).value_or("");
            EXPECT_EQ(seen.substr(0, expected.size()), expected);
            EXPECT_EQ(seen.find_first_not_of('\0', expected.size()), std::string::npos);
        }
    }
    EXPECT_TRUE(files_.renameFile(at("log"), at("log.old")));
    ASSERT_TRUE(out->write("last\r\n"));
    expected += "last\r\n";
    out.reset();
    EXPECT_EQ(slurp(dir_ / "log.old"), expected);

    const std::string withNul("a\0b\r\n", 5);
    for (const auto& [name, content, settled] :
         {std::tuple<std::string, std::string, std::string>{
              "dead", withNul + std::string(5000, '\0'), withNul},
          {"whole", withNul, withNul},
          {"zeros", std::string(100, '\0'), ""}}) {
        spit(dir_ / name, content);
        files_.settleLogFile(at(name));
        EXPECT_EQ(slurp(dir_ / name), settled) << name;
    }
    files_.settleLogFile(at("missing"));
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

// "var.dat" written and read back through the build's file services; what the variables table
// makes of its entries is pinned over the fakes.
TEST_F(PlatformContract, VariablesFileRoundTrips) {
    Log log(platform_);
    const std::string path = at("var.dat");
    spit(dir_ / "var.dat", "[String]\r\nold=1\r\n");
    VarTable vars;
    vars.storeStr("b", "  \"quoted\" and blanks  ");
    vars.storeStr("a", "line\r\nbreak");
    vars.storeStr("cyr", "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5");
    ASSERT_TRUE(vars.save(platform_, path, log));
    EXPECT_EQ(names(), std::vector<std::string>{"var.dat"});

    VarTable back;
    back.load(platform_, path, log);
    EXPECT_EQ(back.count(), 5);  // the two presets and ours: "old" went with the old file
    EXPECT_EQ(back.text("b"), "  \"quoted\" and blanks  ");
    EXPECT_EQ(back.text("a"), "line  break");
    EXPECT_EQ(back.text("cyr"), "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5");

    // A second save over the first, read back at once.
    back.storeStr("b", "changed");
    ASSERT_TRUE(back.save(platform_, path, log));
    VarTable again;
    again.load(platform_, path, log);
    EXPECT_EQ(again.text("b"), "changed");

    // The temporary files of cut-short saves go at the next load, and nothing else does.
    for (const char* name : {"var.dat.tmp", "var.dat.tmp4242.7", "var.dat.tmpx", "var.dat.tmp1"})
        spit(dir_ / name, "[String]\r\nstale=1\r\n");
    again.load(platform_, path, log);
    EXPECT_EQ(names(), (std::vector<std::string>{"var.dat", "var.dat.tmp1", "var.dat.tmpx"}));
    EXPECT_EQ(again.find("stale"), -1);
}

// The variables file must read the same through the system's profile functions (older
// versions of the module, and anyone editing it through them) as through our own reader.
TEST_F(PlatformContract, VariablesFileReadsAsTheProfileFunctionsReadIt) {
    ASSERT_NE(platform_.profiles, nullptr);
    ProfileStore& profiles = *platform_.profiles;
    Log log(platform_);
    const std::vector<std::pair<std::string, std::string>> awkward = {
        {"lead", "  lead"},
        {"trail", "trail\t "},
        {"dq", "\"both\""},
        {"sq", "'single'"},
        {"half", "\"half"},
        {"inner", "a \"b\" c"},
        {"eq", "=a=b"},
        {"semi", ";not a comment"},
        {"section", "[Integer]"},
        {"nbsp", "\xA0x\xA0"},
        {"empty", ""},
        {"blank", " "},
        {"cyr", "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0"},
        {"\xC8\xEC\xFF", "1251 name"}};

    // Our writer, the system's reader.
    const std::string ours = at("ours.dat");
    VarTable vars;
    std::vector<std::string> keys = {"ver", "Author"};
    for (const auto& [name, value] : awkward) {
        vars.storeStr(name, value);
        keys.push_back(name);
    }
    vars.storeInt("int", -42);
    ASSERT_TRUE(vars.save(platform_, ours, log));
    EXPECT_EQ(profiles.keyNames(ours, "String"), keys);
    for (const auto& [name, value] : awkward)
        EXPECT_EQ(profiles.readString(ours, "string", name, "<none>"), value) << name;
    EXPECT_EQ(profiles.readString(ours, "Integer", "INT", ""), "-42");

    // The system's writer, our reader.
    const std::string theirs = at("theirs.dat");
    for (const auto& [name, value] : awkward)
        ASSERT_TRUE(profiles.writeString(theirs, "String", name, value)) << name;
    ASSERT_TRUE(profiles.writeString(theirs, "Integer", "int", "-42"));
    VarTable back;
    back.load(platform_, theirs, log);
    EXPECT_EQ(back.count(), vars.count());
    for (const auto& [name, value] : awkward) EXPECT_EQ(back.text(name), value) << name;
    EXPECT_EQ(back.type("int"), 1);
    EXPECT_EQ(back.text("int"), "-42");

    // Text as editors leave it: each key the system lists reads as the system reads it.
    const std::string hand = at("hand.dat");
    spit(dir_ / "hand.dat",
         "; by hand\r\n[string]\r\n  a  =  spaced  \r\n\tb\t=\t\"q\"\t\r\nc='x'\r\n"
         "d=\"mixed'\r\nDup=first\r\nDUP=second\r\n=nameless\r\nno equals\r\ne==x=y\r\n"
         "f=\r\n\xA0g\xA0=\xA0h\xA0\r\n;i=1\r\n[Integer]\r\nn = 7 \r\n");
    VarTable read;
    read.load(platform_, hand, log);
    std::vector<std::string> distinct;
    for (const std::string& key : profiles.keyNames(hand, "String")) {
        if (std::any_of(distinct.begin(), distinct.end(),
                        [&](const std::string& seen) { return equalsIgnoreCase1251(seen, key); }))
            continue;  // the system reads the first of the name again
        distinct.push_back(key);
        EXPECT_EQ(read.text(key), profiles.readString(hand, "String", key, "<none>")) << key;
    }
    EXPECT_EQ(distinct,
              (std::vector<std::string>{"a", "b", "c", "d", "Dup", "e", "f", "\xA0g\xA0"}));
    EXPECT_EQ(read.text("n"), profiles.readString(hand, "Integer", "n", ""));
    EXPECT_EQ(read.count(), 2 + 9);
}

TEST_F(PlatformContract, ExpandsKnownNamesAndKeepsTheRest) {
    setProcessVariable("QBX_TEST_DIR", "C:\\data");
    EXPECT_EQ(env_.expandVariables("%QBX_TEST_DIR%\\Statistics\\"), "C:\\data\\Statistics\\");
    EXPECT_EQ(env_.expandVariables("%qbx_test_dir%"), "C:\\data");
    setProcessVariable("QBX_TEST_BIG", std::string(20000, 'b'));
    EXPECT_EQ(env_.expandVariables("%QBX_TEST_BIG%"), std::string(20000, 'b'));
    // Unknown names, stray percent signs, and results past the system's limit: kept as they are.
    const std::string kept[] = {"%QBX_NO_SUCH_VARIABLE%\\x",
                                "100% sure %QBX_TEST_DIR%",
                                "50%%QBX_TEST_DIR%",
                                "open %QBX_TEST_DIR",
                                "",
                                "%QBX_TEST_BIG%%QBX_TEST_BIG%",
                                std::string(40000, '%')};
    for (const std::string& text : kept)
        EXPECT_EQ(env_.expandVariables(text), text) << text.substr(0, 40);
    setProcessVariable("QBX_TEST_BIG", "");
}

TEST_F(PlatformContract, FoldersAndProgramPaths) {
    const std::string temp = env_.tempDirectory();
    ASSERT_GE(temp.size(), 2u);
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_NE(temp[temp.size() - 2], '\\');
    EXPECT_TRUE(files_.directoryExists(temp));

    const std::string system = env_.systemDirectory();
    ASSERT_FALSE(system.empty());
    EXPECT_NE(system.back(), '\\');
    EXPECT_TRUE(files_.directoryExists(system));

    const std::string host = env_.hostProgramPath();
    EXPECT_NE(host.find("\\qbx_system"), std::string::npos) << host;
    EXPECT_TRUE(files_.fileExists(host));
    EXPECT_EQ(env_.modulePath(), host);  // the platform layer is linked into this program
}

TEST_F(PlatformContract, LocalTimeTicksAndHeap) {
    Clock& clock = *platform_.clock;
    const std::time_t t = std::time(nullptr);
    const std::tm local = *std::localtime(&t);
    const double expected = encodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                            local.tm_hour, local.tm_min, local.tm_sec});
    EXPECT_NEAR(clock.now(), expected, 5.0 / 86400);
    const std::tm universal = *std::gmtime(&t);
    const double expectedUniversal =
        encodeDateTime({universal.tm_year + 1900, universal.tm_mon + 1, universal.tm_mday,
                        universal.tm_hour, universal.tm_min, universal.tm_sec});
    EXPECT_NEAR(clock.universalNow(), expectedUniversal, 5.0 / 86400);
    EXPECT_NEAR(clock.localToUniversal(clock.now()), clock.universalNow(), 5.0 / 86400);
    // A date the system's calendar cannot hold comes back as it is.
    EXPECT_EQ(clock.localToUniversal(-700000.5), -700000.5);

    const std::uint32_t tick = clock.tickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const std::uint32_t elapsed = clock.tickCount() - tick;
    EXPECT_GE(elapsed, 40u);
    EXPECT_LT(elapsed, 5000u);

    const std::uint64_t before = clock.heapBytesInUse();
    std::vector<char> block(32u << 20, 'x');
    EXPECT_GE(clock.heapBytesInUse(), before + (24u << 20));
    EXPECT_EQ(block[12345], 'x');
}

TEST_F(PlatformContract, LocaleFormatsTheGivenMoment) {
    LocaleFormat& locale = *platform_.locale;
    const double moment = 45000.0 + (13 * 3600 + 4 * 60 + 5) / 86400.0;  // 2023-03-15 13:04:05
    const std::string time = locale.longTime(moment);
    EXPECT_NE(time.find("04"), std::string::npos) << time;
    EXPECT_NE(time.find("05"), std::string::npos) << time;
    const std::string date = locale.shortDate(moment);
    EXPECT_NE(date.find("15"), std::string::npos) << date;
    EXPECT_NE(date.find("23"), std::string::npos) << date;
    const char separator = locale.decimalSeparator();
    EXPECT_TRUE(separator == '.' || separator == ',') << separator;
    // Before the system's calendar starts, and damaged values: a fixed form, never nothing.
    EXPECT_EQ(locale.longTime(-200000.25), "18:00:00");
    EXPECT_FALSE(locale.shortDate(-200000.25).empty());
    EXPECT_FALSE(locale.shortDate(std::numeric_limits<double>::quiet_NaN()).empty());
}

TEST(SystemHashing, Md5CheckValues) {
    const auto hex = [](const std::string& bytes) {
        std::string text;
        for (char c : bytes) text += hexUpper(static_cast<unsigned char>(c), 2);
        return toLower1251(text);
    };
    EXPECT_EQ(hex(md5Digest("")), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(hex(md5Digest("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(hex(md5Digest("The quick brown fox jumps over the lazy dog")),
              "9e107d9d372bb6826bd81d3542a419d6");
    EXPECT_EQ(hex(md5Digest(std::string(1'000'000, 'a'))), "7707d6ae4e027c70eea2a935c2296f21");
    // Bytes beyond ASCII and zero bytes are hashed as they are.
    EXPECT_EQ(md5Digest(std::string("a\0b", 3)).size(), 16u);
    EXPECT_NE(md5Digest(std::string("a\0b", 3)), md5Digest(std::string("a\0c", 3)));
}

TEST_F(PlatformContract, ServicesLiveAsLongAsTheProcess) {
    const Platform again = systemPlatform();
    EXPECT_EQ(again.registry, platform_.registry);
    EXPECT_EQ(again.files, platform_.files);
    EXPECT_EQ(again.ui, platform_.ui);
    again.ui->pumpMessages();  // returns with an empty queue
}

}  // namespace
}  // namespace qbx
