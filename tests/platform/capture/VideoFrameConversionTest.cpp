#include "platform/capture/VideoFrameConversion.h"

#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <array>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace {

using capture::imageFromVideoFrame;

// Bytes of one output pixel as they lie in memory: B, G, R, A.
std::array<int, 4> bgraAt(const QImage& image, int x, int y) {
    const uchar* p = image.constScanLine(y) + 4 * x;
    return {p[0], p[1], p[2], p[3]};
}

void expectNear(const std::array<int, 4>& actual, const std::array<int, 4>& expected, const std::string& what) {
    for (int channel = 0; channel < 4; ++channel) {
        EXPECT_NEAR(actual[channel], expected[channel], 3) << what << " channel " << channel;
    }
}

QVideoFrame makeFrame(QVideoFrameFormat::PixelFormat format, int width, int height,
                      const std::function<void(QVideoFrame&)>& fill,
                      QVideoFrameFormat::ColorSpace space = QVideoFrameFormat::ColorSpace_BT601,
                      QVideoFrameFormat::ColorRange range = QVideoFrameFormat::ColorRange_Video) {
    QVideoFrameFormat surface(QSize(width, height), format);
    surface.setColorSpace(space);
    surface.setColorRange(range);
    QVideoFrame frame(surface);
    EXPECT_TRUE(frame.map(QVideoFrame::WriteOnly));
    fill(frame);
    frame.unmap();
    return frame;
}

// Limited-range BT.601 colours and the BGRA they stand for.
struct YuvColour {
    const char* name;
    uint8_t y, u, v;
    std::array<int, 4> bgra;
};
const YuvColour kColours[] = {
    {"white", 235, 128, 128, {255, 255, 255, 255}},
    {"black", 16, 128, 128, {0, 0, 0, 255}},
    {"red", 81, 90, 240, {0, 0, 255, 255}},
    {"blue", 41, 240, 110, {255, 0, 0, 255}},
};

TEST(VideoFrameConversion, Nv12AndYuyvBecomeOpaqueBgra) {
    for (const auto& colour : kColours) {
        // 4 × 2 frames, left half the colour, right half mid grey.
        auto nv12 = makeFrame(QVideoFrameFormat::Format_NV12, 4, 2, [&](QVideoFrame& frame) {
            for (int row = 0; row < 2; ++row) {
                uchar* luma = frame.bits(0) + row * frame.bytesPerLine(0);
                luma[0] = luma[1] = colour.y;
                luma[2] = luma[3] = 126;
            }
            uchar* chroma = frame.bits(1);
            chroma[0] = colour.u;
            chroma[1] = colour.v;
            chroma[2] = chroma[3] = 128;
        });
        auto yuyv = makeFrame(QVideoFrameFormat::Format_YUYV, 4, 2, [&](QVideoFrame& frame) {
            for (int row = 0; row < 2; ++row) {
                uchar* p = frame.bits(0) + row * frame.bytesPerLine(0);
                const uchar left[4] = {colour.y, colour.u, colour.y, colour.v};
                const uchar right[4] = {126, 128, 126, 128};
                std::memcpy(p, left, 4);
                std::memcpy(p + 4, right, 4);
            }
        });
        for (const auto* frame : {&nv12, &yuyv}) {
            auto image = imageFromVideoFrame(*frame);
            ASSERT_TRUE(image.ok()) << colour.name;
            EXPECT_EQ(image->format(), QImage::Format_ARGB32_Premultiplied);
            ASSERT_EQ(image->size(), QSize(4, 2));
            const std::string what = std::string(colour.name) + (frame == &nv12 ? " NV12" : " YUYV");
            expectNear(bgraAt(*image, 0, 0), colour.bgra, what);
            expectNear(bgraAt(*image, 1, 1), colour.bgra, what);
            expectNear(bgraAt(*image, 3, 1), {128, 128, 128, 255}, what + " grey");
        }
    }
}

