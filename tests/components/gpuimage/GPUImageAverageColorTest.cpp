#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageAverageColor.h"

#include <gtest/gtest.h>

using namespace gpuimage;
using graphics::Size;

namespace {

using Pixels = std::vector<std::array<uint8_t, 4>>;

struct Measured {
    std::array<double, 4> rgba{-1, -1, -1, -1};
    int reports = 0;
    FrameTime time = FrameTime::invalid();
    bool onContextQueue = false;
    std::vector<StageSize> stages;
};

// Pushes a picture through a raw input into a new average-colour filter.
Measured measure(int width, int height, const Pixels& rgba,
                 GPUImageRotationMode rotation = GPUImageRotationMode::NoRotation) {
    auto bytes = gpuimagetest::bgraPicture(width, height, rgba);
    auto input = std::make_shared<GPUImageRawDataInput>(bytes.data(), Size{double(width), double(height)});
    auto average = std::make_shared<GPUImageAverageColor>();
    Measured result;
    average->setColorAverageProcessingFinishedBlock([&](double r, double g, double b, double a, FrameTime time) {
        result.rgba = {r, g, b, a};
        result.time = time;
        result.onContextQueue = GPUImageContext::sharedContextQueue().isCurrent();
        ++result.reports;
    });
    input->addTarget(average);
    average->setInputRotation(rotation, 0);
    gpuimagetest::pushAndWait(*input);
    runSynchronouslyOnContextQueue([&] { result.stages = average->stageSizes(); });
    return result;
}

Pixels stripes(int width, int height, std::initializer_list<int> whiteColumnsOfFour) {
    Pixels pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool white = false;
            for (int column : whiteColumnsOfFour) white = white || x % 4 == column;
            pixels.push_back(white ? std::array<uint8_t, 4>{255, 255, 255, 255} : std::array<uint8_t, 4>{0, 0, 0, 255});
        }
    return pixels;
}

void expectWithinOneLevel(const std::array<double, 4>& measured, const std::array<double, 4>& expected,
                          const std::string& what) {
    for (size_t channel = 0; channel < 4; ++channel)
        EXPECT_NEAR(measured[channel], expected[channel], 1.0 / 255 + 1e-9) << what << " channel " << channel;
}

TEST(GPUImageAverageColor, FullHDFrameReducesInFourStagesToSevenByFour) {
    const std::array<uint8_t, 4> colour{30, 144, 255, 200};
    const Measured m = measure(1920, 1080, Pixels(1920 * 1080, colour));
    EXPECT_EQ(m.stages, (std::vector<StageSize>{{480, 270}, {120, 67}, {30, 16}, {7, 4}}));
    expectWithinOneLevel(m.rgba, {30 / 255.0, 144 / 255.0, 1.0, 200 / 255.0}, "1080p");
    EXPECT_EQ(m.reports, 1);
    EXPECT_TRUE(m.onContextQueue);
}

