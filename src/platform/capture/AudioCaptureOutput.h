#pragma once

// The microphone side of a capture session: an input over a media::AudioInput
// and an audio-data output that hands the captured sound to a delegate on a
// queue, as runs of interleaved floats stamped on the same clock as the
// session's video frames (the main run loop's).
//
// A session captures sound while it runs with both an audio input and at
// least one audio-data output; the sound stops when either goes or the
// session stops.

#include "platform/capture/CaptureSession.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/media/AudioInput.h"
#include "platform/media/SampleBuffers.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace capture {

class AudioDeviceInput {
public:
    // The microphone as a session input; an error without one.
    static foundation::Result<std::shared_ptr<AudioDeviceInput>> create(std::shared_ptr<media::AudioInput> device);
    const std::shared_ptr<media::AudioInput>& device() const { return device_; }

    explicit AudioDeviceInput(std::shared_ptr<media::AudioInput> device) : device_(std::move(device)) {}

private:
    std::shared_ptr<media::AudioInput> device_;
};

using AudioDeviceInputPtr = std::shared_ptr<AudioDeviceInput>;

class AudioDataOutput : public CaptureOutput, public std::enable_shared_from_this<AudioDataOutput> {
public:
    using Delegate = std::function<void(const media::AudioSampleBuffer& buffer)>;

    // Sound goes to `delegate` on `queue`, one run at a time and in order
    // even on a concurrent queue.
    void setSampleBufferDelegate(Delegate delegate, foundation::DispatchQueue queue);
    // The rate and channels sound is captured in (44.1 kHz mono unless set);
    // a change takes effect the next time the session starts capturing.
    media::AudioInputFormat audioFormat() const;
    void setAudioFormat(media::AudioInputFormat format);

    // For the session: hands a run of sound to the delegate's queue.
    void offer(const std::shared_ptr<const media::AudioSampleBuffer>& buffer);

private:
    mutable std::mutex mutex_;
    Delegate delegate_;
    std::optional<foundation::DispatchQueue> queue_;
    media::AudioInputFormat format_{44100, 1};
    std::deque<std::shared_ptr<const media::AudioSampleBuffer>> pending_;
    bool draining_ = false;
};

}  // namespace capture
