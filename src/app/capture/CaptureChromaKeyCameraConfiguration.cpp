// The green-screen camera's settings: the popover, the choices its screens
// report, the key-colour detection and the backdrops.

#include "app/capture/CaptureChromaKeyCamera.h"
#include "app/capture/ELCAlbumPickerController.h"
#include "app/capture/chromakey/ChromaKeyBackdrop.h"
#include "app/capture/chromakey/ChromaKeyConfigurationViewController.h"
#include "app/capture/chromakey/ChromaKeySettings.h"
#include "app/core/DataManager.h"
#include "app/core/KWImageProducer.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/alerts/Hudy.h"
#include "components/gpuimage/GPUImageAverageColor.h"
#include "components/gpuimage/GPUImageBrightnessFilter.h"
#include "components/gpuimage/GPUImageChromaKeyBlendFilter.h"
#include "components/gpuimage/GPUImagePicture.h"
#include "components/gpuimage/GPUImageVideoCamera.h"
#include "components/gpuimage/GPUImageView.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Control.h"

#include <cstdio>

// ---- the popover ---------------------------------------------------------------------------

void CaptureChromaKeyCamera::showConfiguration(ui::View* sender) {
    auto main = mainViewController();
    if (!sender || !filter_ || !main) return;
    if (popoverController_) dismissPopoverAnimated(false);
    auto root = std::make_shared<ChromaKeyConfigurationViewController>();
    root->setCurrentChromaKeyTreshold(filter_->thresholdSensitivity());
    root->setDelegate(this);
    configuration_ = root;
    auto navigation = std::make_shared<ui::NavigationController>(root);
    popoverController_ = std::make_shared<WEPopoverController>(navigation);
    popoverController_->setPopoverContentSize(ChromaKeyConfigurationViewController::popoverContentSize());
    popoverController_->setDelegate(this);
    // The button may sit in any view below the screen's: its rect in the screen's view.
    ui::View& screen = *main->view();
    popoverController_->presentPopoverFromRect(sender->convertRectToView(sender->bounds(), &screen), screen,
                                               kPopoverArrowDirectionAny, true);
    if (auto* control = dynamic_cast<ui::Control*>(sender)) control->setSelected(true);
    button_ = sender->sharedFromThis();
}

void CaptureChromaKeyCamera::dismissPopoverAnimated(bool) {
    deselectConfigurationButton();
    if (popoverController_) {
        popoverController_->dismissPopoverAnimated(true);
        popoverController_.reset();
    }
    configuration_.reset();
}

void CaptureChromaKeyCamera::deselectConfigurationButton() {
    if (auto* control = dynamic_cast<ui::Control*>(button_.lock().get())) control->setSelected(false);
    button_.reset();
}

bool CaptureChromaKeyCamera::popoverControllerShouldDismissPopover(WEPopoverController&) { return true; }

void CaptureChromaKeyCamera::popoverControllerDidDismissPopover(WEPopoverController& controller) {
    deselectConfigurationButton();
    if (popoverController_.get() == &controller) popoverController_.reset();
    configuration_.reset();
}

// ---- key colour and sensitivity ---------------------------------------------------------------

void CaptureChromaKeyCamera::saveConfiguration() {
    if (!filter_) return;
    chromakeysettings::saveConfiguration(DataManager::sharedDataManager(), chromaColor_,
                                         filter_->thresholdSensitivity());
}

void CaptureChromaKeyCamera::didChangedFilterValue(ui::ViewController&, float value) {
    if (!filter_) return;
    filter_->setThresholdSensitivity(value);
    saveConfiguration();
    // The root screen shows its own copy of the value whenever it prepares
    // the slider's row again (after a pushed screen is popped).
    if (auto root = configuration_.lock()) root->setCurrentChromaKeyTreshold(value);
}

void CaptureChromaKeyCamera::didSelectChangeChromaKeyColor(ui::ViewController&, const graphics::Color& withColor) {
    if (!filter_) return;
    // Closed after the tap that chose the colour has ended.
    foundation::DispatchQueue::main().async(life_.guard([this] { dismissPopoverAnimated(true); }));
    setKeyColor(withColor);
    saveConfiguration();
}

