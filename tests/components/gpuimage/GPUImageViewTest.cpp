#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

using namespace gpuimage;
using gpuimagetest::labelColor;
using graphics::Size;

namespace {

using Pixels = std::vector<std::array<uint8_t, 4>>;

Pixels pixelsOf(const QImage& image) {
    Pixels pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            pixels.push_back(
                {uint8_t(qRed(pixel)), uint8_t(qGreen(pixel)), uint8_t(qBlue(pixel)), uint8_t(qAlpha(pixel))});
        }
    }
    return pixels;
}

// Pushes the input to the view and waits for the picture on the main queue.
QImage presented(GPUImageRawDataInput& input, GPUImageView& view) {
    gpuimagetest::pushAndWait(input);
    foundation::RunLoop::main().runUntilIdle();
    return view.presentedImage();
}

TEST(GPUImageView, FillModesScaleTheQuad) {
    struct Case {
        Size input, bounds;
        GPUImageFillMode mode;
        float width, height;
    };
    const Case cases[] = {
        {{720, 1280}, {320, 480}, GPUImageFillMode::PreserveAspectRatioAndFill, 1.0f, 320.0f / 270.0f},
        {{720, 1280}, {320, 480}, GPUImageFillMode::PreserveAspectRatio, 0.84375f, 1.0f},
        {{720, 1280}, {320, 480}, GPUImageFillMode::Stretch, 1.0f, 1.0f},
        {{1280, 720}, {320, 480}, GPUImageFillMode::PreserveAspectRatio, 1.0f, 0.375f},
        {{1280, 720}, {320, 480}, GPUImageFillMode::PreserveAspectRatioAndFill, 480.0f / 180.0f, 1.0f},
        // Before the first input size only the background shows.
        {{0, 0}, {320, 480}, GPUImageFillMode::PreserveAspectRatio, 0.0f, 0.0f},
        {{0, 0}, {320, 480}, GPUImageFillMode::PreserveAspectRatioAndFill, 0.0f, 0.0f},
    };
    for (const auto& c : cases) {
        const auto vertices = GPUImageView::imageVerticesFor(c.input, c.bounds, c.mode);
        const std::array<float, 8> expected = {-c.width, -c.height, c.width, -c.height,
                                               -c.width, c.height,  c.width, c.height};
        for (size_t i = 0; i < 8; ++i) EXPECT_NEAR(vertices[i], expected[i], 1e-5) << int(c.mode) << " " << i;
    }
    EXPECT_NEAR(320.0f / 270.0f, 1.185f, 0.001f);

    // The same through a view: its input size and mode changes recompute it.
    auto view = ui::makeView<GPUImageView>(graphics::Rect{0, 0, 320, 480});
    EXPECT_EQ(view->fillMode(), GPUImageFillMode::PreserveAspectRatio);
    view->setFillMode(GPUImageFillMode::PreserveAspectRatioAndFill);
    view->setInputRotation(GPUImageRotationMode::RotateRight, 0);
    view->setInputSize({1280, 720}, 0);  // turned: 720 × 1280
    EXPECT_EQ(view->inputImageSize(), (Size{720, 1280}));
    EXPECT_NEAR(view->imageVertices()[6], 1.0f, 1e-5);
    EXPECT_NEAR(view->imageVertices()[7], 1.185185f, 1e-5);
    view->setFillMode(GPUImageFillMode::PreserveAspectRatio);
    EXPECT_NEAR(view->imageVertices()[6], 0.84375f, 1e-5);
    EXPECT_NEAR(view->imageVertices()[7], 1.0f, 1e-5);
    EXPECT_EQ(view->sizeInPixels(), (Size{320, 480}));
    EXPECT_EQ(view->maximumOutputSize(), (Size{320, 480}));
    EXPECT_FALSE(view->error().has_value());
}

