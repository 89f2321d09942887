#include "app/audio/KWAudioConfigurationViewController.h"

#include "app/audio/KWAudioMuxer.h"
#include "app/audio/KWAudioWaveformGenerator.h"
#include "app/audio/TrimGeometry.h"
#include "app/audio/WaveformCache.h"
#include "app/core/BundleImage.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/media/AudioMixReader.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/host/Device.h"

namespace {

constexpr double kMargin = 30;
constexpr double kTrimTop = 14;
// Between the trim area and the row of the volume slider and play button.
constexpr double kRowGap = 14;
constexpr double kButtonSize = 44;

graphics::Image glyph(bool play, graphics::Color color) {
    graphics::GraphicsContext context(graphics::Size{kButtonSize, kButtonSize}, 2.0);
    context.setFillColor(color);
    if (play) {
        graphics::Path triangle;
        triangle.moveTo(graphics::Point{14, 10});
        triangle.lineTo(graphics::Point{34, 22});
        triangle.lineTo(graphics::Point{14, 34});
        triangle.close();
        context.fillPath(triangle);
    } else {
        context.fillRect(graphics::Rect(13, 13, 18, 18));
    }
    return context.makeImage();
}

graphics::Image closeGlyph() {
    graphics::GraphicsContext context(graphics::Size{22, 22}, 2.0);
    context.setStrokeColor(graphics::Color::black());
    context.setLineWidth(2.5);
    context.strokeLine(graphics::Point{5, 5}, graphics::Point{17, 17});
    context.strokeLine(graphics::Point{17, 5}, graphics::Point{5, 17});
    return context.makeImage();
}

graphics::Image resourceOr(std::string_view name, graphics::Image fallback) {
    if (auto image = bundleImageNamed(name)) return *image;
    return fallback;
}

}  // namespace

KWAudioConfigurationViewController::KWAudioConfigurationViewController(FramePtr frame, ProjectModelPtr andProject)
    : ui::ViewController("KWAudioConfigurationViewController"),
      audioClip_(frame ? frame->getAudio() : nullptr),
      project_(std::move(andProject)),
      frame_(std::move(frame)) {}

KWAudioConfigurationViewController::~KWAudioConfigurationViewController() {
    endObserver_.reset();
    if (audioPlayer_) audioPlayer_->setRate(0);
}

void KWAudioConfigurationViewController::loadView() {
    const graphics::Size size = preferredSize();
    auto root = ui::makeView<ui::View>(graphics::Rect(0, 0, size.width, size.height));
    root->setBackgroundColor(graphics::Color::rgb8(245, 245, 247));

    auto trimArea =
        ui::makeView<ui::View>(graphics::Rect(kMargin, kTrimTop, size.width - 2 * kMargin, kTrimControlHeight));
    trimArea->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    viewTrimm_ = trimArea.get();
    root->addSubview(trimArea);

    const double controlsTop = kTrimTop + kTrimControlHeight + kRowGap;
    auto slider = ui::makeView<ui::Slider>(
        graphics::Rect(kMargin, controlsTop + 5, size.width - 2 * kMargin - kButtonSize - 20, 34));
    slider->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    sliderVolume_ = slider.get();
    root->addSubview(slider);

    auto makeButton = [&](bool play) {
        auto button = ui::makeView<ui::Button>(
            ui::ButtonType::Custom,
            graphics::Rect(size.width - kMargin - kButtonSize, controlsTop, kButtonSize, kButtonSize));
        button->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin);
        button->setImage(glyph(play, graphics::Color::rgb8(20, 77, 130)), ui::ControlStateNormal);
        return button;
    };
    auto play = makeButton(true);
    play->setImage(glyph(true, graphics::Color::rgb8(120, 160, 200)), ui::ControlStateSelected);
    btnPlay_ = play.get();
    root->addSubview(play);
    auto stop = makeButton(false);
    stop->setHidden(true);
    btnStop_ = stop.get();
    root->addSubview(stop);
    setView(root);
}

void KWAudioConfigurationViewController::viewDidLoad() {
    if (audioClip_) setTitle(audioClip_->name().value_or(""));
    auto weak = foundation::weakFrom(this);
    navigationItem().setLeftBarButtonItem(
        std::make_shared<ui::BarButtonItem>(resourceOr("theme_view_btn_close.png", closeGlyph()),
                                            ui::BarButtonItemStyle::Bordered, [weak](ui::BarButtonItem&) {
                                                if (auto self = weak.lock()) self->actionDone();
                                            }));
    navigationItem().setRightBarButtonItem(
        std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Trash, [weak](ui::BarButtonItem&) {
            if (auto self = weak.lock()) self->actionTrash();
        }));
    sliderVolume_->setValue(audioClip_ ? audioClip_->volume() : 0);
    sliderVolume_->addTarget(
        this, [this](ui::Control&) { actionSliderValueChanged(); }, ui::ControlEventValueChanged);
    for (ui::Button* button : {btnPlay_, btnStop_})
        button->addTarget(
            this, [this](ui::Control&) { actionPlayButton(); }, ui::ControlEventTouchUpInside);
}

void KWAudioConfigurationViewController::viewDidAppear(bool animated) {
    ui::ViewController::viewDidAppear(animated);
    // Appearing again (after a sheet above it closes) keeps the one
    // waveform and trim control it has.
    if (trimControl_ || !audioClip_) return;
    addWaveformAndTrimControl();
}

