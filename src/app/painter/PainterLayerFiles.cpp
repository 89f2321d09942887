// Storing and restoring a frame's layer stack: the layer information file
// (a keyed archive of { "layers": [layer dictionaries], "active": UUID,
// "canvas": [width, height] of the canvas the strokes were drawn on,
// "erasedByMask": true when a mask rubbed out some of the painting,
// "pictureChange": a change of the frame's picture that the painting has yet
// to take in }) and a picture and a stroke file per layer.

#include "app/core/FileUtil.h"
#include "app/core/PaintFiles.h"
#include "app/core/ProjectModel.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PaintingMapping.h"
#include "app/painter/Stroke.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/View.h"
#include "platform/ui/controls/ImageView.h"

#include <set>
#include <utility>

namespace {

using paintfiles::kLayersKey;
constexpr const char* kActiveKey = "active";
constexpr const char* kErasedByMaskKey = "erasedByMask";
constexpr const char* kPictureChangeKey = "pictureChange";
constexpr const char* kCanvasKey = "canvas";
// What a recorded canvas may measure, in points: any window's.
constexpr double kSmallestCanvas = 1, kLargestCanvas = 100'000;

bool canBeCanvas(graphics::Size size) {
    const auto fits = [](double side) { return side >= kSmallestCanvas && side <= kLargestCanvas; };
    return fits(size.width) && fits(size.height);
}

std::optional<graphics::Size> canvasFrom(const foundation::Value& value) {
    if (!value.isArray() || value.asArray().size() != 2) return std::nullopt;
    const foundation::Value &width = value.asArray().at(0), &height = value.asArray().at(1);
    if (!width.isNumber() || !height.isNumber()) return std::nullopt;
    const graphics::Size canvas{width.asDouble(), height.asDouble()};
    return canBeCanvas(canvas) ? std::optional(canvas) : std::nullopt;
}

// The layer information file's dictionary; none when it is missing or not
// a layer stack.
std::optional<foundation::Dictionary> storedRoot(ProjectModel& project, const std::string& frameID) {
    const auto data = project.fileDataForFileWithPreferredFilename(PainterLayerManager::layersFileName(frameID));
    if (!data || !decodeLayerStack(*data).ok()) return std::nullopt;
    return foundation::KeyedUnarchiver::unarchiveValue(*data)->asDictionary();
}

// The same to note something in, or for a frame without one a stack of one
// layer that takes the frame's stroke file, as its painting opens without
// one; none for a damaged one, and an error for one that cannot be read:
// neither is written over. The painter keeps a damaged one aside when it
// opens and goes on over the frame's picture, which shows what it noted.
foundation::Result<std::optional<foundation::Dictionary>> notableRoot(ProjectModel& project,
                                                                      const std::string& frameID) {
    if (auto root = storedRoot(project, frameID)) return root;
    auto read = painterfiles::readPainterFile(project, PainterLayerManager::layersFileName(frameID));
    if (!read) return read.error();
    if (*read) return std::optional<foundation::Dictionary>();
    const PainterLayer layer;
    return std::optional<foundation::Dictionary>(
        foundation::Dictionary{{kLayersKey, foundation::Array{layer.encode()}}, {kActiveKey, layer.UUID}});
}

foundation::Status writeRoot(ProjectModel& project, const std::string& frameID, const foundation::Dictionary& root) {
    auto archive = foundation::KeyedArchiver::archivedData(foundation::Value(root));
    if (!archive) return archive.error();
    return project.updateRegularFileWithContents(*archive, PainterLayerManager::layersFileName(frameID));
}

// A stroke file's bytes (none when it is missing); none at all when it is
// there but cannot be read or does not decode. An empty one holds no
// strokes.
std::optional<std::optional<foundation::Bytes>> readableStrokes(ProjectModel& project, const std::string& fileName) {
    auto strokes = painterfiles::readPainterFile(project, fileName);
    if (!strokes || (*strokes && !(*strokes)->empty() && !decodeStrokeBuffer(**strokes))) return std::nullopt;
    return std::move(*strokes);
}

// A layer's stored files: its picture, decoded, and its strokes, each none
// when missing; none at all when one is there but cannot be read or does
// not decode.
struct LayerFiles {
    std::optional<graphics::Image> picture;
    std::optional<foundation::Bytes> strokes;
};

std::optional<LayerFiles> readableLayerFiles(ProjectModel& project, const std::string& frameID,
                                             const std::string& layerID) {
    const auto png =
        painterfiles::readPainterFile(project, PainterLayerManager::layerPictureFileName(frameID, layerID));
    auto strokes = readableStrokes(project, PainterLayerManager::layerStrokesFileName(frameID, layerID));
    if (!png || !strokes) return std::nullopt;
    LayerFiles files{std::nullopt, std::move(*strokes)};
    if (*png) {
        auto decoded = graphics::Image::decode(**png);
        if (!decoded || decoded->isNull()) return std::nullopt;
        files.picture = std::move(*decoded);
    }
    return files;
}

}  // namespace

