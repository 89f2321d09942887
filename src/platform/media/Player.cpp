#include "platform/media/Player.h"

#include "platform/media/Asset.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/SystemVolume.h"

#include <algorithm>

namespace media {

foundation::Result<std::shared_ptr<Player>> Player::create(const std::string& path) {
    auto asset = Asset::open(path);
    if (!asset.ok()) return asset.error();
    const double duration = asset->durationSeconds();
    if (!(duration > 0))
        return foundation::Error(foundation::kPOSIXErrorDomain, 0, "The file has no sound to play: " + path);
    return std::shared_ptr<Player>(new Player(path, duration));
}

void Player::setVolume(float volume) { volume_ = std::clamp(volume, 0.0f, 1.0f); }

bool Player::play() {
    return AudioOutput::shared()->play(path_, durationSeconds_, volume_ * SystemVolume::shared().volume());
}

void Player::stop() { AudioOutput::shared()->stop(path_); }

bool Player::isPlaying() const { return AudioOutput::shared()->isPlaying(path_); }

}  // namespace media
