#include "app/audio/NXMediaPickerController.h"

#include "app/audio/PickerArtwork.h"
#include "app/widgets/views/NXNavigationController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Localized.h"

using foundation::localized;

std::shared_ptr<NXMediaPickerController> NXMediaPickerController::create(ProjectModelPtr project,
                                                                         library::MusicLibraryPtr library) {
    // The project is known before the base builds the tabs.
    std::shared_ptr<NXMediaPickerController> picker(
        new NXMediaPickerController(std::move(project), std::move(library)));
    picker->initialize();
    return picker;
}

NXMediaPickerController::NXMediaPickerController(ProjectModelPtr project, library::MusicLibraryPtr library)
    : JGMediaPickerController(std::move(library)), project_(std::move(project)) {}

NXMediaPickerController::~NXMediaPickerController() { NXMediaPickerController::cleanUp(); }

void NXMediaPickerController::setupViewControllers() {
    allowsSelectionOfNonPlayableItem = false;
    JGMediaPickerController::setupViewControllers();
    setupAdditionalViewControllers();
}

void NXMediaPickerController::setupAdditionalViewControllers() {
    auto configure = [this](const std::shared_ptr<NXMediaQueryViewController>& list, const char* title,
                            std::optional<std::string> folder) {
        list->setTitle(localized(title));
        list->setDelegate(this);
        list->showsCancelButton = true;
        list->allowsSelectionOfNonPlayableItem = false;
        list->setQueryFolder(std::move(folder));
    };
    records_ = std::make_shared<NXRecordQueryViewController>();
    configure(records_, "Recordings", project_ ? project_->getProjectPath() : std::nullopt);
    themeMusic_ = std::make_shared<NXMediaQueryViewController>();
    configure(themeMusic_, "Theme Music", foundation::Bundle::main().pathForResource("theme_music", "bundle"));
    soundEffects_ = std::make_shared<NXMediaQueryViewController>();
    configure(soundEffects_, "Sound Effects", foundation::Bundle::main().pathForResource("theme_effects", "bundle"));

    auto tab = [](const std::shared_ptr<NXMediaQueryViewController>& list, const char* image) {
        return Tab{std::make_shared<NXNavigationController>(list),
                   ui::TabBarItem{list->title, pickerTabImage(image), 0}};
    };
    tabs_.insert(tabs_.begin(),
                 {tab(records_, "nxmediapicker_tab_theme_records"), tab(themeMusic_, "nxmediapicker_tab_theme_music"),
                  tab(soundEffects_, "nxmediapicker_tab_theme_effects")});
    applyTabs();
    setSelectedTabIndex(static_cast<int>(kSoundEffectsTab));
    updateTabBarControllerIndex();
}

void NXMediaPickerController::cleanUp() {
    for (const auto& list :
         {std::static_pointer_cast<NXMediaQueryViewController>(records_), themeMusic_, soundEffects_})
        if (list) list->setDelegate(nullptr);
    JGMediaPickerController::cleanUp();
}

void NXMediaPickerController::nxMediaQueryViewController(NXMediaQueryViewController&,
                                                         const std::vector<NXMediaPickerItemPtr>& didPickMediaItems,
                                                         const NXMediaPickerItemPtr& selectedItem) {
    if (auto* receiver = nxDelegate()) receiver->nxMediaPicker(*this, didPickMediaItems, selectedItem);
}

void NXMediaPickerController::nxMediaQueryViewController(NXMediaQueryViewController&,
                                                         const NXMediaPickerItemPtr& didSelectRemoveItem) {
    if (auto* receiver = nxDelegate()) receiver->nxMediaPicker(*this, didSelectRemoveItem);
}

void NXMediaPickerController::nxMediaQueryViewControllerDidCancel(NXMediaQueryViewController&) {
    if (delegate()) delegate()->jgMediaPickerDidCancel(*this);
}
