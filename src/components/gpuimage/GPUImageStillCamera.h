#pragma once

// The video camera with a still-image output on the same session. A photo
// travels the video frame path, so it passes the filters attached to the
// camera, and the result is taken from a chosen filter as an image, JPEG or
// PNG. Photos larger than the largest texture are scaled down first.
//
// While a photo is processed no video frame is in work and new ones are
// dropped. The capture call itself returns at once (the camera answers
// later, on a global queue), so a caller on the main thread never waits for
// a camera that may itself need the main thread.

#include "components/gpuimage/GPUImageVideoCamera.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <mutex>
#include <optional>

namespace gpuimage {

// The platform's code for a still requested while another is being taken.
inline constexpr int64_t kMediaErrorMaximumStillImageCaptureRequestsExceeded = -11830;

class GPUImageStillCamera : public GPUImageVideoCamera {
public:
    using ImageOnGPUHandler = std::function<void(std::optional<foundation::Error> error)>;
    using ImageHandler = std::function<void(graphics::Image image, std::optional<foundation::Error> error)>;
    using DataHandler = std::function<void(foundation::Bytes data, std::optional<foundation::Error> error)>;

    // The photo preset on the back camera.
    static std::shared_ptr<GPUImageStillCamera> create();
    static std::shared_ptr<GPUImageStillCamera> create(const std::string& sessionPreset,
                                                       capture::DevicePosition cameraPosition);
    ~GPUImageStillCamera() override;

    void removeInputsAndOutputs() override;

    // Takes a photo and pushes it through the graph. The handler runs once,
    // on a global queue, with the semaphore taken: when it reports no error
    // `filter` holds the processed photo, and either way the handler must
    // call signalFrameRenderingSemaphore (the three forms below do). A
    // request while a photo is being taken fails at once with
    // kMediaErrorMaximumStillImageCaptureRequestsExceeded.
    void capturePhotoProcessedUpToFilter(const std::shared_ptr<GPUImageOutput>& filter, ImageOnGPUHandler handler);
    void capturePhotoAsImageProcessedUpToFilter(const std::shared_ptr<GPUImageOutput>& filter, ImageHandler handler);
    void capturePhotoAsJPEGProcessedUpToFilter(const std::shared_ptr<GPUImageOutput>& filter, DataHandler handler);
    void capturePhotoAsPNGProcessedUpToFilter(const std::shared_ptr<GPUImageOutput>& filter, DataHandler handler);
    // A photo in the camera's own format cannot pass the filters: this only
    // logs why, and never calls the handler.
    void capturePhotoAsSampleBufferWithCompletionHandler(
        const std::function<void(capture::SampleBufferPtr, std::optional<foundation::Error>)>& handler);

    void signalFrameRenderingSemaphore() { frameRenderingSemaphore_.signal(); }

    // The attachments of the photo being delivered; null outside its handler.
    foundation::Value currentCaptureMetadata() const;
    double jpegCompressionQuality() const { return jpegCompressionQuality_; }
    void setJpegCompressionQuality(double quality) { jpegCompressionQuality_ = quality; }
    const std::shared_ptr<capture::StillImageOutput>& photoOutput() const { return photoOutput_; }

    // A BGRA buffer scaled to `finalSize` (rows of 4 × width bytes), with a
    // presentation time of 1/30 s; null for planar buffers, which have no
    // scaler here.
    static capture::SampleBufferPtr makeDownscaledSampleBuffer(const capture::SampleBuffer& source,
                                                               graphics::Size finalSize);

private:
    GPUImageStillCamera() = default;
    bool setUpStill();
    void deliverPhoto(foundation::Result<capture::SampleBufferPtr> photo, const ImageOnGPUHandler& handler);

    std::shared_ptr<capture::StillImageOutput> photoOutput_;
    mutable std::mutex metadataMutex_;
    foundation::Value currentCaptureMetadata_;
    double jpegCompressionQuality_ = 0.8;
};

}  // namespace gpuimage
