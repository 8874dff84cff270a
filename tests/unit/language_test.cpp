#include "core/language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "core/log.h"
#include "core/strings.h"
#include "core/ui_components.h"
#include "support/fakes.h"

namespace qbx {
namespace {

class FakeComponent : public UiComponent {
public:
    FakeComponent(std::string name, ComponentKind kind, std::string caption = {})
        : name_(std::move(name)), kind_(kind), caption_(std::move(caption)) {}

    std::string name() const override { return name_; }
    ComponentKind kind() const override { return kind_; }
    std::string caption() const override {
        if (failCaption) throw std::runtime_error("caption");
        return caption_;
    }
    void setCaption(std::string_view caption) override {
        if (failSetCaption) throw std::runtime_error("setCaption");
        caption_ = caption;
    }
    int itemCount() const override { return static_cast<int>(items.size()); }
    std::string item(int index) const override { return items.at(static_cast<std::size_t>(index)); }
    void setItem(int index, std::string_view text) override {
        items.at(static_cast<std::size_t>(index)) = text;
        selected = -1;  // as a real combo box forgets its selection when an item changes
    }
    int selectedIndex() const override { return selected; }
    void setSelectedIndex(int index) override { selected = index; }
    int childCount() const override { return static_cast<int>(children.size()); }
    UiComponent* child(int index) override { return children.at(static_cast<std::size_t>(index)).get(); }

    FakeComponent& add(std::string name, ComponentKind kind, std::string caption = {}) {
        children.push_back(std::make_unique<FakeComponent>(std::move(name), kind, std::move(caption)));
        return *children.back();
    }
    FakeComponent& at(std::size_t index) { return *children.at(index); }
    const std::string& text() const { return caption_; }

    std::vector<std::string> items;
    int selected = -1;
    bool failCaption = false;
    bool failSetCaption = false;

private:
    std::string name_;
    ComponentKind kind_;
    std::string caption_;
    std::vector<std::unique_ptr<FakeComponent>> children;
};

class FakeTray : public TrayMenu {
public:
    UiComponent& root() override { return menu; }
    void setHelpItemVisible(bool visible) override { helpVisible = visible; }
    void setViewerItemVisible(bool visible) override { viewerVisible = visible; }
    void setViewerItemCaption(std::string_view caption) override { viewerCaption = caption; }
    void setSetupItemCaption(std::string_view caption) override { setupCaption = caption; }

    FakeComponent menu{"TrayPopup", ComponentKind::Other};
    bool helpVisible = true;
    bool viewerVisible = true;
    std::string viewerCaption = "unset";
    std::string setupCaption = "unset";
};

// Counts whole-file writes and can refuse them.
class CountingFiles : public test::FakeFileSystem {
public:
    bool writeFileAtomic(const std::string& path, std::string_view bytes) override {
        ++writes;
        if (failWrites) return false;
        return FakeFileSystem::writeFileAtomic(path, bytes);
    }
    int writes = 0;
    bool failWrites = false;
};

// The settings dialog as far as the language files see it, with every caption set to `tag`.
void buildDialog(FakeComponent& form, const std::string& tag) {
    form.add("lbTitle", ComponentKind::Label, tag + " title");
    form.add("btOk", ComponentKind::Button, tag + " ok");
    form.add("rbOne", ComponentKind::RadioButton, tag + " one");
    form.add("cpStats", ComponentKind::CaptionPanel, tag + " stats");
    form.add("roMore", ComponentKind::RollOutPanel, tag + " more");
    form.add("tsMain", ComponentKind::TabSheet, tag + " main");
    form.add("cbLog", ComponentKind::CheckBox, tag + " log");
    form.add("gbBox", ComponentKind::GroupBox, tag + " box");
    form.add("rgMode", ComponentKind::RadioGroup, tag + " mode");
    form.add("pnTop", ComponentKind::Panel, tag + " top");
    form.add("pnEmpty", ComponentKind::Panel, "");
    form.add("miCopy", ComponentKind::MenuItem, tag + " copy");
    form.add("edName", ComponentKind::Other, tag + " edit");
    auto& frame = form.add("frDebug", ComponentKind::Other);
    frame.add("lbInner", ComponentKind::Label, tag + " inner");
    auto& combo = form.add("cmUnits", ComponentKind::ComboBox);
    for (int j = 0; j < 11; ++j) combo.items.push_back(tag + " unit " + std::to_string(j));
    combo.selected = 3;
    auto& keys = form.add("gkKeys", ComponentKind::ComboBox);
    keys.items = {tag + " F1", tag + " F2"};
    auto& formats = form.add("sfFormat", ComponentKind::ComboBox);
    formats.items = {"csv", "txt"};
}

void buildTray(FakeTray& tray, const std::string& tag) {
    auto& file = tray.menu.add("miFile", ComponentKind::MenuItem, tag + " file");
    file.add("miOpen", ComponentKind::MenuItem, tag + " open");
    file.add("miSep1", ComponentKind::MenuItem, "-");
    file.add("miExit", ComponentKind::MenuItem, tag + " exit")
        .add("miDeep", ComponentKind::MenuItem, tag + " deep");
    tray.menu.add("miSep2", ComponentKind::MenuItem, "-");
    tray.menu.add("miHelp", ComponentKind::MenuItem, tag + " help");
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
        LanguageContext ctx{strings, log, files, "C:\\Mail\\QBX\\", "", ""};
        ctx.dialog = withDialog ? &dialog : nullptr;
        ctx.tray = withTray ? &tray : nullptr;
        return ctx;
    }

