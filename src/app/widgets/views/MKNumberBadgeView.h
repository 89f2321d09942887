#pragma once

// A count drawn as a pill-shaped badge: rounded ends, a stroke, an optional
// drop shadow and gloss, the number centred in it.

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Path.h"
#include "platform/ui/View.h"

#include <cstdint>
#include <string>
#include <utility>

class MKNumberBadgeView : public ui::View {
public:
    MKNumberBadgeView();
    explicit MKNumberBadgeView(const graphics::Rect& frame);

    uint32_t value() const { return value_; }
    // Hides the badge for 0 when hideWhenZero is set, shows it otherwise.
    void setValue(uint32_t value);

    bool shadow() const { return shadow_; }
    void setShadow(bool shadow) { restyle(shadow_, std::move(shadow)); }
    graphics::Size shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(graphics::Size offset) { restyle(shadowOffset_, std::move(offset)); }
    graphics::Color shadowColor() const { return shadowColor_; }
    void setShadowColor(graphics::Color color) { restyle(shadowColor_, std::move(color)); }
    bool shine() const { return shine_; }
    void setShine(bool shine) { restyle(shine_, std::move(shine)); }
    const graphics::Font& font() const { return font_; }
    void setFont(graphics::Font font) { restyle(font_, std::move(font)); }
    graphics::Color fillColor() const { return fillColor_; }
    void setFillColor(graphics::Color color) { restyle(fillColor_, std::move(color)); }
    graphics::Color strokeColor() const { return strokeColor_; }
    void setStrokeColor(graphics::Color color) { restyle(strokeColor_, std::move(color)); }
    double strokeWidth() const { return strokeWidth_; }
    void setStrokeWidth(double width) { restyle(strokeWidth_, std::move(width)); }
    graphics::Color textColor() const { return textColor_; }
    void setTextColor(graphics::Color color) { restyle(textColor_, std::move(color)); }
    // The platform's text alignment: 0 left, 1 centre, 2 right; other
    // values centre.
    int alignment() const { return alignment_; }
    void setAlignment(int alignment) { restyle(alignment_, std::move(alignment)); }
    uint32_t pad() const { return pad_; }
    void setPad(uint32_t pad) { restyle(pad_, std::move(pad)); }
    bool hideWhenZero() const { return hideWhenZero_; }
    void setHideWhenZero(bool hide) { hideWhenZero_ = hide; }

    // The text drawn for the current value.
    std::string text() const;
    // The badge's size for the current value, rounded up to whole points.
    graphics::Size badgeSize() const;
    // The pill around a text of the given size, its top left at (0, 0).
    graphics::Path newBadgePathForTextSize(graphics::Size textSize) const;
    // Where the badge sits in the bounds: its top left and size.
    graphics::Rect badgeFrameInBounds() const;
    // The size the badge draws for the current value: bounds that size show it whole.
    graphics::Size sizeThatFits(graphics::Size size) const override;

    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    void setUp();
    // Every setting of the look redraws the badge.
    template <class T>
    void restyle(T& setting, T value) {
        setting = std::move(value);
        setNeedsDisplay();
    }

    uint32_t value_ = 0;
    bool shadow_ = true;
    graphics::Size shadowOffset_{0, 3};
    graphics::Color shadowColor_ = graphics::Color::black().withAlpha(0.5);
    bool shine_ = true;
    graphics::Font font_ = graphics::Font::boldSystemFont(16);
    graphics::Color fillColor_ = graphics::Color::red();
    graphics::Color strokeColor_ = graphics::Color::white();
    double strokeWidth_ = 2.0;
    graphics::Color textColor_ = graphics::Color::white();
    int alignment_ = 1;
    uint32_t pad_ = 2;
    bool hideWhenZero_ = false;
};
