#pragma once

// One camera of the machine: what it can do, its current settings, and the
// backend driver that moves its pictures.
//
// Settings change only between lockForConfiguration and
// unlockForConfiguration (another client may refuse the lock); a setter
// outside a lock, or of a mode the camera does not offer, changes nothing
// and answers false. Devices are used from the main thread; only the
// driver's frame and still callbacks run elsewhere.
//
// A camera with controls of its own (CameraControls on a V4L2 node, or on a
// fake node in tests) offers the modes and bias those controls give, and its
// modes and bias are what the camera reports: read when the lock is taken
// and read back after the unlock has applied the changes. A camera without
// them offers what its capabilities say and runs what it was told. The
// control node is opened with the device and, failing that, again each time
// the camera is opened: a node the user may not open (EACCES: not in the
// "video" group) fails the open with kCaptureErrorPermissionDenied, one
// that has gone (ENOENT, ENODEV, ENXIO) marks the camera disconnected.
//
// A camera another program streams opens as any other (V4L2 lets several
// programs open a node and set its controls); it is the backend's start or
// format change that fails, and Qt tells of it only through
// QCamera::errorOccurred ("Camera is in use."), inside the step or, with
// some backends, later. The device keeps that failure (failure()) and posts
// kDeviceRuntimeErrorNotification for one that came after its step.
//
// Qt's camera backends write some controls themselves when they open,
// start or re-format a camera (automatic white balance back on). So the
// camera is read before and after each of those steps, and a lock it had
// before is put back, holding the value it held.

#include "platform/capture/CaptureTypes.h"
#include "platform/capture/ControlNode.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/media/MediaTime.h"

#include <QImage>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace capture {

class CameraControls;

// A picture as the camera's user sees it: upright, BGRA with premultiplied
// alpha (QImage::Format_ARGB32_Premultiplied on a little-endian machine).
using FrameHandler = std::function<void(QImage frame)>;
using StillHandler = std::function<void(foundation::Result<QImage> picture)>;

// The backend side of one camera. The handlers may be called on any thread;
// a driver whose library thread calls them holds a ScopedBackgroundActivity
// meanwhile.
class CaptureDriver {
public:
    virtual ~CaptureDriver() = default;
    // Opens the camera for a session; fails when it cannot be opened.
    virtual foundation::Status open() = 0;
    // Whether the settings may be changed now.
    virtual bool acquireLock() { return true; }
    virtual void applySettings(const DeviceSettings& settings) { (void)settings; }
    // Starts frames of about that size to the handler until stopStreaming.
    virtual void startStreaming(graphics::Size size, FrameHandler handler) = 0;
    // Returns once no further frame will reach the handler of startStreaming.
    virtual void stopStreaming() = 0;
    // Takes one still picture of about that size; the handler runs exactly once.
    virtual void captureStill(graphics::Size size, StillHandler handler) = 0;
    // Where the backend tells, in its own words, that it failed the camera
    // after it opened (Qt's QCamera::errorOccurred); main thread, inside
    // the step that failed or on a later turn of the run loop.
    using FailureHandler = std::function<void(const std::string& message)>;
    virtual void setFailureHandler(FailureHandler handler) { (void)handler; }
};

class CaptureDevice : public std::enable_shared_from_this<CaptureDevice> {
public:
    // The controls `openControls` opens, when given, decide the modes and
    // bias (see above); until it has opened a node none are offered.
    // `stableName`: what names the camera whatever order it was plugged in
    // (V4l2Node.h), when the system gives it one.
    CaptureDevice(std::string uniqueID, std::string localizedName, DevicePosition position,
                  DeviceCapabilities capabilities, std::shared_ptr<CaptureDriver> driver,
                  ControlNodeOpener openControls = nullptr, std::string stableName = {});
    ~CaptureDevice();
    CaptureDevice(const CaptureDevice&) = delete;
    CaptureDevice& operator=(const CaptureDevice&) = delete;

    const std::string& uniqueID() const { return uniqueID_; }
    // What to keep to find this camera on a later start: its stable name
    // where the system gives one, else uniqueID (a webcam's node path, which
    // the kernel hands out in plug order).
    const std::string& persistentID() const { return persistentID_; }
    const std::string& localizedName() const { return localizedName_; }
    // Back for a camera that does not say where it looks (see DevicePosition).
    DevicePosition position() const { return position_; }
    // Whether the platform said where the camera looks (a phone's cameras
    // do; Qt gives a V4L2 webcam no position).
    bool hasPosition() const { return hasPosition_; }
    const DeviceCapabilities& capabilities() const { return capabilities_; }
    bool supportsSessionPreset(std::string_view preset) const;
    // False once the camera went away; it never comes back as this object.
    bool isConnected() const { return connected_.load(); }

    bool lockForConfiguration(foundation::Error* error = nullptr);
    // Applies the changed settings to the camera. The failure of the first
    // change the camera's controls did not take: that setting then reads as
    // the camera has it, and a control the camera refuses is no longer
    // offered (the capabilities change). A camera found gone is marked
    // disconnected.
    foundation::Status unlockForConfiguration();
    bool isLockedForConfiguration() const { return locked_; }

