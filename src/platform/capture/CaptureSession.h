#pragma once

// A capture session joins one camera input to its outputs: a video-data
// output that hands frames to a delegate on a serial queue, a still-image
// output, and preview layers that show the live picture.
//
// Frames leave this layer as the phone's sensor lays them down
// (SensorOrientation.h): BGRA with premultiplied alpha, turned for the
// session's interface orientation and the camera's position. Preview layers
// show the frame upright, as the system's stored picture will look.
//
// The session is configured on the main thread. Stopping it never waits for
// an output's queue: a delegate busy with a frame (it may itself wait for the
// main thread) finishes on its own, and no further frame is handed out.

#include "platform/capture/CaptureDevice.h"
#include "platform/capture/SampleBuffer.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"
#include "platform/media/AudioInput.h"

#include <QImage>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace capture {

class AudioDataOutput;
class AudioDeviceInput;
class CaptureSession;
class VideoPreviewLayer;
struct SessionPipe;

class CaptureDeviceInput {
public:
    // Opens the camera; fails with the backend's error when it cannot.
    static foundation::Result<std::shared_ptr<CaptureDeviceInput>> create(const CaptureDevicePtr& device);
    const CaptureDevicePtr& device() const { return device_; }

    explicit CaptureDeviceInput(CaptureDevicePtr device) : device_(std::move(device)) {}

private:
    CaptureDevicePtr device_;
};

using CaptureDeviceInputPtr = std::shared_ptr<CaptureDeviceInput>;

class CaptureOutput {
public:
    virtual ~CaptureOutput() = default;
};

class VideoDataOutput : public CaptureOutput {
public:
    using Delegate = std::function<void(const SampleBuffer& buffer)>;

    // Frames go to `delegate` on `queue`, one at a time.
    void setSampleBufferDelegate(Delegate delegate, foundation::DispatchQueue queue);
    // A frame that arrives while the delegate still works on the previous one
    // is dropped (the default) instead of queued.
    bool alwaysDiscardsLateVideoFrames() const { return discardsLate_.load(); }
    void setAlwaysDiscardsLateVideoFrames(bool discards) { discardsLate_.store(discards); }
    // The pixel formats frames can be asked in: only kPixelFormatBGRA.
    std::vector<std::string> availableVideoPixelFormatTypes() const { return {kPixelFormatBGRA}; }
    // Asks for frames in a format of the list above; false for any other.
    bool setPixelFormat(const std::string& format);
    std::string pixelFormat() const { return kPixelFormatBGRA; }

    // For the session: hands a frame to the delegate's queue unless dropped.
    void offer(const std::shared_ptr<const SampleBuffer>& buffer);

private:
    std::mutex mutex_;
    Delegate delegate_;
    std::optional<foundation::DispatchQueue> queue_;
    std::atomic<bool> discardsLate_{true};
    std::shared_ptr<std::atomic<int>> inFlight_ = std::make_shared<std::atomic<int>>(0);
};

class StillImageOutput : public CaptureOutput {
public:
    using Completion = std::function<void(foundation::Result<foundation::Bytes> jpegData)>;

    // Takes a picture with the session's camera and hands its JPEG data
    // (pixels as the sensor wrote them) to `completion` on a global queue.
    // Without a running session with a connected camera the completion
    // receives an error.
    void captureStillImageAsynchronously(Completion completion);
    // The same picture as an uncompressed BGRA buffer, for outputs whose
    // settings ask for kPixelFormatBGRA.
    using SampleCompletion = std::function<void(foundation::Result<SampleBufferPtr> buffer)>;
    void captureStillSampleBufferAsynchronously(SampleCompletion completion);
    bool isCapturingStillImage() const { return capturing_->load() > 0; }

    // The uncompressed formats stills can be asked in: only kPixelFormatBGRA.
    std::vector<std::string> availableImageDataPixelFormatTypes() const { return {kPixelFormatBGRA}; }
    // The format of the output settings: empty for JPEG (the default), or
    // one of the list above; false and unchanged for any other.
    bool setOutputPixelFormat(const std::string& format);
    const std::string& outputPixelFormat() const { return outputPixelFormat_; }

private:
    friend class CaptureSession;
    // Takes the still and hands the upright picture and the orientation
    // that turns the sensor's frame upright to `done` on a global queue.
    void captureUpright(std::function<void(foundation::Result<QImage>, graphics::ImageOrientation)> done);

