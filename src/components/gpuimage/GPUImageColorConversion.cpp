#include "components/gpuimage/GPUImageColorConversion.h"

#include "platform/capture/CaptureTypes.h"

namespace gpuimage {

const GPUMatrix3x3 kColorConversion601 = {{1.164f, 1.164f, 1.164f}, {0.0f, -0.392f, 2.017f}, {1.596f, -0.813f, 0.0f}};
const GPUMatrix3x3 kColorConversion709 = {{1.164f, 1.164f, 1.164f}, {0.0f, -0.213f, 2.112f}, {1.793f, -0.533f, 0.0f}};
const GPUMatrix3x3 kColorConversion601FullRange = {
    {1.0f, 1.0f, 1.0f}, {0.0f, -0.344136f, 1.772f}, {1.402f, -0.714136f, 0.0f}};
const GPUMatrix3x3 kColorConversion709FullRange = {
    {1.0f, 1.0f, 1.0f}, {0.0f, -0.187324f, 1.8556f}, {1.5748f, -0.468124f, 0.0f}};

const char* const kGPUImageYUVConversionFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D luminanceTexture;
uniform sampler2D chrominanceTexture;
uniform mediump mat3 colorConversionMatrix;
uniform mediump float lumaOffset;

void main()
{
    mediump vec3 yuv;
    yuv.x = texture2D(luminanceTexture, textureCoordinate).r - lumaOffset;
    yuv.yz = texture2D(chrominanceTexture, textureCoordinate).ra - vec2(0.5, 0.5);
    mediump vec3 rgb = colorConversionMatrix * yuv;
    gl_FragColor = vec4(rgb, 1.0);
}
)";

YUVConversion yuvConversionFor(const std::string& pixelFormat, const std::optional<std::string>& ycbcrMatrix) {
    const bool bt601 = ycbcrMatrix == std::optional<std::string>(capture::kYCbCrMatrixITU_R_601_4);
    if (pixelFormat == capture::kPixelFormat420f) {
        return {bt601 ? &kColorConversion601FullRange : &kColorConversion709FullRange, 0.0f};
    }
    return {bt601 ? &kColorConversion601 : &kColorConversion709, 16.0f / 255.0f};
}

}  // namespace gpuimage
