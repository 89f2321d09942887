#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/MovieProbe.h"
#include "platform/media/VideoSampleReader.h"
#include "platform/media/VideoTrackMeter.h"
#include "support/MovieFacts.h"
#include "support/Process.h"
#include "support/RunFolder.h"
#include "support/TestMovies.h"
#include "support/VirtualClock.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;
using namespace media;

namespace {

// A picture of one colour, bytes A R G B.
PixelBuffer solid(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    PixelBuffer buffer = PixelBuffer::create(width, height);
    for (size_t i = 0; i < buffer.bytes.size(); i += 4) {
        buffer.bytes[i] = 255;
        buffer.bytes[i + 1] = r;
        buffer.bytes[i + 2] = g;
        buffer.bytes[i + 3] = b;
    }
    return buffer;
}

struct Outcome {
    AssetWriterStatus status = AssetWriterStatus::Unknown;
    std::optional<foundation::Error> error;
    int finishes = 0;
};

// Writes `times.size()` pictures at those times (units of 1/fps) and
// `audioFrames` frames of a quiet tone through the pull interface, both on
// their own queues, then finishes. `stopAfter` cancels after that many pictures.
class MovieJob {
public:
    MovieJob(std::string path, VideoSettings settings, std::vector<int64_t> times, int64_t audioFrames)
        : path_(std::move(path)), settings_(settings), times_(std::move(times)), audioFrames_(audioFrames) {}

    Outcome run(int stopAfter = -1) {
        auto created = AssetWriter::create(path_, AssetWriter::kFileTypeQuickTimeMovie);
        EXPECT_TRUE(created) << created.error().description;
        if (!created) return {};
        writer_ = *created;
        video_ = AssetWriterInput::video(settings_);
        audio_ = AssetWriterInput::audio({});
        writer_->addInput(video_);
        writer_->addInput(audio_);
        EXPECT_FALSE(writer_->canAddInput(*AssetWriterInput::audio({}))) << "one input per kind";
        if (!writer_->startWriting()) return {writer_->status(), writer_->error(), 0};
        writer_->startSessionAtSourceTime(MediaTime::zero());
        stopAfter_ = stopAfter;

        audio_->requestMediaDataWhenReady(foundation::DispatchQueue("test.audio"), [this] { pumpAudio(); });
        video_->requestMediaDataWhenReady(foundation::DispatchQueue("test.video"), [this] { pumpVideo(); });
        foundation::RunLoop::main().runUntilIdle();
        return {writer_->status(), writer_->error(), finishes_.load()};
    }

private:
    void pumpVideo() {
        while (video_->isReadyForMoreMediaData()) {
            if (next_ == stopAfter_) {
                writer_->cancelWriting();
                return;
            }
            if (next_ >= times_.size()) {
                video_->markAsFinished();
                videoDone_ = true;
                return finishWhenBothDone();
            }
            const uint8_t level = static_cast<uint8_t>(40 * (next_ % 6));
            PixelBuffer picture = solid(settings_.width, settings_.height, level, 128, 255 - level);
            // Every other picture comes converted already, as the renderer's
            // composers hand them over; every other of those shared, as the
            // renderer appends them, for the encoder to read in place.
            if (next_ % 2) picture = convertedTo420Planar(picture);
            const MediaTime time = MediaTime::make(times_[next_], settings_.frameRate);
            bool appended = false;
            if (next_ % 4 == 1) {
                auto shared = std::make_shared<const PixelBuffer>(std::move(picture));
                shared_.push_back(shared);
                appended = video_->appendPixelBuffer(std::move(shared), time);
            } else {
                appended = video_->appendPixelBuffer(picture, time);
            }
            if (!appended) return;
            ++next_;
        }
    }
    void pumpAudio() {
        std::vector<int16_t> chunk(2 * 4096);
        while (audio_->isReadyForMoreMediaData()) {
            if (audioNext_ >= audioFrames_) {
                audio_->markAsFinished();
                audioDone_ = true;
                return finishWhenBothDone();
            }
            const int64_t frames = std::min<int64_t>(4096, audioFrames_ - audioNext_);
            for (int64_t i = 0; i < frames; ++i)
                chunk[2 * i] = chunk[2 * i + 1] = int16_t(((audioNext_ + i) % 100) * 40);
            if (!audio_->appendAudioSamples(chunk.data(), size_t(frames), MediaTime::make(audioNext_, 44100))) return;
            audioNext_ += frames;
        }
    }
public:
    // Whether the encoder still holds a picture appended shared.
    bool holdsSharedPictures() const {
        return std::any_of(shared_.begin(), shared_.end(), [](const auto& picture) { return !picture.expired(); });
    }

private:
    void finishWhenBothDone() {
        if (videoDone_ && audioDone_ && !finishing_.exchange(true)) writer_->finishWriting([this] { ++finishes_; });
    }

