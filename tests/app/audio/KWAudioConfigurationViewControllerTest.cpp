// The clip editor over a project with ffmpeg-made sounds, on the virtual
// clock with the null sound output.

#include "AudioProjectSupport.h"
#include "app/audio/KWAudioConfigurationViewController.h"
#include "app/audio/KWAudioWaveformGenerator.h"
#include "app/audio/WaveformCache.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Slider.h"
#include "support/AudioDevices.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using audiotest::attach;
using audiotest::projectWithFrames;

const testsupport::TestSound kTone{"0.5*sin(2*PI*440*t)", 10.0};

TEST(WaveformColumnsTest, ColumnsAverageMagnitudesSoSoundDoesNotCancelOut) {
    struct Case {
        const char* what;
        int channels;
        std::vector<int16_t> frames;  // interleaved
        int64_t samplesPerPoint;
        std::vector<int16_t> columns;
    };
    const std::vector<Case> cases = {
        // Two frames per column; a signed average would give 0.
        {"mono square", 1, {1000, -1000, 1000, -1000, 500}, 1, {1000, 1000}},
        {"stereo alternates", 2, {100, -300, -100, 300, 7, 7}, 1, {100, 300}},
        {"leftover dropped", 1, {5, 5, 5}, 3, {}},
        {"extremes", 1, {-32768, -32768}, 0, {32767, 32767}},
    };
    for (const Case& c : cases) {
        WaveformColumns columns(c.samplesPerPoint, c.channels);
        for (size_t i = 0; i + size_t(c.channels) <= c.frames.size(); i += size_t(c.channels))
            columns.addFrame(&c.frames[i]);
        EXPECT_EQ(columns.values(), c.columns) << c.what;
        const int16_t max = c.columns.empty() ? 0 : *std::max_element(c.columns.begin(), c.columns.end());
        EXPECT_EQ(columns.normalizeMax(), max) << c.what;
    }
}

TEST(WaveformColumnsTest, TenSecondsOfMonoAt300PointsGive299ColumnsOf1471Frames) {
    EXPECT_EQ(KWAudioWaveformGenerator::samplesPerPoint(44100, 10, 300), 1470);
    EXPECT_EQ(WaveformColumns(1470, 1).framesPerColumn(), 1471);
    auto image = KWAudioWaveformGenerator::renderPNGAudioPictogramForAssett(testsupport::testSound(kTone),
                                                                            graphics::Size{300, 50});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 299);
    EXPECT_EQ(image->pixelHeight(), 50);
    // A steady tone fills its band from edge to edge in every column, in
    // the first channel's colour; nothing is drawn beside the lines.
    const graphics::RGBA blue = image->pixelAt(150, 25);
    EXPECT_EQ(blue.r, 20);
    EXPECT_EQ(blue.b, 130);
    EXPECT_GT(image->pixelAt(150, 2).a, 0);
    EXPECT_GT(image->pixelAt(150, 47).a, 0);

    // Stereo: two columns per point.
    auto stereo = KWAudioWaveformGenerator::renderPNGAudioPictogramForAssett(
        testsupport::testSound({"0.5|-0.25", 10.0}), graphics::Size{300, 50});
    ASSERT_TRUE(stereo);
    EXPECT_EQ(stereo->pixelWidth(), 598);
    // Silence draws an empty band; no file, no picture.
    auto silence = KWAudioWaveformGenerator::renderPNGAudioPictogramForAssett(testsupport::testSound({"0", 2.0}),
                                                                              graphics::Size{100, 50});
    ASSERT_TRUE(silence);
    EXPECT_EQ(silence->pixelAt(50, 25).a, 0);
    EXPECT_FALSE(KWAudioWaveformGenerator::renderPNGAudioPictogramForAssett("/nonexistent.wav", {100, 50}));
}

