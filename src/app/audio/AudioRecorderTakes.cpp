// The takes of the voice-over sheet: the countdown, the recorder and its
// level loop, listening, and the clock the editor's preview reads.

#include "app/audio/AudioRecorderViewController.h"
#include "app/audio/F3BarGauge.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/TemporaryClaim.h"
#include "platform/media/AudioSession.h"
#include "platform/media/MediaTime.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Label.h"

#include <cmath>
#include <filesystem>
#include <unistd.h>

using foundation::localized;

namespace {

// Seconds as whole milliseconds, cut toward zero.
int64_t wholeMilliseconds(double seconds) { return int64_t(std::trunc(seconds * 1000.0)); }

const char* kCountdownKey = "countdown";
const char* kLevelsKey = "levels";

}  // namespace

// ---------------------------------------------------------------- the clock

int64_t AudioRecorderViewController::getCurentTimeIndex() {
    int64_t elapsed = 0;
    if (isAudioRecording_ && audioRecorder_) elapsed = wholeMilliseconds(audioRecorder_->currentTime());
    if (isAudioPlayback_ && audioPlayer_) elapsed = wholeMilliseconds(audioPlayer_->currentTimeSeconds());
    return startRecordingAtTimeIndex_ + elapsed;
}

void AudioRecorderViewController::setCurentTimeIndex(int64_t timeIndex) {
    if (audioPlayer_) audioPlayer_->seekToTime(media::MediaTime::make(timeIndex - startRecordingAtTimeIndex_, 1000));
}

void AudioRecorderViewController::play() {
    if (isAudioRecording_ && audioRecorder_) {
        labelAudioRecordInfo_->setText(localized("Recording"));
        startAudioRecorder();
    } else if (isAudioPlayback_ && audioPlayer_) {
        audioPlayer_->setRate(1.0f);
    }
}

void AudioRecorderViewController::stop() {}

// ---------------------------------------------------------------- recording

void AudioRecorderViewController::actionStartRecord() {
    if (isAudioRecording_) {
        endTake(std::nullopt);
        return;
    }
    isAudioRecording_ = true;
    ++takeNumber_;
    recorderFailure_.reset();
    // A new take replaces the last one: its player and recorder go, and so
    // does its file, so a take that fails leaves nothing stale to accept.
    removeEndObserver();
    audioPlayer_.reset();
    isAudioPlayback_ = false;
    audioRecorder_.reset();
    ::unlink(audioFile_.c_str());
    life_.cancelPerforms(kLevelsKey);

    btnAudioStartRecord_->setTitle(localized("Stop"));
    btnAudioAccept_->setEnabled(false);
    btnAudioPlay_->setEnabled(false);
    labelAudioRecordInfo_->setText(localized("Prepare for Recording"));
    const uint64_t take = takeNumber_;
    life_.performAfter(
        kCountdownStepSeconds, [this, take] { audioRecordTimerCounter(kFirstCountdownStep, take); }, kCountdownKey);
}

void AudioRecorderViewController::audioRecordTimerCounter(int step, uint64_t take) {
    // A step of a take that was stopped or cancelled ends its countdown, also
    // when a later take runs by now.
    if (!isAudioRecording_ || take != takeNumber_) return;
    if (step == kFirstCountdownStep) {
        initAudioRecorder();
        if (!isAudioRecording_) return;  // the recorder could not be made
    } else if (step > 0) {
        labelAudioRecordInfo_->setText(std::to_string(step));
    } else {
        if (delegate_) delegate_->audioRecorderDidStartRecording(*this);
        return;
    }
    life_.performAfter(
        kCountdownStepSeconds, [this, step, take] { audioRecordTimerCounter(step - 1, take); }, kCountdownKey);
}

void AudioRecorderViewController::initAudioRecorder() {
    auto& session = media::AudioSession::sharedInstance();
    (void)session.setActive(true);
    (void)session.setCategory(media::AudioSession::Category::Record);
    // What a recording killed midway left in the folder goes before the next.
    (void)foundation::removeAbandonedTemporaries(foundation::path::deletingLastComponent(audioFile_));
    auto recorder = media::AudioRecorder::create(audioFile_, media::AudioRecorderSettings{});
    if (!recorder) {
        recorderFailed(recorder.error());
        return;
    }
    audioRecorder_ = *recorder;
    auto life = life_.observer();
    audioRecorder_->encodeErrorDidOccur = [this, life](media::AudioRecorder&, const foundation::Error& error) {
        if (life) recorderFailure_ = error;
    };
    audioRecorder_->didFinishRecording = [this, life](media::AudioRecorder&, bool) {
        // A take the recorder ended by itself ends as with "Stop"; after
        // "Stop" the flag is already clear.
        if (life && isAudioRecording_ && recorderFailure_) endTake(recorderFailure_);
    };
    if (!audioRecorder_->prepareToRecord()) {
        recorderFailed(audioRecorder_->lastError().value_or(foundation::Error()));
        return;
    }
    audioRecorder_->setMeteringEnabled(true);
    life_.cancelPerforms(kLevelsKey);
    audioRecordLevelsUpdateLoop();
}

