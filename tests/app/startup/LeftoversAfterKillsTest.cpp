// Renders, painter saves and recordings killed in the middle leave their
// temporaries behind; one further start, with the next opening of the
// project, leaves none of them, and takes nothing that is in use.

#include "LaunchFixture.h"
#include "app/core/KWImageProducer.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PainterViewController.h"
#include "app/painter/PaintingView.h"
#include "app/render/AnimatedGifRenderer.h"
#include "app/render/MovieRenderer.h"
#include "app/render/ProjectExportRenderer.h"
#include "app/render/SingleImagesExportRenderer.h"
#include "app/render/TollivarMovieRenderer.h"
#include "app/widgets/views/HelpManager.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/StreamedFile.h"
#include "platform/foundation/TemporaryClaim.h"
#include "platform/foundation/Uuid.h"
#include "platform/media/AudioInput.h"
#include "platform/media/AudioRecorder.h"
#include "platform/media/AudioSession.h"
#include "support/ChildProcess.h"
#include "support/TestFiles.h"
#include "support/WindowFixture.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <random>
#include <set>
#include <thread>
#include <unistd.h>

namespace startuptest {
namespace {

// What the child does, in which application folders, on which project.
constexpr const char* kWorkVariable = "TOLLIVAR_LEFTOVER_WORK";
constexpr const char* kRootVariable = "TOLLIVAR_LEFTOVER_ROOT";
constexpr const char* kProjectVariable = "TOLLIVAR_LEFTOVER_PROJECT";
constexpr int kPaintedFrame = 1;

// The child tells the parent how far it got, one mark at a time (a
// character that nothing else in its output holds).
constexpr char kMark = '\a';
void say() {
    std::fputc(kMark, stdout);
    std::fflush(stdout);
}

MovieRendererPtr rendererOfKind(const ProjectModelPtr& project, const std::string& kind) {
    if (kind == "gif") return std::make_shared<AnimatedGifRenderer>(project);
    if (kind == "images") return std::make_shared<SingleImagesExportRenderer>(project);
    if (kind == "archive") return std::make_shared<ProjectExportRenderer>(project);
    return std::make_shared<TollivarMovieRenderer>(project);
}

// Exports of one kind, one after the other, saying so as each makes progress.
[[noreturn]] void renderForever(const ProjectModelPtr& project, const std::string& kind) {
    for (;;) {
        // Never taken from the cache: each export writes anew.
        project->getMetaData()->set(projectkeys::kNeedsRendering, true);
        (void)project->saveMetaDataToDisk();
        MovieRendererPtr renderer = rendererOfKind(project, kind);
        // The smallest size: many exports, and kills, in little time.
        renderer->exportProjectWithExportType(renderer->getSupportedExportTypes().back(), [] {});
        double said = -1;
        // The export starts on its own queue: not started yet is under way too.
        while (renderer->status() == MovieRenderer::kStatusNotStarted ||
               renderer->status() == MovieRenderer::kStatusRendering) {
            if (renderer->progress() > said) {
                said = renderer->progress();
                say();
            }
            std::this_thread::yield();
        }
        foundation::RunLoop::main().runUntilIdle();
    }
}

// Takes recorded into the temporary folder, as the voice-over sheet does.
[[noreturn]] void recordForever(testsupport::VirtualClockScope&) {
    media::AudioInput::setShared(media::SyntheticAudioInput::squareWave(0.1f));
    (void)media::AudioSession::sharedInstance().setCategory(media::AudioSession::Category::Record);
    for (int take = 0;; ++take) {
        const std::string file = foundation::path::appending(foundation::Paths::temporaryDirectory(),
                                                             "record-" + std::to_string(take) + ".m4a");
        auto recorder = media::AudioRecorder::create(file, {});
        if (!recorder || !(*recorder)->record()) std::exit(5);
        for (int tick = 0; tick < 20; ++tick) {
            foundation::RunLoop::main().advance(0.1);
            say();
        }
        (*recorder)->stop();
        (void)(*recorder)->deleteRecording();
    }
}

// A take that has begun and goes on for as long as the process lives.
[[noreturn]] void holdARecording(testsupport::VirtualClockScope&) {
    media::AudioInput::setShared(media::SyntheticAudioInput::squareWave(0.1f));
    (void)media::AudioSession::sharedInstance().setCategory(media::AudioSession::Category::Record);
    auto recorder = media::AudioRecorder::create(
        foundation::path::appending(foundation::Paths::temporaryDirectory(), "record-held.m4a"), {});
    if (!recorder || !(*recorder)->record()) std::exit(5);
    foundation::RunLoop::main().advance(0.3);
    say();
    for (;;) ::pause();
}

class LeftoverWorkChild : public testsupport::WindowFixture {
protected:
    // The painter on the frame, as the editor opens it; saves over and over,
    // adding layers and deleting them again.
    [[noreturn]] void paintForever(const ProjectModelPtr& project) {
        auto created = PainterViewController::create(project, kPaintedFrame, false);
        if (!created) std::exit(3);
        std::shared_ptr<PainterViewController> painter = *created;
        window->setRootViewController(painter);
        painter->view()->layoutIfNeeded();
        painter->viewDidAppear(false);
        advance(0.5);
        if (HelpManager* help = painter->helpManager()) {
            help->dismiss();
            advance(1);
        }
        auto* canvas = dynamic_cast<PaintingView*>(painter->drawingView());
        if (!canvas) std::exit(3);
        PainterLayerManager& layers = *painter->layerManager();
        for (int round = 0;; ++round) {
            canvas->addStrokeWithPosition({100.0 + round % 800, 100.0 + round % 400}, 20, 0, canvas->currentBrush());
            if (layers.layers().size() < 5)
                layers.addLayerAtIndex(0);
            else
                layers.removeLayerAtIndex(layers.layers().size() - 1);
            say();
            if (!painter->saveAndClose()) std::exit(4);
        }
    }
};

TEST_F(LeftoverWorkChild, DISABLED_WorksUntilKilled) {
    const char* work = std::getenv(kWorkVariable);
    if (!work) GTEST_SKIP() << "runs as a child of LeftoversAfterKills";
    foundation::Paths::setRootOverride(std::string(std::getenv(kRootVariable)));
    KWProjects::getInstance().resetForTesting();
    auto project = ProjectModel::create(std::string(std::getenv(kProjectVariable)));
    const std::string kind = work;
    if (kind == "paint") paintForever(project);
    if (kind == "record") recordForever(clock);
    if (kind == "hold") holdARecording(clock);
    renderForever(project, kind);
}

// Names of a folder that a killed writer may leave: streamed and claimed
// temporaries, the atomic writer's temporaries, and layer files that the
// frame's layer stack does not list.
std::vector<std::string> leftoversIn(const std::string& folder, const std::string& paintedFrameID = {}) {
    std::vector<std::string> found;
    if (!fs::is_directory(folder)) return found;
    std::set<std::string> layers;
    if (!paintedFrameID.empty()) {
        auto bytes = foundation::readFile(folder + "/" + PainterLayerManager::layersFileName(paintedFrameID));
        auto stack = bytes ? decodeLayerStack(*bytes) : foundation::Result<StoredLayerStack>(bytes.error());
        if (stack)
            for (const auto& layer : stack->layers) layers.insert(layer->UUID);
    }
    const std::string layerPrefix = "canvas-" + paintedFrameID + "-";
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        bool leftover = name.starts_with(".") &&
                        (name.find(".partial") != std::string::npos || name.find(".tmp-") != std::string::npos);
        if (!paintedFrameID.empty() && name.starts_with(layerPrefix)) {
            const std::string layer = name.substr(layerPrefix.size(), name.rfind('.') - layerPrefix.size());
            leftover = !layers.contains(layer);
        }
        if (leftover) found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    return found;
}

class LeftoversAfterKillsTest : public LaunchTest {};

TEST_F(LeftoversAfterKillsTest, ThirtyKillsMidwayLeaveNothingAfterTheNextStart) {
    // A project long enough that each export takes a while.
    auto project = ProjectModel::create();
    {
        KWImageProducer producer(project);
        auto list = project->getFrameList();
        for (int i = 0; i < 24; ++i) {
            FramePtr frame = Frame::create(Frame::kTypePicture);
            const auto shade = uint8_t(10 * i);
            ASSERT_TRUE(
                producer.storeImage(graphics::Image::filled(640, 360, {shade, 90, 200, 255}), frame->frameID()));
            list->insertFrame(frame, list->getCaptureIndex());
        }
        ASSERT_TRUE(project->saveAllDataToDisk());
    }
    const std::string folder = *project->getProjectPath();
    const std::string painted = project->getFrameList()->getFrameAtIndex(kPaintedFrame)->frameID();
    const std::string cache = *MovieRenderer::renderCachePathForProject(*project);
    const std::string temporary = foundation::Paths::temporaryDirectory();

    struct Work {
        std::string name;
        std::string folder;  // where its temporaries appear
    };
    const Work works[] = {{"movie", cache},  {"paint", folder},    {"record", temporary}, {"gif", cache},
                          {"paint", folder}, {"images", cache},    {"record", temporary}, {"archive", cache},
                          {"paint", folder}, {"record", temporary}};
    auto start = [&](const std::string& work) {
        testsupport::ChildProcess::Options options;
        options.environment = {std::string(kWorkVariable) + "=" + work,
                               std::string(kRootVariable) + "=" + folders.root(),
                               std::string(kProjectVariable) + "=" + folder};
        options.captureOutput = true;
        return testsupport::ChildProcess::spawn(
            {testsupport::ChildProcess::thisExecutable(), "--gtest_filter=LeftoverWorkChild.DISABLED_WorksUntilKilled",
             "--gtest_also_run_disabled_tests"},
            options);
    };
    std::mt19937 random(25);
    for (int kill = 0; kill < 30; ++kill) {
        const Work& work = works[size_t(kill) % std::size(works)];
        const std::vector<std::string> before = leftoversIn(work.folder, painted);
        auto child = start(work.name);
        // A random point: after some progress, and once the folder shows a
        // temporary of this child (a painter's shows only while it saves,
        // so it is watched for between the marks of a few more rounds).
        std::string said;
        const int steps = std::uniform_int_distribution<int>(1, 4)(random);
        for (int step = 0; step < steps; ++step)
            ASSERT_TRUE(child.readUntil(kMark, &said)) << work.name << ": " << said;
        pollfd output{child.outputDescriptor(), POLLIN, 0};
        // A name new to the folder: an export sweeps what earlier kills left
        // there before it starts, which changes the folder too.
        auto leftNothingNew = [&] {
            for (const std::string& name : leftoversIn(work.folder, painted))
                if (std::find(before.begin(), before.end(), name) == before.end()) return false;
            return true;
        };
        for (int more = 0; more < 20 && leftNothingNew();) {
            if (::poll(&output, 1, 0) != 1) continue;
            ASSERT_TRUE(child.readUntil(kMark, &said)) << work.name;
            ++more;
        }
        EXPECT_EQ(child.stop(SIGKILL), 128 + SIGKILL) << work.name;
    }
    // The kills left something in each place: the start has work to do.
    EXPECT_FALSE(leftoversIn(cache).empty());
    EXPECT_FALSE(leftoversIn(temporary).empty());
    EXPECT_FALSE(leftoversIn(folder, painted).empty());

    // In use while the application starts: a take in another process, and
    // a movie being written in this one.
    auto holder = start("hold");
    ASSERT_TRUE(holder.readUntil(kMark));
    std::vector<std::string> held;
    for (const std::string& name : testsupport::namesInFolder(temporary))
        if (foundation::temporaryTargetName(name) == "record-held.m4a") held.push_back(name);
    ASSERT_EQ(held.size(), 1u);
    auto writing = foundation::StreamedFile::create(cache + "/writing.mov");
    ASSERT_TRUE(writing);
    ASSERT_TRUE(writing->write("moov", 4));

    launch();
    // Opening the project sweeps its folder a moment later.
    auto reopened = ProjectModel::create(folder);
    ASSERT_NE(reopened->getFrameList(), nullptr);
    foundation::RunLoop::main().advance(ProjectDataWrapper::kLeftoverSweepDelaySeconds);
    foundation::RunLoop::main().runUntilIdle();

    EXPECT_EQ(leftoversIn(cache).size(), 1u) << "the movie being written";
    EXPECT_EQ(leftoversIn(temporary), held);
    EXPECT_EQ(leftoversIn(folder, painted), std::vector<std::string>{});
    ASSERT_TRUE(writing->commit());
    EXPECT_EQ(testsupport::readFileBytes(cache + "/writing.mov"), "moov");
    // What the kills could not take stays whole: the painted frame's
    // picture, and the layers its stack lists.
    EXPECT_EQ(reopened->getFrameList()->count(), 25);
    auto picture = foundation::readFile(folder + "/" + KWImageProducer::frameFileName(painted));
    EXPECT_TRUE(picture && graphics::Image::decode(*picture).ok());
    auto stack = foundation::readFile(folder + "/" + PainterLayerManager::layersFileName(painted));
    auto layers = stack ? decodeLayerStack(*stack) : foundation::Result<StoredLayerStack>(stack.error());
    ASSERT_TRUE(layers.ok());
    for (const auto& layer : layers->layers) {
        auto png = foundation::readFile(folder + "/" + PainterLayerManager::layerPictureFileName(painted, layer->UUID));
        EXPECT_TRUE(!png || graphics::Image::decode(*png).ok()) << layer->UUID;
    }
}

// What killed duplicates, imports and deletions leave: claimed folders in
// the documents and caches folders, and a whole project whose listing was
// cut off. A start sweeps the claims nobody holds and lists the project.
TEST_F(LeftoversAfterKillsTest, AStartSweepsAbandonedClaimsAndListsAWholeProjectLeftUnlisted) {
    auto project = ProjectModel::create();
    project->getFrameList()->insertFrame(Frame::create(Frame::kTypePicture), 0);
    ASSERT_TRUE(project->saveAllDataToDisk() && KWProjects::getInstance().removeProject(project));
    const std::vector<std::string> abandoned = {
        folders.documents() + "/.import.partial-" + foundation::makeUuidString(),
        folders.caches() + "/.import.partial-" + foundation::makeUuidString()};
    for (const std::string& folder : abandoned) testsupport::writeFileBytes(folder + "/project/kelbrin.meta", "half");
    auto held = foundation::TemporaryClaim::create(folders.documents() + "/duplicate",
                                                   foundation::TemporaryClaim::Kind::Folder);
    ASSERT_TRUE(held);

    launch();
    for (const std::string& folder : abandoned) EXPECT_FALSE(fs::exists(folder)) << folder;
    EXPECT_TRUE(fs::is_directory(held->path())) << "a claim in use was swept";
    EXPECT_NE(projectListByPlistlib().find(fs::path(*project->getProjectPath()).filename().string()), std::string::npos)
        << "the whole project was not listed";
}

}  // namespace
}  // namespace startuptest
