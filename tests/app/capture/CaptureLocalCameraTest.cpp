#include "app/capture/CameraFixture.h"
#include "app/capture/CaptureCameraOrder.h"
#include "app/capture/CaptureLocalCamera.h"
#include "platform/capture/QtCamera.h"
#include "platform/capture/SyntheticCamera.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "support/FakeV4l2Device.h"

#include <array>
#include <gtest/gtest.h>

namespace {

using capturetest::CameraFixture;
using foundation::RunLoop;
using testsupport::FakeV4l2Device;

QRgb at(const graphics::Image& image, int x, int y) { return image.bitmap().pixel(x, y); }

TEST(CaptureLocalCamera, NoCameraOrOneThatCannotOpenSetsTheErrorAndTellsNobody) {
    struct Case {
        int cameras;
        bool backFails, frontFails;
        int64_t storedPosition;
        std::string domain;
        int64_t code;
        std::string text;
    };
    const Case cases[] = {
        {0, false, false, 1, "CaptureLocalCamera", 63, "No capture device found."},
        {1, true, false, 1, "CaptureLocalCamera", 119, "The camera cannot be opened."},
        // The stored camera's own error comes through as the platform gave it.
        {2, false, true, 2, "CaptureErrorDomain", 1, "The camera cannot be opened."},
    };
    for (const auto& c : cases) {
        CameraFixture<CaptureLocalCamera> fixture(c.cameras);
        if (c.backFails) fixture.driver().config().failsToOpen = true;
        if (c.frontFails) fixture.driver("synthetic-front").config().failsToOpen = true;
        DataManager::sharedDataManager().setAvCaptureDevicePosition(c.storedPosition);
        fixture.source->initCaptureDevice();
        auto error = fixture.source->error();
        ASSERT_TRUE(error) << c.cameras;
        EXPECT_EQ(error->domain, c.domain);
        EXPECT_EQ(error->code, c.code);
        EXPECT_EQ(error->localizedDescription(), c.text);
        EXPECT_FALSE(fixture.source->isReadyToCapture());
        EXPECT_TRUE(fixture.delegate.inits.empty());
        // The empty preview is in place, as the screen expects to find it.
        ASSERT_TRUE(fixture.source->previewView());
        EXPECT_EQ(fixture.source->previewView()->superview(), fixture.source->view());
    }
}

TEST(CaptureLocalCamera, PicturesAreUprightFullHdFramesOnTheCameraQueue) {
    struct Case {
        ui::InterfaceOrientation interface;
        int64_t position;
        graphics::ImageOrientation expected;
    };
    // The picture always shows what the preview showed: the back camera as
    // it films, the front one as in a mirror (red and green corners swap).
    const Case cases[] = {
        {ui::InterfaceOrientation::LandscapeRight, 1, graphics::ImageOrientation::Up},
        {ui::InterfaceOrientation::LandscapeLeft, 1, graphics::ImageOrientation::Down},
        {ui::InterfaceOrientation::Portrait, 1, graphics::ImageOrientation::Right},
        {ui::InterfaceOrientation::LandscapeRight, 2, graphics::ImageOrientation::DownMirrored},
        {ui::InterfaceOrientation::Portrait, 2, graphics::ImageOrientation::LeftMirrored},
    };
    for (const auto& c : cases) {
        CameraFixture<CaptureLocalCamera> fixture(2);
        DataManager::sharedDataManager().setAvCaptureDevicePosition(c.position);
        ui::Application::shared().setStatusBarOrientation(c.interface);
        fixture.source->initCaptureDevice();
        ASSERT_FALSE(fixture.source->error());
        EXPECT_EQ(fixture.delegate.inits, std::vector<int64_t>{c.position});
        EXPECT_EQ(fixture.source->getImageOrientation(), c.expected);
        EXPECT_EQ(fixture.source->captureSourceViewCamera(), fixture.source->previewView());

        fixture.source->captureImage();
        fixture.source->captureImage();  // before the next frame: still one picture
        ASSERT_TRUE(fixture.waitForPictures(1));
        RunLoop::main().advance(0.5);
        RunLoop::main().runUntilIdle();
        ASSERT_EQ(fixture.delegate.pictureCount(), 1u);
        const auto& picture = fixture.delegate.pictures[0];
        EXPECT_EQ(picture.queueLabel, "cameraQueue");
        EXPECT_EQ(picture.image.orientation(), graphics::ImageOrientation::Up);
        ASSERT_EQ(picture.image.pixelWidth(), 1920);
        ASSERT_EQ(picture.image.pixelHeight(), 1080);
        const bool front = c.position == 2;
        EXPECT_EQ(at(picture.image, 10, 10), front ? qRgb(0, 255, 0) : qRgb(255, 0, 0)) << int(c.interface);
        EXPECT_EQ(at(picture.image, 1909, 10), front ? qRgb(255, 0, 0) : qRgb(0, 255, 0)) << int(c.interface);
        if (!front) {
            EXPECT_TRUE(capture::syntheticFrameCounter(picture.image.bitmap()).has_value());
        }
    }
}

TEST(CaptureLocalCamera, SwitchAlternatesCamerasAndKeepsTheOldOneWhenTheNewFails) {
    CameraFixture<CaptureLocalCamera> fixture(2);
    fixture.source->initCaptureDevice();
    auto& settings = DataManager::sharedDataManager();
    for (int64_t expected : {2, 1, 2}) {
        fixture.source->switchCaptureDevice();
        EXPECT_EQ(settings.avCaptureDevicePosition(), expected);
        EXPECT_EQ(fixture.source->position(), expected);
    }
    EXPECT_EQ(fixture.delegate.switches, (std::vector<int64_t>{2, 1, 2}));

    // Back to the back camera, then the front one refuses to open.
    fixture.source->switchCaptureDevice();
    fixture.driver("synthetic-front").config().failsToOpen = true;
    fixture.source->switchCaptureDevice();
    ASSERT_TRUE(fixture.source->error());
    EXPECT_EQ(fixture.source->error()->code, capture::kCaptureErrorDeviceNotAvailable);
    EXPECT_EQ(fixture.delegate.switches.size(), 4u) << "no report of a failed switch";
    EXPECT_EQ(settings.avCaptureDevicePosition(), 1);
    ASSERT_EQ(fixture.source->captureSession()->inputs().size(), 1u);
    EXPECT_EQ(fixture.source->captureSession()->inputs()[0]->device()->uniqueID(), "synthetic-back");
    // The old camera still films.
    fixture.source->captureImage();
    ASSERT_TRUE(fixture.waitForPictures(1));
    EXPECT_FALSE(fixture.delegate.pictures[0].image.isNull());
}

TEST(CaptureLocalCamera, OneCameraNeverSwitchesAndIsUsedWhateverPositionIsStored) {
    CameraFixture<CaptureLocalCamera> fixture(std::make_shared<capture::SyntheticCaptureBackend>(
        std::vector<capture::SyntheticCameraConfig>{capture::SyntheticCaptureBackend::frontCamera()}));
    DataManager::sharedDataManager().setAvCaptureDevicePosition(1);
    fixture.source->initCaptureDevice();
    EXPECT_EQ(DataManager::sharedDataManager().avCaptureDevicePosition(), 2) << "the only camera's position is stored";
    EXPECT_FALSE(fixture.source->isMultipleCaptureDeviceAvaliable());
    fixture.source->switchCaptureDevice();
    EXPECT_TRUE(fixture.delegate.switches.empty());
}

TEST(CaptureLocalCamera, CameraOrderByIdentity) {
    // By node number: /dev/video10 after /dev/video4.
    const std::vector<std::string> listed = {"/dev/video10", "/dev/video2", "/dev/video0", "/dev/video4"};
    for (const auto& [stored, start, next] : std::vector<std::array<std::string, 3>>{
             {"/dev/video0", "/dev/video0", "/dev/video2"},
             {"/dev/video4", "/dev/video4", "/dev/video10"},
             {"/dev/video10", "/dev/video10", "/dev/video0"},  // round to the first
             {"", "/dev/video0", "/dev/video0"},               // none stored: the first
             {"/dev/video6", "/dev/video0", "/dev/video0"},    // unplugged since: the first
         }) {
        EXPECT_EQ(cameraorder::storedOrFirst(listed, stored), start) << stored;
        EXPECT_EQ(cameraorder::next(listed, stored), next) << stored;
    }
    EXPECT_EQ(cameraorder::storedOrFirst({}, "/dev/video0"), "");
    EXPECT_EQ(cameraorder::next({}, "/dev/video0"), "");
    EXPECT_EQ(cameraorder::next({"/dev/video0"}, "/dev/video0"), "/dev/video0");
}

TEST(CaptureLocalCamera, DeskWebcamsFilmAsBackCamerasAndAPhonesGoByPosition) {
    {
        CameraFixture<CaptureLocalCamera> desk(std::make_shared<capture::SyntheticCaptureBackend>(std::vector{
            FakeV4l2Device::webcam()->asListed("/dev/video2"), FakeV4l2Device::webcam()->asListed("/dev/video0")}));
        desk.source->initCaptureDevice();
        desk.source->switchCaptureDevice();
        EXPECT_EQ(desk.source->captureInput()->device()->uniqueID(), "/dev/video2");
        EXPECT_EQ(desk.delegate.inits, std::vector<int64_t>{1});
        EXPECT_EQ(desk.delegate.switches, std::vector<int64_t>{1});
    }
    // The stored camera id changes nothing on a phone.
    CameraFixture<CaptureLocalCamera> phone(2);
    DataManager::sharedDataManager().setCaptureDeviceID("synthetic-front");
    phone.source->initCaptureDevice();
    EXPECT_EQ(phone.source->captureInput()->device()->uniqueID(), "synthetic-back");
}

TEST(CaptureLocalCamera, ACameraAnotherProgramStreamsFailsTheSetUpOrTheSwitchKeepsTheOldCamera) {
    for (const bool toldLater : {false, true}) {
        SCOPED_TRACE(toldLater ? "told on a later turn (GStreamer)" : "told inside the start (FFmpeg)");
        auto busy = FakeV4l2Device::webcam();
        busy->streamedElsewhere = true;
        auto busyCamera = busy->asListed("/dev/video2"), freeCamera = FakeV4l2Device::webcam()->asListed("/dev/video0");
        busyCamera.reportsFailuresLater = freeCamera.reportsFailuresLater = toldLater;
        for (const bool alone : {true, false}) {
            DataManager::sharedDataManager().setCaptureDeviceID("/dev/video0");
            CameraFixture<CaptureLocalCamera> fixture(std::make_shared<capture::SyntheticCaptureBackend>(
                alone ? std::vector{busyCamera} : std::vector{busyCamera, freeCamera}));
            fixture.source->initCaptureDevice();
            if (!alone) fixture.source->switchCaptureDevice();
            RunLoop::main().runUntilIdle();
            ASSERT_TRUE(fixture.source->error());
            EXPECT_EQ(fixture.source->error()->code, capture::kCaptureErrorDeviceInUse);
            // Alone it fails the set-up, told only while it seemed to start; a switch found out
            // inside it is none, one found out later is followed by one back to the old camera.
            EXPECT_EQ(fixture.delegate.inits.size(), alone && !toldLater ? 0u : 1u);
            EXPECT_EQ(fixture.delegate.switches.size(), alone || !toldLater ? 0u : 2u);
            fixture.source->captureImage();
            ASSERT_TRUE(fixture.waitForPictures(1)) << "a picture asked is answered";
            EXPECT_EQ(fixture.delegate.pictures[0].image.isNull(), alone);
        }
    }
}

TEST(CaptureLocalCamera, UnpluggedCameraIsNotReadyReportsNoDeviceAndAnswersThePendingPicture) {
    CameraFixture<CaptureLocalCamera> fixture(1);
    fixture.source->initCaptureDevice();
    ASSERT_TRUE(fixture.source->isReadyToCapture());
    fixture.source->captureImage();  // no frame has come yet
    fixture.backend->unplug("synthetic-back");
    ASSERT_TRUE(fixture.waitForPictures(1));
    EXPECT_TRUE(fixture.delegate.pictures[0].image.isNull());
    EXPECT_FALSE(fixture.source->isReadyToCapture());
    ASSERT_TRUE(fixture.source->error());
    EXPECT_EQ(fixture.source->error()->code, 63);
    EXPECT_EQ(fixture.source->error()->localizedDescription(), "No capture device found.");
    // A later request is answered at once too.
    fixture.source->captureImage();
    ASSERT_TRUE(fixture.waitForPictures(2));
    EXPECT_TRUE(fixture.delegate.pictures[1].image.isNull());
}

TEST(CaptureLocalCamera, StopsAndStartsAgainAsTheRegistryReusesIt) {
    CameraFixture<CaptureLocalCamera> fixture(1);
    for (int round = 0; round < 2; ++round) {
        fixture.source->initCaptureDevice();
        ASSERT_TRUE(fixture.driver().isStreaming());
        EXPECT_EQ(fixture.driver().streamingSize(), (graphics::Size{1920, 1080}));
        fixture.source->stopCameraCapture();
        EXPECT_FALSE(fixture.driver().isStreaming());
        EXPECT_FALSE(fixture.source->captureSession());
        EXPECT_FALSE(fixture.source->previewView());
    }
    EXPECT_EQ(fixture.delegate.inits.size(), 2u);
}

TEST(CaptureLocalCamera, ControlsFollowTheCameraAndItsLock) {
    auto config = capture::SyntheticCaptureBackend::backCamera();
    config.capabilities.exposureTargetBias = false;
    config.capabilities.whiteBalanceModes = 0b100;  // continuous only
    CameraFixture<CaptureLocalCamera> fixture(
        std::make_shared<capture::SyntheticCaptureBackend>(std::vector<capture::SyntheticCameraConfig>{config}));
    fixture.source->initCaptureDevice();
    EXPECT_TRUE(fixture.source->isFocusModeSuported());
    EXPECT_FALSE(fixture.source->isWhiteBalanceModeSuported());
    EXPECT_EQ(fixture.source->maxExposureTargetBias(), 0);

    fixture.source->setFocusMode(0);
    EXPECT_EQ(fixture.source->focusMode(), 0);
    fixture.source->setWhiteBalanceMode(0);
    EXPECT_EQ(fixture.source->whiteBalanceMode(), 2) << "an unsupported mode leaves the camera's";
    fixture.source->changeExposureTargetBiasTo(1.5f);
    EXPECT_EQ(fixture.source->currentExposureTargetBias(), 0) << "no bias control";

    fixture.driver().config().refusesLock = true;
    fixture.source->setFocusMode(2);
    EXPECT_EQ(fixture.source->focusMode(), 0) << "a refused lock changes nothing";
    EXPECT_FALSE(fixture.source->focusAtPoint({512, 384}));
    fixture.driver().config().refusesLock = false;
    ASSERT_TRUE(fixture.source->focusAtPoint({512, 384}));
    const auto device = fixture.source->captureInput()->device();
    EXPECT_EQ(device->focusMode(), capture::CaptureMode::Automatic);
    EXPECT_NEAR(device->focusPointOfInterest().x, 0.5, 1e-9);
    EXPECT_NEAR(device->focusPointOfInterest().y, 0.5, 1e-9);
}

TEST(CaptureLocalCamera, TapToFocusResetsTheBiasFirst) {
    CameraFixture<CaptureLocalCamera> fixture(1);
    fixture.source->initCaptureDevice();
    fixture.source->changeExposureTargetBiasTo(1.5f);
    EXPECT_EQ(fixture.source->currentExposureTargetBias(), 1.5f);
    fixture.driver().config().refusesLock = false;
    fixture.source->focusAtPoint({0, 0});
    EXPECT_EQ(fixture.source->currentExposureTargetBias(), 0.0f);
    EXPECT_EQ(fixture.source->captureInput()->device()->exposureTargetBias(), 0.0f);
}

}  // namespace

