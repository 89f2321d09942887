#pragma once

// One album of the music library: a header with its artwork, artist, title,
// release year and number and length of tracks, and a row per track with a
// play button for listening. A tapped track is the choice.
//
// Main thread only.

#include "app/audio/JGMediaQueryViewController.h"
#include "app/audio/TrackPreview.h"
#include "platform/library/MediaItem.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

namespace ui {
class ImageView;
class Label;
}  // namespace ui

class JGAlbumViewController : public ui::ViewController, public ui::TableViewDataSource, public ui::TableViewDelegate {
public:
    static constexpr double kHeaderHeight = 150;
    static constexpr double kArtworkSize = 120;

    JGAlbumViewController();
    ~JGAlbumViewController() override;

    bool showsCancelButton = false;
    bool allowsSelectionOfNonPlayableItem = false;

    const library::MediaItemCollectionPtr& albumCollection() const { return albumCollection_; }
    // Reloads the table and the header when the album changes.
    void setAlbumCollection(library::MediaItemCollectionPtr collection);
    JGAlbumViewControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(JGAlbumViewControllerDelegate* delegate) { delegate_ = delegate; }

    void updateUI();
    // The play button of `row` was tapped.
    void actionPlayButton(size_t row);
    void mediaLibraryDidChange() { updateUI(); }
    int64_t currentPlayedItemIndex() const { return preview_.currentPlayedItemIndex(); }
    const TrackPreview& preview() const { return preview_; }

    ui::ImageView* albumArtImageView() const { return albumArtImageView_; }
    ui::Label* albumArtistLabel() const { return albumArtistLabel_; }
    ui::Label* albumTitleLabel() const { return albumTitleLabel_; }
    ui::Label* albumReleaseDateLabel() const { return albumReleaseDateLabel_; }
    ui::Label* albumTrackCountTimeLabel() const { return albumTrackCountTimeLabel_; }
    ui::TableView* tableView() const { return tableView_; }

    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<ui::IndexPath> willSelectRowAtIndexPath(ui::TableView& tableView,
                                                          const ui::IndexPath& indexPath) override;
    void didSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

private:
    library::MediaItemCollectionPtr albumCollection_;
    JGAlbumViewControllerDelegate* delegate_ = nullptr;
    TrackPreview preview_;
    ui::ImageView* albumArtImageView_ = nullptr;
    ui::Label* albumArtistLabel_ = nullptr;
    ui::Label* albumTitleLabel_ = nullptr;
    ui::Label* albumReleaseDateLabel_ = nullptr;
    ui::Label* albumTrackCountTimeLabel_ = nullptr;
    ui::TableView* tableView_ = nullptr;
    foundation::ObserverToken libraryObserver_;
};

// "3 Songs, 7 Mins." for the album's tracks.
std::string albumTrackCountText(size_t count, double playbackLengthSeconds);
