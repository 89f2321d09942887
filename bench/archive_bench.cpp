// Exporting a 300-frame project to an archive and importing it again, against
// Info-ZIP's `zip -r` and `unzip` on the same project and the same archive.
// The export is also compared with `zip -r -n <media suffixes>`, which stores
// the JPEGs and sounds as we do instead of deflating them, and with `cp -r` of
// the folder, the floor of reading and writing the same bytes.

#include "BenchSupport.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectImportProcessor.h"
#include "app/core/SSZipArchive.h"
#include "platform/foundation/Paths.h"
#include "support/RunFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 5;
constexpr int kFrames = 300;
constexpr double kTarget = 1.0;
// Writing one archive costs a CRC-32 over every byte and the entry headers on
// top of what a plain copy does.
constexpr double kCopyFloorTarget = 2.0;
// Suffixes whose files are already compressed: stored, not deflated.
constexpr const char* kStoredSuffixes = ".jpg:.jpeg:.png:.gif:.m4a:.mp3";

// JPEG data hardly compresses, so random bytes of a frame's usual file sizes
// stand in for the full frame, preview and thumbnail of each frame.
void writeRandomFile(const fs::path& file, size_t size, std::mt19937& random) {
    std::vector<char> bytes(size);
    for (char& byte : bytes) byte = static_cast<char>(random());
    bytes[0] = static_cast<char>(0xFF);
    bytes[1] = static_cast<char>(0xD8);
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void makeProject(const fs::path& folder) {
    fs::create_directories(folder);
    std::mt19937 random(11);
    std::string frames =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict><key>frames</key><array>\n";
    for (int i = 0; i < kFrames; ++i) {
        char id[40];
        std::snprintf(id, sizeof id, "00000000-0000-4000-8000-%012d", i);
        writeRandomFile(folder / ("frame-" + std::string(id) + ".jpg"), 350000 + random() % 100000, random);
        writeRandomFile(folder / ("preview-" + std::string(id) + ".jpg"), 60000 + random() % 10000, random);
        writeRandomFile(folder / ("thumb-" + std::string(id) + ".jpg"), 12000 + random() % 3000, random);
        frames += "<dict><key>frameID</key><string>" + std::string(id) +
                  "</string><key>type</key><integer>0</integer></dict>\n";
    }
    frames += "</array></dict>\n</plist>\n";
    std::ofstream(folder / "frames.meta") << frames;
    std::ofstream(folder / "kelbrin.meta")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>"
           "<key>ProductVersion</key><real>6.0</real><key>RecordName</key><string>Bench</string>"
           "<key>RecordFPS</key><real>5</real></dict>\n</plist>\n";
    writeRandomFile(folder / "thumb.jpg", 12000, random);
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("archive-bench");
    const fs::path root = scratch.path();
    foundation::Paths::setRootOverride(root.string());
    const fs::path project = root / "project";
    makeProject(project);
    const fs::path ours = root / "ours.tollivarmobile";
    const fs::path infozip = root / "infozip.zip";
    const fs::path unpacked = root / "unpacked";
    std::error_code ignored;

    // Export: ours, Info-ZIP deflating everything, Info-ZIP storing media, cp -r.
    auto zip = [&](std::vector<std::string> options) {
        std::vector<std::string> command{"zip", "-r", "-q"};
        command.insert(command.end(), options.begin(), options.end());
        command.insert(command.end(), {infozip.string(), "."});
        return bench::timed([command, &project] { return bench::runCommand(command, project.string()); },
                            [&] { fs::remove(infozip, ignored); });
    };
    const fs::path copied = root / "copied";
    const auto exports = bench::compareAll(
        kRuns,
        bench::timed([&] { return SSZipArchive::createZipFileAtPath(ours, project, nullptr); },
                     [&] { fs::remove(ours, ignored); }),
        {zip({}), zip({"-n", kStoredSuffixes}),
         // A real copy of every byte, also on file systems that could share extents.
         bench::program(
             [&] {
                 return std::vector<std::string>{"cp", "-r", "--reflink=never", project.string(), copied.string()};
             },
             [&] { fs::remove_all(copied, ignored); })});

    // Both import the same archive: ours, as the archive renderer writes it.
    const fs::path inbox = root / "inbox.tollivarmobile";
    // Every run unpacks into a folder of its own, and none is removed before
    // the end: ext4 passes over the inodes of files deleted in the last
    // minute when it makes new ones in the same group, so a run after the
    // deletion of the last run's 900 files paid for that pass, as much as
    // for the unpacking itself, and more on one side than the other.
    int unzipRun = 0;
    fs::create_directories(unpacked);
    const auto imports = bench::compare(
        kRuns,
        bench::timed([&] { return ProjectImportProcessor().importProjectAtPath(inbox); },
                     [&] {
                         KWProjects::getInstance().resetForTesting();
                         fs::copy_file(ours, inbox, fs::copy_options::overwrite_existing);
                     }),
        bench::program([&] {
            return std::vector<std::string>{"unzip", "-q", ours.string(), "-d",
                                            (unpacked / std::to_string(unzipRun++)).string()};
        }));

    std::printf("project archive, %d frames, %.0f MB\n", kFrames, static_cast<double>(fs::file_size(ours)) / 1e6);
    bool met = bench::report("archive export vs zip -r", exports[0], bench::Target::atMost(kTarget));
    met &= bench::report("archive export vs zip -r -n (media stored)", exports[1], bench::Target::atMost(kTarget));
    met &= bench::report("archive export vs cp -r (floor)", exports[2], bench::Target::atMost(kCopyFloorTarget));
    met &= bench::report("archive import vs unzip", imports, bench::Target::atMost(kTarget));

    KWProjects::getInstance().resetForTesting();
    foundation::Paths::setRootOverride(std::nullopt);
    return met ? 0 : 1;
}
