#pragma once

// The small sheet with which the user records a voice-over while the movie
// plays in the frame editor. While it shows it is the clock of the editor's
// preview: during a take the movie's time is the time already recorded, and
// while listening it is the take's playing time, so the pictures keep step
// with the voice.
//
// "Record" starts a countdown ("Prepare for Recording", the recorder made a
// second later, "3", "2", "1") and after five seconds asks the delegate to
// start the preview, whose play() starts the recorder. "Stop" ends the take,
// "Play" listens to it against the moving pictures, "Accept" hands the file
// to the delegate, "Cancel" ends the sheet's use. The file is the temporary
// folder's "record-<creation time>.m4a"; the sheet removes it when it goes,
// so the delegate copies it while it is told of the acceptance.
//
// Each countdown step carries the number of its take, so the steps of a take
// that was stopped never act for a later one. A lost microphone or a full
// disk stops the take as "Stop" does, and the label says why; a take that
// could not be completed, or holds no sound, leaves no file and cannot be
// accepted.
//
// Main thread only.

#include "app/audio/PreviewPlayerDelegate.h"
#include "app/core/Frame.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/media/AudioRecorder.h"
#include "platform/media/Player.h"
#include "platform/ui/controllers/ViewController.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ui {
class BarButtonItem;
class Label;
class Slider;
class Toolbar;
}  // namespace ui

class AlertView;
class F3BarGauge;
class AudioRecorderViewController;

// Told of the sheet's events; not retained by the sheet.
class AudioRecorderViewDelegate {
public:
    virtual ~AudioRecorderViewDelegate() = default;
    virtual void audioRecorderDidStartRecording(AudioRecorderViewController& recorder) = 0;
    virtual void audioRecorderDidStopRecording(AudioRecorderViewController& recorder) = 0;
    virtual void audioRecorderDidCancelRecording(AudioRecorderViewController& recorder) = 0;
    virtual void audioRecorderDidStartPlayback(AudioRecorderViewController& recorder) = 0;
    virtual void audioRecorderDidStopPlayback(AudioRecorderViewController& recorder) = 0;
    // `file` is the full path of the take; it is removed with the sheet.
    virtual void audioRecorderDidAcceptRecording(AudioRecorderViewController& recorder, const std::string& file) = 0;
};

class AudioRecorderViewController : public ui::ViewController, public PreviewPlayerDelegate {
public:
    static inline const char* kNibName = "AudioRecorderViewController";
    static inline const char* kSliderThumbImage = "edit_record_db_knop.png";
    // The label after a take in which the microphone delivered no sound.
    static inline const char* kNothingRecordedText = "Nothing was recorded.";
    // The level meter's scale: this many decibels below full scale show empty.
    static constexpr float kMeterFloorDecibels = 40.0f;
    static constexpr double kCountdownStepSeconds = 1.0;
    static constexpr double kLevelUpdateSeconds = 0.1;
    // The step at which the recorder is made; step 0 starts the take.
    static constexpr int kFirstCountdownStep = 4;

    AudioRecorderViewController();
    ~AudioRecorderViewController() override;

    // ---- set up by the editor before the sheet shows -------------------------
    void setDelegate(AudioRecorderViewDelegate* delegate) { delegate_ = delegate; }
    AudioRecorderViewDelegate* delegate() const { return delegate_; }
    void setStartRecordingAtFrame(FramePtr frame) { startRecordingAtFrame_ = std::move(frame); }
    const FramePtr& startRecordingAtFrame() const { return startRecordingAtFrame_; }
    void setStartRecordingAtTimeIndex(int64_t timeIndex) { startRecordingAtTimeIndex_ = timeIndex; }
    int64_t startRecordingAtTimeIndex() const { return startRecordingAtTimeIndex_; }

    // ---- the clock of the editor's preview ------------------------------------
    int64_t getCurentTimeIndex() override;
    void setCurentTimeIndex(int64_t timeIndex) override;
    void play() override;
    // Does nothing: only the sheet's own buttons end a take.
    void stop() override;

    // ---- actions of the sheet's buttons ------------------------------------------
    void actionStartRecord();
    void actionAudioCancel();
    void actionPlay();
    void actionAccept();
    // Cancels the sheet as "Cancel" does, unless a take runs.
    void removeRecorderIfNotRecording();