    bool logged(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    std::string file(const std::string& text) {
        const std::string path = "C:\\Mail\\QBX\\test.zlf";
        files.put(path, text);
        return path;
    }

    test::FakePlatform platform;
    CountingFiles files;
    Log log;
    StringTable strings;
    FakeComponent dialog{"SetupForm", ComponentKind::Other};
    FakeTray tray;
    std::vector<std::string> lines;
};

TEST_F(LanguageTest, StringsSectionReplacesOnlyNonEmptyValuesOfValidKeys) {
    const std::string path = file(
        "[Strings]\r\n40=nothing\r\n41=\r\n042=padded\r\n0=zero\r\n501=past\r\n9=\xEF\xF0\xE8\xE2\xE5\xF2\r\n");
    readStrings(context(), path);
    EXPECT_EQ(strings[40], "nothing");
    EXPECT_EQ(strings[41], "\xEC\xE8\xED\xF3\xF2");  // минут: an empty value keeps the text
    EXPECT_EQ(strings[42], "\xEC\xE8\xED\xF3\xF2\xE0");
    EXPECT_EQ(strings[9], "\xEF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(strings[0], "");
    EXPECT_EQ(strings[501], "");

    const std::string keep = file("[Strings]\r\n40=\r\n");
    readLangData(context(), keep);
    EXPECT_EQ(strings[40], "nothing");
}

TEST_F(LanguageTest, ExportThenReadGivesTheSameCaptions) {
    strings.set(198, "help.chm");
    strings.set(40, "\xED\xE5\xF2");  // нет
    const std::string path = "C:\\Mail\\QBX\\export.zlf";
    ASSERT_TRUE(writeLangData(context(), path));
    EXPECT_EQ(files.writes, 1);

    FakeComponent other{"SetupForm", ComponentKind::Other};
    buildDialog(other, "xx");
    FakeTray otherTray;
    buildTray(otherTray, "xx");
    StringTable otherStrings;
    otherStrings.reset();
    LanguageContext ctx{otherStrings, log, files, "C:\\Mail\\QBX\\", "", ""};
    ctx.dialog = &other;
    ctx.tray = &otherTray;
    readLangData(ctx, path);

    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(other.at(i).text(), dialog.at(i).text()) << other.at(i).name();
    EXPECT_EQ(other.at(13).at(0).text(), "en inner");  // inside a frame
    EXPECT_EQ(other.at(14).items, dialog.at(14).items);
    EXPECT_EQ(other.at(14).selected, 3);
    EXPECT_EQ(otherTray.menu.at(0).text(), "en file");
    EXPECT_EQ(otherTray.menu.at(0).at(0).text(), "en open");
    EXPECT_EQ(otherTray.menu.at(0).at(2).text(), "en exit");
    EXPECT_EQ(otherTray.menu.at(2).text(), "en help");
    for (int n = 1; n <= StringTable::kCount; ++n) EXPECT_EQ(otherStrings[n], strings[n]) << n;
}

TEST_F(LanguageTest, ExportLeavesOutSeparatorsDataCombosEmptyPanelsAndTheDialogsMenus) {
    const std::string path = "C:\\Mail\\QBX\\export.zlf";
    ASSERT_TRUE(writeLangData(context(), path));
    const IniFile ini = IniFile::parse(files.contents(path));

    EXPECT_EQ(ini.get("Labels", "lbTitle"), "en title");
    EXPECT_EQ(ini.get("Panels", "pnTop"), "en top");
    EXPECT_EQ(ini.get("Panels", "pnEmpty"), std::nullopt);
    EXPECT_EQ(ini.get("Labels", "lbInner"), "en inner");
    EXPECT_EQ(ini.get("Combos", "cmUnits00"), "en unit 0");
    EXPECT_EQ(ini.get("Combos", "cmUnits09"), "en unit 9");
    EXPECT_EQ(ini.get("Combos", "cmUnits10"), "en unit 10");
    EXPECT_TRUE(ini.keyNames("Combos").size() == 11u);  // no gk*, no sf* items
    EXPECT_EQ(ini.get("Menus", "miSep1"), std::nullopt);
    EXPECT_EQ(ini.get("Menus", "miSep2"), std::nullopt);
    EXPECT_EQ(ini.get("Menus", "miExit"), "en exit");
    EXPECT_EQ(ini.get("Menus", "miDeep"), std::nullopt);  // two levels only
    EXPECT_EQ(ini.get("Menus", "miCopy"), std::nullopt);  // the dialog's own menu
    EXPECT_EQ(ini.get("Strings", "285"), "Statistics search");
    EXPECT_EQ(ini.get("Strings", "287"), std::nullopt);
    EXPECT_EQ(ini.keyNames("Strings").size(), 270u);
}

TEST_F(LanguageTest, ReadingTranslatesGkCombosButNeverSfCombos) {
    const std::string path = file(
        "[Combos]\r\ngkKeys00=Ctrl+F1\r\ngkKeys01=\r\nsfFormat00=tab\r\ncmUnits03=three\r\n"
        "[Menus]\r\nmiCopy=Copy it\r\n");
    readLangData(context(), path);
    EXPECT_EQ(dialog.at(15).items, (std::vector<std::string>{"Ctrl+F1", "en F2"}));
    EXPECT_EQ(dialog.at(16).items, (std::vector<std::string>{"csv", "txt"}));
    EXPECT_EQ(dialog.at(14).items[3], "three");
    EXPECT_EQ(dialog.at(14).selected, 3);  // kept across the item changes
    EXPECT_EQ(dialog.at(11).text(), "Copy it");
}

TEST_F(LanguageTest, AMissingFileChangesNothing) {
    readLangData(context(), "C:\\Mail\\QBX\\none.zlf");
    EXPECT_EQ(dialog.at(0).text(), "en title");
    EXPECT_EQ(tray.menu.at(0).text(), "en file");
    EXPECT_EQ(strings[40], "n/a");
}

TEST_F(LanguageTest, TrayMenuItemsAndCaptions) {
    const std::string path = file(
        "[Menus]\r\nmiFile=File\r\nmiOpen=Open\r\nmiDeep=Deep\r\nmiHelp=\r\n"
        "[Strings]\r\n192=\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0\r\n229=View\r\n");
    LanguageContext ctx = context();
    ctx.viewerVersion = "1.5\t ";
    readLangData(ctx, path);
    EXPECT_EQ(tray.menu.at(0).text(), "File");
    EXPECT_EQ(tray.menu.at(0).at(0).text(), "Open");
    EXPECT_EQ(tray.menu.at(0).at(2).at(0).text(), "en deep");  // third level untouched
    EXPECT_EQ(tray.menu.at(2).text(), "en help");
    EXPECT_EQ(tray.setupCaption, "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0 Quilbex 2.4.1202 Summer edition");
    EXPECT_EQ(tray.viewerCaption, "View 1.5");
}

TEST_F(LanguageTest, TrayMenuIsTranslatedOnlyWhileTheDialogExists) {
    const std::string path = file("[Menus]\r\nmiFile=File\r\n");
    loadTrayMenu(context(false, true), path);
    EXPECT_EQ(tray.menu.at(0).text(), "en file");
    EXPECT_EQ(tray.setupCaption, "Setup Quilbex 2.4.1202 Summer edition");
    EXPECT_EQ(tray.viewerCaption, "Run ZVX viewer");

    loadTrayMenu(context(true, true), path);
    EXPECT_EQ(tray.menu.at(0).text(), "File");

    readLangData(context(false, false), path);  // neither exists: only the strings
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
    readLangData(ctx, file("[Labels]\r\n"));
    EXPECT_TRUE(tray.helpVisible);
    EXPECT_TRUE(tray.viewerVisible);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Help at C:\\Mail\\QBX\\manual.chm:", "FOUND",
                         "ZVXviewer at C:\\Tools\\zvxv.exe:", "FOUND", "Version is: 3.0"}));
}

