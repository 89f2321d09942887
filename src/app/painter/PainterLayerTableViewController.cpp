#include "app/painter/PainterLayerTableViewController.h"

#include "app/core/BundleImage.h"
#include "app/painter/PainterLayerManager.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/host/Device.h"
#include "platform/ui/lists/TableViewCell.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRowHeight = 60;
// A name that one line cannot hold takes a second; one that two lines of
// the row's type cannot hold either is set smaller, down to this size.
constexpr int kNameLines = 2;
constexpr double kSmallestNameSize = 9;

// Whether the name's lines, as a label of these settings lays them out,
// hold it whole within `room`.
bool holdsWhole(const ui::LabelTextLayout& layout, const std::string& name, graphics::Size room) {
    std::string shown;
    for (const std::string& line : layout.lines) shown += (shown.empty() ? "" : " ") + line;
    const double widest = layout.widths.empty() ? 0 : *std::max_element(layout.widths.begin(), layout.widths.end());
    return shown == name && widest <= room.width && layout.size.height <= room.height;
}

// The largest size, from `regular` down to the smallest, at which `label`
// shows the whole name in `room`.
graphics::Font nameFont(const ui::Label& label, const graphics::Font& regular, graphics::Size room) {
    for (double size = regular.pointSize(); size > kSmallestNameSize; size -= 1) {
        const graphics::Font font = regular.withSize(size);
        const ui::LabelTextLayout layout =
            ui::layoutLabelText(label.text(), font, room.width, label.numberOfLines(), label.lineBreakMode());
        if (holdsWhole(layout, label.text(), room)) return font;
    }
    return regular.withSize(kSmallestNameSize);
}

std::shared_ptr<ui::BarButtonItem> imageItem(const char* name, ui::BarButtonItem::Action action) {
    return std::make_shared<ui::BarButtonItem>(bundleImageNamed(name).value_or(graphics::Image()),
                                               ui::BarButtonItemStyle::Plain, std::move(action));
}

}  // namespace

PainterLayerTableCell::PainterLayerTableCell(std::string reuseIdentifier)
    : ui::TableViewCell(ui::TableViewCellStyle::Default, std::move(reuseIdentifier)),
      layerEnabled_(std::make_shared<ui::Switch>()),
      nameFont_(textLabel()->font()) {
    contentView().addSubview(layerEnabled_);
    textLabel()->setNumberOfLines(kNameLines);
}

void PainterLayerTableCell::setLayerName(const std::string& name) {
    textLabel()->setText(name);
    // The name's type is chosen for its length.
    setNeedsLayout();
}

void PainterLayerTableCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    const graphics::Rect content = contentView().bounds();
    const graphics::Size size = layerEnabled_->frame().size;
    const double x = content.size.width - kMargin - size.width;
    layerEnabled_->setFrame({x, std::round((content.size.height - size.height) / 2), size.width, size.height});
    // The name ends before the switch.
    graphics::Rect name = textLabel()->frame();
    name.size.width = std::max(0.0, x - kMargin - name.origin.x);
    textLabel()->setFrame(name);
    textLabel()->setFont(nameFont(*textLabel(), nameFont_, name.size));
}

PainterLayerTableViewController::PainterLayerTableViewController() = default;
PainterLayerTableViewController::~PainterLayerTableViewController() = default;

graphics::Size PainterLayerTableViewController::contentSizeForViewInPopover() {
    const bool tablet = ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
    return graphics::Size{kWidth, tablet ? kTabletHeight : kPhoneHeight};
}

void PainterLayerTableViewController::loadView() {
    auto table = std::make_shared<ui::TableView>();
    table->setFrame(graphics::Rect{graphics::Point{}, contentSizeForViewInPopover()});
    table->setDataSource(this);
    table->setDelegate(this);
    table->setRowHeight(kRowHeight);
    table->setAllowsSelectionDuringEditing(true);
    setView(table);
}

ui::TableView& PainterLayerTableViewController::tableView() { return static_cast<ui::TableView&>(*view()); }

void PainterLayerTableViewController::viewDidLoad() {
    preferredContentSize = contentSizeForViewInPopover();
    tableView().setEditing(true, false);
    auto guarded = [this](void (PainterLayerTableViewController::*action)()) {
        return life_.guard([this, action](ui::BarButtonItem&) { (this->*action)(); });
    };
    addBtn_ = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Add,
                                                  guarded(&PainterLayerTableViewController::addLayer));
    // Duplicate, import and export have no behaviour beyond their state.
    duplicateBtn_ = imageItem("painter_btn_duplicate", {});
    importBtn_ = imageItem("painter_btn_import", {});
    exportBtn_ = imageItem("painter_btn_export", {});
    deleteBtn_ = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Trash,
                                                     guarded(&PainterLayerTableViewController::deleteLayer));
    for (auto* item : {&duplicateBtn_, &importBtn_, &exportBtn_, &deleteBtn_}) (*item)->setEnabled(false);
    navigationItem().setLeftBarButtonItems(
        {addBtn_, duplicateBtn_, importBtn_, exportBtn_,
         std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::FlexibleSpace, ui::BarButtonItem::Action{}),
         deleteBtn_});
    sliderOpacity_ = std::make_shared<ui::Slider>(graphics::Rect{0, 0, view()->bounds().size.width - 30, 30});
    sliderOpacity_->setMinimumValue(0.0);
    sliderOpacity_->setMaximumValue(1.0);
    sliderOpacity_->addTarget(this, life_.guard([this](ui::Control&) { actionOpacityValueChanged(); }),
                              ui::ControlEventValueChanged);
    setToolbarItems({std::make_shared<ui::BarButtonItem>(sliderOpacity_)});
    if (auto* navigation = navigationController()) navigation->setToolbarHidden(false, false);
}

