#pragma once

// Photo import: pictures picked from the photo library become new picture
// frames of a project, in the order they were picked. The controller shows
// the picker, stores each picture upright and reduced to the largest movie
// size on a serial queue of its own while a HUD counts (more than three
// pictures), and hands the new frames to handlerImportComplete. Inserting
// them is the caller's work.
//
// A picture that cannot be read or stored ends the import there: its own
// files are taken back, the frames before it are handed over, and the
// capture screen's store error (623 storage full, else 636) is posted with
// ShowErrorNotification.
//
// The controller keeps itself alive while the picker and the import run;
// the caller need not hold it.

#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/Locked.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/controllers/ViewController.h"

#include <functional>
#include <memory>
#include <vector>

class ELCAlbumPickerController;
class Hudy;

class CaptureImportController : public std::enable_shared_from_this<CaptureImportController> {
public:
    using ImportComplete = std::function<void(const std::vector<FramePtr>& frames)>;
    using ImportCancel = std::function<void()>;

    // More pictures than this show the HUD.
    static constexpr size_t kPicturesWithoutHUD = 3;
    static constexpr const char* kQueueLabel = "com.marrowick.exportqueue";

    static std::shared_ptr<CaptureImportController> create(std::shared_ptr<ProjectModel> project);

    // Presents the multi-selection photo picker as a form sheet from
    // `controller` and imports what is picked. Returns at once.
    void showImagePickerWithController(ui::ViewController& controller);

    ImportComplete handlerImportComplete() const { return handlerImportComplete_.get(); }
    void setHandlerImportComplete(ImportComplete handler) { handlerImportComplete_.set(std::move(handler)); }
    // Kept for callers; this class never runs it.
    ImportCancel handlerImportCancel() const { return handlerImportCancel_.get(); }
    void setHandlerImportCancel(ImportCancel handler) { handlerImportCancel_.set(std::move(handler)); }

    // The import itself, for a pick that has been made (main thread): the
    // HUD goes into `presenting`'s view.
    void importAssets(std::vector<library::PhotoAsset> assets, ui::ViewController* presenting);

    // The HUD of the running import; null for small imports and before one.
    const std::shared_ptr<Hudy>& hudy() const { return hudy_; }
    // The picker while it is shown.
    std::shared_ptr<ELCAlbumPickerController> picker() const { return picker_.lock(); }

private:
    explicit CaptureImportController(std::shared_ptr<ProjectModel> project);
    // On the import queue.
    void runImport(const std::vector<library::PhotoAsset>& assets, const void* sender);
    // On the main queue, after picture `done` of `total`.
    void progressStep(size_t done, size_t total);
    void finish(std::vector<FramePtr> frames, std::optional<foundation::Error> error, const void* sender);

    std::shared_ptr<ProjectModel> project_;
    foundation::Locked<ImportComplete> handlerImportComplete_;
    foundation::Locked<ImportCancel> handlerImportCancel_;
    std::shared_ptr<Hudy> hudy_;
    // The sheet owns the picker; once it closes, the picker and its block
    // (which holds this controller) go.
    std::weak_ptr<ELCAlbumPickerController> picker_;
};
