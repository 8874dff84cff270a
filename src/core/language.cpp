#include "core/language.h"

#include <optional>

#include "base/text.h"
#include "core/help_file.h"
#include "core/ini_io.h"
#include "core/log.h"
#include "core/strings.h"
#include "core/ui_components.h"
#include "core/version.h"
#include "platform/platform.h"

namespace qbx {
namespace {

// Frames inside the dialog own their controls; deeper nesting than this is not ours.
constexpr int kMaxDepth = 16;

struct KindSection {
    ComponentKind kind;
    std::string_view section;
};

// Read in this order; a dialog's menu items share [Menus] with the tray menu.
constexpr KindSection kReadSections[] = {
    {ComponentKind::Label, "Labels"},         {ComponentKind::Button, "Buttons"},
    {ComponentKind::RadioButton, "RButtons"}, {ComponentKind::CaptionPanel, "JCP"},
    {ComponentKind::RollOutPanel, "JR"},      {ComponentKind::TabSheet, "Tabs"},
    {ComponentKind::CheckBox, "CheckBoxes"},  {ComponentKind::GroupBox, "Groups"},
    {ComponentKind::RadioGroup, "RGroups"},   {ComponentKind::Panel, "Panels"},
    {ComponentKind::MenuItem, lang::kMenus},
};

// The dialog's own menu items are not exported: only the tray menu's go to [Menus].
std::optional<std::string_view> readSection(ComponentKind kind) {
    for (const auto& row : kReadSections)
        if (row.kind == kind) return row.section;
    return std::nullopt;
}

std::optional<std::string_view> writeSection(ComponentKind kind) {
    if (kind == ComponentKind::MenuItem) return std::nullopt;
    return readSection(kind);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Boxes whose items are data (file formats, key names) rather than interface text.
bool comboIsRead(std::string_view name) { return !startsWith(name, "sf"); }
bool comboIsWritten(std::string_view name) {
    return !startsWith(name, "sf") && !startsWith(name, "gk");
}

bool isSeparator(std::string_view caption) { return caption == "-"; }

void applyComboItems(UiComponent& combo, const std::string& name, const IniFile& ini) {
    const int selected = combo.selectedIndex();
    const int count = combo.itemCount();
    for (int j = 0; j < count; ++j) {
        const std::string value = ini.getString(lang::kCombos, comboItemKey(name, j), "");
        if (!value.empty()) combo.setItem(j, value);
    }
    combo.setSelectedIndex(selected);
}

void applyCaptions(UiComponent& owner, const IniFile& ini, int depth) {
    const int count = owner.childCount();
    for (int i = 0; i < count; ++i) {
        UiComponent* component = owner.child(i);
        if (component == nullptr) continue;
        const std::string name = component->name();
        const ComponentKind kind = component->kind();
        if (const auto section = readSection(kind)) {
            const std::string value = ini.getString(*section, name, "");
            if (!value.empty()) component->setCaption(value);
        }
        if (kind == ComponentKind::ComboBox && comboIsRead(name))
            applyComboItems(*component, name, ini);
        // The export writes what nested owners hold, so reading applies it there too.
        if (depth + 1 < kMaxDepth && component->childCount() > 0)
            applyCaptions(*component, ini, depth + 1);
    }
}

void updateHelpAndViewerItems(const LanguageContext& ctx, TrayMenu& tray) {
    const std::string& helpName = ctx.strings[str::kHelpFile];
    const HelpFile help = helpFileOf(ctx.installDir, helpName);
    if (!help.refusal.empty())
        ctx.log.write("Help file \"" + lineBreaksToBlanks(helpName) +
                      "\" refused: " + help.refusal);
    const bool helpFound = !help.path.empty() && ctx.files.fileExists(help.path);
    tray.setHelpItemVisible(helpFound);
    ctx.log.write("Help at " +
                  (help.path.empty() ? ctx.installDir + lineBreaksToBlanks(helpName) : help.path) +
                  ":");
    ctx.log.write(helpFound ? "FOUND" : "NOT FOUND");

    const bool viewerFound =
        !ctx.viewerFilename.empty() && ctx.files.fileExists(ctx.viewerFilename);
    tray.setViewerItemVisible(viewerFound);
    ctx.log.write("ZVXviewer at " + ctx.viewerFilename + ":");
    ctx.log.write(viewerFound ? "FOUND" : "NOT FOUND");
    ctx.log.write("Version is: " + ctx.viewerVersion);
    tray.setViewerItemCaption(viewerItemCaption(ctx.strings, ctx.viewerVersion));
}

void applyTrayItem(const LanguageContext& ctx, UiComponent& item, const IniFile& ini) {
    std::string value;
    try {
        value = ini.getString(lang::kMenus, item.name(), "");
        if (!value.empty()) item.setCaption(value);
    } catch (...) {
        ctx.log.write("Can't assign traymenu entry (" + value + ")");
    }
}

void saveCaptions(const LanguageContext& ctx, UiComponent& owner, IniFile& ini, int depth) {
    const int count = owner.childCount();
    for (int i = 0; i < count; ++i) {
        UiComponent* component = owner.child(i);
        if (component == nullptr) continue;
        std::string name;
        try {
            name = component->name();
            const ComponentKind kind = component->kind();
            if (const auto section = writeSection(kind)) {
                const std::string caption = component->caption();
                if (kind != ComponentKind::Panel || !caption.empty())
                    ini.set(*section, name, caption);
            }
            if (kind == ComponentKind::ComboBox && comboIsWritten(name)) {
                const int items = component->itemCount();
                for (int j = 0; j < items; ++j)
                    ini.set(lang::kCombos, comboItemKey(name, j), component->item(j));
            }
            if (depth + 1 < kMaxDepth && component->childCount() > 0)
                saveCaptions(ctx, *component, ini, depth + 1);
        } catch (...) {
            ctx.log.write("Can't save " + name);
        }
    }
}

}  // namespace

std::string setupItemCaption(const StringTable& strings) {
    std::string caption = strings[str::kSetupItem];
    caption += ' ';
    caption += kProductName;
    caption += ' ';
    caption += kVersionText;
    return caption;
}

std::string viewerItemCaption(const StringTable& strings, std::string_view viewerVersion) {
    return std::string(
        trimBlankOrControl(strings[str::kViewerItem] + " " + std::string(viewerVersion)));
}

std::string comboItemKey(std::string_view comboName, int index) {
    std::string key(comboName);
    if (index >= 0 && index < 10) key += '0';
    key += decimal(index);
    return key;
}

void readStrings(StringTable& strings, const IniFile& ini) {
    for (int n = 1; n <= StringTable::kCount; ++n) {
        const std::string value = ini.getString(lang::kStrings, decimal(n), "");
        if (!value.empty()) strings.set(n, value);
    }
}

void readStrings(const LanguageContext& ctx, const std::string& fileName) {
    readStrings(ctx.strings, loadIniFile(ctx.files, fileName));
}

void loadAll(const LanguageContext& ctx, UiComponent& form, const IniFile& ini) {
    try {
        applyCaptions(form, ini, 0);
        if (ctx.tray != nullptr) updateHelpAndViewerItems(ctx, *ctx.tray);
    } catch (...) {
        ctx.log.write("Exception in loadall");
    }
}

void loadTrayMenu(const LanguageContext& ctx, const IniFile& ini) {
    if (ctx.tray == nullptr) return;
    try {
        TrayMenu& tray = *ctx.tray;
        if (ctx.dialog != nullptr) {
            UiComponent& root = tray.root();
            const int count = root.childCount();
            for (int i = 0; i < count; ++i) {
                UiComponent* item = root.child(i);
                if (item == nullptr) continue;
                applyTrayItem(ctx, *item, ini);
                const int subCount = item->childCount();
                for (int j = 0; j < subCount; ++j)
                    if (UiComponent* sub = item->child(j)) applyTrayItem(ctx, *sub, ini);
            }
        }
        tray.setSetupItemCaption(setupItemCaption(ctx.strings));
        tray.setViewerItemCaption(viewerItemCaption(ctx.strings, ctx.viewerVersion));
    } catch (...) {
        ctx.log.write("Exception in loadtraymenu");
    }
}

void loadTrayMenu(const LanguageContext& ctx, const std::string& fileName) {
    if (ctx.tray == nullptr) return;
    try {
        loadTrayMenu(ctx, loadIniFile(ctx.files, fileName));
    } catch (...) {
        ctx.log.write("Exception in loadtraymenu");
    }
}

void readLangData(const LanguageContext& ctx, const std::string& fileName) {
    try {
        const IniFile ini = loadIniFile(ctx.files, fileName);
        if (ctx.dialog != nullptr) {
            try {
                loadAll(ctx, *ctx.dialog, ini);
            } catch (...) {
                ctx.log.write("Exception while trying to loadall from " + fileName);
            }
        }
        loadTrayMenu(ctx, ini);
        try {
            readStrings(ctx.strings, ini);
        } catch (...) {
            ctx.log.write("Exception while trying to read strings");
        }
        if (ctx.tray != nullptr) {
            ctx.tray->setSetupItemCaption(setupItemCaption(ctx.strings));
            // The tray captions above were built before this file's strings were read.
            ctx.tray->setViewerItemCaption(viewerItemCaption(ctx.strings, ctx.viewerVersion));
        }
    } catch (...) {
        ctx.log.write("Exception in readlangdata");
    }
}

void loadLanguage(const LanguageContext& ctx, std::string_view langFile) {
    try {
        const std::string path = ctx.installDir + std::string(langFile);
        ctx.log.write(path);
        if (langFile.empty()) return;
        try {
            readStrings(ctx, path);
        } catch (...) {
            ctx.log.write("Can't read strings");
        }
        try {
            readLangData(ctx, path);
        } catch (...) {
            ctx.log.write("Can't read langdata");
        }
    } catch (...) {
    }
}

void saveControlCaptions(const LanguageContext& ctx, UiComponent& root, IniFile& ini) {
    saveCaptions(ctx, root, ini, 0);
}

void writeMenuCaptions(const LanguageContext& ctx, IniFile& ini, const std::string& fileName) {
    ctx.log.write("Writing menu to " + fileName);
    if (ctx.tray == nullptr) return;
    UiComponent& root = ctx.tray->root();
    const auto write = [&ini](UiComponent& item) {
        const std::string caption = item.caption();
        if (!isSeparator(caption)) ini.set(lang::kMenus, item.name(), caption);
    };
    const int count = root.childCount();
    for (int i = 0; i < count; ++i) {
        UiComponent* item = root.child(i);
        if (item == nullptr) continue;
        write(*item);
        const int subCount = item->childCount();
        for (int j = 0; j < subCount; ++j)
            if (UiComponent* sub = item->child(j)) write(*sub);
    }
}

void writeStrings(const LanguageContext& ctx, IniFile& ini, const std::string& fileName) {
    ctx.log.write("Writing strings to " + fileName);
    for (int n = 1; n <= StringTable::kCount; ++n) {
        const std::string& text = ctx.strings[n];
        if (!text.empty()) ini.set(lang::kStrings, decimal(n), text);
    }
}

bool writeLangData(const LanguageContext& ctx, const std::string& fileName) {
    try {
        ctx.log.write("Writing langdata to " + fileName);
        // A complete language file of its own, as if the chosen file had been deleted first; it
        // replaces that file only once written whole.
        IniFile ini;
        if (ctx.dialog != nullptr) saveControlCaptions(ctx, *ctx.dialog, ini);
        writeMenuCaptions(ctx, ini, fileName);
        writeStrings(ctx, ini, fileName);
        if (saveIniFile(ctx.files, fileName, ini)) return true;
        ctx.log.write("Cannot write " + fileName + ": " + ctx.files.lastError());
        return false;
    } catch (...) {
        return false;
    }
}

bool writeMenuCaptions(const LanguageContext& ctx, const std::string& fileName) {
    try {
        IniToRewrite document = loadIniFileToRewrite(ctx.files, fileName);
        writeMenuCaptions(ctx, document.ini, fileName);
        return rewriteIniFile(ctx.files, ctx.log, fileName, document);
    } catch (...) {
        return false;
    }
}

bool writeStrings(const LanguageContext& ctx, const std::string& fileName) {
    try {
        IniToRewrite document = loadIniFileToRewrite(ctx.files, fileName);
        writeStrings(ctx, document.ini, fileName);
        return rewriteIniFile(ctx.files, ctx.log, fileName, document);
    } catch (...) {
        return false;
    }
}

}  // namespace qbx
