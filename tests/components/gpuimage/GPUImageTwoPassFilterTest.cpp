#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageTwoPassTextureSamplingFilter.h"

#include <gtest/gtest.h>

using namespace gpuimage;
using gpuimagetest::RecordingTarget;
using graphics::Size;

namespace {

using Pixels = std::vector<std::array<uint8_t, 4>>;

// First pass: red and green exchanged, plus `amount` on red. Second pass:
// green and blue exchanged, plus `amount` on blue. Each pass has its own
// "amount", so stored values must go to the right program.
const char* const kFirstPass = R"(
precision highp float;
varying highp vec2 textureCoordinate;
uniform sampler2D inputImageTexture;
uniform float amount;
void main() {
    vec4 c = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4(c.g + amount, c.r, c.b, c.a);
}
)";
const char* const kSecondPass = R"(
precision highp float;
varying highp vec2 textureCoordinate;
uniform sampler2D inputImageTexture;
uniform float amount;
void main() {
    vec4 c = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4(c.r, c.b, c.g + amount, c.a);
}
)";

// Samples one step away in each pass, so both programs use their offsets.
const char* const kSamplingVertex = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;
uniform float texelWidthOffset;
uniform float texelHeightOffset;
varying vec2 textureCoordinate;
void main() {
    gl_Position = position;
    textureCoordinate = inputTextureCoordinate.xy + vec2(texelWidthOffset, texelHeightOffset);
}
)";

struct Chain {
    std::shared_ptr<GPUImageRawDataInput> input;
    std::shared_ptr<GPUImageRawDataOutput> output;
    std::shared_ptr<RecordingTarget> recorder = std::make_shared<RecordingTarget>();
};

Chain attach(const std::shared_ptr<GPUImageFilter>& filter, int width, int height, std::array<uint8_t, 4> colour) {
    auto bytes = gpuimagetest::bgraPicture(width, height, Pixels(size_t(width * height), colour));
    Chain chain{std::make_shared<GPUImageRawDataInput>(bytes.data(), Size{double(width), double(height)}),
                std::make_shared<GPUImageRawDataOutput>(Size{2, 2}, false)};
    chain.input->addTarget(filter);
    filter->addTarget(chain.output);
    filter->addTarget(chain.recorder);
    return chain;
}

TEST(GPUImageTwoPassFilter, TheSecondPassReadsTheFirstAndIsWhatTargetsReceive) {
    auto filter = std::make_shared<GPUImageTwoPassFilter>(kFirstPass, kSecondPass);
    ASSERT_FALSE(filter->error());
    filter->setFloat(0.2f, "amount");  // first program
    GLint secondAmount = -1;           // GL answers only on the context queue
    runSynchronouslyOnContextQueue([&] { secondAmount = filter->secondFilterProgram()->uniformIndex("amount"); });
    filter->setFloat(0.4f, secondAmount, filter->secondFilterProgram());
    Chain chain = attach(filter, 4, 4, {10, 20, 30, 255});
    gpuimagetest::pushAndWait(*chain.input);
    // (10, 20, 30) → first (20 + 51, 10, 30) → second (71, 30, 10 + 102).
    for (const auto& pixel : gpuimagetest::readPixels(*chain.output)) {
        EXPECT_NEAR(pixel[0], 71, 1);
        EXPECT_NEAR(pixel[1], 30, 1);
        EXPECT_NEAR(pixel[2], 112, 1);
    }
    const auto picture = filter->newCGImageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation::Up);
    ASSERT_EQ(picture.pixelWidth(), 4);
    EXPECT_NEAR(picture.pixelAt(1, 1).b, 112, 1) << "the read-back reads the second pass";

    const GLuint first = chain.recorder->texture;
    EXPECT_EQ(first, filter->textureForOutput());
    EXPECT_NE(first, filter->outputTexture());
    EXPECT_EQ(chain.recorder->frames, 1);

    // Another size makes new framebuffers; targets still get the second pass.
    Chain larger = attach(filter, 8, 8, {10, 20, 30, 255});
    gpuimagetest::pushAndWait(*larger.input);
    EXPECT_EQ(chain.recorder->texture, filter->textureForOutput());
    EXPECT_NE(filter->textureForOutput(), 0u);
    EXPECT_EQ(filter->sizeOfFBO(), (Size{8, 8}));
}

