#pragma once

// Shared vocabulary of the capture layer: camera positions and modes in the
// platform's values, what a camera offers and runs, session presets, errors
// and notifications. Plain types only, so that every part of the layer can
// speak of them without including another.

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/media/MediaTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace capture {

// Where a camera looks. Qt's backends give a V4L2 camera (a desk or laptop
// webcam) no position: such a camera is Unspecified where it is listed, and
// a CaptureDevice then counts it as Back for its pictures (it films what lies
// in front of the screen as a phone's back camera films what lies in front
// of the phone) while it tells that it has no position of its own.
enum class DevicePosition : int64_t { Unspecified = 0, Back = 1, Front = 2 };

// Focus, exposure and white-balance modes share these values.
enum class CaptureMode : int64_t { Locked = 0, Automatic = 1, ContinuousAutomatic = 2 };

inline constexpr const char* kSessionPresetPhoto = "SessionPresetPhoto";
inline constexpr const char* kSessionPreset640x480 = "SessionPreset640x480";
inline constexpr const char* kSessionPreset1280x720 = "SessionPreset1280x720";
inline constexpr const char* kSessionPreset1920x1080 = "SessionPreset1920x1080";
inline constexpr const char* kSessionPreset3840x2160 = "SessionPreset3840x2160";

// What a camera offers. Mode sets are bit masks of (1 << CaptureMode).
struct DeviceCapabilities {
    std::vector<std::string> sessionPresets{kSessionPreset640x480, kSessionPreset1280x720, kSessionPreset1920x1080,
                                            kSessionPresetPhoto};
    // The size of a still picture taken with the photo preset.
    graphics::Size photoSize{1920, 1080};
    unsigned focusModes = 0b111;
    unsigned exposureModes = 0b111;
    unsigned whiteBalanceModes = 0b111;
    bool focusPointOfInterest = true;
    bool exposureTargetBias = true;
    float minExposureTargetBias = -8;
    float maxExposureTargetBias = 8;
    bool hasFlash = false;
    // Rows of frames are padded to a multiple of this many bytes.
    int bytesPerRowAlignment = 4;
};

// The values a camera's locks hold, each in its control's own units (for a
// V4L2 camera: focus in the camera's steps, exposure time in 100 µs, white
// balance in kelvin). A value is read while its control is locked and kept
// through the automatic mode's coming back until the lock is given up on
// purpose; a lock asked with a value holds that value where the camera's
// control offers it, else the value its automatic mode has reached.
struct HeldValues {
    std::optional<int32_t> focus;
    std::optional<int32_t> exposure;
    std::optional<int32_t> whiteBalance;
    bool operator==(const HeldValues&) const = default;
};

// The settings a driver applies to the camera when a configuration ends.
struct DeviceSettings {
    CaptureMode focusMode = CaptureMode::ContinuousAutomatic;
    CaptureMode exposureMode = CaptureMode::ContinuousAutomatic;
    CaptureMode whiteBalanceMode = CaptureMode::ContinuousAutomatic;
    graphics::Point focusPointOfInterest{0.5, 0.5};
    float exposureTargetBias = 0;
    int64_t flashMode = 0;
    // The shortest and longest time between frames; invalid for the
    // camera's own choice.
    media::MediaTime activeVideoMinFrameDuration = media::MediaTime::invalid();
    media::MediaTime activeVideoMaxFrameDuration = media::MediaTime::invalid();
    HeldValues held;
};

// The frame size a video preset stands for; none for the photo preset and
// unknown names.
std::optional<graphics::Size> sizeOfSessionPreset(std::string_view preset);

// Pixel formats of video and still outputs, in the platform's four-letter
// names: 32-bit BGRA, and bi-planar 4:2:0 YCbCr in full ("420f") and video
// ("420v") range.
inline constexpr const char* kPixelFormatBGRA = "BGRA";
inline constexpr const char* kPixelFormat420f = "420f";
inline constexpr const char* kPixelFormat420v = "420v";

// The YCbCr matrices a buffer's producer may name.
inline constexpr const char* kYCbCrMatrixITU_R_601_4 = "ITU_R_601_4";
inline constexpr const char* kYCbCrMatrixITU_R_709_2 = "ITU_R_709_2";

inline constexpr const char* kCaptureErrorDomain = "CaptureErrorDomain";

enum CaptureErrorCode : int64_t {
    kCaptureErrorDeviceNotAvailable = 1,  // the camera cannot be opened
    kCaptureErrorDeviceDisconnected = 2,  // the camera went away while in use
    kCaptureErrorLockRefused = 3,         // another client holds the camera's settings
    kCaptureErrorNoInput = 4,             // a capture on a session without a camera
    kCaptureErrorCaptureFailed = 5,       // the camera did not deliver a picture
    kCaptureErrorControlRefused = 6,      // the camera does not take a setting of one of its controls
    kCaptureErrorControlFailed = 7,       // the camera could not change a control now (busy)
    kCaptureErrorDeviceInUse = 8,         // another program streams from the camera
    kCaptureErrorPermissionDenied = 9,    // the user may not open the camera's node
};

// kCaptureErrorDeviceDisconnected, "The camera is not connected."
foundation::Error cameraNotConnectedError();
// kCaptureErrorDeviceInUse, "The camera is in use by another program."
foundation::Error cameraInUseError();
// kCaptureErrorPermissionDenied: the node refused to open (EACCES), and how
// to get the permission (the "video" group).
foundation::Error cameraPermissionError();
// What a backend's own message of a failed camera means: Qt's backends say
// that a camera another program streams "is in use" (FFmpeg) or "busy"
// (GStreamer), which is cameraInUseError with the message beneath; any other
// message is kCaptureErrorDeviceNotAvailable with that message.
foundation::Error backendCameraError(std::string_view message);

// Posted on the main queue when a camera goes away; the object is the
// CaptureDevice.
inline constexpr const char* kDeviceWasDisconnectedNotification = "CaptureDeviceWasDisconnectedNotification";
// Posted on the main queue when the backend fails a camera after the step
// that failed it has returned (CaptureDevice::failure() tells why); the
// object is the CaptureDevice.
inline constexpr const char* kDeviceRuntimeErrorNotification = "CaptureDeviceRuntimeErrorNotification";

// Set to "synthetic" to use the synthetic cameras instead of the machine's.
inline constexpr const char* kCameraEnvironmentVariable = "TOLLIVAR_CAMERA";

}  // namespace capture
