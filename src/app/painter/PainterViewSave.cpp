// The painter's saving: the frame's files, the settings and the metadata,
// with every failure shown to the user.

#include "app/core/DataManager.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PainterSettings.h"
#include "app/painter/PainterViewController.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/Localized.h"

foundation::Dictionary PainterViewController::settingsDictionary() const {
    std::vector<int64_t> sizes;
    for (int64_t type : {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen, kBrushTypeEraser}) {
        auto found = brushes_.find(type);
        sizes.push_back(found != brushes_.end() && found->second ? found->second->size : 0);
    }
    return paintersettings::encode(currentSelectedTool_, colorToolList_, paletteColors_, sizes);
}

foundation::Status PainterViewController::saveAndClose() {
    if (saving_) return foundation::Status::success();
    // A save before the strokes were loaded would write an empty canvas over
    // the frame's strokes.
    if (!loaded_) layoutCanvasAndLoad();
    saving_ = true;
    const foundation::Bytes strokes = layerManager_->encodeLayerInformation();
    const graphics::Image picture = layerManager_->mergeDownAllLayer();
    foundation::Status saved =
        savePainterFrame(*project_, *imageProducer_, currentFrame_, isMasking_, strokes, picture, *layerManager_);
    if (saved) {
        DataManager::sharedDataManager().setValue(settingsDictionary(), paintersettings::kConfigurationKey);
        saved = DataManager::saveState();
    }
    if (saved) {
        if (auto meta = project_->getMetaData()) {
            meta->set(projectkeys::kNeedsRendering, true);
            saved = project_->saveMetaDataToDisk();
        } else {
            saved = project_->metaDataLoadError().value_or(
                foundation::Error(foundation::kPOSIXErrorDomain, EIO, "The project's metadata cannot be read."));
        }
    }
    saving_ = false;
    if (!saved) {
        showSaveFailure(saved.error());
        return saved;
    }
    if (handlerComplete_) {
        auto handler = handlerComplete_;
        handler();
    }
    return saved;
}

void PainterViewController::showSaveFailure(const foundation::Error& error) {
    auto alert = AlertView::create(foundation::localized(kSaveFailedTitle), error.description);
    alert->addButtonWithTitle(foundation::localized("OK"), {});
    alert->show();
}
