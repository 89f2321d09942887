#pragma once

// The photo and video picker: a list of the photo library's albums (saved
// photos first) and, for the album chosen, its thumbnail grid. The caller
// sets the mode and the result blocks, wraps the list in a navigation
// controller and presents it; picks come back on the main thread and the
// caller dismisses the picker. Cancel tells didCancelPickMedia and closes it.

#include "platform/library/PhotoLibrary.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ELCAssetTablePicker;

class ELCAlbumPickerController : public ui::ViewController,
                                 private ui::TableViewDataSource,
                                 private ui::TableViewDelegate {
public:
    using PickBlock = std::function<void(const std::vector<library::PhotoAsset>& assets)>;
    using CancelBlock = std::function<void()>;

    static constexpr double kRowHeight = 57.0;

    // Over the library at its default folder; a test may hand another.
    explicit ELCAlbumPickerController(library::PhotoLibrary library = library::PhotoLibrary());
    ~ELCAlbumPickerController() override;

    void setMultiSelection(bool multiSelection) { multiSelection_ = multiSelection; }
    bool multiSelection() const { return multiSelection_; }
    void setIsVideoPicker(bool isVideoPicker) { isVideoPicker_ = isVideoPicker; }
    bool isVideoPicker() const { return isVideoPicker_; }
    void setDidFinishPickMedia(PickBlock block) { didFinishPickMedia_ = std::move(block); }
    const PickBlock& didFinishPickMedia() const { return didFinishPickMedia_; }
    void setDidCancelPickMedia(CancelBlock block) { didCancelPickMedia_ = std::move(block); }
    const CancelBlock& didCancelPickMedia() const { return didCancelPickMedia_; }

    const std::vector<library::PhotoGroup>& assetGroups() const { return assetGroups_; }
    // True once the library has listed its albums (or refused).
    bool isLoaded() const { return loaded_; }

    // The Cancel button.
    void cancel();
    // Delivers the assets to didFinishPickMedia on a later turn of the main queue.
    void makeMediaInfoWithAssets(const std::vector<library::PhotoAsset>& assets);
    // Opens the grid of an album, as a tap on its row does.
    std::shared_ptr<ELCAssetTablePicker> openGroupAtIndex(size_t index);

    ui::TableView* tableView() const { return table_.get(); }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

private:
    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<double> heightForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    void didSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    void addGroup(library::PhotoGroup group);
    void showAccessFailure(const foundation::Error& error);
    library::AssetsFilter filter() const;

    library::PhotoLibrary library_;
    bool multiSelection_ = false;
    bool isVideoPicker_ = false;
    std::vector<library::PhotoGroup> assetGroups_;
    PickBlock didFinishPickMedia_;
    CancelBlock didCancelPickMedia_;
    std::shared_ptr<ui::TableView> table_;
    bool loaded_ = false;
};
