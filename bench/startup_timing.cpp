// Start-up plus shut-down timing, stored scripts and a call past its work budget through
// TBP_ExecMacro, and var.dat for the Windows builds (run under Wine): a plain loop with the
// median of the runs, since Google Benchmark is not built for mingw here.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_home.h"
#include "budget_template.h"
#include "core/log.h"
#include "core/variables.h"
#include "host.h"
#include "platform/platform.h"
#include "var_dat_sample.h"

namespace {

template <class Body>
double medianMs(int runs, Body&& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    const std::string home = benchHome("wine");
    qbxhost::prepareHome(home);
    // Wine keeps one registry per prefix: folders saved by other runs must not be taken up.
    qbx::systemPlatform().registry->writeString("Software\\ZVX", "InstallDir", "");
    qbx::systemPlatform().registry->writeString("Software\\ZVX", "ScriptingDir", "");
    {
        qbxhost::Host host("QBX.tbp");
        const double startStop = medianMs(30, [&] {
            host.initialize();
            host.finalize();
        });
        std::printf("StartAndStop            %8.2f ms (median of 30)\n", startStop);
    }
    const double life = medianMs(30, [&] {
        qbxhost::Host host("QBX.tbp");
        host.initialize();
        host.finalize();
    });
    std::printf("LoadStartStopUnload     %8.2f ms (median of 30)\n", life);

    // Stored scripts of the samples through TBP_ExecMacro: the system's engines are made and
    // released at every run, the Pascal program is compiled once.
    const std::filesystem::path scripts = std::filesystem::path(home) / "Plugins" / "Scripts";
    std::filesystem::create_directories(scripts);
    for (const char* name : {"greeting.s", "initials.s", "shout.s"})
        std::filesystem::copy_file(std::filesystem::path(QBX_SAMPLES_DIR) / "scripts" / name,
                                   scripts / name,
                                   std::filesystem::copy_options::overwrite_existing);
    {
        qbxhost::Host host("QBX.tbp");
        host.initialize();
        const struct {
            const char* label;
            const char* macro;
            std::vector<std::string> args;
        } runs[] = {{"StoredPascalScript", "FNGREETING", {"Ann"}},
                    {"StoredJScriptScript", "FNINITIALS", {"anna maria smith"}},
                    {"StoredVBScriptScript", "FNSHOUT", {"hello", "3"}}};
        for (const auto& run : runs) {
            std::string result;
            const double ms =
                medianMs(30, [&] { result = host.callMacro(host.data(), run.macro, run.args); });
            const std::string firstLine = result.substr(0, result.find_first_of("\r\n"));
            std::printf("%-23s %8.3f ms (median of 30): %s\n", run.label, ms, firstLine.c_str());
        }
        host.finalize();
    }
    // One loop turn of 150,000 cheap calls: it ends at the work budget of one call.
    {
        qbxhost::Host host("QBX.tbp");
        host.initialize();
        const std::vector<std::string> arguments = bench::pastTheBudgetLoop();
        std::uintmax_t grown = 0;
        const double ms = medianMs(5, [&] {
            const std::uintmax_t before = bench::moduleLogBytes(home);
            host.callMacro(host.data(), "ZVXFOR", arguments);
            grown = bench::moduleLogBytes(home) - before;
        });
        std::printf("ForTurnPastTheWorkBudget %7.2f ms (median of 5): log +%ju bytes a call\n", ms,
                    grown);
        host.finalize();
    }
    // var.dat: a 15 MB file loaded at start-up, a full table of long values saved at shut-down.
    {
        const qbx::Platform platform = qbx::systemPlatform();
        qbx::Log log(platform);
        const std::string path = home + "\\var.dat";
        std::ofstream(path, std::ios::binary) << bench::largeVarDat();
        qbx::VarTable vars;
        const double load = medianMs(5, [&] { vars.load(platform, path, log); });
        std::printf("LoadLargeVarDat         %8.2f ms (median of 5): %d variables\n", load,
                    vars.count());
        bench::fillWithLongTexts(vars);
        bool saved = true;
        const double save = medianMs(10, [&] { saved = vars.save(platform, path, log) && saved; });
        std::printf("SaveFullTableOfLongTexts %7.2f ms (median of 10): %s\n", save,
                    saved ? "saved" : "FAILED");
    }

    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return 0;
}
