#pragma once

// The YCbCr-to-RGB pass of the camera: a luma texture and an interleaved
// Cb/Cr texture (red and alpha channels) drawn through a 3x3 matrix into RGB.
//
// Bi-planar buffers come in two ranges. Video range ("420v") keeps luma in
// 16-235 and chroma in 16-240, so luma loses its 16/255 offset and both are
// stretched; full range ("420f") uses all 256 levels and needs the plain
// coefficients. Each range has a BT.601 and a BT.709 matrix.

#include "components/gpuimage/GPUImageTypes.h"

#include <optional>
#include <string>

namespace gpuimage {

// Column by column: the columns multiply Y, Cb − 0.5 and Cr − 0.5.
extern const GPUMatrix3x3 kColorConversion601;  // video range
extern const GPUMatrix3x3 kColorConversion709;  // video range
extern const GPUMatrix3x3 kColorConversion601FullRange;
extern const GPUMatrix3x3 kColorConversion709FullRange;

extern const char* const kGPUImageYUVConversionFragmentShaderString;

struct YUVConversion {
    const GPUMatrix3x3* matrix = &kColorConversion709;
    // Subtracted from luma before the matrix.
    float lumaOffset = 16.0f / 255.0f;
};

// The conversion of a bi-planar buffer: the range by its pixel format
// ("420f" full, anything else video), the matrix by the buffer's YCbCr
// attachment (BT.601 when it names ITU-R BT.601-4, else BT.709).
YUVConversion yuvConversionFor(const std::string& pixelFormat, const std::optional<std::string>& ycbcrMatrix);

}  // namespace gpuimage
