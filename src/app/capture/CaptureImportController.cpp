#include "app/capture/CaptureImportController.h"

#include "app/capture/CaptureStoreError.h"
#include "app/capture/ELCAlbumPickerController.h"
#include "app/core/KWImageProducer.h"
#include "app/core/MovieResolution.h"
#include "app/core/UIImage_ScaleAndRotate.h"
#include "app/widgets/alerts/Hudy.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/NavigationController.h"

std::shared_ptr<CaptureImportController> CaptureImportController::create(std::shared_ptr<ProjectModel> project) {
    return std::shared_ptr<CaptureImportController>(new CaptureImportController(std::move(project)));
}

CaptureImportController::CaptureImportController(std::shared_ptr<ProjectModel> project)
    : project_(std::move(project)) {}

void CaptureImportController::showImagePickerWithController(ui::ViewController& controller) {
    auto picker = std::make_shared<ELCAlbumPickerController>();
    picker_ = picker;
    picker->setMultiSelection(true);
    picker->setIsVideoPicker(false);
    // The picker's block holds the controller until the pick is made; the
    // presenting screen is the caller's and outlives its sheet.
    auto self = shared_from_this();
    ui::ViewController* presenting = &controller;
    picker->setDidFinishPickMedia([self, presenting](const std::vector<library::PhotoAsset>& assets) {
        presenting->dismissViewController(true);
        self->importAssets(assets, presenting);
    });
    auto navigation = std::make_shared<ui::NavigationController>(picker);
    navigation->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    controller.presentViewController(navigation, true);
}

void CaptureImportController::importAssets(std::vector<library::PhotoAsset> assets, ui::ViewController* presenting) {
    if (assets.empty()) return;
    hudy_.reset();
    if (assets.size() > kPicturesWithoutHUD && presenting) {
        hudy_ = std::make_shared<Hudy>();
        hudy_->caption = foundation::localized("Importing...");
        hudy_->dismissAfterTime = Hudy::kStaysUntilDismissed;
        hudy_->setProgress(0.0f);
        hudy_->showInView(presenting->view());
    }
    foundation::DispatchQueue queue(kQueueLabel);
    auto self = shared_from_this();
    queue.async([self, assets = std::move(assets), sender = static_cast<const void*>(presenting)] {
        self->runImport(assets, sender);
    });
}

void CaptureImportController::runImport(const std::vector<library::PhotoAsset>& assets, const void* sender) {
    KWImageProducer producer(project_);
    const int32_t maximum = static_cast<int32_t>(MovieResolution::getMaximumResolutionAvailable().width);
    std::vector<FramePtr> frames;
    auto self = shared_from_this();
    for (size_t i = 0; i < assets.size(); ++i) {
        FramePtr frame = Frame::create(Frame::kTypePicture);
        bool stored = false;
        std::optional<foundation::Error> storeFailure;
        {
            // Only one full-size picture is alive at a time.
            auto picture = assets[i].fullResolutionImage();
            if (picture) {
                graphics::Image upright = UIImage_ScaleAndRotate::scaledAndRotatedImageWithMaxResolution(
                    picture->withScale(1.0).withOrientation(assets[i].orientation()), maximum);
                foundation::Status written = producer.storeImage(upright, frame->frameID());
                stored = written.ok();
                if (!stored) storeFailure = written.error();
            }
        }
        // A failed store has taken back its own files already.
        if (!stored) {
            foundation::Error error = captureStoreError(storeFailure);
            foundation::DispatchQueue::main().async(
                [self, frames, error, sender] { self->finish(frames, error, sender); });
            return;
        }
        frames.push_back(frame);
        const size_t done = frames.size();
        if (done < assets.size()) {
            foundation::DispatchQueue::main().async(
                [self, done, total = assets.size()] { self->progressStep(done, total); });
        }
    }
    foundation::DispatchQueue::main().async(
        [self, frames = std::move(frames), sender] { self->finish(frames, std::nullopt, sender); });
}

void CaptureImportController::progressStep(size_t done, size_t total) {
    const float progress = static_cast<float>(done) / static_cast<float>(total);
    if (hudy_ && progress < 1.0f) hudy_->setProgress(progress);
}

void CaptureImportController::finish(std::vector<FramePtr> frames, std::optional<foundation::Error> error,
                                     const void* sender) {
    if (hudy_) hudy_->dismiss();
    if (auto handler = handlerImportComplete(); handler && (!error || !frames.empty())) handler(frames);
    if (error) postShowError(*error, sender);
}
