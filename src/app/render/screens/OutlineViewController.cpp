#include "app/render/screens/OutlineViewController.h"

#include "app/core/KWProfanityFilter.h"
#include "app/core/SaveFailure.h"
#include "app/render/OutlineTexts.h"
#include "app/render/screens/ThemeSettingsNames.h"
#include "app/render/screens/ThemeSheetChrome.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/cells/UnderlinedELCTextFieldCell.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Label.h"

#include <cerrno>

namespace {
// The cell of a text field, found up the field's superviews.
ELCTextFieldCell* cellOf(ui::TextField& field) {
    for (ui::View* view = field.superview(); view; view = view->superview())
        if (auto* cell = dynamic_cast<ELCTextFieldCell*>(view)) return cell;
    return nullptr;
}
}  // namespace

OutlineViewController::OutlineViewController(std::string nibName, ProjectModelPtr project)
    : ui::ViewController(std::move(nibName)), project_(std::move(project)) {}

OutlineViewController::OutlineViewController(ProjectModelPtr project) : project_(std::move(project)) {}

OutlineViewController::~OutlineViewController() {
    if (tableView_) {
        tableView_->setDataSource(nullptr);
        tableView_->setDelegate(nullptr);
    }
}

void OutlineViewController::initArrays() {
    labels_.clear(), placeholders_.clear(), values_.clear(), metadataIds_.clear();
    for (const OutlineSection& section : outlineSections()) {
        std::vector<std::string> labels, placeholders, keys;
        for (const OutlineRow& row : section.rows) {
            labels.push_back(foundation::localized(row.label));
            placeholders.push_back(outlinePlaceholder(row));
            keys.push_back(row.key);
        }
        values_.emplace_back(section.rows.size(), std::string());
        labels_.push_back(std::move(labels));
        placeholders_.push_back(std::move(placeholders));
        metadataIds_.push_back(std::move(keys));
    }
}

foundation::Dictionary OutlineViewController::getPlaceholderOutline() {
    initArrays();
    return project_ ? placeholderOutline(*project_) : foundation::Dictionary();
}

// ---- view -------------------------------------------------------------------------------------

void OutlineViewController::loadView() {
    tableView_ = ui::makeView<ui::TableView>(graphics::Rect(0, 0, 1024, 768), ui::TableViewStyle::Plain);
    tableView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    setView(tableView_);
}

void OutlineViewController::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    // The sheet may have changed its size since this view loaded.
    updateSizeButton(!navigationController() || themesheet::isExpanded(*navigationController()->view()));
}

void OutlineViewController::viewDidLoad() {
    tableView_->setBackgroundView(nullptr);
    tableView_->setSeparatorColor(graphics::Color::clear());
    navigationItem().setTitleView(themesheet::makeTabsTitleView(true, [weak = foundation::weakFrom(this)] {
        if (auto self = weak.lock()) self->actionUpload();
    }));
    navigationItem().setRightBarButtonItem(themesheet::makeDoneButton([weak = foundation::weakFrom(this)] {
        if (auto self = weak.lock()) self->actionDone();
    }));

    initArrays();
    std::optional<foundation::Dictionary> meta = project_ ? project_->getMetaData() : std::nullopt;
    const foundation::Dictionary stored =
        meta ? meta->get(outlinekeys::kOutlineData).asDictionary() : foundation::Dictionary();
    for (size_t s = 0; s < values_.size(); ++s)
        for (size_t r = 0; r < values_[s].size(); ++r) {
            const foundation::Value& text = stored.get(metadataIds_[s][r]);
            // A stored placeholder shows as the placeholder again.
            if (text.isString() && !text.asString().empty() && text.asString() != placeholders_[s][r])
                values_[s][r] = text.asString();
        }
    std::string name = meta ? meta->get(projectkeys::kName).asString() : std::string();
    values_[0][0] = name.empty() ? foundation::localized(kDefaultMovieName) : name;

    tableView_->setDataSource(this);
    tableView_->setDelegate(this);
    tableView_->reloadData();
    foundation::NotificationCenter::defaultCenter().post(themesettings::kThemeShowCreditsNotification, this);
}

