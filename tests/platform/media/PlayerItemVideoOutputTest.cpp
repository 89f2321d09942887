// A player's video output on the virtual clock: item times for host times,
// each picture handed out once, and the notice that the pictures are about
// to change, one advance interval ahead.

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/Player.h"
#include "platform/media/PlayerItemVideoOutput.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/RunFolder.h"
#include "support/TestMovies.h"
#include "support/VirtualClock.h"

#include <QImage>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

using foundation::RunLoop;
using media::MediaTime;
using media::PlayerItemVideoOutput;

// Two seconds at two frames a second: frames start at 0, 0.5, 1 and 1.5.
const std::string& slowMovie() {
    static testsupport::RunFolder folder("tollivar-slow-movie");
    static const std::string path = folder.path() + "/slow.mp4";
    static const int made = testsupport::runProcess({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                                                     "color=c=gray:s=64x48:r=2:d=2", "-c:v", "libx264", "-pix_fmt",
                                                     "yuv420p", path})
                                .exitCode;
    EXPECT_EQ(made, 0);
    return path;
}

// Notes the clock at every notice.
struct Listener : media::PlayerItemOutputPullDelegate {
    std::vector<double> heard;
    void outputMediaDataWillChange(PlayerItemVideoOutput&) override { heard.push_back(RunLoop::main().now()); }
};

class PlayerItemVideoOutputTest : public ::testing::Test {
protected:
    void SetUp() override { media::AudioOutput::setShared(std::make_shared<media::NullAudioOutput>()); }
    void TearDown() override { media::AudioOutput::setShared(nullptr); }

    media::PlayerPtr open(const std::string& path) {
        auto player = media::Player::create(path);
        EXPECT_TRUE(player.ok()) << (player.ok() ? "" : player.error().description);
        return player.ok() ? *player : nullptr;
    }

    testsupport::VirtualClockScope clock{100};
};

int frameNumber(const media::PixelBuffer& pixels) {
    const QImage wrapped(pixels.bytes.data(), pixels.width, pixels.height, qsizetype(pixels.bytesPerRow),
                         QImage::Format_RGB32);
    return testsupport::frameNumberInPicture(graphics::Image(wrapped.copy()));
}

}  // namespace

TEST_F(PlayerItemVideoOutputTest, ItemTimesFollowThePlayersClock) {
    auto player = open(testsupport::testMovie(testsupport::TestMovie::FiveSeconds));
    ASSERT_TRUE(player);
    auto output = PlayerItemVideoOutput::create();
    EXPECT_FALSE(output->itemTimeForHostTime(100).isValid()) << "not added to a player";
    player->addOutput(output);
    const double now = RunLoop::main().now();
    struct Case {
        float rate;
        double seekTo, hostAhead, itemSeconds;
    };
    const Case cases[] = {
        {0, 1.0, 0.5, 1.0},  // paused: the same time whenever
        {1, 1.0, 0.5, 1.5},  {2, 1.0, 0.5, 2.0},  {-1, 1.0, 0.25, 0.75},
        {1, 4.8, 0.5, -1},  // not past the end (-1: the duration)
        {-2, 0.1, 0.5, 0.0},  // nor before the start
    };
    for (const Case& c : cases) {
        player->setRate(0);
        player->seekToTime(MediaTime::fromSeconds(c.seekTo, 600));
        player->setRate(c.rate);
        const double expected = c.itemSeconds < 0 ? player->durationSeconds() : c.itemSeconds;
        EXPECT_NEAR(output->itemTimeForHostTime(now + c.hostAhead).seconds(), expected, 1e-6) << c.rate;
    }
}

