#include "platform/media/AssetWriter.h"
#include "support/MovieFacts.h"
#include "support/RunFolder.h"

#include <cmath>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

using namespace media;

namespace {

testsupport::RunFolder& folder() {
    static testsupport::RunFolder run("tollivar-samples");
    return run;
}

// Finishes `writer` and waits for its completion handler.
void finish(AssetWriter& writer) {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    writer.finishWriting([&] {
        std::lock_guard lock(mutex);
        finished = true;
        done.notify_one();
    });
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return finished; });
}

}  // namespace

// BGRA pictures at a fine timescale, with AAC sound: the times survive, the
// sound is AAC of the asked channels and rate.
TEST(SampleWriting, BgraPicturesAtTimescaleWithAacSound) {
    struct Case {
        int channels;
        int64_t bitRate;
    } cases[] = {{1, 64000}, {2, 128000}};
    for (const Case& c : cases) {
        const std::string path = folder().path() + "/aac-" + std::to_string(c.channels) + ".mov";
        auto writer = AssetWriter::create(path, AssetWriter::kFileTypeQuickTimeMovie);
        ASSERT_TRUE(writer);
        auto video = AssetWriterInput::video({64, 48, 500000, 30, 600});
        auto audio = AssetWriterInput::aacAudio({44100, c.channels, c.bitRate});
        (*writer)->addInput(video);
        (*writer)->addInput(audio);
        ASSERT_TRUE((*writer)->startWriting()) << (*writer)->error()->description;
        (*writer)->startSessionAtSourceTime(MediaTime::make(1200, 600));
        PixelBuffer picture = PixelBuffer::create(64, 48);
        picture.pixelFormat = kPixelFormat32BGRA;
        for (int i = 0; i < 30; ++i) {
            // 1470 frames of a 440 Hz tone a picture: the sound keeps pace.
            std::vector<float> tone(1470 * size_t(c.channels));
            for (size_t f = 0; f < 1470; ++f)
                for (int ch = 0; ch < c.channels; ++ch)
                    tone[f * size_t(c.channels) + size_t(ch)] =
                        0.5f * float(std::sin(2 * M_PI * 440 * double(i * 1470 + int(f)) / 44100));
            ASSERT_TRUE(audio->appendAudioSamples(tone.data(), 1470, MediaTime::make(1200 + 20 * i, 600)));
            ASSERT_TRUE(video->appendPixelBuffer(picture, MediaTime::make(1200 + 20 * i, 600)));
        }
        finish(**writer);
        ASSERT_EQ((*writer)->status(), AssetWriterStatus::Completed);
        const auto facts = testsupport::probeMovieFacts(path);
        EXPECT_EQ(facts.audioCodec, "aac");
        EXPECT_EQ(facts.channels, c.channels);
        EXPECT_EQ(facts.sampleRate, 44100);
        EXPECT_NEAR(facts.audioBitRate, c.bitRate, c.bitRate / 4);
        EXPECT_NEAR(facts.audioDurationSeconds, 1.0, 0.05);
        ASSERT_EQ(facts.frameTimes.size(), 30u);
        for (size_t i = 0; i < facts.frameTimes.size(); ++i) EXPECT_NEAR(facts.frameTimes[i], double(i) / 30, 1e-3);
    }
}

// A picture of another pixel format than the two packed ones and planar is refused.
TEST(SampleWriting, UnknownPixelFormatFailsTheWriter) {
    const std::string path = folder().path() + "/unknown.mov";
    auto writer = AssetWriter::create(path, AssetWriter::kFileTypeQuickTimeMovie);
    ASSERT_TRUE(writer);
    auto video = AssetWriterInput::video({64, 48, 500000, 30});
    (*writer)->addInput(video);
    ASSERT_TRUE((*writer)->startWriting());
    PixelBuffer picture = PixelBuffer::create(64, 48);
    picture.pixelFormat = 0x12345678;
    EXPECT_FALSE(video->appendPixelBuffer(picture, MediaTime::zero()));
    EXPECT_EQ((*writer)->status(), AssetWriterStatus::Failed);
}
