#include "ChromaKeyReference.h"
#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageBrightnessFilter.h"
#include "components/gpuimage/GPUImageChromaKeyBlendFilter.h"
#include "components/gpuimage/GPUImagePicture.h"
#include "components/gpuimage/GPUImageThreeInputFilter.h"

#include <gtest/gtest.h>
#include <random>

using namespace gpuimage;
using graphics::Size;

namespace {

using Pixels = std::vector<std::array<uint8_t, 4>>;
using gpuimage::testing::blendPixel;

std::shared_ptr<GPUImageRawDataInput> rawInput(int width, int height, const Pixels& rgba) {
    auto bytes = gpuimagetest::bgraPicture(width, height, rgba);
    return std::make_shared<GPUImageRawDataInput>(bytes.data(), Size{double(width), double(height)});
}

Pixels uniform(int count, std::array<uint8_t, 4> colour) { return Pixels(size_t(count), colour); }

// Delivers a frame at a slot as a source would, with the time given.
void deliver(GPUImageInput& target, Size size, FrameTime time, int index) {
    runSynchronouslyOnContextQueue([&] {
        target.setInputSize(size, index);
        target.newFrameReadyAtTime(time, index);
    });
}

// Camera at input 0 and backdrop at input 1 of a blend into a raw output of the camera's size.
struct KeyingGraph {
    std::shared_ptr<GPUImageRawDataInput> camera, backdrop;
    std::shared_ptr<GPUImageChromaKeyBlendFilter> blend = std::make_shared<GPUImageChromaKeyBlendFilter>();
    std::shared_ptr<GPUImageRawDataOutput> output;
    int framesOut = 0;

