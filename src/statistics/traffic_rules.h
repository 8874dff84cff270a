// The traffic rules: the raw per-recipient traffic that the spam entry collects in the
// Madrawtraffic item (keys "DDMMYY" + a type letter + the recipient's address) is folded into
// named entries of the Traffic item by the user's recipient list, then the raw item is emptied.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/regex_1251.h"

namespace qbx {
struct Plugin;
class Log;
}  // namespace qbx

namespace qbx::statistics {

class WordTrie;

// A raw key's date and type letter; the address follows.
inline constexpr std::size_t kRawKeyPrefixLength = 7;

struct TrafficRule {
    std::string name;
    std::string expression;
    Regex1251 regex;
};

// The rules of the list's lines, each compiled once. A line whose expression does not compile
// is logged and left out: one mistyped rule must not stop the others.
std::vector<TrafficRule> compileTrafficRules(const std::vector<std::string>& lines, Log& log);

// The Traffic key of a raw key under a rule: its date and type letter + the rule's name, cut to
// the key length of a record.
std::string namedTrafficKey(std::string_view rawKey, std::string_view ruleName);

// Adds every raw entry, with its full count and size, to the named key of each rule that
// matches its address (up to 80 characters from the type letter on). True when any rule
// matched, that is when the traffic tree changed.
bool mapRawTraffic(const WordTrie& raw, WordTrie& traffic, const std::vector<TrafficRule>& rules,
                   Log& log, double now);

// Stores Traffic, folds the raw entries into it, empties the raw item and stores Traffic again.
// Both the emptied raw item and the changed Traffic item are marked changed, so that what was
// folded reaches both files and is never folded a second time after a restart.
void updateTrafficInfo(Plugin& plugin);

// Registers updateTrafficInfo with the start-up, the shut-down and the dialog.
void installTrafficRules(Plugin& plugin);

}  // namespace qbx::statistics
