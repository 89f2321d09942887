#include "app/render/screens/ThemeSettingsViewController.h"

#include "app/render/screens/OutlineViewController.h"
#include "app/render/screens/ThemeSettingsNames.h"
#include "app/render/screens/ThemeSheetChrome.h"
#include "app/widgets/cells/ConfigurationCell.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Switch.h"

namespace {
// Section titles in order; the pickers follow the same order.
constexpr const char* kSectionTitles[] = {"Theme", "Foreground", "Fade", "Effect", "Mask"};
constexpr size_t kSections = std::size(kSectionTitles);
}  // namespace

ThemeSettingsViewController::ThemeSettingsViewController(std::string nibName, ProjectModelPtr project)
    : ui::ViewController(std::move(nibName)), project_(std::move(project)) {}

ThemeSettingsViewController::~ThemeSettingsViewController() {
    if (tableView_) {
        tableView_->setDataSource(nullptr);
        tableView_->setDelegate(nullptr);
    }
}

KWSelectionViewController* ThemeSettingsViewController::pickerForSection(size_t section) const {
    switch (section) {
        case 0:
            return themeController_.get();
        case 1:
            return foregroundController_.get();
        case 2:
            return fadeSelectionViewController_.get();
        case 3:
            return effectController_.get();
        case 4:
            return maskSelectionViewController_.get();
        default:
            return nullptr;
    }
}

void ThemeSettingsViewController::loadView() {
    tableView_ = ui::makeView<ui::TableView>(graphics::Rect(0, 0, 1024, 768), ui::TableViewStyle::Plain);
    tableView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    setView(tableView_);
}

void ThemeSettingsViewController::viewDidLoad() {
    tableView_->setBackgroundView(nullptr);
    tableView_->setSeparatorColor(graphics::Color::clear());
    tableView_->setScrollEnabled(true);
    navigationItem().setTitleView(themesheet::makeTabsTitleView(false, [weak = foundation::weakFrom(this)] {
        if (auto self = weak.lock()) self->actionUpload();
    }));
    navigationItem().setRightBarButtonItem(themesheet::makeDoneButton([weak = foundation::weakFrom(this)] {
        if (auto self = weak.lock()) self->actionDone();
    }));

    themeController_ = std::make_shared<KWThemeSelectionViewController>(project_);
    effectController_ = std::make_shared<KWMovieEffectSelectionViewController>(project_);
    foregroundController_ = std::make_shared<KWForegroundSelectionViewController>(project_);
    fadeSelectionViewController_ = std::make_shared<KWFadeSelectionViewController>(project_);
    maskSelectionViewController_ = std::make_shared<KWMaskSelectionView>(project_);
    for (size_t section = 0; section < kSections; ++section)
        addChildViewController(pickerForSection(section)->shared_from_this());

    tableView_->setDataSource(this);
    tableView_->setDelegate(this);
    tableView_->reloadData();
    if (showPageAtStart_ == 1) actionUpload();
}

void ThemeSettingsViewController::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    // The host places the sheet after its view loaded, and the outline
    // editor may have changed its size meanwhile: the chevron shows the
    // size it has now.
    updateSizeButton(!navigationController() || themesheet::isExpanded(*navigationController()->view()));
    tableView_->scrollToRowAtIndexPath(ui::IndexPath{0, 0}, ui::TableViewScrollPosition::Middle, false);
    // A sheet too low for the first row and its header keeps the header in
    // view: the row's title is what says which setting the row is.
    const double headerTop = tableView_->rectForHeaderInSection(0).minY() - tableView_->contentInset().top;
    if (tableView_->contentOffset().y > headerTop)
        tableView_->setContentOffset({tableView_->contentOffset().x, headerTop}, false);
}

void ThemeSettingsViewController::updateSizeButton(bool expanded) {
    navigationItem().setLeftBarButtonItem(themesheet::makeSizeButton(expanded, [weak = foundation::weakFrom(this)] {
        if (auto self = weak.lock()) self->actionChangeSize();
    }));
}

// ---- table ------------------------------------------------------------------------------------

size_t ThemeSettingsViewController::numberOfSectionsInTableView(ui::TableView&) { return kSections; }

size_t ThemeSettingsViewController::numberOfRowsInSection(ui::TableView&, size_t) { return 1; }

ui::TableViewCellPtr ThemeSettingsViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                        const ui::IndexPath& indexPath) {
    auto cell =
        std::dynamic_pointer_cast<ConfigurationCell>(tableView.dequeueReusableCellWithIdentifier(kCellIdentifier));
    if (!cell) cell = std::make_shared<ConfigurationCell>(kCellIdentifier);
    cell->labelTitle()->setText("");
    cell->switchOnOff()->setHidden(true);
    // A reused cell may still hold another section's picker.
    for (size_t section = 0; section < kSections; ++section) {
        ui::View* other = pickerForSection(section)->view();
        if (other->superview() == &cell->contentView()) other->removeFromSuperview();
    }
    ui::View* picker = pickerForSection(indexPath.section)->view();
    picker->setFrame(cell->bounds());
    picker->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    cell->contentView().addSubview(picker->shared_from_this());
    cell->setBackgroundColor(graphics::Color::white());
    return cell;
}

std::optional<double> ThemeSettingsViewController::heightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&) {
    return kRowHeight;
}

std::optional<double> ThemeSettingsViewController::heightForHeaderInSection(ui::TableView&, size_t) { return 40; }

ui::ViewPtr ThemeSettingsViewController::viewForHeaderInSection(ui::TableView&, size_t section) {
    return themesheet::makeSectionHeader(foundation::localized(kSectionTitles[section]), view()->bounds().width());
}

std::optional<ui::IndexPath> ThemeSettingsViewController::willSelectRowAtIndexPath(ui::TableView&,
                                                                                   const ui::IndexPath&) {
    return std::nullopt;
}

// ---- actions ----------------------------------------------------------------------------------

void ThemeSettingsViewController::actionUpload() {
    if (!navigationController()) return;
    navigationController()->pushViewController(
        std::make_shared<OutlineViewController>(OutlineViewController::kNibName, project_), false);
}

void ThemeSettingsViewController::actionChangeSize() {
    ui::NavigationController* navigation = navigationController();
    if (!navigation) return;
    ui::View* host = navigation->view()->superview();
    const graphics::Rect area = host ? host->bounds() : navigation->view()->frame();
    themesheet::changeSize(*navigation, area.width(), area.height(),
                           [weak = foundation::weakFrom(this)](bool expanded) {
                               if (auto self = weak.lock()) self->updateSizeButton(expanded);
                           });
}

void ThemeSettingsViewController::actionDone() {
    foundation::NotificationCenter::defaultCenter().post(themesettings::kThemeDoneNotification, this);
}
