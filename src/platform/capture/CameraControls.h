#pragma once

// A camera's focus, exposure, white balance and exposure bias as its V4L2
// controls drive them, in CaptureDevice's terms: modes, locks and a bias in
// exposure steps.
//
// Continuous automatic is the device's automatic control (auto focus, auto
// or aperture-priority exposure, auto white balance). Locked means what a
// stop-motion camera needs: the value the automatic mode has reached (the
// absolute focus, exposure time or white-balance temperature) is read, the
// automatic control switched off and that value written back, so frames
// stay alike; locking the exposure also turns exposure priority off, so the
// frame rate holds. Unlocking returns to the automatic value and the
// priority the device had before the lock. A lock is offered only where the
// automatic switch and the absolute value both exist; a device with the
// absolute value alone is always locked.
//
// A lock may also be asked to hold a value kept from before (HeldValues: a
// lock the camera lost when a backend reset it, or the lock of the camera
// used before); the value is held where the control's range offers it, else
// the reached one. The absolute value is written only once the automatic is
// off (cameras refuse it while their automatic runs, the control inactive)
// and is read back: a camera that takes the write and keeps another value
// cannot lock that control, which is then no longer offered.
//
// The exposure bias is, in this order, the device's own bias
// (V4L2_CID_AUTO_EXPOSURE_BIAS, thousandths of a step), its brightness
// (−2…2 steps spread over the range on each side of the default), or the
// exposure time (2^bias times the time the lock kept, −2…2; a bias moved
// while the exposure is automatic locks it first).
//
// Modes and bias are read back from the device after every change. A
// control the device refuses (EINVAL, EACCES, EPERM, ERANGE, and EIO, with
// which uvcvideo answers for a control the camera's firmware stalls on) is
// not offered from then on, and the others go on; a busy device (EBUSY)
// keeps the control and its old value; only once the node has gone
// (ENODEV, ENXIO, ENOENT) is nothing offered.
// A lock that fails half way is undone: the automatic control is switched
// back on rather than left off with the kept value unwritten.

#include "platform/capture/CaptureTypes.h"
#include "platform/capture/ControlNode.h"

#include <map>
#include <memory>
#include <optional>
#include <set>

namespace capture {

class CameraControls {
public:
    // Asks the device once which controls it has.
    explicit CameraControls(std::shared_ptr<ControlNode> node);

    // Writes the modes and the bias range the device offers now into
    // `capabilities` (no focus point: V4L2 has no control for one).
    void describe(DeviceCapabilities& capabilities) const;
    // Reads the modes and the bias the device runs now into `settings`; a
    // value the device does not answer keeps what `settings` held.
    void read(DeviceSettings& settings);
    // Makes the changes from `before` to `wanted` (modes, held values and
    // bias) and reads the device back into `now`. The failure of the first
    // change the device did not take, in the capture domain with the
    // device's error beneath.
    foundation::Status apply(const DeviceSettings& before, const DeviceSettings& wanted, DeviceSettings& now);
    // The device went away.
    bool isGone() const { return gone_; }

    // One of focus, exposure and white balance.
    struct Switch {
        const char* what;    // for messages: "focus", "exposure", "white balance"
        uint32_t automatic;  // the automatic control (a boolean, or the exposure's menu)
        uint32_t absolute;   // the value the automatic control chooses
        CaptureMode DeviceSettings::*mode;
        std::optional<int32_t> HeldValues::*held;
    };

private:
    enum class Bias { None, DeviceBias, Brightness, ExposureTime };

    bool offered(uint32_t id) const;   // the device has it and answers reads
    bool settable(uint32_t id) const;  // ... and takes writes
    std::optional<int32_t> automaticOn(const Switch& control) const;
    std::optional<int32_t> automaticOff(const Switch& control) const;
    unsigned modes(const Switch& control) const;
    std::optional<CaptureMode> mode(const Switch& control);
    // `held` when the control offers it, else none.
    std::optional<int32_t> holdable(const Switch& control, std::optional<int32_t> held) const;
    foundation::Status lock(const Switch& control, std::optional<int32_t> held);
    // Writes the absolute value of a control whose automatic is off and
    // reads it back; a camera that keeps another value cannot lock.
    foundation::Status keep(const Switch& control, int32_t value);
    foundation::Status unlock(const Switch& control);
    Bias bias() const;
    std::optional<float> readBias();
    foundation::Status writeBias(float bias);

    foundation::Result<int32_t> get(uint32_t id, const char* what);
    foundation::Status set(uint32_t id, int32_t value, const char* what);
    foundation::Error failure(const foundation::Error& cause, uint32_t id, const char* what);

    std::shared_ptr<ControlNode> node_;
    std::map<uint32_t, ControlInfo> controls_;
    std::set<uint32_t> refused_;
    bool gone_ = false;
    // What a lock changed, for the unlock to restore.
    std::map<uint32_t, int32_t> automaticBeforeLock_;
    std::optional<int32_t> priorityBeforeLock_;
    // The exposure time the bias of an exposure-time device counts from.
    std::optional<int32_t> baseExposure_;
};

}  // namespace capture
