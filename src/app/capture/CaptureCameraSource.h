#pragma once

// The part every source that drives one of the machine's cameras shares: the
// focus, exposure and white-balance controls, the exposure bias, and the
// pieces of tap-to-focus that do not depend on how the picture is shown.
// A source says which camera it drives now through currentDevice(); every
// control does nothing while there is none.
//
// After every change the source reads the camera back: its modes, the bias
// and which controls it still offers (a camera refuses some only when asked).
// Why a change did not take is kept in controlError(). A mode is set by
// asking the camera, never skipped because the mode last seen is the one
// asked: a backend or another program may have changed it since.
//
// The source keeps the values its locks held (HeldValues), so that a lock
// asked again (the screen's locks on a camera switched to, or on one plugged
// back in) holds them where the camera offers them; giving a lock up on
// purpose forgets its value.
//
// A camera fails as real ones do, and the source hears of it from its camera
// (observeCamera): one unplugged is lost with noCaptureDeviceError; one that
// the backend fails after its start has returned (another program streams
// from it, told on a later turn) brings back the camera filmed with before
// a switch, where there is one (returnToPreviousCamera), and the delegate
// hears of that as a switch with error set; else it is lost with that
// failure. A lost camera leaves the source not ready, the error set and no
// control offered; the capture screen tells the user and, for a missing
// camera, starts the source again once one is plugged in.
//
// The switch (CaptureCameraOrder.h says which camera is the other one) is
// the same for every camera source: the camera in use films on until the
// other one has opened and started; where it cannot, the camera in use
// films on with its choice kept and the error set (lost, when it failed
// too), and the delegate hears nothing. While no camera films (its start
// failed, or it was lost) the switch only makes the other camera the
// choice, and the screen sets the source up again (switchOnlyChoosesCamera).

#include "app/capture/CaptureController.h"
#include "platform/capture/CaptureDevice.h"
#include "platform/foundation/NotificationCenter.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace capture {
class CaptureSession;
}

class CaptureCameraSource : public CaptureController {
public:
    void setFocusMode(int64_t mode) override;
    void setExposureMode(int64_t mode) override;
    void setWhiteBalanceMode(int64_t mode) override;
    void changeExposureTargetBiasTo(float bias) override;

    // Whether the screen's control applies (the camera can both lock and
    // follow continuously), and the camera's mode now.
    void checkDeviceFocusModeSupport();
    void checkDeviceExposureModeSupport();
    void checkDeviceWhiteBalanceModeSupport();
    // The three of them and the bias range and value, from the camera.
    void readCameraControls(const capture::CaptureDevice& device);

    std::string currentCameraName() const override;

    // The camera's position in kCaptureDevicePosition... values.
    static int64_t positionValue(const capture::CaptureDevice& device) {
        return static_cast<int64_t>(device.position());
    }

    // Domain "CaptureLocalCamera", 63, "No capture device found.": what the
    // camera sources report without a camera, or when theirs went away.
    static foundation::Error noCaptureDeviceError();

    void switchCaptureDevice() override;
    bool switchOnlyChoosesCamera() const override { return !isFilming(); }
    // The controls and what else the source reads of the camera in use.
    virtual void checkDeviceCapabilities() = 0;

protected:
    // The camera in use; null while there is none.
    virtual capture::CaptureDevicePtr currentDevice() const = 0;
    // Whether a camera films: set up, and not lost since.
    bool isFilming() const { return isReadyToCapture_.load() && currentDevice() != nullptr; }
    // Films with `camera` instead of the camera in use; why not when it
    // cannot be opened or fails its start, the camera in use filming on.
    virtual std::optional<foundation::Error> filmWith(const capture::CaptureDevicePtr& camera) = 0;
    // A stop: there is no camera to go back to any more.
    void forgetCameraBeforeSwitch() { cameraBeforeSwitch_.reset(); }
    // Whether the camera takes a point of interest and focuses once on it.
    static bool canFocusAtPoint(const capture::CaptureDevice& device);
    // Focuses once at a point of interest (0...1 of the sensor); false when
    // the camera refuses the lock or the change.
    bool focusDevice(capture::CaptureDevice& device, graphics::Point interest);
    // No camera any more: no control applies.
    void forgetCameraControls();
    // The size of the picture the session streams, or of its preset before a
    // frame has come; null for a preset of no known size.
    static std::optional<graphics::Size> sessionAperture(const capture::CaptureSession& session);

    // Hears of the camera in use going away or failing after its start;
    // called again for each camera the source changes to.
    void observeCamera();
    void stopObservingCamera();
    // The camera in use went away or failed (main thread): not ready, `why`,
    // no control. Sources stop filming on top.
    virtual void cameraWasLost(const foundation::Error& why);

private:
    // The camera switched to failed after its start: back to the camera that
    // filmed before the switch, `why` set; false when there is none (or it
    // has gone, or fails now) to go back to.
    bool returnToPreviousCamera(const foundation::Error& why);
    // The camera in use films on after a change that did not take: `why`
    // set, or lost when it failed on the way back.
    void filmOnAfter(const foundation::Error& why);
    // After a change of camera: the choice stored, the new camera watched and
    // its controls read.
    void cameraChanged();
    // The camera in use failed after its start (main thread).
    void cameraFailed();
    enum class Control { Focus, Exposure, WhiteBalance };
    // Sets a mode the camera offers.
    void setMode(Control control, int64_t mode);
    // Runs one change of the camera under its configuration lock, keeps its
    // failure in controlError and reads the camera back.
    bool changeCamera(capture::CaptureDevice& device, const std::function<void(capture::CaptureDevice&)>& change);

    capture::HeldValues held_;
    // The camera filmed with before the last switch, to go back to when the
    // new one fails after its start.
    capture::CaptureDevicePtr cameraBeforeSwitch_;
    foundation::ObserverToken disconnectionObserver_;
    foundation::ObserverToken failureObserver_;
};
