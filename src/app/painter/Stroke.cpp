#include "app/painter/Stroke.h"

#include "app/painter/PainterBrush.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

using foundation::ArchivedPoint;
using foundation::Array;
using foundation::Error;
using foundation::KeyedArchiver;
using foundation::KeyedUnarchiver;
using foundation::Value;

namespace {

// A sample as an archived object of class "LinePoint".
class LinePointObject : public foundation::Archivable {
public:
    explicit LinePointObject(LinePoint point) : point(point) {}
    LinePoint point;
    std::string className() const override { return "LinePoint"; }
    void encodeWithCoder(KeyedArchiver& coder) const override {
        coder.encodePoint({point.pos.x, point.pos.y}, "pos");
        coder.encodeFloat(point.width, "width");
    }
};

Error damaged(const std::string& detail) {
    return Error(foundation::kCocoaErrorDomain, foundation::kCoderReadCorruptError,
                 "The strokes could not be read: " + detail + ".");
}

// Samples decoded so far by the running decodeStrokeBuffer on this thread,
// counted as Stroke::storedSize counts them: segments may be shared inside
// an archive, so a small file can name far more samples than it holds, and
// the count stops it before copying them. A segment counts at least one and
// repeats at most two, so what is copied stays within three times the bound.
thread_local size_t decodedSamples = 0;
thread_local size_t sampleLimit = kMaximumStrokeSamples;

// The samples a segment of `size` adds to its file, `sampleAt(i)` giving
// its samples (null for one that is none).
template <class SampleAt>
size_t storedSamples(const StrokeSegment* previous, size_t size, SampleAt sampleAt) {
    size_t repeated = 0;
    for (size_t i = 0; i < std::min<size_t>(size, 2); ++i)
        if (const LinePoint* sample = sampleAt(i); sample && repeatsPreviousSegment(previous, i, *sample)) ++repeated;
    return std::max<size_t>(1, size - repeated);
}

Error tooManySamples() {
    return damaged("it holds more samples than a layer keeps (" + std::to_string(sampleLimit) + ")");
}

bool finite(double value) { return std::isfinite(value); }

Value segmentValue(const StrokeSegment& segment) {
    Array samples;
    for (const LinePoint& sample : segment)
        samples.push_back(foundation::archivableValue(std::make_shared<LinePointObject>(sample)));
    return samples;
}

std::shared_ptr<foundation::Archivable> decodeLinePoint(KeyedUnarchiver& coder) {
    LinePoint sample;
    ArchivedPoint pos = coder.decodePoint("pos");
    double width = coder.decodeDouble("width");
    if (coder.failed()) return nullptr;
    if (!finite(pos.x) || !finite(pos.y) || !finite(width) || std::fabs(width) > std::numeric_limits<float>::max()) {
        coder.failWithError(damaged("a sample holds a number that is not finite"));
        return nullptr;
    }
    sample.pos = {pos.x, pos.y};
    sample.width = static_cast<float>(width);
    return std::make_shared<LinePointObject>(sample);
}

const LinePoint* asSample(const Value& value) {
    auto object = std::dynamic_pointer_cast<LinePointObject>(foundation::archivableFrom(value));
    return object ? &object->point : nullptr;
}

bool readSegments(const Value& points, std::vector<StrokeSegment>& out) {
    if (points.isNull()) return true;
    if (!points.isArray()) return false;
    for (const Value& entry : points.asArray()) {
        const StrokeSegment* previous = out.empty() ? nullptr : &out.back();
        StrokeSegment segment;
        if (const LinePoint* sample = asSample(entry)) {
            segment.push_back(*sample);  // a move record's single sample
            decodedSamples += 1;
        } else if (entry.isArray()) {
            Array samples = entry.asArray();
            decodedSamples +=
                storedSamples(previous, samples.size(), [&](size_t i) { return asSample(samples.at(i)); });
            if (decodedSamples > sampleLimit) break;
            segment.reserve(samples.size());
            for (const Value& element : samples) {
                const LinePoint* decoded = asSample(element);
                if (!decoded) return false;
                segment.push_back(*decoded);
            }
        } else {
            return false;
        }
        if (decodedSamples > sampleLimit) break;
        out.push_back(std::move(segment));
    }
    return true;
}

std::shared_ptr<foundation::Archivable> decodeStroke(KeyedUnarchiver& coder) {
    auto stroke = std::make_shared<Stroke>();
    int64_t type = coder.decodeInt("type");
    double colour[4] = {coder.decodeDouble("red"), coder.decodeDouble("green"), coder.decodeDouble("blue"),
                        coder.decodeDouble("alpha")};
    stroke->brushSize = coder.decodeInt("brushSize");
    ArchivedPoint offset = coder.decodePoint("offset");
    Value points = coder.decodeValue("points");
    Value velocities = coder.decodeValue("velocities");
    if (coder.failed()) return nullptr;
    if (type < std::numeric_limits<int32_t>::min() || type > std::numeric_limits<int32_t>::max()) {
        coder.failWithError(damaged("a stroke's type is out of range"));
        return nullptr;
    }
    for (double component : colour) {
        if (!finite(component) || std::fabs(component) > 1e6) {
            coder.failWithError(damaged("a stroke's colour is not a finite number"));
            return nullptr;
        }
    }
    if (!finite(offset.x) || !finite(offset.y)) {
        coder.failWithError(damaged("a stroke's offset is not finite"));
        return nullptr;
    }
    stroke->type = static_cast<int32_t>(type);
    stroke->red = static_cast<float>(colour[0]);
    stroke->green = static_cast<float>(colour[1]);
    stroke->blue = static_cast<float>(colour[2]);
    stroke->alpha = static_cast<float>(colour[3]);
    stroke->offset = {offset.x, offset.y};
    decodedSamples += kStrokeFieldsSamples;
    if (!readSegments(points, stroke->points)) {
        coder.failWithError(damaged("a stroke's points are not lists of samples"));
        return nullptr;
    }
    if (decodedSamples > sampleLimit) coder.failWithError(tooManySamples());
    if (coder.failed()) return nullptr;
    if (!velocities.isNull()) {
        if (!velocities.isArray()) {
            coder.failWithError(damaged("a stroke's velocities are not a list"));
            return nullptr;
        }
        for (const Value& velocity : velocities.asArray()) {
            if (!velocity.isNumber() || !finite(velocity.asDouble()) ||
                std::fabs(velocity.asDouble()) > std::numeric_limits<float>::max()) {
                coder.failWithError(damaged("a stroke's velocities are not finite numbers"));
                return nullptr;
            }
            stroke->velocities.push_back(static_cast<float>(velocity.asDouble()));
        }
    }
    return stroke;
}

void registerClasses() {
    static const bool registered = [] {
        foundation::KeyedArchiveRegistry::registerClass("Stroke", decodeStroke);
        foundation::KeyedArchiveRegistry::registerClass("LinePoint", decodeLinePoint);
        return true;
    }();
    (void)registered;
}

}  // namespace

