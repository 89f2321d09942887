#include "platform/library/FileChooserViewController.h"

#include "platform/foundation/DateFormat.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/library/ChooserGlyphs.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Switch.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace library {

namespace {

namespace path = foundation::path;
using graphics::Color;
using graphics::Rect;

constexpr double kPathBarHeight = 52;
constexpr double kMargin = 12;
constexpr double kPlaceHeight = 40;
constexpr double kHiddenRowHeight = 48;
constexpr const char* kRowIdentifier = "FileChooserRow";
const Color kBarColor = Color::grey(0.96);
const Color kSidebarColor = Color::grey(0.94);
const Color kRuleColor = Color::grey(0.8);

struct Place {
    ChooserGlyph glyph;
    const char* title;
    std::string ChooserPlaces::*folder;
};
const Place kPlaces[] = {{ChooserGlyph::Home, "Home", &ChooserPlaces::home},
                         {ChooserGlyph::Documents, "Documents", &ChooserPlaces::documents},
                         {ChooserGlyph::Downloads, "Downloads", &ChooserPlaces::downloads}};

std::optional<mode_t> fileType(const std::string& filePath) {
    struct stat info {};
    if (::stat(filePath.c_str(), &info) != 0) return std::nullopt;
    return info.st_mode & S_IFMT;
}

std::shared_ptr<ui::Button> makePlaceButton(const Place& place) {
    auto button = ui::Button::buttonWithType(ui::ButtonType::System);
    button->setTitle(foundation::localized(place.title), ui::ControlStateNormal);
    button->setImage(chooserGlyph(place.glyph, 22), ui::ControlStateNormal);
    button->setContentHorizontalAlignment(ui::ControlContentHorizontalAlignment::Left);
    button->setContentEdgeInsets({0, 10, 0, 10});
    button->setTitleEdgeInsets({0, 10, 0, -10});
    button->titleLabel()->setFont(graphics::Font::systemFont(16));
    button->layer().setCornerRadius(8);
    return button;
}

}  // namespace

FileChooserViewController::FileChooserViewController(std::vector<DocumentType> types, ChooserPlaces places,
                                                     std::string startFolder, FolderReader reader)
    : types_(std::move(types)), places_(std::move(places)), reader_(reader ? std::move(reader) : listFolder) {
    listing_.folder = resolveTypedPath(startFolder, "/", places_.home);
}

FileChooserViewController::~FileChooserViewController() {
    abandonReading();
    if (tableView_) {
        tableView_->setDataSource(nullptr);
        tableView_->setDelegate(nullptr);
    }
    if (pathField_) pathField_->setDelegate(nullptr);
    if (hiddenSwitch_) hiddenSwitch_->removeTarget(this, ui::ControlEventAllEvents);
    for (auto& [button, folder] : placeButtons_) button->removeTarget(this, ui::ControlEventAllEvents);
    if (stopReadingButton_) stopReadingButton_->removeTarget(this, ui::ControlEventAllEvents);
}

// ---- view -------------------------------------------------------------------------------

