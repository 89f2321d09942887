#include "app/capture/chromakey/ChromaKeySensitivityConfigurationViewController.h"

#include "platform/foundation/Localized.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"

ChromaKeySensitivityConfigurationViewController::ChromaKeySensitivityConfigurationViewController()
    : ui::ViewController(kNibName) {
    preferredContentSize = kSize;
}

graphics::Color ChromaKeySensitivityConfigurationViewController::trackTint() {
    return graphics::Color::rgb8(212, 3, 215);
}

void ChromaKeySensitivityConfigurationViewController::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect{{0, 0}, kSize});
    root->setBackgroundColor(std::nullopt);
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    setView(root);

    infoLabel_ = ui::makeView<ui::Label>(graphics::Rect{15, 4, kSize.width - 30, 20});
    infoLabel_->setFont(graphics::Font("HelveticaNeue-Light", 15.0));
    infoLabel_->setTextColor(graphics::Color::black());
    infoLabel_->setBackgroundColor(std::nullopt);
    root->addSubview(infoLabel_);

    auto button = [this, &root](const char* title, double x,
                                void (ChromaKeySensitivityConfigurationViewController::*action)()) {
        auto made = std::make_shared<ui::Button>(ui::ButtonType::System, graphics::Rect{x, 26, 40, 40});
        made->setTitle(std::string(title), ui::ControlStateNormal);
        made->titleLabel()->setFont(graphics::Font::boldSystemFont(24));
        made->addTarget(
            this, [this, action](ui::Control&) { (this->*action)(); }, ui::ControlEventTouchUpInside);
        root->addSubview(made);
        return made;
    };
    buttonMinus_ = button("-", 8, &ChromaKeySensitivityConfigurationViewController::actionMinus);
    buttonPlus_ = button("+", kSize.width - 48, &ChromaKeySensitivityConfigurationViewController::actionPlus);

    sliderTimer_ = ui::makeView<ui::Slider>(graphics::Rect{56, 32, kSize.width - 112, 28});
    sliderTimer_->setMinimumValue(kMinimum);
    sliderTimer_->setMaximumValue(kMaximum);
    sliderTimer_->addTarget(
        this, [this](ui::Control&) { actionSliderValueChanged(); }, ui::ControlEventValueChanged);
    root->addSubview(sliderTimer_);
}

void ChromaKeySensitivityConfigurationViewController::viewDidLoad() {
    infoLabel_->setText(foundation::localized("Sensitivity"));
    sliderTimer_->setMinimumTrackTintColor(trackTint());
    sliderTimer_->setValue(static_cast<double>(currentChromaKeyTreshold_));
}

void ChromaKeySensitivityConfigurationViewController::setCurrentChromaKeyTreshold(float value) {
    currentChromaKeyTreshold_ = value;
    if (sliderTimer_) sliderTimer_->setValue(static_cast<double>(value));
}

void ChromaKeySensitivityConfigurationViewController::actionSliderValueChanged() {
    view();
    currentChromaKeyTreshold_ = static_cast<float>(sliderTimer_->value());
    if (delegate_) delegate_->didChangedFilterValue(*this, currentChromaKeyTreshold_);
}

void ChromaKeySensitivityConfigurationViewController::step(double by) {
    view();
    // Summed in double precision and kept as the float the filter takes; the
    // slider holds it within its range.
    const float stepped = static_cast<float>(sliderTimer_->value() + by);
    sliderTimer_->setValue(static_cast<double>(stepped));
    actionSliderValueChanged();
}

void ChromaKeySensitivityConfigurationViewController::actionPlus() { step(kStep); }

void ChromaKeySensitivityConfigurationViewController::actionMinus() { step(-kStep); }
