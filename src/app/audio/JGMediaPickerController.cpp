#include "app/audio/JGMediaPickerController.h"

#include "app/audio/PickerArtwork.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/NavigationController.h"

using foundation::localized;

std::shared_ptr<JGMediaPickerController> JGMediaPickerController::create(library::MusicLibraryPtr library) {
    std::shared_ptr<JGMediaPickerController> picker(new JGMediaPickerController(std::move(library)));
    picker->initialize();
    return picker;
}

JGMediaPickerController::JGMediaPickerController(library::MusicLibraryPtr library)
    : library_(library ? std::move(library) : library::MusicLibrary::defaultMediaLibrary()),
      tabBarController_(std::make_shared<ui::TabBarController>()) {}

JGMediaPickerController::~JGMediaPickerController() {
    tabBarController_->setDelegate(nullptr);
    JGMediaPickerController::cleanUp();
}

void JGMediaPickerController::initialize() {
    selectedTabIndex_ = 1;
    allowsSelectionOfNonPlayableItem = true;
    setupViewControllers();
}

void JGMediaPickerController::setupViewControllers() {
    allowsSelectionOfNonPlayableItem = false;
    auto makeList = [this](int type, library::MediaQueryPtr query, const char* title, const char* image) {
        auto list = std::make_shared<JGMediaQueryViewController>();
        list->setTitle(localized(title));
        list->showsCancelButton = true;
        list->allowsSelectionOfNonPlayableItem = allowsSelectionOfNonPlayableItem;
        list->setDelegate(this);
        list->setMediaQuery(std::move(query));
        list->setQueryType(type);
        tabs_.push_back({std::make_shared<ui::NavigationController>(list),
                         ui::TabBarItem{localized(title), pickerTabImage(image), type}});
        return list;
    };
    albums_ = makeList(JGMediaQueryViewController::kAlbums, library::MediaQuery::albumsQuery(library_), "Albums",
                       "Albums.png");
    playlists_ = makeList(JGMediaQueryViewController::kPlaylists, library::MediaQuery::playlistsQuery(library_),
                          "Playlists", "Playlists.png");
    artists_ = makeList(JGMediaQueryViewController::kArtists, library::MediaQuery::artistsQuery(library_), "Artists",
                        "Artists.png");
    songs_ =
        makeList(JGMediaQueryViewController::kSongs, library::MediaQuery::songsQuery(library_), "Songs", "Songs.png");
    tabBarController_->setDelegate(this);
    applyTabs();
    updateTabBarControllerIndex();
}

void JGMediaPickerController::applyTabs() {
    std::vector<std::shared_ptr<ui::ViewController>> controllers;
    for (const Tab& tab : tabs_) controllers.push_back(tab.controller);
    tabBarController_->setViewControllers(controllers);
    for (size_t i = 0; i < tabs_.size(); ++i) tabBarController_->setTabBarItem(i, tabs_[i].item);
}

void JGMediaPickerController::setSelectedTabIndex(int index) {
    if (index == selectedTabIndex_) return;
    selectedTabIndex_ = index;
    updateTabBarControllerIndex();
}

void JGMediaPickerController::updateTabBarControllerIndex() {
    if (selectedTabIndex_ < 0) return;
    if (tabBarController_->selectedIndex() != size_t(selectedTabIndex_))
        tabBarController_->setSelectedIndex(size_t(selectedTabIndex_));
}

void JGMediaPickerController::cleanUp() {
    for (const auto& list : {playlists_, artists_, albums_, songs_})
        if (list) list->setDelegate(nullptr);
}

void JGMediaPickerController::jgMediaQueryViewController(JGMediaQueryViewController&,
                                                         const library::MediaItemCollectionPtr& didPickMediaItems,
                                                         const library::MediaItemPtr& selectedItem) {
    if (delegate_) delegate_->jgMediaPicker(*this, didPickMediaItems, selectedItem);
}

void JGMediaPickerController::jgMediaQueryViewControllerDidCancel(JGMediaQueryViewController&) {
    if (delegate_) delegate_->jgMediaPickerDidCancel(*this);
}

void JGMediaPickerController::didSelectViewController(ui::TabBarController& tabBarController, ui::ViewController&) {
    setSelectedTabIndex(static_cast<int>(tabBarController.selectedIndex()));
}
