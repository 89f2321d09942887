#include "platform/capture/CaptureSession.h"
#include "platform/capture/SyntheticCamera.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/host/Application.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <mutex>

namespace {

using namespace capture;
using foundation::RunLoop;

PixelPlane plane(int width, int height, int64_t bytesPerRow, uint8_t fill = 0) {
    return {width, height, bytesPerRow, std::vector<uint8_t>(size_t(bytesPerRow * height), fill)};
}

TEST(SampleBuffer, PlanesMustFitTheirFormat) {
    struct Case {
        const char* name;
        std::string format;
        std::vector<PixelPlane> planes;
        bool accepted;
    };
    const Case cases[] = {
        {"padded BGRA", kPixelFormatBGRA, {plane(5, 3, 32)}, true},
        {"BGRA rows too short", kPixelFormatBGRA, {plane(5, 3, 16)}, false},
        {"BGRA rows not whole pixels", kPixelFormatBGRA, {plane(5, 3, 22)}, false},
        {"BGRA with two planes", kPixelFormatBGRA, {plane(4, 2, 16), plane(4, 2, 16)}, false},
        {"420f", kPixelFormat420f, {plane(6, 4, 8), plane(3, 2, 8)}, true},
        {"420v odd size", kPixelFormat420v, {plane(5, 3, 5), plane(3, 2, 6)}, true},
        {"420v chroma too small", kPixelFormat420v, {plane(6, 4, 6), plane(2, 2, 4)}, false},
        {"420f one plane", kPixelFormat420f, {plane(6, 4, 6)}, false},
        {"unknown format", "yuvs", {plane(4, 4, 16)}, false},
        {"empty plane", kPixelFormatBGRA, {plane(0, 0, 0)}, false},
    };
    for (const auto& c : cases) {
        auto buffer = SampleBuffer::withPlanes(c.format, c.planes, media::MediaTime::make(1, 30));
        EXPECT_EQ(buffer != nullptr, c.accepted) << c.name;
    }
    auto short_bytes = plane(4, 4, 16);
    short_bytes.bytes.resize(40);
    EXPECT_EQ(SampleBuffer::withPlanes(kPixelFormatBGRA, {short_bytes}, {}), nullptr);

    auto bgra = SampleBuffer::withPlanes(kPixelFormatBGRA, {plane(5, 3, 32, 7)}, media::MediaTime::make(2, 30));
    EXPECT_FALSE(bgra->isPlanar());
    EXPECT_EQ(bgra->planeCount(), 0u);
    EXPECT_EQ(bgra->bytesPerRow(), 32);
    EXPECT_EQ(bgra->width(), 5);
    EXPECT_EQ(bgra->baseAddress()[31], 7) << "the padding is the caller's bytes";
    auto yuv =
        SampleBuffer::withPlanes(kPixelFormat420v, {plane(6, 4, 8), plane(3, 2, 8)}, {}, kYCbCrMatrixITU_R_601_4);
    EXPECT_TRUE(yuv->isPlanar());
    EXPECT_EQ(yuv->planeCount(), 2u);
    EXPECT_EQ(yuv->width(), 6);
    EXPECT_TRUE(yuv->pixelBuffer().isNull());
    EXPECT_EQ(yuv->ycbcrMatrix(), std::optional<std::string>(kYCbCrMatrixITU_R_601_4));
}

TEST(SampleBuffer, PaddedRowsKeepEveryPixel) {
    QImage image(5, 2, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) image.setPixel(x, y, qRgb(x * 40, y * 100, 7));
    for (int alignment : {4, 16, 64}) {
        const QImage padded = paddedBGRA(image, alignment);
        EXPECT_EQ(padded.bytesPerLine() % alignment, 0);
        EXPECT_GE(padded.bytesPerLine(), 20);
        EXPECT_LT(padded.bytesPerLine(), 20 + alignment);
        EXPECT_TRUE(padded == image) << alignment;
    }
}

// A session on a synthetic camera whose frames the test keeps.
struct Recorder {
    explicit Recorder(SyntheticCameraConfig config) : backend({std::move(config)}) {
        auto device = backend.videoDevices().at(0);
        auto made = CaptureDeviceInput::create(device);
        EXPECT_TRUE(made.ok());
        EXPECT_TRUE(session->setSessionPreset(kSessionPreset640x480));
        EXPECT_TRUE(session->addInput(made.value()));
        output->setSampleBufferDelegate(
            [this](const SampleBuffer& buffer) {
                std::lock_guard lock(mutex);
                frames.push_back(buffer.shared_from_this());
            },
            foundation::DispatchQueue("recorderQueue"));
        EXPECT_TRUE(session->addOutput(output));
    }
    size_t count() {
        std::lock_guard lock(mutex);
        return frames.size();
    }
    void runFor(double seconds) {
        RunLoop::main().advance(seconds);
        RunLoop::main().runUntilIdle();
    }

