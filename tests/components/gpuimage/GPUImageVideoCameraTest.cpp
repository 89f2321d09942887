#include "GPUImageCameraSupport.h"
#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageStillCamera.h"
#include "components/gpuimage/GPUImageView.h"
#include "platform/foundation/DispatchSemaphore.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace gpuimage;
using capture::DevicePosition;
using gpuimagetest::CountingTarget;
using gpuimagetest::SyntheticCameras;
using graphics::Size;

namespace {

using Pixels = std::vector<std::array<uint8_t, 4>>;

std::vector<capture::SyntheticCameraConfig> backAndFront() {
    return {capture::SyntheticCaptureBackend::backCamera(), capture::SyntheticCaptureBackend::frontCamera()};
}

TEST(GPUImageVideoCamera, OutputRotationByPositionMirrorAndOrientation) {
    struct Row {
        DevicePosition position;
        bool mirrored;
        int rotations[4];  // portrait, upside down, landscape right, landscape left
    };
    const Row rows[] = {
        {DevicePosition::Back, false, {2, 1, 0, 7}},
        // A mirrored back camera is its picture flipped left to right.
        {DevicePosition::Back, true, {5, 6, 4, 3}},
        {DevicePosition::Front, false, {2, 1, 7, 0}},
        {DevicePosition::Front, true, {5, 6, 3, 4}},
    };
    for (const auto& row : rows) {
        for (int orientation = 1; orientation <= 4; ++orientation) {
            auto rotation = GPUImageVideoCamera::rotationFor(row.position, row.mirrored, orientation);
            ASSERT_TRUE(rotation.has_value());
            EXPECT_EQ(int(*rotation), row.rotations[orientation - 1])
                << int(row.position) << " " << row.mirrored << " " << orientation;
        }
        EXPECT_FALSE(GPUImageVideoCamera::rotationFor(row.position, row.mirrored, 0).has_value());
        EXPECT_FALSE(GPUImageVideoCamera::rotationFor(row.position, row.mirrored, 5).has_value());
    }

    SyntheticCameras cameras(backAndFront());
    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    auto target = std::make_shared<CountingTarget>();
    camera->addTarget(target);
    EXPECT_EQ(target->rotation, 0) << "the rotation of an unset orientation";
    camera->setOutputImageOrientation(1);
    EXPECT_EQ(target->rotation, 2);
    camera->setHorizontallyMirrorRearFacingCamera(true);
    EXPECT_EQ(target->rotation, 5);
    camera->setOutputImageOrientation(9);
    EXPECT_EQ(target->rotation, 5) << "an unknown orientation keeps the rotation";
    camera->setOutputImageOrientation(3);
    camera->rotateCamera();
    EXPECT_EQ(camera->cameraPosition(), DevicePosition::Front);
    EXPECT_EQ(target->rotation, 7) << "the front camera's rotation, its mirror flag off";
    auto late = std::make_shared<CountingTarget>();
    camera->addTarget(late);
    EXPECT_EQ(late->rotation, 7);
}

TEST(GPUImageVideoCamera, CamerasByPositionAndSwitching) {
    {
        SyntheticCameras none({});
        EXPECT_FALSE(GPUImageVideoCamera::create());
        EXPECT_FALSE(GPUImageVideoCamera::isBackFacingCameraPresent());
    }
    SyntheticCameras backOnly({capture::SyntheticCaptureBackend::backCamera()});
    EXPECT_FALSE(GPUImageVideoCamera::create(capture::kSessionPreset640x480, DevicePosition::Front));
    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    EXPECT_FALSE(GPUImageVideoCamera::isFrontFacingCameraPresent());
    camera->rotateCamera();
    EXPECT_EQ(camera->cameraPosition(), DevicePosition::Back) << "no front camera: nothing changes";
    EXPECT_EQ(camera->captureSession()->sessionPreset(), capture::kSessionPreset640x480);
    EXPECT_EQ(camera->videoOutput()->pixelFormat(), capture::kPixelFormatBGRA);
    EXPECT_FALSE(camera->videoOutput()->alwaysDiscardsLateVideoFrames());

    // Frame rates go to the camera under its lock; 0 gives it back its own.
    camera->setFrameRate(25);
    EXPECT_EQ(camera->inputCamera()->activeVideoMaxFrameDuration(), media::MediaTime::make(1, 25));
    EXPECT_EQ(camera->inputCamera()->activeVideoMinFrameDuration(), media::MediaTime::make(1, 25));
    camera->setFrameRate(0);
    EXPECT_FALSE(camera->inputCamera()->activeVideoMaxFrameDuration().isValid());
    backOnly.backend->driver("synthetic-back")->config().refusesLock = true;
    camera->setFrameRate(30);
    EXPECT_EQ(camera->frameRate(), 30);
    EXPECT_FALSE(camera->inputCamera()->activeVideoMaxFrameDuration().isValid()) << "the lock was refused";
}

TEST(GPUImageVideoCamera, WebcamsWithoutAPositionAreTakenAndSwitchedToByDevice) {
    // Two webcams as Qt lists them: no position, so both count as back cameras.
    std::vector<capture::SyntheticCameraConfig> webcams(2, capture::SyntheticCaptureBackend::backCamera());
    webcams[0].uniqueID = "/dev/video2", webcams[1].uniqueID = "/dev/video0";
    webcams[0].position = webcams[1].position = DevicePosition::Unspecified;
    SyntheticCameras cameras(webcams);
    const auto devices = capture::videoDevices();
    auto camera = GPUImageVideoCamera::create(capture::kSessionPreset640x480, devices.front());
    ASSERT_TRUE(camera);
    camera->startCameraCapture();
    const auto expectFilming = [&](const char* id) {
        EXPECT_EQ(camera->inputCamera()->uniqueID(), id);
        for (const auto& device : devices) {
            auto* driver = cameras.backend->driver(device->uniqueID());  // none once unplugged
            EXPECT_EQ(driver && driver->isStreaming(), device->uniqueID() == id) << device->uniqueID();
        }
    };
    expectFilming("/dev/video2");  // not the last listed at its position
    EXPECT_TRUE(camera->switchToCamera(devices.back()));
    expectFilming("/dev/video0");
    EXPECT_TRUE(camera->switchToCamera(devices.front()));
    expectFilming("/dev/video2");
    // An unplugged camera cannot be switched to: the one in use films on.
    cameras.backend->unplug("/dev/video0");
    EXPECT_FALSE(camera->switchToCamera(devices.back()));
    expectFilming("/dev/video2");
    // Nor one that opens but fails its start (another program streams from
    // it, and our format is refused): the one in use films on, told why.
    auto streamed = webcams.back();
    streamed.uniqueID = "/dev/video4";
    streamed.setFormat = [](Size) -> foundation::Status { return foundation::Error::posix(EBUSY, "VIDIOC_S_FMT"); };
    foundation::Error why;
    EXPECT_FALSE(camera->switchToCamera(cameras.backend->plugIn(streamed), &why));
    EXPECT_EQ(why.code, capture::kCaptureErrorDeviceInUse);
    expectFilming("/dev/video2");
    EXPECT_FALSE(camera->switchToCamera(nullptr));
}

TEST(GPUImageVideoCamera, AFrameInFlightDropsTheNextAndPausedNoneArrive) {
    SyntheticCameras cameras(backAndFront());
    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    auto target = std::make_shared<CountingTarget>();
    camera->addTarget(target);
    const auto frame = gpuimagetest::bgraBuffer(2, 2, Pixels(4, {10, 20, 30, 255}), 8);

    camera->captureOutput(*frame);
    gpuimagetest::drainContextQueue();
    EXPECT_EQ(target->frames, 0) << "nothing while the session is not running";

    camera->startCameraCapture();
    foundation::DispatchSemaphore gate(0);
    runAsynchronouslyOnContextQueue([gate]() mutable { gate.wait(); });
    camera->captureOutput(*frame);  // queued behind the gate
    camera->captureOutput(*frame);  // finds it in flight: dropped
    gate.signal();
    gpuimagetest::drainContextQueue();
    EXPECT_EQ(target->frames, 1);
    camera->captureOutput(*frame);
    gpuimagetest::drainContextQueue();
    EXPECT_EQ(target->frames, 2) << "the next frame after the semaphore is signalled";
    EXPECT_EQ(target->width, 2);

    camera->pauseCameraCapture();
    camera->captureOutput(*frame);
    gpuimagetest::drainContextQueue();
    EXPECT_EQ(target->frames, 2) << "paused: none";
    camera->resumeCameraCapture();
    camera->captureOutput(*frame);
    gpuimagetest::drainContextQueue();
    EXPECT_EQ(target->frames, 3);
    camera->stopCameraCapture();
}

TEST(GPUImageVideoCamera, PaddedRowsAreUploadedWithoutThePadding) {
    SyntheticCameras cameras({capture::SyntheticCaptureBackend::backCamera()});
    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    Pixels labels;
    for (int i = 0; i < 6; ++i) labels.push_back(gpuimagetest::labelColor(i));
    for (int64_t bytesPerRow : {12, 16, 64}) {
        auto output = std::make_shared<GPUImageRawDataOutput>(Size{3, 2}, false);
        camera->addTarget(output);
        camera->processVideoSampleBuffer(*gpuimagetest::bgraBuffer(3, 2, labels, bytesPerRow));
        EXPECT_EQ(gpuimagetest::readPixels(*output), labels) << bytesPerRow;
        camera->removeTarget(output);
    }
}

TEST(GPUImageVideoCamera, YuvRangesAndMatrices) {
    SyntheticCameras cameras({capture::SyntheticCaptureBackend::backCamera()});
    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    const std::string bt601 = capture::kYCbCrMatrixITU_R_601_4, bt709 = capture::kYCbCrMatrixITU_R_709_2;
    struct Case {
        const char* name;
        const char* format;
        uint8_t y, cb, cr;
        std::optional<std::string> matrix;
        std::array<int, 3> rgb;
    };
    const Case cases[] = {
        // Video range: luma 16 is black and 235 white.
        {"420v black", capture::kPixelFormat420v, 16, 128, 128, bt601, {0, 0, 0}},
        {"420v white", capture::kPixelFormat420v, 235, 128, 128, bt709, {255, 255, 255}},
        {"420v red, BT.601", capture::kPixelFormat420v, 81, 90, 240, bt601, {254, 0, 0}},
        // Full range: every level counts as it is.
        {"420f mid grey", capture::kPixelFormat420f, 128, 128, 128, bt601, {128, 128, 128}},
        {"420f black", capture::kPixelFormat420f, 0, 128, 128, bt709, {0, 0, 0}},
        {"420f red, BT.601", capture::kPixelFormat420f, 76, 85, 255, bt601, {254, 0, 0}},
        {"420f red, BT.709", capture::kPixelFormat420f, 54, 99, 255, bt709, {254, 0, 0}},
        // Without an attachment the buffer counts as BT.709.
        {"420f red, no matrix", capture::kPixelFormat420f, 54, 99, 255, std::nullopt, {254, 0, 0}},
    };
    for (const auto& c : cases) {
        // Sizes change between cases: the conversion framebuffer follows.
        const int width = 2 + int(&c - cases) % 3 * 2;
        auto output = std::make_shared<GPUImageRawDataOutput>(Size{double(width), 2}, false);
        camera->addTarget(output);
        camera->processVideoSampleBuffer(*gpuimagetest::yuvBuffer(c.format, width, 2, c.y, c.cb, c.cr, c.matrix));
        const auto pixels = gpuimagetest::readPixels(*output);
        ASSERT_EQ(pixels.size(), size_t(width * 2)) << c.name;
        for (const auto& pixel : pixels) {
            for (int channel = 0; channel < 3; ++channel) {
                EXPECT_NEAR(pixel[size_t(channel)], c.rgb[size_t(channel)], 2) << c.name << " channel " << channel;
            }
            EXPECT_EQ(pixel[3], 255) << c.name;
        }
        camera->removeTarget(output);
    }
    EXPECT_FALSE(camera->error().has_value());
}

TEST(GPUImageVideoCamera, FrameDurationAverageIsZeroUntilTheSixthFrame) {
    SyntheticCameras cameras({capture::SyntheticCaptureBackend::backCamera()});
    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    camera->setRunBenchmark(true);
    const auto frame = gpuimagetest::bgraBuffer(2, 2, Pixels(4, {1, 2, 3, 255}), 8);
    for (int i = 1; i <= 5; ++i) {
        camera->processVideoSampleBuffer(*frame);
        EXPECT_EQ(camera->averageFrameDurationDuringCapture(), 0.0) << i;
    }
    camera->processVideoSampleBuffer(*frame);
    EXPECT_EQ(camera->numberOfFramesCaptured(), 6u);
    EXPECT_GT(camera->averageFrameDurationDuringCapture(), 0.0);
    camera->resetBenchmarkAverage();
    EXPECT_EQ(camera->averageFrameDurationDuringCapture(), 0.0);
}

TEST(GPUImageVideoCamera, AnUnpluggedCameraStopsItsFramesAndRestartsCleanly) {
    capture::SyntheticCameraConfig config = capture::SyntheticCaptureBackend::backCamera();
    QImage green(8, 8, QImage::Format_RGB32);
    green.fill(qRgb(0, 255, 0));
    config.pictures = {green};
    SyntheticCameras cameras({config});
    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    camera->setOutputImageOrientation(3);
    auto target = std::make_shared<CountingTarget>();
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{640, 480}, false);
    camera->addTarget(target);
    camera->addTarget(output);
    camera->startCameraCapture();
    cameras.runFor(0.35);
    EXPECT_GE(target->frames, 1);
    EXPECT_EQ(target->width, 640);
    EXPECT_EQ(target->height, 480);
    EXPECT_EQ(output->colorAtLocation({320, 240}), (GPUByteColorVector{0, 255, 0, 255}));

