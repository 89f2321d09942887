#pragma once

// A camera's V4L2 node made of a table: controls with their ranges, menus
// and values, refusals, and a device that goes away. It behaves as a UVC
// webcam does where that matters: while an automatic control is on, its
// absolute control reads the value the automatic mode has reached, not the
// value last written by hand, and switching the automatic control off
// returns to the hand-set value.
//
// The table of test devices: a webcam with every control a stop-motion
// camera uses, one with automatic exposure only, one with no controls, and
// one that refuses every write.

#include "platform/capture/ControlNode.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class FakeV4l2Device : public capture::ControlNode {
public:
    struct Control {
        capture::ControlInfo info;
        int32_t value = 0;  // the hand-set value (the menu index of a menu)
        // Writes fail with this errno (0: they take).
        int refuseWrites = 0;
        // For an absolute control: the automatic control whose "on" makes
        // reads give `reached`.
        std::optional<uint32_t> automaticControl;
        int32_t reached = 0;
    };

    std::optional<capture::ControlInfo> queryControl(uint32_t id) override;
    foundation::Result<int32_t> getControl(uint32_t id) override;
    foundation::Status setControl(uint32_t id, int32_t value) override;

    // Adds or replaces a control with its hand-set value.
    Control& add(capture::ControlInfo info, int32_t value);
    // ... an absolute control that reads `reached` while `automatic` is on.
    Control& add(capture::ControlInfo info, int32_t byHand, uint32_t automatic, int32_t reached);
    Control& control(uint32_t id) { return controls.at(id); }
    // What a read of the control gives now (the reached value while its
    // automatic control is on).
    int32_t current(uint32_t id) const;
    // Every write the device took, in order.
    std::vector<std::pair<uint32_t, int32_t>> writes;
    // Every call after this many fails with ENODEV (negative: never).
    int vanishAfterCalls = -1;
    int calls = 0;

    std::map<uint32_t, Control> controls;

    // The table.
    static std::shared_ptr<FakeV4l2Device> webcam();
    static std::shared_ptr<FakeV4l2Device> autoExposureOnly();
    static std::shared_ptr<FakeV4l2Device> noControls();
    static std::shared_ptr<FakeV4l2Device> refusingWrites();
    // The webcam with the device's own exposure bias instead of brightness.
    static std::shared_ptr<FakeV4l2Device> webcamWithExposureBias();

    // Values of the webcam.
    static constexpr int32_t kExposureByHand = 156, kExposureReached = 312;
    static constexpr int32_t kFocusByHand = 0, kFocusReached = 85;
    static constexpr int32_t kTemperatureByHand = 4000, kTemperatureReached = 5200;

private:
    bool isOn(uint32_t automatic) const;
    bool vanished();
};

// A short name of a V4L2 control for messages ("exposure_auto").
std::string controlName(uint32_t id);

}  // namespace testsupport