void FileChooserViewController::loadView() {
    auto root = ui::makeView<ui::View>(Rect{0, 0, 720, 540});
    root->setBackgroundColor(Color::white());
    setView(root);

    pathBar_ = ui::makeView<ui::View>();
    pathBar_->setBackgroundColor(kBarColor);
    root->addSubview(pathBar_);
    pathField_ = ui::makeView<ui::TextField>();
    pathField_->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    pathField_->setFont(graphics::Font::systemFont(15));
    pathField_->setPlaceholder(foundation::localized("Folder or file path"));
    pathField_->setReturnKeyType(ui::ReturnKeyType::Go);
    pathField_->setDelegate(this);
    pathBar_->addSubview(pathField_);

    sidebar_ = ui::makeView<ui::View>();
    sidebar_->setBackgroundColor(kSidebarColor);
    root->addSubview(sidebar_);
    for (const Place& place : kPlaces) {
        auto button = makePlaceButton(place);
        std::string folder = places_.*place.folder;
        button->addTarget(
            this, [this, folder](ui::Control&) { openFolder(folder); }, ui::ControlEventTouchUpInside);
        sidebar_->addSubview(button);
        placeButtons_.emplace_back(button, folder);
    }
    hiddenLabel_ = ui::makeView<ui::Label>();
    hiddenLabel_->setText(foundation::localized("Hidden Files"));
    hiddenLabel_->setFont(graphics::Font::systemFont(15));
    hiddenLabel_->setTextColor(Color::darkGray());
    sidebar_->addSubview(hiddenLabel_);
    hiddenSwitch_ = ui::makeView<ui::Switch>();
    hiddenSwitch_->addTarget(
        this, [this](ui::Control&) { setShowsHiddenFiles(hiddenSwitch_->isOn()); }, ui::ControlEventValueChanged);
    sidebar_->addSubview(hiddenSwitch_);

    tableView_ = ui::makeView<ui::TableView>(Rect{}, ui::TableViewStyle::Plain);
    tableView_->setRowHeight(kRowHeight);
    tableView_->registerClass(
        [] { return std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Value1, kRowIdentifier); },
        kRowIdentifier);
    tableView_->setDataSource(this);
    tableView_->setDelegate(this);
    root->addSubview(tableView_);

    messageLabel_ = ui::makeView<ui::Label>();
    messageLabel_->setFont(graphics::Font::systemFont(16));
    messageLabel_->setTextColor(Color::grey(0.45));
    messageLabel_->setTextAlignment(graphics::TextAlignment::Center);
    messageLabel_->setNumberOfLines(0);
    messageLabel_->setUserInteractionEnabled(false);
    root->addSubview(messageLabel_);
    buildReadingPanel(*root);

    auto rule = [&](const ui::ViewPtr& parent) {
        auto line = ui::makeView<ui::View>();
        line->setBackgroundColor(kRuleColor);
        line->setUserInteractionEnabled(false);
        parent->addSubview(line);
        return line;
    };
    pathRule_ = rule(pathBar_);
    sidebarRule_ = rule(sidebar_);

    cancelItem_ = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Cancel,
                                                      [this](ui::BarButtonItem&) { cancel(); });
    openItem_ = std::make_shared<ui::BarButtonItem>(foundation::localized("Open"), ui::BarButtonItemStyle::Done,
                                                    [this](ui::BarButtonItem&) { pickSelected(); });
    openItem_->setEnabled(false);
    navigationItem().setLeftBarButtonItem(cancelItem_);
    navigationItem().setRightBarButtonItem(openItem_);

    reload(std::nullopt);
}

void FileChooserViewController::viewWillLayoutSubviews() {
    const Rect bounds = view()->bounds();
    const double sidebarWidth = std::min(kSidebarWidth, std::round(bounds.width() * 0.32));
    const double below = bounds.height() - kPathBarHeight;
    pathBar_->setFrame({0, 0, bounds.width(), kPathBarHeight});
    pathField_->setFrame({kMargin, 8, bounds.width() - 2 * kMargin, kPathBarHeight - 16});
    pathRule_->setFrame({0, kPathBarHeight - 1, bounds.width(), 1});

    sidebar_->setFrame({0, kPathBarHeight, sidebarWidth, below});
    sidebarRule_->setFrame({sidebarWidth - 1, 0, 1, below});
    // The window's tint marks the place one is in and the switch that is
    // on; it is known only once the view is in the window.
    const Color tint = view()->tintColor();
    for (size_t i = 0; i < placeButtons_.size(); ++i) {
        ui::Button& button = *placeButtons_[i].first;
        button.setFrame({8, 8 + kPlaceHeight * static_cast<double>(i), sidebarWidth - 17, kPlaceHeight - 4});
        button.setBackgroundColor(button.isSelected() ? std::optional(tint.withAlpha(0.15)) : std::nullopt);
    }
    hiddenSwitch_->setOnTintColor(tint);
    const double switchY = below - kHiddenRowHeight + (kHiddenRowHeight - ui::Switch::kHeight) / 2;
    hiddenSwitch_->setFrame({sidebarWidth - ui::Switch::kWidth - kMargin, switchY, ui::Switch::kWidth, ui::Switch::kHeight});
    hiddenLabel_->setFrame({kMargin, below - kHiddenRowHeight, sidebarWidth - ui::Switch::kWidth - 3 * kMargin, kHiddenRowHeight});

    const Rect list{sidebarWidth, kPathBarHeight, bounds.width() - sidebarWidth, below};
    tableView_->setFrame(list);
    // Below the way up, which stays usable in a folder that shows nothing.
    const Rect belowWayUp{list.minX() + 2 * kMargin, list.minY() + kRowHeight + 2 * kMargin,
                          list.width() - 4 * kMargin, 3 * kRowHeight};
    messageLabel_->setFrame(belowWayUp);
    readingPanel_->setFrame(belowWayUp);
}

