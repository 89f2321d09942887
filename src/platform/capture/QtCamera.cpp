#include "platform/capture/QtCamera.h"

#include "platform/capture/V4l2Node.h"
#include "platform/capture/VideoFrameConversion.h"
#include "platform/foundation/BackgroundActivity.h"
#include "platform/graphics/GuiApplication.h"

#include <QCamera>
#include <QImageCapture>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoSink>
#include <algorithm>
#include <cmath>
#include <mutex>

namespace capture {

DevicePosition positionOfCamera(const QCameraDevice& camera) {
    switch (camera.position()) {
        case QCameraDevice::FrontFace:
            return DevicePosition::Front;
        case QCameraDevice::BackFace:
            return DevicePosition::Back;
        case QCameraDevice::UnspecifiedPosition:
            break;
    }
    return DevicePosition::Unspecified;
}

DeviceCapabilities capabilitiesOfCamera(const QCameraDevice& camera) {
    DeviceCapabilities capabilities;
    capabilities.sessionPresets.clear();
    for (const char* preset :
         {kSessionPreset640x480, kSessionPreset1280x720, kSessionPreset1920x1080, kSessionPreset3840x2160}) {
        const graphics::Size size = *sizeOfSessionPreset(preset);
        const auto formats = camera.videoFormats();
        if (std::any_of(formats.begin(), formats.end(), [&](const QCameraFormat& format) {
                return format.resolution().width() == size.width && format.resolution().height() == size.height;
            })) {
            capabilities.sessionPresets.push_back(preset);
        }
    }
    capabilities.sessionPresets.push_back(kSessionPresetPhoto);
    QSize largest(0, 0);
    for (const QSize& size : camera.photoResolutions()) {
        if (size.width() * size.height() > largest.width() * largest.height()) largest = size;
    }
    if (largest.width() * largest.height() == 0) {
        for (const QCameraFormat& format : camera.videoFormats()) {
            const QSize size = format.resolution();
            if (size.width() * size.height() > largest.width() * largest.height()) largest = size;
        }
    }
    capabilities.photoSize = {double(largest.width()), double(largest.height())};
    // Focus, exposure, white balance and bias are what the camera's V4L2
    // node offers (QtCaptureBackend::videoDevices); Qt's description says nothing of them.
    capabilities.focusModes = 0;
    capabilities.exposureModes = 0;
    capabilities.whiteBalanceModes = 0;
    capabilities.focusPointOfInterest = false;
    capabilities.exposureTargetBias = false;
    capabilities.minExposureTargetBias = 0;
    capabilities.maxExposureTargetBias = 0;
    return capabilities;
}

std::optional<size_t> chooseCameraFormat(const std::vector<CameraFormatChoice>& formats, graphics::Size size,
                                         double framesPerSecond) {
    std::optional<size_t> best;
    double bestDistance = INFINITY;
    bool bestHoldsRate = false;
    for (size_t i = 0; i < formats.size(); ++i) {
        const CameraFormatChoice& format = formats[i];
        const double distance = std::abs(format.width - size.width) + std::abs(format.height - size.height);
        const bool holdsRate =
            framesPerSecond > 0 && format.minFrameRate <= framesPerSecond && framesPerSecond <= format.maxFrameRate;
        const bool better =
            !best || distance < bestDistance ||
            (distance == bestDistance &&
             (holdsRate != bestHoldsRate ? holdsRate : format.maxFrameRate > formats[*best].maxFrameRate));
        if (better) {
            best = i;
            bestDistance = distance;
            bestHoldsRate = holdsRate;
        }
    }
    return best;
}

// ---- driver ------------------------------------------------------------------------------

struct QtCameraDriver::Objects {
    std::unique_ptr<QCamera> camera;
    QMediaCaptureSession session;
    QVideoSink sink;
    QImageCapture imageCapture;
    QMetaObject::Connection frames;
    std::mutex mutex;  // guards the pending stills
    std::map<int, StillHandler> pendingStills;

