// The table of named variables that templates, expressions, loops and scripts share: 100
// entries, names compared exactly, a value that is a text or a 32-bit integer, and a flag that
// keeps temporary variables out of "var.dat".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace qbx {

class IniFile;
class Log;
struct Platform;

enum class VarKind : std::uint8_t { String = 0, Integer = 1 };

struct VarRec {
    bool used = false;
    std::string name;
    std::string text;
    std::int32_t value = 0;
    VarKind kind = VarKind::String;
    bool noSave = true;
    // The value was computed from the message's text (see macros/marked_text.h).
    bool fromMessage = false;
};

class VarTable {
public:
    static constexpr int kCapacity = 100;

    VarTable() { reset(); }

    // Index 1..100 of the used entry with that name, or -1.
    int find(std::string_view name) const;
    // A store gives the variable the new value's origin: from the message or not.
    bool storeStr(std::string_view name, std::string_view text, bool fromMessage = false);  // saved
    bool storeInt(std::string_view name, std::int32_t value, bool fromMessage = false);     // saved
    bool storeTempStr(std::string_view name, std::string_view text,
                      bool fromMessage = false);  // temporary
    bool storeTempInt(std::string_view name, std::int32_t value,
                      bool fromMessage = false);  // temporary
    // Adds delta (wrapping) to an existing variable and makes it an Integer; never creates one.
    // A delta from the message makes the value one; a value from the message stays one.
    bool incInt(std::string_view name, std::int32_t delta, bool fromMessage = false);
    // Whether the variable holds text derived from the message; false when absent.
    bool fromMessage(std::string_view name) const;
    int type(std::string_view name) const;          // 0 String, 1 Integer, 2 absent
    std::string text(std::string_view name) const;  // empty when absent
    int count() const;
    // Clears the table and stores the presets "ver" and "Author".
    void reset();
    // Entry 1..100 (for lists); an index outside reads as a free entry.
    const VarRec& entry(int index) const;

    // reset(), then the saved variables of the file, read once and parsed the way the
    // system's profile functions read it; a missing file leaves the presets. Entries the table
    // does not take (it is full, or the name or value is too long for the file) are held for
    // save() instead, and their count is logged. Leftover temporary files of earlier saves are
    // removed first. A file that exists but cannot be read is left alone and not written this
    // session; a damaged one (bytes var.dat never holds, or longer than the reader takes) is
    // kept aside as "<path>.bad..." first. Both are logged with the path and the reason.
    void load(const Platform& platform, const std::string& path, Log& log);
    // The saved variables as one text, written to a temporary file renamed over the old one,
    // which a failure leaves as it was; the failure is logged with the path and the system's
    // reason. Variables whose name the file cannot hold (or that another saved name differs
    // from only in case, or whose value is too long for it) are skipped and logged; line
    // breaks and other control characters in values are saved as blanks (line breaks logged).
    // The entries load() did not take follow the table's own in their section, in file order,
    // unless the table saves a variable of that name (without regard to case, either section).
    // The names of the variables whose values came from the message follow in a section of
    // their own, which load() reads back.
    bool save(const Platform& platform, const std::string& path, Log& log) const;

private:
    // An entry of the file the table did not take, written back as it was read.
    struct KeptEntry {
        VarKind section;
        std::string key;
        std::string value;
    };

    bool store(std::string_view name, VarKind kind, std::string_view text, std::int32_t value,
               bool temporary, bool fromMessage);
    void loadText(std::string_view bytes);
    // Appends the entries load() did not take to the table's own; `saved` holds the names the
    // table saves, upper-cased.
    void keepEntriesNotTaken(IniFile& ini, const std::unordered_set<std::string>& saved,
                             Log& log) const;
    std::string fileText(Log& log) const;

    std::array<VarRec, kCapacity + 1> entries_{};  // entry 0 unused
    // The file the last load could not read whole, which save() leaves alone.
    std::string unreadableFile_;
    // What the last load read but the table did not take: a file edited by hand or written by
    // another version loses nothing to our limits.
    std::vector<KeptEntry> kept_;
    // The names of kept entries that came from the message.
    std::vector<std::string> keptFromMessage_;
};

// Every "$$name" of the text (name: the run of letters and "_" after "$$", which may be empty)
// replaced by the variable's value, in one pass from left to right: a value is never read for
// references again. `spliced`, when given, makes the text that stands for a variable from its
// name, kind and value (the macro engine holds texts aside this way). The result is cut at
// maxBytes (then `cut` is set) and trimmed of blanks and control characters at both ends when
// anything was replaced; a text without "$$" comes back as it is.
using SplicedValue =
    std::function<std::string(std::string_view name, VarKind kind, std::string value)>;
std::string expandVariableReferences(const VarTable& vars, std::string_view text,
                                     std::size_t maxBytes, bool& cut,
                                     const SplicedValue& spliced = {});

std::string varValueText(const VarRec& entry);
std::string varTypeName(const VarRec& entry);

}  // namespace qbx