TEST_F(PlayerItemVideoOutputTest, HandsOutEachPictureOnceAsPlaybackReachesIt) {
    auto player = open(testsupport::testMovie(testsupport::TestMovie::HalfSecond));
    ASSERT_TRUE(player);
    auto output = PlayerItemVideoOutput::create();
    EXPECT_FALSE(output->hasNewPixelBufferForItemTime(MediaTime::zero()));
    EXPECT_FALSE(output->copyPixelBufferForItemTime(MediaTime::zero()));
    player->addOutput(output);
    player->setRate(1);
    // Asked at every refresh for the next refresh's time, as a display link does.
    int handedOut = 0;
    for (int refresh = 0; refresh < 40; ++refresh, RunLoop::main().advance(1.0 / 60)) {
        const MediaTime itemTime = output->itemTimeForHostTime(RunLoop::main().now() + 1.0 / 60);
        if (!output->hasNewPixelBufferForItemTime(itemTime)) continue;
        MediaTime displayTime;
        auto pixels = output->copyPixelBufferForItemTime(itemTime, &displayTime);
        ASSERT_TRUE(pixels);
        EXPECT_EQ(std::tuple(pixels->pixelFormat, pixels->width, frameNumber(*pixels)),
                  std::tuple(media::kPixelFormat32BGRA, 128, handedOut));
        EXPECT_NEAR(displayTime.seconds(), handedOut / 24.0, 1e-3);
        EXPECT_LE(displayTime.seconds(), itemTime.seconds() + 1e-6);
        EXPECT_GT(displayTime.seconds() + 1.0 / 24, itemTime.seconds());
        ++handedOut;
    }
    EXPECT_EQ(handedOut, 12) << "each of the half second's frames once";
    EXPECT_FALSE(output->hasNewPixelBufferForItemTime(output->itemTimeForHostTime(RunLoop::main().now())))
        << "the end holds the last picture, handed out already";
    player->removeOutput(output);
    EXPECT_TRUE(player->outputs().empty());
    EXPECT_FALSE(output->itemTimeForHostTime(RunLoop::main().now()).isValid());
}

TEST_F(PlayerItemVideoOutputTest, TellsTheAdvanceIntervalBeforeThePicturesChange) {
    auto player = open(slowMovie());
    ASSERT_TRUE(player);
    auto output = PlayerItemVideoOutput::create();
    auto listener = std::make_shared<Listener>();
    output->setDelegate(listener, foundation::DispatchQueue::main());
    player->addOutput(output);
    auto& loop = RunLoop::main();
    // Hands the picture shown out and asks for the next change's notice.
    auto ask = [&] {
        ASSERT_TRUE(output->copyPixelBufferForItemTime(player->currentTime()));
        output->requestNotificationOfMediaDataChangeWithAdvanceInterval(0.1);
    };

    output->requestNotificationOfMediaDataChangeWithAdvanceInterval(0.1);
    loop.runUntilIdle();
    ASSERT_EQ(listener->heard.size(), 1u) << "nothing handed out yet: at once";
    EXPECT_FALSE(output->hasPendingNotificationRequest());
    ask();
    loop.advance(1.0);
    EXPECT_EQ(listener->heard.size(), 1u) << "paused on the picture handed out";

    // Asked, then the rate set: the notice comes `seconds` later.
    auto expectNoticeAfter = [&](float rate, double seconds) {
        ask();
        const size_t before = listener->heard.size();
        const double start = loop.now();
        player->setRate(rate);
        loop.advance(seconds - 0.01);
        EXPECT_EQ(listener->heard.size(), before) << rate;
        loop.advance(0.02);
        ASSERT_EQ(listener->heard.size(), before + 1) << rate;
        EXPECT_NEAR(listener->heard.back() - start, seconds, 1e-3) << rate;
    };
    // Playing from 0, the next frame starts at 0.5: heard 0.1 before.
    expectNoticeAfter(1, 0.4);

    // A jump while paused changes the picture at once.
    player->setRate(0);
    ask();
    player->seekToTime(MediaTime::make(18, 10));
    loop.runUntilIdle();
    ASSERT_EQ(listener->heard.size(), 3u);

    // Backwards from 1.8 the frame of 1.5 gives way 0.3 s later: heard 0.1 before.
    expectNoticeAfter(-1, 0.2);

    // A removed output hears nothing.
    player->setRate(0);
    ask();
    player->removeOutput(output);
    player->seekToTime(MediaTime::zero());
    loop.advance(1.0);
    EXPECT_EQ(listener->heard.size(), 4u);
}
