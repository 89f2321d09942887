// The painter's loading: brushes, stored settings, background pictures and
// the frame's strokes and layers.

#include "app/core/DataManager.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/painter/PainterBrushSet.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PainterResources.h"
#include "app/painter/PainterSettings.h"
#include "app/painter/PainterViewController.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/ImageView.h"

namespace {

// The brushes whose colours the colour tools 0, 1 and 2 set, and whose sizes
// the settings list in this order.
constexpr int64_t kToolBrushes[] = {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen};
constexpr int64_t kSizedBrushes[] = {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen, kBrushTypeEraser};

}  // namespace

void PainterViewController::makeBrushes() {
    paletteColors_ = painterbrushes::defaultPaletteColors();
    const auto& startSlots = painterbrushes::kDefaultColorToolList;
    colorToolList_.assign(startSlots.begin(), startSlots.end());
    brushes_ =
        painterbrushes::makeBrushes(paletteColors_, startSlots, painterresources::image(painterresources::kPenTip),
                                    painterresources::image(painterresources::kBrushTip));
    drawingView_->brushes = brushes_;
    currentSelectedTool_ = 0;
}

void PainterViewController::makeControls() {
    ui::View* root = view();
    const graphics::Rect bounds = root->bounds();
    toolPalette_ = std::make_shared<PaintToolViewController>();
    addChildViewController(toolPalette_);
    root->addSubview(toolPalette_->viewPtr());
    const double toolHeight = toolPalette_->view()->frame().size.height;
    toolPalette_->view()->setFrame(graphics::Rect{0, 0, bounds.size.width, toolHeight});
    toolPalette_->view()->setCenter(graphics::Point{bounds.size.width / 2, -toolHeight});
    toolPalette_->setDelegate(this);

    colorPalette_ = std::make_shared<ColorPaletteViewController>();
    addChildViewController(colorPalette_);
    root->addSubview(colorPalette_->viewPtr());
    const double paletteHeight = colorPalette_->view()->frame().size.height;
    colorPalette_->view()->setFrame(graphics::Rect{0, 0, bounds.size.width, paletteHeight});
    colorPalette_->view()->setCenter(graphics::Point{bounds.size.width / 2, bounds.size.height + paletteHeight});
    for (size_t slot = 0; slot < paletteColors_.size(); ++slot)
        colorPalette_->setColor(paletteColors_[slot], int(slot));
    colorPalette_->setDelegate(this);
    colorPalette_->setSelectedColorAtIndex(0);

    for (int64_t type : kSizedBrushes) toolPalette_->setBrush(brushes_[type], type);
    toolPalette_->setSelectedTool(0);
}

void PainterViewController::applyColourToTool(int64_t tool, int64_t slot) {
    if (tool < 0 || tool > 2 || slot < 0 || slot >= int64_t(paletteColors_.size())) return;
    colorToolList_[size_t(tool)] = slot;
    brushes_[kToolBrushes[tool]]->color = paletteColors_[size_t(slot)];
    if (toolPalette_) toolPalette_->setColor(paletteColors_[size_t(slot)], tool);
}

void PainterViewController::restoreSettings() {
    const paintersettings::Stored stored =
        paintersettings::decode(DataManager::sharedDataManager().objectForKey(paintersettings::kConfigurationKey));
    if (stored.colors) {
        paletteColors_ = *stored.colors;
        for (size_t slot = 0; slot < paletteColors_.size(); ++slot)
            colorPalette_->setColor(paletteColors_[slot], int(slot));
    }
    for (int64_t tool = 0; tool < 3; ++tool) applyColourToTool(tool, colorToolList_[size_t(tool)]);
    if (stored.toolColors)
        for (size_t tool = 0; tool < stored.toolColors->size(); ++tool)
            applyColourToTool(int64_t(tool), (*stored.toolColors)[tool]);
    if (stored.sizes)
        for (size_t i = 0; i < stored.sizes->size(); ++i) brushes_[kSizedBrushes[i]]->size = (*stored.sizes)[i];
    const int64_t tool = stored.tool.value_or(0);
    toolPalette_->setSelectedTool(tool);
    paintToolDidSelectTool(tool + 2);
    // The palette shows the slot of the selected colour tool.
    if (tool < 3) colorPalette_->setSelectedColorAtIndex(int(colorToolList_[size_t(tool)]));
}

namespace {

// The picture a painting of the frame starts from; null when the frame was
// never painted or the file does not decode (the frame's picture stands in).
graphics::Image unpaintedPictureOf(ProjectModel& project, const std::string& frameID) {
    const auto data = project.fileDataForFileWithPreferredFilename(painterfiles::unpaintedFileName(frameID));
    if (!data) return {};
    auto decoded = graphics::Image::decode(*data);
    return decoded ? *decoded : graphics::Image();
}

}  // namespace

