#pragma once

// The focus, exposure and white-balance controls of a camera as the camera
// sources use them: one table per control, so each rule is written once.

#include "platform/capture/CaptureDevice.h"

#include <atomic>
#include <cstdint>

namespace capturemodes {

// One of the camera's three mode controls.
struct ModeControl {
    bool (capture::CaptureDevice::*supports)(capture::CaptureMode) const;
    capture::CaptureMode (capture::CaptureDevice::*current)() const;
    bool (capture::CaptureDevice::*set)(capture::CaptureMode);
};
inline constexpr ModeControl kFocus{&capture::CaptureDevice::isFocusModeSupported, &capture::CaptureDevice::focusMode,
                                    &capture::CaptureDevice::setFocusMode};
inline constexpr ModeControl kExposure{&capture::CaptureDevice::isExposureModeSupported,
                                       &capture::CaptureDevice::exposureMode, &capture::CaptureDevice::setExposureMode};
inline constexpr ModeControl kWhiteBalance{&capture::CaptureDevice::isWhiteBalanceModeSupported,
                                           &capture::CaptureDevice::whiteBalanceMode,
                                           &capture::CaptureDevice::setWhiteBalanceMode};

// Applies a mode the camera offers and does not have yet; a refused lock
// changes nothing. Returns the camera's mode afterwards.
int64_t applyMode(capture::CaptureDevice& device, const ModeControl& control, int64_t mode);

// The screen's control applies when the camera can both lock and follow continuously.
bool offersLockedAndContinuous(const capture::CaptureDevice& device, const ModeControl& control);

// Whether the screen's control applies, and the camera's mode now, into a
// source's fields.
void readMode(const capture::CaptureDevice& device, const ModeControl& control, std::atomic<bool>& supported,
              std::atomic<int64_t>& mode);

}  // namespace capturemodes
