#pragma once

// A filter with two inputs. It draws once it has a frame on both, except
// that an input whose last frame was a still picture (an indefinite frame
// time) does not hold back frames that arrive with real times on the other:
// a camera at input 0 keyed over a picture pushed once at input 1 draws
// every camera frame, with the picture's texture kept bound.
//
// Inputs are bound by the order of addTarget calls: the first source takes
// input 0, every later one input 1. Clearing input 0 (as removeTarget does)
// counts as setting it, so a source added after the first was detached
// still lands on input 1 and cannot take the first source's place; a source
// meant for input 0 again is added at that index explicitly.

#include "components/gpuimage/GPUImageFilter.h"

#include <atomic>

namespace gpuimage {

class GPUImageTwoInputFilter : public GPUImageFilter {
public:
    // With the two-input vertex shader.
    explicit GPUImageTwoInputFilter(const std::string& fragmentShader);
    // `extraAttributes` come after "inputTextureCoordinate2".
    GPUImageTwoInputFilter(const std::string& vertexShader, const std::string& fragmentShader,
                           const std::vector<std::string>& extraAttributes = {});

    // From now on a frame on the other input counts as if this one had
    // delivered too.
    void disableFirstFrameCheck() { firstFrameCheckDisabled_ = true; }
    void disableSecondFrameCheck() { secondFrameCheckDisabled_ = true; }

    int nextAvailableTextureIndex() override { return hasSetFirstTexture_ ? 1 : 0; }
    void setInputTexture(GLuint texture, int textureIndex) override;
    // Input 0 sizes the output; sizes at input 1 are ignored.
    void setInputSize(graphics::Size size, int textureIndex) override;
    void setInputRotation(GPUImageRotationMode rotation, int textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int textureIndex) override;
    void releaseInputTexturesIfNeeded() override;
    void newFrameReadyAtTime(FrameTime frameTime, int textureIndex) override;

protected:
    // Input 1 on texture unit 3, with the coordinates of its own rotation.
    void bindAdditionalInputs() override;

    GLint filterSecondTextureCoordinateAttribute_ = -1;
    GLint filterInputTextureUniform2_ = -1;
    GPUImageRotationMode inputRotation2_ = GPUImageRotationMode::NoRotation;
    GLuint filterSourceTexture2_ = 0;
    FrameTime firstFrameTime_ = FrameTime::invalid();
    FrameTime secondFrameTime_ = FrameTime::invalid();
    bool hasSetFirstTexture_ = false;
    bool hasReceivedFirstFrame_ = false;
    bool hasReceivedSecondFrame_ = false;
    // Set from any thread, read on the context queue.
    std::atomic<bool> firstFrameCheckDisabled_ = false;
    std::atomic<bool> secondFrameCheckDisabled_ = false;
    std::weak_ptr<GPUImageTextureDelegate> secondTextureDelegate_;

private:
    // The gate: whether the frame at `textureIndex` completes a set to draw.
    bool markFrame(FrameTime frameTime, int textureIndex);
};

}  // namespace gpuimage
