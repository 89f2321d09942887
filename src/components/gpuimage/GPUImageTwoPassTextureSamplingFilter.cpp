#include "components/gpuimage/GPUImageTwoPassTextureSamplingFilter.h"

namespace gpuimage {

TwoPassTexelOffsets twoPassTexelOffsets(graphics::Size filterFrameSize, GPUImageRotationMode rotation,
                                        double verticalTexelSpacing, double horizontalTexelSpacing) {
    TwoPassTexelOffsets offsets;
    if (filterFrameSize.width < 1 || filterFrameSize.height < 1) return offsets;  // no frame yet
    const auto vertical = static_cast<float>(verticalTexelSpacing / filterFrameSize.height);
    if (rotationSwapsWidthAndHeight(rotation))
        offsets.verticalPassTexelWidthOffset = vertical;
    else
        offsets.verticalPassTexelHeightOffset = vertical;
    offsets.horizontalPassTexelWidthOffset = static_cast<float>(horizontalTexelSpacing / filterFrameSize.width);
    return offsets;
}

GPUImageTwoPassTextureSamplingFilter::GPUImageTwoPassTextureSamplingFilter(const std::string& firstStageVertexShader,
                                                                           const std::string& firstStageFragmentShader,
                                                                           const std::string& secondStageVertexShader,
                                                                           const std::string& secondStageFragmentShader)
    : GPUImageTwoPassFilter(firstStageVertexShader, firstStageFragmentShader, secondStageVertexShader,
                            secondStageFragmentShader) {
    runSynchronouslyOnContextQueue([&] {
        if (!hasProgram() || !secondFilterProgram_) return;
        verticalPassTexelWidthOffsetUniform_ = filterProgram_->uniformIndex("texelWidthOffset");
        verticalPassTexelHeightOffsetUniform_ = filterProgram_->uniformIndex("texelHeightOffset");
        horizontalPassTexelWidthOffsetUniform_ = secondFilterProgram_->uniformIndex("texelWidthOffset");
        horizontalPassTexelHeightOffsetUniform_ = secondFilterProgram_->uniformIndex("texelHeightOffset");
    });
    setVerticalTexelSpacing(1.0);
    setHorizontalTexelSpacing(1.0);
}

void GPUImageTwoPassTextureSamplingFilter::setVerticalTexelSpacing(double spacing) {
    verticalTexelSpacing_ = spacing;
    setupFilterForSize(sizeOfFBO());
}

void GPUImageTwoPassTextureSamplingFilter::setHorizontalTexelSpacing(double spacing) {
    horizontalTexelSpacing_ = spacing;
    setupFilterForSize(sizeOfFBO());
}

void GPUImageTwoPassTextureSamplingFilter::setupFilterForSize(graphics::Size filterFrameSize) {
    runSynchronouslyOnContextQueue([&] {
        offsets_ = twoPassTexelOffsets(filterFrameSize, inputRotation_, verticalTexelSpacing_, horizontalTexelSpacing_);
    });
}

void GPUImageTwoPassTextureSamplingFilter::setUniformsForProgramAtIndex(int programIndex) {
    GPUImageTwoPassFilter::setUniformsForProgramAtIndex(programIndex);
    if (programIndex == 0) {
        glUniform1f(verticalPassTexelWidthOffsetUniform_, offsets_.verticalPassTexelWidthOffset);
        glUniform1f(verticalPassTexelHeightOffsetUniform_, offsets_.verticalPassTexelHeightOffset);
    } else {
        glUniform1f(horizontalPassTexelWidthOffsetUniform_, offsets_.horizontalPassTexelWidthOffset);
        glUniform1f(horizontalPassTexelHeightOffsetUniform_, offsets_.horizontalPassTexelHeightOffset);
    }
}

}  // namespace gpuimage
