// The template of one loop turn that holds more cheap calls than one macro call may make: the
// call ends at its work budget, and its log lines stop at the call's share.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace bench {

inline std::vector<std::string> pastTheBudgetLoop(int calls = 150000) {
    std::string templ;
    templ.reserve(static_cast<std::size_t>(calls) * 11);
    for (int i = 0; i < calls; ++i) templ += "$ZVXRND(9) ";
    return {"i", "1", "1", templ, ""};
}

// The size of the module's log in a host home (its temporary folder is the home's "tmp").
inline std::uintmax_t moduleLogBytes(const std::string& home) {
    std::error_code error;
    const std::uintmax_t size =
        std::filesystem::file_size(std::filesystem::path(home) / "tmp" / "-QBX.log", error);
    return error ? 0 : size;
}

}  // namespace bench
