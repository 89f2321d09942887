#include "platform/ui/controllers/TabBarController.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"

#include <algorithm>

namespace ui {

namespace {

constexpr double kImageSize = 30;
constexpr double kTitleHeight = 12;

graphics::Color normalColor() { return graphics::Color::grey(0.56); }

}  // namespace

TabBar::TabBar(const graphics::Rect& frame) : View(frame) {
    setDrawsContent(true);
    setContentMode(ContentMode::Redraw);
    addGestureRecognizer(std::make_shared<TapGestureRecognizer>([this](GestureRecognizer& recognizer) {
        if (recognizer.state() == GestureStateRecognized) tapped(recognizer.locationInView(this));
    }));
}

void TabBar::setItems(std::vector<TabBarItem> items) {
    items_ = std::move(items);
    setNeedsDisplay();
}

void TabBar::setSelectedIndex(size_t index) {
    selectedIndex_ = index;
    setNeedsDisplay();
}

graphics::Rect TabBar::rectForItemAtIndex(size_t index) const {
    if (items_.empty() || index >= items_.size()) return {};
    const double width = bounds().size.width / double(items_.size());
    return graphics::Rect(width * double(index), 0, width, bounds().size.height);
}

void TabBar::tapped(graphics::Point location) {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (rectForItemAtIndex(i).contains(location)) {
            if (onTap) onTap(i);
            return;
        }
    }
}

void TabBar::drawRect(graphics::GraphicsContext& context, const graphics::Rect&) {
    const graphics::Rect box = bounds();
    context.setFillColor(graphics::Color::grey(0.97));
    context.fillRect(box);
    context.setFillColor(graphics::Color::grey(0.7));
    context.fillRect(graphics::Rect(0, 0, box.size.width, 0.5));
    const graphics::Font font = graphics::Font::systemFont(10);
    for (size_t i = 0; i < items_.size(); ++i) {
        const graphics::Rect tab = rectForItemAtIndex(i);
        // The chosen tab in the tint, as every other control shows its state.
        const graphics::Color color = i == selectedIndex_ ? tintColor() : normalColor();
        const TabBarItem& item = items_[i];
        if (!item.image.isNull()) {
            const graphics::Size size = item.image.size();
            const double scale =
                std::min({1.0, kImageSize / std::max(size.width, 1.0), kImageSize / std::max(size.height, 1.0)});
            const graphics::Rect place(tab.midX() - size.width * scale / 2, 4 + (kImageSize - size.height * scale) / 2,
                                       size.width * scale, size.height * scale);
            context.drawImage(tintedTemplateImage(item.image, color), place);
        }
        context.setFillColor(color);
        context.drawText(
            item.title,
            graphics::Rect(tab.origin.x + 2, box.size.height - kTitleHeight - 4, tab.size.width - 4, kTitleHeight + 2),
            font, graphics::LineBreakMode::TruncateTail, graphics::TextAlignment::Center);
    }
}

TabBarController::TabBarController() = default;

TabBarController::~TabBarController() = default;

void TabBarController::loadView() {
    auto root = makeView<View>(graphics::Rect(0, 0, preferredContentSize.width, preferredContentSize.height));
    root->setBackgroundColor(graphics::Color::white());
    root->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
    tabBar_ = makeView<TabBar>(
        graphics::Rect(0, root->bounds().size.height - TabBar::kHeight, root->bounds().size.width, TabBar::kHeight));
    tabBar_->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleTopMargin);
    tabBar_->setItems(items_);
    tabBar_->setSelectedIndex(selectedIndex_);
    tabBar_->onTap = [this](size_t index) { userSelected(index); };
    root->addSubview(tabBar_);
    setView(root);
    showSelected();
}

void TabBarController::setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers, bool animated) {
    (void)animated;
    if (shown_) {
        if (shown_->isViewLoaded()) shown_->view()->removeFromSuperview();
        shown_ = nullptr;
    }
    for (const auto& old : controllers_) old->removeFromParentViewController();
    controllers_ = std::move(controllers);
    items_.clear();
    for (const auto& controller : controllers_) {
        addChildViewController(controller);
        items_.push_back(TabBarItem{controller->title, {}, 0});
    }
    if (selectedIndex_ >= controllers_.size()) selectedIndex_ = 0;
    if (tabBar_) {
        tabBar_->setItems(items_);
        tabBar_->setSelectedIndex(selectedIndex_);
    }
    if (isViewLoaded()) showSelected();
}

const TabBarItem& TabBarController::tabBarItemAtIndex(size_t index) const { return items_.at(index); }

void TabBarController::setTabBarItem(size_t index, TabBarItem item) {
    items_.at(index) = std::move(item);
    if (tabBar_) tabBar_->setItems(items_);
}

ViewController* TabBarController::selectedViewController() const {
    return selectedIndex_ < controllers_.size() ? controllers_[selectedIndex_].get() : nullptr;
}

void TabBarController::setSelectedIndex(size_t index) {
    if (index >= controllers_.size()) return;
    selectedIndex_ = index;
    if (tabBar_) tabBar_->setSelectedIndex(index);
    if (isViewLoaded()) showSelected();
}

void TabBarController::userSelected(size_t index) {
    if (index >= controllers_.size()) return;
    ViewController& controller = *controllers_[index];
    if (delegate_ && !delegate_->shouldSelectViewController(*this, controller)) return;
    setSelectedIndex(index);
    if (delegate_) delegate_->didSelectViewController(*this, controller);
}

void TabBarController::showSelected() {
    ViewController* next = selectedViewController();
    if (next == shown_) return;
    if (shown_ && shown_->isViewLoaded()) shown_->view()->removeFromSuperview();
    shown_ = next;
    if (!next) return;
    view()->insertSubviewBelowSubview(next->viewPtr(), tabBar_.get());
    layoutContent();
}

void TabBarController::layoutContent() {
    if (!shown_ || !isViewLoaded()) return;
    const graphics::Rect box = view()->bounds();
    shown_->view()->setFrame(graphics::Rect(0, 0, box.size.width, std::max(0.0, box.size.height - TabBar::kHeight)));
}

void TabBarController::viewDidLayoutSubviews() { layoutContent(); }

unsigned TabBarController::supportedInterfaceOrientations() const {
    const ViewController* selected = selectedViewController();
    return selected ? selected->supportedInterfaceOrientations() : ViewController::supportedInterfaceOrientations();
}

}  // namespace ui
