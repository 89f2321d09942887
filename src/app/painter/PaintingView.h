#pragma once

// The paint-mode canvas: drags and taps become strokes drawn as stamps of
// the current brush's tip, recorded so that undo, redo, the move tool and a
// reload replay them.

#include "app/painter/StampCanvas.h"
#include "app/painter/StrokeCanvasView.h"

class PaintingView : public StrokeCanvasView {
public:
    // A canvas whose pixels are kept in memory; it needs no graphics
    // context, so making one does not fail.
    static foundation::Result<std::shared_ptr<PaintingView>> create(const graphics::Rect& frame = {});

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
    int backingWidth() const override { return stamps_.width(); }
    int backingHeight() const override { return stamps_.height(); }

protected:
    PaintingView() = default;
    bool beginDrawing() override { return stamps_.hasPixels(); }
    bool makePixels(int width, int height) override { return stamps_.resize(width, height); }
    void clearPixels() override { stamps_.clear(); }
    graphics::Image readPixels(int width, int height) override { return stamps_.readImage(width, height); }
    void updatePicture(QImage& picture) override { stamps_.updatePicture(picture); }

private:
    void bindBrushTip(const PainterBrush& brush);
    // Stamps the pending samples and shows them.
    void drawFromBuffer();
    // Smooths the pending samples into sprites appended to sprites_, moved by
    // `offset`, and sets the eraser's blending when it is the brush.
    void addSpritesFromBuffer(graphics::Point offset = {});
    void applyMove(graphics::Point d, bool undoing);
    void handleMove(ui::GestureState state, graphics::Point location);

    StampCanvas stamps_;
    std::vector<CanvasSprite> sprites_;  // reused by every drawing step and replayed stroke
    // The size kept for brush types without a size rule: half the tip's
    // width once a tip is chosen, then the last size stamped.
    float pointSize_ = 1;
    std::shared_ptr<PainterBrush> brush_;
    graphics::Image eraserTip_;
    graphics::Point movePrevPoint_;
    graphics::Point moveOrigCanvasCenter_;
    size_t spritesDrawn_ = 0;
};
