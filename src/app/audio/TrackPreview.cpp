#include "app/audio/TrackPreview.h"

void TrackPreview::toggle(int64_t row, const std::string& path) {
    const bool wasPlaying = row == currentPlayedItemIndex_;
    stop();
    if (wasPlaying) return;
    auto player = media::Player::create(path);
    if (!player.ok()) return;
    player_ = *player;
    currentPlayedItemIndex_ = row;
    endObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
        media::Player::kDidPlayToEndTimeNotification, player_.get(),
        [this](const foundation::Notification&) { finished(); });
    player_->setRate(1.0f);
}

void TrackPreview::stop() {
    endObserver_.reset();
    if (player_) player_->setRate(0);
    player_.reset();
    currentPlayedItemIndex_ = -1;
}

void TrackPreview::finished() {
    stop();
    if (onFinished) onFinished();
}
