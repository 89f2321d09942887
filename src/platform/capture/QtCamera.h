#pragma once

// The machine's cameras through Qt Multimedia: QCamera in a capture session
// with a QVideoSink for the live frames and a QImageCapture for stills.
//
// Qt objects are made and used on the main thread. Frames arrive on the
// thread Qt's backend chooses; the driver converts them there (swscale) while
// it holds a ScopedBackgroundActivity, and hands them on. A camera that
// disappears from QMediaDevices is marked disconnected and fails its
// pending stills. Focus, exposure, white balance and bias go to the
// camera's V4L2 node, not through Qt: Qt 6.4's backends answer for those
// only once a camera is open, each in its own way, and have no way to keep
// the value an automatic mode has reached. The driver leaves Qt's own
// settings alone, so the two never fight over the node.

#include "platform/capture/CaptureDevice.h"
#include "platform/capture/V4l2Node.h"

#include <QCameraDevice>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCamera;
class QImageCapture;
class QMediaCaptureSession;
class QMediaDevices;
class QVideoSink;

namespace capture {

// What a camera offers, read from Qt's description of it: presets and
// photo size. Its focus, exposure and white balance come from its controls.
DeviceCapabilities capabilitiesOfCamera(const QCameraDevice& camera);
// Qt's position in the platform's values: Unspecified for the V4L2 cameras
// of Qt 6.4's FFmpeg and GStreamer backends, which give none.
DevicePosition positionOfCamera(const QCameraDevice& camera);

// A video format a camera offers, as far as the choice of one goes.
struct CameraFormatChoice {
    double width = 0, height = 0;
    double minFrameRate = 0, maxFrameRate = 0;
};
// The index of the format to stream: the resolution nearest `size`; among
// those, one whose frame-rate range holds `framesPerSecond` (when above 0),
// else the fastest. None for an empty list.
std::optional<size_t> chooseCameraFormat(const std::vector<CameraFormatChoice>& formats, graphics::Size size,
                                         double framesPerSecond);

class QtCameraDriver : public CaptureDriver {
public:
    explicit QtCameraDriver(QCameraDevice camera);
    ~QtCameraDriver() override;

    foundation::Status open() override;
    void applySettings(const DeviceSettings& settings) override;
    void startStreaming(graphics::Size size, FrameHandler handler) override;
    void stopStreaming() override;
    void captureStill(graphics::Size size, StillHandler handler) override;
    void setFailureHandler(FailureHandler handler) override { failureHandler_ = std::move(handler); }

    // Fails the pending stills (the camera went away).
    void failPendingStills();

private:
    struct Objects;
    void applyCameraFormat();

    QCameraDevice camera_;
    FailureHandler failureHandler_;
    std::unique_ptr<Objects> objects_;
    graphics::Size streamingSize_;
    // 0: the camera's own pace.
    double framesPerSecond_ = 0;
};

class QtCaptureBackend : public CaptureBackend {
public:
    QtCaptureBackend();
    ~QtCaptureBackend() override;

    // Qt's cameras in its order, each with the controls of its V4L2 node and
    // the node's stable name (V4l2Node.h tells how the node is found); one
    // device object per camera for as long as it stays present. Cameras that
    // vanished since the last call (or since Qt reported the change) are
    // marked disconnected.
    std::vector<CaptureDevicePtr> videoDevices() override;

private:
    void refresh();

    std::unique_ptr<QMediaDevices> watcher_;
    struct Known {
        CaptureDevicePtr device;
        std::shared_ptr<QtCameraDriver> driver;
    };
    std::map<QByteArray, Known> known_;
};

}  // namespace capture
