#pragma once

// The paint-mode canvas: drags and taps become strokes drawn as textured
// point sprites of the current brush, recorded so that undo, redo, the move
// tool and a reload replay them.

#include "app/painter/StrokeCanvasView.h"

class PaintingView : public StrokeCanvasView {
public:
    // A canvas with its own OpenGL ES 1.1 context; an Error when the system
    // offers none.
    static foundation::Result<std::shared_ptr<PaintingView>> create(const graphics::Rect& frame = {});
    ~PaintingView() override;

    void layoutSubviews() override;
    void changeBrush(int64_t type) override;
    void changePainterBrush(const std::shared_ptr<PainterBrush>& brush);
    const std::shared_ptr<PainterBrush>& currentBrush() const { return brush_; }
    void setBrushColorWithRed(double red, double green, double blue) override;

    void handlePan(ui::GestureState state, graphics::Point location, graphics::Point velocity) override;
    void handleSingleTap(graphics::Point location) override;
    // A tap or a placed stamp: one segment of four samples of width `size`;
    // the stroke records the brush's size.
    void addStrokeWithPosition(graphics::Point position, double size, double angle,
                               const std::shared_ptr<PainterBrush>& brush);
    // A placed stamp: the brush takes the stamp's size (truncated) and angle.
    void placeStamp(graphics::Point position, double size, double angle);

    void replayBuffer() override;
    void undo() override;
    void redo() override;

    // The sprites the last drawing step stamped (for checks of sizes).
    size_t spritesDrawn() const { return spritesDrawn_; }

protected:
    explicit PaintingView(std::unique_ptr<CanvasSurface> surface) : StrokeCanvasView(std::move(surface)) {}

private:
    void setUpDrawingState();
    void bindBrushTip(const PainterBrush& brush);
    void setGLColour(float red, float green, float blue, float alpha);
    void drawFromBuffer(bool replaying, graphics::Point offset = {});
    void applyMove(graphics::Point d, bool undoing);
    void handleMove(ui::GestureState state, graphics::Point location);

    // Replay gathers a stroke's sprites and draws them in one call: the same
    // fragments in the same order as a call per segment, without a driver
    // round trip for each.
    void flushReplaySprites();
    std::vector<CanvasSprite> replaySprites_;

    std::shared_ptr<PainterBrush> brush_;
    graphics::Image eraserTip_;
    graphics::Point movePrevPoint_;
    graphics::Point moveOrigCanvasCenter_;
    size_t spritesDrawn_ = 0;
};
