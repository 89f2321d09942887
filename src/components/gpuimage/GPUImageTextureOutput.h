#pragma once

// A sink that only hands the texture of each frame to its delegate, on the
// context queue, where the delegate may read or draw from `texture()`. It
// ignores rotation and size and never hands the texture back.

#include "components/gpuimage/GPUImageOutput.h"

#include <atomic>

namespace gpuimage {

class GPUImageTextureOutput;

class GPUImageTextureOutputDelegate {
public:
    virtual ~GPUImageTextureOutputDelegate() = default;
    virtual void newFrameReadyFromTextureOutput(GPUImageTextureOutput& callbackTextureOutput) = 0;
};

class GPUImageTextureOutput : public GPUImageInput {
public:
    GLuint texture() const { return texture_; }
    void setDelegate(std::weak_ptr<GPUImageTextureOutputDelegate> delegate);
    void setEnabled(bool enabled) { enabled_ = enabled; }

    void newFrameReadyAtTime(FrameTime frameTime, int textureIndex) override;
    void setInputTexture(GLuint texture, int) override { texture_ = texture; }
    void setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int) override {
        textureDelegate_ = std::move(delegate);
    }
    int nextAvailableTextureIndex() override { return 0; }
    void setInputSize(graphics::Size, int) override {}
    void setInputRotation(GPUImageRotationMode, int) override {}
    graphics::Size maximumOutputSize() override { return {}; }
    void endProcessing() override {}
    bool shouldIgnoreUpdatesToThisTarget() override { return false; }
    bool enabled() override { return enabled_; }
    void conserveMemoryForNextFrame() override {}
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool) override {}

private:
    // On the context queue only.
    GLuint texture_ = 0;
    std::weak_ptr<GPUImageTextureDelegate> textureDelegate_;
    std::weak_ptr<GPUImageTextureOutputDelegate> delegate_;
    std::atomic<bool> enabled_ = true;
};

}  // namespace gpuimage
