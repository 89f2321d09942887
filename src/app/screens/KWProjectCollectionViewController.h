#pragma once

// The project browser's grid: one cell per entry of the project list, entry
// 0 (the unsaved new project) drawn as the "new project" tile and every
// other entry as its project's thumbnail titled with the project's name. The list is held by reference, so
// a reload shows what the list holds now.

#include "app/core/ProjectModel.h"
#include "app/widgets/grid/KWGridCollectionViewController.h"
#include "platform/graphics/Geometry.h"

#include <vector>

class KWProjectCollectionViewController : public KWGridCollectionViewController {
public:
    static inline const char* kNewProjectImageName = "explorer_icon_new_ios7";

    // The list must outlive the grid (the project list's live array does).
    explicit KWProjectCollectionViewController(std::vector<ProjectModelPtr>& projects);

    void viewDidLoad() override;
    std::vector<GridItem> getGridItems() override;
    void prepareCell(KWGridCollectionViewCell& cell, const ui::IndexPath& forItemAtIndexPath) override;

    // Reloads the grid from the list.
    void updateProjects();
    // Shows (true) or hides (false) the selected cell, which the detail card
    // stands in for while it is open.
    void showSelectItem(bool show);
    // The selected cell's frame in the coordinates of the grid's superview;
    // a zero rect when nothing is selected.
    graphics::Rect getViewRectForSelectItem();

private:
    ui::CollectionViewCell* selectedCell();

    std::vector<ProjectModelPtr>* projects_;
};
