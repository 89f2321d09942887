// The voice-over sheet driven as the frame editor drives it, on the virtual
// clock with the synthetic microphone and no sound card.

#include "app/audio/AudioRecorderViewController.h"
#include "app/audio/F3BarGauge.h"
#include "app/widgets/alerts/AlertView.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TemporaryClaim.h"
#include "platform/media/MediaError.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "support/AudioDevices.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/WindowFixture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Plays the frame editor's part: starts and stops its preview on the
// sheet's clock and notes every event with the time it came.
class FakeEditor : public AudioRecorderViewDelegate {
public:
    struct Event {
        std::string what;
        double at;
        // Times that the run loop reached by different sums of steps.
        bool operator==(const Event& other) const { return what == other.what && std::abs(at - other.at) < 1e-9; }
    };

    void audioRecorderDidStartRecording(AudioRecorderViewController& sheet) override {
        note("start recording");
        startPreview(sheet);
    }
    void audioRecorderDidStopRecording(AudioRecorderViewController& sheet) override {
        note("stop recording");
        sheet.stop();
    }
    void audioRecorderDidCancelRecording(AudioRecorderViewController&) override { note("cancel"); }
    void audioRecorderDidStartPlayback(AudioRecorderViewController& sheet) override {
        note("start playback");
        startPreview(sheet);
    }
    void audioRecorderDidStopPlayback(AudioRecorderViewController& sheet) override {
        note("stop playback");
        sheet.stop();
    }
    void audioRecorderDidAcceptRecording(AudioRecorderViewController&, const std::string& file) override {
        note("accept");
        accepted = file;
        copyExisted = fs::exists(file);
    }

    std::vector<std::string> whats() const {
        std::vector<std::string> list;
        for (const auto& event : events) list.push_back(event.what);
        return list;
    }
    std::vector<Event> events;
    std::string accepted;
    bool copyExisted = false;

private:
    void note(const std::string& what) { events.push_back({what, foundation::RunLoop::main().now()}); }
    // The preview player's calls: the first frame's time, then play.
    static void startPreview(AudioRecorderViewController& sheet) {
        sheet.setCurentTimeIndex(sheet.startRecordingAtTimeIndex());
        sheet.play();
    }
};

class AudioRecorderSheetTest : public testsupport::WindowFixture {
protected:
    void show(std::shared_ptr<media::AudioInput> input) {
        audio.emplace(std::move(input));
        root = std::make_shared<ui::ViewController>();
        window->setRootViewController(root);
        sheet = std::make_shared<AudioRecorderViewController>();
        sheet->setDelegate(&editor);
        sheet->setStartRecordingAtFrame(Frame::create(Frame::kTypePicture));
        sheet->setStartRecordingAtTimeIndex(4000);
        root->addChildViewController(sheet);
        root->view()->addSubview(sheet->viewPtr());
        window->layoutIfNeeded();
        foundation::RunLoop::main().runUntilIdle();  // the permission answer
    }
    // Takes the sheet away as the editor hides it.
    void hide() {
        sheet->view()->removeFromSuperview();
        sheet->removeFromParentViewController();
        sheet.reset();
    }
    void TearDown() override {
        if (sheet) hide();
        root.reset();
        WindowFixture::TearDown();
        audio.reset();
    }
    std::string label() const { return sheet->labelAudioRecordInfo()->text(); }
    // "Record"/"Stop", and whether Accept and Play are enabled.
    std::string buttons() const {
        return sheet->btnAudioStartRecord()->title() + (sheet->btnAudioStartRecord()->isEnabled() ? "+" : "-") + " " +
               sheet->btnAudioPlay()->title() + (sheet->btnAudioPlay()->isEnabled() ? "+" : "-") + " Accept" +
               (sheet->btnAudioAccept()->isEnabled() ? "+" : "-");
    }
    void tapItem(ui::BarButtonItem* item) {
        window->layoutIfNeeded();
        tap(item->view());
    }
    // Records a take of `seconds` after the countdown.
    void recordTake(double seconds) {
        tapItem(sheet->btnAudioStartRecord());
        advance(5.0 + seconds);
        tapItem(sheet->btnAudioStartRecord());
    }

