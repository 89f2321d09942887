#include "platform/media/AssetImageGenerator.h"
#include "platform/media/MediaError.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/RunFolder.h"
#include "support/TestMovies.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <optional>
#include <random>

namespace {

using media::AssetImageGenerator;
using media::ImageGeneratorResult;
using media::MediaTime;
using testsupport::TestMovie;

constexpr double kFrame = 1.0 / testsupport::kTestMovieFrameRate;

struct Answer {
    MediaTime requested, actual;
    graphics::Image image;
    ImageGeneratorResult result;
    std::optional<foundation::Error> error;
};

std::shared_ptr<AssetImageGenerator> generatorFor(TestMovie movie) {
    auto asset = media::Asset::open(testsupport::testMovie(movie));
    if (!asset) ADD_FAILURE() << asset.error().description;
    return asset ? AssetImageGenerator::create(std::move(*asset)) : nullptr;
}

// Every answer of one batch, collected after the generator's queue drained.
std::vector<Answer> generate(AssetImageGenerator& generator, const std::vector<MediaTime>& times,
                             std::function<void(const Answer&)> onAnswer = {}) {
    std::vector<Answer> answers;
    generator.generateImagesAsynchronously(
        times, [&](MediaTime requested, const graphics::Image& image, MediaTime actual, ImageGeneratorResult result,
                   const std::optional<foundation::Error>& error) {
            answers.push_back({requested, actual, image, result, error});
            if (onAnswer) onAnswer(answers.back());
        });
    generator.queue().sync([] {});
    return answers;
}

std::vector<MediaTime> evenTimes(int count, double step, bool reversed) {
    std::vector<MediaTime> times;
    for (int i = 0; i < count; ++i) times.push_back(MediaTime::fromSeconds(step * i, 600));
    if (reversed) std::reverse(times.begin(), times.end());
    return times;
}

TEST(Asset, HeadersGiveLengthSizeAndDisplayMatrix) {
    struct Case {
        TestMovie movie;
        double seconds;
        graphics::Size stored;
        graphics::ImageOrientation orientation;
    };
    const Case cases[] = {
        {TestMovie::HalfSecond, 0.5, {128, 72}, graphics::ImageOrientation::Up},
        {TestMovie::FourPointNine, 4.9, {128, 72}, graphics::ImageOrientation::Up},
        {TestMovie::FiveSeconds, 5.0, {128, 72}, graphics::ImageOrientation::Up},
        {TestMovie::TwentySeconds, 20.0, {128, 72}, graphics::ImageOrientation::Up},
        {TestMovie::Rotated, 2.0, {128, 72}, graphics::ImageOrientation::Left},
    };
    for (const Case& c : cases) {
        auto asset = media::Asset::open(testsupport::testMovie(c.movie));
        ASSERT_TRUE(asset) << asset.error().description;
        EXPECT_NEAR(asset->durationSeconds(), c.seconds, kFrame) << asset->path();
        auto track = asset->firstVideoTrack();
        ASSERT_TRUE(track);
        EXPECT_EQ(track->codecName, "h264");
        EXPECT_EQ(track->naturalSize, c.stored);
        EXPECT_NEAR(track->nominalFrameRate, testsupport::kTestMovieFrameRate, 1e-6);
        EXPECT_EQ(media::orientationForTransform(track->preferredTransform), c.orientation) << asset->path();
        EXPECT_TRUE(asset->tracksWithMediaType(media::MediaType::Audio).empty());
    }
}

TEST(Asset, AFileThatIsNoMovieGivesAReadableError) {
    const std::string path = testsupport::testMovie(TestMovie::NotAVideo);
    for (const std::string& file : {path, path + ".missing"}) {
        auto asset = media::Asset::open(file);
        ASSERT_FALSE(asset);
        EXPECT_EQ(asset.error().domain, media::kMediaErrorDomain);
        EXPECT_EQ(asset.error().description.rfind("Cannot open " + file + ": ", 0), 0u) << asset.error().description;
    }
}

TEST(AssetImageGenerator, ReversedBatchAnswersInRequestOrderWithTheNearestFrames) {
    auto generator = generatorFor(TestMovie::FourPointNine);
    ASSERT_TRUE(generator);
    const double step = 4.9 / 48;
    generator->requestedTimeToleranceBefore = generator->requestedTimeToleranceAfter =
        MediaTime::fromSeconds(step / 2, 600);
    auto times = evenTimes(48, step, true);
    auto answers = generate(*generator, times);
    ASSERT_EQ(answers.size(), times.size());
    for (size_t i = 0; i < answers.size(); ++i) {
        const Answer& answer = answers[i];
        EXPECT_EQ(answer.requested, times[i]);
        ASSERT_EQ(answer.result, ImageGeneratorResult::Succeeded) << answer.error->description;
        const int number = testsupport::frameNumberInPicture(answer.image);
        const double wanted = times[i].seconds();
        // The nearest frame: never more than half a frame away.
        EXPECT_LE(std::abs(number * kFrame - wanted), kFrame / 2 + 1e-3) << wanted << " gave frame " << number;
        EXPECT_NEAR(answer.actual.seconds(), number * kFrame, 1e-3);
        EXPECT_EQ(answer.image.pixelWidth(), 128);
    }
}

TEST(AssetImageGenerator, ToleranceDecidesWhetherAFrameBetweenTwoAnswers) {
    auto generator = generatorFor(TestMovie::FiveSeconds);
    ASSERT_TRUE(generator);
    const MediaTime between = MediaTime::fromSeconds(10.5 * kFrame, 6000);
    struct Case {
        double tolerance;
        ImageGeneratorResult result;
    };
    for (const Case& c : {Case{0.0, ImageGeneratorResult::Failed}, Case{kFrame / 4, ImageGeneratorResult::Failed},
                          Case{kFrame * 0.6, ImageGeneratorResult::Succeeded}}) {
        generator->requestedTimeToleranceBefore = generator->requestedTimeToleranceAfter =
            MediaTime::fromSeconds(c.tolerance, 6000);
        auto answers = generate(*generator, {between, MediaTime::fromSeconds(12 * kFrame, 6000)});
        ASSERT_EQ(answers.size(), 2u);
        EXPECT_EQ(answers[0].result, c.result) << c.tolerance;
        if (c.result == ImageGeneratorResult::Failed) {
            ASSERT_TRUE(answers[0].error);
            EXPECT_EQ(answers[0].error->code, media::kMediaErrorNoFrameNearTime);
        } else {
            const int number = testsupport::frameNumberInPicture(answers[0].image);
            EXPECT_TRUE(number == 10 || number == 11) << number;
        }
        // A time on a frame is found at every tolerance, also after a miss.
        EXPECT_EQ(answers[1].result, ImageGeneratorResult::Succeeded);
        EXPECT_EQ(testsupport::frameNumberInPicture(answers[1].image), 12);
    }
}

// The frame a request must get: the nearest inside its window, the earlier
// of two as near; -1 when none is inside. Nullopt where rounding may decide
// (a frame on the window's edge, two frames as near).
std::optional<int> nearestFrameInWindow(double time, double before, double after, int frames) {
    int best = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int frame = 0; frame < frames; ++frame) {
        const double shown = frame * kFrame;
        const double beyond = std::max(time - before - shown, shown - time - after);
        if (std::abs(beyond) < 1e-9) return std::nullopt;
        if (beyond > 0) continue;
        const double distance = std::abs(shown - time);
        if (std::abs(distance - bestDistance) < 1e-9) return std::nullopt;
        if (distance < bestDistance) {
            best = frame;
            bestDistance = distance;
        }
    }
    return best;
}

