#include "components/gpuimage/GPUImage3x3TextureSamplingFilter.h"

#include "components/gpuimage/GPUImageFilterShaders.h"

namespace gpuimage {

GPUImage3x3TextureSamplingFilter::GPUImage3x3TextureSamplingFilter(const std::string& fragmentShader)
    : GPUImage3x3TextureSamplingFilter(kGPUImageNearbyTexelSamplingVertexShaderString, fragmentShader) {}

GPUImage3x3TextureSamplingFilter::GPUImage3x3TextureSamplingFilter(const std::string& vertexShader,
                                                                   const std::string& fragmentShader)
    : GPUImageFilter(vertexShader, fragmentShader) {
    runSynchronouslyOnContextQueue([&] {
        if (hasProgram()) spacing_.readUniforms(*filterProgram_);
    });
}

}  // namespace gpuimage
