#pragma once

// The common base of every capture source: the device camera, the Ultra HD
// still camera, remote cameras, the green-screen camera and the debug
// sources. The capture screen drives a source only through this class and
// hears from it only through CaptureControllerDelegate.
//
// A source's life on the screen:
//     setDelegate, setMainViewController, setProject → initCaptureDevice →
//     (captureImage, mode setters, focusAtPoint, changeExposureTargetBiasTo,
//      switchCaptureDevice, pause/resume) → stopCameraCapture
// The registry keeps its sources for the whole run, so every source accepts a
// new initCaptureDevice after stopCameraCapture. A source that cannot start
// sets error() during initCaptureDevice; the screen reads it right after the
// call.
//
// Threads: set-up, controls and captureImage run on the main thread. Only
// captureControllerDidTakeImage and captureControllerDidInitCaptureDeviceWithPositon
// may arrive on another thread (a camera queue, a still-capture completion, a
// network queue). Flags that those threads read or write are atomic, and so
// are the identifier and the error, which are read from the main thread
// while a camera thread may change them.
//
// Pictures are delivered upright: every source applies the orientation the
// picture was taken in to its pixels before it hands the picture over, so a
// receiver that crops (the zoomed capture screen) crops what the user saw.

#include "app/core/ProjectModel.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/controllers/ViewController.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace capture {
class CaptureDevice;
}

class CaptureController;

// Camera positions, in the platform's values.
enum CaptureDevicePosition : int64_t {
    kCaptureDevicePositionUnspecified = 0,
    kCaptureDevicePositionBack = 1,
    kCaptureDevicePositionFront = 2,
};

// Focus, exposure and white-balance modes, in the platform's values.
enum CaptureMode : int64_t {
    kCaptureModeLocked = 0,
    kCaptureModeAutomatic = 1,  // once, then locked
    kCaptureModeContinuousAutomatic = 2,
};

class CaptureControllerDelegate {
public:
    virtual ~CaptureControllerDelegate() = default;
    // The source now uses the other camera; on the main thread.
    virtual void captureControllerDidSwitchCaptureDevicePosition(CaptureController& controller, int64_t position) = 0;
    // Set-up finished; may come from any thread, the receiver moves its work
    // to the main queue.
    virtual void captureControllerDidInitCaptureDeviceWithPositon(CaptureController& controller, int64_t position) = 0;
    // One captured picture, upright; a null image when the capture failed.
    // May come from any thread; the receiver stores the picture before it
    // returns, so the source's thread waits until it is stored.
    virtual void captureControllerDidTakeImage(CaptureController& controller, graphics::Image image) = 0;
};

class CaptureController : public ui::ViewController {
public:
    CaptureController();
    ~CaptureController() override;
    CaptureController(const CaptureController&) = delete;
    CaptureController& operator=(const CaptureController&) = delete;

    // ---- capabilities and state ---------------------------------------------------
    bool isMultipleCaptureDeviceAvaliable() const { return isMultipleCaptureDeviceAvaliable_.load(); }
    bool isFocusModeSuported() const { return isFocusModeSuported_.load(); }
    bool isExposureModeSuported() const { return isExposureModeSuported_.load(); }
    bool isWhiteBalanceModeSuported() const { return isWhiteBalanceModeSuported_.load(); }
    // Whether a captureImage may be asked for now.
    virtual bool isReadyToCapture() const { return isReadyToCapture_.load(); }
    bool isAdditionalControlsSuported() const { return isAdditionalControlsSuported_.load(); }
    // The source plays its own shutter sound, so the screen plays none.
    bool hasShutterSound() const { return hasShutterSound_.load(); }

    // Exposure-bias range and value in exposure steps; both bounds 0 mean
    // that the source has no bias control.
    float minExposureTargetBias() const { return minExposureTargetBias_.load(); }
    float maxExposureTargetBias() const { return maxExposureTargetBias_.load(); }
    float currentExposureTargetBias() const { return currentExposureTargetBias_.load(); }

    // 1 back, 2 front (kCaptureDevicePosition...).
    int64_t position() const { return position_.load(); }
    // kCaptureMode... values.
    int64_t focusMode() const { return focusMode_.load(); }
    int64_t exposureMode() const { return exposureMode_.load(); }
    int64_t whiteBalanceMode() const { return whiteBalanceMode_.load(); }

    // "CaptureLocalCamera", "CaptureChromaKeyCamera", "CaptureLocalUHDTVCamera"
    // or the host of a remote camera's URL.
    std::string captureSourceID() const;
    // The last set-up failure; none while the source works.
    std::optional<foundation::Error> error() const;
    // Why the latest change of a camera control (mode, bias, focus point)
    // did not take; none when it took (main thread).
    const std::optional<foundation::Error>& controlError() const { return controlError_; }
    // The picture size of the source's camera; zero for sources that do not say.
    virtual graphics::Size captureResolution() const { return {}; }
    // The name of the camera the source films with now ("HD Webcam C525"),
    // which the screen shows after a switch; empty for sources without one.
    virtual std::string currentCameraName() const { return {}; }

