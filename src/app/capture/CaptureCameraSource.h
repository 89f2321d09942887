#pragma once

// The part every source that drives one of the machine's cameras shares: the
// focus, exposure and white-balance controls, the exposure bias, and the
// pieces of tap-to-focus that do not depend on how the picture is shown.
// A source says which camera it drives now through currentDevice(); every
// control does nothing while there is none.

#include "app/capture/CaptureController.h"
#include "platform/capture/CaptureDevice.h"

#include <cstdint>
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

    // The camera's position in kCaptureDevicePosition... values.
    static int64_t positionValue(const capture::CaptureDevice& device) {
        return static_cast<int64_t>(device.position());
    }

protected:
    // The camera in use; null while there is none.
    virtual capture::CaptureDevicePtr currentDevice() const = 0;
    // Whether the camera takes a point of interest and focuses once on it.
    static bool canFocusAtPoint(const capture::CaptureDevice& device);
    // Focuses once at a point of interest (0...1 of the sensor); false when
    // the camera refuses the lock.
    static bool focusDevice(capture::CaptureDevice& device, graphics::Point interest);
    // The size of the picture the session streams, or of its preset before a
    // frame has come; null for a preset of no known size.
    static std::optional<graphics::Size> sessionAperture(const capture::CaptureSession& session);
};
