#pragma once

// The GL side of a painting canvas: an OpenGL ES 1.1 context of its own, a
// framebuffer with colour and depth renderbuffers, sprite drawing and
// read-back into pictures. Used on the main thread only.

#include "platform/foundation/Error.h"
#include "platform/gl/Context.h"
#include "platform/gl/Es1.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

// One square stamp: centre in canvas pixels and its size in pixels.
struct CanvasSprite {
    float x = 0;
    float y = 0;
    float size = 0;
};

class CanvasSurface {
public:
    static foundation::Result<std::unique_ptr<CanvasSurface>> create();

    // Makes the context current; false (and nothing drawn) when it cannot be.
    bool makeCurrent();
    // A new framebuffer of width × height pixels with an orthographic
    // projection of the same size. False when it is not complete.
    bool createFramebuffer(int width, int height);
    void destroyFramebuffer();
    void bindFramebuffer();
    bool hasFramebuffer() const { return static_cast<bool>(framebuffer_); }
    int backingWidth() const { return backingWidth_; }
    int backingHeight() const { return backingHeight_; }

    // Colour and depth to (0, 0, 0, 0).
    void clear();
    // The framebuffer's pixels, top row first, alpha premultiplied.
    graphics::Image readImage(int width, int height);

    // The texture of a picture, made once per picture (straight RGBA bytes
    // premultiplied, as drawn into a zero-filled bitmap).
    gl::Name textureFor(const graphics::Image& picture);
    // Draws the sprites in order with the current colour, blending and
    // texture. Sprites larger than the largest point size, or centred off the
    // framebuffer (which GL would drop whole), are drawn as quads of the same
    // size, blending and order. `textured` gives the quads texture
    // coordinates as point sprites get them.
    void drawSprites(const std::vector<CanvasSprite>& sprites, bool textured);

    float largestPointSize() const { return largestPointSize_; }

private:
    CanvasSurface() = default;
    void drawPoints(const CanvasSprite* sprites, size_t count);
    void drawQuad(const CanvasSprite& sprite, bool textured);

    std::unique_ptr<gl::Context> context_;
    gl::es1::Framebuffer framebuffer_;
    gl::es1::Renderbuffer colour_;
    gl::es1::Renderbuffer depth_;
    int backingWidth_ = 0;
    int backingHeight_ = 0;
    float largestPointSize_ = 1;
    std::map<int64_t, gl::es1::Texture> textures_;
};
