// The file, INI and registry macros through the dispatcher: over fakes for what the machine
// would decide, and over the build's real file services for files with Cyrillic names.
#include "functions/files/files_macros.h"

#include <filesystem>
#include <string>

#include "macros/arguments.h"
#include "platform/file_info.h"
#include "support/macro_fixture.h"

namespace qbx::test {
namespace {

namespace fs = std::filesystem;

// "Отчёт" and "Папка" in code page 1251.
const std::string kReport = "\xCE\xF2\xF7\xB8\xF2";
const std::string kFolder = "\xCF\xE0\xEF\xEA\xE0";

class FilesMacros : public MacroFixture {};

// A fresh folder of the machine, and the build's real file and INI services pointed at it.
class FilesOnDisk : public MacroFixture {
protected:
    FilesOnDisk() {
        const Platform real = systemPlatform();
        plugin.platform.fileInfo = real.fileInfo;
        plugin.platform.profiles = real.profiles;
        files = real.files;
        fs::create_directories(root);
    }
    ~FilesOnDisk() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    void put(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(files->writeFileAtomic(folder + "\\" + name, bytes)) << name;
    }
    void makeFolder(const std::string& name) {
        ASSERT_TRUE(files->createDirectory(folder + "\\" + name)) << name;
    }
    std::string read(const std::string& name) {
        return files->readFile(folder + "\\" + name, 1 << 20).value_or("<missing>");
    }

