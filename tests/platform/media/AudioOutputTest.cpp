// Interface sounds open a stream on the device only while they play, and the
// output counts every stream it has open.

#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/Player.h"
#include "support/AudioDevices.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using foundation::RunLoop;

std::string sound(const char* name) { return std::string(TOLLIVAR_SOURCE_DIR) + "/resources/sounds/" + name; }

// The decoded length, as the output plays it.
double decodedSeconds(const char* name) {
    testsupport::ClockedAudioOutput probe;
    probe.play(sound(name), 0, 1.0f);
    double seconds = 0;
    while (probe.isPlaying(sound(name))) {
        RunLoop::main().advance(0.001);
        seconds += 0.001;
    }
    return seconds;
}

TEST(InterfaceSounds, AStreamClosesOnceTheDeviceHasPlayedItsSoundAndAStalledOneAfterAGrace) {
    testsupport::VirtualClockScope clock;
    const double length = decodedSeconds("camera3.wav");
    ASSERT_GT(length, 0.05);
    const double grace = media::AudioOutput::kPlayOutGraceSeconds;
    struct Case {
        const char* what;
        double speed;
        double latencySeconds;
        double closesAt;
    };
    const Case cases[] = {
        {"a device at speed", 1.0, 0, length},
        {"a device heard 0.3 s after it takes the samples", 1.0, 0.3, length + 0.3},
        {"a device that plays at half speed", 0.5, 0, 2 * length},
        {"a device that never plays", 0.0, 0, length + grace},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::VirtualClockScope fresh;
        testsupport::ClockedAudioOutput output;
        output.setSpeed(c.speed);
        output.setLatencySeconds(c.latencySeconds);
        ASSERT_TRUE(output.play(sound("camera3.wav"), length, 1.0f));
        EXPECT_EQ(output.openStreamCount(), 1u);
        RunLoop::main().advance(c.closesAt - 0.01);
        EXPECT_EQ(output.openStreamCount(), 1u);
        RunLoop::main().advance(0.04);
        EXPECT_EQ(output.openStreamCount(), 0u);
        EXPECT_FALSE(output.isPlaying(sound("camera3.wav")));
        EXPECT_EQ(RunLoop::main().scheduledTimerCount(), 0u) << "nothing keeps looking";
    }
}

TEST(InterfaceSounds, OneStreamPerSoundPlayingStopClosesItAndPlayersCountToo) {
    testsupport::VirtualClockScope clock;
    auto output = std::make_shared<testsupport::ClockedAudioOutput>();
    media::AudioOutput::setShared(output);
    const std::string shutter = sound("camera3.wav"), beep = sound("beep.aiff");
    ASSERT_TRUE(output->play(shutter, 0, 1.0f));
    RunLoop::main().advance(0.05);
    ASSERT_TRUE(output->play(shutter, 0, 1.0f));  // starts over on a fresh stream
    ASSERT_TRUE(output->play(beep, 0, 0.5f));
    EXPECT_EQ(output->streamsOpened(), 3);
    EXPECT_EQ(output->openStreamCount(), 2u);
    EXPECT_TRUE(output->isPlaying(shutter));
    output->stop(shutter);
    EXPECT_FALSE(output->isPlaying(shutter));
    EXPECT_EQ(output->openStreamCount(), 1u);
    EXPECT_FALSE(output->play(sound("missing.wav"), 0, 1.0f));
    EXPECT_EQ(output->openStreamCount(), 1u);

    // A timed player holds a stream while it plays at the plain rate only.
    auto player = media::Player::create(shutter);
    ASSERT_TRUE(player.ok());
    (*player)->setRate(1);
    EXPECT_EQ(output->openStreamCount(), 2u);
    (*player)->setRate(0);
    EXPECT_EQ(output->openStreamCount(), 1u);
    (*player)->setRate(1);
    RunLoop::main().advance(5);
    EXPECT_EQ((*player)->rate(), 0.0f) << "played to its end";
    EXPECT_EQ(output->openStreamCount(), 0u);
    EXPECT_TRUE(RunLoop::main().repeatingTimers().empty());
    media::AudioOutput::setShared(nullptr);
}

}  // namespace
