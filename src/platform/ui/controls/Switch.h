#pragma once

// An on/off switch of the platform's fixed size. A tap flips it; a drag
// sets it to the side where the finger lifts. Either way ValueChanged is
// sent only when the value really changed; setting the value in code sends
// nothing.

#include "platform/graphics/Color.h"
#include "platform/ui/controls/Control.h"

#include <optional>

namespace ui {

class Switch : public Control {
public:
    static constexpr double kWidth = 51;
    static constexpr double kHeight = 31;

    Switch();
    // Only the origin counts: a switch keeps its own size.
    explicit Switch(const graphics::Rect& frame);

    bool isOn() const { return on_; }
    void setOn(bool on);
    void setOn(bool on, bool animated);

    // The track's colour when on (the platform's green when unset).
    const std::optional<graphics::Color>& onTintColor() const { return onTint_; }
    void setOnTintColor(std::optional<graphics::Color> color);
    const std::optional<graphics::Color>& thumbTintColor() const { return thumbTint_; }
    void setThumbTintColor(std::optional<graphics::Color> color);

    graphics::Size sizeThatFits(graphics::Size size) const override;
    void layoutSubviews() override;

    // Dragging the thumb is the switch's, not an enclosing pan's.
    bool claimsGestureRecognizer(const GestureRecognizer& recognizer) const override;

    bool beginTrackingWithTouch(const Touch& touch, const Event& event) override;
    bool continueTrackingWithTouch(const Touch& touch, const Event& event) override;
    void endTrackingWithTouch(const Touch& touch, const Event& event) override;

private:
    void updateLook();

    bool on_ = false;
    std::optional<graphics::Color> onTint_;
    std::optional<graphics::Color> thumbTint_;
    ViewPtr track_;
    ViewPtr thumb_;
    double touchStartX_ = 0;
    bool dragged_ = false;
};

}  // namespace ui
