#pragma once

// The music-library picker: a tab bar of four lists (albums, playlists,
// artists, songs), each in its own navigation stack, from which one song
// is chosen. The caller presents `viewController()`, becomes the delegate,
// and after a choice or a cancel dismisses it and calls cleanUp().
//
//     auto picker = JGMediaPickerController::create();
//     picker->setDelegate(this);
//     presenter->presentViewController(picker->viewController(), true);
//
// Main thread only.

#include "app/audio/JGMediaQueryViewController.h"
#include "platform/library/MusicLibrary.h"
#include "platform/ui/controllers/TabBarController.h"

#include <memory>
#include <string>
#include <vector>

class JGMediaPickerController;

// Both optional: the defaults do nothing.
class JGMediaPickerDelegate {
public:
    virtual ~JGMediaPickerDelegate() = default;
    virtual void jgMediaPicker(JGMediaPickerController& picker,
                               const library::MediaItemCollectionPtr& didPickMediaItems,
                               const library::MediaItemPtr& selectedItem) {
        (void)picker, (void)didPickMediaItems, (void)selectedItem;
    }
    virtual void jgMediaPickerDidCancel(JGMediaPickerController& picker) { (void)picker; }
};

class JGMediaPickerController : public ui::TabBarControllerDelegate,
                                public JGMediaQueryViewControllerDelegate,
                                public std::enable_shared_from_this<JGMediaPickerController> {
public:
    // Over `library`, or the default music library.
    static std::shared_ptr<JGMediaPickerController> create(library::MusicLibraryPtr library = nullptr);
    ~JGMediaPickerController() override;

    bool allowsSelectionOfNonPlayableItem = true;
    int selectedTabIndex() const { return selectedTabIndex_; }
    void setSelectedTabIndex(int index);
    void updateTabBarControllerIndex();
    // What the caller presents: the tab bar controller.
    std::shared_ptr<ui::ViewController> viewController() const { return tabBarController_; }
    const std::shared_ptr<ui::TabBarController>& tabBarController() const { return tabBarController_; }
    JGMediaPickerDelegate* delegate() const { return delegate_; }
    // Not retained.
    void setDelegate(JGMediaPickerDelegate* delegate) { delegate_ = delegate; }
    const library::MusicLibraryPtr& library() const { return library_; }

    const std::shared_ptr<JGMediaQueryViewController>& playlistsViewController() const { return playlists_; }
    const std::shared_ptr<JGMediaQueryViewController>& artistsViewController() const { return artists_; }
    const std::shared_ptr<JGMediaQueryViewController>& albumsViewController() const { return albums_; }
    const std::shared_ptr<JGMediaQueryViewController>& songsViewController() const { return songs_; }

    virtual void setupViewControllers();
    // Clears the lists' delegates; called after the picker was dismissed.
    virtual void cleanUp();

    // From the lists.
    void jgMediaQueryViewController(JGMediaQueryViewController& controller,
                                    const library::MediaItemCollectionPtr& didPickMediaItems,
                                    const library::MediaItemPtr& selectedItem) override;
    void jgMediaQueryViewControllerDidCancel(JGMediaQueryViewController& controller) override;
    // From the tab bar.
    void didSelectViewController(ui::TabBarController& tabBarController, ui::ViewController& viewController) override;

protected:
    struct Tab {
        std::shared_ptr<ui::ViewController> controller;
        ui::TabBarItem item;
    };

    explicit JGMediaPickerController(library::MusicLibraryPtr library);
    // Runs the setup; separate from the constructor so a subclass's
    // setupViewControllers takes part.
    void initialize();
    // Hands the tabs to the tab bar controller, in order.
    void applyTabs();
    std::vector<Tab> tabs_;

private:
    library::MusicLibraryPtr library_;
    std::shared_ptr<JGMediaQueryViewController> playlists_, artists_, albums_, songs_;
    int selectedTabIndex_ = 1;
    std::shared_ptr<ui::TabBarController> tabBarController_;
    JGMediaPickerDelegate* delegate_ = nullptr;
};
