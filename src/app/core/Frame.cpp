#include "app/core/Frame.h"

#include "app/core/FileUtil.h"
#include "app/core/FrameKeys.h"
#include "platform/foundation/Localized.h"

#include <limits>
#include <mutex>
#include <unordered_map>

using foundation::Dictionary;
using foundation::Value;

namespace {

// Frames decode from any keyed archive once this library is linked in.
[[maybe_unused]] const bool kFrameArchiveRegistered = [] {
    foundation::KeyedArchiveRegistry::registerClass(
        Frame::kArchiveClassName, [](foundation::KeyedUnarchiver& coder) -> std::shared_ptr<foundation::Archivable> {
            return Frame::createWithCoder(coder);
        });
    return true;
}();

// How many frame objects carry each frameID.
struct HeldFrameIDs {
    std::mutex mutex;
    std::unordered_map<std::string, size_t> counts;
};

HeldFrameIDs& heldFrameIDs() {
    // Never destroyed: frames held by other statics go after it.
    static auto* held = new HeldFrameIDs;
    return *held;
}

}  // namespace

Frame::Frame(Passkey, int32_t type, std::string frameID, std::string uid)
    : type_(type), frameID_(std::move(frameID)), uid_(std::move(uid)) {
    HeldFrameIDs& held = heldFrameIDs();
    std::lock_guard lock(held.mutex);
    ++held.counts[frameID_];
}

Frame::~Frame() {
    HeldFrameIDs& held = heldFrameIDs();
    std::lock_guard lock(held.mutex);
    if (auto entry = held.counts.find(frameID_); entry != held.counts.end() && --entry->second == 0)
        held.counts.erase(entry);
}

bool Frame::isFrameIDHeld(const std::string& frameID) {
    HeldFrameIDs& held = heldFrameIDs();
    std::lock_guard lock(held.mutex);
    return held.counts.contains(frameID);
}

std::shared_ptr<Frame> Frame::create(int32_t type) {
    std::string uuid = FileUtil::createUUID();
    return std::make_shared<Frame>(Passkey{}, type, uuid, uuid);
}

std::shared_ptr<Frame> Frame::create(int32_t type, std::string frameID) {
    return std::make_shared<Frame>(Passkey{}, type, std::move(frameID), FileUtil::createUUID());
}

std::shared_ptr<Frame> Frame::createWithDictionary(const Dictionary& dictionary) {
    // A new identity only for an entry without one (made lazily: thousands
    // of entries are read at every opening).
    std::optional<std::string> stored = dictionary.get("UID").stringValue();
    std::string uid = stored ? std::move(*stored) : FileUtil::createUUID();
    std::string frameID = dictionary.get("FRAME_ID").stringValue().value_or(uid);
    int32_t type = framekeys::int32Or(dictionary, "FRAME_TYPE", kTypePicture);
    auto frame = std::make_shared<Frame>(Passkey{}, type, std::move(frameID), std::move(uid));
    frame->duration_ = framekeys::int32Or(dictionary, "DURATION", 1);
    if (const Value& audio = dictionary.get("AUDIO"); audio.isDictionary())
        frame->audio_.set(std::make_shared<KWAudioClip>(audio.asDictionary()));
    if (const Value& theme = dictionary.get("THEME"); theme.isDictionary())
        frame->theme_.set(std::make_shared<KWThemeItem>(theme.asDictionary()));
    frame->pausedForAudio_ = dictionary.get("IS_FRAME_PAUSED_FOR_AUDIO").asBool(false);
    return frame;
}

foundation::Status Frame::checkDictionary(const Dictionary& dictionary) {
    const Value& hold = dictionary.get("DURATION");
    if (!hold.isNumber()) return foundation::Status::success();  // missing: 1
    constexpr auto kLowest = double(std::numeric_limits<int32_t>::min());
    constexpr auto kHighest = double(std::numeric_limits<int32_t>::max());
    const bool inRange = hold.isUnsigned() ? hold.asUInt() <= uint64_t(kHighest)
                                           : hold.asDouble() >= kLowest && hold.asDouble() <= kHighest;
    if (inRange) return foundation::Status::success();
    return foundation::Error(
        foundation::kCocoaErrorDomain, foundation::kCoderReadCorruptError,
        foundation::format("The frame list is damaged: frame %@ has the hold count %@, beyond the largest, %@.",
                           {dictionary.get("FRAME_ID").stringValue().value_or("?"), Value(hold.description()),
                            Value(int64_t(kHighest))}));
}

std::shared_ptr<Frame> Frame::createWithCoder(foundation::KeyedUnarchiver& coder) {
    Value data = coder.decodeValue(kArchiveKey);
    if (!data.isDictionary()) {
        coder.failWithError(foundation::Error(foundation::kCocoaErrorDomain, foundation::kCoderReadCorruptError,
                                              "A frame in the archive has no frame data."));
        return nullptr;
    }
    if (foundation::Status checked = checkDictionary(data.asDictionary()); !checked) {
        coder.failWithError(checked.error());
        return nullptr;
    }
    return createWithDictionary(data.asDictionary());
}

Dictionary Frame::encode() const {
    Dictionary dictionary;
    dictionary.set("UID", uid_);
    dictionary.set("FRAME_ID", frameID_);
    if (type_ != kTypePicture) dictionary.set("FRAME_TYPE", Value::integer(type_, Value::kTypeInt32));
    dictionary.set("DURATION", Value::integer(duration_));
    if (auto audio = getAudio()) dictionary.set("AUDIO", audio->encode());
    if (auto theme = getTheme()) dictionary.set("THEME", theme->encode());
    dictionary.set("IS_FRAME_PAUSED_FOR_AUDIO", pausedForAudio_);
    return dictionary;
}

void Frame::encodeWithCoder(foundation::KeyedArchiver& coder) const { coder.encodeValue(encode(), kArchiveKey); }

std::shared_ptr<Frame> Frame::copy() const {
    Dictionary dictionary = encode();
    std::string uuid = FileUtil::createUUID();
    dictionary.set("UID", uuid);
    dictionary.set("FRAME_ID", uuid);
    return createWithDictionary(dictionary);
}
