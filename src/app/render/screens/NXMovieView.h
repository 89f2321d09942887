#pragma once

// The full-screen player of a rendered movie: the picture between two
// theatre curtains that open when it appears and close when it is left,
// play and pause, rewind, backwards, fast forward, a loop switch, a
// scrubber with the elapsed and the remaining time, and controls that fade
// out after about four seconds of playing untouched. A mouse moved over the
// player counts as a touch: it brings the controls up and keeps them while
// it moves.
//
// Main thread only.

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Timer.h"
#include "platform/media/Player.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/gestures/GestureRecognizer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class AVPlayerDemoPlaybackView;
namespace ui {
class BarButtonItem;
class ImageView;
class Label;
class Slider;
class Toolbar;
}  // namespace ui

class NXMovieView : public ui::ViewController, private ui::GestureRecognizerDelegate {
public:
    static inline const char* kNibName = "NXMovieView";
    static inline const char* kPlayImage = "movieplayer_btn_play";
    static inline const char* kPlaySelectedImage = "movieplayer_btn_play_selected";
    static inline const char* kLoopImage = "movieplayer_btn_loop";
    static inline const char* kLoopSelectedImage = "movieplayer_btn_loop_selected";
    static inline const char* kCurtainImage = "movieplayer_curtain";
    static constexpr double kTimeObserverSeconds = 0.1;
    static constexpr double kLoopTimerSeconds = 1.0;
    static constexpr double kCurtainOpenSeconds = 2.0;
    static constexpr double kCurtainCloseSeconds = 1.0;
    static constexpr double kControlsFadeSeconds = 1.0;

    // With curtains unless told otherwise; loop on.
    NXMovieView(std::string nibName, std::string movieURL, bool showCurtains = true);
    ~NXMovieView() override;

    // "mm:ss" of whole minutes and whole seconds, each at least two digits.
    static std::string stringFromTime(float seconds);

    void setAVPlayerItem();
    void actionPlay();
    void actionReverse();
    void actionForward();
    void actionRewind();
    void actionLoop();
    void actionCurtain();
    void actionHome();
    void actionTouchOnScreen();
    void beginScrubbing();
    void scrub();
    void endScrubbing();
    void syncScrubber();
    void playerItemDidReachEnd();
    void openCurtain();
    void closeCurtain();
    void onLoopTimer();
    void addTimeObserverToPlayer();
    void removeTimeObserverFromPlayer();
    void done();
    // Escape leaves the player as Done does, also while the controls are faded out.
    bool keyCommand(const ui::KeyPress& press) override;
    // The mouse moving over the player: the controls come up (once the
    // curtains are open) and the wait before they hide starts again.
    bool pointerMoved(const ui::PointerMotion& motion) override;

    // ---- state and outlets (for tests) --------------------------------------------
    const std::string& movieURL() const { return movieURL_; }
    bool showCurtains() const { return showCurtains_; }
    bool isLoop() const { return isLoop_; }
    bool isCurtainOpen() const { return isCurtainOpen_; }
    const media::PlayerPtr& player() const { return mPlayer_; }
    // Why the movie cannot be played; none while it can.
    const std::optional<foundation::Error>& playerError() const { return playerError_; }
    int32_t noInteractionSinceSeconds() const { return noInteractionSinceSeconds_; }
    bool hasTimeObserver() const { return timeObserver_ != 0; }
    bool hasLoopTimer() const { return loopTimer_ != nullptr; }
    // The name of the picture the play button shows now.
    const std::string& playButtonImageName() const { return playImageName_; }
    const std::string& loopButtonImageName() const { return loopImageName_; }
    AVPlayerDemoPlaybackView* playbackView() const { return mPlaybackView_.get(); }
    ui::Slider* scrubber() const { return scrubber_.get(); }
    ui::Label* labelCurrent() const { return labelCurrent_.get(); }
    ui::Label* labelEnd() const { return labelEnd_.get(); }
    ui::BarButtonItem* btnPlayPause() const { return btnPlayPause_.get(); }
    ui::BarButtonItem* btnLoop() const { return btnLoop_.get(); }
    ui::BarButtonItem* btnRewind() const { return btnRewind_.get(); }
    ui::BarButtonItem* btnReverse() const { return btnReverse_.get(); }
    ui::BarButtonItem* btnForward() const { return btnForward_.get(); }
    ui::BarButtonItem* btnDone() const { return btnDone_.get(); }
    ui::ImageView* viewLandscapeCurtainLeft() const { return curtainLeft_.get(); }
    ui::ImageView* viewLandscapeCurtainRight() const { return curtainRight_.get(); }
    ui::View* viewLandscapeControls() const { return viewLandscapeControls_.get(); }

    void loadView() override;
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }

private:
    // A touch on a button or the scrubber works that control only.
    bool shouldReceiveTouch(ui::GestureRecognizer& recognizer, const ui::Touch& touch) override;
    void layOutControls();
    void setPlayButtonImage(const char* name);
    void setLoopButtonImage(const char* name);
    void showDuration();
    void fadeControls(double alpha);
    bool hasFiniteDuration() const;

    std::string movieURL_;
    bool showCurtains_ = true;
    bool isLoop_ = true;
    bool isCurtainOpen_ = false;
    media::PlayerPtr mPlayer_;
    std::optional<foundation::Error> playerError_;
    float playRateToRestore_ = 0;
    media::Player::TimeObserverToken timeObserver_ = 0;
    foundation::TimerHandle loopTimer_;
    int32_t noInteractionSinceSeconds_ = 0;
    foundation::ObserverToken endObserver_;
    std::string playImageName_;
    std::string loopImageName_;

    std::shared_ptr<AVPlayerDemoPlaybackView> mPlaybackView_;
    std::shared_ptr<ui::Slider> scrubber_;
    std::shared_ptr<ui::Label> labelCurrent_;
    std::shared_ptr<ui::Label> labelEnd_;
    std::shared_ptr<ui::BarButtonItem> btnPlayPause_;
    std::shared_ptr<ui::BarButtonItem> btnLoop_;
    std::shared_ptr<ui::BarButtonItem> btnRewind_;
    std::shared_ptr<ui::BarButtonItem> btnReverse_;
    std::shared_ptr<ui::BarButtonItem> btnForward_;
    std::shared_ptr<ui::BarButtonItem> btnDone_;
    std::shared_ptr<ui::ImageView> curtainLeft_;
    std::shared_ptr<ui::ImageView> curtainRight_;
    ui::ViewPtr viewLandscapeControls_;
    std::shared_ptr<ui::Toolbar> toolBar_;
    std::shared_ptr<ui::Toolbar> toolBarLower_;
    std::shared_ptr<ui::GestureRecognizer> touchOnScreen_;
};
