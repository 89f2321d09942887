#pragma once

// A pipeline target that records the frames it receives into a QuickTime
// movie through media::AssetWriter: each frame is drawn once more into the
// writer's own framebuffer, read back as BGRA and appended at its frame
// time, H.264-encoded. Sound from an audio source (the movie source or the
// video camera) goes to an AAC track, or unchanged as PCM with
// shouldPassthroughAudio.
//
// Live sources (the default) append on the writing queue and drop what the
// writer is not ready for; offline sources ("EncodingLiveVideo" false, or a
// movie source synchronised with this writer) append inline and wait for
// the writer, or let it pull frames through the ready callbacks.
//
// Make writers with create(); frames arrive on the context queue.

#include "components/gpuimage/GPUImageOutput.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/SampleBuffers.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace gpuimage {

inline constexpr const char* kGPUImageMovieWritingQueueLabel = "com.quorvane.GPUImage.movieWritingQueue";
inline constexpr const char* kGPUImageVideoReadingQueueLabel = "com.quorvane.GPUImage.videoReadingQueue";
inline constexpr const char* kGPUImageAudioReadingQueueLabel = "com.quorvane.GPUImage.audioReadingQueue";

// Keys of the output settings dictionary. Codec, width and height are
// required when settings are given; the others are optional.
inline constexpr const char* kGPUImageVideoCodecKey = "AVVideoCodecKey";
inline constexpr const char* kGPUImageVideoCodecH264 = "avc1";
inline constexpr const char* kGPUImageVideoWidthKey = "AVVideoWidthKey";
inline constexpr const char* kGPUImageVideoHeightKey = "AVVideoHeightKey";
inline constexpr const char* kGPUImageVideoAverageBitRateKey = "AVVideoAverageBitRateKey";
inline constexpr const char* kGPUImageVideoFrameRateKey = "AVVideoExpectedSourceFrameRateKey";
inline constexpr const char* kGPUImageEncodingLiveVideoKey = "EncodingLiveVideo";
// Keys of the audio settings dictionary.
inline constexpr const char* kGPUImageAudioSampleRateKey = "AVSampleRateKey";
inline constexpr const char* kGPUImageAudioChannelsKey = "AVNumberOfChannelsKey";
inline constexpr const char* kGPUImageAudioBitRateKey = "AVEncoderBitRateKey";

inline constexpr const char* kGPUImageMissingSettingsText = "OutputSettings is missing required parameters.";
inline constexpr int64_t kGPUImageErrorMissingSettings = 30;

// The sound rate of this machine's audio hardware, as recorded tracks use it.
inline constexpr int kGPUImageHardwareSampleRate = 44100;

class GPUImageMovieWriterDelegate {
public:
    virtual ~GPUImageMovieWriterDelegate() = default;
    virtual void movieRecordingCompleted() {}
    virtual void movieRecordingFailedWithError(const foundation::Error&) {}
};

