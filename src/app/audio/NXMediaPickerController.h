#pragma once

// The audio picker of the frame editor: the music-library picker with three
// tabs in front of its four: "Recordings" (the project's voice-overs and
// the files shared into the application), "Theme Music" and "Sound Effects"
// (sounds that ship with the application). "Sound Effects" is selected
// first. A file comes back through nxMediaPicker(picker, items, item), a
// removal request through nxMediaPicker(picker, item); library songs and
// the cancel as from the base picker.
//
//     auto picker = NXMediaPickerController::create(project);
//     picker->setDelegate(editor);
//     editor->presentViewController(picker->viewController(), true);
//
// Main thread only.

#include "app/audio/JGMediaPickerController.h"
#include "app/audio/NXMediaQueryViewController.h"
#include "app/audio/NXRecordQueryViewController.h"
#include "app/core/ProjectModel.h"

#include <memory>
#include <vector>

class NXMediaPickerController;

// The picker's own callbacks beside those of the base picker.
class NXMediaPickerDelegate : public JGMediaPickerDelegate {
public:
    // Optional.
    virtual void nxMediaPicker(NXMediaPickerController& picker,
                               const std::vector<NXMediaPickerItemPtr>& didPickMediaItems,
                               const NXMediaPickerItemPtr& selectedItem) {
        (void)picker, (void)didPickMediaItems, (void)selectedItem;
    }
    // The user deleted a recording: the receiver removes its file.
    virtual void nxMediaPicker(NXMediaPickerController& picker, const NXMediaPickerItemPtr& didSelectRemoveItem) = 0;
};

class NXMediaPickerController : public JGMediaPickerController, public NXMediaQueryViewControllerDelegate {
public:
    static constexpr size_t kSoundEffectsTab = 2;

    static std::shared_ptr<NXMediaPickerController> create(ProjectModelPtr project,
                                                           library::MusicLibraryPtr library = nullptr);

    // The lists may outlive the picker in a presented screen: they forget it.
    ~NXMediaPickerController() override;

    const std::shared_ptr<NXRecordQueryViewController>& projectAudioViewController() const { return records_; }
    const std::shared_ptr<NXMediaQueryViewController>& themeMusicViewController() const { return themeMusic_; }
    const std::shared_ptr<NXMediaQueryViewController>& soundEffectsViewController() const { return soundEffects_; }
    const ProjectModelPtr& project() const { return project_; }

    void setupViewControllers() override;
    void setupAdditionalViewControllers();
    void cleanUp() override;

    // From the file lists.
    void nxMediaQueryViewController(NXMediaQueryViewController& controller,
                                    const std::vector<NXMediaPickerItemPtr>& didPickMediaItems,
                                    const NXMediaPickerItemPtr& selectedItem) override;
    void nxMediaQueryViewController(NXMediaQueryViewController& controller,
                                    const NXMediaPickerItemPtr& didSelectRemoveItem) override;
    void nxMediaQueryViewControllerDidCancel(NXMediaQueryViewController& controller) override;

private:
    NXMediaPickerController(ProjectModelPtr project, library::MusicLibraryPtr library);
    NXMediaPickerDelegate* nxDelegate() const { return dynamic_cast<NXMediaPickerDelegate*>(delegate()); }

    std::shared_ptr<NXRecordQueryViewController> records_;
    std::shared_ptr<NXMediaQueryViewController> themeMusic_;
    std::shared_ptr<NXMediaQueryViewController> soundEffects_;
    ProjectModelPtr project_;
};
