#pragma once

// The colour picker control: a hue and saturation wheel beside a vertical
// brightness slider. Every change of the selected colour, by the parts or
// by its owner, is sent as value-changed, so an owner can follow a drag
// live. A change by the wheel or the brightness slider always gives an
// opaque colour.
//
// It can carry an alpha slider, swatches and a comparison view (set by its
// owner); as built here it makes only the wheel and the brightness slider.

#include "app/painter/KZColorPickerHSWheel.h"
#include "app/painter/KZColorPickerSwatches.h"
#include "app/painter/KZUnitSlider.h"
#include "platform/foundation/Lifetime.h"
#include "platform/ui/controls/Control.h"

#include <memory>
#include <vector>

class KZColorPicker : public ui::Control {
public:
    explicit KZColorPicker(const graphics::Rect& frame);

    const graphics::Color& selectedColor() const { return selectedColor_; }
    void setSelectedColor(const graphics::Color& color);
    // With `animated` the change runs inside one view animation.
    void setSelectedColor(const graphics::Color& color, bool animated);
    const graphics::Color& oldColor() const { return oldColor_; }
    // Also shown by the comparison view when there is one.
    void setOldColor(const graphics::Color& color);

    // The parts' actions.
    void colorWheelColorChanged(KZColorPickerHSWheel& wheel);
    void brightnessChanged(KZColorPickerBrightnessSlider& slider);
    void alphaChanged(KZColorPickerAlphaSlider& slider);
    void swatchAction(KZColorPickerSwatchView& swatch);
    void oldColorTapped(KZColorCompareView& view);

    KZColorPickerHSWheel* colorWheel() const { return colorWheel_.get(); }
    KZColorPickerBrightnessSlider* brightnessSlider() const { return brightnessSlider_.get(); }
    KZColorPickerAlphaSlider* alphaSlider() const { return alphaSlider_.get(); }
    // Wires an alpha slider (added as a subview) to the picker.
    void setAlphaSlider(std::shared_ptr<KZColorPickerAlphaSlider> slider);
    const std::vector<std::shared_ptr<KZColorPickerSwatchView>>& swatches() const { return swatches_; }
    void setSwatches(std::vector<std::shared_ptr<KZColorPickerSwatchView>> swatches);
    KZColorCompareView* currentColorView() const { return currentColorView_.get(); }
    void setCurrentColorView(std::shared_ptr<KZColorCompareView> view);
    bool displaySwatches() const { return displaySwatches_; }

    // Positions are fixed at creation; nothing moves here.
    void layoutSubviews() override;
    void fixLocations() {}

private:
    void setup();
    // Hue and saturation of the wheel with a brightness and an alpha.
    graphics::Color wheelColor(double brightness, double alpha) const;

    std::shared_ptr<KZColorPickerHSWheel> colorWheel_;
    std::shared_ptr<KZColorPickerBrightnessSlider> brightnessSlider_;
    std::shared_ptr<KZColorPickerAlphaSlider> alphaSlider_;
    std::shared_ptr<KZColorPickerSwatchView> currentColorIndicator_;
    std::vector<std::shared_ptr<KZColorPickerSwatchView>> swatches_;
    graphics::Color selectedColor_ = graphics::Color::white();
    bool displaySwatches_ = false;
    graphics::Color oldColor_ = graphics::Color::white();
    std::shared_ptr<KZColorCompareView> currentColorView_;
    foundation::LifeToken life_;
};
