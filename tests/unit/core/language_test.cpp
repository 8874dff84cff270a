#include "core/language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "base/ini_file.h"
#include "core/log.h"
#include "core/strings.h"
#include "core/ui_components.h"
#include "support/fakes.h"

namespace qbx {
namespace {

using K = ComponentKind;
using Texts = std::vector<std::string>;

struct FakeComponent : UiComponent {
    FakeComponent(std::string id, K type, std::string caption = {})
        : id_(std::move(id)), type_(type), text(std::move(caption)) {}
    std::string name() const override { return id_; }
    K kind() const override { return type_; }
    std::string caption() const override {
        if (failCaption) throw std::runtime_error("caption");
        return text;
    }
    void setCaption(std::string_view caption) override {
        if (failSetCaption) throw std::runtime_error("setCaption");
        text = caption;
    }
    int itemCount() const override { return static_cast<int>(items.size()); }
    std::string item(int index) const override { return items.at(static_cast<std::size_t>(index)); }
    void setItem(int index, std::string_view item) override {
        items.at(static_cast<std::size_t>(index)) = item;
        selected = -1;  // as a real combo box forgets its selection when an item changes
    }
    int selectedIndex() const override { return selected; }
    void setSelectedIndex(int index) override { selected = index; }
    int childCount() const override { return static_cast<int>(children.size()); }
    UiComponent* child(int index) override {
        return children.at(static_cast<std::size_t>(index)).get();
    }
    FakeComponent& add(std::string id, K type, std::string caption = {}) {
        return *children.emplace_back(std::make_unique<FakeComponent>(id, type, caption));
    }
    FakeComponent& at(std::size_t index) { return *children.at(index); }
    std::string id_;
    K type_;
    std::string text;
    Texts items;
    int selected = -1;
    bool failCaption = false;
    bool failSetCaption = false;
    std::vector<std::unique_ptr<FakeComponent>> children;
};

struct FakeTray : TrayMenu {
    UiComponent& root() override { return menu; }
    void setHelpItemVisible(bool visible) override { helpVisible = visible; }
    void setViewerItemVisible(bool visible) override { viewerVisible = visible; }
    void setViewerItemCaption(std::string_view caption) override { viewerCaption = caption; }
    void setSetupItemCaption(std::string_view caption) override { setupCaption = caption; }
    FakeComponent menu{"TrayPopup", K::Other};
    bool helpVisible = true;
    bool viewerVisible = true;
    std::string viewerCaption = "unset";
    std::string setupCaption = "unset";
};

// Counts whole-file writes and can refuse them.
struct CountingFiles : test::FakeFileSystem {
    bool writeFileAtomic(const std::string& path, std::string_view bytes) override {
        ++writes;
        return !failWrites && FakeFileSystem::writeFileAtomic(path, bytes);
    }
    int writes = 0;
    bool failWrites = false;
};

// The settings dialog as far as the language files see it, every caption starting with `tag`.
void buildDialog(FakeComponent& form, const std::string& tag) {
    const std::tuple<const char*, K, const char*> controls[] = {
        {"lbTitle", K::Label, "title"},      {"btOk", K::Button, "ok"},
        {"rbOne", K::RadioButton, "one"},    {"cpStats", K::CaptionPanel, "stats"},
        {"roMore", K::RollOutPanel, "more"}, {"tsMain", K::TabSheet, "main"},
        {"cbLog", K::CheckBox, "log"},       {"gbBox", K::GroupBox, "box"},
        {"rgMode", K::RadioGroup, "mode"},   {"pnTop", K::Panel, "top"},
        {"pnEmpty", K::Panel, nullptr},      {"miCopy", K::MenuItem, "copy"},
        {"edName", K::Other, "edit"}};
    for (const auto& [id, type, text] : controls) form.add(id, type, text ? tag + " " + text : "");
    form.add("frDebug", K::Other).add("lbInner", K::Label, tag + " inner");  // a frame
    auto& combo = form.add("cmUnits", K::ComboBox);
    for (int j = 0; j < 11; ++j) combo.items.push_back(tag + " unit " + std::to_string(j));
    combo.selected = 3;
    form.add("gkKeys", K::ComboBox).items = {tag + " F1", tag + " F2"};
    form.add("sfFormat", K::ComboBox).items = {"csv", "txt"};
}

void buildTray(FakeTray& tray, const std::string& tag) {
    auto& file = tray.menu.add("miFile", K::MenuItem, tag + " file");
    file.add("miOpen", K::MenuItem, tag + " open");
    file.add("miSep1", K::MenuItem, "-");
    file.add("miExit", K::MenuItem, tag + " exit").add("miDeep", K::MenuItem, tag + " deep");
    tray.menu.add("miSep2", K::MenuItem, "-");
    tray.menu.add("miHelp", K::MenuItem, tag + " help");
}

class LanguageTest : public ::testing::Test {
protected:
    LanguageTest() : log(platform.platform()) {
        strings.reset();
        log.setMirror([this](const std::string& line) { lines.push_back(line); });
        buildDialog(dialog, "en");
        buildTray(tray, "en");
    }
    LanguageContext context(bool withDialog = true, bool withTray = true) {
        return {strings,
                log,
                files,
                kDir,
                "",
                "",
                withDialog ? &dialog : nullptr,
                withTray ? &tray : nullptr};
    }
    bool logged(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::string file(const std::string& text) {
        files.put(kPath, text);
        return kPath;
    }
    IniFile written(const std::string& path) const { return IniFile::parse(files.contents(path)); }
    const std::string kDir = "C:\\Mail\\QBX\\";
    const std::string kPath = kDir + "test.zlf";
    test::FakePlatform platform;
    CountingFiles files;
    Log log;
    StringTable strings;
    FakeComponent dialog{"SetupForm", K::Other};
    FakeTray tray;
    Texts lines;
};

TEST_F(LanguageTest, StringsSectionReplacesOnlyNonEmptyValuesOfValidKeys) {
    readStrings(context(), file("[Strings]\r\n40=nothing\r\n41=\r\n042=padded\r\n0=zero\r\n"
                                "501=past\r\n9=\xEF\xF0\xE8\xE2\xE5\xF2\r\n"));
    EXPECT_EQ(strings[40], "nothing");
    EXPECT_EQ(strings[41], "\xEC\xE8\xED\xF3\xF2");  // минут: an empty value keeps the text
    EXPECT_EQ(strings[42], "\xEC\xE8\xED\xF3\xF2\xE0");
    EXPECT_EQ(strings[9], "\xEF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(strings[0], "");
    EXPECT_EQ(strings[501], "");
    readLangData(context(), file("[Strings]\r\n40=\r\n"));
    EXPECT_EQ(strings[40], "nothing");
}

TEST_F(LanguageTest, ExportThenReadGivesTheSameCaptions) {
    strings.set(198, "help.chm");
    strings.set(40, "\xED\xE5\xF2");  // нет
    ASSERT_TRUE(writeLangData(context(), kPath));
    EXPECT_EQ(files.writes, 1);
    FakeComponent other{"SetupForm", K::Other};
    buildDialog(other, "xx");
    FakeTray otherTray;
    buildTray(otherTray, "xx");
    StringTable otherStrings;
    otherStrings.reset();
    readLangData({otherStrings, log, files, kDir, "", "", &other, &otherTray}, kPath);
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(other.at(i).text, dialog.at(i).text) << other.at(i).name();
    EXPECT_EQ(other.at(13).at(0).text, "en inner");  // inside a frame
    EXPECT_EQ(other.at(14).items, dialog.at(14).items);
    EXPECT_EQ(other.at(14).selected, 3);
    auto& file = otherTray.menu.at(0);
    EXPECT_EQ((Texts{file.text, file.at(0).text, file.at(2).text, otherTray.menu.at(2).text}),
              (Texts{"en file", "en open", "en exit", "en help"}));
    for (int n = 1; n <= StringTable::kCount; ++n) EXPECT_EQ(otherStrings[n], strings[n]) << n;
}

TEST_F(LanguageTest, ExportLeavesOutSeparatorsDataCombosEmptyPanelsAndTheDialogsMenus) {
    ASSERT_TRUE(writeLangData(context(), kPath));
    const IniFile ini = written(kPath);
    const std::tuple<const char*, const char*, std::optional<std::string>> entries[] = {
        {"Labels", "lbTitle", "en title"},       {"Panels", "pnTop", "en top"},
        {"Panels", "pnEmpty", std::nullopt},     {"Labels", "lbInner", "en inner"},
        {"Combos", "cmUnits00", "en unit 0"},    {"Combos", "cmUnits09", "en unit 9"},
        {"Combos", "cmUnits10", "en unit 10"},   {"Menus", "miSep1", std::nullopt},
        {"Menus", "miSep2", std::nullopt},       {"Menus", "miExit", "en exit"},
        {"Menus", "miDeep", std::nullopt},  // two levels only
        {"Menus", "miCopy", std::nullopt},  // the dialog's own menu
        {"Strings", "285", "Statistics search"}, {"Strings", "287", std::nullopt}};
    for (const auto& [section, key, value] : entries)
        EXPECT_EQ(ini.get(section, key), value) << section << "/" << key;
    EXPECT_EQ(ini.keyNames("Combos").size(), 11u);  // no gk*, no sf* items
    EXPECT_EQ(ini.keyNames("Strings").size(), 270u);
    EXPECT_EQ(comboItemKey("cb", 7), "cb07");  // at least two digits
    EXPECT_EQ(comboItemKey("cb", 100), "cb100");
}

TEST_F(LanguageTest, ReadingTranslatesGkCombosButNeverSfCombos) {
    readLangData(context(), file("[Combos]\r\ngkKeys00=Ctrl+F1\r\ngkKeys01=\r\nsfFormat00=tab\r\n"
                                 "cmUnits03=three\r\n[Menus]\r\nmiCopy=Copy it\r\n"));
    EXPECT_EQ(dialog.at(15).items, (Texts{"Ctrl+F1", "en F2"}));
    EXPECT_EQ(dialog.at(16).items, (Texts{"csv", "txt"}));
    EXPECT_EQ(dialog.at(14).items[3], "three");
    EXPECT_EQ(dialog.at(14).selected, 3);  // kept across the item changes
    EXPECT_EQ(dialog.at(11).text, "Copy it");
    readLangData(context(), "C:\\Mail\\QBX\\none.zlf");  // a missing file changes nothing
    EXPECT_EQ(dialog.at(0).text, "en title");
    EXPECT_EQ(tray.menu.at(0).text, "en file");
    EXPECT_EQ(strings[40], "n/a");
}

TEST_F(LanguageTest, TrayMenuItemsAndCaptions) {
    LanguageContext ctx = context();
    ctx.viewerVersion = "1.5\t ";
    readLangData(ctx, file("[Menus]\r\nmiFile=File\r\nmiOpen=Open\r\nmiDeep=Deep\r\n"
                           "miHelp=\r\n[Strings]\r\n192=\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0\r\n"
                           "229=View\r\n"));
    EXPECT_EQ(tray.menu.at(0).text, "File");
    EXPECT_EQ(tray.menu.at(0).at(0).text, "Open");
    EXPECT_EQ(tray.menu.at(0).at(2).at(0).text, "en deep");  // third level untouched
    EXPECT_EQ(tray.menu.at(2).text, "en help");
    EXPECT_EQ(tray.setupCaption,
              "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0 Quilbex 2.4.1202 Summer edition");
    EXPECT_EQ(tray.viewerCaption, "View 1.5");
}

TEST_F(LanguageTest, TrayMenuIsTranslatedOnlyWhileTheDialogExists) {
    file("[Menus]\r\nmiFile=File\r\n");
    loadTrayMenu(context(false, true), kPath);
    EXPECT_EQ(tray.menu.at(0).text, "en file");
    EXPECT_EQ(tray.setupCaption, "Setup Quilbex 2.4.1202 Summer edition");
    EXPECT_EQ(tray.viewerCaption, "Run ZVX viewer");
    loadTrayMenu(context(true, true), kPath);
    EXPECT_EQ(tray.menu.at(0).text, "File");
    readLangData(context(false, false), kPath);  // neither exists: only the strings
    loadLanguage(context(false, false), "test.zlf");
}

TEST_F(LanguageTest, HelpAndViewerItemsFollowTheFilesThatExist) {
    LanguageContext ctx = context();
    readLangData(ctx, file("[Labels]\r\n"));
    EXPECT_FALSE(tray.helpVisible);  // no help file named
    EXPECT_FALSE(tray.viewerVisible);
    EXPECT_TRUE(logged("Help at C:\\Mail\\QBX\\:"));
    EXPECT_TRUE(logged("NOT FOUND"));
    files.put("C:\\Mail\\QBX\\manual.chm", "x");
    files.put("C:\\Tools\\zvxv.exe", "x");
    ctx.viewerFilename = "C:\\Tools\\zvxv.exe";
    ctx.viewerVersion = "3.0";
    strings.set(198, "manual.chm");
    lines.clear();
    readLangData(ctx, kPath);
    EXPECT_TRUE(tray.helpVisible);
    EXPECT_TRUE(tray.viewerVisible);
    EXPECT_EQ(lines, (Texts{"Help at C:\\Mail\\QBX\\manual.chm:", "FOUND",
                            "ZVXviewer at C:\\Tools\\zvxv.exe:", "FOUND", "Version is: 3.0"}));
}

TEST_F(LanguageTest, FaultsAreLoggedAndContained) {
    dialog.at(1).failSetCaption = true;
    tray.menu.at(0).failSetCaption = true;
    EXPECT_NO_THROW(readLangData(context(), file("[Buttons]\r\nbtOk=OK!\r\n[Menus]\r\nmiFile=File"
                                                 "\r\nmiOpen=Open\r\n[Strings]\r\n40=none\r\n")));
    EXPECT_TRUE(logged("Exception in loadall"));
    EXPECT_TRUE(logged("Can't assign traymenu entry (File)"));
    EXPECT_EQ(tray.menu.at(0).at(0).text, "Open");  // the loop went on
    EXPECT_EQ(strings[40], "none");                 // and so did the rest
    dialog.at(1).failSetCaption = false;
    dialog.at(2).failCaption = true;
    const std::string out = "C:\\Mail\\QBX\\out.zlf";
    ASSERT_TRUE(writeLangData(context(), out));
    EXPECT_TRUE(logged("Can't save rbOne"));
    EXPECT_EQ(written(out).get("RButtons", "rbOne"), std::nullopt);
    EXPECT_EQ(written(out).get("JCP", "cpStats"), "en stats");
}

TEST_F(LanguageTest, ExportWritesOnceKeepsOtherKeysAndReportsAFailedWrite) {
    // The whole export is a language file of its own: what the chosen file held goes.
    file("[Strings]\r\n498=kept\r\n40=old\r\n[Notes]\r\nby=hand\r\n");
    ASSERT_TRUE(writeLangData(context(), kPath));
    EXPECT_EQ(files.writes, 1);
    EXPECT_EQ(written(kPath).get("Strings", "498"), std::nullopt);
    EXPECT_EQ(written(kPath).get("Strings", "40"), "n/a");
    EXPECT_EQ(written(kPath).get("Notes", "by"), std::nullopt);
    for (const char* part : {"langdata", "menu", "strings"})
        EXPECT_TRUE(logged("Writing " + std::string(part) + " to " + kPath)) << part;
    // Its parts alone keep the file's other keys.
    file("[Strings]\r\n498=kept\r\n40=old\r\n[Notes]\r\nby=hand\r\n");
    ASSERT_TRUE(writeStrings(context(), kPath));
    ASSERT_TRUE(writeMenuCaptions(context(), kPath));
    EXPECT_EQ(written(kPath).get("Strings", "498"), "kept");
    EXPECT_EQ(written(kPath).get("Strings", "40"), "n/a");
    EXPECT_EQ(written(kPath).get("Notes", "by"), "hand");
    // A failed write leaves the file as it was.
    const std::string before = files.contents(kPath);
    files.failWrites = true;
    EXPECT_FALSE(writeLangData(context(), kPath));
    EXPECT_FALSE(writeStrings(context(), kPath));
    EXPECT_FALSE(writeMenuCaptions(context(), kPath));
    EXPECT_EQ(files.contents(kPath), before);
}

// A file the reader could not take whole would lose what it left out when written back: it is
// kept aside as it was first.
TEST_F(LanguageTest, APartOfTheExportKeepsAFileNotReadWholeAsideFirst) {
    const std::string longLine = "[Notes]\r\nlong=" + std::string(IniFile::kMaxLineBytes, 'x') +
                                 "\r\n[Strings]\r\n498=kept\r\n";
    file(longLine);
    ASSERT_TRUE(writeStrings(context(), kPath));
    EXPECT_EQ(files.contents(kPath + ".full"), longLine);
    EXPECT_TRUE(logged(kPath + " was not read whole (a line longer than 65536 bytes): kept as " +
                       kPath + ".full"));
    EXPECT_EQ(written(kPath).get("Strings", "498"), "kept");
    EXPECT_EQ(written(kPath).get("Strings", "40"), "n/a");
    // Now whole: written over as any file.
    ASSERT_TRUE(writeMenuCaptions(context(), kPath));
    EXPECT_FALSE(files.has(kPath + ".full2"));
    // A file that cannot be read goes aside as damaged, under a free name, before it is
    // written over.
    file("[Strings]\r\n1=mine\r\n");
    files.makeUnreadable(kPath);
    files.put(kPath + ".bad", "taken");
    ASSERT_TRUE(writeStrings(context(), kPath));  // kept as .bad2
    EXPECT_TRUE(files.has(kPath + ".bad2"));
    EXPECT_EQ(files.contents(kPath + ".bad"), "taken");
}

TEST_F(LanguageTest, LoadLanguageReadsTheConfiguredFile) {
    file("[Strings]\r\n40=absent\r\n[Labels]\r\nlbTitle=Title\r\n");
    loadLanguage(context(), "test.zlf");
    EXPECT_TRUE(logged(kPath));
    EXPECT_EQ(strings[40], "absent");
    EXPECT_EQ(dialog.at(0).text, "Title");
    strings.reset();
    loadLanguage(context(), "");
    EXPECT_EQ(strings[40], "n/a");
}

}  // namespace
}  // namespace qbx
