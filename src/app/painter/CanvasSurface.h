#pragma once

// The GL side of the masking canvas: an OpenGL ES 1.1 context of its own, a
// framebuffer with colour and depth renderbuffers, sprite drawing and
// read-back into pictures. Used on the main thread only. The painting
// canvas stamps in memory instead (StampCanvas) with the same sprites.

#include "platform/foundation/Error.h"
#include "platform/gl/Context.h"
#include "platform/gl/Es1.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class QImage;

// One square stamp: centre in canvas pixels and its size in pixels.
struct CanvasSprite {
    float x = 0;
    float y = 0;
    float size = 0;
};

// A box of whole canvas pixels, rows counted from the bottom as GL counts
// them; right and top are exclusive. Empty when either side is not positive.
struct PixelBox {
    int left = 0;
    int bottom = 0;
    int right = 0;
    int top = 0;

    bool isEmpty() const { return right <= left || top <= bottom; }
    // The smallest box holding both; an empty box adds nothing.
    PixelBox united(const PixelBox& other) const;
    PixelBox clipped(int width, int height) const;
    // Every pixel a sprite may touch: its square, widened to whole pixels
    // and by one more for the filtered rim.
    static PixelBox around(const CanvasSprite& sprite);
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
    // Brings `picture` (the whole framebuffer, top row first) up to date by
    // reading back only what was drawn since the last call; all of it when
    // the picture is null, of another size, or the framebuffer is new.
    void updatePicture(QImage& picture);
    // For drawing done with GL directly: the whole framebuffer is read back
    // on the next update.
    void markAllChanged() { changed_ = {0, 0, backingWidth_, backingHeight_}; }
    // What the next update reads back.
    const PixelBox& changedBox() const { return changed_; }

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
    PixelBox changed_;
    std::vector<uint8_t> readBuffer_;
    std::map<int64_t, gl::es1::Texture> textures_;
};
