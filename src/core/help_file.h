// The help file the tray menu offers. Its name is an interface text that a language file sets,
// and a language file is data someone may send the user: only a document inside the module's
// folder is ever opened, never a program and never a file elsewhere.
#pragma once

#include <string>
#include <string_view>

namespace qbx {

struct HelpFile {
    std::string path;     // the module's folder + the name; empty when refused or unnamed
    std::string refusal;  // why the name is not used; empty when it is, or when there is none
};

// The help file a name (relative to the module's folder) stands for.
HelpFile helpFileOf(std::string_view moduleFolder, std::string_view name);

}  // namespace qbx
