// The file, folder, INI and registry macros: the previous run's log, values of any INI file,
// version resources, sums, counts and lists of a folder's files, special folders, drive space,
// volume information and text values of any registry root. Every failure gives the macro's
// placeholder and a log line.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::files {

// The text of "-QBX.log.old" in the temporary folder, a CR LF after every line.
std::string zvxLastLog(macros::MacroCall& call);
// Arguments: file, section, key (and the value for the writers).
std::string zvxGetIniInt(macros::MacroCall& call);
std::string zvxSetIniInt(macros::MacroCall& call);
std::string zvxIncIniInt(macros::MacroCall& call);
std::string zvxGetIniStr(macros::MacroCall& call);
std::string zvxSetIniStr(macros::MacroCall& call);
// Argument: file name; "a.b.c.d", or "n/a" without a version resource.
std::string zvxFVer(macros::MacroCall& call);
// Arguments: unit letter, folder, mask, unit-name letter.
std::string zvxFilesSize(macros::MacroCall& call);
// Arguments: folder, mask.
std::string zvxFilesCount(macros::MacroCall& call);
std::string zvxFilesList(macros::MacroCall& call);
// Argument: folder key; stored under the folder result item.
std::string zvxGp(macros::MacroCall& call);
std::string zvxTempPath(macros::MacroCall& call);
// Arguments: unit letter (or "P" for percent), drive letter.
std::string zvxDrvFree(macros::MacroCall& call);
// Arguments: unit letter, drive letter.
std::string zvxDrvSize(macros::MacroCall& call);
// Arguments: drive letter, and for the label the text given when there is none.
std::string zvxVolName(macros::MacroCall& call);
std::string zvxVolSNum(macros::MacroCall& call);
std::string zvxVolFs(macros::MacroCall& call);
// Arguments: key path, value name, root letter.
std::string zvxRegRead(macros::MacroCall& call);

}  // namespace qbx::functions::files
