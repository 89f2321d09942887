// The sheet itself: its views, the microphone permission and its buttons.
// The takes (countdown, recorder, listening and the clock) are in
// AudioRecorderTakes.cpp.

#include "app/audio/AudioRecorderViewController.h"

#include "app/audio/F3BarGauge.h"
#include "app/core/BundleImage.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/DateFormat.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/media/Asset.h"
#include "platform/media/AudioSession.h"
#include "platform/media/MediaError.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

using foundation::localized;

namespace {

constexpr double kMargin = 12;
constexpr double kToolbarHeight = 44;

// The item's width becomes that of the widest of the titles.
void keepWidestTitle(ui::BarButtonItem& item, std::initializer_list<const char*> titles) {
    double widest = 0;
    for (const char* title : titles)
        widest = std::max(widest, ui::BarButtonItem(localized(title), item.style(), nullptr).preferredWidth());
    item.setWidth(widest);
}

}  // namespace

std::string recordingStoppedText(const foundation::Error& error) {
    if (error.domain == media::kMediaErrorDomain && error.code == media::kMediaErrorDiskFull)
        return localized("Recording stopped: the disk is full.");
    if (error.domain == media::kMediaErrorDomain &&
        (error.code == media::kMediaErrorDeviceWasDisconnected || error.code == media::kMediaErrorDeviceNotConnected))
        return localized("Recording stopped: the microphone was disconnected.");
    return localized("Recording stopped: the recording could not be written.");
}

bool recordingHoldsSound(const std::string& path) {
    auto asset = media::Asset::open(path);
    if (!asset || asset->tracksWithMediaType(media::MediaType::Audio).empty()) return false;
    const media::MediaTime duration = asset->duration();
    return duration.isValid() && duration.value > 0;
}

float levelMeterValueForPower(float decibels) {
    return (decibels + AudioRecorderViewController::kMeterFloorDecibels) /
           AudioRecorderViewController::kMeterFloorDecibels;
}

AudioRecorderViewController::AudioRecorderViewController() {
    const std::string name =
        "record-" + foundation::formatDate(foundation::Date::now(), "yyyy-MM-dd-HH-mm-ss") + ".m4a";
    audioFile_ = foundation::path::appending(foundation::Paths::temporaryDirectory(), name);
}

AudioRecorderViewController::~AudioRecorderViewController() {
    life_.revoke();
    removeEndObserver();
    if (audioRecorder_) {
        audioRecorder_->didFinishRecording = nullptr;
        audioRecorder_->encodeErrorDidOccur = nullptr;
    }
    audioRecorder_.reset();
    audioPlayer_.reset();
    if (auto alert = permissionAlert_.lock()) alert->dismissWithClickedButtonIndex(0, false);
    // The delegate has copied an accepted take; errors do not matter here.
    ::unlink(audioFile_.c_str());
}

void AudioRecorderViewController::loadView() {
    const graphics::Size size = preferredSize();
    auto root = ui::makeView<ui::View>(graphics::Rect(0, 0, size.width, size.height));
    root->setBackgroundColor(graphics::Color::rgb8(38, 40, 44));

    auto label = ui::makeView<ui::Label>(graphics::Rect(kMargin, kMargin, size.width - 2 * kMargin, 28));
    label->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    label->setTextColor(graphics::Color::white());
    label->setFont(graphics::Font::boldSystemFont(17));
    label->setTextAlignment(graphics::TextAlignment::Center);
    labelAudioRecordInfo_ = label.get();
    root->addSubview(label);

    auto meter = ui::makeView<F3BarGauge>(graphics::Rect(kMargin, 52, size.width - 2 * kMargin, 23));
    meter->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    levelMeter_ = meter.get();
    root->addSubview(meter);

    auto slider = ui::makeView<ui::Slider>(graphics::Rect(kMargin, 86, size.width - 2 * kMargin, 34));
    slider->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    slider->setUserInteractionEnabled(false);
    sliderAudioRecordLevel_ = slider.get();
    root->addSubview(slider);

    auto toolbar =
        ui::makeView<ui::Toolbar>(graphics::Rect(0, size.height - kToolbarHeight, size.width, kToolbarHeight));
    toolbar->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleTopMargin);
    toolbar_ = toolbar.get();
    root->addSubview(toolbar);
    setView(root);
}

