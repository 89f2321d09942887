#pragma once

// The time-lapse interval picker: a slider in steps of 5 seconds, minus and
// plus buttons and a label ("Off" or "15 seconds"). Every change, and the
// first showing, hands the whole seconds to the change handler.
//
// Main thread only.

#include "platform/ui/controllers/ViewController.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace ui {
class Button;
class Label;
class Slider;
}  // namespace ui

class TimerConfigurationViewController : public ui::ViewController {
public:
    static constexpr const char* kNibName = "TimerConfigurationViewController";
    static constexpr double kMaximumSeconds = 120.0;
    static constexpr double kStepSeconds = 5.0;

    TimerConfigurationViewController();

    // Seconds shown when the picker appears.
    int64_t value = 0;
    std::function<void(int64_t seconds)> handlerValueChange;

    void loadView() override;
    void viewDidLoad() override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskPortrait; }

    void updateLabels();
    void actionSliderValueChanged();
    void actionPlus();
    void actionMinus();

    ui::Label* labelValue() const { return labelValue_.get(); }
    ui::Slider* sliderTimer() const { return sliderTimer_.get(); }

private:
    std::shared_ptr<ui::Label> labelValue_;
    std::shared_ptr<ui::Slider> sliderTimer_;
    std::shared_ptr<ui::Button> buttonMinus_;
    std::shared_ptr<ui::Button> buttonPlus_;
};
