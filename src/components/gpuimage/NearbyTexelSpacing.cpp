#include "components/gpuimage/NearbyTexelSpacing.h"

namespace gpuimage {

std::pair<float, float> nearbyTexelSpacing(graphics::Size filterFrameSize, GPUImageRotationMode rotation) {
    const auto width = static_cast<float>(1.0 / filterFrameSize.width);
    const auto height = static_cast<float>(1.0 / filterFrameSize.height);
    if (rotationSwapsWidthAndHeight(rotation)) return {height, width};
    return {width, height};
}

void NearbyTexelSpacing::readUniforms(const GLProgram& program) {
    texelWidthUniform_ = program.uniformIndex("texelWidth");
    texelHeightUniform_ = program.uniformIndex("texelHeight");
}

void NearbyTexelSpacing::setupForSize(GPUImageFilter& filter, graphics::Size filterFrameSize) {
    if (hasOverriddenImageSizeFactor_ || !filter.filterProgram()) return;
    texelWidth_ = 1.0 / filterFrameSize.width;
    texelHeight_ = 1.0 / filterFrameSize.height;
    runSynchronouslyOnContextQueue([&] {
        if (!GPUImageContext::useImageProcessingContext()) return;
        GPUImageContext::setActiveShaderProgram(filter.filterProgram());
        const auto [width, height] = nearbyTexelSpacing(filterFrameSize, filter.inputRotation());
        glUniform1f(texelWidthUniform_, width);
        glUniform1f(texelHeightUniform_, height);
    });
}

void NearbyTexelSpacing::setTexelWidth(GPUImageFilter& filter, double texelWidth) {
    hasOverriddenImageSizeFactor_ = true;
    texelWidth_ = texelWidth;
    filter.setFloat(static_cast<GLfloat>(texelWidth), texelWidthUniform_, filter.filterProgram());
}

void NearbyTexelSpacing::setTexelHeight(GPUImageFilter& filter, double texelHeight) {
    hasOverriddenImageSizeFactor_ = true;
    texelHeight_ = texelHeight;
    filter.setFloat(static_cast<GLfloat>(texelHeight), texelHeightUniform_, filter.filterProgram());
}

}  // namespace gpuimage
