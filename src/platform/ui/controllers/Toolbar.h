#pragma once

// A bar of items along the bottom of a screen: buttons, fixed spaces and
// flexible spaces that share what room is left.

#include "platform/ui/controllers/Bar.h"

#include <memory>
#include <vector>

namespace ui {

class Toolbar : public Bar {
public:
    Toolbar();
    explicit Toolbar(const graphics::Rect& frame);
    ~Toolbar() override;

    const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return items_; }
    void setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated = false);

    // The narrowest width that shows every item whole: their widths, the
    // spacing between them and the margins (flexible spaces take none).
    double fittingWidth() const;

    void barButtonItemDidChange(BarButtonItem& item) override;
    void layoutSubviews() override;
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

private:
    void rebuild();
    void detachItems();

    std::vector<std::shared_ptr<BarButtonItem>> items_;
    std::vector<ViewPtr> itemViews_;
};

}  // namespace ui
