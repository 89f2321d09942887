#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/Player.h"
#include "platform/media/SystemVolume.h"
#include "support/Pictures.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string sound(const char* name) { return std::string(TOLLIVAR_SOURCE_DIR) + "/resources/sounds/" + name; }

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override { media::AudioOutput::setShared(output); }
    void TearDown() override { media::AudioOutput::setShared(nullptr); }

    testsupport::VirtualClockScope clock;
    std::shared_ptr<media::NullAudioOutput> output = std::make_shared<media::NullAudioOutput>();
};

TEST_F(PlayerTest, OpensSoundFilesAndRefusesWhatIsNoSound) {
    struct Case {
        std::string path;
        bool opens;
    };
    const Case cases[] = {
        {sound("camera3.wav"), true},
        {sound("beep.aiff"), true},
        {sound("missing.wav"), false},
        {testsupport::writeTestFile("not-a-sound.wav", foundation::Bytes{'R', 'I', 'F', 'F', 0, 0}), false},
    };
    for (const auto& c : cases) {
        auto player = media::Player::create(c.path);
        EXPECT_EQ(player.ok(), c.opens) << c.path;
        if (player.ok()) {
            EXPECT_TRUE((*player)->prepareToPlay());
            EXPECT_GT((*player)->durationSeconds(), 0.05);
            EXPECT_LT((*player)->durationSeconds(), 1.0);
        }
    }
}

TEST_F(PlayerTest, NullOutputCountsPlaysAndPlaysForTheSoundsLength) {
    auto beep = media::Player::create(sound("beep.aiff"));
    ASSERT_TRUE(beep.ok());
    const double length = (*beep)->durationSeconds();
    EXPECT_FALSE((*beep)->isPlaying());
    EXPECT_TRUE((*beep)->play());
    EXPECT_TRUE((*beep)->isPlaying());
    foundation::RunLoop::main().advance(length + 0.01);
    EXPECT_FALSE((*beep)->isPlaying());

    (*beep)->play();
    (*beep)->stop();
    EXPECT_FALSE((*beep)->isPlaying());
    EXPECT_EQ(output->plays("beep.aiff"), 2);
    EXPECT_EQ(output->stops("beep.aiff"), 1);
    EXPECT_EQ(output->plays("camera3.wav"), 0);
    EXPECT_EQ(output->totalPlays(), 2);
}

TEST(SystemVolume, EveryChangePostsTheNewVolumeAndStaysWithinRange) {
    auto& volume = media::SystemVolume::shared();
    volume.resetForTesting();
    std::vector<double> posted;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        media::SystemVolume::kDidChangeNotification, nullptr, [&posted](const foundation::Notification& n) {
            posted.push_back(n.userInfo.get(media::SystemVolume::kVolumeParameterKey).asDouble(-1));
        });
    volume.stepVolume(1);
    volume.setVolume(0.9375f);
    volume.stepVolume(2);  // at the top it stays, but the key is still heard
    volume.setVolume(-3.0f);
    volume.stepVolume(-1);
    EXPECT_EQ(posted, (std::vector<double>{0.5625, 0.9375, 1.0, 0.0, 0.0}));
    EXPECT_EQ(volume.volume(), 0.0f);
    volume.resetForTesting();
}

}  // namespace