TEST(AssetImageGenerator, EveryRequestGetsTheNearestFrameInItsWindowInAnyOrder) {
    // Most frames of the test movies are frames no other is decoded from;
    // those that no request needs are skipped, and never one that is.
    constexpr int kFrames = 5 * testsupport::kTestMovieFrameRate;
    const double unlimited = std::numeric_limits<double>::infinity();
    struct Case {
        double before, after;  // in frames
    };
    const Case cases[] = {{0.5, 0.5}, {0, 0}, {0.4, 0.4}, {0, 1.5}, {1.5, 0}, {3, 0.2}, {unlimited, unlimited}};
    std::vector<MediaTime> forward;
    for (int frame = 0; frame < kFrames; frame += 2)
        for (double offset : {0.0, 0.3, 0.7, 1.0, 1.44})
            forward.push_back(MediaTime::fromSeconds((frame + offset) * kFrame, 6000));
    for (double outside : {-0.2, 5.5}) forward.push_back(MediaTime::fromSeconds(outside, 6000));
    std::vector<MediaTime> reversed(forward.rbegin(), forward.rend());
    std::vector<MediaTime> shuffled = forward;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    auto generator = generatorFor(TestMovie::FiveSeconds);
    ASSERT_TRUE(generator);
    for (const Case& c : cases) {
        generator->requestedTimeToleranceBefore =
            std::isinf(c.before) ? MediaTime::positiveInfinity() : MediaTime::fromSeconds(c.before * kFrame, 6000);
        generator->requestedTimeToleranceAfter =
            std::isinf(c.after) ? MediaTime::positiveInfinity() : MediaTime::fromSeconds(c.after * kFrame, 6000);
        for (const auto* times : {&forward, &reversed, &shuffled}) {
            auto answers = generate(*generator, *times);
            ASSERT_EQ(answers.size(), times->size());
            for (const Answer& answer : answers) {
                const double time = answer.requested.seconds();
                const auto expected = nearestFrameInWindow(time, c.before * kFrame, c.after * kFrame, kFrames);
                if (!expected) continue;
                const int got = answer.result == ImageGeneratorResult::Succeeded
                                    ? testsupport::frameNumberInPicture(answer.image)
                                    : -1;
                EXPECT_EQ(got, *expected) << "at " << time / kFrame << " frames, window -" << c.before << " +"
                                          << c.after << ", order " << (times == &forward    ? "forward"
                                                                       : times == &reversed ? "reversed"
                                                                                            : "shuffled");
                if (got >= 0) {
                    EXPECT_NEAR(answer.actual.seconds(), got * kFrame, 1e-3);
                }
            }
        }
    }
}

