#pragma once

// A two-input filter whose vertex shader also passes the coordinates of the
// four neighbouring texels of both inputs, one input texel apart by default
// or as set.

#include "components/gpuimage/GPUImageTwoInputFilter.h"
#include "components/gpuimage/NearbyTexelSpacing.h"

namespace gpuimage {

class GPUImageTwoInputCrossTextureSamplingFilter : public GPUImageTwoInputFilter {
public:
    explicit GPUImageTwoInputCrossTextureSamplingFilter(const std::string& fragmentShader);

    void setupFilterForSize(graphics::Size filterFrameSize) override { spacing_.setupForSize(*this, filterFrameSize); }

    double texelWidth() const { return spacing_.texelWidth(); }
    double texelHeight() const { return spacing_.texelHeight(); }
    void setTexelWidth(double texelWidth) { spacing_.setTexelWidth(*this, texelWidth); }
    void setTexelHeight(double texelHeight) { spacing_.setTexelHeight(*this, texelHeight); }

private:
    NearbyTexelSpacing spacing_;
};

}  // namespace gpuimage