void CaptureChromaKeyCamera::didSelectChangeAutoChromaKeyColor(ui::ViewController&) {
    // One detection at a time: a second request while one waits is ignored.
    if (!filter_ || !videoCamera_ || !viewCamera_ || passFilter_) return;
    foundation::DispatchQueue::main().async(life_.guard([this] {
        dismissPopoverAnimated(true);
        if (!passFilter_) return;  // stopped or finished meanwhile
        hudy_ = std::make_shared<Hudy>();
        hudy_->caption = foundation::localized("Point camera to the color you want to remove.");
        hudy_->isActivity = true;
        hudy_->dismissAfterTime = Hudy::kStaysUntilDismissed;
        hudy_->showInView(view());
    }));
    // The view shows the unkeyed picture meanwhile.
    videoCamera_->removeTarget(filter_);
    passFilter_ = std::make_shared<gpuimage::GPUImageBrightnessFilter>();
    videoCamera_->addTarget(passFilter_);
    passFilter_->addTarget(viewCamera_);
    life_.performAfter(
        kDetectionDelaySeconds, [this] { detectMainColorAndChangeChromaKeyFilter(); }, "detection");
}

void CaptureChromaKeyCamera::detectMainColorAndChangeChromaKeyFilter() {
    if (!passFilter_) return;
    const graphics::Image shown =
        passFilter_->imageFromCurrentlyProcessedOutputWithOrientation(graphics::ImageOrientation::Up);
    // The HUD goes now, without waiting for the colour.
    foundation::DispatchQueue::main().async(life_.guard([this] {
        if (hudy_) hudy_->dismiss();
        hudy_.reset();
    }));
    auto picture = shown.isNull() ? nullptr : gpuimage::GPUImagePicture::create(shown, false).valueOr(nullptr);
    if (!picture) {
        // Nothing came from the camera to average: back to the keyed picture
        // with the colour as it was.
        finishDetection(std::nullopt);
        return;
    }
    detectionPicture_ = picture;
    detectionAverage_ = std::make_shared<gpuimage::GPUImageAverageColor>();
    const uint64_t generation = graphGeneration_;
    auto weak = foundation::weakFrom(this);
    // On the context queue; the colour is applied on the main queue, where the
    // settings and the graph's state belong, unless this graph is gone.
    detectionAverage_->setColorAverageProcessingFinishedBlock(
        [weak, generation](double red, double green, double blue, double alpha, gpuimage::FrameTime) {
            foundation::DispatchQueue::main().async([weak, generation, red, green, blue, alpha] {
                auto self = weak.lock();
                if (!self || self->graphGeneration_ != generation) return;
                self->finishDetection(graphics::Color::rgb(red, green, blue, alpha));
            });
        });
    detectionPicture_->addTarget(detectionAverage_);
    detectionPicture_->processImage();
}

void CaptureChromaKeyCamera::finishDetection(std::optional<graphics::Color> color) {
    ++graphGeneration_;  // later results of this detection are ignored
    if (color) {
        setKeyColor(*color);
        saveConfiguration();
    }
    endDetection();
}

void CaptureChromaKeyCamera::endDetection() {
    if (!passFilter_ || !videoCamera_ || !filter_) return;
    videoCamera_->removeTarget(passFilter_);
    // Back at the foreground input it had, so the backdrop stays at input 1.
    videoCamera_->addTarget(filter_, 0);
    if (viewCamera_) passFilter_->removeTarget(viewCamera_);
    passFilter_.reset();
    detectionPicture_.reset();
    detectionAverage_.reset();
}

// ---- backdrops -----------------------------------------------------------------------------

