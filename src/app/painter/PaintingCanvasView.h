#pragma once

// What the painter screen and the layer stack call on a canvas without
// knowing whether it paints or masks. Here every operation does nothing;
// PaintingView and MaskingView give them their meaning.

#include "app/painter/PainterBrush.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/ui/View.h"

#include <functional>
#include <optional>

class PaintingCanvasView : public ui::View {
public:
    using ui::View::View;

    // The brush set, given by the painter screen and shared with it.
    PainterBrushes brushes;
    // Runs when a stroke, or the rest of a drag, is not kept because the
    // canvas holds as much as its file can (kMaximumStrokeSamples): once
    // for each gesture refused.
    std::function<void()> strokesFullHandler;

    virtual void erase() {}
    virtual void setBrushColorWithRed(double red, double green, double blue) { (void)red, (void)green, (void)blue; }
    virtual void changeBrush(int64_t type) { (void)type; }
    // The canvas's pixels at its size, top row first; none without pixels.
    virtual std::optional<graphics::Image> createImage() { return std::nullopt; }
    virtual void replayBuffer() {}
    virtual void undo() {}
    virtual void redo() {}
    virtual bool canUndo() const { return false; }
    virtual bool canRedo() const { return false; }
    // Whether a stroke was recorded, undone or redone since the canvas was
    // made; loading and erasing strokes is no edit.
    virtual bool isEdited() const { return false; }
    // The stroke buffer as a keyed archive; none when there is no buffer.
    virtual std::optional<foundation::Bytes> getBufferData() { return std::nullopt; }
    // Replaces the stroke buffer with the decoded archive and replays it. A
    // damaged archive changes nothing and returns the reason.
    virtual foundation::Status loadBufferData(const foundation::Bytes& data) {
        (void)data;
        return foundation::Status::success();
    }
    virtual void setBackgroundImage(const graphics::Image& image) { (void)image; }
};
