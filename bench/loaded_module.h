// The module loaded by the host emulator in a throw-away home, started for a benchmark and
// stopped and removed after it. Run from the build folder, where QBX.tbp lies.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "bench_home.h"
#include "host.h"

inline const std::string kBenchModule = "./QBX.tbp";

struct LoadedModule {
    explicit LoadedModule(const char* tag) : home(benchHome(tag)) {
        qbxhost::prepareHome(home);
        host = std::make_unique<qbxhost::Host>(kBenchModule);
        host->initialize();
    }
    ~LoadedModule() {
        host.reset();
        std::filesystem::remove_all(home);
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    std::string home;
    std::unique_ptr<qbxhost::Host> host;
};
