// The bridge to the second host: under it the module only names itself and binds the host's
// table of services from the functions its program exports. No macros, statistics or dialogs
// run there, and the start-up of the first host is never entered.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/host_program.h"

namespace qbx {

class Log;
struct Plugin;

inline constexpr std::size_t kHostFunctionCount = 55;
// The host's exports in the order of the table; the binding looks them up in this order.
extern const std::array<std::string_view, kHostFunctionCount> kHostFunctionNames;
inline constexpr std::size_t kGetVersionSlot = 0;
// Missing from the host's older releases: looked up last, and required only from 2.00.06 on.
inline constexpr std::size_t kSetStatusSlot = 21;
// A version text is read up to this many bytes: the rule needs only whether it is longer than
// seven, and the log line shows no more. Fewer when the host's memory ends before.
inline constexpr std::size_t kMaxHostVersionChars = 32;

// Whether a host of this version works without BKA_SetStatus: a text of at most seven
// characters that sorts before "2.00.06", letters compared without regard to case. An unknown
// version (null) is taken for a newer one.
bool hostWorksWithoutSetStatus(std::optional<std::string_view> version);

// The module's settings file under that host: its own path with the file name's extension
// replaced by ".ini" (appended when the name has none).
std::string settingsPathOf(std::string_view modulePath);

// The host's table of services. Every field is null while unbound; a function that is null is
// never called.
class BeckyApi {
public:
    std::array<HostFunction, kHostFunctionCount> functions{};
    std::uintptr_t hostModule = 0;  // 0 while not bound
    std::string settingsPath;       // set once bound

    bool bound() const noexcept { return hostModule != 0; }
    HostFunction function(std::string_view name) const noexcept;
    // Binds the table from the program's exports; true when bound (at once when bound before).
    // What is missing is logged; on failure the table is left empty.
    bool loadHostApi(HostProgram& program, Log& log);
};

// The plug-in information record: four zero-ended texts of kInfoFieldSize bytes each.
inline constexpr std::size_t kInfoFieldSize = 80;
inline constexpr std::size_t kInfoRecordSize = 4 * kInfoFieldSize;
inline constexpr std::size_t kInfoNameOffset = 0;
inline constexpr std::size_t kInfoAuthorOffset = 80;
inline constexpr std::size_t kInfoVersionOffset = 160;
inline constexpr std::size_t kInfoDescriptionOffset = 240;
inline constexpr std::string_view kInfoAuthor = "The Quilbex developers";
inline constexpr std::string_view kInfoDescription =
    "Macro/statistic plugin exported from The Bat!";

// Writes text into one field: at most kInfoFieldSize - 1 bytes, the rest of the field zeros.
void writeInfoField(char* field, std::string_view text) noexcept;
// Fills the whole record; a null record is left alone.
void fillPlugInInfo(char* record) noexcept;

// The second host may call its start and end from two threads at once. One of them runs at a
// time, without a lock: a call that finds another running is refused and only counted, and
// the running call logs the count before it lets go, since the log is no more made for two
// threads than the table is.
struct SecondHostTurn {
    std::atomic<bool> taken{false};
    std::atomic<std::uint32_t> refusedStarts{0};
    std::atomic<std::uint32_t> refusedExits{0};
};

// The host's start and end: create and bind the table, or let it go. Start answers whether
// the table is bound; a fault in it is logged and answers false. Either is refused (logged)
// while the other or itself runs on another thread.
bool beckyStart(Plugin& plugin) noexcept;
void beckyExit(Plugin& plugin) noexcept;

}  // namespace qbx
