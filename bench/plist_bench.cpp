// Writing and reading a frame-list-shaped property list (5,000 dictionaries of
// the keys a frame list keeps) in XML and binary, against python3's plistlib
// on the same data (timed in its own warm process), run by run in turn.
// Prints the medians and the ratio ours/theirs; below 1 means ours is
// faster, and ours must be no slower.

#include "BenchSupport.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"
#include "support/RunFolder.h"

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

// plistlib writing (dumps of the value) or reading (loads of the bytes) the
// file `path` in `format` ("XML", "BINARY").
bench::PythonTimer plistlib(const std::string& path, const std::string& format, bool write) {
    return bench::PythonTimer(
        "import plistlib, sys\ndata = open(sys.argv[1], 'rb').read()\nvalue = plistlib.loads(data)\n",
        write ? "plistlib.dumps(value, fmt=plistlib.FMT_" + format + ", sort_keys=False)\n"
              : std::string("plistlib.loads(data)\n"),
        {path});
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-plist-bench");
    const fs::path folder = scratch.path();
    Value frames = frameList();
    std::string paths[2] = {(folder / "frames-xml.plist").string(), (folder / "frames-binary.plist").string()};
    plist::Format formats[2] = {plist::Format::Xml, plist::Format::Binary};

    const char* names[2] = {"xml", "binary"};
    const char* pythonFormats[2] = {"XML", "BINARY"};
    bool met = true;
    for (int f = 0; f < 2; ++f) {
        Bytes bytes = *plist::serialize(frames, formats[f]);
        if (!writeFileAtomically(paths[f], bytes).ok()) {
            std::fprintf(stderr, "plist_bench: cannot write %s\n", paths[f].c_str());
            return 1;
        }
        bench::PythonTimer pythonWrite = plistlib(paths[f], pythonFormats[f], true);
        bench::PythonTimer pythonRead = plistlib(paths[f], pythonFormats[f], false);
        const auto write = bench::compare(
            kRuns, bench::timed([&] { return plist::serialize(frames, formats[f]).ok(); }), pythonWrite.side());
        const auto read =
            bench::compare(kRuns, bench::timed([&] { return plist::parse(bytes).ok(); }), pythonRead.side());
        const bench::Times save = bench::measure([&] { (void)plist::writeFile(frames, paths[f], formats[f]); });
        std::printf("property list of %d frame dictionaries, %s: atomic save to disk (write, fsync, rename) %.2f ms\n",
                    kFrames, names[f], save.wall * 1000);
        const std::string format = names[f];
        met &= bench::report("plist " + format + " write vs plistlib", write, bench::Target::atMost(kTarget));
        met &= bench::report("plist " + format + " read vs plistlib", read, bench::Target::atMost(kTarget));
    }
    return met ? 0 : 1;
}
