#pragma once

// Dates as text, in the local time zone (TZ) of the moment of the call.
//
// Patterns are the platform's date-format patterns (Unicode LDML: "yyyy-MM-dd",
// "HH:mm:ss", "EEE"), applied with the fixed POSIX locale so that files named
// after dates do not depend on the user's language.

#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// "yyyy-MM-dd-HH-mm-ss" of a date → "2026-12-07-14-05-09".
std::string formatDate(Date date, std::string_view pattern);

// The date that a text in the pattern stands for; nullopt when the text does
// not match the pattern completely.
std::optional<Date> parseDate(std::string_view text, std::string_view pattern);

// The medium date style of the current locale (LC_ALL, LC_TIME, LANG) without
// time, naming today and yesterday ("Today", "Yesterday", "Dec 5, 2026").
std::string formatRelativeMediumDate(Date date);

}  // namespace foundation
