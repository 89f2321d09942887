#pragma once

// The audio clip record of older projects, kept only to read the clip
// dictionaries stored under "RecordMetaAudio" before conversion.

#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>

class AudioClip {
public:
    // A media time: value / timescale seconds, in the dictionary form with the
    // keys "value", "timescale", "flags" and "epoch".
    struct Time {
        static constexpr uint32_t kFlagValid = 1;
        static constexpr uint32_t kFlagPositiveInfinity = 4;
        static constexpr uint32_t kFlagNegativeInfinity = 8;
        static constexpr uint32_t kFlagIndefinite = 16;

        int64_t value = 0;
        int32_t timescale = 0;
        uint32_t flags = 0;
        int64_t epoch = 0;

        static Time zero() { return {0, 1, kFlagValid, 0}; }
        static Time invalid() { return {}; }
        static Time seconds(double seconds, int32_t timescale = 1000);

        // Valid and finite, with a positive timescale.
        bool isNumeric() const;
        double secondsValue() const;  // 0 for a time that is not numeric
    };

    struct TimeRange {
        Time start;
        Time duration;
        bool contains(const Time& time) const;
    };

    AudioClip();  // a fresh UID, everything else empty
    // From an old clip dictionary; entries of the wrong kind read as empty.
    explicit AudioClip(const foundation::Dictionary& metaData);

    foundation::Dictionary encode() const;
    bool isAudioPlayingAtTime(const Time& time) const { return timeRangeInMovie.contains(time); }

    static foundation::Dictionary getDictionaryFromCMTime(const Time& time);
    // An invalid time for a missing or malformed dictionary.
    static Time getCMTimeFromDictonary(const foundation::Value& dictionary);

    const std::string& UID() const { return uid_; }

    bool isOn = false;
    int32_t linkToPosition = 0;
    float volume = 0;
    int32_t type = 0;
    std::optional<std::string> linkToFrameUID;
    std::optional<std::string> name;
    // A "file://" URL (stored files hold the path) or another URL's text.
    std::optional<std::string> url;
    int64_t track = 0;
    int64_t startFrameIndex = 0;
    int64_t endFrameIndex = 0;
    std::optional<std::string> originalFilename;
    std::optional<std::string> fileID;
    Time start = Time::zero();
    Time duration = Time::invalid();
    Time totalDuration = Time::invalid();
    TimeRange timeRangeInMovie;

private:
    std::string uid_;
};
