// The painter's loading: brushes, stored settings, background pictures and
// the frame's strokes and layers.

#include "app/core/DataManager.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PainterSettings.h"
#include "app/painter/PainterViewController.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/ImageView.h"

namespace {

graphics::Color paletteColour(int red, int green, int blue) {
    return graphics::Color::rgb(red / 255.0, green / 255.0, blue / 255.0, 1.0);
}

graphics::Image brushTip(const char* name) {
    auto path = foundation::Bundle::main().pathForResource(name);
    if (!path) return {};
    auto image = graphics::Image::load(*path);
    return image ? *image : graphics::Image();
}

// The brushes whose colours the colour tools 0, 1 and 2 set, and whose sizes
// the settings list in this order.
constexpr int64_t kToolBrushes[] = {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen};
constexpr int64_t kSizedBrushes[] = {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen, kBrushTypeEraser};

}  // namespace

void PainterViewController::makeBrushes() {
    paletteColors_ = {paletteColour(228, 73, 19),   paletteColour(253, 182, 50),  paletteColour(40, 127, 136),
                      paletteColour(106, 128, 19),  paletteColour(184, 143, 170), paletteColour(0, 0, 0),
                      paletteColour(178, 173, 163), paletteColour(246, 246, 246), paletteColour(138, 122, 86)};
    const graphics::Image pen = brushTip("Brush.png");
    const graphics::Image particle = brushTip("Particle_test.png");
    // Each colour tool starts with the palette slot that colorToolList gives
    // it, so the first stroke has the colour the palette shows selected.
    brushes_[kBrushTypeBrush] = PainterBrush::create(kBrushTypeBrush, 2, paletteColors_[0], particle);
    brushes_[kBrushTypePen] = PainterBrush::create(kBrushTypePen, 15, paletteColors_[1], pen);
    brushes_[kBrushTypeFountainPen] = PainterBrush::create(kBrushTypeFountainPen, 10, paletteColors_[2], pen);
    brushes_[kBrushTypeEraser] = PainterBrush::create(kBrushTypeEraser, 5, graphics::Color::rgb(0, 0, 0, 0));
    brushes_[kBrushTypeMove] = PainterBrush::create(kBrushTypeMove, 0, graphics::Color::rgb(0, 0, 0, 0));
    drawingView_->brushes = brushes_;
    currentSelectedTool_ = 0;
    colorToolList_ = {0, 1, 2};
}

void PainterViewController::applyColourToTool(int64_t tool, int64_t slot) {
    if (tool < 0 || tool > 2 || slot < 0 || slot >= int64_t(paletteColors_.size())) return;
    colorToolList_[size_t(tool)] = slot;
    brushes_[kToolBrushes[tool]]->color = paletteColors_[size_t(slot)];
}

void PainterViewController::restoreSettings() {
    const paintersettings::Stored stored =
        paintersettings::decode(DataManager::sharedDataManager().objectForKey(paintersettings::kConfigurationKey));
    if (stored.colors) paletteColors_ = *stored.colors;
    for (int64_t tool = 0; tool < 3; ++tool) applyColourToTool(tool, colorToolList_[size_t(tool)]);
    if (stored.toolColors)
        for (size_t tool = 0; tool < stored.toolColors->size(); ++tool)
            applyColourToTool(int64_t(tool), (*stored.toolColors)[tool]);
    if (stored.sizes)
        for (size_t i = 0; i < stored.sizes->size(); ++i) {
            auto& brush = brushes_[kSizedBrushes[i]];
            brush->size = (*stored.sizes)[i];
        }
    if (stored.tool)
        paintToolDidSelectTool(*stored.tool + 2);
    else
        paintToolDidSelectTool(2);
}

void PainterViewController::prepareBackground() {
    const auto list = project_->getFrameList();
    const std::string id = list->getFrameAtIndex(currentFrame_)->frameID();
    if (isMasking_) {
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
    graphics::Image background = framePicture_;
    if (auto data = project_->fileDataForFileWithPreferredFilename(painterfiles::unpaintedFileName(id))) {
        auto decoded = graphics::Image::decode(*data);
        if (decoded && !decoded->isNull()) background = *decoded;
    }
    bgImageView_->setImage(background);
    bgImageView_->setHidden(false);
    layerManager_->setImageBackground(background);
    layerManager_->setFlattenSize(background.normalized().size());
}

void PainterViewController::reportDamaged(const std::string& fileName) {
    (void)painterfiles::keepDamagedFile(*project_, fileName);
    auto alert = AlertView::create("", foundation::localized(kDamagedStrokesMessage));
    alert->addButtonWithTitle(foundation::localized("OK"), {});
    alert->show();
}

void PainterViewController::loadStrokes() {
    if (isMasking_) return;
    const auto list = project_->getFrameList();
    const std::string id = list->getFrameAtIndex(currentFrame_)->frameID();
    std::string strokesFile = painterfiles::strokesFileName(id);
    auto strokes = project_->fileDataForFileWithPreferredFilename(strokesFile);
    const bool ownStrokes = strokes.has_value();
    if (!strokes && currentFrame_ > 0) {
        // A frame painted for the first time starts with the previous frame's strokes.
        if (FramePtr previous = list->getFrameAtIndex(currentFrame_ - 1)) {
            strokesFile = painterfiles::strokesFileName(previous->frameID());
            strokes = project_->fileDataForFileWithPreferredFilename(strokesFile);
        }
    }
    auto restored = layerManager_->restoreLayerFiles(id, ownStrokes ? strokes : std::nullopt);
    if (restored && *restored) return;
    if (!restored) reportDamaged(PainterLayerManager::layersFileName(id));
    if (strokes && !strokes->empty()) {
        if (auto loaded = layerManager_->decodeLayerInformationFromData(strokes); !loaded) reportDamaged(strokesFile);
    }
}
