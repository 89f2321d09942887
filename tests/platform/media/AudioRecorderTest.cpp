// Recording from the synthetic microphone into AAC files that ffprobe reads.

#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TemporaryClaim.h"
#include "platform/media/AudioFileWriter.h"
#include "platform/media/AudioRecorder.h"
#include "platform/media/AudioSession.h"
#include "platform/media/MediaError.h"
#include "support/AudioDevices.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/TestSounds.h"
#include "support/VirtualClock.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Files in the folder, temporary ones included.
std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Take {
    std::vector<std::string> events;  // "error <code>", "finish <0|1>"
};

std::shared_ptr<media::AudioRecorder> makeRecorder(const std::string& path, Take& take) {
    auto recorder = media::AudioRecorder::create(path, {});
    EXPECT_TRUE(recorder.ok());
    (*recorder)->encodeErrorDidOccur = [&take](media::AudioRecorder&, const foundation::Error& error) {
        take.events.push_back("error " + std::to_string(error.code));
    };
    (*recorder)->didFinishRecording = [&take](media::AudioRecorder&, bool done) {
        take.events.push_back("finish " + std::to_string(done ? 1 : 0));
    };
    return *recorder;
}

class AudioRecorderTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return folders.temporary() + "/" + name; }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
};

TEST_F(AudioRecorderTest, ThreeSecondsOfSquareWaveMakeAMonoAacFileAtTheMetersLevel) {
    testsupport::AudioDevicesScope audio(media::SyntheticAudioInput::squareWave(0.1f));
    Take take;
    auto recorder = makeRecorder(path("record-take.m4a"), take);
    ASSERT_TRUE(recorder->prepareToRecord());
    recorder->setMeteringEnabled(true);
    recorder->updateMeters();
    EXPECT_EQ(recorder->averagePowerForChannel(0), media::AudioRecorder::kMinimumPower);
    ASSERT_TRUE(recorder->record());
    EXPECT_TRUE(recorder->isRecording());
    foundation::RunLoop::main().advance(1.0);
    EXPECT_DOUBLE_EQ(recorder->currentTime(), 1.0);
    recorder->updateMeters();
    EXPECT_NEAR(recorder->averagePowerForChannel(0), -20.0f, 0.01f);                      // RMS 0.1
    EXPECT_EQ(recorder->averagePowerForChannel(1), media::AudioRecorder::kMinimumPower);  // a mono take
    foundation::RunLoop::main().advance(2.0);
    EXPECT_DOUBLE_EQ(recorder->currentTime(), 3.0);
    recorder->stop();
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(recorder->currentTime(), 0.0);
    EXPECT_EQ(take.events, std::vector<std::string>{"finish 1"});
    EXPECT_EQ(filesIn(folders.temporary()), std::vector<std::string>{"record-take.m4a"});

    const auto probed = testsupport::probeAudio(path("record-take.m4a"));
    EXPECT_EQ(probed.codecName, "aac");
    EXPECT_EQ(probed.profile, "LC");
    EXPECT_EQ(probed.sampleRate, 44100);
    EXPECT_EQ(probed.channels, 1);
    EXPECT_NEAR(probed.durationSeconds, 3.0, 0.05);

    EXPECT_TRUE(recorder->deleteRecording());
    EXPECT_TRUE(filesIn(folders.temporary()).empty());
}

TEST_F(AudioRecorderTest, SilenceMetersAtTheFloorAndALostMicrophoneKeepsWhatWasRecorded) {
    auto input = media::SyntheticAudioInput::silence();
    input->setFailAfterSeconds(1.5);
    testsupport::AudioDevicesScope audio(input);
    Take take;
    auto recorder = makeRecorder(path("lost.m4a"), take);
    recorder->setMeteringEnabled(true);
    ASSERT_TRUE(recorder->record());
    foundation::RunLoop::main().advance(1.0);
    recorder->updateMeters();
    EXPECT_EQ(recorder->averagePowerForChannel(0), media::AudioRecorder::kMinimumPower);
    foundation::RunLoop::main().advance(1.0);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(take.events, (std::vector<std::string>{"error " + std::to_string(media::kMediaErrorDeviceWasDisconnected),
                                                     "finish 1"}));
    EXPECT_NEAR(testsupport::probeAudio(path("lost.m4a")).durationSeconds, 1.5, 0.05);
}

TEST_F(AudioRecorderTest, AFileMicrophonePlaysItsSoundThenSilence) {
    testsupport::AudioDevicesScope audio(
        media::SyntheticAudioInput::file(testsupport::testSound({"0.5*lt(t,1)", 2.0, 22050})));
    Take take;
    auto recorder = makeRecorder(path("from-file.m4a"), take);
    recorder->setMeteringEnabled(true);
    ASSERT_TRUE(recorder->record());
    const struct {
        double at;
        float decibels;
    } levels[] = {
        {0.5, -6.02f}, {1.5, media::AudioRecorder::kMinimumPower}, {3.0, media::AudioRecorder::kMinimumPower}};
    double now = 0;
    for (const auto& level : levels) {
        foundation::RunLoop::main().advance(level.at - now);
        now = level.at;
        recorder->updateMeters();
        EXPECT_NEAR(recorder->averagePowerForChannel(0), level.decibels, 0.05f) << level.at;
    }
    recorder->stop();
    EXPECT_NEAR(testsupport::probeAudio(path("from-file.m4a")).durationSeconds, 3.0, 0.05);

    testsupport::AudioDevicesScope unreadable(media::SyntheticAudioInput::file(path("no-such-sound.wav")));
    auto refused = makeRecorder(path("refused.m4a"), take);
    EXPECT_FALSE(refused->record());
    EXPECT_TRUE(refused->lastError().has_value());
}

