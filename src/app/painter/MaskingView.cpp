#include "app/painter/MaskingView.h"

#include "app/painter/PaintingMapping.h"
#include "app/painter/PaintingRules.h"
#include "platform/ui/gestures/GestureRecognizer.h"

foundation::Result<std::shared_ptr<MaskingView>> MaskingView::create(const graphics::Rect& frame) {
    auto surface = CanvasSurface::create();
    if (!surface.ok()) return surface.error();
    std::shared_ptr<MaskingView> view(new MaskingView(std::move(*surface)));
    view->setFrame(frame);
    view->needsErase_ = true;
    view->addRecognizers();
    return view;
}

MaskingView::~MaskingView() { surface_->makeCurrent(); }

bool MaskingView::beginDrawing() {
    if (!surface_->hasFramebuffer() || !surface_->makeCurrent()) return false;
    surface_->bindFramebuffer();
    return true;
}

bool MaskingView::makePixels(int width, int height) {
    if (!surface_->makeCurrent()) return false;
    surface_->destroyFramebuffer();
    if (width <= 0 || height <= 0) return false;
    if (!surface_->createFramebuffer(width, height)) {
        surface_->destroyFramebuffer();
        return false;
    }
    return true;
}

void MaskingView::setBackgroundImage(const graphics::Image& image) {
    bgImage_ = image;
    bgTexturePixels_ = {};
}

void MaskingView::layoutSubviews() {
    if (!rebuildFramebuffer()) return;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Texture rows run bottom-up (t = 0 at the bottom of the quad), so the
    // picture's bottom row goes first.
    if (!bgImage_.isNull() && bgTexturePixels_.isNull())
        bgTexturePixels_ = graphics::Image(bgImage_.normalized().bitmap().mirrored(false, true));
    texture_ = bgTexturePixels_.isNull() ? 0 : surface_->textureFor(bgTexturePixels_);
    glDisable(GL_DITHER);
    glEnableClientState(GL_VERTEX_ARRAY);
    glBlendFunc(GL_ONE, GL_SRC_COLOR);
    if (needsErase_) {
        erase();
        needsErase_ = false;
    }
    drawBack(false);
}

void MaskingView::drawBack(bool replaying) {
    if (!replaying && !beginDrawing()) return;
    glBlendFunc(GL_ONE, GL_SRC_COLOR);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindTexture(GL_TEXTURE_2D, texture_);
    // Where the painting canvas shows the same picture, in canvas pixels
    // (origin at the bottom left); what lies off the canvas is cut.
    const graphics::Size canvas = bounds().size;
    const graphics::Rect shown = CanvasPlacement{uprightPixelSize(bgImage_), canvas}.pictureOnCanvas();
    const auto left = static_cast<GLfloat>(shown.minX());
    const auto right = static_cast<GLfloat>(shown.maxX());
    const auto top = static_cast<GLfloat>(canvas.height - shown.minY());
    const auto bottom = static_cast<GLfloat>(canvas.height - shown.maxY());
    const GLfloat vertices[] = {left, top, right, top, left, bottom, right, bottom};
    const GLfloat coordinates[] = {0, 1, 1, 1, 0, 0, 1, 0};
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, coordinates);
    if (texture_ != 0) glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    surface_->markAllChanged();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (!replaying) present();
}

void MaskingView::drawFromBuffer(bool replaying) {
    if (!replaying && !beginDrawing()) return;
    std::optional<std::vector<LinePoint>> smoothed = paintingrules::calculateSmoothLinePoints(points_);
    glBindTexture(GL_TEXTURE_2D, 0);
    // Untextured squares: with no texture the fragments are the colour alone.
    glDisable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, 0.5f);
    if (smoothed) {
        std::vector<CanvasSprite> sprites;
        sprites.reserve(smoothed->size());
        for (const LinePoint& sample : *smoothed)
            sprites.push_back(
                {static_cast<float>(sample.pos.x), static_cast<float>(sample.pos.y), sample.width * kMaskPointScale});
        surface_->drawSprites(sprites, false);
    }
    glEnable(GL_TEXTURE_2D);
    if (!replaying) present();
}

void MaskingView::handlePan(ui::GestureState state, graphics::Point location, graphics::Point velocity) {
    graphics::Point p = canvasPoint(location);
    switch (state) {
        case ui::GestureState::Began: {
            if (!beginLine(p, 0)) break;
            float width = paintingrules::extractSize(velocity, velocities_);
            for (LinePoint& sample : points_) sample.width = width;
            stroke_->type = kMaskStrokeType;
            break;
        }
        case ui::GestureState::Changed:
            if (stroke_ && addLineSample(p, velocity)) drawFromBuffer(false);
            break;
        case ui::GestureState::Ended:
            endLine(p, velocity, false);  // mask strokes leave the redo list alone
            break;
        default:
            break;
    }
}

void MaskingView::handleSingleTap(graphics::Point location) {
    graphics::Point p = canvasPoint(location);
    auto stroke = std::make_shared<Stroke>();
    stroke->type = kMaskStrokeType;
    stroke->points = {paintingrules::tapSegment(p, 5)};
    if (!roomFor(stroke->storedSize())) return;
    points_ = stroke->points.front();
    velocities_.clear();
    stroke_ = stroke;
    recordStroke(stroke, false);
    drawFromBuffer(false);
}

void MaskingView::replayBuffer() {
    if (!beginDrawing()) return;
    surface_->clear();
    drawBack(true);
    for (const StrokePtr& stroke : strokeBuffer_) {
        velocities_ = stroke->velocities;
        for (const StrokeSegment& segment : stroke->points) {
            points_ = segment;
            drawFromBuffer(true);
        }
    }
    present();
}

void MaskingView::undo() {
    if (!canUndo()) return;
    moveToRedo();
    replayBuffer();
}

void MaskingView::redo() {
    if (!roomForRedo()) return;
    takeFromRedo();
    replayBuffer();
}
