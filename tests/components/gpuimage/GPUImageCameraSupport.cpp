#include "GPUImageCameraSupport.h"

#include "GPUImageTestSupport.h"
#include "components/gpuimage/GPUImageContext.h"
#include "platform/foundation/RunLoop.h"

namespace gpuimagetest {

SyntheticCameras::SyntheticCameras(std::vector<capture::SyntheticCameraConfig> cameras)
    : backend(std::make_shared<capture::SyntheticCaptureBackend>(std::move(cameras))) {
    capture::setCaptureBackend(backend);
}

SyntheticCameras::~SyntheticCameras() {
    drainContextQueue();
    capture::setCaptureBackend(nullptr);
    gpuimage::GPUImageContext::overrideMaximumTextureSizeForTesting(std::nullopt);
}

void SyntheticCameras::runFor(double seconds) {
    foundation::RunLoop::main().advance(seconds);
    foundation::RunLoop::main().runUntilIdle();
    drainContextQueue();
}

capture::SampleBufferPtr bgraBuffer(int width, int height, const std::vector<std::array<uint8_t, 4>>& rgba,
                                    int64_t bytesPerRow, uint8_t padding) {
    capture::PixelPlane plane{width, height, bytesPerRow, std::vector<uint8_t>(size_t(bytesPerRow * height), padding)};
    const auto tight = bgraPicture(width, height, rgba);
    for (int row = 0; row < height; ++row) {
        std::copy_n(tight.begin() + row * width * 4, width * 4, plane.bytes.begin() + row * bytesPerRow);
    }
    return capture::SampleBuffer::withPlanes(capture::kPixelFormatBGRA, {std::move(plane)},
                                             media::MediaTime::make(1, 30));
}

capture::SampleBufferPtr yuvBuffer(const std::string& format, int width, int height, uint8_t y, uint8_t cb, uint8_t cr,
                                   std::optional<std::string> matrix) {
    // Rows padded by three samples' worth, as cameras align them.
    capture::PixelPlane luma{width, height, width + 3, std::vector<uint8_t>(size_t((width + 3) * height), 0)};
    for (int row = 0; row < height; ++row) std::fill_n(luma.bytes.begin() + row * (width + 3), width, y);
    const int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
    const int chromaRow = chromaWidth * 2 + 6;
    capture::PixelPlane chroma{chromaWidth, chromaHeight, chromaRow,
                               std::vector<uint8_t>(size_t(chromaRow * chromaHeight), 0)};
    for (int row = 0; row < chromaHeight; ++row) {
        for (int x = 0; x < chromaWidth; ++x) {
            chroma.bytes[size_t(row * chromaRow + 2 * x)] = cb;
            chroma.bytes[size_t(row * chromaRow + 2 * x + 1)] = cr;
        }
    }
    return capture::SampleBuffer::withPlanes(format, {std::move(luma), std::move(chroma)},
                                             media::MediaTime::make(1, 30), std::move(matrix));
}

void SoundCounter::processAudioBuffer(const media::AudioSampleBuffer& buffer) {
    std::lock_guard lock(mutex_);
    const media::MediaTime length = media::MediaTime::make(int64_t(buffer.frameCount()), sampleRate_);
    if (buffer.sampleRate != sampleRate_ || (next_.isValid() && buffer.presentationTime != next_)) ++misfits_;
    if (!first_.isValid()) first_ = buffer.presentationTime;
    next_ = buffer.presentationTime + length;
    frames_ += int64_t(buffer.frameCount());
}

int64_t SoundCounter::frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

int SoundCounter::misfits() const {
    std::lock_guard lock(mutex_);
    return misfits_;
}

media::MediaTime SoundCounter::firstTime() const {
    std::lock_guard lock(mutex_);
    return first_;
}

}  // namespace gpuimagetest
