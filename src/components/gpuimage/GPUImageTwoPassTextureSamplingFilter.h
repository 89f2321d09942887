#pragma once

// The base of separable neighbourhood filters: a vertical pass, then a
// horizontal pass, each told the step between its samples through
// "texelWidthOffset" and "texelHeightOffset", computed from the framebuffer
// size and a spacing in texels.

#include "components/gpuimage/GPUImageTwoPassFilter.h"

namespace gpuimage {

// The steps of the two passes for a framebuffer, in texture coordinates.
struct TwoPassTexelOffsets {
    float verticalPassTexelWidthOffset = 0;
    float verticalPassTexelHeightOffset = 0;
    float horizontalPassTexelWidthOffset = 0;
    float horizontalPassTexelHeightOffset = 0;
    bool operator==(const TwoPassTexelOffsets&) const = default;
};

// The vertical pass steps one framebuffer row (spacing ÷ height), along the
// input's vertical axis: across, when the rotation exchanges width and
// height. The horizontal pass steps spacing ÷ width across.
TwoPassTexelOffsets twoPassTexelOffsets(graphics::Size filterFrameSize, GPUImageRotationMode rotation,
                                        double verticalTexelSpacing, double horizontalTexelSpacing);

class GPUImageTwoPassTextureSamplingFilter : public GPUImageTwoPassFilter {
public:
    GPUImageTwoPassTextureSamplingFilter(const std::string& firstStageVertexShader,
                                         const std::string& firstStageFragmentShader,
                                         const std::string& secondStageVertexShader,
                                         const std::string& secondStageFragmentShader);

    double verticalTexelSpacing() const { return verticalTexelSpacing_; }
    double horizontalTexelSpacing() const { return horizontalTexelSpacing_; }
    // Take effect at the next frame, without new framebuffers.
    void setVerticalTexelSpacing(double spacing);
    void setHorizontalTexelSpacing(double spacing);

    void setupFilterForSize(graphics::Size filterFrameSize) override;
    // The pass's stored uniforms, then its two offsets.
    void setUniformsForProgramAtIndex(int programIndex) override;

    const TwoPassTexelOffsets& texelOffsets() const { return offsets_; }

private:
    GLint verticalPassTexelWidthOffsetUniform_ = -1;
    GLint verticalPassTexelHeightOffsetUniform_ = -1;
    GLint horizontalPassTexelWidthOffsetUniform_ = -1;
    GLint horizontalPassTexelHeightOffsetUniform_ = -1;
    TwoPassTexelOffsets offsets_;
    double verticalTexelSpacing_ = 1.0;
    double horizontalTexelSpacing_ = 1.0;
};

}  // namespace gpuimage
