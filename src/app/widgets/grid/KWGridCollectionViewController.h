#pragma once

// The base of the thumbnail grids: one section of square cells, one per
// item of getGridItems, and a closure told which item the user tapped.
// Subclasses supply the items and dress the cells.
//
// Items are any shared objects (a grid of projects lists the projects
// themselves); the grid tells them apart by identity.

#include "app/widgets/grid/KWGridCollectionViewCell.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/CollectionView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KWGridCollectionViewController : public ui::ViewController,
                                       private ui::CollectionViewDataSource,
                                       private ui::CollectionViewDelegateFlowLayout {
public:
    using GridItem = std::shared_ptr<void>;
    using SelectionHandler = std::function<void(const GridItem& item)>;

    static inline const char* kCellReuseIdentifier = "KWGridCollectionViewCell";
    // A cell's side as a share of the grid's width, and its smallest side.
    static constexpr float kItemWidthRatio = 0.15f;
    static constexpr double kMinimumItemSide = 100;

    KWGridCollectionViewController();
    ~KWGridCollectionViewController() override;
    // A grid screen with an interface file of its own.
    explicit KWGridCollectionViewController(std::string nibName);

    // The collection view is the controller's view (loaded on first use).
    ui::CollectionView& collectionView();

    // The items shown; none here.
    virtual std::vector<GridItem> getGridItems();
    // Dresses a dequeued cell for its item; nothing here.
    virtual void prepareCell(KWGridCollectionViewCell& cell, const ui::IndexPath& forItemAtIndexPath);

    void setSelectionHandler(SelectionHandler handler) { mSelectionHandler = std::move(handler); }
    // Selects the item's cell and brings it to the vertical centre; an item
    // not listed is ignored.
    void setSelectedItem(const GridItem& item);
    // Brings the item's cell to the vertical centre without selecting it.
    void scrollToItem(const GridItem& item);

    // The side of the square cells in a grid of that width.
    static double itemSideForWidth(double width);

    void loadView() override;
    void viewDidLoad() override;

private:
    // The item's row in getGridItems, or none.
    std::optional<size_t> rowOfItem(const GridItem& item);

    size_t numberOfItemsInSection(ui::CollectionView& collectionView, size_t section) override;
    ui::CollectionViewCellPtr cellForItemAtIndexPath(ui::CollectionView& collectionView,
                                                     const ui::IndexPath& indexPath) override;
    std::optional<graphics::Size> sizeForItemAtIndexPath(ui::CollectionView& collectionView,
                                                         ui::CollectionViewFlowLayout& layout,
                                                         const ui::IndexPath& indexPath) override;
    void didSelectItemAtIndexPath(ui::CollectionView& collectionView, const ui::IndexPath& indexPath) override;

    SelectionHandler mSelectionHandler;
    std::shared_ptr<ui::CollectionView> collectionView_;
};
