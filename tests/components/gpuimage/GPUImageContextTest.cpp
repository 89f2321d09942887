#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageContext.h"
#include "components/gpuimage/GPUImageFilter.h"
#include "components/gpuimage/GPUImageLog.h"
#include "platform/foundation/DispatchQueue.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace gpuimage;
using gpuimagetest::LogCapture;
using graphics::Size;

namespace {

// Programs live as long as the process: a shader text of its own makes a
// test meet a program fresh from the cache also when tests repeat.
std::string uniqueShaderComment() {
    static int count = 0;
    return "\n// " + std::to_string(++count) + "\n";
}

TEST(GPUImageContext, OneProgramPerShaderPairLinkedOnce) {
    auto& context = GPUImageContext::sharedImageProcessingContext();
    std::string shader = std::string(gpuimagetest::kTintFragmentShader) + uniqueShaderComment();
    size_t before = 0;
    runSynchronouslyOnContextQueue([&] { before = context.cachedProgramCount(); });
    auto first = std::make_shared<GPUImageFilter>(shader);
    auto second = std::make_shared<GPUImageFilter>(shader);
    ASSERT_FALSE(first->error()) << first->error()->description;
    ASSERT_NE(first->filterProgram(), nullptr);
    EXPECT_EQ(first->filterProgram(), second->filterProgram());
    EXPECT_TRUE(first->filterProgram()->initialized());
    runSynchronouslyOnContextQueue([&] {
        EXPECT_EQ(context.cachedProgramCount(), before + 1);
        // A linked program has let its shaders go.
        EXPECT_FALSE(first->filterProgram()->vertexShaderLog());
        EXPECT_EQ(first->filterProgram()->attributeIndex("position"), 0u);
        EXPECT_EQ(first->filterProgram()->attributeIndex("inputTextureCoordinate"), 1u);
        EXPECT_GE(first->filterProgram()->uniformIndex("tint"), 0);
        EXPECT_EQ(first->filterProgram()->uniformIndex("absent"), -1);
    });
    // Linking again would re-bind attributes; the shared program kept its list.
    EXPECT_EQ(second->filterProgram()->attributes(), (std::vector<std::string>{"position", "inputTextureCoordinate"}));
}

TEST(GPUImageContext, QueueIsOneThreadAndNestedSyncRunsInline) {
    EXPECT_EQ(GPUImageContext::sharedContextQueue().label(), "com.quorvane.GPUImage.openGLESContextQueue");
    EXPECT_TRUE(GPUImageContext::sharedContextQueue().isThreadBound());
    std::vector<std::string> steps;
    std::thread::id outerThread, innerThread, asyncThread;
    runSynchronouslyOnContextQueue([&] {
        outerThread = std::this_thread::get_id();
        steps.push_back("outer");
        runSynchronouslyOnContextQueue([&] {
            innerThread = std::this_thread::get_id();
            steps.push_back("inner");
        });
        runAsynchronouslyOnContextQueue([&] { steps.push_back("inline async"); });
        steps.push_back("outer end");
    });
    runAsynchronouslyOnContextQueue([&] { asyncThread = std::this_thread::get_id(); });
    gpuimagetest::drainContextQueue();
    EXPECT_EQ(steps, (std::vector<std::string>{"outer", "inner", "inline async", "outer end"}));
    EXPECT_EQ(innerThread, outerThread);
    EXPECT_EQ(asyncThread, outerThread);
    EXPECT_NE(outerThread, std::this_thread::get_id());
    // GL is refused off the queue instead of touching a context of another thread.
    EXPECT_FALSE(GPUImageContext::useImageProcessingContext());
}

TEST(GPUImageContext, SizesFitWithinATexture) {
    struct Case {
        Size in;
        int maximum;
        Size out;
    };
    const Case cases[] = {
        {{5000, 3000}, 4096, {4096, 4096.0 / 5000 * 3000}},
        {{3000, 5000}, 4096, {4096.0 / 5000 * 3000, 4096}},
        {{4096, 100}, 4096, {4096, 100}},  // at the limit: rescaled to itself
        {{100, 4096}, 4096, {100, 4096}},
        {{4095, 4095}, 4096, {4095, 4095}},
        {{4096, 4096}, 4096, {4096, 4096}},
        {{3264, 2448}, 2048, {2048, 1536}},
    };
    for (const auto& c : cases) {
        Size fitted = sizeThatFitsWithinATexture(c.in, c.maximum);
        EXPECT_DOUBLE_EQ(fitted.width, c.out.width) << c.in.toString();
        EXPECT_DOUBLE_EQ(fitted.height, c.out.height) << c.in.toString();
    }
    EXPECT_NEAR(sizeThatFitsWithinATexture({5000, 3000}, 4096).height, 2457.6, 1e-9);

    int deviceMaximum = GPUImageContext::maximumTextureSizeForThisDevice();
    EXPECT_GE(deviceMaximum, 4096);
    GPUImageContext::overrideMaximumTextureSizeForTesting(4096);
    EXPECT_EQ(GPUImageContext::maximumTextureSizeForThisDevice(), 4096);
    EXPECT_EQ(GPUImageContext::sizeThatFitsWithinATextureForSize({5000, 3000}), (Size{4096, 4096.0 / 5000 * 3000}));
    GPUImageContext::overrideMaximumTextureSizeForTesting(std::nullopt);
    EXPECT_EQ(GPUImageContext::maximumTextureSizeForThisDevice(), deviceMaximum);
}

TEST(GPUImageContext, DeviceQuestionsAreAnsweredFromAnyThread) {
    EXPECT_GE(GPUImageContext::maximumTextureUnitsForThisDevice(), 8);
    EXPECT_GE(GPUImageContext::maximumVaryingVectorsForThisDevice(), 8);
    EXPECT_TRUE(GPUImageContext::deviceSupportsOpenGLESExtension("GL_EXT_texture_format_BGRA8888"));
    // A prefix of a listed name is not a name.
    EXPECT_FALSE(GPUImageContext::deviceSupportsOpenGLESExtension("GL_EXT_texture_format_BGRA"));
    EXPECT_FALSE(GPUImageContext::deviceSupportsOpenGLESExtension(""));
    EXPECT_FALSE(GPUImageContext::supportsFastTextureUpload());
    EXPECT_FALSE(GPUImageContext::contextError());
}

TEST(GPUImageContext, ShaderThatDoesNotCompileIsLoggedAndLeavesTheFilterInert) {
    LogCapture log;
    auto broken =
        std::make_shared<GPUImageFilter>("void main() { gl_FragColor = undefinedThing; }" + uniqueShaderComment());
    EXPECT_TRUE(log.contains("Shader compile log:\n"));
    EXPECT_TRUE(log.contains("Failed to compile fragment shader"));
    EXPECT_TRUE(log.contains("Program link log: "));
    EXPECT_FALSE(log.contains("Failed to compile vertex shader"));
    auto error = broken->error();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, kGPUImageErrorDomain);
    EXPECT_EQ(error->code, kGPUImageErrorLinkFailed);
    EXPECT_EQ(error->description, "Filter shader link failed");
    ASSERT_TRUE(error->underlying);
    EXPECT_NE(error->underlying->description.find("undefinedThing"), std::string::npos);

