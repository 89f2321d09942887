#pragma once

// The live camera as a source of the pipeline: a capture session with one
// camera input and one video-data output, whose frames are uploaded on the
// context queue and pushed to the targets at the rotation that the
// interface orientation and the mirroring flags call for.
//
// One frame is in flight at a time: a frame that finds the previous one
// still queued or in work is dropped. BGRA frames are uploaded as they are
// (padded rows included, through GL_UNPACK_ROW_LENGTH); bi-planar YCbCr
// buffers are uploaded as a luma and a chroma texture and converted to RGB
// in the camera's own framebuffer. The microphone, when attached, feeds the
// audio encoding target on a queue of its own; sound never touches the
// context queue.
//
// Make cameras with create(); use them from the main thread.

#include "components/gpuimage/GPUImageColorConversion.h"
#include "components/gpuimage/GPUImageOutput.h"
#include "platform/capture/AudioCaptureOutput.h"
#include "platform/capture/CaptureSession.h"
#include "platform/foundation/DispatchSemaphore.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace gpuimage {

class GLProgram;

class GPUImageVideoCameraDelegate {
public:
    virtual ~GPUImageVideoCameraDelegate() = default;
    // Each video frame, on the context queue, before it is processed.
    virtual void willOutputSampleBuffer(const capture::SampleBuffer& sampleBuffer) = 0;
};

class GPUImageVideoCamera : public GPUImageOutput {
public:
    // The 640x480 preset on the back camera.
    static std::shared_ptr<GPUImageVideoCamera> create();
    // Null when no camera sits at the position or the session refuses the
    // video output ("Couldn't add video output").
    static std::shared_ptr<GPUImageVideoCamera> create(const std::string& sessionPreset,
                                                       capture::DevicePosition cameraPosition);
    // The same over that camera (one that cameras without a position do not
    // tell apart from another); null for none.
    static std::shared_ptr<GPUImageVideoCamera> create(const std::string& sessionPreset,
                                                       const capture::CaptureDevicePtr& camera);
    ~GPUImageVideoCamera() override;

    void startCameraCapture();
    void stopCameraCapture();
    void pauseCameraCapture() { capturePaused_.store(true); }
    void resumeCameraCapture() { capturePaused_.store(false); }
    bool isCapturePaused() const { return capturePaused_.load(); }

    // Between back and front; nothing without a front camera.
    void rotateCamera();
    // To that camera, in one configuration of the session; where no input
    // can be made for it, the session refuses it, or it opens but fails its
    // start (another program streams from it), the camera in use films on.
    // False then (and for no camera), with the reason in `why` when given.
    bool switchToCamera(const capture::CaptureDevicePtr& camera, foundation::Error* why = nullptr);
    capture::DevicePosition cameraPosition() const;
    static bool isBackFacingCameraPresent();
    static bool isFrontFacingCameraPresent();

    const capture::CaptureSessionPtr& captureSession() const { return captureSession_; }
    const capture::CaptureDevicePtr& inputCamera() const { return inputCamera_; }
    const std::string& captureSessionPreset() const { return captureSessionPreset_; }
    void setCaptureSessionPreset(const std::string& preset);

    // Frames a second; 0 or less restores the camera's own pace.
    int frameRate() const { return frameRate_; }
    void setFrameRate(int frameRate);

    // Interface orientation 1 portrait, 2 upside down, 3 landscape right,
    // 4 landscape left; 0 until set.
    int outputImageOrientation() const { return outputImageOrientation_; }
    void setOutputImageOrientation(int orientation);
    bool horizontallyMirrorFrontFacingCamera() const { return horizontallyMirrorFrontFacingCamera_; }
    void setHorizontallyMirrorFrontFacingCamera(bool mirror);
    bool horizontallyMirrorRearFacingCamera() const { return horizontallyMirrorRearFacingCamera_; }
    void setHorizontallyMirrorRearFacingCamera(bool mirror);
    GPUImageRotationMode outputRotation() const { return outputRotation_; }

    // The rotation handed to targets for a camera position, mirroring flag
    // and interface orientation; none for an orientation outside 1-4.
    static std::optional<GPUImageRotationMode> rotationFor(capture::DevicePosition position, bool mirrored,
                                                           int interfaceOrientation);

    void addTarget(const std::shared_ptr<GPUImageInput>& target, int textureLocation) override;
    using GPUImageOutput::addTarget;

    // A target attaches the microphone (when none is attached yet) and
    // receives its sound at the target's rate while the session runs; null
    // detaches a microphone that a target attached.
    void setAudioEncodingTarget(std::shared_ptr<GPUImageAudioEncodingTarget> target) override;
    // Adds the machine's microphone and an audio-data output to the session;
    // false when audio is already attached or there is no microphone.
    bool addAudioInputsAndOutputs();
    // False when no audio is attached.
    bool removeAudioInputsAndOutputs();
    virtual void removeInputsAndOutputs();
    // The microphone in use; null while no audio is attached.
    const std::shared_ptr<media::AudioInput>& microphone() const { return microphone_; }
    const std::shared_ptr<capture::AudioDataOutput>& audioOutput() const { return audioOutput_; }

