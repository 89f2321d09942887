#include "app/painter/StrokeCanvasView.h"

#include "app/painter/PaintingRules.h"
#include "platform/foundation/Lifetime.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"

#include <cmath>

StrokeCanvasView::StrokeCanvasView() {
    setOpaque(false);
    setBackgroundColor(std::nullopt);
    strokeBuffer_.reserve(100);
}

void StrokeCanvasView::addRecognizers() {
    auto weak = foundation::weakFrom(this);
    tapRecognizer_ = std::make_shared<ui::TapGestureRecognizer>([weak](ui::GestureRecognizer& recognizer) {
        if (auto self = weak.lock()) self->handleSingleTap(recognizer.locationInView(self.get()));
    });
    auto pan = std::make_shared<ui::PanGestureRecognizer>([weak](ui::GestureRecognizer& recognizer) {
        auto self = weak.lock();
        if (!self) return;
        auto& panRecognizer = static_cast<ui::PanGestureRecognizer&>(recognizer);
        self->handlePan(recognizer.state(), recognizer.locationInView(self.get()),
                        panRecognizer.velocityInView(self.get()));
    });
    pan->maximumNumberOfTouches = 1;
    panRecognizer_ = pan;
    addGestureRecognizer(tapRecognizer_);
    addGestureRecognizer(panRecognizer_);
}

graphics::Point StrokeCanvasView::canvasPoint(graphics::Point location) const {
    return {location.x, bounds().size.height - location.y};
}

void StrokeCanvasView::present() {
    if (!beginDrawing()) return;
    // The layer lets go of the picture first, so it is updated in place
    // rather than copied whole for every move of a drag.
    layer().setContents(std::nullopt);
    updatePicture(shown_);
    layer().setContents(graphics::Image(shown_));
}

bool StrokeCanvasView::rebuildFramebuffer() {
    return makePixels(static_cast<int>(bounds().size.width), static_cast<int>(bounds().size.height));
}

void StrokeCanvasView::erase() {
    if (beginDrawing()) {
        clearPixels();
        present();
    }
    strokeBuffer_.clear();
    storedSize_ = 0;
    if (redoBuffer_) redoBuffer_->clear();
}

std::optional<graphics::Image> StrokeCanvasView::createImage() {
    if (!beginDrawing()) return std::nullopt;
    graphics::Image image = readPixels(static_cast<int>(frame().size.width), static_cast<int>(frame().size.height));
    if (image.isNull()) return std::nullopt;
    return image;
}

std::optional<foundation::Bytes> StrokeCanvasView::getBufferData() {
    auto data = strokeBufferData(strokeBuffer_);
    if (!data.ok()) return std::nullopt;
    return *data;
}

foundation::Status StrokeCanvasView::loadBufferData(const foundation::Bytes& data) {
    auto strokes = decodeStrokeBuffer(data, sampleLimit_);
    if (!strokes.ok()) return strokes.error();
    strokeBuffer_ = std::move(*strokes);
    storedSize_ = ::storedSize(strokeBuffer_);
    if (redoBuffer_) redoBuffer_->clear();
    replayBuffer();
    return foundation::Status::success();
}

void StrokeCanvasView::recordStroke(StrokePtr stroke, bool clearsRedo) {
    edited_ = true;
    storedSize_ += stroke->storedSize();
    strokeSize_ = 0;
    strokeBuffer_.push_back(std::move(stroke));
    if (clearsRedo && redoBuffer_) redoBuffer_->clear();
}

bool StrokeCanvasView::roomFor(size_t size) {
    if (storedSize_ + strokeSize_ + size <= sampleLimit_) return true;
    if (strokesFullHandler) strokesFullHandler();
    return false;
}

bool StrokeCanvasView::beginLine(graphics::Point position, float width) {
    points_.clear();
    velocities_.clear();
    stroke_.reset();
    strokeSize_ = 0;
    strokeCut_ = false;
    if (!roomFor(kStrokeFieldsSamples)) return false;
    stroke_ = std::make_shared<Stroke>();
    strokeSize_ = kStrokeFieldsSamples;
    stroke_->points.reserve(10);
    for (int i = 0; i < 3; ++i) points_.push_back(LinePoint{width, position});
    return true;
}

void StrokeCanvasView::endLine(graphics::Point position, graphics::Point velocity, bool clearsRedo) {
    if (!stroke_) return;
    paintingrules::extractSize(velocity, velocities_);
    points_.push_back(LinePoint{velocities_.back(), position});
    stroke_->velocities = velocities_;
    recordStroke(stroke_, clearsRedo);
}

bool StrokeCanvasView::addLineSample(graphics::Point position, graphics::Point velocity) {
    if (strokeCut_ || !paintingrules::acceptsSample(points_, position)) return false;
    points_.push_back(LinePoint{0, position});
    const StrokeSegment* previous = stroke_ && !stroke_->points.empty() ? &stroke_->points.back() : nullptr;
    const size_t size = storedSegmentSize(previous, points_);
    if (stroke_ && !roomFor(size)) {
        // What the drag drew so far is kept; the rest of it draws nothing.
        points_.pop_back();
        strokeCut_ = true;
        return false;
    }
    points_.back().width = paintingrules::extractSize(velocity, velocities_);
    if (stroke_) {
        stroke_->points.push_back(points_);
        strokeSize_ += size;
    }
    return true;
}

void StrokeCanvasView::moveToRedo() {
    if (!redoBuffer_) redoBuffer_.emplace();
    edited_ = true;
    storedSize_ -= strokeBuffer_.back()->storedSize();
    redoBuffer_->push_back(strokeBuffer_.back());
    strokeBuffer_.pop_back();
}

bool StrokeCanvasView::roomForRedo() { return canRedo() && roomFor(redoBuffer_->back()->storedSize()); }

void StrokeCanvasView::takeFromRedo() {
    recordStroke(redoBuffer_->back(), false);
    redoBuffer_->pop_back();
}
