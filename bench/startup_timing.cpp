// Start-up plus shut-down timing for the Windows builds (run under Wine): a plain loop with
// the median of the runs, since Google Benchmark is not built for mingw here.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench_home.h"
#include "host.h"

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
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return 0;
}
