#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageBrightnessFilter.h"
#include "components/gpuimage/GPUImageBuffer.h"
#include "components/gpuimage/GPUImageFilterGroup.h"
#include "components/gpuimage/GPUImageTextureInput.h"
#include "components/gpuimage/GPUImageTextureOutput.h"

#include <gtest/gtest.h>

using namespace gpuimage;
using gpuimagetest::RecordingTarget;
using graphics::Size;

namespace {

using Pixels = std::vector<std::array<uint8_t, 4>>;

std::shared_ptr<GPUImageRawDataInput> rawInput(int width, int height, std::array<uint8_t, 4> colour) {
    auto bytes = gpuimagetest::bgraPicture(width, height, Pixels(size_t(width * height), colour));
    return std::make_shared<GPUImageRawDataInput>(bytes.data(), Size{double(width), double(height)});
}

struct CountingDelegate : GPUImageTextureDelegate {
    int handBacks = 0;
    void textureNoLongerNeededForTarget(GPUImageInput*) override { ++handBacks; }
};

TEST(GPUImageFilterGroup, LooksLikeOneFilterToItsSourceAndTargets) {
    // input → [brighten → darken] → output: +0.2 then −0.1.
    auto group = std::make_shared<GPUImageFilterGroup>();
    auto brighten = std::make_shared<GPUImageBrightnessFilter>();
    auto darken = std::make_shared<GPUImageBrightnessFilter>();
    brighten->setBrightness(0.2);
    darken->setBrightness(-0.1);
    brighten->addTarget(darken);
    group->addFilter(brighten);
    group->addFilter(darken);
    group->setInitialFilters({brighten});
    group->setTerminalFilter(darken);
    EXPECT_EQ(group->filterCount(), 2u);
    EXPECT_EQ(group->filterAtIndex(1), darken);
    EXPECT_EQ(group->filterAtIndex(2), nullptr);

    auto input = rawInput(2, 2, {100, 100, 100, 255});
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{2, 2}, false);
    auto recorder = std::make_shared<RecordingTarget>();
    input->addTarget(group);
    group->addTarget(output);
    group->addTarget(recorder);
    EXPECT_EQ(darken->targets().size(), 2u) << "the group's targets are the terminal filter's";
    gpuimagetest::pushAndWait(*input);
    for (const auto& pixel : gpuimagetest::readPixels(*output)) EXPECT_NEAR(pixel[0], 126, 1);
    EXPECT_EQ(recorder->frames, 1);

    group->endProcessing();
    group->endProcessing();
    EXPECT_EQ(recorder->ends, 1) << "the end reaches the terminal filter's targets once";
    group->removeTarget(recorder);
    EXPECT_EQ(darken->targets().size(), 1u);
}

TEST(GPUImageFilterGroup, HandsTheSourcesTextureBackOnceAllInitialFiltersAreDone) {
    auto group = std::make_shared<GPUImageFilterGroup>();
    auto first = std::make_shared<GPUImageBrightnessFilter>();
    auto second = std::make_shared<GPUImageBrightnessFilter>();
    group->addFilter(first);
    group->addFilter(second);
    group->setInitialFilters({first, second});
    group->setTerminalFilter(second);
    auto source = std::make_shared<CountingDelegate>();
    runSynchronouslyOnContextQueue([&] {
        group->setTextureDelegate(source, 0);
        group->setInputSize({4, 4}, 0);
        group->conserveMemoryForNextFrame();
        group->newFrameReadyAtTime(media::MediaTime::make(1, 30), 0);
    });
    EXPECT_EQ(source->handBacks, 1);
    // A stray hand-back after the count ran out is not passed on.
    runSynchronouslyOnContextQueue([&] { group->textureNoLongerNeededForTarget(first.get()); });
    EXPECT_EQ(source->handBacks, 1);
    EXPECT_FALSE(group->wantsMonochromeInput());
    EXPECT_TRUE(GPUImageFilterGroup().wantsMonochromeInput()) << "true for no initial filter";
}

struct RecordingTextureDelegate : GPUImageTextureOutputDelegate {
    std::vector<GLuint> textures;
    void newFrameReadyFromTextureOutput(GPUImageTextureOutput& output) override {
        textures.push_back(output.texture());
    }
};

