#pragma once

// The source side of the pipeline graph. Every source (and every filter,
// which is both) keeps an ordered list of targets, each with the texture
// slot at which it receives this source's output texture.
//
// Graph changes may come from any thread; the checks and the changes both
// run on the context queue, so they never interleave with a frame.

#include "components/gpuimage/GPUImageContext.h"
#include "components/gpuimage/GPUImageTypes.h"
#include "platform/foundation/Error.h"
#include "platform/gl/Es2.h"
#include "platform/graphics/Image.h"
#include "platform/media/SampleBuffers.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace gpuimage {

class GPUImageInput;
class GPUImageOutput;

// Sampling and storage of an output texture: 8-bit RGBA storage filled from
// BGRA-ordered data, linear, clamped, unless a source asks otherwise.
struct GPUTextureOptions {
    GLenum minFilter = GL_LINEAR;
    GLenum magFilter = GL_LINEAR;
    GLenum wrapS = GL_CLAMP_TO_EDGE;
    GLenum wrapT = GL_CLAMP_TO_EDGE;
    GLenum internalFormat = GL_RGBA;
    GLenum format = GL_BGRA_EXT;
    GLenum type = GL_UNSIGNED_BYTE;
};

// On the context queue: gives the bound GL_TEXTURE_2D the options' filters and wraps.
void applyTextureSampling(const GPUTextureOptions& options);

// On the context queue: makes a new GL object, hands it to the handle (which
// deletes what it held) and binds it (textures to GL_TEXTURE_2D). Returns
// its name.
GLuint bindNewFramebuffer(gl::es2::Framebuffer& framebuffer);
GLuint bindNewRenderbuffer(gl::es2::Renderbuffer& renderbuffer);
GLuint bindNewTexture(gl::es2::Texture& texture);

// A source that wants its texture back once a target has drawn from it.
class GPUImageTextureDelegate {
public:
    virtual ~GPUImageTextureDelegate() = default;
    virtual void textureNoLongerNeededForTarget(GPUImageInput* target) = 0;
};

// The target side. Sources call the frame operations on the context queue.
class GPUImageInput {
public:
    virtual ~GPUImageInput() = default;
    virtual void newFrameReadyAtTime(FrameTime frameTime, int textureIndex) = 0;
    virtual void setInputTexture(GLuint texture, int textureIndex) = 0;
    virtual void setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int textureIndex) = 0;
    virtual int nextAvailableTextureIndex() = 0;
    virtual void setInputSize(graphics::Size size, int textureIndex) = 0;
    virtual void setInputRotation(GPUImageRotationMode rotation, int textureIndex) = 0;
    // Zero: no limit.
    virtual graphics::Size maximumOutputSize() = 0;
    virtual void endProcessing() = 0;
    virtual bool shouldIgnoreUpdatesToThisTarget() = 0;
    virtual bool enabled() = 0;
    virtual void conserveMemoryForNextFrame() = 0;
    virtual bool wantsMonochromeInput() = 0;
    virtual void setCurrentlyReceivingMonochromeInput(bool monochrome) = 0;
    // Targets with a framebuffer of their own drop it when a source forces a
    // processing size; others ignore it.
    virtual void destroyFilterFBO() {}
};

// What a source hands its sound to (the movie writer). Sources call
// processAudioBuffer from their own threads, in time order, with runs of
// sound at audioSampleRate().
class GPUImageAudioEncodingTarget {
public:
    virtual ~GPUImageAudioEncodingTarget() = default;
    virtual bool hasAudioTrack() const = 0;
    virtual void setHasAudioTrack(bool hasAudioTrack) = 0;
    virtual void processAudioBuffer(const media::AudioSampleBuffer& buffer) = 0;
    // The rate sound is to arrive in.
    virtual int audioSampleRate() const = 0;
    // Set by sources whose runs of sound are not to be kept once written.
    virtual void setShouldInvalidateAudioSampleWhenDone(bool) {}
};

class GPUImageOutput : public GPUImageTextureDelegate, public std::enable_shared_from_this<GPUImageOutput> {
public:
    using FrameProcessingCompletionBlock = std::function<void(GPUImageOutput&, FrameTime)>;

    GPUImageOutput();
    ~GPUImageOutput() override;
    GPUImageOutput(const GPUImageOutput&) = delete;
    GPUImageOutput& operator=(const GPUImageOutput&) = delete;

    // A copy of the target list.
    std::vector<std::shared_ptr<GPUImageInput>> targets() const;
    std::vector<int> targetTextureIndices() const;

    // At the target's next free slot. A target that ignores updates gets
    // textures but no frames.
    void addTarget(const std::shared_ptr<GPUImageInput>& target);
    // A target already attached is left as it is.
    virtual void addTarget(const std::shared_ptr<GPUImageInput>& target, int textureLocation);
    // Detaches and resets the target (texture 0, size zero, no delegate,
    // rotation 0) and tells it that processing ended; unknown targets are ignored.
    virtual void removeTarget(const std::shared_ptr<GPUImageInput>& target);
    // Detaches and resets every target, without ending their processing.
    virtual void removeAllTargets();

    void setInputTextureForTarget(GPUImageInput& target, int textureIndex);
    virtual GLuint textureForOutput() { return outputTexture_.get(); }
    void notifyTargetsAboutNewOutputTexture();
    // On the queue: makes a texture name with this output's sampling (no storage).
    void initializeOutputTextureIfNeeded();
    virtual void deleteOutputTexture();
    GLuint outputTexture() const { return outputTexture_.get(); }

