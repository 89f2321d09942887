#include "GPUImageCameraSupport.h"
#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageFilter.h"
#include "components/gpuimage/GPUImageLog.h"
#include "components/gpuimage/GPUImageStillCamera.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/MediaError.h"
#include "platform/ui/host/Device.h"

#include <gtest/gtest.h>
#include <mutex>

using namespace gpuimage;
using gpuimagetest::CountingTarget;
using gpuimagetest::SyntheticCameras;
using graphics::Size;

namespace {

capture::SyntheticCameraConfig cameraWithPhotos(Size photoSize) {
    capture::SyntheticCameraConfig config = capture::SyntheticCaptureBackend::backCamera();
    config.capabilities.photoSize = photoSize;
    return config;
}

// What a capture handed back, filled on the camera's queue.
struct Captured {
    std::mutex mutex;
    int calls = 0;
    graphics::Image image;
    std::optional<foundation::Error> error;
    bool done() {
        std::lock_guard lock(mutex);
        return calls > 0;
    }
    void waitFor(SyntheticCameras& cameras) {
        cameras.runFor(0.1);
        foundation::RunLoop::main().runUntil([&] { return done(); }, 10);
    }
};

TEST(GPUImageStillCamera, AsksForBgraAndFailsASecondRequestAtOnce) {
    SyntheticCameras cameras({cameraWithPhotos({64, 48})});
    auto camera = GPUImageStillCamera::create();
    ASSERT_TRUE(camera);
    EXPECT_EQ(camera->photoOutput()->outputPixelFormat(), capture::kPixelFormatBGRA);
    EXPECT_EQ(camera->videoOutput()->pixelFormat(), capture::kPixelFormatBGRA);
    EXPECT_FALSE(camera->captureAsYUV());
    EXPECT_EQ(camera->captureSession()->sessionPreset(), capture::kSessionPresetPhoto);
    EXPECT_DOUBLE_EQ(camera->jpegCompressionQuality(), 0.8);

    auto filter = std::make_shared<GPUImageFilter>();
    auto target = std::make_shared<CountingTarget>();
    camera->addTarget(filter);
    camera->addTarget(target);
    camera->startCameraCapture();

    Captured first, second;
    camera->capturePhotoAsImageProcessedUpToFilter(filter, [&](graphics::Image image, auto error) {
        std::lock_guard lock(first.mutex);
        ++first.calls;
        first.image = std::move(image);
        first.error = std::move(error);
    });
    camera->capturePhotoAsImageProcessedUpToFilter(filter, [&](graphics::Image image, auto error) {
        std::lock_guard lock(second.mutex);
        ++second.calls;
        second.image = std::move(image);
        second.error = std::move(error);
    });
    ASSERT_TRUE(second.done()) << "the busy answer comes at once";
    ASSERT_TRUE(second.error.has_value());
    EXPECT_EQ(second.error->domain, media::kMediaErrorDomain);
    EXPECT_EQ(second.error->code, -11830);
    EXPECT_TRUE(second.image.isNull());

    first.waitFor(cameras);
    ASSERT_TRUE(first.done());
    EXPECT_FALSE(first.error.has_value());
    ASSERT_FALSE(first.image.isNull());
    EXPECT_EQ(first.image.pixelWidth(), 64);
    EXPECT_EQ(first.image.pixelHeight(), 48);
    EXPECT_GE(target->conserveRequests, 1);
    EXPECT_EQ(first.calls, 1);

    // The semaphore was handed back: video frames flow again.
    const int before = target->frames;
    cameras.runFor(0.5);
    EXPECT_GT(target->frames, before);
    EXPECT_EQ(target->width, 1920);
    camera->stopCameraCapture();
}

TEST(GPUImageStillCamera, PhotosLargerThanATextureAreScaledDown) {
    struct Case {
        Size photo;
        int maximumTexture;
        Size reaching;
    };
    const Case cases[] = {
        {{3264, 2448}, 2048, {2048, 1536}},
        // As long as the limit on the longer side and below on the other: kept.
        {{2048, 1000}, 2048, {2048, 1000}},
        {{160, 120}, 2048, {160, 120}},
    };
    for (const auto& c : cases) {
        SyntheticCameras cameras({cameraWithPhotos(c.photo)});
        GPUImageContext::overrideMaximumTextureSizeForTesting(c.maximumTexture);
        auto camera = GPUImageStillCamera::create();
        ASSERT_TRUE(camera);
        auto target = std::make_shared<CountingTarget>();
        camera->addTarget(target);
        camera->startCameraCapture();
        Captured captured;
        std::atomic<int> width{0}, height{0};
        foundation::Value metadata;
        camera->capturePhotoProcessedUpToFilter(nullptr, [&](std::optional<foundation::Error> error) {
            // Video frames wait while the handler holds the semaphore.
            width = target->width.load();
            height = target->height.load();
            metadata = camera->currentCaptureMetadata();
            camera->signalFrameRenderingSemaphore();
            std::lock_guard lock(captured.mutex);
            captured.error = std::move(error);
            ++captured.calls;
        });
        captured.waitFor(cameras);
        ASSERT_TRUE(captured.done());
        EXPECT_FALSE(captured.error.has_value());
        EXPECT_EQ(width, int(c.reaching.width)) << c.photo.width;
        EXPECT_EQ(height, int(c.reaching.height)) << c.photo.width;
        EXPECT_EQ(metadata.asDictionary().get("PixelWidth").asInt(), int64_t(c.photo.width));
        EXPECT_TRUE(camera->currentCaptureMetadata().isNull()) << "only while the handler runs";
        camera->stopCameraCapture();
    }
}

TEST(GPUImageStillCamera, EncodedPhotosAndTheSampleBufferNote) {
    SyntheticCameras cameras({cameraWithPhotos({40, 30})});
    auto camera = GPUImageStillCamera::create();
    ASSERT_TRUE(camera);
    auto filter = std::make_shared<GPUImageFilter>();
    camera->addTarget(filter);
    camera->startCameraCapture();

    // Held upright, the picture is taken as it is.
    const auto heldBefore = ui::Device::current().orientation();
    ui::Device::current().setOrientation(ui::DeviceOrientation::Portrait);
    struct Encoded {
        std::mutex mutex;
        std::optional<foundation::Bytes> data;
    } jpeg, png;
    using Capture =
        void (GPUImageStillCamera::*)(const std::shared_ptr<GPUImageOutput>&, GPUImageStillCamera::DataHandler);
    const std::pair<Capture, Encoded*> forms[] = {
        {&GPUImageStillCamera::capturePhotoAsJPEGProcessedUpToFilter, &jpeg},
        {&GPUImageStillCamera::capturePhotoAsPNGProcessedUpToFilter, &png},
    };
    for (auto [capture, encoded] : forms) {
        ((*camera).*capture)(filter, [encoded = encoded](foundation::Bytes data, auto error) {
            EXPECT_FALSE(error.has_value());
            std::lock_guard lock(encoded->mutex);
            encoded->data = std::move(data);
        });
        cameras.runFor(0.1);
        foundation::RunLoop::main().runUntil(
            [encoded = encoded] { return std::lock_guard(encoded->mutex), encoded->data.has_value(); }, 10);
    }
    for (auto* encoded : {&jpeg, &png}) {
        ASSERT_TRUE(encoded->data.has_value());
        auto decoded = graphics::Image::decode(*encoded->data);
        ASSERT_TRUE(decoded.ok());
        EXPECT_EQ(decoded->pixelWidth(), 40);
        EXPECT_EQ(decoded->pixelHeight(), 30);
    }
    ui::Device::current().setOrientation(heldBefore);

    gpuimagetest::LogCapture log;
    bool called = false;
    camera->capturePhotoAsSampleBufferWithCompletionHandler([&](auto, auto) { called = true; });
    cameras.runFor(1.0);
    EXPECT_FALSE(called);
    EXPECT_TRUE(log.contains("capturePhotoAsSampleBufferWithCompletionHandler: the photo output delivers BGRA"));
    camera->stopCameraCapture();
}

}  // namespace