TEST_F(LanguageTest, FaultsAreLoggedAndContained) {
    dialog.at(1).failSetCaption = true;
    tray.menu.at(0).failSetCaption = true;
    const std::string path = file(
        "[Buttons]\r\nbtOk=OK!\r\n[Menus]\r\nmiFile=File\r\nmiOpen=Open\r\n[Strings]\r\n40=none\r\n");
    EXPECT_NO_THROW(readLangData(context(), path));
    EXPECT_TRUE(logged("Exception in loadall"));
    EXPECT_TRUE(logged("Can't assign traymenu entry (File)"));
    EXPECT_EQ(tray.menu.at(0).at(0).text(), "Open");  // the loop went on
    EXPECT_EQ(strings[40], "none");                   // and so did the rest

    dialog.at(1).failSetCaption = false;
    dialog.at(2).failCaption = true;
    const std::string out = "C:\\Mail\\QBX\\out.zlf";
    ASSERT_TRUE(writeLangData(context(), out));
    EXPECT_TRUE(logged("Can't save rbOne"));
    const IniFile ini = IniFile::parse(files.contents(out));
    EXPECT_EQ(ini.get("RButtons", "rbOne"), std::nullopt);
    EXPECT_EQ(ini.get("JCP", "cpStats"), "en stats");
}

