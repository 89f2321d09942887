#include "platform/ui/controllers/Toolbar.h"

#include <algorithm>

namespace ui {

using graphics::Rect;

namespace {
constexpr double kEdgeMargin = 12.0;
constexpr double kItemSpacing = 8.0;
}  // namespace

Toolbar::Toolbar() : Toolbar(Rect(0, 0, 320, kHeight)) {}

Toolbar::Toolbar(const Rect& frame) : Bar(frame) {}

Toolbar::~Toolbar() { detachItems(); }

void Toolbar::detachItems() {
    for (const auto& item : items_) item->detach(this);
}

void Toolbar::setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool) {
    detachItems();
    items_ = std::move(items);
    items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
    rebuild();
}

void Toolbar::rebuild() {
    for (const ViewPtr& view : itemViews_) {
        if (view->superview() == this) view->removeFromSuperview();
    }
    itemViews_.clear();
    for (const auto& item : items_) {
        ViewPtr view = item->makeView(this);
        addSubview(view);
        itemViews_.push_back(std::move(view));
    }
    setNeedsLayout();
}

void Toolbar::barButtonItemDidChange(BarButtonItem&) { rebuild(); }

double Toolbar::fittingWidth() const {
    double width = 2 * kEdgeMargin;
    if (items_.size() > 1) width += kItemSpacing * static_cast<double>(items_.size() - 1);
    for (const auto& item : items_)
        if (!item->isFlexibleSpace()) width += item->preferredWidth();
    return width;
}

void Toolbar::layoutSubviews() {
    const Rect b = bounds();
    int flexible = 0;
    for (const auto& item : items_)
        if (item->isFlexibleSpace()) ++flexible;
    double spare = std::max(0.0, b.width() - fittingWidth());
    double flexibleWidth = flexible > 0 ? spare / flexible : 0;
    double x = b.minX() + kEdgeMargin;
    for (size_t i = 0; i < items_.size(); ++i) {
        const auto& item = items_[i];
        const ViewPtr& view = itemViews_[i];
        double width = item->isFlexibleSpace() ? flexibleWidth : item->preferredWidth();
        if (item->customView()) {
            // A caller's view keeps its height, centred on the bar.
            double height = std::min(view->frame().size.height, b.height());
            view->setFrame(Rect(x, b.minY() + (b.height() - height) / 2, width, height));
        } else {
            view->setFrame(Rect(x, b.minY(), width, b.height()));
        }
        x += width + kItemSpacing;
    }
}

void Toolbar::drawRect(graphics::GraphicsContext& context, const Rect&) { drawBackground(context, true); }

}  // namespace ui
