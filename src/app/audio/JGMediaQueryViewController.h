#pragma once

// One list of the music-library picker: playlists, artists, albums or
// songs of a library query. Long lists (26 items or more, in two sections
// or more) get first-letter sections with an index. A playlist opens its
// songs, an artist its albums, an album the album screen; a song is the
// choice, handed to the delegate with the songs of the list.
//
// Main thread only.

#include "platform/foundation/NotificationCenter.h"
#include "platform/library/MediaQuery.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Label;
}

class JGMediaQueryViewController;
class JGAlbumViewController;

// A song row's second line: album and artist joined by " - ", or whichever
// of them the song has.
std::string songDetailText(const std::string& albumTitle, const std::string& artist);

// Both optional: the defaults do nothing.
class JGMediaQueryViewControllerDelegate {
public:
    virtual ~JGMediaQueryViewControllerDelegate() = default;
    virtual void jgMediaQueryViewController(JGMediaQueryViewController& controller,
                                            const library::MediaItemCollectionPtr& didPickMediaItems,
                                            const library::MediaItemPtr& selectedItem) {
        (void)controller, (void)didPickMediaItems, (void)selectedItem;
    }
    virtual void jgMediaQueryViewControllerDidCancel(JGMediaQueryViewController& controller) { (void)controller; }
};

class JGAlbumViewControllerDelegate {
public:
    virtual ~JGAlbumViewControllerDelegate() = default;
    virtual void jgAlbumViewController(JGAlbumViewController& controller,
                                       const library::MediaItemCollectionPtr& didPickMediaItems,
                                       const library::MediaItemPtr& selectedItem) = 0;
    virtual void jgAlbumViewControllerDidCancel(JGAlbumViewController& controller) { (void)controller; }
};

class JGMediaQueryViewController : public ui::ViewController,
                                   public ui::TableViewDataSource,
                                   public ui::TableViewDelegate,
                                   public JGMediaQueryViewControllerDelegate,
                                   public JGAlbumViewControllerDelegate {
public:
    enum QueryType : int { kPlaylists = 0, kArtists = 1, kAlbums = 2, kSongs = 3, kAlbumList = 4 };
    // Lists this long or longer get sections (when there are two or more).
    static constexpr size_t kMinimumItemsForSections = 26;

    JGMediaQueryViewController();
    ~JGMediaQueryViewController() override;

    bool showsCancelButton = false;
    bool allowsSelectionOfNonPlayableItem = false;

    int queryType() const { return queryType_; }
    // Always reloads the items.
    void setQueryType(int queryType);
    const library::MediaQueryPtr& mediaQuery() const { return mediaQuery_; }
    // Reloads only when the query changes.
    void setMediaQuery(library::MediaQueryPtr query);
    const std::vector<library::MediaItemCollectionPtr>& items() const { return items_; }
    const std::optional<std::vector<library::MediaQuerySection>>& itemSections() const { return itemSections_; }
    JGMediaQueryViewControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(JGMediaQueryViewControllerDelegate* delegate) { delegate_ = delegate; }
    ui::TableView* itemTableView() const { return itemTableView_; }

    void updateItems();
    void notifyDelegateOfSelection(const library::MediaItemCollectionPtr& collection,
                                   const library::MediaItemPtr& selectedItem);
    void notifyDelegateOfCancellation();
    void cancelButtonTap();
    void mediaLibraryDidChange();
    // The collection shown at a row.
    library::MediaItemCollectionPtr itemAtIndexPath(const ui::IndexPath& indexPath) const;
    // What the list says while its query finds nothing ("No songs"); none
    // while it shows items or has no query.
    std::optional<std::string> emptyListText() const;

    // ---- pushed lists and albums pass their outcome on -------------------------
    void jgAlbumViewController(JGAlbumViewController& controller,
                               const library::MediaItemCollectionPtr& didPickMediaItems,
                               const library::MediaItemPtr& selectedItem) override;
    void jgAlbumViewControllerDidCancel(JGAlbumViewController& controller) override;
    void jgMediaQueryViewController(JGMediaQueryViewController& controller,
                                    const library::MediaItemCollectionPtr& didPickMediaItems,
                                    const library::MediaItemPtr& selectedItem) override;
    void jgMediaQueryViewControllerDidCancel(JGMediaQueryViewController& controller) override;

    // ---- table ---------------------------------------------------------------------
    size_t numberOfSectionsInTableView(ui::TableView& tableView) override;
    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<std::string> titleForHeaderInSection(ui::TableView& tableView, size_t section) override;
    std::vector<std::string> sectionIndexTitlesForTableView(ui::TableView& tableView) override;
    size_t sectionForSectionIndexTitle(ui::TableView& tableView, const std::string& title, size_t atIndex) override;
    std::optional<double> heightForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    // Unplayable songs cannot be chosen unless the list allows them.
    std::optional<ui::IndexPath> willSelectRowAtIndexPath(ui::TableView& tableView,
                                                          const ui::IndexPath& indexPath) override;
    void didSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

private:
    void configureCell(ui::TableViewCell& cell, const library::MediaItemCollection& collection);
    // The table's background says when the list is empty.
    void showEmptyListText();
    void push(std::shared_ptr<ui::ViewController> controller);

    int queryType_ = kSongs;
    ui::TableView* itemTableView_ = nullptr;
    std::shared_ptr<ui::Label> emptyLabel_;
    std::vector<library::MediaItemCollectionPtr> items_;
    std::optional<std::vector<library::MediaQuerySection>> itemSections_;
    JGMediaQueryViewControllerDelegate* delegate_ = nullptr;
    library::MediaQueryPtr mediaQuery_;
    foundation::ObserverToken libraryObserver_;
    library::MusicLibraryPtr observedLibrary_;
};
