// The whole application on the synthetic camera: the browser's new-project
// entry opens the editor with the capture screen inside it, three pictures
// are taken, back lists the project at position 1, and the card's edit opens
// it again on the frame under its playhead; back in the browser, the
// process is idle.

#include "LaunchFixture.h"
#include "app/capture/CaptureViewController.h"
#include "app/core/KWImageProducer.h"
#include "app/core/KWWatchKitLocalStorage.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/preview/KWPreviewViewController.h"
#include "app/screens/KWProjectCollectionViewController.h"
#include "app/screens/KWProjectDetailViewController.h"
#include "app/screens/MainViewController.h"
#include "app/screens/ProjectExplorer.h"
#include "platform/capture/CaptureDevice.h"
#include "platform/capture/CaptureTypes.h"
#include "platform/media/AudioOutput.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/lists/CollectionView.h"
#include "support/AudioDevices.h"
#include "support/ScopedEnvironment.h"
#include "support/TouchDriver.h"

#include <filesystem>

namespace startuptest {
namespace {

class EditorFlowTest : public LaunchTest {
protected:
    void SetUp() override {
        LaunchTest::SetUp();
        media::AudioOutput::setShared(output);
        // An earlier test in this process may have chosen the backend from an
        // environment without the synthetic camera; choose again from ours.
        capture::setCaptureBackend(nullptr);
    }
    void TearDown() override {
        LaunchTest::TearDown();
        media::AudioOutput::setShared(nullptr);
        capture::setCaptureBackend(nullptr);
    }
    void tapView(ui::View* view) {
        ASSERT_NE(view, nullptr);
        delegate->window->layoutIfNeeded();
        testsupport::TouchDriver fingers(*delegate->window);
        fingers.tap(view->convertPointToView({view->bounds().midX(), view->bounds().midY()}, nullptr));
        foundation::RunLoop::main().runUntilIdle();
    }
    std::shared_ptr<testsupport::ClockedAudioOutput> output = std::make_shared<testsupport::ClockedAudioOutput>();
    testsupport::ScopedEnvironment camera{{capture::kCameraEnvironmentVariable, std::string("synthetic")}};
};

TEST_F(EditorFlowTest, NewProjectCapturedListedAndReopenedOnItsPlayhead) {
    launch();
    if (auto* pager = delegate->mainViewController->presentedViewController()) pager->dismissViewController(false);
    settle();
    MainViewController& root = *delegate->mainViewController;
    ASSERT_NE(root.viewExplorer(), nullptr);
    auto& grid = root.viewExplorer()->projectsCollectionView()->collectionView();
    tapView(grid.cellForItemAtIndexPath(ui::IndexPath::indexPathForItem(0, 0)).get());
    settle();

    FrameEditorViewController* editor = root.viewFrameEditor();
    ASSERT_NE(editor, nullptr);
    ProjectModelPtr project = editor->project();
    EXPECT_FALSE(project->getProjectPath().has_value());  // a new, empty project
    CaptureViewController* capture = editor->captureViewController();
    ASSERT_NE(capture, nullptr);
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return capture->captureSource() != nullptr; }, 30.0));
    auto list = project->getFrameList();
    for (int64_t taken = 1; taken <= 3; ++taken) {
        capture->actionPauseRecord();
        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return list->count() == taken + 1; }, 30.0))
            << "capture " << taken;
        settle();
    }
    ASSERT_TRUE(project->getProjectPath().has_value());
    for (const FramePtr& frame : *list) {
        if (frame->type() != Frame::kTypePicture) continue;
        EXPECT_TRUE(std::filesystem::exists(*project->pathForFile(KWImageProducer::frameFileName(frame->frameID()))));
    }
    savePicture("EditorFlow-three-captures.png");
    const FramePtr playhead = list->frameAtPlayhead();
    const int64_t playheadIndex = list->getIndexForFrame(playhead);
    ASSERT_NE(playheadIndex, foundation::kNotFound);

    tapView(editor->btnExplorer());
    settle();
    EXPECT_EQ(root.viewFrameEditor(), nullptr);
    ASSERT_NE(root.viewExplorer(), nullptr);
    ASSERT_GE(KWProjects::getInstance().getProjects().size(), 2u);
    EXPECT_EQ(KWProjects::getInstance().getProjects()[1]->getProjectPath(), project->getProjectPath());

    // The browser comes back with the project's card shown; its edit opens the editor again.
    KWProjectDetailViewController* card = root.viewExplorer()->projectDetailView();
    ASSERT_NE(card, nullptr);
    ASSERT_NE(card->editBtn(), nullptr);
    tapView(card->editBtn()->view());
    settle();
    FrameEditorViewController* reopened = root.viewFrameEditor();
    ASSERT_NE(reopened, nullptr);
    auto reopenedList = reopened->project()->getFrameList();
    ASSERT_NE(reopenedList, nullptr);
    EXPECT_EQ(reopenedList->count(), 4);
    const FramePtr shown = reopenedList->frameAtPlayhead();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->UID(), playhead->UID());
    EXPECT_EQ(reopened->previewViewController()->lastFrame(), shown);
    savePicture("EditorFlow-reopened.png");

    // Leaving finishes the capture screen: the watch is told it cannot capture.
    tapView(reopened->btnExplorer());
    settle();
    EXPECT_NE(root.viewExplorer(), nullptr);
    EXPECT_FALSE(KWWatchKitLocalStorage::sharedWatchKitLocalStorage().isReady());

    // Back in the browser nothing plays: no sound holds the device and no
    // timer wakes the idle process.
    EXPECT_GE(output->streamsOpened(), 3) << "the shutter was heard";
    EXPECT_EQ(output->openStreamCount(), 0u);
    for (const auto& timer : foundation::RunLoop::main().repeatingTimers())
        ADD_FAILURE() << "a timer repeats every " << timer->interval() << " s";
}

}  // namespace
}  // namespace startuptest