class KWAudioConfigurationTest : public testsupport::WindowFixture {
protected:
    std::shared_ptr<KWAudioConfigurationViewController> open(const ProjectModelPtr& project, int64_t frame) {
        auto screen = std::make_shared<KWAudioConfigurationViewController>(
            project->getFrameList()->getFrameAtIndex(frame), project);
        navigation = std::make_shared<ui::NavigationController>(screen);
        window->setRootViewController(navigation);
        window->layoutIfNeeded();
        foundation::RunLoop::main().runUntilIdle();  // the waveform
        return screen;
    }
    void close() {
        window->setRootViewController(nullptr);
        navigation.reset();
    }
    void TearDown() override {
        close();
        WindowFixture::TearDown();
    }
    testsupport::TempAppFolders folders;
    testsupport::AudioDevicesScope audio{nullptr};
    std::shared_ptr<ui::NavigationController> navigation;
};

TEST_F(KWAudioConfigurationTest, TrimStoresWholeMillisecondsAndStopsListeningFirst) {
    auto project = projectWithFrames(5, 60);
    auto clip = attach(project, 0, kTone, 10000, 0.8f);
    auto screen = open(project, 0);
    EXPECT_EQ(screen->title, "clip");
    EXPECT_FLOAT_EQ(static_cast<float>(screen->sliderVolume()->value()), 0.8f);

    screen->actionPlayButton();
    EXPECT_TRUE(screen->isListening());
    EXPECT_TRUE(screen->btnPlay()->isSelected());
    EXPECT_FALSE(screen->btnStop()->isHidden());
    screen->trimControl(*screen->trimControlView(), 1.2345, 3.9999);
    EXPECT_EQ(clip->start(), 1234);
    EXPECT_EQ(clip->stop(), 3999);
    EXPECT_FALSE(screen->isListening());
    EXPECT_TRUE(screen->btnStop()->isHidden());

    // The volume slider stops listening too.
    screen->actionPlayButton();
    ASSERT_TRUE(screen->isListening());
    screen->sliderVolume()->setValue(0.25);
    screen->actionSliderValueChanged();
    EXPECT_FALSE(screen->isListening());
    EXPECT_FLOAT_EQ(clip->volume(), 0.25f);

    // Listening to the trimmed clip ends after its 2.765 s.
    screen->actionPlayButton();
    advance(3.0);
    EXPECT_FALSE(screen->isListening());
    EXPECT_FALSE(screen->btnPlay()->isSelected());
}

TEST_F(KWAudioConfigurationTest, TheTrimControlSpansTheWaveformAndAClipOfLengthZeroCannotBeTrimmed) {
    auto project = projectWithFrames(5, 60);
    // A tone that swells and fades, for a waveform worth a look.
    auto clip = attach(project, 0, {"0.8*sin(2*PI*440*t)*abs(sin(PI*t/2.5))", 10.0}, 8000, 1.0f, 2000);
    auto screen = open(project, 0);
    RETrimControl* control = screen->trimControlView();
    ASSERT_NE(control, nullptr);
    const graphics::Rect area = screen->viewTrimm()->frame();
    EXPECT_EQ(control->frame(), graphics::Rect(area.origin.x - 10, area.origin.y, area.size.width + 20, 75));
    EXPECT_NEAR(control->leftValue(), 2.0, 1e-6);
    EXPECT_NEAR(control->rightValue(), 8.0, 1e-6);
    savePicture("AudioClipEditor.png");
    close();

    // An unreadable file was imported as a clip of length 0.
    clip->setDuration(0);
    clip->setStart(0);
    clip->setStop(0);
    auto empty = open(project, 0);
    EXPECT_FALSE(empty->trimControlView()->isUserInteractionEnabled());
    empty->trimControlView()->notifyDelegate();
    empty->trimControl(*empty->trimControlView(), 0, 0);
    EXPECT_EQ(clip->start(), 0);
    EXPECT_EQ(clip->stop(), 0);
}

