#include "platform/capture/CaptureSession.h"
#include "platform/capture/SensorOrientation.h"
#include "platform/capture/SyntheticCamera.h"
#include "platform/capture/VideoPreviewLayer.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"
#include "platform/ui/host/Application.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <mutex>

namespace {

using namespace capture;
using foundation::RunLoop;

struct ReceivedFrame {
    std::string queue;
    int width, height;
    int64_t bytesPerRow;
    QImage::Format format;
    std::optional<int64_t> counter;
    QImage pixels;
};

// A session on one synthetic camera with a video output on "cameraQueue"
// that records every frame it gets.
struct SyntheticSession {
    explicit SyntheticSession(int cameras = 1) : backend(SyntheticCaptureBackend::withCameras(cameras)) {}

    void start(const CaptureDevicePtr& device, const std::string& preset = kSessionPreset1920x1080) {
        auto input = CaptureDeviceInput::create(device);
        ASSERT_TRUE(input.ok());
        this->input = input.value();
        ASSERT_TRUE(session->addInput(this->input));
        ASSERT_TRUE(session->setSessionPreset(preset));
        output->setSampleBufferDelegate(
            [this](const SampleBuffer& buffer) {
                if (gate) gate->wait();
                ReceivedFrame frame{foundation::DispatchQueue::currentLabel(),
                                    buffer.width(),
                                    buffer.height(),
                                    buffer.bytesPerRow(),
                                    buffer.pixelBuffer().format(),
                                    std::nullopt,
                                    buffer.pixelBuffer()};
                std::lock_guard lock(mutex);
                frames.push_back(std::move(frame));
            },
            foundation::DispatchQueue("cameraQueue"));
        ASSERT_TRUE(session->addOutput(output));
        session->startRunning();
    }

    size_t frameCount() {
        std::lock_guard lock(mutex);
        return frames.size();
    }

