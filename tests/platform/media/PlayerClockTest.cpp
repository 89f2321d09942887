// Timed playback: the clock, seeks, the end, and a device that comes and goes.

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/Player.h"
#include "platform/media/SystemVolume.h"
#include "support/TestSounds.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Frame i holds the sample i (both channels), so a read shows where it began.
class RampSource : public media::PcmSource {
public:
    explicit RampSource(int64_t frames) : frames_(frames) {}
    int sampleRate() const override { return 1000; }
    int channelCount() const override { return 2; }
    double durationSeconds() const override { return double(frames_) / 1000; }
    size_t read(int64_t startFrame, int16_t* interleaved, size_t frames) override {
        size_t filled = 0;
        for (int64_t f = startFrame; f < frames_ && filled < frames; ++f, ++filled)
            interleaved[2 * filled] = interleaved[2 * filled + 1] = int16_t(f);
        return filled;
    }

private:
    int64_t frames_;
};

// A device whose played frames the test sets.
struct FakeStream : media::AudioStream {
    struct State {
        int64_t played = 0;
        bool failed = false;
        bool started = false;
        media::PcmPull pull;
    };
    explicit FakeStream(std::shared_ptr<State> state) : state(std::move(state)) {}
    void start() override { state->started = true; }
    void pause() override { state->started = false; }
    int64_t framesPlayed() const override { return state->played; }
    bool failed() const override { return state->failed; }
    std::shared_ptr<State> state;
};

struct FakeDeviceOutput : media::NullAudioOutput {
    std::unique_ptr<media::AudioStream> openDeviceStream(int, int, media::PcmPull pull) override {
        last = std::make_shared<FakeStream::State>();
        last->pull = std::move(pull);
        ++opened;
        return std::make_unique<FakeStream>(last);
    }
    std::shared_ptr<FakeStream::State> last;
    int opened = 0;
};

class PlayerClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        media::AudioOutput::setShared(output);
        media::SystemVolume::shared().setVolume(1.0f);
    }
    void TearDown() override {
        media::AudioOutput::setShared(nullptr);
        media::SystemVolume::shared().resetForTesting();
    }
    static double ms(const media::PlayerPtr& player) { return player->currentTimeSeconds() * 1000; }

    testsupport::VirtualClockScope clock;
    std::shared_ptr<media::NullAudioOutput> output = std::make_shared<media::NullAudioOutput>();
};

