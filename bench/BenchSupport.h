#pragma once

// What every benchmark needs: timing runs, running the outside tool it
// compares against, and printing the times and their ratio the same way.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Seconds that one call of `work` takes.
template <class Work>
double secondsOf(Work&& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Median seconds of `runs` runs of `work`, with `prepare` run untimed before
// each. A run that reports failure ends the benchmark.
inline double medianSeconds(int runs, const std::function<void()>& prepare, const std::function<bool()>& work) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        prepare();
        bool ok = true;
        times.push_back(secondsOf([&] { ok = work(); }));
        if (!ok) {
            std::fprintf(stderr, "a run failed\n");
            std::exit(1);
        }
    }
    return median(times);
}

// Runs a program found on PATH in `workingDirectory` (the current one when
// empty) and returns its exit status; -1 when it did not exit normally.
inline int runCommand(const std::vector<std::string>& argv, const std::string& workingDirectory = {}) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0) _exit(126);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// "  label:   12.3 ms"
inline void printTime(const char* label, double seconds) {
    std::printf("  %-24s %8.1f ms\n", (std::string(label) + ":").c_str(), seconds * 1000);
}

// "  ratio: 0.42 (target <= 1.0)", ours over theirs.
inline void printRatio(const char* label, double ours, double theirs, double target) {
    std::printf("  %-24s %8.2f (target <= %.1f)\n", (std::string(label) + ":").c_str(), ours / theirs, target);
}

}  // namespace bench
