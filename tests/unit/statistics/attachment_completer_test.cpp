// The attachment-part completer over fake files, with the sections arriving as the host hands
// messages to the spam entry point.
#include "statistics/attachment_completer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/ini_file.h"
#include "base/text.h"
#include "base/uu_codec.h"
#include "core/plugin.h"
#include "statistics/spam_entry.h"
#include "statistics/spam_filter.h"
#include "support/fakes.h"

namespace qbx::statistics {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kFolder = "C:\\QBX\\UC\\";
constexpr const char* kIni = "C:\\QBX\\UC\\UC.INI";
// The fake clock's tick 1000 gives the first unique number 1001, 3E9 in hexadecimal.
constexpr const char* kFirstNumber = "3E9";

std::map<std::int32_t, std::string>* current = nullptr;

std::int32_t QBX_STDCALL hostCallback(std::intptr_t, std::int32_t id, char* buffer,
                                      std::int32_t size) {
    const std::string& text = (*current)[id];
    if (buffer == nullptr) return static_cast<std::int32_t>(text.size());
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(size), text.size());
    std::memcpy(buffer, text.data(), n);
    return static_cast<std::int32_t>(n);
}

// A binary with every byte value, zeros and 0xFF included, encoded: five data lines.
std::string sampleBytes() {
    std::string bytes;
    for (int i = 0; i < 200; ++i) bytes += static_cast<char>(i * 37 + 11);
    return bytes;
}

Lines dataLines(const std::string& bytes) {
    Lines lines = splitLines(uuEncodeFile("pic.bin", bytes));
    return Lines(lines.begin() + 1, lines.end() - 2);  // without begin, "`" and end
}

std::string sectionBody(const std::string& sectionLine, const Lines& data) {
    std::string body = "Hi, here comes the next part.\r\n\r\n" + sectionLine + "\r\n";
    for (const std::string& line : data) body += line + "\r\n";
    return body + "\r\n-- \r\nsent by a splitter\r\n";
}

class CommaLocale : public test::FakeLocale {
public:
    char decimalSeparator() override { return ','; }
};

class AttachmentCompleter : public ::testing::Test {
protected:
    void SetUp() override {
        plugin.settings.partsDir = kFolder;
        plugin.settings.attachmentCompleterOn = true;
        plugin.settings.enabledItems = 1;  // an item enabled: the message is looked at
        plugin.log.setMirror([this](const std::string& line) { log.push_back(line); });
        installSpamFilter(plugin);
        installAttachmentCompleter(plugin);
        initUueCompleter(plugin);
        current = &items;
    }
    void TearDown() override { plugin.log.setMirror(nullptr); }

