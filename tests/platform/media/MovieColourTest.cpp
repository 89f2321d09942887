// Colours through our movies, checked with ffmpeg: the writer's movies say
// their colours and show them to players that follow the tags and to those
// that go by the size; the decoder reads ffmpeg's clips in their colours.

#include "platform/foundation/DispatchSemaphore.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/VideoFrameDecoder.h"
#include "support/RunFolder.h"
#include "support/TestMovies.h"
#include "support/TestSounds.h"

#include <QImage>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace media;
using testsupport::Rgb;

namespace {

const std::vector<Rgb> kBars(std::begin(testsupport::kColourBars), std::end(testsupport::kColourBars));

// How a picture reaches the writer: packed in either byte order, converted
// to planar first (as the renderer's composers do), or as a stored JPEG's
// planes (a frame shown as it is stored).
enum class Source { Argb, Bgra, Planar, Jpeg };

PixelBuffer pictureOf(const Rgb& c, int width, int height, Source source) {
    PixelBuffer packed = PixelBuffer::create(width, height);
    packed.pixelFormat = source == Source::Bgra ? kPixelFormat32BGRA : kPixelFormat32ARGB;
    const uint8_t argb[4] = {255, uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)};
    const uint8_t bgra[4] = {uint8_t(c.b), uint8_t(c.g), uint8_t(c.r), 255};
    for (size_t i = 0; i < packed.bytes.size(); i += 4)
        std::copy_n(source == Source::Bgra ? bgra : argb, 4, packed.bytes.begin() + std::ptrdiff_t(i));
    if (source == Source::Planar) return convertedTo420Planar(packed);
    if (source != Source::Jpeg) return packed;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(c.r, c.g, c.b));
    const foundation::Bytes jpeg = graphics::jpeg::encode(image, 1.0).value();
    return planarFromFullRange420(width, height, graphics::jpeg::decodePlanes420(jpeg.data(), jpeg.size())->bytes);
}

}  // namespace

TEST(MovieColour, WrittenPicturesSayTheirColoursAndShowThemTaggedOrNot) {
    testsupport::RunFolder folder("tollivar-movie-colour");
    std::vector<Rgb> written;  // every bar from every source, a picture each
    for (int source = 0; source < 4; ++source) written.insert(written.end(), kBars.begin(), kBars.end());
    // 1280 × 544 is HD by its width alone.
    for (const auto& [width, height] : {std::pair{640, 360}, {1280, 544}, {1280, 720}, {1920, 1080}}) {
        const std::string path = folder.path() + "/" + std::to_string(width) + "x" + std::to_string(height) + ".mov";
        SCOPED_TRACE(path);
        auto writer = *AssetWriter::create(path, AssetWriter::kFileTypeQuickTimeMovie);
        auto video = AssetWriterInput::video({width, height, 10'000'000, 10});
        writer->addInput(video);
        ASSERT_TRUE(writer->startWriting());
        writer->startSessionAtSourceTime(MediaTime::zero());
        for (size_t i = 0; i < written.size(); ++i)
            ASSERT_TRUE(video->appendPixelBuffer(pictureOf(written[i], width, height, Source(i / kBars.size())),
                                                 MediaTime::make(int64_t(i), 10)));
        foundation::DispatchSemaphore done(0);
        writer->finishWriting([&] { done.signal(); });
        ASSERT_TRUE(done.wait(120));
        ASSERT_EQ(writer->status(), AssetWriterStatus::Completed) << writer->error()->description;

        testsupport::expectOurColours(path, width, height, written);
        // QuickTime players read the track's own colour atom: primaries,
        // transfer and matrix as 16-bit codes.
        const bool hd = height >= 720 || width >= 1280;
        EXPECT_TRUE(testsupport::fileContains(path, std::string("colrnclc\0\1\0\1\0", 13) + (hd ? '\1' : '\6')));
    }
}

