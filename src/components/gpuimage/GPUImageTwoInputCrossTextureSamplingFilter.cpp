#include "components/gpuimage/GPUImageTwoInputCrossTextureSamplingFilter.h"

#include "components/gpuimage/GPUImageFilterShaders.h"

namespace gpuimage {

GPUImageTwoInputCrossTextureSamplingFilter::GPUImageTwoInputCrossTextureSamplingFilter(
    const std::string& fragmentShader)
    : GPUImageTwoInputFilter(kGPUImageTwoInputNearbyTexelSamplingVertexShaderString, fragmentShader) {
    runSynchronouslyOnContextQueue([&] {
        if (hasProgram()) spacing_.readUniforms(*filterProgram_);
    });
}

}  // namespace gpuimage
