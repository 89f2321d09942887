// A movie's pictures on the player's clock: rates forwards and backwards,
// seeks with and without tolerance, and periodic time observers.

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/Player.h"
#include "support/Pictures.h"
#include "support/TestMovies.h"
#include "support/VirtualClock.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

using media::MediaTime;
using testsupport::TestMovie;

constexpr double kFrame = 1.0 / testsupport::kTestMovieFrameRate;

class PlayerVideoTest : public ::testing::Test {
protected:
    void SetUp() override { media::AudioOutput::setShared(std::make_shared<media::NullAudioOutput>()); }
    void TearDown() override { media::AudioOutput::setShared(nullptr); }

    media::PlayerPtr open(TestMovie movie) {
        auto player = media::Player::create(testsupport::testMovie(movie));
        EXPECT_TRUE(player.ok()) << (player.ok() ? "" : player.error().description);
        return player.ok() ? *player : nullptr;
    }
    static int shownFrame(media::Player& player) {
        auto image = player.currentVideoImage();
        if (!image) return -1;
        return testsupport::frameNumberInPicture(*image);
    }

    testsupport::VirtualClockScope clock;
};

TEST_F(PlayerVideoTest, PicturesFollowTheClockAtEveryRate) {
    auto player = open(TestMovie::FiveSeconds);
    ASSERT_TRUE(player);
    ASSERT_TRUE(player->hasVideo());
    EXPECT_EQ(player->presentationSize(), (graphics::Size{128, 72}));
    EXPECT_EQ(shownFrame(*player), 0);

    struct Step {
        const char* what;
        double seekTo;  // < 0: no seek
        float rate;
        double advance;
        double expectedSeconds;
        int expectedFrame;
    };
    const Step steps[] = {
        {"paused at the start", -1, 0, 1.0, 0.0, 0},
        {"plain play", -1, 1, 1.0, 1.0, 24},
        {"a time inside a frame shows that frame", -1, 1, 0.03, 1.03, 24},
        {"fast forward", 1.0, 3, 1.0, 4.0, 96},
        {"backwards twice as fast, inside the run", -1, -2, 1.0, 2.0, 48},
        {"backwards before the decoded run", 4.5, -2, 2.0, 0.5, 12},
        {"a seek while paused", 3.0 + kFrame / 2, 0, 0.0, 3.0 + kFrame / 2, 72},
    };
    for (const Step& step : steps) {
        if (step.seekTo >= 0) player->seekToTime(MediaTime::fromSeconds(step.seekTo, 1'000'000));
        player->setRate(step.rate);
        foundation::RunLoop::main().advance(step.advance);
        EXPECT_NEAR(player->currentTimeSeconds(), step.expectedSeconds, 1e-6) << step.what;
        EXPECT_EQ(shownFrame(*player), step.expectedFrame) << step.what;
    }
}

TEST_F(PlayerVideoTest, BackwardsPlayStopsAtTheStartWithoutAnnouncingTheEnd) {
    auto player = open(TestMovie::HalfSecond);
    ASSERT_TRUE(player);
    int ends = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        media::Player::kDidPlayToEndTimeNotification, player.get(), [&ends](const auto&) { ++ends; });
    player->seekToTime(MediaTime::fromSeconds(0.4, 1000));
    player->setRate(-2);
    foundation::RunLoop::main().advance(1.0);
    EXPECT_EQ(player->rate(), 0.0f);
    EXPECT_DOUBLE_EQ(player->currentTimeSeconds(), 0.0);
    EXPECT_EQ(shownFrame(*player), 0);
    EXPECT_EQ(ends, 0);

    // Forwards the end is announced once.
    player->setRate(3);
    foundation::RunLoop::main().advance(1.0);
    EXPECT_EQ(player->rate(), 0.0f);
    EXPECT_DOUBLE_EQ(player->currentTimeSeconds(), player->durationSeconds());
    EXPECT_EQ(ends, 1);
    foundation::NotificationCenter::defaultCenter().removeObserver(token);
}

