#pragma once

// The clip editor: edits the clip anchored at one frame. Two handles of a
// trim control over a picture of the clip's waveform choose the part of
// the file that plays, a slider sets the volume, the play button listens to
// the clip as the movie plays it, the trash button removes it and the close
// button ends editing. The frame editor learns the outcome from
// kDoneNotification and kRemoveClipNotification (object: this screen,
// userInfo {"FRAME": the frame}).
//
// The clip is the frame's own object and is changed in place; the editor
// saves after kDoneNotification. A clip of length 0 (an unreadable file)
// cannot be trimmed: the trim control shows but takes no touches.
//
// Main thread only; the waveform is drawn on a background queue.

#include "app/audio/RETrimControl.h"
#include "app/core/Frame.h"
#include "app/core/KWAudioClip.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/media/Player.h"
#include "platform/ui/controllers/ViewController.h"

#include <memory>
#include <string>

namespace ui {
class Button;
class ImageView;
class Slider;
}  // namespace ui

class KWAudioConfigurationViewController : public ui::ViewController, public RETrimControlDelegate {
public:
    static constexpr const char* kDoneNotification = "AudioControllerDoneNotification";
    static constexpr const char* kRemoveClipNotification = "AudioControllerRemoveClipNotification";
    static constexpr const char* kFrameKey = "FRAME";
    static constexpr double kTrimControlHeight = 75;
    static constexpr double kTrimControlOutset = 10;

    // The frame must carry a clip.
    KWAudioConfigurationViewController(FramePtr frame, ProjectModelPtr andProject);
    ~KWAudioConfigurationViewController() override;

    void actionDone();
    void actionTrash();
    void actionPlayButton();
    void actionSliderValueChanged();
    void trimControl(RETrimControl& trimControl, double didChangeLeftValue, double rightValue) override;
    void playerItemDidReachEnd();
    void prepareAudioPlayer();

    const std::shared_ptr<KWAudioClip>& audioClip() const { return audioClip_; }
    const media::PlayerPtr& audioPlayer() const { return audioPlayer_; }
    bool isListening() const { return audioPlayer_ && audioPlayer_->rate() != 0.0f; }
    const FramePtr& frame() const { return frame_; }
    const ProjectModelPtr& project() const { return project_; }

    ui::Slider* sliderVolume() const { return sliderVolume_; }
    ui::Button* btnPlay() const { return btnPlay_; }
    ui::Button* btnStop() const { return btnStop_; }
    ui::View* viewTrimm() const { return viewTrimm_; }
    RETrimControl* trimControlView() const { return trimControl_; }
    ui::ImageView* waveformView() const { return waveformView_; }

    // The waveform picture's size for the trim area's width on a screen of
    // this scale: twice as wide and 100 high at exactly 2, else 50 high.
    static graphics::Size waveformSize(double trimWidth, double screenScale);
    // The room the editor's clip panel leaves under its bar on a phone (202
    // less 44); every control lies within it.
    static graphics::Size preferredSize() { return graphics::Size{540, 158}; }

    void loadView() override;
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override;

private:
    void stopListening();
    void addWaveformAndTrimControl();
    void loadWaveform(const std::string& audioPath);
    void post(const char* name);

    std::shared_ptr<KWAudioClip> audioClip_;
    media::PlayerPtr audioPlayer_;
    ui::Slider* sliderVolume_ = nullptr;
    ui::Button* btnPlay_ = nullptr;
    ui::Button* btnStop_ = nullptr;
    ui::View* viewTrimm_ = nullptr;
    ProjectModelPtr project_;
    FramePtr frame_;

    RETrimControl* trimControl_ = nullptr;
    ui::ImageView* waveformView_ = nullptr;
    foundation::ObserverToken endObserver_;
    foundation::LifeToken life_;
};
