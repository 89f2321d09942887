#include "PanelTestSupport.h"
#include "app/core/KWAudioClip.h"
#include "app/editor/FramePanels.h"
#include "app/widgets/cells/ConfigurationCell.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/controls/Switch.h"

#include <gtest/gtest.h>

namespace {

TEST(FramePanelArithmetic, DurationTexts) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "00:00"},       {59, "00:59"},      {61, "01:01"},       {3599, "59:59"},
        {3600, "01:00:00"}, {3700, "01:01:40"}, {86399, "23:59:59"}, {86461, "01:01"},  // a whole day is not shown
        {-5, "00:00"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(framepanels::getFormatedDuration(seconds), text) << seconds;
}

TEST(FramePanelArithmetic, SpeedLineAndWholeValues) {
    EXPECT_EQ(framepanels::speedText(40, 8), "00:05 at 8 FPS");
    EXPECT_EQ(framepanels::speedText(3700, 1), "01:01:40 at 1 FPS");
    EXPECT_EQ(framepanels::speedText(10, 3), "00:03 at 3 FPS");  // 3.33 s truncated
    EXPECT_EQ(framepanels::durationSeconds(5, 0), 0);
    const std::pair<double, double> rounding[] = {{7.6, 8}, {7.5, 8}, {7.49, 7}, {1.2, 1}, {24.5, 25}};
    for (const auto& [value, whole] : rounding) EXPECT_EQ(framepanels::wholeSliderValue(value), whole) << value;
    const std::pair<double, const char*> holds[] = {{3.7, "Hold 3 times"},
                                                    {1.0, "Hold 1 time"},
                                                    {1.9, "Hold 1 time"},
                                                    {2.0, "Hold 2 times"},
                                                    {12.99, "Hold 12 times"}};
    for (const auto& [value, text] : holds) EXPECT_EQ(framepanels::holdText(value), text) << value;
}

class FramePanelsTest : public editortest::PanelTest {
protected:
    explicit FramePanelsTest(bool phone = false) : PanelTest(phone) {}

    void SetUp() override {
        PanelTest::SetUp();
        project = editortest::projectOfPictures("ABC");
        frame = project->getFrameList()->getFrameAtIndex(1);
    }
    std::shared_ptr<DuplicateFramesView> showHold() {
        auto panel = std::make_shared<DuplicateFramesView>(frame, project);
        present(panel, anchor());
        return panel;
    }
    std::shared_ptr<SpeedViewController> showSpeed() {
        auto panel = std::make_shared<SpeedViewController>(project);
        present(panel, anchor());
        return panel;
    }
    graphics::Rect anchor() {
        const graphics::Rect bounds = rootView().bounds();
        return graphics::Rect(bounds.midX() - 30, bounds.size.height - 80, 60, 40);
    }
    static void slide(ui::Slider& slider, double value) {
        slider.setValue(value);
        slider.sendActionsForControlEvents(ui::ControlEventValueChanged);
    }
    void giveAudio(int64_t stopMilliseconds) {
        auto clip = std::make_shared<KWAudioClip>(std::string("clip"), std::string("clip.m4a"));
        clip->setStart(0);
        clip->setStop(stopMilliseconds);
        frame->setAudio(clip);
    }
    void storeMeta(const char* key, foundation::Value value) {
        project->getMetaData()->set(key, value);
        ASSERT_TRUE(project->saveMetaDataToDisk().ok());
    }

    ProjectModelPtr project;
    FramePtr frame;
};

class PhoneFramePanelsTest : public FramePanelsTest {
protected:
    PhoneFramePanelsTest() : FramePanelsTest(true) {}
};

