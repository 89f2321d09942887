#pragma once

// What both canvases share: the stroke buffer and redo list, the pending
// samples and widths of a drag, erasing, reading the picture and the buffer
// data, and "present" (the changed pixels copied into the view's layer
// contents). Each canvas keeps its pixels its own way: the painting canvas
// in memory, the masking canvas in a GL framebuffer.

#include "app/painter/CanvasSurface.h"
#include "app/painter/PaintingCanvasView.h"
#include "app/painter/Stroke.h"

#include <QImage>
#include <memory>
#include <optional>
#include <vector>

namespace ui {
class GestureRecognizer;
enum class GestureState;
}  // namespace ui

class StrokeCanvasView : public PaintingCanvasView {
public:
    void erase() override;
    std::optional<graphics::Image> createImage() override;
    bool canUndo() const override { return !strokeBuffer_.empty(); }
    bool canRedo() const override { return redoBuffer_ && !redoBuffer_->empty(); }
    bool isEdited() const override { return edited_; }
    std::optional<foundation::Bytes> getBufferData() override;
    foundation::Status loadBufferData(const foundation::Bytes& data) override;

    const StrokeList& strokeBuffer() const { return strokeBuffer_; }
    // The recorded strokes' size as their file stores them (Stroke::storedSize).
    size_t storedSize() const { return storedSize_; }
    // The most the canvas records and loads: kMaximumStrokeSamples, or less
    // where a test fills a canvas.
    void setSampleLimit(size_t limit) { sampleLimit_ = limit; }
    const StrokeList* redoBuffer() const { return redoBuffer_ ? &*redoBuffer_ : nullptr; }
    virtual int backingWidth() const = 0;
    virtual int backingHeight() const = 0;

    // The gesture entry points, also callable with plain numbers: a pan at a
    // location in this view (y down) with its velocity, and a one-finger tap.
    virtual void handlePan(ui::GestureState state, graphics::Point location, graphics::Point velocity) = 0;
    virtual void handleSingleTap(graphics::Point location) = 0;

protected:
    StrokeCanvasView();
    // Adds the tap and one-finger pan recognisers; called once the view is
    // owned by a shared pointer.
    void addRecognizers();
    // Canvas pixels from a location in the view: origin at the bottom left.
    graphics::Point canvasPoint(graphics::Point location) const;
    // Readies the pixels for drawing; false when there are none.
    virtual bool beginDrawing() = 0;
    // Makes the pixels for the current bounds, all clear; false when they
    // cannot be made.
    bool rebuildFramebuffer();
    virtual bool makePixels(int width, int height) = 0;
    virtual void clearPixels() = 0;
    // The pixels, top row first, `width` × `height` clipped to the canvas.
    virtual graphics::Image readPixels(int width, int height) = 0;
    // Brings the whole picture up to date with what changed since last time.
    virtual void updatePicture(QImage& picture) = 0;
    // Copies what changed into the layer's contents.
    void present();
    // Recorded strokes end here; `clearsRedo` is the painting rule.
    void recordStroke(StrokePtr stroke, bool clearsRedo);
    // Whether `size` more (as Stroke::storedSize counts) can be kept beside
    // the recorded strokes and the drag under way; when not, the painter is
    // told and nothing is to be recorded.
    bool roomFor(size_t size);
    // Drag bookkeeping shared by both canvases: began (false, with no stroke
    // under way, when the canvas is full), an accepted move, end. A move
    // that would overfill the canvas ends what the drag records.
    bool beginLine(graphics::Point position, float width);
    bool addLineSample(graphics::Point position, graphics::Point velocity);
    // The drag's last sample, then the stroke recorded (a drag that never
    // began records nothing).
    void endLine(graphics::Point position, graphics::Point velocity, bool clearsRedo);
    // Whether there is a stroke to redo and room for it (see roomFor).
    bool roomForRedo();
    void takeFromRedo();
    void moveToRedo();

    // What the layer shows, updated in place where drawing changed it.
    QImage shown_;
    bool needsErase_ = false;
    StrokeList strokeBuffer_;
    // Made on the first undo. It belongs to the strokes in the buffer:
    // erasing or loading others (another layer) empties it.
    std::optional<StrokeList> redoBuffer_;
    bool edited_ = false;
    StrokePtr stroke_;
    // The drag under way (0 when none): its size so far, and whether it
    // was cut short.
    size_t strokeSize_ = 0;
    bool strokeCut_ = false;
    size_t storedSize_ = 0;
    size_t sampleLimit_ = kMaximumStrokeSamples;
    std::vector<LinePoint> points_;
    std::vector<float> velocities_;
    std::shared_ptr<ui::GestureRecognizer> tapRecognizer_;
    std::shared_ptr<ui::GestureRecognizer> panRecognizer_;
};
