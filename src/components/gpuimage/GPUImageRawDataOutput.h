#pragma once

// A target that draws the frame it receives into its own framebuffer and
// gives the caller the pixels as bytes (RGBA, or BGRA when asked), top row
// first, with a per-pixel colour lookup and a new-frame callback.

#include "components/gpuimage/GPUImageOutput.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace gpuimage {

// Exchanges red and blue, for outputs that hand out BGRA bytes.
extern const char* const kGPUImageColorSwizzlingFragmentShaderString;

struct GPUByteColorVector {
    uint8_t red = 0, green = 0, blue = 0, alpha = 0;
    bool operator==(const GPUByteColorVector&) const = default;
};

class GPUImageRawDataOutput : public GPUImageInput {
public:
    GPUImageRawDataOutput(graphics::Size imageSize, bool resultsInBGRAFormat);
    ~GPUImageRawDataOutput() override;
    GPUImageRawDataOutput(const GPUImageRawDataOutput&) = delete;
    GPUImageRawDataOutput& operator=(const GPUImageRawDataOutput&) = delete;

    // GPUImageInput.
    void newFrameReadyAtTime(FrameTime frameTime, int textureIndex) override;
    void setInputTexture(GLuint texture, int textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int textureIndex) override;
    int nextAvailableTextureIndex() override { return 0; }
    void setInputSize(graphics::Size, int) override {}
    void setInputRotation(GPUImageRotationMode rotation, int textureIndex) override;
    graphics::Size maximumOutputSize() override { return imageSize_; }
    void endProcessing() override {}
    bool shouldIgnoreUpdatesToThisTarget() override { return false; }
    bool enabled() override { return enabled_; }
    void conserveMemoryForNextFrame() override {}
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool) override {}

    // The current frame's pixels, width × height × 4 bytes; drawn once per
    // frame. The same pointer until the size changes; null without GL.
    const uint8_t* rawBytesForImage();
    size_t bytesPerRowInOutput() const { return static_cast<size_t>(imageSize_.width) * 4; }
    // The pixel at a point in image pixels (origin top left), clamped to the
    // picture; always red, green, blue, alpha.
    GPUByteColorVector colorAtLocation(graphics::Point location);

    graphics::Size imageSize() const { return imageSize_; }
    void setImageSize(graphics::Size size);
    // Called on the context queue when a frame arrives.
    void setNewFrameAvailableBlock(std::function<void()> block);
    void setEnabled(bool enabled) { enabled_ = enabled; }
    std::optional<foundation::Error> error() const;

private:
    void createDataFBO();
    void destroyDataFBO();
    void setFilterFBO();
    void renderAtInternalSize();

    graphics::Size imageSize_;
    bool outputBGRA_;
    GLenum readFormat_ = GL_RGBA;
    std::atomic<bool> enabled_{true};  // set from any thread
    GPUImageRotationMode inputRotation_ = GPUImageRotationMode::NoRotation;
    std::weak_ptr<GPUImageTextureDelegate> textureDelegate_;
    // On the context queue only.
    bool hasReadFromTheCurrentFrame_ = false;
    gl::es2::Framebuffer dataFramebuffer_;
    gl::es2::Renderbuffer dataRenderbuffer_;
    GLuint inputTextureForDisplay_ = 0;
    std::shared_ptr<GLProgram> dataProgram_;
    GLint dataPositionAttribute_ = 0;
    GLint dataTextureCoordinateAttribute_ = 0;
    GLint dataInputTextureUniform_ = -1;
    std::vector<uint8_t> rawBytes_;
    std::function<void()> newFrameAvailableBlock_;
    std::optional<foundation::Error> error_;
};

}  // namespace gpuimage