    KeyingGraph(int width, int height, const Pixels& cameraPixels, int backdropWidth, int backdropHeight,
                const Pixels& backdropPixels)
        : camera(rawInput(width, height, cameraPixels)),
          backdrop(rawInput(backdropWidth, backdropHeight, backdropPixels)),
          output(std::make_shared<GPUImageRawDataOutput>(Size{double(width), double(height)}, false)) {
        camera->addTarget(blend);
        backdrop->addTarget(blend);
        blend->addTarget(output);
        output->setNewFrameAvailableBlock([this] { ++framesOut; });
    }
    Pixels key() {
        gpuimagetest::pushAndWait(*backdrop);
        gpuimagetest::pushAndWait(*camera);
        return gpuimagetest::readPixels(*output);
    }
};

TEST(GPUImageChromaKeyBlendFilter, RandomFullHDFrameMatchesTheFormulaWithinOneLevel) {
    constexpr int width = 1920, height = 1080;
    std::mt19937 random(5);
    Pixels camera(size_t(width) * height), backdrop(camera.size());
    for (size_t i = 0; i < camera.size(); ++i) {
        // Half anywhere, half near green so that the ramp is well covered.
        const bool nearGreen = i % 2 == 0;
        camera[i] = {uint8_t(random() % (nearGreen ? 140 : 256)),
                     uint8_t(nearGreen ? 120 + random() % 136 : random() % 256),
                     uint8_t(random() % (nearGreen ? 140 : 256)), uint8_t(random() % 256)};
        backdrop[i] = {uint8_t(random()), uint8_t(random()), uint8_t(random()), uint8_t(random())};
    }
    KeyingGraph graph(width, height, camera, width, height, backdrop);
    const Pixels keyed = graph.key();
    ASSERT_EQ(keyed.size(), camera.size());
    long worst = 0;
    double worstUnrounded = 0;
    size_t onRamp = 0;
    for (size_t i = 0; i < camera.size(); ++i) {
        const auto expected = blendPixel(camera[i].data(), backdrop[i].data(), {0, 1, 0}, 0.4, 0.1);
        const double share = gpuimage::testing::backdropShare(
            {camera[i][0] / 255.0, camera[i][1] / 255.0, camera[i][2] / 255.0}, {0, 1, 0}, 0.4, 0.1);
        if (share > 0 && share < 1) ++onRamp;
        for (size_t c = 0; c < 4; ++c) {
            worst = std::max(worst, std::labs(long(keyed[i][c]) - std::lround(expected[c])));
            worstUnrounded = std::max(worstUnrounded, std::abs(keyed[i][c] - expected[c]));
        }
    }
    EXPECT_LE(worst, 1) << "largest difference before rounding " << worstUnrounded;
    EXPECT_GT(onRamp, camera.size() / 50) << "the picture should test the ramp, not only its ends";
}

TEST(GPUImageChromaKeyBlendFilter, KeyColourThresholdAndRamp) {
    // A key whose chroma lies 0.45 from every grey's (0, 0): grey and white sit mid-ramp.
    const double t = 0.45 / gpuimage::testing::chromaDistance({0.5, 0.5, 0.5}, {0, 1, 0});
    const std::array<double, 3> halfKey{0.5 * (1 - t), 0.5 * (1 - t) + t, 0.5 * (1 - t)};
    struct Case {
        const char* name;
        std::array<uint8_t, 4> camera;
        std::array<double, 3> key;
        float threshold;
        double backdropShare;  // expected
    };
    const Case cases[] = {
        {"pure green", {0, 255, 0, 255}, {0, 1, 0}, 0.4f, 1},
        {"(0.2, 0.8, 0.2)", {51, 204, 51, 255}, {0, 1, 0}, 0.4f, 1},
        {"pure red", {255, 0, 0, 255}, {0, 1, 0}, 0.4f, 0},
        {"white", {255, 255, 255, 255}, {0, 1, 0}, 0.4f, 0},
        {"grey", {128, 128, 128, 255}, {0, 1, 0}, 0.4f, 0},
        {"white at d = 0.45", {255, 255, 255, 255}, halfKey, 0.4f, 0.5},
        {"black at d = 0.45", {0, 0, 0, 255}, halfKey, 0.4f, 0.5},
        {"white, threshold 0.5", {255, 255, 255, 255}, {0, 1, 0}, 0.5f, -1},  // mixed: see the formula
    };
    const std::array<uint8_t, 4> blue{0, 0, 255, 255};
    for (const Case& c : cases) {
        KeyingGraph graph(2, 2, uniform(4, c.camera), 1, 1, {blue});
        graph.blend->setColorToReplace(float(c.key[0]), float(c.key[1]), float(c.key[2]));
        graph.blend->setThresholdSensitivity(c.threshold);
        const Pixels keyed = graph.key();
        ASSERT_EQ(keyed.size(), 4u) << c.name;
        const auto expected = blendPixel(c.camera.data(), blue.data(), c.key, c.threshold, 0.1);
        const double share = gpuimage::testing::backdropShare(
            {c.camera[0] / 255.0, c.camera[1] / 255.0, c.camera[2] / 255.0}, c.key, c.threshold, 0.1);
        if (c.backdropShare >= 0)
            EXPECT_NEAR(share, c.backdropShare, 1e-6) << c.name;
        else
            EXPECT_TRUE(share > 0.1 && share < 0.9) << c.name << " " << share;
        for (const auto& pixel : keyed)
            for (size_t channel = 0; channel < 4; ++channel)
                EXPECT_NEAR(pixel[channel], expected[channel], 1.0) << c.name << " channel " << channel;
    }
    EXPECT_FLOAT_EQ(GPUImageChromaKeyBlendFilter().thresholdSensitivity(), 0.4f);
    EXPECT_FLOAT_EQ(GPUImageChromaKeyBlendFilter().smoothing(), 0.1f);
}

TEST(GPUImageChromaKeyBlendFilter, BackdropIsStretchedOverTheCameraFrame) {
    // A 2×1 backdrop, red then blue, under a 4×2 pure green camera frame:
    // its texels land on the outer columns, the inner ones interpolate.
    KeyingGraph graph(4, 2, uniform(8, {0, 255, 0, 255}), 2, 1, {{255, 0, 0, 255}, {0, 0, 255, 255}});
    const Pixels keyed = graph.key();
    const std::array<uint8_t, 4> row[4] = {{255, 0, 0, 255}, {191, 0, 64, 255}, {64, 0, 191, 255}, {0, 0, 255, 255}};
    ASSERT_EQ(keyed.size(), 8u);
    for (size_t i = 0; i < 8; ++i)
        for (size_t channel = 0; channel < 4; ++channel)
            EXPECT_NEAR(keyed[i][channel], row[i % 4][channel], 1) << "pixel " << i;
    EXPECT_EQ(graph.blend->sizeOfFBO(), (Size{4, 2}));
}

TEST(GPUImageTwoInputFilter, CameraFramesWaitForTheBackdropsFirstPushThenFlow) {
    KeyingGraph graph(2, 2, uniform(4, {0, 255, 0, 255}), 2, 2, uniform(4, {0, 0, 255, 255}));
    std::vector<FrameTime> times;
    graph.blend->setFrameProcessingCompletionBlock([&](GPUImageOutput&, FrameTime time) { times.push_back(time); });
    const Size size{2, 2};
    deliver(*graph.blend, size, media::MediaTime::make(1, 30), 0);
    deliver(*graph.blend, size, media::MediaTime::make(2, 30), 0);
    EXPECT_EQ(graph.framesOut, 0) << "nothing before the backdrop's push";
    deliver(*graph.blend, size, indefiniteFrameTime(), 1);  // the still backdrop
    EXPECT_EQ(graph.framesOut, 1);
    deliver(*graph.blend, size, media::MediaTime::make(3, 30), 0);
    deliver(*graph.blend, size, media::MediaTime::make(4, 30), 0);
    EXPECT_EQ(graph.framesOut, 3) << "after the still, every camera frame draws at once";
    EXPECT_EQ(times, (std::vector<FrameTime>{media::MediaTime::make(2, 30), media::MediaTime::make(3, 30),
                                             media::MediaTime::make(4, 30)}));
    EXPECT_EQ(gpuimagetest::readPixels(*graph.output), uniform(4, {0, 0, 255, 255}));

    // Without stills, each input must deliver before a draw; a disabled check stands in for its input.
    KeyingGraph pair(2, 2, uniform(4, {0, 255, 0, 255}), 2, 2, uniform(4, {0, 0, 255, 255}));
    deliver(*pair.blend, size, media::MediaTime::make(1, 30), 0);
    deliver(*pair.blend, size, media::MediaTime::make(2, 30), 0);
    EXPECT_EQ(pair.framesOut, 0);
    deliver(*pair.blend, size, media::MediaTime::make(2, 30), 1);
    EXPECT_EQ(pair.framesOut, 1);
    pair.blend->disableSecondFrameCheck();
    deliver(*pair.blend, size, media::MediaTime::make(3, 30), 0);
    EXPECT_EQ(pair.framesOut, 2);
}

TEST(GPUImageTwoInputFilter, APictureBackdropIsAStillThatCameraFramesDoNotWaitFor) {
    // As the green-screen camera wires it: camera first, then the processed picture.
    auto camera = rawInput(2, 2, uniform(4, {0, 255, 0, 255}));
    auto blend = std::make_shared<GPUImageChromaKeyBlendFilter>();
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{2, 2}, false);
    int frames = 0;
    camera->addTarget(blend);
    blend->addTarget(output);
    output->setNewFrameAvailableBlock([&] { ++frames; });
    auto picture = GPUImagePicture::create(graphics::Image::filled(4, 4, {200, 10, 30, 255}));
    ASSERT_TRUE(picture.ok());
    (*picture)->processImage();
    gpuimagetest::drainContextQueue();
    (*picture)->addTarget(blend);  // a late target gets the picture at once
    EXPECT_EQ(frames, 0) << "no camera frame yet";
    for (int i = 1; i <= 3; ++i) deliver(*blend, {2, 2}, media::MediaTime::make(i, 30), 0);
    EXPECT_EQ(frames, 3);
    EXPECT_EQ(gpuimagetest::readPixels(*output), uniform(4, {200, 10, 30, 255}));
}

