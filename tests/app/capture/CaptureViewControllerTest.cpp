#include "app/capture/CaptureScreenTestSupport.h"
#include "app/core/FormatterUtil.h"
#include "app/widgets/alerts/Hudy.h"
#include "platform/foundation/NotFound.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "support/Pictures.h"
#include "support/Process.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace capturetest {
namespace {

std::string probeSize(const std::string& path) {
    const auto result = testsupport::runProcess({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                                 "stream=width,height", "-of", "csv=p=0", path});
    std::string out = result.output;
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// What python's plistlib reads from the project's metadata.
std::string readMetadata(const ProjectModelPtr& project) {
    auto path = project->pathForFile("kelbrin.meta");
    if (!path) return "no folder";
    auto result = testsupport::runPython(R"(import plistlib, sys
m = plistlib.load(open(sys.argv[1], 'rb'))
print(m['CurrentFrameIndex'], m['META_RECORD_THUMB_FRAME_ID'], m['RecordNeedsRendering'], end='')
)",
                                         {*path});
    return result.output;
}

std::vector<int32_t> types(const ProjectModelPtr& project) {
    std::vector<int32_t> out;
    for (const auto& frame : *project->getFrameList()) out.push_back(frame->type());
    return out;
}

class CaptureStoreTest : public CaptureScreenTest {};

TEST_F(CaptureStoreTest, ShutterStoresANewFrameBeforeTheSlotAndSavesIt) {
    auto project = storedProject();
    FramePtr first = project->getFrameList()->getFrameAtIndex(0);
    std::vector<FramePtr> announced;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        CaptureViewController::kAddFrameNotification, nullptr, [&](const foundation::Notification& n) {
            if (const auto* frame = n.userInfo.get(CaptureViewController::kFrameKey).objectAs<FramePtr>())
                announced.push_back(*frame);
        });
    openScreen(project);
    EXPECT_EQ(screen->frameLabel()->text(), "0002 / 0002");
    tap(screen->recordBtn());

    auto list = project->getFrameList();
    ASSERT_EQ(types(project), (std::vector<int32_t>{0, 0, 1}));
    FramePtr added = list->getFrameAtIndex(1);
    EXPECT_EQ(list->getFrameAtIndex(0), first);
    ASSERT_EQ(announced, std::vector<FramePtr>{added});
    EXPECT_EQ(screen->previewViewController()->lastFrame(), added);
    EXPECT_EQ(readMetadata(project), "2 " + added->frameID() + " True");
    const std::string files[] = {KWImageProducer::frameFileName(added->frameID()),
                                 KWImageProducer::previewFileName(added->frameID()),
                                 KWImageProducer::thumbnailFileName(added->frameID())};
    EXPECT_EQ(probeSize(*project->pathForFile(files[0])), "1920,1080");
    EXPECT_EQ(probeSize(*project->pathForFile(files[1])), "796,448");
    EXPECT_EQ(probeSize(*project->pathForFile(files[2])), "272,153");
    // The list on disk holds the new frame too.
    auto reread = ProjectModel::create(project->getProjectPath());
    EXPECT_EQ(reread->getFrameList()->getFrameAtIndex(1)->frameID(), added->frameID());

    EXPECT_EQ(screen->frameLabel()->text(), "0003 / 0003");
    auto& watch = KWWatchKitLocalStorage::sharedWatchKitLocalStorage();
    EXPECT_EQ(watch.info(), "0003 / 0003");
    EXPECT_EQ(watch.name(), project->getName());
    EXPECT_TRUE(watch.isReady() && watch.isReadyToCapture());
    EXPECT_TRUE(screen->recordBtn()->isEnabled());
    EXPECT_EQ(plays("camera3.wav"), 1);
    // The tablet's editor is told to go to the capture frame a little later.
    int gotos = 0;
    auto goto_ = foundation::NotificationCenter::defaultCenter().addObserver(
        CaptureViewController::kGotoCaptureFrameNotification, screen.get(),
        [&](const foundation::Notification&) { ++gotos; });
    advance(CaptureViewController::kGotoCaptureFrameDelay + 0.01);
    EXPECT_EQ(gotos, 1);
}