foundation::Result<StoredLayerStack> decodeLayerStack(const foundation::Bytes& data) {
    auto root = foundation::KeyedUnarchiver::unarchiveValue(data);
    if (!root) return root.error();
    if (!root->isDictionary()) return layerFileShapeError("The layer information is not a dictionary.");
    const foundation::Dictionary dictionary = root->asDictionary();
    const auto& list = dictionary.get(kLayersKey);
    if (!list.isArray()) return layerFileShapeError("The layer information holds no list of layers.");
    const foundation::Array array = list.asArray();
    if (array.empty() || array.size() > PainterLayerManager::kMaximumLayers)
        return layerFileShapeError("The layer information holds no layers or too many.");
    StoredLayerStack stack;
    std::set<std::string> seen;
    for (const foundation::Value& entry : array) {
        // A layer read without its identifier would get a new one, and its
        // files would be lost to it.
        if (entry.isDictionary() && entry.asDictionary().get(paintfiles::kLayerIDKey).isNull())
            return layerFileShapeError("A layer has no identifier.");
        auto layer = PainterLayer::initWithDict(entry);
        if (!layer) return layer.error();
        if (!seen.insert((*layer)->UUID).second) return layerFileShapeError("Two layers share one identifier.");
        stack.layers.push_back(*layer);
    }
    if (const auto& active = dictionary.get(kActiveKey); !active.isNull()) {
        if (!active.isString() || !seen.count(active.asString()))
            return layerFileShapeError("The active layer is not one of the layers.");
        stack.activeID = active.asString();
    }
    stack.canvas = canvasFrom(dictionary.get(kCanvasKey));
    return stack;
}

foundation::Status PainterLayerManager::saveLayerFiles(const std::string& frameID) {
    if (!project_) return foundation::Error(foundation::kPOSIXErrorDomain, EINVAL, "There is no project.");
    foundation::Array list;
    const auto toStored = toStoredCanvas();
    for (const PainterLayerPtr& layer : layers_) {
        const auto picture = layer->unreadablePicture ? std::nullopt : pictureOf(layer);
        if (picture && !picture->isNull()) {
            auto png = (toStored ? mappedLayerPicture(*picture, *toStored) : *picture).pngData();
            if (!png) return png.error();
            if (auto written =
                    project_->updateRegularFileWithContents(*png, layerPictureFileName(frameID, layer->UUID));
                !written)
                return written;
        } else if (!layer->unreadablePicture) {
            if (auto removed =
                    project_->removeRegularFileWithPreferredFilename(layerPictureFileName(frameID, layer->UUID));
                !removed)
                return removed;
        }
        // A layer without strokes has no stroke file, so every stroke file decodes.
        const std::string strokesFile = layerStrokesFileName(frameID, layer->UUID);
        if (!layer->unreadableStrokes) {
            auto written = layer->bufferData && !layer->bufferData->empty()
                               ? project_->updateRegularFileWithContents(
                                     toStored ? mappedStrokesOrAsIs(*layer->bufferData, *toStored) : *layer->bufferData,
                                     strokesFile)
                               : project_->removeRegularFileWithPreferredFilename(strokesFile);
            if (!written) return written;
        }
        list.push_back(layer->encode());
    }
    foundation::Dictionary root{{kLayersKey, list}, {kActiveKey, currentLayer_->UUID}};
    if (const graphics::Size canvas = storedCanvas(); canBeCanvas(canvas))
        root.set(kCanvasKey, foundation::Array{foundation::Value(canvas.width), foundation::Value(canvas.height)});
    auto archive = foundation::KeyedArchiver::archivedData(foundation::Value(root));
    if (!archive) return archive.error();
    // Without the information file that listed them, the files of deleted
    // layers cannot be told apart: they stay. The layers written are listed
    // aside, so that no sweep takes them for leftovers once the file reads
    // again (an unreadable list aside keeps every layer file of the frame).
    if (layerListUnreadable_) {
        const std::string unlisted = paintfiles::unlistedLayersFileName(frameID);
        if (!painterfiles::readPainterFile(*project_, unlisted)) return foundation::Status::success();
        return project_->updateRegularFileWithContents(*archive, unlisted);
    }
    if (auto written = project_->updateRegularFileWithContents(*archive, layersFileName(frameID)); !written)
        return written;
    // Files of layers deleted since the stack was read go only once the new
    // information file no longer lists them; those that could not be read
    // stay. A stack that was not read (damaged) names none: its files stay.
    const std::set<std::string> before = std::exchange(storedLayerIDs_, {});
    for (const PainterLayerPtr& layer : layers_) storedLayerIDs_.insert(layer->UUID);
    for (const std::string& id : before) {
        const auto withID = [&](const auto& l) { return l->UUID == id; };
        if (std::any_of(layers_.begin(), layers_.end(), withID)) continue;
        const auto kept = std::find_if(removedUnreadable_.begin(), removedUnreadable_.end(), withID);
        const bool keepPicture = kept != removedUnreadable_.end() && (*kept)->unreadablePicture;
        const bool keepStrokes = kept != removedUnreadable_.end() && (*kept)->unreadableStrokes;
        if (!keepPicture) (void)project_->removeRegularFileWithPreferredFilename(layerPictureFileName(frameID, id));
        if (!keepStrokes) (void)project_->removeRegularFileWithPreferredFilename(layerStrokesFileName(frameID, id));
    }
    return foundation::Status::success();
}

