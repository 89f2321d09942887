#include "platform/capture/AudioCaptureOutput.h"

#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cmath>

namespace capture {

foundation::Result<std::shared_ptr<AudioDeviceInput>> AudioDeviceInput::create(
    std::shared_ptr<media::AudioInput> device) {
    if (!device)
        return foundation::Error(kCaptureErrorDomain, kCaptureErrorDeviceNotAvailable, "No microphone was given.");
    return std::make_shared<AudioDeviceInput>(std::move(device));
}

// ---- output ---------------------------------------------------------------------------------

void AudioDataOutput::setSampleBufferDelegate(Delegate delegate, foundation::DispatchQueue queue) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
    queue_ = std::move(queue);
}

media::AudioInputFormat AudioDataOutput::audioFormat() const {
    std::lock_guard lock(mutex_);
    return format_;
}

void AudioDataOutput::setAudioFormat(media::AudioInputFormat format) {
    if (format.sampleRate <= 0 || format.channelCount <= 0) return;
    std::lock_guard lock(mutex_);
    format_ = format;
}

void AudioDataOutput::offer(const std::shared_ptr<const media::AudioSampleBuffer>& buffer) {
    std::optional<foundation::DispatchQueue> queue;
    {
        std::lock_guard lock(mutex_);
        if (!delegate_ || !queue_) return;
        pending_.push_back(buffer);
        // One drain at a time keeps the runs in order on any queue.
        if (draining_) return;
        draining_ = true;
        queue = queue_;
    }
    queue->async([this, keep = shared_from_this()] {
        for (;;) {
            std::shared_ptr<const media::AudioSampleBuffer> next;
            Delegate delegate;
            {
                std::lock_guard lock(mutex_);
                if (pending_.empty() || !delegate_) {
                    pending_.clear();
                    draining_ = false;
                    return;
                }
                next = std::move(pending_.front());
                pending_.pop_front();
                delegate = delegate_;
            }
            delegate(*next);
        }
    });
}

// ---- the session's microphone --------------------------------------------------------------

bool CaptureSession::canAddInput(const std::shared_ptr<AudioDeviceInput>& input) const {
    return input && input->device() && !audioInput_;
}

bool CaptureSession::addInput(const std::shared_ptr<AudioDeviceInput>& input) {
    if (!canAddInput(input)) return false;
    audioInput_ = input;
    reconfigureAudio();
    return true;
}

void CaptureSession::removeInput(const std::shared_ptr<AudioDeviceInput>& input) {
    if (!input || input != audioInput_) return;
    audioInput_.reset();
    reconfigureAudio();
}

void CaptureSession::reconfigureAudio() {
    if (configurationDepth_ > 0) return;
    std::shared_ptr<AudioDataOutput> firstOutput;
    for (const auto& output : outputs_) {
        if (auto audio = std::dynamic_pointer_cast<AudioDataOutput>(output)) {
            firstOutput = audio;
            break;
        }
    }
    if (!running_ || !audioInput_ || !firstOutput) {
        audioCapture_.reset();
        return;
    }
    if (audioCapture_) return;
    audioFormat_ = firstOutput->audioFormat();
    audioStartFrame_ = std::llround(foundation::RunLoop::main().now() * audioFormat_.sampleRate);
    audioFramesDelivered_ = 0;
    std::weak_ptr<CaptureSession> weak = weak_from_this();
    auto capture = audioInput_->device()->start(
        audioFormat_,
        [weak](const float* interleaved, size_t frames) {
            if (auto session = weak.lock()) session->deliverAudio(interleaved, frames);
        },
        [weak, generation = ++audioGeneration_](const foundation::Error&) {
            // The microphone went away: the pictures go on without sound. The
            // capture is let go once its own handler has returned, unless a
            // new one has replaced it by then.
            foundation::DispatchQueue::main().async([weak, generation] {
                auto session = weak.lock();
                if (session && session->audioGeneration_ == generation) session->audioCapture_.reset();
            });
        });
    // A microphone that refuses to start leaves the session without sound.
    if (capture) audioCapture_ = std::move(*capture);
}

void CaptureSession::deliverAudio(const float* interleaved, size_t frames) {
    if (!audioCapture_ || frames == 0) return;
    auto buffer = std::make_shared<media::AudioSampleBuffer>();
    buffer->sampleRate = audioFormat_.sampleRate;
    buffer->channelCount = audioFormat_.channelCount;
    buffer->presentationTime =
        media::MediaTime::make(audioStartFrame_ + audioFramesDelivered_, audioFormat_.sampleRate);
    buffer->samples.assign(interleaved, interleaved + frames * size_t(audioFormat_.channelCount));
    audioFramesDelivered_ += int64_t(frames);
    const std::shared_ptr<const media::AudioSampleBuffer> shared = std::move(buffer);
    for (const auto& output : outputs_) {
        if (auto audio = std::dynamic_pointer_cast<AudioDataOutput>(output)) audio->offer(shared);
    }
}

}  // namespace capture
