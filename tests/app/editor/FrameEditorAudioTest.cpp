// Audio in the editor: where a voice-over starts, the voice-over panel's
// place and clock, accepted takes attached to the frame of their start,
// chosen sounds and library songs imported with their types, the clip
// panel, holds that follow the clips, and sound files removed only when no
// clip uses them.

#include "EditorTestSupport.h"
#include "app/audio/AudioRecorderViewController.h"
#include "app/audio/KWAudioConfigurationViewController.h"
#include "app/audio/KWAudioController.h"
#include "app/capture/CaptureViewController.h"
#include "app/audio/NXRecordQueryViewController.h"
#include "app/core/KWAudioClip.h"
#include "app/editor/EditorAudio.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/PreviewPlayer.h"
#include "app/widgets/alerts/Hudy.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/library/MediaItem.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/controls/Label.h"
#include "support/AudioDevices.h"
#include "support/TestFiles.h"
#include "support/TestSounds.h"

#include <filesystem>
#include <functional>
#include <fstream>

namespace editortest {
namespace {

namespace fe = frameeditor;
namespace n = editornotifications;
namespace fs = std::filesystem;

std::string soundOf(double seconds) { return testsupport::testSound({"0.25*sin(2*PI*440*t)", seconds}); }

TEST(EditorAudio, VoiceOverStartTimes) {
    struct Case {
        int64_t index, fps, milliseconds;
    } cases[] = {
        {10, 5, 2000},                                 // the 11th entry at 5 fps
        {9, 9, 999},                                   // 9 × 111.1… truncated
        {0, 5, 0},     {1, 3, 333},     {3, 0, 3000},  // a rate below 1 counts as 1
        {7, -4, 7000}, {100, 30, 3333},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fe::voiceOverStartTime(c.index, c.fps), c.milliseconds) << c.index << " at " << c.fps;
}

TEST(EditorAudio, ImportTypeFromTheLength) {
    struct Case {
        std::optional<double> seconds;
        int32_t type;
    } cases[] = {{60.0, 0}, {61.0, 2}, {60.001, 2}, {0.5, 0}, {std::nullopt, 0}};
    for (const Case& c : cases) EXPECT_EQ(fe::audioTypeForDuration(c.seconds), c.type) << c.seconds.value_or(-1);
    // Read from files: exactly 60 s is no long sound, 61 s is.
    EXPECT_EQ(fe::audioTypeForDuration(fe::audioDurationSeconds(soundOf(60))), 0);
    EXPECT_EQ(fe::audioTypeForDuration(fe::audioDurationSeconds("file://" + soundOf(61))), 2);
    EXPECT_EQ(fe::audioDurationSeconds("/no/such/sound.wav"), std::nullopt);
}

std::shared_ptr<KWAudioClip> clipOf(const std::string& file, int64_t milliseconds) {
    auto clip = std::make_shared<KWAudioClip>(std::nullopt, file);
    clip->setStart(0);
    clip->setStop(milliseconds);
    clip->setDuration(milliseconds);
    return clip;
}

TEST_F(EditorTest, HoldsFollowTheClipsOfPausedFrames) {
    auto project = projectOfPictures("ABCD");
    project->setFPS(10);
    auto list = project->getFrameList();
    struct Setup {
        int64_t clipMilliseconds;  // 0: no clip
        bool paused;
        int64_t hold;
    } setups[] = {{1250, true, 1}, {500, true, 5}, {0, true, 1}, {900, false, 2}};
    for (int i = 0; i < 4; ++i) {
        FramePtr frame = list->getFrameAtIndex(i);
        if (setups[i].clipMilliseconds) frame->setAudio(clipOf("a.wav", setups[i].clipMilliseconds));
        frame->setIsFramePausedForDurationOfAudio(setups[i].paused);
        frame->setDuration(setups[i].hold);
    }
    open(project);
    EXPECT_TRUE(editor->updateAudioHoldForAllFrames());
    struct Expected {
        int64_t hold;
        bool paused;
    } expected[] = {{13, true}, {5, true}, {1, false}, {2, false}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list->getFrameAtIndex(i)->getDuration(), expected[i].hold) << i;
        EXPECT_EQ(list->getFrameAtIndex(i)->isFramePausedForDurationOfAudio(), expected[i].paused) << i;
    }
    EXPECT_FALSE(editor->updateAudioHoldForAllFrames());  // nothing left to change
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorTest, AudioFilesGoOnlyWhenNoClipUsesThem) {
    auto project = projectOfPictures("AB");
    const std::string folder = *project->getProjectPath();
    for (const char* name : {"used.wav", "free.wav"}) std::ofstream(folder + "/" + name) << "RIFF";
    std::ofstream(fs::path(folder).parent_path() / "outside.wav") << "RIFF";
    project->getFrameList()->getFrameAtIndex(0)->setAudio(clipOf("used.wav", 1000));
    open(project);
    struct Case {
        const char* name;
        bool alert;
        const char* gone;  // the file that no longer exists, if any
    } cases[] = {
        {"USED.WAV", false, nullptr},  // a clip plays it (case ignored)
        {"free.wav", false, "free.wav"},
        {"missing.wav", false, nullptr},
        {"../outside.wav", true, nullptr},
        {"..", true, nullptr},
        {"", true, nullptr},
    };
    for (const Case& c : cases) {
        const size_t alerts = alertMessages().size();
        editor->deleteAudioFile(c.name);
        settle();
        EXPECT_EQ(alertMessages().size(), alerts + (c.alert ? 1 : 0)) << c.name;
        if (c.gone) {
            EXPECT_FALSE(fs::exists(folder + "/" + c.gone)) << c.name;
        }
    }
    EXPECT_TRUE(fs::exists(folder + "/used.wav"));
    EXPECT_TRUE(fs::exists(fs::path(folder).parent_path() / "outside.wav"));
    EXPECT_LIST_INVARIANTS(project);
}

// ---- voice-over panel ----------------------------------------------------------------------------

class VoiceOverTest : public MicrophoneEditorTest {
protected:
    explicit VoiceOverTest(bool phone = false) : MicrophoneEditorTest(phone) {}
    FrameEditorViewController& openAt(const std::string& names, int64_t fps, int64_t playhead) {
        auto project = projectOfPictures(names);
        project->setFPS(fps);
        project->getFrameList()->setFrameAtPlayhead(project->getFrameList()->getFrameAtIndex(playhead));
        return open(project);
    }
};

class PhoneVoiceOverTest : public VoiceOverTest {
protected:
    PhoneVoiceOverTest() : VoiceOverTest(true) {}
};

TEST_F(VoiceOverTest, StartTimeAndFrameFromThePlayhead) {
    struct Case {
        const char* names;
        int64_t fps, playhead, holdOfFirst, milliseconds;
    } cases[] = {
        {"ABCDEFGHIJK", 5, 10, 1, 2000},
        {"ABCDEFGHIJ", 9, 9, 1, 999},
        {"AB", 5, 1, 3, 600},  // the first frame held three times
        {"AB", 5, 0, 3, 0},
        {"AB", 5, 1, 2147483647, 429496729400},  // behind a picture held for the longest hold there is
    };
    for (const Case& c : cases) {
        auto project = projectOfPictures(c.names);
        project->setFPS(c.fps);
        auto list = project->getFrameList();
        list->getFrameAtIndex(0)->setDuration(c.holdOfFirst);
        list->setFrameAtPlayhead(list->getFrameAtIndex(c.playhead));
        open(project);
        editor->showAudioRecorder();
        ASSERT_NE(editor->audioRecorderView(), nullptr);
        EXPECT_EQ(editor->audioRecorderView()->startRecordingAtTimeIndex(), c.milliseconds) << c.names;
        EXPECT_EQ(editor->audioRecorderView()->startRecordingAtFrame(), list->getFrameAtIndex(c.playhead));
        EXPECT_LIST_INVARIANTS(project);
        editor.reset();
        settle();
    }
}

TEST_F(VoiceOverTest, TabletPanelPlaceClockAndControls) {
    openAt("ABC", 5, 1);
    const graphics::Rect strip = editor->viewPlayerViewController()->frame();
    editor->actionAudio();
    advance(1);
    AudioRecorderViewController* recorder = editor->audioRecorderView();
    ASSERT_NE(recorder, nullptr);
    const graphics::Size size = recorder->view()->frame().size;
    // Just above the strip, which stays in place; it covers none of the
    // camera's controls, and its buttons stay inside it.
    EXPECT_EQ(recorder->view()->frame(),
              graphics::Rect(512 - size.width / 2, strip.minY() - size.height, size.width, size.height));
    EXPECT_EQ(editor->viewPlayerViewController()->frame(), strip);
    const graphics::Rect panel = inWindow(recorder->view());
    CaptureViewController& camera = *editor->captureViewController();
    for (ui::View* control : std::initializer_list<ui::View*>{
             camera.recordBtn(), camera.btnTimerConfig(), camera.buttonOptions(), camera.sliderOverlayControl(),
             camera.frameLabel(), editor->viewPlayerViewController()})
        EXPECT_FALSE(panel.intersects(inWindow(control))) << inWindow(control).origin.x << "," << inWindow(control).origin.y;
    std::vector<std::string> outside;
    std::function<void(ui::View&)> visit = [&](ui::View& view) {
        if (auto* button = dynamic_cast<ui::Button*>(&view); button && !panel.contains(inWindow(button)))
            outside.push_back(button->currentTitle());
        for (const auto& child : view.subviews()) visit(*child);
    };
    visit(*recorder->view());
    EXPECT_EQ(outside, std::vector<std::string>{});
    editor->showAudioRecorder();  // again: the same panel, strip and timeline still go back home
    advance(1);
    EXPECT_EQ(editor->audioRecorderView(), recorder);
    EXPECT_EQ(editor->previewPlayer()->timerController(), recorder);
    EXPECT_FALSE(editor->previewPlayer()->isLoopPlayback());
    EXPECT_FALSE(editor->btnPlay()->isEnabled());
    ASSERT_NE(editor->btnCloseModalController(), nullptr);
    EXPECT_EQ(editor->btnCloseModalController()->frame(), editor->view()->bounds());
    savePicture("edhelp_voice_over_tablet.png");

    // A tap outside the panel cancels it while no take runs.
    tap(editor->btnCloseModalController());
    advance(1);
    EXPECT_EQ(editor->audioRecorderView(), nullptr);
    EXPECT_EQ(editor->btnCloseModalController(), nullptr);
    EXPECT_EQ(editor->previewPlayer()->timerController(), editor->audioController());
    EXPECT_TRUE(editor->previewPlayer()->isLoopPlayback());
    EXPECT_EQ(editor->viewPlayerViewController()->frame(), strip);
    EXPECT_TRUE(editor->btnPlay()->isEnabled());
    EXPECT_LIST_INVARIANTS(editor->project());
}

TEST_F(PhoneVoiceOverTest, PhonePanelHidesTheSidePanels) {
    openAt("ABC", 5, 1);
    const graphics::Rect strip = editor->viewPlayerViewController()->frame();
    editor->showAudioRecorder();
    advance(1);
    AudioRecorderViewController* recorder = editor->audioRecorderView();
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(recorder->view()->frame().origin.y, 320 - recorder->view()->frame().height());
    EXPECT_EQ(editor->viewLeftControls()->alpha(), 0);
    EXPECT_EQ(editor->viewRightControls()->alpha(), 0);
    savePicture("edhelp_voice_over_phone.png");
    editor->hideAudioRecorder();
    advance(1);
    EXPECT_EQ(editor->viewLeftControls()->alpha(), 1);
    EXPECT_EQ(editor->viewPlayerViewController()->frame(), strip);
    EXPECT_EQ(editor->viewPlayerViewController()->frame().origin.y, 320 - strip.height());
}

TEST_F(VoiceOverTest, AcceptedTakeGoesToTheFrameOfItsStart) {
    openAt("ABC", 5, 1);
    auto list = editor->project()->getFrameList();
    editor->showAudioRecorder();
    advance(1);
    // The playhead moves on while the take runs.
    list->setFrameAtPlayhead(list->getFrameAtIndex(2));
    const std::string take = soundOf(2);
    editor->audioRecorderDidAcceptRecording(*editor->audioRecorderView(), take);
    settle();
    advance(1);
    auto clip = list->getFrameAtIndex(1)->getAudio();
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(list->getFrameAtIndex(2)->getAudio(), nullptr);
    ASSERT_TRUE(clip->fileName().has_value());
    EXPECT_TRUE(fs::exists(*editor->project()->getProjectPath() + "/" + *clip->fileName()));
    EXPECT_EQ(clip->stop(), 2000);
    EXPECT_EQ(editor->audioRecorderView(), nullptr);
    // Saved: a new project object reads the clip back.
    auto reread = ProjectModel::create(*editor->project()->getProjectPath());
    ASSERT_NE(reread->getFrameList(), nullptr);
    auto stored = reread->getFrameList()->getFrameAtIndex(1)->getAudio();
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->fileName(), clip->fileName());
    EXPECT_LIST_INVARIANTS(editor->project());
}