// A camera's frame is read with the matrix and range it says; one that says neither, as V4L2
// defines for a webcam's YCbCr, as limited-range BT.601, whatever its size.
TEST(VideoFrameConversion, FramesAreReadWithTheMatrixAndRangeTheySay) {
    using F = QVideoFrameFormat;
    struct Case {
        const char* what;
        F::ColorSpace space;
        F::ColorRange range;
        uint8_t y, u, v;  // (190, 110, 70) in that matrix and range, as ffmpeg writes it
    };
    const Case cases[] = {
        {"BT.709", F::ColorSpace_BT709, F::ColorRange_Video, 122, 103, 165},
        {"BT.601 full range", F::ColorSpace_BT601, F::ColorRange_Full, 129, 95, 171},
        {"unsaid", F::ColorSpace_Undefined, F::ColorRange_Unknown, 127, 99, 166},
    };
    for (const Case& c : cases) {
        auto frame = makeFrame(
            F::Format_NV12, 1280, 720,
            [&](QVideoFrame& frame) {
                for (int row = 0; row < 720; ++row) std::memset(frame.bits(0) + row * frame.bytesPerLine(0), c.y, 1280);
                for (int row = 0; row < 360; ++row) {
                    uchar* chroma = frame.bits(1) + row * frame.bytesPerLine(1);
                    for (int x = 0; x < 640; ++x) chroma[2 * x] = c.u, chroma[2 * x + 1] = c.v;
                }
            },
            c.space, c.range);
        auto image = imageFromVideoFrame(frame);
        ASSERT_TRUE(image.ok()) << c.what;
        expectNear(bgraAt(*image, 640, 360), {70, 110, 190, 255}, c.what);
    }
}

TEST(VideoFrameConversion, StraightAlphaIsPremultipliedAndOpaqueLayoutsStayOpaque) {
    struct Case {
        QVideoFrameFormat::PixelFormat format;
        std::array<uint8_t, 4> stored;  // bytes as the frame holds them
        std::array<int, 4> expected;    // B, G, R, A
    };
    const Case cases[] = {
        {QVideoFrameFormat::Format_BGRA8888, {0, 100, 200, 128}, {0, 50, 100, 128}},
        {QVideoFrameFormat::Format_BGRA8888_Premultiplied, {0, 50, 100, 128}, {0, 50, 100, 128}},
        {QVideoFrameFormat::Format_BGRX8888, {10, 100, 200, 7}, {10, 100, 200, 255}},
        {QVideoFrameFormat::Format_RGBA8888, {200, 100, 0, 255}, {0, 100, 200, 255}},
        {QVideoFrameFormat::Format_RGBA8888, {200, 100, 0, 0}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        auto frame = makeFrame(c.format, 2, 2, [&](QVideoFrame& frame) {
            for (int row = 0; row < 2; ++row) {
                for (int x = 0; x < 2; ++x)
                    std::memcpy(frame.bits(0) + row * frame.bytesPerLine(0) + 4 * x, c.stored.data(), 4);
            }
        });
        auto image = imageFromVideoFrame(frame);
        ASSERT_TRUE(image.ok());
        expectNear(bgraAt(*image, 1, 1), c.expected, "format " + std::to_string(int(c.format)));
    }
}

TEST(VideoFrameConversion, RotationAndMirroringAreApplied) {
    // A 4 × 2 BGRX frame, white in the top-left pixel only.
    auto make = [](QVideoFrame::RotationAngle angle, bool mirrored) {
        auto frame = makeFrame(QVideoFrameFormat::Format_BGRX8888, 4, 2, [](QVideoFrame& frame) {
            for (int row = 0; row < 2; ++row) std::memset(frame.bits(0) + row * frame.bytesPerLine(0), 0, 16);
            std::memset(frame.bits(0), 255, 4);
        });
        frame.setRotationAngle(angle);
        frame.setMirrored(mirrored);
        return frame;
    };
    struct Case {
        QVideoFrame::RotationAngle angle;
        bool mirrored;
        QSize size;
        QPoint white;
    };
    const Case cases[] = {
        {QVideoFrame::Rotation0, false, {4, 2}, {0, 0}},   {QVideoFrame::Rotation0, true, {4, 2}, {3, 0}},
        {QVideoFrame::Rotation90, false, {2, 4}, {1, 0}},  {QVideoFrame::Rotation180, false, {4, 2}, {3, 1}},
        {QVideoFrame::Rotation270, false, {2, 4}, {0, 3}},
    };
    for (const auto& c : cases) {
        auto image = imageFromVideoFrame(make(c.angle, c.mirrored));
        ASSERT_TRUE(image.ok());
        ASSERT_EQ(image->size(), c.size) << int(c.angle);
        for (int y = 0; y < c.size.height(); ++y) {
            for (int x = 0; x < c.size.width(); ++x) {
                EXPECT_EQ(bgraAt(*image, x, y)[0], QPoint(x, y) == c.white ? 255 : 0)
                    << "angle " << int(c.angle) << " mirrored " << c.mirrored << " at " << x << "," << y;
            }
        }
    }
}

TEST(VideoFrameConversion, EmptyFramesAreRefused) {
    auto result = imageFromVideoFrame(QVideoFrame());
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().domain, "CaptureErrorDomain");
}

}  // namespace
