#include "AudioProjectSupport.h"
#include "app/audio/KWAudioController.h"
#include "app/audio/KWAudioHelper.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioOutput.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

class KWAudioControllerTest : public ::testing::Test {
protected:
    void SetUp() override { media::AudioOutput::setShared(std::make_shared<media::NullAudioOutput>()); }
    void TearDown() override { media::AudioOutput::setShared(nullptr); }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
    foundation::RunLoop& loop = foundation::RunLoop::main();
};

TEST_F(KWAudioControllerTest, ClockFollowsThePreviewPlayersCallsOnTheRunLoopClock) {
    auto project = audiotest::projectWithFrames(5, 50);  // 10 s
    audiotest::attach(project, 0, {"0.25", 2.0}, 2000, 1.0f);
    KWAudioController controller(project);
    PreviewPlayerDelegate& clockOfPreview = controller;
    EXPECT_TRUE(controller.isPlayerUpdatedNeeded());
    EXPECT_EQ(controller.audioPlayer(), nullptr);

    clockOfPreview.setCurentTimeIndex(4000);
    clockOfPreview.play();
    loop.advance(1.0);
    EXPECT_EQ(clockOfPreview.getCurentTimeIndex(), 5000);
    EXPECT_FALSE(controller.isPlayerUpdatedNeeded());
    EXPECT_NEAR(controller.audioPlayer()->durationSeconds(), 10.0, 1e-9);

    // Stopped, time stands; a read starts it again.
    clockOfPreview.stop();
    loop.advance(1.0);
    EXPECT_EQ(clockOfPreview.getCurentTimeIndex(), 5000);
    loop.advance(1.0);
    EXPECT_EQ(clockOfPreview.getCurentTimeIndex(), 6000);

    // A seek on a paused player starts it once the seek completes.
    clockOfPreview.stop();
    clockOfPreview.setCurentTimeIndex(2000);
    EXPECT_EQ(controller.audioPlayer()->rate(), 0.0f);
    loop.runUntilIdle();
    EXPECT_EQ(controller.audioPlayer()->rate(), 1.0f);

    // At the end the player stops and the time stays there.
    clockOfPreview.setCurentTimeIndex(9500);
    loop.advance(3.0);
    EXPECT_EQ(clockOfPreview.getCurentTimeIndex(), 10000);
}

TEST_F(KWAudioControllerTest, RebuiltOnFirstUseAfterUpdateAudioPlayerButNotOnStop) {
    auto project = audiotest::projectWithFrames(5, 25);
    KWAudioController controller(project);
    controller.play();
    loop.advance(3.0);
    const media::PlayerPtr first = controller.audioPlayer();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(controller.getCurentTimeIndex(), 3000);

    // More frames, marked stale: stop keeps the old player.
    auto list = project->getFrameList();
    for (int i = 0; i < 25; ++i) list->insertFrame(Frame::create(Frame::kTypePicture), 0);
    controller.updateAudioPlayer();
    controller.stop();
    EXPECT_TRUE(controller.isPlayerUpdatedNeeded());
    EXPECT_EQ(controller.audioPlayer(), first);
    EXPECT_EQ(first->rate(), 0.0f);

    // The next read builds a new player over the new movie, at 0 and playing.
    EXPECT_EQ(controller.getCurentTimeIndex(), 0);
    EXPECT_NE(controller.audioPlayer(), first);
    EXPECT_NEAR(controller.audioPlayer()->durationSeconds(), 10.0, 1e-9);
    loop.advance(0.5);
    EXPECT_EQ(controller.getCurentTimeIndex(), 500);
    for (auto call :
         {+[](KWAudioController& c) { c.play(); }, +[](KWAudioController& c) { c.setCurentTimeIndex(100); }}) {
        const media::PlayerPtr before = controller.audioPlayer();
        controller.updateAudioPlayer();
        call(controller);
        EXPECT_NE(controller.audioPlayer(), before);
    }
}

TEST(KWAudioHelper, HoldCoversTheClipAtTheFrameRate) {
    struct Case {
        int64_t start;
        int64_t stop;
        int64_t fps;
        bool paused;
        bool hasClip;
        int64_t hold;
    };
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    const Case cases[] = {
        {0, 2050, 5, true, true, 11},    {0, 0, 5, true, true, 1},
        {0, 2050, 5, false, true, -1},   {0, 2050, 5, true, false, -1},
        {0, 1, 30, true, true, 1},       {500, 1500, 12, true, true, 12},
        {1500, 1000, 12, true, true, 1}, {-kMax, kMax, 30, true, true, std::numeric_limits<int32_t>::max()},
    };
    testsupport::TempAppFolders folders;
    for (const Case& c : cases) {
        auto project = audiotest::projectWithFrames(c.fps, 1);
        auto frame = project->getFrameList()->getFrameAtIndex(0);
        frame->setIsFramePausedForDurationOfAudio(c.paused);
        if (c.hasClip) {
            auto clip = std::make_shared<KWAudioClip>(std::string("clip"), std::string("clip.m4a"));
            clip->setStart(c.start);
            clip->setStop(c.stop);
            frame->setAudio(clip);
        }
        EXPECT_EQ(KWAudioHelper::calculateHoldForFrameBasedOnAudio(frame, project), c.hold)
            << c.start << ".." << c.stop << " at " << c.fps;
    }
}

}  // namespace
