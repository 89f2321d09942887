#include "app/capture/CameraFixture.h"
#include "app/capture/Capture4KCamera.h"
#include "app/widgets/alerts/AlertView.h"

#include <gtest/gtest.h>

namespace {

using capturetest::CameraFixture;
using foundation::RunLoop;

struct UltraHdFixture : CameraFixture<Capture4KCamera> {
    explicit UltraHdFixture(int cameras = 1) : CameraFixture(cameras) {
        DataManager::sharedDataManager().setValue(foundation::Value(), Capture4KCamera::kAlertShownKey);
    }
};

TEST(Capture4KCamera, StillsAreHandedOverUprightAtFullSize) {
    struct Case {
        ui::InterfaceOrientation interface;
        graphics::ImageOrientation taken;
    };
    // Orientation 1 (held the other landscape way) and 3 (portrait) both
    // arrive upright, so a crop of the centre is the centre the user saw.
    const Case cases[] = {
        {ui::InterfaceOrientation::LandscapeLeft, graphics::ImageOrientation::Down},
        {ui::InterfaceOrientation::Portrait, graphics::ImageOrientation::Right},
        {ui::InterfaceOrientation::LandscapeRight, graphics::ImageOrientation::Up},
    };
    for (const auto& c : cases) {
        UltraHdFixture fixture;
        ui::Application::shared().setStatusBarOrientation(c.interface);
        fixture.source->initCaptureDevice();
        EXPECT_EQ(fixture.source->captureSession()->sessionPreset(), capture::kSessionPresetPhoto);
        EXPECT_EQ(fixture.source->getImageOrientation(), c.taken);
        fixture.source->captureImage();
        EXPECT_FALSE(fixture.source->isReadyToCapture()) << "not ready while the still is on its way";
        ASSERT_TRUE(fixture.waitForPictures(1));
        EXPECT_TRUE(fixture.source->isReadyToCapture());
        const auto& picture = fixture.delegate.pictures[0].image;
        EXPECT_NE(fixture.delegate.pictures[0].queueLabel, "cameraQueue");
        EXPECT_EQ(picture.orientation(), graphics::ImageOrientation::Up);
        ASSERT_EQ(picture.pixelWidth(), 3840);
        ASSERT_EQ(picture.pixelHeight(), 2160);
        // JPEG keeps the marks recognisable: red top-left, green top-right.
        const QColor topLeft = picture.bitmap().pixelColor(40, 40), topRight = picture.bitmap().pixelColor(3800, 40);
        EXPECT_GT(topLeft.red(), 200) << int(c.interface);
        EXPECT_LT(topLeft.green(), 60) << int(c.interface);
        EXPECT_GT(topRight.green(), 200) << int(c.interface);
        EXPECT_LT(topRight.red(), 60) << int(c.interface);
    }
}

TEST(Capture4KCamera, StorageWarningUntilDismissedOnce) {
    UltraHdFixture fixture;
    fixture.source->initCaptureDevice();
    auto alert = fixture.source->storageAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Ultra HD");
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Dismiss");
    // Set up again without answering: the warning is still the one shown.
    fixture.source->stopCameraCapture();
    fixture.source->initCaptureDevice();
    EXPECT_EQ(fixture.source->storageAlert(), alert);

    alert->clickButtonAtIndex(0);
    RunLoop::main().advance(1.0);
    EXPECT_TRUE(DataManager::sharedDataManager().objectForKey(Capture4KCamera::kAlertShownKey).asBool());
    EXPECT_FALSE(fixture.source->storageAlert());
    fixture.source->stopCameraCapture();
    fixture.source->initCaptureDevice();
    EXPECT_FALSE(fixture.source->storageAlert()) << "never again";
}

TEST(Capture4KCamera, ReadinessStopAndSwitchFollowTheStillOutput) {
    UltraHdFixture fixture(2);
    // Even a failed set-up reports ready; the screen reads the error.
    fixture.driver().config().failsToOpen = true;
    fixture.source->initCaptureDevice();
    EXPECT_TRUE(fixture.source->error());
    EXPECT_TRUE(fixture.source->isReadyToCapture());
    fixture.driver().config().failsToOpen = false;

    fixture.source->initCaptureDevice();
    ASSERT_FALSE(fixture.source->error());
    ASSERT_TRUE(fixture.source->stillImageOutput());
    fixture.source->switchCaptureDevice();
    EXPECT_EQ(fixture.source->captureSession()->sessionPreset(), capture::kSessionPreset1920x1080)
        << "the switch picks a video preset";
    fixture.source->stopCameraCapture();
    EXPECT_FALSE(fixture.source->isReadyToCapture());
    EXPECT_FALSE(fixture.source->stillImageOutput());
    fixture.source->initCaptureDevice();
    EXPECT_EQ(fixture.source->captureSession()->sessionPreset(), capture::kSessionPresetPhoto);
}

TEST(Capture4KCamera, FailedStillsAnswerWithNullAndAnUnpluggedCameraStaysNotReady) {
    UltraHdFixture fixture;
    fixture.source->initCaptureDevice();
    fixture.driver().config().failsStills = true;
    fixture.source->captureImage();
    ASSERT_TRUE(fixture.waitForPictures(1));
    EXPECT_TRUE(fixture.delegate.pictures[0].image.isNull());
    EXPECT_TRUE(fixture.source->isReadyToCapture());

    fixture.driver().config().failsStills = false;
    fixture.source->captureImage();
    fixture.backend->unplug("synthetic-back");
    ASSERT_TRUE(fixture.waitForPictures(2));
    EXPECT_TRUE(fixture.delegate.pictures[1].image.isNull());
    ASSERT_TRUE(fixture.source->error()) << "set before the answer arrives";
    EXPECT_EQ(fixture.source->error()->code, 63);
    EXPECT_FALSE(fixture.source->isReadyToCapture());
    RunLoop::main().runUntilIdle();
    EXPECT_FALSE(fixture.source->isReadyToCapture());
}

}  // namespace