    testsupport::VirtualClockScope clock;
    SyntheticCaptureBackend backend;
    CaptureSessionPtr session = CaptureSession::create();
    std::shared_ptr<VideoDataOutput> output = std::make_shared<VideoDataOutput>();
    std::mutex mutex;
    std::vector<SampleBufferPtr> frames;
};

TEST(SyntheticCamera, GivenPicturesPaddedRowsAndFrameTimes) {
    ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
    SyntheticCameraConfig config = SyntheticCaptureBackend::backCamera();
    config.capabilities.bytesPerRowAlignment = 1024;
    QImage green(4, 3, QImage::Format_RGB32), blue(4, 3, QImage::Format_RGB32);
    green.fill(qRgb(0, 255, 0));
    blue.fill(qRgb(0, 0, 255));
    config.pictures = {green, blue};
    config.framesPerSecond = 10;
    Recorder recorder(config);
    recorder.session->startRunning();
    recorder.output->setAlwaysDiscardsLateVideoFrames(false);
    recorder.runFor(0.35);
    ASSERT_EQ(recorder.count(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const auto& frame = *recorder.frames[i];
        EXPECT_EQ(frame.width(), 640);
        EXPECT_EQ(frame.bytesPerRow(), 3072) << "2560 bytes padded to 1024";
        EXPECT_EQ(frame.pixelBuffer().pixel(320, 240), i % 2 ? qRgb(0, 0, 255) : qRgb(0, 255, 0));
        EXPECT_NEAR(frame.presentationTime().seconds(), 0.1 * double(i + 1), 1e-6);
        EXPECT_EQ(frame.attachments().asDictionary().get("PixelWidth").asInt(), 640);
    }
    // Pictures change while running; a new preset keeps the padding rule.
    recorder.backend.driver("synthetic-back")->setPictures({});
    recorder.session->setSessionPreset(kSessionPreset1280x720);
    recorder.runFor(0.1);
    ASSERT_EQ(recorder.count(), 4u);
    EXPECT_EQ(syntheticFrameCounter(recorder.frames[3]->pixelBuffer()), 3);
    recorder.session->stopRunning();
}

TEST(SyntheticCamera, FrameDurationsSetThePaceAndInvalidRestoresTheDefault) {
    Recorder recorder(SyntheticCaptureBackend::backCamera());
    auto device = recorder.backend.videoDevices().at(0);
    recorder.session->startRunning();
    recorder.output->setAlwaysDiscardsLateVideoFrames(false);
    recorder.runFor(1.0);
    EXPECT_EQ(recorder.count(), 10u) << "the camera's default pace";

    EXPECT_FALSE(device->setActiveVideoMaxFrameDuration(media::MediaTime::make(1, 30))) << "not without the lock";
    ASSERT_TRUE(device->lockForConfiguration());
    EXPECT_FALSE(device->setActiveVideoMinFrameDuration(media::MediaTime::make(0, 30)));
    EXPECT_FALSE(device->setActiveVideoMaxFrameDuration(media::MediaTime::make(-1, 30)));
    EXPECT_TRUE(device->setActiveVideoMinFrameDuration(media::MediaTime::make(1, 25)));
    EXPECT_TRUE(device->setActiveVideoMaxFrameDuration(media::MediaTime::make(1, 25)));
    device->unlockForConfiguration();
    recorder.runFor(1.0);
    EXPECT_EQ(recorder.count(), 35u) << "25 frames a second";

    ASSERT_TRUE(device->lockForConfiguration());
    EXPECT_TRUE(device->setActiveVideoMinFrameDuration(media::MediaTime::invalid()));
    EXPECT_TRUE(device->setActiveVideoMaxFrameDuration(media::MediaTime::invalid()));
    device->unlockForConfiguration();
    EXPECT_FALSE(device->activeVideoMaxFrameDuration().isValid());
    recorder.runFor(1.0);
    EXPECT_EQ(recorder.count(), 45u) << "back to the default";
    recorder.session->stopRunning();
}

TEST(StillImageOutput, DeliversTheSensorFrameAsBgraAndKeepsItsSettings) {
    ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
    SyntheticCameraConfig config = SyntheticCaptureBackend::backCamera();
    config.capabilities.photoSize = {320, 240};
    Recorder recorder(config);
    auto still = std::make_shared<StillImageOutput>();
    EXPECT_EQ(still->outputPixelFormat(), "");
    EXPECT_FALSE(still->setOutputPixelFormat(kPixelFormat420f));
    EXPECT_TRUE(still->setOutputPixelFormat(kPixelFormatBGRA));
    EXPECT_EQ(still->outputPixelFormat(), kPixelFormatBGRA);
    EXPECT_FALSE(recorder.output->setPixelFormat(kPixelFormat420v));
    EXPECT_TRUE(recorder.output->setPixelFormat(kPixelFormatBGRA));
    ASSERT_TRUE(recorder.session->setSessionPreset(kSessionPresetPhoto));
    ASSERT_TRUE(recorder.session->addOutput(still));
    recorder.session->startRunning();

    std::mutex mutex;
    std::optional<foundation::Result<SampleBufferPtr>> result;
    still->captureStillSampleBufferAsynchronously([&](foundation::Result<SampleBufferPtr> buffer) {
        std::lock_guard lock(mutex);
        result = std::move(buffer);
    });
    EXPECT_TRUE(still->isCapturingStillImage());
    RunLoop::main().advance(0.1);
    RunLoop::main().runUntil([&] { return !still->isCapturingStillImage(); }, 5);
    ASSERT_TRUE(result.has_value() && result->ok());
    const SampleBuffer& photo = *result->value();
    // Held in portrait the back sensor's frame lies on its side.
    EXPECT_EQ(photo.width(), 240);
    EXPECT_EQ(photo.height(), 320);
    EXPECT_EQ(photo.pixelFormat(), kPixelFormatBGRA);
    EXPECT_EQ(photo.attachments().asDictionary().get("Orientation").asInt(), 6);
    EXPECT_EQ(photo.presentationTime(), media::MediaTime::make(1, 30));
    recorder.session->stopRunning();
    ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
}

}  // namespace