    // No frame passes the broken filter.
    auto picture = gpuimagetest::bgraPicture(1, 1, {{10, 20, 30, 255}});
    auto input = std::make_shared<GPUImageRawDataInput>(picture.data(), Size{1, 1});
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{1, 1}, false);
    int frames = 0;
    output->setNewFrameAvailableBlock([&] { ++frames; });
    input->addTarget(broken);
    broken->addTarget(output);
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(frames, 0);
    EXPECT_TRUE(broken->newCGImageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation::Up).isNull());
}

// Runs in a child whose Mesa finds no drivers: the context is made once per
// process, so the parent cannot try this itself.
TEST(GPUImageWithoutDrivers, ChildPart) {
    if (!gpuimagetest::isChildWithoutDrivers()) GTEST_SKIP() << "runs only as the child of ErrorsInsteadOfAStop";
    auto error = GPUImageContext::contextError();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, kGPUImageErrorDomain);
    EXPECT_EQ(error->code, kGPUImageErrorNoContext);
    EXPECT_EQ(error->description, kGPUImageNoContextText);
    EXPECT_TRUE(error->underlying);

    auto picture = gpuimagetest::bgraPicture(1, 1, {{10, 20, 30, 255}});
    auto input = std::make_shared<GPUImageRawDataInput>(picture.data(), Size{1, 1});
    auto filter = std::make_shared<GPUImageFilter>();
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{1, 1}, false);
    for (const auto& failure : {input->error(), filter->error(), output->error()}) {
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->description, kGPUImageNoContextText);
    }
    int frames = 0;
    output->setNewFrameAvailableBlock([&] { ++frames; });
    input->addTarget(filter);
    filter->addTarget(output);
    filter->setFloat(0.5f, "anything");
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(output->rawBytesForImage(), nullptr);
    EXPECT_EQ(output->colorAtLocation({0, 0}), GPUByteColorVector{});
    EXPECT_TRUE(filter->imageFromCurrentlyProcessedOutput().isNull());
    EXPECT_EQ(GPUImageContext::maximumTextureSizeForThisDevice(), 0);
    std::printf("inert without drivers\n");
}

TEST(GPUImageWithoutDrivers, ErrorsInsteadOfAStop) {
    const auto result = gpuimagetest::runWithoutDrivers("GPUImageWithoutDrivers.ChildPart");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("[  PASSED  ] 1 test"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("inert without drivers"), std::string::npos) << result.output;
}

}  // namespace