namespace {

// Waits in the picture callback as a screen that stores on the main thread does.
class BlockingDelegate : public capturetest::RecordingDelegate {
public:
    void captureControllerDidTakeImage(CaptureController& controller, graphics::Image image) override {
        gate.wait();
        RecordingDelegate::captureControllerDidTakeImage(controller, std::move(image));
    }
    foundation::DispatchSemaphore gate{0};
};

TEST(CaptureLocalCamera, StopReturnsWhileTheCameraQueueWaitsForTheMainThread) {
    CameraFixture<CaptureLocalCamera> fixture(1);
    BlockingDelegate blocking;
    fixture.source->setDelegate(&blocking);
    fixture.source->initCaptureDevice();
    fixture.source->captureImage();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return blocking.gate.waitingCount() == 1; }, 10));
    fixture.source->stopCameraCapture();  // must not wait for "cameraQueue"
    EXPECT_FALSE(fixture.driver().isStreaming());
    blocking.gate.signal();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return blocking.pictureCount() == 1; }, 10));
    EXPECT_FALSE(blocking.pictures[0].image.isNull());
}

TEST(CaptureLocalCamera, QtCamerasWithoutAnyDeviceReportNoCaptureDevice) {
    auto qt = std::make_shared<capture::QtCaptureBackend>();
    if (!qt->videoDevices().empty()) GTEST_SKIP() << "this machine has a camera; the case needs none";
    testsupport::VirtualClockScope clock;
    capture::setCaptureBackend(qt);
    auto source = std::make_shared<CaptureLocalCamera>();
    capturetest::RecordingDelegate delegate;
    source->setDelegate(&delegate);
    source->initCaptureDevice();
    ASSERT_TRUE(source->error());
    EXPECT_EQ(source->error()->code, 63);
    EXPECT_EQ(source->error()->localizedDescription(), "No capture device found.");
    EXPECT_TRUE(delegate.inits.empty());
    capture::setCaptureBackend(nullptr);
}

}  // namespace
