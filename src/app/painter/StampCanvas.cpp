#include "app/painter/StampCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// What is there keeps its share and takes the stamp's colour on top; erasing
// only keeps. Saturates each channel at 255, as 8-bit blending does.
template <StampCanvas::Blend mode>
uint32_t blendSpread(uint32_t there, uint64_t source) {
    const uint64_t kept = scale(spread(there), 255 - static_cast<int>(source >> 48));
    if constexpr (mode == StampCanvas::Blend::Erase) {
        return pack(kept);
    } else {
        const uint64_t sum = source + kept;
        const uint64_t over = sum & 0x0100010001000100ull;
        return pack((sum | (over - (over >> 8))) & kLanes);
    }
}

// The texel coordinate a pixel centre samples along one axis: the two
// texels (clamped to the edge) and the weight of the second.
struct Sample {
    int first, second, weight;
};

[[gnu::always_inline]] inline Sample sampleAt(float coordinate, int texels) {
    // Beyond the edge texels both taps clamp to the same texel and the
    // weight no longer matters, so the coordinate may be clamped first; that
    // keeps the integer conversion below defined.
    const float texel = std::clamp(coordinate * static_cast<float>(texels) - 0.5f, -1.0f, static_cast<float>(texels));
    // The texel on the 1/256 grid, rounded half up: the first texel in the
    // high bits, the weight in the low ones. Exact in double, and truncating
    // a positive value floors it. A weight that rounds up to a whole texel
    // samples the next texel with weight 0, which filters to the same value.
    const int grid = static_cast<int>(static_cast<double>(texel) * 256.0 + 512.5) - 512;
    const int first = grid >> 8;
    return {std::clamp(first, 0, texels - 1), std::clamp(first + 1, 0, texels - 1), grid & 255};
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

constexpr size_t kRunStamps = 256;
constexpr size_t kRunColumns = 16384;

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
    for (int v = 0; v < 256; ++v) {
        modulateWhite_[v] = modulate_[0][v] | modulate_[1][v] | modulate_[2][v] | modulate_[3][v];
        whiteLanes_[v] = keepLanes_[v] = 0;
        for (int c = 0; c < 4; ++c) {
            whiteLanes_[v] |= (modulate_[c][v] >> kLaneShift[c]) << (16 * c);
            keepLanes_[v] |= (255 - (modulate_[3][v] >> kLaneShift[3])) << (16 * c);
        }
    }
    colourStaysUnderWhite_ = true;
    for (int v = 0; v < 256; ++v)
        colourStaysUnderWhite_ =
            colourStaysUnderWhite_ && blendSpread<Blend::Over>(colourPixel(), modulateWhite_[v]) == colourPixel();
}

uint32_t StampCanvas::colourPixel() const {
    return static_cast<uint32_t>(colour_[0]) | static_cast<uint32_t>(colour_[1]) << 8 |
           static_cast<uint32_t>(colour_[2]) << 16 | static_cast<uint32_t>(colour_[3]) << 24;
}

void StampCanvas::drawSprites(const std::vector<CanvasSprite>& sprites) {
    if (!hasPixels() || tip_.empty()) return;
    const uint32_t colour = colourPixel();
    if (colourRow_.size() != static_cast<size_t>(width()) || colourRow_.front() != colour)
        colourRow_.assign(static_cast<size_t>(width()), colour);
    // Erasing leaves clear pixels clear; a white tip leaves the colour as it
    // is when the colour stays itself under every alpha.
    std::optional<uint32_t> unchanged;
    if (blend_ == Blend::Erase)
        unchanged = 0;
    else if (whiteTip_ && colourStaysUnderWhite_)
        unchanged = colour;
    // Planned a run at a time, so long strokes of large stamps keep few plans.
    for (auto next = sprites.begin(); next != sprites.end();) {
        stamps_.clear();
        columns_.clear();
        rows_.clear();
        while (next != sprites.end() && stamps_.size() < kRunStamps && columns_.size() < kRunColumns) plan(*next++);
        if (blend_ == Blend::Over && colour_[3] == 255) hideCovered();
        for (const StampPlan& stamp : stamps_) {
            if (blend_ == Blend::Erase)
                whiteTip_ ? paint<Blend::Erase, true>(stamp, unchanged) : paint<Blend::Erase, false>(stamp, unchanged);
            else
                whiteTip_ ? paint<Blend::Over, true>(stamp, unchanged) : paint<Blend::Over, false>(stamp, unchanged);
        }
    }
}

void StampCanvas::plan(const CanvasSprite& sprite) {
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
    StampPlan stamp{i0, j0, j1 - j0, columns_.size(), rows_.size()};
    for (int i = i0; i < i1; ++i) {
        const Sample s = sampleAt(0.5f + (static_cast<float>(i) + 0.5f - x) * inverse, tipWidth_);
        columns_.push_back({s.first, s.second, s.weight});
    }
    planRows(stamp, j1, y, inverse);
    stamps_.push_back(stamp);
}

