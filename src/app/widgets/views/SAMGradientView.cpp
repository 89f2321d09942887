#include "app/widgets/views/SAMGradientView.h"

#include "platform/ui/host/Device.h"

using graphics::Color;
using graphics::Rect;

SAMGradientView::SAMGradientView() { setUp(); }

SAMGradientView::SAMGradientView(const Rect& frame) : ui::View(frame) { setUp(); }

void SAMGradientView::setUp() {
    setDrawsContent(true);
    setContentMode(ui::ContentMode::Redraw);
}

void SAMGradientView::setGradientColors(std::vector<Color> colors) {
    gradientColors_ = std::move(colors);
    updateGradient();
}

void SAMGradientView::setGradientLocations(std::vector<double> locations) {
    gradientLocations_ = std::move(locations);
    updateGradient();
}

std::vector<Color> SAMGradientView::dimmedGradientColors() const {
    if (dimmedGradientColors_) return *dimmedGradientColors_;
    std::vector<Color> greys;
    greys.reserve(gradientColors_.size());
    for (const Color& color : gradientColors_) {
        double hue = 0, brightness = 0, alpha = 0;
        if (color.getHue(&hue, nullptr, &brightness, &alpha))
            greys.push_back(Color::hsb(hue, 0, brightness, alpha));
        else
            greys.push_back(color);
    }
    return greys;
}

void SAMGradientView::setDimmedGradientColors(std::vector<Color> colors) {
    dimmedGradientColors_ = std::move(colors);
    updateGradient();
}

void SAMGradientView::setGradientMode(SAMGradientViewMode mode) {
    mode_ = mode;
    setNeedsDisplay();
}

void SAMGradientView::setGradientDirection(SAMGradientViewDirection direction) {
    direction_ = direction;
    setNeedsDisplay();
}

void SAMGradientView::setUseThinBorders(bool thin) {
    useThinBorders_ = thin;
    setNeedsDisplay();
}

void SAMGradientView::setEdgeColor(std::optional<Color>& slot, std::optional<Color> color) {
    slot = std::move(color);
    setNeedsDisplay();
}

void SAMGradientView::setTopBorderColor(std::optional<Color> color) { setEdgeColor(top_.border, std::move(color)); }
void SAMGradientView::setTopInsetColor(std::optional<Color> color) { setEdgeColor(top_.inset, std::move(color)); }
void SAMGradientView::setRightBorderColor(std::optional<Color> color) { setEdgeColor(right_.border, std::move(color)); }
void SAMGradientView::setRightInsetColor(std::optional<Color> color) { setEdgeColor(right_.inset, std::move(color)); }
void SAMGradientView::setBottomBorderColor(std::optional<Color> color) {
    setEdgeColor(bottom_.border, std::move(color));
}
void SAMGradientView::setBottomInsetColor(std::optional<Color> color) { setEdgeColor(bottom_.inset, std::move(color)); }
void SAMGradientView::setLeftBorderColor(std::optional<Color> color) { setEdgeColor(left_.border, std::move(color)); }
void SAMGradientView::setLeftInsetColor(std::optional<Color> color) { setEdgeColor(left_.inset, std::move(color)); }

void SAMGradientView::setTintAdjustmentMode(TintAdjustmentMode mode) {
    tintAdjustmentMode_ = mode;
    tintColorDidChange();
}

void SAMGradientView::tintColorDidChange() { updateGradient(); }

void SAMGradientView::updateGradient() {
    std::vector<Color> colors;
    std::vector<double> locations;
    if (tintAdjustmentMode_ == TintAdjustmentMode::Dimmed) {
        colors = dimmedGradientColors();
        if (gradientLocations_.size() == colors.size()) locations = gradientLocations_;
    } else {
        colors = gradientColors_;
        locations = gradientLocations_;
    }
    gradient_.reset();
    if (colors.size() >= 2) {
        gradient_ = locations.size() == colors.size() ? graphics::Gradient::withColors(colors, locations)
                                                      : graphics::Gradient::withColors(colors);
    }
    setNeedsDisplay();
}

void SAMGradientView::drawRect(graphics::GraphicsContext& context, const Rect&) {
    const Rect b = bounds();
    const double w = b.width(), h = b.height();
    const double t = useThinBorders_ ? 1.0 / ui::Device::current().screenScale() : 1.0;

    if (gradient_) {
        if (mode_ == SAMGradientViewMode::Linear) {
            graphics::Point end =
                direction_ == SAMGradientViewDirection::Vertical ? graphics::Point{0, h} : graphics::Point{w, 0};
            context.drawLinearGradient(*gradient_, {0, 0}, end, graphics::kGradientDrawsNone);
        } else {
            graphics::Point centre{b.midX(), b.midY()};
            context.drawRadialGradient(*gradient_, centre, 0, centre, w / 2, graphics::kGradientDrawsAfterEnd);
        }
    }

    auto line = [&context](const std::optional<Color>& color, const Rect& rect) {
        if (!color) return;
        context.setFillColor(*color);
        context.fillRect(rect);
    };
    if (top_.border) {
        line(top_.border, Rect(0, 0, w, t));
        line(top_.inset, Rect(0, t, w, t));
    }
    if (bottom_.border) {
        line(bottom_.border, Rect(0, h - t, w, t));
        line(bottom_.inset, Rect(0, h - 2 * t, w, t));
    }
    // The side lines run between the top and bottom lines, not over them.
    const double y0 = top_.border ? t : 0;
    const double sideHeight = h - (top_.border ? t : 0) - (bottom_.border ? t : 0);
    if (right_.border) {
        line(right_.border, Rect(w - t, y0, t, sideHeight));
        line(right_.inset, Rect(w - 2 * t, y0, t, sideHeight));
    }
    if (left_.border) {
        line(left_.border, Rect(0, y0, t, sideHeight));
        line(left_.inset, Rect(t, y0, t, sideHeight));
    }
}
