#include "components/gpuimage/GPUImageFilterShaders.h"

namespace gpuimage {

const char* const kGPUImageTwoInputTextureVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;
attribute vec4 inputTextureCoordinate2;

varying vec2 textureCoordinate;
varying vec2 textureCoordinate2;

void main() {
    gl_Position = position;
    textureCoordinate = inputTextureCoordinate.xy;
    textureCoordinate2 = inputTextureCoordinate2.xy;
}
)";

const char* const kGPUImageThreeInputTextureVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;
attribute vec4 inputTextureCoordinate2;
attribute vec4 inputTextureCoordinate3;

varying vec2 textureCoordinate;
varying vec2 textureCoordinate2;
varying vec2 textureCoordinate3;

void main() {
    gl_Position = position;
    textureCoordinate = inputTextureCoordinate.xy;
    textureCoordinate2 = inputTextureCoordinate2.xy;
    textureCoordinate3 = inputTextureCoordinate3.xy;
}
)";

const char* const kGPUImageTwoInputNearbyTexelSamplingVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;
attribute vec4 inputTextureCoordinate2;

uniform float texelWidth;
uniform float texelHeight;

varying vec2 textureCoordinate;
varying vec2 leftTextureCoordinate;
varying vec2 rightTextureCoordinate;
varying vec2 topTextureCoordinate;
varying vec2 bottomTextureCoordinate;

varying vec2 textureCoordinate2;
varying vec2 leftTextureCoordinate2;
varying vec2 rightTextureCoordinate2;
varying vec2 topTextureCoordinate2;
varying vec2 bottomTextureCoordinate2;

void main() {
    gl_Position = position;
    vec2 widthStep = vec2(texelWidth, 0.0);
    vec2 heightStep = vec2(0.0, texelHeight);

    textureCoordinate = inputTextureCoordinate.xy;
    leftTextureCoordinate = inputTextureCoordinate.xy - widthStep;
    rightTextureCoordinate = inputTextureCoordinate.xy + widthStep;
    topTextureCoordinate = inputTextureCoordinate.xy - heightStep;
    bottomTextureCoordinate = inputTextureCoordinate.xy + heightStep;

    textureCoordinate2 = inputTextureCoordinate2.xy;
    leftTextureCoordinate2 = inputTextureCoordinate2.xy - widthStep;
    rightTextureCoordinate2 = inputTextureCoordinate2.xy + widthStep;
    topTextureCoordinate2 = inputTextureCoordinate2.xy - heightStep;
    bottomTextureCoordinate2 = inputTextureCoordinate2.xy + heightStep;
}
)";

const char* const kGPUImageNearbyTexelSamplingVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

uniform float texelWidth;
uniform float texelHeight;

varying vec2 textureCoordinate;
varying vec2 leftTextureCoordinate;
varying vec2 rightTextureCoordinate;
varying vec2 topTextureCoordinate;
varying vec2 topLeftTextureCoordinate;
varying vec2 topRightTextureCoordinate;
varying vec2 bottomTextureCoordinate;
varying vec2 bottomLeftTextureCoordinate;
varying vec2 bottomRightTextureCoordinate;

void main() {
    gl_Position = position;
    vec2 widthStep = vec2(texelWidth, 0.0);
    vec2 heightStep = vec2(0.0, texelHeight);
    vec2 widthHeightStep = vec2(texelWidth, texelHeight);
    vec2 widthNegativeHeightStep = vec2(texelWidth, -texelHeight);

    textureCoordinate = inputTextureCoordinate.xy;
    leftTextureCoordinate = inputTextureCoordinate.xy - widthStep;
    rightTextureCoordinate = inputTextureCoordinate.xy + widthStep;
    topTextureCoordinate = inputTextureCoordinate.xy - heightStep;
    bottomTextureCoordinate = inputTextureCoordinate.xy + heightStep;
    topLeftTextureCoordinate = inputTextureCoordinate.xy - widthHeightStep;
    bottomRightTextureCoordinate = inputTextureCoordinate.xy + widthHeightStep;
    topRightTextureCoordinate = inputTextureCoordinate.xy + widthNegativeHeightStep;
    bottomLeftTextureCoordinate = inputTextureCoordinate.xy - widthNegativeHeightStep;
}
)";

// Chroma (Cr, Cb) of the camera pixel against the key colour's, luminance
// left out, so shading of the screen does not matter; a smooth ramp of width
// `smoothing` above `thresholdSensitivity` between backdrop and camera.
const char* const kGPUImageChromaKeyBlendFragmentShaderString = R"(
precision highp float;

varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform float thresholdSensitivity;
uniform float smoothing;
uniform vec3 colorToReplace;
uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

vec2 chroma(vec3 colour) {
    float luma = 0.2989 * colour.r + 0.5866 * colour.g + 0.1145 * colour.b;
    return vec2(0.7132 * (colour.r - luma), 0.5647 * (colour.b - luma));
}

void main() {
    vec4 camera = texture2D(inputImageTexture, textureCoordinate);
    vec4 backdrop = texture2D(inputImageTexture2, textureCoordinate2);
    float d = distance(chroma(camera.rgb), chroma(colorToReplace));
    float blend = 1.0 - smoothstep(thresholdSensitivity, thresholdSensitivity + smoothing, d);
    gl_FragColor = mix(camera, backdrop, blend);
}
)";

const char* const kGPUImageBrightnessFragmentShaderString = R"(
precision highp float;

varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform lowp float brightness;

void main() {
    lowp vec4 colour = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4(colour.rgb + vec3(brightness), colour.a);
}
)";

const char* const kGPUImageColorAveragingVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

uniform float texelWidth;
uniform float texelHeight;

varying vec2 upperLeftInputTextureCoordinate;
varying vec2 upperRightInputTextureCoordinate;
varying vec2 lowerLeftInputTextureCoordinate;
varying vec2 lowerRightInputTextureCoordinate;

void main() {
    gl_Position = position;
    upperLeftInputTextureCoordinate = inputTextureCoordinate.xy + vec2(-texelWidth, -texelHeight);
    upperRightInputTextureCoordinate = inputTextureCoordinate.xy + vec2(texelWidth, -texelHeight);
    lowerLeftInputTextureCoordinate = inputTextureCoordinate.xy + vec2(-texelWidth, texelHeight);
    lowerRightInputTextureCoordinate = inputTextureCoordinate.xy + vec2(texelWidth, texelHeight);
}
)";

const char* const kGPUImageColorAveragingFragmentShaderString = R"(
precision highp float;

uniform sampler2D inputImageTexture;

varying highp vec2 upperLeftInputTextureCoordinate;
varying highp vec2 upperRightInputTextureCoordinate;
varying highp vec2 lowerLeftInputTextureCoordinate;
varying highp vec2 lowerRightInputTextureCoordinate;

void main() {
    highp vec4 upperLeft = texture2D(inputImageTexture, upperLeftInputTextureCoordinate);
    highp vec4 upperRight = texture2D(inputImageTexture, upperRightInputTextureCoordinate);
    highp vec4 lowerLeft = texture2D(inputImageTexture, lowerLeftInputTextureCoordinate);
    highp vec4 lowerRight = texture2D(inputImageTexture, lowerRightInputTextureCoordinate);
    gl_FragColor = 0.25 * (upperLeft + upperRight + lowerLeft + lowerRight);
}
)";

}  // namespace gpuimage
