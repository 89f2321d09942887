#pragma once

// The layer list shown in a popover from the tool bar: one row per layer
// with its name, thumbnail and a visibility switch; rows can be moved; the
// bar adds and deletes layers, and the slider sets the selected layer's
// opacity. The selected row's layer becomes active when the popover closes.

#include "app/widgets/popover/WEPopoverController.h"
#include "platform/foundation/Lifetime.h"
#include "platform/graphics/Font.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"
#include "platform/ui/lists/TableViewCell.h"

#include <memory>
#include <string>

class PainterLayerManager;

namespace ui {
class BarButtonItem;
class Slider;
class Switch;
}  // namespace ui

// A row of the list: the layer's thumbnail and name, and its visibility
// switch in the content, where it stays while the list is edited (an
// accessory would give way to the reorder control). The name, between the
// thumbnail and the switch, is shown whole: on two lines, and in a smaller
// type where those cannot hold it.
class PainterLayerTableCell : public ui::TableViewCell {
public:
    explicit PainterLayerTableCell(std::string reuseIdentifier);
    ui::Switch* layerEnabled() const { return layerEnabled_.get(); }
    void setLayerName(const std::string& name);
    void layoutSubviews() override;

private:
    std::shared_ptr<ui::Switch> layerEnabled_;
    graphics::Font nameFont_;  // the row's own type, for names that fit it
};

class PainterLayerTableViewController : public ui::ViewController,
                                        public ui::TableViewDataSource,
                                        public ui::TableViewDelegate,
                                        public WEPopoverControllerDelegate {
public:
    static constexpr const char* kCellIdentifier = "PainterLayerTableCell";
    static constexpr double kWidth = 320;
    static constexpr double kTabletHeight = 500;
    static constexpr double kPhoneHeight = 230;

    PainterLayerTableViewController();
    ~PainterLayerTableViewController() override;

    void setLayerManager(PainterLayerManager* manager) { layerManager_ = manager; }
    PainterLayerManager* layerManager() const { return layerManager_; }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    // 320 wide; 500 high on a tablet, 230 otherwise.
    static graphics::Size contentSizeForViewInPopover();

    ui::TableView& tableView();
    void updateSelectionHandler();
    void updateButtonStates(size_t row);
    void addLayer();
    void deleteLayer();
    void enableLayer(size_t row, bool enabled);
    void actionOpacityValueChanged();

    ui::BarButtonItem* addBtn() const { return addBtn_.get(); }
    ui::BarButtonItem* deleteBtn() const { return deleteBtn_.get(); }
    ui::BarButtonItem* duplicateBtn() const { return duplicateBtn_.get(); }
    ui::BarButtonItem* importBtn() const { return importBtn_.get(); }
    ui::BarButtonItem* exportBtn() const { return exportBtn_.get(); }
    ui::Slider* sliderOpacity() const { return sliderOpacity_.get(); }

    // TableViewDataSource
    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    bool canEditRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    bool canMoveRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    void moveRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& fromIndexPath,
                            const ui::IndexPath& toIndexPath) override;
    // TableViewDelegate
    void didSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    ui::TableViewCellEditingStyle editingStyleForRowAtIndexPath(ui::TableView& tableView,
                                                                const ui::IndexPath& indexPath) override;
    bool shouldIndentWhileEditingRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    // WEPopoverControllerDelegate
    bool popoverControllerShouldDismissPopover(WEPopoverController& controller) override;
    void popoverControllerDidDismissPopover(WEPopoverController& controller) override;

private:
    PainterLayerManager* layerManager_ = nullptr;
    std::shared_ptr<ui::BarButtonItem> addBtn_;
    std::shared_ptr<ui::BarButtonItem> deleteBtn_;
    std::shared_ptr<ui::BarButtonItem> duplicateBtn_;
    std::shared_ptr<ui::BarButtonItem> importBtn_;
    std::shared_ptr<ui::BarButtonItem> exportBtn_;
    std::shared_ptr<ui::Slider> sliderOpacity_;
    foundation::LifeToken life_;
};
