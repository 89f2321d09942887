#include "components/gpuimage/GPUImagePicture.h"

#include <QImage>
#include <cmath>

namespace gpuimage {

using graphics::Size;

namespace {

// Whether a bitmap's bytes can go to GL as they are, and in which order.
std::optional<GLenum> directUploadFormat(const QImage& bitmap) {
    if (bitmap.bytesPerLine() != qsizetype(bitmap.width()) * 4) return std::nullopt;
    switch (bitmap.format()) {
        // 0xAARRGGBB words: B, G, R, A in memory on this little-endian machine.
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
        case QImage::Format_RGB32:
            return GL_BGRA_EXT;
        case QImage::Format_RGBA8888:
        case QImage::Format_RGBA8888_Premultiplied:
        case QImage::Format_RGBX8888:
            return GL_RGBA;
        default:
            return std::nullopt;
    }
}

double nextPowerOfTwo(double side) { return std::pow(2.0, std::ceil(std::log2(side))); }

}  // namespace

GPUImagePicture::GPUImagePicture(bool smoothlyScaleOutput) { setShouldSmoothlyScaleOutput(smoothlyScaleOutput); }

foundation::Result<std::shared_ptr<GPUImagePicture>> GPUImagePicture::create(const graphics::Image& image,
                                                                             bool smoothlyScaleOutput) {
    if (image.isNull() || image.pixelWidth() <= 0 || image.pixelHeight() <= 0)
        return foundation::Error{kGPUImageErrorDomain, kGPUImageErrorEmptyPicture, kGPUImagePictureEmptyText};
    auto picture = std::make_shared<GPUImagePicture>(smoothlyScaleOutput);
    if (foundation::Status uploaded = picture->upload(image); !uploaded) return uploaded.error();
    return picture;
}

foundation::Result<std::shared_ptr<GPUImagePicture>> GPUImagePicture::createWithData(const foundation::Bytes& data) {
    auto image = graphics::Image::decode(data);
    if (!image) return image.error();
    return create(*image);
}

foundation::Result<std::shared_ptr<GPUImagePicture>> GPUImagePicture::createWithURL(const std::string& path) {
    auto image = graphics::Image::load(path);
    if (!image) return image.error();
    return create(*image);
}

foundation::Status GPUImagePicture::upload(const graphics::Image& image) {
    const QImage& bitmap = image.bitmap();
    pixelSizeOfImage_ = Size{double(bitmap.width()), double(bitmap.height())};
    const Size fitted = GPUImageContext::sizeThatFitsWithinATextureForSize(pixelSizeOfImage_);
    bool redraw = false;
    if (fitted != pixelSizeOfImage_) {
        pixelSizeOfImage_ = fitted;
        redraw = true;
    }
    textureSize_ = pixelSizeOfImage_;
    if (shouldSmoothlyScaleOutput()) {
        textureSize_ = Size{nextPowerOfTwo(pixelSizeOfImage_.width), nextPowerOfTwo(pixelSizeOfImage_.height)};
        redraw = true;
    }
    const int width = static_cast<int>(textureSize_.width);
    const int height = static_cast<int>(textureSize_.height);
    std::optional<GLenum> format = redraw ? std::nullopt : directUploadFormat(bitmap);
    QImage drawn;
    if (!format) {
        // Scaled to the whole texture in B, G, R, A premultiplied order.
        drawn = (bitmap.width() == width && bitmap.height() == height)
                    ? bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                    : bitmap.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        format = GL_BGRA_EXT;
    }
    const uchar* bytes = drawn.isNull() ? bitmap.constBits() : drawn.constBits();
    foundation::Status status;
    runSynchronouslyOnContextQueue([&] {
        if (!uploadToOutputTexture(width, height, GL_RGBA, *format, GL_UNSIGNED_BYTE, bytes)) {
            status = error().value_or(
                foundation::Error{kGPUImageErrorDomain, kGPUImageErrorNoContext, kGPUImageNoContextText});
            return;
        }
        if (!shouldSmoothlyScaleOutput()) return;
        glBindTexture(GL_TEXTURE_2D, outputTexture());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glGenerateMipmap(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
    return status;
}

bool GPUImagePicture::processImageWithCompletionHandler(std::function<void()> completion) {
    hasProcessedImage_ = true;
    if (!imageUpdateSemaphore_.wait(0)) return false;
    runAsynchronouslyOnContextQueue([self = shared_from_this(), this, completion = std::move(completion)] {
        if (std::max(pixelSizeOfImage_.width, pixelSizeOfImage_.height) > 1000.0) conserveMemoryForNextFrame();
        for (const TargetEntry& entry : targetEntries()) {
            entry.target->setCurrentlyReceivingMonochromeInput(false);
            entry.target->setInputSize(pixelSizeOfImage_, entry.textureIndex);
            entry.target->newFrameReadyAtTime(indefiniteFrameTime(), entry.textureIndex);
        }
        imageUpdateSemaphore_.signal();
        if (completion) completion();
    });
    return true;
}

void GPUImagePicture::addTarget(const std::shared_ptr<GPUImageInput>& target, int textureLocation) {
    if (!target) return;
    runSynchronouslyOnContextQueue([&] {
        GPUImageOutput::addTarget(target, textureLocation);
        if (!hasProcessedImage_) return;
        target->setInputSize(pixelSizeOfImage_, textureLocation);
        target->newFrameReadyAtTime(indefiniteFrameTime(), textureLocation);
    });
}

void GPUImagePicture::removeAllTargets() {
    GPUImageOutput::removeAllTargets();
    hasProcessedImage_ = false;
}

}  // namespace gpuimage