    // The handler of a pending still, taken off the list; null when none.
    StillHandler takePending(int id) {
        std::lock_guard lock(mutex);
        auto found = pendingStills.find(id);
        if (found == pendingStills.end()) return nullptr;
        StillHandler handler = std::move(found->second);
        pendingStills.erase(found);
        return handler;
    }
};

QtCameraDriver::QtCameraDriver(QCameraDevice camera) : camera_(std::move(camera)) {}

QtCameraDriver::~QtCameraDriver() {
    stopStreaming();
    failPendingStills();
}

foundation::Status QtCameraDriver::open() {
    if (objects_ && objects_->camera->error() != QCamera::NoError) {
        // The failure of an earlier start stays on its QCamera; a new one starts afresh.
        stopStreaming();
        failPendingStills();
        objects_.reset();
    }
    if (!objects_) {
        objects_ = std::make_unique<Objects>();
        objects_->camera = std::make_unique<QCamera>(camera_);
        // A camera another program streams fails inside start() or a format
        // change (the FFmpeg backend) or later (GStreamer), only through this.
        QObject::connect(objects_->camera.get(), &QCamera::errorOccurred, objects_->camera.get(),
                         [this](QCamera::Error error, const QString& text) {
                             if (error != QCamera::NoError && failureHandler_) failureHandler_(text.toStdString());
                         });
        objects_->session.setCamera(objects_->camera.get());
        objects_->session.setVideoSink(&objects_->sink);
        objects_->session.setImageCapture(&objects_->imageCapture);
        Objects* objects = objects_.get();
        QObject::connect(&objects_->imageCapture, &QImageCapture::imageCaptured, &objects_->imageCapture,
                         [objects](int id, const QImage& picture) {
                             StillHandler handler = objects->takePending(id);
                             if (!handler) return;
                             handler(picture.convertToFormat(QImage::Format_ARGB32_Premultiplied));
                         });
        QObject::connect(
            &objects_->imageCapture, &QImageCapture::errorOccurred, &objects_->imageCapture,
            [objects](int id, QImageCapture::Error, const QString& text) {
                StillHandler handler = objects->takePending(id);
                if (!handler) return;
                handler(foundation::Error(kCaptureErrorDomain, kCaptureErrorCaptureFailed, text.toStdString()));
            });
    }
    if (objects_->camera->error() != QCamera::NoError) {
        const std::string text = objects_->camera->errorString().toStdString();
        objects_.reset();
        return backendCameraError(text);
    }
    return {};
}

void QtCameraDriver::applySettings(const DeviceSettings& settings) {
    if (!objects_) return;
    QCamera& camera = *objects_->camera;
    if (camera.isFlashModeSupported(QCamera::FlashMode(settings.flashMode))) {
        camera.setFlashMode(QCamera::FlashMode(settings.flashMode));
    }
    // A frame rate is a property of the camera format here.
    const double framesPerSecond =
        settings.activeVideoMaxFrameDuration.isValid() ? 1.0 / settings.activeVideoMaxFrameDuration.seconds() : 0;
    if (framesPerSecond != framesPerSecond_) {
        framesPerSecond_ = framesPerSecond;
        if (camera.isActive()) applyCameraFormat();
    }
}

void QtCameraDriver::applyCameraFormat() {
    const QList<QCameraFormat> formats = camera_.videoFormats();
    std::vector<CameraFormatChoice> choices;
    for (const QCameraFormat& format : formats) {
        choices.push_back({double(format.resolution().width()), double(format.resolution().height()),
                           double(format.minFrameRate()), double(format.maxFrameRate())});
    }
    if (auto chosen = chooseCameraFormat(choices, streamingSize_, framesPerSecond_)) {
        objects_->camera->setCameraFormat(formats[qsizetype(*chosen)]);
    }
}

void QtCameraDriver::startStreaming(graphics::Size size, FrameHandler handler) {
    if (!objects_ && !open()) return;
    stopStreaming();
    streamingSize_ = size;
    applyCameraFormat();
    auto shared = std::make_shared<FrameHandler>(std::move(handler));
    // Qt's backend may emit from its own thread; the conversion runs there.
    objects_->frames = QObject::connect(
        &objects_->sink, &QVideoSink::videoFrameChanged, &objects_->sink,
        [shared](const QVideoFrame& frame) {
            foundation::ScopedBackgroundActivity activity;
            auto picture = imageFromVideoFrame(frame);
            if (picture.ok()) (*shared)(std::move(picture.value()));
        },
        Qt::DirectConnection);
    objects_->camera->start();
}

void QtCameraDriver::stopStreaming() {
    if (!objects_) return;
    QObject::disconnect(objects_->frames);
    objects_->camera->stop();
}

void QtCameraDriver::captureStill(graphics::Size size, StillHandler handler) {
    if (!objects_ || !objects_->imageCapture.isReadyForCapture()) {
        handler(foundation::Error(kCaptureErrorDomain, kCaptureErrorCaptureFailed,
                                  "The camera is not ready for a picture."));
        return;
    }
    objects_->imageCapture.setResolution(QSize(int(size.width), int(size.height)));
    std::lock_guard lock(objects_->mutex);
    const int id = objects_->imageCapture.capture();
    if (id < 0) {
        handler(foundation::Error(kCaptureErrorDomain, kCaptureErrorCaptureFailed,
                                  objects_->imageCapture.errorString().toStdString()));
        return;
    }
    objects_->pendingStills[id] = std::move(handler);
}

void QtCameraDriver::failPendingStills() {
    if (!objects_) return;
    std::map<int, StillHandler> pending;
    {
        std::lock_guard lock(objects_->mutex);
        pending.swap(objects_->pendingStills);
    }
    for (auto& [id, handler] : pending) {
        handler(cameraNotConnectedError());
    }
}

// ---- backend -----------------------------------------------------------------------------

QtCaptureBackend::QtCaptureBackend() {
    graphics::ensureGuiApplication();
    watcher_ = std::make_unique<QMediaDevices>();
    QObject::connect(watcher_.get(), &QMediaDevices::videoInputsChanged, watcher_.get(), [this] { refresh(); });
}

QtCaptureBackend::~QtCaptureBackend() = default;

void QtCaptureBackend::refresh() {
    const QList<QCameraDevice> cameras = QMediaDevices::videoInputs();
    for (auto it = known_.begin(); it != known_.end();) {
        const bool present = std::any_of(cameras.begin(), cameras.end(),
                                         [&](const QCameraDevice& camera) { return camera.id() == it->first; });
        if (present) {
            ++it;
            continue;
        }
        it->second.device->markDisconnected();
        it->second.driver->stopStreaming();
        it->second.driver->failPendingStills();
        it = known_.erase(it);
    }
}

std::vector<CaptureDevicePtr> QtCaptureBackend::videoDevices() {
    refresh();
    std::vector<CaptureDevicePtr> devices;
    std::map<QString, size_t> descriptionsSeen;
    // The machine's nodes, looked at once a call and only for cameras not known yet.
    std::optional<std::vector<V4l2VideoNode>> nodes;
    const auto machineNodes = [&nodes]() -> const std::vector<V4l2VideoNode>& {
        if (!nodes) nodes = v4l2VideoNodes(*systemV4l2Folder());
        return *nodes;
    };
    for (const QCameraDevice& camera : QMediaDevices::videoInputs()) {
        auto found = known_.find(camera.id());
        if (found == known_.end() && !v4l2MayCapture(camera.id().toStdString(), machineNodes())) continue;
        const size_t sameDescriptionIndex = descriptionsSeen[camera.description()]++;
        // A camera whose node went away is a new camera when Qt still lists it.
        if (found != known_.end() && !found->second.device->isConnected()) {
            found->second.driver->stopStreaming();
            known_.erase(found);
            found = known_.end();
        }
        if (found == known_.end()) {
            const std::string id = camera.id().toStdString(), description = camera.description().toStdString();
            auto driver = std::make_shared<QtCameraDriver>(camera);
            const auto node = v4l2NodeOfCamera(id, description, sameDescriptionIndex, machineNodes());
            auto device =
                std::make_shared<CaptureDevice>(id, description, positionOfCamera(camera), capabilitiesOfCamera(camera),
                                                driver, node ? v4l2NodeOpener(systemV4l2Folder(), *node) : nullptr,
                                                node ? v4l2StableName(*node, kV4l2ByIdFolder).value_or("") : "");
            found = known_.emplace(camera.id(), Known{device, driver}).first;
        }
        devices.push_back(found->second.device);
    }
    return devices;
}

}  // namespace capture
