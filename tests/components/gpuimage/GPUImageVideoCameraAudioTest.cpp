#include "GPUImageCameraSupport.h"
#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageMovieWriter.h"
#include "components/gpuimage/GPUImageVideoCamera.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/media/AudioPcmReader.h"
#include "support/AudioDevices.h"
#include "support/MovieFacts.h"
#include "support/RunFolder.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace gpuimage;
using gpuimagetest::CountingTarget;
using gpuimagetest::SoundCounter;
using gpuimagetest::SyntheticCameras;
using graphics::Size;

namespace {

capture::SyntheticCameraConfig backCameraAt30() {
    auto config = capture::SyntheticCaptureBackend::backCamera();
    config.framesPerSecond = 30;
    return config;
}

// The mean square of the file's sound, decoded mono at 44.1 kHz; and its frames.
std::pair<double, int64_t> soundPower(const std::string& path) {
    auto reader = media::AudioPcmReader::open(path, 44100, 1);
    if (!reader) return {0, 0};
    std::vector<float> run(4096);
    double sum = 0;
    int64_t total = 0;
    for (;;) {
        auto frames = (*reader)->read(run.data(), int64_t(run.size()));
        if (!frames || *frames <= 0) break;
        for (int64_t i = 0; i < *frames; ++i) sum += double(run[size_t(i)]) * run[size_t(i)];
        total += *frames;
    }
    return {total > 0 ? sum / double(total) : 0, total};
}

}  // namespace

// A synthetic camera and microphone recorded through the movie writer for
// 90 frames at 30 a second: ffprobe finds the pictures and a sound track of
// their length, and the sound is the microphone's.
TEST(GPUImageVideoCameraAudio, RecordsCameraAndMicrophoneThroughTheWriter) {
    testsupport::AudioDevicesScope audio(media::SyntheticAudioInput::squareWave(0.3f));
    SyntheticCameras cameras({backCameraAt30()});
    static testsupport::RunFolder folder("tollivar-camaudio");
    const std::string path = folder.path() + "/camera.mov";

    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    auto writer = GPUImageMovieWriter::create(path, Size{160, 120});
    auto counter = std::make_shared<CountingTarget>();
    camera->addTarget(writer);
    camera->addTarget(counter);
    camera->setAudioEncodingTarget(writer);
    EXPECT_TRUE(writer->hasAudioTrack());
    ASSERT_TRUE(camera->microphone());
    writer->startRecording();
    camera->startCameraCapture();
    EXPECT_TRUE(camera->captureSession()->isCapturingAudio());
    for (int i = 0; i < 90; ++i) cameras.runFor(1.0 / 30);
    camera->stopCameraCapture();
    EXPECT_FALSE(camera->captureSession()->isCapturingAudio()) << "a stopped session does not listen";
    cameras.runFor(0);
    foundation::DispatchSemaphore done(0);
    writer->finishRecordingWithCompletionHandler([&] { done.signal(); });
    ASSERT_TRUE(done.wait(60));
    ASSERT_FALSE(writer->error()) << writer->error()->description;

    const int frames = counter->frames;
    EXPECT_GE(frames, 89);
    const auto facts = testsupport::probeMovieFacts(path);
    EXPECT_EQ(facts.videoCodec, "h264");
    EXPECT_EQ(facts.frameTimes.size(), size_t(frames)) << "every camera frame was written";
    EXPECT_EQ(facts.audioCodec, "aac");
    EXPECT_EQ(facts.channels, 1);
    EXPECT_EQ(facts.sampleRate, 44100);
    EXPECT_NEAR(facts.audioDurationSeconds, 3.0, 0.05);
    ASSERT_FALSE(facts.frameTimes.empty());
    EXPECT_NEAR(facts.audioDurationSeconds, facts.frameTimes.back() + 1.0 / 30, 0.06)
        << "sound and pictures end together";
    const auto [power, soundFrames] = soundPower(path);
    EXPECT_NEAR(double(soundFrames) / 44100, 3.0, 0.05);
    EXPECT_NEAR(power, 0.09, 0.02) << "the square wave of amplitude 0.3, not silence";
}