    const fs::path root = fs::temp_directory_path() /
                          ("qbx-files-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    const std::string folder = root.string();
    FileSystem* files = nullptr;
};

TEST_F(FilesOnDisk, CountsSumsAndListsFilesWithCyrillicNames) {
    put(kReport + ".txt", "12345");
    put("b.ini", "123");
    put(kFolder + ".dat", "1");
    makeFolder(kFolder);
    makeFolder("sub");
    EXPECT_EQ(run("ZVXFILESCOUNT", {folder, ""}), "3");
    EXPECT_EQ(run("ZVXFILESCOUNT", {folder + "\\", "*.TXT"}), "1");
    EXPECT_EQ(run("ZVXFILESCOUNT", {folder, kFolder + "*"}), "1");
    EXPECT_EQ(run("ZVXFILESSIZE", {"B", "\"" + folder + "\"", "", "U"}), "9 b");
    EXPECT_EQ(run("ZVXFILESSIZE", {"K", folder, "*.ini", ""}), "0");
    // Names in the order the system lists them: compared as a set.
    std::string list = run("ZVXFILESLIST", {folder, "*.*"});
    EXPECT_EQ(list.size(), kReport.size() + 4 + 2 + 5 + 2 + kFolder.size() + 4);
    for (const std::string& name : {kReport + ".txt", std::string("b.ini"), kFolder + ".dat"})
        EXPECT_NE(list.find(name), std::string::npos) << name;
    EXPECT_NE(list.substr(list.size() - 2), "\r\n");
    EXPECT_EQ(run("ZVXFILESLIST", {"\"" + folder + "\"", ""}), "");
    EXPECT_EQ(run("ZVXFILESCOUNT", {folder + "\\missing", ""}), "0");
}

TEST_F(FilesOnDisk, IniMacrosReadWriteAndCountInACyrillicFile) {
    const std::string ini = folder + "\\" + kReport + ".ini";
    EXPECT_EQ(run("ZVXINCINIINT", {ini, kFolder, "count"}), "");
    EXPECT_EQ(run("ZVXGETINIINT", {ini, kFolder, "count"}), "1");
    EXPECT_EQ(run("ZVXINCINIINT", {ini, kFolder, "COUNT"}), "");
    EXPECT_EQ(run("ZVXGETINIINT", {ini, kFolder, "count"}), "2");
    EXPECT_EQ(run("ZVXSETINISTR", {ini, "s", "name", kReport + " 1"}), "");
    EXPECT_EQ(run("ZVXGETINISTR", {ini, "S", "NAME"}), kReport + " 1");
    EXPECT_EQ(run("ZVXGETINIINT", {ini, "s", "name"}), "0");
    EXPECT_EQ(run("ZVXSETINIINT", {ini, "s", "n", "-12"}), "");
    EXPECT_EQ(run("ZVXGETINIINT", {ini, "s", "n"}), "-12");
    EXPECT_EQ(run("ZVXGETINISTR", {ini, "s", "absent"}), "");
    EXPECT_EQ(run("ZVXGETINIINT", {folder + "\\none.ini", "s", "n"}), "0");
    const std::string text = read(kReport + ".ini");
    EXPECT_NE(text.find("count=2"), std::string::npos) << text;
}

TEST_F(FilesOnDisk, IncrementReadsHexAndWrapsAtTheTop) {
    const std::string ini = folder + "\\c.ini";
    put("c.ini", "[s]\r\nhex=0x10\r\ntop=2147483647\r\n");
    run("ZVXINCINIINT", {ini, "s", "hex"});
    run("ZVXINCINIINT", {ini, "s", "top"});
    EXPECT_EQ(run("ZVXGETINISTR", {ini, "s", "hex"}), "17");
    EXPECT_EQ(run("ZVXGETINISTR", {ini, "s", "top"}), "-2147483648");
}

TEST_F(FilesMacros, LastLogTurnsLinesIntoCrLfLines) {
    fake.fileInfo.heads["C:\\Temp\\-QBX.log.old"] = FileHead{"one\ntwo\r\nthree", false};
    EXPECT_EQ(run("ZVXLASTLOG"), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(FilesMacros, LastLogMissingAnswersNothingAndSaysWhy) {
    EXPECT_EQ(run("ZVXLASTLOG"), "");
    EXPECT_TRUE(logged("@@ ZVXLASTLOG: cannot read C:\\Temp\\-QBX.log.old"));
}

TEST_F(FilesMacros, LastLogOverTheBoundIsCutAndLoggedOnce) {
    fake.fileInfo.heads["C:\\Temp\\-QBX.log.old"] =
        FileHead{std::string(macros::kMaxParamText, 'x'), true};
    EXPECT_EQ(run("ZVXLASTLOG").size(), macros::kMaxParamText);
    EXPECT_TRUE(logged("@@ ZVXLASTLOG: result cut at 16777216 bytes"));
}

TEST_F(FilesMacros, VersionOrNotAvailable) {
    fake.fileInfo.versions["C:\\a.dll"] = FileVersion{0x00050001, 0x0A280000};
    EXPECT_EQ(run("ZVXFVER", {"C:\\a.dll"}), "5.1.2600.0");
    EXPECT_EQ(run("ZVXFVER", {"C:\\b.txt"}), "n/a");
}

TEST_F(FilesMacros, SizeInUnitsOverFourGigabytes) {
    fake.fileInfo.entries = {{"a", 6'000'000'000ull, false}, {"d", 1, true}};
    const struct {
        std::vector<std::string> args;
        const char* out;
    } rows[] = {
        {{"B", "C:\\x", "", ""}, "6000000000"}, {{"K", "C:\\x", "", "U"}, "5859375 Kb"},
        {{"M", "C:\\x", "", "u"}, "5722"},      {{"G", "C:\\x", "", "Unit"}, "5 Gb"},
        {{"T", "C:\\x", "", ""}, "0"},          {{"g", "C:\\x", "", "U"}, "6000000000 b"},
    };
    for (const auto& row : rows) EXPECT_EQ(run("ZVXFILESSIZE", row.args), row.out) << row.args[0];
}

TEST_F(FilesMacros, FolderKeysGoToTheFolderResultItem) {
    fake.fileInfo.shell[0] = "C:\\Users\\me\\Desktop";
    fake.registryRoots.values[{RegistryRoot::LocalMachine,
                               "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"}] =
        RegValue{RegStatus::Ok, "C:\\Program Files"};
    const struct {
        const char* key;
        const char* folder;
    } rows[] = {
        {"desktop", "C:\\Users\\me\\Desktop"},
        {"Program", "C:\\Program Files"},
        {"COMMON", ""},
        {"cur", "C:\\Mail"},
        {"windows", "C:\\WINDOWS"},
        {"system", "C:\\Windows\\system32\\"},
        {"temp", "C:\\Temp\\"},
        {"fonts", ""},
        {"nothing", "nothing"},
        {"", ""},
    };
    for (const auto& row : rows) {
        data.items.erase(kFolderMacroResultId);
        EXPECT_EQ(call("ZVXGP", {row.key}), kFolderMacroResultId) << row.key;
        EXPECT_EQ(data.items[kFolderMacroResultId], row.folder) << row.key;
    }
    EXPECT_EQ(run("ZVXTEMPPATH"), "C:\\Temp\\");
}

TEST_F(FilesMacros, DriveSpace) {
    fake.fileInfo.drives[3] = DriveSpace{1536, 4096};
    fake.fileInfo.drives[0] = DriveSpace{3 << 20, 4 << 20};
    fake.fileInfo.drives[26] = DriveSpace{0, 0};
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* out;
    } rows[] = {
        {"ZVXDRVFREE", {"K", "c"}, "1"},       {"ZVXDRVFREE", {"B", "C:"}, "1536"},
        {"ZVXDRVFREE", {"P", "C"}, "37.50"},   {"ZVXDRVFREE", {"M", ""}, "3"},
        {"ZVXDRVFREE", {"P", "Z"}, "---"},     {"ZVXDRVFREE", {"P", "Q"}, ""},
        {"ZVXDRVFREE", {"B", "Q"}, ""},        {"ZVXDRVSIZE", {"K", "C"}, "4"},
        {"ZVXDRVSIZE", {"X", "@"}, "4194304"}, {"ZVXDRVSIZE", {"B", "Q"}, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(run(row.name, row.args), row.out)
            << row.name << " " << row.args[0] << row.args[1];
}

TEST_F(FilesMacros, VolumeLabelSerialAndFileSystem) {
    fake.fileInfo.volumes["C:\\"] = VolumeInfo{"SYSTEM", 0x1A2B3C4D, "NTFS"};
    fake.fileInfo.volumes["D:\\"] = VolumeInfo{"", std::nullopt, "CDFS"};
    EXPECT_EQ(run("ZVXVOLNAME", {"C", "none"}), "SYSTEM");
    EXPECT_EQ(run("ZVXVOLNAME", {"D", "none"}), "none");
    EXPECT_EQ(run("ZVXVOLNAME", {"E", "none"}), "none");
    EXPECT_EQ(run("ZVXVOLSNUM", {"C"}), "1A2B-3C4D");
    EXPECT_EQ(run("ZVXVOLSNUM", {"D"}), "");
    EXPECT_EQ(run("ZVXVOLSNUM", {"E"}), "");
    EXPECT_EQ(run("ZVXVOLFS", {"C"}), "NTFS");
    EXPECT_EQ(run("ZVXVOLFS", {"E"}), "");
}

TEST_F(FilesMacros, RegistryTextOrNothingWithALogLine) {
    fake.registryRoots.values[{RegistryRoot::LocalMachine, "Software\\X", "Path"}] =
        RegValue{RegStatus::Ok, "C:\\X"};
    fake.registryRoots.values[{RegistryRoot::CurrentUser, "Software\\X", "Path"}] =
        RegValue{RegStatus::Ok, kReport};
    fake.registryRoots.values[{RegistryRoot::CurrentUser, "Software\\X", "Count"}] =
        RegValue{RegStatus::WrongType, ""};
    EXPECT_EQ(run("ZVXREGREAD", {"\\Software\\X", "Path", "M"}), "C:\\X");
    EXPECT_EQ(run("ZVXREGREAD", {"Software\\X\\", "Path", "m"}), kReport);
    EXPECT_EQ(run("ZVXREGREAD", {"Software\\X", "Path", ""}), kReport);
    EXPECT_EQ(run("ZVXREGREAD", {"Software\\X", "Count", "C"}), "");
    EXPECT_TRUE(logged("@@ ZVXREGREAD: the value Count of Software\\X is not a text"));
    EXPECT_EQ(run("ZVXREGREAD", {"Software\\Y", "Path", "C"}), "");
    EXPECT_TRUE(logged("@@ ZVXREGREAD: no value Path under Software\\Y"));
}

TEST_F(FilesMacros, NoServiceMeansThePlaceholderNeverAnException) {
    plugin.platform.fileInfo = nullptr;
    plugin.platform.registryRoots = nullptr;
    EXPECT_EQ(run("ZVXFVER", {"C:\\a.dll"}), "n/a");
    EXPECT_EQ(run("ZVXFILESCOUNT", {"C:\\x", ""}), "0");
    EXPECT_EQ(run("ZVXFILESLIST", {"C:\\x", ""}), "");
    EXPECT_EQ(run("ZVXREGREAD", {"Software\\X", "Path", "C"}), "");
    EXPECT_TRUE(logged("@@ ZVXFILESCOUNT: file information is not available"));
    EXPECT_FALSE(logged("***** ERROR!!!"));
}

}  // namespace
}  // namespace qbx::test
