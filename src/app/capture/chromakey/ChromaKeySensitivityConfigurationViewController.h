#pragma once

// The sensitivity control of the green-screen settings: a "Sensitivity"
// label over a slider from kMinimum to kMaximum between minus and plus
// buttons. Every change (slider, plus, minus) reports the slider's value to
// the delegate, also when a button at an end of the range leaves the value
// where it was. The root settings screen shows this view inside its last row.
//
// Main thread only.

#include "app/capture/chromakey/ChromaKeyConfigurationDelegate.h"
#include "platform/ui/controllers/ViewController.h"

#include <memory>

namespace ui {
class Button;
class Label;
class Slider;
}  // namespace ui

class ChromaKeySensitivityConfigurationViewController : public ui::ViewController {
public:
    static constexpr const char* kNibName = "ChromaKeySensitivityConfigurationViewController";
    static constexpr double kMinimum = 0.0;
    static constexpr double kMaximum = 1.0;
    static constexpr double kStep = 0.1;
    static constexpr graphics::Size kSize{360, 100};

    ChromaKeySensitivityConfigurationViewController();

    ChromaKeyConfigurationDelegate* delegate() const { return delegate_; }
    void setDelegate(ChromaKeyConfigurationDelegate* delegate) { delegate_ = delegate; }
    float currentChromaKeyTreshold() const { return currentChromaKeyTreshold_; }
    // Stores the value and moves the slider to it (within the slider's range).
    void setCurrentChromaKeyTreshold(float value);

    void loadView() override;
    void viewDidLoad() override;

    void actionSliderValueChanged();
    void actionPlus();
    void actionMinus();

    ui::Slider* sliderTimer() const { return sliderTimer_.get(); }
    ui::Label* infoLabel() const { return infoLabel_.get(); }
    ui::Button* buttonPlus() const { return buttonPlus_.get(); }
    ui::Button* buttonMinus() const { return buttonMinus_.get(); }

    // The slider's minimum-track tint: red 212, green 3, blue 215.
    static graphics::Color trackTint();

private:
    void step(double by);

    std::shared_ptr<ui::Slider> sliderTimer_;
    std::shared_ptr<ui::Label> infoLabel_;
    std::shared_ptr<ui::Button> buttonMinus_;
    std::shared_ptr<ui::Button> buttonPlus_;
    float currentChromaKeyTreshold_ = 0;
    ChromaKeyConfigurationDelegate* delegate_ = nullptr;
};
