#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageFilter.h"
#include "platform/foundation/DispatchSemaphore.h"

#include <gtest/gtest.h>
#include <thread>

using namespace gpuimage;
using gpuimagetest::labelColor;
using gpuimagetest::RecordingTarget;
using graphics::Size;

namespace {

using Pixels = std::vector<std::array<uint8_t, 4>>;

// Raw input → filter → raw output of the filter's output size.
struct Chain {
    std::shared_ptr<GPUImageRawDataInput> input;
    std::shared_ptr<GPUImageFilter> filter;
    std::shared_ptr<GPUImageRawDataOutput> output;
};

Chain makeChain(int width, int height, const Pixels& rgba, std::shared_ptr<GPUImageFilter> filter, Size outputSize) {
    auto picture = gpuimagetest::bgraPicture(width, height, rgba);
    Chain chain{std::make_shared<GPUImageRawDataInput>(picture.data(), Size{double(width), double(height)}),
                std::move(filter), std::make_shared<GPUImageRawDataOutput>(outputSize, false)};
    chain.input->addTarget(chain.filter);
    chain.filter->addTarget(chain.output);
    return chain;
}

TEST(GPUImageFilter, RotationsOfATwoByThreePicture) {
    // Labels a..f of a 2×3 picture, top row first:  a b / c d / e f.
    Pixels labels;
    for (int i = 0; i < 6; ++i) labels.push_back(labelColor(i));
    enum { a, b, c, d, e, f };
    struct Case {
        GPUImageRotationMode mode;
        Size size;
        std::vector<int> expected;  // labels of the output, top row first
    };
    const Case cases[] = {
        {GPUImageRotationMode::NoRotation, {2, 3}, {a, b, c, d, e, f}},
        {GPUImageRotationMode::RotateLeft, {3, 2}, {b, d, f, a, c, e}},
        {GPUImageRotationMode::RotateRight, {3, 2}, {e, c, a, f, d, b}},
        {GPUImageRotationMode::FlipVertical, {2, 3}, {e, f, c, d, a, b}},
        {GPUImageRotationMode::FlipHorizontal, {2, 3}, {b, a, d, c, f, e}},
        {GPUImageRotationMode::RotateRightFlipVertical, {3, 2}, {a, c, e, b, d, f}},
        {GPUImageRotationMode::RotateRightFlipHorizontal, {3, 2}, {f, d, b, e, c, a}},
        {GPUImageRotationMode::Rotate180, {2, 3}, {f, e, d, c, b, a}},
    };
    for (const auto& test : cases) {
        int mode = static_cast<int>(test.mode);
        auto chain = makeChain(2, 3, labels, std::make_shared<GPUImageFilter>(), test.size);
        chain.filter->setInputRotation(test.mode, 0);
        gpuimagetest::pushAndWait(*chain.input);
        EXPECT_EQ(chain.filter->sizeOfFBO(), test.size) << mode;
        Pixels expected;
        for (int label : test.expected) expected.push_back(labels[static_cast<size_t>(label)]);
        EXPECT_EQ(gpuimagetest::readPixels(*chain.output), expected) << "mode " << mode;

        // The point mapping agrees: each output pixel's centre maps to its source pixel's centre.
        for (int y = 0; y < test.size.height; ++y) {
            for (int x = 0; x < test.size.width; ++x) {
                auto source = rotatedPoint({(x + 0.5) / test.size.width, (y + 0.5) / test.size.height}, test.mode);
                int label = static_cast<int>(source.y * 3) * 2 + static_cast<int>(source.x * 2);
                EXPECT_EQ(label, test.expected[static_cast<size_t>(y * test.size.width + x)])
                    << "mode " << mode << " at " << x << "," << y;
            }
        }
    }
}

TEST(GPUImageFilter, FramebufferFollowsTheRotatedInputSize) {
    std::vector<uint8_t> frame(1280 * 720 * 4, 128);
    auto input = std::make_shared<GPUImageRawDataInput>(frame.data(), Size{1280, 720});
    auto filter = std::make_shared<GPUImageFilter>();
    auto target = std::make_shared<RecordingTarget>();
    input->addTarget(filter);
    filter->addTarget(target);
    filter->setInputRotation(GPUImageRotationMode::RotateRight, 0);
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(filter->sizeOfFBO(), (Size{720, 1280}));
    EXPECT_EQ(target->size, (Size{720, 1280}));
    GLuint framebuffer = filter->filterFramebuffer();
    int textureCalls = target->textureCalls;

    gpuimagetest::pushAndWait(*input);  // same size: nothing made anew
    EXPECT_EQ(filter->filterFramebuffer(), framebuffer);
    EXPECT_EQ(target->textureCalls, textureCalls);

    std::vector<uint8_t> small(64 * 48 * 4, 10);
    input->updateDataFromBytes(small.data(), {64, 48});
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(filter->sizeOfFBO(), (Size{48, 64}));
    EXPECT_GT(target->textureCalls, textureCalls);  // told about the new texture
    EXPECT_EQ(target->texture, filter->outputTexture());
    EXPECT_EQ(target->frames, 3);
}

TEST(GPUImageFilter, ForcedProcessingSizes) {
    std::vector<uint8_t> frame(1280 * 720 * 4, 90);
    auto input = std::make_shared<GPUImageRawDataInput>(frame.data(), Size{1280, 720});
    auto filter = std::make_shared<GPUImageFilter>();
    input->addTarget(filter);

    filter->forceProcessingAtSize({320, 240});
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(filter->sizeOfFBO(), (Size{320, 240}));
    std::vector<uint8_t> other(100 * 50 * 4, 90);
    input->updateDataFromBytes(other.data(), {100, 50});
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(filter->sizeOfFBO(), (Size{320, 240}));

    filter->forceProcessingAtSize({0, 0});
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(filter->sizeOfFBO(), (Size{100, 50}));

    filter->forceProcessingAtSizeRespectingAspectRatio({400, 400});
    input->updateDataFromBytes(frame.data(), {1280, 720});
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(filter->sizeOfFBO(), (Size{400, 225}));
    auto image = filter->newCGImageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation::Up);
    EXPECT_EQ(image.pixelWidth(), 400);
    EXPECT_EQ(image.pixelHeight(), 225);
}

