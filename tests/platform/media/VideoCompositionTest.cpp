// Video compositions: opacity and transform ramps, what a reader refuses,
// layers composed pixel by pixel, and real movies layered over time.

#include "platform/media/MediaError.h"
#include "platform/media/VideoCompositionReader.h"
#include "platform/media/VideoSampleReader.h"
#include "support/Process.h"
#include "support/RunFolder.h"
#include "support/TestMovies.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using graphics::AffineTransform;
using media::MediaTime;
using media::TimeRange;
using media::VideoCompositionLayerInstruction;
using Rgb = std::array<int, 3>;

MediaTime seconds(double value) { return MediaTime::fromSeconds(value, 600); }
TimeRange range(double start, double duration) { return TimeRange::make(seconds(start), seconds(duration)); }

Rgb pixelAt(const media::PixelBuffer& pixels, int x, int y) {
    const uint8_t* bgra = pixels.row(y) + size_t(x) * 4;
    return {bgra[2], bgra[1], bgra[0]};
}

media::PixelBuffer solid(int width, int height, Rgb colour) {
    media::PixelBuffer pixels = media::PixelBuffer::create(width, height);
    pixels.pixelFormat = media::kPixelFormat32BGRA;
    for (size_t i = 0; i < pixels.bytes.size(); i += 4)
        for (size_t c = 0; c < 4; ++c) pixels.bytes[i + c] = uint8_t(c < 3 ? colour[2 - c] : 255);
    return pixels;
}

Rgb mix(const Rgb& below, const Rgb& above, double opacity) {
    Rgb out;
    for (size_t c = 0; c < 3; ++c) out[c] = int(std::lround(below[c] * (1 - opacity) + above[c] * opacity));
    return out;
}

// The largest difference of one channel.
int distance(const Rgb& a, const Rgb& b) {
    int most = 0;
    for (size_t c = 0; c < 3; ++c) most = std::max(most, std::abs(a[c] - b[c]));
    return most;
}

testsupport::RunFolder& folder() {
    static testsupport::RunFolder run("tollivar-videocomposition");
    return run;
}

// One second of a blue picture at the test movies' size and rate.
const std::string& blueMovie() {
    static const std::string path = folder().path() + "/blue.mp4";
    static const int made = testsupport::runProcess({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                                     "color=c=0x2850C8:s=128x72:r=24:d=1", "-c:v", "libx264",
                                                     "-pix_fmt", "yuv420p", path})
                                .exitCode;
    EXPECT_EQ(made, 0);
    return path;
}

std::vector<media::PixelBuffer> decodedPictures(const std::string& path) {
    std::vector<media::PixelBuffer> pictures;
    auto reader = media::VideoSampleReader::open(path);
    EXPECT_TRUE(reader);
    if (!reader) return pictures;
    for (auto sample = (*reader)->next(); sample && *sample; sample = (*reader)->next())
        pictures.push_back(std::move((*sample)->pixels));
    return pictures;
}

// Track 1: the grey-band movie from its second 1 on, at 0 for 1.5 s.
// Track 2: the blue movie at 0.5 s for 1 s.
media::Composition twoOverlappingTracks(const std::string& bluePath) {
    media::Composition composition;
    auto bands = media::Asset::open(testsupport::testMovie(testsupport::TestMovie::FiveSeconds));
    auto blue = media::Asset::open(bluePath);
    EXPECT_TRUE(bands && blue);
    EXPECT_TRUE(composition.addMutableTrack(media::MediaType::Video)
                    .insertTimeRange(range(1.0, 1.5), *bands, *bands->firstVideoTrack(), MediaTime::zero()));
    EXPECT_TRUE(composition.addMutableTrack(media::MediaType::Video)
                    .insertTimeRange(range(0, 1.0), *blue, *blue->firstVideoTrack(), seconds(0.5)));
    return composition;
}

// Track 1 alone for 0.5 s; then track 2 fades in over it for 0.5 s; then
// track 2 alone, moved half the width to the right.
media::VideoComposition crossFadeThenMove(double renderScale = 1) {
    media::VideoComposition video;
    video.frameDuration = MediaTime::make(1, 24);
    video.renderSize = {128, 72};
    video.renderScale = renderScale;
    VideoCompositionLayerInstruction bands(1), fadingIn(2), moved(2);
    fadingIn.setOpacityRamp(0, 1, range(0.5, 0.5));
    moved.setTransform(AffineTransform::makeTranslation(64, 0), MediaTime::zero());
    video.instructions = {{range(0, 0.5), {bands}}, {range(0.5, 0.5), {fadingIn, bands}}, {range(1.0, 0.5), {moved}}};
    return video;
}

}  // namespace