TEST_F(FramePanelsTest, HoldFollowsTheSliderTruncated) {
    frame->setDuration(2);
    auto panel = showHold();
    EXPECT_EQ(panel->sliderTimer()->value(), 2);
    EXPECT_EQ(panel->infoLabel()->text(), "Hold 2 times");
    struct Step {
        const char* what;
        std::function<void()> act;
        int64_t hold;
    };
    const Step steps[] = {
        {"slide to 3.7", [&] { slide(*panel->sliderTimer(), 3.7); }, 3},
        {"plus", [&] { tap(panel->btnPlus()); }, 4},
        {"minus twice", [&] { tap(panel->btnMinus()), tap(panel->btnMinus()); }, 2},
        {"slide below the range", [&] { slide(*panel->sliderTimer(), -4); }, 1},
        {"minus at the bottom", [&] { tap(panel->btnMinus()); }, 1},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(frame->getDuration(), step.hold) << step.what;
        // One hold is "1 time", never "1 times".
        EXPECT_EQ(panel->infoLabel()->text(),
                  "Hold " + std::to_string(step.hold) + (step.hold == 1 ? " time" : " times"))
            << step.what;
    }
    EXPECT_EQ(panel->labelAudioTitle()->text(), "Pause frame for audio clip length");
}

TEST_F(FramePanelsTest, ShowingALongHoldKeepsIt) {
    frame->setDuration(80);  // beyond the slider's own range
    auto panel = showHold();
    EXPECT_EQ(frame->getDuration(), 80);
    EXPECT_EQ(panel->infoLabel()->text(), "Hold 80 times");
}

TEST_F(FramePanelsTest, AudioSwitchHoldsForTheClipAndLocksTheManualControls) {
    giveAudio(2300);  // 2.3 s at 5 fps: 12 entries
    frame->setDuration(1);
    project->setFPS(5);
    auto panel = showHold();
    EXPECT_TRUE(panel->switchAudioPause()->isEnabled());
    EXPECT_FALSE(panel->switchAudioPause()->isOn());
    tap(panel->switchAudioPause());
    EXPECT_TRUE(frame->isFramePausedForDurationOfAudio());
    EXPECT_EQ(frame->getDuration(), 12);
    EXPECT_EQ(panel->infoLabel()->text(), "Hold 12 times");
    for (ui::Control* control :
         std::initializer_list<ui::Control*>{panel->sliderTimer(), panel->btnPlus(), panel->btnMinus()})
        EXPECT_FALSE(control->isEnabled());
    tap(panel->switchAudioPause());
    EXPECT_FALSE(frame->isFramePausedForDurationOfAudio());
    EXPECT_EQ(frame->getDuration(), 12);
    for (ui::Control* control :
         std::initializer_list<ui::Control*>{panel->sliderTimer(), panel->btnPlus(), panel->btnMinus()})
        EXPECT_TRUE(control->isEnabled());
}

TEST_F(FramePanelsTest, PausedFrameOpensLocked) {
    giveAudio(1000);
    frame->setIsFramePausedForDurationOfAudio(true);
    frame->setDuration(5);
    auto panel = showHold();
    EXPECT_TRUE(panel->switchAudioPause()->isOn());
    EXPECT_FALSE(panel->sliderTimer()->isEnabled());
    EXPECT_EQ(frame->getDuration(), 5);
}

TEST_F(FramePanelsTest, WithoutAudioTheSwitchCannotChange) {
    frame->setIsFramePausedForDurationOfAudio(true);  // a stale flag without a clip
    auto panel = showHold();
    EXPECT_FALSE(panel->switchAudioPause()->isOn());
    EXPECT_FALSE(panel->switchAudioPause()->isEnabled());
    tap(panel->switchAudioPause());
    EXPECT_FALSE(panel->switchAudioPause()->isOn());
    EXPECT_TRUE(panel->sliderTimer()->isEnabled());
    EXPECT_TRUE(panel->btnPlus()->isEnabled());
    savePicture("hold_panel_tablet.png");
}

TEST_F(FramePanelsTest, OpeningTheSpeedPanelWritesSpeedAndNeedsRendering) {
    storeMeta(projectkeys::kNeedsRendering, false);
    storeMeta(projectkeys::kFPS, foundation::Value::real(5));
    EXPECT_EQ(editortest::savedMetaValue(*project, projectkeys::kNeedsRendering), "False");
    auto panel = showSpeed();
    EXPECT_EQ(panel->labelTitle()->text(), "Movie Speed (frames/sec.)");
    EXPECT_EQ(panel->labelValue()->text(), "00:00 at 5 FPS");  // 3 entries at 5 fps
    EXPECT_EQ(editortest::savedMetaValue(*project, projectkeys::kNeedsRendering), "True");
    EXPECT_EQ(editortest::savedMetaValue(*project, projectkeys::kFPS), "5.0");
    savePicture("speed_panel_tablet.png");
}

