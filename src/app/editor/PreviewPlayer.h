#pragma once

// Plays the open project in the editor: walks the expanded list at the
// project's frame rate with the position taken from a clock (normally the
// editor's audio controller, the voice-over recorder while one is recorded),
// so pictures follow the sound. Every 0.02 s a tick reads the clock and
// scrolls the timeline to that time; the timeline turns it into an entry
// and moves the playhead.
//
// Posts "NotificationDidStartPlaying" and "NotificationDidStopPlaying"
// (object: this player). Main thread only.

#include "app/audio/PreviewPlayerDelegate.h"
#include "app/core/ProjectModel.h"
#include "app/editor/KWTimelineViewController.h"
#include "app/editor/TimelineMapping.h"
#include "platform/foundation/Lifetime.h"

#include <cstdint>
#include <memory>

class PreviewPlayer {
public:
    // The tick period: the 32-bit float 0.02 widened.
    static constexpr double kTickInterval = static_cast<double>(0.02f);

    PreviewPlayer(ProjectModelPtr project, KWTimelineViewControllerPtr timelineViewController);
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    // From the frame under the playhead to the end.
    void play();
    // Starts at expanded entry `start` (-1: the frame under the playhead, or
    // the first entry when that frame is not in the film). `stop` is kept
    // for callers and has no effect: playback runs to the end of the list.
    // Nothing while playing.
    void playFrom(int64_t start, int64_t stop);
    // One tick: follows the clock, loops or stands at the end.
    void playPreview();
    void stop();
    int64_t getCurentTimeIndex() const;

    bool isPlaying() const { return isPlaying_; }
    bool isLoopPlayback() const { return isLoopPlayback_; }
    void setIsLoopPlayback(bool loop) { isLoopPlayback_ = loop; }
    // Not owned: the editor keeps the clock alive while it is set.
    PreviewPlayerDelegate* timerController() const { return timerController_; }
    void setTimerController(PreviewPlayerDelegate* clock) { timerController_ = clock; }

    const timeline::ExpandedFrames& expandedFrameList() const { return expandedFrameList_; }
    int64_t duration() const { return duration_; }
    KWTimelineViewController* timelineViewController() const { return timelineViewController_.get(); }

private:
    void scheduleTick();

    ProjectModelPtr project_;
    KWTimelineViewControllerPtr timelineViewController_;
    PreviewPlayerDelegate* timerController_ = nullptr;
    timeline::ExpandedFrames expandedFrameList_;
    int64_t duration_ = 0;
    bool isPlaying_ = false;
    bool isLoopPlayback_ = true;
    foundation::LifeToken life_;  // the pending tick goes with the player
};

using PreviewPlayerPtr = std::shared_ptr<PreviewPlayer>;
