// Colours through our movies, checked with ffmpeg and ffprobe: what the
// writer stores says its colour space, primaries, transfer and range, and
// comes back in its colours both to a player that follows those tags and to
// one that ignores them and takes BT.709 for HD sizes, BT.601 below; and the
// decoder reads movies made by ffmpeg in their colours however they are
// tagged, or by that convention where they say nothing.

#include "platform/foundation/DispatchSemaphore.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/VideoFrameDecoder.h"
#include "support/MovieFacts.h"
#include "support/RunFolder.h"
#include "support/TestSounds.h"

#include <QImage>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace media;
using testsupport::Rgb;

namespace {

struct Colour {
    const char* name;
    Rgb rgb;
};
const Colour kColours[] = {{"red", {255, 0, 0}},
                           {"green", {0, 255, 0}},
                           {"blue", {0, 0, 255}},
                           {"grey", {128, 128, 128}},
                           {"skin", {224, 172, 140}}};
// Levels a channel may be off after 4:2:0, 8-bit matrices and an encoder.
constexpr int kLevels = 4;

void expectColour(const Rgb& actual, const Rgb& expected, const std::string& what) {
    EXPECT_LE(testsupport::levelsApart(actual, expected), kLevels)
        << what << ": " << toString(actual) << " for " << toString(expected);
}

// How a picture reaches the writer: packed in either byte order, converted
// to planar before (as the renderer's composers do), or as the planes of a
// stored JPEG (the renderer's path for a frame shown as it is stored).
enum class Source { Argb, Bgra, Planar, Jpeg };
const char* const kSourceNames[] = {"32ARGB", "32BGRA", "planar", "JPEG planes"};

PixelBuffer pictureOf(const Rgb& c, int width, int height, Source source) {
    PixelBuffer packed = PixelBuffer::create(width, height);
    packed.pixelFormat = source == Source::Bgra ? kPixelFormat32BGRA : kPixelFormat32ARGB;
    const uint8_t pixel[4] = {255, uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)};
    const uint8_t bgra[4] = {uint8_t(c.b), uint8_t(c.g), uint8_t(c.r), 255};
    for (size_t i = 0; i < packed.bytes.size(); i += 4)
        std::copy_n(source == Source::Bgra ? bgra : pixel, 4, packed.bytes.begin() + std::ptrdiff_t(i));
    if (source == Source::Planar) return convertedTo420Planar(packed);
    if (source != Source::Jpeg) return packed;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(c.r, c.g, c.b));
    auto jpeg = graphics::jpeg::encode(image, 1.0);
    EXPECT_TRUE(jpeg);
    auto planes = graphics::jpeg::decodePlanes420(jpeg->data(), jpeg->size());
    EXPECT_TRUE(planes);
    return planarFromFullRange420(width, height, std::move(planes->bytes));
}

// Every colour from every source, one picture each, in that order.
void writeColours(const std::string& path, int width, int height) {
    auto writer = *AssetWriter::create(path, AssetWriter::kFileTypeQuickTimeMovie);
    auto video = AssetWriterInput::video({width, height, 10'000'000, 10});
    writer->addInput(video);
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(MediaTime::zero());
    int64_t time = 0;
    for (Source source : {Source::Argb, Source::Bgra, Source::Planar, Source::Jpeg})
        for (const Colour& colour : kColours)
            ASSERT_TRUE(
                video->appendPixelBuffer(pictureOf(colour.rgb, width, height, source), MediaTime::make(time++, 10)));
    foundation::DispatchSemaphore done(0);
    writer->finishWriting([&] { done.signal(); });
    ASSERT_TRUE(done.wait(120));
    ASSERT_EQ(writer->status(), AssetWriterStatus::Completed) << writer->error()->description;
}

bool isHD(int width, int height) { return height >= 720 || width >= 1280; }

}  // namespace

TEST(MovieColour, WrittenPicturesSayTheirColoursAndShowThemTaggedOrNot) {
    testsupport::RunFolder folder("tollivar-movie-colour");
    struct Size {
        int width, height;
    };
    // 1280 × 544 is HD by its width alone.
    for (const Size& size : {Size{640, 360}, Size{1280, 544}, Size{1280, 720}, Size{1920, 1080}}) {
        const std::string name = std::to_string(size.width) + "x" + std::to_string(size.height);
        SCOPED_TRACE(name);
        const std::string path = folder.path() + "/" + name + ".mov";
        writeColours(path, size.width, size.height);

        const bool hd = isHD(size.width, size.height);
        EXPECT_EQ(testsupport::probeMovieFacts(path).colours, testsupport::ourColours(size.width, size.height));
        // QuickTime players read the track's own colour atom: primaries,
        // transfer and matrix as 16-bit codes.
        const std::string atom = std::string("colrnclc\0\1\0\1\0", 13) + (hd ? '\1' : '\6');
        EXPECT_TRUE(testsupport::fileContains(path, atom));

        const std::vector<Rgb> tagged = testsupport::middleColours(path);
        const std::vector<Rgb> untagged = testsupport::middleColours(path, hd ? "bt709" : "bt601");
        ASSERT_EQ(tagged.size(), std::size(kColours) * 4);
        ASSERT_EQ(untagged.size(), tagged.size());
        for (size_t i = 0; i < tagged.size(); ++i) {
            const Colour& colour = kColours[i % std::size(kColours)];
            const std::string what = std::string(colour.name) + " from " + kSourceNames[i / std::size(kColours)];
            expectColour(tagged[i], colour.rgb, what + ", read as tagged");
            expectColour(untagged[i], colour.rgb, what + ", read by the size's convention");
        }
    }
}