const char* kArrayShader = R"(
precision mediump float;
varying highp vec2 textureCoordinate;
uniform sampler2D inputImageTexture;
uniform float weights[3];
void main() {
    gl_FragColor = vec4(weights[0], weights[1], weights[2], 1.0) + 0.0 * texture2D(inputImageTexture, textureCoordinate);
}
)";

TEST(GPUImageFilter, FiltersSharingAProgramKeepTheirOwnUniforms) {
    Pixels pixel = {{0, 0, 0, 255}};
    auto red = makeChain(1, 1, pixel, std::make_shared<GPUImageFilter>(gpuimagetest::kTintFragmentShader), {1, 1});
    auto green = makeChain(1, 1, pixel, std::make_shared<GPUImageFilter>(gpuimagetest::kTintFragmentShader), {1, 1});
    ASSERT_EQ(red.filter->filterProgram(), green.filter->filterProgram());
    // Set from another thread: takes effect before the next frame on the queue.
    std::thread([&] { red.filter->setFloatVec4({1, 0, 0, 1}, "tint"); }).join();
    green.filter->setFloatVec4({0, 1, 0, 1}, "tint");
    gpuimagetest::pushAndWait(*green.input);
    gpuimagetest::pushAndWait(*red.input);
    gpuimagetest::pushAndWait(*green.input);
    EXPECT_EQ(gpuimagetest::readPixels(*red.output), (Pixels{{255, 0, 0, 255}}));
    EXPECT_EQ(gpuimagetest::readPixels(*green.output), (Pixels{{0, 255, 0, 255}}));
}

TEST(GPUImageFilter, FloatArraySetterCopiesTheValues) {
    auto chain = makeChain(1, 1, {{0, 0, 0, 255}}, std::make_shared<GPUImageFilter>(kArrayShader), {1, 1});
    {
        std::vector<GLfloat> weights = {1.0f, 0.0f, 1.0f};
        chain.filter->setFloatArray(weights.data(), weights.size(), "weights");
        weights.assign({0.0f, 1.0f, 0.0f});  // changed, then gone before any frame
    }
    gpuimagetest::pushAndWait(*chain.input);
    EXPECT_EQ(gpuimagetest::readPixels(*chain.output), (Pixels{{255, 0, 255, 255}}));
}

TEST(GPUImageFilter, ReadBackRefusesOutputFormatsItCannotRead) {
    auto chain = makeChain(1, 1, {{1, 2, 3, 255}}, std::make_shared<GPUImageFilter>(), {1, 1});
    gpuimagetest::pushAndWait(*chain.input);
    EXPECT_FALSE(
        chain.filter->imageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation::Up).isNull());
    struct Case {
        GLenum internalFormat, type;
        const char* text;
    };
    const Case cases[] = {
        {GL_RGB, GL_UNSIGNED_BYTE,
         "For conversion to a CGImage the output texture format for this filter must be GL_RGBA."},
        {GL_RGBA, GL_HALF_FLOAT_OES,
         "For conversion to a CGImage the type of the output texture of this filter must be GL_UNSIGNED_BYTE."},
    };
    for (const auto& test : cases) {
        auto filter = std::make_shared<GPUImageFilter>();
        GPUTextureOptions options;
        options.internalFormat = test.internalFormat;
        options.type = test.type;
        filter->setOutputTextureOptions(options);
        EXPECT_TRUE(filter->imageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation::Up).isNull());
        ASSERT_TRUE(filter->error());
        EXPECT_EQ(filter->error()->description, test.text);
        EXPECT_EQ(filter->error()->code, kGPUImageErrorOutputFormat);
    }
}

}  // namespace

namespace {

TEST(GPUImageFilter, IncompleteFramebufferIsAnErrorAndStopsTheFrame) {
    auto filter = std::make_shared<GPUImageFilter>();
    GPUTextureOptions options;
    options.internalFormat = GL_LUMINANCE;  // not colour-renderable in ES 2
    options.format = GL_LUMINANCE;
    filter->setOutputTextureOptions(options);
    auto chain = makeChain(1, 1, {{5, 5, 5, 255}}, filter, {1, 1});
    int frames = 0;
    chain.output->setNewFrameAvailableBlock([&] { ++frames; });
    gpuimagetest::pushAndWait(*chain.input);
    auto error = filter->error();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kGPUImageErrorIncompleteFramebuffer);
    EXPECT_EQ(error->description.rfind("Incomplete filter FBO: ", 0), 0u) << error->description;
    EXPECT_EQ(frames, 0);
}

}  // namespace
