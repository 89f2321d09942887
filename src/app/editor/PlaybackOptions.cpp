// The playback-options table: three switches stored in the project metadata
// and the speed panel in the last row.

#include "app/editor/FramePanels.h"
#include "app/widgets/cells/ConfigurationCell.h"
#include "app/widgets/popover/PopoverMenuTable.h"
#include "app/widgets/views/AccentColor.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Switch.h"

namespace {

struct OptionRow {
    const char* title;
    const char* key;
    void (ConfigurationViewController::*action)(ui::Switch&);
};

const OptionRow kOptionRows[] = {
    {"Play last 12 frames only", "PlayLastFramesOnly", &ConfigurationViewController::actionPlayLastFramesOnly},
    {"Play as loop", projectkeys::kPlayAsLoop, &ConfigurationViewController::actionPlayLoop},
    {"Play at half speed", "PlayAtHalfSpeed", &ConfigurationViewController::actionPlayHalfSpeed},
};
constexpr size_t kSwitchRows = std::size(kOptionRows);

}  // namespace

ConfigurationViewController::ConfigurationViewController(ProjectModelPtr project)
    : project_(std::move(project)), speedController_(std::make_shared<SpeedViewController>(project_)) {
    preferredContentSize = {360, kSwitchRows * kSwitchRowHeight + kSpeedRowHeight};
}

ConfigurationViewController::~ConfigurationViewController() {
    if (table_) {
        table_->setDataSource(nullptr);
        table_->setDelegate(nullptr);
    }
}

void ConfigurationViewController::loadView() {
    table_ = popovermenu::makeTable(preferredContentSize);
    setView(table_);
}

void ConfigurationViewController::viewDidLoad() {
    popovermenu::setUpTable(*table_, this, this);
    table_->setOpaque(false);
    table_->reloadData();
}

size_t ConfigurationViewController::numberOfRowsInSection(ui::TableView&, size_t) { return kSwitchRows + 1; }

std::optional<double> ConfigurationViewController::heightForRowAtIndexPath(ui::TableView&,
                                                                           const ui::IndexPath& indexPath) {
    return indexPath.row < kSwitchRows ? kSwitchRowHeight : kSpeedRowHeight;
}

ui::TableViewCellPtr ConfigurationViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                        const ui::IndexPath& indexPath) {
    auto cell =
        std::dynamic_pointer_cast<ConfigurationCell>(tableView.dequeueReusableCellWithIdentifier(kCellIdentifier));
    if (!cell) cell = std::make_shared<ConfigurationCell>(kCellIdentifier);
    tmpCell_ = cell;
    cell->setBackgroundColor(std::nullopt);
    cell->switchOnOff()->setOnTintColor(kAccentColor);
    cell->switchOnOff()->removeTarget(this, ui::ControlEventValueChanged);
    if (indexPath.row >= kSwitchRows) {
        cell->labelTitle()->setText({});
        cell->switchOnOff()->setHidden(true);
        ui::View* speed = speedController_->view();
        speed->setFrame(graphics::Rect(0, 0, preferredContentSize.width, kSpeedRowHeight));
        cell->contentView().addSubview(speedController_->viewPtr());
        return cell;
    }
    const OptionRow& row = kOptionRows[indexPath.row];
    cell->labelTitle()->setText(foundation::localized(row.title));
    cell->switchOnOff()->setHidden(false);
    auto meta = project_->getMetaData();
    cell->switchOnOff()->setOn(meta && meta->get(row.key).asBool());
    auto weak = foundation::weakFrom(this);
    cell->switchOnOff()->addTarget(
        this,
        [weak, action = row.action](ui::Control& sender) {
            auto self = weak.lock();
            if (auto* toggle = dynamic_cast<ui::Switch*>(&sender); self && toggle) ((*self).*action)(*toggle);
        },
        ui::ControlEventValueChanged);
    return cell;
}

void ConfigurationViewController::storeSwitch(const char* key, bool on) {
    auto meta = project_->getMetaData();
    if (!meta) return;
    meta->set(key, on);
    framepanels::reportSaveFailure(*project_, project_->saveMetaDataToDisk());
}

void ConfigurationViewController::actionPlayLastFramesOnly(ui::Switch& sender) {
    storeSwitch(kOptionRows[0].key, sender.isOn());
}
void ConfigurationViewController::actionPlayLoop(ui::Switch& sender) { storeSwitch(kOptionRows[1].key, sender.isOn()); }
void ConfigurationViewController::actionPlayHalfSpeed(ui::Switch& sender) {
    storeSwitch(kOptionRows[2].key, sender.isOn());
}