TEST_F(VoiceOverTest, ATakeWithoutSoundKeepsTheFramesClipAndLeavesNoFile) {
    devices.reset();
    devices = std::make_unique<testsupport::AudioDevicesScope>(std::make_shared<testsupport::MuteAudioInput>());
    auto project = projectOfPictures("AB");
    const std::string folder = *project->getProjectPath();
    fs::copy_file(soundOf(1), folder + "/clip.wav");
    const FramePtr frame = project->getFrameList()->getFrameAtIndex(0);
    frame->setAudio(clipOf("clip.wav", 1000));
    ASSERT_TRUE(project->saveAllDataToDisk().ok());
    open(project);
    const auto clip = frame->getAudio();
    const auto files = testsupport::namesInFolder(folder);

    auto tapItem = [this](ui::BarButtonItem* item) {
        window->layoutIfNeeded();
        tap(item->view());
        settle();
    };
    tap(editor->btnAudio());
    advance(1);
    AudioRecorderViewController* recorder = editor->audioRecorderView();
    ASSERT_NE(recorder, nullptr);
    tapItem(recorder->btnAudioStartRecord());
    advance(5.0 + 2.0);
    ASSERT_EQ(recorder->labelAudioRecordInfo()->text(), "Recording");
    tapItem(recorder->btnAudioStartRecord());
    savePicture("edhelp_voice_over_nothing_recorded.png");
    tapItem(recorder->btnAudioAccept());
    advance(1);
    EXPECT_EQ(editor->audioRecorderView(), recorder) << "nothing to accept";
    tapItem(recorder->btnAudioCancel());
    advance(1);
    EXPECT_EQ(editor->audioRecorderView(), nullptr);
    EXPECT_TRUE(alertMessages().empty());
    EXPECT_EQ(frame->getAudio(), clip);
    EXPECT_EQ(clip->fileName(), "clip.wav");
    EXPECT_EQ(clip->stop(), 1000);
    EXPECT_EQ(testsupport::namesInFolder(folder), files);
    EXPECT_LIST_INVARIANTS(project);
}

