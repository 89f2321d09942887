#include "GPUImageCameraSupport.h"
#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageMovieWriter.h"
#include "components/gpuimage/GPUImageVideoCamera.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/media/AudioPcmReader.h"
#include "support/AudioDevices.h"
#include "support/MovieFacts.h"
#include "support/RunFolder.h"

#include <gtest/gtest.h>

using namespace gpuimage;
using gpuimagetest::SoundCounter;
using gpuimagetest::SyntheticCameras;

namespace {

const double kTick = media::SyntheticAudioInput::kTickSeconds;

// The file's sound decoded mono at 44.1 kHz: its frames and mean square.
std::pair<int64_t, double> decodedSound(const std::string& path) {
    auto reader = media::AudioPcmReader::open(path, 44100, 1);
    std::vector<float> run(4096);
    int64_t total = 0;
    double sum = 0;
    while (reader) {
        auto frames = (*reader)->read(run.data(), int64_t(run.size()));
        if (!frames || *frames <= 0) break;
        for (int64_t i = 0; i < *frames; ++i) sum += double(run[size_t(i)]) * run[size_t(i)];
        total += *frames;
    }
    return {total, total > 0 ? sum / double(total) : 0};
}

}  // namespace

// A synthetic camera and microphone through the movie writer for 90 frames
// at 30 a second: h264 pictures and the microphone's AAC sound, of one length.
TEST(GPUImageVideoCameraAudio, RecordsCameraAndMicrophoneThroughTheWriter) {
    testsupport::AudioDevicesScope audio(media::SyntheticAudioInput::squareWave(0.3f));
    auto config = capture::SyntheticCaptureBackend::backCamera();
    config.framesPerSecond = 30;
    SyntheticCameras cameras({config});
    static testsupport::RunFolder folder("tollivar-camaudio");
    static int run = 0;  // tests may repeat in one process
    const std::string path = folder.path() + "/camera-" + std::to_string(++run) + ".mov";
    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    auto writer = GPUImageMovieWriter::create(path, graphics::Size{160, 120});
    auto counter = std::make_shared<gpuimagetest::CountingTarget>();
    camera->addTarget(writer);
    camera->addTarget(counter);
    camera->setAudioEncodingTarget(writer);
    EXPECT_TRUE(writer->hasAudioTrack());
    writer->startRecording();
    camera->startCameraCapture();
    for (int i = 0; i < 90; ++i) cameras.runFor(1.0 / 30);
    camera->stopCameraCapture();
    EXPECT_FALSE(camera->captureSession()->isCapturingAudio()) << "a stopped session does not listen";
    foundation::DispatchSemaphore done(0);
    writer->finishRecordingWithCompletionHandler([&] { done.signal(); });
    ASSERT_TRUE(done.wait(60));
    ASSERT_FALSE(writer->error()) << writer->error()->description;

    EXPECT_GE(counter->frames, 89);
    const auto facts = testsupport::probeMovieFacts(path);
    EXPECT_EQ(facts.videoCodec, "h264");
    ASSERT_EQ(facts.frameTimes.size(), size_t(counter->frames)) << "every camera frame was written";
    EXPECT_EQ(facts.audioCodec, "aac");
    EXPECT_EQ(facts.channels, 1);
    EXPECT_EQ(facts.sampleRate, 44100);
    EXPECT_NEAR(facts.audioDurationSeconds, facts.frameTimes.back() + 1.0 / 30, 0.06);
    const auto [frames, power] = decodedSound(path);
    EXPECT_NEAR(double(frames) / 44100, 3.0, 0.05);
    EXPECT_NEAR(power, 0.09, 0.02) << "the square wave of amplitude 0.3, not silence";
}

// The microphone follows the target: attached once, at the target's rate,
// in gapless runs on the frames' clock; removed, no more sound; added by
// hand, it stays when the target goes.
TEST(GPUImageVideoCameraAudio, AttachAndRemoveTheMicrophone) {
    auto microphone = media::SyntheticAudioInput::squareWave(0.5f);
    testsupport::AudioDevicesScope audio(microphone);
    SyntheticCameras cameras({capture::SyntheticCaptureBackend::backCamera()});
    auto camera = GPUImageVideoCamera::create();
    ASSERT_TRUE(camera);
    auto sound = std::make_shared<SoundCounter>(22050);
    camera->setAudioEncodingTarget(sound);
    EXPECT_EQ(camera->microphone(), microphone);
    EXPECT_FALSE(camera->addAudioInputsAndOutputs()) << "already attached";
    cameras.runFor(0.5);
    EXPECT_EQ(sound->frames(), 0) << "nothing before the session runs";
    camera->startCameraCapture();
    cameras.runFor(1.0);
    EXPECT_NEAR(double(sound->frames()), 22050, 22050 * kTick + 1);
    EXPECT_EQ(sound->misfits(), 0) << "gapless runs at 22.05 kHz";
    EXPECT_NEAR(sound->firstTime().seconds(), 0.5, 1e-4) << "stamped on the run loop's clock, as frames are";

    EXPECT_TRUE(camera->removeAudioInputsAndOutputs());
    EXPECT_FALSE(camera->removeAudioInputsAndOutputs()) << "nothing attached any more";
    EXPECT_FALSE(camera->microphone());
    const int64_t heard = sound->frames();
    cameras.runFor(1.0);
    EXPECT_EQ(sound->frames(), heard) << "removed: the sound stops";

    camera->setAudioEncodingTarget(nullptr);
    camera->setAudioEncodingTarget(sound);
    EXPECT_TRUE(camera->captureSession()->isCapturingAudio());
    camera->setAudioEncodingTarget(nullptr);
    EXPECT_FALSE(camera->captureSession()->isCapturingAudio()) << "the target attached it";
    EXPECT_TRUE(camera->addAudioInputsAndOutputs());
    camera->setAudioEncodingTarget(sound);
    camera->setAudioEncodingTarget(nullptr);
    EXPECT_TRUE(camera->microphone()) << "attached by hand, it stays";
    EXPECT_EQ(microphone->capturesStarted(), 3);
    camera->stopCameraCapture();
}

// Without a microphone add answers false and the target is still kept; a
// microphone that goes away ends the sound while the pictures go on.
TEST(GPUImageVideoCameraAudio, WithoutOrLosingTheMicrophone) {
    SyntheticCameras cameras({capture::SyntheticCaptureBackend::backCamera()});
    auto sound = std::make_shared<SoundCounter>(44100);
    {
        testsupport::AudioDevicesScope audio(nullptr);
        auto camera = GPUImageVideoCamera::create();
        EXPECT_FALSE(camera->addAudioInputsAndOutputs());
        camera->setAudioEncodingTarget(sound);
        EXPECT_EQ(camera->audioEncodingTarget(), sound);
        EXPECT_TRUE(sound->hasAudioTrack());
        EXPECT_FALSE(camera->microphone());
        EXPECT_FALSE(camera->removeAudioInputsAndOutputs());
    }
    auto failing = media::SyntheticAudioInput::squareWave(0.5f);
    failing->setFailAfterSeconds(0.5);
    testsupport::AudioDevicesScope audio(failing);
    auto camera = GPUImageVideoCamera::create();
    camera->setAudioEncodingTarget(sound);
    camera->startCameraCapture();
    cameras.runFor(1.0);
    EXPECT_EQ(sound->frames(), 44100 / 2);
    EXPECT_FALSE(camera->captureSession()->isCapturingAudio());
    EXPECT_TRUE(camera->captureSession()->isRunning());
    camera->stopCameraCapture();
}
