#include "app/capture/chromakey/ChromaKeyThemeBackgroundConfigurationViewController.h"

#include "app/capture/chromakey/ChromaKeyConfigurationViewController.h"
#include "app/core/BundleImage.h"
#include "app/widgets/cells/CardRowCell.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/Button.h"

#include <algorithm>
#include <cmath>

namespace chromakeytheme {

std::vector<BackgroundItem> themeBackdrops() {
    std::vector<BackgroundItem> items;
    for (int32_t n = 20; n <= 25; ++n) {
        items.emplace_back(n, foundation::format("background_%.2d_bg.jpg", {int64_t(n)}),
                           foundation::format("background_%.2d", {int64_t(n)}));
    }
    return items;
}

graphics::Rect cardFrame(int k, double width) {
    const double w = std::floor((width - 50) / 3);
    return {10 + k * (w + 10), 20, w, 80};
}

}  // namespace chromakeytheme

ChromaKeyThemeBackgroundConfigurationViewController::ChromaKeyThemeBackgroundConfigurationViewController() {
    preferredContentSize = ChromaKeyConfigurationViewController::kContentSize;
    setTitle(foundation::localized("Background"));
}

ChromaKeyThemeBackgroundConfigurationViewController::~ChromaKeyThemeBackgroundConfigurationViewController() {
    if (table_) {
        table_->setDataSource(nullptr);
        table_->setDelegate(nullptr);
    }
}

void ChromaKeyThemeBackgroundConfigurationViewController::loadView() {
    table_ = ui::makeView<ui::TableView>(graphics::Rect{{0, 0}, preferredContentSize}, ui::TableViewStyle::Plain);
    table_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    setView(table_);
}

void ChromaKeyThemeBackgroundConfigurationViewController::viewDidLoad() {
    items_ = chromakeytheme::themeBackdrops();
    table_->setBackgroundColor(graphics::Color::clear());
    table_->setOpaque(false);
    table_->setBackgroundView(nullptr);
    table_->setSeparatorColor(graphics::Color::clear());
    table_->setAllowsSelection(false);
    table_->setRowHeight(chromakeytheme::kRowHeight);
    table_->setScrollEnabled(true);
    table_->setDataSource(this);
    table_->setDelegate(this);
    table_->reloadData();
}

size_t ChromaKeyThemeBackgroundConfigurationViewController::numberOfRowsInSection(ui::TableView&, size_t) {
    return items_.size() / chromakeytheme::kCardsPerRow;
}

ui::TableViewCellPtr ChromaKeyThemeBackgroundConfigurationViewController::cellForRowAtIndexPath(
    ui::TableView& tableView, const ui::IndexPath& indexPath) {
    constexpr size_t kCardsPerRow = chromakeytheme::kCardsPerRow;
    auto cell = std::dynamic_pointer_cast<CardRowCell>(tableView.dequeueReusableCellWithIdentifier(kCellIdentifier));
    if (!cell) {
        cell = std::make_shared<CardRowCell>(
            kCellIdentifier, kCardsPerRow, chromakeytheme::kFirstButtonTag,
            [](size_t k, double width) { return chromakeytheme::cardFrame(static_cast<int>(k), width); });
        for (size_t k = 0; k < kCardsPerRow; ++k) {
            ui::Button* card = cell->card(k);
            card->addTarget(
                this, [this, card](ui::Control&) { actionCard(*card); }, ui::ControlEventTouchUpInside);
        }
    }
    std::vector<graphics::Image> pictures;
    for (size_t index = indexPath.row * kCardsPerRow;
         index < std::min(items_.size(), (indexPath.row + 1) * kCardsPerRow); ++index)
        pictures.push_back(bundleImageNamed(items_[index].thumbImagePath()).value_or(graphics::Image()));
    cell->showRow(indexPath.row, pictures);
    return cell;
}

void ChromaKeyThemeBackgroundConfigurationViewController::actionCard(ui::Button& button) {
    const ui::View* content = button.superview();
    if (!content || content->tag() < 0) return;
    const size_t index = static_cast<size_t>(content->tag()) * chromakeytheme::kCardsPerRow +
                         static_cast<size_t>(button.tag() - chromakeytheme::kFirstButtonTag);
    if (index >= items_.size() || !delegate_) return;
    // A missing picture is reported as a null image, which the camera ignores.
    const graphics::Image image = bundleImageNamed(items_[index].bgImagePath()).value_or(graphics::Image());
    delegate_->didSelectChangeBackDropWithImage(*this, image);
}
