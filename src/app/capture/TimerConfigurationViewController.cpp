#include "app/capture/TimerConfigurationViewController.h"

#include "app/capture/CaptureScreenRules.h"
#include "app/widgets/views/KWButton.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"

#include <algorithm>
#include <cmath>

TimerConfigurationViewController::TimerConfigurationViewController() : ui::ViewController(kNibName) {
    preferredContentSize = {320, 70};
}

void TimerConfigurationViewController::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect{{0, 0}, preferredContentSize});
    root->setBackgroundColor(std::nullopt);
    setView(root);

    labelValue_ = ui::makeView<ui::Label>(graphics::Rect{10, 4, 300, 24});
    labelValue_->setTextAlignment(graphics::TextAlignment::Center);
    labelValue_->setFont(graphics::Font::boldSystemFont(16));
    labelValue_->setTextColor(graphics::Color::black());
    root->addSubview(labelValue_);

    auto button = [this](const char* title, double x, void (TimerConfigurationViewController::*action)()) {
        auto made = std::make_shared<ui::Button>(ui::ButtonType::System, graphics::Rect{x, 30, 36, 36});
        made->setTitle(std::string(title), ui::ControlStateNormal);
        made->titleLabel()->setFont(graphics::Font::boldSystemFont(24));
        made->addTarget(
            this, [this, action](ui::Control&) { (this->*action)(); }, ui::ControlEventTouchUpInside);
        view()->addSubview(made);
        return made;
    };
    buttonMinus_ = button("-", 6, &TimerConfigurationViewController::actionMinus);
    buttonPlus_ = button("+", 278, &TimerConfigurationViewController::actionPlus);

    sliderTimer_ = ui::makeView<ui::Slider>(graphics::Rect{48, 34, 224, 28});
    sliderTimer_->setMinimumValue(0.0);
    sliderTimer_->setMaximumValue(kMaximumSeconds);
    sliderTimer_->addTarget(
        this, [this](ui::Control&) { actionSliderValueChanged(); }, ui::ControlEventValueChanged);
    root->addSubview(sliderTimer_);
}

void TimerConfigurationViewController::viewDidLoad() {
    sliderTimer_->setMinimumTrackTintColor(KWButton::accentColor());
    sliderTimer_->setValue(static_cast<double>(value));
    updateLabels();
}

void TimerConfigurationViewController::updateLabels() {
    view();
    const double seconds = sliderTimer_->value();
    if (seconds == 0.0) {
        labelValue_->setText(foundation::localized("Off"));
    } else {
        labelValue_->setText(
            foundation::localizedFormat("%d seconds", {foundation::Value(static_cast<int64_t>(seconds))}));
    }
    if (handlerValueChange) handlerValueChange(static_cast<int64_t>(seconds));
}

void TimerConfigurationViewController::actionSliderValueChanged() {
    view();
    sliderTimer_->setValue(static_cast<double>(capturescreen::snapTimerSeconds(sliderTimer_->value())));
    updateLabels();
}

void TimerConfigurationViewController::actionPlus() {
    view();
    sliderTimer_->setValue(sliderTimer_->value() + kStepSeconds);
    updateLabels();
}

void TimerConfigurationViewController::actionMinus() {
    view();
    sliderTimer_->setValue(sliderTimer_->value() - kStepSeconds);
    updateLabels();
}
