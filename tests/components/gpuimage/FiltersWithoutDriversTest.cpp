#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageAverageColor.h"
#include "components/gpuimage/GPUImageBuffer.h"
#include "components/gpuimage/GPUImageChromaKeyBlendFilter.h"
#include "components/gpuimage/GPUImageFilterGroup.h"
#include "components/gpuimage/GPUImageThreeInputFilter.h"
#include "components/gpuimage/GPUImageTwoPassTextureSamplingFilter.h"

#include <gtest/gtest.h>

using namespace gpuimage;
using graphics::Size;

namespace {

// Runs in a child whose Mesa finds no drivers (the context is made once per process).
TEST(GPUImageFiltersWithoutDrivers, ChildPart) {
    if (!gpuimagetest::isChildWithoutDrivers()) GTEST_SKIP() << "runs only as the child of ErrorsInsteadOfAStop";
    auto blend = std::make_shared<GPUImageChromaKeyBlendFilter>();
    auto three = std::make_shared<GPUImageThreeInputFilter>(kGPUImagePassthroughFragmentShaderString);
    auto average = std::make_shared<GPUImageAverageColor>();
    auto buffer = std::make_shared<GPUImageBuffer>();
    auto twoPass = std::make_shared<GPUImageTwoPassTextureSamplingFilter>(
        kGPUImageVertexShaderString, kGPUImagePassthroughFragmentShaderString, kGPUImageVertexShaderString,
        kGPUImagePassthroughFragmentShaderString);
    std::vector<std::shared_ptr<GPUImageFilter>> filters{blend, three, average, buffer, twoPass};
    for (const auto& filter : filters) {
        const auto failure = filter->error();
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->description, kGPUImageNoContextText);
    }
    auto group = std::make_shared<GPUImageFilterGroup>();
    group->addFilter(buffer);
    group->setInitialFilters({buffer});
    group->setTerminalFilter(buffer);

    int averages = 0;
    average->setColorAverageProcessingFinishedBlock([&](double, double, double, double, FrameTime) { ++averages; });
    blend->setThresholdSensitivity(0.3f);
    buffer->setBufferSize(3);
    twoPass->setVerticalTexelSpacing(2.0);
    auto picture = gpuimagetest::bgraPicture(1, 1, {{10, 20, 30, 255}});
    auto input = std::make_shared<GPUImageRawDataInput>(picture.data(), Size{1, 1});
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{1, 1}, false);
    int frames = 0;
    output->setNewFrameAvailableBlock([&] { ++frames; });
    for (const auto& filter : filters) {
        filter->addTarget(output);
        if (filter != buffer) input->addTarget(filter);
    }
    input->addTarget(group);
    blend->disableSecondFrameCheck();
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(averages, 0);
    std::printf("filters inert without drivers\n");
}

TEST(GPUImageFiltersWithoutDrivers, ErrorsInsteadOfAStop) {
    const auto result = gpuimagetest::runWithoutDrivers("GPUImageFiltersWithoutDrivers.ChildPart");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("[  PASSED  ] 1 test"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("filters inert without drivers"), std::string::npos) << result.output;
}

}  // namespace