    std::string path_;
    VideoSettings settings_;
    std::vector<int64_t> times_;
    int64_t audioFrames_;
    std::shared_ptr<AssetWriter> writer_;
    std::shared_ptr<AssetWriterInput> video_, audio_;
    size_t next_ = 0;
    std::vector<std::weak_ptr<const PixelBuffer>> shared_;
    size_t stopAfter_ = size_t(-1);
    int64_t audioNext_ = 0;
    std::atomic<bool> videoDone_{false}, audioDone_{false}, finishing_{false};
    std::atomic<int> finishes_{0};
};

class AssetWriterTest : public ::testing::Test {
protected:
    void TearDown() override { AssetWriter::setWriteLimitForTesting(std::nullopt); }
    std::string path(const std::string& name) const { return folder.path() + "/" + name; }
    bool folderHoldsOnly(const std::vector<std::string>& names) const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder.path())) found.push_back(entry.path().filename());
        std::sort(found.begin(), found.end());
        return found == names;
    }

    testsupport::RunFolder folder{"tollivar-writer"};
    testsupport::VirtualClockScope clock;
};

TEST_F(AssetWriterTest, WritesQuickTimeH264HighWithoutBFramesAndPcmSound) {
    // A picture held three times at 5 fps as the renderer appends it: the
    // first twice (0 and 1/5), then its repeats.
    const std::string movie = path("held.mov");
    MovieJob job(movie, {320, 240, 1'000'000, 5}, {0, 1, 2, 3}, 44100 * 3 / 5);
    const Outcome outcome = job.run();
    ASSERT_EQ(outcome.status, AssetWriterStatus::Completed) << (outcome.error ? outcome.error->description : "");
    EXPECT_EQ(outcome.finishes, 1);
    EXPECT_FALSE(job.holdsSharedPictures()) << "the encoder let go of the pictures it read in place";
    EXPECT_TRUE(folderHoldsOnly({"held.mov"})) << "the temporary file is renamed";

    const testsupport::MovieFacts facts = testsupport::probeMovieFacts(movie);
    ASSERT_TRUE(facts.readable);
    EXPECT_EQ(facts.majorBrand, "qt  ");
    EXPECT_EQ(facts.videoCodec, "h264");
    EXPECT_EQ(facts.videoProfile, "High");
    EXPECT_EQ(facts.hasBFrames, 0);
    EXPECT_EQ(facts.width, 320);
    EXPECT_EQ(facts.height, 240);
    ASSERT_EQ(facts.frameTimes, (std::vector<double>{0, 0.2, 0.4, 0.6}));
    EXPECT_EQ(facts.audioCodec, "pcm_s16le");
    EXPECT_EQ(facts.sampleRate, 44100);
    EXPECT_EQ(facts.channels, 2);
    EXPECT_NEAR(facts.audioDurationSeconds, 0.6, 1e-3);
    EXPECT_TRUE(testsupport::fileContains(movie, "bframes=0"));
    EXPECT_TRUE(testsupport::fileContains(movie, "bitrate=1000"));
    EXPECT_TRUE(testsupport::fileContains(movie, "keyint=10 "));

    auto probe = probeMovie(movie);
    ASSERT_TRUE(probe);
    EXPECT_TRUE(probe->compatible);
    EXPECT_EQ(probe->naturalSize, (graphics::Size{320, 240}));
    EXPECT_NEAR(probe->minFrameDurationSeconds, 0.2, 1e-6);
}

