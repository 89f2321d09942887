#pragma once

// Action sheets whose choices go to closures instead of a delegate, and a
// ready-made sheet that picks a picture from the camera or the photo
// library. The closures wait in slots shared by every sheet, so one sheet
// is pending at a time: each new sheet replaces them.
//
// Button indices as the sheet numbers them: with a destructive button it
// is 0, the listed titles follow and "Cancel" comes last.
//
// Main thread only.

#include "app/widgets/alerts/UIActionSheet_MKBlockAdditions_Picker.h"
#include "platform/graphics/Image.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ui {
class ActionSheet;
class BarButtonItem;
class View;
class ViewController;
}  // namespace ui

namespace UIActionSheet_MKBlockAdditions {

using DismissBlock = std::function<void(int buttonIndex)>;
using CancelBlock = std::function<void()>;
using PhotoPickedBlock = std::function<void(const graphics::Image& picture)>;
// Where a sheet shows: along the bottom of a view's window, or next to a
// bar button (animated).
using SheetAnchor = std::variant<ui::View*, ui::BarButtonItem*>;

// The tag that marks the picture sheet.
inline constexpr int kPhotoPickerSheetTag = 10000;

// Builds and shows a sheet with an optional destructive button, the titles
// and "Cancel". The message is not shown. "Cancel" runs onCancel; any other
// button runs onDismiss with its index.
void actionSheetWithTitle(std::string title, std::string message, std::optional<std::string> destructiveButtonTitle,
                          std::vector<std::string> buttons, SheetAnchor showInView, DismissBlock onDismiss,
                          CancelBlock onCancel);
void actionSheetWithTitle(std::string title, std::string message, std::vector<std::string> buttons,
                          SheetAnchor showInView, DismissBlock onDismiss, CancelBlock onCancel);

// A sheet offering "Camera" and "Photo library" as far as this machine has
// them; the chosen source's picker is presented from presentVC and the
// picked picture (the edited one when there is one) goes to onPhotoPicked.
void photoPickerWithTitle(std::string title, SheetAnchor showInView, std::shared_ptr<ui::ViewController> presentVC,
                          PhotoPickedBlock onPhotoPicked, CancelBlock onCancel);

// The source a picture-sheet button opens the picker with; none keeps the
// picker's default (the whole photo library).
std::optional<ImagePickerSourceType> photoPickerSourceForButtonIndex(int buttonIndex, bool cameraAvailable,
                                                                     bool libraryAvailable);

// What the sheets and the picker report (the shared delegate calls these).
void actionSheetDidDismissWithButtonIndex(ui::ActionSheet& actionSheet, int buttonIndex);
void imagePickerControllerDidFinishPickingMediaWithInfo(ImagePickerController& picker,
                                                        const ImagePickerMediaInfo& info);
void imagePickerControllerDidCancel(ImagePickerController& picker);

}  // namespace UIActionSheet_MKBlockAdditions
