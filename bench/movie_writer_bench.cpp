// The GPU movie writer: 300 BGRA 1920x1080 frames (30 distinct pictures of
// ffmpeg's testsrc2, repeated) uploaded through a raw data input, drawn into
// the writer's framebuffer, read back and encoded to H.264 in a QuickTime
// movie, against `ffmpeg -f rawvideo -pix_fmt bgra ... -c:v libx264` on the
// same frames.

#include "BenchSupport.h"
#include "components/gpuimage/GPUImageMovieWriter.h"
#include "components/gpuimage/GPUImageRawDataInput.h"
#include "platform/foundation/DispatchSemaphore.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace gpuimage;

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kDistinct = 30, kFrames = 300, kRate = 30;
constexpr int kRuns = 3;
constexpr double kTarget = 1.2;
constexpr size_t kFrameBytes = size_t(kWidth) * kHeight * 4;

bool writeMovie(const std::vector<uint8_t>& frames, const fs::path& out) {
    auto input = std::make_shared<GPUImageRawDataInput>(frames.data(), graphics::Size{kWidth, kHeight});
    auto writer = GPUImageMovieWriter::create(out.string(), graphics::Size{kWidth, kHeight});
    writer->setEncodingLiveVideo(false);
    input->addTarget(writer);
    writer->startRecording();
    for (int i = 0; i < kFrames; ++i) {
        const uint8_t* frame = frames.data() + kFrameBytes * size_t(i % kDistinct);
        runSynchronouslyOnContextQueue([&] {
            input->uploadBytes(frame);
            writer->newFrameReadyAtTime(media::MediaTime::make(i, kRate), 0);
        });
    }
    foundation::DispatchSemaphore done(0);
    writer->finishRecordingWithCompletionHandler([&] { done.signal(); });
    done.wait();
    return !writer->error() && writer->assetWriter()->status() == media::AssetWriterStatus::Completed;
}

}  // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / "tollivar-movie-writer-bench";
    fs::remove_all(root);
    fs::create_directories(root);
    const fs::path raw = root / "frames.bgra";
    if (bench::runCommand({"ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                           "testsrc2=s=1920x1080:r=30:d=1", "-frames:v", std::to_string(kDistinct), "-f", "rawvideo",
                           "-pix_fmt", "bgra", raw.string()}) != 0) {
        std::fprintf(stderr, "ffmpeg could not make the frames\n");
        return 1;
    }
    std::vector<uint8_t> frames(kFrameBytes * kDistinct);
    std::ifstream(raw, std::ios::binary).read(reinterpret_cast<char*>(frames.data()), std::streamsize(frames.size()));

    int run = 0;
    const double ours = bench::medianSeconds(
        kRuns, [&] { fs::remove(root / ("ours-" + std::to_string(run) + ".mov")); },
        [&] { return writeMovie(frames, root / ("ours-" + std::to_string(run++) + ".mov")); });
    const double reference = bench::medianToolSeconds(kRuns, "ffmpeg", root, [&](const fs::path& out) {
        return std::vector<std::string>{"ffmpeg",
                                        "-v",
                                        "error",
                                        "-nostdin",
                                        "-y",
                                        "-f",
                                        "rawvideo",
                                        "-pix_fmt",
                                        "bgra",
                                        "-s",
                                        "1920x1080",
                                        "-r",
                                        "30",
                                        "-stream_loop",
                                        std::to_string(kFrames / kDistinct - 1),
                                        "-i",
                                        raw.string(),
                                        "-c:v",
                                        "libx264",
                                        "-pix_fmt",
                                        "yuv420p",
                                        (out / "ffmpeg.mov").string()};
    });

    std::printf("movie writer, %d BGRA 1920x1080 frames -> H.264 QuickTime: ours %.1f fps, ffmpeg %.1f fps\n", kFrames,
                kFrames / ours, kFrames / reference);
    const bool met =
        bench::printResult("movie writer vs ffmpeg libx264", ours, reference, bench::Target::atMost(kTarget));
    fs::remove_all(root);
    return met ? 0 : 1;
}