    virtual void conserveMemoryForNextFrame();
    void textureNoLongerNeededForTarget(GPUImageInput* target) override;
    virtual void cleanupOutputImage();

    virtual void forceProcessingAtSize(graphics::Size) {}
    virtual void forceProcessingAtSizeRespectingAspectRatio(graphics::Size) {}
    virtual void prepareForImageCapture() {}
    virtual bool providesMonochromeOutput() { return false; }

    // The current output as a picture; null when there is none.
    virtual graphics::Image newCGImageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation);
    // With the orientation that the device's orientation calls for.
    graphics::Image newCGImageFromCurrentlyProcessedOutput();
    graphics::Image imageFromCurrentlyProcessedOutput() { return newCGImageFromCurrentlyProcessedOutput(); }
    graphics::Image imageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation orientation);

    // One picture filtered through this object (which must be a target) at
    // once: a picture source feeds it a single frame and the output is read
    // back. Null when this object is no target or the picture is empty.
    graphics::Image newCGImageByFilteringCGImage(
        const graphics::Image& image, graphics::ImageOrientation orientation = graphics::ImageOrientation::Up);
    // With the picture's own orientation.
    graphics::Image newCGImageByFilteringImage(const graphics::Image& image);
    // The result carries the picture's scale and orientation.
    graphics::Image imageByFilteringImage(const graphics::Image& image);

    // Any thread: sources read the target on their sound threads.
    virtual void setAudioEncodingTarget(std::shared_ptr<GPUImageAudioEncodingTarget> target);
    std::shared_ptr<GPUImageAudioEncodingTarget> audioEncodingTarget() const;

    // Plain properties, settable from any thread before frames flow.
    void setFrameProcessingCompletionBlock(FrameProcessingCompletionBlock block);
    const GPUTextureOptions& outputTextureOptions() const { return outputTextureOptions_; }
    void setOutputTextureOptions(const GPUTextureOptions& options) { outputTextureOptions_ = options; }
    bool shouldSmoothlyScaleOutput() const { return shouldSmoothlyScaleOutput_; }
    void setShouldSmoothlyScaleOutput(bool smooth) { shouldSmoothlyScaleOutput_ = smooth; }
    bool shouldIgnoreUpdatesToThisTarget() const { return shouldIgnoreUpdatesToThisTarget_; }
    void setShouldIgnoreUpdatesToThisTarget(bool ignore) { shouldIgnoreUpdatesToThisTarget_ = ignore; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool allTargetsWantMonochromeData() const { return allTargetsWantMonochromeData_; }
    GPUImageInput* targetToIgnoreForUpdates() const { return targetToIgnoreForUpdates_; }
    void setTargetToIgnoreForUpdates(GPUImageInput* target) { targetToIgnoreForUpdates_ = target; }
    graphics::Size inputTextureSize() const { return inputTextureSize_; }
    bool shouldConserveMemoryForNextFrame() const { return shouldConserveMemoryForNextFrame_; }

    // The failure that keeps this object from working (no context, a shader
    // that did not link, an incomplete framebuffer); none while it works.
    std::optional<foundation::Error> error() const;

protected:
    struct TargetEntry {
        std::shared_ptr<GPUImageInput> target;
        int textureIndex = 0;
    };
    // On the context queue only.
    const std::vector<TargetEntry>& targetEntries() const { return targets_; }
    void setError(foundation::Error error);
    // On the context queue: whether error() holds a failure.
    bool failed() const { return error_.has_value(); }
    // On the context queue: gives the output texture (made if needed) a 2D
    // image from tightly packed rows of `bytes`; false (and error() set)
    // without a context.
    bool uploadToOutputTexture(int width, int height, GLint internalFormat, GLenum format, GLenum type,
                               const void* bytes);
    // Runs `work` on the context queue later, unless this object is gone by
    // then; an object not (yet) owned by a shared pointer runs it at once.
    void runOnQueueWhileAlive(std::function<void()> work);
    // The weak handle that targets use to hand textures back; empty when this
    // object is not owned by a shared pointer.
    std::weak_ptr<GPUImageTextureDelegate> weakTextureDelegate();

    gl::es2::Texture outputTexture_;
    graphics::Size inputTextureSize_;
    graphics::Size cachedMaximumOutputSize_;
    graphics::Size forcedMaximumSize_;
    bool overrideInputSize_ = false;
    unsigned outputTextureRetainCount_ = 0;
    std::weak_ptr<GPUImageTextureDelegate> firstTextureDelegate_;
    bool shouldConserveMemoryForNextFrame_ = false;
    FrameProcessingCompletionBlock frameProcessingCompletionBlock_;
    GPUTextureOptions outputTextureOptions_;

private:
    std::vector<TargetEntry> targets_;
    bool allTargetsWantMonochromeData_ = true;
    bool shouldSmoothlyScaleOutput_ = false;
    bool shouldIgnoreUpdatesToThisTarget_ = false;
    std::atomic<bool> enabled_{true};  // set from any thread
    GPUImageInput* targetToIgnoreForUpdates_ = nullptr;
    mutable std::mutex audioEncodingTargetMutex_;
    std::shared_ptr<GPUImageAudioEncodingTarget> audioEncodingTarget_;
    std::optional<foundation::Error> error_;
};

}  // namespace gpuimage