void PainterLayerTableViewController::viewWillAppear(bool animated) {
    (void)animated;
    tableView().reloadData();
    updateSelectionHandler();
    if (auto* navigation = navigationController()) navigation->setToolbarHidden(false, false);
}

size_t PainterLayerTableViewController::numberOfRowsInSection(ui::TableView&, size_t) {
    return layerManager_ ? layerManager_->layers().size() : 0;
}

ui::TableViewCellPtr PainterLayerTableViewController::cellForRowAtIndexPath(ui::TableView& table,
                                                                            const ui::IndexPath& indexPath) {
    auto cell =
        std::dynamic_pointer_cast<PainterLayerTableCell>(table.dequeueReusableCellWithIdentifier(kCellIdentifier));
    if (!cell) {
        cell = std::make_shared<PainterLayerTableCell>(kCellIdentifier);
        // The row the cell is in now, asked of the table: a row added or
        // moved above it since it was filled moves it.
        std::weak_ptr<PainterLayerTableCell> filled = cell;
        cell->layerEnabled()->addTarget(this, life_.guard([this, filled](ui::Control& sender) {
            const auto row = tableView().indexPathForCell(filled.lock().get());
            if (row) enableLayer(row->row, static_cast<ui::Switch&>(sender).isOn());
        }),
                                        ui::ControlEventValueChanged);
    }
    const size_t row = indexPath.row;
    if (!layerManager_ || row >= layerManager_->layers().size()) return cell;
    const PainterLayerPtr& layer = layerManager_->layers()[row];
    cell->setLayerName(layer->name);
    cell->imageView()->setImage(layerManager_->getThumbnailForLayer(layer).value_or(graphics::Image()));
    cell->layerEnabled()->setOn(layer->isEnabled);
    return cell;
}

bool PainterLayerTableViewController::canEditRowAtIndexPath(ui::TableView&, const ui::IndexPath&) { return true; }
bool PainterLayerTableViewController::canMoveRowAtIndexPath(ui::TableView&, const ui::IndexPath&) { return true; }

void PainterLayerTableViewController::moveRowAtIndexPath(ui::TableView&, const ui::IndexPath& fromIndexPath,
                                                         const ui::IndexPath& toIndexPath) {
    if (layerManager_) layerManager_->moveLayerFromIndex(fromIndexPath.row, toIndexPath.row);
}

void PainterLayerTableViewController::didSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& indexPath) {
    updateButtonStates(indexPath.row);
}

ui::TableViewCellEditingStyle PainterLayerTableViewController::editingStyleForRowAtIndexPath(ui::TableView&,
                                                                                             const ui::IndexPath&) {
    return ui::TableViewCellEditingStyle::None;
}

bool PainterLayerTableViewController::shouldIndentWhileEditingRowAtIndexPath(ui::TableView&, const ui::IndexPath&) {
    return false;
}

void PainterLayerTableViewController::updateButtonStates(size_t row) {
    if (!layerManager_ || row >= layerManager_->layers().size() || !deleteBtn_) return;
    const PainterLayerPtr& layer = layerManager_->layers()[row];
    exportBtn_->setEnabled(layer->canStored);
    duplicateBtn_->setEnabled(layer->canStored);
    importBtn_->setEnabled(true);
    // The last layer stays, so it cannot be deleted.
    deleteBtn_->setEnabled(layer->canDeleted && layerManager_->layers().size() > 1);
    sliderOpacity_->setValue(layer->obacity);
}

void PainterLayerTableViewController::updateSelectionHandler() {
    if (!layerManager_) return;
    const auto active = layerManager_->getActiveLayerIndex();
    if (!active) return;
    tableView().selectRowAtIndexPath(ui::IndexPath::indexPathForRow(*active, 0), false,
                                     ui::TableViewScrollPosition::Top);
    updateButtonStates(*active);
}

void PainterLayerTableViewController::addLayer() {
    const auto selected = tableView().indexPathForSelectedRow();
    if (!selected || !layerManager_) return;
    if (!layerManager_->addLayerAtIndex(selected->row)) return;
    tableView().insertRowsAtIndexPaths({*selected}, ui::TableViewRowAnimation::Automatic);
    life_.performAfter(0.3, [this] { updateSelectionHandler(); });
}

void PainterLayerTableViewController::deleteLayer() {
    const auto selected = tableView().indexPathForSelectedRow();
    if (!selected || !layerManager_) return;
    if (!layerManager_->removeLayerAtIndex(selected->row)) return;
    tableView().deleteRowsAtIndexPaths({*selected}, ui::TableViewRowAnimation::Automatic);
    // The switches carry their row in their tag; rows below moved up.
    tableView().reloadData();
    updateSelectionHandler();
}

void PainterLayerTableViewController::enableLayer(size_t row, bool enabled) {
    if (layerManager_) layerManager_->enableLayerAtIndex(row, enabled);
}

void PainterLayerTableViewController::actionOpacityValueChanged() {
    const auto selected = tableView().indexPathForSelectedRow();
    if (!selected || !layerManager_) return;
    layerManager_->changeLayerOpacityAtIndex(selected->row, static_cast<float>(sliderOpacity_->value()));
}

bool PainterLayerTableViewController::popoverControllerShouldDismissPopover(WEPopoverController&) { return true; }

void PainterLayerTableViewController::popoverControllerDidDismissPopover(WEPopoverController&) {
    const auto selected = tableView().indexPathForSelectedRow();
    if (layerManager_) layerManager_->setActiveLayerAtIndex(selected ? selected->row : 0);
}
