#pragma once

// The base of filters that read a pixel's eight neighbours: its vertex
// shader passes the coordinates of the centre and the eight texels around it
// ("top" is the smaller t), one input texel apart by default or as set.

#include "components/gpuimage/GPUImageFilter.h"
#include "components/gpuimage/NearbyTexelSpacing.h"

namespace gpuimage {

class GPUImage3x3TextureSamplingFilter : public GPUImageFilter {
public:
    // With the nearby-texel vertex shader.
    explicit GPUImage3x3TextureSamplingFilter(const std::string& fragmentShader);
    GPUImage3x3TextureSamplingFilter(const std::string& vertexShader, const std::string& fragmentShader);

    void setupFilterForSize(graphics::Size filterFrameSize) override { spacing_.setupForSize(*this, filterFrameSize); }

    double texelWidth() const { return spacing_.texelWidth(); }
    double texelHeight() const { return spacing_.texelHeight(); }
    // Kept and re-applied; from then on size changes leave the spacing alone.
    void setTexelWidth(double texelWidth) { spacing_.setTexelWidth(*this, texelWidth); }
    void setTexelHeight(double texelHeight) { spacing_.setTexelHeight(*this, texelHeight); }

private:
    NearbyTexelSpacing spacing_;
};

}  // namespace gpuimage
