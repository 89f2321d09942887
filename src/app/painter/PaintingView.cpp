#include "app/painter/PaintingView.h"

#include "app/painter/PaintingRules.h"
#include "platform/ui/gestures/GestureRecognizer.h"

#include <QImage>
#include <cmath>

namespace {

// The eraser's own tip: a round disc with a soft rim. Without it the eraser
// would stamp with whatever tip was bound last.
graphics::Image makeEraserTip() {
    constexpr int kSize = 64;
    QImage tip(kSize, kSize, QImage::Format_RGBA8888_Premultiplied);
    const double radius = kSize / 2.0;
    for (int y = 0; y < kSize; ++y) {
        auto* row = reinterpret_cast<uint8_t*>(tip.scanLine(y));
        for (int x = 0; x < kSize; ++x) {
            double distance = std::hypot(x + 0.5 - radius, y + 0.5 - radius);
            double coverage = std::clamp(radius - distance, 0.0, 1.0);
            auto value = static_cast<uint8_t>(std::lround(coverage * 255));
            row[x * 4 + 0] = row[x * 4 + 1] = row[x * 4 + 2] = row[x * 4 + 3] = value;
        }
    }
    return graphics::Image(std::move(tip));
}

}  // namespace

foundation::Result<std::shared_ptr<PaintingView>> PaintingView::create(const graphics::Rect& frame) {
    std::shared_ptr<PaintingView> view(new PaintingView());
    view->setFrame(frame);
    view->eraserTip_ = makeEraserTip();
    view->addRecognizers();
    return view;
}

void PaintingView::layoutSubviews() {
    if (!rebuildFramebuffer()) return;
    stamps_.setBlend(StampCanvas::Blend::Over);
    needsErase_ = true;
    if (!brush_)
        changeBrush(kBrushTypeBrush);
    else
        changePainterBrush(brush_);
    if (needsErase_) {
        erase();
        needsErase_ = false;
    }
}

void PaintingView::changeBrush(int64_t type) {
    auto found = brushes.find(type);
    if (found != brushes.end() && found->second) changePainterBrush(found->second);
}

void PaintingView::bindBrushTip(const PainterBrush& brush) {
    const graphics::Image& tip = brush.image.isNull() ? eraserTip_ : brush.image;
    stamps_.setTip(tip);
    stamps_.setBlend(StampCanvas::Blend::Over);
    pointSize_ = static_cast<float>(tip.pixelWidth() / 2);
}

void PaintingView::changePainterBrush(const std::shared_ptr<PainterBrush>& brush) {
    if (!brush) return;
    brush_ = brush;
    // The move brush draws nothing and leaves the drawing state alone.
    if (brush->type == kBrushTypeMove) return;
    if (!brush->image.isNull() || brush->type == kBrushTypeEraser) {
        bindBrushTip(*brush);
        graphics::RGBAComponents colour = brush->color.rgba().value_or(graphics::RGBAComponents{0, 0, 0, 1});
        stamps_.setColour(static_cast<float>(colour.red), static_cast<float>(colour.green),
                          static_cast<float>(colour.blue), static_cast<float>(colour.alpha));
    }
}

void PaintingView::setBrushColorWithRed(double red, double green, double blue) {
    stamps_.setColour(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue), 1);
    if (brush_) brush_->color = graphics::Color::rgb(red, green, blue, 1);
}

void PaintingView::drawFromBuffer() {
    if (!beginDrawing()) return;
    sprites_.clear();
    addSpritesFromBuffer();
    spritesDrawn_ = sprites_.size();
    stamps_.drawSprites(sprites_);
    present();
}

void PaintingView::addSpritesFromBuffer(graphics::Point offset) {
    std::optional<std::vector<LinePoint>> smoothed = paintingrules::calculateSmoothLinePoints(points_);
    if (!smoothed || !brush_ || brush_->type == kBrushTypeMove) return;
    if (brush_->type == kBrushTypeEraser) {
        stamps_.setBlend(StampCanvas::Blend::Erase);
        stamps_.setColour(0, 0, 0, 0.5f);
    }
    for (const LinePoint& sample : *smoothed) {
        // Types without a size rule keep the size in force.
        std::optional<float> size = paintingrules::pointSize(brush_->type, brush_->size, sample.width);
        sprites_.push_back({static_cast<float>(sample.pos.x + offset.x), static_cast<float>(sample.pos.y + offset.y),
                            size.value_or(pointSize_)});
        pointSize_ = sprites_.back().size;
    }
}

void PaintingView::handlePan(ui::GestureState state, graphics::Point location, graphics::Point velocity) {
    if (brush_ && brush_->type == kBrushTypeMove) {
        handleMove(state, location);
        return;
    }
    graphics::Point p = canvasPoint(location);
    switch (state) {
        case ui::GestureState::Began: {
            if (!beginLine(p, 0)) break;
            float width = paintingrules::extractSize(velocity, velocities_);
            for (LinePoint& sample : points_) sample.width = width;
            if (brush_) {
                graphics::RGBAComponents colour = brush_->color.rgba().value_or(graphics::RGBAComponents{});
                stroke_->red = static_cast<float>(colour.red);
                stroke_->green = static_cast<float>(colour.green);
                stroke_->blue = static_cast<float>(colour.blue);
                stroke_->alpha = static_cast<float>(colour.alpha);
                stroke_->type = static_cast<int32_t>(brush_->type);
                stroke_->brushSize = brush_->size;
            }
            break;
        }
        case ui::GestureState::Changed:
            if (stroke_ && addLineSample(p, velocity)) drawFromBuffer();
            break;
        case ui::GestureState::Ended:
            endLine(p, velocity, true);
            break;
        default:
            break;  // a cancelled drag records nothing
    }
}

