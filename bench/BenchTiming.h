#pragma once
// Best wall-clock and CPU seconds of a few runs. On a machine shared with
// other work the CPU time is the steadier figure; with nothing else running
// the two agree.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <functional>

namespace keymora::bench {

inline double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct Timing {
    double wall = 1e9;
    double cpu = 1e9;
};

inline Timing bestOf(int runs, const std::function<void()>& work) {
    using Clock = std::chrono::steady_clock;
    Timing best;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const double cpuStart = cpuSeconds();
        work();
        best.cpu = std::min(best.cpu, cpuSeconds() - cpuStart);
        best.wall = std::min(best.wall, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace keymora::bench
