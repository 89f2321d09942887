#include "app/core/AudioClip.h"

#include "app/core/FileUtil.h"
#include "platform/foundation/Paths.h"

#include <cmath>

using foundation::Dictionary;
using foundation::Value;

namespace {

// The keys of a clip's dictionary form, read back by decoding.
constexpr const char* kAudioUIDKey = "RecordAudioUID";
constexpr const char* kAudioURLKey = "RecordAudioURL";
constexpr const char* kAudioNameKey = "RecordAudioName";
constexpr const char* kAudioStartKey = "RecordAudioStart";
constexpr const char* kAudioDurationKey = "RecordAudioDuration";
constexpr const char* kAudioLengthKey = "RecordAudioLength";
constexpr const char* kAudioVolumeKey = "RecordAudioVolume";
constexpr const char* kAudioTypeKey = "RecordAudioType";
constexpr const char* kAudioLinkToFrameKey = "RecordAudioLinkToFrame";
constexpr const char* kAudioLinkToPositionKey = "RecordAudioLinkToPosition";
constexpr const char* kFileIDKey = "fileID";
constexpr const char* kOriginalFilenameKey = "OriginalFilename";

}  // namespace

AudioClip::Time AudioClip::Time::seconds(double seconds, int32_t timescale) {
    return {static_cast<int64_t>(std::llround(seconds * timescale)), timescale, kFlagValid, 0};
}

bool AudioClip::Time::isNumeric() const {
    constexpr uint32_t notFinite = kFlagPositiveInfinity | kFlagNegativeInfinity | kFlagIndefinite;
    return (flags & kFlagValid) && !(flags & notFinite) && timescale > 0;
}

double AudioClip::Time::secondsValue() const { return isNumeric() ? static_cast<double>(value) / timescale : 0.0; }

bool AudioClip::TimeRange::contains(const Time& time) const {
    if (!start.isNumeric() || !duration.isNumeric() || !time.isNumeric()) return false;
    double t = time.secondsValue();
    double from = start.secondsValue();
    return t >= from && t < from + duration.secondsValue();
}

AudioClip::AudioClip() : uid_(FileUtil::createUUID()) {}

AudioClip::AudioClip(const Dictionary& metaData)
    : uid_(metaData.get(kAudioUIDKey).stringValue().value_or(FileUtil::createUUID())) {
    if (auto path = metaData.get(kAudioURLKey).stringValue())
        url = path->starts_with("file://") ? *path : "file://" + *path;
    name = metaData.get(kAudioNameKey).stringValue();
    start = getCMTimeFromDictonary(metaData.get(kAudioStartKey));
    if (!start.isNumeric() || start.value < 0) start = Time::zero();
    duration = getCMTimeFromDictonary(metaData.get(kAudioDurationKey));
    totalDuration = getCMTimeFromDictonary(metaData.get(kAudioLengthKey));
    volume = static_cast<float>(metaData.get(kAudioVolumeKey).asDouble(0));
    type = static_cast<int32_t>(metaData.get(kAudioTypeKey).asInt(0));
    linkToFrameUID = metaData.get(kAudioLinkToFrameKey).stringValue();
    linkToPosition = static_cast<int32_t>(metaData.get(kAudioLinkToPositionKey).asInt(0));
    fileID = metaData.get(kFileIDKey).stringValue();
    originalFilename = metaData.get(kOriginalFilenameKey).stringValue();
}

Dictionary AudioClip::encode() const {
    Dictionary dictionary;
    if (url) {
        // Files keep only the name of a project file, so that a project moved
        // to another folder still finds its audio.
        dictionary.set(kAudioURLKey,
                       url->starts_with("file://") ? foundation::path::lastComponent(url->substr(7)) : *url);
    }
    if (name) dictionary.set(kAudioNameKey, *name);
    dictionary.set(kAudioStartKey, getDictionaryFromCMTime(start));
    dictionary.set(kAudioDurationKey, getDictionaryFromCMTime(duration));
    dictionary.set(kAudioLengthKey, getDictionaryFromCMTime(totalDuration));
    dictionary.set(kAudioVolumeKey, Value::real(volume, Value::kTypeFloat));
    dictionary.set("RecordAudioVolumeMute", isOn);
    dictionary.set(kAudioTypeKey, Value::integer(type, Value::kTypeInt32));
    if (linkToFrameUID) dictionary.set(kAudioLinkToFrameKey, *linkToFrameUID);
    dictionary.set(kAudioLinkToPositionKey, Value::integer(linkToPosition, Value::kTypeInt32));
    dictionary.set(kAudioUIDKey, uid_);
    if (fileID) dictionary.set(kFileIDKey, *fileID);
    if (originalFilename) dictionary.set(kOriginalFilenameKey, *originalFilename);
    return dictionary;
}

Dictionary AudioClip::getDictionaryFromCMTime(const Time& time) {
    return Dictionary{{"value", Value::integer(time.value)},
                      {"timescale", Value::integer(time.timescale, Value::kTypeInt32)},
                      {"flags", Value::integer(time.flags, Value::kTypeInt32)},
                      {"epoch", Value::integer(time.epoch)}};
}

AudioClip::Time AudioClip::getCMTimeFromDictonary(const Value& dictionary) {
    if (!dictionary.isDictionary()) return Time::invalid();
    Dictionary d = dictionary.asDictionary();
    for (const char* key : {"value", "timescale", "flags", "epoch"})
        if (!d.get(key).isNumber()) return Time::invalid();
    Time time{d.get("value").asInt(), static_cast<int32_t>(d.get("timescale").asInt()),
              static_cast<uint32_t>(d.get("flags").asInt()), d.get("epoch").asInt()};
    return time.timescale > 0 || !(time.flags & Time::kFlagValid) ? time : Time::invalid();
}
