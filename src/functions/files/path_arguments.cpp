#include "functions/files/path_arguments.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "base/text.h"
#include "core/plugin.h"
#include "core/strings.h"
#include "macros/arguments.h"
#include "macros/message_text.h"

namespace qbx::functions::files {
namespace {

// What the macro answers when it fails, and so when it is refused.
enum class Refusal : std::uint8_t { Empty, Zero, NotAvailable, Argument1 };

struct PathArgument {
    std::int32_t index;
    std::string_view what;
};

struct PathMacro {
    std::string_view name;
    std::array<PathArgument, 3> arguments;  // the unused ones have no `what`
    Refusal refusal;
};

constexpr PathArgument kIniFile{0, "INI file"};
constexpr PathArgument kSection{1, "section"};
constexpr PathArgument kKey{2, "key"};

constexpr std::array kPathMacros = {
    PathMacro{"ZVXGETINIINT", {kIniFile, kSection, kKey}, Refusal::Zero},
    PathMacro{"ZVXSETINIINT", {kIniFile, kSection, kKey}, Refusal::Empty},
    PathMacro{"ZVXINCINIINT", {kIniFile, kSection, kKey}, Refusal::Empty},
    PathMacro{"ZVXGETINISTR", {kIniFile, kSection, kKey}, Refusal::Empty},
    PathMacro{"ZVXSETINISTR", {kIniFile, kSection, kKey}, Refusal::Empty},
    PathMacro{"ZVXFVER", {{{0, "file name"}}}, Refusal::NotAvailable},
    PathMacro{"ZVXFILESSIZE", {{{1, "folder"}, {2, "mask"}}}, Refusal::Empty},
    PathMacro{"ZVXFILESCOUNT", {{{0, "folder"}, {1, "mask"}}}, Refusal::Zero},
    PathMacro{"ZVXFILESLIST", {{{0, "folder"}, {1, "mask"}}}, Refusal::Empty},
    // The drive is a root path: "\\server\share" would be asked over the network.
    PathMacro{"ZVXVOLNAME", {{{0, "drive"}}}, Refusal::Argument1},
    PathMacro{"ZVXVOLSNUM", {{{0, "drive"}}}, Refusal::Empty},
    PathMacro{"ZVXVOLFS", {{{0, "drive"}}}, Refusal::Empty},
    PathMacro{"ZVXREGREAD", {{{0, "registry key"}, {1, "value name"}}}, Refusal::Empty},
    PathMacro{"ZVXGETSTR", {{{0, "file name"}, {1, "key"}}}, Refusal::Empty},
    PathMacro{"ZVXPUTUUE", {{{0, "file name"}}}, Refusal::NotAvailable},
};

std::string refusalText(macros::MacroCall& call, Refusal refusal) {
    switch (refusal) {
        case Refusal::Empty: return {};
        case Refusal::Zero: return "0";
        case Refusal::NotAvailable: return call.plugin.strings[str::kNotAvailable];
        case Refusal::Argument1: return macros::getParamText(call.params, 1);
    }
    return {};
}

}  // namespace

std::optional<std::string> refusedPathFromMessage(macros::MacroCall& call) {
    const auto row = std::find_if(kPathMacros.begin(), kPathMacros.end(),
                                  [&call](const PathMacro& m) { return m.name == call.name; });
    if (row == kPathMacros.end()) return std::nullopt;
    for (const PathArgument& argument : row->arguments) {
        if (argument.what.empty() || !macros::argumentFromMessage(call, argument.index)) continue;
        call.plugin.log.write("***** ERROR!!! Macro " + call.name + ": " +
                              std::string(argument.what) + " (argument " + decimal(argument.index) +
                              ") produced from the message is refused");
        return refusalText(call, row->refusal);
    }
    return std::nullopt;
}

}  // namespace qbx::functions::files
