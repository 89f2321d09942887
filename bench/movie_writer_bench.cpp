// The GPU movie writer: 300 BGRA 1920x1080 frames (30 distinct pictures of
// ffmpeg's testsrc2, repeated) uploaded through a raw data input, drawn into
// the writer's framebuffer, read back and encoded to H.264 in a QuickTime
// movie, against `ffmpeg -f rawvideo -pix_fmt bgra ... -c:v libx264` on the
// same frames with the writer's encoder settings (preset, profile, no
// B-frames, bit rate with its one-second buffer, a keyframe every two
// seconds), each run in turn with ours.

#include "BenchSupport.h"
#include "components/gpuimage/GPUImageMovieWriter.h"
#include "components/gpuimage/GPUImageRawDataInput.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/media/AssetWriterInput.h"

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
constexpr int64_t kBitRate = 10'000'000;

bool writeMovie(const std::vector<uint8_t>& frames, const fs::path& out) {
    auto input = std::make_shared<GPUImageRawDataInput>(frames.data(), graphics::Size{kWidth, kHeight});
    auto writer = GPUImageMovieWriter::create(out.string(), graphics::Size{kWidth, kHeight},
                                              media::AssetWriter::kFileTypeQuickTimeMovie,
                                              foundation::Dictionary{{kGPUImageVideoCodecKey, kGPUImageVideoCodecH264},
                                                                     {kGPUImageVideoWidthKey, kWidth},
                                                                     {kGPUImageVideoHeightKey, kHeight},
                                                                     {kGPUImageVideoAverageBitRateKey, kBitRate},
                                                                     {kGPUImageVideoFrameRateKey, kRate}});
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
    if (!bench::runCommand({"ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                            "testsrc2=s=1920x1080:r=30:d=1", "-frames:v", std::to_string(kDistinct), "-f", "rawvideo",
                            "-pix_fmt", "bgra", raw.string()})) {
        std::fprintf(stderr, "ffmpeg could not make the frames\n");
        return 1;
    }
    std::vector<uint8_t> frames(kFrameBytes * kDistinct);
    std::ifstream(raw, std::ios::binary).read(reinterpret_cast<char*>(frames.data()), std::streamsize(frames.size()));

    const std::string rate = std::to_string(kBitRate);
    const auto times = bench::compare(
        kRuns,
        bench::timed([&] { return writeMovie(frames, root / "ours.mov"); }, [&] { fs::remove(root / "ours.mov"); }),
        bench::program([&] {
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
                                            std::to_string(kRate),
                                            "-stream_loop",
                                            std::to_string(kFrames / kDistinct - 1),
                                            "-i",
                                            raw.string(),
                                            "-c:v",
                                            "libx264",
                                            "-preset",
                                            media::AssetWriterInput::kX264Preset,
                                            "-profile:v",
                                            "high",
                                            "-bf",
                                            "0",
                                            "-b:v",
                                            rate,
                                            "-maxrate",
                                            rate,
                                            "-bufsize",
                                            rate,
                                            "-g",
                                            std::to_string(2 * kRate),
                                            "-pix_fmt",
                                            "yuv420p",
                                            (root / "ffmpeg.mov").string()};
        }));
    const double ours = bench::medianOf(times.ours), reference = bench::medianOf(times.reference);

    std::printf("movie writer, %d BGRA 1920x1080 frames -> H.264 QuickTime: ours %.1f fps, ffmpeg %.1f fps\n", kFrames,
                kFrames / ours, kFrames / reference);
    const bool met = bench::report("movie writer vs ffmpeg libx264", times, bench::Target::atMost(kTarget));
    fs::remove_all(root);
    return met ? 0 : 1;
}
