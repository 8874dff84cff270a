// Language files: INI files (code page 1251) that replace the interface string table's texts
// and the captions of the settings dialog and the tray menu, and the export that writes the
// current texts into such a file.
#pragma once

#include <string>
#include <string_view>

namespace qbx {

class FileSystem;
class IniFile;
class Log;
class StringTable;
class TrayMenu;
class UiComponent;

// What the language operations work on. The dialog and the tray menu are null while they do
// not exist.
struct LanguageContext {
    StringTable& strings;
    Log& log;
    FileSystem& files;
    std::string installDir;      // ends in a backslash
    std::string viewerFilename;  // the viewer program; empty when there is none
    std::string viewerVersion;
    UiComponent* dialog = nullptr;
    TrayMenu* tray = nullptr;
};

// Section names of a language file.
namespace lang {
inline constexpr std::string_view kStrings = "Strings";
inline constexpr std::string_view kMenus = "Menus";
inline constexpr std::string_view kCombos = "Combos";
}  // namespace lang

// "Setup Quilbex 2.4.1202 Summer edition" in the current language.
std::string setupItemCaption(const StringTable& strings);
// Strings[229] and the viewer's version, without outer blanks.
std::string viewerItemCaption(const StringTable& strings, std::string_view viewerVersion);
// A combo box item's key: the box's name and the item index in at least two digits.
std::string comboItemKey(std::string_view comboName, int index);

// Each non-empty value of keys "1" .. "500" in [Strings] replaces its entry. Unguarded: the
// callers log their own line for a fault.
void readStrings(StringTable& strings, const IniFile& ini);
void readStrings(const LanguageContext& ctx, const std::string& fileName);

// Applies a whole language file: dialog captions, tray menu, strings, setup item caption.
// Never throws; a fault logs "Exception in readlangdata".
void readLangData(const LanguageContext& ctx, const std::string& fileName);

// Applies the control sections, [Menus] and [Combos] to every component the form owns (and
// the components those own), then shows or hides the tray menu's help and viewer items.
// Never throws; a fault logs "Exception in loadall".
void loadAll(const LanguageContext& ctx, UiComponent& form, const IniFile& ini);

// Applies [Menus] to the tray menu's two levels and renews its setup and viewer captions.
// Never throws; a fault logs "Exception in loadtraymenu".
void loadTrayMenu(const LanguageContext& ctx, const std::string& fileName);
void loadTrayMenu(const LanguageContext& ctx, const IniFile& ini);

// Reads installDir + langFile (the setting "sLangFile"): strings first, then the rest.
// Never throws.
void loadLanguage(const LanguageContext& ctx, std::string_view langFile);

// The export. Each writes the file once, to a temporary name renamed over the old file.
// writeLangData writes a complete language file in the file's place; the other two keep what
// the file held under other keys, and keep a file they could not read whole aside first
// ("<name>.full"). False when the file could not be written. Never throw.
bool writeLangData(const LanguageContext& ctx, const std::string& fileName);
bool writeMenuCaptions(const LanguageContext& ctx, const std::string& fileName);
bool writeStrings(const LanguageContext& ctx, const std::string& fileName);

// The parts of the export, into a document in memory. A fault on one component logs
// "Can't save " + its name and the others are still written.
void saveControlCaptions(const LanguageContext& ctx, UiComponent& root, IniFile& ini);
void writeMenuCaptions(const LanguageContext& ctx, IniFile& ini, const std::string& fileName);
void writeStrings(const LanguageContext& ctx, IniFile& ini, const std::string& fileName);

}  // namespace qbx