void OutlineViewController::viewWillDisappear(bool animated) {
    // Leaving by any way keeps what was typed.
    saveIfChanged();
    ui::ViewController::viewWillDisappear(animated);
}

void OutlineViewController::updateSizeButton(bool expanded) {
    navigationItem().setLeftBarButtonItem(themesheet::makeSizeButton(expanded, [weak = foundation::weakFrom(this)] {
        if (auto self = weak.lock()) self->actionChangeSize();
    }));
}

// ---- table ------------------------------------------------------------------------------------

size_t OutlineViewController::numberOfSectionsInTableView(ui::TableView&) { return labels_.size(); }

size_t OutlineViewController::numberOfRowsInSection(ui::TableView&, size_t section) {
    return section < labels_.size() ? labels_[section].size() : 0;
}

bool OutlineViewController::isLastRow(const ui::IndexPath& indexPath) const {
    return size_t(indexPath.section) + 1 == labels_.size() && size_t(indexPath.row) + 1 == labels_.back().size();
}

ui::TableViewCellPtr OutlineViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                  const ui::IndexPath& indexPath) {
    auto cell = std::dynamic_pointer_cast<UnderlinedELCTextFieldCell>(
        tableView.dequeueReusableCellWithIdentifier(kCellIdentifier));
    if (!cell) {
        cell = std::make_shared<UnderlinedELCTextFieldCell>(ui::TableViewCellStyle::Default, kCellIdentifier);
        cell->setBackgroundColor(graphics::Color::white());
    }
    const size_t s = size_t(indexPath.section), r = size_t(indexPath.row);
    cell->leftLabel()->setText(labels_[s][r] + ":");
    cell->leftLabel()->setTextColor(graphics::Color::darkGray());
    cell->leftLabel()->setFont(graphics::Font("Courier", 12));
    ui::TextField& field = *cell->rightTextField();
    field.setPlaceholder(placeholders_[s][r]);
    field.setText(values_[s][r]);
    field.setFont(graphics::Font("Chalkduster", 15));
    field.setTextColor(graphics::Color::black());
    field.setReturnKeyType(isLastRow(indexPath) ? ui::ReturnKeyType::Done : ui::ReturnKeyType::Next);
    cell->indexPath = indexPath;
    cell->delegate = this;
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
    return cell;
}

std::optional<double> OutlineViewController::heightForHeaderInSection(ui::TableView&, size_t) { return 40; }

ui::ViewPtr OutlineViewController::viewForHeaderInSection(ui::TableView& tableView, size_t section) {
    return themesheet::makeSectionHeader(foundation::localized(outlineSections()[section].header),
                                         tableView.bounds().width());
}

std::optional<ui::IndexPath> OutlineViewController::willSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath&) {
    return std::nullopt;
}

// ---- editing ----------------------------------------------------------------------------------

void OutlineViewController::noteCardUsed(const ui::IndexPath& indexPath) {
    lastCardUsed_ = indexPath.section == 0 && indexPath.row == 0 ? 0 : 1;
}

void OutlineViewController::setValue(const ui::IndexPath& indexPath, const std::string& value) {
    const auto s = size_t(indexPath.section), r = size_t(indexPath.row);
    if (s < values_.size() && r < values_[s].size()) values_[s][r] = value;
}

bool OutlineViewController::textFieldShouldBeginEditing(ui::TextField& textField) {
    isOutlineChanged_ = true;
    // The strip shows the card whose text is being edited.
    if (ELCTextFieldCell* cell = cellOf(textField)) {
        const bool title = cell->indexPath.section == 0 && cell->indexPath.row == 0;
        foundation::NotificationCenter::defaultCenter().post(
            title ? themesettings::kThemeShowTitleNotification : themesettings::kThemeShowCreditsNotification, this);
    }
    if (navigationController() && !themesheet::isExpanded(*navigationController()->view())) actionChangeSize();
    lastTextField_ = std::static_pointer_cast<ui::TextField>(textField.shared_from_this());
    return true;
}