    bool runBenchmark() const { return runBenchmark_; }
    void setRunBenchmark(bool run) { runBenchmark_ = run; }
    // Milliseconds a frame took on average, not counting the first five
    // (which warm the pipeline up); 0 until a sixth frame was processed.
    double averageFrameDurationDuringCapture() const;
    void resetBenchmarkAverage();
    uint64_t numberOfFramesCaptured() const { return numberOfFramesCaptured_.load(); }

    void setDelegate(GPUImageVideoCameraDelegate* delegate) { delegate_.store(delegate); }
    const std::shared_ptr<capture::VideoDataOutput>& videoOutput() const { return videoOutput_; }
    bool captureAsYUV() const { return captureAsYUV_; }

    // The frame path. A video frame from the output (any queue): taken when
    // no frame is in flight, else dropped; nothing while the session is not
    // running.
    void captureOutput(const capture::SampleBuffer& sampleBuffer);
    // On the context queue: uploads, converts and pushes one frame.
    void processVideoSampleBuffer(const capture::SampleBuffer& sampleBuffer);
    // A run of microphone sound (the audio queue): to the audio encoding
    // target; nothing while the session is not running.
    void processAudioSampleBuffer(const media::AudioSampleBuffer& buffer);

protected:
    GPUImageVideoCamera() = default;
    // The initialiser's work; false when the camera cannot be made.
    bool setUp(const std::string& sessionPreset, capture::DevicePosition cameraPosition);
    bool setUp(const std::string& sessionPreset, const capture::CaptureDevicePtr& camera);
    void updateOrientationSendToTargets();
    // On any queue but the context queue: tells the delegate about the
    // frame and processes it there, returning when it is done.
    void processFrameOnContextQueue(const capture::SampleBuffer& sampleBuffer);

    foundation::DispatchSemaphore frameRenderingSemaphore_{1};
    capture::CaptureSessionPtr captureSession_;
    bool captureAsYUV_ = true;

private:
    // The session films with `input` instead of the camera in use, in one
    // configuration; false when it refuses it and the camera in use stays.
    bool useInput(const capture::CaptureDeviceInputPtr& input);
    void uploadBGRA(const capture::SampleBuffer& sampleBuffer);
    void uploadPlanes(const capture::SampleBuffer& sampleBuffer);
    void convertYUVToRGBOutput();
    void createYUVConversionFBO();
    void setYUVConversionFBO();
    void destroyYUVConversionFBO();
    void updateTargetsForVideoCamera(int width, int height, FrameTime time);
    void noteFrameTime(double seconds);

    capture::CaptureDevicePtr inputCamera_;
    capture::CaptureDeviceInputPtr videoInput_;
    std::shared_ptr<capture::VideoDataOutput> videoOutput_;
    std::string captureSessionPreset_;
    std::atomic<bool> capturePaused_{false};
    // Whether frames are wanted; read on the capture queues.
    std::atomic<bool> sessionRunning_{false};
    std::atomic<GPUImageVideoCameraDelegate*> delegate_{nullptr};
    std::shared_ptr<media::AudioInput> microphone_;
    capture::AudioDeviceInputPtr audioInput_;
    std::shared_ptr<capture::AudioDataOutput> audioOutput_;
    bool addedAudioInputsDueToEncodingTarget_ = false;
    int audioSampleRate_ = 44100;  // the rate the target asks for

    std::atomic<uint64_t> numberOfFramesCaptured_{0};
    std::atomic<double> totalFrameTimeDuringCapture_{0};
    bool runBenchmark_ = false;
    int frameRate_ = 0;
    int outputImageOrientation_ = 0;
    bool horizontallyMirrorFrontFacingCamera_ = false;
    bool horizontallyMirrorRearFacingCamera_ = false;
    GPUImageRotationMode outputRotation_ = GPUImageRotationMode::NoRotation;

    // Context queue only.
    std::shared_ptr<GLProgram> yuvConversionProgram_;
    GLint yuvConversionPositionAttribute_ = 0;
    GLint yuvConversionTextureCoordinateAttribute_ = 0;
    GLint yuvConversionLuminanceTextureUniform_ = -1;
    GLint yuvConversionChrominanceTextureUniform_ = -1;
    GLint yuvConversionMatrixUniform_ = -1;
    GLint yuvConversionLumaOffsetUniform_ = -1;
    gl::es2::Framebuffer yuvConversionFramebuffer_;
    gl::es2::Texture luminanceTexture_;
    gl::es2::Texture chrominanceTexture_;
    YUVConversion preferredConversion_;
    int imageBufferWidth_ = 0;
    int imageBufferHeight_ = 0;
};

}  // namespace gpuimage
