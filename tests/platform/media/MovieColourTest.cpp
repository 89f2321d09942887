// Colours through our movies, checked with ffmpeg: what the writer makes and
// what the decoder reads of ffmpeg's clips, tagged or not.

#include "platform/foundation/DispatchSemaphore.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/VideoFrameDecoder.h"
#include "support/RunFolder.h"
#include "support/TestMovies.h"
#include "support/TestSounds.h"

#include <QImage>
#include <fstream>
#include <gtest/gtest.h>

using namespace media;
using testsupport::Rgb;

namespace {

const std::vector<Rgb> kBars(std::begin(testsupport::kColourBars), std::end(testsupport::kColourBars));

// A picture of one colour, packed or converted to planar first (as the
// renderer's composers do); JPEG planes are the renderer's test.
PixelBuffer pictureOf(const Rgb& c, int width, int height, bool planar) {
    PixelBuffer packed = PixelBuffer::create(width, height);
    packed.pixelFormat = kPixelFormat32ARGB;
    const uint8_t argb[4] = {255, uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)};
    for (size_t i = 0; i < packed.bytes.size(); i += 4) std::copy_n(argb, 4, packed.bytes.begin() + std::ptrdiff_t(i));
    return planar ? convertedTo420Planar(packed) : packed;
}

}  // namespace

TEST(MovieColour, WrittenPicturesSayTheirColoursAndShowThemTaggedOrNot) {
    testsupport::RunFolder folder("tollivar-movie-colour");
    std::vector<Rgb> written = kBars;  // packed, then the same planar
    written.insert(written.end(), kBars.begin(), kBars.end());
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
            ASSERT_TRUE(video->appendPixelBuffer(pictureOf(written[i], width, height, i >= kBars.size()),
                                                 MediaTime::make(int64_t(i), 10)));
        foundation::DispatchSemaphore done(0);
        writer->finishWriting([&] { done.signal(); });
        ASSERT_TRUE(done.wait(120));
        ASSERT_EQ(writer->status(), AssetWriterStatus::Completed) << writer->error()->description;
        testsupport::expectOurColours(path, width, height, written);
        // QuickTime players read the track's colour atom: primaries, transfer, matrix.
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
        const std::string space = !clip.tagged ? "unknown" : clip.matrix == "bt709" ? "bt709" : "smpte170m";
        std::vector<std::string> arguments = {"-f",   "rawvideo",    "-pix_fmt", "rgb24",
                                              "-s",   size,          "-r",       "5",
                                              "-i",   path + ".rgb", "-vf",      scale + ",format=yuv420p",
                                              "-c:v", "libx264",     "-qp",      "0"};
        arguments.insert(arguments.end(), {"-colorspace", space, "-color_primaries", space, "-color_trc", space,
                                           "-color_range", clip.tagged ? clip.range : "unknown", path});
        testsupport::ffmpegOutput(arguments);
        // ffmpeg itself reads a tagged clip in its colours, or the clip is wrong.
        if (clip.tagged) testsupport::expectMiddleColours(path, "", kBars);
        auto decoder = detail::VideoFrameDecoder::open(path);
        ASSERT_TRUE(decoder) << decoder.error().description;
        const int x = clip.width / 2, y = clip.height / 2;
        for (const Rgb& colour : kBars) {
            auto next = (*decoder)->next();
            ASSERT_TRUE(next && *next);
            const AVFrame& frame = *(*next)->frame;
            // As the player and the movie source take it, and as import and
            // thumbnails do, at its size and scaled down.
            auto pixels = (*decoder)->pixelBuffer(frame);
            ASSERT_TRUE(pixels);
            const Rgb fromPixels{pixels->row(y)[4 * x + 2], pixels->row(y)[4 * x + 1], pixels->row(y)[4 * x]};
            EXPECT_LE(testsupport::levelsApart(fromPixels, colour), 4) << "pixels " << toString(fromPixels);
            for (int scale : {1, 4}) {
                auto picture =
                    (*decoder)->picture(frame, clip.width / scale, clip.height / scale, graphics::ImageOrientation::Up);
                ASSERT_TRUE(picture);
                const QColor c = picture->bitmap().pixelColor(x / scale, y / scale);
                EXPECT_LE(testsupport::levelsApart({c.red(), c.green(), c.blue()}, colour), 4)
                    << "picture at 1/" << scale << ": " << c.red() << "," << c.green() << "," << c.blue();
            }
        }
    }
}
