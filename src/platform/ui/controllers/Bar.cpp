#include "platform/ui/controllers/Bar.h"

#include "platform/graphics/GraphicsContext.h"

namespace ui {

using graphics::Color;
using graphics::Rect;
using graphics::Size;

Bar::Bar(const Rect& frame) : View(frame) {
    setDrawsContent(true);
    setOpaque(false);
}

void Bar::setBarStyle(BarStyle style) {
    barStyle_ = style;
    setNeedsDisplay();
}

void Bar::setTranslucent(bool translucent) {
    translucent_ = translucent;
    setNeedsDisplay();
}

void Bar::setBarTintColor(std::optional<Color> color) {
    barTintColor_ = std::move(color);
    setNeedsDisplay();
}

Size Bar::sizeThatFits(Size size) const { return Size{size.width, kHeight}; }

void Bar::drawBackground(graphics::GraphicsContext& context, bool hairlineAtTop) const {
    Color base =
        barTintColor_ ? *barTintColor_ : (barStyle_ == BarStyle::Default ? Color::grey(0.97) : Color::grey(0.08));
    bool seeThrough = translucent_ || barStyle_ == BarStyle::BlackTranslucent;
    Rect b = bounds();
    context.setFillColor(seeThrough ? base.withAlpha(base.alpha() * 0.85) : base);
    context.fillRect(b);
    context.setFillColor(Color::grey(0.0, 0.3));
    context.fillRect(Rect(b.minX(), hairlineAtTop ? b.minY() : b.maxY() - 0.5, b.width(), 0.5));
}

Color Bar::titleColor() const { return barStyle_ == BarStyle::Default ? Color::black() : Color::white(); }

}  // namespace ui