TEST_F(KWAudioConfigurationTest, WaveformIsCachedPerProjectAndDrawnAgainWhenTheFileChanges) {
    auto project = projectWithFrames(5, 60);
    auto clip = attach(project, 0, kTone, 10000, 1.0f);
    const int64_t reads = KWAudioWaveformGenerator::audioReadCount();
    auto first = open(project, 0);
    EXPECT_EQ(KWAudioWaveformGenerator::audioReadCount(), reads + 1);
    ASSERT_FALSE(first->waveformView()->image().isNull());
    const std::string cache = waveformcache::pathForClip(*project->getProjectPath(), *clip->fileName());
    EXPECT_TRUE(fs::exists(cache));
    EXPECT_EQ(fs::path(cache).filename().string(), *clip->fileName() + ".wavecache");
    close();

    // A second opening shows the stored picture without reading the audio.
    auto second = open(project, 0);
    EXPECT_EQ(KWAudioWaveformGenerator::audioReadCount(), reads + 1);
    EXPECT_EQ(second->waveformView()->image().pixelWidth(), first->waveformView()->image().pixelWidth());
    close();

    // The same file name in another project is another sound.
    auto other = projectWithFrames(5, 60);
    auto otherClip = attach(other, 0, {"0.1", 3.0}, 3000, 1.0f);
    otherClip->setFileName(clip->fileName());
    fs::copy_file(testsupport::testSound({"0.1", 3.0}),
                  foundation::path::appending(*other->getProjectPath(), *clip->fileName()),
                  fs::copy_options::overwrite_existing);
    EXPECT_NE(waveformcache::pathForClip(*other->getProjectPath(), *clip->fileName()), cache);
    open(other, 0);
    EXPECT_EQ(KWAudioWaveformGenerator::audioReadCount(), reads + 2);
    close();

    // The file replaced under its name (another size and time) is drawn again.
    const std::string audioPath = foundation::path::appending(*project->getProjectPath(), *clip->fileName());
    fs::copy_file(testsupport::testSound({"0.1", 3.0}), audioPath, fs::copy_options::overwrite_existing);
    open(project, 0);
    EXPECT_EQ(KWAudioWaveformGenerator::audioReadCount(), reads + 3);
}

TEST_F(KWAudioConfigurationTest, AppearingAgainAddsNoSecondWaveformOrTrimControl) {
    auto project = projectWithFrames(5, 60);
    attach(project, 0, kTone, 10000, 1.0f);
    auto screen = open(project, 0);
    auto cover = std::make_shared<ui::ViewController>();
    screen->presentViewController(cover, false);
    advance(0.5);
    cover->dismissViewController(false);
    advance(0.5);
    window->layoutIfNeeded();
    auto count = [](const ui::View& parent, auto isKind) {
        return std::count_if(parent.subviews().begin(), parent.subviews().end(),
                             [&](const ui::ViewPtr& view) { return isKind(view.get()); });
    };
    EXPECT_EQ(count(*screen->view(), [](ui::View* v) { return dynamic_cast<RETrimControl*>(v) != nullptr; }), 1);
    EXPECT_EQ(count(*screen->viewTrimm(), [](ui::View* v) { return dynamic_cast<ui::ImageView*>(v) != nullptr; }), 1);
}

TEST_F(KWAudioConfigurationTest, TrashAndDonePostTheirNotificationsWithTheFrame) {
    auto project = projectWithFrames(5, 60);
    attach(project, 3, kTone, 10000, 1.0f);
    auto frame = project->getFrameList()->getFrameAtIndex(3);
    auto screen = open(project, 3);
    std::vector<std::string> heard;
    auto observe = [&](const char* name) {
        return foundation::NotificationCenter::defaultCenter().addObserver(
            name, screen.get(), [&heard, frame](const foundation::Notification& note) {
                const auto& value = note.userInfo[KWAudioConfigurationViewController::kFrameKey];
                const FramePtr* posted = value.objectAs<FramePtr>();
                heard.push_back(note.name + (posted && *posted == frame ? " FRAME" : " ?"));
            });
    };
    auto done = observe(KWAudioConfigurationViewController::kDoneNotification);
    auto removed = observe(KWAudioConfigurationViewController::kRemoveClipNotification);
    screen->actionPlayButton();
    screen->actionDone();
    EXPECT_FALSE(screen->isListening());
    EXPECT_NE(frame->getAudio(), nullptr);
    screen->actionTrash();
    EXPECT_EQ(frame->getAudio(), nullptr);
    EXPECT_EQ(heard, (std::vector<std::string>{"AudioControllerDoneNotification FRAME",
                                               "AudioControllerRemoveClipNotification FRAME"}));
}

}  // namespace