void PainterViewController::prepareBackground() {
    const auto list = project_->getFrameList();
    const std::string id = list->getFrameAtIndex(currentFrame_)->frameID();
    if (isMasking_) {
        unpaintedPicture_ = unpaintedPictureOf(*project_, id);
        std::optional<graphics::Image> previous;
        if (currentFrame_ > 0) previous = imageProducer_->getOriginialImageForFrameAtIndex(currentFrame_ - 1);
        if (previous) {
            bgImageView_->setImage(*previous);
            layerManager_->setImageBackground(*previous);
        }
        // Without a previous frame the rubbed parts become black at the
        // frame's size.
        layerManager_->setFlattenSize(framePicture_.normalized().size());
        drawingView_->setBackgroundImage(framePicture_);
        return;
    }
    graphics::Image background = unpaintedPictureOf(*project_, id);
    if (background.isNull()) background = framePicture_;
    bgImageView_->setImage(background);
    bgImageView_->setHidden(false);
    layerManager_->setImageBackground(background);
    layerManager_->setFlattenSize(background.normalized().size());
}

void PainterViewController::reportDamaged(const std::string& fileName) {
    (void)painterfiles::keepDamagedFile(*project_, fileName);
    const std::string id = project_->getFrameList()->getFrameAtIndex(currentFrame_)->frameID();
    const bool list = fileName == PainterLayerManager::layersFileName(id);
    auto alert = AlertView::create("", foundation::localized(list ? kDamagedLayersMessage : kDamagedStrokesMessage));
    alert->addButtonWithTitle(foundation::localized("OK"), {});
    alert->show();
}

void PainterViewController::paintOverFramePicture() {
    bgImageView_->setImage(framePicture_);
    layerManager_->setImageBackground(framePicture_);
    layerManager_->setFlattenSize(framePicture_.normalized().size());
    layerManager_->setPaintsOverFramePicture();
}

void PainterViewController::loadStrokes() {
    if (isMasking_) return;
    const std::vector<std::string> damaged = loadPaintingInto(*layerManager_);
    for (const std::string& file : damaged) reportDamaged(file);
    if (!damaged.empty()) paintOverFramePicture();
    const std::string id = project_->getFrameList()->getFrameAtIndex(currentFrame_)->frameID();
    openedUnlikePicture_ |= PainterLayerManager::paintingErasedByMask(id, *project_);
    const std::vector<std::string> unreadable = painterfiles::unreadableParts(*project_, id, *layerManager_);
    if (unreadable.empty()) return;
    auto alert =
        AlertView::create("", foundation::localizedFormat(kUnreadablePaintingMessage,
                                                          {foundation::Value(painterfiles::partsText(unreadable))}));
    alert->addButtonWithTitle(foundation::localized("OK"), {});
    alert->show();
}

std::vector<std::string> PainterViewController::loadPaintingInto(PainterLayerManager& layers) {
    const auto list = project_->getFrameList();
    const std::string id = list->getFrameAtIndex(currentFrame_)->frameID();
    std::string strokesFile = painterfiles::strokesFileName(id);
    auto own = painterfiles::readPainterFile(*project_, strokesFile);
    if (!own) layers.setFrameStrokesUnreadable();
    std::optional<foundation::Bytes> strokes = own ? std::move(*own) : std::nullopt;
    const bool ownStrokes = strokes.has_value();
    // Where the strokes were drawn; unknown for the frame's own stroke file
    // without its stack, which an earlier version wrote: it opens on this
    // canvas as it is.
    std::optional<graphics::Size> drawnOn;
    if (own && !strokes && currentFrame_ > 0) {
        // A frame painted for the first time starts with the previous frame's strokes.
        if (FramePtr previous = list->getFrameAtIndex(currentFrame_ - 1)) {
            strokesFile = painterfiles::strokesFileName(previous->frameID());
            strokes = project_->fileDataForFileWithPreferredFilename(strokesFile);
            drawnOn = PainterLayerManager::drawnCanvas(previous->frameID(), *project_);
        }
    }
    std::vector<std::string> damaged;
    auto restored = layers.restoreLayerFiles(id, ownStrokes ? strokes : std::nullopt);
    if (restored && *restored) return damaged;
    // The frame's strokes are those of one of a damaged stack's layers,
    // which the frame's picture shows already.
    if (!restored) return {PainterLayerManager::layersFileName(id)};
    if (strokes && !strokes->empty()) {
        if (auto loaded = layers.decodeLayerInformationFromData(strokes, drawnOn); !loaded)
            damaged.push_back(strokesFile);
        else if (!ownStrokes)
            openedUnlikePicture_ = true;
    }
    return damaged;
}