namespace {

// A clip of one picture per colour made by ffmpeg from RGB, converted with
// `matrix` into `range` ("tv" or "pc"), and tagged with `tags`.
std::string makeClip(const std::string& path, int width, int height, const std::string& matrix,
                     const std::string& range, const std::vector<std::string>& tags) {
    std::string frames;
    for (const Colour& colour : kColours)
        for (int i = 0; i < width * height; ++i) frames += {char(colour.rgb.r), char(colour.rgb.g), char(colour.rgb.b)};
    const std::string input = path + ".rgb";
    FILE* file = std::fopen(input.c_str(), "wb");
    EXPECT_TRUE(file);
    std::fwrite(frames.data(), 1, frames.size(), file);
    std::fclose(file);
    std::vector<std::string> arguments = {
        "-f",    "rawvideo", "-pix_fmt",
        "rgb24", "-s",       std::to_string(width) + "x" + std::to_string(height),
        "-r",    "5",        "-i",
        input,   "-vf",      "scale=out_color_matrix=" + matrix + ":out_range=" + range + ",format=yuv420p"};
    arguments.insert(arguments.end(), tags.begin(), tags.end());
    for (const char* option : {"-c:v", "libx264", "-qp", "0"}) arguments.push_back(option);
    arguments.push_back(path);
    testsupport::ffmpegOutput(arguments);
    return path;
}

Rgb bgraAt(const uint8_t* pixel) { return {pixel[2], pixel[1], pixel[0]}; }

}  // namespace

TEST(MovieColour, DecoderReadsTheMatrixAndRangeAMovieSaysOrTheSizesConvention) {
    testsupport::RunFolder folder("tollivar-clip-colour");
    const std::vector<std::string> bt709 = {"-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709"};
    const std::vector<std::string> bt601 = {"-colorspace", "smpte170m",  "-color_primaries",
                                            "smpte170m",   "-color_trc", "smpte170m"};
    auto with = [](std::vector<std::string> tags, const char* range) {
        tags.insert(tags.end(), {"-color_range", range});
        return tags;
    };
    struct Clip {
        const char* what;
        int width, height;
        const char* matrix;
        const char* range;
        std::vector<std::string> tags;
    };
    const Clip clips[] = {
        {"HD tagged BT.709", 1280, 720, "bt709", "tv", with(bt709, "tv")},
        {"HD tagged BT.601", 1280, 720, "bt601", "tv", with(bt601, "tv")},
        {"HD full range BT.709", 1280, 720, "bt709", "pc", with(bt709, "pc")},
        {"SD tagged BT.709", 640, 360, "bt709", "tv", with(bt709, "tv")},
        {"SD full range BT.601", 640, 360, "bt601", "pc", with(bt601, "pc")},
        {"HD untagged", 1280, 720, "bt709", "tv", {}},
        {"HD by its width, untagged", 1280, 544, "bt709", "tv", {}},
        {"SD untagged", 960, 540, "bt601", "tv", {}},
    };
    int made = 0;
    for (const Clip& clip : clips) {
        SCOPED_TRACE(clip.what);
        const std::string path = makeClip(folder.path() + "/clip" + std::to_string(made++) + ".mp4", clip.width,
                                          clip.height, clip.matrix, clip.range, clip.tags);
        // ffmpeg itself reads the clip in its colours, or the clip is wrong.
        if (!clip.tags.empty()) {
            const std::vector<Rgb> reference = testsupport::middleColours(path);
            ASSERT_EQ(reference.size(), std::size(kColours));
            for (size_t i = 0; i < reference.size(); ++i) expectColour(reference[i], kColours[i].rgb, "ffmpeg");
        }

        auto decoder = detail::VideoFrameDecoder::open(path);
        ASSERT_TRUE(decoder) << decoder.error().description;
        for (const Colour& colour : kColours) {
            auto next = (*decoder)->next();
            ASSERT_TRUE(next && *next) << colour.name;
            const AVFrame& frame = *(*next)->frame;
            const int x = clip.width / 2, y = clip.height / 2;
            // As the player and the movie source take it.
            auto pixels = (*decoder)->pixelBuffer(frame);
            ASSERT_TRUE(pixels);
            expectColour(bgraAt(pixels->row(y) + 4 * x), colour.rgb, std::string(colour.name) + " pixels");
            // As import and thumbnails take it, at its size and scaled down.
            for (int scale : {1, 4}) {
                auto picture =
                    (*decoder)->picture(frame, clip.width / scale, clip.height / scale, graphics::ImageOrientation::Up);
                ASSERT_TRUE(picture);
                const QColor shown = picture->bitmap().pixelColor(x / scale, y / scale);
                expectColour({shown.red(), shown.green(), shown.blue()}, colour.rgb,
                             std::string(colour.name) + " picture at 1/" + std::to_string(scale));
            }
        }
    }
}
