#pragma once

// A list of the sound files in one folder, sorted by title as the user's
// language sorts, one row per file with its number, title and length and a
// play button for listening. A tapped row is the choice.
//
// Main thread only.

#include "app/audio/JGMediaQueryViewController.h"
#include "app/audio/NXMediaPickerItem.h"
#include "app/audio/TrackPreview.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <optional>
#include <string>
#include <vector>

class NXMediaQueryViewController;

// All optional: the defaults do nothing.
class NXMediaQueryViewControllerDelegate : public JGMediaQueryViewControllerDelegate {
public:
    // The list's Cancel button; a picker reports it as a cancel of its own.
    virtual void nxMediaQueryViewControllerDidCancel(NXMediaQueryViewController& controller) { (void)controller; }
    virtual void nxMediaQueryViewController(NXMediaQueryViewController& controller,
                                            const std::vector<NXMediaPickerItemPtr>& didPickMediaItems,
                                            const NXMediaPickerItemPtr& selectedItem) {
        (void)controller, (void)didPickMediaItems, (void)selectedItem;
    }
    virtual void nxMediaQueryViewController(NXMediaQueryViewController& controller,
                                            const NXMediaPickerItemPtr& didSelectRemoveItem) {
        (void)controller, (void)didSelectRemoveItem;
    }
};

class NXMediaQueryViewController : public ui::ViewController,
                                   public ui::TableViewDataSource,
                                   public ui::TableViewDelegate {
public:
    NXMediaQueryViewController();
    ~NXMediaQueryViewController() override;

    bool showsCancelButton = false;
    bool allowsSelectionOfNonPlayableItem = false;

    const std::optional<std::string>& queryFolder() const { return queryFolder_; }
    void setQueryFolder(std::optional<std::string> folder) { queryFolder_ = std::move(folder); }
    NXMediaQueryViewControllerDelegate* delegate() const { return delegate_; }
    // Not retained.
    void setDelegate(NXMediaQueryViewControllerDelegate* delegate) { delegate_ = delegate; }
    const std::vector<NXMediaPickerItemPtr>& mediaItemsCollection() const { return mediaItemsCollection_; }
    int64_t currentPlayedItemIndex() const { return preview_.currentPlayedItemIndex(); }
    const TrackPreview& preview() const { return preview_; }
    ui::TableView* tableView() const { return tableView_; }

    // Lists the folder again; none changes nothing.
    virtual void updateLibraryFromFolderAtPath(const std::optional<std::string>& path);
    // The play button of `row` was tapped.
    void actionPlayButton(size_t row);

    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    void didSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    void loadView() override;
    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override;

protected:
    std::vector<NXMediaPickerItemPtr> mediaItemsCollection_;
    NXMediaQueryViewControllerDelegate* delegate_ = nullptr;
    TrackPreview preview_;
    ui::TableView* tableView_ = nullptr;

private:
    std::optional<std::string> queryFolder_;
};

// The files of the folder whose names say they are sound, as items sorted
// by title.
std::vector<NXMediaPickerItemPtr> listAudioFolder(const std::string& folder);
// The names of the folder's entries in name order; none for a missing folder.
std::vector<std::string> folderEntries(const std::string& folder);
