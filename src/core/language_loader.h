// Applies a language file to everything of the Plugin that shows interface texts.
#pragma once

#include <string>

namespace qbx {

struct Plugin;
struct LanguageContext;

// The string table, the log, the files and the dialog and tray menu when they exist.
LanguageContext languageContext(Plugin& plugin);

// The start-up's language step: the whole file (captions, tray menu, strings), then its
// [Strings] section once more.
void applyLanguageFile(Plugin& plugin, const std::string& path);

}  // namespace qbx
