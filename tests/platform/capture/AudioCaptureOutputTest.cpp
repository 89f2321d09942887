#include "platform/capture/AudioCaptureOutput.h"
#include "platform/foundation/RunLoop.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>
#include <mutex>

namespace {

using namespace capture;
using foundation::RunLoop;

// Keeps every run of sound an output hands over, in arrival order.
struct Heard {
    std::mutex mutex;
    std::vector<media::AudioSampleBuffer> runs;

    void listen(AudioDataOutput& output) {
        // A concurrent queue: the output itself keeps the runs in order.
        output.setSampleBufferDelegate(
            [this](const media::AudioSampleBuffer& run) {
                std::lock_guard lock(mutex);
                runs.push_back(run);
            },
            foundation::DispatchQueue::global(foundation::QueuePriority::Low));
    }
    int64_t frames() {
        std::lock_guard lock(mutex);
        int64_t total = 0;
        for (const auto& run : runs) total += int64_t(run.frameCount());
        return total;
    }
    // Runs that do not start where the previous one ended.
    int gaps() {
        std::lock_guard lock(mutex);
        int count = 0;
        for (size_t i = 1; i < runs.size(); ++i) {
            const auto expected =
                runs[i - 1].presentationTime + media::MediaTime::make(int64_t(runs[i - 1].frameCount()), 22050);
            if (runs[i].presentationTime != expected) ++count;
        }
        return count;
    }
};

void runFor(double seconds) {
    RunLoop::main().advance(seconds);
    RunLoop::main().runUntilIdle();
}

TEST(CaptureSessionAudio, MicrophoneSoundFlowsWhileTheSessionRuns) {
    EXPECT_EQ(AudioDeviceInput::create(nullptr).error().code, kCaptureErrorDeviceNotAvailable);

    testsupport::VirtualClockScope clock(2.0);
    auto microphone = media::SyntheticAudioInput::squareWave(0.25f);
    auto session = CaptureSession::create();
    auto input = AudioDeviceInput::create(microphone).value();
    auto output = std::make_shared<AudioDataOutput>();
    output->setAudioFormat({22050, 2});
    output->setAudioFormat({0, 1});  // refused: the format stays
    EXPECT_EQ(output->audioFormat().sampleRate, 22050);
    Heard heard;
    heard.listen(*output);

    session->beginConfiguration();
    ASSERT_TRUE(session->addInput(input));
    EXPECT_FALSE(session->addInput(AudioDeviceInput::create(microphone).value())) << "one microphone";
    ASSERT_TRUE(session->addOutput(output));
    session->commitConfiguration();
    EXPECT_EQ(session->audioInput(), input);
    runFor(0.5);
    EXPECT_FALSE(session->isCapturingAudio()) << "not before the session runs";

    session->startRunning();  // at 2.5 s on the clock
    EXPECT_TRUE(session->isCapturingAudio());
    runFor(1.0);
    EXPECT_NEAR(double(heard.frames()), 22050, 22050 * media::SyntheticAudioInput::kTickSeconds + 1);
    EXPECT_EQ(heard.gaps(), 0);
    {
        std::lock_guard lock(heard.mutex);
        ASSERT_FALSE(heard.runs.empty());
        EXPECT_EQ(heard.runs.front().presentationTime, media::MediaTime::make(int64_t(2.5 * 22050), 22050));
        EXPECT_EQ(heard.runs.front().channelCount, 2);
        EXPECT_FLOAT_EQ(heard.runs.front().samples.front(), 0.25f);
    }

    session->stopRunning();
    EXPECT_FALSE(session->isCapturingAudio());
    const int64_t before = heard.frames();
    runFor(1.0);
    EXPECT_EQ(heard.frames(), before) << "stopped: silence";

    // Removing either the input or the output ends the capture.
    session->startRunning();
    EXPECT_TRUE(session->isCapturingAudio());
    session->removeOutput(output);
    EXPECT_FALSE(session->isCapturingAudio());
    session->addOutput(output);
    session->removeInput(input);
    EXPECT_FALSE(session->isCapturingAudio());
    EXPECT_EQ(microphone->capturesStarted(), 3);
    session->stopRunning();
}

// A microphone that goes away ends the sound; the session keeps running.
TEST(CaptureSessionAudio, ALostMicrophoneEndsTheSound) {
    testsupport::VirtualClockScope clock;
    auto microphone = media::SyntheticAudioInput::squareWave(0.25f);
    microphone->setFailAfterSeconds(0.5);
    auto session = CaptureSession::create();
    auto output = std::make_shared<AudioDataOutput>();
    output->setAudioFormat({22050, 1});
    Heard heard;
    heard.listen(*output);
    session->addInput(AudioDeviceInput::create(microphone).value());
    session->addOutput(output);
    session->startRunning();
    runFor(1.0);
    EXPECT_FALSE(session->isCapturingAudio());
    EXPECT_TRUE(session->isRunning());
    EXPECT_EQ(heard.frames(), 22050 / 2);
    session->stopRunning();
}

}  // namespace
