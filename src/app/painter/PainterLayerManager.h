#pragma once

// The layer stack of one opening of the painter. Only the active layer lives
// on the canvas; every other layer is a picture view stacked with the canvas
// inside `viewCanvas`, index 0 in front. The whole stack is stored beside the
// frame ("canvas-<frame>.layers" with one picture and one stroke file per
// layer) and restored at the next opening.

#include "app/painter/PainterFlatten.h"
#include "app/painter/PainterLayer.h"
#include "app/painter/PaintingCanvasView.h"
#include "app/painter/PaintingMapping.h"
#include "platform/foundation/Error.h"
#include "platform/graphics/Image.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class ProjectModel;

namespace ui {
class View;
}

class PainterLayerManager {
public:
    // The stack holds at most this many layers.
    static constexpr size_t kMaximumLayers = 21;

    explicit PainterLayerManager(std::shared_ptr<ProjectModel> project);

    // File names of a frame's stack.
    static std::string layersFileName(const std::string& frameID);
    static std::string layerPictureFileName(const std::string& frameID, const std::string& layerID);
    static std::string layerStrokesFileName(const std::string& frameID, const std::string& layerID);

    void setPaintingCanvas(std::shared_ptr<PaintingCanvasView> canvas) { paintingCanvas_ = std::move(canvas); }
    const std::shared_ptr<PaintingCanvasView>& paintingCanvas() const { return paintingCanvas_; }
    void setViewCanvas(ui::View* view) { viewCanvas_ = view; }
    void setImageBackground(graphics::Image image) { imageBackground_ = std::move(image); }
    const graphics::Image& imageBackground() const { return imageBackground_; }
    // The size a flattened picture takes when there is no background (the
    // frame's size), so that it is never empty.
    void setFlattenSize(graphics::Size size) { flattenSize_ = size; }

    const std::vector<PainterLayerPtr>& layers() const { return layers_; }
    const PainterLayerPtr& currentLayer() const { return currentLayer_; }
    int64_t layerNumber() const { return layerNumber_; }

    std::optional<graphics::Image> getThumbnailForLayer(const PainterLayerPtr& layer);
    // Position of the active layer; none when it is not listed.
    std::optional<size_t> getActiveLayerIndex() const;
    void setActiveLayerAtIndex(size_t index);
    void setCurrentLayer(const PainterLayerPtr& layer);
    void saveLayer(const PainterLayerPtr& layer);
    void restoreLayer(const PainterLayerPtr& layer);
    void orderAllSubviews();

    // False when the stack is full.
    bool addLayerAtIndex(size_t index);
    // False for an index outside the list and for the last remaining layer.
    // Removing the active layer makes its neighbour active: the one that
    // takes its place, else the one before it.
    bool removeLayerAtIndex(size_t index);
    void moveLayerFromIndex(size_t from, size_t toIndex);
    void enableLayerAtIndex(size_t index, bool enabled);
    void changeLayerOpacityAtIndex(size_t index, float opacity);

    // Loads strokes into the active layer and the canvas, carried from the
    // canvas they were drawn on when it is known and not this one. A damaged
    // archive leaves the canvas as it was and returns why.
    foundation::Status decodeLayerInformationFromData(const std::optional<foundation::Bytes>& data,
                                                      std::optional<graphics::Size> drawnOn = std::nullopt);
    // Saves the active layer; its strokes (empty when there are none), on
    // the canvas saveLayerFiles stores the stack on.
    foundation::Bytes encodeLayerInformation();
    // Whether the stack changed since it was made or restored: layers added,
    // removed, moved, shown, hidden or given another opacity. (What is
    // drawn on the canvas, the canvas itself tells.)
    bool isChanged() const { return changed_; }
    // Background and the shown layers as on screen: index 0 on top, hidden
    // layers left out, each at its opacity, each on the spot of the
    // background that the canvas shows it over (CanvasPlacement).
    graphics::Image mergeDownAllLayer();
    // The pictures mergeDownAllLayer draws over the background, backmost
    // first, each with its opacity.
    std::vector<LayerPicture> shownLayerPictures();

    // Storing and restoring the stack (PainterLayerFiles.cpp).

