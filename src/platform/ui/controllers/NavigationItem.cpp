#include "platform/ui/controllers/NavigationItem.h"

#include "platform/foundation/Localized.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/controllers/ViewController.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Color;
using graphics::Rect;
using graphics::Size;

namespace {
constexpr double kEdgeMargin = 8.0;
constexpr double kItemSpacing = 6.0;
const graphics::Font kTitleFont = graphics::Font::boldSystemFont(17);

NavigationItem::Items withoutNulls(NavigationItem::Items items) {
    items.erase(std::remove(items.begin(), items.end(), nullptr), items.end());
    return items;
}
}  // namespace

// ---- item ------------------------------------------------------------------------------

NavigationItem::NavigationItem(ViewController* owner) : owner_(owner) {}

NavigationItem::NavigationItem(std::string title) : title_(std::move(title)) {}

NavigationItem::~NavigationItem() {
    if (bar_) bar_->itemDestroyed(this);
}

void NavigationItem::changed() {
    if (bar_) bar_->itemChanged(this);
}

std::string NavigationItem::title() const {
    if (!title_.empty() || !owner_) return title_;
    return owner_->title;
}

void NavigationItem::setTitle(std::string title) {
    title_ = std::move(title);
    changed();
}

void NavigationItem::setTitleView(ViewPtr view) {
    titleView_ = std::move(view);
    changed();
}

std::shared_ptr<BarButtonItem> NavigationItem::leftBarButtonItem() const {
    return left_.empty() ? nullptr : left_.front();
}

void NavigationItem::setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated) {
    setLeftBarButtonItems(item ? Items{std::move(item)} : Items{}, animated);
}

void NavigationItem::setLeftBarButtonItems(Items items, bool) {
    left_ = withoutNulls(std::move(items));
    changed();
}

std::shared_ptr<BarButtonItem> NavigationItem::rightBarButtonItem() const {
    return right_.empty() ? nullptr : right_.front();
}

void NavigationItem::setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated) {
    setRightBarButtonItems(item ? Items{std::move(item)} : Items{}, animated);
}

void NavigationItem::setRightBarButtonItems(Items items, bool) {
    right_ = withoutNulls(std::move(items));
    changed();
}

void NavigationItem::setBackBarButtonItem(std::shared_ptr<BarButtonItem> item) {
    backItem_ = std::move(item);
    changed();
}

void NavigationItem::setHidesBackButton(bool hides, bool) {
    hidesBackButton_ = hides;
    changed();
}

void NavigationItem::setLeftItemsSupplementBackButton(bool supplements) {
    leftItemsSupplementBackButton_ = supplements;
    changed();
}

// ---- bar ----------------------------------------------------------------------------------

NavigationBar::NavigationBar() : Bar(Rect(0, 0, 320, kHeight)) {}

NavigationBar::~NavigationBar() {
    detachAll();
    if (top_) top_->bar_ = nullptr;
    if (back_) back_->bar_ = nullptr;
}

void NavigationBar::setItems(NavigationItem* top, NavigationItem* back) {
    if (top_ && top_->bar_ == this) top_->bar_ = nullptr;
    if (back_ && back_->bar_ == this) back_->bar_ = nullptr;
    top_ = top;
    back_ = back;
    if (top_) top_->bar_ = this;
    if (back_) back_->bar_ = this;
    rebuild();
}

void NavigationBar::itemChanged(NavigationItem*) { rebuild(); }

void NavigationBar::itemDestroyed(NavigationItem* item) {
    if (item == top_) top_ = nullptr;
    if (item == back_) back_ = nullptr;
    rebuild();
}

void NavigationBar::barButtonItemDidChange(BarButtonItem&) { rebuild(); }

std::string NavigationBar::shownTitle() const {
    if (!top_ || top_->titleView()) return {};
    return top_->title();
}

