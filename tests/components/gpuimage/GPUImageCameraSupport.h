#pragma once

// Cameras for pipeline tests: synthetic cameras installed as the machine's,
// frames made from bytes, and a thread-safe frame counter.

#include "components/gpuimage/GPUImageOutput.h"
#include "platform/capture/SampleBuffer.h"
#include "platform/capture/SyntheticCamera.h"
#include "support/VirtualClock.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace gpuimagetest {

// Installs synthetic cameras for one test on a virtual clock, and removes
// them (and any forced texture limit) afterwards.
struct SyntheticCameras {
    explicit SyntheticCameras(std::vector<capture::SyntheticCameraConfig> cameras);
    ~SyntheticCameras();
    // Moves the clock and waits for the frames it made to pass the pipeline.
    void runFor(double seconds);

    testsupport::VirtualClockScope clock;
    std::shared_ptr<capture::SyntheticCaptureBackend> backend;
};

// A BGRA buffer of `rgba` pixels (top row first) with rows of `bytesPerRow`
// bytes, the padding filled with `padding`.
capture::SampleBufferPtr bgraBuffer(int width, int height, const std::vector<std::array<uint8_t, 4>>& rgba,
                                    int64_t bytesPerRow, uint8_t padding = 0x5a);
// A bi-planar buffer of one colour, padded rows included.
capture::SampleBufferPtr yuvBuffer(const std::string& format, int width, int height, uint8_t y, uint8_t cb, uint8_t cr,
                                   std::optional<std::string> matrix);

// Counts frames and keeps the last size, on any thread.
class CountingTarget : public gpuimage::GPUImageInput {
public:
    void newFrameReadyAtTime(gpuimage::FrameTime, int) override { ++frames; }
    void setInputTexture(GLuint, int) override {}
    void setTextureDelegate(std::weak_ptr<gpuimage::GPUImageTextureDelegate>, int) override {}
    int nextAvailableTextureIndex() override { return 0; }
    void setInputSize(graphics::Size size, int) override {
        width = int(size.width);
        height = int(size.height);
    }
    void setInputRotation(gpuimage::GPUImageRotationMode mode, int) override { rotation = int(mode); }
    graphics::Size maximumOutputSize() override { return {}; }
    void endProcessing() override {}
    bool shouldIgnoreUpdatesToThisTarget() override { return false; }
    bool enabled() override { return true; }
    void conserveMemoryForNextFrame() override { ++conserveRequests; }
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool) override {}

    std::atomic<int> frames{0}, width{0}, height{0}, rotation{-1}, conserveRequests{0};
};

// An audio encoding target that keeps what it is handed, on any thread:
// the frames, and how many runs did not start where the previous one ended
// or came at another rate than asked for.
class SoundCounter : public gpuimage::GPUImageAudioEncodingTarget {
public:
    explicit SoundCounter(int sampleRate) : sampleRate_(sampleRate) {}
    bool hasAudioTrack() const override { return hasAudioTrack_; }
    void setHasAudioTrack(bool has) override { hasAudioTrack_ = has; }
    int audioSampleRate() const override { return sampleRate_; }
    void processAudioBuffer(const media::AudioSampleBuffer& buffer) override;

    int64_t frames() const;
    int misfits() const;
    // The time of the first run; invalid before it.
    media::MediaTime firstTime() const;

private:
    const int sampleRate_;
    std::atomic<bool> hasAudioTrack_{false};
    mutable std::mutex mutex_;
    int64_t frames_ = 0;
    int misfits_ = 0;
    media::MediaTime first_ = media::MediaTime::invalid();
    media::MediaTime next_ = media::MediaTime::invalid();
};

}  // namespace gpuimagetest
