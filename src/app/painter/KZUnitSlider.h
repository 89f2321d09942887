#pragma once

// Sliders of the colour picker whose value runs from 0.0 to 1.0: a knob
// over the slider's own background, 1.0 kSliderEndMargin points from the
// top (or the left) and 0.0 as far from the bottom (or the right). A touch
// anywhere on the slider moves the value there, and every drag step is
// reported as value-changed.
//
// The brightness slider shows a gradient from its key colour down to black,
// the alpha slider one from its key colour to transparent over a
// checkerboard.

#include "platform/graphics/Color.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/controls/ImageView.h"

#include <memory>

class SAMGradientView;

class KZUnitSlider : public ui::Control {
public:
    explicit KZUnitSlider(const graphics::Rect& frame);

    double value() const { return value_; }
    // Limited to 0.0 to 1.0; places the knob.
    void setValue(double value);
    bool horizontal() const { return horizontal_; }
    void setHorizontal(bool horizontal);
    // Sets the value at a point of the slider and sends value-changed.
    void mapPointToValue(graphics::Point point);

    ui::ImageView* sliderKnobView() const { return sliderKnobView_.get(); }

    void setFrame(const graphics::Rect& frame) override;
    void didAddSubview(ui::View* subview) override;
    bool beginTrackingWithTouch(const ui::Touch& touch, const ui::Event& event) override;
    bool continueTrackingWithTouch(const ui::Touch& touch, const ui::Event& event) override;
    void endTrackingWithTouch(const ui::Touch& touch, const ui::Event& event) override;

protected:
    // Places the slider's own layers for the current size.
    virtual void layoutGradient() {}
    // The gradient's rectangle: inset 6 points at the sides and 18 at the ends.
    graphics::Rect gradientFrame() const;

private:
    std::shared_ptr<ui::ImageView> sliderKnobView_;
    bool horizontal_ = false;
    double value_ = 0;
};

class KZColorPickerBrightnessSlider : public KZUnitSlider {
public:
    explicit KZColorPickerBrightnessSlider(const graphics::Rect& frame);
    // The colour at the top end; the bottom end is opaque black.
    void setKeyColor(const graphics::Color& color);
    SAMGradientView* gradientLayer() const { return gradientLayer_.get(); }

protected:
    void layoutGradient() override;

private:
    std::shared_ptr<SAMGradientView> gradientLayer_;
};

class KZColorPickerAlphaSlider : public KZUnitSlider {
public:
    explicit KZColorPickerAlphaSlider(const graphics::Rect& frame);
    // The colour at the top (left) end; the other end is the same colour
    // fully transparent.
    void setKeyColor(const graphics::Color& color);
    SAMGradientView* gradientLayer() const { return gradientLayer_.get(); }
    ui::View* checkerboard() const { return checkerboard_.get(); }

protected:
    void layoutGradient() override;

private:
    std::shared_ptr<SAMGradientView> gradientLayer_;
    ui::ViewPtr checkerboard_;
};
