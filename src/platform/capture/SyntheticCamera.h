#pragma once

// Cameras made of code, for tests and for machines without a camera
// (TOLLIVAR_CAMERA=synthetic).
//
// Each camera shows a moving bar over a dark ground, a red square in its
// top-left corner, a green one in its top-right corner and its frame counter
// as a row of black and white cells along the bottom, so a test can tell
// which frame it got and which way up; or, when given pictures, those in
// turn, stretched to the frame size. Frames come from a timer on the main
// run loop, so under a virtual clock they arrive only as time moves; the
// frame durations set on the device change their pace. Every capability is
// settable, and failures can be injected: a camera that cannot be opened, a
// settings lock that is refused, stills that fail, and unplugging while in
// use. Given a control node (a fake V4L2 device), the camera's modes and
// bias are those the node's controls give, as on a real webcam; and, as Qt
// 6.4's camera backends do, the driver switches the node's automatic white
// balance on whenever it opens, starts or re-formats the camera, and sets
// the camera's format on the node, failing the start as Qt does when the
// node refuses (a camera another program streams).

#include "platform/capture/CaptureDevice.h"
#include "platform/capture/ControlNode.h"
#include "platform/foundation/Timer.h"

#include <QImage>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace capture {

struct SyntheticCameraConfig {
    std::string uniqueID = "synthetic-back";
    std::string localizedName = "Synthetic Camera";
    DevicePosition position = DevicePosition::Back;
    DeviceCapabilities capabilities;
    double framesPerSecond = 10;
    // Seconds on the run loop's clock from a still request to its picture.
    double stillDelaySeconds = 0.05;
    bool failsToOpen = false;
    bool refusesLock = false;
    bool failsStills = false;
    // Shown in turn instead of the drawn picture (stills show the current one).
    std::vector<QImage> pictures;
    // Opens the camera's own controls; none for a camera that does what it
    // is told.
    ControlNodeOpener controls;
    // The driver switches automatic white balance on as Qt's backends do.
    bool resetsWhiteBalance = true;
    // Sets the camera's format on its node (VIDIOC_S_FMT), as Qt's backends
    // do when they start or re-format a camera; none: the format always
    // takes. When it fails no frames come, and the failure handler hears
    // Qt's message: "Camera is in use." for EBUSY, a node another program
    // streams from.
    std::function<foundation::Status(graphics::Size)> setFormat;
    // The failure handler hears on a later turn of the run loop, as from
    // GStreamer's bus, instead of inside the step, as from the FFmpeg backend.
    bool reportsFailuresLater = false;
};

class SyntheticCameraDriver : public CaptureDriver {
public:
    explicit SyntheticCameraDriver(SyntheticCameraConfig config) : config_(std::move(config)) {}
    ~SyntheticCameraDriver() override;

    SyntheticCameraConfig& config() { return config_; }

    foundation::Status open() override;
    bool acquireLock() override { return !config_.refusesLock; }
    void applySettings(const DeviceSettings& settings) override;
    void startStreaming(graphics::Size size, FrameHandler handler) override;
    void stopStreaming() override;
    void captureStill(graphics::Size size, StillHandler handler) override;
    void setFailureHandler(FailureHandler handler) override { failureHandler_ = std::move(handler); }

    // Replaces the pictures shown from the next frame on; empty returns to
    // the drawn picture. Any thread.
    void setPictures(std::vector<QImage> pictures);
    // Seconds between frames now: the device's longest frame duration when
    // set, else 1 / framesPerSecond.
    double frameInterval() const;

    bool isStreaming() const { return streaming_ && streaming_->isValid(); }
    graphics::Size streamingSize() const { return streamingSize_; }
    int64_t framesDelivered() const { return framesDelivered_.load(); }
    int openCount() const { return openCount_; }
    // Every settings change applied, oldest first.
    const std::vector<DeviceSettings>& appliedSettings() const { return applied_; }
    size_t pendingStills() const;

    // Stops everything and fails the stills still pending (backend use).
    void unplug();
    // The backend fails the camera while it streams, as a stream error or a
    // camera that stops answering does: no frame comes after it, and the
    // failure handler hears Qt's `message` (inside this call, or on a later
    // turn for reportsFailuresLater).
    void failStream(std::string message);

private:
    void deliverStill(uint64_t request);
    QImage frame(int width, int height, int64_t counter) const;
    void scheduleFrames();
    // What Qt's backends do when they set a camera up: automatic white
    // balance on, a failure of that only noted.
    void switchWhiteBalanceOn();
    // Sets the format for frames of `size`; false once a refusal is reported.
    bool formatTakes(graphics::Size size);
    void reportFailure(std::string message);

    SyntheticCameraConfig config_;
    // The driver's own handle on the camera's node, as a backend has one.
    std::shared_ptr<ControlNode> node_;
    foundation::TimerHandle streaming_;
    graphics::Size streamingSize_;
    FrameHandler frameHandler_;
    FailureHandler failureHandler_;
    media::MediaTime frameDuration_ = media::MediaTime::invalid();
    std::atomic<int64_t> framesDelivered_{0};
    int openCount_ = 0;
    std::vector<DeviceSettings> applied_;
    mutable std::mutex mutex_;  // guards the pending stills and the pictures
    std::map<uint64_t, StillHandler> pendingStills_;
    uint64_t nextStill_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class SyntheticCaptureBackend : public CaptureBackend {
public:
    // `byIdFolder`: udev's stable names (V4l2Node.h) of the cameras whose
    // uniqueID is a node path; none without.
    explicit SyntheticCaptureBackend(std::vector<SyntheticCameraConfig> cameras = {}, std::string byIdFolder = {});
    // Zero, one (back) or two (back, then front) cameras of 1920 × 1080
    // (photos of 3840 × 2160).
    static std::shared_ptr<SyntheticCaptureBackend> withCameras(int count);
    static SyntheticCameraConfig backCamera();
    static SyntheticCameraConfig frontCamera();

    std::vector<CaptureDevicePtr> videoDevices() override;

    // Adds a camera at the end of the list.
    CaptureDevicePtr plugIn(SyntheticCameraConfig config);
    // The camera goes away: off the list, disconnected, its pending stills
    // failed. Nothing for an unknown identifier.
    void unplug(const std::string& uniqueID);
    CaptureDevicePtr device(const std::string& uniqueID) const;
    SyntheticCameraDriver* driver(const std::string& uniqueID) const;

private:
    struct Camera {
        CaptureDevicePtr device;
        std::shared_ptr<SyntheticCameraDriver> driver;
    };
    std::vector<Camera> cameras_;
    std::string byIdFolder_;
};

// One synthetic picture, BGRA premultiplied.
QImage syntheticFrame(int width, int height, int64_t counter);
// The counter of an upright synthetic picture; none when the cells cannot be read.
std::optional<int64_t> syntheticFrameCounter(const QImage& picture);

}  // namespace capture
