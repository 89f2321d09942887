#pragma once

// Helpers for pipeline tests: small BGRA pictures, a pass through
// raw input → ... → raw output, and a target that records what it is told.

#include "components/gpuimage/GPUImageOutput.h"
#include "components/gpuimage/GPUImageRawDataInput.h"
#include "components/gpuimage/GPUImageRawDataOutput.h"
#include "support/Process.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace gpuimagetest {

// Tightly packed BGRA bytes, top row first, from RGBA colours.
std::vector<uint8_t> bgraPicture(int width, int height, const std::vector<std::array<uint8_t, 4>>& rgbaPixels);
// One colour per pixel, distinct enough to tell pixels apart: pixel i is
// (40·i + 20, 200 − 30·i, 7·i, 255).
std::array<uint8_t, 4> labelColor(int index);

// A fragment shader that paints the uniform vec4 "tint" (and reads its input,
// so that the input stays an active uniform).
extern const char* const kTintFragmentShader;

// Waits until every task queued on the context queue so far has run.
void drainContextQueue();

// Pushes the input's picture and waits for it to reach every target.
void pushAndWait(gpuimage::GPUImageRawDataInput& input);

// The output's pixels as RGBA colours, top row first.
std::vector<std::array<uint8_t, 4>> readPixels(gpuimage::GPUImageRawDataOutput& output);

// Runs this test binary again for `childTest` alone, in a child whose Mesa
// finds no drivers (the context is made once per process, so a test cannot
// lose its drivers itself); the child's exit code and output.
testsupport::ProcessResult runWithoutDrivers(const std::string& childTest);
// True in such a child.
bool isChildWithoutDrivers();

// Collects the pipeline's log lines for one test.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    bool contains(const std::string& text);
    // Lines that contain `text`.
    size_t count(const std::string& text);
    // Waits until a line that contains `text` was logged (true) or
    // `timeoutSeconds` of real time passed (false): for lines logged on
    // queues the test cannot wait for otherwise.
    bool waitFor(const std::string& text, double timeoutSeconds);

private:
    std::mutex mutex_;
    std::condition_variable logged_;
    std::vector<std::string> lines_;
};

// Records every call a source makes on it.
class RecordingTarget : public gpuimage::GPUImageInput {
public:
    void newFrameReadyAtTime(gpuimage::FrameTime, int) override { ++frames; }
    void setInputTexture(GLuint texture, int index) override {
        this->texture = texture;
        textureIndex = index;
        ++textureCalls;
    }
    void setTextureDelegate(std::weak_ptr<gpuimage::GPUImageTextureDelegate> delegate, int) override {
        this->delegate = delegate;
    }
    int nextAvailableTextureIndex() override { return slot; }
    void setInputSize(graphics::Size size, int) override { this->size = size; }
    void setInputRotation(gpuimage::GPUImageRotationMode mode, int) override { rotation = mode; }
    graphics::Size maximumOutputSize() override { return {}; }
    void endProcessing() override { ++ends; }
    bool shouldIgnoreUpdatesToThisTarget() override { return ignoresUpdates; }
    bool enabled() override { return true; }
    void conserveMemoryForNextFrame() override { ++conserveRequests; }
    bool wantsMonochromeInput() override { return wantsMonochrome; }
    void setCurrentlyReceivingMonochromeInput(bool) override {}

    int slot = 0;
    bool ignoresUpdates = false;
    bool wantsMonochrome = false;
    int frames = 0, ends = 0, textureCalls = 0, conserveRequests = 0, textureIndex = -1;
    GLuint texture = 0;
    graphics::Size size{-1, -1};
    gpuimage::GPUImageRotationMode rotation = gpuimage::GPUImageRotationMode::Rotate180;
    std::weak_ptr<gpuimage::GPUImageTextureDelegate> delegate;
};

}  // namespace gpuimagetest
