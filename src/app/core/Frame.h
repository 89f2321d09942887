#pragma once

// One entry of a project's frame list. Frames are shared by reference between
// the list, the expanded list, selections and screens, and compare by
// identity; a frame's pictures live in the project directory, named after
// its frameID.

#include "app/core/KWAudioClip.h"
#include "app/core/KWThemeItem.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Locked.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <string>

class Frame : public foundation::Archivable {
    struct Passkey {};

public:
    static constexpr int32_t kTypePicture = 0;
    static constexpr int32_t kTypeCaptureSlot = 1;
    static constexpr int32_t kTypeTitleCard = 2;
    static constexpr int32_t kTypeCreditsCard = 3;
    static constexpr int32_t kTypeThemeTextCard = 4;

    // The key under which a frame's keyed-archive form holds its dictionary form.
    static constexpr const char* kArchiveKey = "FRAME_DATA";
    // The class name frames carry in keyed archives.
    static constexpr const char* kArchiveClassName = "Frame";

    // A new frame whose UID and frameID are one fresh UUID, hold 1.
    static std::shared_ptr<Frame> create(int32_t type);
    // A new frame with the given frameID and a fresh UID.
    static std::shared_ptr<Frame> create(int32_t type, std::string frameID);
    // From the dictionary form; missing keys take their documented defaults.
    static std::shared_ptr<Frame> createWithDictionary(const foundation::Dictionary& dictionary);
    // Whether a stored dictionary form can be read without losing what it
    // says: a hold count ("DURATION") is a 32-bit integer, and one beyond
    // that range marks the entry as damaged (read anyway, it would turn into
    // an unrelated count). A hold of 0 or less is fine: it leaves the frame
    // out of the movie.
    static foundation::Status checkDictionary(const foundation::Dictionary& dictionary);
    // From the keyed-archive form, the dictionary form under kArchiveKey, read
    // through a keyed unarchiver positioned on a frame (the factory registered
    // for kArchiveClassName); a frame without its dictionary fails the
    // unarchiving.
    static std::shared_ptr<Frame> createWithCoder(foundation::KeyedUnarchiver& coder);

    Frame(Passkey, int32_t type, std::string frameID, std::string uid);
    ~Frame() override;

    // Whether a frame object with this frameID exists in the process, on any
    // thread. A frame's files are in use while one does: a project's list
    // holds its frames, and whoever stores files for a frame holds the frame
    // from before the first file is written until a list takes it (the
    // sweep of a project folder's leftovers keeps what is in use).
    static bool isFrameIDHeld(const std::string& frameID);

    // The dictionary form written into "frames.meta" (a new dictionary).
    foundation::Dictionary encode() const;
    // The keyed-archive form: encode() under kArchiveKey.
    void encodeWithCoder(foundation::KeyedArchiver& coder) const override;
    std::string className() const override { return kArchiveClassName; }

    // A new frame with one fresh UUID as UID and frameID carrying type, hold,
    // pause flag and new copies of clip and theme item. It refers to no files:
    // whoever copies a frame also copies its files under the new identifier.
    std::shared_ptr<Frame> copy() const;

    int32_t type() const { return type_; }
    const std::string& frameID() const { return frameID_; }
    const std::string& UID() const { return uid_; }

    int64_t getDuration() const { return duration_; }
    void setDuration(int64_t duration) { duration_ = duration; }
    std::shared_ptr<KWAudioClip> getAudio() const { return audio_.get(); }
    void setAudio(std::shared_ptr<KWAudioClip> audio) { audio_.set(std::move(audio)); }
    std::shared_ptr<KWThemeItem> getTheme() const { return theme_.get(); }
    void setTheme(std::shared_ptr<KWThemeItem> theme) { theme_.set(std::move(theme)); }
    bool isFramePausedForDurationOfAudio() const { return pausedForAudio_; }
    void setIsFramePausedForDurationOfAudio(bool paused) { pausedForAudio_ = paused; }

    // Everything but the capture slot can be copied, held, deleted, selected
    // and captured at; anything, the slot included, can be pasted at.
    bool canCopy() const { return !isCaptureSlot(); }
    bool canHold() const { return !isCaptureSlot(); }
    bool canDelete() const { return !isCaptureSlot(); }
    bool canSelect() const { return !isCaptureSlot(); }
    bool canCapture() const { return !isCaptureSlot(); }
    bool canPaste() const { return true; }

private:
    bool isCaptureSlot() const { return type_ == kTypeCaptureSlot; }

    const int32_t type_;
    const std::string frameID_;
    const std::string uid_;
    int64_t duration_ = 1;
    foundation::Locked<std::shared_ptr<KWAudioClip>> audio_;
    foundation::Locked<std::shared_ptr<KWThemeItem>> theme_;
    bool pausedForAudio_ = false;
};

using FramePtr = std::shared_ptr<Frame>;
