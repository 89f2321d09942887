// Writing and reading a frame-list-shaped property list (5,000 dictionaries of
// the keys a frame list keeps) in XML and binary, against python3's plistlib
// on the same data. Prints the best of several runs for both and the ratio
// ours/theirs; below 1 means ours is faster, and ours must be no slower.

#include "BenchSupport.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <unistd.h>

using namespace foundation;
namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 5000;
constexpr int kRuns = 7;
constexpr double kTarget = 1.0;

std::string uuid(std::mt19937_64& random) {
    char text[37];
    uint64_t a = random(), b = random();
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(a >> 32),
                  static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFFF),
                  static_cast<unsigned>(b >> 48), static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFULL));
    return text;
}

Value frameList() {
    std::mt19937_64 random(42);
    Array frames;
    for (int i = 0; i < kFrames; ++i) {
        frames.push_back(Dictionary{
            {"FrameID", uuid(random)},
            {"FrameIndex", i},
            {"FrameHold", static_cast<int>(random() % 4)},
            {"FrameSelected", i % 7 == 0},
            {"FrameHasPainting", i % 11 == 0},
            {"FrameSource", Dictionary{{"ProjectID", uuid(random)}, {"Width", 1920}, {"Height", 1080}}},
        });
    }
    return frames;
}

double bestSeconds(const std::function<void()>& work) {
    double best = 1e300;
    for (int run = 0; run < kRuns; ++run) best = std::min(best, bench::secondsOf(work));
    return best;
}

// plistlib times itself on the files we wrote, so process start-up and file
// reading stay out of its numbers as they stay out of ours.
const char* kPythonTimer = R"PY(
import plistlib, sys, time
runs = int(sys.argv[1])
for name, path, fmt in (("xml", sys.argv[2], plistlib.FMT_XML), ("binary", sys.argv[3], plistlib.FMT_BINARY)):
    data = open(path, "rb").read()
    value = plistlib.loads(data)
    write = read = float("inf")
    for _ in range(runs):
        start = time.perf_counter(); plistlib.dumps(value, fmt=fmt, sort_keys=False); write = min(write, time.perf_counter() - start)
        start = time.perf_counter(); plistlib.loads(data); read = min(read, time.perf_counter() - start)
    print(name, write, read)
)PY";

std::map<std::string, std::pair<double, double>> timePlistlib(const std::string& xml, const std::string& binary) {
    std::string command =
        "python3 -c '" + std::string(kPythonTimer) + "' " + std::to_string(kRuns) + " '" + xml + "' '" + binary + "'";
    std::map<std::string, std::pair<double, double>> times;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return times;
    char name[16];
    double write = 0, read = 0;
    while (std::fscanf(pipe, "%15s %lf %lf", name, &write, &read) == 3) times[name] = {write, read};
    pclose(pipe);
    return times;
}

}  // namespace

int main() {
    fs::path folder = fs::temp_directory_path() / ("tollivar-plist-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    Value frames = frameList();
    std::string paths[2] = {(folder / "frames-xml.plist").string(), (folder / "frames-binary.plist").string()};
    plist::Format formats[2] = {plist::Format::Xml, plist::Format::Binary};

    double ourWrite[2], ourRead[2], ourSave[2];
    for (int f = 0; f < 2; ++f) {
        Bytes bytes = *plist::serialize(frames, formats[f]);
        if (!writeFileAtomically(paths[f], bytes).ok()) {
            std::fprintf(stderr, "plist_bench: cannot write %s\n", paths[f].c_str());
            return 1;
        }
        ourWrite[f] = bestSeconds([&] { (void)plist::serialize(frames, formats[f]); });
        ourRead[f] = bestSeconds([&] {
            if (!plist::parse(bytes).ok()) std::abort();
        });
        ourSave[f] = bestSeconds([&] { (void)plist::writeFile(frames, paths[f], formats[f]); });
    }

    auto theirs = timePlistlib(paths[0], paths[1]);
    fs::remove_all(folder);
    if (theirs.size() != 2) {
        std::fprintf(stderr, "plist_bench: python3 plistlib did not report its times\n");
        return 1;
    }

    std::printf("property list of %d frame dictionaries, best of %d runs\n", kFrames, kRuns);
    std::printf("  atomic save to disk (write, fsync, rename): xml %.2f ms, binary %.2f ms\n", ourSave[0] * 1000,
                ourSave[1] * 1000);
    const char* names[2] = {"xml", "binary"};
    bool met = true;
    for (int f = 0; f < 2; ++f) {
        auto [write, read] = theirs[names[f]];
        const std::string format = names[f];
        met &= bench::printResult("plist " + format + " write vs plistlib", ourWrite[f], write,
                                  bench::Target::atMost(kTarget));
        met &= bench::printResult("plist " + format + " read vs plistlib", ourRead[f], read,
                                  bench::Target::atMost(kTarget));
    }
    return met ? 0 : 1;
}
