#include "app/render/screens/KWSelectionViewController.h"

#include "app/core/BundleImage.h"
#include "app/core/ProjectModel.h"
#include "app/core/SaveFailure.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/views/AccentColor.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/ActivityIndicatorView.h"
#include "platform/ui/controls/ImageView.h"

#include <cstdio>

KWSelectionViewController::KWSelectionViewController() : ui::ViewController(kNibName) {}

KWSelectionViewController::~KWSelectionViewController() {
    if (carousel_) {
        carousel_->setDataSource(nullptr);
        carousel_->setDelegate(nullptr);
    }
}

void KWSelectionViewController::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect(0, 0, 540, 90));
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    carousel_ = ui::makeView<iCarousel>(root->bounds());
    carousel_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    // The strip begins with its first tile at the left, however wide the
    // sheet, and ends with its last at the right: never a half-empty row.
    carousel_->keepsEndsInView = true;
    carousel_->endInset = kRowInset - (kItemWidth - kTileWidth) / 2;
    root->addSubview(carousel_);
    activityIndicator_ = ui::makeView<ui::ActivityIndicatorView>(ui::ActivityIndicatorViewStyle::Gray);
    activityIndicator_->setHidesWhenStopped(true);
    activityIndicator_->setCenter(graphics::Point{root->bounds().width() / 2, root->bounds().height() / 2});
    activityIndicator_->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin |
                                            ui::AutoresizingFlexibleTopMargin | ui::AutoresizingFlexibleBottomMargin);
    root->addSubview(activityIndicator_);
    setView(root);
}

void KWSelectionViewController::viewDidLoad() {
    carousel_->setType(iCarouselTypeLinear);
    carousel_->setDataSource(this);
    carousel_->setDelegate(this);
}

void KWSelectionViewController::updateSelection() {
    if (carousel_) carousel_->reloadData();
}

void KWSelectionViewController::setSelectedIndex(int32_t index) {
    if (!items_ || index < 0 || size_t(index) >= items_->size()) return;
    lastSelection_ = index;
    if (carousel_) carousel_->scrollToItemAtIndexAnimated(index, false);
    markChosenTile();
}

void KWSelectionViewController::markTile(ui::View& tile, bool current) const {
    tile.layer().setBorderWidth(current ? kMarkWidth : 0);
    tile.layer().setBorderColor(kAccentColor);
}

void KWSelectionViewController::markChosenTile() {
    if (!carousel_) return;
    for (int64_t index : carousel_->indexesForVisibleItems())
        if (auto tile = carousel_->itemViewAtIndex(index)) markTile(*tile, index == lastSelection_);
}

void KWSelectionViewController::fillItems(int32_t first, int32_t last, const char* imageFormat) {
    items_.emplace();
    for (int32_t identifier = first; identifier <= last; ++identifier) {
        char name[64];
        std::snprintf(name, sizeof name, imageFormat, identifier);
        items_->emplace_back(identifier, name);
    }
}

bool KWSelectionViewController::saveSetting(ProjectModel& project) {
    foundation::Status saved = project.saveMetaDataToDisk();
    if (saved) return true;
    showSaveFailure(saved.error());
    return false;
}

void KWSelectionViewController::showSaveFailure(const foundation::Error& error) {
    auto alert =
        AlertView::create(foundation::localized("Error"), saveFailureText(foundation::localized("The setting"), error));
    alert->addButtonWithTitle(foundation::localized("OK"), {});
    alert->show();
}

// ---- carousel -----------------------------------------------------------------------------------

int64_t KWSelectionViewController::numberOfItemsInCarousel(iCarousel&) { return items_ ? int64_t(items_->size()) : 0; }

ui::ViewPtr KWSelectionViewController::carouselViewForItemAtIndex(iCarousel& carousel, int64_t index,
                                                                  ui::ViewPtr view) {
    if (!items_ || index < 0 || size_t(index) >= items_->size()) return view;
    const graphics::Image image = bundleImageNamed((*items_)[size_t(index)].imageName).value_or(graphics::Image());
    const bool chosen = index == lastSelection_;
    if (auto reused = std::dynamic_pointer_cast<ui::ImageView>(view)) {
        reused->setImage(image);
        markTile(*reused, chosen);
        return reused;
    }
    const double height = carousel.bounds().height();
    auto tile = ui::makeView<ui::ImageView>(graphics::Rect(0, 0, kTileWidth, height > 0 ? height - 10 : 80));
    tile->setImage(image);
    tile->layer().setDoubleSided(false);
    tile->setContentMode(ui::ContentMode::ScaleAspectFill);
    tile->setClipsToBounds(true);
    markTile(*tile, chosen);
    return tile;
}

std::optional<double> KWSelectionViewController::carouselItemWidth(iCarousel&) { return kItemWidth; }

bool KWSelectionViewController::carouselShouldWrap(iCarousel&) { return false; }

void KWSelectionViewController::carouselDidSelectItemAtIndex(iCarousel&, int64_t index) {
    // Where the strip comes to rest is no choice: a wheel or a swipe that
    // only looked through the tiles would otherwise change the movie (a
    // theme adds its cards to the film).
    if (index == lastSelection_ || !items_ || index < 0 || size_t(index) >= items_->size()) return;
    lastSelection_ = int32_t(index);
    markChosenTile();
    didSelectItem((*items_)[size_t(index)]);
}