void AudioRecorderViewController::recorderFailed(const foundation::Error& error) {
    recorderFailure_ = error;
    endTake(recorderFailure_);
}

void AudioRecorderViewController::startAudioRecorder() {
    if (!audioRecorder_ || audioRecorder_->isRecording()) return;
    if (!audioRecorder_->record()) recorderFailed(audioRecorder_->lastError().value_or(foundation::Error()));
}

bool AudioRecorderViewController::stopAudioRecorder() {
    const bool wasRecording = audioRecorder_ && audioRecorder_->isRecording();
    // Cleared first: the recorder's finish handler must see a stop by the
    // sheet, not a failure.
    isAudioRecording_ = false;
    if (audioRecorder_) audioRecorder_->stop();
    (void)media::AudioSession::sharedInstance().setCategory(media::AudioSession::Category::SoloAmbient);
    return wasRecording;
}

void AudioRecorderViewController::endTake(const std::optional<foundation::Error>& why) {
    life_.cancelPerforms(kCountdownKey);
    if (delegate_) delegate_->audioRecorderDidStopRecording(*this);
    const bool wasRecording = stopAudioRecorder();
    const std::optional<foundation::Error> failure = why ? why : recorderFailure_;
    // Only a take that recorded and left its file can be accepted or played;
    // a take stopped in its countdown has none. A file without sound (the
    // microphone delivered nothing) goes: it would become a clip of 0:00.
    bool usable = (wasRecording || failure.has_value()) && std::filesystem::exists(audioFile_);
    const bool silentTake = usable && !recordingHoldsSound(audioFile_);
    if (silentTake) {
        ::unlink(audioFile_.c_str());
        usable = false;
    }
    if (failure)
        labelAudioRecordInfo_->setText(recordingStoppedText(*failure));
    else
        labelAudioRecordInfo_->setText(localized(silentTake ? kNothingRecordedText : "Ready to Record"));
    btnAudioStartRecord_->setTitle(localized("Record"));
    btnAudioAccept_->setEnabled(usable);
    btnAudioPlay_->setEnabled(usable);
}

void AudioRecorderViewController::audioRecordLevelsUpdateLoop() {
    if (!audioRecorder_) return;
    audioRecorder_->updateMeters();
    levelMeter_->setValue(levelMeterValueForPower(audioRecorder_->averagePowerForChannel(0)));
    life_.performAfter(
        kLevelUpdateSeconds, [this] { audioRecordLevelsUpdateLoop(); }, kLevelsKey);
}

// ---------------------------------------------------------------- listening

void AudioRecorderViewController::initAudioPlayer() {
    auto player = media::Player::create(audioFile_);
    if (player) audioPlayer_ = *player;
}

void AudioRecorderViewController::playPreview() {
    if (!audioPlayer_) initAudioPlayer();
    if (!audioPlayer_) return;
    if (audioPlayer_->rate() != 0) {
        stopPreview();
        return;
    }
    isAudioPlayback_ = true;
    if (delegate_) delegate_->audioRecorderDidStartPlayback(*this);
    btnAudioPlay_->setTitle(localized("Stop"));
    btnAudioAccept_->setEnabled(false);
    btnAudioStartRecord_->setEnabled(false);
    auto life = life_.observer();
    endObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
        media::Player::kDidPlayToEndTimeNotification, audioPlayer_.get(),
        [this, life](const foundation::Notification&) {
            if (life) playerItemDidReachEnd();
        });
}

void AudioRecorderViewController::playerItemDidReachEnd() {
    removeEndObserver();
    stopPreview();
}

void AudioRecorderViewController::stopPreview() {
    if (audioPlayer_) audioPlayer_->setRate(0);
    removeEndObserver();
    // Listening is over: the clock is the recorder's again for the next take.
    isAudioPlayback_ = false;
    btnAudioPlay_->setTitle(localized("Play"));
    btnAudioAccept_->setEnabled(true);
    btnAudioStartRecord_->setEnabled(true);
    if (delegate_) delegate_->audioRecorderDidStopPlayback(*this);
}