TEST(GPUImageAverageColor, UniformColoursAndStripesReportTheirMean) {
    struct Case {
        const char* name;
        int width, height;
        Pixels pixels;
        std::array<double, 4> mean;
        GPUImageRotationMode rotation = GPUImageRotationMode::NoRotation;
    };
    const std::array<uint8_t, 4> green{0, 255, 0, 255}, odd{17, 99, 201, 3};
    const Case cases[] = {
        {"green 64×64", 64, 64, Pixels(64 * 64, green), {0, 1, 0, 1}},
        {"odd colour 100×37", 100, 37, Pixels(100 * 37, odd), {17 / 255.0, 99 / 255.0, 201 / 255.0, 3 / 255.0}},
        {"odd colour rotated",
         100,
         37,
         Pixels(100 * 37, odd),
         {17 / 255.0, 99 / 255.0, 201 / 255.0, 3 / 255.0},
         GPUImageRotationMode::RotateRight},
        // Each tap must weigh all four columns of a block: columns 1 and 2
        // white is half white, and so is 0 and 3.
        {"stripes 1 and 2", 64, 64, stripes(64, 64, {1, 2}), {0.5, 0.5, 0.5, 1}},
        {"stripes 0 and 3", 64, 64, stripes(64, 64, {0, 3}), {0.5, 0.5, 0.5, 1}},
        {"stripes 1 and 2, 1080p", 1920, 1080, stripes(1920, 1080, {1, 2}), {0.5, 0.5, 0.5, 1}},
        {"one white column of four", 256, 16, stripes(256, 16, {2}), {0.25, 0.25, 0.25, 1}},
    };
    for (const Case& c : cases) {
        const Measured m = measure(c.width, c.height, c.pixels, c.rotation);
        expectWithinOneLevel(m.rgba, c.mean, c.name);
    }
    // Rotation is ignored: the stages follow the input as it is.
    EXPECT_EQ(measure(64, 16, Pixels(64 * 16, green), GPUImageRotationMode::RotateLeft).stages,
              (std::vector<StageSize>{{16, 4}}));
}

TEST(GPUImageAverageColor, InputsUnderEightPixelsAreAveragedDirectly) {
    Pixels pixels;
    std::array<double, 4> sums{};
    for (int i = 0; i < 15; ++i) {
        const std::array<uint8_t, 4> p{uint8_t(17 * i), uint8_t(255 - 9 * i), uint8_t(i % 2 * 255), 255};
        pixels.push_back(p);
        for (size_t c = 0; c < 4; ++c) sums[c] += p[c] / 255.0 / 15.0;
    }
    const Measured m = measure(5, 3, pixels);
    EXPECT_EQ(m.stages, (std::vector<StageSize>{{5, 3}}));
    for (size_t c = 0; c < 4; ++c) EXPECT_NEAR(m.rgba[c], sums[c], 1e-9) << "channel " << c;
}

TEST(GPUImageAverageColor, EachFrameIsReportedWithItsTimeAndSizeChangesRebuildTheStages) {
    auto average = std::make_shared<GPUImageAverageColor>();
    std::vector<FrameTime> times;
    std::vector<double> reds;
    average->setColorAverageProcessingFinishedBlock([&](double r, double, double, double, FrameTime time) {
        reds.push_back(r);
        times.push_back(time);
    });
    struct Frame {
        int width, height;
        uint8_t red;
    };
    std::vector<std::shared_ptr<GPUImageRawDataInput>> inputs;
    std::vector<std::vector<StageSize>> stages;
    const Frame frames[] = {{32, 32, 40}, {256, 128, 80}, {6, 6, 120}};
    int index = 0;
    for (const Frame& f : frames) {
        auto bytes =
            gpuimagetest::bgraPicture(f.width, f.height, Pixels(size_t(f.width * f.height), {f.red, 0, 0, 255}));
        auto input = std::make_shared<GPUImageRawDataInput>(bytes.data(), Size{double(f.width), double(f.height)});
        input->addTarget(average);
        runSynchronouslyOnContextQueue([&] {
            average->setInputSize({double(f.width), double(f.height)}, 0);
            average->newFrameReadyAtTime(media::MediaTime::make(++index, 30), 0);
            stages.push_back(average->stageSizes());
        });
        input->removeTarget(average);
        inputs.push_back(input);
    }
    EXPECT_EQ(times, (std::vector<FrameTime>{media::MediaTime::make(1, 30), media::MediaTime::make(2, 30),
                                             media::MediaTime::make(3, 30)}));
    ASSERT_EQ(reds.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_NEAR(reds[i], frames[i].red / 255.0, 1.0 / 255) << i;
    EXPECT_EQ(stages, (std::vector<std::vector<StageSize>>{{{8, 8}, {2, 2}}, {{64, 32}, {16, 8}, {4, 2}}, {{6, 6}}}));
}

}  // namespace
