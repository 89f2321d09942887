#include "PainterScreenFixture.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PaintingView.h"
#include "app/painter/Stroke.h"
#include "support/ChildProcess.h"
#include "support/RenameCut.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

constexpr const char* kChildProject = "TOLLIVAR_PAINTER_KILL_PROJECT";
constexpr const char* kCutProject = "TOLLIVAR_PAINTER_CUT_PROJECT";
constexpr const char* kCutLanding = "TOLLIVAR_PAINTER_CUT_LANDING";

class PainterKillTest : public PainterScreenFixture {};

// The child: paints and saves the frame over and over, adding a layer now
// and then, and reports each save's start with a '.'.
void saveForever(PainterKillTest& test, const std::string& projectPath) {
    test.project = ProjectModel::create(projectPath);
    auto painter = test.openForChild();
    if (!painter) std::exit(3);
    auto* canvas = dynamic_cast<PaintingView*>(painter->drawingView());
    for (int round = 0;; ++round) {
        canvas->addStrokeWithPosition({100.0 + round % 800, 100.0 + round % 400}, 20, 0, canvas->currentBrush());
        if (round % 3 == 0 && painter->layerManager()->layers().size() < 6) painter->layerManager()->addLayerAtIndex(0);
        std::fputc('.', stdout);
        std::fflush(stdout);
        if (!painter->saveAndClose()) std::exit(4);
    }
}

TEST_F(PainterKillTest, SavesKilledMidwayLeaveDecodableFiles) {
    if (const char* path = std::getenv(kChildProject)) {
        saveForever(*this, path);
        return;
    }
    addFrames(2);
    const std::string id = frameID(1);
    for (int kill = 0; kill < 8; ++kill) {
        testsupport::ChildProcess::Options options;
        options.environment = {std::string(kChildProject) + "=" + *project->getProjectPath()};
        options.captureOutput = true;
        options.captureErrors = true;
        auto child =
            testsupport::ChildProcess::spawn({testsupport::ChildProcess::thisExecutable(),
                                              "--gtest_filter=PainterKillTest.SavesKilledMidwayLeaveDecodableFiles"},
                                             options);
        // Kill after a different number of saves each time, so the kill lands
        // at different places of a save.
        std::string said;
        for (int started = 0; started <= kill; ++started) ASSERT_TRUE(child.readUntil('.', &said)) << said;
        EXPECT_EQ(child.stop(SIGKILL), 128 + SIGKILL);

        const auto picture = fileData(KWImageProducer::frameFileName(id));
        ASSERT_TRUE(picture);
        EXPECT_TRUE(graphics::Image::decode(*picture).ok()) << "kill " << kill;
        if (auto strokes = fileData(painterfiles::strokesFileName(id))) {
            EXPECT_TRUE(decodeStrokeBuffer(*strokes).ok()) << "kill " << kill;
        }
        auto stack = fileData(PainterLayerManager::layersFileName(id));
        if (!stack) continue;
        auto layers = decodeLayerStack(*stack);
        ASSERT_TRUE(layers.ok()) << "kill " << kill;
        for (const auto& layer : layers->layers) {
            if (auto png = fileData(PainterLayerManager::layerPictureFileName(id, layer->UUID))) {
                EXPECT_TRUE(graphics::Image::decode(*png).ok()) << "kill " << kill;
            }
            if (auto strokes = fileData(PainterLayerManager::layerStrokesFileName(id, layer->UUID))) {
                EXPECT_TRUE(decodeStrokeBuffer(*strokes).ok()) << "kill " << kill;
            }
        }
    }
    // The painter opens on what is left without calling anything damaged.
    ASSERT_TRUE(open(1, false));
    EXPECT_GT(painter->layerManager()->layers().size(), 1u) << "the stored stack is back";
    EXPECT_TRUE(alertMessages().empty());
}

}  // namespace

namespace {

// Whether a stored small picture shows what the frame picture shows: it
// differs from one made from the frame picture now by little more than
// JPEG's rounding, where a stroke missing from one of them differs by far more.
bool showsTheFramePicture(const graphics::Image& frame, const graphics::Image& small, graphics::Size size) {
    const auto made = KWImageProducer::encodeThumbImage(frame, size);
    const graphics::Image expected = made ? PainterScreenFixture::decoded(*made) : graphics::Image();
    if (expected.isNull() || small.isNull() || expected.pixelWidth() != small.pixelWidth() ||
        expected.pixelHeight() != small.pixelHeight())
        return false;
    for (int y = 0; y < small.pixelHeight(); ++y)
        for (int x = 0; x < small.pixelWidth(); ++x) {
            const graphics::RGBA a = expected.pixelAt(x, y), b = small.pixelAt(x, y);
            if (std::abs(a.r - b.r) > 80 || std::abs(a.g - b.g) > 80 || std::abs(a.b - b.b) > 80) return false;
        }
    return true;
}

}  // namespace

// A save cut short after any of its files landed, as a kill there leaves it:
// at the next opening the strip's thumbnail and the preview show the frame
// picture as it is, painted or not.
TEST_F(PainterKillTest, ASaveCutAfterAnyWriteLeavesTheSmallPicturesShowingTheFrame) {
    if (const char* folder = std::getenv(kCutProject)) {
        project = ProjectModel::create(folder);
        ASSERT_TRUE(open(1, false));
        drawLine({100, 100}, {900, 480});
        drawLine({100, 480}, {900, 100});
        testsupport::ScopedRenameCut cut(folder, std::atoi(std::getenv(kCutLanding)));
        ASSERT_TRUE(painter->saveAndClose());
        return;
    }
    addFrames(2);
    const std::string id = frameID(1), folder = *project->getProjectPath();
    const auto unpainted = fileData(KWImageProducer::frameFileName(id));
    std::set<bool> painted;
    for (int landed = 0;; ++landed) {
        testsupport::ChildProcess::Options options;
        options.environment = {std::string(kCutProject) + "=" + folder,
                               std::string(kCutLanding) + "=" + std::to_string(landed)};
        options.captureOutput = true;
        auto child = testsupport::ChildProcess::spawn(
            {testsupport::ChildProcess::thisExecutable(),
             "--gtest_filter=PainterKillTest.ASaveCutAfterAnyWriteLeavesTheSmallPicturesShowingTheFrame"},
            options);
        const std::string said = child.readOutput();
        const int ended = child.wait();
        ASSERT_TRUE(ended == 0 || ended == 128 + SIGKILL) << said;

        auto reopened = ProjectModel::create(folder);
        ASSERT_TRUE(reopened->getFrameList());
        const auto frame = reopened->fileDataForFileWithPreferredFilename(KWImageProducer::frameFileName(id));
        painted.insert(frame != unpainted);
        for (const auto& [name, size] :
             {std::pair{KWImageProducer::thumbnailFileName(id), KWImageProducer::kThumbnailSize},
              std::pair{KWImageProducer::previewFileName(id), KWImageProducer::kPreviewSize}})
            EXPECT_TRUE(showsTheFramePicture(decoded(frame),
                                             decoded(reopened->fileDataForFileWithPreferredFilename(name)), size))
                << name << " when cut after " << landed << " writes";
        if (ended == 0) break;
        // Each round starts from the unpainted frame again.
        ASSERT_TRUE(reopened->updateRegularFileWithContents(*unpainted, KWImageProducer::frameFileName(id)));
        ASSERT_TRUE(KWImageProducer::createThumbNailAndPreviewForFrameID(*reopened, id));
    }
    EXPECT_EQ(painted, (std::set<bool>{false, true})) << "cut before the frame picture and after it";
}