std::vector<std::string> PainterLayerManager::unreadableParts() const {
    std::vector<std::string> parts;
    if (layerListUnreadable_) parts.push_back(painterfiles::layerListPart());
    if (frameStrokesUnreadable_) parts.push_back(painterfiles::frameStrokesPart());
    for (const PainterLayerPtr& layer : layers_)
        if (layer->unreadablePicture || layer->unreadableStrokes) parts.push_back(painterfiles::layerPart(layer->name));
    return parts;
}

foundation::Result<bool> PainterLayerManager::restoreLayerFiles(const std::string& frameID,
                                                                const std::optional<foundation::Bytes>& activeStrokes) {
    if (!project_) return false;
    const auto data = painterfiles::readPainterFile(*project_, layersFileName(frameID));
    // The painting then opens without its stack, and no save writes over it.
    if (!data) layerListUnreadable_ = true;
    if (!data || !*data) return false;
    auto stack = decodeLayerStack(**data);
    if (!stack) return stack.error();
    storedLayerIDs_.clear();
    for (const PainterLayerPtr& layer : stack->layers) storedLayerIDs_.insert(layer->UUID);
    // Everything is read and decoded before the stack on screen changes.
    std::vector<graphics::Image> pictures;
    PainterLayerPtr active = stack->layers.front();
    for (const PainterLayerPtr& layer : stack->layers) {
        if (stack->activeID && layer->UUID == *stack->activeID) active = layer;
        auto strokes = painterfiles::readPainterFile(*project_, layerStrokesFileName(frameID, layer->UUID));
        layer->unreadableStrokes = !strokes;
        if (strokes && *strokes && !(*strokes)->empty()) layer->bufferData = std::move(**strokes);
        graphics::Image picture;
        auto png = painterfiles::readPainterFile(*project_, layerPictureFileName(frameID, layer->UUID));
        if (png && *png) {
            auto decoded = graphics::Image::decode(**png);
            if (decoded) picture = *decoded;
        }
        layer->unreadablePicture = !png || (*png && picture.isNull());
        pictures.push_back(picture);
    }
    // The active layer's own stroke file was written before the information
    // file that lists it, so it matches the stack even after a save that was
    // cut short; the frame's stroke file stands in only when it is missing.
    if (!active->bufferData && !active->unreadableStrokes && activeStrokes && !activeStrokes->empty())
        active->bufferData = activeStrokes;
    // Drawn in a window of another size: carried onto this canvas.
    drawnCanvas_ = stack->canvas;
    if (const auto mapping = fromCanvas(drawnCanvas_)) {
        for (size_t i = 0; i < stack->layers.size(); ++i) {
            const PainterLayerPtr& layer = stack->layers[i];
            if (layer->bufferData) layer->bufferData = mappedStrokesOrAsIs(*layer->bufferData, *mapping);
            if (!pictures[i].isNull()) pictures[i] = mappedLayerPicture(pictures[i], *mapping);
        }
    }
    if (paintingCanvas_) paintingCanvas_->erase();
    // Strokes that do not decode leave the layer empty, their file kept.
    if (paintingCanvas_ && active->bufferData && !paintingCanvas_->loadBufferData(*active->bufferData))
        active->unreadableStrokes = true;
    for (const PainterLayerPtr& layer : layers_)
        if (layer->viewImage) layer->viewImage->removeFromSuperview();
    layers_ = stack->layers;
    currentLayer_ = active;
    for (size_t i = 0; i < layers_.size(); ++i) {
        const PainterLayerPtr& layer = layers_[i];
        if (layer == active || pictures[i].isNull()) continue;
        auto view = std::make_shared<ui::ImageView>(pictures[i]);
        view->setFrame(graphics::Rect{0, 0, pictures[i].size().width, pictures[i].size().height});
        view->setAlpha(layer->obacity);
        view->setHidden(!layer->isEnabled);
        if (viewCanvas_) viewCanvas_->addSubview(view);
        layer->viewImage = view;
    }
    showAsActive(active);
    orderAllSubviews();
    return true;
}

