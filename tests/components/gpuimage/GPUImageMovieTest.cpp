#include "GPUImageCameraSupport.h"
#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageFilter.h"
#include "components/gpuimage/GPUImageMovie.h"
#include "components/gpuimage/GPUImageMovieComposition.h"
#include "components/gpuimage/GPUImageMovieWriter.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/foundation/RunLoop.h"
#include "support/MovieFacts.h"
#include "support/Process.h"
#include "support/RunFolder.h"

#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <mutex>

using namespace gpuimage;
using graphics::Size;
using media::MediaTime;

namespace {

constexpr int kWidth = 96, kHeight = 64, kFrames = 25;

testsupport::RunFolder& folder() {
    static testsupport::RunFolder run("tollivar-gpumovie");
    return run;
}

// One second of ffmpeg's testsrc2 at 25 frames a second, with a sine tone
// when asked, made once.
const std::string& testMovie(bool withSound) {
    static std::string paths[2];
    std::string& path = paths[withSound ? 1 : 0];
    if (path.empty()) {
        path = folder().path() + (withSound ? "/testsrc2-sound.mp4" : "/testsrc2.mp4");
        std::vector<std::string> command = {"ffmpeg", "-v",    "error", "-y",
                                            "-f",     "lavfi", "-i",    "testsrc2=size=96x64:rate=25:duration=1"};
        if (withSound) command.insert(command.end(), {"-f", "lavfi", "-i", "sine=frequency=440:duration=1"});
        command.insert(command.end(), {"-pix_fmt", "yuv420p", "-c:v", "libx264", "-bf", "2"});
        if (withSound) command.insert(command.end(), {"-c:a", "aac", "-ac", "2"});
        command.push_back(path);
        EXPECT_EQ(testsupport::runProcess(command).exitCode, 0);
    }
    return path;
}

// ffmpeg's own decode of the movie to BGRA, frame after frame.
std::vector<std::vector<uint8_t>> ffmpegBgraFrames(const std::string& movie) {
    const std::string raw = movie + ".bgra";
    EXPECT_EQ(
        testsupport::runProcess({"ffmpeg", "-v", "error", "-y", "-i", movie, "-f", "rawvideo", "-pix_fmt", "bgra", raw})
            .exitCode,
        0);
    std::vector<std::vector<uint8_t>> frames;
    std::FILE* file = std::fopen(raw.c_str(), "rb");
    if (!file) return frames;
    std::vector<uint8_t> frame(size_t(kWidth) * kHeight * 4);
    while (std::fread(frame.data(), 1, frame.size(), file) == frame.size()) frames.push_back(frame);
    std::fclose(file);
    return frames;
}

// The largest difference of one channel between a picture and a BGRA frame.
int worstDifference(const graphics::Image& picture, const std::vector<uint8_t>& bgra) {
    int worst = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const graphics::RGBA got = picture.pixelAt(x, y);
            const uint8_t* want = &bgra[(size_t(y) * kWidth + size_t(x)) * 4];
            worst = std::max({worst, std::abs(int(got.r) - want[2]), std::abs(int(got.g) - want[1]),
                              std::abs(int(got.b) - want[0])});
        }
    return worst;
}

// Reads back every frame a filter draws, with its time.
struct FrameCollector {
    std::shared_ptr<GPUImageFilter> filter = std::make_shared<GPUImageFilter>();
    std::mutex mutex;
    std::vector<graphics::Image> pictures;
    std::vector<MediaTime> times;

    FrameCollector() {
        filter->setFrameProcessingCompletionBlock([this](GPUImageOutput& output, FrameTime time) {
            std::lock_guard lock(mutex);
            pictures.push_back(
                output.newCGImageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation::Up));
            times.push_back(time);
        });
    }
};

// Tells a semaphore when the movie completes, and counts.
struct CompletionDelegate : GPUImageMovieDelegate {
    foundation::DispatchSemaphore done{0};
    std::atomic<int> completions{0};
    void didCompletePlayingMovie() override {
        ++completions;
        done.signal();
    }
};

}  // namespace