void StampCanvas::planRows(StampPlan& stamp, int j1, float y, float inverse) {
    // Column taps only move right, so where the spans of a row begin and end
    // follows from how many columns start and end before each texel column:
    // counted once per stamp instead of searched for per row.
    const Tap* column = columns_.data() + stamp.columns;
    const int count = static_cast<int>(columns_.size() - stamp.columns);
    firstBefore_.assign(static_cast<size_t>(tipWidth_) + 1, 0);
    secondBefore_.assign(static_cast<size_t>(tipWidth_) + 1, 0);
    for (int k = 0; k < count; ++k) {
        ++firstBefore_[static_cast<size_t>(column[k].first) + 1];
        ++secondBefore_[static_cast<size_t>(column[k].second) + 1];
    }
    for (size_t t = 1; t <= static_cast<size_t>(tipWidth_); ++t) {
        firstBefore_[t] += firstBefore_[t - 1];
        secondBefore_[t] += secondBefore_[t - 1];
    }
    const bool solidColourReplaces = blend_ == Blend::Over && colour_[3] == 255;
    for (int j = stamp.j0; j < j1; ++j) {
        // Tip rows run top-down: the sprite's top edge samples row 0.
        const Sample s = sampleAt(0.5f + (y - (static_cast<float>(j) + 0.5f)) * inverse, tipHeight_);
        const RowRuns& upper = tipRows_[static_cast<size_t>(s.first)];
        const RowRuns& lower = tipRows_[static_cast<size_t>(s.second)];
        const int paintedFirst = std::min(upper.paintedFirst, lower.paintedFirst);
        const int paintedLast = std::max(upper.paintedLast, lower.paintedLast);
        int left = 0, solid = 0, solidEnd = 0, right = 0;
        if (paintedFirst <= paintedLast) {
            // The row splits into clear, filtered, solid, filtered and clear
            // pixels: clear up to the first column reaching a painted texel,
            // clear again from the first starting past them.
            left = secondBefore_[static_cast<size_t>(paintedFirst)];
            right = std::max(left, firstBefore_[static_cast<size_t>(paintedLast) + 1]);
            solid = solidEnd = right;
            const int solidFirst = std::max(upper.solidFirst, lower.solidFirst);
            const int solidLast = std::min(upper.solidLast, lower.solidLast);
            if (solidColourReplaces && solidFirst <= solidLast) {
                solid = std::clamp(firstBefore_[static_cast<size_t>(solidFirst)], left, right);
                solidEnd = std::clamp(secondBefore_[static_cast<size_t>(solidLast) + 1], solid, right);
            }
        }
        rows_.push_back({s.first * tipWidth_, s.second * tipWidth_, s.weight, stamp.i0 + left, stamp.i0 + solid,
                         stamp.i0 + solidEnd, stamp.i0 + right, 0, 0});
    }
}

void StampCanvas::hideCovered() {
    if (stamps_.empty()) return;
    int bottom = height(), top = 0;
    for (const StampPlan& stamp : stamps_) {
        bottom = std::min(bottom, stamp.j0);
        top = std::max(top, stamp.j0 + stamp.rows);
    }
    covered_.resize(static_cast<size_t>(height()));
    std::fill(covered_.begin() + bottom, covered_.begin() + top, std::pair{0, 0});
    // From the last stamp back, each row's covered columns are one run made
    // of later solid spans: joined where they meet, else the longer kept.
    for (auto stamp = stamps_.rbegin(); stamp != stamps_.rend(); ++stamp) {
        RowPlan* row = rows_.data() + stamp->firstRow;
        for (int j = stamp->j0; j < stamp->j0 + stamp->rows; ++j, ++row) {
            auto& [from, to] = covered_[static_cast<size_t>(j)];
            row->hiddenFrom = from;
            row->hiddenTo = to;
            if (row->solid >= row->solidEnd) continue;
            if (from < to && row->solid <= to && row->solidEnd >= from) {
                from = std::min(from, row->solid);
                to = std::max(to, row->solidEnd);
            } else if (row->solidEnd - row->solid > to - from) {
                from = row->solid;
                to = row->solidEnd;
            }
        }
    }
}

namespace {

// Calls work(from, to) for what of [from, to) lies outside [hiddenFrom,
// hiddenTo): none, one or two spans.
template <class Work>
void outside(int from, int to, int hiddenFrom, int hiddenTo, Work&& work) {
    if (hiddenFrom >= hiddenTo) hiddenFrom = hiddenTo = to;
    if (from < std::min(to, hiddenFrom)) work(from, std::min(to, hiddenFrom));
    if (std::max(from, hiddenTo) < to) work(std::max(from, hiddenTo), to);
}

}  // namespace

namespace {

#if defined(__SSE2__)
// The same for the pixels whose channels are 16-bit lanes of `there`, with
// the stamp's channels and the share kept in the same lanes; packing back
// to bytes saturates.
template <StampCanvas::Blend mode>
__m128i blendLanes(__m128i there, __m128i source, __m128i keep) {
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(there, keep), _mm_set1_epi16(128));
    t = _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
    if constexpr (mode == StampCanvas::Blend::Over) t = _mm_add_epi16(t, source);
    return _mm_packus_epi16(t, t);
}

