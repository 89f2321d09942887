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
    name_ = dictionary.get("NAME").stringValue();
    fileName_ = dictionary.get("FILE").stringValue();
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

std::optional<std::string> KWAudioClip::name() const {
    std::lock_guard guard(lock_);
    return name_;
}

void KWAudioClip::setName(std::optional<std::string> name) {
    std::lock_guard guard(lock_);
    name_ = std::move(name);
}

std::optional<std::string> KWAudioClip::fileName() const {
    std::lock_guard guard(lock_);
    return fileName_;
}

void KWAudioClip::setFileName(std::optional<std::string> fileName) {
    std::lock_guard guard(lock_);
    fileName_ = std::move(fileName);
}