    std::weak_ptr<SessionPipe> pipe_;
    std::string outputPixelFormat_;
    std::shared_ptr<std::atomic<int>> capturing_ = std::make_shared<std::atomic<int>>(0);
};

enum class VideoGravity { Resize, ResizeAspect, ResizeAspectFill };

class CaptureSession : public std::enable_shared_from_this<CaptureSession> {
public:
    static std::shared_ptr<CaptureSession> create();
    ~CaptureSession();
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    const std::string& sessionPreset() const { return preset_; }
    // Presets the current camera does not offer are refused (false).
    bool canSetSessionPreset(const std::string& preset) const;
    bool setSessionPreset(const std::string& preset);

    // One camera input at a time.
    bool canAddInput(const CaptureDeviceInputPtr& input) const;
    bool addInput(const CaptureDeviceInputPtr& input);
    void removeInput(const CaptureDeviceInputPtr& input);
    const std::vector<CaptureDeviceInputPtr>& inputs() const { return inputs_; }

    // One microphone input at a time, beside the camera (AudioCaptureOutput.h).
    bool canAddInput(const std::shared_ptr<AudioDeviceInput>& input) const;
    bool addInput(const std::shared_ptr<AudioDeviceInput>& input);
    void removeInput(const std::shared_ptr<AudioDeviceInput>& input);
    const std::shared_ptr<AudioDeviceInput>& audioInput() const { return audioInput_; }
    // Whether the microphone is being captured now.
    bool isCapturingAudio() const { return audioCapture_ != nullptr; }

    bool canAddOutput(const std::shared_ptr<CaptureOutput>& output) const;
    bool addOutput(const std::shared_ptr<CaptureOutput>& output);
    void removeOutput(const std::shared_ptr<CaptureOutput>& output);
    const std::vector<std::shared_ptr<CaptureOutput>>& outputs() const { return outputs_; }

    // Changes between begin and commit take effect together at the commit.
    void beginConfiguration();
    void commitConfiguration();

    void startRunning();
    // Stops the flow of frames at once, without waiting for any output queue.
    void stopRunning();
    bool isRunning() const { return running_; }

    // The interface orientation frames are laid down for (1-4, the platform's
    // values); the status bar's at startRunning, changed by preview layers.
    int interfaceOrientation() const;
    void setInterfaceOrientation(int orientation);

    // The frame size the camera streams at now (the clean aperture); zero
    // while not streaming.
    graphics::Size streamSize() const { return streamSize_; }

    // For preview layers.
    void attachPreviewLayer(const std::shared_ptr<VideoPreviewLayer>& layer);
    void detachPreviewLayer(const VideoPreviewLayer* layer);

private:
    CaptureSession();
    void reconfigure();
    void reconfigureVideo();
    void reconfigureAudio();
    void deliverAudio(const float* interleaved, size_t frames);
    void stopStreaming();
    CaptureDevicePtr currentDevice() const;
    graphics::Size videoSizeFor(const CaptureDevice& device) const;

    std::string preset_;
    std::vector<CaptureDeviceInputPtr> inputs_;
    std::vector<std::shared_ptr<CaptureOutput>> outputs_;
    std::shared_ptr<SessionPipe> pipe_;
    std::shared_ptr<AudioDeviceInput> audioInput_;
    std::unique_ptr<media::AudioCapture> audioCapture_;
    media::AudioInputFormat audioFormat_;
    // Sound times count sample frames from the capture's start on the run
    // loop's clock, so runs follow each other without gaps or overlaps.
    int64_t audioStartFrame_ = 0;
    int64_t audioFramesDelivered_ = 0;
    uint64_t audioGeneration_ = 0;  // counts the captures started
    CaptureDevicePtr streamingDevice_;
    graphics::Size streamSize_;
    int configurationDepth_ = 0;
    bool running_ = false;
};

using CaptureSessionPtr = std::shared_ptr<CaptureSession>;

}  // namespace capture
