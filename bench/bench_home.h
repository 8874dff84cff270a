// A throw-away home folder for the host emulator: the registry, plug-in list and temporary
// folder of an empty installation.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

inline std::string benchHome(const char* tag) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    // Beside the program, not in the temporary folder: each home becomes that folder.
    auto home = std::filesystem::current_path() / "bench-homes" /
                (std::string(tag) + "-" + std::to_string(stamp));
    std::filesystem::create_directories(home);
    return home.string();
}
