#pragma once

// A bar of items along the bottom of a screen: buttons, fixed spaces and
// flexible spaces that share what room is left.

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/View.h"

#include <memory>
#include <optional>
#include <vector>

namespace ui {

class Toolbar : public View, public BarButtonItemHost {
public:
    static constexpr double kHeight = 44.0;

    Toolbar();
    explicit Toolbar(const graphics::Rect& frame);
    ~Toolbar() override;

    const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return items_; }
    void setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated = false);

    BarStyle barStyle() const { return barStyle_; }
    void setBarStyle(BarStyle style);
    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent);
    const std::optional<graphics::Color>& barTintColor() const { return barTintColor_; }
    void setBarTintColor(std::optional<graphics::Color> color);

    void barButtonItemDidChange(BarButtonItem& item) override;
    void layoutSubviews() override;
    graphics::Size sizeThatFits(graphics::Size size) const override;
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    void rebuild();
    void detachItems();

    std::vector<std::shared_ptr<BarButtonItem>> items_;
    std::vector<ViewPtr> itemViews_;
    BarStyle barStyle_ = BarStyle::Default;
    bool translucent_ = false;
    std::optional<graphics::Color> barTintColor_;
};

namespace detail {

// The background of a bar of the style: light grey or black, see-through
// when translucent, or the tint colour when set.
graphics::Color barBackground(BarStyle style, bool translucent, const std::optional<graphics::Color>& tint);
// The colour of titles on such a bar.
graphics::Color barTitleColor(BarStyle style);

}  // namespace detail
}  // namespace ui
