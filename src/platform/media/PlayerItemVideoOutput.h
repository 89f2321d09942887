#pragma once

// The pictures of a player's movie for a consumer that draws them itself,
// asking at the times it chooses (a display link's callback, once per screen
// refresh), as the platform's player-item video output hands them out:
//
//     auto output = media::PlayerItemVideoOutput::create();
//     output->setDelegate(delegate, queue);
//     player->addOutput(output);
//     output->requestNotificationOfMediaDataChangeWithAdvanceInterval(0.1);
//     ... on each refresh:
//     MediaTime itemTime = output->itemTimeForHostTime(link.targetTimestamp());
//     if (output->hasNewPixelBufferForItemTime(itemTime)) draw(*output->copyPixelBufferForItemTime(itemTime));
//
// Host times are times on the main run loop's clock (virtual in tests).
// Pictures are 32BGRA of the stored size: the pipeline uploads packed
// pictures (it has no zero-copy path for planar ones).
//
// "Media data will change" means: the output has, or within the advance
// interval of playback will have, a picture it has not handed out yet — at
// once when nothing was handed out or the player jumped, later while it
// plays towards the next frame, never while a paused player shows the
// picture last handed out.
//
// Main thread only, like the player; the delegate hears on its own queue.

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Timer.h"
#include "platform/media/MediaTime.h"
#include "platform/media/PixelBuffer.h"

#include <memory>
#include <optional>

namespace media {

class Player;
class PlayerItemVideoOutput;

class PlayerItemOutputPullDelegate {
public:
    virtual ~PlayerItemOutputPullDelegate() = default;
    virtual void outputMediaDataWillChange(PlayerItemVideoOutput& sender) = 0;
};

class PlayerItemVideoOutput : public std::enable_shared_from_this<PlayerItemVideoOutput> {
public:
    static std::shared_ptr<PlayerItemVideoOutput> create();
    ~PlayerItemVideoOutput();
    PlayerItemVideoOutput(const PlayerItemVideoOutput&) = delete;
    PlayerItemVideoOutput& operator=(const PlayerItemVideoOutput&) = delete;

    // The delegate is not retained; it is called on `queue`.
    void setDelegate(std::weak_ptr<PlayerItemOutputPullDelegate> delegate, foundation::DispatchQueue queue);
    // The delegate hears outputMediaDataWillChange once, `intervalSeconds`
    // (of playback) before the pictures change; a new request replaces one
    // that is pending.
    void requestNotificationOfMediaDataChangeWithAdvanceInterval(double intervalSeconds);
    bool hasPendingNotificationRequest() const { return advanceInterval_.has_value(); }

    // The player's item time at `hostTime` as playback goes now; invalid
    // while the output is not added to a player.
    MediaTime itemTimeForHostTime(double hostTime) const;
    // Whether the picture shown at `itemTime` differs from the one handed
    // out last (any picture, when none was).
    bool hasNewPixelBufferForItemTime(MediaTime itemTime);
    // The picture shown at `itemTime`, and in `displayTime` when its frame
    // starts; none without a player, a video track or a decodable frame.
    std::optional<PixelBuffer> copyPixelBufferForItemTime(MediaTime itemTime, MediaTime* displayTime = nullptr);

    // Made through create(); public for std::make_shared.
    PlayerItemVideoOutput() = default;

private:
    friend class Player;
    // Called by the player: when the output is added or removed, and after
    // the player's rate or time changed other than by playing on.
    void attach(std::weak_ptr<Player> player);
    void detach();
    void playerDidChange();
    // Tells the delegate now, or arms a timer for when the pictures will be
    // within the advance interval of changing.
    void evaluate();
    void cancelTimer();

    std::weak_ptr<Player> player_;
    std::weak_ptr<PlayerItemOutputPullDelegate> delegate_;
    std::optional<foundation::DispatchQueue> delegateQueue_;
    std::optional<double> advanceInterval_;
    foundation::TimerHandle timer_;
    // The start of the frame handed out last.
    std::optional<double> lastFrameSeconds_;
};

}  // namespace media
