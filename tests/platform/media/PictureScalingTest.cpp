#include "platform/media/AssetImageGenerator.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/PictureScaling.h"
#include "platform/media/VideoSampleReader.h"
#include "support/Process.h"
#include "support/RunFolder.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

namespace {

using media::PicturePlanes;

// Narrow pictures at the heights of 1080p and 4K movies, odd ones, and the
// movie sizes whose chroma rows are no whole blocks (960 → 480).
struct Size {
    int width, height;
};
const Size kSizes[] = {{1, 1080}, {2, 1080}, {3, 1080},  {4, 2160},  {6, 1080}, {7, 2160},
                       {8, 1080}, {8, 2160}, {14, 1080}, {14, 2160}, {15, 7},   {960, 540}};

// A tight picture whose last byte lies just in front of a page that cannot
// be touched: anything read or written past the picture ends the process.
class GuardedPicture {
public:
    GuardedPicture(AVPixelFormat format, int width, int height) {
        bytes_ = size_t(av_image_get_buffer_size(format, width, height, 1));
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        mapped_ = (bytes_ + page - 1) / page * page + page;
        base_ =
            static_cast<uint8_t*>(mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        EXPECT_NE(base_, MAP_FAILED);
        EXPECT_EQ(mprotect(base_ + mapped_ - page, page, PROT_NONE), 0);
        uint8_t* start = base_ + mapped_ - page - bytes_;
        planes_ = {format, width, height, {}, {}};
        av_image_fill_arrays(planes_.data.data(), planes_.linesize.data(), start, format, width, height, 1);
    }
    ~GuardedPicture() { munmap(base_, mapped_); }
    GuardedPicture(const GuardedPicture&) = delete;
    GuardedPicture& operator=(const GuardedPicture&) = delete;

    const PicturePlanes& planes() const { return planes_; }
    uint8_t* bytes() const { return planes_.data[0]; }
    size_t size() const { return bytes_; }

private:
    uint8_t* base_ = nullptr;
    size_t mapped_ = 0;
    size_t bytes_ = 0;
    PicturePlanes planes_;
};

// Fills every plane with its level (0: first plane, …).
void fillPlanes(const GuardedPicture& picture, const std::array<uint8_t, 4>& levels) {
    const PicturePlanes& p = picture.planes();
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(p.format);
    for (int plane = 0; plane < 4 && p.data[size_t(plane)]; ++plane) {
        const int rows = plane == 1 || plane == 2 ? AV_CEIL_RSHIFT(p.height, descriptor->log2_chroma_h) : p.height;
        std::memset(p.data[size_t(plane)], levels[size_t(plane)], size_t(p.linesize[size_t(plane)]) * size_t(rows));
    }
}

TEST(PictureScaling, NarrowAndOddPicturesStayInsideTheirPlanes) {
    struct Conversion {
        AVPixelFormat from, to;
        int flags;
        bool halfSize;  // the destination at half the width and height, rounded up
    };
    const Conversion conversions[] = {
        {AV_PIX_FMT_YUV420P, AV_PIX_FMT_RGB32, SWS_POINT, false},
        {AV_PIX_FMT_YUV420P, AV_PIX_FMT_RGB32, SWS_BILINEAR, true},
        {AV_PIX_FMT_YUV422P, AV_PIX_FMT_BGRA, SWS_BICUBIC, false},
        {AV_PIX_FMT_YUV444P, AV_PIX_FMT_RGB32, SWS_BILINEAR, false},
        {AV_PIX_FMT_ARGB, AV_PIX_FMT_YUV420P, SWS_BICUBIC, false},
        {AV_PIX_FMT_BGRA, AV_PIX_FMT_YUV420P, SWS_BICUBIC, false},
    };
    for (const Conversion& c : conversions) {
        for (const Size& size : kSizes) {
            const bool planarTarget = c.to == AV_PIX_FMT_YUV420P;
            if (planarTarget && (size.width % 2 || size.height % 2)) continue;  // as the encoder takes them
            const int width = c.halfSize ? (size.width + 1) / 2 : size.width;
            const int height = c.halfSize ? (size.height + 1) / 2 : size.height;
            SCOPED_TRACE(std::string(av_get_pix_fmt_name(c.from)) + " " + std::to_string(size.width) + "x" +
                         std::to_string(size.height) + " -> " + av_get_pix_fmt_name(c.to) + " " +
                         std::to_string(width) + "x" + std::to_string(height));
            GuardedPicture source(c.from, size.width, size.height);
            GuardedPicture target(c.to, width, height);
            // Mid grey: luma 126, neutral chroma; or opaque grey 128 in RGB.
            fillPlanes(source, c.from == AV_PIX_FMT_ARGB || c.from == AV_PIX_FMT_BGRA
                                   ? std::array<uint8_t, 4>{128, 0, 0, 0}
                                   : std::array<uint8_t, 4>{126, 128, 128, 0});
            media::ScaleContextPtr context(sws_getContext(size.width, size.height, c.from, width, height, c.to, c.flags,
                                                          nullptr, nullptr, nullptr));
            ASSERT_TRUE(context);
            std::memset(target.bytes(), 0, target.size());
            ASSERT_TRUE(media::scalePicture(context.get(), source.planes(), target.planes()));
            // Every sample of the picture was written, with the grey.
            for (size_t i = 0; i < target.size(); ++i) {
                const uint8_t value = target.bytes()[i];
                if (!planarTarget && i % 4 == (c.to == AV_PIX_FMT_BGRA || c.to == AV_PIX_FMT_RGB32 ? 3u : 0u)) {
                    ASSERT_EQ(value, 255) << "alpha at byte " << i;
                } else if (!planarTarget) {
                    ASSERT_NEAR(value, 128, 3) << "byte " << i;
                } else {
                    ASSERT_NEAR(value, i < size_t(width) * size_t(height) ? 126 : 128, 3) << "byte " << i;
                }
            }
        }
    }
}

// Widths up to 512 at which every plane's row of `format` is whole 64-byte
// blocks long, so nothing but the format decides whether rows are read past.
std::vector<int> wholeBlockWidths(AVPixelFormat format) {
    std::vector<int> widths;
    for (int width = 2; width <= 512 && widths.size() < 3; width += 2) {
        int rows[4] = {};
        av_image_fill_linesizes(rows, format, width);
        if (std::all_of(rows, rows + 4, [](int row) { return row % 64 == 0; })) widths.push_back(width);
    }
    return widths;
}

TEST(PictureScaling, RowsOfWholeBlocksInAnyFormatAreReadNoFurther) {
    // Packed 24-bit RGB is read past its last pixel although its rows end
    // on a block; the others are what decoders and cameras hand over.
    const AVPixelFormat formats[] = {
        AV_PIX_FMT_RGB24,   AV_PIX_FMT_BGR24,       AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV422P,
        AV_PIX_FMT_YUV444P, AV_PIX_FMT_NV12,        AV_PIX_FMT_GRAY8,   AV_PIX_FMT_YUYV422,
        AV_PIX_FMT_UYVY422, AV_PIX_FMT_ARGB,        AV_PIX_FMT_BGRA,    AV_PIX_FMT_BGR0,
        AV_PIX_FMT_RGB48LE, AV_PIX_FMT_YUV420P10LE, AV_PIX_FMT_PAL8,    AV_PIX_FMT_RGB565LE};
    const AVPixelFormat targets[] = {AV_PIX_FMT_BGRA, AV_PIX_FMT_YUV420P};
    for (AVPixelFormat from : formats) {
        const std::vector<int> widths = wholeBlockWidths(from);
        ASSERT_FALSE(widths.empty()) << av_get_pix_fmt_name(from);
        for (int width : widths) {
            for (AVPixelFormat to : targets) {
                const int height = 6;
                SCOPED_TRACE(std::string(av_get_pix_fmt_name(from)) + " " + std::to_string(width) + " -> " +
                             av_get_pix_fmt_name(to));
                GuardedPicture source(from, width, height);
                std::memset(source.bytes(), 0x80, source.size());
                media::ScaleContextPtr context(
                    sws_getContext(width, height, from, width, height, to, SWS_BILINEAR, nullptr, nullptr, nullptr));
                ASSERT_TRUE(context);
                GuardedPicture target(to, width, height);
                EXPECT_TRUE(media::scalePicture(context.get(), source.planes(), target.planes()));
            }
        }
    }
}

TEST(PictureScaling, PaddedPicturesHaveRoomBehindEveryRowAndNothingUndefinedInIt) {
    struct Case {
        AVPixelFormat format;
        int width, height;
    };
    const Case cases[] = {{AV_PIX_FMT_RGB24, 64, 3},       {AV_PIX_FMT_BGR24, 128, 5}, {AV_PIX_FMT_YUV420P, 15, 7},
                          {AV_PIX_FMT_NV12, 2, 1080},      {AV_PIX_FMT_BGRA, 16, 2},   {AV_PIX_FMT_PAL8, 64, 4},
                          {AV_PIX_FMT_YUV420P10LE, 960, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(av_get_pix_fmt_name(c.format)) + " " + std::to_string(c.width));
        media::AVFramePtr frame = media::paddedPictureFrame({c.format, c.width, c.height, {}, {}});
        ASSERT_TRUE(frame);
        int visible[4] = {};
        av_image_fill_linesizes(visible, c.format, c.width);
        for (int plane = 0; plane < 4; ++plane) {
            if (visible[plane] == 0) continue;
            EXPECT_EQ(frame->linesize[plane] % 64, 0) << plane;
            EXPECT_GE(frame->linesize[plane] - visible[plane], media::kScaleRowSlack) << plane;
        }
        // Every byte, padding included, is defined: zero until a picture is copied in.
        const AVBufferRef& buffer = *frame->buf[0];
        EXPECT_TRUE(std::all_of(buffer.data, buffer.data + buffer.size, [](uint8_t b) { return b == 0; }));
    }
}

// A movie of one flat colour (red 200, green 40, blue 90) made by ffmpeg.
std::string flatMovie(int width, int height, const std::string& pixelFormat) {
    static testsupport::RunFolder folder("tollivar-narrow");
    const std::string path =
        folder.path() + "/flat-" + std::to_string(width) + "x" + std::to_string(height) + "-" + pixelFormat + ".mp4";
    if (std::filesystem::exists(path)) return path;
    const testsupport::ProcessResult made = testsupport::runProcess(
        {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
         "color=c=0xC8285A:s=" + std::to_string(width) + "x" + std::to_string(height) + ":r=10:d=0.3", "-pix_fmt",
         // ffmpeg converts with BT.601 and says so: an HD movie that says
         // nothing is read as BT.709.
         pixelFormat, "-colorspace", "smpte170m", "-c:v", "libx264", "-qp", "0", path});
    EXPECT_EQ(made.exitCode, 0) << made.output;
    return path;
}

void expectFlatColour(const QImage& picture, int tolerance) {
    for (int y = 0; y < picture.height(); y += std::max(1, picture.height() / 40))
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            ASSERT_NEAR(qRed(pixel), 200, tolerance) << x << "," << y;
            ASSERT_NEAR(qGreen(pixel), 40, tolerance) << x << "," << y;
            ASSERT_NEAR(qBlue(pixel), 90, tolerance) << x << "," << y;
        }
}

TEST(PictureScaling, NarrowMoviesGivePicturesAndSamplesOfTheirOwnColour) {
    struct Case {
        int width, height;
        const char* pixelFormat;
        graphics::Size maximum;  // of the image generator
        int pictureWidth, pictureHeight;
    };
    const Case cases[] = {
        {8, 1080, "yuv420p", {0, 0}, 8, 1080},         {2, 1080, "yuv420p", {0, 0}, 2, 1080},
        {14, 2160, "yuv420p", {0, 0}, 14, 2160},       {8, 1080, "yuv420p", {640, 640}, 5, 640},
        {6, 1080, "yuv422p", {0, 0}, 6, 1080},         {4, 2160, "yuv420p", {640, 360}, 1, 360},
        {10, 1080, "yuv444p", {3840, 2160}, 10, 1080},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " " + c.pixelFormat);
        const std::string path = flatMovie(c.width, c.height, c.pixelFormat);
        auto asset = media::Asset::open(path);
        ASSERT_TRUE(asset) << asset.error().description;
        auto generator = media::AssetImageGenerator::create(std::move(*asset));
        generator->maximumSize = c.maximum;
        auto picture = generator->copyImageAtTime(media::MediaTime::zero(), nullptr);
        ASSERT_TRUE(picture) << picture.error().description;
        EXPECT_EQ(picture->pixelWidth(), c.pictureWidth);
        EXPECT_EQ(picture->pixelHeight(), c.pictureHeight);
        expectFlatColour(picture->bitmap(), 6);

        auto reader = media::VideoSampleReader::open(path);
        ASSERT_TRUE(reader) << reader.error().description;
        auto sample = (*reader)->next();
        ASSERT_TRUE(sample && *sample) << (sample ? "no sample" : sample.error().description);
        const media::PixelBuffer& pixels = (*sample)->pixels;
        const QImage view(pixels.bytes.data(), pixels.width, pixels.height, int(pixels.bytesPerRow),
                          QImage::Format_ARGB32);
        expectFlatColour(view, 6);
    }
}

}  // namespace
