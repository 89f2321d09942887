#include "GPUImageTestSupport.h"

#include "components/gpuimage/GPUImageContext.h"
#include "components/gpuimage/GPUImageLog.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace gpuimagetest {

std::vector<uint8_t> bgraPicture(int width, int height, const std::vector<std::array<uint8_t, 4>>& rgbaPixels) {
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(width) * height * 4);
    for (int i = 0; i < width * height; ++i) {
        const auto& pixel = rgbaPixels[static_cast<size_t>(i)];
        bytes.insert(bytes.end(), {pixel[2], pixel[1], pixel[0], pixel[3]});
    }
    return bytes;
}

std::array<uint8_t, 4> labelColor(int index) {
    return {static_cast<uint8_t>(40 * index + 20), static_cast<uint8_t>(200 - 30 * index),
            static_cast<uint8_t>(7 * index), 255};
}

testsupport::ProcessResult runWithoutDrivers(const std::string& childTest) {
    const std::filesystem::path empty =
        std::filesystem::temp_directory_path() / ("no-gpu-drivers-" + std::to_string(getpid()));
    std::filesystem::create_directories(empty);
    testsupport::ProcessResult result;
    {
        testsupport::ScopedEnvironment environment{{"LIBGL_DRIVERS_PATH", empty.string()},
                                                   {"TOLLIVAR_GPU_CHILD", std::string("1")}};
        result = testsupport::runProcess(
            {std::filesystem::read_symlink("/proc/self/exe").string(), "--gtest_filter=" + childTest});
    }
    std::filesystem::remove_all(empty);
    return result;
}

bool isChildWithoutDrivers() { return std::getenv("TOLLIVAR_GPU_CHILD") != nullptr; }

const char* const kTintFragmentShader = R"(
precision mediump float;
varying highp vec2 textureCoordinate;
uniform sampler2D inputImageTexture;
uniform vec4 tint;
void main() { gl_FragColor = tint + 0.0 * texture2D(inputImageTexture, textureCoordinate); }
)";

void drainContextQueue() {
    gpuimage::GPUImageContext::sharedContextQueue().sync([] {});
}

void pushAndWait(gpuimage::GPUImageRawDataInput& input) {
    input.processData();
    drainContextQueue();
}

std::vector<std::array<uint8_t, 4>> readPixels(gpuimage::GPUImageRawDataOutput& output) {
    const uint8_t* bytes = output.rawBytesForImage();
    std::vector<std::array<uint8_t, 4>> pixels;
    if (!bytes) return pixels;
    size_t count = static_cast<size_t>(output.imageSize().width * output.imageSize().height);
    for (size_t i = 0; i < count; ++i)
        pixels.push_back({bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2], bytes[4 * i + 3]});
    return pixels;
}

LogCapture::LogCapture() {
    gpuimage::setGPULogObserver([this](const std::string& line) {
        {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
        }
        logged_.notify_all();
    });
}

LogCapture::~LogCapture() { gpuimage::setGPULogObserver(nullptr); }

bool LogCapture::contains(const std::string& text) { return count(text) > 0; }

size_t LogCapture::count(const std::string& text) {
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(std::count_if(
        lines_.begin(), lines_.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; }));
}

bool LogCapture::waitFor(const std::string& text, double timeoutSeconds) {
    std::unique_lock lock(mutex_);
    return logged_.wait_for(lock, std::chrono::duration<double>(timeoutSeconds), [&] {
        return std::any_of(lines_.begin(), lines_.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    });
}

}  // namespace gpuimagetest
