#include "core/variables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/ini_file.h"
#include "core/kept_files.h"
#include "core/log.h"
#include "core/var_file.h"
#include "core/version.h"
#include "support/fakes.h"

namespace qbx {
namespace {

using Texts = std::vector<std::string>;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
const std::string kVarDat = "C:\\QBX\\var.dat";
const std::string kPresetsOnly =
    "[String]\r\nver=" + std::string(kVersionText) + "\r\nAuthor=Quilbex team\r\n";

// Each name's text; "-" for a name the table does not hold.
Texts texts(const VarTable& table, const Texts& names) {
    Texts out;
    for (const std::string& name : names)
        out.push_back(table.find(name) < 0 ? "-" : table.text(name));
    return out;
}

class Variables : public ::testing::Test {
protected:
    Variables() {
        log.setMirror([this](const std::string& line) { logLines.push_back(line); });
    }
    bool save() { return vars.save(fake.platform(), kVarDat, log); }
    void load() { vars.load(fake.platform(), kVarDat, log); }
    VarTable roundTrip() {
        EXPECT_TRUE(save());
        VarTable other;
        other.load(fake.platform(), kVarDat, log);
        return other;
    }
    test::FakePlatform fake;
    Log log{fake.platform()};
    std::vector<std::string> logLines;
    VarTable vars;
};

TEST_F(Variables, PresetsKindsAndExactNames) {
    vars.storeTempStr("x", "1");
    vars.reset();
    EXPECT_EQ(vars.count(), 2);
    EXPECT_EQ(texts(vars, {"ver", "Author", "x"}),
              (Texts{std::string(kVersionText), "Quilbex team", "-"}));
    EXPECT_EQ(std::make_pair(vars.find("ver"), vars.find("Author")), std::make_pair(1, 2));
    EXPECT_FALSE(vars.entry(1).noSave || vars.entry(2).noSave);
    const VarRec& freed = vars.entry(3);
    EXPECT_TRUE(!freed.used && freed.noSave && freed.name.empty() && freed.text.empty() &&
                freed.value == 0);
    // Outside 1..100: a free entry, not a crash.
    for (int index : {0, -1, 101, kMax}) EXPECT_FALSE(vars.entry(index).used) << index;
    ASSERT_TRUE(vars.storeStr("s", "text") && vars.storeInt("i", kMin));
    EXPECT_EQ((std::vector<int>{vars.type("s"), vars.type("i"), vars.type("absent")}),
              (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(vars.text("i"), "-2147483648");
    EXPECT_EQ(varTypeName(vars.entry(vars.find("i"))), "Integer");
    VarRec odd;
    odd.kind = static_cast<VarKind>(5);  // a damaged kind names no value
    odd.text = "t";
    EXPECT_EQ(varValueText(odd), "");
    EXPECT_EQ(varTypeName(odd), "<unknown>");
    vars.storeInt("year", 2024);
    vars.storeStr("Year", "other");
    vars.storeStr("", "empty name");
    EXPECT_EQ(texts(vars, {"year", "Year", "YEAR", "", std::string("year\0x", 6)}),
              (Texts{"2024", "other", "-", "empty name", "-"}));
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

TEST_F(Variables, AFullTableChangesNothingButStillUpdates) {
    for (int i = vars.count() + 1; i <= VarTable::kCapacity; ++i)
        ASSERT_TRUE(vars.storeInt(std::string("v").append(std::to_string(i)), i));
    EXPECT_FALSE(vars.storeStr("one too many", "x"));
    EXPECT_FALSE(vars.storeTempInt("one too many", 1));
    EXPECT_EQ(vars.count(), VarTable::kCapacity);
    EXPECT_TRUE(vars.storeStr("v100", "updated"));
    EXPECT_EQ(texts(vars, {"one too many", "v100", "v3"}), (Texts{"-", "updated", "3"}));
}

TEST_F(Variables, IncrementWrapsAndNeverCreates) {
    vars.storeInt("n", kMax);
    for (const auto& [delta, expected] : std::vector<std::pair<std::int32_t, std::string>>{
             {1, "-2147483648"}, {-1, "2147483647"}, {kMin, "-1"}}) {
        EXPECT_TRUE(vars.incInt("n", delta));
        EXPECT_EQ(vars.text("n"), expected);
    }
    EXPECT_FALSE(vars.incInt("absent", 1));
    EXPECT_EQ(vars.find("absent"), -1);
    // The table's own rule: a String becomes an Integer from its (old) value field.
    vars.storeStr("s", "abc");
    EXPECT_TRUE(vars.incInt("s", 5));
    EXPECT_EQ(vars.type("s"), 1);
    EXPECT_EQ(vars.text("s"), "5");
    EXPECT_EQ(vars.entry(vars.find("s")).text, "abc");
}

TEST_F(Variables, RoundTripKeepsSavedValuesAndDropsTemporaryOnes) {
    ASSERT_TRUE(save());
    EXPECT_EQ(fake.files.contents(kVarDat), kPresetsOnly);
    const Texts names = {"greeting", "quoted", "both quoted", "padded", "empty", "cyr", "equals"};
    const Texts values = {
        "Hello, world", "\"John\" <j@x>", "'x'", "  two blanks  ", "", "\xEF\xF0\xE8\xE2\xE5\xF2",
        "a=b;c"};
    for (std::size_t i = 0; i < names.size(); ++i) vars.storeStr(names[i], values[i]);
    vars.storeInt("low", kMin);
    vars.storeInt("high", kMax);
    vars.storeTempStr("temp", "gone");
    vars.storeTempInt("tempi", 1);
    vars.storeTempStr("made saved?", "no");
    vars.storeStr("made saved?", "still temporary");
    const VarTable back = roundTrip();
    EXPECT_EQ(back.count(), 11);
    EXPECT_EQ(texts(back, names), values);
    for (const char* name : {"low", "high"}) EXPECT_EQ(back.type(name), 1) << name;
    EXPECT_EQ(texts(back, {"low", "high", "temp", "tempi", "made saved?"}),
              (Texts{"-2147483648", "2147483647", "-", "-", "-"}));
    for (int index = 1; index <= back.count(); ++index) EXPECT_FALSE(back.entry(index).noSave);
    EXPECT_FALSE(fake.files.has(kVarDat + ".tmp"));
    EXPECT_TRUE(logLines.empty());
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
    EXPECT_EQ(vars.text("ver"), "1.0 old");
    EXPECT_EQ(vars.type("Author"), 1);
    for (const auto& [name, index] : std::vector<std::pair<std::string, int>>{
             {"ver", 1}, {"Author", 2}, {"y", 3}, {"x", 4}, {"z", 5}})
        EXPECT_EQ(vars.find(name), index) << name;
}

TEST_F(Variables, LoadingStartsFromThePresetsReadsIntegersStrictlyAndStopsAtTheCapacity) {
    vars.storeStr("old", "x");
    load();  // no file
    EXPECT_EQ(vars.count(), 2);
    fake.files.put(kVarDat,
                   "[Integer]\r\nplain=-12\r\nword=abc\r\nhuge=2147483648\r\n"
                   "float=4.2\r\nempty=\r\nlow=-2147483648\r\n");
    load();
    EXPECT_EQ(texts(vars, {"plain", "word", "huge", "float", "empty", "low", "old"}),
              (Texts{"-12", "0", "0", "0", "0", "-2147483648", "-"}));
    // Keys past the capacity are not loaded, but known ones still load.
    std::string file = "[String]\r\n";
    for (int i = 1; i <= 150; ++i)
        file.append("k").append(std::to_string(i)).append("=").append(std::to_string(i)) += "\r\n";
    fake.files.put(kVarDat, file + "[Integer]\r\nk1=99\r\nextra=1\r\n");
    load();
    EXPECT_EQ(vars.count(), VarTable::kCapacity);
    EXPECT_EQ(texts(vars, {"k98", "k99", "extra", "k1"}), (Texts{"98", "-", "-", "99"}));
    EXPECT_EQ(logLines, Texts{"var.dat: 53 variables not loaded (the table is full, or their "
                              "names or values are too long): kept in the file as they are"});
}

// A file of more variables than the table holds, as an editor or another version leaves it.
TEST_F(Variables, VariablesPastTheCapacityAreWrittenBackAfterTheTablesOwn) {
    std::string file = "[Integer]\r\n";
    for (int i = 1; i <= 60; ++i)
        file += "i" + std::to_string(i) + "=" + std::to_string(-i) + "\r\n";
    file += "[String]\r\n";
    for (int i = 1; i <= 90; ++i)
        file += "s" + std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
    fake.files.put(kVarDat, file);
    load();
    ASSERT_EQ(vars.count(), VarTable::kCapacity);  // the presets, s1..s90, i1..i8
    ASSERT_TRUE(save());
    // Sections as the table writes them: its own keys first, then the file's rest in order.
    std::string expected = kPresetsOnly;
    for (int i = 1; i <= 90; ++i)
        expected += "s" + std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
    expected += "[Integer]\r\n";
    for (int i = 1; i <= 60; ++i)
        expected += "i" + std::to_string(i) + "=" + std::to_string(-i) + "\r\n";
    EXPECT_EQ(fake.files.contents(kVarDat), expected);
    EXPECT_EQ(logLines, Texts{"var.dat: 52 variables not loaded (the table is full, or their "
                              "names or values are too long): kept in the file as they are"});
    // A restart changes nothing.
    load();
    ASSERT_TRUE(save());
    EXPECT_EQ(fake.files.contents(kVarDat), expected);
}

TEST_F(Variables, NamesAndValuesTooLongForTheTableAreWrittenBackAsTheyWere) {
    const std::string longValue(40000, 'v');
    const std::string longName(32001, 'N');
    const std::string limit(32000, 'x');
    // Quotes come back only where reading needs them, so every value reads back the same.
    fake.files.put(kVarDat, "[String]\r\nlong=" + longValue + "\r\nshort=1\r\n" + longName +
                                "=  \"  padded  \"\r\n'q'=\"'q'\"\r\nlimit=" + limit +
                                "\r\n[Integer]\r\nbig=" + std::string(32001, '7') + "\r\nn=5\r\n");
    load();
    EXPECT_EQ(vars.count(), 6);
    EXPECT_EQ(texts(vars, {"long", "big", "short", "'q'", "n"}),
              (Texts{"-", "-", "1", "'q'", "5"}));
    EXPECT_TRUE(vars.text("limit") == limit);
    ASSERT_TRUE(save());
    EXPECT_TRUE(fake.files.contents(kVarDat) ==
                kPresetsOnly + "short=1\r\n'q'=\"'q'\"\r\nlimit=" + limit +
                    "\r\nlong=" + longValue + "\r\n" + longName +
                    "=\"  padded  \"\r\n[Integer]\r\nn=5\r\nbig=" + std::string(32001, '7') +
                    "\r\n");
    EXPECT_EQ(logLines, Texts{"var.dat: 3 variables not loaded (the table is full, or their "
                              "names or values are too long): kept in the file as they are"});
}

TEST_F(Variables, AKeptEntryGivesWayOnlyToAVariableTheTableSaves) {
    const std::string longValue(32001, 'v');
    fake.files.put(kVarDat, "[String]\r\na=" + longValue + "\r\nb=" + longValue +
                                "\r\nc=" + longValue + "\r\nd=" + longValue +
                                "\r\n[Integer]\r\ne=" + longValue + "\r\n");
    load();
    vars.storeStr("A", "new");       // other case
    vars.storeInt("b", 1);           // other section
    vars.storeTempStr("c", "temp");  // not saved
    vars.storeStr("d", longValue);   // not saved either
    logLines.clear();
    ASSERT_TRUE(save());
    EXPECT_EQ(fake.files.contents(kVarDat), kPresetsOnly + "A=new\r\nc=" + longValue +
                                                "\r\nd=" + longValue +
                                                "\r\n[Integer]\r\nb=1\r\ne=" + longValue + "\r\n");
    EXPECT_EQ(logLines,
              (Texts{"Variable \"d\" not saved: its value is too long for var.dat",
                     "Variable \"a\" kept in var.dat as it was is dropped: the table saves a "
                     "variable of that name",
                     "Variable \"b\" kept in var.dat as it was is dropped: the table saves a "
                     "variable of that name"}));
}

TEST_F(Variables, ALaterLoadForgetsWhatTheEarlierOneKept) {
    const std::string withKept = "[String]\r\nx=" + std::string(32001, 'x') + "\r\n";
    const std::pair<std::string, std::optional<std::string>> next[] = {
        {"a second file", "[String]\r\ny=1\r\n"},
        {"a damaged file", std::string("[String]\r\ny=\x01\r\n")},
        {"no file", std::nullopt}};
    for (const auto& [what, bytes] : next) {
        fake.files.put(kVarDat, withKept);
        load();
        if (bytes)
            fake.files.put(kVarDat, *bytes);
        else
            fake.files.deleteFile(kVarDat);
        load();
        ASSERT_TRUE(save()) << what;
        EXPECT_EQ(fake.files.contents(kVarDat),
                  kPresetsOnly + (what == "a second file" ? "y=1\r\n" : ""))
            << what;
    }
}

TEST_F(Variables, WhatTheFileCannotHoldIsSkippedAndLogged) {
    const Texts bad = {"a=b",
                       "line\r\nbreak",
                       "lf\nonly",
                       "[section]",
                       ";comment",
                       " lead",
                       "trail\t",
                       "",
                       std::string("nul\0byte", 8),
                       std::string(32001, 'n')};
    for (const auto& name : bad) ASSERT_TRUE(vars.storeStr(name, "v"));
    // Line breaks in values become blanks, never further variables.
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"in]side", "ok"},
             {"inner blank", "ok"},
             {"Year", "first"},
             {"year", "second"},
             {"nl", "\r\n"},
             {"forged", "x\r\n[Integer]\r\nevil=1\r\nver=0"},
             {"lf", "a\nb\rc"}})
        vars.storeStr(name, value);
    vars.storeInt("good", 1);
    vars.storeInt("YEAR", 5);  // another section: no clash with "Year"
    const std::string longest(32000, 'x');
    vars.storeStr("fits", longest);
    vars.storeStr("too long", longest + "x");
    const VarTable back = roundTrip();
    EXPECT_EQ(back.count(), 11);
    EXPECT_EQ(texts(back, {"good", "in]side", "inner blank", "Year", "year", "YEAR", "nl", "forged",
                           "lf", "evil", "ver", "too long"}),
              (Texts{"1", "ok", "ok", "first", "-", "5", "  ", "x  [Integer]  evil=1  ver=0",
                     "a b c", "-", std::string(kVersionText), "-"}));
    EXPECT_TRUE(back.text("fits") == longest);
    EXPECT_EQ(logLines.size(), bad.size() + 5);
    for (const auto& line : logLines) {
        EXPECT_TRUE(line.find("not saved") != std::string::npos ||
                    line.find("line breaks saved as blanks") != std::string::npos)
            << line;
        EXPECT_EQ(line.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    }
    const auto logged = [&](const std::string& text) {
        return std::count_if(logLines.begin(), logLines.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    };
    EXPECT_EQ(logged("Variable \"year\" not saved: var.dat holds a variable of that name in "
                     "other case"),
              1);
    EXPECT_EQ(logged("Variable \"too long\" not saved: its value is too long for var.dat"), 1);
    // One line a variable, however many breaks its value had.
    for (const char* name : {"nl", "forged", "lf"})
        EXPECT_EQ(logged("Variable \"" + std::string(name) + "\": line breaks saved as blanks"), 1)
            << name;
}

TEST_F(Variables, WrittenAndReadAsTheSystemsProfileFunctionsDo) {
    // Values that reading would change are quoted, and so is a no-break space at an end.
    for (const auto& [name, value] :
         std::vector<std::pair<std::string, std::string>>{{"nbsp", "\xA0x\xA0"},
                                                          {"pad", " p "},
                                                          {"tab", "\tt"},
                                                          {"dq", "\"q\""},
                                                          {"sq", "'s'"},
                                                          {"half", "\"h"},
                                                          {"eq", "=a;b"},
                                                          {"empty", ""},
                                                          {"ctl", "a\x01\x1A"}})
        vars.storeStr(name, value);
    vars.storeInt("n", -5);
    ASSERT_TRUE(save());
    EXPECT_EQ(fake.files.contents(kVarDat),
              kPresetsOnly +
                  "nbsp=\"\xA0x\xA0\"\r\npad=\" p \"\r\ntab=\"\tt\"\r\ndq=\"\"q\"\"\r\n"
                  "sq=\"'s'\"\r\nhalf=\"h\r\neq==a;b\r\nempty=\r\nctl=\"a  \"\r\n"
                  "[Integer]\r\nn=-5\r\n");

    // A file as others write it: names and sections in any case, blanks around names and
    // values, quotes, comments, stray lines; the first of a name wins.
    fake.files.put(kVarDat,
                   "\xEF\xBB\xBF; saved by hand\r\n[ string ]\r\n  a  =  spaced  \r\n"
                   "\xA0nb\xA0=\xA0v\xA0\r\nq=\"  kept  \"\r\nDup=first\r\ndup=second\r\n"
                   "=nameless\r\nno equals\r\n;c=comment\r\ntabbed\t=\tx\ty\t\r\nempty=\r\n"
                   "[INTEGER]\r\ni = \"42\"\r\nj=-0\r\nk=12abc\r\n\x1A");
    load();
    EXPECT_EQ(vars.count(), 11);
    EXPECT_EQ(texts(vars, {"a", "\xA0nb\xA0", "q", "Dup", "dup", "", "no equals", ";c", "tabbed",
                           "empty", "i", "j", "k"}),
              (Texts{"spaced", "\xA0v\xA0", "  kept  ", "first", "-", "-", "-", "-", "x\ty", "",
                     "42", "0", "0"}));
    EXPECT_TRUE(logLines.empty());
}

TEST_F(Variables, AFileThatCannotBeReadIsLeftAloneAndNotWrittenThisSession) {
    const std::string old = "[String]\r\nkept=1\r\n";
    for (const bool folder : {false, true}) {
        test::FakePlatform other;
        Log otherLog{other.platform()};
        std::vector<std::string> lines;
        otherLog.setMirror([&](const std::string& line) { lines.push_back(line); });
        if (folder) {
            ASSERT_TRUE(other.files.createDirectories(kVarDat));
        } else {
            other.files.put(kVarDat, old);
            other.files.makeUnreadable(kVarDat);
        }
        VarTable table;
        table.load(other.platform(), kVarDat, otherLog);
        EXPECT_EQ(table.count(), 2);
        table.storeStr("new", "x");
        EXPECT_FALSE(table.save(other.platform(), kVarDat, otherLog));
        EXPECT_FALSE(table.save(other.platform(), kVarDat, otherLog));  // the backup timer's turn
        EXPECT_EQ(other.files.has(kVarDat), !folder);
        if (!folder) {
            EXPECT_EQ(other.files.contents(kVarDat), old);
        }
        const std::string reason = folder ? "a folder is in its place" : "Access is denied.";
        const std::string refused =
            "Variables not saved: C:\\QBX\\var.dat could not be read at start";
        EXPECT_EQ(lines, (Texts{"Cannot read C:\\QBX\\var.dat (" + reason +
                                    "): left as it is and not written this session",
                                refused, refused}))
            << reason;
    }
}

TEST_F(Variables, ADamagedFileIsKeptAsideUnderAFreeNameBeforeItIsWritten) {
    const std::string huge = "[String]\r\nx=" + std::string(IniFile::kMaxFileBytes, 'x');
    const std::pair<std::string, std::string> damaged[] = {
        {std::string("[String]\r\na=1\0\r\n", 15), "holds byte 0x00 at offset 13"},
        {"[String]\r\nb=\x01\x02\r\n", "holds byte 0x01 at offset 12"},
        {"[String]\r\n\x1A\r\nc=1\r\n", "holds byte 0x1A at offset 10"},  // not at the end
        {huge, "longer than 16777216 bytes"}};
    fake.files.put(kVarDat + ".bad", "from an earlier session");
    int next = 2;
    for (const auto& [bytes, reason] : damaged) {
        fake.files.put(kVarDat, bytes);
        vars.storeStr("earlier", "x");
        load();
        EXPECT_EQ(vars.count(), 2) << reason;
        const std::string aside = kVarDat + ".bad" + std::to_string(next++);
        EXPECT_TRUE(fake.files.contents(aside) == bytes) << reason;
        ASSERT_FALSE(logLines.empty());
        EXPECT_EQ(logLines.back(), "Damaged C:\\QBX\\var.dat (" + reason + ") kept as " + aside);
        EXPECT_FALSE(fake.files.has(kVarDat));
        ASSERT_TRUE(save());
    }
    EXPECT_EQ(fake.files.contents(kVarDat + ".bad"), "from an earlier session");
    EXPECT_EQ(fake.files.contents(kVarDat), kPresetsOnly);

    // No free name left: the file stays where it is, and so does every kept copy.
    for (int i = next; i <= kMaxKeptAside; ++i)
        fake.files.put(kVarDat + ".bad" + std::to_string(i), "");
    fake.files.put(kVarDat, damaged[0].first);
    logLines.clear();
    load();
    EXPECT_FALSE(save());
    EXPECT_EQ(fake.files.contents(kVarDat), damaged[0].first);
    EXPECT_EQ(fake.files.contents(kVarDat + ".bad2"), damaged[0].first);
    EXPECT_EQ(logLines.front(),
              "Damaged C:\\QBX\\var.dat (holds byte 0x00 at offset 13) cannot be kept aside "
              "(C:\\QBX\\var.dat.bad to C:\\QBX\\var.dat.bad100 are taken): left as it is and "
              "not written this "
              "session");

    // Tabs, line ends of any kind and a closing Ctrl-Z run are what a var.dat may hold.
    fake.files.put(kVarDat, "[String]\r\nt=\ta\tb\t\nu=2\r\x1A\x1A");
    load();
    EXPECT_EQ(texts(vars, {"t", "u"}), (Texts{"a\tb", "2"}));
}

TEST_F(Variables, AFailedSaveIsLoggedWithTheSystemsReasonAndLeavesTheOldFile) {
    const std::string old = "[String]\r\nold=kept\r\n";
    fake.files.put(kVarDat, old);
    vars.storeStr("new", "x");
    fake.files.failWrites = true;
    EXPECT_FALSE(save());
    EXPECT_EQ(fake.files.contents(kVarDat), old);
    EXPECT_EQ(logLines, Texts{"Cannot save variables to C:\\QBX\\var.dat: There is not enough "
                              "space on the disk."});
    Platform none = fake.platform();
    none.files = nullptr;
    EXPECT_FALSE(vars.save(none, kVarDat, log));
    vars.load(none, kVarDat, log);
    EXPECT_EQ(vars.count(), 2);
}

TEST_F(Variables, LoadingRemovesOnlyTheTemporaryFilesOfOurOwnSaves) {
    const Texts ours = {"var.dat.tmp", "var.dat.tmp123.4", "VAR.DAT.TMP99.0"};
    const Texts others = {"var.dat.tmp.bak",  "var.dat.tmpx",    "var.dat.tmp12",
                          "var.dat.tmp1.2.3", "var.dat.tmp.5",   "var.dat.tmp5.",
                          "var.dat.tmp-1.2",  "xvar.dat.tmp1.2", "var.dat.bad",
                          "settings.tmp1.2"};
    for (const auto* names : {&ours, &others})
        for (const std::string& name : *names)
            fake.files.put("C:\\QBX\\" + name, "[String]\r\ns=1\r\n");
    fake.files.put(kVarDat, "[String]\r\nv=1\r\n");
    load();
    for (const std::string& name : ours) EXPECT_FALSE(fake.files.has("C:\\QBX\\" + name)) << name;
    for (const std::string& name : others) EXPECT_TRUE(fake.files.has("C:\\QBX\\" + name)) << name;
    EXPECT_EQ(texts(vars, {"v", "s"}), (Texts{"1", "-"}));
    EXPECT_EQ(logLines, Texts{"Removed 3 stale temporary files of C:\\QBX\\var.dat"});
    logLines.clear();
    load();
    EXPECT_TRUE(logLines.empty());
}

}  // namespace
}  // namespace qbx

namespace qbx {
namespace {

// A value from the message stays one across a restart; the file still reads as before.
TEST_F(Variables, AValueFromTheMessageIsStillOneAfterARestart) {
    vars.storeStr("subject", "..\\boot.ini", true);
    vars.storeInt("length", 12, true);
    vars.storeStr("mine", "C:\\notes.ini");
    vars.storeTempStr("temp", "x", true);  // temporary: not in the file at all
    ASSERT_TRUE(save());
    EXPECT_EQ(fake.files.contents(kVarDat),
              "[String]\r\nver=" + std::string(kVersionText) +
                  "\r\nAuthor=Quilbex team\r\nsubject=..\\boot.ini\r\nmine=C:\\notes.ini\r\n"
                  "[Integer]\r\nlength=12\r\n[FromMessage]\r\nsubject=1\r\nlength=1\r\n");
    VarTable back;
    back.load(fake.platform(), kVarDat, log);
    EXPECT_TRUE(back.fromMessage("subject"));
    EXPECT_TRUE(back.fromMessage("length"));
    EXPECT_FALSE(back.fromMessage("mine"));
    EXPECT_EQ(back.text("subject"), "..\\boot.ini");

    // A file of an earlier version has no such section: its variables are the user's own.
    fake.files.put(kVarDat, "[String]\r\nsubject=x\r\n[Integer]\r\nlength=3\r\n");
    back.load(fake.platform(), kVarDat, log);
    EXPECT_FALSE(back.fromMessage("subject"));
    EXPECT_FALSE(back.fromMessage("length"));
}

TEST_F(Variables, AStoreGivesTheValuesOriginAndAnIncrementKeepsIt) {
    vars.storeStr("p", "from mail", true);
    EXPECT_TRUE(vars.fromMessage("p"));
    vars.storeStr("p", "C:\\mine.ini");
    EXPECT_FALSE(vars.fromMessage("p"));
    vars.storeInt("n", 1, true);
    vars.incInt("n", 1);
    EXPECT_TRUE(vars.fromMessage("n"));
    vars.storeInt("m", 1);
    vars.incInt("m", 5, true);
    EXPECT_TRUE(vars.fromMessage("m"));
    // A String from the message turned into a number by the user's own delta: the text is gone.
    vars.storeStr("s", "mail", true);
    vars.incInt("s", 1);
    EXPECT_FALSE(vars.fromMessage("s"));
    EXPECT_FALSE(vars.fromMessage("absent"));
}

// An entry the table could not take keeps its origin when it is written back.
TEST_F(Variables, AKeptEntryKeepsItsOrigin) {
    std::string file = "[String]\r\n";
    for (int i = 0; i < 99; ++i) file += "s" + std::to_string(i) + "=x\r\n";
    file += "[FromMessage]\r\ns98=1\r\ns0=1\r\n";
    fake.files.put(kVarDat, file);
    load();
    EXPECT_TRUE(vars.fromMessage("s0"));
    ASSERT_TRUE(save());
    const std::string saved = fake.files.contents(kVarDat);
    EXPECT_NE(saved.find("[FromMessage]\r\ns0=1\r\ns98=1\r\n"), std::string::npos) << saved;
}

}  // namespace
}  // namespace qbx
