#pragma once

// The canvases' arithmetic as plain functions: thinning, speed to width,
// smoothing, point sizes, move offsets and replay sizes.

#include "app/painter/Stroke.h"

#include <optional>
#include <vector>

namespace paintingrules {

// Move samples closer than this to the last pending sample are dropped.
inline constexpr double kMinimumSampleDistance = 1.5;
inline constexpr float kMinimumWidth = 1;
inline constexpr float kMaximumWidth = 40;
inline constexpr float kSpeedPerWidth = 166;

// Single-precision length of a vector, the sum formed in double precision.
float vectorLength(graphics::Point v);
float distance(graphics::Point a, graphics::Point b);
float clamp(float value, float a, float b);

// Whether a move sample at `position` is far enough from the last pending one.
bool acceptsSample(const std::vector<LinePoint>& pending, graphics::Point position);

// The width for a finger speed (points per second), smoothed against the
// last of `velocities` once two are known; appended to `velocities`.
float extractSize(graphics::Point velocity, std::vector<float>& velocities);

// Smooths the pending samples into quadratic curves (n + 1 samples per
// index, 32 <= n <= 128) and keeps only the last two pending samples. None
// with fewer than three pending samples.
std::optional<std::vector<LinePoint>> calculateSmoothLinePoints(std::vector<LinePoint>& points);

// The point size a brush type draws a sample of `width` with; none for types
// that leave the size unchanged.
std::optional<float> pointSize(int64_t brushType, int64_t brushSize, float width);

// Offset changes of a move record of displacement d (view coordinates).
graphics::Point movedOffset(graphics::Point offset, graphics::Point d);
graphics::Point unmovedOffset(graphics::Point offset, graphics::Point d);

// The size a replayed stroke draws with: its own, or the brush's default
// size when the recorded one is 0 or above 99.
int64_t replayBrushSize(int64_t recordedSize, int64_t defaultSize);

// A tap or stamp: four identical samples of the given width.
StrokeSegment tapSegment(graphics::Point position, float width);

}  // namespace paintingrules
