#include "app/painter/StampCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Four 8-bit channels spread over 16-bit lanes, so one 64-bit multiply
// works on all of them without carries between lanes. The lanes hold red,
// blue, green and alpha from the lowest up: a pixel and a copy of it 24 bits
// higher, masked.
constexpr uint64_t kLanes = 0x00FF00FF00FF00FFull;
constexpr uint64_t kHalf = 0x0080008000800080ull;
constexpr int kLaneShift[4] = {0, 32, 16, 48};  // of red, green, blue, alpha

uint64_t spread(uint32_t p) { return (p | static_cast<uint64_t>(p) << 24) & kLanes; }

uint32_t pack(uint64_t s) { return static_cast<uint32_t>(s | s >> 24); }

// a + (b − a) × weight / 256, rounded, in every lane.
uint64_t lerp(uint64_t a, uint64_t b, int weight) {
    return ((a * static_cast<uint64_t>(256 - weight) + b * static_cast<uint64_t>(weight) + kHalf) >> 8) & kLanes;
}

// Every lane times factor / 255, rounded to nearest: how 8-bit blending
// scales what is already there.
uint64_t scale(uint64_t lanes, int factor) {
    uint64_t t = lanes * static_cast<uint64_t>(factor) + kHalf;
    return ((t + ((t >> 8) & kLanes)) >> 8) & kLanes;
}

// The texel coordinate a pixel centre samples along one axis: the two
// texels (clamped to the edge) and the weight of the second.
struct Sample {
    int first, second, weight;
};

Sample sampleAt(float coordinate, int texels) {
    // Beyond the edge texels both taps clamp to the same texel and the
    // weight no longer matters, so the coordinate may be clamped first; that
    // keeps the integer conversions below defined and exact (no library
    // floor and round per column and row).
    const float texel = std::clamp(coordinate * static_cast<float>(texels) - 0.5f, -1.0f, static_cast<float>(texels));
    int first = static_cast<int>(texel);  // towards zero
    if (static_cast<float>(first) > texel) --first;
    const float fraction = (texel - static_cast<float>(first)) * 256;  // both steps exact
    int weight = static_cast<int>(fraction);
    if (fraction - static_cast<float>(weight) >= 0.5f) ++weight;  // half away from zero
    return {std::clamp(first, 0, texels - 1), std::clamp(first + 1, 0, texels - 1), weight};
}

// A window coordinate as the pipeline computes it from a canvas one: through
// the orthographic projection to -1…1 and back through the viewport. The
// float rounding on the way decides which pixel centres an edge takes.
float throughViewport(float value, int extent) {
    volatile float toNormalised = 2.0f / static_cast<float>(extent);
    volatile float half = static_cast<float>(extent) / 2;
    float normalised = value * toNormalised - 1.0f;
    return normalised * half + half;
}

// The first pixel whose centre lies at or beyond an edge, with the edge on
// the rasteriser's 1/256-pixel grid.
int firstPixelFrom(float edge, int extent) {
    float snapped = std::round(edge * 256.0f) / 256.0f;
    return static_cast<int>(std::ceil(std::clamp(snapped - 0.5f, -1.0f, static_cast<float>(extent) + 1)));
}

}  // namespace

bool StampCanvas::resize(int width, int height) {
    pixels_ = {};
    changed_ = {};
    if (width <= 0 || height <= 0) return false;
    pixels_ = QImage(width, height, QImage::Format_RGBA8888_Premultiplied);
    if (pixels_.isNull()) return false;
    clear();
    return true;
}

void StampCanvas::clear() {
    pixels_.fill(0);
    changed_ = {0, 0, width(), height()};
}

