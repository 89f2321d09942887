#include "platform/media/MetadataItem.h"

#include "platform/foundation/Utf8.h"
#include "platform/media/MediaError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

namespace media {

namespace {
// A QuickTime header counts its creation time in seconds from 1904; the
// text form has four-digit years.
constexpr double kFirstUnixTime = -2082844800.0;  // 1904-01-01
constexpr double kEndUnixTime = 253402300800.0;   // 10000-01-01
// A QuickTime text item counts its bytes in 16 bits.
constexpr size_t kMaximumTextBytes = 65'535;

// The text as the muxer stores it, or why it cannot: longer text would be
// written with a wrapped length, and the muxer takes text up to its first
// NUL.
foundation::Result<std::string> checkedText(const std::string& key, const std::string& text) {
    auto refused = [&](const std::string& why) {
        return foundation::Error(kMediaErrorDomain, kMediaErrorUnknown, "The movie's " + key + " " + why);
    };
    if (text.size() > kMaximumTextBytes)
        return refused("is " + std::to_string(text.size()) + " bytes long; a movie holds at most " +
                       std::to_string(kMaximumTextBytes) + " bytes of it.");
    if (text.find('\0') != std::string::npos) return refused("holds a NUL character, which a movie cannot hold.");
    if (!foundation::isValidUtf8(text)) return refused("is not UTF-8 text.");
    return text;
}
}  // namespace

const char* muxerKey(MetadataKey key) {
    switch (key) {
        case MetadataKey::Title: return "title";
        case MetadataKey::Author: return "author";
        case MetadataKey::Comment: return "comment";
        case MetadataKey::CreationDate: return "creation_time";
        case MetadataKey::Copyright: return "copyright";
    }
    return "comment";
}

foundation::Result<std::string> muxerValue(const MetadataItem& item) {
    const std::string key = muxerKey(item.key);
    if (item.key != MetadataKey::CreationDate) {
        if (!item.value.isString())
            return foundation::Error(kMediaErrorDomain, kMediaErrorUnknown, "The movie's " + key + " is not text");
        return checkedText(key, item.value.asString());
    }
    const auto date = item.value.asDate();
    const double unix = date ? date->unixTime() : 0;
    if (!date) return foundation::Error(kMediaErrorDomain, kMediaErrorUnknown, "The movie's creation date is not a date");
    if (!(unix >= kFirstUnixTime && unix < kEndUnixTime))
        return foundation::Error(kMediaErrorDomain, kMediaErrorUnknown,
                                 "The movie's creation date lies outside the years 1904 to 9999");
    const double whole = std::floor(unix);
    const auto seconds = static_cast<std::time_t>(whole);
    std::tm utc{};
    if (!gmtime_r(&seconds, &utc))
        return foundation::Error(kMediaErrorDomain, kMediaErrorUnknown, "The movie's creation date is not a date");
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  std::min(999999, static_cast<int>(std::lround((unix - whole) * 1e6))));
    return std::string(text);
}

}  // namespace media