    testsupport::VirtualClockScope clock;
    std::shared_ptr<SyntheticCaptureBackend> backend;
    CaptureSessionPtr session = CaptureSession::create();
    CaptureDeviceInputPtr input;
    std::shared_ptr<VideoDataOutput> output = std::make_shared<VideoDataOutput>();
    std::shared_ptr<foundation::DispatchSemaphore> gate;
    std::mutex mutex;
    std::vector<ReceivedFrame> frames;
};

TEST(SyntheticCamera, CounterAndMarksReadBack) {
    for (int64_t counter : {0, 1, 77, 123456, (1 << 24) - 1}) {
        QImage frame = syntheticFrame(640, 360, counter);
        EXPECT_EQ(syntheticFrameCounter(frame), counter);
        EXPECT_EQ(frame.pixel(2, 2), qRgb(255, 0, 0));
        EXPECT_EQ(frame.pixel(637, 2), qRgb(0, 255, 0));
    }
    EXPECT_EQ(syntheticFrameCounter(QImage()), std::nullopt);
    QImage grey(640, 360, QImage::Format_ARGB32_Premultiplied);
    grey.fill(qRgb(128, 128, 128));
    EXPECT_EQ(syntheticFrameCounter(grey), std::nullopt);
}

TEST(SyntheticCamera, FullHdFramesArriveAsBgraOnTheCameraQueueWithTheClock) {
    ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
    SyntheticSession fixture;
    fixture.start(fixture.backend->videoDevices().at(0));
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(fixture.frameCount(), 0u) << "no frame before time moves";

    RunLoop::main().advance(1.0);
    RunLoop::main().runUntilIdle();
    ASSERT_EQ(fixture.frameCount(), 10u);  // 10 frames a second
    for (const auto& frame : fixture.frames) {
        EXPECT_EQ(frame.queue, "cameraQueue");
        EXPECT_EQ(frame.width, 1920);
        EXPECT_EQ(frame.height, 1080);
        EXPECT_EQ(frame.bytesPerRow, 1920 * 4);
        EXPECT_EQ(frame.format, QImage::Format_ARGB32_Premultiplied);
    }
    // Held in landscape (3) the back sensor lies along the scene: the frame
    // is upright, counters in order.
    for (size_t i = 0; i < fixture.frames.size(); ++i) {
        EXPECT_EQ(syntheticFrameCounter(fixture.frames[i].pixels), int64_t(i));
    }
    EXPECT_EQ(fixture.frames[0].pixels.pixel(5, 5), qRgb(255, 0, 0));
}

TEST(SyntheticCamera, SensorFramesTurnBackToWhatTheUserSees) {
    const QImage upright = syntheticFrame(320, 180, 5);
    for (auto position : {DevicePosition::Back, DevicePosition::Front, DevicePosition::Unspecified}) {
        const QImage viewed = viewedFrame(upright, position);
        for (int interface = 1; interface <= 4; ++interface) {
            const auto orientation = sensorFrameOrientation(interface, position);
            const QImage sensor = sensorFrameFromUpright(viewed, orientation);
            const QImage restored = graphics::Image(sensor, 1.0, orientation).normalized().bitmap();
            EXPECT_TRUE(restored == viewed) << "interface " << interface << " position " << int(position);
            EXPECT_EQ(sensor.width() == 180, graphics::orientationSwapsAxes(orientation));
        }
    }
    // What the user sees: the back camera as it is, the front one as in a mirror.
    EXPECT_EQ(viewedFrame(upright, DevicePosition::Back).pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(viewedFrame(upright, DevicePosition::Front).pixel(2, 2), qRgb(0, 255, 0));
    EXPECT_EQ(sensorFrameOrientation(9, DevicePosition::Back), graphics::ImageOrientation::Right);
}

TEST(SyntheticCamera, LateFramesAreDroppedAndStopNeverWaitsForTheQueue) {
    SyntheticSession fixture;
    fixture.gate = std::make_shared<foundation::DispatchSemaphore>(0);
    fixture.start(fixture.backend->videoDevices().at(0), kSessionPreset640x480);
    // The first frame's delegate blocks (as one that waits for the main
    // thread would); the following frames find the queue busy.
    RunLoop::main().advance(0.55);
    EXPECT_EQ(fixture.frameCount(), 0u);
    // Stopping returns although the queue is still blocked.
    fixture.session->stopRunning();
    EXPECT_FALSE(fixture.backend->driver("synthetic-back")->isStreaming());
    fixture.gate->signal();
    RunLoop::main().runUntil([&] { return fixture.frameCount() == 1; }, 5);
    RunLoop::main().advance(1.0);
    RunLoop::main().runUntilIdle();
    ASSERT_EQ(fixture.frameCount(), 1u) << "dropped while busy, none after the stop";
    EXPECT_EQ(syntheticFrameCounter(fixture.frames[0].pixels), 0);
}

TEST(SyntheticCamera, FailuresCanBeInjected) {
    testsupport::VirtualClockScope clock;
    auto backend = SyntheticCaptureBackend::withCameras(2);
    EXPECT_EQ(SyntheticCaptureBackend::withCameras(0)->videoDevices().size(), 0u);
    ASSERT_EQ(backend->videoDevices().size(), 2u);
    EXPECT_EQ(backend->videoDevices()[1]->position(), DevicePosition::Front);

    backend->driver("synthetic-back")->config().failsToOpen = true;
    auto input = CaptureDeviceInput::create(backend->device("synthetic-back"));
    ASSERT_FALSE(input.ok());
    EXPECT_EQ(input.error().code, kCaptureErrorDeviceNotAvailable);

    auto front = backend->device("synthetic-front");
    backend->driver("synthetic-front")->config().refusesLock = true;
    foundation::Error error;
    EXPECT_FALSE(front->lockForConfiguration(&error));
    EXPECT_EQ(error.code, kCaptureErrorLockRefused);
    EXPECT_FALSE(front->setFocusMode(CaptureMode::Locked)) << "no change without the lock";
    EXPECT_EQ(front->focusMode(), CaptureMode::ContinuousAutomatic);
}

TEST(SyntheticCamera, SettingsChangeOnlyUnderTheLockAndWithinTheCapabilities) {
    SyntheticCameraConfig config = SyntheticCaptureBackend::backCamera();
    config.capabilities.focusModes = 0b101;  // no one-shot focus
    config.capabilities.minExposureTargetBias = -2;
    config.capabilities.maxExposureTargetBias = 2;
    SyntheticCaptureBackend backend({config});
    auto device = backend.videoDevices().at(0);
    ASSERT_TRUE(device->lockForConfiguration());
    EXPECT_FALSE(device->setFocusMode(CaptureMode::Automatic));
    EXPECT_TRUE(device->setFocusMode(CaptureMode::Locked));
    EXPECT_TRUE(device->setExposureTargetBias(5));
    EXPECT_EQ(device->exposureTargetBias(), 2) << "the camera stops at its range";
    EXPECT_FALSE(device->setFlashMode(1)) << "no flash";
    device->unlockForConfiguration();
    const auto& applied = backend.driver("synthetic-back")->appliedSettings();
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].focusMode, CaptureMode::Locked);
    EXPECT_EQ(applied[0].exposureTargetBias, 2);
}

