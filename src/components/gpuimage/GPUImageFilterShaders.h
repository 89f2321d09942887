#pragma once

// Shader sources of the multi-input, sampling and reduction filters, shared
// with the filters built on these bases. Fragment shaders state a precision:
// OpenGL ES 2.0 has no default float precision in fragment shaders.

namespace gpuimage {

// Two inputs: positions pass through, each input has its own coordinates.
extern const char* const kGPUImageTwoInputTextureVertexShaderString;
// Three inputs, the same with a third coordinate.
extern const char* const kGPUImageThreeInputTextureVertexShaderString;
// Two inputs, each with the coordinates of its four neighbouring texels.
extern const char* const kGPUImageTwoInputNearbyTexelSamplingVertexShaderString;
// One input with the coordinates of its eight neighbouring texels.
extern const char* const kGPUImageNearbyTexelSamplingVertexShaderString;

extern const char* const kGPUImageChromaKeyBlendFragmentShaderString;
extern const char* const kGPUImageBrightnessFragmentShaderString;

extern const char* const kGPUImageColorAveragingVertexShaderString;
extern const char* const kGPUImageColorAveragingFragmentShaderString;

}  // namespace gpuimage
