#include "app/core/FormatterUtil.h"

#include "platform/foundation/DateFormat.h"
#include "platform/foundation/Localized.h"

#include <cmath>

using foundation::format;

std::string FormatterUtil::getFormatedDate(foundation::Date date) { return foundation::formatRelativeMediumDate(date); }

std::string FormatterUtil::stringFromTime(float seconds) {
    // A time before the start (or no time at all) reads as the start.
    float t = std::isfinite(seconds) && seconds > 0 ? seconds : 0.0f;
    float minutes = std::floor(t / 60.0f);
    float wholeSeconds = std::trunc(t - 60.0f * minutes);
    if (minutes >= 1.0f) {
        // From one minute on minutes and seconds. The first minute takes this
        // form too: the hundredths form would otherwise carry the minute into
        // the hundredths (75.5 s as "15:6050").
        return format("%@:%@", {format("%.2d", {static_cast<int64_t>(minutes)}),
                                format("%.2d", {static_cast<int64_t>(wholeSeconds)})});
    }
    float hundredths = std::trunc((t - wholeSeconds) * 100.0f);
    return format("%@:%@", {format("%.2d", {static_cast<int64_t>(wholeSeconds)}),
                            format("%.3d", {static_cast<int64_t>(hundredths)})});
}

std::string FormatterUtil::getFormatedDuration(double seconds) {
    // Whole seconds, as calendar components between two dates count them.
    double total = std::isfinite(seconds) && seconds > 0 ? std::floor(seconds) : 0.0;
    auto component = [](double value) { return static_cast<int64_t>(value); };
    int64_t second = component(std::fmod(total, 60.0));
    int64_t minute = component(std::fmod(std::floor(total / 60.0), 60.0));
    // Days are a calendar component of their own, so hours count within a day.
    int64_t hour = component(std::fmod(std::floor(total / 3600.0), 24.0));
    if (hour != 0) return format("%.2d:%.2d:%.2d", {hour, minute, second});
    return format("%.2d:%.2d", {minute, second});
}

std::string FormatterUtil::getFormatedFileSize(int64_t bytes) {
    // Each unit runs up to 1000 before the next takes over. Unlike "%.0ld",
    // which prints no digit at all for 0, a number is always shown: sizes
    // under 1 KB read "0 KB", and the few sizes that begin the MB and GB bands
    // below one whole unit (1001 KB is 0.98 MB) read "1 MB" / "1 GB", so the
    // text never suggests an empty file after "1000 KB".
    auto text = [](int64_t quotient, bool bandStartsBelowOne, const char* unit) {
        if (quotient == 0 && bandStartsBelowOne) quotient = 1;
        return format("%ld %@", {quotient, unit});
    };
    if (bytes <= 1025023) return text(bytes / 1024, false, "KB");
    if (bytes <= 1049624575) return text(bytes / 1048576, true, "MB");
    if (bytes <= 1074815565823) return text(bytes / 1073741824, true, "GB");
    return "";
}
