// The GPU movie writer: 300 BGRA 1920x1080 frames (30 distinct pictures of
// ffmpeg's testsrc2, repeated) uploaded through a raw data input, read back
// by the writer and encoded to H.264 in a QuickTime movie, against
// `ffmpeg -f rawvideo -pix_fmt bgra ... -c:v libx264` on the same frames
// with the writer's encoder settings (preset, profile, no B-frames, bit rate
// with its one-second buffer, a keyframe every two seconds), each run in
// turn with ours.
//
// Both sides do the same work: both take the same BGRA pictures (ffmpeg
// from a file, ours from memory through a GL texture and back), both turn
// them into limited-range BT.709 yuv420p themselves and say so (ffmpeg with
// libswscale, ours with its own converter), and both run libx264 with the
// same options, threads and lookahead included: the benchmark checks that
// the option strings x264 writes into the two movies, and the streams
// ffprobe reads from them, colour tags included, are identical.

#include "BenchSupport.h"
#include "MovieColours.h"
#include "components/gpuimage/GPUImageMovieWriter.h"
#include "components/gpuimage/GPUImageRawDataInput.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/media/AssetWriterInput.h"
#include "support/RunFolder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
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
        // What the raw input's processData() tells its targets, with the
        // frame's time in the movie instead of none.
        runSynchronouslyOnContextQueue([&] {
            input->uploadBytes(frame);
            writer->setInputSize(graphics::Size{kWidth, kHeight}, 0);
            writer->newFrameReadyAtTime(media::MediaTime::make(i, kRate), 0);
        });
    }
    foundation::DispatchSemaphore done(0);
    writer->finishRecordingWithCompletionHandler([&] { done.signal(); });
    done.wait();
    return !writer->error() && writer->assetWriter()->status() == media::AssetWriterStatus::Completed;
}

// What makes a movie's video what it is: its stream as ffprobe reads it and
// the options x264 wrote into it (the text after "options: " in its SEI).
std::string videoFacts(const fs::path& movie) {
    const auto stream =
        bench::captureOutput({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                              "stream=codec_name,profile,pix_fmt,width,height,nb_frames,color_space,color_primaries,"
                              "color_transfer,color_range",
                              "-of", "compact=p=0", movie.string()});
    std::ifstream in(movie, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t options = bytes.find("options: ", bytes.find("x264 - core"));
    if (!stream || options == std::string::npos) return {};
    return *stream + "x264 " + bytes.substr(options + 9, bytes.find('\0', options) - options - 9);
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-movie-writer-bench");
    const fs::path root = scratch.path();
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
            std::vector<std::string> arguments{"ffmpeg",
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
                                               "-vf",
                                               bench::colourConversion(kWidth, kHeight)};
            for (const std::string& tag : bench::colourTags(kWidth, kHeight)) arguments.push_back(tag);
            arguments.push_back((root / "ffmpeg.mov").string());
            return arguments;
        }));
    const double ours = bench::medianOf(times.ours), reference = bench::medianOf(times.reference);

    // Both movies of the last run, made the same way or the times compare nothing.
    const std::string oursFacts = videoFacts(root / "ours.mov"), referenceFacts = videoFacts(root / "ffmpeg.mov");
    if (oursFacts.empty() || oursFacts != referenceFacts) {
        std::fprintf(stderr, "the two movies differ:\nours: %s\nffmpeg: %s\n", oursFacts.c_str(),
                     referenceFacts.c_str());
        return 1;
    }
    std::printf("both movies: %s\n", oursFacts.c_str());

    std::printf("movie writer, %d BGRA 1920x1080 frames -> H.264 QuickTime: ours %.1f fps, ffmpeg %.1f fps\n", kFrames,
                kFrames / ours, kFrames / reference);
    const bool met = bench::report("movie writer vs ffmpeg libx264", times, bench::Target::atMost(kTarget));
    return met ? 0 : 1;
}