void StampCanvas::setTip(const graphics::Image& tip) {
    int64_t key = tip.bitmap().cacheKey();
    if (key == tipKey_ && !tip_.empty()) return;
    QImage texels = tip.bitmap().convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    tipKey_ = key;
    tipWidth_ = texels.width();
    tipHeight_ = texels.height();
    tip_.clear();
    tipAlpha_.clear();
    tip_.reserve(static_cast<size_t>(tipWidth_) * static_cast<size_t>(tipHeight_));
    whiteTip_ = true;
    for (int y = 0; y < tipHeight_; ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(texels.constScanLine(y));
        for (int x = 0; x < tipWidth_; ++x) {
            tip_.push_back(spread(line[x]));
            whiteTip_ = whiteTip_ && line[x] == (line[x] >> 24) * 0x01010101u;
        }
    }
    if (whiteTip_)
        for (uint64_t texel : tip_) tipAlpha_.push_back(static_cast<uint8_t>(texel >> 48));
    tipRows_.clear();
    constexpr uint64_t kSolid = 0x00FF00FF00FF00FFull;
    for (int y = 0; y < tipHeight_; ++y) {
        const uint64_t* line = tip_.data() + static_cast<size_t>(y) * static_cast<size_t>(tipWidth_);
        RowRuns runs{0, -1, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()};
        for (int x = 0, start = 0; x < tipWidth_; ++x) {
            if (line[x] != 0) {
                runs.paintedFirst = std::min(runs.paintedFirst, x);
                runs.paintedLast = x;
            }
            if (line[x] != kSolid) {
                start = x + 1;
            } else if (x - start > runs.solidLast - runs.solidFirst) {
                runs.solidFirst = start;  // the longest run so far
                runs.solidLast = x;
            }
        }
        tipRows_.push_back(runs);
    }
}

void StampCanvas::setColour(float red, float green, float blue, float alpha) {
    const float components[] = {red, green, blue, alpha};
    for (int c = 0; c < 4; ++c) {
        const float value = std::isnan(components[c]) ? 0.0f : std::clamp(components[c], 0.0f, 1.0f);
        // The colour stays a float: the texel as a fraction times it, back to
        // 8 bits rounded half to even, each step rounded to float.
        for (int v = 0; v < 256; ++v) {
            volatile float product = static_cast<float>(v) * (1.0f / 255.0f) * value;
            modulate_[c][v] = static_cast<uint64_t>(std::nearbyint(product * 255.0f)) << kLaneShift[c];
        }
        colour_[c] = static_cast<uint8_t>(modulate_[c][255] >> kLaneShift[c]);
    }
    for (int v = 0; v < 256; ++v)
        modulateWhite_[v] = modulate_[0][v] | modulate_[1][v] | modulate_[2][v] | modulate_[3][v];
}

void StampCanvas::drawSprites(const std::vector<CanvasSprite>& sprites) {
    if (!hasPixels() || tip_.empty()) return;
    if (blend_ == Blend::Over)
        for (const CanvasSprite& sprite : sprites) stamp<Blend::Over>(sprite);
    else
        for (const CanvasSprite& sprite : sprites) stamp<Blend::Erase>(sprite);
}

