#pragma once

// The recordings list of the application's audio picker: the project's
// voice-over recordings ("record-*" files of the project folder, titled
// "Record: <date>") followed by the files other applications shared into
// the "shared-audio" folder. Rows can be deleted by swiping: the delegate
// is asked to remove the file and the row goes at once.
//
// Main thread only.

#include "app/audio/NXMediaQueryViewController.h"

#include <optional>
#include <string>

class NXRecordQueryViewController : public NXMediaQueryViewController {
public:
    static constexpr const char* kRecordPrefix = "record-";
    static constexpr const char* kRecordDateFormat = "yyyy-MM-dd-HH-mm-ss";

    const std::optional<std::string>& directoryPath() const { return directoryPath_; }

    // A project that was never saved has no folder: only the shared files
    // are listed then.
    void updateLibraryFromFolderAtPath(const std::optional<std::string>& path) override;

    bool canEditRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    void commitEditingStyle(ui::TableView& tableView, ui::TableViewCellEditingStyle editingStyle,
                            const ui::IndexPath& forRowAtIndexPath) override;

private:
    std::optional<std::string> directoryPath_;
};

// The title of a file of the recordings list: "Record: <date>" for a
// "record-<date>" name, else the name without its extension.
std::string recordingTitle(const std::string& fileName);
