#include "app/core/AudioClip.h"

#include "app/core/FileUtil.h"
#include "platform/foundation/Paths.h"

#include <cmath>

using foundation::Dictionary;
using foundation::Value;

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
    : uid_(metaData.get("RecordAudioUID").stringValue().value_or(FileUtil::createUUID())) {
    if (auto path = metaData.get("RecordAudioURL").stringValue())
        url = path->starts_with("file://") ? *path : "file://" + *path;
    name = metaData.get("RecordAudioName").stringValue();
    start = getCMTimeFromDictonary(metaData.get("RecordAudioStart"));
    if (!start.isNumeric() || start.value < 0) start = Time::zero();
    duration = getCMTimeFromDictonary(metaData.get("RecordAudioDuration"));
    totalDuration = getCMTimeFromDictonary(metaData.get("RecordAudioLength"));
    volume = static_cast<float>(metaData.get("RecordAudioVolume").asDouble(0));
    type = static_cast<int32_t>(metaData.get("RecordAudioType").asInt(0));
    linkToFrameUID = metaData.get("RecordAudioLinkToFrame").stringValue();
    linkToPosition = static_cast<int32_t>(metaData.get("RecordAudioLinkToPosition").asInt(0));
    fileID = metaData.get("fileID").stringValue();
    originalFilename = metaData.get("OriginalFilename").stringValue();
}

Dictionary AudioClip::encode() const {
    Dictionary dictionary;
    if (url) {
        // Files keep only the name of a project file, so that a project moved
        // to another folder still finds its audio.
        dictionary.set("RecordAudioURL",
                       url->starts_with("file://") ? foundation::path::lastComponent(url->substr(7)) : *url);
    }
    if (name) dictionary.set("RecordAudioName", *name);
    dictionary.set("RecordAudioStart", getDictionaryFromCMTime(start));
    dictionary.set("RecordAudioDuration", getDictionaryFromCMTime(duration));
    dictionary.set("RecordAudioLength", getDictionaryFromCMTime(totalDuration));
    dictionary.set("RecordAudioVolume", Value::real(volume, Value::kTypeFloat));
    dictionary.set("RecordAudioVolumeMute", isOn);
    dictionary.set("RecordAudioType", Value::integer(type, Value::kTypeInt32));
    if (linkToFrameUID) dictionary.set("RecordAudioLinkToFrame", *linkToFrameUID);
    dictionary.set("RecordAudioLinkToPosition", Value::integer(linkToPosition, Value::kTypeInt32));
    dictionary.set("RecordAudioUID", uid_);
    if (fileID) dictionary.set("fileID", *fileID);
    if (originalFilename) dictionary.set("OriginalFilename", *originalFilename);
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