void PaintingView::handleMove(ui::GestureState state, graphics::Point location) {
    switch (state) {
        case ui::GestureState::Began:
            movePrevPoint_ = location;
            moveOrigCanvasCenter_ = center();
            break;
        case ui::GestureState::Changed:
            setCenter({center().x - (movePrevPoint_.x - location.x), center().y - (movePrevPoint_.y - location.y)});
            break;
        case ui::GestureState::Ended: {
            graphics::Point d{moveOrigCanvasCenter_.x - center().x, moveOrigCanvasCenter_.y - center().y};
            setCenter(moveOrigCanvasCenter_);
            auto record = std::make_shared<Stroke>();
            record->type = static_cast<int32_t>(kBrushTypeMove);
            record->points = {StrokeSegment{LinePoint{0, d}}};
            if (!roomFor(record->storedSize())) break;
            stroke_ = record;
            recordStroke(record, true);
            applyMove(d, false);
            replayBuffer();
            break;
        }
        default:
            break;
    }
}

void PaintingView::applyMove(graphics::Point d, bool undoing) {
    for (const StrokePtr& stroke : strokeBuffer_)
        stroke->offset =
            undoing ? paintingrules::unmovedOffset(stroke->offset, d) : paintingrules::movedOffset(stroke->offset, d);
}

void PaintingView::handleSingleTap(graphics::Point location) {
    addStrokeWithPosition(canvasPoint(location), 5, 0, brush_);
}

void PaintingView::addStrokeWithPosition(graphics::Point position, double size, double angle,
                                         const std::shared_ptr<PainterBrush>& brush) {
    (void)angle;
    if (!brush) return;
    auto stroke = std::make_shared<Stroke>();
    stroke->points = {paintingrules::tapSegment(position, static_cast<float>(size))};
    if (!roomFor(stroke->storedSize())) return;
    points_ = stroke->points.front();
    velocities_.clear();
    graphics::RGBAComponents colour = brush->color.rgba().value_or(graphics::RGBAComponents{});
    stroke->red = static_cast<float>(colour.red);
    stroke->green = static_cast<float>(colour.green);
    stroke->blue = static_cast<float>(colour.blue);
    stroke->alpha = static_cast<float>(colour.alpha);
    stroke->brushSize = brush->size;
    stroke->type = static_cast<int32_t>(brush->type);
    stroke_ = stroke;
    recordStroke(stroke, true);
    drawFromBuffer();
}

void PaintingView::placeStamp(graphics::Point position, double size, double angle) {
    if (!brush_) return;
    brush_->size = static_cast<int64_t>(size);
    brush_->angle = angle;
    addStrokeWithPosition(position, size, angle, brush_);
}

void PaintingView::replayBuffer() {
    std::shared_ptr<PainterBrush> kept = brush_;
    int64_t keptSize = kept ? kept->size : 0;
    graphics::Color keptColour = kept ? kept->color : graphics::Color::rgb(0, 0, 0);
    if (!beginDrawing()) return;
    stamps_.clear();
    bool first = true;
    for (const StrokePtr& stroke : strokeBuffer_) {
        if (stroke->type == kBrushTypeMove) continue;
        if (first || !brush_ || stroke->type != brush_->type) changeBrush(stroke->type);
        first = false;
        if (!brush_) continue;
        if (brush_->size != stroke->brushSize)
            brush_->size = paintingrules::replayBrushSize(stroke->brushSize, brush_->defaultSize);
        stamps_.setColour(stroke->red, stroke->green, stroke->blue, stroke->alpha);
        velocities_ = stroke->velocities;
        // A stroke's stamps are drawn together, as one run.
        sprites_.clear();
        for (const StrokeSegment& segment : stroke->points) {
            points_ = segment;
            addSpritesFromBuffer(stroke->offset);
        }
        stamps_.drawSprites(sprites_);
    }
    present();
    if (kept) {
        changePainterBrush(kept);
        kept->size = keptSize;
        kept->color = keptColour;
        graphics::RGBAComponents colour = keptColour.rgba().value_or(graphics::RGBAComponents{0, 0, 0, 1});
        if (kept->type != kBrushTypeMove)
            stamps_.setColour(static_cast<float>(colour.red), static_cast<float>(colour.green),
                              static_cast<float>(colour.blue), static_cast<float>(colour.alpha));
    }
}

void PaintingView::undo() {
    if (!canUndo()) return;
    const StrokePtr& last = strokeBuffer_.back();
    if (last->isMoveRecord()) applyMove(last->moveDisplacement(), true);
    moveToRedo();
    replayBuffer();
}

void PaintingView::redo() {
    if (!roomForRedo()) return;
    const StrokePtr& next = redoBuffer_->back();
    if (next->isMoveRecord()) applyMove(next->moveDisplacement(), false);
    takeFromRedo();
    replayBuffer();
}