// Every picture reaches the targets in order, at its time, as ffmpeg decodes it.
TEST(GPUImageMovie, PicturesArriveInOrderAsFfmpegDecodesThem) {
    const auto reference = ffmpegBgraFrames(testMovie(false));
    ASSERT_EQ(reference.size(), size_t(kFrames));
    auto movie = GPUImageMovie::createWithURL(testMovie(false));
    FrameCollector collector;
    auto recorder = std::make_shared<gpuimagetest::RecordingTarget>();
    movie->addTarget(collector.filter);
    movie->addTarget(recorder);
    auto delegate = std::make_shared<CompletionDelegate>();
    movie->setDelegate(delegate);
    movie->startProcessing();
    ASSERT_TRUE(delegate->done.wait(60));

    std::lock_guard lock(collector.mutex);
    ASSERT_EQ(collector.pictures.size(), size_t(kFrames));
    for (int i = 0; i < kFrames; ++i) {
        EXPECT_EQ(collector.times[size_t(i)], MediaTime::make(i * 3600, 90000)) << i;
        ASSERT_EQ(collector.pictures[size_t(i)].pixelWidth(), kWidth);
        EXPECT_LE(worstDifference(collector.pictures[size_t(i)], reference[size_t(i)]), 3) << "frame " << i;
    }
    EXPECT_EQ(recorder->frames, kFrames);
    EXPECT_EQ(recorder->size, (Size{kWidth, kHeight}));
    EXPECT_EQ(recorder->ends, 1);
    EXPECT_EQ(delegate->completions.load(), 1);
    movie->endProcessing();
    EXPECT_EQ(recorder->ends, 1) << "the end is told once";
}

TEST(GPUImageMovie, AFileThatDoesNotOpenGivesNothing) {
    gpuimagetest::LogCapture log;
    const std::string missing = folder().path() + "/missing.mp4";
    auto movie = GPUImageMovie::createWithURL(missing);
    auto recorder = std::make_shared<gpuimagetest::RecordingTarget>();
    movie->addTarget(recorder);
    auto delegate = std::make_shared<CompletionDelegate>();
    movie->setDelegate(delegate);
    movie->startProcessing();
    EXPECT_TRUE(log.contains("Error reading from file at URL: " + missing));
    ASSERT_TRUE(movie->error());
    EXPECT_EQ(recorder->frames, 0);
    EXPECT_EQ(delegate->completions.load(), 0);
}

// A movie with sound written again through the movie writer, read freely or
// paced by the writer: every picture and the whole sound arrive.
TEST(GPUImageMovie, TranscodesThroughTheMovieWriter) {
    for (bool synchronized : {false, true}) {
        static int run = 0;
        const std::string out =
            folder().path() + "/" + std::to_string(++run) + (synchronized ? "-paced.mov" : "-free.mov");
        auto asset = media::Asset::open(testMovie(true));
        ASSERT_TRUE(asset);
        auto movie = GPUImageMovie::createWithAsset(*asset);
        auto writer = GPUImageMovieWriter::create(out, Size{kWidth, kHeight});
        writer->setEncodingLiveVideo(false);
        movie->addTarget(writer);
        movie->setAudioEncodingTarget(writer);
        EXPECT_TRUE(writer->hasAudioTrack());
        if (synchronized) movie->enableSynchronizedEncodingUsingMovieWriter(writer);
        foundation::DispatchSemaphore ended(0);
        writer->setCompletionBlock([&] { ended.signal(); });
        writer->startRecording();
        movie->startProcessing();
        ASSERT_TRUE(ended.wait(60)) << synchronized;
        foundation::DispatchSemaphore finished(0);
        writer->finishRecordingWithCompletionHandler([&] { finished.signal(); });
        ASSERT_TRUE(finished.wait(60));
        ASSERT_FALSE(writer->error()) << writer->error()->description;

        const auto facts = testsupport::probeMovieFacts(out);
        ASSERT_EQ(facts.frameTimes.size(), size_t(kFrames)) << synchronized;
        for (int i = 0; i < kFrames; ++i) EXPECT_NEAR(facts.frameTimes[size_t(i)], i / 25.0, 1e-3);
        EXPECT_EQ(facts.audioCodec, "aac");
        EXPECT_NEAR(facts.audioDurationSeconds, 1.0, 0.06) << synchronized;
    }
}

