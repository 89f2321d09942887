// A prepared 200 MB movie saved through the Photos share service (the
// library's saved-photos copy and the album entry named after the
// application) against `cp` of the same file into the same folder.

#include "BenchSupport.h"
#include "app/share/PhotosConnectHandler.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 5;
constexpr uint64_t kMovieBytes = 200ull << 20;
constexpr double kTarget = 1.1;

// A short real movie with a "free" box of noise after it: a valid QuickTime
// file of the size of a long render, readable by the library's check.
bool makeMovie(const fs::path& root, const fs::path& movie) {
    const fs::path small = root / "small.mov";
    if (bench::runCommand({"ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=640x360:rate=12",
                           "-t", "1", "-c:v", "libx264", "-movflags", "+faststart", small.string()}) != 0)
        return false;
    fs::copy_file(small, movie, fs::copy_options::overwrite_existing);
    std::ofstream out(movie, std::ios::binary | std::ios::app);
    const uint64_t boxBytes = kMovieBytes - fs::file_size(small);
    const unsigned char header[8] = {static_cast<unsigned char>(boxBytes >> 24),
                                     static_cast<unsigned char>(boxBytes >> 16),
                                     static_cast<unsigned char>(boxBytes >> 8),
                                     static_cast<unsigned char>(boxBytes),
                                     'f',
                                     'r',
                                     'e',
                                     'e'};
    out.write(reinterpret_cast<const char*>(header), 8);
    std::mt19937_64 noise(7);
    std::vector<uint64_t> block(1 << 17);
    for (uint64_t left = boxBytes - 8; left > 0;) {
        for (auto& word : block) word = noise();
        const uint64_t n = std::min<uint64_t>(left, block.size() * sizeof(uint64_t));
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
        left -= n;
    }
    return static_cast<bool>(out);
}

struct Done : ConnectHandlerDelegate {
    bool finished = false;
    bool failed = false;
    void connectHandlerDidFinishUpload(ConnectHandler&) override { finished = true; }
    void connectHandlerDidFailUpload(ConnectHandler&, const foundation::Error& error) override {
        std::fprintf(stderr, "save failed: %s\n", error.description.c_str());
        failed = true;
    }
};

}  // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / ("tollivar-share-photos-bench-" + std::to_string(getpid()));
    fs::create_directories(root);
    foundation::Paths::setRootOverride(root.string());
    const fs::path movie = root / "My_Movie.mov";
    if (!makeMovie(root, movie)) {
        std::fprintf(stderr, "could not make the movie\n");
        return 1;
    }
    const fs::path pictures = library::PhotoLibrary::defaultRootDirectory();
    auto clearPictures = [&] {
        fs::remove_all(pictures);
        fs::create_directories(pictures);
    };

    auto photos = std::make_shared<PhotosConnectHandler>();
    Done done;
    photos->setDelegate(&done);
    const double ours = bench::medianSeconds(kRuns, clearPictures, [&] {
        done = Done();
        photos->uploadFile(movie.string(), "", "", kUTTypeQuickTimeMovie);
        foundation::RunLoop::main().runUntil([&] { return done.finished || done.failed; }, 600);
        return done.finished && fs::exists(pictures / PhotosConnectHandler::albumName());
    });
    const double reference = bench::medianSeconds(kRuns, clearPictures, [&] {
        return bench::runCommand({"cp", movie.string(), pictures.string() + "/"}) == 0;
    });
    fs::remove_all(root);
    return bench::printResult("share_photos_200MB_vs_cp", ours, reference, bench::Target::atMost(kTarget)) ? 0 : 1;
}
