// The average colour of a 1920×1080 frame on the GPU pipeline (raw data in →
// average colour: four reduction stages and a 7×4 read-back) against
// ImageMagick's `-resize 1x1!` of the same frame, run by run in turn. The two means must agree
// within 1/255 per channel; ours must take at most a quarter of the time.

#include "BenchSupport.h"
#include "GpuBenchFrames.h"
#include "components/gpuimage/GPUImageAverageColor.h"
#include "components/gpuimage/GPUImageRawDataInput.h"
#include "support/RunFolder.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRuns = 15;

// ImageMagick's one-pixel resize, read from its text output
// "0,0: (r,g,b,a)  #... srgba(...)" with channels 0..255.
std::array<double, 4> magickMean(const fs::path& raw) {
    const std::string output =
        bench::captureOutput({"convert", "-size", std::to_string(kWidth) + "x" + std::to_string(kHeight), "-depth", "8",
                              "bgra:" + raw.string(), "-resize", "1x1!", "txt:-"})
            .value_or("");
    std::array<double, 4> mean{-1, -1, -1, -1};
    const size_t open = output.find("0,0: (");
    if (open == std::string::npos ||
        std::sscanf(output.c_str() + open, "0,0: (%lf,%lf,%lf,%lf", &mean[0], &mean[1], &mean[2], &mean[3]) != 4) {
        std::fprintf(stderr, "unexpected ImageMagick output: %s\n", output.c_str());
        std::exit(1);
    }
    for (double& channel : mean) channel /= 255.0;
    return mean;
}

// Uploading the frame and measuring its mean, until the completion closure
// has the answer; against ImageMagick's mean of the same frame.
bench::Comparison compareMeans(const std::vector<uint8_t>& frame, std::array<double, 4>& mean, const fs::path& raw,
                               std::array<double, 4>& reference) {
    using namespace gpuimage;
    const graphics::Size size{kWidth, kHeight};
    auto input = std::make_shared<GPUImageRawDataInput>(frame.data(), size);
    auto average = std::make_shared<GPUImageAverageColor>();
    int reports = 0;
    average->setColorAverageProcessingFinishedBlock([&](double r, double g, double b, double a, FrameTime) {
        mean = {r, g, b, a};
        ++reports;
    });
    input->addTarget(average);
    if (auto error = average->error()) {
        std::fprintf(stderr, "no pipeline: %s\n", error->description.c_str());
        std::exit(1);
    }
    auto measureOnce = [&] {
        const int before = reports;
        input->updateDataFromBytes(frame.data(), size);
        input->processData();
        GPUImageContext::sharedContextQueue().sync([] {});
        return reports == before + 1;
    };
    measureOnce();  // untimed: program and stages made
    return bench::compare(kRuns, bench::timed(measureOnce), bench::timed([&] {
                              reference = magickMean(raw);
                              return true;
                          }));
}

}  // namespace

int main() {
    static const testsupport::RunFolder scratch("tollivar-gpu-average");
    const fs::path root = scratch.path();
    const std::vector<uint8_t> frame = bench::noiseFrame(kWidth, kHeight);
    const fs::path raw = root / "frame.bgra";
    std::ofstream(raw, std::ios::binary)
        .write(reinterpret_cast<const char*>(frame.data()), std::streamsize(frame.size()));

    std::array<double, 4> ours{}, reference{};
    const bench::Comparison times = compareMeans(frame, ours, raw, reference);

    double worst = 0;
    for (int channel = 0; channel < 4; ++channel) worst = std::max(worst, std::abs(ours[channel] - reference[channel]));
    std::printf(
        "gpu average colour: ours (%.4f, %.4f, %.4f, %.4f), ImageMagick (%.4f, %.4f, %.4f, %.4f), "
        "largest difference %.2f/255\n",
        ours[0], ours[1], ours[2], ours[3], reference[0], reference[1], reference[2], reference[3], worst * 255);
    const bool agrees = worst <= 1.0 / 255.0 + 1e-9;
    if (!agrees) std::fprintf(stderr, "the means differ by more than 1/255\n");
    const bool fast = bench::report("gpu average colour", times, bench::Target::atMost(0.25));
    return agrees && fast ? 0 : 1;
}
