#pragma once

// What the navigation bar and the toolbar share: a strip of kHeight points
// that hosts bar button items, coloured by its bar style.

#include "platform/ui/View.h"
#include "platform/ui/controllers/BarButtonItem.h"

#include <optional>

namespace ui {

class Bar : public View, public BarButtonItemHost {
public:
    static constexpr double kHeight = 44.0;

    BarStyle barStyle() const { return barStyle_; }
    void setBarStyle(BarStyle style);
    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent);
    const std::optional<graphics::Color>& barTintColor() const { return barTintColor_; }
    void setBarTintColor(std::optional<graphics::Color> color);

    // As wide as offered, kHeight high.
    graphics::Size sizeThatFits(graphics::Size size) const override;

protected:
    explicit Bar(const graphics::Rect& frame);

    // Light grey or black, see-through when translucent, or the tint colour
    // when set; a hairline along the edge that meets the content.
    void drawBackground(graphics::GraphicsContext& context, bool hairlineAtTop) const;
    // The colour of titles on the bar.
    graphics::Color titleColor() const;

private:
    BarStyle barStyle_ = BarStyle::Default;
    bool translucent_ = false;
    std::optional<graphics::Color> barTintColor_;
};

}  // namespace ui