// Any audio encoding target, not only the movie writer, takes the movie's
// sound: all of it, gapless, at the rate it asks for.
TEST(GPUImageMovie, HandsItsSoundToAnyAudioEncodingTarget) {
    auto movie = GPUImageMovie::createWithURL(testMovie(true));
    auto sound = std::make_shared<gpuimagetest::SoundCounter>(22050);
    movie->setAudioEncodingTarget(sound);
    EXPECT_TRUE(sound->hasAudioTrack());
    auto delegate = std::make_shared<CompletionDelegate>();
    movie->setDelegate(delegate);
    movie->startProcessing();
    ASSERT_TRUE(delegate->done.wait(60));
    EXPECT_NEAR(double(sound->frames()), 22050, 22050 * 0.03);
    EXPECT_EQ(sound->misfits(), 0);
    EXPECT_EQ(sound->firstTime(), media::MediaTime::zero());
}

// With shouldRepeat the end of the file starts it again on the main queue,
// until endProcessing.
TEST(GPUImageMovie, RepeatsUntilEnded) {
    auto movie = GPUImageMovie::createWithURL(testMovie(false));
    movie->setShouldRepeat(true);
    auto recorder = std::make_shared<gpuimagetest::RecordingTarget>();
    movie->addTarget(recorder);
    auto delegate = std::make_shared<CompletionDelegate>();
    movie->setDelegate(delegate);
    movie->startProcessing();
    auto frames = [&] {
        int count = 0;
        runSynchronouslyOnContextQueue([&] { count = recorder->frames; });
        return count;
    };
    EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return frames() > 2 * kFrames; }, 60));
    EXPECT_EQ(delegate->completions.load(), 0);
    movie->endProcessing();
    EXPECT_EQ(delegate->completions.load(), 1);
    EXPECT_EQ(recorder->ends, 1);
}

// A composition plays its segments in timeline order, each picture from its
// place in the source, and its mixed sound reaches the writer.
TEST(GPUImageMovieComposition, PlaysTheSegmentsInTimelineOrder) {
    const auto reference = ffmpegBgraFrames(testMovie(false));
    ASSERT_EQ(reference.size(), size_t(kFrames));
    auto pictures = media::Asset::open(testMovie(false));
    auto sound = media::Asset::open(testMovie(true));
    ASSERT_TRUE(pictures && sound);
    media::Composition composition;
    auto& video = composition.addMutableTrack(media::MediaType::Video);
    const auto range = [](double start, double duration) {
        return media::TimeRange::make(MediaTime::fromSeconds(start, 600), MediaTime::fromSeconds(duration, 600));
    };
    ASSERT_TRUE(video.insertTimeRange(range(0.2, 0.4), *pictures, *pictures->firstVideoTrack(), MediaTime::zero()));
    ASSERT_TRUE(video.insertTimeRange(range(0, 0.2), *pictures, *pictures->firstVideoTrack(),
                                      MediaTime::fromSeconds(0.4, 600)));
    auto& audio = composition.addMutableTrack(media::MediaType::Audio);
    ASSERT_TRUE(audio.insertTimeRange(range(0, 0.6), *sound, sound->tracksWithMediaType(media::MediaType::Audio)[0],
                                      MediaTime::zero()));

    auto movie = GPUImageMovieComposition::create(composition);
    FrameCollector collector;
    movie->addTarget(collector.filter);
    static int run = 0;
    const std::string out = folder().path() + "/composition-" + std::to_string(++run) + ".mov";
    auto writer = GPUImageMovieWriter::create(out, Size{kWidth, kHeight});
    writer->setEncodingLiveVideo(false);
    movie->addTarget(writer);
    movie->setAudioEncodingTarget(writer);
    auto delegate = std::make_shared<CompletionDelegate>();
    movie->setDelegate(delegate);
    writer->startRecording();
    movie->startProcessing();
    ASSERT_TRUE(delegate->done.wait(60));
    foundation::DispatchSemaphore finished(0);
    writer->finishRecordingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(60));

    const std::vector<int> sourceFrames = {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0, 1, 2, 3, 4};
    std::lock_guard lock(collector.mutex);
    ASSERT_EQ(collector.pictures.size(), sourceFrames.size());
    for (size_t i = 0; i < sourceFrames.size(); ++i) {
        EXPECT_EQ(collector.times[i], MediaTime::make(int64_t(i) * 3600, 90000)) << i;
        EXPECT_LE(worstDifference(collector.pictures[i], reference[size_t(sourceFrames[i])]), 3) << "frame " << i;
    }
    const auto facts = testsupport::probeMovieFacts(out);
    EXPECT_EQ(facts.frameTimes.size(), sourceFrames.size());
    EXPECT_EQ(facts.audioCodec, "aac");
    EXPECT_NEAR(facts.audioDurationSeconds, 0.6, 0.06);
}