TEST(VideoCompositionLayerInstruction, StepsAndRampsOverTime) {
    VideoCompositionLayerInstruction layer(1);
    layer.setOpacity(0.5f, seconds(1));
    layer.setOpacityRamp(0, 1, range(2, 2));
    layer.setOpacityRamp(3, -1, range(6, 0));  // clamped: a step to 0
    const std::pair<double, float> opacities[] = {{0, 1},   {0.99, 1}, {1, 0.5f}, {1.5, 0.5f}, {2, 0},
                                                  {3, 0.5f}, {3.5, 0.75f}, {4, 1},   {5.9, 1},   {6, 0}};
    for (const auto& [time, opacity] : opacities) EXPECT_NEAR(layer.opacityAtTime(seconds(time)), opacity, 1e-6) << time;

    const AffineTransform end{2, 0, 0, 2, 100, -40};
    layer.setTransformRamp(AffineTransform::makeTranslation(0, 0), end, range(1, 2));
    EXPECT_TRUE(layer.transformAtTime(seconds(0.5)).isIdentity());
    EXPECT_TRUE(layer.transformAtTime(seconds(2)).isClose({1.5, 0, 0, 1.5, 50, -20}));
    EXPECT_EQ(layer.transformAtTime(seconds(10)), end);
    // A change at the same start replaces the one before; an invalid one changes nothing.
    layer.setTransform(AffineTransform::makeScale(3, 3), seconds(1));
    layer.setTransform(AffineTransform::makeScale(5, 5), MediaTime::invalid());
    EXPECT_EQ(layer.transformAtTime(seconds(2)), AffineTransform::makeScale(3, 3));
}

TEST(VideoComposition, AReaderRefusesWhatItCannotFollow) {
    const media::Composition composition = twoOverlappingTracks(blueMovie());
    const std::pair<const char*, std::function<void(media::VideoComposition&)>> spoilers[] = {
        {"no frame duration", [](auto& video) { video.frameDuration = MediaTime::invalid(); }},
        {"a zero frame duration", [](auto& video) { video.frameDuration = MediaTime::zero(); }},
        {"no render size", [](auto& video) { video.renderSize = {0, 72}; }},
        {"no render scale", [](auto& video) { video.renderScale = 0; }},
        {"pictures too large to hold", [](auto& video) { video.renderSize = {128, 1e6}; }},
        {"overlapping instructions", [](auto& video) { video.instructions[1].timeRange = range(0.4, 0.5); }},
        {"an invalid range", [](auto& video) { video.instructions[0].timeRange = range(0, -1); }},
        {"a track that is not there", [](auto& video) { video.instructions[2].layerInstructions.emplace_back(7); }},
    };
    for (const auto& [what, spoil] : spoilers) {
        media::VideoComposition video = crossFadeThenMove();
        spoil(video);
        auto reader = media::VideoCompositionReader::open(composition, video);
        ASSERT_FALSE(reader) << what;
        EXPECT_EQ(std::pair(reader.error().domain, reader.error().code),
                  std::pair(std::string(media::kMediaErrorDomain), int64_t(media::kMediaErrorInvalidVideoComposition)))
            << what;
    }
    EXPECT_TRUE(media::VideoCompositionReader::open(composition, crossFadeThenMove()));
    EXPECT_TRUE(media::VideoCompositionReader::open(composition, media::VideoComposition())) << "nothing to show";
}

