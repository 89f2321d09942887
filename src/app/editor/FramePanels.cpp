#include "app/editor/FramePanels.h"

#include "app/audio/KWAudioHelper.h"
#include "app/editor/FrameEditorModel.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/views/AccentColor.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/controls/Switch.h"

#include <algorithm>
#include <cmath>

using graphics::Rect;

namespace {

const graphics::Font kPanelFont("HelveticaNeue-Light", 15);

// A control action that calls `method` on the panel while it is alive.
template <class Panel>
ui::Control::Action actionOf(Panel* panel, void (Panel::*method)()) {
    return [weak = foundation::weakFrom(panel), method](ui::Control&) {
        if (auto self = weak.lock()) ((*self).*method)();
    };
}

std::shared_ptr<ui::Label> makeLabel(const Rect& frame, double size) {
    auto label = ui::makeView<ui::Label>(frame);
    label->setFont(kPanelFont.withSize(size));
    label->setTextColor(graphics::Color::black());
    label->setBackgroundColor(std::nullopt);
    return label;
}

std::shared_ptr<ui::Button> makeStepButton(const Rect& frame, const char* title) {
    auto button = std::make_shared<ui::Button>(ui::ButtonType::System, frame);
    button->setTitle(std::string(title), ui::ControlStateNormal);
    button->setTitleColor(kAccentColor, ui::ControlStateNormal);
    button->setTitleColor(graphics::Color::lightGray(), ui::ControlStateDisabled);
    button->titleLabel()->setFont(graphics::Font::boldSystemFont(24));
    return button;
}

std::shared_ptr<ui::Slider> makeSlider(const Rect& frame, double minimum, double maximum) {
    auto slider = ui::makeView<ui::Slider>(frame);
    slider->setMinimumValue(minimum);
    slider->setMaximumValue(maximum);
    slider->setMinimumTrackTintColor(kAccentColor);
    return slider;
}

}  // namespace

namespace framepanels {

std::string getFormatedDuration(int32_t seconds) {
    const int64_t s = std::max<int32_t>(seconds, 0);
    const int64_t hours = (s / 3600) % 24;
    const int64_t minutes = (s / 60) % 60;
    const int64_t rest = s % 60;
    if (hours != 0) return foundation::format("%.2d:%.2d:%.2d", {hours, minutes, rest});
    return foundation::format("%.2d:%.2d", {minutes, rest});
}

int32_t durationSeconds(int64_t entries, float fps) {
    if (!(fps > 0)) return 0;
    const float seconds = static_cast<float>(entries) / fps;
    if (!(seconds < 2147483647.0f)) return INT32_MAX;
    return static_cast<int32_t>(seconds);
}

std::string speedText(int64_t entries, float fps) {
    return foundation::format("%@ %@ %d FPS", {getFormatedDuration(durationSeconds(entries, fps)),
                                               foundation::localized("at"), static_cast<int64_t>(fps)});
}

std::string holdText(double sliderValue) {
    const auto holds = static_cast<int64_t>(sliderValue);
    return foundation::localizedFormat(holds == 1 ? "Hold %d time" : "Hold %d times", {holds});
}

double wholeSliderValue(double value) { return std::round(value); }

foundation::Status storeSpeed(ProjectModel& project, float fps) {
    auto meta = project.getMetaData();
    if (!meta) {
        return foundation::Status(
            project.metaDataLoadError().value_or(foundation::Error("FrameEditor", 0, "The project cannot be read.")));
    }
    meta->set(projectkeys::kFPS, foundation::Value::real(static_cast<double>(fps)));
    meta->set(projectkeys::kNeedsRendering, true);
    return project.saveMetaDataToDisk();
}

void reportSaveFailure(ProjectModel& project, const foundation::Status& status) {
    if (status) return;
    auto alert = AlertView::create("", frameeditor::saveFailureMessage(project, status.error()));
    alert->addButtonWithTitle(foundation::localized("OK"), {});
    alert->show();
}

}  // namespace framepanels

