#include "app/widgets/grid/KWGridCollectionViewController.h"

#include "app/widgets/views/AccentColor.h"
#include "platform/ui/host/Device.h"

#include <algorithm>

using graphics::Rect;
using graphics::Size;

namespace {
constexpr double kSpacing = 10;
}  // namespace

KWGridCollectionViewController::KWGridCollectionViewController() : ViewController("KWGridCollectionViewController") {}

KWGridCollectionViewController::KWGridCollectionViewController(std::string nibName)
    : ViewController(std::move(nibName)) {}

KWGridCollectionViewController::~KWGridCollectionViewController() {
    // The view may outlive its controller in someone else's hands.
    if (collectionView_) {
        collectionView_->setDataSource(nullptr);
        collectionView_->setDelegate(nullptr);
    }
}

ui::CollectionView& KWGridCollectionViewController::collectionView() {
    view();
    return *collectionView_;
}

void KWGridCollectionViewController::loadView() {
    auto layout = std::make_shared<ui::CollectionViewFlowLayout>();
    layout->setMinimumLineSpacing(kSpacing);
    layout->setMinimumInteritemSpacing(kSpacing);
    layout->setSectionInset(graphics::EdgeInsets{kSpacing, kSpacing, kSpacing, kSpacing});
    collectionView_ =
        ui::makeView<ui::CollectionView>(Rect(graphics::Point{}, ui::Device::current().screenBounds().size), layout);
    collectionView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    collectionView_->setBackgroundColor(graphics::Color::rgb(0.96, 0.96, 0.97));
    collectionView_->setAlwaysBounceVertical(true);
    // The keyboard's focus ring takes the grid's tint.
    collectionView_->setTintColor(kAccentColor);
    collectionView_->setDataSource(this);
    collectionView_->setDelegate(this);
    setView(collectionView_);
}

void KWGridCollectionViewController::viewDidLoad() {
    collectionView_->registerClass([] { return ui::makeView<KWGridCollectionViewCell>(); }, kCellReuseIdentifier);
}

std::vector<KWGridCollectionViewController::GridItem> KWGridCollectionViewController::getGridItems() { return {}; }

void KWGridCollectionViewController::prepareCell(KWGridCollectionViewCell& cell,
                                                 const ui::IndexPath& forItemAtIndexPath) {
    (void)cell, (void)forItemAtIndexPath;
}

double KWGridCollectionViewController::itemSideForWidth(double width) {
    // Worked out in single precision, as the grid always has been: 1024
    // points give 153.6000061 rather than 153.6.
    double side = static_cast<float>(width) * kItemWidthRatio;
    return std::max(side, kMinimumItemSide);
}

std::optional<size_t> KWGridCollectionViewController::rowOfItem(const GridItem& item) {
    if (!item) return std::nullopt;
    std::vector<GridItem> items = getGridItems();
    auto found =
        std::find_if(items.begin(), items.end(), [&](const GridItem& each) { return each.get() == item.get(); });
    if (found == items.end()) return std::nullopt;
    return static_cast<size_t>(found - items.begin());
}

void KWGridCollectionViewController::setSelectedItem(const GridItem& item) {
    std::optional<size_t> row = rowOfItem(item);
    if (!row) return;
    collectionView().selectItemAtIndexPath(ui::IndexPath::indexPathForItem(*row, 0), false,
                                           ui::CollectionViewScrollPositionCenteredVertically);
}

void KWGridCollectionViewController::scrollToItem(const GridItem& item) {
    std::optional<size_t> row = rowOfItem(item);
    if (!row) return;
    collectionView().scrollToItemAtIndexPath(ui::IndexPath::indexPathForItem(*row, 0),
                                             ui::CollectionViewScrollPositionCenteredVertically, false);
}

size_t KWGridCollectionViewController::numberOfItemsInSection(ui::CollectionView&, size_t) {
    return getGridItems().size();
}

ui::CollectionViewCellPtr KWGridCollectionViewController::cellForItemAtIndexPath(ui::CollectionView& collectionView,
                                                                                 const ui::IndexPath& indexPath) {
    ui::CollectionViewCellPtr cell =
        collectionView.dequeueReusableCellWithReuseIdentifier(kCellReuseIdentifier, indexPath);
    if (auto* gridCell = dynamic_cast<KWGridCollectionViewCell*>(cell.get())) prepareCell(*gridCell, indexPath);
    return cell;
}

std::optional<Size> KWGridCollectionViewController::sizeForItemAtIndexPath(ui::CollectionView& collectionView,
                                                                           ui::CollectionViewFlowLayout&,
                                                                           const ui::IndexPath&) {
    double side = itemSideForWidth(collectionView.bounds().width());
    return Size{side, side};
}

void KWGridCollectionViewController::didSelectItemAtIndexPath(ui::CollectionView&, const ui::IndexPath& indexPath) {
    if (!mSelectionHandler) return;
    std::vector<GridItem> items = getGridItems();
    // The list may have changed under a cell that is still on screen.
    if (indexPath.row >= items.size()) return;
    mSelectionHandler(items[indexPath.row]);
}
