#include "app/editor/MediaSelectionViewController.h"

#include "app/core/UIImage_Resize.h"
#include "app/widgets/popover/PopoverMenuTable.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/lists/TableViewCell.h"

namespace mediaselection {

std::optional<MediaSelectionRow> rowAt(size_t row, bool playheadOnCaptureSlot) {
    switch (row) {
        case 0:
            return MediaSelectionRow{"Add Images", "capturesource_icon_import", true};
        case 1:
            return MediaSelectionRow{"Theme Cards", "mediaselection_theme", true};
        case 2:
            return MediaSelectionRow{"Audio and Music", "mediaselection_audio", !playheadOnCaptureSlot};
        case 3:
            return MediaSelectionRow{"Video", "mediaselection_video", true};
        default:
            return std::nullopt;
    }
}

}  // namespace mediaselection

MediaSelectionViewController::MediaSelectionViewController(ProjectModelPtr project, ui::TableViewStyle style)
    : project_(std::move(project)), style_(style) {
    preferredContentSize = {kWidth, static_cast<double>(mediaselection::kRows) * kRowHeight - 2};
}

MediaSelectionViewController::~MediaSelectionViewController() {
    if (table_) {
        table_->setDataSource(nullptr);
        table_->setDelegate(nullptr);
    }
}

void MediaSelectionViewController::loadView() {
    table_ = popovermenu::makeTable(preferredContentSize, style_);
    setView(table_);
}

void MediaSelectionViewController::viewDidLoad() {
    table_->setRowHeight(kRowHeight);
    popovermenu::setUpTable(*table_, this, this);
    table_->reloadData();
    popovermenu::widenToShowRows(*this, *table_);
}

bool MediaSelectionViewController::playheadOnCaptureSlot() const {
    auto list = project_ ? project_->getFrameList() : nullptr;
    if (!list) return false;
    const FramePtr frame = list->frameAtPlayhead();
    return frame && frame->type() == Frame::kTypeCaptureSlot;
}

size_t MediaSelectionViewController::numberOfRowsInSection(ui::TableView&, size_t) { return mediaselection::kRows; }

ui::TableViewCellPtr MediaSelectionViewController::cellForRowAtIndexPath(ui::TableView& tableView,
                                                                         const ui::IndexPath& indexPath) {
    auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, kCellIdentifier);
    cell->setBackgroundColor(std::nullopt);
    cell->textLabel()->setFont(graphics::Font("HelveticaNeue-Light", 15.0));
    cell->textLabel()->setBackgroundColor(std::nullopt);
    const auto row = mediaselection::rowAt(indexPath.row, playheadOnCaptureSlot());
    if (!row) return cell;
    cell->textLabel()->setText(foundation::localized(row->title));
    cell->textLabel()->setTextColor(row->enabled ? graphics::Color::black() : graphics::Color::lightGray());
    cell->imageView()->setImage(UIImage_Resize::tintedImageNamed(row->icon).value_or(graphics::Image()));
    return cell;
}

void MediaSelectionViewController::didSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& indexPath) {
    // The playhead as it is now: the rows may have been drawn before it moved.
    const auto row = mediaselection::rowAt(indexPath.row, playheadOnCaptureSlot());
    if (!row || !row->enabled || !delegate_) return;
    delegate_->mediaSelectionDidSelect(*this, static_cast<int64_t>(indexPath.row));
}
