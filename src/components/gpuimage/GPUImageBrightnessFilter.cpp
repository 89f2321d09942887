#include "components/gpuimage/GPUImageBrightnessFilter.h"

#include "components/gpuimage/GPUImageFilterShaders.h"

namespace gpuimage {

GPUImageBrightnessFilter::GPUImageBrightnessFilter() : GPUImageFilter(kGPUImageBrightnessFragmentShaderString) {
    runSynchronouslyOnContextQueue([&] {
        if (hasProgram()) brightnessUniform_ = filterProgram_->uniformIndex("brightness");
    });
    setBrightness(0.0);
}

void GPUImageBrightnessFilter::setBrightness(double brightness) {
    brightness_ = brightness;
    setFloat(static_cast<GLfloat>(brightness), brightnessUniform_, filterProgram_);
}

}  // namespace gpuimage