TEST(GPUImageTwoInputFilter, InputsFollowTheOrderOfAddingAndAClearedFirstInputStaysTaken) {
    auto blend = std::make_shared<GPUImageChromaKeyBlendFilter>();
    auto camera = rawInput(1, 1, {{0, 255, 0, 255}});
    auto backdrop = rawInput(1, 1, {{0, 0, 255, 255}});
    auto otherBackdrop = rawInput(1, 1, {{255, 0, 0, 255}});
    camera->addTarget(blend);
    backdrop->addTarget(blend);
    EXPECT_EQ(camera->targetTextureIndices(), std::vector<int>{0});
    EXPECT_EQ(backdrop->targetTextureIndices(), std::vector<int>{1});
    // The camera leaves (as during key-colour detection) and a new backdrop
    // arrives: it must not take the camera's input.
    camera->removeTarget(blend);
    backdrop->removeTarget(blend);
    otherBackdrop->addTarget(blend);
    EXPECT_EQ(otherBackdrop->targetTextureIndices(), std::vector<int>{1});
    camera->addTarget(blend, 0);
    EXPECT_EQ(camera->targetTextureIndices(), std::vector<int>{0});
}

TEST(GPUImageBrightnessFilter, AddsTheConstantToRedGreenAndBlue) {
    struct Case {
        double brightness;
        std::array<uint8_t, 4> in, out;
    };
    const Case cases[] = {
        {0.0, {12, 128, 250, 77}, {12, 128, 250, 77}},
        {0.2, {12, 128, 250, 77}, {63, 179, 255, 77}},
        {-0.1, {12, 128, 250, 77}, {0, 102, 224, 77}},
    };
    for (const Case& c : cases) {
        auto input = rawInput(2, 1, uniform(2, c.in));
        auto filter = std::make_shared<GPUImageBrightnessFilter>();
        auto output = std::make_shared<GPUImageRawDataOutput>(Size{2, 1}, false);
        input->addTarget(filter);
        filter->addTarget(output);
        filter->setBrightness(c.brightness);
        EXPECT_EQ(filter->brightness(), c.brightness);
        gpuimagetest::pushAndWait(*input);
        for (const auto& pixel : gpuimagetest::readPixels(*output))
            for (size_t channel = 0; channel < 4; ++channel)
                EXPECT_NEAR(pixel[channel], c.out[channel], 1) << c.brightness << " channel " << channel;
    }
}

