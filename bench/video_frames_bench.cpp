// Video frame import's pictures: 60 evenly spaced upright frames of a 5 s
// 1080p H.264 movie with a keyframe every 250 frames (one group of pictures),
// asked in the import's order (latest first, within half a step), against
// one `ffmpeg -vf fps=12` pass over the movie making the same 60 BGRA
// pictures (every frame decoded once, no seeking), each run in turn with ours.

#include "BenchSupport.h"
#include "MovieColours.h"
#include "platform/media/AssetImageGenerator.h"
#include "support/RunFolder.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 60;
constexpr double kSeconds = 5.0;
constexpr int kRuns = 3;
// Each asked picture needs its frame decoded, and an H.264 frame needs the
// frames it refers to back to its keyframe: 113 of the movie's 150 frames,
// three quarters of what the one pass decodes. Ours may cost no more than
// that share of the pass, in time and in CPU.
constexpr double kTarget = 0.75;

// Latest first, as the import asks.
std::vector<media::MediaTime> importTimes() {
    std::vector<media::MediaTime> times;
    const float step = static_cast<float>(kSeconds) / kFrames;
    for (int i = kFrames - 1; i >= 0; --i) times.push_back(media::MediaTime::fromSeconds(step * i, 30));
    return times;
}

bool generateAll(const std::string& movie) {
    auto asset = media::Asset::open(movie);
    if (!asset) return false;
    auto generator = media::AssetImageGenerator::create(std::move(*asset));
    generator->appliesPreferredTrackTransform = true;
    generator->maximumSize = graphics::Size{1920, 1080};
    generator->requestedTimeToleranceBefore = generator->requestedTimeToleranceAfter =
        media::MediaTime::fromSeconds(kSeconds / kFrames / 2, 30);
    int succeeded = 0;
    generator->generateImagesAsynchronously(
        importTimes(), [&](media::MediaTime, const graphics::Image& image, media::MediaTime,
                           media::ImageGeneratorResult result, const std::optional<foundation::Error>&) {
            if (result == media::ImageGeneratorResult::Succeeded && image.pixelWidth() == 1920) ++succeeded;
        });
    generator->queue().sync([] {});
    return succeeded == kFrames;
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-video-frames-bench");
    const fs::path root = scratch.path();
    const std::string movie = (root / "in.mp4").string();
    // In BT.709 and saying so, as HD movies are: ours and ffmpeg read it alike.
    std::vector<std::string> make = {
        "ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i", "testsrc2=s=1920x1080:r=30:d=5"};
    make.insert(make.end(),
                {"-vf", bench::colourConversion(1920, 1080), "-c:v", "libx264", "-g", "250", "-keyint_min", "250"});
    for (const std::string& tag : bench::colourTags(1920, 1080)) make.push_back(tag);
    make.push_back(movie);
    if (!bench::runCommand(make)) {
        std::fprintf(stderr, "ffmpeg could not make the input movie\n");
        return 1;
    }

    const auto times = bench::compare(kRuns, bench::timed([&] { return generateAll(movie); }), bench::program([&] {
                                          return std::vector<std::string>{
                                              "ffmpeg",   "-v",       "error",
                                              "-nostdin", "-y",       "-i",
                                              movie,      "-vf",      "fps=" + std::to_string(int(kFrames / kSeconds)),
                                              "-f",       "rawvideo", "-pix_fmt",
                                              "bgra",     "/dev/null"};
                                      }));
    std::printf("video frames, 5 s 1920x1080 H.264, keyframe every 250 -> %d upright BGRA pictures\n", kFrames);
    const bool met = bench::report("video frames vs ffmpeg fps=12 one pass", times, bench::Target::atMost(kTarget));
    return met ? 0 : 1;
}