std::vector<ui::Button*> FileChooserViewController::placeButtons() {
    view();
    std::vector<ui::Button*> buttons;
    for (auto& [button, folder] : placeButtons_) buttons.push_back(button.get());
    return buttons;
}

// ---- rows -----------------------------------------------------------------------------------

size_t FileChooserViewController::numberOfRows() const { return listing_.entries.size() + (hasWayUp() ? 1 : 0); }

const FolderEntry* FileChooserViewController::entryAtRow(size_t row) const {
    if (hasWayUp()) {
        if (row == 0) return nullptr;
        --row;
    }
    return row < listing_.entries.size() ? &listing_.entries[row] : nullptr;
}

std::optional<size_t> FileChooserViewController::selectedRow() const { return selected_; }

bool FileChooserViewController::acceptsFile(std::string_view name) const {
    return std::any_of(types_.begin(), types_.end(), [&](const DocumentType& type) { return type.matchesFileName(name); });
}

size_t FileChooserViewController::numberOfRowsInSection(ui::TableView&, size_t) { return numberOfRows(); }

ui::TableViewCellPtr FileChooserViewController::cellForRowAtIndexPath(ui::TableView& table,
                                                                     const ui::IndexPath& indexPath) {
    auto cell = table.dequeueReusableCellWithIdentifier(kRowIdentifier, indexPath);
    const FolderEntry* entry = entryAtRow(indexPath.row);
    cell->textLabel()->setFont(graphics::Font::systemFont(16));
    cell->detailTextLabel()->setFont(graphics::Font::systemFont(14));
    if (!entry) {
        cell->textLabel()->setText(foundation::localized("Parent Folder"));
        cell->detailTextLabel()->setText("");
        cell->imageView()->setImage(chooserGlyph(ChooserGlyph::WayUp));
        cell->setAccessoryType(ui::TableViewCellAccessoryType::None);
        return cell;
    }
    cell->textLabel()->setText(entry->displayName);
    cell->detailTextLabel()->setText(entry->isFolder ? "" : foundation::formatRelativeMediumDate(entry->modified));
    cell->imageView()->setImage(chooserGlyph(entry->isFolder ? ChooserGlyph::Folder : ChooserGlyph::Document));
    cell->setAccessoryType(entry->isFolder ? ui::TableViewCellAccessoryType::DisclosureIndicator
                                           : ui::TableViewCellAccessoryType::None);
    return cell;
}

std::optional<ui::IndexPath> FileChooserViewController::willSelectRowAtIndexPath(ui::TableView&,
                                                                                const ui::IndexPath& indexPath) {
    selectedBeforeTap_ = selected_;
    return indexPath;
}

void FileChooserViewController::didSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& indexPath) {
    const size_t row = indexPath.row;
    const FolderEntry* entry = entryAtRow(row);
    // Folders open at once; a file is chosen by a second tap, so a stray
    // click never imports.
    if (!entry || entry->isFolder || selectedBeforeTap_ == row) return activateRow(row);
    selectRow(row);
}

void FileChooserViewController::selectRow(std::optional<size_t> row) {
    if (row && *row >= numberOfRows()) row.reset();
    selected_ = row;
    for (const ui::IndexPath& shown : tableView_->indexPathsForSelectedRows()) tableView_->deselectRowAtIndexPath(shown, false);
    if (row) {
        const auto indexPath = ui::IndexPath::indexPathForRow(*row, 0);
        tableView_->selectRowAtIndexPath(indexPath, false, ui::TableViewScrollPosition::None);
        tableView_->scrollRectToVisible(tableView_->rectForRowAtIndexPath(indexPath), false);
    }
    const FolderEntry* entry = row ? entryAtRow(*row) : nullptr;
    openItem_->setEnabled(entry && !entry->isFolder);
}

void FileChooserViewController::activateRow(size_t row) {
    if (row >= numberOfRows()) return;
    const FolderEntry* entry = entryAtRow(row);
    if (!entry) {
        if (auto parent = parentFolder(listing_.folder)) openFolder(*parent);
    } else if (entry->isFolder) {
        openFolder(path::appending(listing_.folder, entry->name));
    } else {
        choose(path::appending(listing_.folder, entry->name));
    }
}

void FileChooserViewController::pickSelected() {
    const FolderEntry* entry = selected_ ? entryAtRow(*selected_) : nullptr;
    if (entry && !entry->isFolder) activateRow(*selected_);
}

