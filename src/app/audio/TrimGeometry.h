#pragma once

// The arithmetic of the trim control and of the clip editor's trim: where a
// handle stands, how a drag moves the two values, the times' labels and the
// clip times a trim gives. Values are percentages of the item's length
// (0 to 100); the control turns them into seconds only at its edges.

#include <cstdint>
#include <optional>
#include <string>

namespace trim {

// Handles are this wide; the track they travel spans the control's width
// less one handle.
inline constexpr double kHandleWidth = 25.0;
inline constexpr double kHandleHeight = 75.0;
inline constexpr double kMaxValue = 100.0;
inline constexpr double kMinValue = 0.0;
// A handle step that leaves the handles closer than kMinimumGap percent
// puts the moving handle kSnapGap percent from the other one.
inline constexpr double kMinimumGap = 10.0;
inline constexpr double kSnapGap = 9.0;

// A percentage of the length in seconds, in single precision as the values
// are handed to the delegate.
double secondsForPercent(double percent, double lengthSeconds);
// Seconds as a percentage of the length; 0 for a length of 0 or less (an
// empty clip has nothing to trim).
double percentForSeconds(float seconds, float lengthSeconds);

// The left edge of a handle in a control `width` points wide, 0 when it is
// not a number.
float handleX(double value, double width);
// The percentage change for a horizontal drag of `translation` points.
double percentDelta(double translation, double width);

struct Values {
    double left = kMinValue;
    double right = kMaxValue;
    bool operator==(const Values&) const = default;
};

// One step of the left handle by `delta` percent; none when the step is
// refused because the chosen part would grow past `maxAvailableSeconds`.
std::optional<Values> stepLeft(Values values, double delta, double lengthSeconds, double maxAvailableSeconds);
// The mirror of stepLeft for the right handle.
std::optional<Values> stepRight(Values values, double delta, double lengthSeconds, double maxAvailableSeconds);

struct BandStep {
    Values values;
    // True when the band ran into an end and was pinned there: the control
    // then keeps the translation and tells no one.
    bool pinned = false;
};
BandStep stepBand(Values values, double delta);

// The label of a time: seconds and hundredths ("05:50") for items of 60 s
// or less, else minutes and seconds ("01:15").
std::string timeText(float seconds, double lengthSeconds);

// Whole milliseconds of a trim time, cut toward zero (1.2345 s → 1234).
int64_t millisecondsForSeconds(double seconds);

}  // namespace trim
