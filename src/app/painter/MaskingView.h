#pragma once

// The mask-mode canvas: shows the frame's picture where the painting canvas
// shows it (CanvasPlacement) and rubs it away along drags and taps, so that
// what lies behind the canvas shows through. The
// mask brush is fixed: untextured squares of five times the sample width
// that halve colour and alpha under them.

#include "app/painter/CanvasSurface.h"
#include "app/painter/StrokeCanvasView.h"

class MaskingView : public StrokeCanvasView {
public:
    static constexpr int32_t kMaskStrokeType = 300;
    static constexpr float kMaskPointScale = 5;

    static foundation::Result<std::shared_ptr<MaskingView>> create(const graphics::Rect& frame = {});
    ~MaskingView() override;

    // Must be set before the first layout, which turns it into a texture.
    void setBackgroundImage(const graphics::Image& image) override;
    void layoutSubviews() override;

    void handlePan(ui::GestureState state, graphics::Point location, graphics::Point velocity) override;
    void handleSingleTap(graphics::Point location) override;
    void replayBuffer() override;
    void undo() override;
    void redo() override;
    int backingWidth() const override { return surface_->backingWidth(); }
    int backingHeight() const override { return surface_->backingHeight(); }

protected:
    bool beginDrawing() override;
    bool makePixels(int width, int height) override;
    void clearPixels() override { surface_->clear(); }
    graphics::Image readPixels(int width, int height) override { return surface_->readImage(width, height); }
    void updatePicture(QImage& picture) override { surface_->updatePicture(picture); }

private:
    explicit MaskingView(std::unique_ptr<CanvasSurface> surface) : surface_(std::move(surface)) {}
    void drawBack(bool replaying);
    void drawFromBuffer(bool replaying);

    std::unique_ptr<CanvasSurface> surface_;
    graphics::Image bgImage_;
    graphics::Image bgTexturePixels_;  // the picture bottom row first, made once
    gl::Name texture_ = 0;
};
