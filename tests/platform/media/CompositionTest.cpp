#include "platform/media/AudioMix.h"
#include "platform/media/Composition.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using media::MediaTime;
using media::TimeRange;

MediaTime ms(int64_t value) { return MediaTime::make(value, 1000); }
TimeRange range(int64_t start, int64_t duration) { return TimeRange::make(ms(start), ms(duration)); }

media::Asset tenSecondTone() {
    auto asset = media::Asset::open(testsupport::testSound({"0.1", 10.0}));
    EXPECT_TRUE(asset.ok());
    return *asset;
}

// Segments as (source start, target start, target duration) in ms, empty ones with source -1.
std::vector<std::vector<int64_t>> layout(const media::CompositionTrack& track) {
    std::vector<std::vector<int64_t>> result;
    for (const auto& segment : track.segments())
        result.push_back({segment.isEmpty() ? -1 : segment.sourceStart.convertScale(1000).value,
                          segment.target.start.convertScale(1000).value,
                          segment.target.duration.convertScale(1000).value});
    return result;
}

TEST(MediaTimeArithmetic, SumsDifferencesAndFrames) {
    EXPECT_EQ(ms(4000) + ms(3000), ms(7000));
    EXPECT_EQ((ms(583) - ms(83)).value, 500);
    // Mixed timescales meet in the finer one.
    EXPECT_EQ(ms(1500) + MediaTime::make(1, 44100), MediaTime::make(66151, 44100));
    EXPECT_FALSE((ms(1) + MediaTime::invalid()).isValid());
    EXPECT_FALSE((ms(1) + MediaTime::positiveInfinity()).isValid());
    struct Case {
        MediaTime time;
        int64_t frames;
    };
    const Case cases[] = {{ms(583), 25710},
                          {ms(5000), 220500},
                          {ms(1), 44},
                          {ms(0), 0},
                          {ms(-1), -45},
                          {MediaTime::make(1, 3), 14700},
                          {MediaTime::invalid(), 0}};
    for (const auto& c : cases) EXPECT_EQ(c.time.framesAtRate(44100), c.frames) << c.time.value;
    EXPECT_TRUE(range(5, 0).isValid());
    EXPECT_FALSE(range(5, -1).isValid());
    EXPECT_FALSE(TimeRange::make(MediaTime::invalid(), ms(1)).isValid());
}

TEST(Composition, InsertionsMoveWhatFollowsAndSplitWhatTheyCut) {
    media::Asset asset = tenSecondTone();
    const media::AssetTrack source = asset.tracksWithMediaType(media::MediaType::Audio).at(0);
    media::Composition composition;
    auto& track = composition.addMutableTrack(media::MediaType::Audio);
    auto& empty = composition.addMutableTrack(media::MediaType::Audio);
    EXPECT_EQ(track.trackID(), 1);
    EXPECT_EQ(empty.trackID(), 2);
    EXPECT_EQ(composition.trackWithTrackID(2), &empty);
    EXPECT_EQ(composition.trackWithTrackID(3), nullptr);

    ASSERT_TRUE(track.insertTimeRange(range(1000, 4000), asset, source, ms(2000)));  // 2..6 s
    ASSERT_TRUE(track.insertTimeRange(range(0, 1000), asset, source, ms(3000)));     // cuts it at 3 s
    ASSERT_TRUE(track.insertEmptyTimeRange(range(0, 500)));                          // moves all by 0.5 s
    ASSERT_TRUE(track.insertTimeRange(range(0, 0), asset, source, ms(0)));           // changes nothing
    const std::vector<std::vector<int64_t>> expected = {
        {-1, 0, 500}, {1000, 2500, 1000}, {0, 3500, 1000}, {2000, 4500, 3000}};
    EXPECT_EQ(layout(track), expected);
    EXPECT_EQ(composition.duration(), ms(7500));
    EXPECT_EQ(empty.endTime(), MediaTime::zero());

    // Refused: a negative duration, an invalid place, a track of another kind.
    EXPECT_FALSE(track.insertTimeRange(range(0, -1), asset, source, ms(0)));
    EXPECT_FALSE(track.insertTimeRange(range(0, 10), asset, source, MediaTime::invalid()));
    auto& video = composition.addMutableTrack(media::MediaType::Video);
    EXPECT_FALSE(video.insertTimeRange(range(0, 10), asset, source, ms(0)));
    EXPECT_EQ(layout(track), expected);
}

TEST(AudioMix, VolumeHoldsFromItsTimeOnAndIsFullBeforeAndWithoutParameters) {
    media::AudioMixInputParameters parameters(3);
    parameters.setVolume(0.5f, ms(1000));
    parameters.setVolume(0.25f, ms(3000));
    parameters.setVolume(2.0f, ms(2000));   // clamped
    parameters.setVolume(0.75f, ms(3000));  // replaces
    struct Case {
        int64_t at;
        float volume;
    };
    const Case cases[] = {{0, 1.0f}, {999, 1.0f}, {1000, 0.5f}, {2500, 1.0f}, {3000, 0.75f}, {99000, 0.75f}};
    for (const auto& c : cases) EXPECT_FLOAT_EQ(parameters.volumeAtTime(ms(c.at)), c.volume) << c.at;
    EXPECT_EQ(parameters.volumeChanges().size(), 3u);

    media::AudioMix mix({parameters});
    EXPECT_EQ(mix.parametersForTrack(3), &mix.inputParameters()[0]);
    EXPECT_EQ(mix.parametersForTrack(1), nullptr);
}

}  // namespace
