#pragma once

// What every benchmark needs: timing runs, running the outside tool it
// compares against, and printing the times and their ratio the same way.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// Median seconds of ours and of the reference, the two timed in turn, run by
// run, with `prepare` run untimed before each of ours: on a shared machine a
// burst of load then falls on both sides alike instead of on all the runs of
// one. A run that reports failure ends the benchmark.
struct Medians {
    double ours = 0;
    double reference = 0;
};
inline Medians interleavedMedianSeconds(int runs, const std::function<void()>& prepare,
                                        const std::function<bool()>& ours, const std::function<bool()>& reference) {
    std::vector<double> ourTimes, referenceTimes;
    for (int run = 0; run < runs; ++run) {
        prepare();
        bool ok = true;
        ourTimes.push_back(secondsOf([&] { ok = ours(); }));
        if (ok) referenceTimes.push_back(secondsOf([&] { ok = reference(); }));
        if (!ok) {
            std::fprintf(stderr, "a run failed\n");
            std::exit(1);
        }
    }
    return {median(ourTimes), median(referenceTimes)};
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

// The standard output of a shell command (empty when it cannot start).
inline std::string captureOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

// The median seconds python3 takes for json.loads of a file's text, timed
// inside python so start-up and reading the file stay out of the number;
// 0 when python3 did not report a time.
inline double pythonJSONLoadsSeconds(const std::filesystem::path& file, int runs) {
    static const char* const kTimer = R"PY(
import json, sys, time
text = open(sys.argv[2], encoding="utf-8").read()
times = []
for _ in range(int(sys.argv[1])):
    start = time.perf_counter(); json.loads(text); times.append(time.perf_counter() - start)
times.sort()
print(times[len(times) // 2])
)PY";
    const std::string output =
        captureOutput("python3 -c '" + std::string(kTimer) + "' " + std::to_string(runs) + " '" + file.string() + "'");
    double seconds = 0;
    return std::sscanf(output.c_str(), "%lf", &seconds) == 1 ? seconds : 0;
}

// Median seconds of an outside tool run `runs` times, each time in a fresh
// folder below `root` (made untimed); `command` gives the tool's arguments
// for that folder. A failing run ends the benchmark.
inline double medianToolSeconds(int runs, const std::string& tool, const std::filesystem::path& root,
                                const std::function<std::vector<std::string>(const std::filesystem::path&)>& command) {
    int run = 0;
    std::filesystem::path out;
    return medianSeconds(
        runs,
        [&] {
            out = root / ("tool-" + std::to_string(run++));
            std::filesystem::remove_all(out);
            std::filesystem::create_directories(out);
        },
        [&] {
            const int status = runCommand(command(out));
            if (status != 0) std::fprintf(stderr, "%s failed (status %d)\n", tool.c_str(), status);
            return status == 0;
        });
}

// Points the application's data, caches and settings folders below `root`,
// so a benchmark's projects and renders never touch the user's.
inline void useApplicationFoldersBelow(const std::filesystem::path& root) {
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
}

// What a comparison must reach. Where less is better the ratio is our time
// over the reference's and must stay at or below the bound; where more is
// better it is the reference's time over ours (how many times faster we are)
// and must reach the bound.
struct Target {
    enum class Better { Less, More };
    Better better;
    double bound;

    static Target atMost(double bound) { return {Better::Less, bound}; }
    static Target atLeast(double bound) { return {Better::More, bound}; }

    double ratio(double ours, double reference) const {
        return better == Better::Less ? ours / reference : reference / ours;
    }
    bool met(double ratio) const { return better == Better::Less ? ratio <= bound : ratio >= bound; }
};

// The one line that ends every comparison:
// "bench <name>: ours <x> ms, reference <y> ms, ratio <r>, target <= <t>"
// (">=" where more is better). Returns whether the target is met.
inline bool printResult(const std::string& name, double oursSeconds, double referenceSeconds, Target target) {
    const double ratio = target.ratio(oursSeconds, referenceSeconds);
    std::printf("bench %s: ours %.2f ms, reference %.2f ms, ratio %.2f, target %s %g\n", name.c_str(),
                oursSeconds * 1000, referenceSeconds * 1000, ratio,
                target.better == Target::Better::Less ? "<=" : ">=", target.bound);
    std::fflush(stdout);
    return target.met(ratio);
}

// The same line for a measure other than time, in its own unit:
// "bench <name>: ours <x> MB, reference <y> MB, ratio <r>, target <= <t>".
inline bool printMeasure(const std::string& name, double ours, double reference, const std::string& unit,
                         Target target) {
    const double ratio = target.ratio(ours, reference);
    std::printf("bench %s: ours %.2f %s, reference %.2f %s, ratio %.2f, target %s %g\n", name.c_str(), ours,
                unit.c_str(), reference, unit.c_str(), ratio,
                target.better == Target::Better::Less ? "<=" : ">=", target.bound);
    std::fflush(stdout);
    return target.met(ratio);
}

// The process's resident size now, in megabytes.
inline double residentMB() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (statm) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// ImageMagick convert's arguments that read a picture with `input` and write
// from it, in one call, what the frame store writes into `out`: a thumbnail
// and a preview (scaled to fill, cropped to the middle) at `smallQuality` and
// the whole frame at `fullQuality`. Sizes are "WIDTHxHEIGHT".
inline std::vector<std::string> convertToStoredPictures(std::vector<std::string> input,
                                                        const std::string& thumbnailSize,
                                                        const std::string& previewSize, const std::string& smallQuality,
                                                        const std::string& fullQuality,
                                                        const std::filesystem::path& out) {
    std::vector<std::string> arguments{"convert"};
    arguments.insert(arguments.end(), input.begin(), input.end());
    for (const auto& [size, name] : {std::pair{thumbnailSize, "thumb.jpg"}, std::pair{previewSize, "preview.jpg"}})
        arguments.insert(arguments.end(), {"(", "+clone", "-resize", size + "^", "-gravity", "center", "-extent", size,
                                           "-quality", smallQuality, "-write", (out / name).string(), "+delete", ")"});
    arguments.insert(arguments.end(), {"-quality", fullQuality, (out / "frame.jpg").string()});
    return arguments;
}

}  // namespace bench
