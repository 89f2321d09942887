#pragma once

// Records the shared microphone (AudioInput::shared()) into an AAC file
// (AudioFileWriter). Its time is the frames captured so far; its meter the
// level of the last tenth of a second.
//
//     auto recorder = media::AudioRecorder::create(path, settings);
//     (*recorder)->prepareToRecord();
//     (*recorder)->setMeteringEnabled(true);
//     (*recorder)->record();
//     ... (*recorder)->currentTime() ...
//     (*recorder)->stop();      // the file is complete under `path`
//
// A microphone lost while recording stops the recording and keeps what was
// recorded; a file that cannot be written (a full disk) stops it and is
// removed. Either way the error handler hears why before the finish handler.
//
// Main thread only.

#include "platform/foundation/Error.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace media {

class AudioCapture;
class AudioFileWriter;

// The format code of MPEG-4 AAC, the four characters "aac ".
inline constexpr uint32_t kAudioFormatMPEG4AAC = 0x61616320;

struct AudioRecorderSettings {
    double sampleRate = 44100.0;
    uint32_t formatID = kAudioFormatMPEG4AAC;
    int numberOfChannels = 1;
    // 0 (lowest) to 127 (highest).
    int encoderAudioQuality = 127;
};

class AudioRecorder : public std::enable_shared_from_this<AudioRecorder> {
public:
    // The power reported for silence and before any metering, in dB.
    static constexpr float kMinimumPower = -160.0f;
    // The span of sound the meter averages over.
    static constexpr double kMeteringWindowSeconds = 0.1;

    // An error for settings it cannot record (a format other than AAC, more
    // than two channels, no positive rate).
    static foundation::Result<std::shared_ptr<AudioRecorder>> create(std::string path, AudioRecorderSettings settings);
    ~AudioRecorder();
    AudioRecorder(const AudioRecorder&) = delete;
    AudioRecorder& operator=(const AudioRecorder&) = delete;

    const std::string& path() const { return path_; }
    const AudioRecorderSettings& settings() const { return settings_; }

    // Opens the file to record into; false (with lastError()) when it
    // cannot be written. record() prepares by itself when needed.
    bool prepareToRecord();
    // Starts capturing; false when there is no microphone or it refuses.
    bool record();
    // Ends the recording and completes the file.
    void stop();
    bool isRecording() const { return capture_ != nullptr; }
    // Seconds recorded so far; 0 when not recording.
    double currentTime() const;
    // Removes the recorded file; false while recording.
    bool deleteRecording();

    bool isMeteringEnabled() const { return meteringEnabled_; }
    void setMeteringEnabled(bool enabled) { meteringEnabled_ = enabled; }
    // Takes the level of the last kMeteringWindowSeconds of sound.
    void updateMeters();
    // 20·log10 of the RMS at the last updateMeters(), in dB (0 is full scale).
    float averagePowerForChannel(int channel) const;

    const std::optional<foundation::Error>& lastError() const { return lastError_; }

    // Told when the recording ends: by stop(), or by a failure after the
    // error handler; `successfully` is whether the file is complete.
    std::function<void(AudioRecorder& recorder, bool successfully)> didFinishRecording;
    std::function<void(AudioRecorder& recorder, const foundation::Error& error)> encodeErrorDidOccur;

private:
    AudioRecorder(std::string path, AudioRecorderSettings settings);
    void receive(const float* interleaved, size_t frames);
    void failWhileRecording(foundation::Error error, bool keepFile);
    bool finishFile();

    std::string path_;
    AudioRecorderSettings settings_;
    std::unique_ptr<AudioFileWriter> writer_;
    std::unique_ptr<AudioCapture> capture_;
    int64_t framesCaptured_ = 0;
    bool meteringEnabled_ = false;
    // The last window of captured samples, one queue per channel.
    std::vector<std::deque<float>> window_;
    std::vector<float> averagePower_;
    std::optional<foundation::Error> lastError_;
};

// The error for a write that failed because the storage is full
// (foundation::isOutOfSpaceError), kMediaErrorDiskFull; other errors pass
// unchanged.
foundation::Error diskFullOr(foundation::Error error);

}  // namespace media
