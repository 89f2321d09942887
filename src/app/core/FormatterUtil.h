#pragma once

// Texts of dates, times, durations and file sizes shown on screens.

#include "platform/foundation/Value.h"

#include <cstdint>
#include <string>

class FormatterUtil {
public:
    // Medium date style of the current locale without time; today and
    // yesterday by name.
    static std::string getFormatedDate(foundation::Date date);

    // "mm:ss" from one minute on (125.4 → "02:05"), below a minute seconds and
    // hundredths with three digits (5.42 → "05:042").
    static std::string stringFromTime(float seconds);

    // "hh:mm:ss" when there are hours (within a day), else "mm:ss".
    static std::string getFormatedDuration(double seconds);

    // Whole KB, MB or GB (each unit runs up to 1000 before the next takes
    // over); the empty text from 1000 GB on.
    static std::string getFormatedFileSize(int64_t bytes);
};