TEST(AssetImageGenerator, DisplayMatrixAndMaximumSizeShapeThePicture) {
    struct Case {
        bool applies;
        graphics::Size maximum;
        int width, height;
        bool readable;
    };
    const Case cases[] = {
        {true, {0, 0}, 72, 128, true},
        {true, {36, 36}, 20, 36, false},
        {false, {0, 0}, 128, 72, false},
        {false, {64, 0}, 64, 36, false},
    };
    for (const Case& c : cases) {
        auto generator = generatorFor(TestMovie::Rotated);
        ASSERT_TRUE(generator);
        generator->appliesPreferredTrackTransform = c.applies;
        generator->maximumSize = c.maximum;
        MediaTime actual;
        auto image = generator->copyImageAtTime(MediaTime::fromSeconds(30 * kFrame, 600), &actual);
        ASSERT_TRUE(image) << image.error().description;
        EXPECT_EQ(image->pixelWidth(), c.width);
        EXPECT_EQ(image->pixelHeight(), c.height);
        EXPECT_EQ(image->orientation(), graphics::ImageOrientation::Up);
        // Only the upright picture shows the bands side by side in order.
        if (c.readable) {
            EXPECT_EQ(testsupport::frameNumberInPicture(*image), 30);
        }
        EXPECT_NEAR(actual.seconds(), 30 * kFrame, 1e-3);
        // A batch shapes each of its pictures the same way.
        auto answers = generate(*generator, evenTimes(6, 0.25, true));
        ASSERT_EQ(answers.size(), 6u);
        for (const Answer& answer : answers) {
            ASSERT_EQ(answer.result, ImageGeneratorResult::Succeeded);
            EXPECT_EQ(answer.image.pixelWidth(), c.width);
            EXPECT_EQ(answer.image.pixelHeight(), c.height);
            EXPECT_EQ(answer.image.orientation(), graphics::ImageOrientation::Up);
            if (c.readable) {
                EXPECT_NEAR(testsupport::frameNumberInPicture(answer.image) * kFrame, answer.requested.seconds(), 1e-3);
            }
        }
    }
}

TEST(AssetImageGenerator, CancelAnswersEveryOutstandingTimeCancelled) {
    auto generator = generatorFor(TestMovie::FiveSeconds);
    ASSERT_TRUE(generator);
    auto answers =
        generate(*generator, evenTimes(10, 0.5, false), [&](const Answer&) { generator->cancelAllImageGeneration(); });
    ASSERT_EQ(answers.size(), 10u);
    EXPECT_EQ(answers[0].result, ImageGeneratorResult::Succeeded);
    for (size_t i = 1; i < answers.size(); ++i) {
        EXPECT_EQ(answers[i].result, ImageGeneratorResult::Cancelled);
        EXPECT_TRUE(answers[i].image.isNull());
        EXPECT_FALSE(answers[i].error);
    }
    // A batch after the cancel runs again.
    auto later = generate(*generator, {MediaTime::fromSeconds(1.0, 600)});
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(testsupport::frameNumberInPicture(later[0].image), 24);
}

