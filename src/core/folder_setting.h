// The folders named by settings ("InstallDir", "StatDir", "UCdir", "ScriptingDir"): what the
// registry holds becomes a full folder path ending in a backslash, or is refused. Anyone who can
// write the user's registry can write these texts, and every file of the statistics, the
// attachment parts and the scripts is created under them.
#pragma once

#include <string>
#include <string_view>

namespace qbx {

struct ResolvedFolder {
    std::string folder;   // a full path ending in a separator; empty when refused or empty
    std::string refusal;  // why the text names no usable folder; empty when it does
};

// value: the setting as stored (after %VAR% expansion where the setting has it). A full path
// is "X:\..." or "\\server\share..."; a rooted one ("\Data\", either slash) is on the drive or
// share of moduleFolder, the folder of the module's own file; anything else is taken from
// moduleFolder itself, and its ".." may climb to that root. The folder is normalised as Windows
// would use it: "." and ".." resolved (never above the root), trailing dots and blanks of names
// trimmed, one backslash between names and one at the end. Refused, on the value as stored:
// device names as a path component (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an
// extension), "\\.\" and "\\?\" paths, a drive without its backslash ("C:x"), a network path
// without its share, and characters no Windows path holds.
// An empty value stays empty and is not refused: the caller's default applies.
ResolvedFolder resolveFolderSetting(std::string_view value, std::string_view moduleFolder);

}  // namespace qbx