TEST_F(CaptureStoreTest, SpaceAndReturnPressTheShutter) {
    auto project = storedProject();
    openScreen(project);
    EXPECT_TRUE(fingers->type(" "));
    advance(0.5);
    EXPECT_TRUE(fingers->press(ui::Key::Return));
    advance(0.5);
    EXPECT_EQ(camera->captures.load(), 2);
    ASSERT_EQ(types(project), (std::vector<int32_t>{0, 0, 0, 1}));
    // Each stored its own picture file, and the list on disk holds both.
    auto reread = ProjectModel::create(project->getProjectPath());
    ASSERT_EQ(reread->getFrameList()->count(), 4);
    for (int64_t index : {1, 2}) {
        const std::string id = reread->getFrameList()->getFrameAtIndex(index)->frameID();
        const auto path = project->pathForFile(KWImageProducer::frameFileName(id));
        EXPECT_TRUE(path && std::filesystem::exists(*path)) << index;
    }
    // While the shutter is off (controls disabled) the keys take no picture.
    screen->disableControls(true);
    EXPECT_FALSE(fingers->type(" "));
    advance(0.5);
    EXPECT_EQ(camera->captures.load(), 2);
}

TEST_F(CaptureStoreTest, AListWithoutSlotGetsOneAndANewProjectIsListedAfterItsFirstPicture) {
    auto withoutSlot = storedProject(false);
    ASSERT_EQ(types(withoutSlot), std::vector<int32_t>{0});
    openScreen(withoutSlot);
    EXPECT_EQ(screen->frameLabel()->text(), "0002 / 0002");
    screen->actionPauseRecord();
    EXPECT_EQ(types(withoutSlot), (std::vector<int32_t>{0, 0, 1}));
    screen->finishUpAndExit();

    auto fresh = ProjectModel::create();
    openScreen(fresh);
    EXPECT_FALSE(fresh->getProjectPath());
    screen->actionPauseRecord();
    ASSERT_TRUE(fresh->getProjectPath());
    auto& listed = KWProjects::getInstance().getProjects();
    ASSERT_GE(listed.size(), 2u);
    EXPECT_EQ(listed[1]->getProjectPath(), fresh->getProjectPath());
    EXPECT_EQ(types(fresh), (std::vector<int32_t>{0, 1}));
}

TEST_F(CaptureStoreTest, ZoomTwoStoresTheCentreScaledBack) {
    auto project = storedProject();
    openScreen(project);
    screen->sliderZoom()->setValue(2.0);
    screen->actionSliderZoomChanged();
    EXPECT_EQ(DataManager::sharedDataManager().cameraEffectiveScale(), 2.0f);
    screen->actionPauseRecord();
    FramePtr added = project->getFrameList()->getFrameAtIndex(1);
    auto stored = graphics::Image::load(*project->pathForFile(KWImageProducer::frameFileName(added->frameID())));
    ASSERT_TRUE(stored.ok());
    ASSERT_EQ(stored->pixelWidth(), 1920);
    // Inside each colour band (away from JPEG's edges) the stored picture
    // shows the centre: stored x maps to 480 + x / 2, y to 270 + y / 2.
    for (int y : {100, 300, 700, 1000}) {
        for (int x = 60; x < 1920; x += 240) {
            const auto expected = syntheticColourAt(480 + x / 2, 270 + y / 2);
            EXPECT_TRUE(testsupport::pixelNear(stored->pixelAt(x, y), expected, 12)) << x << "," << y;
        }
    }
    // A new source starts unzoomed.
    screen->switchCaptureSource(sources[1]);
    EXPECT_EQ(screen->effectiveScale(), 1.0);
    EXPECT_EQ(DataManager::sharedDataManager().cameraEffectiveScale(), 1.0f);
}

TEST_F(CaptureStoreTest, PictureFromTheCameraQueueHoldsThatThreadUntilStored) {
    auto project = storedProject();
    camera->onCameraQueue = true;
    openScreen(project);
    tap(screen->recordBtn());
    EXPECT_TRUE(screen->isCapturing()) << "the picture is on its way";
    foundation::RunLoop::main().runUntil([&] { return camera->countAfterDelivery.load() >= 0; }, 10.0);
    EXPECT_EQ(camera->deliveryQueue, "cameraQueue");
    // When the delivery returned on the camera's thread, the frame was listed.
    EXPECT_EQ(camera->countAfterDelivery.load(), 3);
    EXPECT_FALSE(screen->isCapturing());
}

