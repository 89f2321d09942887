#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImagePicture.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace gpuimage;
using gpuimagetest::RecordingTarget;
using graphics::Size;

namespace {

// A 3 × 2 picture of label colours in the given bitmap format.
graphics::Image labelledPicture(QImage::Format format) {
    QImage bitmap(3, 2, QImage::Format_ARGB32);
    for (int i = 0; i < 6; ++i) {
        auto c = gpuimagetest::labelColor(i);
        bitmap.setPixel(i % 3, i / 3, qRgba(c[0], c[1], c[2], c[3]));
    }
    return graphics::Image(bitmap.convertToFormat(format));
}

// Holds the context queue until release(), so pushes stay pending.
class QueueBlocker {
public:
    QueueBlocker() {
        runAsynchronouslyOnContextQueue([gate = gate_] { gate->wait(); });
    }
    ~QueueBlocker() { release(); }
    void release() {
        if (!released_) gate_->signal();
        released_ = true;
    }

private:
    std::shared_ptr<foundation::DispatchSemaphore> gate_ = std::make_shared<foundation::DispatchSemaphore>(0);
    bool released_ = false;
};

}  // namespace

TEST(GPUImagePicture, EmptyPicturesAreRefusedWithTheirMessage) {
    for (const graphics::Image& empty : {graphics::Image(), graphics::Image(QImage(0, 5, QImage::Format_ARGB32))}) {
        auto picture = GPUImagePicture::create(empty);
        ASSERT_FALSE(picture);
        EXPECT_EQ(picture.error().description, kGPUImagePictureEmptyText);
        EXPECT_EQ(picture.error().code, kGPUImageErrorEmptyPicture);
    }
    EXPECT_FALSE(GPUImagePicture::createWithData(foundation::Bytes{1, 2, 3}));
}

// Bitmaps GL takes as they are, and those redrawn first, reach the targets
// with the same pixels, top row first.
TEST(GPUImagePicture, EveryBitmapLayoutReachesTheTargetsUnchanged) {
    for (QImage::Format format :
         {QImage::Format_ARGB32, QImage::Format_RGBA8888, QImage::Format_RGB888, QImage::Format_ARGB32_Premultiplied}) {
        auto picture = GPUImagePicture::create(labelledPicture(format));
        ASSERT_TRUE(picture) << format;
        auto output = std::make_shared<GPUImageRawDataOutput>(Size{3, 2}, false);
        (*picture)->addTarget(output);
        ASSERT_TRUE((*picture)->processImage());
        gpuimagetest::drainContextQueue();
        auto pixels = gpuimagetest::readPixels(*output);
        ASSERT_EQ(pixels.size(), 6u);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(pixels[size_t(i)], gpuimagetest::labelColor(i)) << format << " pixel " << i;
    }
}

TEST(GPUImagePicture, SizesFollowTheTextureLimitAndSmoothScaling) {
    struct Case {
        int width, height, maximum;
        bool smooth;
        Size output, texture;
    } cases[] = {
        {640, 480, 0, true, {640, 480}, {1024, 512}}, {640, 480, 0, false, {640, 480}, {640, 480}},
        {100, 60, 64, false, {64, 38.4}, {64, 38.4}}, {60, 100, 64, true, {38.4, 64}, {64, 64}},
        {64, 10, 64, false, {64, 10}, {64, 10}},
    };
    for (const Case& c : cases) {
        if (c.maximum) GPUImageContext::overrideMaximumTextureSizeForTesting(c.maximum);
        auto picture =
            GPUImagePicture::create(graphics::Image::filled(c.width, c.height, {10, 200, 30, 255}), c.smooth);
        GPUImageContext::overrideMaximumTextureSizeForTesting(std::nullopt);
        ASSERT_TRUE(picture);
        EXPECT_EQ((*picture)->outputImageSize(), c.output) << c.width << "x" << c.height;
        EXPECT_EQ((*picture)->textureSize(), c.texture) << c.width << "x" << c.height;
        auto target = std::make_shared<RecordingTarget>();
        (*picture)->addTarget(target);
        (*picture)->processImage();
        gpuimagetest::drainContextQueue();
        EXPECT_EQ(target->size, c.output);
    }
    // The mipmapped texture still shows the picture's colour.
    auto smooth = GPUImagePicture::create(graphics::Image::filled(640, 480, {10, 200, 30, 255}), true);
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{8, 6}, false);
    (*smooth)->addTarget(output);
    (*smooth)->processImage();
    gpuimagetest::drainContextQueue();
    EXPECT_EQ(output->colorAtLocation({4, 3}), (GPUByteColorVector{10, 200, 30, 255}));
}

TEST(GPUImagePicture, OnePushPendingAtATime) {
    auto picture = GPUImagePicture::create(graphics::Image::filled(4, 4, {1, 2, 3, 255}));
    ASSERT_TRUE(picture);
    auto target = std::make_shared<RecordingTarget>();
    (*picture)->addTarget(target);
    int completions = 0;
    {
        QueueBlocker blocker;
        EXPECT_TRUE((*picture)->processImageWithCompletionHandler([&] { ++completions; }));
        EXPECT_FALSE((*picture)->processImageWithCompletionHandler([&] { ++completions; }));
        EXPECT_TRUE((*picture)->hasProcessedImage());
    }
    gpuimagetest::drainContextQueue();
    EXPECT_EQ(target->frames, 1);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE((*picture)->processImage()) << "free again once the push ran";
    gpuimagetest::drainContextQueue();
    EXPECT_EQ(target->frames, 2);
}

TEST(GPUImagePicture, LateTargetsGetTheFrameAtOnce) {
    auto picture = GPUImagePicture::create(graphics::Image::filled(6, 4, {1, 2, 3, 255}));
    ASSERT_TRUE(picture);
    auto early = std::make_shared<RecordingTarget>();
    (*picture)->addTarget(early);
    EXPECT_EQ(early->frames, 0) << "not pushed yet";
    (*picture)->processImage();
    gpuimagetest::drainContextQueue();
    auto late = std::make_shared<RecordingTarget>();
    (*picture)->addTarget(late);
    EXPECT_EQ(late->frames, 1);
    EXPECT_EQ(late->size, (Size{6, 4}));
    EXPECT_NE(late->texture, 0u);

    (*picture)->removeAllTargets();
    EXPECT_FALSE((*picture)->hasProcessedImage());
    auto afterReset = std::make_shared<RecordingTarget>();
    (*picture)->addTarget(afterReset);
    EXPECT_EQ(afterReset->frames, 0);
}

TEST(GPUImagePicture, LargePicturesAskTheirTargetsToConserveMemory) {
    struct Case {
        int width, height, requests;
    } cases[] = {{1001, 10, 1}, {1000, 1000, 0}};
    for (const Case& c : cases) {
        auto picture = GPUImagePicture::create(graphics::Image::filled(c.width, c.height, {1, 2, 3, 255}));
        ASSERT_TRUE(picture);
        auto target = std::make_shared<RecordingTarget>();
        (*picture)->addTarget(target);
        (*picture)->processImage();
        gpuimagetest::drainContextQueue();
        EXPECT_EQ(target->conserveRequests, c.requests) << c.width << "x" << c.height;
    }
}