// The microphone follows the target: attached once, at the target's rate,
// in gapless runs; removed, no more sound; a microphone added by hand stays
// when the target goes.
TEST(GPUImageVideoCameraAudio, AttachAndRemoveTheMicrophone) {
    auto microphone = media::SyntheticAudioInput::squareWave(0.5f);
    testsupport::AudioDevicesScope audio(microphone);
    SyntheticCameras cameras({capture::SyntheticCaptureBackend::backCamera()});
    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    auto sound = std::make_shared<SoundCounter>(22050);

    camera->setAudioEncodingTarget(sound);
    EXPECT_TRUE(sound->hasAudioTrack());
    EXPECT_EQ(camera->microphone(), microphone);
    EXPECT_FALSE(camera->addAudioInputsAndOutputs()) << "already attached";
    EXPECT_EQ(camera->audioOutput()->audioFormat().sampleRate, 22050);

    cameras.runFor(0.5);
    EXPECT_EQ(sound->frames(), 0) << "nothing before the session runs";
    camera->startCameraCapture();
    const double started = cameras.clock.now();
    cameras.runFor(1.0);
    EXPECT_NEAR(double(sound->frames()), 22050, 22050 * media::SyntheticAudioInput::kTickSeconds + 1);
    EXPECT_EQ(sound->misfits(), 0);
    EXPECT_NEAR(sound->firstTime().seconds(), started, 1e-4) << "on the clock of the frames";

    EXPECT_TRUE(camera->removeAudioInputsAndOutputs());
    EXPECT_FALSE(camera->removeAudioInputsAndOutputs()) << "nothing attached any more";
    EXPECT_FALSE(camera->microphone());
    EXPECT_FALSE(camera->captureSession()->isCapturingAudio());
    const int64_t heard = sound->frames();
    cameras.runFor(1.0);
    EXPECT_EQ(sound->frames(), heard) << "removed: the sound stops";

    // Attached again for the target, detached when the target goes.
    EXPECT_TRUE(camera->addAudioInputsAndOutputs());
    EXPECT_TRUE(camera->captureSession()->isCapturingAudio());
    EXPECT_TRUE(camera->removeAudioInputsAndOutputs());
    camera->setAudioEncodingTarget(sound);
    EXPECT_TRUE(camera->microphone());
    camera->setAudioEncodingTarget(nullptr);
    EXPECT_FALSE(camera->microphone()) << "the target attached it";
    EXPECT_TRUE(camera->addAudioInputsAndOutputs());
    camera->setAudioEncodingTarget(sound);
    camera->setAudioEncodingTarget(nullptr);
    EXPECT_TRUE(camera->microphone()) << "attached by hand, it stays";
    EXPECT_EQ(microphone->capturesStarted(), 4) << "one capture for each attachment of a running session";
    camera->stopCameraCapture();
}

// Without a microphone nothing is attached; the target is still kept.
TEST(GPUImageVideoCameraAudio, WithoutAMicrophoneAddAnswersFalse) {
    testsupport::AudioDevicesScope audio(nullptr);
    SyntheticCameras cameras({capture::SyntheticCaptureBackend::backCamera()});
    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    EXPECT_FALSE(camera->addAudioInputsAndOutputs());
    auto sound = std::make_shared<SoundCounter>(44100);
    camera->setAudioEncodingTarget(sound);
    EXPECT_EQ(camera->audioEncodingTarget(), sound);
    EXPECT_TRUE(sound->hasAudioTrack());
    EXPECT_FALSE(camera->microphone());
    EXPECT_FALSE(camera->removeAudioInputsAndOutputs());
    camera->startCameraCapture();
    cameras.runFor(0.5);
    EXPECT_FALSE(camera->captureSession()->isCapturingAudio());
    EXPECT_EQ(sound->frames(), 0);
    camera->stopCameraCapture();
}