// ---- hold ---------------------------------------------------------------------------------------

DuplicateFramesView::DuplicateFramesView(FramePtr frame, ProjectModelPtr project)
    : ui::ViewController("DuplicateFramesView"), frame_(std::move(frame)), project_(std::move(project)) {
    preferredContentSize = {320, 115};
}

void DuplicateFramesView::loadView() {
    auto root = ui::makeView<ui::View>(Rect{{0, 0}, preferredContentSize});
    root->setBackgroundColor(std::nullopt);
    infoLabel_ = makeLabel(Rect(12, 4, 296, 24), 17);
    infoLabel_->setTextAlignment(graphics::TextAlignment::Center);
    btnMinus_ = makeStepButton(Rect(6, 30, 36, 36), "-");
    sliderTimer_ = makeSlider(Rect(46, 33, 228, 30), kMinimumHold, kMaximumHold);
    btnPlus_ = makeStepButton(Rect(278, 30, 36, 36), "+");
    labelAudioTitle_ = makeLabel(Rect(12, 72, 236, 36), 13);
    labelAudioTitle_->setNumberOfLines(2);
    switchAudioPause_ =
        ui::makeView<ui::Switch>(Rect(308 - ui::Switch::kWidth, 75, ui::Switch::kWidth, ui::Switch::kHeight));
    switchAudioPause_->setOnTintColor(kAccentColor);
    for (const ui::ViewPtr& view :
         std::vector<ui::ViewPtr>{infoLabel_, btnMinus_, sliderTimer_, btnPlus_, labelAudioTitle_, switchAudioPause_})
        root->addSubview(view);
    setView(root);
}

void DuplicateFramesView::viewDidLoad() {
    sliderTimer_->addTarget(this, actionOf(this, &DuplicateFramesView::actionSliderValueChanged),
                            ui::ControlEventValueChanged);
    btnPlus_->addTarget(this, actionOf(this, &DuplicateFramesView::actionPlus), ui::ControlEventTouchUpInside);
    btnMinus_->addTarget(this, actionOf(this, &DuplicateFramesView::actionMinus), ui::ControlEventTouchUpInside);
    switchAudioPause_->addTarget(this, actionOf(this, &DuplicateFramesView::actionHoldForAudioClip),
                                 ui::ControlEventValueChanged);

    infoLabel_->setText(foundation::localized("Hold"));
    labelAudioTitle_->setText(foundation::localized("Pause frame for audio clip length"));
    if (!frame_) return;
    const double hold = static_cast<double>(frame_->getDuration());
    widenSliderFor(hold);
    sliderTimer_->setValue(hold);
    if (frame_->getAudio()) {
        switchAudioPause_->setEnabled(true);
        switchAudioPause_->setOn(frame_->isFramePausedForDurationOfAudio());
        enableManual(!switchAudioPause_->isOn());
    } else {
        switchAudioPause_->setOn(false);
        switchAudioPause_->setEnabled(false);
        enableManual(true);
    }
    updateLabels();
}

void DuplicateFramesView::widenSliderFor(double hold) {
    if (hold > sliderTimer_->maximumValue()) sliderTimer_->setMaximumValue(hold);
}

void DuplicateFramesView::enableManual(bool enabled) {
    sliderTimer_->setEnabled(enabled);
    btnPlus_->setEnabled(enabled);
    btnMinus_->setEnabled(enabled);
}

void DuplicateFramesView::updateLabels() {
    infoLabel_->setText(framepanels::holdText(sliderTimer_->value()));
    if (frame_) frame_->setDuration(static_cast<int64_t>(sliderTimer_->value()));
}

void DuplicateFramesView::actionSliderValueChanged() { updateLabels(); }

void DuplicateFramesView::actionPlus() {
    sliderTimer_->setValue(sliderTimer_->value() + 1.0);
    updateLabels();
}

