#include "AudioProjectSupport.h"
#include "app/audio/KWAudioMuxer.h"
#include "platform/media/AudioMixReader.h"
#include "support/TempAppFolders.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using audiotest::attach;
using audiotest::projectWithFrames;

struct Built {
    media::CompositionPtr composition;
    media::AudioMixPtr mix;
};

Built build(const ProjectModelPtr& project) {
    Built built;
    EXPECT_TRUE(KWAudioMuxer(project).prepareAVMutableComposition(built.composition, built.mix));
    return built;
}

// Left and right of the mix at these seconds.
std::vector<std::pair<int16_t, int16_t>> samplesAt(const Built& built, const std::vector<double>& seconds) {
    media::AudioMixReader reader(*built.composition, built.mix.get());
    std::vector<std::pair<int16_t, int16_t>> result;
    for (double at : seconds) {
        int16_t frame[2] = {1, 1};
        reader.read(static_cast<int64_t>(at * 44100), frame, 1);
        result.emplace_back(frame[0], frame[1]);
    }
    return result;
}

class KWAudioMuxerTest : public ::testing::Test {
protected:
    testsupport::TempAppFolders folders;
};

TEST_F(KWAudioMuxerTest, MixOfThreeClipsHasTheMoviesLengthAndTheirSummedSamples) {
    auto project = projectWithFrames(5, 25);
    attach(project, 0, {"0.25", 2.0}, 2000, 1.0f);
    attach(project, 5, {"0.5", 3.0}, 3000, 0.5f);
    attach(project, 20, {"-0.5", 3.0}, 3000, 1.0f);  // cut at the movie's end
    Built built = build(project);
    media::AudioMixReader reader(*built.composition, built.mix.get());
    EXPECT_EQ(reader.frameCount(), 220500);
    const std::vector<std::pair<int16_t, int16_t>> expected = {
        {8192, 8192}, {16384, 16384}, {8192, 8192}, {8192, 8192}, {-16384, -16384}};
    EXPECT_EQ(samplesAt(built, {0.5, 1.5, 2.5, 3.5, 4.5}), expected);
    int16_t past[2] = {1, 1};
    EXPECT_EQ(reader.read(220500, past, 1), 0u);

    // Two loud clips overlapping saturate instead of wrapping.
    auto loud = projectWithFrames(5, 25);
    attach(loud, 0, {"0.8", 1.0}, 1000, 1.0f);
    attach(loud, 1, {"0.8", 1.0}, 1000, 1.0f);
    EXPECT_EQ(samplesAt(build(loud), {0.5}), (std::vector<std::pair<int16_t, int16_t>>{{32767, 32767}}));
}

TEST_F(KWAudioMuxerTest, ClipsArePlacedAtTheirFirstExpandedPositionCutToTenthsOfSeconds) {
    struct Case {
        int64_t fps;
        int64_t position;
        int64_t ms;
    };
    const Case cases[] = {{12, 1, 0},  {12, 2, 100},  {12, 5, 400}, {15, 2, 100},
                          {5, 3, 600}, {5, 24, 4800}, {30, 0, 0},   {24, 1000, 41600}};
    for (const Case& c : cases)
        EXPECT_EQ(KWAudioMuxer::placeForExpandedPosition(c.position, c.fps), c.ms) << c.fps << "/" << c.position;
    EXPECT_EQ(KWAudioMuxer::movieEndMilliseconds(7, 12), 583);
    EXPECT_EQ(KWAudioMuxer::movieEndMilliseconds(0, 12), 0);

    // Holds count as positions; the capture slot and held-out frames do not.
    auto project = projectWithFrames(12, 4);
    auto list = project->getFrameList();
    list->getFrameAtIndex(0)->setDuration(3);
    list->getFrameAtIndex(1)->setDuration(0);
    auto held = attach(project, 0, {"0.1", 1.0}, 1000, 1.0f);
    auto afterHold = attach(project, 2, {"0.1", 1.0}, 1000, 1.0f);  // position 3: 250 ms
    list->getFrameAtIndex(3)->setAudio(held);                       // the same clip again: placed once
    const auto clips = KWAudioMuxer(project).prepareAudioClips();
    ASSERT_EQ(clips.size(), 3u);
    EXPECT_EQ(clips[0], held);
    EXPECT_EQ(clips[1], afterHold);
    EXPECT_EQ(held->timeIndexInAudioTrack(), 0);
    EXPECT_EQ(afterHold->timeIndexInAudioTrack(), 200);
    EXPECT_EQ(clips[2]->name(), std::string(KWAudioMuxer::kSilenceTrackName));
    EXPECT_EQ(clips[2]->stop(), 300000);
}

