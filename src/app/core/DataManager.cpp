#include "app/core/DataManager.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

#include <cstdio>

using foundation::Dictionary;
using foundation::Value;

namespace {

// Loading and saving hold this, so two saves never interleave.
std::mutex& classLock() {
    static std::mutex lock;
    return lock;
}

constexpr const char* kVersionKey = "version";
constexpr const char* kLastSelectionKey = "lastSelection";
constexpr const char* kPassCodeKey = "passCode";
constexpr const char* kMetadataKey = "METADATA";
constexpr const char* kCaptureSourceKey = "_currentCaptureSourceID";
constexpr const char* kDevicePositionKey = "_avCaptureDevicePosition";
constexpr const char* kGridKey = "_isGridEnabled";
constexpr const char* kSoundKey = "_isGUISoundEnabled";
constexpr const char* kOverlayKey = "_overlaySetting";
constexpr const char* kWhiteBalanceKey = "_whiteBalanceMode";
constexpr const char* kFocusKey = "_focusMode";
constexpr const char* kExposureKey = "_exposureMode";
constexpr const char* kScaleKey = "_cameraEffectiveScale";

Value int32Value(int64_t value) { return Value::integer(static_cast<int32_t>(value), Value::kTypeInt32); }

bool isScalar(const Value& value) { return value.isNumber() || value.isString(); }

int64_t widenedInt32(const Value& value) { return static_cast<int32_t>(value.asInt()); }

}  // namespace

DataManager& DataManager::sharedDataManager() {
    static DataManager instance;
    return instance;
}

std::string DataManager::settingsPath() {
    return foundation::path::appending(foundation::Paths::documentsDirectory(), kSettingsFile);
}

void DataManager::loadState() {
    std::lock_guard<std::mutex> guard(classLock());
    DataManager& manager = sharedDataManager();
    std::string path = settingsPath();
    if (!foundation::FileManager::defaultManager().fileExists(path)) return;
    foundation::Result<Value> stored = foundation::plist::readFile(path);
    if (!stored.ok() || !stored->isDictionary()) return;
    manager.decodeData(stored->asDictionary());
}

foundation::Status DataManager::saveState() {
    std::lock_guard<std::mutex> guard(classLock());
    Dictionary encoded = sharedDataManager().encodeData();
    foundation::Status written = foundation::plist::writeFile(Value(encoded), settingsPath());
    if (!written.ok())
        std::fprintf(stderr, "DataManager: could not save settings: %s\n", written.error().description.c_str());
    return written;
}

Dictionary DataManager::encodeData() const {
    Dictionary data;
    if (version_) data.set(kVersionKey, Value(*version_));
    if (lastSelection_) data.set(kLastSelectionKey, Value::integer(static_cast<int64_t>(*lastSelection_)));
    if (passCode_) data.set(kPassCodeKey, Value(*passCode_));
    data.set(kGalleryEnabledKey, Value(isYoutubeGalleryEnabled_.load()));
    data.set(kMetadataKey, Value(dictMeta_.copy()));
    std::string source = currentCaptureSourceID();
    if (!source.empty()) data.set(kCaptureSourceKey, Value(source));
    data.set(kDevicePositionKey, int32Value(avCaptureDevicePosition_));
    data.set(kGridKey, Value(isGridEnabled_.load()));
    data.set(kSoundKey, Value(isGUISoundEnabled_.load()));
    data.set(kOverlayKey, Value(overlaySetting_.load()));
    data.set(kWhiteBalanceKey, int32Value(whiteBalanceMode_));
    data.set(kFocusKey, int32Value(focusMode_));
    data.set(kExposureKey, int32Value(exposureMode_));
    data.set(kScaleKey, Value(cameraEffectiveScale_.load()));
    return data;
}

void DataManager::decodeData(const Dictionary& data) {
    if (const Value& v = data[kVersionKey]; v.isNumber()) version_ = v.asDouble();
    if (const Value& v = data[kLastSelectionKey]; v.isNumber()) lastSelection_ = v.asUInt();
    if (const Value& v = data[kPassCodeKey]; v.isString()) passCode_ = v.asString();
    if (const Value& v = data[kGalleryEnabledKey]; isScalar(v)) isYoutubeGalleryEnabled_ = v.asBool();
    if (const Value& v = data[kMetadataKey]; v.isDictionary()) dictMeta_ = v.asDictionary().copy();
    if (const Value& v = data[kCaptureSourceKey]; v.isString()) setCurrentCaptureSourceID(v.asString());
    if (const Value& v = data[kDevicePositionKey]; isScalar(v)) avCaptureDevicePosition_ = widenedInt32(v);
    if (const Value& v = data[kWhiteBalanceKey]; isScalar(v)) whiteBalanceMode_ = widenedInt32(v);
    if (const Value& v = data[kFocusKey]; isScalar(v)) focusMode_ = widenedInt32(v);
    if (const Value& v = data[kExposureKey]; isScalar(v)) exposureMode_ = widenedInt32(v);
    if (const Value& v = data[kGridKey]; isScalar(v)) isGridEnabled_ = v.asBool();
    if (const Value& v = data[kSoundKey]; isScalar(v)) isGUISoundEnabled_ = v.asBool();
    if (const Value& v = data[kOverlayKey]; isScalar(v)) overlaySetting_ = static_cast<float>(v.asDouble());
    if (const Value& v = data[kScaleKey]; isScalar(v)) cameraEffectiveScale_ = static_cast<float>(v.asDouble());
}

Value DataManager::objectForKey(std::string_view key) const { return dictMeta_[key]; }

void DataManager::setValue(Value value, const std::string& forKey) {
    if (value.isNull()) {
        dictMeta_.remove(forKey);
    } else {
        dictMeta_.set(forKey, std::move(value));
    }
}

std::string DataManager::captureDeviceID() const {
    const Value& stored = dictMeta_[kCaptureDeviceIDKey];
    return stored.isString() ? stored.asString() : std::string();
}

void DataManager::setCaptureDeviceID(const std::string& value) {
    setValue(value.empty() ? Value() : Value(value), kCaptureDeviceIDKey);
}

std::string DataManager::currentCaptureSourceID() const {
    std::lock_guard<std::mutex> guard(captureSourceLock_);
    return currentCaptureSourceID_;
}

void DataManager::setCurrentCaptureSourceID(std::string value) {
    std::lock_guard<std::mutex> guard(captureSourceLock_);
    currentCaptureSourceID_ = std::move(value);
}

void DataManager::resetForTesting() {
    std::lock_guard<std::mutex> guard(classLock());
    DataManager& m = sharedDataManager();
    m.lastSelection_.reset();
    m.version_.reset();
    m.isYoutubeGalleryEnabled_ = true;
    m.passCode_.reset();
    m.dictMeta_ = Dictionary();
    m.isGridEnabled_ = false;
    m.isGUISoundEnabled_ = true;
    m.isLowSpaceWarningShown_ = false;
    m.overlaySetting_ = 1.0f;
    m.cameraEffectiveScale_ = 1.0f;
    m.setCurrentCaptureSourceID("CaptureLocalCamera");
    m.avCaptureDevicePosition_ = 1;
    m.focusMode_ = 2;
    m.exposureMode_ = 2;
    m.whiteBalanceMode_ = 2;
}
