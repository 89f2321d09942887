#include "app/core/KWAudioClip.h"

#include "app/core/FrameKeys.h"

using foundation::Dictionary;
using foundation::Value;

KWAudioClip::KWAudioClip(std::optional<std::string> name, std::optional<std::string> fileName)
    : name_(std::move(name)), fileName_(std::move(fileName)) {}

KWAudioClip::KWAudioClip(const Dictionary& dictionary) {
    start_ = framekeys::integerOr(dictionary, "START", 0);
    stop_ = framekeys::integerOr(dictionary, "STOP", -1);
    duration_ = framekeys::integerOr(dictionary, "DURATION", -1);
    const Value& volume = dictionary.get("VOLUME");
    volume_ = volume.isNumber() ? static_cast<float>(volume.asDouble()) : 1.0f;
    name_.set(dictionary.get("NAME").stringValue());
    fileName_.set(dictionary.get("FILE").stringValue());
}

Dictionary KWAudioClip::encode() const {
    Dictionary dictionary;
    dictionary.set("START", Value::integer(start_));
    dictionary.set("STOP", Value::integer(stop_));
    dictionary.set("DURATION", Value::integer(duration_));
    dictionary.set("VOLUME", Value::real(volume_, Value::kTypeFloat));
    if (auto name = this->name()) dictionary.set("NAME", *name);
    if (auto file = fileName()) dictionary.set("FILE", *file);
    return dictionary;
}
