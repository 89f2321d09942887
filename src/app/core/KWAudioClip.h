#pragma once

// The audio clip anchored at a frame: which file of the project directory is
// played, which part of it and how loud. Times are milliseconds.

#include "platform/foundation/Locked.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>

class KWAudioClip {
public:
    // Every numeric field starts at 0, the volume included, until the caller sets it.
    KWAudioClip() = default;
    KWAudioClip(std::optional<std::string> name, std::optional<std::string> fileName);
    // From the dictionary form; missing keys take their documented defaults
    // (start 0, stop and duration -1, volume 1.0, no name, no file).
    explicit KWAudioClip(const foundation::Dictionary& dictionary);

    // The dictionary form stored inside a frame's dictionary.
    foundation::Dictionary encode() const;

    int64_t start() const { return start_; }
    void setStart(int64_t start) { start_ = start; }
    int64_t stop() const { return stop_; }
    void setStop(int64_t stop) { stop_ = stop; }
    int64_t duration() const { return duration_; }
    void setDuration(int64_t duration) { duration_ = duration; }
    float volume() const { return volume_; }
    void setVolume(float volume) { volume_ = volume; }

    // Text fields are read and written under a lock: the audio screens change
    // them while a paste or render may read them from a worker queue.
    std::optional<std::string> name() const { return name_.get(); }
    void setName(std::optional<std::string> name) { name_.set(std::move(name)); }
    std::optional<std::string> fileName() const { return fileName_.get(); }
    void setFileName(std::optional<std::string> fileName) { fileName_.set(std::move(fileName)); }

    // Position of the clip on the sound track; in memory only, never encoded.
    int64_t timeIndexInAudioTrack() const { return timeIndexInAudioTrack_; }
    void setTimeIndexInAudioTrack(int64_t timeIndex) { timeIndexInAudioTrack_ = timeIndex; }

private:
    float volume_ = 0;
    int64_t start_ = 0;
    int64_t stop_ = 0;
    int64_t duration_ = 0;
    foundation::Locked<std::optional<std::string>> name_;
    foundation::Locked<std::optional<std::string>> fileName_;
    int64_t timeIndexInAudioTrack_ = 0;
};