// ---- moving between folders -----------------------------------------------------------------

void FileChooserViewController::openFolder(const std::string& folder) {
    const std::string target = resolveTypedPath(folder, listing_.folder, places_.home);
    std::optional<std::string> cameFrom;
    if (parentFolder(listing_.folder) == target) cameFrom = path::lastComponent(listing_.folder);
    listing_.folder = target;
    reload(cameFrom);
}

void FileChooserViewController::setShowsHiddenFiles(bool show) {
    const FolderEntry* entry = selected_ ? entryAtRow(*selected_) : nullptr;
    std::optional<std::string> keep = entry ? std::optional(entry->name) : std::nullopt;
    showHidden_ = show;
    if (!isViewLoaded()) return;
    if (hiddenSwitch_->isOn() != show) hiddenSwitch_->setOn(show, false);
    reload(keep);
}

void FileChooserViewController::reload(std::optional<std::string> selectName) {
    abandonReading();
    listing_ = FolderListing{listing_.folder, {}, std::nullopt};
    typed_.clear();
    if (!isViewLoaded()) return;
    startReading(selectName);
    showListing(std::nullopt);
}

void FileChooserViewController::showListing(std::optional<std::string> selectName) {
    pathField_->setText(displayFileName(listing_.folder));
    if (listing_.error && listing_.error->code == ECANCELED) {
        messageLabel_->setText(foundation::localized("Reading this folder was stopped."));
    } else if (listing_.error) {
        messageLabel_->setText(foundation::localized("This folder cannot be read."));
    } else if (listing_.entries.empty()) {
        messageLabel_->setText(foundation::localized("No folders or files to open here."));
    }
    messageLabel_->setHidden(isReading() || (!listing_.error && !listing_.entries.empty()));
    tableView_->reloadData();
    tableView_->setContentOffset({0, 0}, false);
    std::optional<size_t> row;
    if (selectName) {
        const auto& entries = listing_.entries;
        auto found = std::find_if(entries.begin(), entries.end(), [&](const FolderEntry& e) { return e.name == *selectName; });
        if (found != entries.end()) row = static_cast<size_t>(found - entries.begin()) + (hasWayUp() ? 1 : 0);
    }
    selectRow(row);
    updatePlaces();
}

void FileChooserViewController::updatePlaces() {
    for (auto& [button, folder] : placeButtons_) {
        button->setEnabled(fileType(folder) == S_IFDIR);
        button->setSelected(resolveTypedPath(folder, "/", places_.home) == listing_.folder);
    }
    view()->setNeedsLayout();
}

bool FileChooserViewController::goToTypedPath(const std::string& typed) {
    if (typed.empty()) return false;
    // The field shows the folder's name readably, which may not be its name.
    const std::string target = typed == displayFileName(listing_.folder)
                                   ? listing_.folder
                                   : resolveTypedPath(typed, listing_.folder, places_.home);
    const std::optional<mode_t> type = fileType(target);
    if (type == S_IFDIR) {
        openFolder(target);
        return true;
    }
    if (type == S_IFREG && acceptsFile(path::lastComponent(target))) {
        choose(target);
        return true;
    }
    if (!type) {
        showProblem(foundation::format(foundation::localized("There is no file or folder at “%@”."),
                                       {foundation::Value(displayFileName(target))}));
    } else {
        const std::string kind = types_.empty() ? std::string() : types_.front().description;
        showProblem(foundation::format(foundation::localized("“%@” is not a %@."),
                                       {foundation::Value(displayFileName(path::lastComponent(target))),
                                        foundation::Value(kind)}));
    }
    return false;
}

bool FileChooserViewController::textFieldShouldReturn(ui::TextField& field) { return goToTypedPath(field.text()); }

void FileChooserViewController::textFieldDidEndEditing(ui::TextField& field) {
    field.setText(displayFileName(listing_.folder));
}

void FileChooserViewController::showProblem(const std::string& message) {
    auto alert = ui::makeView<ui::AlertView>("", message, nullptr, foundation::localized("OK"), std::vector<std::string>{});
    alert->show();
}

// ---- the outcome ----------------------------------------------------------------------------

void FileChooserViewController::choose(const std::string& filePath) {
    if (finished_) return;
    finished_ = true;
    abandonReading();
    if (onPick) onPick(filePath);
}

void FileChooserViewController::cancel() {
    if (finished_) return;
    finished_ = true;
    abandonReading();
    if (onCancel) onCancel();
}

}  // namespace library