void NavigationBar::detachAll() {
    for (auto* list : {&leftViews_, &rightViews_}) {
        for (auto& [item, view] : *list) {
            item->detach(this);
            if (view->superview() == this) view->removeFromSuperview();
        }
        list->clear();
    }
    if (backButton_) backButton_->removeFromSuperview();
    backButton_.reset();
    if (titleView_ && titleView_->superview() == this) titleView_->removeFromSuperview();
    titleView_.reset();
}

void NavigationBar::rebuild() {
    detachAll();
    if (top_) {
        bool showBack = back_ && !top_->hidesBackButton() &&
                        (top_->leftBarButtonItems().empty() || top_->leftItemsSupplementBackButton());
        if (showBack) {
            std::string text = back_->backBarButtonItem() ? back_->backBarButtonItem()->title() : back_->title();
            if (text.empty()) text = foundation::localized("Back");
            auto button = makeView<detail::TextButtonView>();
            button->title = "\u2039 " + text;
            button->keyEquivalent = Key::Escape;
            button->onTap = [this] {
                if (backAction_) {
                    auto action = backAction_;
                    action();
                }
            };
            backButton_ = button;
            addSubview(button);
        }
        for (const auto& item : top_->leftBarButtonItems()) {
            ViewPtr view = item->makeView(this);
            addSubview(view);
            leftViews_.emplace_back(item, view);
        }
        for (const auto& item : top_->rightBarButtonItems()) {
            ViewPtr view = item->makeView(this);
            addSubview(view);
            rightViews_.emplace_back(item, view);
        }
        if (top_->titleView()) {
            titleView_ = top_->titleView();
            addSubview(titleView_);
        }
    }
    setNeedsLayout();
    setNeedsDisplay();
}

const graphics::Font& NavigationBar::titleFont() { return kTitleFont; }

void NavigationBar::layoutSubviews() {
    const Rect b = bounds();
    auto place = [&](const ViewPtr& view, double x, double width, bool custom) {
        double height = custom ? std::min(view->frame().size.height, b.height()) : b.height();
        view->setFrame(Rect(x, b.minY() + (b.height() - height) / 2, width, height));
    };
    double right = b.maxX() - kEdgeMargin;
    for (auto& [item, view] : rightViews_) {
        double width = item->preferredWidth();
        right -= width;
        place(view, right, width, item->customView() != nullptr);
        right -= kItemSpacing;
    }
    Size wanted = titleView_ ? titleView_->frame().size
                             : Size{std::ceil(kTitleFont.widthOfText(shownTitle())), kTitleFont.lineHeight()};
    double left = b.minX() + kEdgeMargin;
    double leftItems = 0;
    for (auto& [item, view] : leftViews_) leftItems += item->preferredWidth() + kItemSpacing;
    if (backButton_) {
        // Its whole title where the bar's own title keeps room beside it,
        // else at most a third of the bar.
        const double spare = right - left - leftItems - wanted.width - kItemSpacing;
        double width = std::min(backButton_->sizeThatFits(b.size).width, std::max(b.width() / 3, spare));
        place(backButton_, left, width, false);
        left += width + kItemSpacing;
    }
    for (auto& [item, view] : leftViews_) {
        double width = item->preferredWidth();
        place(view, left, width, item->customView() != nullptr);
        left += width + kItemSpacing;
    }
    // The title is centred on the bar unless the buttons push it aside.
    double room = std::max(0.0, right - left);
    double width = std::min(wanted.width, room);
    double x = std::clamp(b.midX() - width / 2, left, std::max(left, right - width));
    double height = std::min(wanted.height, b.height());
    titleRect_ = Rect(x, b.minY() + (b.height() - height) / 2, width, height);
    if (titleView_) titleView_->setFrame(titleRect_);
    setNeedsDisplay();
}

void NavigationBar::drawRect(graphics::GraphicsContext& context, const Rect&) {
    drawBackground(context, false);
    std::string title = shownTitle();
    if (!title.empty() && titleRect_.width() > 0) {
        context.setFillColor(titleColor());
        context.drawText(title, titleRect_, kTitleFont, graphics::LineBreakMode::TruncateTail,
                         graphics::TextAlignment::Center);
    }
}

}  // namespace ui