    testsupport::TempAppFolders folders;
    std::optional<testsupport::AudioDevicesScope> audio;
    FakeEditor editor;
    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<AudioRecorderViewController> sheet;
};

TEST(LevelMeterScale, FortyDecibelsBelowFullScaleShowEmpty) {
    const struct { float decibels, value; } cases[] = {{0, 1}, {-20, 0.5f}, {-40, 0}, {-60, -0.5f}, {-160, -3}};
    for (const auto& c : cases) EXPECT_FLOAT_EQ(levelMeterValueForPower(c.decibels), c.value) << c.decibels;
}

TEST_F(AudioRecorderSheetTest, CountsDownFiveSecondsThenRecordsOnTheMoviesClock) {
    show(media::SyntheticAudioInput::squareWave(0.1f));
    EXPECT_EQ(label(), "Ready to Record");
    EXPECT_EQ(buttons(), "Record+ Play- Accept-");
    ASSERT_TRUE(sheet->sliderAudioRecordLevel()->thumbImage().has_value());
    EXPECT_EQ(sheet->sliderAudioRecordLevel()->thumbImage()->size(), (graphics::Size{28, 28}));
    EXPECT_EQ(fs::path(sheet->audioFile()).parent_path(), fs::path(folders.temporary()));
    EXPECT_TRUE(fs::path(sheet->audioFile()).filename().string().starts_with("record-"));

    tapItem(sheet->btnAudioStartRecord());
    const double pressed = clock.now();  // a tap's action comes as the finger lifts
    struct Moment {
        double at;
        std::string label;
        bool recorder;
    };
    const Moment moments[] = {{0.0, "Prepare for Recording", false},
                              {1.0, "Prepare for Recording", true},
                              {2.0, "3", true},
                              {3.0, "2", true},
                              {4.0, "1", true}};
    double now = 0;
    for (const auto& moment : moments) {
        SCOPED_TRACE(moment.at);
        advance(moment.at - now);
        now = moment.at;
        EXPECT_EQ(label(), moment.label) << moment.at;
        EXPECT_EQ(sheet->audioRecorder() != nullptr, moment.recorder) << moment.at;
        EXPECT_EQ(sheet->getCurentTimeIndex(), 4000) << "nothing recorded yet at " << moment.at;
    }
    EXPECT_EQ(buttons(), "Stop+ Play- Accept-");
    advance(1.0);
    EXPECT_EQ(label(), "Recording");
    EXPECT_EQ(editor.events, (std::vector<FakeEditor::Event>{{"start recording", pressed + 5.0}}));

    // The microphone hands its sound over every 20 ms; whole seconds are whole handovers.
    advance(1.0);
    EXPECT_EQ(sheet->getCurentTimeIndex(), 4000 + 1000);
    EXPECT_NEAR(sheet->levelMeter()->value(), 0.5f, 0.01f);  // a square wave of 0.1 is -20 dB
    EXPECT_EQ(sheet->levelMeter()->offIndex(), 15);
    sheet->stop();  // the editor's preview stopping does not end the take
    advance(2.0);
    EXPECT_EQ(sheet->getCurentTimeIndex(), 4000 + 3000);
    savePicture("AudioRecorder.png");

    tapItem(sheet->btnAudioStartRecord());
    EXPECT_EQ(editor.whats(), (std::vector<std::string>{"start recording", "stop recording"}));
    EXPECT_EQ(label(), "Ready to Record");
    EXPECT_EQ(buttons(), "Record+ Play+ Accept+");
    const auto probed = testsupport::probeAudio(sheet->audioFile());
    EXPECT_EQ(probed.codecName, "aac");
    EXPECT_EQ(probed.sampleRate, 44100);
    EXPECT_EQ(probed.channels, 1);
    EXPECT_NEAR(probed.durationSeconds, 3.0, 0.05);

    tapItem(sheet->btnAudioAccept());
    EXPECT_EQ(editor.accepted, sheet->audioFile());
    EXPECT_TRUE(editor.copyExisted);
    hide();
    EXPECT_FALSE(fs::exists(editor.accepted)) << "the sheet takes its file with it";
}