// ---- chooser, library and clip panel ------------------------------------------------------------------

TEST_F(EditorTest, MenuAudioOpensTheChooserOrTheClipPanel) {
    auto project = projectOfPictures("AB");
    auto list = project->getFrameList();
    const std::string folder = *project->getProjectPath();
    fs::copy_file(soundOf(1), folder + "/clip.wav");
    list->getFrameAtIndex(1)->setAudio(clipOf("clip.wav", 1000));
    open(project);
    auto post = [&](int64_t index) {
        foundation::NotificationCenter::defaultCenter().post(n::kMenuAudio, nullptr,
                                                             {{n::kFrameKey, n::box(list->getFrameAtIndex(index))}});
        settle();
        advance(1);
    };
    post(0);
    EXPECT_EQ(editor->selectedFrame(), list->getFrameAtIndex(0));
    ASSERT_NE(editor->mediaPicker(), nullptr);
    EXPECT_EQ(editor->presentedViewController(), editor->mediaPicker()->viewController().get());
    // The music folder is looked at while its list is open, and no longer
    // after (the capture screen's own loop goes on).
    const size_t repeating = foundation::RunLoop::main().repeatingTimers().size();
    editor->mediaPicker()->songsViewController()->view();
    EXPECT_EQ(foundation::RunLoop::main().repeatingTimers().size(), repeating + 1);
    editor->jgMediaPickerDidCancel(*editor->mediaPicker());
    advance(1);
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    EXPECT_EQ(foundation::RunLoop::main().repeatingTimers().size(), repeating);

    post(1);
    ui::ViewController* panel = editor->audioConfigurationController();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->view()->frame(), graphics::Rect(0, 768 - 214, 1024, 214));
    post(1);  // one is up: nothing
    EXPECT_EQ(editor->audioConfigurationController(), panel);
    savePicture("edhelp_clip_panel_tablet.png");

    // Removing the clip clears the pause, saves and slides the panel away.
    list->getFrameAtIndex(1)->setIsFramePausedForDurationOfAudio(true);
    list->getFrameAtIndex(1)->setAudio(nullptr);
    foundation::NotificationCenter::defaultCenter().post(n::kAudioControllerRemoveClip, nullptr,
                                                         {{n::kFrameKey, n::box(list->getFrameAtIndex(1))}});
    settle();
    advance(1);
    EXPECT_FALSE(list->getFrameAtIndex(1)->isFramePausedForDurationOfAudio());
    EXPECT_EQ(editor->audioConfigurationController(), nullptr);
    EXPECT_EQ(editor->btnCloseModalController(), nullptr);
    EXPECT_EQ(namesOfSavedList(*project), "ABS");
    EXPECT_LIST_INVARIANTS(project);
}