TEST_F(LanguageTest, ExportWritesOnceKeepsOtherKeysAndReportsAFailedWrite) {
    const std::string path = file("[Strings]\r\n498=kept\r\n40=old\r\n[Notes]\r\nby=hand\r\n");
    files.writes = 0;
    ASSERT_TRUE(writeLangData(context(), path));
    EXPECT_EQ(files.writes, 1);
    const IniFile ini = IniFile::parse(files.contents(path));
    EXPECT_EQ(ini.get("Strings", "498"), "kept");
    EXPECT_EQ(ini.get("Strings", "40"), "n/a");
    EXPECT_EQ(ini.get("Notes", "by"), "hand");
    EXPECT_TRUE(logged("Writing langdata to " + path));
    EXPECT_TRUE(logged("Writing menu to " + path));
    EXPECT_TRUE(logged("Writing strings to " + path));

    files.failWrites = true;
    EXPECT_FALSE(writeLangData(context(), path));
    EXPECT_FALSE(writeStrings(context(), path));
    EXPECT_FALSE(writeMenuCaptions(context(), path));
}

TEST_F(LanguageTest, LoadLanguageReadsTheConfiguredFile) {
    file("[Strings]\r\n40=absent\r\n[Labels]\r\nlbTitle=Title\r\n");
    loadLanguage(context(), "test.zlf");
    EXPECT_TRUE(logged("C:\\Mail\\QBX\\test.zlf"));
    EXPECT_EQ(strings[40], "absent");
    EXPECT_EQ(dialog.at(0).text(), "Title");

    strings.reset();
    loadLanguage(context(), "");
    EXPECT_EQ(strings[40], "n/a");
}

TEST(LanguageKeys, ComboItemKeysHaveAtLeastTwoDigits) {
    EXPECT_EQ(comboItemKey("cb", 0), "cb00");
    EXPECT_EQ(comboItemKey("cb", 7), "cb07");
    EXPECT_EQ(comboItemKey("cb", 42), "cb42");
    EXPECT_EQ(comboItemKey("cb", 100), "cb100");
}

}  // namespace
}  // namespace qbx
