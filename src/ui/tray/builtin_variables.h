// The variables the tray's 456 ms tick keeps current for templates and expressions: the clock's
// values with the folders and the version, and, while the user tracks the player, Winamp's
// state. Each is one row {name, kind, value}; a tick stores every row of a table in order.
// Titles and captions are other programs' texts: they are stored as data, never expanded.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/datetime.h"
#include "core/variables.h"

namespace qbx {
struct Plugin;
class DesktopWindows;
}  // namespace qbx

namespace qbx::ui {

// What one tick reads once for every row.
struct TickFacts {
    Plugin& plugin;
    DesktopWindows& desktop;
    double now = 0;
    DateTimeFields at;
};

struct BuiltInVariable {
    std::string_view name;
    VarKind kind;
    std::string (*text)(const TickFacts&);     // String rows
    std::int32_t (*number)(const TickFacts&);  // Integer rows
};

std::span<const BuiltInVariable> clockVariables();   // "np" .. "tbdir"
std::span<const BuiltInVariable> playerVariables();  // "wa" .. "wa_title"

// Stores each row as a saved variable, in table order.
void storeVariables(VarTable& variables, std::span<const BuiltInVariable> rows,
                    const TickFacts& facts);

// Monday 1 .. Sunday 7.
int isoDayOfWeek(double dateTime);

}  // namespace qbx::ui
