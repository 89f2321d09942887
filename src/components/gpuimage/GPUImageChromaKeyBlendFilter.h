#pragma once

// Keys one colour of input 0 (the camera) out over input 1 (the backdrop):
// a pixel whose chroma lies within `thresholdSensitivity` of the key colour's
// shows the backdrop, one beyond threshold + smoothing the camera, with a
// smooth ramp between. Luminance is ignored, so shading of the screen does
// not matter.

#include "components/gpuimage/GPUImageTwoInputFilter.h"

#include <atomic>

namespace gpuimage {

class GPUImageChromaKeyBlendFilter : public GPUImageTwoInputFilter {
public:
    // Pure green, threshold 0.4, smoothing 0.1.
    GPUImageChromaKeyBlendFilter();

    // Setters take effect from the next frame drawn; callable from any thread.
    void setColorToReplace(float red, float green, float blue);
    void setThresholdSensitivity(float thresholdSensitivity);
    void setSmoothing(float smoothing);
    float thresholdSensitivity() const { return thresholdSensitivity_; }
    float smoothing() const { return smoothing_; }

private:
    GLint colorToReplaceUniform_ = -1;
    GLint thresholdSensitivityUniform_ = -1;
    GLint smoothingUniform_ = -1;
    std::atomic<float> thresholdSensitivity_ = 0;
    std::atomic<float> smoothing_ = 0;
};

}  // namespace gpuimage
