#pragma once

// What every benchmark needs: running the outside programs it compares
// against (never through a shell), timing ours and the reference in turn,
// and printing the times, their spread and their ratio the same way.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

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

// ---- outside programs, started without a shell ----------------------------

// Starts `argv` (its program found on PATH) in `workingDirectory` (the
// current one when empty), its standard input, output and error on the given
// descriptors (-1 keeps this process's). Returns the child's id, -1 when it
// could not start.
inline pid_t spawn(const std::vector<std::string>& argv, const std::string& workingDirectory = {}, int input = -1,
                   int output = -1, int errors = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingDirectory.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    for (auto [from, to] : {std::pair{input, 0}, std::pair{output, 1}, std::pair{errors, 2}})
        if (from >= 0) posix_spawn_file_actions_adddup2(&actions, from, to);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit status of a started child; -1 when it did not exit normally.
inline int waitFor(pid_t pid) {
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the commands with each one's standard output piped into the next
// one's input, as a shell's "a | b" does, and returns whether all exited
// with status 0; a failure is told on standard error.
inline bool runPipeline(const std::vector<std::vector<std::string>>& commands,
                        const std::string& workingDirectory = {}) {
    std::vector<pid_t> children;
    int input = -1;
    for (size_t i = 0; i < commands.size(); ++i) {
        int pipe[2] = {-1, -1};
        if (i + 1 < commands.size() && pipe2(pipe, O_CLOEXEC) != 0) return false;
        children.push_back(spawn(commands[i], workingDirectory, input, pipe[1]));
        for (int end : {input, pipe[1]})
            if (end >= 0) close(end);
        input = pipe[0];
    }
    bool ok = true;
    for (size_t i = 0; i < children.size(); ++i) {
        const int status = waitFor(children[i]);
        if (status != 0) {
            std::fprintf(stderr, "%s failed (status %d)\n", commands[i][0].c_str(), status);
            ok = false;
        }
    }
    return ok;
}

// Runs one command; true when it exited with status 0.
inline bool runCommand(const std::vector<std::string>& argv, const std::string& workingDirectory = {}) {
    return runPipeline({argv}, workingDirectory);
}

// The standard output of a command (with its standard error too when
// `withErrors`); nothing when it could not start or failed.
inline std::optional<std::string> captureOutput(const std::vector<std::string>& argv, bool withErrors = false) {
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0) return std::nullopt;
    const pid_t pid = spawn(argv, {}, -1, pipe[1], withErrors ? pipe[1] : -1);
    close(pipe[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t n; (n = read(pipe[0], buffer, sizeof buffer)) > 0;) output.append(buffer, size_t(n));
    close(pipe[0]);
    if (waitFor(pid) != 0) return std::nullopt;
    return output;
}

// Makes `files` and the folders that hold them durable (fsync), as our
// atomic writes make what they write: a reference that leaves its output in
// the page cache does less than ours, and only ours would pay the disk's
// latency, which swings with whatever else the machine writes.
inline bool syncFiles(const std::vector<std::filesystem::path>& files) {
    std::vector<std::filesystem::path> all = files;
    for (const auto& file : files) all.push_back(file.parent_path());
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    for (const auto& path : all) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const bool synced = fd >= 0 && ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
        if (!synced) return false;
    }
    return true;
}

// An empty folder at `folder`, whatever was there before.
inline std::filesystem::path freshFolder(const std::filesystem::path& folder) {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

// ---- comparisons: ours and the reference in turn ---------------------------

// Keeps the calling thread, and the programs it starts meanwhile, on the CPU
// it runs on now, for comparisons whose two sides each run on one thread: on
// a virtual machine a thread that moves to a CPU that sat idle runs slower
// for a while, and which side such a move lands on would decide the ratio.
class OnOneCpu {
public:
    OnOneCpu() {
        const int cpu = sched_getcpu();
        if (cpu < 0 || sched_getaffinity(0, sizeof before_, &before_) != 0) return;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        pinned_ = sched_setaffinity(0, sizeof one, &one) == 0;
    }
    ~OnOneCpu() {
        if (pinned_) sched_setaffinity(0, sizeof before_, &before_);
    }
    OnOneCpu(const OnOneCpu&) = delete;
    OnOneCpu& operator=(const OnOneCpu&) = delete;

private:
    cpu_set_t before_{};
    bool pinned_ = false;
};

// The wall and CPU seconds of one run.
struct Times {
    double wall = 0;
    double cpu = 0;
};

// CPU seconds used so far by this process (all its threads) and by its
// children that have ended: a run in process counts in the first, an
// outside program in the second.
inline double cpuSecondsSoFar() {
    double seconds = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        seconds += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return seconds;
}

// One side of a comparison: `prepare` runs untimed before each run, `run`
// does the work once and gives its times, or nothing when it failed.
struct Side {
    std::function<std::optional<Times>()> run;
    std::function<void()> prepare = [] {};
};

// The wall time of one call of `work` and the CPU time this process and its
// children spent in it.
inline Times measure(const std::function<void()>& work) {
    const double cpu = cpuSecondsSoFar();
    const double wall = secondsOf(work);
    return {wall, cpuSecondsSoFar() - cpu};
}

// A side timed from here: `work` measured as a whole.
inline Side timed(
    std::function<bool()> work, std::function<void()> prepare = [] {}) {
    return {[work = std::move(work)]() -> std::optional<Times> {
                bool ok = false;
                const Times times = measure([&] { ok = work(); });
                return ok ? std::optional(times) : std::nullopt;
            },
            std::move(prepare)};
}

// A side that is an outside program run once per run: `command` gives its
// arguments for that run (made after `prepare`).
inline Side program(
    std::function<std::vector<std::string>()> command, std::function<void()> prepare = [] {}) {
    return timed([command = std::move(command)] { return runCommand(command()); }, std::move(prepare));
}

// The times of every run of both sides.
struct Comparison {
    std::vector<Times> ours, reference;
};

// The median of one measure of runs (their wall time unless told).
inline double medianOf(const std::vector<Times>& runs, double Times::*measure = &Times::wall) {
    std::vector<double> values;
    for (const Times& run : runs) values.push_back(run.*measure);
    return median(values);
}

// Runs ours and each reference in turn, `runs` times each (A B A B ...,
// or A B C A B C ... with more references): on a shared machine a burst of
// load then falls on all sides alike instead of on all the runs of one.
// Gives ours against each reference; a failed run ends the benchmark.
inline std::vector<Comparison> compareAll(int runs, const Side& ours, const std::vector<Side>& references) {
    std::vector<Side> sides{ours};
    sides.insert(sides.end(), references.begin(), references.end());
    std::vector<std::vector<Times>> times(sides.size());
    for (int run = 0; run < runs; ++run)
        for (size_t s = 0; s < sides.size(); ++s) {
            sides[s].prepare();
            const std::optional<Times> measured = sides[s].run();
            if (!measured) {
                std::fprintf(stderr, "run %d of %s failed\n", run + 1,
                             s == 0 ? "ours" : ("reference " + std::to_string(s)).c_str());
                std::exit(1);
            }
            times[s].push_back(*measured);
        }
    std::vector<Comparison> comparisons;
    for (size_t s = 1; s < sides.size(); ++s) comparisons.push_back({times[0], times[s]});
    return comparisons;
}
inline Comparison compare(int runs, const Side& ours, const Side& reference) {
    return compareAll(runs, ours, {reference})[0];
}

// The runs less the median run of `baseline`: an outside program's start-up
// (and whatever it does with no input at all), timed in runs of its own,
// taken off a reference that starts afresh for each run, so that it is not
// handicapped against ours, which runs in a process already up.
inline std::vector<Times> lessMedianOf(std::vector<Times> runs, const std::vector<Times>& baseline) {
    const Times base{medianOf(baseline), medianOf(baseline, &Times::cpu)};
    for (Times& run : runs) run = {run.wall - base.wall, run.cpu - base.cpu};
    return runs;
}

// The same times per unit of work (a frame, a thousand frames): ours did
// `oursUnits` of it, the reference `referenceUnits`.
inline Comparison perUnit(Comparison times, double oursUnits, double referenceUnits) {
    for (auto [side, units] : {std::pair{&times.ours, oursUnits}, std::pair{&times.reference, referenceUnits}})
        for (Times& run : *side) run = {run.wall / units, run.cpu / units};
    return times;
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

// Prints a comparison: the median and range (min..max) of both sides' wall
// and CPU times, then the wall line "bench <name>: ..." and, since wall time
// swings with the machine's load, the CPU line "bench <name>-cpu: ..." (our
// process's CPU time against the reference's, its child's when it is an
// outside program), held to `cpuTarget`, or to `target` when not given.
// The CPU line is named `cpuName` when given: a reference whose CPU times
// also count work it does in turn and ours alongside, which its wall times
// leave out. Returns whether both targets are met.
inline bool report(const std::string& name, const Comparison& times, Target target,
                   std::optional<Target> cpuTarget = std::nullopt, const std::string& cpuName = {}) {
    std::printf("  %s, %zu runs each, in turn:", name.c_str(), times.ours.size());
    for (double Times::*measure : {&Times::wall, &Times::cpu})
        for (const std::vector<Times>* side : {&times.ours, &times.reference}) {
            const auto [low, high] = std::minmax_element(
                side->begin(), side->end(), [&](const Times& a, const Times& b) { return a.*measure < b.*measure; });
            std::printf("%s %.2f ms [%.2f..%.2f]",
                        side == &times.reference  ? ", reference"
                        : measure == &Times::wall ? " wall ours"
                                                  : "; cpu ours",
                        medianOf(*side, measure) * 1000, (*low).*measure * 1000, (*high).*measure * 1000);
        }
    std::printf(" (median [min..max])\n");
    const bool met = printResult(name, medianOf(times.ours), medianOf(times.reference), target);
    return printResult(cpuName.empty() ? name + "-cpu" : cpuName, medianOf(times.ours, &Times::cpu),
                       medianOf(times.reference, &Times::cpu), cpuTarget.value_or(target)) &&
           met;
}

// ---- references timed inside their own process -----------------------------

// A warm python3 process that runs `setup` once and then, each time it is
// asked, `work`, timing it inside itself (wall and process CPU time): the
// interpreter's start-up and the reading of its input stay out of its times,
// as they stay out of ours. `arguments` are its sys.argv[1:].
class PythonTimer {
public:
    PythonTimer(const std::string& setup, const std::string& work, const std::vector<std::string>& arguments = {}) {
        static const char* const kDriver = R"PY(
import sys, time
setup, work = sys.argv[1], compile(sys.argv[2], "work", "exec")
del sys.argv[1:3]
scope = {}
exec(setup, scope)
for _ in sys.stdin:
    wall, cpu = time.perf_counter(), time.process_time()
    exec(work, scope)
    print(time.perf_counter() - wall, time.process_time() - cpu, flush=True)
)PY";
        std::vector<std::string> argv{"python3", "-c", kDriver, setup, work};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        int toPython[2], fromPython[2];
        if (pipe2(toPython, O_CLOEXEC) != 0 || pipe2(fromPython, O_CLOEXEC) != 0) return;
        pid_ = spawn(argv, {}, toPython[0], fromPython[1]);
        close(toPython[0]);
        close(fromPython[1]);
        ask_ = fdopen(toPython[1], "w");
        answers_ = fdopen(fromPython[0], "r");
    }
    ~PythonTimer() {
        if (ask_) std::fclose(ask_);
        if (answers_) std::fclose(answers_);
        waitFor(pid_);
    }
    PythonTimer(const PythonTimer&) = delete;
    PythonTimer& operator=(const PythonTimer&) = delete;

    // One timed run of `work`; nothing when python did not answer.
    std::optional<Times> run() {
        Times times;
        if (!ask_ || !answers_ || std::fputs("run\n", ask_) < 0 || std::fflush(ask_) != 0 ||
            std::fscanf(answers_, "%lf %lf", &times.wall, &times.cpu) != 2)
            return std::nullopt;
        return times;
    }
    // The side of a comparison that this timer is.
    Side side() {
        return {[this] { return run(); }};
    }

private:
    pid_t pid_ = -1;
    FILE* ask_ = nullptr;
    FILE* answers_ = nullptr;
};

// python3's json.loads of a file's text, the text read before any run.
inline PythonTimer pythonJSONLoads(const std::filesystem::path& file) {
    return PythonTimer("import json, sys\ntext = open(sys.argv[1], encoding='utf-8').read()\n", "json.loads(text)\n",
                       {file.string()});
}

// ---- what several benchmarks share -----------------------------------------

// This benchmark's own executable; a fresh process of it, or the helper
// programs built beside it in "tools/", measure what must start cold.
inline std::filesystem::path selfExecutable() { return std::filesystem::read_symlink("/proc/self/exe"); }
inline std::filesystem::path benchTool(const std::string& name) {
    return selfExecutable().parent_path() / "tools" / name;
}

// `argv` run by tools/peak_resident, which appends the program's own peak
// resident size to `report` on each run; `largestPeakKiB` reads the largest.
inline std::vector<std::string> withPeakResident(const std::filesystem::path& report, std::vector<std::string> argv) {
    argv.insert(argv.begin(), {benchTool("peak_resident").string(), report.string()});
    return argv;
}
inline long largestPeakKiB(const std::filesystem::path& report) {
    long largest = 0;
    if (std::FILE* in = std::fopen(report.c_str(), "r")) {
        for (long peak = 0; std::fscanf(in, "%ld", &peak) == 1;) largest = std::max(largest, peak);
        std::fclose(in);
    }
    return largest;
}

// Points the application's data, caches and settings folders below `root`,
// so a benchmark's projects and renders never touch the user's.
inline void useApplicationFoldersBelow(const std::filesystem::path& root) {
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
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
