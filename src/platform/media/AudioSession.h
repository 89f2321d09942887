#pragma once

// The process's use of sound: its category (whether it records) and the
// permission to record. Permission is granted exactly when a microphone
// exists (AudioInput::shared()); this desktop has no per-application
// microphone consent of its own to ask.
//
// Main thread only.

#include "platform/foundation/Error.h"

#include <functional>

namespace media {

class AudioSession {
public:
    enum class Category { Ambient, SoloAmbient, Playback, Record, PlayAndRecord };

    static AudioSession& sharedInstance();

    Category category() const { return category_; }
    foundation::Status setCategory(Category category);
    bool isActive() const { return active_; }
    foundation::Status setActive(bool active);

    // The answer comes later on the main run loop, never inside the call.
    void requestRecordPermission(std::function<void(bool granted)> response);

    // Back to the state of a fresh process.
    void resetForTesting();

private:
    Category category_ = Category::SoloAmbient;
    bool active_ = false;
};

}  // namespace media