__m128i lanesAt(const uint64_t* table, int index) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(table + index));
}
#endif

}  // namespace

template <StampCanvas::Blend mode>
[[gnu::always_inline]] inline void StampCanvas::filterWhite(uint32_t* target, const RowPlan& row, const Tap* column,
                                                            int from, int to, std::optional<uint32_t> unchanged) const {
    const bool skips = unchanged.has_value();
    const uint32_t same = unchanged.value_or(0);
    const uint8_t* upper = tipAlpha_.data() + row.upper;
    const uint8_t* lower = tipAlpha_.data() + row.lower;
    const int rowWeight = row.weight;
    // a × (256 − w) + b × w as a × 256 + (b − a) × w: the same sum, one
    // multiply fewer.
    const auto alphaAt = [&](int i) {
        const Tap tap = column[i];
        const int top = (upper[tap.first] * 256 + (upper[tap.second] - upper[tap.first]) * tap.weight + 128) >> 8;
        const int bottom = (lower[tap.first] * 256 + (lower[tap.second] - lower[tap.first]) * tap.weight + 128) >> 8;
        return (top * 256 + (bottom - top) * rowWeight + 128) >> 8;
    };
    int i = from;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 1 < to; i += 2) {
        if (skips && target[i] == same && target[i + 1] == same) continue;
        const int a0 = alphaAt(i), a1 = alphaAt(i + 1);
        const __m128i source = _mm_unpacklo_epi64(lanesAt(whiteLanes_, a0), lanesAt(whiteLanes_, a1));
        const __m128i keep = _mm_unpacklo_epi64(lanesAt(keepLanes_, a0), lanesAt(keepLanes_, a1));
        auto* pair = reinterpret_cast<__m128i*>(target + i);
        _mm_storel_epi64(pair, blendLanes<mode>(_mm_unpacklo_epi8(_mm_loadl_epi64(pair), zero), source, keep));
    }
    if (i < to && !(skips && target[i] == same)) {
        const int a = alphaAt(i);
        const __m128i there = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(target[i])), zero);
        target[i] = static_cast<uint32_t>(
            _mm_cvtsi128_si32(blendLanes<mode>(there, lanesAt(whiteLanes_, a), lanesAt(keepLanes_, a))));
    }
#else
    for (; i < to; ++i)
        if (!(skips && target[i] == same)) target[i] = blendSpread<mode>(target[i], modulateWhite_[alphaAt(i)]);
#endif
}

template <StampCanvas::Blend mode>
[[gnu::always_inline]] inline void StampCanvas::filterTexels(uint32_t* target, const RowPlan& row, const Tap* column,
                                                             int from, int to,
                                                             std::optional<uint32_t> unchanged) const {
    const bool skips = unchanged.has_value();
    const uint32_t same = unchanged.value_or(0);
    const uint64_t* upper = tip_.data() + row.upper;
    const uint64_t* lower = tip_.data() + row.lower;
    for (int i = from; i < to; ++i) {
        if (skips && target[i] == same) continue;
        const Tap tap = column[i];
        const uint64_t filtered = lerp(lerp(upper[tap.first], upper[tap.second], tap.weight),
                                       lerp(lower[tap.first], lower[tap.second], tap.weight), row.weight);
        const uint64_t source = modulate_[0][filtered & 0xFF] | modulate_[1][(filtered >> 32) & 0xFF] |
                                modulate_[2][(filtered >> 16) & 0xFF] | modulate_[3][filtered >> 48];
        target[i] = blendSpread<mode>(target[i], source);
    }
}

template <StampCanvas::Blend mode, bool white>
void StampCanvas::paint(const StampPlan& stamp, std::optional<uint32_t> unchanged) {
    const int h = height();
    auto* canvas = reinterpret_cast<uint32_t*>(pixels_.bits());
    const auto canvasStride = static_cast<ptrdiff_t>(pixels_.bytesPerLine() / 4);
    const Tap* column = columns_.data() + stamp.columns - stamp.i0;
    for (int r = 0; r < stamp.rows; ++r) {
        const RowPlan& row = rows_[stamp.firstRow + static_cast<size_t>(r)];
        // Canvas rows are stored top row first.
        uint32_t* target = canvas + static_cast<ptrdiff_t>(h - 1 - (stamp.j0 + r)) * canvasStride;
        const auto fill = [&](int from, int to) {
            std::memcpy(target + from, colourRow_.data(), static_cast<size_t>(to - from) * 4);
        };
        const auto filter = [&](int from, int to) {
            if constexpr (white)
                filterWhite<mode>(target, row, column, from, to, unchanged);
            else
                filterTexels<mode>(target, row, column, from, to, unchanged);
        };
        outside(row.solid, row.solidEnd, row.hiddenFrom, row.hiddenTo, fill);
        outside(row.left, row.solid, row.hiddenFrom, row.hiddenTo, filter);
        outside(row.solidEnd, row.right, row.hiddenFrom, row.hiddenTo, filter);
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