class ClipPanelTest : public testsupport::AtTabletAndPhone<EditorTest> {};

TEST_P(ClipPanelTest, EveryControlOfTheClipPanelShowsWithinIt) {
    auto project = projectOfPictures("AB");
    fs::copy_file(soundOf(1), *project->getProjectPath() + "/clip.wav");
    const FramePtr frame = project->getFrameList()->getFrameAtIndex(1);
    frame->setAudio(clipOf("clip.wav", 1000));
    open(project);
    foundation::NotificationCenter::defaultCenter().post(n::kMenuAudio, nullptr, {{n::kFrameKey, n::box(frame)}});
    settle();
    advance(1);
    auto* navigation = dynamic_cast<ui::NavigationController*>(editor->audioConfigurationController());
    ASSERT_NE(navigation, nullptr);
    auto* clip = dynamic_cast<KWAudioConfigurationViewController*>(navigation->topViewController());
    ASSERT_NE(clip, nullptr);
    const graphics::Rect panel = inWindow(navigation->view());
    savePicture(std::string("edaudio_clip_panel_") + (phone_ ? "phone.png" : "tablet.png"));
    for (ui::View* control : std::initializer_list<ui::View*>{clip->trimControlView(), clip->sliderVolume(),
                                                              clip->btnPlay()}) {
        const graphics::Rect drawn = drawnRect(*control);
        EXPECT_TRUE(!drawn.isNull() && panel.contains(inWindow(control)))
            << "drawn at " << drawn.toString() << " of " << inWindow(control).toString() << " in the panel at "
            << panel.toString();
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, ClipPanelTest, ::testing::Bool(), testsupport::tabletOrPhone);

TEST_F(EditorTest, ChosenSoundsAreImportedWithTheirTypes) {
    auto project = projectOfPictures("AB");
    auto list = project->getFrameList();
    open(project);
    struct Case {
        std::string file;
        bool isRecord;
        const char* title;
        std::optional<std::string> name;  // none: the importer's own
    } cases[] = {
        {soundOf(3), false, "Boing", std::string("Boing")},
        {soundOf(61), false, "Long song", std::nullopt},
        {soundOf(2), true, "record", std::nullopt},
    };
    for (const Case& c : cases) {
        editor->showAudioChooserForFrame(list->getFrameAtIndex(0));
        advance(1);
        auto item = NXMediaPickerItem::create("file://" + c.file, std::string(c.title));
        item->isRecord = c.isRecord;
        editor->nxMediaPicker(*editor->mediaPicker(), {item}, item);
        advance(1);
        settle();
        // The frame's clip of the case before is replaced only when the user says so.
        for (auto& alert : ui::AlertView::visibleAlerts()) alert->clickButtonAtIndex(1);
        settle();
        advance(1);  // the alert's dismissal runs to its end
        auto clip = list->getFrameAtIndex(0)->getAudio();
        ASSERT_NE(clip, nullptr) << c.title;
        if (c.name)
            EXPECT_EQ(clip->name(), c.name);
        else
            EXPECT_NE(clip->name(), std::optional<std::string>(c.title));
        EXPECT_EQ(editor->presentedViewController(), nullptr);
    }
    EXPECT_LIST_INVARIANTS(project);
}

TEST_F(EditorTest, LibrarySongsImportOrExplainWhyNot) {
    auto project = projectOfPictures("AB");
    auto list = project->getFrameList();
    open(project);
    auto choose = [&](std::optional<std::string> url) {
        editor->showAudioChooserForFrame(list->getFrameAtIndex(1));
        advance(1);
        auto song = std::make_shared<library::MediaItem>();
        song->title = "Song";
        song->assetURL = std::move(url);
        editor->jgMediaPicker(*editor->mediaPicker(), nullptr, song);
        settle();
        advance(1);
    };
    // Copy-protected: an alert, nothing imported.
    choose(std::nullopt);
    ASSERT_FALSE(alertMessages().empty());
    EXPECT_EQ(alertMessages().back(),
              "Access denied. This music is protected by a digital right management system and cannot be used.");
    EXPECT_EQ(list->getFrameAtIndex(1)->getAudio(), nullptr);

    // A song: "Importing..." while it converts, then the clip, then the notice goes.
    std::vector<std::string> notices;
    std::vector<foundation::ObserverToken> tokens;
    for (const char* name : {n::kShowActivity, n::kHideActivity})
        tokens.push_back(foundation::NotificationCenter::defaultCenter().addObserver(
            name, editor.get(), [&notices](const foundation::Notification& notification) {
                notices.push_back(notification.name + " " + notification.userInfo.get(n::kInfoKey).asString());
            }));
    choose("file://" + soundOf(2));
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return list->getFrameAtIndex(1)->getAudio() != nullptr; }, 60.0));
    settle();
    EXPECT_EQ(list->getFrameAtIndex(1)->getAudio()->name(), "Song");
    EXPECT_EQ(notices,
              (std::vector<std::string>{"ShowActivityNotification Importing...", "HideActivityNotification "}));
    EXPECT_EQ(editor->hudy(), nullptr);

    // A file that is no sound: the exporter's error, and the notice goes.
    list->getFrameAtIndex(1)->setAudio(nullptr);
    const std::string bogus = *project->getProjectPath() + "/../not-a-song.wav";
    std::ofstream(bogus) << "no sound here";
    const size_t alerts = alertMessages().size();
    notices.clear();
    choose("file://" + fs::weakly_canonical(bogus).string());
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return alertMessages().size() > alerts; }, 60.0));
    settle();
    EXPECT_EQ(notices,
              (std::vector<std::string>{"ShowActivityNotification Importing...", "HideActivityNotification "}));
    EXPECT_EQ(editor->hudy(), nullptr);
    EXPECT_EQ(list->getFrameAtIndex(1)->getAudio(), nullptr);
    EXPECT_LIST_INVARIANTS(project);
    // Nothing keeps the editor once its owner lets go.
    std::weak_ptr<FrameEditorViewController> weak = editor;
    window->setRootViewController(nullptr);
    editor.reset();
    settle();
    EXPECT_TRUE(weak.expired());
}