void OutlineViewController::textFieldDidEndEditing(ui::TextField& textField) {
    ELCTextFieldCell* cell = cellOf(textField);
    if (!cell) return;
    const std::string filtered = KWProfanityFilter().filterText(textField.text());
    textField.setText(filtered);
    setValue(cell->indexPath, filtered);
    noteCardUsed(cell->indexPath);
    lastTextField_.reset();
}

bool OutlineViewController::textFieldCellShouldReturnForIndexPath(ELCTextFieldCell& cell,
                                                                  const ui::IndexPath& indexPath, const std::string&) {
    if (cell.rightTextField()->returnKeyType() != ui::ReturnKeyType::Next) return true;
    ui::IndexPath next = indexPath;
    if (size_t(next.row) + 1 < labels_[size_t(next.section)].size()) {
        next.row += 1;
    } else if (size_t(next.section) + 1 < labels_.size()) {
        next.section += 1;
        next.row = 0;
    } else {
        next.section = 0;
        next.row = 0;
    }
    auto nextCell = std::dynamic_pointer_cast<ELCTextFieldCell>(tableView_->cellForRowAtIndexPath(next));
    if (nextCell) nextCell->rightTextField()->becomeFirstResponder();
    return false;
}

void OutlineViewController::textFieldCellUpdateTextLabelAtIndexPath(ELCTextFieldCell&, const ui::IndexPath& indexPath,
                                                                    const std::string& string) {
    setValue(indexPath, string);
    noteCardUsed(indexPath);
}

// ---- saving and leaving -------------------------------------------------------------------------

bool OutlineViewController::saveDataAndFinish() {
    if (auto editing = lastTextField_.lock()) editing->resignFirstResponder();  // its end-of-editing step runs first
    if (!project_) return false;
    foundation::Dictionary outline;
    for (size_t s = 0; s < values_.size(); ++s)
        for (size_t r = 0; r < values_[s].size(); ++r)
            outline.set(metadataIds_[s][r], values_[s][r].empty() ? placeholders_[s][r] : values_[s][r]);
    std::optional<foundation::Dictionary> meta = project_->getMetaData();
    foundation::Status saved = foundation::Status::success();
    if (meta) {
        meta->set(projectkeys::kName, values_[0][0]);
        meta->set(outlinekeys::kOutlineData, outline);
        meta->set(projectkeys::kNeedsRendering, true);
        saved = project_->saveMetaDataToDisk();
    }
    if (!meta || !saved) {
        // The edit stays marked, so leaving tries again.
        const foundation::Error failure =
            meta ? saved.error()
                 : project_->metaDataLoadError().value_or(foundation::Error(foundation::kPOSIXErrorDomain, EIO, ""));
        auto alert = AlertView::create(foundation::localized("Error"),
                                       saveFailureText(foundation::localized("The outline"), failure));
        alert->addButtonWithTitle(foundation::localized("OK"), {});
        alert->show();
        return false;
    }
    foundation::NotificationCenter::defaultCenter().post(
        themesettings::kOutlineHasChangedNotification, this,
        foundation::Dictionary{{themesettings::kOutlineLastCardUsedKey, foundation::Value(int64_t(lastCardUsed_))}});
    isOutlineChanged_ = false;
    return true;
}

void OutlineViewController::saveIfChanged() {
    if (isOutlineChanged_ || !lastTextField_.expired()) saveDataAndFinish();
}

void OutlineViewController::actionUpload() {
    saveIfChanged();
    if (navigationController()) navigationController()->popViewController(false);
}

void OutlineViewController::actionChangeSize() {
    ui::NavigationController* navigation = navigationController();
    if (!navigation) return;
    ui::View* sheet = navigation->view()->superview();
    const graphics::Rect area = sheet ? sheet->bounds() : navigation->view()->frame();
    themesheet::changeSize(*navigation, area.width(), area.height(),
                           [weak = foundation::weakFrom(this)](bool expanded) {
                               auto self = weak.lock();
                               if (!self) return;
                               self->updateSizeButton(expanded);
                               if (!expanded && self->isOutlineChanged_) self->saveDataAndFinish();
                           });
}

void OutlineViewController::actionDone() {
    saveIfChanged();
    foundation::NotificationCenter::defaultCenter().post(themesettings::kThemeDoneNotification, this);
}