TEST(SyntheticCamera, UnplugStopsFramesFailsPendingStillsAndIsPosted) {
    SyntheticSession fixture;
    auto device = fixture.backend->videoDevices().at(0);
    fixture.start(device, kSessionPresetPhoto);
    auto still = std::make_shared<StillImageOutput>();
    ASSERT_TRUE(fixture.session->addOutput(still));
    int posted = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        kDeviceWasDisconnectedNotification, device.get(), [&](const foundation::Notification&) { ++posted; });

    std::mutex mutex;
    std::vector<foundation::Result<foundation::Bytes>> results;
    auto record = [&](foundation::Result<foundation::Bytes> jpeg) {
        std::lock_guard lock(mutex);
        results.push_back(std::move(jpeg));
    };
    // The stills are answered on another thread.
    auto recorded = [&] {
        std::lock_guard lock(mutex);
        return results.size();
    };
    still->captureStillImageAsynchronously(record);
    RunLoop::main().advance(0.2);
    RunLoop::main().runUntil([&] { return !still->isCapturingStillImage(); }, 5);
    still->captureStillImageAsynchronously(record);  // pending when the camera goes
    fixture.backend->unplug(device->uniqueID());
    RunLoop::main().runUntil([&] { return !still->isCapturingStillImage() && posted == 1; }, 5);

    ASSERT_EQ(recorded(), 2u);
    ASSERT_TRUE(results[0].ok());
    auto picture = graphics::Image::decode(results[0].value());
    ASSERT_TRUE(picture.ok());
    EXPECT_EQ(picture->pixelWidth(), 3840) << "stills at the photo size";
    ASSERT_FALSE(results[1].ok());
    EXPECT_EQ(results[1].error().code, kCaptureErrorDeviceDisconnected);
    EXPECT_FALSE(device->isConnected());
    EXPECT_TRUE(fixture.backend->videoDevices().empty());

    const size_t before = fixture.frameCount();
    RunLoop::main().advance(1.0);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(fixture.frameCount(), before) << "no frames from an unplugged camera";
    still->captureStillImageAsynchronously(record);
    RunLoop::main().runUntil([&] { return recorded() == 3; }, 5);
    ASSERT_EQ(recorded(), 3u);
    EXPECT_FALSE(results[2].ok());
}

}  // namespace

namespace {

TEST(VideoPreviewLayer, ShowsTheNewestFrameUprightWhileInAWindow) {
    testsupport::VirtualClockScope clock;
    auto backend = capture::SyntheticCaptureBackend::withCameras(2);
    auto session = capture::CaptureSession::create();
    auto input = capture::CaptureDeviceInput::create(backend->device("synthetic-front"));
    ASSERT_TRUE(input.ok());
    ASSERT_TRUE(session->setSessionPreset(capture::kSessionPreset640x480));
    ASSERT_TRUE(session->addInput(input.value()));
    auto layer = capture::VideoPreviewLayer::create(session);
    layer->setFrame({0, 0, 160, 120});
    session->startRunning();
    foundation::RunLoop::main().advance(0.5);
    EXPECT_TRUE(layer->currentFrame().isNull()) << "no frames outside a window";

    ui::Window window({0, 0, 320, 240});
    window.addSubview(layer);
    foundation::RunLoop::main().advance(0.5);
    foundation::RunLoop::main().runUntilIdle();
    ASSERT_FALSE(layer->currentFrame().isNull());
    EXPECT_TRUE(layer->isMirrored());
    // The front camera is shown as in a mirror: green on the left.
    EXPECT_EQ(layer->currentFrame().pixel(2, 2), qRgb(0, 255, 0));
    EXPECT_EQ(capture::syntheticFrameCounter(layer->currentFrame().mirrored(true, false)), 9);
    session->stopRunning();
}

TEST(VideoPreviewLayer, AspectFillKeepsTheMiddleOfTheFrame) {
    using capture::VideoGravity;
    struct Case {
        graphics::Size frame, bounds;
        VideoGravity gravity;
        graphics::Rect expected;
    };
    const Case cases[] = {
        {{1920, 1080}, {1024, 768}, VideoGravity::ResizeAspectFill, {240, 0, 1440, 1080}},
        {{1920, 1080}, {1920, 540}, VideoGravity::ResizeAspectFill, {0, 270, 1920, 540}},
        {{1920, 1080}, {1024, 768}, VideoGravity::ResizeAspect, {0, 0, 1920, 1080}},
        {{1920, 1080}, {0, 0}, VideoGravity::ResizeAspectFill, {0, 0, 1920, 1080}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(capture::visibleFrameRect(c.frame, c.bounds, c.gravity), c.expected) << c.bounds.width;
    }
}

}  // namespace
