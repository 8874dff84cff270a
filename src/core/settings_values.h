// The stored settings as data: one row per registry value in the order the loader reads them,
// and the fixed order in which the saver writes them back. Reading and writing one value
// (parsing, narrowing, formatting) lives here too, so the loader and saver only sequence rows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "base/datetime.h"
#include "core/settings.h"

namespace qbx {

class Registry;

// Folder: a text naming a folder, which the loader resolves before using it.
enum class ValueKind : std::uint8_t { Int, Bool, Text, Folder };

// Where a missing (or unusable) value's default comes from.
enum class DefaultSource : std::uint8_t {
    Constant,         // number or text below
    Now,              // a field of the current date and time
    UnderInstallDir,  // the installation folder as known at reading time + text
};
enum class NowField : std::uint8_t { Year, Month, Day, Hour, Minute, Second, Millisecond };

struct ValueDefault {
    DefaultSource source = DefaultSource::Constant;
    std::int64_t number = 0;
    const char* text = "";
    NowField now = NowField::Year;
};

// The values an Int row accepts; a stored number outside them gives the row's default. Rows of
// other kinds leave it empty.
struct ValueRange {
    std::int64_t min = 1;
    std::int64_t max = 0;
    // The earlier version stored these counters as their low 32 bits: a negative 32-bit number
    // is the unsigned count it stood for.
    bool negativeIsLow32 = false;
    constexpr bool empty() const { return min > max; }
    constexpr bool contains(std::int64_t value) const { return value >= min && value <= max; }
};

using SettingsField =
    std::variant<std::int32_t Settings::*, std::int64_t Settings::*, std::uint16_t Settings::*,
                 std::uint8_t Settings::*, bool Settings::*, std::string Settings::*>;

struct ValueRow {
    int number;        // position in the read order, 1-based
    const char* key;   // registry key below HKEY_CURRENT_USER
    const char* name;  // registry value name
    ValueKind kind;
    ValueDefault fallback;
    SettingsField field;
    bool expand;  // %VAR% references are expanded after reading
    ValueRange range = {};
};

// Every stored value the loader reads, ascending by number. Number 69 ("Statistics reset", the
// first-run marker) has no field and is read by the loader itself.
std::span<const ValueRow> valueRows();
const ValueRow* findValueRow(int number);

enum class SavedSource : std::uint8_t { Row, VersionText, ViewerPath };
struct SavedValue {
    const char* key;
    const char* name;
    SavedSource source;
};
// The values SaveSettings writes, in its fixed order.
std::span<const SavedValue> saveOrder();

// FromLow32: stored as a negative 32-bit number, read as the unsigned count it stands for.
enum class ReadResult : std::uint8_t {
    Stored,
    FromLow32,
    Missing,
    WrongType,
    Unparsable,
    OutOfRange
};

struct ReadOutcome {
    ReadResult result = ReadResult::Missing;
    std::string text;  // the stored text, when there was one
};

// Reads one value into its field. A missing, wrong-typed, unparsable or out-of-range value
// stores the row's default, so one bad value never disturbs another. Expansion and the
// resolution of folders are left to the caller.
ReadOutcome readValue(const ValueRow& row, Settings& settings, Registry& registry,
                      const DateTimeFields& now);

// The field's current value as the registry holds it.
std::string fieldText(const ValueRow& row, const Settings& settings);

// The registry text of one value as SaveSettings writes it.
std::string storedText(const SavedValue& value, const Settings& settings);

}  // namespace qbx