    cameras.backend->unplug("synthetic-back");
    const int before = target->frames;
    cameras.runFor(1.0);
    EXPECT_EQ(target->frames, before) << "no frames from an unplugged camera";
    camera->stopCameraCapture();
    camera->startCameraCapture();
    cameras.runFor(1.0);
    EXPECT_EQ(target->frames, before);
    EXPECT_FALSE(camera->captureSession()->streamSize().width > 0);
    camera->stopCameraCapture();
    EXPECT_FALSE(camera->captureSession()->isRunning());
}

// Runs in a child whose Mesa finds no drivers.
TEST(GPUImageCameraWithoutDrivers, ChildPart) {
    if (!gpuimagetest::isChildWithoutDrivers()) GTEST_SKIP() << "runs only as the child of ErrorsInsteadOfAStop";
    SyntheticCameras cameras(backAndFront());
    auto camera = GPUImageVideoCamera::create();
    auto still = GPUImageStillCamera::create(capture::kSessionPreset640x480, DevicePosition::Front);
    auto view = ui::makeView<GPUImageView>(graphics::Rect{0, 0, 4, 4});
    ASSERT_TRUE(camera && still) << "the cameras themselves still work";
    for (const auto& failure : {camera->error(), still->error(), view->error()}) {
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->description, kGPUImageNoContextText);
    }
    auto target = std::make_shared<CountingTarget>();
    camera->addTarget(target);
    camera->addTarget(view);
    camera->startCameraCapture();
    cameras.runFor(0.5);
    EXPECT_EQ(target->frames, 0);
    EXPECT_TRUE(view->presentedImage().isNull());
    camera->stopCameraCapture();
    std::printf("cameras inert without drivers\n");
}

TEST(GPUImageCameraWithoutDrivers, ErrorsInsteadOfAStop) {
    const auto result = gpuimagetest::runWithoutDrivers("GPUImageCameraWithoutDrivers.ChildPart");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("[  PASSED  ] 1 test"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("cameras inert without drivers"), std::string::npos) << result.output;
}

}  // namespace
