#include "components/gpuimage/GPUImageStillCamera.h"

#include "components/gpuimage/GPUImageLog.h"
#include "platform/media/MediaError.h"

#include <cstring>

namespace gpuimage {

std::shared_ptr<GPUImageStillCamera> GPUImageStillCamera::create() {
    return create(capture::kSessionPresetPhoto, capture::DevicePosition::Back);
}

std::shared_ptr<GPUImageStillCamera> GPUImageStillCamera::create(const std::string& sessionPreset,
                                                                 capture::DevicePosition cameraPosition) {
    auto camera = std::shared_ptr<GPUImageStillCamera>(new GPUImageStillCamera());
    if (!camera->setUp(sessionPreset, cameraPosition) || !camera->setUpStill()) return nullptr;
    return camera;
}

bool GPUImageStillCamera::setUpStill() {
    captureSession_->beginConfiguration();
    photoOutput_ = std::make_shared<capture::StillImageOutput>();
    // Photos come as BGRA, the one format the plain upload takes: planar
    // photos could not be scaled to fit a texture, and with no texture
    // cache the conversion pass would only add work.
    captureAsYUV_ = false;
    photoOutput_->setOutputPixelFormat(capture::kPixelFormatBGRA);
    videoOutput()->setPixelFormat(capture::kPixelFormatBGRA);
    const bool added = captureSession_->addOutput(photoOutput_);
    captureSession_->commitConfiguration();
    return added;
}

GPUImageStillCamera::~GPUImageStillCamera() {
    if (captureSession_ && photoOutput_) captureSession_->removeOutput(photoOutput_);
}

void GPUImageStillCamera::removeInputsAndOutputs() {
    if (captureSession_ && photoOutput_) captureSession_->removeOutput(photoOutput_);
    GPUImageVideoCamera::removeInputsAndOutputs();
}

foundation::Value GPUImageStillCamera::currentCaptureMetadata() const {
    std::lock_guard lock(metadataMutex_);
    return currentCaptureMetadata_;
}

capture::SampleBufferPtr GPUImageStillCamera::makeDownscaledSampleBuffer(const capture::SampleBuffer& source,
                                                                         graphics::Size finalSize) {
    if (source.isPlanar()) return nullptr;
    const int width = std::max(1, int(finalSize.width)), height = std::max(1, int(finalSize.height));
    const QImage scaled = source.pixelBuffer()
                              .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    capture::PixelPlane plane{width, height, int64_t(width) * 4, {}};
    plane.bytes.resize(size_t(plane.bytesPerRow) * size_t(height));
    for (int row = 0; row < height; ++row) {
        std::memcpy(plane.bytes.data() + plane.bytesPerRow * row, scaled.constScanLine(row), size_t(plane.bytesPerRow));
    }
    return capture::SampleBuffer::withPlanes(capture::kPixelFormatBGRA, {std::move(plane)},
                                             media::MediaTime::make(1, 30));
}

void GPUImageStillCamera::capturePhotoProcessedUpToFilter(const std::shared_ptr<GPUImageOutput>&,
                                                          ImageOnGPUHandler handler) {
    if (!photoOutput_) return;
    if (photoOutput_->isCapturingStillImage()) {
        // Taken so that the handler's signal leaves the count as it was; a
        // video frame in work finishes on the context queue by itself.
        frameRenderingSemaphore_.wait();
        handler(foundation::Error(media::kMediaErrorDomain, kMediaErrorMaximumStillImageCaptureRequestsExceeded,
                                  "Cannot Record"));
        return;
    }
    std::weak_ptr<GPUImageOutput> weak = weak_from_this();
    photoOutput_->captureStillSampleBufferAsynchronously(
        [weak, handler = std::move(handler)](foundation::Result<capture::SampleBufferPtr> photo) {
            if (auto self = std::static_pointer_cast<GPUImageStillCamera>(weak.lock())) {
                self->deliverPhoto(std::move(photo), handler);
            }
        });
}

void GPUImageStillCamera::deliverPhoto(foundation::Result<capture::SampleBufferPtr> photo,
                                       const ImageOnGPUHandler& handler) {
    // No video frame in work from here on, and new ones are dropped, until
    // the handler signals.
    frameRenderingSemaphore_.wait();
    if (!photo.ok()) return handler(photo.error());
    capture::SampleBufferPtr buffer = photo.value();
    conserveMemoryForNextFrame();
    const graphics::Size size{double(buffer->width()), double(buffer->height())};
    const graphics::Size fitted = GPUImageContext::sizeThatFitsWithinATextureForSize(size);
    if (int(fitted.width) != int(size.width) || int(fitted.height) != int(size.height)) {
        // A photo must never enter the pipeline larger than a texture.
        buffer = makeDownscaledSampleBuffer(*buffer, fitted);
        if (!buffer) {
            return handler(foundation::Error(media::kMediaErrorDomain, media::kMediaErrorUnknown,
                                             "The photo is too large to process."));
        }
    }
    // The semaphore stays with this photo: it is pushed straight to the
    // context queue, where no video frame can slip in before it.
    processFrameOnContextQueue(*buffer);
    {
        std::lock_guard lock(metadataMutex_);
        currentCaptureMetadata_ = photo.value()->attachments();
    }
    handler(std::nullopt);
    std::lock_guard lock(metadataMutex_);
    currentCaptureMetadata_ = foundation::Value();
}

void GPUImageStillCamera::capturePhotoAsImageProcessedUpToFilter(const std::shared_ptr<GPUImageOutput>& filter,
                                                                 ImageHandler handler) {
    std::weak_ptr<GPUImageOutput> weak = weak_from_this();
    capturePhotoProcessedUpToFilter(
        filter, [weak, filter, handler = std::move(handler)](std::optional<foundation::Error> error) {
            auto self = std::static_pointer_cast<GPUImageStillCamera>(weak.lock());
            graphics::Image image;
            if (!error && filter) image = filter->imageFromCurrentlyProcessedOutput();
            if (self) self->signalFrameRenderingSemaphore();
            handler(std::move(image), std::move(error));
        });
}

void GPUImageStillCamera::capturePhotoAsJPEGProcessedUpToFilter(const std::shared_ptr<GPUImageOutput>& filter,
                                                                DataHandler handler) {
    const double quality = jpegCompressionQuality_;
    capturePhotoAsImageProcessedUpToFilter(
        filter, [quality, handler = std::move(handler)](graphics::Image image, std::optional<foundation::Error> error) {
            if (error) return handler({}, std::move(error));
            auto jpeg =
                image.isNull() ? foundation::Result<foundation::Bytes>(foundation::Bytes()) : image.jpegData(quality);
            if (!jpeg.ok()) return handler({}, jpeg.error());
            handler(std::move(jpeg.value()), std::nullopt);
        });
}

void GPUImageStillCamera::capturePhotoAsPNGProcessedUpToFilter(const std::shared_ptr<GPUImageOutput>& filter,
                                                               DataHandler handler) {
    capturePhotoAsImageProcessedUpToFilter(
        filter, [handler = std::move(handler)](graphics::Image image, std::optional<foundation::Error> error) {
            if (error) return handler({}, std::move(error));
            auto png = image.isNull() ? foundation::Result<foundation::Bytes>(foundation::Bytes()) : image.pngData();
            if (!png.ok()) return handler({}, png.error());
            handler(std::move(png.value()), std::nullopt);
        });
}

void GPUImageStillCamera::capturePhotoAsSampleBufferWithCompletionHandler(
    const std::function<void(capture::SampleBufferPtr, std::optional<foundation::Error>)>&) {
    gpuLog(
        "capturePhotoAsSampleBufferWithCompletionHandler: the photo output delivers BGRA for the filters; a photo "
        "in the camera's own format cannot be combined with filtered captures, so no photo is taken.");
}

}  // namespace gpuimage