    // The message arrives: the host asks the module for its score.
    void deliver(const std::string& body) {
        items = {{kItemHeader, "Subject: part\r\n"}, {kItemBody, body}, {kItemRawMessage, body}};
        getSpamScore(plugin, 0, hostCallback);
    }
    void deliverPart(int n, int m, const std::string& name, const Lines& data) {
        deliver(sectionBody(
            "section " + std::to_string(n) + " of " + std::to_string(m) + " of file " + name,
            data));
    }
    // The three sections of the sample, as parts 1 .. 3.
    Lines section(int n) const {
        const Lines all = dataLines(sampleBytes());
        const std::size_t from = static_cast<std::size_t>(n - 1) * 2;
        return Lines(all.begin() + from, all.begin() + std::min(from + 2, all.size()));
    }
    IniFile ini() const { return IniFile::parse(fake.files.contents(kIni)); }
    Lines partFiles() { return fake.files.listFiles(kFolder, ".tmp"); }
    bool logged(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    // Every file the fake holds lies in the parts folder.
    bool allInsideFolder() {
        for (const char* outside : {"C:\\", "C:\\QBX\\", "C:\\Windows\\"})
            if (!fake.files.listFiles(outside, "").empty()) return false;
        return true;
    }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
    std::map<std::int32_t, std::string> items;
    Lines log;
};

TEST_F(AttachmentCompleter, APartIsKeptInItsOwnFileAndRegistered) {
    const Lines two = {"M" + std::string(60, '0'), "M" + std::string(60, '1')};
    deliverPart(2, 3, "pic.jpg", two);
    EXPECT_TRUE(logged("UUE completer is initialized"));
    EXPECT_TRUE(logged("Adding 126 bytes [2/3] of pic.jpg"));
    EXPECT_TRUE(logged("-++---- is UUE"));
    const std::string partFile = std::string(kFolder) + "pic" + kFirstNumber + ".tmp";
    EXPECT_EQ(fake.files.contents(kIni),
              "[PendingFiles]\r\nCount=1\r\npic.jpg=1\r\n"
              "[pic.jpg]\r\nCount=3\r\nCurrentCount=1\r\nDateStamp=45000.5\r\n2=" +
                  partFile + "\r\n");
    EXPECT_EQ(fake.files.contents(partFile), two[0] + "\r\n" + two[1] + "\r\n");

    // The next part never takes a name that exists.
    deliverPart(3, 3, "pic.jpg", two);
    EXPECT_EQ(partFiles(), (Lines{"pic3e9.tmp", "pic3ea.tmp"}));
    EXPECT_EQ(ini().getString("PendingFiles", "Count", ""), "1");
    EXPECT_EQ(ini().getString("pic.jpg", "CurrentCount", ""), "2");
}

TEST_F(AttachmentCompleter, PartsInAnyOrderAssembleIntoTheFileByteForByte) {
    const std::vector<std::vector<int>> orders = {{1, 2, 3}, {3, 1, 2}, {2, 3, 1}};
    for (const auto& order : orders) {
        SCOPED_TRACE(order[0]);
        for (int n : order) deliverPart(n, 3, "pic.bin", section(n));
        completePendingUue(plugin, true);
        EXPECT_TRUE(logged("assembling pic.bin"));
        EXPECT_EQ(fake.files.contents(std::string(kFolder) + "pic.bin"), sampleBytes());
        EXPECT_FALSE(fake.files.has(std::string(kFolder) + "pic.bin.uue"));
        EXPECT_EQ(partFiles(), Lines{});
        EXPECT_EQ(ini().keyNames("PendingFiles"), Lines{"Count"});
        EXPECT_EQ(ini().getString("PendingFiles", "Count", ""), "0");
        EXPECT_FALSE(ini().hasSection("pic.bin"));
        fake.files.deleteFile(std::string(kFolder) + "pic.bin");
    }
    // Kept on request: the data lines without empty lines, each ended by CR LF.
    for (int n : {1, 2, 3}) deliverPart(n, 3, "pic.bin", section(n));
    completePendingUue(plugin, false);
    std::string text;
    for (const std::string& line : dataLines(sampleBytes())) text += line + "\r\n";
    EXPECT_EQ(fake.files.contents(std::string(kFolder) + "pic.bin.uue"), text);
}

TEST_F(AttachmentCompleter, ARepeatedPartCountsAgainAndTheSetWaitsForTheRecount) {
    for (int n : {1, 2, 2, 3}) deliverPart(n, 3, "pic.bin", section(n));
    EXPECT_EQ(ini().getString("PendingFiles", "pic.bin", ""), "4");
    EXPECT_EQ(ini().getString("pic.bin", "CurrentCount", ""), "4");
    completePendingUue(plugin, true);
    EXPECT_FALSE(fake.files.has(std::string(kFolder) + "pic.bin"));
    EXPECT_EQ(ini().getString("pic.bin", "CurrentCount", ""), "3");
    completePendingUue(plugin, true);
    EXPECT_EQ(fake.files.contents(std::string(kFolder) + "pic.bin"), sampleBytes());
    EXPECT_EQ(partFiles().size(), 1u);  // the first copy of part 2, which no key names
}

TEST_F(AttachmentCompleter, ASetWithAPartMissingIsNotAssembled) {
    deliverPart(1, 3, "pic.bin", section(1));
    deliverPart(3, 3, "pic.bin", section(3));
    completePendingUue(plugin, true);
    EXPECT_FALSE(fake.files.has(std::string(kFolder) + "pic.bin"));
    EXPECT_EQ(ini().getString("pic.bin", "CurrentCount", ""), "2");

    // A part file that went away is recounted and its key dropped.
    fake.files.deleteFile(ini().getString("pic.bin", "3", ""));
    completePendingUue(plugin, true);
    EXPECT_EQ(ini().getString("pic.bin", "CurrentCount", ""), "1");
    EXPECT_EQ(ini().get("pic.bin", "3"), std::nullopt);

    // Counts that agree are not enough: every part must name a file.
    fake.files.put(kIni,
                   "[PendingFiles]\r\nCount=1\r\nx.bin=3\r\n"
                   "[x.bin]\r\nCount=3\r\nCurrentCount=3\r\n1=C:\\QBX\\UC\\a.tmp\r\n"
                   "2=C:\\QBX\\UC\\b.tmp\r\n");
    fake.files.put("C:\\QBX\\UC\\a.tmp", section(1)[0]);
    fake.files.put("C:\\QBX\\UC\\b.tmp", section(1)[1]);
    completePendingUue(plugin, true);
    EXPECT_FALSE(fake.files.has(std::string(kFolder) + "x.bin"));
    EXPECT_EQ(ini().getString("x.bin", "CurrentCount", ""), "2");
}

TEST_F(AttachmentCompleter, NamesAndNumbersFromTheMailCannotReachOutsideTheFolder) {
    struct Case {
        std::string sectionLine;
        std::string keptAs;  // empty: nothing kept
        std::string logLine;
    };
    const std::vector<Case> cases = {
        {"section 1 of 2 of file ..\\..\\x", "x", "Adding 126 bytes [1/2] of x"},
        {"section 1 of 2 of file CON", "", "UUE part of an unusable file name ignored: CON"},
        {"section 1 of 2 of file CONIN$", "", "UUE part of an unusable file name ignored: CONIN$"},
        {"section 1 of 2 of file conout$.txt", "",
         "UUE part of an unusable file name ignored: conout$.txt"},
        {"section 1 of 2 of file a:b", "", "UUE part of an unusable file name ignored: a:b"},
        {"section 1 of 2 of file x]y", "", "UUE part of an unusable file name ignored: x]y"},
        {"section 1 of 2 of file Count", "", "UUE part of an unusable file name ignored: Count"},
        {"section 1 of 2 of file \"\"", "", "UUE part of an unusable file name ignored: \"\""},
        {"section 4 of 3 of file n.bin", "", "UUE part [4/3] of n.bin ignored"},
        {"section 1 of 10000 of file n.bin", "", "UUE part [1/10000] of n.bin ignored"},
        {"section 1 of 1 of file n.bin", "", ""},
        {"section 0 of 2 of file n.bin", "", ""},
        {"section 1 of 2 of", "", ""},
    };
    const Lines data = {"M" + std::string(60, '0'), "M" + std::string(60, '1')};
    for (const Case& c : cases) {
        fake.files.deleteFile(kIni);
        log.clear();
        deliver(sectionBody(c.sectionLine, data));
        EXPECT_FALSE(logged("2.d")) << c.sectionLine;
        EXPECT_TRUE(allInsideFolder()) << c.sectionLine;
        if (!c.logLine.empty()) {
            EXPECT_TRUE(logged(c.logLine)) << c.sectionLine;
        }
        if (c.keptAs.empty()) {
            EXPECT_FALSE(fake.files.has(kIni)) << c.sectionLine;
        } else {
            EXPECT_EQ(ini().keyNames("PendingFiles"), (Lines{"Count", c.keptAs}));
        }
    }
}

TEST_F(AttachmentCompleter, AFailureToStoreReachesTheEntryPointsGuard) {
    fake.files.failCreateFile = true;
    deliverPart(1, 3, "pic.bin", section(1));
    EXPECT_TRUE(logged("2.d"));
    EXPECT_FALSE(logged("-++---- is UUE"));

    fake.files.failCreateFile = false;
    fake.files.unwritableFolders.push_back("c:\\qbx\\new");
    plugin.settings.partsDir = "C:\\QBX\\New\\";
    EXPECT_THROW(initUueCompleter(plugin), std::runtime_error);
    // The disabled mode's start has no folder: nothing to do, nothing to say.
    plugin.settings.partsDir.clear();
    log.clear();
    EXPECT_NO_THROW(initUueCompleter(plugin));
    EXPECT_TRUE(log.empty());
}

TEST_F(AttachmentCompleter, AnUnreadablePartIsLoggedAndLeftOut) {
    for (int n : {1, 2, 3}) deliverPart(n, 3, "pic.bin", section(n));
    const std::string second = ini().getString("pic.bin", "2", "");
    fake.files.makeUnreadable(second);
    completePendingUue(plugin, true);
    EXPECT_TRUE(logged("Error opening [" + second + "] of pic.bin"));
    const std::string bytes = sampleBytes();
    EXPECT_EQ(fake.files.contents(std::string(kFolder) + "pic.bin"),
              bytes.substr(0, 90) + bytes.substr(180));
    EXPECT_FALSE(ini().hasSection("pic.bin"));
}

TEST_F(AttachmentCompleter, AnEditedIniNamesNothingOutsideTheFolder) {
    fake.files.put("C:\\Windows\\win.ini", "keep");
    fake.files.put(kIni,
                   "[PendingFiles]\r\nCount=2\r\n..\\evil=1\r\nw.bin=1\r\n"
                   "[..\\evil]\r\nCount=2\r\nCurrentCount=2\r\n1=C:\\QBX\\UC\\a.tmp\r\n"
                   "2=C:\\QBX\\UC\\a.tmp\r\n"
                   "[w.bin]\r\nCount=1\r\nCurrentCount=1\r\n1=C:\\Windows\\win.ini\r\n");
    fake.files.put("C:\\QBX\\UC\\a.tmp", section(1)[0]);
    completePendingUue(plugin, true);
    removeOlderUueParts(plugin, 0);
    EXPECT_EQ(fake.files.contents("C:\\Windows\\win.ini"), "keep");
    EXPECT_FALSE(fake.files.has("C:\\QBX\\evil"));
    EXPECT_EQ(ini().keyNames("PendingFiles"), Lines{"Count"});
}

TEST_F(AttachmentCompleter, SetsGoAfterWholeDays) {
    struct Case {
        std::string stamp;
        bool removed;
    };
    // Now is 45000.5.
    const std::vector<Case> cases = {
        {"44986.5", true},              // 14 days
        {"44986,5", true},              // written where the separator is a comma
        {"44986.541666666667", false},  // 13 days 23 hours
        {"45014.5", true},              // 14 days ahead: the difference counts
        {"not a date", false},          // read as now
        {"", false},
    };
    for (const Case& c : cases) {
        fake.files.put("C:\\QBX\\UC\\old1.tmp", "x");
        fake.files.put(kIni,
                       "[PendingFiles]\r\nCount=1\r\nold.bin=1\r\n[old.bin]\r\nCount=2\r\n"
                       "CurrentCount=1\r\nDateStamp=" +
                           c.stamp + "\r\n1=C:\\QBX\\UC\\old1.tmp\r\n");
        removeOlderUueParts(plugin, 14);
        EXPECT_EQ(fake.files.has("C:\\QBX\\UC\\old1.tmp"), !c.removed) << c.stamp;
        EXPECT_EQ(ini().hasSection("old.bin"), !c.removed) << c.stamp;
        EXPECT_EQ(ini().getString("PendingFiles", "Count", ""), c.removed ? "0" : "1") << c.stamp;
    }
}

TEST_F(AttachmentCompleter, TheStampIsWrittenWithTheLocalesSeparatorAndReadWithEither) {
    CommaLocale comma;
    plugin.platform.locale = &comma;
    fake.clock.dateTime = 45000.25;
    deliverPart(1, 2, "pic.bin", section(1));
    EXPECT_EQ(ini().getString("pic.bin", "DateStamp", ""), "45000,25");
    plugin.platform.locale = &fake.locale;
    fake.clock.dateTime = 45014.25;
    removeOlderUueParts(plugin, 15);
    EXPECT_TRUE(ini().hasSection("pic.bin"));
    removeOlderUueParts(plugin, 14);
    EXPECT_FALSE(ini().hasSection("pic.bin"));
    EXPECT_EQ(partFiles(), Lines{});
}

TEST_F(AttachmentCompleter, ALaterSetOfANameThatIsThereInAnyCaseKeepsBothFiles) {
    const std::string first = std::string(kFolder) + "pic.bin";
    const auto assembleSet = [&](const std::string& name) {
        for (int n : {1, 2, 3}) deliverPart(n, 3, name, section(n));
        completePendingUue(plugin, true);
    };
    assembleSet("pic.bin");
    fake.files.put(first, "the first file, edited since");
    assembleSet("PIC.BIN");
    EXPECT_EQ(fake.files.contents(first), "the first file, edited since");
    EXPECT_EQ(fake.files.contents(std::string(kFolder) + "pic (2).bin"), sampleBytes());
    EXPECT_TRUE(logged("PIC.BIN is there already: the new one is kept as PIC (2).BIN"));
    assembleSet("pic.bin");
    EXPECT_EQ(fake.files.contents(std::string(kFolder) + "pic (3).bin"), sampleBytes());
    EXPECT_FALSE(fake.files.has(std::string(kFolder) + "pic (3).bin.uue"));

    // A folder in the way counts as taken; a name without extension gets the number at its end.
    fake.files.createDirectories(std::string(kFolder) + "readme");
    assembleSet("readme");
    EXPECT_EQ(fake.files.contents(std::string(kFolder) + "readme (2)"), sampleBytes());
    EXPECT_EQ(partFiles(), Lines{});
    EXPECT_EQ(ini().keyNames("PendingFiles"), Lines{"Count"});
}

TEST_F(AttachmentCompleter, ASetThatCannotBeWrittenIsLoggedAndStaysWhileTheOthersAreAssembled) {
    // The decoded file's own path, or only its text's, is past the system's limit.
    fake.files.maxPathBytes = 60;
    for (const std::size_t nameBytes : {std::size_t{55}, std::size_t{48}}) {
        SCOPED_TRACE(nameBytes);
        const std::string name = std::string(nameBytes - 4, 'a') + ".bin";
        log.clear();
        for (int n : {1, 2, 3}) deliverPart(n, 3, name, section(n));
        for (int n : {1, 2, 3}) deliverPart(n, 3, "pic.bin", section(n));
        completePendingUue(plugin, true);
        const bool failed = std::any_of(log.begin(), log.end(), [&](const std::string& line) {
            return line.rfind("Cannot assemble " + name + ": cannot write", 0) == 0 ||
                   line.rfind("Cannot assemble " + name + ": cannot create", 0) == 0;
        });
        EXPECT_TRUE(failed);
        EXPECT_EQ(fake.files.contents(std::string(kFolder) + "pic.bin"), sampleBytes());
        EXPECT_FALSE(fake.files.has(std::string(kFolder) + name));
        EXPECT_FALSE(fake.files.has(std::string(kFolder) + name + ".uue"));
        // Its parts wait for another try.
        EXPECT_EQ(ini().keyNames("PendingFiles"), (Lines{"Count", name}));
        EXPECT_EQ(ini().getString("PendingFiles", "Count", ""), "1");
        EXPECT_EQ(partFiles().size(), 3u);
        fake.files.deleteFile(std::string(kFolder) + "pic.bin");
        removeOlderUueParts(plugin, 0);
    }
}

TEST_F(AttachmentCompleter, ASetThatClaimsThousandsOfPartsCostsOnlyThePartsItHas) {
    for (int set = 0; set < 10; ++set)
        deliverPart(1, 9999, "big" + std::to_string(set) + ".bin", section(1));
    fake.files.readFileCalls = fake.files.existenceChecks = fake.files.atomicWrites = 0;
    completePendingUue(plugin, true);
    EXPECT_EQ(fake.files.readFileCalls, 1);
    EXPECT_LE(fake.files.existenceChecks, 20);
    EXPECT_LE(fake.files.atomicWrites, 1);
    EXPECT_EQ(ini().getString("big9.bin", "CurrentCount", ""), "1");

    fake.files.readFileCalls = fake.files.existenceChecks = 0;
    removeOlderUueParts(plugin, 0);
    EXPECT_EQ(fake.files.readFileCalls, 1);
    EXPECT_LE(fake.files.existenceChecks, 20);
    EXPECT_EQ(partFiles(), Lines{});
    EXPECT_EQ(ini().getString("PendingFiles", "Count", ""), "0");
}

TEST_F(AttachmentCompleter, EachPartReadsUcIniOnceAndWritesItOnceWhateverItHolds) {
    std::string many = "[PendingFiles]\r\nCount=300\r\n";
    for (int set = 0; set < 300; ++set) many += "s" + std::to_string(set) + ".bin=1\r\n";
    for (int set = 0; set < 300; ++set)
        many += "[s" + std::to_string(set) +
                ".bin]\r\nCount=2\r\nCurrentCount=1\r\nDateStamp=45000.5\r\n1=C:\\QBX\\UC\\s" +
                std::to_string(set) + ".tmp\r\n";
    fake.files.put(kIni, many);
    fake.files.readFileCalls = fake.files.atomicWrites = 0;
    addUuePart(plugin, sectionBody("section 2 of 2 of file s7.bin", section(2)));
    EXPECT_EQ(fake.files.readFileCalls, 1);
    EXPECT_EQ(fake.files.atomicWrites, 1);
    // Edited in place: the other sets as they were, in their order and form.
    const std::string partFile = std::string(kFolder) + "s7." + kFirstNumber + ".tmp";
    std::string expected = many;
    expected.replace(expected.find("s7.bin=1"), 8, "s7.bin=2");
    const std::string sevenOld =
        "[s7.bin]\r\nCount=2\r\nCurrentCount=1\r\nDateStamp=45000.5\r\n1=C:\\QBX\\UC\\s7.tmp\r\n";
    expected.replace(expected.find(sevenOld), sevenOld.size(),
                     "[s7.bin]\r\nCount=2\r\nCurrentCount=2\r\nDateStamp=45000.5\r\n"
                     "1=C:\\QBX\\UC\\s7.tmp\r\n2=" +
                         partFile + "\r\n");
    EXPECT_EQ(fake.files.contents(kIni), expected);
    EXPECT_EQ(fake.files.contents(partFile), section(2)[0] + "\r\n" + section(2)[1] + "\r\n");

    // A part whose "UC.INI" cannot be written leaves no part file that nothing names.
    fake.files.failWrites = true;
    EXPECT_THROW(addUuePart(plugin, sectionBody("section 1 of 2 of file n.bin", section(1))),
                 std::runtime_error);
    EXPECT_EQ(partFiles(), Lines{"s7.3e9.tmp"});
}

TEST_F(AttachmentCompleter, APartsFolderThatIsTheScriptsFolderIsRefused) {
    plugin.settings.scriptsDir = "c:\\qbx\\uc";
    const std::string refused =
        "UUE completer refused: its folder C:\\QBX\\UC\\ is the scripts folder";
    log.clear();
    initUueCompleter(plugin);
    EXPECT_TRUE(logged(refused));
    EXPECT_FALSE(logged("UUE completer is initialized"));

    deliverPart(1, 2, "x.s", section(1));
    deliverPart(2, 2, "x.s", section(2));
    EXPECT_EQ(fake.files.listFiles(kFolder, ""), Lines{});
    // A set found there is neither assembled nor removed.
    const std::string complete =
        "[PendingFiles]\r\nCount=1\r\nx.s=2\r\n[x.s]\r\nCount=2\r\nCurrentCount=2\r\n"
        "1=C:\\QBX\\UC\\a.tmp\r\n2=C:\\QBX\\UC\\b.tmp\r\n";
    fake.files.put(kIni, complete);
    fake.files.put("C:\\QBX\\UC\\a.tmp", section(1)[0]);
    fake.files.put("C:\\QBX\\UC\\b.tmp", section(1)[1]);
    completePendingUue(plugin, true);
    removeOlderUueParts(plugin, 0);
    EXPECT_FALSE(fake.files.has("C:\\QBX\\UC\\x.s"));
    EXPECT_EQ(fake.files.contents(kIni), complete);
}

// "UC.INI" that could not be read whole goes aside, unchanged, before it is written: what the
// module read of it, and the new part, go on in its place.
TEST_F(AttachmentCompleter, AnIniNotReadWholeIsKeptAsideBeforeItIsWritten) {
    const std::string records =
        "[PendingFiles]\r\nCount=1\r\nold.bin=1\r\n[old.bin]\r\nCount=2\r\nCurrentCount=1\r\n"
        "DateStamp=45000.5\r\n1=C:\\QBX\\UC\\old.tmp\r\n";
    struct Case {
        std::string file;
        bool unreadable;
        std::string reason;
        bool recordsKept;
        const char* suffix;  // sound but more than the document takes, or not readable
    };
    const std::vector<Case> cases = {
        {records + "note=" + std::string(70000, 'x') + "\r\n", false,
         "a line longer than 65536 bytes", true, ".full"},
        {records + std::string(IniFile::kMaxFileBytes, ';'), false, "longer than 16777216 bytes",
         false, ".full"},
        {records, true, "Access is denied.", false, ".bad"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        for (const std::string& name : fake.files.listFiles(kFolder, ""))
            fake.files.deleteFile(kFolder + name);
        fake.files.unreadableFiles.clear();
        log.clear();
        fake.files.put(kIni, c.file);
        if (c.unreadable) fake.files.makeUnreadable(kIni);
        deliverPart(1, 2, "pic.bin", section(1));
        EXPECT_TRUE(logged(std::string(kIni) + " could not be read whole (" + c.reason +
                           "): kept as " + kIni + c.suffix));
        EXPECT_TRUE(fake.files.contents(std::string(kIni) + c.suffix) == c.file);
        EXPECT_EQ(ini().getString("pic.bin", "CurrentCount", ""), "1");
        EXPECT_EQ(ini().hasSection("old.bin"), c.recordsKept);
        EXPECT_EQ(ini().getString("PendingFiles", "Count", ""), c.recordsKept ? "2" : "1");
    }

    // Removing and assembling keep it aside too, beside what was kept before.
    fake.files.unreadableFiles.clear();
    fake.files.put(kIni, cases[0].file);
    removeOlderUueParts(plugin, 1);
    EXPECT_TRUE(fake.files.contents(std::string(kIni) + ".full") == cases[0].file);
    EXPECT_TRUE(ini().hasSection("old.bin"));
    fake.files.put(kIni, cases[0].file);
    completePendingUue(plugin, true);
    EXPECT_TRUE(fake.files.contents(std::string(kIni) + ".full2") == cases[0].file);
    EXPECT_TRUE(fake.files.contents(std::string(kIni) + ".bad") == cases[2].file);

    // A part that cannot be stored still leaves what was read in the file's place.
    fake.files.put(kIni, cases[0].file);
    fake.files.failCreateFile = true;
    deliverPart(2, 2, "pic.bin", section(2));
    EXPECT_TRUE(logged("2.d"));
    EXPECT_TRUE(fake.files.contents(std::string(kIni) + ".full3") == cases[0].file);
    EXPECT_TRUE(ini().hasSection("old.bin"));
}

TEST_F(AttachmentCompleter, AnIniThatCannotBeKeptAsideIsNotWritten) {
    const std::string file =
        "[PendingFiles]\r\nCount=1\r\nold.bin=1\r\n[old.bin]\r\nCount=2\r\n"
        "CurrentCount=2\r\nDateStamp=40000\r\nlong=" +
        std::string(70000, 'x') + "\r\n";
    fake.files.put(kIni, file);
    fake.files.put(std::string(kIni) + ".full", "kept before");
    for (int i = 2; i <= 100; ++i)
        fake.files.put(std::string(kIni) + ".full" + std::to_string(i), "");
    deliverPart(1, 2, "pic.bin", section(1));
    EXPECT_TRUE(logged("2.d"));
    EXPECT_TRUE(logged(std::string(kIni) + " could not be read whole (a line longer than 65536 " +
                       "bytes) nor kept aside (" + kIni + ".full to " + kIni +
                       ".full100 are taken): it is not written"));
    removeOlderUueParts(plugin, 0);
    completePendingUue(plugin, true);
    EXPECT_TRUE(fake.files.contents(kIni) == file);
    EXPECT_EQ(fake.files.contents(std::string(kIni) + ".full"), "kept before");
    EXPECT_EQ(partFiles(), Lines{});
}

}  // namespace
}  // namespace qbx::statistics