    // ---- relations (not owned) ------------------------------------------------------
    CaptureControllerDelegate* delegate() const { return delegate_.load(); }
    void setDelegate(CaptureControllerDelegate* delegate) { delegate_.store(delegate); }
    // The view the screen treats as the live picture (tap-to-focus target,
    // onion-skin transparency); null for sources without one.
    ui::ViewPtr captureSourceViewCamera() const { return captureSourceViewCamera_.lock(); }
    void setCaptureSourceViewCamera(const ui::ViewPtr& view) { captureSourceViewCamera_ = view; }
    // The screen that hosts the source; sources present their own pickers
    // and popovers from it.
    std::shared_ptr<ui::ViewController> mainViewController() const { return mainViewController_.lock(); }
    void setMainViewController(const std::shared_ptr<ui::ViewController>& controller) {
        mainViewController_ = controller;
    }
    ProjectModelPtr project() const { return project_.lock(); }
    void setProject(const ProjectModelPtr& project) { project_ = project; }

    // Derived from the get... operations below.
    std::string captureSourceName() const { return getCaptureSourceName(); }
    graphics::Image captureSourceMenuIcon() const { return getCaptureSourceMenuIcon(); }
    bool isZoomSupported() const { return getIsZoomSupported(); }

    // ---- operations (main thread) ------------------------------------------------------
    // The base versions do nothing unless said otherwise.
    virtual void setFocusMode(int64_t mode);
    virtual void setExposureMode(int64_t mode);
    virtual void setWhiteBalanceMode(int64_t mode);
    virtual void changeExposureTargetBiasTo(float bias);
    // A point in the source's view; the base answers true.
    virtual bool focusAtPoint(graphics::Point point);
    // The source's own settings popover next to the button that asked.
    virtual void showConfiguration(ui::View* sender);
    // The base sets the capability flags and readiness (no additional
    // controls) and tells the delegate of position 1.
    virtual void initCaptureDevice();
    virtual void stopCameraCapture();
    // The base tells the delegate of position 1.
    virtual void switchCaptureDevice();
    // Whether a switch now only makes the other camera the one the next
    // initCaptureDevice takes, since no camera films (its start failed, or
    // it was lost): the screen then sets the source up again. The base
    // answers false.
    virtual bool switchOnlyChoosesCamera() const { return false; }
    // The base hands the debug picture "DEBUG_1.jpg" ("DEBUG_1080p.jpg" when
    // the first is missing, a null image when both are) to the delegate at
    // once, on the calling thread.
    virtual void captureImage();
    virtual void pauseCameraCapture();
    virtual void resumeCameraCapture();

    virtual std::string getCaptureSourceName() const;  // "DEBUG-Capturesource"
    virtual graphics::Image getCaptureSourceMenuIcon() const;
    virtual bool getIsZoomSupported() const;  // false

    // The session preset for the largest picture the device gives that the
    // machine can also export: 1920x1080 when both allow it, else 1280x720
    // when the device supports it, else 640x480.
    static std::string getPresetWithMaximumResoulutionFromCaptureDevice(const capture::CaptureDevice& device);

protected:
    void setCaptureSourceID(std::string identifier);
    void setError(std::optional<foundation::Error> error);
    CaptureControllerDelegate* currentDelegate() const { return delegate_.load(); }

    std::atomic<bool> isMultipleCaptureDeviceAvaliable_{false};
    std::atomic<bool> isFocusModeSuported_{false};
    std::atomic<bool> isExposureModeSuported_{false};
    std::atomic<bool> isWhiteBalanceModeSuported_{false};
    std::atomic<bool> isReadyToCapture_{false};
    std::atomic<bool> isAdditionalControlsSuported_{false};
    std::atomic<bool> hasShutterSound_{false};
    std::atomic<float> minExposureTargetBias_{0};
    std::atomic<float> maxExposureTargetBias_{0};
    std::atomic<float> currentExposureTargetBias_{0};
    std::atomic<int64_t> position_{0};
    std::atomic<int64_t> focusMode_{0};
    std::atomic<int64_t> exposureMode_{0};
    std::atomic<int64_t> whiteBalanceMode_{0};
    std::optional<foundation::Error> controlError_;

private:
    std::atomic<CaptureControllerDelegate*> delegate_{nullptr};
    std::weak_ptr<ui::View> captureSourceViewCamera_;
    std::weak_ptr<ui::ViewController> mainViewController_;
    std::weak_ptr<ProjectModel> project_;
    mutable std::mutex mutex_;  // guards the identifier and the error
    std::string captureSourceID_;
    std::optional<foundation::Error> error_;
};

using CaptureControllerPtr = std::shared_ptr<CaptureController>;