TEST(MovieColour, DecoderReadsTheMatrixAndRangeAMovieSaysOrTheSizesConvention) {
    testsupport::RunFolder folder("tollivar-clip-colour");
    // Clips of one picture a bar, converted from RGB by ffmpeg with `matrix`
    // into `range`, and saying so when `tagged`.
    struct Clip {
        const char* what;
        int width, height;
        std::string matrix, range;
        bool tagged;
    };
    const Clip clips[] = {
        {"HD tagged BT.709", 1280, 720, "bt709", "tv", true},
        {"HD tagged BT.601", 1280, 720, "bt601", "tv", true},
        {"HD full range BT.709", 1280, 720, "bt709", "pc", true},
        {"SD tagged BT.709", 640, 360, "bt709", "tv", true},
        {"SD full range BT.601", 640, 360, "bt601", "pc", true},
        {"HD untagged", 1280, 720, "bt709", "tv", false},
        {"HD by its width, untagged", 1280, 544, "bt709", "tv", false},
        {"SD untagged", 960, 540, "bt601", "tv", false},
    };
    for (const Clip& clip : clips) {
        SCOPED_TRACE(clip.what);
        const std::string path = folder.path() + "/clip" + std::to_string(&clip - clips) + ".mp4";
        std::string frames;
        for (const Rgb& c : kBars)
            for (int i = 0; i < clip.width * clip.height; ++i) frames += {char(c.r), char(c.g), char(c.b)};
        std::ofstream(path + ".rgb", std::ios::binary) << frames;
        const std::string size = std::to_string(clip.width) + "x" + std::to_string(clip.height);
        const std::string scale = "scale=out_color_matrix=" + clip.matrix + ":out_range=" + clip.range;
        std::vector<std::string> arguments = {"-f",   "rawvideo",    "-pix_fmt", "rgb24",
                                              "-s",   size,          "-r",       "5",
                                              "-i",   path + ".rgb", "-vf",      scale + ",format=yuv420p",
                                              "-c:v", "libx264",     "-qp",      "0"};
        const std::string space = clip.matrix == "bt709" ? "bt709" : "smpte170m";
        if (clip.tagged)
            arguments.insert(arguments.end(), {"-colorspace", space, "-color_primaries", space, "-color_trc", space,
                                               "-color_range", clip.range});
        arguments.push_back(path);
        testsupport::ffmpegOutput(arguments);
        // ffmpeg itself reads a tagged clip in its colours, or the clip is wrong.
        if (clip.tagged) testsupport::expectMiddleColours(path, "", kBars);

        auto decoder = detail::VideoFrameDecoder::open(path);
        ASSERT_TRUE(decoder) << decoder.error().description;
        const int x = clip.width / 2, y = clip.height / 2;
        const auto expectNear = [](const Rgb& shown, const Rgb& colour, const std::string& how) {
            EXPECT_LE(testsupport::levelsApart(shown, colour), 4)
                << how << ": " << toString(shown) << " for " << toString(colour);
        };
        for (const Rgb& colour : kBars) {
            auto next = (*decoder)->next();
            ASSERT_TRUE(next && *next);
            const AVFrame& frame = *(*next)->frame;
            // As the player and the movie source take it, and as import and
            // thumbnails do, at its size and scaled down.
            auto pixels = (*decoder)->pixelBuffer(frame);
            ASSERT_TRUE(pixels);
            const uint8_t* bgra = pixels->row(y) + 4 * x;
            expectNear({bgra[2], bgra[1], bgra[0]}, colour, "pixels");
            for (int scale : {1, 4}) {
                auto picture =
                    (*decoder)->picture(frame, clip.width / scale, clip.height / scale, graphics::ImageOrientation::Up);
                ASSERT_TRUE(picture);
                const QColor shown = picture->bitmap().pixelColor(x / scale, y / scale);
                expectNear({shown.red(), shown.green(), shown.blue()}, colour, "picture at 1/" + std::to_string(scale));
            }
        }
    }
}
