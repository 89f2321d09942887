#include "EditorTestSupport.h"
#include "EditorViewsSupport.h"
#include "app/audio/KWAudioController.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/KWTimelineViewController.h"
#include "app/editor/PreviewPlayer.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioOutput.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/host/Device.h"
#include "support/Pictures.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

namespace {

namespace en = editornotifications;

class TimelinePlayerTest : public testsupport::WindowFixture {
protected:
    // Shows a timeline for the project across the bottom of the window.
    KWTimelineViewController& show(const ProjectModelPtr& project) {
        timeline = std::make_shared<KWTimelineViewController>(project);
        ui::View* root = timeline->view();
        const double height = root->frame().height();
        root->setFrame({0, window->bounds().height() - height, window->bounds().width(), height});
        window->addSubview(timeline->viewPtr());
        timeline->viewWillAppear(false);
        foundation::RunLoop::main().runUntilIdle();
        return *timeline;
    }
    int64_t lastIndex() const {
        return playheads.count() == 0 ? -1 : playheads.last().userInfo.get(en::kExpandedIndexKey).asInt();
    }
    FramePtr lastFrame() const { return playheads.count() == 0 ? nullptr : en::frameIn(playheads.last().userInfo); }

    testsupport::TempAppFolders folders;
    viewstest::Recorder playheads{en::kDidMovePlayhead};
    std::shared_ptr<KWTimelineViewController> timeline;
};

TEST_F(TimelinePlayerTest, FilmPicturesFollowTheSampledEntries) {
    auto project = viewstest::projectOfPictures(3);
    auto& shown = show(project);
    ASSERT_EQ(shown.imageViews().size(), 15u);
    const int expected[] = {0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, -1, -1};
    for (size_t k = 0; k < 15; ++k) {
        const graphics::Image& picture = shown.imageViews()[k]->image();
        if (expected[k] < 0)
            EXPECT_TRUE(picture.isNull()) << k;
        else
            EXPECT_TRUE(viewstest::showsColour(picture, viewstest::colourOf(expected[k]))) << k;
    }
    EXPECT_EQ(shown.viewClipScroller()->contentSize().width, window->bounds().width() + 660);
    EXPECT_EQ(shown.viewClip()->frame().origin.x, window->bounds().width() / 2);
}

TEST_F(TimelinePlayerTest, PicturesOfBothIdioms) {
    for (bool phone : {false, true}) {
        ui::Device::current().setUserInterfaceIdiom(phone ? ui::UserInterfaceIdiom::Phone
                                                          : ui::UserInterfaceIdiom::Pad);
        window->setFrame(phone ? graphics::Rect(0, 0, 568, 320) : graphics::Rect(0, 0, 1024, 768));
        auto project = viewstest::projectOfPictures(10);
        auto& shown = show(project);
        EXPECT_EQ(shown.view()->frame().height(), phone ? 110 : 115);
        shown.scrollToTimeIndex(1000, false);
        EXPECT_EQ(shown.labelFrameNumber()->text(), "00:01");
        savePicture(phone ? "timeline_phone.png" : "timeline_tablet.png");
        shown.view()->removeFromSuperview();
    }
    ui::Device::current().resetForTesting();
}

TEST_F(TimelinePlayerTest, TimeAndFrameScrollsMoveThePlayhead) {
    auto project = viewstest::projectOfPictures(10);
    auto list = project->getFrameList();
    auto& shown = show(project);
    playheads.clear();
    shown.scrollToTimeIndex(1000, false);
    EXPECT_DOUBLE_EQ(shown.viewClipScroller()->contentOffset().x, 330.0);
    EXPECT_EQ(lastIndex(), 5);
    EXPECT_EQ(playheads.last().userInfo.get(en::kExpandedTotalFramesKey).asInt(), 10);
    EXPECT_EQ(lastFrame(), list->getFrameAtIndex(5));
    EXPECT_EQ(list->frameAtPlayhead(), list->getFrameAtIndex(5));
    EXPECT_EQ(playheads.last().object, &shown);
    EXPECT_EQ(shown.labelFrameNumber()->text(), "00:01");
    EXPECT_LIST_INVARIANTS(project);

    // The capture slot stands for the frame before it; a held frame is
    // reached at its first position and counts each repetition.
    list->getFrameAtIndex(2)->setDuration(4);
    shown.viewWillAppear(false);
    shown.scrollToFrame(list->getFrameAtIndex(3), false);
    EXPECT_EQ(lastIndex(), 6);
    EXPECT_EQ(playheads.last().userInfo.get(en::kExpandedTotalFramesKey).asInt(), 13);
    shown.scrollToFrame(list->getFrameAtIndex(list->getCaptureIndex()), false);
    EXPECT_EQ(lastFrame(), list->getFrameAtIndex(9));
    EXPECT_EQ(lastIndex(), 12);
    EXPECT_LIST_INVARIANTS(project);
    // A frame not in the film and an index past it change nothing.
    const size_t posted = playheads.count();
    shown.scrollToFrame(Frame::create(Frame::kTypePicture), false);
    shown.updatePlayhead(13);
    shown.updatePlayhead(-1);
    EXPECT_EQ(playheads.count(), posted);
}

TEST_F(TimelinePlayerTest, EveryEntryOfAThousandEntryFilmIsReachable) {
    auto project = viewstest::projectOfBareFrames(1000);
    auto list = project->getFrameList();
    auto& shown = show(project);
    std::vector<int64_t> missed;
    shown.scrollToTimeIndex(500 * 200, false);  // away from 0, so that entry 0 is a move too
    for (int64_t i = 0; i < 1000; ++i) {
        shown.scrollToTimeIndex(i * 200, false);  // 5 fps
        if (lastIndex() != i || list->frameAtPlayhead() != list->getFrameAtIndex(i)) missed.push_back(i);
    }
    EXPECT_EQ(missed, std::vector<int64_t>{});
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(TimelinePlayerTest, EmptyFilmScrollsNothingAndPostsNothing) {
    auto project = ProjectModel::create();  // the capture slot alone
    auto& shown = show(project);
    playheads.clear();
    shown.scrollToTimeIndex(1000, false);
    shown.scrollToFrame(project->getFrameList()->getFrameAtIndex(0), false);
    EXPECT_EQ(playheads.count(), 0u);
    for (const auto& picture : shown.imageViews()) EXPECT_TRUE(picture->image().isNull());

    viewstest::Recorder starts(en::kDidStartPlaying), stops(en::kDidStopPlaying);
    viewstest::ScriptedClock clock;
    PreviewPlayer player(project, timeline);
    player.setTimerController(&clock);
    player.play();
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(starts.count(), 1u);
    advance(1.0);
    EXPECT_EQ(clock.reads, 0);  // the chain ended at once
    player.stop();
    EXPECT_EQ(stops.count(), 1u);
    EXPECT_EQ(playheads.count(), 0u);
}

TEST_F(TimelinePlayerTest, PlayerFollowsTheClockLoopsAndStartsOnce) {
    auto project = viewstest::projectOfPictures(10);
    auto list = project->getFrameList();
    list->getFrameAtIndex(3)->setDuration(3);  // entries 3, 4, 5
    list->setFrameAtPlayhead(list->getFrameAtIndex(3));
    show(project);
    viewstest::Recorder starts(en::kDidStartPlaying), stops(en::kDidStopPlaying);
    viewstest::ScriptedClock clock;
    PreviewPlayer player(project, timeline);
    player.setTimerController(&clock);
    EXPECT_TRUE(player.isLoopPlayback());
    EXPECT_FALSE(player.isPlaying());

    player.play();
    EXPECT_EQ(clock.seeks, std::vector<int64_t>{600});  // the first of the held frame's positions
    EXPECT_EQ(clock.plays, 1);
    EXPECT_EQ(player.duration(), 2400);
    EXPECT_EQ(lastIndex(), 3);
    // A second play changes nothing.
    player.play();
    EXPECT_EQ(starts.count(), 1u);
    EXPECT_EQ(clock.seeks.size(), 1u);

    clock.time = 1400;
    advance(0.03);
    EXPECT_EQ(lastIndex(), 7);
    // The end with loop on: clock and timeline back to 0, ticks go on.
    clock.time = 2400;
    advance(0.03);
    EXPECT_EQ(clock.seeks.back(), 0);
    EXPECT_EQ(lastIndex(), 0);
    EXPECT_EQ(list->frameAtPlayhead(), list->getFrameAtIndex(0));
    EXPECT_LIST_INVARIANTS(project);
    // Loop off: the last position stays and nothing stops by itself.
    player.setIsLoopPlayback(false);
    clock.time = 2200;
    advance(0.03);
    clock.time = 5000;
    advance(1.0);
    EXPECT_EQ(lastIndex(), 11);
    EXPECT_EQ(stops.count(), 0u);
    EXPECT_TRUE(player.isPlaying());

    // One tick chain per start: a stop and play within one tick period.
    player.stop();
    EXPECT_EQ(stops.count(), 1u);
    EXPECT_EQ(clock.stops, 1);
    player.stop();
    EXPECT_EQ(stops.count(), 1u);
    player.play();
    const int before = clock.reads;
    advance(1.0);
    EXPECT_NEAR(clock.reads - before, 50, 1);
    // Changes to the list wait for the next start.
    list->getFrameAtIndex(0)->setDuration(10);
    advance(0.1);
    EXPECT_EQ(player.duration(), 2400);
    player.stop();
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(TimelinePlayerTest, AStartOutsideTheFilmPlaysFromTheBeginning) {
    auto project = viewstest::projectOfPictures(4);
    auto list = project->getFrameList();
    show(project);
    viewstest::ScriptedClock clock;
    PreviewPlayer player(project, timeline);
    player.setTimerController(&clock);
    list->setFrameAtPlayhead(list->getFrameAtIndex(list->getCaptureIndex()));
    player.play();
    EXPECT_EQ(clock.seeks, std::vector<int64_t>{0});
    player.stop();
    player.playFrom(99, -1);
    EXPECT_EQ(clock.seeks.back(), 0);
    player.stop();
    player.playFrom(2, -1);
    EXPECT_EQ(clock.seeks.back(), 400);
    player.stop();
}

TEST_F(TimelinePlayerTest, AudioControllerIsTheClockOnTheVirtualLoop) {
    media::AudioOutput::setShared(std::make_shared<media::NullAudioOutput>());
    auto project = viewstest::projectOfPictures(10);
    auto list = project->getFrameList();
    show(project);
    KWAudioController audio(project);
    PreviewPlayer player(project, timeline);
    player.setTimerController(&audio);
    player.play();
    advance(1.0);
    EXPECT_EQ(lastIndex(), 5);
    EXPECT_EQ(list->frameAtPlayhead(), list->getFrameAtIndex(5));
    EXPECT_LIST_INVARIANTS(project);
    advance(1.1);  // 2.1 s of a 2 s movie: looped
    EXPECT_LE(lastIndex(), 1);
    player.stop();
    media::AudioOutput::setShared(nullptr);
}

}  // namespace