    // For sessions: opens the camera for a session (its control node, then
    // the driver), and starts its frames to the handler until the driver's
    // stopStreaming. Both put back the locks the backend undid on the way.
    foundation::Status open();
    void startStreaming(graphics::Size size, FrameHandler handler);
    // How the backend failed the camera since it was last opened or started
    // (cameraInUseError while another program streams from it); none while
    // it runs.
    const std::optional<foundation::Error>& failure() const { return failure_; }

    bool isFocusModeSupported(CaptureMode mode) const;
    bool isExposureModeSupported(CaptureMode mode) const;
    bool isWhiteBalanceModeSupported(CaptureMode mode) const;
    CaptureMode focusMode() const { return settings_.focusMode; }
    CaptureMode exposureMode() const { return settings_.exposureMode; }
    CaptureMode whiteBalanceMode() const { return settings_.whiteBalanceMode; }
    bool setFocusMode(CaptureMode mode);
    bool setExposureMode(CaptureMode mode);
    bool setWhiteBalanceMode(CaptureMode mode);

    bool isFocusPointOfInterestSupported() const { return capabilities_.focusPointOfInterest; }
    graphics::Point focusPointOfInterest() const { return settings_.focusPointOfInterest; }
    bool setFocusPointOfInterest(graphics::Point point);

    bool supportsExposureTargetBias() const { return capabilities_.exposureTargetBias; }
    float minExposureTargetBias() const {
        return capabilities_.exposureTargetBias ? capabilities_.minExposureTargetBias : 0;
    }
    float maxExposureTargetBias() const {
        return capabilities_.exposureTargetBias ? capabilities_.maxExposureTargetBias : 0;
    }
    float exposureTargetBias() const { return settings_.exposureTargetBias; }
    bool setExposureTargetBias(float bias);

    // The values the locks hold (HeldValues); a value set here is held by
    // the lock the configuration asks for, or moves a lock that holds.
    const HeldValues& heldValues() const { return settings_.held; }
    bool setHeldValues(const HeldValues& held);

    bool hasFlash() const { return capabilities_.hasFlash; }
    int64_t flashMode() const { return settings_.flashMode; }
    bool setFlashMode(int64_t mode);

    // Frame durations (a frame rate); an invalid time restores the camera's
    // default. A duration of zero or less is refused.
    media::MediaTime activeVideoMinFrameDuration() const { return settings_.activeVideoMinFrameDuration; }
    media::MediaTime activeVideoMaxFrameDuration() const { return settings_.activeVideoMaxFrameDuration; }
    bool setActiveVideoMinFrameDuration(media::MediaTime duration);
    bool setActiveVideoMaxFrameDuration(media::MediaTime duration);

    const DeviceSettings& settings() const { return settings_; }
    CaptureDriver& driver() const { return *driver_; }

    // For backends: the camera went away. Marks it disconnected and posts
    // kDeviceWasDisconnectedNotification on the main queue; safe from any
    // thread, once.
    void markDisconnected();

private:
    bool canChange() const;
    void chooseMostAutomaticModes();
    // Opens the control node; the open's failure as it came.
    foundation::Status attachControls();
    // Runs a step of the backend that may reset controls and puts back the
    // locks it undid; the failure of putting one back.
    foundation::Status holdLocksThrough(const std::function<void()>& step);
    void reportUnheld(const foundation::Status& held) const;
    // The backend's failure: kept, and posted when no step is under way to
    // hear of it.
    void backendFailed(const std::string& message);
    void postOnMain(const char* notification);

    std::string uniqueID_;
    std::string persistentID_;
    std::string localizedName_;
    DevicePosition position_;
    bool hasPosition_;
    DeviceCapabilities capabilities_;
    std::shared_ptr<CaptureDriver> driver_;
    ControlNodeOpener openControls_;
    std::shared_ptr<CameraControls> controls_;
    DeviceSettings settings_;
    DeviceSettings settingsAtLock_;
    std::atomic<bool> connected_{true};
    bool locked_ = false;
    std::optional<foundation::Error> failure_;
    // Inside open or startStreaming, whose callers read failure() themselves.
    bool inStep_ = false;
    bool hearsFailures_ = false;
};

using CaptureDevicePtr = std::shared_ptr<CaptureDevice>;

// The cameras of the machine, from the backend in use.
class CaptureBackend {
public:
    virtual ~CaptureBackend() = default;
    // The video cameras in the backend's order; the list may change
    // between calls as cameras come and go.
    virtual std::vector<CaptureDevicePtr> videoDevices() = 0;
};

// The backend in use: the one installed with setCaptureBackend, else the
// synthetic one when TOLLIVAR_CAMERA is "synthetic", else Qt Multimedia.
CaptureBackend& captureBackend();
// Installs a backend (tests, the application's start-up); null returns to
// the choice above.
void setCaptureBackend(std::shared_ptr<CaptureBackend> backend);
// Shorthand for captureBackend().videoDevices().
std::vector<CaptureDevicePtr> videoDevices();

}  // namespace capture
