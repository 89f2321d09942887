#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageFilter.h"
#include "platform/foundation/DispatchSemaphore.h"

#include <gtest/gtest.h>

using namespace gpuimage;
using gpuimagetest::labelColor;
using graphics::Size;

namespace {

using Pixels = std::vector<std::array<uint8_t, 4>>;

TEST(GPUImageRawData, ColorAtLocationCountsFromTheTopLeftRoundingAndClamping) {
    // 3×2 picture, labels 0 1 2 / 3 4 5.
    Pixels labels;
    for (int i = 0; i < 6; ++i) labels.push_back(labelColor(i));
    auto picture = gpuimagetest::bgraPicture(3, 2, labels);
    auto input = std::make_shared<GPUImageRawDataInput>(picture.data(), Size{3, 2});
    auto rgba = std::make_shared<GPUImageRawDataOutput>(Size{3, 2}, false);
    auto bgra = std::make_shared<GPUImageRawDataOutput>(Size{3, 2}, true);
    input->addTarget(rgba);
    input->addTarget(bgra);
    gpuimagetest::pushAndWait(*input);
    struct Case {
        graphics::Point at;
        int label;
    };
    const Case cases[] = {
        {{0, 0}, 0},       {{2, 0}, 2},     {{0, 1}, 3},     {{2, 1}, 5},    // corners, top row first
        {{0.49, 0.49}, 0}, {{0.5, 0.5}, 4}, {{1.6, 0.2}, 2},                 // nearest pixel, halves up
        {{-5, -5}, 0},     {{99, -1}, 2},   {{-1, 99}, 3},   {{99, 99}, 5},  // outside: nearest edge
    };
    for (const auto& test : cases) {
        auto expected = labels[static_cast<size_t>(test.label)];
        GPUByteColorVector want{expected[0], expected[1], expected[2], expected[3]};
        EXPECT_EQ(rgba->colorAtLocation(test.at), want) << test.at.toString();
        EXPECT_EQ(bgra->colorAtLocation(test.at), want) << test.at.toString();
    }
    // The BGRA output's bytes are in that order.
    const uint8_t* bytes = bgra->rawBytesForImage();
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ((std::array<uint8_t, 4>{bytes[0], bytes[1], bytes[2], bytes[3]}),
              (std::array<uint8_t, 4>{labels[0][2], labels[0][1], labels[0][0], labels[0][3]}));
    EXPECT_EQ(bgra->bytesPerRowInOutput(), 12u);
}

TEST(GPUImageRawData, ReadsOncePerFrameAndAgainAfterANewFrame) {
    auto picture = gpuimagetest::bgraPicture(1, 1, {{10, 20, 30, 255}});
    auto input = std::make_shared<GPUImageRawDataInput>(picture.data(), Size{1, 1});
    auto filter = std::make_shared<GPUImageFilter>();
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{1, 1}, false);
    int frames = 0;
    output->setNewFrameAvailableBlock([&] {
        ++frames;
        // Reading from the frame callback, on the queue, does not deadlock.
        EXPECT_NE(output->rawBytesForImage(), nullptr);
    });
    input->addTarget(filter);
    filter->addTarget(output);
    gpuimagetest::pushAndWait(*input);
    const uint8_t* first = output->rawBytesForImage();
    EXPECT_EQ(gpuimagetest::readPixels(*output), (Pixels{{10, 20, 30, 255}}));

    // The filter's texture now holds other pixels, but no new frame reached
    // the output: the bytes stay those of the frame already read.
    picture = gpuimagetest::bgraPicture(1, 1, {{90, 80, 70, 255}});
    input->updateDataFromBytes(picture.data(), {1, 1});
    filter->setBackgroundColor(0, 0, 1, 1);
    runSynchronouslyOnContextQueue([&] {
        filter->renderToTextureWithVertices(kGPUImageQuadVertices.data(),
                                            textureCoordinatesForRotationMode(GPUImageRotationMode::NoRotation).data(),
                                            input->outputTexture());
    });
    EXPECT_EQ(gpuimagetest::readPixels(*output), (Pixels{{10, 20, 30, 255}}));
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(gpuimagetest::readPixels(*output), (Pixels{{90, 80, 70, 255}}));
    EXPECT_EQ(output->rawBytesForImage(), first);
    EXPECT_EQ(frames, 2);

    output->setImageSize({2, 2});
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(gpuimagetest::readPixels(*output).size(), 4u);
}

TEST(GPUImageRawData, ASecondPushWhileOneIsQueuedIsDropped) {
    auto picture = gpuimagetest::bgraPicture(1, 1, {{1, 2, 3, 255}});
    auto input = std::make_shared<GPUImageRawDataInput>(picture.data(), Size{1, 1});
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{1, 1}, false);
    int frames = 0;
    output->setNewFrameAvailableBlock([&] { ++frames; });
    input->addTarget(output);
    foundation::DispatchSemaphore release(0);
    runAsynchronouslyOnContextQueue([&] { release.wait(); });  // holds the queue
    input->processData();
    input->processData();
    release.signal();
    gpuimagetest::drainContextQueue();
    EXPECT_EQ(frames, 1);
    gpuimagetest::pushAndWait(*input);  // the semaphore was given back
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(input->outputImageSize(), (Size{1, 1}));
}

TEST(GPUImageRawData, RgbAndRgbaInputsArePackedTightly) {
    // 3 pixels a row: RGB rows of 9 bytes would be misread with 4-byte row alignment.
    std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    auto input = std::make_shared<GPUImageRawDataInput>(rgb.data(), Size{3, 2}, GL_RGB);
    EXPECT_EQ(input->pixelFormat(), static_cast<GLenum>(GL_RGB));
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{3, 2}, false);
    input->addTarget(output);
    gpuimagetest::pushAndWait(*input);
    EXPECT_EQ(gpuimagetest::readPixels(*output), (Pixels{{255, 0, 0, 255},
                                                         {0, 255, 0, 255},
                                                         {0, 0, 255, 255},
                                                         {10, 20, 30, 255},
                                                         {40, 50, 60, 255},
                                                         {70, 80, 90, 255}}));
}

}  // namespace
