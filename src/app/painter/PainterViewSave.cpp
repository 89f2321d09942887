// The painter's saving: the frame's files, the settings and the metadata,
// with every failure shown to the user.

#include "app/core/DataManager.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/core/SaveFailure.h"
#include "app/painter/PainterFlatten.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PainterSettings.h"
#include "app/painter/PainterViewController.h"
#include "app/painter/PaintingMapping.h"
#include "app/painter/PaintingView.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/Button.h"

#include <cstdio>

foundation::Dictionary PainterViewController::settingsDictionary() const {
    std::vector<int64_t> sizes;
    for (int64_t type : {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen, kBrushTypeEraser}) {
        auto found = brushes_.find(type);
        sizes.push_back(found != brushes_.end() && found->second ? found->second->size : 0);
    }
    return paintersettings::encode(currentSelectedTool_, colorToolList_, paletteColors_, sizes);
}

foundation::Status PainterViewController::savePainting() {
    // A save before the strokes were loaded would write an empty canvas over
    // the frame's strokes.
    if (!loaded_) layoutCanvasAndLoad();
    saving_ = true;
    // A painting opened and closed as it was leaves every file of the frame
    // as it was: written again, its picture would only lose by it.
    const bool changed = paintingChanged();
    foundation::Status saved = foundation::Status::success();
    if (changed) {
        const foundation::Bytes strokes = layerManager_->encodeLayerInformation();
        auto masked = maskedPainting();
        // A mask rubs out the frame's own picture; a painting is the stack flattened.
        const graphics::Image picture =
            isMasking_ ? (masked.ok() ? masked->picture : graphics::Image()) : layerManager_->mergeDownAllLayer();
        saved = masked.ok() ? savePainterFrame(*project_, *imageProducer_, currentFrame_, isMasking_, strokes, picture,
                                               *masked, *layerManager_)
                            : foundation::Status(masked.error());
    }
    if (saved) {
        DataManager::sharedDataManager().setValue(settingsDictionary(), paintersettings::kConfigurationKey);
        saved = DataManager::saveState();
    }
    if (saved && changed) {
        if (auto meta = project_->getMetaData()) {
            meta->set(projectkeys::kNeedsRendering, true);
            saved = project_->saveMetaDataToDisk();
        } else {
            saved = project_->metaDataLoadError().value_or(
                foundation::Error(foundation::kPOSIXErrorDomain, EIO, "The project's metadata cannot be read."));
        }
    }
    saving_ = false;
    return saved;
}

bool PainterViewController::paintingChanged() const {
    // The mask rubs out nothing without strokes.
    if (isMasking_) return drawingView_->canUndo();
    return drawingView_->isEdited() || layerManager_->isChanged() || openedUnlikePicture_;
}

foundation::Status PainterViewController::saveAndClose() {
    if (saving_) return foundation::Status::success();
    const foundation::Status saved = savePainting();
    if (!saved) {
        // The back button turned itself off when pressed; the user must be
        // able to save again or leave once the cause is mended.
        if (ui::Button* back = toolPalette_ ? toolPalette_->btnBack() : nullptr) {
            back->setSelected(false);
            back->setEnabled(true);
        }
        showSaveFailure(saved.error());
        return saved;
    }
    closed_ = true;
    if (handlerComplete_) {
        auto handler = handlerComplete_;
        handler();
    }
    return saved;
}

foundation::Result<MaskedPainting> PainterViewController::maskedPainting() {
    if (!isMasking_) return MaskedPainting{};
    const auto mask = drawingView_->createImage();
    if (!mask || mask->isNull())
        return foundation::Error(foundation::kPOSIXErrorDomain, EIO, "The erased parts cannot be read.");
    // Each picture keeps its size and takes the mask where the canvas showed
    // it, over the previous frame (or black) where the canvas showed that.
    const graphics::Size canvas = drawingView_->bounds().size;
    const graphics::Image& behind = layerManager_->imageBackground();
    const graphics::Rect behindOnCanvas = CanvasPlacement{uprightPixelSize(behind), canvas}.pictureOnCanvas();
    const auto rubbed = [&](const graphics::Image& picture) {
        const CanvasPlacement placed{uprightPixelSize(picture), canvas};
        return rubbedPicture(picture, *mask, placed.canvasOnPicture(), behind, placed.onPicture(behindOnCanvas));
    };
    MaskedPainting masked{rubbed(framePicture_), {}, false};
    if (!unpaintedPicture_.isNull()) {
        masked.unpainted = rubbed(unpaintedPicture_);
        masked.erasedPaint = maskErasesPaint(*mask, paintingCoverage());
    }
    return masked;
}

graphics::Image PainterViewController::paintingCoverage() {
    const graphics::Size size = drawingView_->bounds().size;
    auto canvas = PaintingView::create(graphics::Rect{0, 0, size.width, size.height});
    if (!canvas) return {};
    // Copies: a replay leaves its sizes on the brushes, and the painter's
    // own are saved with the settings.
    for (const auto& [type, brush] : brushes_)
        if (brush) (*canvas)->brushes[type] = std::make_shared<PainterBrush>(*brush);
    (*canvas)->layoutIfNeeded();
    PainterLayerManager painting(project_);
    painting.setPaintingCanvas(*canvas);
    // A file that cannot be read is kept aside and reported when the
    // painting opens; what can be read is all it would draw.
    (void)loadPaintingInto(painting);
    return layerCoverage(size, painting.shownLayerPictures());
}

bool PainterViewController::drawingUndoesErase(ProjectModel& project, int64_t frameIndex) {
    const auto list = project.getFrameList();
    const FramePtr frame = list ? list->getFrameAtIndex(frameIndex) : nullptr;
    return frame && PainterLayerManager::paintingErasedByMask(frame->frameID(), project);
}

std::string PainterViewController::saveFailureMessage(const foundation::Error& error) {
    // Parts left in files that cannot be read are the painter's own story.
    if (error.domain == painterfiles::kPainterErrorDomain) return error.description;
    return saveFailureText(projectCalled(project_->getName()), error);
}

void PainterViewController::showSaveFailure(const foundation::Error& error) {
    auto alert = AlertView::create(foundation::localized(kSaveFailedTitle), saveFailureMessage(error));
    alert->addButtonWithTitle(foundation::localized("OK"), {});
    alert->show();
}

bool PainterViewController::keepPaintingAtQuit(bool canHold) {
    // Closed, or its save under way (it ends before the quit goes on): the
    // painter kept what it had, and a painter still held somewhere after it
    // closed must not write its old painting over later changes.
    if (closed_ || saving_) return true;
    const foundation::Status saved = savePainting();
    if (saved) return true;
    // A second quit while the first one's alert is up is the user's answer.
    const auto alert = quitAlert_.lock();
    const bool asked = alert && alert->isVisible();
    if (canHold && !asked) {
        holdQuit(saved.error());
        return false;
    }
    std::fprintf(stderr, "tollivar: %s %s\n", foundation::localized(kSaveFailedTitle).c_str(),
                 saveFailureMessage(saved.error()).c_str());
    return true;
}

void PainterViewController::holdQuit(const foundation::Error& error) {
    auto alert = AlertView::create(foundation::localized(kSaveFailedTitle), saveFailureMessage(error));
    alert->addButtonWithTitle(foundation::localized("Cancel"), {});
    alert->addButtonWithTitle(foundation::localized(kQuitAnywayButton),
                              [](AlertView&, int) { ui::Application::shared().terminate(); });
    alert->show();
    quitAlert_ = alert;
}
