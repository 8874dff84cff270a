#include "core/variables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/ini_profile_store.h"
#include "core/log.h"
#include "core/version.h"
#include "support/fakes.h"

namespace qbx {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
const std::string kVarDat = "C:\\QBX\\var.dat";
const std::string kPresetsOnly = "[String]\r\nver=" + std::string(kVersionText) +
                                 "\r\nAuthor=Quilbex team\r\n";

// Prefix and number ("v12"); built by appending, which keeps GCC's -Wrestrict quiet.
std::string numbered(std::string_view prefix, int i) {
    std::string name(prefix);
    name += std::to_string(i);
    return name;
}

// The portable store over the fake files, failing every write after the first `writesLeft`.
class FailingProfiles : public ProfileStore {
public:
    explicit FailingProfiles(FileSystem& files, int writesLeft)
        : inner_(files), writesLeft_(writesLeft) {}
    std::vector<std::string> keyNames(const std::string& path, std::string_view section) override {
        return inner_.keyNames(path, section);
    }
    std::string readString(const std::string& path, std::string_view section,
                           std::string_view key, std::string_view fallback) override {
        return inner_.readString(path, section, key, fallback);
    }
    bool writeString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override {
        if (writesLeft_-- <= 0) return false;
        return inner_.writeString(path, section, key, value);
    }

private:
    IniProfileStore inner_;
    int writesLeft_;
};

class Variables : public ::testing::Test {
protected:
    void SetUp() override {
        log.setMirror([this](const std::string& line) { logLines.push_back(line); });
    }
    bool save() { return vars.save(fake.platform(), kVarDat, log); }
    void load() { vars.load(fake.platform(), kVarDat, log); }
    // Saves, then loads into a fresh table.
    VarTable roundTrip() {
        EXPECT_TRUE(save());
        VarTable other;
        other.load(fake.platform(), kVarDat, log);
        return other;
    }
    void fill() {
        for (int i = vars.count() + 1; i <= VarTable::kCapacity; ++i)
            ASSERT_TRUE(vars.storeInt(numbered("v", i), i));
    }