TEST_F(CaptureStoreTest, LeavingLetsACameraThreadThatWaitsForUsGoBeforeStoppingTheCamera) {
    auto project = storedProject();
    camera->onCameraQueue = true;
    openScreen(project);
    // The camera's thread waits for the main thread with a picture...
    camera->captureImage();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (screen->picturesInFlight() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    ASSERT_EQ(screen->picturesInFlight(), 1u);
    // ...while the screen ends, whose camera drains its thread when stopped.
    screen->finishUpAndExit();
    EXPECT_EQ(camera->stops.load(), 1);
    EXPECT_EQ(camera->countAfterDelivery.load(), 2) << "the picture was not stored";
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(types(project), (std::vector<int32_t>{0, 1}));
}

TEST_F(CaptureStoreTest, PictureAfterHomeIsDroppedAndTheScreenEndsALittleLater) {
    auto project = storedProject();
    openScreen(project);
    screen->actionHome();
    ASSERT_NE(screen->hud(), nullptr);
    EXPECT_EQ(screen->hud()->caption, "Please wait.");
    camera->deliver();
    EXPECT_EQ(types(project), (std::vector<int32_t>{0, 1}));
    auto& watch = KWWatchKitLocalStorage::sharedWatchKitLocalStorage();
    EXPECT_TRUE(watch.isReady());
    advance(CaptureViewController::kHomeExitDelay + 0.01);
    EXPECT_FALSE(watch.isReady() || watch.isReadyToCapture());
    EXPECT_EQ(camera->stops.load(), 1);
}

TEST_F(CaptureStoreTest, StoredChoiceOrFirstSourceStartsAndUnreadySourcesShowTheirError) {
    struct Case {
        std::string stored;
        size_t expected;
    };
    for (const Case& c : {Case{"CaptureLocalUHDTVCamera", 1}, Case{"remote-camera.local", 0}}) {
        DataManager::sharedDataManager().setCurrentCaptureSourceID(c.stored);
        openScreen(storedProject());
        EXPECT_EQ(screen->captureSource(), sources[c.expected]) << c.stored;
        EXPECT_EQ(DataManager::sharedDataManager().currentCaptureSourceID(), sources[c.expected]->captureSourceID());
        screen->finishUpAndExit();
    }

    // A source that fails to start shows its error, and again at the shutter.
    DataManager::sharedDataManager().setCurrentCaptureSourceID("CaptureLocalCamera");
    camera->failure = foundation::Error("CaptureLocalCamera", 63, "No capture device found.");
    camera->ready = false;
    auto project = storedProject();
    openScreen(project);
    EXPECT_EQ(alertMessages(), std::vector<std::string>{"No capture device found."});
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
    screen->actionPauseRecord();
    EXPECT_EQ(alertMessages(), std::vector<std::string>{"No capture device found."});
    EXPECT_EQ(camera->captures.load(), 0);
    // Not ready without an error: nothing at all.
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
    camera->failure.reset();
    screen->switchCaptureSource(camera);
    screen->actionPauseRecord();
    EXPECT_TRUE(alertMessages().empty());
    EXPECT_EQ(camera->captures.load(), 0);
    EXPECT_EQ(types(project), (std::vector<int32_t>{0, 1}));
}

TEST_F(CaptureStoreTest, InfoDisplaySwitchesToTheDuration) {
    auto project = storedProject();
    project->setFPS(2);
    openScreen(project);
    screen->actionPauseRecord();
    screen->actionPauseRecord();  // [A, B, C, slot]: 3 pictures at 2 fps
    tap(screen->frameLabel());
    EXPECT_EQ(screen->infoScreenIndex(), 1);
    EXPECT_EQ(screen->frameLabel()->text(), FormatterUtil::getFormatedDuration(1.5));
    screen->actionLCDScreen();
    EXPECT_EQ(screen->frameLabel()->text(), "0004 / 0004");
}

}  // namespace
}  // namespace capturetest
