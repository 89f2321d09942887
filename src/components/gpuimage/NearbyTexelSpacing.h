#pragma once

// The spacing that filters sampling neighbouring texels send to their vertex
// shader's "texelWidth" and "texelHeight": one texel of the input texture by
// default, following the framebuffer's size, or a spacing set by the caller,
// which then stays whatever size arrives.

#include "components/gpuimage/GPUImageFilter.h"

#include <utility>

namespace gpuimage {

// One texel of the input for a framebuffer of `filterFrameSize`: a rotation
// that exchanges width and height exchanges the two.
std::pair<float, float> nearbyTexelSpacing(graphics::Size filterFrameSize, GPUImageRotationMode rotation);

class NearbyTexelSpacing {
public:
    // On the context queue: the uniform locations in the filter's program.
    void readUniforms(const GLProgram& program);
    // After a framebuffer was made: written straight to the program (not
    // kept for re-application), unless a spacing was set.
    void setupForSize(GPUImageFilter& filter, graphics::Size filterFrameSize);
    void setTexelWidth(GPUImageFilter& filter, double texelWidth);
    void setTexelHeight(GPUImageFilter& filter, double texelHeight);

    double texelWidth() const { return texelWidth_; }
    double texelHeight() const { return texelHeight_; }

private:
    GLint texelWidthUniform_ = -1;
    GLint texelHeightUniform_ = -1;
    double texelWidth_ = 0;
    double texelHeight_ = 0;
    bool hasOverriddenImageSizeFactor_ = false;
};

}  // namespace gpuimage
