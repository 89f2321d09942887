#pragma once

// The panels that change how long frames last: the hold panel (one frame's
// hold count, or the length of its audio clip), the speed panel (the
// project's frames per second) and the playback-options table that embeds
// the speed panel. Their arithmetic is in the plain functions below.

#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"
#include "platform/foundation/Error.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/lists/TableView.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ConfigurationCell;
namespace ui {
class Button;
class Label;
class Slider;
class Switch;
}  // namespace ui

namespace framepanels {
// "MM:SS", or "HH:MM:SS" when the hour part is not 0; whole days are not
// shown. Negative durations read as 0.
std::string getFormatedDuration(int32_t seconds);
// Whole seconds of `entries` expanded entries at `fps` frames per second.
int32_t durationSeconds(int64_t entries, float fps);
// The speed panel's line: duration, the word "at", whole frames per second.
std::string speedText(int64_t entries, float fps);
// The hold panel's title for a slider value: "Hold 1 time", "Hold 3 times".
std::string holdText(double sliderValue);
// A slider value taken to the nearest whole number, halves away from zero.
double wholeSliderValue(double value);
// Writes the speed into the metadata ("RecordFPS" a whole real,
// "RecordNeedsRendering" true) and saves it.
foundation::Status storeSpeed(ProjectModel& project, float fps);
// Shows a failed metadata save; nothing for a success.
void reportSaveFailure(ProjectModel& project, const foundation::Status& status);
}  // namespace framepanels

class DuplicateFramesView : public ui::ViewController {
public:
    static constexpr double kMinimumHold = 1;
    static constexpr double kMaximumHold = 60;

    DuplicateFramesView(FramePtr frame, ProjectModelPtr project);

    void loadView() override;
    void viewDidLoad() override;

    void actionSliderValueChanged();
    void actionPlus();
    void actionMinus();
    void actionHoldForAudioClip();
    void enableManual(bool enabled);
    void updateLabels();

    const FramePtr& frame() const { return frame_; }
    ui::Slider* sliderTimer() const { return sliderTimer_.get(); }
    ui::Button* btnPlus() const { return btnPlus_.get(); }
    ui::Button* btnMinus() const { return btnMinus_.get(); }
    ui::Switch* switchAudioPause() const { return switchAudioPause_.get(); }
    ui::Label* infoLabel() const { return infoLabel_.get(); }
    ui::Label* labelAudioTitle() const { return labelAudioTitle_.get(); }

private:
    // The slider reaches at least `hold`, so showing a frame never shortens it.
    void widenSliderFor(double hold);

    FramePtr frame_;
    ProjectModelPtr project_;
    std::shared_ptr<ui::Slider> sliderTimer_;
    std::shared_ptr<ui::Button> btnPlus_;
    std::shared_ptr<ui::Button> btnMinus_;
    std::shared_ptr<ui::Switch> switchAudioPause_;
    std::shared_ptr<ui::Label> infoLabel_;
    std::shared_ptr<ui::Label> labelAudioTitle_;
};

class SpeedViewController : public ui::ViewController {
public:
    static constexpr double kMinimumFPS = 1;
    static constexpr double kMaximumFPS = 30;

    explicit SpeedViewController(ProjectModelPtr project);

    void loadView() override;
    void viewDidLoad() override;

    void actionValueChanged();
    void actionPlus();
    void actionMinus();
    // Stores the slider's speed and saves the metadata; so merely showing
    // the panel writes "RecordFPS" back and marks the movie for rendering.
    void updateValues();
    static std::string getFormatedDuration(int32_t seconds) { return framepanels::getFormatedDuration(seconds); }

    ui::Label* labelTitle() const { return labelTitle_.get(); }
    ui::Label* labelValue() const { return labelValue_.get(); }
    ui::Slider* sliderSpeed() const { return sliderSpeed_.get(); }
    ui::Button* btnPlus() const { return btnPlus_.get(); }
    ui::Button* btnMinus() const { return btnMinus_.get(); }

private:
    ProjectModelPtr project_;
    std::shared_ptr<ui::Label> labelTitle_;
    std::shared_ptr<ui::Label> labelValue_;
    std::shared_ptr<ui::Slider> sliderSpeed_;
    std::shared_ptr<ui::Button> btnPlus_;
    std::shared_ptr<ui::Button> btnMinus_;
};

class ConfigurationViewController : public ui::ViewController,
                                    public ui::TableViewDataSource,
                                    public ui::TableViewDelegate {
public:
    static constexpr const char* kCellIdentifier = "ConfigurationCell";
    static constexpr double kSwitchRowHeight = 44;
    static constexpr double kSpeedRowHeight = 74;

    explicit ConfigurationViewController(ProjectModelPtr project);
    ~ConfigurationViewController() override;

    void loadView() override;
    void viewDidLoad() override;

    void actionPlayLastFramesOnly(ui::Switch& sender);
    void actionPlayLoop(ui::Switch& sender);
    void actionPlayHalfSpeed(ui::Switch& sender);

    size_t numberOfRowsInSection(ui::TableView& tableView, size_t section) override;
    ui::TableViewCellPtr cellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    std::optional<double> heightForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;

    ui::TableView* tableView() const { return table_.get(); }
    SpeedViewController& speedController() const { return *speedController_; }
    ConfigurationCell* tmpCell() const { return tmpCell_.get(); }

private:
    void storeSwitch(const char* key, bool on);

    ProjectModelPtr project_;
    std::shared_ptr<SpeedViewController> speedController_;
    std::shared_ptr<ConfigurationCell> tmpCell_;
    std::shared_ptr<ui::TableView> table_;
};