TEST_F(AudioRecorderSheetTest, ATakeSweepsWhatKilledTakesLeftAndNotOneUnderWay) {
    const std::string dir = folders.temporary();
    // Left by takes of killed runs, in either name they had.
    testsupport::writeFileBytes(dir + "/.record-1.m4a.partial", "aac");
    testsupport::writeFileBytes(dir + "/.record-2.m4a.partial-0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D", "aac");
    // Under way in another sheet, or another process.
    auto elsewhere = foundation::TemporaryClaim::create(dir + "/record-3.m4a", foundation::TemporaryClaim::Kind::File);
    ASSERT_TRUE(elsewhere);
    show(media::SyntheticAudioInput::squareWave(0.1f));
    tapItem(sheet->btnAudioStartRecord());
    advance(1.0);  // the recorder is made a second into the countdown
    std::vector<std::string> expected{foundation::path::lastComponent(elsewhere->path())};
    for (const std::string& name : testsupport::namesInFolder(dir))
        if (foundation::temporaryTargetName(name) == fs::path(sheet->audioFile()).filename()) expected.push_back(name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected.size(), 2u) << "the take's own temporary";
    EXPECT_EQ(testsupport::namesInFolder(dir), expected);
}

TEST_F(AudioRecorderSheetTest, StopInTheCountdownMakesNoTakeAndARecordWithinFiveSecondsStartsOnce) {
    auto microphone = media::SyntheticAudioInput::squareWave(0.1f);
    show(microphone);
    for (double stopAt : {0.5, 1.5, 4.5}) {  // before and after the recorder is made
        tapItem(sheet->btnAudioStartRecord());
        advance(stopAt);
        tapItem(sheet->btnAudioStartRecord());
        EXPECT_EQ(buttons(), "Record+ Play- Accept-") << stopAt;
        EXPECT_EQ(label(), "Ready to Record") << stopAt;
    }
    advance(10.0);
    EXPECT_EQ(label(), "Ready to Record") << "no step of a stopped countdown acts";
    EXPECT_EQ(microphone->capturesStarted(), 0);
    EXPECT_EQ(editor.whats(), (std::vector<std::string>(3, "stop recording")));
    EXPECT_FALSE(fs::exists(sheet->audioFile()));

    // Record, Stop after 2.5 s and Record again at once: the first take's
    // later steps (recorder at 1 s, start at 5 s) find another take running.
    editor.events.clear();
    tapItem(sheet->btnAudioStartRecord());
    advance(2.5);
    tapItem(sheet->btnAudioStartRecord());
    const double stopped = clock.now();
    tapItem(sheet->btnAudioStartRecord());
    const double restarted = clock.now();
    std::vector<std::string> labels;
    std::vector<const media::AudioRecorder*> recorders;
    for (int i = 0; i < 6; ++i) {
        labels.push_back(label());
        if (sheet->audioRecorder() && (recorders.empty() || recorders.back() != sheet->audioRecorder().get()))
            recorders.push_back(sheet->audioRecorder().get());
        advance(1.0);
    }
    EXPECT_EQ(labels,
              (std::vector<std::string>{"Prepare for Recording", "Prepare for Recording", "3", "2", "1", "Recording"}));
    EXPECT_EQ(recorders.size(), 1u);
    EXPECT_EQ(microphone->capturesStarted(), 1);
    EXPECT_EQ(editor.events,
              (std::vector<FakeEditor::Event>{{"stop recording", stopped}, {"start recording", restarted + 5.0}}));
    EXPECT_EQ(sheet->takeNumber(), 5u);
}