TEST(VideoComposition, LayersAreDrawnBottomUpAtTheirOpacityAndPlace) {
    const Rgb red{200, 40, 30}, blue{20, 60, 220}, black{0, 0, 0};
    const media::PixelBuffer below = solid(8, 4, red), above = solid(4, 4, blue);
    const AffineTransform right = AffineTransform::makeTranslation(4, 0);
    struct Case {
        const char* what;
        std::vector<media::ComposedLayer> topFirst;
        double renderScale;
        Rgb left, right;  // at (1, 2) and (6, 2) of the 8 × 4 render size
    };
    const Case cases[] = {
        {"nothing: black", {}, 1, black, black},
        {"opaque top layer covers its part", {{&above, {}, 1}, {&below, {}, 1}}, 1, blue, red},
        {"a quarter opaque", {{&above, {}, 0.25f}, {&below, {}, 1}}, 1, mix(red, blue, 0.25), red},
        {"over black", {{&above, {}, 0.5f}}, 1, mix(black, blue, 0.5), black},
        {"moved right", {{&above, right, 1}, {&below, {}, 1}}, 1, red, blue},
        {"at half scale", {{&above, right, 1}, {&below, {}, 1}}, 0.5, red, blue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const double s = c.renderScale;
        const media::PixelBuffer composed = media::composeLayers(int(8 * s), int(4 * s), s, c.topFirst);
        ASSERT_EQ(composed.width, int(8 * s));
        EXPECT_EQ(composed.pixelFormat, media::kPixelFormat32BGRA);
        EXPECT_LE(distance(pixelAt(composed, int(1 * s), int(2 * s)), c.left), 1);
        EXPECT_LE(distance(pixelAt(composed, int(6 * s), int(2 * s)), c.right), 1);
        EXPECT_EQ(composed.bytes[3], 255) << "opaque";
    }
}

// Every picture at its time: the band movie's frames where it shows alone,
// the blue one fading in over it, then moved aside; at any render scale.
TEST(VideoComposition, ReadsOverlappingTracksThroughItsInstructions) {
    const auto bands = decodedPictures(testsupport::testMovie(testsupport::TestMovie::FiveSeconds));
    const auto blue = decodedPictures(blueMovie());
    ASSERT_GE(bands.size(), 60u);
    ASSERT_FALSE(blue.empty());
    const Rgb blueColour = pixelAt(blue.front(), 64, 36);
    auto reader = media::VideoCompositionReader::open(twoOverlappingTracks(blueMovie()), crossFadeThenMove());
    ASSERT_TRUE(reader) << reader.error().description;
    EXPECT_EQ(std::pair((*reader)->width(), (*reader)->height()), std::pair(128, 72));
    int n = 0;
    for (;; ++n) {
        SCOPED_TRACE("frame " + std::to_string(n));
        auto sample = (*reader)->next();
        ASSERT_TRUE(sample) << sample.error().description;
        if (!*sample) break;
        EXPECT_EQ((*sample)->presentationTime, MediaTime::make(n, 24));
        const media::PixelBuffer& picture = (*sample)->pixels;
        if (n < 24) {  // the band movie from its second 1, the blue one fading in over it from frame 12
            const double opacity = std::max(0.0, (n / 24.0 - 0.5) / 0.5);
            for (int x : {10, 64, 110})
                EXPECT_LE(distance(pixelAt(picture, x, 36), mix(pixelAt(bands[size_t(24 + n)], x, 36), blueColour, opacity)),
                          2) << x;
        } else {
            EXPECT_EQ(distance(pixelAt(picture, 30, 36), {0, 0, 0}), 0) << "left of the moved layer";
            EXPECT_LE(distance(pixelAt(picture, 100, 36), blueColour), 1) << "the moved layer";
        }
    }
    EXPECT_EQ(n, 36) << "1.5 s at 24 frames a second";

    auto small = media::VideoCompositionReader::open(twoOverlappingTracks(blueMovie()), crossFadeThenMove(0.5));
    ASSERT_TRUE(small);
    EXPECT_EQ((*small)->width(), 64);
    auto first = (*small)->next();
    ASSERT_TRUE(first && *first);
    EXPECT_EQ((*first)->pixels.height, 36);
}

TEST(VideoComposition, DefaultsToTheTracksAsTheyAreAndReportsAMissingSource) {
    const std::string copy = folder().path() + "/blue-copy.mp4";
    std::filesystem::copy_file(blueMovie(), copy, std::filesystem::copy_options::overwrite_existing);
    const media::Composition composition = twoOverlappingTracks(copy);
    auto video = media::VideoComposition::withPropertiesOf(composition);
    ASSERT_TRUE(video);
    EXPECT_EQ(video->renderSize, (graphics::Size{128, 72}));
    EXPECT_EQ(video->frameDuration, MediaTime::make(1, 24));
    ASSERT_EQ(video->instructions.size(), 1u);
    EXPECT_EQ(video->instructions[0].timeRange.end(), seconds(1.5));
    ASSERT_EQ(video->instructions[0].layerInstructions.size(), 2u);
    EXPECT_EQ(video->instructions[0].layerInstructions[0].trackID(), 1) << "the first track on top";

    auto reader = media::VideoCompositionReader::open(composition, *video);
    ASSERT_TRUE(reader);
    std::filesystem::remove(copy);
    std::optional<foundation::Error> failure;
    for (int i = 0; i < 40 && !failure; ++i) {
        auto sample = (*reader)->next();
        if (!sample) failure = sample.error();
        else if (!*sample) break;
    }
    EXPECT_TRUE(failure) << "the blue movie is gone when its segment begins";
    EXPECT_TRUE(media::VideoComposition::withPropertiesOf(media::Composition())->instructions.empty());
}
