#include "app/widgets/alerts/UIActionSheet_MKBlockAdditions.h"

#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/ViewController.h"

namespace UIActionSheet_MKBlockAdditions {

namespace {

struct Slots {
    DismissBlock dismiss;
    CancelBlock cancel;
    PhotoPickedBlock photoPicked;
    std::shared_ptr<ui::ViewController> presentVC;
};

Slots& pendingSlots() {
    static Slots shared;
    return shared;
}

// The one delegate of every block sheet and its picker.
class SharedDelegate : public ui::ActionSheetDelegate, public ImagePickerControllerDelegate {
public:
    void didDismissWithButtonIndex(ui::ActionSheet& sheet, int buttonIndex) override {
        actionSheetDidDismissWithButtonIndex(sheet, buttonIndex);
    }
    void imagePickerControllerDidFinishPickingMediaWithInfo(ImagePickerController& picker,
                                                            const ImagePickerMediaInfo& info) override {
        UIActionSheet_MKBlockAdditions::imagePickerControllerDidFinishPickingMediaWithInfo(picker, info);
    }
    void imagePickerControllerDidCancel(ImagePickerController& picker) override {
        UIActionSheet_MKBlockAdditions::imagePickerControllerDidCancel(picker);
    }
};

SharedDelegate& sharedDelegate() {
    static SharedDelegate delegate;
    return delegate;
}

void show(ui::ActionSheet& sheet, const SheetAnchor& anchor) {
    if (auto* item = std::get_if<ui::BarButtonItem*>(&anchor); item && *item) {
        sheet.showFromBarButtonItem(**item, true);
        return;
    }
    auto* view = std::get_if<ui::View*>(&anchor);
    sheet.showInView(view ? *view : nullptr);
}

}  // namespace

void actionSheetWithTitle(std::string title, std::string message, std::optional<std::string> destructiveButtonTitle,
                          std::vector<std::string> buttons, SheetAnchor showInView, DismissBlock onDismiss,
                          CancelBlock onCancel) {
    (void)message;  // sheets show no message
    Slots& shared = pendingSlots();
    shared.dismiss = std::move(onDismiss);
    shared.cancel = std::move(onCancel);

    const bool hasDestructive = destructiveButtonTitle.has_value();
    const int listed = static_cast<int>(buttons.size());
    auto sheet = std::make_shared<ui::ActionSheet>(std::move(title), &sharedDelegate(), std::nullopt,
                                                   std::move(destructiveButtonTitle), std::vector<std::string>{});
    for (auto& button : buttons) sheet->addButtonWithTitle(std::move(button));
    sheet->setActionSheetStyle(ui::ActionSheetStyle::BlackOpaque);
    sheet->addButtonWithTitle(foundation::localized("Cancel"));
    sheet->setCancelButtonIndex(listed + (hasDestructive ? 1 : 0));
    show(*sheet, showInView);
}

void actionSheetWithTitle(std::string title, std::string message, std::vector<std::string> buttons,
                          SheetAnchor showInView, DismissBlock onDismiss, CancelBlock onCancel) {
    actionSheetWithTitle(std::move(title), std::move(message), std::nullopt, std::move(buttons), showInView,
                         std::move(onDismiss), std::move(onCancel));
}

void photoPickerWithTitle(std::string title, SheetAnchor showInView, std::shared_ptr<ui::ViewController> presentVC,
                          PhotoPickedBlock onPhotoPicked, CancelBlock onCancel) {
    Slots& shared = pendingSlots();
    shared.dismiss = {};
    shared.cancel = std::move(onCancel);
    shared.photoPicked = std::move(onPhotoPicked);
    shared.presentVC = std::move(presentVC);

    auto sheet = std::make_shared<ui::ActionSheet>(std::move(title), &sharedDelegate(), std::nullopt, std::nullopt,
                                                   std::vector<std::string>{});
    int sources = 0;
    if (ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType::Camera)) {
        sheet->addButtonWithTitle(foundation::localized("Camera"));
        ++sources;
    }
    if (ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType::PhotoLibrary)) {
        sheet->addButtonWithTitle(foundation::localized("Photo library"));
        ++sources;
    }
    sheet->addButtonWithTitle(foundation::localized("Cancel"));
    sheet->setTag(kPhotoPickerSheetTag);
    sheet->setCancelButtonIndex(sources);
    show(*sheet, showInView);
}

std::optional<ImagePickerSourceType> photoPickerSourceForButtonIndex(int buttonIndex, bool cameraAvailable,
                                                                     bool libraryAvailable) {
    // The camera's button comes first whenever it is offered. Counting alone
    // would send a camera-only machine's "Camera" to the saved photos.
    if (cameraAvailable && buttonIndex == 0) return ImagePickerSourceType::Camera;
    const int code = buttonIndex + (cameraAvailable ? 1 : 0) + (libraryAvailable ? 1 : 0);
    if (code == 2) return ImagePickerSourceType::Camera;
    if (code == 1) return ImagePickerSourceType::SavedPhotosAlbum;
    return std::nullopt;
}

void actionSheetDidDismissWithButtonIndex(ui::ActionSheet& actionSheet, int buttonIndex) {
    Slots& shared = pendingSlots();
    if (buttonIndex == actionSheet.cancelButtonIndex()) {
        if (CancelBlock cancel = shared.cancel) cancel();
        return;
    }
    if (actionSheet.tag() != kPhotoPickerSheetTag) {
        if (DismissBlock dismiss = shared.dismiss) dismiss(buttonIndex);
        return;
    }
    auto picker = std::make_shared<ImagePickerController>();
    picker->delegate = &sharedDelegate();
    picker->allowsEditing = true;
    auto source = photoPickerSourceForButtonIndex(
        buttonIndex, ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType::Camera),
        ImagePickerController::isSourceTypeAvailable(ImagePickerSourceType::PhotoLibrary));
    if (source) picker->sourceType = *source;
    if (shared.presentVC) shared.presentVC->presentViewController(picker, true);
}

void imagePickerControllerDidFinishPickingMediaWithInfo(ImagePickerController& picker,
                                                        const ImagePickerMediaInfo& info) {
    const graphics::Image& picture = info.editedImage.isNull() ? info.originalImage : info.editedImage;
    if (PhotoPickedBlock picked = pendingSlots().photoPicked) picked(picture);
    picker.dismissViewController(true);
}

void imagePickerControllerDidCancel(ImagePickerController&) {
    Slots& shared = pendingSlots();
    if (shared.presentVC) shared.presentVC->dismissViewController(true);
    if (CancelBlock cancel = shared.cancel) cancel();
}

}  // namespace UIActionSheet_MKBlockAdditions