TEST_F(AudioRecorderSheetTest, ListeningClocksByThePlayerAndASecondTakeByTheRecorderAgain) {
    show(media::SyntheticAudioInput::squareWave(0.1f));
    recordTake(3.0);
    editor.events.clear();

    tapItem(sheet->btnAudioPlay());
    ASSERT_NE(sheet->audioPlayer(), nullptr);
    EXPECT_TRUE(sheet->isAudioPlayback());
    EXPECT_EQ(buttons(), "Record- Stop+ Accept-");
    EXPECT_EQ(sheet->getCurentTimeIndex(), 4000) << "the preview's first time seeks the take to 0";
    advance(1.0);
    EXPECT_NEAR(sheet->getCurentTimeIndex(), 5000, 1);
    sheet->setCurentTimeIndex(4500);  // the preview looping or seeking moves the take along
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_NEAR(sheet->getCurentTimeIndex(), 4500, 1);
    advance(3.0);  // past the take's end
    EXPECT_FALSE(sheet->isAudioPlayback());
    EXPECT_EQ(buttons(), "Record+ Play+ Accept+");
    EXPECT_EQ(editor.whats(), (std::vector<std::string>{"start playback", "stop playback"}));

    // Listening stopped by its button ends the same way.
    tapItem(sheet->btnAudioPlay());
    advance(0.5);
    tapItem(sheet->btnAudioPlay());
    EXPECT_FALSE(sheet->isAudioPlayback());
    EXPECT_EQ(sheet->audioPlayer()->rate(), 0.0f);

    // A second take drops the first one's player: its clock is the recorder's.
    tapItem(sheet->btnAudioStartRecord());
    EXPECT_EQ(sheet->audioPlayer(), nullptr);
    advance(5.0 + 2.0);
    EXPECT_EQ(sheet->getCurentTimeIndex(), 4000 + 2000);
    tapItem(sheet->btnAudioStartRecord());
    EXPECT_NEAR(testsupport::probeAudio(sheet->audioFile()).durationSeconds, 2.0, 0.05);
    tapItem(sheet->btnAudioPlay());
    advance(0.75);
    EXPECT_NEAR(sheet->getCurentTimeIndex(), 4750, 1) << "the new take plays back";
}

TEST_F(AudioRecorderSheetTest, WithoutAMicrophoneTheErrorAlertsDismissCancelsTheSheet) {
    show(nullptr);
    EXPECT_FALSE(sheet->btnAudioStartRecord()->isEnabled());
    const auto messages = alertMessages();
    ASSERT_EQ(messages.size(), 1u);
    const std::string help = foundation::localized("AUDIOREORDER_MICROPHONE_ACCESS_HELP");
    EXPECT_EQ(messages[0], help);
    EXPECT_NE(help, "AUDIOREORDER_MICROPHONE_ACCESS_HELP") << "the key has an English text";
    auto alert = std::dynamic_pointer_cast<AlertView>(ui::AlertView::visibleAlerts()[0]);
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Error");
    ASSERT_EQ(alert->numberOfButtons(), 1);
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "Dismiss");
    tap(alert->buttonViewAtIndex(0));
    advance(1.0);
    EXPECT_EQ(editor.whats(), std::vector<std::string>{"cancel"});
    EXPECT_TRUE(alertMessages().empty());
}

TEST_F(AudioRecorderSheetTest, ALostMicrophoneStopsTheTakeAndKeepsWhatWasRecorded) {
    auto microphone = media::SyntheticAudioInput::squareWave(0.1f);
    microphone->setFailAfterSeconds(1.5);
    show(microphone);
    tapItem(sheet->btnAudioStartRecord());
    advance(5.0 + 3.0);
    EXPECT_FALSE(sheet->isAudioRecording());
    EXPECT_EQ(label(), "Recording stopped: the microphone was disconnected.");
    EXPECT_EQ(buttons(), "Record+ Play+ Accept+");
    EXPECT_EQ(editor.whats(), (std::vector<std::string>{"start recording", "stop recording"}));
    EXPECT_NEAR(testsupport::probeAudio(sheet->audioFile()).durationSeconds, 1.5, 0.05);
}

