#pragma once

// The painting canvas's pixels in memory: brush tips stamped as textured
// squares with the arithmetic of the ES 1.1 pipeline the canvas was first
// drawn with (point-sprite coverage on a 1/256-pixel grid, bilinear tip
// sampling with 8-bit weights, the tip times the colour, then blending), so
// pictures and saved canvases look as they did. Each stamp is planned
// first (the texels and weights of its columns and rows, and where each row
// is clear, filtered or solid), then painted: solid spans take the colour
// by copying and only the filtered pixels are blended, two at a time where
// SSE2 is there. A white tip (every texel grey as its alpha, premultiplied
// white) is filtered on its alpha alone: the same numbers, a quarter of the
// work. Pixels a stamp cannot change are passed over: clear ones under the
// eraser, and the colour itself under a white tip when no alpha changes it.

#include "app/painter/CanvasSurface.h"

#include <QImage>
#include <cstdint>
#include <optional>
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
    // Per stamp: each covered column's and row's two texels and weight.
    struct Tap {
        int first;
        int second;
        int weight;  // of the second, out of 256
    };
    // One canvas row of a stamp: its tip rows, and the columns that are
    // filtered [left, solid), take the colour [solid, solidEnd) and are
    // filtered again [solidEnd, right); none of them in [hiddenFrom,
    // hiddenTo), which a later stamp of the run paints over with the colour.
    struct RowPlan {
        int upper, lower;  // offsets of the two tip rows
        int weight;        // of the lower row, out of 256
        int left, solid, solidEnd, right;
        int hiddenFrom, hiddenTo;
    };
    struct StampPlan {
        int i0, j0, rows;
        size_t columns;   // where its taps start in columns_
        size_t firstRow;  // where its rows start in rows_
    };

    // The colour as a pixel of the canvas.
    uint32_t colourPixel() const;
    // Works out which pixels a stamp covers and how; nothing when it covers none.
    void plan(const CanvasSprite& sprite);
    // The spans of each of the stamp's rows, from the taps of its columns.
    void planRows(StampPlan& stamp, int j1, float y, float inverse);
    // Marks in each planned row the columns a later stamp of the run covers
    // with its solid span: an opaque colour there replaces whatever was
    // drawn before, so those pixels need not be drawn.
    void hideCovered();
    template <Blend mode, bool white>
    void paint(const StampPlan& stamp, std::optional<uint32_t> unchanged);
    // Blends columns [from, to) of a row. Every pixel goes through the same
    // arithmetic: a clear tip blends to what is there, a solid one over an
    // opaque colour to the colour. Pixels equal to `unchanged`, when there
    // is one, are left as they are: the stamp would blend them to the same
    // value.
    template <Blend mode>
    void filterWhite(uint32_t* target, const RowPlan& row, const Tap* column, int from, int to,
                     std::optional<uint32_t> unchanged) const;
    template <Blend mode>
    void filterTexels(uint32_t* target, const RowPlan& row, const Tap* column, int from, int to,
                      std::optional<uint32_t> unchanged) const;

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
    std::vector<uint32_t> colourRow_;  // a canvas row of the colour, copied into solid spans
    // Per channel: a filtered value times the colour's channel, in its lane.
    uint64_t modulate_[4][256] = {};
    // All four channels of a white texel of each alpha, modulated.
    uint64_t modulateWhite_[256] = {};
    // The same with red, green, blue and alpha in 16-bit lanes from the
    // lowest up, and 255 less its alpha in every lane: what a pixel keeps.
    uint64_t whiteLanes_[256] = {};
    uint64_t keepLanes_[256] = {};
    // Whether a pixel of exactly the colour stays so under a white stamp of
    // any alpha: the rim of a stroke then passes over the colour it laid
    // down without changing a byte.
    bool colourStaysUnderWhite_ = false;
    Blend blend_ = Blend::Over;
    PixelBox changed_;
    // Per tip row: a run of solid (white, opaque) texels and the extent of
    // the texels that are not clear; empty runs have first > last. Every
    // pixel of a stamp whose four texels lie inside both rows' solid runs,
    // or all outside both rows' extents, needs no filtering.
    struct RowRuns {
        int solidFirst, solidLast;
        int paintedFirst, paintedLast;
    };
    std::vector<RowRuns> tipRows_;
    // The stamps being drawn, planned before any is painted.
    std::vector<StampPlan> stamps_;
    std::vector<Tap> columns_;
    std::vector<RowPlan> rows_;
    // Per canvas row while hiding: columns known to be solid in later stamps.
    std::vector<std::pair<int, int>> covered_;
    // Per texel column t of the stamp being planned: how many of its columns
    // have their first texel before t, and their second.
    std::vector<int> firstBefore_, secondBefore_;
};