// ---- one clip per frame ---------------------------------------------------------------------------------

class ReplaceClipTest : public VoiceOverTest {
protected:
    // The question on screen, answered by a finger on its button.
    void answer(const char* button) {
        settle();
        advance(1);
        const auto alerts = ui::AlertView::visibleAlerts();
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0]->title(), "Replace the sound?");
        for (int i = 0; i < alerts[0]->numberOfButtons(); ++i)
            if (alerts[0]->buttonTitleAtIndex(i) == button) tap(alerts[0]->buttonViewAtIndex(i));
        advance(1);
        settle();
        ASSERT_TRUE(ui::AlertView::visibleAlerts().empty());
    }
    void pickSound(const FramePtr& frame, const std::string& file, const char* title) {
        editor->showAudioChooserForFrame(frame);
        advance(1);
        auto item = NXMediaPickerItem::create("file://" + file, std::string(title));
        editor->nxMediaPicker(*editor->mediaPicker(), {item}, item);
        advance(1);
    }
    void acceptTake(const std::string& file) {
        editor->showAudioRecorder();
        advance(1);
        editor->audioRecorderDidAcceptRecording(*editor->audioRecorderView(), file);
    }
    // The titles the chooser's Recordings list shows for the project.
    std::vector<std::string> recordings() {
        NXRecordQueryViewController list;
        list.updateLibraryFromFolderAtPath(editor->project()->getProjectPath());
        std::vector<std::string> titles;
        for (const auto& item : list.mediaItemsCollection()) titles.push_back(item->title);
        return titles;
    }
    // A take as the voice-over panel names it.
    std::string takeFile(const char* stamp) {
        const std::string file = folders.root() + "/record-" + stamp + ".wav";
        fs::copy_file(soundOf(2), file);
        return file;
    }
};