TEST(GPUImageTextureInputOutput, ACallersTextureRunsThroughAFilterToTheDelegate) {
    // The caller's own texture: 2×1, red then blue.
    GLuint callersTexture = 0;
    const uint8_t bgra[] = {0, 0, 255, 255, 255, 0, 0, 255};
    runSynchronouslyOnContextQueue([&] {
        ASSERT_TRUE(GPUImageContext::useImageProcessingContext());
        glGenTextures(1, &callersTexture);
        glBindTexture(GL_TEXTURE_2D, callersTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 1, 0, GL_BGRA_EXT, GL_UNSIGNED_BYTE, bgra);
    });
    auto delegate = std::make_shared<RecordingTextureDelegate>();
    {
        auto input = std::make_shared<GPUImageTextureInput>(callersTexture, Size{2, 1});
        auto filter = std::make_shared<GPUImageFilter>();
        auto textureOutput = std::make_shared<GPUImageTextureOutput>();
        auto pixels = std::make_shared<GPUImageRawDataOutput>(Size{2, 1}, false);
        textureOutput->setDelegate(delegate);
        input->addTarget(filter);
        filter->addTarget(textureOutput);
        filter->addTarget(pixels);
        filter->setInputRotation(GPUImageRotationMode::FlipHorizontal, 0);
        textureOutput->setInputRotation(GPUImageRotationMode::Rotate180, 0);  // ignored
        for (int i = 0; i < 2; ++i) {
            input->processTextureWithFrameTime(media::MediaTime::make(i, 30));
            gpuimagetest::drainContextQueue();
        }
        ASSERT_EQ(delegate->textures.size(), 2u);
        EXPECT_EQ(delegate->textures[0], filter->textureForOutput());
        EXPECT_EQ(gpuimagetest::readPixels(*pixels), (Pixels{{0, 0, 255, 255}, {255, 0, 0, 255}}));
    }
    // The caller's texture outlives the source that read it.
    GLboolean stillATexture = GL_FALSE;
    runSynchronouslyOnContextQueue([&] {
        GPUImageContext::useImageProcessingContext();
        stillATexture = glIsTexture(callersTexture);
        glDeleteTextures(1, &callersTexture);
    });
    EXPECT_TRUE(stillATexture);
}

// Pushes each picture through the buffer and returns what its target saw as
// each frame arrived (read then: the buffer draws the incoming frame after).
std::vector<Pixels> runThroughBuffer(const std::shared_ptr<GPUImageBuffer>& buffer,
                                     const std::vector<std::pair<Size, Pixels>>& pictures) {
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{2, 2}, false);
    buffer->addTarget(output);
    std::vector<Pixels> seen;
    output->setNewFrameAvailableBlock([&] { seen.push_back(gpuimagetest::readPixels(*output)); });
    for (const auto& [size, pixels] : pictures) {
        auto bytes = gpuimagetest::bgraPicture(int(size.width), int(size.height), pixels);
        auto input = std::make_shared<GPUImageRawDataInput>(bytes.data(), size);
        input->addTarget(buffer);
        gpuimagetest::pushAndWait(*input);
        input->removeAllTargets();
    }
    buffer->removeTarget(output);
    return seen;
}

const std::array<uint8_t, 4> kColours[] = {
    {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 0, 255}, {0, 255, 255, 255}};

TEST(GPUImageBuffer, TargetsSeeTheFrameReceivedBufferSizeFramesEarlier) {
    std::vector<std::pair<Size, Pixels>> pictures;
    for (const auto& colour : kColours) pictures.push_back({{4, 4}, Pixels(16, colour)});
    for (unsigned bufferSize : {1u, 2u, 3u}) {
        auto buffer = std::make_shared<GPUImageBuffer>();
        buffer->setBufferSize(bufferSize);
        EXPECT_EQ(buffer->bufferSize(), bufferSize);
        const auto seen = runThroughBuffer(buffer, pictures);
        ASSERT_EQ(seen.size(), 5u);
        for (size_t frame = bufferSize; frame < 5; ++frame)
            EXPECT_EQ(seen[frame], Pixels(4, kColours[frame - bufferSize]))
                << "size " << bufferSize << " frame " << frame;
    }
}

TEST(GPUImageBuffer, TheRingTakesEachNewFrameSize) {
    // Two frames at 4×4, then three at 8×2 whose right half is white: a ring
    // texture left at 4×4 would keep only the left half of those.
    const std::array<uint8_t, 4> white{255, 255, 255, 255};
    std::vector<std::pair<Size, Pixels>> pictures;
    for (int frame = 0; frame < 5; ++frame) {
        if (frame < 2) {
            pictures.push_back({{4, 4}, Pixels(16, kColours[frame])});
            continue;
        }
        Pixels split;
        for (int i = 0; i < 16; ++i) split.push_back(i % 8 < 4 ? kColours[frame] : white);
        pictures.push_back({{8, 2}, split});
    }
    auto buffer = std::make_shared<GPUImageBuffer>();
    buffer->setBufferSize(2);
    const auto seen = runThroughBuffer(buffer, pictures);
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[4], (Pixels{kColours[2], white, kColours[2], white}));
    EXPECT_FALSE(buffer->error());
}

}  // namespace
