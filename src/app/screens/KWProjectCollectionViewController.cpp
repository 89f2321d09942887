#include "app/screens/KWProjectCollectionViewController.h"

#include "app/core/BundleImage.h"
#include "app/screens/ProjectExplorer.h"

KWProjectCollectionViewController::KWProjectCollectionViewController(std::vector<ProjectModelPtr>& projects)
    : projects_(&projects) {}

void KWProjectCollectionViewController::viewDidLoad() {
    KWGridCollectionViewController::viewDidLoad();
    // The browser's own background shows between the cells.
    collectionView().setBackgroundColor(std::nullopt);
}

std::vector<KWGridCollectionViewController::GridItem> KWProjectCollectionViewController::getGridItems() {
    return std::vector<GridItem>(projects_->begin(), projects_->end());
}

void KWProjectCollectionViewController::prepareCell(KWGridCollectionViewCell& cell,
                                                    const ui::IndexPath& forItemAtIndexPath) {
    const size_t row = forItemAtIndexPath.row;
    auto& thumbnail = cell.imageViewThumbnail();
    // A reused cell may be the one the card stood in for.
    cell.setHidden(false);
    cell.setTitle(std::string());
    if (row == 0) {
        thumbnail.setImage(bundleImageNamed(kNewProjectImageName).value_or(graphics::Image()));
        return;
    }
    if (row >= projects_->size()) return;
    const auto& project = (*projects_)[row];
    // A project being converted must not be read until its conversion is done.
    if (ProjectExplorer::isProjectInConversion(project)) {
        thumbnail.setImage(bundleImageNamed("explorer_placeholder").value_or(graphics::Image()));
        return;
    }
    thumbnail.setImage(project->getThumbImageForProject());
    cell.setTitle(project->getName());
}

void KWProjectCollectionViewController::updateProjects() { collectionView().reloadData(); }

ui::CollectionViewCell* KWProjectCollectionViewController::selectedCell() {
    auto selected = collectionView().indexPathsForSelectedItems();
    if (selected.empty()) return nullptr;
    return collectionView().cellForItemAtIndexPath(selected.front()).get();
}

void KWProjectCollectionViewController::showSelectItem(bool show) {
    if (auto* cell = selectedCell()) cell->setHidden(!show);
}

graphics::Rect KWProjectCollectionViewController::getViewRectForSelectItem() {
    auto& grid = collectionView();
    auto selected = grid.indexPathsForSelectedItems();
    if (selected.empty()) return graphics::Rect::zero();
    // The layout knows the frame also of a cell scrolled out of view.
    auto attributes = grid.layoutAttributesForItemAtIndexPath(selected.front());
    if (!attributes) return graphics::Rect::zero();
    return grid.convertRectToView(attributes->frame, grid.superview());
}
