#pragma once

// The hue and saturation wheel of the colour picker: hue by angle,
// saturation by distance from the centre, on the picture
// "pickerColorWheel.png" with the knob "colorPickerKnob.png" on top. It
// always holds brightness 1.0; the brightness lives in the picker's slider.

#include "app/painter/ColorPickerGeometry.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/controls/ImageView.h"

#include <memory>

class KZColorPickerHSWheel : public ui::Control {
public:
    // A wheel of kWheelSide points square with its top left at `origin`.
    explicit KZColorPickerHSWheel(graphics::Point origin);

    const colorpicker::HSV& currentHSV() const { return currentHSV_; }
    // Keeps hue and saturation; the brightness is always 1.0.
    void setCurrentHSV(colorpicker::HSV hsv);
    float hue() const { return currentHSV_.h; }
    float saturation() const { return currentHSV_.s; }
    float brightness() const { return currentHSV_.v; }

    // Takes hue and saturation from a point of the wheel picture and sends
    // value-changed.
    void mapPointToColor(graphics::Point point);

    ui::ImageView* wheelImageView() const { return wheelImageView_.get(); }
    ui::ImageView* wheelKnobView() const { return wheelKnobView_.get(); }

    bool beginTrackingWithTouch(const ui::Touch& touch, const ui::Event& event) override;
    bool continueTrackingWithTouch(const ui::Touch& touch, const ui::Event& event) override;
    void endTrackingWithTouch(const ui::Touch& touch, const ui::Event& event) override;

private:
    void mapTouch(const ui::Touch& touch);

    std::shared_ptr<ui::ImageView> wheelImageView_;
    std::shared_ptr<ui::ImageView> wheelKnobView_;
    colorpicker::HSV currentHSV_;
};