TEST(GPUImageTwoPassFilter, MonochromeInputSkipsTheFirstPass) {
    auto filter = std::make_shared<GPUImageTwoPassFilter>(kFirstPass, kSecondPass);
    // The programs are shared with other filters of these shaders: state this filter's values.
    filter->setFloat(0.2f, "amount");
    runSynchronouslyOnContextQueue([&] {
        filter->setFloat(0.0f, filter->secondFilterProgram()->uniformIndex("amount"), filter->secondFilterProgram());
    });
    Chain chain = attach(filter, 2, 2, {10, 20, 30, 255});
    filter->setCurrentlyReceivingMonochromeInput(true);
    gpuimagetest::pushAndWait(*chain.input);
    for (const auto& pixel : gpuimagetest::readPixels(*chain.output))
        EXPECT_EQ(pixel, (std::array<uint8_t, 4>{10, 30, 20, 255}));
}

TEST(GPUImageTwoPassTextureSamplingFilter, OffsetsFollowTheFramebufferRotationAndSpacing) {
    struct Case {
        Size size;
        GPUImageRotationMode rotation;
        double vertical, horizontal;
        TwoPassTexelOffsets expected;
    };
    const auto none = GPUImageRotationMode::NoRotation, right = GPUImageRotationMode::RotateRight;
    const Case cases[] = {
        {{640, 480}, none, 1, 1, {0, 1.0f / 480, 1.0f / 640, 0}},
        {{640, 480}, right, 1, 1, {1.0f / 480, 0, 1.0f / 640, 0}},
        {{640, 480}, GPUImageRotationMode::FlipVertical, 2, 0.5, {0, 2.0f / 480, 0.5f / 640, 0}},
        {{0, 0}, none, 1, 1, {0, 0, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(twoPassTexelOffsets(c.size, c.rotation, c.vertical, c.horizontal), c.expected)
            << c.size.width << "x" << c.size.height << " rotation " << int(c.rotation);
}

std::array<float, 4> offsetUniforms(GPUImageTwoPassFilter& filter) {
    std::array<float, 4> values{-1, -1, -1, -1};
    runSynchronouslyOnContextQueue([&] {
        const auto& first = filter.filterProgram();
        const auto& second = filter.secondFilterProgram();
        glGetUniformfv(first->program(), first->uniformIndex("texelWidthOffset"), &values[0]);
        glGetUniformfv(first->program(), first->uniformIndex("texelHeightOffset"), &values[1]);
        glGetUniformfv(second->program(), second->uniformIndex("texelWidthOffset"), &values[2]);
        glGetUniformfv(second->program(), second->uniformIndex("texelHeightOffset"), &values[3]);
    });
    return values;
}

TEST(GPUImageTwoPassTextureSamplingFilter, EachPassGetsItsOffsetsAndASpacingChangeKeepsTheFramebuffers) {
    auto filter = std::make_shared<GPUImageTwoPassTextureSamplingFilter>(kSamplingVertex, kFirstPass, kSamplingVertex,
                                                                         kSecondPass);
    ASSERT_FALSE(filter->error());
    Chain chain = attach(filter, 640, 480, {10, 20, 30, 255});
    gpuimagetest::pushAndWait(*chain.input);
    EXPECT_EQ(offsetUniforms(*filter), (std::array<float, 4>{0, 1.0f / 480, 1.0f / 640, 0}));

    const GLuint framebuffer = filter->filterFramebuffer();
    filter->setVerticalTexelSpacing(2.0);
    gpuimagetest::pushAndWait(*chain.input);
    EXPECT_EQ(offsetUniforms(*filter), (std::array<float, 4>{0, 2.0f / 480, 1.0f / 640, 0}));
    EXPECT_EQ(filter->filterFramebuffer(), framebuffer);
}

}  // namespace
