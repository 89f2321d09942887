#include "app/audio/KWAudioController.h"

#include "app/audio/KWAudioMuxer.h"
#include "platform/media/AudioMixReader.h"

void KWAudioController::updateAudioPlayerInternal() {
    if (!isPlayerUpdatedNeeded_) return;
    media::CompositionPtr composition;
    media::AudioMixPtr audioMix;
    KWAudioMuxer(project_).prepareAVMutableComposition(composition, audioMix);
    // The old player goes with its last reference; the new one starts paused at 0.
    audioPlayer_ = media::Player::create(std::make_shared<media::AudioMixReader>(*composition, audioMix.get()));
    isPlayerUpdatedNeeded_ = false;
}

int64_t KWAudioController::getCurentTimeIndex() {
    updateAudioPlayerInternal();
    if (!audioPlayer_) return 0;
    if (audioPlayer_->rate() == 0.0f) audioPlayer_->setRate(1.0f);
    return static_cast<int64_t>(audioPlayer_->currentTimeSeconds() * 1000.0);
}

void KWAudioController::setCurentTimeIndex(int64_t timeIndex) {
    updateAudioPlayerInternal();
    if (!audioPlayer_) return;
    // The player, not this controller, is captured: a seek that completes
    // after a rebuild or after the controller went starts nothing.
    std::weak_ptr<media::Player> player = audioPlayer_;
    audioPlayer_->seekToTime(media::MediaTime::make(timeIndex, 1000), [player](bool) {
        if (auto seeked = player.lock()) seeked->setRate(1.0f);
    });
}

void KWAudioController::play() {
    updateAudioPlayerInternal();
    if (audioPlayer_) audioPlayer_->setRate(1.0f);
}

void KWAudioController::stop() {
    if (audioPlayer_) audioPlayer_->setRate(0.0f);
}