TEST_F(KWAudioMuxerTest, MovieEndCutsClipsAndSilenceLastsTheWholeMovie) {
    // 12 fps × 7 positions: 583 ms, 25,710 frames.
    auto shortMovie = projectWithFrames(12, 7);
    Built built = build(shortMovie);
    EXPECT_EQ(built.composition->duration(), media::MediaTime::make(583, 1000));
    EXPECT_EQ(media::AudioMixReader(*built.composition, built.mix.get()).frameCount(), 25710);

    // A 10 s clip at 2 s in a 5 s movie plays 3 s, from its start of 4 s on.
    auto movie = projectWithFrames(5, 25);
    attach(movie, 10, {"t/16", 10.0}, 10000, 1.0f, 4000);
    built = build(movie);
    const auto& segments = built.composition->tracks().at(0).segments();
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].target.start, media::MediaTime::make(2000, 1000));
    EXPECT_EQ(segments[0].target.duration, media::MediaTime::make(3000, 1000));
    EXPECT_EQ(segments[0].sourceStart, media::MediaTime::make(4000, 1000));
    // At 2.5 s of the movie the source is at 4.5 s: 4.5 / 16 × 32768.
    EXPECT_EQ(samplesAt(built, {2.5}), (std::vector<std::pair<int16_t, int16_t>>{{9216, 9216}}));

    // Past 300 s the silence goes on to the movie's end: 310 s.
    auto longMovie = projectWithFrames(5, 1);
    longMovie->getFrameList()->getFrameAtIndex(0)->setDuration(1550);
    built = build(longMovie);
    EXPECT_EQ(built.composition->duration(), media::MediaTime::make(310000, 1000));
    EXPECT_EQ(media::AudioMixReader(*built.composition, built.mix.get()).frameCount(), 13671000);

    // No frames: nothing at all.
    built = build(projectWithFrames(5, 0));
    EXPECT_EQ(built.composition->duration(), media::MediaTime::zero());
    EXPECT_EQ(built.composition->tracks().size(), 1u);
}

TEST_F(KWAudioMuxerTest, ClipsThatCannotSoundKeepAnEmptyTrackAndNoMixEntry) {
    auto project = projectWithFrames(5, 25);
    auto good = attach(project, 0, {"0.25", 2.0}, 2000, 1.0f);
    auto afterEnd = std::make_shared<KWAudioClip>(*good->name(), good->fileName());
    auto backwards = std::make_shared<KWAudioClip>(*good->name(), good->fileName());
    auto empty = std::make_shared<KWAudioClip>(*good->name(), good->fileName());
    auto missing = std::make_shared<KWAudioClip>(std::string("gone"), std::string("audio-gone.wav"));
    auto outside = std::make_shared<KWAudioClip>(std::string("outside"), "../" + *good->fileName());
    afterEnd->setStop(1000);
    afterEnd->setTimeIndexInAudioTrack(5100);
    backwards->setStart(1500);
    backwards->setStop(1000);
    empty->setStop(1000);
    empty->setDuration(0);  // an empty or damaged file
    missing->setStop(1000);
    outside->setStop(1000);
    media::CompositionPtr composition;
    media::AudioMixPtr mix;
    KWAudioMuxer(project).prepareAVMutableComposition(composition, mix,
                                                      {good, afterEnd, backwards, empty, missing, outside});
    ASSERT_EQ(composition->tracks().size(), 6u);
    EXPECT_EQ(composition->tracks()[0].segments().size(), 1u);
    for (size_t i = 1; i < 6; ++i) EXPECT_TRUE(composition->tracks()[i].segments().empty()) << i;
    ASSERT_EQ(mix->inputParameters().size(), 1u);
    EXPECT_EQ(mix->inputParameters()[0].trackID(), composition->tracks()[0].trackID());
}

}  // namespace
