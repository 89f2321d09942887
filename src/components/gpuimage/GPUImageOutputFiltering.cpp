// Filtering a single picture through an output, by way of a picture source.

#include "components/gpuimage/GPUImageOutput.h"
#include "components/gpuimage/GPUImagePicture.h"

namespace gpuimage {

graphics::Image GPUImageOutput::newCGImageByFilteringCGImage(const graphics::Image& image,
                                                             graphics::ImageOrientation orientation) {
    auto self = std::dynamic_pointer_cast<GPUImageInput>(shared_from_this());
    if (!self) return {};
    auto picture = GPUImagePicture::create(image);
    if (!picture.ok()) return {};
    (*picture)->addTarget(self);
    (*picture)->processImage();
    // The read-back queues behind the push on the serial context queue.
    graphics::Image result = newCGImageFromCurrentlyProcessedOutputWithOrientation(orientation);
    (*picture)->removeTarget(self);
    return result;
}

graphics::Image GPUImageOutput::newCGImageByFilteringImage(const graphics::Image& image) {
    return newCGImageByFilteringCGImage(image, image.orientation());
}

graphics::Image GPUImageOutput::imageByFilteringImage(const graphics::Image& image) {
    graphics::Image filtered = newCGImageByFilteringImage(image);
    if (filtered.isNull()) return filtered;
    return filtered.withScale(image.scale()).withOrientation(image.orientation());
}

}  // namespace gpuimage
