#include "app/painter/PainterLayerManager.h"

#include "app/core/PaintFiles.h"
#include "app/painter/PainterFlatten.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/View.h"
#include "platform/ui/controls/ImageView.h"

#include <algorithm>

PainterLayerManager::PainterLayerManager(std::shared_ptr<ProjectModel> project) : project_(std::move(project)) {
    currentLayer_ = std::make_shared<PainterLayer>();
    layers_.push_back(currentLayer_);
}

std::string PainterLayerManager::layersFileName(const std::string& frameID) {
    return paintfiles::layersFileName(frameID);
}

std::string PainterLayerManager::layerPictureFileName(const std::string& frameID, const std::string& layerID) {
    return paintfiles::layerPictureFileName(frameID, layerID);
}

std::string PainterLayerManager::layerStrokesFileName(const std::string& frameID, const std::string& layerID) {
    return paintfiles::layerStrokesFileName(frameID, layerID);
}

std::optional<graphics::Image> PainterLayerManager::getThumbnailForLayer(const PainterLayerPtr& layer) {
    if (!layer) return std::nullopt;
    if (layer == currentLayer_) return paintingCanvas_ ? paintingCanvas_->createImage() : std::nullopt;
    if (!layer->viewImage || layer->viewImage->image().isNull()) return std::nullopt;
    return layer->viewImage->image();
}

std::optional<size_t> PainterLayerManager::getActiveLayerIndex() const {
    const auto found = std::find(layers_.begin(), layers_.end(), currentLayer_);
    if (found == layers_.end()) return std::nullopt;
    return static_cast<size_t>(found - layers_.begin());
}

void PainterLayerManager::setActiveLayerAtIndex(size_t index) {
    if (index < layers_.size()) setCurrentLayer(layers_[index]);
}

void PainterLayerManager::setCurrentLayer(const PainterLayerPtr& layer) {
    if (!layer || layer == currentLayer_) return;
    if (currentLayer_) saveLayer(currentLayer_);
    currentLayer_ = layer;
    restoreLayer(layer);
}

void PainterLayerManager::saveLayer(const PainterLayerPtr& layer) {
    if (!layer || !paintingCanvas_) return;
    layer->bufferData = paintingCanvas_->getBufferData();
    graphics::Image picture = paintingCanvas_->createImage().value_or(graphics::Image());
    if (layer->viewImage) {
        layer->viewImage->setImage(picture);
        layer->viewImage->setHidden(false);
    } else {
        auto view = std::make_shared<ui::ImageView>(picture);
        view->setFrame(graphics::Rect{0, 0, picture.size().width, picture.size().height});
        if (viewCanvas_) viewCanvas_->addSubview(view);
        layer->viewImage = view;
    }
    layer->viewImage->setAlpha(layer->obacity);
}

void PainterLayerManager::restoreLayer(const PainterLayerPtr& layer) {
    if (!layer) return;
    if (layer->viewImage) layer->viewImage->setHidden(!layer->isEnabled);
    if (paintingCanvas_) {
        paintingCanvas_->erase();
        // Strokes that do not decode start the layer empty; their file stays.
        if (layer->bufferData && !paintingCanvas_->loadBufferData(*layer->bufferData)) layer->unreadableStrokes = true;
    }
    if (layer == currentLayer_) showAsActive(layer);
    orderAllSubviews();
}

// The active layer is shown by the canvas; its own picture view, kept from
// earlier saves, stays hidden so that it never covers the live strokes.
void PainterLayerManager::showAsActive(const PainterLayerPtr& layer) {
    if (layer->viewImage) layer->viewImage->setHidden(true);
    if (paintingCanvas_) {
        paintingCanvas_->setHidden(!layer->isEnabled);
        paintingCanvas_->setAlpha(layer->obacity);
    }
}

void PainterLayerManager::orderAllSubviews() {
    if (!viewCanvas_) return;
    for (const PainterLayerPtr& layer : layers_) {
        ui::View* view =
            layer == currentLayer_ ? static_cast<ui::View*>(paintingCanvas_.get()) : layer->viewImage.get();
        if (view && view->superview() == viewCanvas_) viewCanvas_->sendSubviewToBack(view);
    }
}

PainterLayerPtr PainterLayerManager::makeNamedLayer() {
    auto layer = std::make_shared<PainterLayer>();
    ++layerNumber_;
    layer->name = foundation::localizedFormat("Draw Layer %d", {foundation::Value::integer(layerNumber_)});
    return layer;
}

bool PainterLayerManager::addLayerAtIndex(size_t index) {
    if (layers_.size() >= kMaximumLayers) return false;
    auto layer = makeNamedLayer();
    layers_.insert(layers_.begin() + static_cast<std::ptrdiff_t>(std::min(index, layers_.size())), layer);
    setCurrentLayer(layer);
    changed_ = true;
    return true;
}

bool PainterLayerManager::removeLayerAtIndex(size_t index) {
    // One layer always remains, so the canvas always belongs to a listed layer.
    if (index >= layers_.size() || layers_.size() == 1) return false;
    PainterLayerPtr layer = layers_[index];
    if (layer->unreadablePicture || layer->unreadableStrokes) removedUnreadable_.push_back(layer);
    if (layer->viewImage) {
        layer->viewImage->removeFromSuperview();
        layer->viewImage.reset();
    }
    layers_.erase(layers_.begin() + static_cast<std::ptrdiff_t>(index));
    changed_ = true;
    if (layer == currentLayer_) {
        // The removed layer's strokes go with it: the neighbour is loaded
        // without saving the canvas into the removed layer first.
        currentLayer_ = layers_[std::min(index, layers_.size() - 1)];
        restoreLayer(currentLayer_);
    }
    return true;
}

