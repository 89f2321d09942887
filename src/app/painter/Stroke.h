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

    std::string className() const override { return "Stroke"; }
    void encodeWithCoder(foundation::KeyedArchiver& coder) const override;
};

using StrokePtr = std::shared_ptr<Stroke>;
using StrokeList = std::vector<StrokePtr>;

// More samples than this in one buffer are refused: replaying them would
// take minutes and the file cannot have come from a finger.
inline constexpr size_t kMaximumStrokeSamples = 1'000'000;

// The keyed archive of a stroke buffer (the canvas file's content).
foundation::Result<foundation::Bytes> strokeBufferData(const StrokeList& strokes);
// Decodes a stroke buffer. Anything else (not a keyed archive, unknown
// classes, values of the wrong kind, numbers that are not finite, too many
// samples) is an Error whose text says what is wrong.
foundation::Result<StrokeList> decodeStrokeBuffer(const foundation::Bytes& data);
