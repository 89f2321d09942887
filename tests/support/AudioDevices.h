#pragma once

// Puts the sound devices of one test in place: a null output (players keep
// time on the run loop's clock) and the given microphone (null: none), with
// a fresh audio session. Everything is put back on destruction.
//
//     testsupport::AudioDevicesScope audio(media::SyntheticAudioInput::squareWave(0.1f));

#include "platform/media/AudioInput.h"
#include "platform/media/AudioOutput.h"

#include <cstddef>
#include <memory>
#include <string>

namespace testsupport {

class AudioDevicesScope {
public:
    explicit AudioDevicesScope(std::shared_ptr<media::AudioInput> input);
    ~AudioDevicesScope();
    AudioDevicesScope(const AudioDevicesScope&) = delete;
    AudioDevicesScope& operator=(const AudioDevicesScope&) = delete;

    media::NullAudioOutput& output() { return *output_; }

private:
    std::shared_ptr<media::NullAudioOutput> output_ = std::make_shared<media::NullAudioOutput>();
};

// Lets this process write files of at most `bytes` bytes, as a full disk
// would: larger writes fail with EFBIG instead of a signal. Process-wide, so
// for forked children (ChildProcess::forked) only; false when refused.
bool limitFileSizeInThisProcess(size_t bytes);

// ffprobe's view of a sound file's first audio stream.
struct ProbedAudio {
    std::string codecName;
    std::string profile;
    int sampleRate = 0;
    int channels = 0;
    double durationSeconds = 0;
};
// Empty codec name when ffprobe cannot read the file.
ProbedAudio probeAudio(const std::string& path);

}  // namespace testsupport
