#include "app/capture/KWImportVideoController.h"

#include "app/capture/ELCAlbumPickerController.h"
#include "app/widgets/alerts/Hudy.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controllers/NavigationController.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<KWImportVideoController> KWImportVideoController::create(std::shared_ptr<ProjectModel> project) {
    return std::shared_ptr<KWImportVideoController>(new KWImportVideoController(std::move(project)));
}

KWImportVideoController::KWImportVideoController(std::shared_ptr<ProjectModel> project)
    : project_(std::move(project)) {}

int64_t KWImportVideoController::numberOfFramesForDuration(double seconds) {
    if (!(seconds > 0)) return 0;
    const int64_t wholeSeconds = static_cast<int64_t>(std::floor(std::min(seconds, 1e9)));
    return std::min(kFramesPerSecond * wholeSeconds, kMaximumFrames);
}

void KWImportVideoController::showVideoPickerWithController(ui::ViewController& controller) {
    controller_ = &controller;
    auto picker = std::make_shared<ELCAlbumPickerController>();
    picker_ = picker;
    picker->setMultiSelection(false);
    picker->setIsVideoPicker(true);
    auto self = shared_from_this();
    picker->setDidFinishPickMedia([self](const std::vector<library::PhotoAsset>& assets) {
        if (assets.empty() || !self->controller_) return;
        library::PhotoAsset asset = assets.front();
        ui::ViewController* presenting = self->controller_;
        presenting->dismissViewController(true, [self, asset, presenting] { self->startImport(asset, presenting); });
    });
    auto navigation = std::make_shared<ui::NavigationController>(picker);
    navigation->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    controller.presentViewController(navigation, true);
}

void KWImportVideoController::startImport(const library::PhotoAsset& asset, ui::ViewController* presenting) {
    hudy_ = std::make_shared<Hudy>();
    hudy_->caption = foundation::localized("Importing...");
    hudy_->dismissAfterTime = Hudy::kStaysUntilDismissed;
    hudy_->setProgress(0.0f);
    if (presenting) hudy_->showInView(presenting->view());

    error_.reset();
    const int64_t frames = numberOfFramesForDuration(asset.duration());
    auto importer = RezezavazUvodidVideoImportProcessor::create(project_);
    videoImportProcessor_ = importer;
    auto self = shared_from_this();
    importer->importVideoAtURL(asset.path(), frames, [self, importer](const std::vector<FramePtr>& result) {
        self->importEnded(importer, result);
    });
    foundation::RunLoop::main().performAfter(
        kPollInterval, [self, importer] { self->checkStatusForImporter(importer); }, this);
}

void KWImportVideoController::checkStatusForImporter(
    const std::shared_ptr<RezezavazUvodidVideoImportProcessor>& importer) {
    if (!importer || importer->status() != RezezavazUvodidVideoImportProcessor::kStatusRunning) return;
    if (hudy_) hudy_->setProgress(importer->getProgress());
    auto self = shared_from_this();
    foundation::RunLoop::main().performAfter(
        kPollInterval, [self, importer] { self->checkStatusForImporter(importer); }, this);
}

void KWImportVideoController::importEnded(const std::shared_ptr<RezezavazUvodidVideoImportProcessor>& importer,
                                          const std::vector<FramePtr>& frames) {
    if (importer->status() == RezezavazUvodidVideoImportProcessor::kStatusCancelled) return;
    if (hudy_) hudy_->dismiss();
    ImportComplete handler = handlerImportComplete();
    if (importer->status() == RezezavazUvodidVideoImportProcessor::kStatusCompleted) {
        if (videoImportProcessor_ == importer) videoImportProcessor_.reset();
        // The processor hands them over latest first.
        std::vector<FramePtr> inTimeOrder(frames.rbegin(), frames.rend());
        if (handler) handler(inTimeOrder);
        return;
    }
    error_ = importer->error();
    if (handler) handler(std::nullopt);
}