    // Writes every layer's picture and strokes, then the layer information
    // file, each atomically; then removes the files of the layers read from
    // it that are no longer in the stack. Call after encodeLayerInformation.
    // A file that was there but could not be read is neither written nor
    // removed (see unreadableParts); when that is the information file, the
    // stack goes aside instead (paintfiles::unlistedLayersFileName), so that
    // what was written is never taken for leftovers.
    foundation::Status saveLayerFiles(const std::string& frameID);
    // What of the painting stays in files that are there but could not be
    // read or decoded, in the user's words ("the layer “Sky”", "the list of
    // layers", "the strokes of this frame"): saves leave those files as they
    // are. A removed layer's files stay too, but it is no longer listed.
    std::vector<std::string> unreadableParts() const;
    // The frame's stroke file is there but cannot be read.
    void setFrameStrokesUnreadable() { frameStrokesUnreadable_ = true; }
    bool frameStrokesUnreadable() const { return frameStrokesUnreadable_; }
    // The stored painting was damaged, so the painting goes on over the
    // frame's picture as it looked, which shows all of it: a save keeps that
    // picture as the one the painting starts from (savePainterFrame).
    void setPaintsOverFramePicture() { paintsOverFramePicture_ = true; }
    bool paintsOverFramePicture() const { return paintsOverFramePicture_; }
    // Replaces the stack with the one stored for the frame; `activeStrokes`
    // (the frame's stroke file) go onto the active layer when its own stroke
    // file is missing. Returns false when the frame has no stored stack
    // (also when its file cannot be read). A damaged stack file (of another
    // shape too: a name that is no text, a layer without its identifier)
    // leaves the stack as it was and returns why; a layer's picture or stroke
    // file that cannot be read or decoded leaves that layer without it, kept.
    foundation::Result<bool> restoreLayerFiles(const std::string& frameID,
                                               const std::optional<foundation::Bytes>& activeStrokes);
    // The stack records the canvas its strokes and pictures were drawn on.
    // restoreLayerFiles carries what was drawn on another (a window of
    // another size) onto this one, so that each stroke lies over the spot of
    // the picture it was drawn on; a stack that records none (one of an
    // earlier version) is taken as drawn on this one. saveLayerFiles records
    // this canvas, or while the stack keeps a file it cannot read the
    // canvas that file was drawn on, onto which it carries the rest.
    //
    // The canvas a frame's strokes were drawn on, as its stack records it;
    // none when it does not.
    static std::optional<graphics::Size> drawnCanvas(const std::string& frameID, ProjectModel& project);
    // Copies a frame's stack to another frame under new layer identifiers.
    static foundation::Status duplicateFrameID(const std::string& sourceID, const std::string& targetID,
                                               ProjectModel& project);
    // A mask saved over the frame rubbed out some of its painting, which the
    // next painting replays. Kept in the layer information file (readers
    // that do not know it pass it by) until saveLayerFiles writes the file
    // anew; a frame without one gets a stack of one layer that takes the
    // frame's stroke file, as its painting opens without one. A damaged one
    // takes no mark: the next Draw goes on over the frame's picture, erase
    // and all. One that cannot be read is an error.
    static foundation::Status markPaintingErasedByMask(const std::string& frameID, ProjectModel& project);
    static bool paintingErasedByMask(const std::string& frameID, ProjectModel& project);
    // A change of the frame's picture that the painting has yet to take in
    // (carryPictureIntoLayers), noted in the layer information file before
    // the picture changes, so that no crash can part the two. A frame
    // without the file gets a stack of one layer, as for a mask. False, and
    // nothing written, when the file is damaged; an error when it cannot be
    // read (neither of these takes a mask's note either).
    static foundation::Result<bool> notePictureChange(const std::string& frameID, ProjectModel& project,
                                                      const foundation::Dictionary& note);
    static std::optional<foundation::Dictionary> pictureChangeNote(const std::string& frameID, ProjectModel& project);
    static foundation::Status dropPictureChangeNote(const std::string& frameID, ProjectModel& project);
    // The frame's picture took in what its shown layers drew: their strokes
    // and pictures go (the frame's stroke file too while the active layer is
    // shown). Hidden layers and those at no opacity stay, carried by
    // `mapping` when the picture moved what it shows, under new identifiers.
    // The stack file is written last and drops the notes of the change and
    // of a mask (no replay can bring that back now), so that a crash before
    // it leaves the change to carry again from the same files. A layer with
    // a file that is there but cannot be read or decoded stays whole, as
    // does the frame's stroke file when it cannot be read; returns those
    // parts in the user's words (as unreadableParts names them).
    static foundation::Result<std::vector<std::string>> carryPictureIntoLayers(
        const std::string& frameID, ProjectModel& project, const std::optional<PaintingMapping>& mapping);

private:
    PainterLayerPtr makeNamedLayer();
    // The picture the layers lie over, in its upright pixels.
    graphics::Size pictureSize() const;
    graphics::Size canvasSize() const;
    // The canvas the stack is stored on (see saveLayerFiles), and the way
    // from this one to it when it is another.
    graphics::Size storedCanvas() const;
    std::optional<PaintingMapping> toStoredCanvas() const;
    // The way from the canvas strokes were drawn on to this one, when that
    // is known and another.
    std::optional<PaintingMapping> fromCanvas(std::optional<graphics::Size> drawnOn) const;
    void showAsActive(const PainterLayerPtr& layer);
    std::optional<graphics::Image> pictureOf(const PainterLayerPtr& layer);

    std::shared_ptr<ProjectModel> project_;
    bool layerListUnreadable_ = false;
    bool frameStrokesUnreadable_ = false;
    bool paintsOverFramePicture_ = false;
    // The layers of the stored stack as it was read or last written.
    std::set<std::string> storedLayerIDs_;
    // Layers removed from the stack whose files are kept.
    std::vector<PainterLayerPtr> removedUnreadable_;
    int64_t layerNumber_ = 0;
    std::vector<PainterLayerPtr> layers_;
    PainterLayerPtr currentLayer_;
    std::shared_ptr<PaintingCanvasView> paintingCanvas_;
    ui::View* viewCanvas_ = nullptr;
    graphics::Image imageBackground_;
    graphics::Size flattenSize_;
    // The canvas the restored stack was drawn on, when it says.
    std::optional<graphics::Size> drawnCanvas_;
    bool changed_ = false;
};

// Reads a layer information file: the layers of its "layers" list and the
// identifier under "active" (none when absent). Anything of another shape
// is an error.
struct StoredLayerStack {
    std::vector<PainterLayerPtr> layers;
    std::optional<std::string> activeID;
    // The canvas its strokes and pictures were drawn on ("canvas": [width,
    // height] in points); none in files of earlier versions, and where the
    // value cannot be a canvas.
    std::optional<graphics::Size> canvas;
};
foundation::Result<StoredLayerStack> decodeLayerStack(const foundation::Bytes& data);