TEST_F(AudioRecorderSheetTest, ATakeWithoutSoundCannotBeAcceptedAndLeavesNoFile) {
    auto lostAtOnce = media::SyntheticAudioInput::squareWave(0.1f);
    lostAtOnce->setFailAfterSeconds(0);
    const struct {
        const char* microphone;
        std::shared_ptr<media::AudioInput> input;
        bool stopsItself;
        std::string label;
    } cases[] = {
        {"mute", std::make_shared<testsupport::MuteAudioInput>(), false, "Nothing was recorded."},
        {"lost at once", lostAtOnce, true, "Recording stopped: the microphone was disconnected."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.microphone);
        show(c.input);
        tapItem(sheet->btnAudioStartRecord());
        advance(5.0 + 2.0);
        if (!c.stopsItself) tapItem(sheet->btnAudioStartRecord());
        EXPECT_EQ(label(), c.label);
        EXPECT_EQ(buttons(), "Record+ Play- Accept-");
        tapItem(sheet->btnAudioAccept());
        tapItem(sheet->btnAudioPlay());
        EXPECT_EQ(editor.whats(), (std::vector<std::string>{"start recording", "stop recording"}));
        EXPECT_EQ(testsupport::namesInFolder(folders.temporary()), std::vector<std::string>{});
        hide();
        editor.events.clear();
    }
}

TEST_F(AudioRecorderSheetTest, CancelAndTouchesOutsideEndTheSheetOnlyOutsideATake) {
    auto microphone = media::SyntheticAudioInput::silence();
    show(microphone);
    tapItem(sheet->btnAudioStartRecord());
    advance(6.0);
    sheet->removeRecorderIfNotRecording();
    EXPECT_TRUE(sheet->isAudioRecording()) << "a touch outside during a take does nothing";
    tapItem(sheet->btnAudioCancel());
    EXPECT_FALSE(sheet->isAudioRecording());
    EXPECT_EQ(sheet->audioRecorder(), nullptr);
    EXPECT_EQ(editor.whats(), (std::vector<std::string>{"start recording", "cancel"}));
    sheet->removeRecorderIfNotRecording();
    EXPECT_EQ(editor.whats().back(), "cancel");
    EXPECT_EQ(editor.whats().size(), 3u);
    hide();
    for (const auto& entry : fs::directory_iterator(folders.temporary()))
        ADD_FAILURE() << "left behind: " << entry.path();
}

TEST(AudioRecorderSheetDisk, AFullDiskStopsTheTakeRemovesItsFileAndSaysWhy) {
    testsupport::TempAppFolders folders;
    // The take fills a device of 16 KB of its own, in a child.
    const int code = testsupport::onPrivateDevice(folders.temporary(), 16, false, [] {
        testsupport::VirtualClockScope clock;
        testsupport::AudioDevicesScope audio(media::SyntheticAudioInput::squareWave(0.5f, 1000));
        FakeEditor editor;
        auto sheet = std::make_shared<AudioRecorderViewController>();
        sheet->setDelegate(&editor);
        sheet->view();
        sheet->actionStartRecord();
        foundation::RunLoop::main().advance(40.0);
        if (sheet->isAudioRecording()) return 11;
        if (sheet->labelAudioRecordInfo()->text() != "Recording stopped: the disk is full.") return 12;
        if (sheet->btnAudioAccept()->isEnabled() || sheet->btnAudioPlay()->isEnabled()) return 13;
        if (editor.whats() != std::vector<std::string>{"start recording", "stop recording"}) return 14;
        const auto folder = fs::path(sheet->audioFile()).parent_path();
        return fs::is_empty(folder) ? 0 : 15;
    });
    if (code == testsupport::kNoPrivateDevice) GTEST_SKIP() << "no private file system here";
    EXPECT_EQ(code, 0);
}

}  // namespace