bool Stroke::isMoveRecord() const { return type == kBrushTypeMove && !points.empty() && points.back().size() == 1; }

graphics::Point Stroke::moveDisplacement() const {
    return isMoveRecord() ? points.back().front().pos : graphics::Point{};
}

size_t Stroke::sampleCount() const {
    size_t count = 0;
    for (const StrokeSegment& segment : points) count += segment.size();
    return count;
}

size_t Stroke::storedSize() const {
    size_t size = kStrokeFieldsSamples;
    const StrokeSegment* previous = nullptr;
    for (const StrokeSegment& segment : points) {
        size += storedSegmentSize(previous, segment);
        previous = &segment;
    }
    return size;
}

size_t storedSegmentSize(const StrokeSegment* previous, const StrokeSegment& segment) {
    return storedSamples(previous, segment.size(), [&](size_t i) { return &segment[i]; });
}

bool repeatsPreviousSegment(const StrokeSegment* previous, size_t index, const LinePoint& sample) {
    return previous && index < 2 && previous->size() >= 2 && (*previous)[previous->size() - 2 + index] == sample;
}

size_t storedSize(const StrokeList& strokes) {
    size_t size = 0;
    for (const StrokePtr& stroke : strokes) size += stroke->storedSize();
    return size;
}

void Stroke::encodeWithCoder(KeyedArchiver& coder) const {
    if (type == kBrushTypeMove && points.size() == 1 && points.front().size() == 1) {
        // A move record's list holds its sample itself, not a segment.
        coder.encodeValue(Array{segmentValue(points.front()).asArray().at(0)}, "points");
    } else {
        // A segment starts with the last two samples of the one before; as in
        // a live drag, those are the same sample objects, stored once.
        Array segments;
        const StrokeSegment* previous = nullptr;
        Array previousValues;
        for (const StrokeSegment& segment : points) {
            Array values;
            for (size_t i = 0; i < segment.size(); ++i) {
                if (repeatsPreviousSegment(previous, i, segment[i]))
                    values.push_back(previousValues.at(previous->size() - 2 + i));
                else
                    values.push_back(foundation::archivableValue(std::make_shared<LinePointObject>(segment[i])));
            }
            segments.push_back(values);
            previous = &segment;
            previousValues = values;
        }
        coder.encodeMutableArray(segments, "points");
    }
    if (type == kBrushTypeMove && velocities.empty()) {
        coder.encodeValue(Value(), "velocities");
    } else {
        Array speeds;
        for (float velocity : velocities) speeds.push_back(Value(velocity));
        coder.encodeValue(speeds, "velocities");
    }
    coder.encodeInt(type, "type");
    coder.encodeFloat(red, "red");
    coder.encodeFloat(green, "green");
    coder.encodeFloat(blue, "blue");
    coder.encodeFloat(alpha, "alpha");
    coder.encodeInt(brushSize, "brushSize");
    coder.encodePoint({offset.x, offset.y}, "offset");
}

foundation::Result<foundation::Bytes> strokeBufferData(const StrokeList& strokes) {
    Array buffer;
    for (const StrokePtr& stroke : strokes) buffer.push_back(foundation::archivableValue(stroke));
    return KeyedArchiver::archivedMutableArray(buffer);
}

foundation::Result<StrokeList> decodeStrokeBuffer(const foundation::Bytes& data, size_t limit) {
    registerClasses();
    decodedSamples = 0;
    sampleLimit = limit;
    auto root = KeyedUnarchiver::unarchiveValue(data);
    if (!root.ok()) return damaged(root.error().description);
    if (root->isNull()) return StrokeList{};
    if (!root->isArray()) return damaged(std::string("the archive holds a ") + root->typeName() + ", not a list");
    StrokeList strokes;
    std::set<const Stroke*> seen;
    for (const Value& entry : root->asArray()) {
        auto stroke = std::dynamic_pointer_cast<Stroke>(foundation::archivableFrom(entry));
        if (!stroke) return damaged("the list holds something other than strokes");
        // A stroke listed twice becomes two records: moves shift each record
        // once, and a shared one would move twice. Each copy counts.
        if (!seen.insert(stroke.get()).second) {
            decodedSamples += stroke->storedSize();
            if (decodedSamples > sampleLimit) return tooManySamples();
            stroke = std::make_shared<Stroke>(*stroke);
        }
        strokes.push_back(std::move(stroke));
    }
    return strokes;
}
