#include "components/gpuimage/GPUImageChromaKeyBlendFilter.h"

#include "components/gpuimage/GPUImageFilterShaders.h"

namespace gpuimage {

GPUImageChromaKeyBlendFilter::GPUImageChromaKeyBlendFilter()
    : GPUImageTwoInputFilter(kGPUImageChromaKeyBlendFragmentShaderString) {
    runSynchronouslyOnContextQueue([&] {
        if (!hasProgram()) return;
        thresholdSensitivityUniform_ = filterProgram_->uniformIndex("thresholdSensitivity");
        smoothingUniform_ = filterProgram_->uniformIndex("smoothing");
        colorToReplaceUniform_ = filterProgram_->uniformIndex("colorToReplace");
    });
    setThresholdSensitivity(0.4f);
    setSmoothing(0.1f);
    setColorToReplace(0.0f, 1.0f, 0.0f);
}

void GPUImageChromaKeyBlendFilter::setColorToReplace(float red, float green, float blue) {
    setVec3(GPUVector3{red, green, blue}, colorToReplaceUniform_, filterProgram_);
}

void GPUImageChromaKeyBlendFilter::setThresholdSensitivity(float thresholdSensitivity) {
    thresholdSensitivity_ = thresholdSensitivity;
    setFloat(thresholdSensitivity, thresholdSensitivityUniform_, filterProgram_);
}

void GPUImageChromaKeyBlendFilter::setSmoothing(float smoothing) {
    smoothing_ = smoothing;
    setFloat(smoothing, smoothingUniform_, filterProgram_);
}

}  // namespace gpuimage
