// Keeping the user's files safe: a damaged file is moved aside under a name no other file
// holds, and the leftovers of saves that were cut short are cleared away.
#pragma once

#include <string>
#include <string_view>

namespace qbx {

class FileSystem;
class Log;

// At most this many copies of one file are kept: "<path>.bad", "<path>.bad2", ...
inline constexpr int kMaxKeptAside = 100;
// What a kept file's name says of it: damaged, or sound but more than the module takes (kept
// whole, as the file written in its place holds only what was taken).
inline constexpr std::string_view kDamagedSuffix = ".bad";
inline constexpr std::string_view kNotTakenWholeSuffix = ".full";

struct KeptAside {
    bool kept = false;
    std::string path;     // where the file now is, or the free name the rename was refused
                          // under; empty when every name is taken
    std::string failure;  // why the file is still in place; empty when kept
};

// Renames the file to the first of the names above (with the suffix given) that nothing holds;
// never over another file, so what was kept aside before stays.
KeptAside keepAside(FileSystem& files, const std::string& path,
                    std::string_view suffix = kDamagedSuffix);

// Deletes the temporary files that saves of `path` write beside it ("<name>.tmp<pid>.<seq>",
// and with `bareTmp` the older "<name>.tmp"), nothing else; logs how many went and how many
// could not be removed, with the first reason. Never throws.
void removeStaleTemporaries(FileSystem& files, const std::string& path, Log& log,
                            bool bareTmp = false) noexcept;
// The same for every file of the folder whose name ends in `suffix` (the scripts, "*.s").
void removeStaleTemporariesIn(FileSystem& files, const std::string& folder, std::string_view suffix,
                              Log& log) noexcept;

}  // namespace qbx
