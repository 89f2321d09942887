#include "app/capture/CaptureDeviceModes.h"

namespace capturemodes {

int64_t applyMode(capture::CaptureDevice& device, const ModeControl& control, int64_t mode) {
    const auto wanted = static_cast<capture::CaptureMode>(mode);
    if ((device.*control.supports)(wanted) && (device.*control.current)() != wanted && device.lockForConfiguration()) {
        (device.*control.set)(wanted);
        device.unlockForConfiguration();
    }
    return static_cast<int64_t>((device.*control.current)());
}

bool offersLockedAndContinuous(const capture::CaptureDevice& device, const ModeControl& control) {
    return (device.*control.supports)(capture::CaptureMode::Locked) &&
           (device.*control.supports)(capture::CaptureMode::ContinuousAutomatic);
}

void readMode(const capture::CaptureDevice& device, const ModeControl& control, std::atomic<bool>& supported,
              std::atomic<int64_t>& mode) {
    supported = offersLockedAndContinuous(device, control);
    mode = static_cast<int64_t>((device.*control.current)());
}

}  // namespace capturemodes