// Red of input 0, green of input 1, blue of input 2.
const char* const kChannelPickShader = R"(
precision highp float;
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;
varying highp vec2 textureCoordinate3;
uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;
uniform sampler2D inputImageTexture3;
void main() {
    gl_FragColor = vec4(texture2D(inputImageTexture, textureCoordinate).r,
                        texture2D(inputImageTexture2, textureCoordinate2).g,
                        texture2D(inputImageTexture3, textureCoordinate3).b, 1.0);
}
)";

TEST(GPUImageThreeInputFilter, DrawsOnceAllThreeInputsDeliveredFromTheirOwnTextures) {
    auto filter = std::make_shared<GPUImageThreeInputFilter>(kChannelPickShader);
    std::shared_ptr<GPUImageRawDataInput> inputs[3] = {
        rawInput(1, 1, {{200, 0, 0, 255}}), rawInput(1, 1, {{0, 100, 0, 255}}), rawInput(1, 1, {{0, 0, 50, 255}})};
    for (auto& input : inputs) input->addTarget(filter);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(inputs[i]->targetTextureIndices(), std::vector<int>{i});
    auto output = std::make_shared<GPUImageRawDataOutput>(Size{1, 1}, false);
    int frames = 0;
    filter->addTarget(output);
    output->setNewFrameAvailableBlock([&] { ++frames; });
    std::vector<FrameTime> times;
    filter->setFrameProcessingCompletionBlock([&](GPUImageOutput&, FrameTime time) { times.push_back(time); });
    deliver(*filter, {1, 1}, media::MediaTime::make(1, 30), 0);
    deliver(*filter, {1, 1}, media::MediaTime::make(2, 30), 1);
    EXPECT_EQ(frames, 0);
    deliver(*filter, {1, 1}, media::MediaTime::make(3, 30), 2);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(times, std::vector<FrameTime>{media::MediaTime::make(3, 30)}) << "the incoming time is passed on";
    EXPECT_EQ(gpuimagetest::readPixels(*output), (Pixels{{200, 100, 50, 255}}));
}

}  // namespace