template <StampCanvas::Blend mode>
void StampCanvas::stamp(const CanvasSprite& sprite) {
    if (!std::isfinite(sprite.x) || !std::isfinite(sprite.y) || !std::isfinite(sprite.size)) return;
    const int w = width(), h = height();
    float size = sprite.size;
    // A sprite centred on the canvas is a GL point, never smaller than one pixel.
    if (sprite.x >= 0 && sprite.y >= 0 && sprite.x < w && sprite.y < h) size = std::max(size, 1.0f);
    const float half = size * 0.5f;
    const float x = throughViewport(sprite.x, w), y = throughViewport(sprite.y, h);
    const int i0 = std::max(firstPixelFrom(x - half, w), 0), i1 = std::min(firstPixelFrom(x + half, w), w);
    const int j0 = std::max(firstPixelFrom(y - half, h), 0), j1 = std::min(firstPixelFrom(y + half, h), h);
    if (i0 >= i1 || j0 >= j1) return;
    changed_ = changed_.united({i0, j0, i1, j1});

    // Tip coordinates run from the centre across the size on the same 1/256
    // grid: 0 at the left and top edges, 1 at the right and bottom.
    const float gridSize = std::round(size * 256.0f) / 256.0f;
    if (!(gridSize > 0)) return;
    const float inverse = 1.0f / gridSize;
    columns_.resize(static_cast<size_t>(i1 - i0));
    for (int i = i0; i < i1; ++i) {
        Sample s = sampleAt(0.5f + (static_cast<float>(i) + 0.5f - x) * inverse, tipWidth_);
        columns_[static_cast<size_t>(i - i0)] = {s.first, s.second, s.weight};
    }
    // Tip rows run top-down: the sprite's top edge samples row 0.
    rows_.resize(static_cast<size_t>(j1 - j0));
    for (int j = j0; j < j1; ++j) {
        Sample s = sampleAt(0.5f + (y - (static_cast<float>(j) + 0.5f)) * inverse, tipHeight_);
        rows_[static_cast<size_t>(j - j0)] = {s.first * tipWidth_, s.second * tipWidth_, s.weight};
    }

    if (whiteTip_)
        blendPixels<mode, true>(i0, i1, j0, j1);
    else
        blendPixels<mode, false>(i0, i1, j0, j1);
}