TEST_F(AudioRecorderTest, AFullDiskStopsTheTakeAndLeavesNoFile) {
    // The take fills a device of 16 KB of its own, in a child.
    const std::string folder = folders.temporary();
    const int code = testsupport::onPrivateDevice(folder, 16, false, [folder] {
        testsupport::VirtualClockScope clock;
        testsupport::AudioDevicesScope audio(media::SyntheticAudioInput::squareWave(0.5f, 1000));
        Take take;
        auto recorder = makeRecorder(folder + "/full.m4a", take);
        if (!recorder->record()) return 11;
        foundation::RunLoop::main().advance(30.0);
        if (recorder->isRecording()) return 12;
        if (take.events != std::vector<std::string>{"error " + std::to_string(media::kMediaErrorDiskFull), "finish 0"})
            return 13;
        if (!recorder->lastError() || recorder->lastError()->description != "The disk is full.") return 14;
        return filesIn(folder).empty() ? 0 : 15;
    });
    if (code == testsupport::kNoPrivateDevice) GTEST_SKIP() << "no private file system here";
    EXPECT_EQ(code, 0);
}

TEST_F(AudioRecorderTest, RefusesWhatItCannotRecord) {
    struct Case {
        const char* what;
        media::AudioRecorderSettings settings;
        bool creates;
    };
    const Case cases[] = {
        {"defaults", {}, true},
        {"linear PCM", {44100, 0x6c70636d, 1, 127}, false},
        {"three channels", {44100, media::kAudioFormatMPEG4AAC, 3, 127}, false},
        {"no rate", {0, media::kAudioFormatMPEG4AAC, 1, 127}, false},
        {"stereo at 48 kHz", {48000, media::kAudioFormatMPEG4AAC, 2, 64}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(media::AudioRecorder::create(path("x.m4a"), c.settings).ok(), c.creates) << c.what;

    // No microphone, or a folder it cannot write: no recording and no file.
    {
        testsupport::AudioDevicesScope audio(nullptr);
        Take take;
        auto recorder = makeRecorder(path("none.m4a"), take);
        EXPECT_FALSE(recorder->record());
        EXPECT_EQ(recorder->lastError()->code, media::kMediaErrorDeviceNotConnected);
    }
    {
        testsupport::AudioDevicesScope audio(media::SyntheticAudioInput::silence());
        Take take;
        auto recorder = makeRecorder(path("missing-folder/x.m4a"), take);
        EXPECT_FALSE(recorder->record());
        EXPECT_TRUE(recorder->lastError().has_value());
        EXPECT_TRUE(take.events.empty());
    }
    EXPECT_TRUE(filesIn(folders.temporary()).empty());
}

TEST_F(AudioRecorderTest, RecordPermissionIsGrantedExactlyWhenAMicrophoneExists) {
    for (bool present : {true, false}) {
        testsupport::AudioDevicesScope audio(present ? media::SyntheticAudioInput::silence() : nullptr);
        std::vector<bool> answers;
        media::AudioSession::sharedInstance().requestRecordPermission(
            [&answers](bool granted) { answers.push_back(granted); });
        EXPECT_TRUE(answers.empty()) << "the answer comes later on the main run loop";
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_EQ(answers, std::vector<bool>{present});
    }
}

TEST_F(AudioRecorderTest, AWriterThatIsNotFinishedLeavesNothingAndAFinishedOneReplacesTheOldFile) {
    const std::string target = path("stereo.m4a");
    {
        auto writer = media::AudioFileWriter::create(target, 48000, 2);
        ASSERT_TRUE(writer.ok());
        std::vector<float> samples(2 * 4800, 0.25f);
        ASSERT_TRUE((*writer)->append(samples.data(), 4800).ok());
        // Under a temporary name of its own, which a sweep leaves alone.
        EXPECT_TRUE(foundation::removeAbandonedTemporaries(folders.temporary()).empty());
        EXPECT_EQ(filesIn(folders.temporary()),
                  std::vector<std::string>{foundation::path::lastComponent((*writer)->temporaryPath())});
    }
    EXPECT_TRUE(filesIn(folders.temporary()).empty());

    for (int frames : {48000, 24000}) {
        auto writer = media::AudioFileWriter::create(target, 48000, 2);
        ASSERT_TRUE(writer.ok());
        std::vector<float> samples(size_t(2 * frames), -0.5f);
        ASSERT_TRUE((*writer)->append(samples.data(), size_t(frames)).ok());
        ASSERT_TRUE((*writer)->finish().ok());
        EXPECT_FALSE((*writer)->append(samples.data(), 1).ok()) << "a finished file takes no more sound";
        const auto probed = testsupport::probeAudio(target);
        EXPECT_EQ(probed.channels, 2);
        EXPECT_EQ(probed.sampleRate, 48000);
        EXPECT_NEAR(probed.durationSeconds, frames / 48000.0, 0.03);
    }
    EXPECT_EQ(filesIn(folders.temporary()), std::vector<std::string>{"stereo.m4a"});
}

}  // namespace
