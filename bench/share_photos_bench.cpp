// A prepared 200 MB movie saved through the Photos share service (one file
// of its own in the album named after the application, flushed to the disk)
// against `cp` of the same file into the same folder followed by `sync` of
// the copy: the same work.

#include "BenchSupport.h"
#include "PaddedMovie.h"
#include "app/share/PhotosConnectHandler.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "support/RunFolder.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// The disk's flush swings from run to run on both sides; nine runs keep
// the median from following one slow flush.
constexpr int kRuns = 9;
constexpr uint64_t kMovieBytes = 200ull << 20;
constexpr double kTarget = 1.1;

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
    static const testsupport::RunFolder scratch("tollivar-share-photos-bench");
    const fs::path root = scratch.path();
    foundation::Paths::setRootOverride(root.string());
    const fs::path movie = root / "My_Movie.mov";
    if (!bench::makePaddedMovie(root, movie, kMovieBytes, "640x360")) {
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
    const std::string copy = (pictures / movie.filename()).string();
    const auto times = bench::compare(
        kRuns,
        bench::timed(
            [&] {
                done = Done();
                photos->uploadFile(movie.string(), "", "", kUTTypeQuickTimeMovie);
                foundation::RunLoop::main().runUntil([&] { return done.finished || done.failed; }, 600);
                return done.finished && fs::exists(pictures / PhotosConnectHandler::albumName());
            },
            clearPictures),
        bench::timed(
            [&] {
                return bench::runCommand({"cp", movie.string(), copy}) && bench::runCommand({"sync", copy});
            },
            clearPictures));
    return bench::report("share_photos_200MB_vs_cp", times, bench::Target::atMost(kTarget)) ? 0 : 1;
}
