#include "app/painter/CanvasSurface.h"

#include "platform/gl/ReadBack.h"

#include <QImage>

using gl::es1::ext;

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
    return true;
}

void CanvasSurface::clear() {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
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
    for (size_t i = 0; i < sprites.size(); ++i) {
        if (drawnAsPoint(sprites[i])) continue;
        drawPoints(sprites.data() + runStart, i - runStart);
        drawQuad(sprites[i], textured);
        runStart = i + 1;
    }
    drawPoints(sprites.data() + runStart, sprites.size() - runStart);
}
