#pragma once

// The picture of a player: shows the player's current frame, refreshed on
// the player's clock while it plays and after every jump, on black.

#include "platform/media/Player.h"
#include "platform/ui/View.h"

#include <memory>
#include <string>

namespace ui {
class ImageView;
}

// The fill modes the view takes (the platform's video gravity names).
inline constexpr const char* AVLayerVideoGravityResizeAspect = "AVLayerVideoGravityResizeAspect";
inline constexpr const char* AVLayerVideoGravityResizeAspectFill = "AVLayerVideoGravityResizeAspectFill";
inline constexpr const char* AVLayerVideoGravityResize = "AVLayerVideoGravityResize";

class AVPlayerDemoPlaybackView : public ui::View {
public:
    // How often the picture is looked at while the player plays.
    static constexpr double kRefreshSeconds = 1.0 / 30;

    explicit AVPlayerDemoPlaybackView(const graphics::Rect& frame = {});
    ~AVPlayerDemoPlaybackView() override;

    const media::PlayerPtr& player() const { return player_; }
    // Shows this player's pictures (none: an empty black view).
    void setPlayer(media::PlayerPtr player);
    // One of the gravity names above; an unknown one keeps the mode.
    void setVideoFillMode(const std::string& fillMode);
    // Shows the player's picture for its current time.
    void refresh();

    ui::ImageView* pictureView() const { return picture_.get(); }

private:
    void stopObserving();

    std::shared_ptr<ui::ImageView> picture_;
    media::PlayerPtr player_;
    media::Player::TimeObserverToken refreshToken_ = 0;
};
