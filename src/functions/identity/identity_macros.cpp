#include "functions/identity/identity_macros.h"

#include "core/host_texts.h"
#include "core/plugin.h"
#include "core/version.h"

namespace qbx::functions::identity {

using macros::MacroCall;

std::string zvx(MacroCall& call) {
    const Plugin& plugin = call.plugin;
    const std::string scripts = plugin.scripting ? plugin.scripting->scriptNameList() : "";
    return std::string(kProductName) + " " + std::string(kVersionText) + "\r\n" +
           buildMacroList(scripts);
}

std::string zvxSver(MacroCall&) { return "QBX " + std::string(kVersionText); }

std::string zvxVer(MacroCall&) {
    return std::string(kProductName) + " " + std::string(kVersionText) + " beta";
}

std::string zvxTest(macros::MacroCall&) { return {}; }

}  // namespace qbx::functions::identity
