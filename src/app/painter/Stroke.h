#pragma once

// The painter's working state: every gesture on a canvas is a Stroke of raw
// touch samples, replayed to redraw after undo, redo, a move or a reload,
// and stored per frame as a keyed archive (the canvas file).

#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One sample: position in canvas pixels (origin bottom-left) and its width
// factor (speed-derived for drags, the size for taps and stamps).
struct LinePoint {
    float width = 0;
    graphics::Point pos;
    bool operator==(const LinePoint&) const = default;
};

using StrokeSegment = std::vector<LinePoint>;

class Stroke : public foundation::Archivable {
public:
    int32_t type = 0;
    float red = 0, green = 0, blue = 0, alpha = 0;
    // Drawn strokes: one segment per redraw step. A move record (type 500)
    // holds one segment of one sample whose position is its displacement.
    std::vector<StrokeSegment> points;
    std::vector<float> velocities;
    int64_t brushSize = 0;
    int64_t angle = 0;  // never set; not archived
    std::string image;  // never set; not archived
    graphics::Point offset;

    bool isMoveRecord() const;
    // The displacement of a move record, view coordinates (y down).
    graphics::Point moveDisplacement() const;
    // Samples in all segments.
    size_t sampleCount() const;
    // What the stroke takes of the samples a buffer may keep, counted as its
    // file stores them (see kMaximumStrokeSamples).
    size_t storedSize() const;

    std::string className() const override { return "Stroke"; }
    void encodeWithCoder(foundation::KeyedArchiver& coder) const override;
};

using StrokePtr = std::shared_ptr<Stroke>;
using StrokeList = std::vector<StrokePtr>;

// What one stroke buffer (one layer of a painting) keeps, counted as its
// file stores the samples: a segment's first two repeat the last two of the
// one before and are stored once, so a drag takes one sample for each move
// of the finger, a tap four; every segment counts at least one, and every
// stroke two more for its own fields. The painter records no more than
// this, and the reader refuses a buffer of more: at this count a file
// written with the longest numbers a sample can hold (some 180 bytes a
// drag sample) stays within what the program reads of a project file
// (projectkeys::kMaximumFileBytes).
inline constexpr size_t kMaximumStrokeSamples = 500'000;
inline constexpr size_t kStrokeFieldsSamples = 2;

// Whether sample `index` of a segment repeats the sample of `previous` (the
// segment before it in its stroke, if any) that its file stores once for
// both: a segment's first two are the last two of the one before.
bool repeatsPreviousSegment(const StrokeSegment* previous, size_t index, const LinePoint& sample);
// The samples a segment adds to its stroke's file: those it does not
// repeat, and at least one.
size_t storedSegmentSize(const StrokeSegment* previous, const StrokeSegment& segment);
// The samples of a list of strokes, counted as storedSize counts them.
size_t storedSize(const StrokeList& strokes);

// The keyed archive of a stroke buffer (the canvas file's content).
foundation::Result<foundation::Bytes> strokeBufferData(const StrokeList& strokes);
// Decodes a stroke buffer. Anything else (not a keyed archive, unknown
// classes, values of the wrong kind, numbers that are not finite, more
// samples than `sampleLimit`) is an Error whose text says what is wrong.
foundation::Result<StrokeList> decodeStrokeBuffer(const foundation::Bytes& data,
                                                  size_t sampleLimit = kMaximumStrokeSamples);