TEST_F(AssetWriterTest, NarrowMoviesKeepTheirColours) {
    // Pictures come as ARGB and as converted planes (see MovieJob); both pass
    // libswscale, which must not run past a narrow picture.
    for (const auto& [width, height] : {std::pair{2, 1080}, std::pair{6, 1080}, std::pair{14, 2160}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const std::string movie = path("narrow.mov");
        MovieJob job(movie, {width, height, 1'000'000, 5}, {0, 1, 2}, 44100 / 2);
        const Outcome outcome = job.run();
        ASSERT_EQ(outcome.status, AssetWriterStatus::Completed) << (outcome.error ? outcome.error->description : "");
        const testsupport::MovieFacts facts = testsupport::probeMovieFacts(movie);
        EXPECT_EQ(facts.width, width);
        EXPECT_EQ(facts.height, height);
        auto reader = VideoSampleReader::open(movie);
        ASSERT_TRUE(reader);
        for (uint8_t level : {uint8_t(0), uint8_t(40)}) {
            auto sample = (*reader)->next();
            ASSERT_TRUE(sample && *sample);
            const PixelBuffer& pixels = (*sample)->pixels;
            const uint8_t* middle = pixels.row(pixels.height / 2) + (pixels.width / 2) * 4;  // B G R A
            EXPECT_NEAR(middle[2], level, 8);
            EXPECT_NEAR(middle[1], 128, 8);
            EXPECT_NEAR(middle[0], 255 - level, 8);
        }
        fs::remove(movie);
    }
}

TEST_F(AssetWriterTest, FailuresAndCancelLeaveNoFile) {
    struct Case {
        const char* what;
        std::optional<int64_t> writeLimit;
        int stopAfter;
        AssetWriterStatus status;
        int64_t code;
    };
    for (const Case& c : {Case{"device full", 20'000, -1, AssetWriterStatus::Failed, 640},
                          Case{"device full at the header", 10, -1, AssetWriterStatus::Failed, 640},
                          Case{"cancelled", std::nullopt, 30, AssetWriterStatus::Cancelled, 0}}) {
        SCOPED_TRACE(c.what);
        AssetWriter::setWriteLimitForTesting(c.writeLimit);
        MovieJob job(
            path("broken.mov"), {640, 360, 10'000'000, 12},
            [] {
                std::vector<int64_t> times;
                for (int64_t i = 0; i < 60; ++i) times.push_back(i);
                return times;
            }(),
            44100 * 5);
        const Outcome outcome = job.run(c.stopAfter);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.error.has_value(), c.code != 0);
        if (outcome.error) {
            EXPECT_EQ(outcome.error->code, c.code);
            EXPECT_NE(outcome.error->description.find("isn\u2019t enough space"), std::string::npos)
                << outcome.error->description;
        }
        EXPECT_LE(outcome.finishes, 1);
        EXPECT_TRUE(folderHoldsOnly({})) << "no movie and no temporary file";
        fs::remove(path("taken.mov"));
    }
}

TEST_F(AssetWriterTest, RefusesWhatItCannotWrite) {
    std::ofstream(path("taken.mov")) << "x";
    EXPECT_FALSE(AssetWriter::create(path("taken.mov"), AssetWriter::kFileTypeQuickTimeMovie));
    EXPECT_FALSE(AssetWriter::create(path("missing/x.mov"), AssetWriter::kFileTypeQuickTimeMovie));
    EXPECT_FALSE(AssetWriter::create(path("x.mp4"), "mp4"));

    // Pictures of the wrong size or out of order fail the writer.
    for (int variant = 0; variant < 2; ++variant) {
        const std::string movie = path("bad" + std::to_string(variant) + ".mov");
        auto writer = *AssetWriter::create(movie, AssetWriter::kFileTypeQuickTimeMovie);
        auto video = AssetWriterInput::video({64, 64, 500'000, 10});
        writer->addInput(video);
        ASSERT_TRUE(writer->startWriting());
        ASSERT_TRUE(video->appendPixelBuffer(solid(64, 64, 1, 2, 3), MediaTime::make(3, 10)));
        const bool appended = variant == 0 ? video->appendPixelBuffer(solid(32, 64, 1, 2, 3), MediaTime::make(4, 10))
                                           : video->appendPixelBuffer(solid(64, 64, 1, 2, 3), MediaTime::make(3, 10));
        EXPECT_FALSE(appended);
        EXPECT_EQ(writer->status(), AssetWriterStatus::Failed);
        EXPECT_FALSE(fs::exists(movie));
    }
    // An encoder that cannot open at an odd size fails at the start.
    auto writer = *AssetWriter::create(path("odd.mov"), AssetWriter::kFileTypeQuickTimeMovie);
    writer->addInput(AssetWriterInput::video({101, 57, 500'000, 10}));
    EXPECT_FALSE(writer->startWriting());
    EXPECT_EQ(writer->status(), AssetWriterStatus::Failed);
    EXPECT_TRUE(writer->error());
}

TEST(PixelBufferConversion, ArgbBecomesLimitedRangeYCbCr) {
    struct Case {
        uint8_t r, g, b;
        int y, cb, cr;
    };
    for (const Case& c : {Case{255, 0, 0, 81, 90, 240}, Case{0, 255, 0, 145, 54, 34}, Case{0, 0, 255, 41, 240, 110},
                          Case{255, 255, 255, 235, 128, 128}, Case{0, 0, 0, 16, 128, 128}}) {
        const PixelBuffer planar = convertedTo420Planar(solid(8, 4, c.r, c.g, c.b));
        ASSERT_EQ(planar.pixelFormat, kPixelFormat420YpCbCr8Planar);
        ASSERT_EQ(planar.bytes.size(), 8u * 4 * 3 / 2);
        EXPECT_NEAR(planar.bytes[9], c.y, 2);
        EXPECT_NEAR(planar.bytes[32 + 1], c.cb, 2);
        EXPECT_NEAR(planar.bytes[40 + 1], c.cr, 2);
    }
    // Odd sides cannot be subsampled: the picture stays as it was.
    EXPECT_EQ(convertedTo420Planar(solid(7, 4, 1, 2, 3)).pixelFormat, kPixelFormat32ARGB);
}

TEST(PixelBufferConversion, FullRangePlanesMeetTheRangeOfConvertedArgb) {
    // Full-range (JPEG) BT.601 YCbCr of each colour, brought into range, must
    // give what converting the colour's ARGB gives, at SD and HD sizes.
    struct Case {
        int width, height;
        uint8_t r, g, b;
    };
    for (const Case& c :
         {Case{8, 4, 255, 0, 0}, Case{8, 4, 0, 255, 0}, Case{8, 4, 0, 0, 255}, Case{8, 4, 255, 255, 255},
          Case{8, 4, 0, 0, 0}, Case{8, 4, 128, 64, 200}, Case{1280, 2, 255, 0, 0}, Case{1280, 2, 224, 172, 140},
          Case{2, 720, 0, 255, 0}, Case{2, 720, 128, 64, 200}}) {
        const auto full = [&](double kr, double kg, double kb, double offset) {
            return uint8_t(std::clamp(std::lround(offset + kr * c.r + kg * c.g + kb * c.b), 0L, 255L));
        };
        const size_t luma = size_t(c.width * c.height);
        std::vector<uint8_t> planes(luma, full(0.299, 0.587, 0.114, 0));
        planes.resize(luma * 5 / 4, full(-0.168736, -0.331264, 0.5, 128));
        planes.resize(luma * 3 / 2, full(0.5, -0.418688, -0.081312, 128));
        const PixelBuffer ours = planarFromFullRange420(c.width, c.height, planes);
        const PixelBuffer converted = convertedTo420Planar(solid(c.width, c.height, c.r, c.g, c.b));
        ASSERT_EQ(ours.pixelFormat, kPixelFormat420YpCbCr8Planar);
        ASSERT_EQ(ours.bytesPerRow, size_t(c.width));
        ASSERT_EQ(ours.bytes.size(), converted.bytes.size());
        for (size_t i : {size_t(1), luma + 1, luma * 5 / 4})
            EXPECT_NEAR(ours.bytes[i], converted.bytes[i], 1)
                << c.width << ": " << int(c.r) << "," << int(c.g) << "," << int(c.b);
    }
    // The ends of the ranges.
    const PixelBuffer ends = planarFromFullRange420(2, 2, {0, 255, 128, 0, 255, 0});
    EXPECT_EQ(ends.bytes, (std::vector<uint8_t>{16, 235, 126, 16, 240, 16}));
    // Every value, against the rounded formulas: 256 luma values in a
    // 16 × 16 picture's luma plane, the 128 chroma planes' bytes twice over.
    std::vector<uint8_t> every(16 * 16 * 3 / 2);
    for (size_t i = 0; i < every.size(); ++i) every[i] = uint8_t(i);
    const PixelBuffer mapped = planarFromFullRange420(16, 16, every);
    for (size_t i = 0; i < every.size(); ++i) {
        const double v = every[i];
        const long expected = i < 256 ? std::lround(16 + v * 219 / 255) : std::lround(128 + (v - 128) * 224 / 255);
        ASSERT_EQ(mapped.bytes[i], expected) << "byte " << i;
    }
}

TEST_F(AssetWriterTest, ProbeTellsMoviesItCannotUse) {
    struct Case {
        testsupport::TestMovie movie;
        bool readable, compatible;
        graphics::Size size;
    };
    for (const Case& c : {Case{testsupport::TestMovie::HalfSecond, true, true, {128, 72}},
                          Case{testsupport::TestMovie::NotAVideo, false, false, {0, 0}}}) {
        auto probe = probeMovie(testsupport::testMovie(c.movie));
        ASSERT_EQ(bool(probe), c.readable);
        if (!probe) continue;
        EXPECT_EQ(probe->compatible, c.compatible);
        EXPECT_EQ(probe->naturalSize, c.size);
        EXPECT_NEAR(probe->minFrameDurationSeconds, 1.0 / testsupport::kTestMovieFrameRate, 1e-3);
    }
}

TEST_F(AssetWriterTest, AMeterTellsWhatEachPictureTakesInTheMoviesTrack) {
    // The same pictures written into a movie and measured: the meter encodes
    // as the movie's video input does, on a small encoder: within a few bytes.
    const VideoSettings settings{320, 240, 1'000'000, 5};
    const std::string movie = path("measured.mov");
    const int pictures = 12;
    std::vector<int64_t> times(pictures);
    for (int i = 0; i < pictures; ++i) times[size_t(i)] = i;
    ASSERT_EQ(MovieJob(movie, settings, times, 44100 / 2).run().status, AssetWriterStatus::Completed);
    auto packets = testsupport::runProcess(
        {"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries", "packet=size", "-of", "csv=p=0", movie});
    ASSERT_EQ(packets.exitCode, 0) << packets.output;
    std::vector<int64_t> written;
    for (std::istringstream lines(packets.output); !lines.eof();) {
        int64_t size = 0;
        if (lines >> size) written.push_back(size);
    }

    auto meter = VideoTrackMeter::open(settings);
    ASSERT_TRUE(meter) << meter.error().description;
    for (int i = 0; i < pictures; ++i) {
        const uint8_t level = static_cast<uint8_t>(40 * (i % 6));
        PixelBuffer picture = solid(settings.width, settings.height, level, 128, 255 - level);
        ASSERT_TRUE((*meter)->append(i % 2 ? convertedTo420Planar(picture) : picture));
    }
    EXPECT_FALSE((*meter)->append(solid(160, 120, 0, 0, 0))) << "a picture of another size";
    auto measured = (*meter)->finish();
    ASSERT_TRUE(measured) << measured.error().description;
    ASSERT_EQ(measured->size(), written.size());
    for (size_t i = 0; i < written.size(); ++i)
        EXPECT_LE(std::abs((*measured)[i] - written[i]), std::max<int64_t>(4, written[i] / 20)) << "picture " << i;
    EXPECT_FALSE((*meter)->finish()) << "once only";
    EXPECT_FALSE(VideoTrackMeter::open({321, 240, 1'000'000, 5})) << "4:2:0 pictures have even sides";
}

}  // namespace