TEST_F(PlayerVideoTest, ATolerantSeekLandsOnWhatIsAlreadyDecodedOrOnAKeyframe) {
    auto player = open(TestMovie::FiveSeconds);
    ASSERT_TRUE(player);
    player->seekToTime(MediaTime::fromSeconds(2.0, 1000));
    ASSERT_EQ(shownFrame(*player), 48);
    struct Case {
        const char* what;
        double target, before, after;
        double expectedSeconds;
    };
    const Case cases[] = {
        {"no tolerance: exactly", 2.03, 0, 0, 2.03},
        {"the shown frame is near enough", 2.01, 0.05, 0.05, 2.0},
        {"too far from the shown frame: exactly", 3.5, 0.05, 0.05, 3.5},
        {"a wide tolerance before takes the keyframe before (-1: any frame start within it)", 1.0, 1.0, 0.5, -1},
    };
    for (const Case& c : cases) {
        player->seekToTime(MediaTime::fromSeconds(2.0, 1000));
        player->seekToTime(MediaTime::fromSeconds(c.target, 1'000'000), MediaTime::fromSeconds(c.before, 1'000'000),
                           MediaTime::fromSeconds(c.after, 1'000'000));
        const double landed = player->currentTimeSeconds();
        if (c.expectedSeconds >= 0) {
            EXPECT_NEAR(landed, c.expectedSeconds, 1e-6) << c.what;
            continue;
        }
        EXPECT_GE(landed, c.target - c.before) << c.what;
        EXPECT_LT(landed, c.target) << c.what;
        const double frames = landed / kFrame;
        EXPECT_NEAR(frames, std::round(frames), 1e-3) << c.what << ": not on a frame's start";
        EXPECT_EQ(shownFrame(*player), int(std::round(frames))) << c.what;
    }
}

TEST_F(PlayerVideoTest, PeriodicObserversReportWhilePlayingAndOnceAfterAJump) {
    auto player = open(TestMovie::FiveSeconds);
    ASSERT_TRUE(player);
    std::vector<double> reported;
    auto token = player->addPeriodicTimeObserver(0.1, [&reported](MediaTime t) { reported.push_back(t.seconds()); });
    EXPECT_EQ(player->timeObserverCount(), 1u);

    foundation::RunLoop::main().advance(1.0);
    EXPECT_EQ(reported, std::vector<double>{0.0}) << "paused: the first look only";

    reported.clear();
    player->setRate(1);
    foundation::RunLoop::main().advance(0.55);
    ASSERT_EQ(reported.size(), 5u);
    for (size_t i = 0; i < reported.size(); ++i) EXPECT_NEAR(reported[i], 0.1 * double(i + 1), 1e-6);

    reported.clear();
    player->setRate(0);
    player->seekToTime(MediaTime::fromSeconds(3.0, 1000));
    foundation::RunLoop::main().advance(1.0);
    EXPECT_EQ(reported, std::vector<double>{3.0}) << "a jump while paused is reported once";
    EXPECT_TRUE(foundation::RunLoop::main().repeatingTimers().empty()) << "a paused player keeps no timer running";
    player->setRate(1);
    EXPECT_EQ(foundation::RunLoop::main().repeatingTimers().size(), 1u);
    foundation::RunLoop::main().advance(5.0);  // to the end
    EXPECT_TRUE(foundation::RunLoop::main().repeatingTimers().empty()) << "nor one that played to its end";

    reported.clear();
    player->removeTimeObserver(token);
    player->removeTimeObserver(token);  // twice changes nothing
    player->setRate(1);
    foundation::RunLoop::main().advance(1.0);
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(player->timeObserverCount(), 0u);

    // A player that goes away takes its observers' timers with it.
    player->addPeriodicTimeObserver(0.1, [&reported](MediaTime t) { reported.push_back(t.seconds()); });
    player.reset();
    foundation::RunLoop::main().advance(1.0);
    EXPECT_TRUE(reported.empty());
}

TEST_F(PlayerVideoTest, WithoutAVideoTrackThereIsNoPicture) {
    auto sound = media::Player::create(std::shared_ptr<media::PcmSource>());
    EXPECT_FALSE(sound->hasVideo());
    EXPECT_EQ(sound->presentationSize(), graphics::Size());
    EXPECT_FALSE(sound->currentVideoImage());
    EXPECT_FALSE(media::Player::create(testsupport::testMovie(TestMovie::NotAVideo)).ok());
}

}  // namespace