    test::FakePlatform fake;
    Log log{fake.platform()};
    std::vector<std::string> logLines;
    VarTable vars;
};

TEST_F(Variables, PresetsFillTheFirstEntriesAndResetClearsTheRest) {
    vars.storeTempStr("x", "1");
    vars.reset();
    EXPECT_EQ(vars.count(), 2);
    EXPECT_EQ(vars.find("ver"), 1);
    EXPECT_EQ(vars.find("Author"), 2);
    EXPECT_EQ(vars.text("ver"), kVersionText);
    EXPECT_EQ(vars.text("Author"), "Quilbex team");
    EXPECT_FALSE(vars.entry(1).noSave);
    EXPECT_FALSE(vars.entry(2).noSave);
    EXPECT_EQ(vars.find("x"), -1);
    const VarRec& freed = vars.entry(3);
    EXPECT_FALSE(freed.used);
    EXPECT_TRUE(freed.noSave);
    EXPECT_TRUE(freed.name.empty() && freed.text.empty() && freed.value == 0);
    // Outside 1..100: a free entry, not a crash.
    for (int index : {0, -1, 101, kMax}) EXPECT_FALSE(vars.entry(index).used) << index;
}

TEST_F(Variables, KindsAndTheirTexts) {
    ASSERT_TRUE(vars.storeStr("s", "text"));
    ASSERT_TRUE(vars.storeInt("i", -7));
    EXPECT_EQ(vars.type("s"), 0);
    EXPECT_EQ(vars.type("i"), 1);
    EXPECT_EQ(vars.type("absent"), 2);
    EXPECT_EQ(vars.text("i"), "-7");
    EXPECT_EQ(vars.text("absent"), "");
    EXPECT_EQ(varTypeName(vars.entry(vars.find("s"))), "String");
    EXPECT_EQ(varTypeName(vars.entry(vars.find("i"))), "Integer");

    VarRec odd;
    odd.kind = static_cast<VarKind>(5);
    odd.text = "t";
    odd.value = 3;
    EXPECT_EQ(varValueText(odd), "");
    EXPECT_EQ(varTypeName(odd), "<unknown>");
    odd.kind = VarKind::Integer;
    odd.value = kMin;
    EXPECT_EQ(varValueText(odd), "-2147483648");
}

TEST_F(Variables, OverwriteKeepsTheEntryItsSaveFlagAndTheOtherValue) {
    ASSERT_TRUE(vars.storeTempInt("n", 42));
    const int index = vars.find("n");
    ASSERT_TRUE(vars.storeStr("n", "now text"));  // stays temporary
    EXPECT_EQ(vars.find("n"), index);
    EXPECT_TRUE(vars.entry(index).noSave);
    EXPECT_EQ(vars.text("n"), "now text");
    EXPECT_EQ(vars.entry(index).value, 42);
    ASSERT_TRUE(vars.storeInt("n", 1));
    EXPECT_EQ(vars.entry(index).text, "now text");
    EXPECT_EQ(vars.text("n"), "1");

    ASSERT_TRUE(vars.storeStr("kept", "a"));
    ASSERT_TRUE(vars.storeTempStr("kept", "b"));  // stays saved
    EXPECT_FALSE(vars.entry(vars.find("kept")).noSave);
    EXPECT_EQ(vars.count(), 4);
}

TEST_F(Variables, NamesAreComparedExactly) {
    vars.storeInt("year", 2024);
    vars.storeStr("Year", "other");
    vars.storeStr("", "empty name");
    EXPECT_NE(vars.find("year"), vars.find("Year"));
    EXPECT_EQ(vars.text("year"), "2024");
    EXPECT_EQ(vars.text("YEAR"), "");
    EXPECT_EQ(vars.text(""), "empty name");
    EXPECT_EQ(vars.text(std::string("year\0x", 6)), "");
}

TEST_F(Variables, AFullTableChangesNothingButStillUpdates) {
    fill();
    EXPECT_EQ(vars.count(), VarTable::kCapacity);
    EXPECT_FALSE(vars.storeStr("one too many", "x"));
    EXPECT_FALSE(vars.storeTempInt("one too many", 1));
    EXPECT_EQ(vars.find("one too many"), -1);
    EXPECT_EQ(vars.count(), VarTable::kCapacity);
    EXPECT_TRUE(vars.storeStr("v100", "updated"));
    EXPECT_EQ(vars.text("v100"), "updated");
    EXPECT_EQ(vars.text("v3"), "3");
}

TEST_F(Variables, IncrementWrapsAndNeverCreates) {
    vars.storeInt("n", kMax);
    EXPECT_TRUE(vars.incInt("n", 1));
    EXPECT_EQ(vars.text("n"), "-2147483648");
    EXPECT_TRUE(vars.incInt("n", -1));
    EXPECT_EQ(vars.text("n"), "2147483647");
    EXPECT_TRUE(vars.incInt("n", kMin));
    EXPECT_EQ(vars.text("n"), "-1");

    EXPECT_FALSE(vars.incInt("absent", 1));
    EXPECT_EQ(vars.find("absent"), -1);

    // The table's own rule: a String becomes an Integer from its (old) value field.
    vars.storeStr("s", "abc");
    EXPECT_TRUE(vars.incInt("s", 5));
    EXPECT_EQ(vars.type("s"), 1);
    EXPECT_EQ(vars.text("s"), "5");
    EXPECT_EQ(vars.entry(vars.find("s")).text, "abc");
}

TEST_F(Variables, SavingOnlyThePresets) {
    ASSERT_TRUE(save());
    EXPECT_EQ(fake.files.contents(kVarDat), kPresetsOnly);
    EXPECT_TRUE(logLines.empty());
}

TEST_F(Variables, RoundTripKeepsSavedValuesAndDropsTemporaryOnes) {
    vars.storeStr("greeting", "Hello, world");
    vars.storeStr("quoted", "\"John\" <j@x>");
    vars.storeStr("both quoted", "'x'");
    vars.storeStr("padded", "  two blanks  ");
    vars.storeStr("empty", "");
    vars.storeStr("cyr", "\xEF\xF0\xE8\xE2\xE5\xF2");
    vars.storeStr("equals", "a=b;c");
    vars.storeInt("low", kMin);
    vars.storeInt("high", kMax);
    vars.storeTempStr("temp", "gone");
    vars.storeTempInt("tempi", 1);
    vars.storeTempStr("made saved?", "no");
    vars.storeStr("made saved?", "still temporary");

    const VarTable back = roundTrip();
    EXPECT_EQ(back.count(), 11);
    for (const char* name : {"greeting", "quoted", "both quoted", "padded", "empty", "cyr",
                             "equals", "low", "high"}) {
        EXPECT_EQ(back.text(name), vars.text(name)) << name;
        EXPECT_EQ(back.type(name), vars.type(name)) << name;
        EXPECT_FALSE(back.entry(back.find(name)).noSave) << name;
    }
    for (const char* name : {"temp", "tempi", "made saved?"}) EXPECT_EQ(back.find(name), -1);
    EXPECT_FALSE(fake.files.has(kVarDat + ".tmp"));
}

TEST_F(Variables, SectionsFollowTheFirstWriteAndLoadingFollowsTheFile) {
    vars.storeInt("ver", 3);  // entry 1 is now an Integer
    vars.storeStr("b", "x");
    vars.storeInt("a", 1);
    ASSERT_TRUE(save());
    EXPECT_EQ(fake.files.contents(kVarDat),
              "[Integer]\r\nver=3\r\na=1\r\n[String]\r\nAuthor=Quilbex team\r\nb=x\r\n");

    // String keys first, each section in file order; a preset is updated where it stands.
    fake.files.put(kVarDat,
                   "[Integer]\r\nz=5\r\nAuthor=7\r\n[String]\r\nver=1.0 old\r\ny=s\r\nx=t\r\n");
    load();
    EXPECT_EQ(vars.count(), 5);
    EXPECT_EQ(vars.find("ver"), 1);
    EXPECT_EQ(vars.text("ver"), "1.0 old");
    EXPECT_EQ(vars.find("Author"), 2);
    EXPECT_EQ(vars.type("Author"), 1);
    EXPECT_EQ(vars.find("y"), 3);
    EXPECT_EQ(vars.find("x"), 4);
    EXPECT_EQ(vars.find("z"), 5);
}

TEST_F(Variables, LoadingStartsFromThePresetsAndReadsIntegersStrictly) {
    vars.storeStr("old", "x");
    load();  // no file
    EXPECT_EQ(vars.count(), 2);

    fake.files.put(kVarDat,
                   "[Integer]\r\nplain=-12\r\nword=abc\r\nhuge=2147483648\r\nfloat=4.2\r\n"
                   "empty=\r\nlow=-2147483648\r\n");
    load();
    EXPECT_EQ(vars.text("plain"), "-12");
    EXPECT_EQ(vars.text("word"), "0");
    EXPECT_EQ(vars.text("huge"), "0");
    EXPECT_EQ(vars.text("float"), "0");
    EXPECT_EQ(vars.text("empty"), "0");
    EXPECT_EQ(vars.text("low"), "-2147483648");
    EXPECT_EQ(vars.find("old"), -1);
}

TEST_F(Variables, KeysPastTheCapacityAreDroppedButKnownOnesStillLoad) {
    std::string file = "[String]\r\n";
    for (int i = 1; i <= 150; ++i) file += numbered("k", i) + numbered("=", i) + "\r\n";
    file += "[Integer]\r\nk1=99\r\nextra=1\r\n";
    fake.files.put(kVarDat, file);
    load();
    EXPECT_EQ(vars.count(), VarTable::kCapacity);
    EXPECT_EQ(vars.text("k98"), "98");
    EXPECT_EQ(vars.find("k99"), -1);
    EXPECT_EQ(vars.find("extra"), -1);
    EXPECT_EQ(vars.text("k1"), "99");
    EXPECT_TRUE(logLines.empty());
}

TEST_F(Variables, NamesTheFileCannotHoldAreSkippedAndLogged) {
    const std::vector<std::string> bad = {"a=b", "line\r\nbreak", "lf\nonly", "[section]",
                                          ";comment", " lead", "trail\t", "",
                                          std::string("nul\0byte", 8), std::string(32001, 'n')};
    for (const auto& name : bad) ASSERT_TRUE(vars.storeStr(name, "v"));
    vars.storeInt("good", 1);
    vars.storeStr("in]side", "ok");
    vars.storeStr("inner blank", "ok");

    const VarTable back = roundTrip();
    EXPECT_EQ(logLines.size(), bad.size());
    for (const auto& line : logLines) {
        EXPECT_NE(line.find("not saved"), std::string::npos) << line;
        EXPECT_EQ(line.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    }
    EXPECT_EQ(back.count(), 5);
    EXPECT_EQ(back.text("good"), "1");
    EXPECT_EQ(back.text("in]side"), "ok");
    EXPECT_EQ(back.text("inner blank"), "ok");
}

TEST_F(Variables, NamesDifferingOnlyInCaseKeepTheFirstValue) {
    vars.storeStr("Year", "first");
    vars.storeStr("year", "second");
    vars.storeInt("YEAR", 5);  // another section: no clash
    const VarTable back = roundTrip();
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_NE(logLines[0].find("year"), std::string::npos);
    EXPECT_EQ(back.text("Year"), "first");
    EXPECT_EQ(back.find("year"), -1);
    EXPECT_EQ(back.text("YEAR"), "5");
}

TEST_F(Variables, LineBreaksInValuesBecomeBlanksNotVariables) {
    vars.storeStr("nl", "\r\n");
    vars.storeStr("forged", "x\r\n[Integer]\r\nevil=1\r\nver=0");
    vars.storeStr("lf", "a\nb\rc");
    const VarTable back = roundTrip();
    EXPECT_EQ(back.count(), 5);
    EXPECT_EQ(back.text("nl"), "  ");
    EXPECT_EQ(back.text("forged"), "x  [Integer]  evil=1  ver=0");
    EXPECT_EQ(back.text("lf"), "a b c");
    EXPECT_EQ(back.find("evil"), -1);
    EXPECT_EQ(back.text("ver"), kVersionText);
}

TEST_F(Variables, OverlongValuesAreSkippedAndLogged) {
    const std::string longest(32000, 'x');
    vars.storeStr("fits", longest);
    vars.storeStr("too long", longest + "x");
    const VarTable back = roundTrip();
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_NE(logLines[0].find("too long"), std::string::npos);
    EXPECT_TRUE(back.text("fits") == longest);
    EXPECT_EQ(back.find("too long"), -1);
}

TEST_F(Variables, AFailedSaveLeavesTheOldFileWhole) {
    fake.files.put(kVarDat, "[String]\r\nold=kept\r\n");
    vars.storeStr("new", "x");

    FailingProfiles failing(fake.files, 2);  // the third variable fails
    Platform platform = fake.platform();
    platform.profiles = &failing;
    EXPECT_FALSE(vars.save(platform, kVarDat, log));
    EXPECT_EQ(fake.files.contents(kVarDat), "[String]\r\nold=kept\r\n");
    EXPECT_FALSE(fake.files.has(kVarDat + ".tmp"));

    fake.files.failReplace = true;
    EXPECT_FALSE(save());
    EXPECT_EQ(fake.files.contents(kVarDat), "[String]\r\nold=kept\r\n");
    EXPECT_FALSE(fake.files.has(kVarDat + ".tmp"));

    Platform none = fake.platform();
    none.profiles = nullptr;
    EXPECT_FALSE(vars.save(none, kVarDat, log));
    vars.load(none, kVarDat, log);
    EXPECT_EQ(vars.count(), 2);
    EXPECT_TRUE(logLines.empty());
}

TEST_F(Variables, AStaleTemporaryFileMixesNothingIn) {
    fake.files.put(kVarDat + ".tmp", "[String]\r\nstale=1\r\n[Integer]\r\nver=9\r\n");
    ASSERT_TRUE(save());
    EXPECT_EQ(fake.files.contents(kVarDat), kPresetsOnly);
    EXPECT_FALSE(fake.files.has(kVarDat + ".tmp"));
}

}  // namespace
}  // namespace qbx
