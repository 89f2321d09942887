#pragma once

// Video frame import, the screen side: the user picks one video, the
// controller takes twelve frames per whole second of it (at most 100)
// through RezezavazUvodidVideoImportProcessor while a HUD shows the progress
// (polled once a second), and hands the frames in time order to
// handlerImportComplete. A failed import hands over none and leaves its
// error in error(); the editor shows it.
//
// The controller keeps itself alive while the picker and the import run.

#include "app/capture/RezezavazUvodidVideoImportProcessor.h"
#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/Locked.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/controllers/ViewController.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ELCAlbumPickerController;
class Hudy;

class KWImportVideoController : public std::enable_shared_from_this<KWImportVideoController> {
public:
    using ImportComplete = std::function<void(const std::optional<std::vector<FramePtr>>& frames)>;
    using ImportCancel = std::function<void()>;

    static constexpr int64_t kFramesPerSecond = 12;
    static constexpr int64_t kMaximumFrames = 100;
    static constexpr double kPollInterval = 1.0;

    static std::shared_ptr<KWImportVideoController> create(std::shared_ptr<ProjectModel> project);

    // Frames taken from a video of that many seconds (fraction dropped).
    static int64_t numberOfFramesForDuration(double seconds);

    // Presents the single-selection video picker as a form sheet from
    // `controller`; the first video tapped is imported. Returns at once.
    void showVideoPickerWithController(ui::ViewController& controller);
    // The import of a picked video, once the picker is gone (main thread).
    void startImport(const library::PhotoAsset& asset, ui::ViewController* presenting);
    // The progress poll: while the processor runs, shows its progress and
    // asks again after kPollInterval.
    void checkStatusForImporter(const std::shared_ptr<RezezavazUvodidVideoImportProcessor>& importer);

    std::optional<foundation::Error> error() const { return error_; }
    ImportComplete handlerImportComplete() const { return handlerImportComplete_.get(); }
    void setHandlerImportComplete(ImportComplete handler) { handlerImportComplete_.set(std::move(handler)); }
    // Kept for callers; this class never runs it.
    ImportCancel handlerImportCancel() const { return handlerImportCancel_.get(); }
    void setHandlerImportCancel(ImportCancel handler) { handlerImportCancel_.set(std::move(handler)); }

    const std::shared_ptr<RezezavazUvodidVideoImportProcessor>& videoImportProcessor() const {
        return videoImportProcessor_;
    }
    const std::shared_ptr<Hudy>& hudy() const { return hudy_; }
    std::shared_ptr<ELCAlbumPickerController> picker() const { return picker_.lock(); }

private:
    explicit KWImportVideoController(std::shared_ptr<ProjectModel> project);
    void importEnded(const std::shared_ptr<RezezavazUvodidVideoImportProcessor>& importer,
                     const std::vector<FramePtr>& frames);

    std::shared_ptr<RezezavazUvodidVideoImportProcessor> videoImportProcessor_;
    std::shared_ptr<ProjectModel> project_;
    ui::ViewController* controller_ = nullptr;
    std::shared_ptr<Hudy> hudy_;
    std::optional<foundation::Error> error_;
    foundation::Locked<ImportComplete> handlerImportComplete_;
    foundation::Locked<ImportCancel> handlerImportCancel_;
    // The sheet owns the picker; once it closes, the picker and its block
    // (which holds this controller) go.
    std::weak_ptr<ELCAlbumPickerController> picker_;
};
