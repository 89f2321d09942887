#pragma once

// Adds a constant to red, green and blue (alpha kept); at 0 the output
// equals the input.

#include "components/gpuimage/GPUImageFilter.h"

#include <atomic>

namespace gpuimage {

class GPUImageBrightnessFilter : public GPUImageFilter {
public:
    GPUImageBrightnessFilter();

    double brightness() const { return brightness_; }
    void setBrightness(double brightness);

private:
    GLint brightnessUniform_ = -1;
    std::atomic<double> brightness_ = 0;
};

}  // namespace gpuimage