TEST_F(FramePanelsTest, SpeedIsStoredWhole) {
    auto panel = showSpeed();
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* stored;
    };
    const Step steps[] = {
        {"slide to 7.6", [&] { slide(*panel->sliderSpeed(), 7.6); }, "8.0"},
        {"slide to 12.4", [&] { slide(*panel->sliderSpeed(), 12.4); }, "12.0"},
        {"plus", [&] { tap(panel->btnPlus()); }, "13.0"},
        {"minus", [&] { tap(panel->btnMinus()); }, "12.0"},
        {"slide below 1", [&] { slide(*panel->sliderSpeed(), 0.2); }, "1.0"},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(editortest::savedMetaValue(*project, projectkeys::kFPS), step.stored) << step.what;
    }
    EXPECT_EQ(panel->labelValue()->text(), "00:03 at 1 FPS");  // A B C; the capture slot is not played
}

TEST_F(FramePanelsTest, SpeedAboveTheRangeOrUnreadableIsNotCutDown) {
    const std::pair<foundation::Value, const char*> stored[] = {
        {foundation::Value::real(60), "60.0"},
        {foundation::Value("fast"), "5.0"},  // not a number: the project's own rate
        {foundation::Value::integer(0), "1.0"},
    };
    for (const auto& [value, expected] : stored) {
        storeMeta(projectkeys::kFPS, value);
        showSpeed();
        EXPECT_EQ(editortest::savedMetaValue(*project, projectkeys::kFPS), expected) << value.description();
    }
}

TEST_F(FramePanelsTest, PlaybackSwitchesAreStoredAndReadBack) {
    storeMeta("PlayAtHalfSpeed", true);
    auto options = std::make_shared<ConfigurationViewController>(project);
    present(options, anchor());
    ASSERT_EQ(options->tableView()->numberOfRowsInSection(0), 4u);
    auto cellAt = [&](size_t row) {
        return std::dynamic_pointer_cast<ConfigurationCell>(options->tableView()->cellForRowAtIndexPath({0, row}));
    };
    const char* titles[] = {"Play last 12 frames only", "Play as loop", "Play at half speed", ""};
    for (size_t row = 0; row < 4; ++row) {
        ASSERT_TRUE(cellAt(row)) << row;
        EXPECT_EQ(cellAt(row)->labelTitle()->text(), titles[row]) << row;
        EXPECT_EQ(cellAt(row)->switchOnOff()->isHidden(), row == 3) << row;
    }
    EXPECT_TRUE(cellAt(2)->switchOnOff()->isOn());
    EXPECT_EQ(options->tableView()->rectForRowAtIndexPath({0, 3}).size.height, 74);
    tap(cellAt(0)->switchOnOff());
    tap(cellAt(2)->switchOnOff());
    EXPECT_EQ(editortest::savedMetaValue(*project, "PlayLastFramesOnly"), "True");
    EXPECT_EQ(editortest::savedMetaValue(*project, "PlayAtHalfSpeed"), "False");
    EXPECT_EQ(editortest::savedMetaValue(*project, projectkeys::kNeedsRendering), "True");  // the embedded speed panel
    advance(0.5);  // the switches' own animation
    EXPECT_TRUE(cellAt(0)->switchOnOff()->isOn());
    EXPECT_FALSE(cellAt(2)->switchOnOff()->isOn());
    savePicture("playback_options_tablet.png");
}

TEST_F(PhoneFramePanelsTest, PanelsOnThePhone) {
    giveAudio(2300);
    showHold();
    savePicture("hold_panel_phone.png");
    showSpeed();
    savePicture("speed_panel_phone.png");
    EXPECT_EQ(editortest::savedMetaValue(*project, projectkeys::kNeedsRendering), "True");
}

}  // namespace
