#include "app/painter/CanvasSurface.h"

#include "platform/gl/ReadBack.h"

#include <QImage>
#include <cmath>
#include <cstring>

using gl::es1::ext;

PixelBox PixelBox::united(const PixelBox& other) const {
    if (other.isEmpty()) return *this;
    if (isEmpty()) return other;
    return {std::min(left, other.left), std::min(bottom, other.bottom), std::max(right, other.right),
            std::max(top, other.top)};
}

PixelBox PixelBox::clipped(int width, int height) const {
    PixelBox box{std::max(left, 0), std::max(bottom, 0), std::min(right, width), std::min(top, height)};
    return box.isEmpty() ? PixelBox{} : box;
}

PixelBox PixelBox::around(const CanvasSprite& sprite) {
    // Sizes below a pixel still draw one (GL's smallest point).
    const double half = std::max(sprite.size, 1.0f) / 2.0;
    const auto edge = [](double value, bool low) {
        // Far outside any canvas: clamp before converting so it stays defined.
        const double clamped = std::clamp(value, -1e8, 1e8);
        return static_cast<int>(low ? std::floor(clamped) - 1 : std::ceil(clamped) + 1);
    };
    if (!std::isfinite(sprite.x) || !std::isfinite(sprite.y) || !std::isfinite(sprite.size)) return {};
    return {edge(sprite.x - half, true), edge(sprite.y - half, true), edge(sprite.x + half, false),
            edge(sprite.y + half, false)};
}

foundation::Result<std::unique_ptr<CanvasSurface>> CanvasSurface::create() {
    auto context = gl::Context::create(gl::Api::Es1);
    if (!context.ok()) return context.error();
    if (auto current = (*context)->makeCurrent(); !current.ok()) return current.error();
    if (auto loaded = gl::es1::loadExtensions(); !loaded.ok()) return loaded.error();
    std::unique_ptr<CanvasSurface> surface(new CanvasSurface());
    surface->context_ = std::move(*context);
    GLfloat range[2] = {1, 1};
    glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, range);
    surface->largestPointSize_ = range[1];
    return surface;
}

bool CanvasSurface::makeCurrent() { return context_->makeCurrent().ok(); }

void CanvasSurface::destroyFramebuffer() {
    framebuffer_.reset();
    colour_.reset();
    depth_.reset();
}

void CanvasSurface::bindFramebuffer() { ext().bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer_.get()); }

bool CanvasSurface::createFramebuffer(int width, int height) {
    framebuffer_ = gl::es1::makeFramebuffer();
    colour_ = gl::es1::makeRenderbuffer();
    ext().bindFramebuffer(GL_FRAMEBUFFER_OES, framebuffer_.get());
    ext().bindRenderbuffer(GL_RENDERBUFFER_OES, colour_.get());
    ext().renderbufferStorage(GL_RENDERBUFFER_OES, GL_RGBA8_OES, std::max(width, 1), std::max(height, 1));
    ext().framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, colour_.get());
    ext().getRenderbufferParameteriv(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES, &backingWidth_);
    ext().getRenderbufferParameteriv(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_HEIGHT_OES, &backingHeight_);
    depth_ = gl::es1::makeRenderbuffer();
    ext().bindRenderbuffer(GL_RENDERBUFFER_OES, depth_.get());
    ext().renderbufferStorage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, backingWidth_, backingHeight_);
    ext().framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES, depth_.get());
    if (ext().checkFramebufferStatus(GL_FRAMEBUFFER_OES) != GL_FRAMEBUFFER_COMPLETE_OES) return false;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, static_cast<GLfloat>(width), 0, static_cast<GLfloat>(height), -1, 1);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_MODELVIEW);
    markAllChanged();
    return true;
}

void CanvasSurface::clear() {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    markAllChanged();
}