TEST_F(ReplaceClipTest, MusicOverAVoiceOverAsksAndTheRecordingStaysUnderRecordings) {
    openAt("AB", 5, 0);
    FramePtr frame = editor->project()->getFrameList()->getFrameAtIndex(0);
    acceptTake(takeFile("2015-06-01-14-03-59"));
    settle();
    advance(1);
    ASSERT_NE(frame->getAudio(), nullptr);  // the first clip needs no question
    const auto voiceOver = frame->getAudio();
    ASSERT_EQ(recordings().size(), 1u);

    pickSound(frame, soundOf(3), "Boing");
    EXPECT_EQ(alertMessages().back(),
              "This frame has a voice-over. A frame plays one sound: the new one takes its place, and the "
              "recording stays under Recordings.");
    answer("Cancel");
    EXPECT_EQ(frame->getAudio(), voiceOver);

    pickSound(frame, soundOf(3), "Boing");
    answer("Replace");
    ASSERT_NE(frame->getAudio(), nullptr);
    EXPECT_EQ(frame->getAudio()->name(), "Boing");
    EXPECT_EQ(recordings().size(), 1u);
    EXPECT_TRUE(fs::exists(*editor->project()->getProjectPath() + "/" + *voiceOver->fileName()));
    // Saved so: the project read again has the song on the frame.
    auto reread = ProjectModel::create(*editor->project()->getProjectPath());
    EXPECT_EQ(reread->getFrameList()->getFrameAtIndex(0)->getAudio()->name(), "Boing");
    EXPECT_LIST_INVARIANTS(editor->project());
}

