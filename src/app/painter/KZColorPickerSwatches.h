#pragma once

// Two companions of the colour picker that it can carry but does not build
// itself: a swatch showing one colour to pick, and a view comparing the
// old colour (left half) with the current one (right half). Both show a
// light highlight while touched and send touch-up-inside when tapped.

#include "platform/graphics/Color.h"
#include "platform/ui/controls/Control.h"

#include <memory>

// A control that shows a light highlight while a finger is on it.
class KZHighlightingControl : public ui::Control {
public:
    explicit KZHighlightingControl(const graphics::Rect& frame);
    ui::View* highlight() const { return highlight_.get(); }

    void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) override;

protected:
    // Puts the highlight on top of what the subclass added.
    void raiseHighlight() { bringSubviewToFront(highlight_.get()); }

private:
    ui::ViewPtr highlight_;
};

class KZColorPickerSwatchView : public KZHighlightingControl {
public:
    explicit KZColorPickerSwatchView(const graphics::Rect& frame);

    const graphics::Color& color() const { return color_; }
    void setColor(graphics::Color color);
    // The check mark shows while selected.
    void setSelected(bool selected) override;
    ui::View* checkMark() const { return checkMark_.get(); }

private:
    graphics::Color color_ = graphics::Color::white();
    ui::ViewPtr checkerboard_;
    ui::ViewPtr colorView_;
    ui::ViewPtr checkMark_;
};

class KZColorCompareView : public KZHighlightingControl {
public:
    explicit KZColorCompareView(const graphics::Rect& frame);

    const graphics::Color& oldColor() const { return oldColor_; }
    void setOldColor(graphics::Color color);
    const graphics::Color& currentColor() const { return currentColor_; }
    void setCurrentColor(graphics::Color color);
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    graphics::Color oldColor_ = graphics::Color::white();
    graphics::Color currentColor_ = graphics::Color::white();
};