void PainterLayerManager::moveLayerFromIndex(size_t from, size_t toIndex) {
    if (from >= layers_.size() || toIndex >= layers_.size()) return;
    changed_ |= from != toIndex;
    PainterLayerPtr layer = layers_[from];
    layers_.erase(layers_.begin() + static_cast<std::ptrdiff_t>(from));
    layers_.insert(layers_.begin() + static_cast<std::ptrdiff_t>(toIndex), layer);
    orderAllSubviews();
}

void PainterLayerManager::enableLayerAtIndex(size_t index, bool enabled) {
    if (index >= layers_.size()) return;
    const PainterLayerPtr& layer = layers_[index];
    changed_ |= layer->isEnabled != enabled;
    layer->isEnabled = enabled;
    if (layer == currentLayer_) {
        if (paintingCanvas_) paintingCanvas_->setHidden(!enabled);
    } else if (layer->viewImage) {
        layer->viewImage->setHidden(!enabled);
    }
}

void PainterLayerManager::changeLayerOpacityAtIndex(size_t index, float opacity) {
    if (index >= layers_.size()) return;
    const PainterLayerPtr& layer = layers_[index];
    changed_ |= layer->obacity != std::clamp(opacity, 0.0f, 1.0f);
    layer->obacity = std::clamp(opacity, 0.0f, 1.0f);
    if (layer->viewImage) layer->viewImage->setAlpha(layer->obacity);
    if (layer == currentLayer_ && paintingCanvas_) paintingCanvas_->setAlpha(layer->obacity);
}

foundation::Status PainterLayerManager::decodeLayerInformationFromData(const std::optional<foundation::Bytes>& data,
                                                                       std::optional<graphics::Size> drawnOn) {
    if (!data) return foundation::Status::success();
    std::optional<foundation::Bytes> strokes = data;
    if (const auto mapping = fromCanvas(drawnOn)) {
        auto carried = mappedStrokes(*data, *mapping);
        if (!carried) return carried.error();
        strokes = std::move(*carried);
    }
    if (paintingCanvas_) {
        foundation::Status loaded = paintingCanvas_->loadBufferData(*strokes);
        if (!loaded) return loaded;
    }
    currentLayer_->bufferData = std::move(strokes);
    return foundation::Status::success();
}

foundation::Bytes PainterLayerManager::encodeLayerInformation() {
    saveLayer(currentLayer_);
    showAsActive(currentLayer_);
    const foundation::Bytes strokes = currentLayer_->bufferData.value_or(foundation::Bytes());
    const auto stored = toStoredCanvas();
    if (!stored || strokes.empty()) return strokes;
    return mappedStrokesOrAsIs(strokes, *stored);
}

graphics::Size PainterLayerManager::pictureSize() const {
    return imageBackground_.isNull() ? flattenSize_ : uprightPixelSize(imageBackground_);
}

graphics::Size PainterLayerManager::canvasSize() const {
    return paintingCanvas_ ? paintingCanvas_->bounds().size : graphics::Size{};
}

graphics::Size PainterLayerManager::storedCanvas() const {
    const bool keepsFiles = frameStrokesUnreadable_ || std::any_of(layers_.begin(), layers_.end(), [](const auto& l) {
                                return l->unreadablePicture || l->unreadableStrokes;
                            });
    // Files left as they are stay true to the canvas the stack records.
    return keepsFiles && drawnCanvas_ ? *drawnCanvas_ : canvasSize();
}

namespace {

bool hasArea(graphics::Size size) { return size.width > 0 && size.height > 0; }

}  // namespace

std::optional<PaintingMapping> PainterLayerManager::fromCanvas(std::optional<graphics::Size> drawnOn) const {
    if (!drawnOn || *drawnOn == canvasSize() || !hasArea(canvasSize())) return std::nullopt;
    return PaintingMapping::betweenCanvases(*drawnOn, canvasSize(), pictureSize());
}

std::optional<PaintingMapping> PainterLayerManager::toStoredCanvas() const {
    const graphics::Size stored = storedCanvas();
    if (stored == canvasSize() || !hasArea(canvasSize())) return std::nullopt;
    return PaintingMapping::betweenCanvases(canvasSize(), stored, pictureSize());
}

std::optional<graphics::Image> PainterLayerManager::pictureOf(const PainterLayerPtr& layer) {
    if (layer == currentLayer_ && paintingCanvas_) return paintingCanvas_->createImage();
    if (!layer->viewImage || layer->viewImage->image().isNull()) return std::nullopt;
    return layer->viewImage->image();
}

std::vector<LayerPicture> PainterLayerManager::shownLayerPictures() {
    std::vector<LayerPicture> backToFront;
    for (auto it = layers_.rbegin(); it != layers_.rend(); ++it) {
        const PainterLayerPtr& layer = *it;
        if (!layer->isEnabled) continue;
        auto picture = pictureOf(layer);
        if (picture && !picture->isNull()) backToFront.push_back({*picture, layer->obacity, std::nullopt});
    }
    return backToFront;
}

graphics::Image PainterLayerManager::mergeDownAllLayer() {
    std::vector<LayerPicture> pictures = shownLayerPictures();
    // Each layer is a picture of the canvas: it lands on the spot of the
    // background that the canvas showed under it.
    if (paintingCanvas_) {
        const graphics::Rect canvas = CanvasPlacement{pictureSize(), canvasSize()}.canvasOnPicture();
        for (LayerPicture& layer : pictures) layer.placement = canvas;
    }
    return flattenLayerPictures(imageBackground_, flattenSize_, pictures);
}