TEST_F(ReplaceClipTest, ATakeOverMusicOrASongOverAClipWaitsForTheAnswer) {
    openAt("AB", 5, 0);
    FramePtr frame = editor->project()->getFrameList()->getFrameAtIndex(0);
    pickSound(frame, soundOf(3), "Boing");
    settle();
    ASSERT_NE(frame->getAudio(), nullptr);
    const auto music = frame->getAudio();

    // Kept out of the frame, the take is still in the project under Recordings.
    acceptTake(takeFile("2015-06-01-14-05-00"));
    EXPECT_EQ(alertMessages().back(), "This frame plays “Boing”. A frame plays one sound: the new one takes its place.");
    answer("Cancel");
    EXPECT_EQ(frame->getAudio(), music);
    EXPECT_EQ(recordings().size(), 1u);

    // A library song is asked about before it is converted into the project.
    std::vector<std::string> notices;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        n::kShowActivity, editor.get(), [&notices](const foundation::Notification& notification) {
            notices.push_back(notification.userInfo.get(n::kInfoKey).asString());
        });
    const auto before = std::distance(fs::directory_iterator(*editor->project()->getProjectPath()), {});
    editor->showAudioChooserForFrame(frame);
    advance(1);
    auto song = std::make_shared<library::MediaItem>();
    song->title = "Song";
    song->assetURL = "file://" + soundOf(2);
    editor->jgMediaPicker(*editor->mediaPicker(), nullptr, song);
    answer("Cancel");
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(*editor->project()->getProjectPath()), {}), before);
    EXPECT_EQ(frame->getAudio(), music);
    EXPECT_LIST_INVARIANTS(editor->project());
}

}  // namespace
}  // namespace editortest
