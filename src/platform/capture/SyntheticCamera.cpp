#include "platform/capture/SyntheticCamera.h"

#include "platform/capture/V4l2Node.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/videodev2.h>

namespace capture {

// ---- the picture -----------------------------------------------------------------------

namespace {

constexpr int kCounterBits = 24;

// The side of one cell of the counter row, which fits the picture's width.
int cellSide(int width, int height) { return std::max(2, std::min(height / 16, width / (kCounterBits + 2))); }

void fillRect(QImage& image, int x, int y, int width, int height, QRgb colour) {
    const int left = std::max(0, x), top = std::max(0, y);
    const int right = std::min(image.width(), x + width), bottom = std::min(image.height(), y + height);
    for (int row = top; row < bottom; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        std::fill(line + left, line + std::max(left, right), colour);
    }
}

}  // namespace

QImage syntheticFrame(int width, int height, int64_t counter) {
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgb(64, 64, 64));
    const int mark = std::max(1, height / 8);
    // The moving bar keeps to the middle band, clear of marks and counter.
    const int barWidth = std::max(1, width / 16);
    const int travel = std::max(1, width - barWidth);
    fillRect(image, int((counter * 8) % travel), height / 4, barWidth, height / 2, qRgb(230, 230, 230));
    fillRect(image, 0, 0, mark, mark, qRgb(255, 0, 0));
    fillRect(image, width - mark, 0, mark, mark, qRgb(0, 255, 0));
    const int cell = cellSide(width, height);
    for (int bit = 0; bit < kCounterBits; ++bit) {
        const bool set = (counter >> bit) & 1;
        fillRect(image, cell * (bit + 1), height - 2 * cell, cell, cell, set ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
    return image;
}

std::optional<int64_t> syntheticFrameCounter(const QImage& picture) {
    if (picture.isNull()) return std::nullopt;
    const int cell = cellSide(picture.width(), picture.height());
    if (cell * (kCounterBits + 1) > picture.width()) return std::nullopt;
    int64_t counter = 0;
    const int y = picture.height() - 2 * cell + cell / 2;
    for (int bit = 0; bit < kCounterBits; ++bit) {
        const int grey = qGray(picture.pixel(cell * (bit + 1) + cell / 2, y));
        if (grey > 200) {
            counter |= int64_t(1) << bit;
        } else if (grey > 55) {
            return std::nullopt;  // neither black nor white: not a counter cell
        }
    }
    return counter;
}

// ---- the driver ------------------------------------------------------------------------

SyntheticCameraDriver::~SyntheticCameraDriver() {
    *alive_ = false;
    if (streaming_) streaming_->invalidate();
}

foundation::Status SyntheticCameraDriver::open() {
    ++openCount_;
    if (config_.failsToOpen) {
        return foundation::Error(kCaptureErrorDomain, kCaptureErrorDeviceNotAvailable, "The camera cannot be opened.");
    }
    if (!node_ && config_.controls) {
        if (auto opened = config_.controls(); opened.ok()) node_ = opened.value();
    }
    switchWhiteBalanceOn();
    return {};
}

void SyntheticCameraDriver::switchWhiteBalanceOn() {
    if (!config_.resetsWhiteBalance || !node_ || !node_->queryControl(V4L2_CID_AUTO_WHITE_BALANCE)) return;
    (void)node_->setControl(V4L2_CID_AUTO_WHITE_BALANCE, 1);
}

bool SyntheticCameraDriver::formatTakes(graphics::Size size) {
    if (!config_.setFormat) return true;
    const foundation::Status set = config_.setFormat(size);
    if (set.ok()) return true;
    const foundation::Error& cause = set.error();
    reportFailure(cause.domain == foundation::kPOSIXErrorDomain && cause.code == EBUSY
                      ? "Camera is in use."
                      : "Cannot set the camera format: " + cause.description);
    return false;
}

void SyntheticCameraDriver::reportFailure(std::string message) {
    if (!config_.reportsFailuresLater) {
        if (failureHandler_) failureHandler_(message);
        return;
    }
    std::weak_ptr<bool> alive = alive_;
    foundation::RunLoop::main().performAfter(0, [this, alive, message = std::move(message)] {
        if (alive.lock() && failureHandler_) failureHandler_(message);
    });
}

QImage SyntheticCameraDriver::frame(int width, int height, int64_t counter) const {
    QImage picture;
    {
        std::lock_guard lock(mutex_);
        if (!config_.pictures.empty()) picture = config_.pictures[size_t(counter) % config_.pictures.size()];
    }
    if (picture.isNull()) return syntheticFrame(width, height, counter);
    // Plain sampling keeps every colour of the picture exact.
    return picture.scaled(std::max(1, width), std::max(1, height), Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void SyntheticCameraDriver::setPictures(std::vector<QImage> pictures) {
    std::lock_guard lock(mutex_);
    config_.pictures = std::move(pictures);
}

double SyntheticCameraDriver::frameInterval() const {
    if (frameDuration_.isValid()) return frameDuration_.seconds();
    return 1.0 / std::max(1.0, config_.framesPerSecond);
}

void SyntheticCameraDriver::applySettings(const DeviceSettings& settings) {
    applied_.push_back(settings);
    const bool paceChanged = !(settings.activeVideoMaxFrameDuration == frameDuration_) ||
                             settings.activeVideoMaxFrameDuration.isValid() != frameDuration_.isValid();
    frameDuration_ = settings.activeVideoMaxFrameDuration;
    if (paceChanged && isStreaming()) {
        // Another frame rate is another camera format.
        switchWhiteBalanceOn();
        if (!formatTakes(streamingSize_)) {
            streaming_->invalidate();
            return;
        }
        scheduleFrames();
    }
}

void SyntheticCameraDriver::startStreaming(graphics::Size size, FrameHandler handler) {
    stopStreaming();
    switchWhiteBalanceOn();
    if (!formatTakes(size)) return;
    streamingSize_ = size;
    frameHandler_ = std::move(handler);
    scheduleFrames();
}

void SyntheticCameraDriver::scheduleFrames() {
    if (streaming_) streaming_->invalidate();
    const int width = int(streamingSize_.width), height = int(streamingSize_.height);
    streaming_ = foundation::RunLoop::main().scheduleTimer(
        frameInterval(), true, [this, width, height, handler = frameHandler_](foundation::Timer&) {
            handler(frame(width, height, framesDelivered_.fetch_add(1)));
        });
}

void SyntheticCameraDriver::stopStreaming() {
    if (streaming_) streaming_->invalidate();
    streaming_.reset();
    streamingSize_ = {};
    frameHandler_ = nullptr;
}

size_t SyntheticCameraDriver::pendingStills() const {
    std::lock_guard lock(mutex_);
    return pendingStills_.size();
}

void SyntheticCameraDriver::captureStill(graphics::Size size, StillHandler handler) {
    uint64_t request;
    {
        std::lock_guard lock(mutex_);
        request = nextStill_++;
        pendingStills_[request] = [this, handler = std::move(handler), size, counter = framesDelivered_.load(),
                                   fails = config_.failsStills](foundation::Result<QImage> interrupted) {
            if (!interrupted.ok()) return handler(std::move(interrupted));
            if (fails) {
                return handler(foundation::Error(kCaptureErrorDomain, kCaptureErrorCaptureFailed,
                                                 "The camera did not deliver a picture."));
            }
            handler(frame(int(size.width), int(size.height), counter));
        };
    }
    std::weak_ptr<bool> alive = alive_;
    foundation::RunLoop::main().performAfter(config_.stillDelaySeconds, [this, alive, request] {
        if (alive.lock() && *alive.lock()) deliverStill(request);
    });
}

void SyntheticCameraDriver::deliverStill(uint64_t request) {
    StillHandler handler;
    {
        std::lock_guard lock(mutex_);
        auto found = pendingStills_.find(request);
        if (found == pendingStills_.end()) return;
        handler = std::move(found->second);
        pendingStills_.erase(found);
    }
    handler(QImage());  // the stored closure makes the picture
}

void SyntheticCameraDriver::unplug() {
    stopStreaming();
    std::map<uint64_t, StillHandler> pending;
    {
        std::lock_guard lock(mutex_);
        pending.swap(pendingStills_);
    }
    for (auto& [request, handler] : pending) {
        handler(cameraNotConnectedError());
    }
}

void SyntheticCameraDriver::failStream(std::string message) {
    if (streaming_) streaming_->invalidate();
    reportFailure(std::move(message));
}

// ---- the backend -----------------------------------------------------------------------

SyntheticCameraConfig SyntheticCaptureBackend::backCamera() {
    SyntheticCameraConfig config;
    config.capabilities.photoSize = {3840, 2160};
    return config;
}

SyntheticCameraConfig SyntheticCaptureBackend::frontCamera() {
    SyntheticCameraConfig config = backCamera();
    config.uniqueID = "synthetic-front";
    config.localizedName = "Synthetic Front Camera";
    config.position = DevicePosition::Front;
    return config;
}

SyntheticCaptureBackend::SyntheticCaptureBackend(std::vector<SyntheticCameraConfig> cameras, std::string byIdFolder)
    : byIdFolder_(std::move(byIdFolder)) {
    for (auto& config : cameras) plugIn(std::move(config));
}

std::shared_ptr<SyntheticCaptureBackend> SyntheticCaptureBackend::withCameras(int count) {
    std::vector<SyntheticCameraConfig> cameras;
    if (count >= 1) cameras.push_back(backCamera());
    if (count >= 2) cameras.push_back(frontCamera());
    return std::make_shared<SyntheticCaptureBackend>(std::move(cameras));
}

std::vector<CaptureDevicePtr> SyntheticCaptureBackend::videoDevices() {
    std::vector<CaptureDevicePtr> devices;
    for (auto& camera : cameras_) devices.push_back(camera.device);
    return devices;
}

CaptureDevicePtr SyntheticCaptureBackend::plugIn(SyntheticCameraConfig config) {
    auto driver = std::make_shared<SyntheticCameraDriver>(config);
    auto device = std::make_shared<CaptureDevice>(config.uniqueID, config.localizedName, config.position,
                                                  config.capabilities, driver, config.controls,
                                                  v4l2StableName(config.uniqueID, byIdFolder_).value_or(""));
    cameras_.push_back({device, driver});
    return device;
}

void SyntheticCaptureBackend::unplug(const std::string& uniqueID) {
    auto found = std::find_if(cameras_.begin(), cameras_.end(),
                              [&](const Camera& camera) { return camera.device->uniqueID() == uniqueID; });
    if (found == cameras_.end()) return;
    Camera camera = *found;
    cameras_.erase(found);
    camera.device->markDisconnected();
    camera.driver->unplug();
}

CaptureDevicePtr SyntheticCaptureBackend::device(const std::string& uniqueID) const {
    for (auto& camera : cameras_) {
        if (camera.device->uniqueID() == uniqueID) return camera.device;
    }
    return nullptr;
}

SyntheticCameraDriver* SyntheticCaptureBackend::driver(const std::string& uniqueID) const {
    for (auto& camera : cameras_) {
        if (camera.device->uniqueID() == uniqueID) return camera.driver.get();
    }
    return nullptr;
}

}  // namespace capture
