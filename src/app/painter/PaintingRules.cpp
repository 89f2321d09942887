#include "app/painter/PaintingRules.h"

#include "app/painter/PainterBrush.h"

#include <algorithm>
#include <cmath>

namespace paintingrules {

float vectorLength(graphics::Point v) { return std::sqrt(static_cast<float>(v.x * v.x + v.y * v.y)); }

float distance(graphics::Point a, graphics::Point b) { return vectorLength({b.x - a.x, b.y - a.y}); }

float clamp(float value, float a, float b) { return std::clamp(value, std::min(a, b), std::max(a, b)); }

bool acceptsSample(const std::vector<LinePoint>& pending, graphics::Point position) {
    return pending.empty() || distance(pending.back().pos, position) >= kMinimumSampleDistance;
}

float extractSize(graphics::Point velocity, std::vector<float>& velocities) {
    float size = clamp(vectorLength(velocity) / kSpeedPerWidth, kMinimumWidth, kMaximumWidth);
    if (velocities.size() >= 2) size = size * 0.2f + velocities.back() * 0.8f;
    velocities.push_back(size);
    return size;
}

std::optional<std::vector<LinePoint>> calculateSmoothLinePoints(std::vector<LinePoint>& points) {
    if (points.size() < 3) return std::nullopt;
    std::vector<LinePoint> smoothed;
    for (size_t i = 2; i < points.size(); ++i) {
        const LinePoint& p2 = points[i - 2];
        const LinePoint& p1 = points[i - 1];
        const LinePoint& p0 = points[i];
        graphics::Point mid1{(p1.pos.x + p2.pos.x) * 0.5, (p1.pos.y + p2.pos.y) * 0.5};
        graphics::Point mid2{(p0.pos.x + p1.pos.x) * 0.5, (p0.pos.y + p1.pos.y) * 0.5};
        float segments = std::floor(distance(mid1, mid2) * 0.5f);
        segments = std::clamp(segments, 32.0f, 128.0f);
        int count = static_cast<int>(segments);
        float step = 1.0f / segments;
        float startWidth = (p1.width + p2.width) / 2;
        float endWidth = (p0.width + p1.width) / 2;
        smoothed.reserve(smoothed.size() + count + 1);
        float t = 0;
        for (int k = 0; k < count; ++k, t += step) {
            double a = (1.0 - t) * (1.0 - t), b = 2.0 * (1.0 - t) * t, c = double(t) * t;
            LinePoint sample;
            sample.pos = {mid1.x * a + p1.pos.x * b + mid2.x * c, mid1.y * a + p1.pos.y * b + mid2.y * c};
            sample.width = static_cast<float>(a * startWidth + b * p1.width + c * endWidth);
            smoothed.push_back(sample);
        }
        smoothed.push_back(LinePoint{endWidth, mid2});
    }
    points.erase(points.begin(), points.end() - 2);
    return smoothed;
}

std::optional<float> pointSize(int64_t brushType, int64_t brushSize, float width) {
    switch (brushType) {
        case kBrushTypeEraser:
        case kBrushTypeBrush:
            return static_cast<float>(brushSize) * width;
        case kBrushTypePen:
            return static_cast<float>(brushSize);
        case kBrushTypeFountainPen: {
            float size = static_cast<float>(brushSize) - width;
            return size > 3 ? size : 3.0f;
        }
        default:
            return std::nullopt;
    }
}

graphics::Point movedOffset(graphics::Point offset, graphics::Point d) { return {offset.x - d.x, offset.y + d.y}; }

graphics::Point unmovedOffset(graphics::Point offset, graphics::Point d) { return {offset.x + d.x, offset.y - d.y}; }

int64_t replayBrushSize(int64_t recordedSize, int64_t defaultSize) {
    return recordedSize == 0 || recordedSize > 99 ? defaultSize : recordedSize;
}

StrokeSegment tapSegment(graphics::Point position, float width) { return StrokeSegment(4, LinePoint{width, position}); }

}  // namespace paintingrules