void DuplicateFramesView::actionMinus() {
    sliderTimer_->setValue(sliderTimer_->value() - 1.0);
    updateLabels();
}

void DuplicateFramesView::actionHoldForAudioClip() {
    const bool on = switchAudioPause_->isOn();
    enableManual(!on);
    if (!frame_) return;
    frame_->setIsFramePausedForDurationOfAudio(on);
    if (!on) return;
    const int64_t hold = KWAudioHelper::calculateHoldForFrameBasedOnAudio(frame_, project_);
    if (hold == -1) return;
    widenSliderFor(static_cast<double>(hold));
    sliderTimer_->setValue(static_cast<double>(hold));
    updateLabels();
}

// ---- speed --------------------------------------------------------------------------------------

SpeedViewController::SpeedViewController(ProjectModelPtr project)
    : ui::ViewController("SpeedViewController"), project_(std::move(project)) {
    preferredContentSize = {360, 74};
}

void SpeedViewController::loadView() {
    auto root = ui::makeView<ui::View>(Rect{{0, 0}, preferredContentSize});
    root->setBackgroundColor(std::nullopt);
    const double w = preferredContentSize.width;
    labelTitle_ = makeLabel(Rect(12, 2, w - 24, 20), 14);
    btnMinus_ = makeStepButton(Rect(8, 22, 30, 30), "-");
    sliderSpeed_ = makeSlider(Rect(40, 22, w - 80, 30), kMinimumFPS, kMaximumFPS);
    btnPlus_ = makeStepButton(Rect(w - 38, 22, 30, 30), "+");
    labelValue_ = makeLabel(Rect(12, 52, w - 24, 20), 13);
    labelValue_->setTextAlignment(graphics::TextAlignment::Right);
    for (const ui::ViewPtr& view :
         std::vector<ui::ViewPtr>{labelTitle_, btnMinus_, sliderSpeed_, btnPlus_, labelValue_})
        root->addSubview(view);
    setView(root);
}

void SpeedViewController::viewDidLoad() {
    sliderSpeed_->addTarget(this, actionOf(this, &SpeedViewController::actionValueChanged),
                            ui::ControlEventValueChanged);
    btnPlus_->addTarget(this, actionOf(this, &SpeedViewController::actionPlus), ui::ControlEventTouchUpInside);
    btnMinus_->addTarget(this, actionOf(this, &SpeedViewController::actionMinus), ui::ControlEventTouchUpInside);

    labelTitle_->setText(foundation::localized("Movie Speed (frames/sec.)"));
    // A stored speed that is not a number reads as the project's own rate;
    // one above the slider's range widens it rather than being cut down.
    double fps = static_cast<double>(project_->getFPS());
    if (auto meta = project_->getMetaData()) {
        const foundation::Value& stored = meta->get(projectkeys::kFPS);
        if (stored.isNumber() && std::isfinite(stored.asDouble())) fps = stored.asDouble();
    }
    if (fps > sliderSpeed_->maximumValue()) sliderSpeed_->setMaximumValue(std::floor(fps));
    sliderSpeed_->setValue(fps);
    updateValues();
}

void SpeedViewController::updateValues() {
    const float fps = static_cast<float>(sliderSpeed_->value());
    auto list = project_->getFrameList();
    const int64_t entries = list ? list->expandedFrameCount() : 0;
    labelValue_->setText(framepanels::speedText(entries, fps));
    framepanels::reportSaveFailure(*project_, framepanels::storeSpeed(*project_, fps));
}

void SpeedViewController::actionValueChanged() {
    sliderSpeed_->setValue(framepanels::wholeSliderValue(sliderSpeed_->value()));
    updateValues();
}

void SpeedViewController::actionPlus() {
    sliderSpeed_->setValue(sliderSpeed_->value() + 1.0);
    updateValues();
}

void SpeedViewController::actionMinus() {
    sliderSpeed_->setValue(sliderSpeed_->value() - 1.0);
    updateValues();
}