void CanvasSurface::updatePicture(QImage& picture) {
    if (picture.width() != backingWidth_ || picture.height() != backingHeight_ ||
        picture.format() != QImage::Format_RGBA8888_Premultiplied) {
        picture = QImage(backingWidth_, backingHeight_, QImage::Format_RGBA8888_Premultiplied);
        markAllChanged();
    }
    const PixelBox box = changed_.clipped(backingWidth_, backingHeight_);
    changed_ = {};
    if (box.isEmpty() || picture.isNull()) return;
    const int width = box.right - box.left;
    const int height = box.top - box.bottom;
    const size_t row = static_cast<size_t>(width) * 4;
    readBuffer_.resize(row * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(box.left, box.bottom, width, height, GL_RGBA, GL_UNSIGNED_BYTE, readBuffer_.data());
    // GL's bottom row is the picture's last; bits() detaches only when
    // someone else still holds the previous picture, which then stays as it was.
    uchar* bits = picture.bits();
    const qsizetype stride = picture.bytesPerLine();
    for (int r = 0; r < height; ++r) {
        uchar* target = bits + static_cast<qsizetype>(backingHeight_ - 1 - (box.bottom + r)) * stride + box.left * 4;
        std::memcpy(target, readBuffer_.data() + static_cast<size_t>(r) * row, row);
    }
}

graphics::Image CanvasSurface::readImage(int width, int height) {
    width = std::clamp(width, 0, backingWidth_);
    height = std::clamp(height, 0, backingHeight_);
    if (width == 0 || height == 0) return {};
    QImage bitmap(width, height, QImage::Format_RGBA8888_Premultiplied);
    // Rows of 4-byte pixels need no padding, so GL writes straight into them.
    gl::readRgbaTopRowFirst(width, height, bitmap.bits());
    return graphics::Image(std::move(bitmap));
}

gl::Name CanvasSurface::textureFor(const graphics::Image& picture) {
    int64_t key = picture.bitmap().cacheKey();
    if (auto found = textures_.find(key); found != textures_.end()) return found->second.get();
    QImage pixels = picture.bitmap().convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    gl::es1::Texture texture = gl::es1::makeTexture();
    glBindTexture(GL_TEXTURE_2D, texture.get());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, pixels.width(), pixels.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.constBits());
    gl::Name name = texture.get();
    textures_.emplace(key, std::move(texture));
    return name;
}

void CanvasSurface::drawPoints(const CanvasSprite* sprites, size_t count) {
    if (count == 0) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof(CanvasSprite), &sprites->x);
    // One call for the run (per-vertex sizes are part of ES 1.1): the same
    // fragments, blended in the same order, as a call per sprite.
    glEnableClientState(GL_POINT_SIZE_ARRAY_OES);
    glPointSizePointerOES(GL_FLOAT, sizeof(CanvasSprite), &sprites->size);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(count));
    glDisableClientState(GL_POINT_SIZE_ARRAY_OES);
    glPointSize(sprites[count - 1].size);
}

void CanvasSurface::drawQuad(const CanvasSprite& sprite, bool textured) {
    float half = sprite.size / 2;
    const GLfloat vertices[] = {sprite.x - half, sprite.y + half, sprite.x + half, sprite.y + half,
                                sprite.x - half, sprite.y - half, sprite.x + half, sprite.y - half};
    // Point sprites run t from 0 at the top to 1 at the bottom.
    const GLfloat coordinates[] = {0, 0, 1, 0, 0, 1, 1, 1};
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, coordinates);
    }
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    if (textured) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void CanvasSurface::drawSprites(const std::vector<CanvasSprite>& sprites, bool textured) {
    auto drawnAsPoint = [&](const CanvasSprite& sprite) {
        return sprite.size <= largestPointSize_ && sprite.x >= 0 && sprite.y >= 0 && sprite.x < backingWidth_ &&
               sprite.y < backingHeight_;
    };
    size_t runStart = 0;
    for (const CanvasSprite& sprite : sprites) changed_ = changed_.united(PixelBox::around(sprite));
    for (size_t i = 0; i < sprites.size(); ++i) {
        if (drawnAsPoint(sprites[i])) continue;
        drawPoints(sprites.data() + runStart, i - runStart);
        drawQuad(sprites[i], textured);
        runStart = i + 1;
    }
    drawPoints(sprites.data() + runStart, sprites.size() - runStart);
}