TEST(AssetImageGenerator, DamagedMoviesFailTheTimesTheyCannotShow) {
    auto truncated = generatorFor(TestMovie::Truncated);
    ASSERT_TRUE(truncated);
    truncated->requestedTimeToleranceBefore = truncated->requestedTimeToleranceAfter =
        MediaTime::fromSeconds(0.05, 600);
    auto answers = generate(*truncated, {MediaTime::fromSeconds(0.5, 600), MediaTime::fromSeconds(4.5, 600)});
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].result, ImageGeneratorResult::Succeeded);
    EXPECT_EQ(testsupport::frameNumberInPicture(answers[0].image), 12);
    EXPECT_EQ(answers[1].result, ImageGeneratorResult::Failed);
    ASSERT_TRUE(answers[1].error);
    EXPECT_EQ(answers[1].error->domain, media::kMediaErrorDomain);
    EXPECT_FALSE(answers[1].error->description.empty());
}

TEST(AssetImageGenerator, AMovieWhosePictureSizeChangesGivesPicturesOfEachSize) {
    // Two H.264 streams of odd sizes back to back: the decoder's buffers
    // change shape in the middle of one pass.
    static testsupport::RunFolder folder("tollivar-size-change");
    const std::string joined = folder.path() + "/joined.h264", movie = folder.path() + "/sizes.mp4";
    std::string bytes;
    for (const char* size : {"64x48", "98x66"}) {
        const std::string part = folder.path() + "/" + size + ".h264";
        ASSERT_EQ(testsupport::runProcess({"ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                                           std::string("testsrc=s=") + size + ":r=24:d=1", "-c:v", "libx264",
                                           "-pix_fmt", "yuv420p", part})
                      .exitCode,
                  0);
        std::ifstream in(part, std::ios::binary);
        bytes += std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::ofstream(joined, std::ios::binary) << bytes;
    ASSERT_EQ(testsupport::runProcess(
                  {"ffmpeg", "-v", "error", "-nostdin", "-y", "-framerate", "24", "-i", joined, "-c", "copy", movie})
                  .exitCode,
              0);
    auto asset = media::Asset::open(movie);
    ASSERT_TRUE(asset) << asset.error().description;
    auto generator = AssetImageGenerator::create(std::move(*asset));
    generator->requestedTimeToleranceBefore = generator->requestedTimeToleranceAfter = MediaTime::fromSeconds(0.1, 600);
    auto answers = generate(*generator, {MediaTime::fromSeconds(1.5, 600), MediaTime::fromSeconds(0.25, 600),
                                         MediaTime::fromSeconds(0.5, 600), MediaTime::fromSeconds(1.25, 600)});
    ASSERT_EQ(answers.size(), 4u);
    const graphics::Size sizes[] = {{98, 66}, {64, 48}, {64, 48}, {98, 66}};
    for (size_t i = 0; i < answers.size(); ++i) {
        ASSERT_EQ(answers[i].result, ImageGeneratorResult::Succeeded) << answers[i].error->description;
        EXPECT_EQ(answers[i].image.pixelWidth(), sizes[i].width) << i;
        EXPECT_EQ(answers[i].image.pixelHeight(), sizes[i].height) << i;
        // The test picture's colour bars, not an empty buffer.
        const QImage& bitmap = answers[i].image.bitmap();
        EXPECT_NE(bitmap.pixel(bitmap.width() / 10, bitmap.height() / 4),
                  bitmap.pixel(bitmap.width() * 9 / 10, bitmap.height() / 4))
            << i;
    }
}

TEST(AssetImageGenerator, PosterImageIsTheFirstPictureWithinTheMaximum) {
    graphics::Image poster = media::posterImageOfMovie(testsupport::testMovie(TestMovie::Rotated), {40, 40});
    ASSERT_FALSE(poster.isNull());
    EXPECT_EQ(poster.pixelWidth(), 23);
    EXPECT_EQ(poster.pixelHeight(), 40);
    EXPECT_TRUE(media::posterImageOfMovie(testsupport::testMovie(TestMovie::NotAVideo), {40, 40}).isNull());
}

}  // namespace