template <StampCanvas::Blend mode, bool white>
void StampCanvas::blendPixels(int i0, int i1, int j0, int j1) {
    constexpr uint64_t kSolid = 0x00FF00FF00FF00FFull;  // a white, opaque texel
    const uint32_t colour = static_cast<uint32_t>(colour_[0]) | static_cast<uint32_t>(colour_[1]) << 8 |
                            static_cast<uint32_t>(colour_[2]) << 16 | static_cast<uint32_t>(colour_[3]) << 24;
    const bool solidColourReplaces = mode == Blend::Over && colour_[3] == 255;
    const int h = height();
    auto* canvas = reinterpret_cast<uint32_t*>(pixels_.bits());
    const auto canvasStride = static_cast<ptrdiff_t>(pixels_.bytesPerLine() / 4);

    const Tap* column = columns_.data() - i0;
    for (int j = j0; j < j1; ++j) {
        const Tap& row = rows_[static_cast<size_t>(j - j0)];
        const RowRuns& upperRuns = tipRows_[static_cast<size_t>(row.first / tipWidth_)];
        const RowRuns& lowerRuns = tipRows_[static_cast<size_t>(row.second / tipWidth_)];
        const int solidFirst = std::max(upperRuns.solidFirst, lowerRuns.solidFirst);
        const int solidLast = std::min(upperRuns.solidLast, lowerRuns.solidLast);
        const int paintedFirst = std::min(upperRuns.paintedFirst, lowerRuns.paintedFirst);
        const int paintedLast = std::max(upperRuns.paintedLast, lowerRuns.paintedLast);
        // Column taps only move right: the row splits into clear, filtered,
        // solid, filtered and clear pixels.
        // Scanned in from both ends: only the few clear and filtered pixels
        // at each end are looked at.
        const Tap* left = column + i0;
        const Tap* right = column + i1;
        while (left < right && left->second < paintedFirst) ++left;
        while (right > left && (right - 1)->first > paintedLast) --right;
        const Tap* solid = right;
        const Tap* solidEnd = right;
        if (solidColourReplaces && solidFirst <= solidLast) {
            solid = left;
            while (solid < right && solid->first < solidFirst) ++solid;
            solidEnd = right;
            while (solidEnd > solid && (solidEnd - 1)->second > solidLast) --solidEnd;
        }
        // Canvas rows are stored top row first.
        uint32_t* target = canvas + static_cast<ptrdiff_t>(h - 1 - j) * canvasStride;
        std::fill(target + (solid - column), target + (solidEnd - column), colour);
        const int spans[2][2] = {{static_cast<int>(left - column), static_cast<int>(solid - column)},
                                 {static_cast<int>(solidEnd - column), static_cast<int>(right - column)}};
        for (const auto& span : spans) {
            for (int i = span[0]; i < span[1]; ++i) {
                uint64_t source;
                if constexpr (white) {
                    const uint8_t* upper = tipAlpha_.data() + row.first;
                    const uint8_t* lower = tipAlpha_.data() + row.second;
                    const int a00 = upper[column[i].first], a10 = upper[column[i].second];
                    const int a01 = lower[column[i].first], a11 = lower[column[i].second];
                    int alpha = a00;
                    if (a00 != a10 || a00 != a01 || a00 != a11) {
                        const int w = column[i].weight;
                        const int top = (a00 * (256 - w) + a10 * w + 128) >> 8;
                        const int bottom = (a01 * (256 - w) + a11 * w + 128) >> 8;
                        alpha = (top * (256 - row.weight) + bottom * row.weight + 128) >> 8;
                    } else if (a00 == 255 && solidColourReplaces) {
                        target[i] = colour;
                        continue;
                    }
                    // Nothing stamped changes nothing.
                    if (alpha == 0) continue;
                    source = modulateWhite_[alpha];
                } else {
                    const uint64_t* upper = tip_.data() + row.first;
                    const uint64_t* lower = tip_.data() + row.second;
                    const uint64_t p00 = upper[column[i].first], p10 = upper[column[i].second];
                    const uint64_t p01 = lower[column[i].first], p11 = lower[column[i].second];
                    uint64_t filtered;
                    if (p00 == p10 && p00 == p01 && p00 == p11) {
                        // Filtering equal texels gives the texel: a clear tip
                        // changes nothing, a solid one over opaque colour replaces.
                        if (p00 == 0) continue;
                        if (p00 == kSolid && solidColourReplaces) {
                            target[i] = colour;
                            continue;
                        }
                        filtered = p00;
                    } else {
                        filtered = lerp(lerp(p00, p10, column[i].weight), lerp(p01, p11, column[i].weight), row.weight);
                    }
                    source = modulate_[0][filtered & 0xFF] | modulate_[1][(filtered >> 32) & 0xFF] |
                             modulate_[2][(filtered >> 16) & 0xFF] | modulate_[3][filtered >> 48];
                }
                const uint64_t kept = scale(spread(target[i]), 255 - static_cast<int>(source >> 48));
                if constexpr (mode == Blend::Erase) {
                    target[i] = pack(kept);
                } else {
                    const uint64_t sum = source + kept;
                    // Saturate each lane at 255, as 8-bit blending does.
                    const uint64_t over = sum & 0x0100010001000100ull;
                    target[i] = pack((sum | (over - (over >> 8))) & kLanes);
                }
            }
        }
    }
}

graphics::Image StampCanvas::readImage(int width, int height) const {
    width = std::clamp(width, 0, this->width());
    height = std::clamp(height, 0, this->height());
    if (width == 0 || height == 0) return {};
    return graphics::Image(pixels_.copy(0, 0, width, height));
}

void StampCanvas::updatePicture(QImage& picture) {
    if (picture.size() != pixels_.size() || picture.format() != pixels_.format()) {
        picture = pixels_.copy();
        changed_ = {};
        return;
    }
    const PixelBox box = changed_.clipped(width(), height());
    changed_ = {};
    if (box.isEmpty()) return;
    // bits() copies only when someone still holds the previous picture.
    uchar* bits = picture.bits();
    const size_t row = static_cast<size_t>(box.right - box.left) * 4;
    for (int j = box.bottom; j < box.top; ++j) {
        const int line = height() - 1 - j;
        std::memcpy(bits + line * picture.bytesPerLine() + box.left * 4, pixels_.constScanLine(line) + box.left * 4,
                    row);
    }
}