    // ---- the steps behind them ------------------------------------------------------
    void initAudioRecorder();
    void startAudioRecorder();
    // Returns whether the recorder was recording (not only counting down).
    bool stopAudioRecorder();
    void initAudioPlayer();
    void playPreview();
    void stopPreview();
    void playerItemDidReachEnd();
    void audioRecordLevelsUpdateLoop();
    // One countdown step of take `take`: 4 makes the recorder, 3 to 1 show
    // their digit, 0 starts the take.
    void audioRecordTimerCounter(int step, uint64_t take);
    // Nothing to bring up to date: the take is the file.
    void updateAudioPlayer() {}

    // ---- state ---------------------------------------------------------------------
    const std::string& audioFile() const { return audioFile_; }
    bool isAudioRecording() const { return isAudioRecording_; }
    bool isAudioPlayback() const { return isAudioPlayback_; }
    const std::shared_ptr<media::AudioRecorder>& audioRecorder() const { return audioRecorder_; }
    const media::PlayerPtr& audioPlayer() const { return audioPlayer_; }
    // How many takes were started with "Record".
    uint64_t takeNumber() const { return takeNumber_; }

    // ---- outlets ---------------------------------------------------------------------
    ui::Label* labelAudioRecordInfo() const { return labelAudioRecordInfo_; }
    ui::Slider* sliderAudioRecordLevel() const { return sliderAudioRecordLevel_; }
    F3BarGauge* levelMeter() const { return levelMeter_; }
    ui::BarButtonItem* btnAudioStartRecord() const { return btnAudioStartRecord_.get(); }
    ui::BarButtonItem* btnAudioCancel() const { return btnAudioCancel_.get(); }
    ui::BarButtonItem* btnAudioAccept() const { return btnAudioAccept_.get(); }
    ui::BarButtonItem* btnAudioPlay() const { return btnAudioPlay_.get(); }

    // The sheet's size.
    static graphics::Size preferredSize() { return graphics::Size{320, 180}; }

    void loadView() override;
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override;

private:
    void askForRecordPermission();
    void showMicrophoneAlert();
    // The end of a take, by "Stop" or by a failure (`why`).
    void endTake(const std::optional<foundation::Error>& why);
    void recorderFailed(const foundation::Error& error);
    void removeEndObserver() { endObserver_.reset(); }

    std::string audioFile_;
    media::PlayerPtr audioPlayer_;
    bool isAudioPlayback_ = false;
    std::shared_ptr<media::AudioRecorder> audioRecorder_;
    bool isAudioRecording_ = false;
    AudioRecorderViewDelegate* delegate_ = nullptr;
    FramePtr startRecordingAtFrame_;
    int64_t startRecordingAtTimeIndex_ = 0;

    uint64_t takeNumber_ = 0;
    // Why the recorder stopped a take by itself; shown when the take ends.
    std::optional<foundation::Error> recorderFailure_;
    foundation::ObserverToken endObserver_;
    std::weak_ptr<AlertView> permissionAlert_;

    ui::Label* labelAudioRecordInfo_ = nullptr;
    ui::Slider* sliderAudioRecordLevel_ = nullptr;
    F3BarGauge* levelMeter_ = nullptr;
    ui::Toolbar* toolbar_ = nullptr;
    std::shared_ptr<ui::BarButtonItem> btnAudioStartRecord_;
    std::shared_ptr<ui::BarButtonItem> btnAudioCancel_;
    std::shared_ptr<ui::BarButtonItem> btnAudioAccept_;
    std::shared_ptr<ui::BarButtonItem> btnAudioPlay_;

    foundation::LifeToken life_;
};

// The label's text for a take the recorder stopped by itself.
std::string recordingStoppedText(const foundation::Error& error);
// Whether a finished take holds any sound: an audio track that lasts longer
// than nothing. A microphone that delivered no samples leaves a file of
// headers only, which is no clip.
bool recordingHoldsSound(const std::string& path);
// The level meter's value for a power in decibels: (power + 40) / 40.
float levelMeterValueForPower(float decibels);
