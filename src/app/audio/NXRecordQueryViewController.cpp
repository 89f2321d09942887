#include "app/audio/NXRecordQueryViewController.h"

#include "app/core/FormatterUtil.h"
#include "platform/foundation/DateFormat.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/library/MusicLibrary.h"

namespace {

constexpr const char* kSharedAudioFolder = "shared-audio";

}  // namespace

std::string recordingTitle(const std::string& fileName) {
    const std::string name = foundation::path::deletingExtension(fileName);
    const std::string prefix = NXRecordQueryViewController::kRecordPrefix;
    if (name.rfind(prefix, 0) != 0) return name;
    // A "record-" name that holds no date keeps its own name rather than
    // showing a date of nothing.
    const auto date = foundation::parseDate(name.substr(prefix.size()), NXRecordQueryViewController::kRecordDateFormat);
    if (!date) return name;
    return foundation::localized("Record") + ": " + FormatterUtil::getFormatedDate(*date);
}

void NXRecordQueryViewController::updateLibraryFromFolderAtPath(const std::optional<std::string>& path) {
    directoryPath_ = path;
    std::vector<std::string> candidates;
    if (path)
        for (const std::string& name : folderEntries(*path))
            if (name.rfind(kRecordPrefix, 0) == 0) candidates.push_back(foundation::path::appending(*path, name));
    const std::string shared = foundation::path::appending(foundation::Paths::documentsDirectory(), kSharedAudioFolder);
    for (const std::string& name : folderEntries(shared))
        candidates.push_back(foundation::path::appending(shared, name));

    mediaItemsCollection_.clear();
    for (const std::string& file : candidates) {
        if (!library::isAudioFileName(file)) continue;
        auto item = NXMediaPickerItem::create(file, recordingTitle(foundation::path::lastComponent(file)));
        if (!item) continue;
        item->isRecord = true;
        mediaItemsCollection_.push_back(std::move(item));
    }
    if (tableView_) tableView_->reloadData();
}

bool NXRecordQueryViewController::canEditRowAtIndexPath(ui::TableView&, const ui::IndexPath&) { return true; }

void NXRecordQueryViewController::commitEditingStyle(ui::TableView& tableView,
                                                     ui::TableViewCellEditingStyle editingStyle,
                                                     const ui::IndexPath& forRowAtIndexPath) {
    if (editingStyle != ui::TableViewCellEditingStyle::Delete) return;
    if (forRowAtIndexPath.row >= mediaItemsCollection_.size()) return;
    const NXMediaPickerItemPtr item = mediaItemsCollection_[forRowAtIndexPath.row];
    const int64_t playing = preview_.currentPlayedItemIndex();
    if (playing >= 0) preview_.stop();
    if (delegate_) delegate_->nxMediaQueryViewController(*this, item);
    // The item and its row go together, whatever the delegate did with the
    // file: reading the folder again could disagree with the one row the
    // table is told to remove.
    auto found = std::find(mediaItemsCollection_.begin(), mediaItemsCollection_.end(), item);
    if (found == mediaItemsCollection_.end()) return;
    const auto row = static_cast<size_t>(found - mediaItemsCollection_.begin());
    mediaItemsCollection_.erase(found);
    tableView.deleteRowsAtIndexPaths({ui::IndexPath::indexPathForRow(row, 0)}, ui::TableViewRowAnimation::Fade);
    if (playing >= 0) tableView.reloadData();
}
