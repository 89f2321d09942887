#pragma once

// The arithmetic of the capture screen, apart from its views: the crop of a
// zoomed picture, the zoom range, the onion-skin and timer steps, the
// time-lapse loop's decisions and the information display's text.

#include "app/core/FrameList.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <cstdint>
#include <string>

namespace capturescreen {

// ---- digital zoom ------------------------------------------------------------------
inline constexpr double kMinimumZoom = 1.0;
inline constexpr double kMaximumZoom = 5.0;

double clampZoom(double scale);

// The part of a w × h picture that the screen shows at zoom `scale`: the
// centre, w/s × h/s.
graphics::Rect zoomCropRect(graphics::Size size, double scale);

// What a picture taken at zoom `scale` stores: above 1.0 the centre crop,
// scaled back to the picture's own size without smoothing (each pixel
// repeated); at 1.0 or below the picture itself. The crop is taken from the
// upright picture, so it is the centre the user saw whatever orientation the
// picture carries.
graphics::Image zoomedPicture(const graphics::Image& picture, double scale);

// ---- onion skin ------------------------------------------------------------------
// The slider's value snapped to the nearest tenth, halves away from zero.
float snapOnionValue(float value);

// The entry the onion skin shows: the one just before the capture slot, or
// the last entry when the slot is first. kNotFound when the list has fewer
// than two entries or no slot.
int64_t onionSkinFrameIndex(const FrameList& list);

// ---- time-lapse ------------------------------------------------------------------
// The loop's period: the single-precision 0.1 s.
inline constexpr double kLoopInterval = static_cast<double>(0.1f);
// How long before each picture the countdown beep starts, and the shortest
// interval that has one.
inline constexpr float kBeepLeadSeconds = 3.0f;
// The timer picker's step.
inline constexpr int64_t kTimerStepSeconds = 5;

// The picker's slider value snapped to its 5 s steps, halves away from zero.
int64_t snapTimerSeconds(double value);

// What one pass of the loop does while the time-lapse runs, with interval
// `intervalMilliseconds` and `elapsedSeconds` since the interval began
// (both taken as single-precision numbers, as the loop computes them).
struct TimerTick {
    float progress = 0;    // the ring: E / I, 0 before the interval starts
    bool beep = false;     // the countdown beep starts now
    bool capture = false;  // the interval is over: a picture, and a new interval
};
TimerTick timerTick(int64_t intervalMilliseconds, float elapsedSeconds, bool beepPlayedThisInterval);

// ---- information display -------------------------------------------------------------
// "0002 / 0003": the capture slot's position (1-based) and the entry count.
// Without a slot (kNotFound), as if one were appended.
std::string frameInfoText(int64_t captureIndex, int64_t count);

}  // namespace capturescreen
