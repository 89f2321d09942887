#pragma once

// The still-picture source: one picture uploaded once into the output
// texture, pushed to the targets as a frame each time it is asked. At most
// one push is pending; a push asked for meanwhile is dropped (false).
//
// A picture larger than a texture may be is scaled down to fit; with smooth
// scaling the texture is a power of two on each side, with mipmaps, while
// the targets still see the picture's own size.

#include "components/gpuimage/GPUImageOutput.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/foundation/Value.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace gpuimage {

inline constexpr const char* kGPUImagePictureEmptyText =
    "Passed image must not be empty - it should be at least 1px tall and wide";
inline constexpr int64_t kGPUImageErrorEmptyPicture = 20;

class GPUImagePicture : public GPUImageOutput {
public:
    // The picture's stored bitmap (its orientation is not applied). An empty
    // picture is refused with kGPUImagePictureEmptyText.
    static foundation::Result<std::shared_ptr<GPUImagePicture>> create(const graphics::Image& image,
                                                                       bool smoothlyScaleOutput = false);
    // Decoded JPEG or PNG data; the decoder's error when it does not decode.
    static foundation::Result<std::shared_ptr<GPUImagePicture>> createWithData(const foundation::Bytes& data);
    static foundation::Result<std::shared_ptr<GPUImagePicture>> createWithURL(const std::string& path);

    bool processImage() { return processImageWithCompletionHandler(nullptr); }
    // False when a push is still pending; `completion` runs on the context
    // queue after the targets had the frame.
    bool processImageWithCompletionHandler(std::function<void()> completion);

    // The size the targets see.
    graphics::Size outputImageSize() const { return pixelSizeOfImage_; }
    // The uploaded texture's size in pixels.
    graphics::Size textureSize() const { return textureSize_; }
    bool hasProcessedImage() const { return hasProcessedImage_.load(); }

    using GPUImageOutput::addTarget;
    // A target added after a push gets the frame at once.
    void addTarget(const std::shared_ptr<GPUImageInput>& target, int textureLocation) override;
    void removeAllTargets() override;

    // Made through create(); public for std::make_shared.
    explicit GPUImagePicture(bool smoothlyScaleOutput);

private:
    foundation::Status upload(const graphics::Image& image);

    graphics::Size pixelSizeOfImage_;
    graphics::Size textureSize_;
    std::atomic<bool> hasProcessedImage_{false};
    foundation::DispatchSemaphore imageUpdateSemaphore_{1};
};

}  // namespace gpuimage
