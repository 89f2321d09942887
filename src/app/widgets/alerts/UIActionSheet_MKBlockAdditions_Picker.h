#pragma once

// The picture picker behind the block action sheet's picture sheet: a
// screen that lists the pictures of the photo library (or of its saved
// photos only) and hands the chosen one to its delegate, as taken and, when
// editing is allowed, as the centred square the platform's picker crops by
// default.
//
// The camera source is offered only on a machine that says it has a camera
// (setCameraAvailable); the live picture itself belongs to the capture
// devices, so a camera picker shows an empty stage that can be cancelled.

#include "platform/graphics/Image.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/controllers/ViewController.h"

#include <memory>
#include <vector>

namespace UIActionSheet_MKBlockAdditions {

// The platform's source type values.
enum class ImagePickerSourceType { PhotoLibrary = 0, Camera = 1, SavedPhotosAlbum = 2 };

// What the picker hands over: the picture as taken and, with editing
// allowed, the edited one (null otherwise).
struct ImagePickerMediaInfo {
    graphics::Image originalImage;
    graphics::Image editedImage;
};

class ImagePickerController;

class ImagePickerControllerDelegate {
public:
    virtual ~ImagePickerControllerDelegate() = default;
    virtual void imagePickerControllerDidFinishPickingMediaWithInfo(ImagePickerController& picker,
                                                                    const ImagePickerMediaInfo& info) = 0;
    virtual void imagePickerControllerDidCancel(ImagePickerController& picker) = 0;
};

class ImagePickerController : public ui::ViewController {
public:
    ImagePickerController();
    ~ImagePickerController() override;

    static bool isSourceTypeAvailable(ImagePickerSourceType sourceType);
    // Whether this machine has a camera to take pictures with (none unless told).
    static void setCameraAvailable(bool available);

    ImagePickerSourceType sourceType = ImagePickerSourceType::PhotoLibrary;
    bool allowsEditing = false;
    // Not owned.
    ImagePickerControllerDelegate* delegate = nullptr;

    // The items offered, once the library has listed them (after the view loaded).
    const std::vector<library::PhotoAsset>& assets() const { return assets_; }
    // Chooses an item as a tap on its thumbnail does. An item whose picture
    // cannot be read is not handed over.
    bool pickAsset(const library::PhotoAsset& asset);
    // The Cancel button: the delegate's cancel, or without a delegate the
    // picker dismisses itself.
    void cancel();

    void loadView() override;
    void viewDidLoad() override;

private:
    void showAssets(std::vector<library::PhotoAsset> assets);

    std::vector<library::PhotoAsset> assets_;
    ui::ViewPtr grid_;
};

}  // namespace UIActionSheet_MKBlockAdditions