std::optional<graphics::Size> PainterLayerManager::drawnCanvas(const std::string& frameID, ProjectModel& project) {
    const auto data = project.fileDataForFileWithPreferredFilename(layersFileName(frameID));
    const auto stack = data ? decodeLayerStack(*data) : foundation::Result<StoredLayerStack>(foundation::Error());
    return stack ? stack->canvas : std::nullopt;
}

foundation::Status PainterLayerManager::duplicateFrameID(const std::string& sourceID, const std::string& targetID,
                                                         ProjectModel& project) {
    const auto read = painterfiles::readPainterFile(project, layersFileName(sourceID));
    if (!read) return read.error();
    if (!*read) return foundation::Status::success();
    const foundation::Bytes& data = **read;
    auto root = foundation::KeyedUnarchiver::unarchiveValue(data);
    if (!root) return root.error();
    auto stack = decodeLayerStack(data);
    if (!stack) return stack.error();
    foundation::Array list;
    std::optional<std::string> active;
    for (const PainterLayerPtr& layer : stack->layers) {
        const std::string oldID = layer->UUID;
        layer->UUID = FileUtil::createUUID();
        if (stack->activeID == oldID) active = layer->UUID;
        // A file that is missing or whose target is taken is skipped.
        (void)project.cloneFileWithPreferredFilename(layerPictureFileName(sourceID, oldID),
                                                     layerPictureFileName(targetID, layer->UUID));
        (void)project.cloneFileWithPreferredFilename(layerStrokesFileName(sourceID, oldID),
                                                     layerStrokesFileName(targetID, layer->UUID));
        list.push_back(layer->encode());
    }
    // The rest of the file (whether a mask erased some of the painting)
    // goes with the copy as it is.
    foundation::Dictionary copy = root->isDictionary() ? root->asDictionary() : foundation::Dictionary{};
    copy.set(kLayersKey, list);
    if (active) copy.set(kActiveKey, *active);
    auto archive = foundation::KeyedArchiver::archivedData(foundation::Value(copy));
    if (!archive) return archive.error();
    return project.updateRegularFileWithContents(*archive, layersFileName(targetID));
}

foundation::Status PainterLayerManager::markPaintingErasedByMask(const std::string& frameID, ProjectModel& project) {
    auto root = notableRoot(project, frameID);
    if (!root) return root.error();
    if (!*root || (*root)->get(kErasedByMaskKey).asBool()) return foundation::Status::success();
    (*root)->set(kErasedByMaskKey, true);
    return writeRoot(project, frameID, **root);
}

bool PainterLayerManager::paintingErasedByMask(const std::string& frameID, ProjectModel& project) {
    const auto root = storedRoot(project, frameID);
    return root && root->get(kErasedByMaskKey).asBool();
}

foundation::Result<bool> PainterLayerManager::notePictureChange(const std::string& frameID, ProjectModel& project,
                                                                const foundation::Dictionary& note) {
    auto root = notableRoot(project, frameID);
    if (!root) return root.error();
    if (!*root) return false;
    (*root)->set(kPictureChangeKey, note);
    if (auto written = writeRoot(project, frameID, **root); !written) return written.error();
    return true;
}

std::optional<foundation::Dictionary> PainterLayerManager::pictureChangeNote(const std::string& frameID,
                                                                             ProjectModel& project) {
    const auto root = storedRoot(project, frameID);
    const foundation::Value note = root ? root->get(kPictureChangeKey) : foundation::Value();
    if (!note.isDictionary()) return std::nullopt;
    return note.asDictionary();
}

foundation::Status PainterLayerManager::dropPictureChangeNote(const std::string& frameID, ProjectModel& project) {
    auto root = storedRoot(project, frameID);
    if (!root || root->get(kPictureChangeKey).isNull()) return foundation::Status::success();
    root->remove(kPictureChangeKey);
    return writeRoot(project, frameID, *root);
}

