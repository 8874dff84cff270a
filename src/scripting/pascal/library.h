// The scripts' runtime library beyond the interpreter's own core: strings, Format, maths, dates,
// files and folders, other programs' windows, message boxes and the registry, with Delphi's names
// and behaviour. Every failure is a script exception carrying Delphi's class name, so scripts can
// catch it.
#pragma once

#include "platform/platform.h"
#include "platform/script_files.h"
#include "platform/script_registry.h"
#include "platform/script_windows.h"
#include "scripting/pascal/pascal.h"

namespace qbx::scripting::pascal {

// What the library reaches outside the interpreter. The services must outlive every run of the
// environment; a null service makes the functions that need it fail with a script error.
struct RuntimeServices {
    Clock* clock = nullptr;
    LocaleFormat* locale = nullptr;
    FileSystem* files = nullptr;
    Registry* registry = nullptr;
    UserInterface* ui = nullptr;
    ScriptFiles* scriptFiles = nullptr;
    ScriptWindows* windows = nullptr;
    ScriptRegistry* scriptRegistry = nullptr;
};

inline RuntimeServices runtimeServices(const Platform& platform) {
    return RuntimeServices{
        platform.clock, platform.locale,      platform.files,         platform.registry,
        platform.ui,    &systemScriptFiles(), &systemScriptWindows(), &systemScriptRegistry()};
}

// Registers the functions and constants (rfReplaceAll, MB_OK, IDOK, ...). Call after
// addCoreLibrary; it replaces no core name.
void addRuntimeLibrary(Environment& environment, const RuntimeServices& services);

}  // namespace qbx::scripting::pascal