TEST(GPUImageView, TextureCoordinatesAreTheFiltersWithTopAndBottomExchanged) {
    EXPECT_EQ(GPUImageView::textureCoordinatesForRotation(GPUImageRotationMode::NoRotation),
              (std::array<float, 8>{0, 1, 1, 1, 0, 0, 1, 0}));
    EXPECT_EQ(GPUImageView::textureCoordinatesForRotation(GPUImageRotationMode::RotateRightFlipHorizontal),
              (std::array<float, 8>{0, 1, 0, 0, 1, 1, 1, 0}));
    EXPECT_EQ(GPUImageView::textureCoordinatesForRotation(GPUImageRotationMode::Rotate180),
              (std::array<float, 8>{1, 0, 0, 0, 1, 1, 0, 1}));
}

TEST(GPUImageView, ShowsWhatAFilterOfTheRotationWouldProduceUpright) {
    testsupport::VirtualClockScope clock;
    // Labels a..f of a 2×3 picture, top row first:  a b / c d / e f.
    Pixels labels;
    for (int i = 0; i < 6; ++i) labels.push_back(labelColor(i));
    enum { a, b, c, d, e, f };
    struct Case {
        GPUImageRotationMode mode;
        Size view;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {GPUImageRotationMode::NoRotation, {2, 3}, {a, b, c, d, e, f}},
        {GPUImageRotationMode::RotateRight, {3, 2}, {e, c, a, f, d, b}},
        // Mirrored across the anti-diagonal, not the same as a right turn.
        {GPUImageRotationMode::RotateRightFlipHorizontal, {3, 2}, {f, d, b, e, c, a}},
        {GPUImageRotationMode::FlipVertical, {2, 3}, {e, f, c, d, a, b}},
    };
    const auto picture = gpuimagetest::bgraPicture(2, 3, labels);
    for (const auto& test : cases) {
        auto input = std::make_shared<GPUImageRawDataInput>(picture.data(), Size{2, 3});
        auto view = ui::makeView<GPUImageView>(graphics::Rect{0, 0, test.view.width, test.view.height});
        view->setFillMode(GPUImageFillMode::Stretch);
        input->addTarget(view);
        view->setInputRotation(test.mode, 0);
        const QImage shown = presented(*input, *view);
        ASSERT_EQ(shown.size(), QSize(int(test.view.width), int(test.view.height))) << int(test.mode);
        Pixels expected;
        for (int label : test.expected) expected.push_back(labels[size_t(label)]);
        EXPECT_EQ(pixelsOf(shown), expected) << int(test.mode);
    }
}

TEST(GPUImageView, LetterboxShowsTheBackgroundAndAZeroFrameWaitsForItsSize) {
    testsupport::VirtualClockScope clock;
    const Pixels blue(2, {0, 0, 255, 255});
    const auto picture = gpuimagetest::bgraPicture(1, 2, blue);
    auto input = std::make_shared<GPUImageRawDataInput>(picture.data(), Size{1, 2});

    auto view = ui::makeView<GPUImageView>();
    EXPECT_EQ(view->sizeInPixels(), (Size{0, 0}));
    view->setBackgroundColor(1, 0, 0, 1);
    input->addTarget(view);
    EXPECT_TRUE(presented(*input, *view).isNull()) << "nothing to draw into yet";

    view->setFrame({0, 0, 8, 4});
    EXPECT_EQ(view->sizeInPixels(), (Size{8, 4}));
    const QImage shown = presented(*input, *view);
    ASSERT_EQ(shown.size(), QSize(8, 4));
    // A 1 × 2 picture fitted into 8 × 4: 2 × 4 in the middle, red bars.
    for (int x = 0; x < 8; ++x) {
        const QRgb expected = (x == 3 || x == 4) ? qRgb(0, 0, 255) : qRgb(255, 0, 0);
        EXPECT_EQ(shown.pixel(x, 1), expected) << x;
    }

    // A new size rebuilds the renderbuffer at once.
    view->setFrame({0, 0, 4, 4});
    EXPECT_EQ(view->sizeInPixels(), (Size{4, 4}));
    EXPECT_EQ(presented(*input, *view).size(), QSize(4, 4));
    ui::Window window({0, 0, 20, 20});
    window.setScale(2);
    window.addSubview(view);
    EXPECT_EQ(view->contentScaleFactor(), 2);
    EXPECT_EQ(view->sizeInPixels(), (Size{8, 8}));
    EXPECT_EQ(presented(*input, *view).size(), QSize(8, 8));
    view->removeFromSuperview();
}

}  // namespace
