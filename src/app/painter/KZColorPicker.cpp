#include "app/painter/KZColorPicker.h"

#include "platform/ui/compositing/Animation.h"
#include "platform/ui/host/Device.h"

namespace {

constexpr graphics::Point kWheelOrigin{5, 5};
const graphics::Rect kBrightnessFrame(180, 5, 38, 180);
constexpr double kPhoneBackground = 0.225;

}  // namespace

KZColorPicker::KZColorPicker(const graphics::Rect& frame) : ui::Control(frame) { setup(); }

void KZColorPicker::setup() {
    if (ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad)
        setBackgroundColor(graphics::Color::clear());
    else
        setBackgroundColor(graphics::Color::rgb(kPhoneBackground, kPhoneBackground, kPhoneBackground, 1.0));
    colorWheel_ = ui::makeView<KZColorPickerHSWheel>(kWheelOrigin);
    colorWheel_->addTarget(this, life_.guard([this](ui::Control& sender) {
        colorWheelColorChanged(static_cast<KZColorPickerHSWheel&>(sender));
    }),
                           ui::ControlEventValueChanged);
    addSubview(colorWheel_);
    brightnessSlider_ = ui::makeView<KZColorPickerBrightnessSlider>(kBrightnessFrame);
    brightnessSlider_->addTarget(this, life_.guard([this](ui::Control& sender) {
        brightnessChanged(static_cast<KZColorPickerBrightnessSlider&>(sender));
    }),
                                 ui::ControlEventValueChanged);
    addSubview(brightnessSlider_);
    setSelectedColor(graphics::Color::white());
    fixLocations();
}

void KZColorPicker::setSelectedColor(const graphics::Color& color) {
    selectedColor_ = color;
    const colorpicker::HSV hsv = colorpicker::rgbToHsv(colorpicker::colorComponents(color));
    colorWheel_->setCurrentHSV(hsv);
    brightnessSlider_->setValue(hsv.v);
    if (alphaSlider_) alphaSlider_->setValue(color.alpha());
    brightnessSlider_->setKeyColor(graphics::Color::hsb(hsv.h, hsv.s, 1.0, 1.0));
    if (alphaSlider_) alphaSlider_->setKeyColor(graphics::Color::hsb(hsv.h, hsv.s, hsv.v, 1.0));
    if (currentColorView_) currentColorView_->setCurrentColor(color);
    sendActionsForControlEvents(ui::ControlEventValueChanged);
}

void KZColorPicker::setSelectedColor(const graphics::Color& color, bool animated) {
    if (!animated) return setSelectedColor(color);
    ui::animate(0.3, [this, color] { setSelectedColor(color); });
}

void KZColorPicker::setOldColor(const graphics::Color& color) {
    oldColor_ = color;
    if (currentColorView_) currentColorView_->setOldColor(color);
}

graphics::Color KZColorPicker::wheelColor(double brightness, double alpha) const {
    return graphics::Color::hsb(colorWheel_->hue(), colorWheel_->saturation(), brightness, alpha);
}

void KZColorPicker::colorWheelColorChanged(KZColorPickerHSWheel&) {
    setSelectedColor(wheelColor(brightnessSlider_->value(), 1.0));
}

void KZColorPicker::brightnessChanged(KZColorPickerBrightnessSlider& slider) {
    setSelectedColor(wheelColor(slider.value(), 1.0));
}

void KZColorPicker::alphaChanged(KZColorPickerAlphaSlider& slider) {
    setSelectedColor(wheelColor(brightnessSlider_->value(), slider.value()));
}

void KZColorPicker::swatchAction(KZColorPickerSwatchView& swatch) { setSelectedColor(swatch.color(), true); }

void KZColorPicker::oldColorTapped(KZColorCompareView& view) { setSelectedColor(view.oldColor(), true); }

void KZColorPicker::setAlphaSlider(std::shared_ptr<KZColorPickerAlphaSlider> slider) {
    if (alphaSlider_) alphaSlider_->removeFromSuperview();
    alphaSlider_ = std::move(slider);
    if (!alphaSlider_) return;
    alphaSlider_->addTarget(this, life_.guard([this](ui::Control& sender) {
        alphaChanged(static_cast<KZColorPickerAlphaSlider&>(sender));
    }),
                            ui::ControlEventValueChanged);
    addSubview(alphaSlider_);
}

void KZColorPicker::setSwatches(std::vector<std::shared_ptr<KZColorPickerSwatchView>> swatches) {
    for (const auto& swatch : swatches_) swatch->removeFromSuperview();
    swatches_ = std::move(swatches);
    displaySwatches_ = !swatches_.empty();
    for (const auto& swatch : swatches_) {
        swatch->addTarget(this, life_.guard([this](ui::Control& sender) {
            swatchAction(static_cast<KZColorPickerSwatchView&>(sender));
        }),
                          ui::ControlEventTouchUpInside);
        addSubview(swatch);
    }
}

void KZColorPicker::setCurrentColorView(std::shared_ptr<KZColorCompareView> view) {
    if (currentColorView_) currentColorView_->removeFromSuperview();
    currentColorView_ = std::move(view);
    if (!currentColorView_) return;
    currentColorView_->setOldColor(oldColor_);
    currentColorView_->setCurrentColor(selectedColor_);
    currentColorView_->addTarget(
        this, life_.guard([this](ui::Control& sender) { oldColorTapped(static_cast<KZColorCompareView&>(sender)); }),
        ui::ControlEventTouchUpInside);
    addSubview(currentColorView_);
}

void KZColorPicker::layoutSubviews() {
    ui::animate(0.3, [this] { fixLocations(); });
}
