#include "GPUImageCameraSupport.h"
#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageFilter.h"
#include "components/gpuimage/GPUImageMovie.h"
#include "components/gpuimage/GPUImageMovieComposition.h"
#include "components/gpuimage/GPUImageMovieWriter.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/VideoCompositionReader.h"
#include "support/MovieFacts.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/RunFolder.h"
#include "support/TestMovies.h"
#include "support/TestSounds.h"
#include "support/VirtualClock.h"

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

// What a movie's targets and delegate hear: the pictures, the calls, the end.
struct Audience {
    FrameCollector collector;
    std::shared_ptr<gpuimagetest::RecordingTarget> recorder = std::make_shared<gpuimagetest::RecordingTarget>();
    std::shared_ptr<CompletionDelegate> delegate = std::make_shared<CompletionDelegate>();

    explicit Audience(GPUImageMovie& movie) {
        movie.addTarget(collector.filter);
        movie.addTarget(recorder);
        movie.setDelegate(delegate);
    }
};

}  // namespace

// Every picture reaches the targets in order, at its time, as ffmpeg decodes it.
TEST(GPUImageMovie, PicturesArriveInOrderAsFfmpegDecodesThem) {
    const auto reference = ffmpegBgraFrames(testMovie(false));
    ASSERT_EQ(reference.size(), size_t(kFrames));
    auto movie = GPUImageMovie::createWithURL(testMovie(false));
    Audience audience(*movie);
    auto& [collector, recorder, delegate] = audience;
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

// A movie over itself, half a second on, through a video composition: the
// first alone, then the second fading in over it, then the second alone
// moved aside. Every picture comes at its time as the composition's reader
// draws it, at the composition's own size whatever render scale it names.
TEST(GPUImageMovieComposition, LayersItsTracksAsItsVideoCompositionSays) {
    auto pictures = media::Asset::open(testMovie(false));
    ASSERT_TRUE(pictures);
    const auto range = [](double start, double duration) {
        return media::TimeRange::make(MediaTime::fromSeconds(start, 600), MediaTime::fromSeconds(duration, 600));
    };
    media::Composition composition;
    for (double at : {0.0, 0.4})
        ASSERT_TRUE(composition.addMutableTrack(media::MediaType::Video)
                        .insertTimeRange(range(0, 1 - at), *pictures, *pictures->firstVideoTrack(),
                                         MediaTime::fromSeconds(at, 600)));
    media::VideoComposition video;
    video.frameDuration = MediaTime::make(1, 25);
    video.renderSize = {kWidth, kHeight};
    media::VideoCompositionLayerInstruction base(1), fading(2), moved(2);
    fading.setOpacityRamp(0, 1, range(0.4, 0.4));
    moved.setTransform(graphics::AffineTransform::makeTranslation(kWidth / 2, 0), MediaTime::zero());
    video.instructions = {{range(0, 0.4), {base}}, {range(0.4, 0.4), {fading, base}}, {range(0.8, 0.2), {moved}}};
    auto reader = media::VideoCompositionReader::open(composition, video);
    ASSERT_TRUE(reader) << reader.error().description;
    std::vector<media::PixelBuffer> drawn;
    for (auto sample = (*reader)->next(); sample && *sample; sample = (*reader)->next())
        drawn.push_back(std::move((*sample)->pixels));
    ASSERT_EQ(drawn.size(), 25u);

    video.renderScale = 0.5;
    auto movie = GPUImageMovieComposition::create(composition, video);
    Audience audience(*movie);
    auto& [collector, recorder, delegate] = audience;
    movie->startProcessing();
    ASSERT_TRUE(delegate->done.wait(60));

    std::lock_guard lock(collector.mutex);
    ASSERT_EQ(collector.pictures.size(), drawn.size());
    for (size_t n = 0; n < drawn.size(); ++n) {
        SCOPED_TRACE("frame " + std::to_string(n));
        EXPECT_EQ(collector.times[n], MediaTime::make(int64_t(n), 25));
        ASSERT_EQ(collector.pictures[n].pixelWidth(), kWidth) << "render scale 1.0";
        EXPECT_LE(worstDifference(collector.pictures[n], drawn[n].bytes), 3);
    }
}

// A composition of sound alone: all of it reaches any audio target, at the
// rate the target asks for.
TEST(GPUImageMovieComposition, HandsItsSoundOverAtTheTargetsRate) {
    auto sound = media::Asset::open(testMovie(true));
    ASSERT_TRUE(sound);
    media::Composition composition;
    ASSERT_TRUE(composition.addMutableTrack(media::MediaType::Audio)
                    .insertTimeRange(media::TimeRange::make(MediaTime::zero(), MediaTime::make(3, 5)), *sound,
                                     sound->tracksWithMediaType(media::MediaType::Audio)[0], MediaTime::zero()));
    auto movie = GPUImageMovieComposition::create(composition);
    auto counter = std::make_shared<gpuimagetest::SoundCounter>(22050);
    movie->setAudioEncodingTarget(counter);
    auto delegate = std::make_shared<CompletionDelegate>();
    movie->setDelegate(delegate);
    movie->startProcessing();
    ASSERT_TRUE(delegate->done.wait(60));
    EXPECT_EQ(counter->frames(), 22050 * 3 / 5);
    EXPECT_EQ(counter->misfits(), 0);
}

namespace {

// The player path's pictures, with the virtual clock and a silent device.
class GPUImageMoviePlayerTest : public ::testing::Test {
protected:
    void SetUp() override { media::AudioOutput::setShared(std::make_shared<media::NullAudioOutput>()); }
    void TearDown() override { media::AudioOutput::setShared(nullptr); }
    testsupport::VirtualClockScope clock;
};

}  // namespace

// A display link on the main run loop pushes the picture of each refresh's
// item time, once per picture, from when the player's output says its
// pictures change until endProcessing.
TEST_F(GPUImageMoviePlayerTest, FollowsThePlayerRefreshByRefresh) {
    auto player = media::Player::create(testsupport::testMovie(testsupport::TestMovie::HalfSecond));
    ASSERT_TRUE(player);
    auto movie = GPUImageMovie::createWithPlayerItem(*player);
    Audience audience(*movie);
    auto& [collector, recorder, delegate] = audience;
    movie->startProcessing();
    const auto link = movie->displayLink();
    ASSERT_TRUE(link);
    EXPECT_EQ((*player)->outputs(), std::vector{movie->playerItemOutput()});

    auto& loop = foundation::RunLoop::main();
    loop.advance(0.105);
    EXPECT_FALSE(link->isPaused()) << "woken by the output";
    ASSERT_EQ(collector.times.size(), 1u) << "the paused player's picture, once";
    EXPECT_EQ(collector.times[0], MediaTime::zero());

    (*player)->setRate(1);
    loop.advance(1.0);
    ASSERT_EQ(collector.pictures.size(), 12u) << "every frame of the half second once";
    EXPECT_EQ(recorder->frames, 12);
    EXPECT_EQ(recorder->size, (Size{128, 72}));
    for (size_t i = 0; i < collector.pictures.size(); ++i) {
        const double time = collector.times[i].seconds();
        EXPECT_EQ(testsupport::frameNumberInPicture(collector.pictures[i]), int(i));
        EXPECT_EQ(int(std::floor(time * 24 + 1e-6)), int(i)) << "the frame shown at its time";
        EXPECT_LT(time - 1.0 / 60, double(i) / 24) << "pushed at the first refresh that reached it";
    }

    movie->endProcessing();
    EXPECT_TRUE(link->isPaused());
    EXPECT_EQ(recorder->ends, 1);
    EXPECT_EQ(delegate->completions.load(), 1);
    (*player)->seekToTime(MediaTime::zero());
    loop.advance(1.0);
    EXPECT_EQ(recorder->frames, 12) << "nothing after the end";

    movie.reset();
    EXPECT_TRUE((*player)->outputs().empty()) << "a movie that goes takes its output along";
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

// Without pictures to come the link never wakes: no refresh, no timer.
TEST_F(GPUImageMoviePlayerTest, SleepsWhileThePlayerHasNoPictures) {
    auto player = media::Player::create(testsupport::testSound({"0.2*sin(2*PI*440*t)", 1.0}));
    ASSERT_TRUE(player);
    auto movie = GPUImageMovie::createWithPlayerItem(*player);
    auto recorder = std::make_shared<gpuimagetest::RecordingTarget>();
    movie->addTarget(recorder);
    movie->startProcessing();
    auto& loop = foundation::RunLoop::main();
    loop.advance(1.0);
    EXPECT_TRUE(movie->displayLink()->isPaused());
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
    EXPECT_EQ(recorder->frames, 0);
}
