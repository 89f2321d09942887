#pragma once

// What both GL canvases share: the surface, the stroke buffer and redo list,
// the pending samples and widths of a drag, erasing, reading the picture and
// the buffer data, and "present" (the framebuffer read back into the view's
// layer contents).

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
    std::optional<foundation::Bytes> getBufferData() override;
    foundation::Status loadBufferData(const foundation::Bytes& data) override;

    const StrokeList& strokeBuffer() const { return strokeBuffer_; }
    const StrokeList* redoBuffer() const { return redoBuffer_ ? &*redoBuffer_ : nullptr; }
    int backingWidth() const { return surface_->backingWidth(); }
    int backingHeight() const { return surface_->backingHeight(); }

    // The gesture entry points, also callable with plain numbers: a pan at a
    // location in this view (y down) with its velocity, and a one-finger tap.
    virtual void handlePan(ui::GestureState state, graphics::Point location, graphics::Point velocity) = 0;
    virtual void handleSingleTap(graphics::Point location) = 0;

protected:
    explicit StrokeCanvasView(std::unique_ptr<CanvasSurface> surface);
    // Adds the tap and one-finger pan recognisers; called once the view is
    // owned by a shared pointer.
    void addRecognizers();
    // Canvas pixels from a location in the view: origin at the bottom left.
    graphics::Point canvasPoint(graphics::Point location) const;
    // Binds the framebuffer after making the context current.
    bool beginDrawing();
    // Reads the framebuffer into the layer's contents.
    void present();
    // Makes the framebuffer for the current bounds; false when incomplete.
    bool rebuildFramebuffer();
    // Recorded strokes end here; `clearsRedo` is the painting rule.
    void recordStroke(StrokePtr stroke, bool clearsRedo);
    // Drag bookkeeping shared by both canvases: began, an accepted move, end.
    void beginLine(graphics::Point position, float width);
    bool addLineSample(graphics::Point position, graphics::Point velocity);
    // The drag's last sample, then the stroke recorded (a drag that never
    // began records nothing).
    void endLine(graphics::Point position, graphics::Point velocity, bool clearsRedo);
    void takeFromRedo();
    void moveToRedo();

    std::unique_ptr<CanvasSurface> surface_;
    // What the layer shows, updated in place where drawing changed it.
    QImage shown_;
    bool needsErase_ = false;
    StrokeList strokeBuffer_;
    std::optional<StrokeList> redoBuffer_;  // made on the first undo
    StrokePtr stroke_;
    std::vector<LinePoint> points_;
    std::vector<float> velocities_;
    std::shared_ptr<ui::GestureRecognizer> tapRecognizer_;
    std::shared_ptr<ui::GestureRecognizer> panRecognizer_;
};