TEST_F(PlayerClockTest, WithoutADeviceTheRunLoopClocksPlaybackUntilTheEnd) {
    auto player = media::Player::create(std::make_shared<RampSource>(10'000));
    int ends = 0;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        media::Player::kDidPlayToEndTimeNotification, player.get(), [&ends](const auto&) { ++ends; });
    std::vector<bool> seeks;
    player->seekToTime(media::MediaTime::make(4000, 1000), [&seeks](bool finished) { seeks.push_back(finished); });
    EXPECT_TRUE(seeks.empty()) << "a seek completes on the run loop, not inside the call";
    EXPECT_DOUBLE_EQ(ms(player), 4000);
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(seeks, std::vector<bool>{true});

    struct Step {
        double advance;
        float rate;  // set after advancing; -1 leaves it
        double expectedMs;
    };
    const Step steps[] = {
        {1.0, -1, 4000},  // paused: time stands
        {0.0, 1, 4000},  {1.0, -1, 5000},  {0.5, 0, 5500},
        {2.0, -1, 5500}, {0.0, 2, 5500},   {1.0, -1, 7500},  // double rate
        {0.0, 1, 7500},  {5.0, -1, 10000},                   // the end holds
    };
    for (const auto& step : steps) {
        foundation::RunLoop::main().advance(step.advance);
        if (step.rate >= 0) player->setRate(step.rate);
        EXPECT_NEAR(ms(player), step.expectedMs, 1e-6) << step.advance << " " << step.rate;
    }
    EXPECT_EQ(player->rate(), 0.0f);
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(player->isClockedByDevice());
}

TEST_F(PlayerClockTest, ANewerSeekOvertakesAnOlderOneAndTimesStayWithinTheSound) {
    auto player = media::Player::create(std::make_shared<RampSource>(3000));
    std::vector<std::pair<int, bool>> completions;
    const struct {
        int64_t ms;
        double expected;
    } seeks[] = {{1000, 1000}, {-500, 0}, {9000, 3000}};
    for (int i = 0; i < 3; ++i) {
        player->seekToTime(media::MediaTime::make(seeks[i].ms, 1000),
                           [&completions, i](bool finished) { completions.emplace_back(i, finished); });
        EXPECT_DOUBLE_EQ(ms(player), seeks[i].expected);
    }
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_EQ(completions, (std::vector<std::pair<int, bool>>{{0, false}, {1, false}, {2, true}}));
}

TEST_F(PlayerClockTest, ADeviceClocksByPlayedFramesAndALostOneHandsOverToTheRunLoop) {
    auto device = std::make_shared<FakeDeviceOutput>();
    media::AudioOutput::setShared(device);
    auto player = media::Player::create(std::make_shared<RampSource>(10'000));
    player->seekToTime(media::MediaTime::make(2000, 1000));
    player->setRate(1);
    ASSERT_TRUE(device->last && device->last->started);
    EXPECT_TRUE(player->isClockedByDevice());

    // The device pulls from the seek's place, scaled by the player's volume.
    player->setVolume(0.5f);
    int16_t samples[8] = {};
    EXPECT_EQ(device->last->pull(samples, 4), 4u);
    EXPECT_EQ(samples[0], 1000);  // frame 2000 at half volume
    EXPECT_EQ(samples[7], 1002);

    foundation::RunLoop::main().advance(1.0);  // the run loop's time does not count
    EXPECT_DOUBLE_EQ(ms(player), 2000);
    device->last->played = 300;
    EXPECT_DOUBLE_EQ(ms(player), 2300);

    device->last->played = 500;
    device->last->failed = true;
    EXPECT_DOUBLE_EQ(ms(player), 2500);
    EXPECT_FALSE(player->isClockedByDevice());
    foundation::RunLoop::main().advance(0.25);
    EXPECT_DOUBLE_EQ(ms(player), 2750);

    // A seek while playing opens a fresh stream reading from the new place.
    player->seekToTime(media::MediaTime::make(100, 1000));
    EXPECT_EQ(device->opened, 2);
    EXPECT_EQ(device->last->pull(samples, 1), 1u);
    EXPECT_EQ(samples[0], 50);
}

TEST_F(PlayerClockTest, AFilePlayerDecodesForTheDeviceFromWhereItWasSought) {
    auto device = std::make_shared<FakeDeviceOutput>();
    media::AudioOutput::setShared(device);
    // Left 0.25, right -0.5 for the first second, then silence.
    auto player = media::Player::create(testsupport::testSound({"0.25*lt(t,1)|-0.5*lt(t,1)", 2.0}));
    ASSERT_TRUE(player.ok());
    EXPECT_NEAR((*player)->durationSeconds(), 2.0, 0.01);
    struct Case {
        int64_t seekMs;
        int16_t left, right;
    };
    const Case cases[] = {{0, 8192, -16384}, {500, 8192, -16384}, {1500, 0, 0}, {100, 8192, -16384}};
    for (const auto& c : cases) {
        (*player)->seekToTime(media::MediaTime::make(c.seekMs, 1000));
        (*player)->setRate(1);
        ASSERT_TRUE(device->last);
        int16_t samples[2 * 64] = {};
        EXPECT_EQ(device->last->pull(samples, 64), 64u) << c.seekMs;
        EXPECT_NEAR(samples[126], c.left, 1) << c.seekMs;
        EXPECT_NEAR(samples[127], c.right, 1) << c.seekMs;
        (*player)->setRate(0);
    }
}

}  // namespace
