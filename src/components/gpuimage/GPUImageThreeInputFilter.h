#pragma once

// A filter with three inputs, gated like the two-input filter: it draws once
// every input has delivered (or its check is disabled), or when a frame with
// a real time meets a still picture. Inputs are bound in order of addTarget;
// clearing an input counts as setting it, as for the two-input filter.

#include "components/gpuimage/GPUImageTwoInputFilter.h"

namespace gpuimage {

class GPUImageThreeInputFilter : public GPUImageTwoInputFilter {
public:
    // With the three-input vertex shader.
    explicit GPUImageThreeInputFilter(const std::string& fragmentShader);
    GPUImageThreeInputFilter(const std::string& vertexShader, const std::string& fragmentShader);

    void disableThirdFrameCheck() { thirdFrameCheckDisabled_ = true; }

    int nextAvailableTextureIndex() override;
    void setInputTexture(GLuint texture, int textureIndex) override;
    void setInputRotation(GPUImageRotationMode rotation, int textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GPUImageTextureDelegate> delegate, int textureIndex) override;
    void releaseInputTexturesIfNeeded() override;
    void newFrameReadyAtTime(FrameTime frameTime, int textureIndex) override;

protected:
    // Input 1 on unit 3, input 2 on unit 4.
    void bindAdditionalInputs() override;

    GLint filterThirdTextureCoordinateAttribute_ = -1;
    GLint filterInputTextureUniform3_ = -1;
    GPUImageRotationMode inputRotation3_ = GPUImageRotationMode::NoRotation;
    GLuint filterSourceTexture3_ = 0;
    FrameTime thirdFrameTime_ = FrameTime::invalid();
    bool hasSetSecondTexture_ = false;
    bool hasReceivedThirdFrame_ = false;
    std::atomic<bool> thirdFrameCheckDisabled_ = false;
    std::weak_ptr<GPUImageTextureDelegate> thirdTextureDelegate_;

private:
    bool markFrame(FrameTime frameTime, int textureIndex);
};

}  // namespace gpuimage