void KWAudioConfigurationViewController::addWaveformAndTrimControl() {
    auto waveform = ui::makeView<ui::ImageView>(viewTrimm_->bounds());
    waveform->setContentMode(ui::ContentMode::ScaleToFill);
    waveform->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    waveformView_ = waveform.get();
    viewTrimm_->addSubview(waveform);
    viewTrimm_->setClipsToBounds(true);
    viewTrimm_->layer().setCornerRadius(5);
    viewTrimm_->layer().setBorderWidth(1);
    viewTrimm_->layer().setBorderColor(graphics::Color::darkGray());
    if (auto tile = bundleImageNamed("audiowave_bg"))
        viewTrimm_->setBackgroundColor(graphics::Color::pattern(*tile));
    else
        viewTrimm_->setBackgroundColor(graphics::Color::rgb8(226, 232, 240));

    const graphics::Rect area = viewTrimm_->frame();
    const auto length = static_cast<float>(audioClip_->duration() / 1000.0);
    auto control =
        std::make_shared<RETrimControl>(graphics::Rect(area.origin.x - kTrimControlOutset, area.origin.y,
                                                       area.size.width + 2 * kTrimControlOutset, kTrimControlHeight),
                                        length, length, static_cast<float>(audioClip_->start() / 1000.0),
                                        static_cast<float>(audioClip_->stop() / 1000.0));
    control->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    control->setDelegate(this);
    // Nothing to trim in an empty clip; the handles rest at the start.
    if (audioClip_->duration() <= 0) control->setAlpha(0.5);
    trimControl_ = control.get();
    view()->addSubview(control);

    const auto projectPath = project_->getProjectPath();
    const auto fileName = audioClip_->fileName();
    if (projectPath && fileName && !fileName->empty())
        loadWaveform(foundation::path::appending(*projectPath, *fileName));
}

graphics::Size KWAudioConfigurationViewController::waveformSize(double trimWidth, double screenScale) {
    if (screenScale == 2.0) return graphics::Size{trimWidth * 2, 100};
    return graphics::Size{trimWidth, 50};
}

void KWAudioConfigurationViewController::loadWaveform(const std::string& audioPath) {
    const std::string cachePath = waveformcache::pathForClip(*project_->getProjectPath(), *audioClip_->fileName());
    if (auto cached = waveformcache::load(cachePath, audioPath)) {
        waveformView_->setImage(*cached);
        return;
    }
    const graphics::Size size = waveformSize(viewTrimm_->bounds().size.width, ui::Device::current().screenScale());
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::global(foundation::QueuePriority::Background).async([weak, audioPath, cachePath, size] {
        auto image = KWAudioWaveformGenerator::renderPNGAudioPictogramForAssett(audioPath, size);
        if (!image) return;
        // A failed write only means drawing again next time.
        (void)waveformcache::store(cachePath, audioPath, *image);
        foundation::DispatchQueue::main().async([weak, image = *image] {
            auto self = weak.lock();
            if (self && self->waveformView_) self->waveformView_->setImage(image);
        });
    });
}

void KWAudioConfigurationViewController::trimControl(RETrimControl&, double didChangeLeftValue, double rightValue) {
    if (isListening()) stopListening();
    if (!audioClip_ || audioClip_->duration() <= 0) return;
    audioClip_->setStart(trim::millisecondsForSeconds(didChangeLeftValue));
    audioClip_->setStop(trim::millisecondsForSeconds(rightValue));
}

void KWAudioConfigurationViewController::actionSliderValueChanged() {
    if (isListening()) stopListening();
    if (audioClip_) audioClip_->setVolume(static_cast<float>(sliderVolume_->value()));
}

void KWAudioConfigurationViewController::actionPlayButton() {
    if (isListening()) {
        stopListening();
        return;
    }
    prepareAudioPlayer();
    if (!audioPlayer_) return;
    btnPlay_->setSelected(true);
    btnStop_->setHidden(false);
    auto weak = foundation::weakFrom(this);
    endObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
        media::Player::kDidPlayToEndTimeNotification, audioPlayer_.get(), [weak](const foundation::Notification&) {
            if (auto self = weak.lock()) self->playerItemDidReachEnd();
        });
    audioPlayer_->setRate(1.0f);
}

void KWAudioConfigurationViewController::stopListening() {
    if (audioPlayer_) audioPlayer_->setRate(0);
    endObserver_.reset();
    btnPlay_->setSelected(false);
    btnStop_->setHidden(true);
}

void KWAudioConfigurationViewController::prepareAudioPlayer() {
    if (!audioClip_) return;
    audioClip_->setTimeIndexInAudioTrack(0);
    media::CompositionPtr composition;
    media::AudioMixPtr mix;
    KWAudioMuxer(project_).prepareAVMutableComposition(composition, mix, {audioClip_});
    audioPlayer_ = media::Player::create(std::make_shared<media::AudioMixReader>(*composition, mix.get()));
}

void KWAudioConfigurationViewController::playerItemDidReachEnd() {
    endObserver_.reset();
    btnPlay_->setSelected(false);
    btnStop_->setHidden(true);
}

void KWAudioConfigurationViewController::actionTrash() {
    if (isListening()) stopListening();
    if (frame_) frame_->setAudio(nullptr);
    post(kRemoveClipNotification);
}

void KWAudioConfigurationViewController::actionDone() {
    endObserver_.reset();
    if (audioPlayer_) audioPlayer_->setRate(0);
    post(kDoneNotification);
}

void KWAudioConfigurationViewController::post(const char* name) {
    foundation::Dictionary info;
    info.set(kFrameKey, foundation::Value::object(frame_));
    foundation::NotificationCenter::defaultCenter().post(name, this, info);
}

unsigned KWAudioConfigurationViewController::supportedInterfaceOrientations() const {
    return ui::OrientationMaskLandscape;
}
