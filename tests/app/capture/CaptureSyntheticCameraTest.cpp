// The screen with the registry's own sources on a synthetic camera
// (what TOLLIVAR_CAMERA=synthetic gives the application).

#include "app/capture/CaptureLocalCamera.h"
#include "app/capture/CaptureScreenTestSupport.h"
#include "app/capture/CaptureSourceSelectionView.h"
#include "app/capture/CaptureSources.h"
#include "platform/capture/SyntheticCamera.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/host/Application.h"
#include "support/Process.h"

namespace capturetest {
namespace {

class CaptureSyntheticCameraTest : public CaptureScreenTest {
protected:
    void SetUp() override {
        CaptureScreenTest::SetUp();
        auto config = capture::SyntheticCaptureBackend::backCamera();
        backend =
            std::make_shared<capture::SyntheticCaptureBackend>(std::vector<capture::SyntheticCameraConfig>{config});
        capture::setCaptureBackend(backend);
        DataManager::sharedDataManager().setAvCaptureDevicePosition(1);
        ui::Application::shared().setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
    }
    void TearDown() override {
        if (screen && !screen->isClosing()) screen->finishUpAndExit();
        foundation::RunLoop::main().runUntilIdle();
        CaptureScreenTest::TearDown();
        capture::setCaptureBackend(nullptr);
    }
    std::shared_ptr<capture::SyntheticCaptureBackend> backend;
};

TEST_F(CaptureSyntheticCameraTest, AStoredSourceThatVanishedFallsBackToTheDeviceCameraWhichStoresFullHD) {
    DataManager::sharedDataManager().setCurrentCaptureSourceID("vanished-camera.local");
    auto project = storedProject();
    screen = CaptureViewController::create(project);
    window->setRootViewController(screen);
    foundation::RunLoop::main().runUntil([&] { return screen->captureSource() != nullptr; }, 5);
    ASSERT_NE(screen->captureSource(), nullptr);
    EXPECT_EQ(screen->captureSource()->captureSourceID(), "CaptureLocalCamera");
    EXPECT_EQ(DataManager::sharedDataManager().currentCaptureSourceID(), "CaptureLocalCamera");
    EXPECT_EQ(screen->captureSource(), CaptureSources::sharedInstance().getAvailableCaptureSources()->front());
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return screen->captureSource()->isReadyToCapture(); }, 5));

    tap(screen->recordBtn());
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return project->getFrameList()->count() == 3; }, 10));
    auto list = project->getFrameList();
    EXPECT_EQ(list->getFrameAtIndex(2)->type(), Frame::kTypeCaptureSlot);
    FramePtr added = list->getFrameAtIndex(1);
    const auto probe = testsupport::runProcess(
        {"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "stream=width,height", "-of", "csv=p=0",
         *project->pathForFile(KWImageProducer::frameFileName(added->frameID()))});
    EXPECT_EQ(probe.output.substr(0, 9), "1920,1080");
    EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return screen->recordBtn()->isEnabled(); }, 5));
}

TEST_F(CaptureSyntheticCameraTest, TheRegistrysPickerGrowsWithANewRemoteHostAndARepeatedHostPostsNothing) {
    auto& registry = CaptureSources::sharedInstance();
    const size_t builtIn = registry.getAvailableCaptureSources()->size();
    auto picker = std::make_shared<CaptureSourceSelectionView>();
    window->setRootViewController(picker);
    ASSERT_EQ(picker->tableView()->numberOfRowsInSection(0), builtIn + 1);
    int posted = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        CaptureSources::kUpdateSourcesNotification, nullptr, [&](const foundation::Notification&) { ++posted; });

    auto studio = std::make_shared<FakeSource>("studio.local", "Studio");
    registry.addRemoteSource(studio);
    registry.addRemoteSource(std::make_shared<FakeSource>("studio.local", "Studio again"));
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(registry.getAvailableCaptureSources()->size(), builtIn + 1);
    EXPECT_EQ(picker->tableView()->numberOfRowsInSection(0), builtIn + 2);
    registry.removeRemoteSource(studio);
    EXPECT_EQ(registry.getAvailableCaptureSources()->size(), builtIn);
}

}  // namespace
}  // namespace capturetest
