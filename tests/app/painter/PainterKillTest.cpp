#include "PainterScreenFixture.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PaintingView.h"
#include "app/painter/Stroke.h"
#include "support/ChildProcess.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kChildProject = "TOLLIVAR_PAINTER_KILL_PROJECT";

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