foundation::Result<std::vector<std::string>> PainterLayerManager::carryPictureIntoLayers(
    const std::string& frameID, ProjectModel& project, const std::optional<PaintingMapping>& mapping) {
    const std::string strokesFile = painterfiles::strokesFileName(frameID);
    const auto data = project.fileDataForFileWithPreferredFilename(layersFileName(frameID));
    auto stack = data ? decodeLayerStack(*data) : foundation::Result<StoredLayerStack>(foundation::Error());
    // Only a stack that decodes holds a note of the change; one that no
    // longer does is left for the painter to keep aside and report.
    if (!stack) return std::vector<std::string>{painterfiles::layerListPart()};
    const auto shown = [](const PainterLayerPtr& layer) { return layer->isEnabled && layer->obacity > 0; };
    PainterLayerPtr active = stack->layers.front();
    for (const PainterLayerPtr& layer : stack->layers)
        if (layer->UUID == stack->activeID) active = layer;
    std::vector<std::string> left;
    // The frame's stroke file stands in for the active layer's own when that
    // is missing: emptied before the shown active layer's own file goes. One
    // that cannot be read or decoded stays, and the painter reports it.
    const auto frameStrokes = readableStrokes(project, strokesFile);
    if (!frameStrokes) left.push_back(painterfiles::frameStrokesPart());
    if (frameStrokes && shown(active))
        if (auto written = project.updateRegularFileWithContents({}, strokesFile); !written) return written.error();
    std::vector<std::string> carriedAway;
    std::optional<foundation::Bytes> activeStrokes;
    foundation::Array list;
    for (const PainterLayerPtr& layer : stack->layers) {
        // A layer with a file that is there but cannot be read or decoded
        // stays as it is, under its identifier: what that file holds is
        // neither in the picture nor carried, and removing it or the rest of
        // the layer would decide for the user.
        auto files = readableLayerFiles(project, frameID, layer->UUID);
        const bool needsFrameStrokes = files && !files->strokes && layer == active && !shown(layer) && mapping;
        if (!files || (needsFrameStrokes && !frameStrokes)) {
            if (!files) left.push_back(painterfiles::layerPart(layer->name));
            list.push_back(layer->encode());
            continue;
        }
        if (shown(layer)) {
            for (const std::string& name :
                 {layerPictureFileName(frameID, layer->UUID), layerStrokesFileName(frameID, layer->UUID)})
                if (auto removed = project.removeRegularFileWithPreferredFilename(name); !removed)
                    return removed.error();
        } else if (mapping) {
            // Carried into the files of a new identifier, which the stack
            // names only once all are written: until then the layer is as it
            // was, and carrying again starts from the same files.
            const std::string from = layer->UUID;
            layer->UUID = FileUtil::createUUID();
            const auto strokes = needsFrameStrokes ? *frameStrokes : files->strokes;
            if (strokes && !strokes->empty()) {
                auto carried = mappedStrokes(*strokes, *mapping);
                if (!carried) return carried.error();
                if (auto written =
                        project.updateRegularFileWithContents(*carried, layerStrokesFileName(frameID, layer->UUID));
                    !written)
                    return written.error();
                if (layer == active) activeStrokes = std::move(*carried);
            }
            if (files->picture) {
                auto png = mappedLayerPicture(*files->picture, *mapping).pngData();
                if (!png) return png.error();
                if (auto written =
                        project.updateRegularFileWithContents(*png, layerPictureFileName(frameID, layer->UUID));
                    !written)
                    return written.error();
            }
            carriedAway.push_back(layerPictureFileName(frameID, from));
            carriedAway.push_back(layerStrokesFileName(frameID, from));
        }
        list.push_back(layer->encode());
    }
    // One write ends the carrying: the new identifiers, and neither the
    // note of the change nor that of a mask, which no replay can bring back
    // now that the picture holds what the shown layers drew.
    foundation::Dictionary root = foundation::KeyedUnarchiver::unarchiveValue(*data)->asDictionary();
    root.set(kLayersKey, list);
    root.set(kActiveKey, active->UUID);
    root.remove(kErasedByMaskKey);
    root.remove(kPictureChangeKey);
    if (auto written = writeRoot(project, frameID, root); !written) return written.error();
    for (const std::string& name : carriedAway) (void)project.removeRegularFileWithPreferredFilename(name);
    // The frame's stroke file holds the active layer's strokes, as after a
    // save; until now it stood for the layer's old files.
    if (activeStrokes && frameStrokes)
        if (auto written = project.updateRegularFileWithContents(*activeStrokes, strokesFile); !written)
            return written.error();
    return left;
}