class GPUImageMovieWriter : public GPUImageInput,
                            public GPUImageAudioEncodingTarget,
                            public std::enable_shared_from_this<GPUImageMovieWriter> {
public:
    using ReadyCallback = std::function<bool()>;

    // A writer of `fileType` (QuickTime) at `path`, `size` pixels. Without
    // settings: H.264 at `size`. A writer that cannot be made keeps its
    // error (logged "Error: ..."), and later calls act on no writer.
    static std::shared_ptr<GPUImageMovieWriter> create(
        const std::string& path, graphics::Size size,
        const std::string& fileType = media::AssetWriter::kFileTypeQuickTimeMovie,
        const std::optional<foundation::Dictionary>& outputSettings = std::nullopt);
    ~GPUImageMovieWriter() override;

    void startRecording();
    // With `transform` as the track's display transform.
    void startRecordingInOrientation(const graphics::AffineTransform& transform);
    void finishRecording() { finishRecordingWithCompletionHandler(nullptr); }
    // `handler` runs once the file is complete (on a global queue), or at
    // once on the context queue when the writer never started or already
    // ended.
    void finishRecordingWithCompletionHandler(std::function<void()> handler);
    void cancelRecording();

    // Any thread. Sound at the track's rate; the channels are matched to the
    // track's (mixed down or doubled).
    void processAudioBuffer(const media::AudioSampleBuffer& buffer) override;
    // Lets the writer pull frames and sound through the ready callbacks.
    void enableSynchronizationCallbacks();

    bool hasAudioTrack() const override { return hasAudioTrack_.load(); }
    void setHasAudioTrack(bool hasAudioTrack) override { setHasAudioTrack(hasAudioTrack, std::nullopt); }
    // AAC by default: one channel at the hardware rate, 64 kbit/s.
    void setHasAudioTrack(bool hasAudioTrack, const std::optional<foundation::Dictionary>& audioSettings);

    // From the first sample to the last frame (or the last sound when no
    // frame was written); zero before the first sample.
    media::MediaTime duration() const;
    std::shared_ptr<media::AssetWriter> assetWriter() const { return assetWriter_; }
    // What the movie says about itself (title, author, comment, creation
    // date, copyright), written into the file when recording starts. Set it
    // before that: a later change is refused with the asset writer's error
    // and the metadata stays; without a writer, its creation error.
    std::vector<media::MetadataItem> metaData() const;
    foundation::Status setMetaData(std::vector<media::MetadataItem> metaData);
    // How players turn the recorded pictures; all zero without a video track.
    // Set it before recording starts.
    graphics::AffineTransform transform() const;
    void setTransform(const graphics::AffineTransform& transform);
    std::optional<foundation::Error> error() const;
    graphics::Size videoSize() const { return videoSize_; }
    // The rate sound is to arrive in.
    int audioSampleRate() const override {
        return audioInput_ ? audioInput_->audioSettings().sampleRate : kGPUImageHardwareSampleRate;
    }

    // GPUImageInput.
    void newFrameReadyAtTime(FrameTime frameTime, int textureIndex) override;
    void setInputTexture(GLuint texture, int) override { inputTextureForMovieRendering_ = texture; }
    void setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int) override {
        textureDelegate_ = std::move(delegate);
    }
    int nextAvailableTextureIndex() override { return 0; }
    void setInputSize(graphics::Size size, int) override { inputSize_ = size; }
    void setInputRotation(GPUImageRotationMode rotation, int) override { inputRotation_ = rotation; }
    graphics::Size maximumOutputSize() override { return videoSize_; }
    void endProcessing() override;
    bool shouldIgnoreUpdatesToThisTarget() override { return false; }
    bool enabled() override { return enabled_.load(); }
    void conserveMemoryForNextFrame() override {}
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool) override {}

    // Properties; set them before recording starts.
    bool encodingLiveVideo() const { return encodingLiveVideo_.load(); }
    void setEncodingLiveVideo(bool live) { encodingLiveVideo_ = live; }
    bool shouldPassthroughAudio() const { return shouldPassthroughAudio_; }
    void setShouldPassthroughAudio(bool passthrough) { shouldPassthroughAudio_ = passthrough; }
    bool shouldInvalidateAudioSampleWhenDone() const { return shouldInvalidateAudioSampleWhenDone_; }
    void setShouldInvalidateAudioSampleWhenDone(bool invalidate) override {
        shouldInvalidateAudioSampleWhenDone_ = invalidate;
    }
    bool paused() const { return paused_.load(); }
    void setPaused(bool paused) { paused_ = paused; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool isRecording() const { return isRecording_.load(); }
    void setCompletionBlock(std::function<void()> block);
    void setFailureBlock(std::function<void(const foundation::Error&)> block);
    void setVideoInputReadyCallback(ReadyCallback callback);
    void setAudioInputReadyCallback(ReadyCallback callback);
    void setDelegate(std::weak_ptr<GPUImageMovieWriterDelegate> delegate);

    // Made through create(); public for std::make_shared.
    GPUImageMovieWriter(std::string path, graphics::Size size);

private:
    void initializeMovie(const std::string& fileType, const std::optional<foundation::Dictionary>& settings);
    void setUpProgram();
    void reportFailure(const foundation::Error& error);
    void startSessionIfNeeded(media::MediaTime time, bool video);
    bool renderAndReadBack(media::PixelBuffer& buffer);
    bool readInputTexture(media::PixelBuffer& buffer);
    bool createDataFBO();
    void destroyDataFBO();
    std::shared_ptr<media::PixelBuffer> takePixelBuffer();
    void returnPixelBuffer(std::shared_ptr<media::PixelBuffer> buffer);
    // Offline appends wait for the input, at most a while.
    bool waitUntilReady(const media::AssetWriterInput& input, const std::atomic<bool>& finished) const;
    void writeVideo(std::shared_ptr<media::PixelBuffer> buffer, media::MediaTime time);
    void writeAudio(const media::AudioSampleBuffer& buffer);
    void markVideoFinished();
    void markAudioFinished();

    const std::string path_;
    const graphics::Size videoSize_;
    foundation::DispatchQueue movieWritingQueue_;
    std::optional<foundation::DispatchQueue> videoQueue_;
    std::optional<foundation::DispatchQueue> audioQueue_;

    std::shared_ptr<media::AssetWriter> assetWriter_;
    std::shared_ptr<media::AssetWriterInput> videoInput_;
    std::shared_ptr<media::AssetWriterInput> audioInput_;

    // Context queue only.
    gl::es2::Framebuffer movieFramebuffer_;
    gl::es2::Texture movieRenderTexture_;
    // Holds the input's texture while it is read without a draw.
    gl::es2::Framebuffer inputReadFramebuffer_;
    std::shared_ptr<GLProgram> colorSwizzlingProgram_;
    GLint positionAttribute_ = 0;
    GLint textureCoordinateAttribute_ = 1;
    GLint inputTextureUniform_ = -1;
    bool readsBgra_ = false;
    GLuint inputTextureForMovieRendering_ = 0;
    graphics::Size inputSize_;
    GPUImageRotationMode inputRotation_ = GPUImageRotationMode::NoRotation;
    std::weak_ptr<GPUImageTextureDelegate> textureDelegate_;

    mutable std::mutex mutex_;  // guards the times, the closures and the error
    media::MediaTime startTime_ = media::MediaTime::invalid();
    media::MediaTime previousFrameTime_ = media::MediaTime::invalid();
    media::MediaTime previousAudioTime_ = media::MediaTime::invalid();
    std::optional<foundation::Error> error_;
    std::function<void()> completionBlock_;
    std::function<void(const foundation::Error&)> failureBlock_;
    ReadyCallback videoInputReadyCallback_;
    ReadyCallback audioInputReadyCallback_;
    std::weak_ptr<GPUImageMovieWriterDelegate> delegate_;
    std::vector<std::shared_ptr<media::PixelBuffer>> freeBuffers_;
    foundation::DispatchSemaphore offlineFramesInFlight_{3};

    std::atomic<bool> alreadyFinishedRecording_{false};
    std::atomic<bool> audioEncodingIsFinished_{false};
    std::atomic<bool> videoEncodingIsFinished_{false};
    std::atomic<bool> isRecording_{false};
    std::atomic<bool> hasAudioTrack_{false};
    std::atomic<bool> encodingLiveVideo_{true};
    std::atomic<bool> enabled_{true};
    std::atomic<bool> paused_{false};
    bool shouldPassthroughAudio_ = false;
    bool shouldInvalidateAudioSampleWhenDone_ = false;
    int frameRate_ = 30;
    int64_t averageBitRate_ = 0;
};

}  // namespace gpuimage