void AudioRecorderViewController::viewDidLoad() {
    sliderAudioRecordLevel_->setThumbImage(bundleImageNamed(kSliderThumbImage));
    labelAudioRecordInfo_->setText(localized("Ready to Record"));

    auto life = life_.observer();
    auto item = [this, life](const char* title, ui::BarButtonItemStyle style,
                             void (AudioRecorderViewController::*action)()) {
        return std::make_shared<ui::BarButtonItem>(localized(title), style, [this, life, action](ui::BarButtonItem&) {
            if (life) (this->*action)();
        });
    };
    btnAudioStartRecord_ =
        item("Record", ui::BarButtonItemStyle::Bordered, &AudioRecorderViewController::actionStartRecord);
    btnAudioCancel_ = item("Cancel", ui::BarButtonItemStyle::Bordered, &AudioRecorderViewController::actionAudioCancel);
    btnAudioAccept_ = item("Accept", ui::BarButtonItemStyle::Done, &AudioRecorderViewController::actionAccept);
    btnAudioPlay_ = item("Play", ui::BarButtonItemStyle::Bordered, &AudioRecorderViewController::actionPlay);
    // Recording waits for the microphone permission; there is no take to
    // accept or play yet.
    btnAudioStartRecord_->setEnabled(false);
    btnAudioAccept_->setEnabled(false);
    btnAudioPlay_->setEnabled(false);
    auto space = [] { return std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::FlexibleSpace, nullptr); };
    // Record and Play read "Stop" by turns: each keeps the width of its
    // wider title, so the bar does not shift, and the sheet widens when the
    // buttons need more room than it has.
    keepWidestTitle(*btnAudioStartRecord_, {"Record", "Stop"});
    keepWidestTitle(*btnAudioPlay_, {"Play", "Stop"});
    toolbar_->setItems({btnAudioStartRecord_, space(), btnAudioPlay_, space(), btnAudioCancel_, btnAudioAccept_});
    if (const double needed = std::ceil(toolbar_->fittingWidth()); needed > view()->frame().width()) {
        graphics::Rect frame = view()->frame();
        frame.size.width = needed;
        view()->setFrame(frame);
    }

    levelMeter_->setNumBars(30);
    levelMeter_->setLitEffect(false);
    levelMeter_->setHoldPeak(true);
    levelMeter_->setOuterBorderColor(graphics::Color::clear());
    levelMeter_->setInnerBorderColor(graphics::Color::clear());
    levelMeter_->setBackgroundColor(graphics::Color::clear());
    levelMeter_->setNormalBarColor(graphics::Color::rgb(46 / 255.0, 204 / 255.0, 113 / 255.0, 1.0));
    levelMeter_->setWarningBarColor(graphics::Color::rgb(202 / 255.0, 204 / 255.0, 46 / 255.0, 1.0));
    levelMeter_->setDangerBarColor(graphics::Color::rgb(142 / 255.0, 68 / 255.0, 173 / 255.0, 1.0));
}

void AudioRecorderViewController::viewDidAppear(bool animated) {
    ui::ViewController::viewDidAppear(animated);
    askForRecordPermission();
}

unsigned AudioRecorderViewController::supportedInterfaceOrientations() const { return ui::OrientationMaskPortrait; }

void AudioRecorderViewController::askForRecordPermission() {
    media::AudioSession::sharedInstance().requestRecordPermission(life_.guard([this](bool granted) {
        if (granted) {
            // A take under way keeps "Stop" as it is.
            if (!isAudioPlayback_ && btnAudioStartRecord_) btnAudioStartRecord_->setEnabled(true);
            return;
        }
        showMicrophoneAlert();
    }));
}

void AudioRecorderViewController::showMicrophoneAlert() {
    if (!permissionAlert_.expired()) return;
    // A shown alert keeps itself until it is dismissed.
    auto alert = AlertView::create(localized("Error"), localized("AUDIOREORDER_MICROPHONE_ACCESS_HELP"));
    alert->addButtonWithTitle(localized("Dismiss"), life_.guard([this](AlertView&, int) { actionAudioCancel(); }));
    alert->show();
    permissionAlert_ = alert;
}

void AudioRecorderViewController::removeRecorderIfNotRecording() {
    if (!isAudioRecording_) actionAudioCancel();
}

void AudioRecorderViewController::actionPlay() { playPreview(); }

void AudioRecorderViewController::actionAccept() {
    if (delegate_) delegate_->audioRecorderDidAcceptRecording(*this, audioFile_);
}

void AudioRecorderViewController::actionAudioCancel() {
    if (isAudioRecording_) {
        stopAudioRecorder();
        isAudioRecording_ = false;
    }
    removeEndObserver();
    if (audioPlayer_) audioPlayer_->setRate(0);
    audioPlayer_.reset();
    isAudioPlayback_ = false;
    audioRecorder_.reset();
    if (delegate_) delegate_->audioRecorderDidCancelRecording(*this);
}
