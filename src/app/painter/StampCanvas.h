#pragma once

// The painting canvas's pixels in memory: brush tips stamped as textured
// squares with the arithmetic of the ES 1.1 pipeline the canvas was first
// drawn with (point-sprite coverage on a 1/256-pixel grid, bilinear tip
// sampling with 8-bit weights, the tip times the colour, then blending), so
// pictures and saved canvases look as they did. A stamp is a tight loop
// over the pixels its square covers; pixels where the tip is clear are
// skipped and where it is solid take the colour directly.

#include "app/painter/CanvasSurface.h"

#include <QImage>
#include <cstdint>
#include <vector>

class StampCanvas {
public:
    enum class Blend {
        Over,   // the stamp over what is there (premultiplied "source over")
        Erase,  // what is there loses the stamp's coverage
    };

    StampCanvas() { setColour(0, 0, 0, 1); }

    // A new canvas of width × height pixels, all clear; false when either
    // side is not positive (the canvas then has no pixels).
    bool resize(int width, int height);
    bool hasPixels() const { return !pixels_.isNull(); }
    int width() const { return pixels_.width(); }
    int height() const { return pixels_.height(); }

    void clear();
    // The tip stamped from now on, converted once per picture.
    void setTip(const graphics::Image& tip);
    // Components in 0…1 (straight, as a GL colour), kept as 8-bit values.
    void setColour(float red, float green, float blue, float alpha);
    void setBlend(Blend blend) { blend_ = blend; }
    // Stamps in order; centres and sizes in canvas pixels, y up from the
    // bottom row.
    void drawSprites(const std::vector<CanvasSprite>& sprites);

    // The pixels, top row first, premultiplied; `width` × `height` clipped
    // to the canvas.
    graphics::Image readImage(int width, int height) const;
    // Brings `picture` up to date with what changed since the last call.
    void updatePicture(QImage& picture);
    const PixelBox& changedBox() const { return changed_; }

private:
    template <Blend mode>
    void stamp(const CanvasSprite& sprite);
    // Blends the covered pixels, with the taps worked out. A white tip (every
    // texel grey as its alpha, premultiplied white) is filtered on its alpha
    // alone: the same numbers, a quarter of the work.
    template <Blend mode, bool white>
    void blendPixels(int i0, int i1, int j0, int j1);

    QImage pixels_;
    // The tip's texels with each 8-bit channel in a 16-bit lane (red lowest),
    // ready for filtering; row by row.
    std::vector<uint64_t> tip_;
    std::vector<uint8_t> tipAlpha_;  // for a white tip
    bool whiteTip_ = false;
    int tipWidth_ = 0;
    int tipHeight_ = 0;
    int64_t tipKey_ = 0;
    uint8_t colour_[4] = {0, 0, 0, 255};
    // Per channel: a filtered value times the colour's channel, in its lane.
    uint64_t modulate_[4][256] = {};
    // All four channels of a white texel of each alpha, modulated.
    uint64_t modulateWhite_[256] = {};
    Blend blend_ = Blend::Over;
    PixelBox changed_;
    // Per stamp: each covered column's and row's two texels and weight.
    struct Tap {
        int first;
        int second;
        int weight;  // of the second, out of 256
    };
    std::vector<Tap> columns_;
    std::vector<Tap> rows_;  // first and second as offsets of texel rows
    // Per tip row: a run of solid (white, opaque) texels and the extent of
    // the texels that are not clear; empty runs have first > last. Every
    // pixel of a stamp whose four texels lie inside both rows' solid runs,
    // or all outside both rows' extents, needs no filtering.
    struct RowRuns {
        int solidFirst, solidLast;
        int paintedFirst, paintedLast;
    };
    std::vector<RowRuns> tipRows_;
};
