#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImage3x3TextureSamplingFilter.h"
#include "components/gpuimage/GPUImageTwoInputCrossTextureSamplingFilter.h"

#include <gtest/gtest.h>

using namespace gpuimage;
using graphics::Size;

namespace {

// Averages the neighbours, so both shaders use every coordinate they pass.
const char* const kNeighbourShader = R"(
precision highp float;
varying highp vec2 textureCoordinate;
varying highp vec2 leftTextureCoordinate;
varying highp vec2 rightTextureCoordinate;
varying highp vec2 topTextureCoordinate;
varying highp vec2 bottomTextureCoordinate;
uniform sampler2D inputImageTexture;
void main() {
    gl_FragColor = 0.2 * (texture2D(inputImageTexture, textureCoordinate) +
                          texture2D(inputImageTexture, leftTextureCoordinate) +
                          texture2D(inputImageTexture, rightTextureCoordinate) +
                          texture2D(inputImageTexture, topTextureCoordinate) +
                          texture2D(inputImageTexture, bottomTextureCoordinate));
}
)";

std::pair<float, float> spacingUniforms(GPUImageFilter& filter) {
    std::pair<float, float> values{-1, -1};
    runSynchronouslyOnContextQueue([&] {
        const GLuint program = filter.filterProgram()->program();
        glGetUniformfv(program, filter.filterProgram()->uniformIndex("texelWidth"), &values.first);
        glGetUniformfv(program, filter.filterProgram()->uniformIndex("texelHeight"), &values.second);
    });
    return values;
}

// A 480 × 640 frame arriving with a rotation that exchanges the sides.
void pushPortrait(GPUImageFilter& filter, GPUImageRotationMode rotation) {
    filter.setInputRotation(rotation, 0);
    // A two-input filter draws without a second frame only when told so.
    if (auto* twoInput = dynamic_cast<GPUImageTwoInputFilter*>(&filter)) twoInput->disableSecondFrameCheck();
    runSynchronouslyOnContextQueue([&] {
        filter.setInputSize({480, 640}, 0);
        filter.newFrameReadyAtTime(media::MediaTime::make(1, 30), 0);
    });
}

TEST(NearbyTexelSpacing, OneInputTexelInTheInputsOrientationUnlessSet) {
    struct Case {
        const char* name;
        std::shared_ptr<GPUImageFilter> filter;
        GPUImageRotationMode rotation;
    };
    const Case cases[] = {
        {"cross sampling, right turn", std::make_shared<GPUImageTwoInputCrossTextureSamplingFilter>(kNeighbourShader),
         GPUImageRotationMode::RotateRight},
        {"3x3, left turn", std::make_shared<GPUImage3x3TextureSamplingFilter>(kNeighbourShader),
         GPUImageRotationMode::RotateLeft},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(c.filter->error()) << c.filter->error()->description;
        pushPortrait(*c.filter, c.rotation);
        EXPECT_EQ(c.filter->sizeOfFBO(), (Size{640, 480})) << c.name;
        EXPECT_EQ(spacingUniforms(*c.filter), std::make_pair(1.0f / 480, 1.0f / 640)) << c.name;
    }

    // A set spacing is kept through later size changes.
    auto filter = std::make_shared<GPUImage3x3TextureSamplingFilter>(kNeighbourShader);
    filter->setTexelWidth(0.01);
    filter->setTexelHeight(0.02);
    pushPortrait(*filter, GPUImageRotationMode::NoRotation);
    EXPECT_EQ(spacingUniforms(*filter), std::make_pair(0.01f, 0.02f));
    EXPECT_EQ(filter->texelWidth(), 0.01);
}

}  // namespace
