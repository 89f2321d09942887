#pragma once

// Listening to one row of a list of sounds before choosing it: a tap on a
// row's play button starts that row's file (stopping any other); a tap on
// the playing row's button stops it. When the file ends, or the list goes,
// nothing plays and `currentPlayedItemIndex` is -1 again.
//
// Main thread only.

#include "platform/foundation/NotificationCenter.h"
#include "platform/media/Player.h"

#include <cstdint>
#include <functional>
#include <string>

class TrackPreview {
public:
    // Told after the playing row changed by itself (the file ended).
    std::function<void()> onFinished;

    ~TrackPreview() { stop(); }

    int64_t currentPlayedItemIndex() const { return currentPlayedItemIndex_; }
    const media::PlayerPtr& player() const { return player_; }
    // Stops what plays; starts `row` with `path` unless it was the row playing.
    // A file that cannot be played leaves nothing playing.
    void toggle(int64_t row, const std::string& path);
    void stop();

private:
    void finished();

    int64_t currentPlayedItemIndex_ = -1;
    media::PlayerPtr player_;
    foundation::ObserverToken endObserver_;
};
