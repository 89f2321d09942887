#include "app/capture/CaptureScreenRules.h"

#include "app/core/UIImage_Resize.h"
#include "platform/foundation/NotFound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace capturescreen {

double clampZoom(double scale) { return std::clamp(scale, kMinimumZoom, kMaximumZoom); }

graphics::Rect zoomCropRect(graphics::Size size, double scale) {
    const double w = size.width;
    const double h = size.height;
    return {w * 0.5 - (w / scale) * 0.5, h * 0.5 - (h / scale) * 0.5, w / scale, h / scale};
}

graphics::Image zoomedPicture(const graphics::Image& picture, double scale) {
    if (picture.isNull() || !(scale > 1.0)) return picture;
    const graphics::Image upright = picture.normalized();
    const graphics::Size pixels{double(upright.pixelWidth()), double(upright.pixelHeight())};
    const graphics::Image crop = UIImage_Resize::croppedImage(upright, zoomCropRect(pixels, scale));
    return UIImage_Resize::resizedImage(crop, pixels, UIImage_Resize::InterpolationQuality::None)
        .withScale(picture.scale());
}

float snapOnionValue(float value) { return std::round(value * 10.0f) / 10.0f; }

int64_t onionSkinFrameIndex(const FrameList& list) {
    const int64_t slot = list.getCaptureIndex();
    if (list.count() < 2 || slot == foundation::kNotFound) return foundation::kNotFound;
    return slot == 0 ? list.count() - 1 : slot - 1;
}

int64_t snapTimerSeconds(double value) {
    return static_cast<int64_t>(std::round(value / double(kTimerStepSeconds))) * kTimerStepSeconds;
}

TimerTick timerTick(int64_t intervalMilliseconds, float elapsedSeconds, bool beepPlayedThisInterval) {
    TimerTick tick;
    const float interval = static_cast<float>(static_cast<double>(intervalMilliseconds) / 1000.0);
    const float elapsed = elapsedSeconds;
    if (interval <= 0.0f) return tick;  // no interval: nothing to count down
    tick.progress = elapsed > 0.0f ? elapsed / interval : 0.0f;
    tick.beep = interval >= kBeepLeadSeconds && elapsed + kBeepLeadSeconds > interval && !beepPlayedThisInterval;
    tick.capture = elapsed > interval;
    return tick;
}

std::string frameInfoText(int64_t captureIndex, int64_t count) {
    // A list without a slot gets one appended at the next picture: count it
    // there rather than computing with the not-found index.
    if (captureIndex == foundation::kNotFound) {
        captureIndex = count;
        count += 1;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.4lld / %.4lld", static_cast<long long>(captureIndex + 1),
                  static_cast<long long>(count));
    return text;
}

}  // namespace capturescreen
