#include "app/capture/CaptureSourceSelectionView.h"

#include "app/capture/CaptureSources.h"
#include "app/core/DataManager.h"
#include "app/core/UIImage_Resize.h"
#include "app/widgets/popover/PopoverMenuTable.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/lists/TableViewCell.h"

CaptureSourceList registryCaptureSources() {
    return []() -> const std::vector<CaptureControllerPtr>& {
        return *CaptureSources::sharedInstance().getAvailableCaptureSources();
    };
}

CaptureSourceSelectionView::CaptureSourceSelectionView(CaptureSourceList sources) : sources_(std::move(sources)) {
    // The height as of now: a source found later adds a row, not height.
    const double rows = static_cast<double>(sources_().size() + 1);
    preferredContentSize = {kWidth, rows * kRowHeight - 2};
}

CaptureSourceSelectionView::~CaptureSourceSelectionView() {
    if (table_) {
        table_->setDataSource(nullptr);
        table_->setDelegate(nullptr);
    }
}

void CaptureSourceSelectionView::loadView() {
    table_ = popovermenu::makeTable(preferredContentSize);
    setView(table_);
}

void CaptureSourceSelectionView::viewDidLoad() {
    table_->setRowHeight(kRowHeight);
    popovermenu::setUpTable(*table_, this, this);
    auto weak = foundation::weakFrom(this);
    updateObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
        kUpdateSourcesNotification, nullptr, [weak](const foundation::Notification& notification) {
            if (auto self = weak.lock()) self->receiveCaptureSourceUpdateNotification(notification);
        });
    table_->reloadData();
    popovermenu::widenToShowRows(*this, *table_);
}

void CaptureSourceSelectionView::receiveCaptureSourceUpdateNotification(const foundation::Notification&) {
    if (table_) table_->reloadData();
}

size_t CaptureSourceSelectionView::numberOfRowsInSection(ui::TableView&, size_t) { return sources_().size() + 1; }

ui::TableViewCellPtr CaptureSourceSelectionView::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                       const ui::IndexPath& indexPath) {
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, kCellIdentifier);
    cell->setBackgroundColor(std::nullopt);
    cell->textLabel()->setTextColor(graphics::Color::black());
    cell->textLabel()->setFont(graphics::Font("HelveticaNeue-Light", 15.0));
    cell->setAccessoryType(ui::TableViewCellAccessoryType::None);

    const auto& sources = sources_();
    if (indexPath.row < sources.size()) {
        const CaptureControllerPtr& source = sources[indexPath.row];
        if (source->captureSourceID() == DataManager::sharedDataManager().currentCaptureSourceID())
            cell->setAccessoryType(ui::TableViewCellAccessoryType::Checkmark);
        cell->textLabel()->setText(foundation::localized(source->getCaptureSourceName()));
        cell->imageView()->setImage(
            source->getCaptureSourceMenuIcon().withRenderingMode(graphics::ImageRenderingMode::AlwaysTemplate));
    } else {
        cell->textLabel()->setText(foundation::localized(kRemoteCameraTitle));
        cell->imageView()->setImage(UIImage_Resize::tintedImageNamed(kRemoteCameraIcon).value_or(graphics::Image()));
    }
    return cell;
}

void CaptureSourceSelectionView::didSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& indexPath) {
    didSelectRow(indexPath.row);
}

void CaptureSourceSelectionView::didSelectRow(size_t row) {
    // The list as it is now: it may have shrunk since the rows were drawn.
    const auto& sources = sources_();
    if (row < sources.size()) {
        CaptureControllerPtr source = sources[row];
        DataManager::sharedDataManager().setCurrentCaptureSourceID(source->captureSourceID());
        if (delegate) delegate->captureSourceSelection(*this, source);
    } else if (row == sources.size()) {
        foundation::NotificationCenter::defaultCenter().post(
            kShowHelpPageNotification, nullptr, {{kHelpPageKey, foundation::Value(kRemoteCameraHelpPage)}});
    } else if (table_) {
        table_->reloadData();
    }
}