void CaptureChromaKeyCamera::replaceBackdrop(const graphics::Image& image) {
    if (!filter_ || image.isNull()) return;
    auto picture = gpuimage::GPUImagePicture::create(image, true);
    if (!picture) {
        std::fprintf(stderr, "CaptureChromaKeyCamera: backdrop refused: %s\n", picture.error().description.c_str());
        return;
    }
    if (sourcePicture_) sourcePicture_->removeTarget(filter_);
    sourcePicture_ = *picture;
    sourcePicture_->processImage();
    sourcePicture_->addTarget(filter_, 1);
    auto project = this->project();
    if (!project) return;
    // The new backdrop shows until the source stops even when it cannot be
    // kept; the failure is logged.
    if (auto stored = chromakeybackdrop::storeBackdrop(*project, image); !stored.ok())
        std::fprintf(stderr, "CaptureChromaKeyCamera: could not store %s: %s\n", chromakeybackdrop::kBackdropFile,
                     stored.error().description.c_str());
}

void CaptureChromaKeyCamera::didSelectChangeBackDropWithImage(ui::ViewController&, const graphics::Image& image) {
    if (!filter_ || image.isNull()) return;
    replaceBackdrop(chromakeybackdrop::prepareImage(image));
    videoCamera_->startCameraCapture();
}

void CaptureChromaKeyCamera::didSelectUseFrameAsBackdrop(ui::ViewController&) {
    auto project = this->project();
    auto list = project ? project->getFrameList() : nullptr;
    if (filter_ && list) {
        if (auto index = chromakeybackdrop::lastFrameIndex(list->count(), list->getCaptureIndex())) {
            // The frame as stored, without the project's movie effect.
            KWImageProducer producer(project);
            if (auto picture = producer.getOriginialImageForFrameAtIndex(*index); picture && !picture->isNull())
                replaceBackdrop(*picture);
        }
    }
    dismissPopoverAnimated(true);
}

void CaptureChromaKeyCamera::didSelectChangeBackDrop(ui::ViewController&) {
    auto main = mainViewController();
    if (!filter_ || !main) return;
    dismissPopoverAnimated(true);
    videoCamera_->stopCameraCapture();

    auto picker = std::make_shared<ELCAlbumPickerController>(photoLibrary_);
    picker->setMultiSelection(false);
    auto weak = foundation::weakFrom(this);
    picker->setDidCancelPickMedia([weak] {
        auto self = weak.lock();
        if (self && self->videoCamera_) self->videoCamera_->startCameraCapture();
    });
    picker->setDidFinishPickMedia([weak](const std::vector<library::PhotoAsset>& assets) {
        auto self = weak.lock();
        if (!self || !self->videoCamera_) return;
        if (assets.empty()) {
            // The picker stays up until the user cancels.
            self->videoCamera_->startCameraCapture();
            return;
        }
        if (auto screen = self->mainViewController()) screen->dismissViewController(true);
        self->importPhoto(assets.front());
    });
    auto navigation = std::make_shared<ui::NavigationController>(picker);
    navigation->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    navigation->modalTransitionStyle = ui::ModalTransitionStyle::FlipHorizontal;
    albumPicker_ = picker;
    main->presentViewController(navigation, true);
}

void CaptureChromaKeyCamera::importPhoto(const library::PhotoAsset& asset) {
    // Decoded and scaled on a queue of its own; the backdrop, its file and
    // the camera change back on the main queue, in the order picked.
    foundation::DispatchQueue queue(kImportQueueLabel);
    auto weak = foundation::weakFrom(this);
    const uint64_t generation = graphGeneration_;
    queue.async([weak, generation, path = asset.path(), orientation = asset.orientation()] {
        auto prepared = chromakeybackdrop::preparePhoto(path, orientation);
        foundation::DispatchQueue::main().async([weak, generation, prepared = std::move(prepared)] {
            auto self = weak.lock();
            if (!self || self->graphGeneration_ != generation || !self->videoCamera_) return;
            if (prepared.ok()) {
                self->replaceBackdrop(*prepared);
            } else {
                auto alert = AlertView::create(foundation::localized("Error"), prepared.error().localizedDescription());
                alert->addButtonWithTitle(foundation::localized("Dismiss"), {});
                alert->show();
            }
            self->videoCamera_->startCameraCapture();
        });
    });
}
