#include "FakeCanvas.h"
#include "app/core/KWProjects.h"
#include "app/core/ProjectModel.h"
#include "app/painter/PainterFlatten.h"
#include "app/painter/PainterLayerManager.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/ui/controls/ImageView.h"
#include "support/HostileFiles.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using foundation::Bytes;
using graphics::Image;
using graphics::RGBA;

class PainterLayerManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        KWProjects::getInstance().resetForTesting();
        project = ProjectModel::create();
        container = std::make_shared<ui::View>(graphics::Rect{0, 0, 64, 36});
        canvas = std::make_shared<FakeCanvas>();
        container->addSubview(canvas);
        manager = std::make_unique<PainterLayerManager>(project);
        manager->setPaintingCanvas(canvas);
        manager->setViewCanvas(container.get());
    }
    void TearDown() override { KWProjects::getInstance().resetForTesting(); }

    // Paints the active layer with strokes starting with `first`.
    void paint(char first) { canvas->strokes = FakeCanvas::bytes(std::string(1, first) + "-strokes"); }

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& layer : manager->layers()) out.push_back(layer->name);
        return out;
    }
    // The views standing for the layers, front to back, as the container stacks them.
    std::vector<const ui::View*> stackedFrontToBack() const {
        std::vector<const ui::View*> out;
        // The active layer's own picture view is hidden behind the canvas.
        const ui::View* spare = manager->currentLayer()->viewImage.get();
        for (auto it = container->subviews().rbegin(); it != container->subviews().rend(); ++it)
            if (it->get() != spare) out.push_back(it->get());
        return out;
    }
    std::vector<const ui::View*> expectedFrontToBack() const {
        std::vector<const ui::View*> out;
        for (const auto& layer : manager->layers())
            out.push_back(layer == manager->currentLayer() ? static_cast<const ui::View*>(canvas.get())
                                                           : layer->viewImage.get());
        return out;
    }
    std::string fileInProject(const std::string& name) const { return *project->getProjectPath() + "/" + name; }

    testsupport::TempAppFolders folders;
    testsupport::VirtualClockScope clock;
    ProjectModelPtr project;
    std::shared_ptr<ui::View> container;
    std::shared_ptr<FakeCanvas> canvas;
    std::unique_ptr<PainterLayerManager> manager;
};

TEST_F(PainterLayerManagerTest, FreshManagerHasOneActivePlainLayer) {
    ASSERT_EQ(manager->layers().size(), 1u);
    const auto& layer = manager->layers().front();
    EXPECT_EQ(layer, manager->currentLayer());
    EXPECT_EQ(layer->name, "Layer");
    EXPECT_TRUE(layer->isEnabled && layer->canEdit && layer->canDeleted && layer->canStored);
    EXPECT_EQ(layer->obacity, 1.0f);
    EXPECT_EQ(layer->type, 0);
    EXPECT_EQ(layer->viewImage, nullptr);
    EXPECT_TRUE(isSafeLayerIdentifier(layer->UUID)) << layer->UUID;
    EXPECT_EQ(manager->getActiveLayerIndex(), 0u);
}

TEST_F(PainterLayerManagerTest, AddingNamesLayersInOrderKeepsStrokesAndStopsAtTwentyOne) {
    paint('a');
    ASSERT_TRUE(manager->addLayerAtIndex(0));
    // The layer that was left keeps its strokes and shows them as a picture.
    const auto& first = manager->layers()[1];
    EXPECT_EQ(first->bufferData, FakeCanvas::bytes("a-strokes"));
    ASSERT_NE(first->viewImage, nullptr);
    EXPECT_EQ(first->viewImage->image().pixelAt(5, 5), FakeCanvas::colourFor('a'));
    EXPECT_TRUE(canvas->strokes.empty()) << "a new layer starts on an empty canvas";
    ASSERT_TRUE(manager->addLayerAtIndex(0));
    ASSERT_TRUE(manager->removeLayerAtIndex(0));
    ASSERT_TRUE(manager->addLayerAtIndex(0));
    EXPECT_EQ(names(), (std::vector<std::string>{"Draw Layer 3", "Draw Layer 1", "Layer"}));
    while (manager->layers().size() < 21) ASSERT_TRUE(manager->addLayerAtIndex(0));
    EXPECT_FALSE(manager->addLayerAtIndex(0)) << "a 22nd layer is refused";
    EXPECT_EQ(manager->layers().size(), 21u);
    EXPECT_EQ(stackedFrontToBack(), expectedFrontToBack());
}

TEST_F(PainterLayerManagerTest, MovingAndSwitchingKeepScreenOrderAndStrokes) {
    for (int i = 0; i < 4; ++i) {
        paint(static_cast<char>('a' + i));
        ASSERT_TRUE(manager->addLayerAtIndex(0));
    }
    std::vector<PainterLayerPtr> before = manager->layers();
    manager->moveLayerFromIndex(0, 3);
    EXPECT_EQ(manager->layers(), (std::vector<PainterLayerPtr>{before[1], before[2], before[3], before[0], before[4]}));
    EXPECT_EQ(stackedFrontToBack(), expectedFrontToBack());
    // Entering the layer with 'c' loads its strokes onto the canvas.
    manager->setActiveLayerAtIndex(1);
    EXPECT_EQ(canvas->strokes, FakeCanvas::bytes("c-strokes"));
    EXPECT_TRUE(manager->currentLayer()->viewImage->isHidden()) << "the canvas shows the active layer";
    EXPECT_EQ(stackedFrontToBack(), expectedFrontToBack());
}

TEST_F(PainterLayerManagerTest, RemovingKeepsOneLayerAndActivatesANeighbour) {
    paint('a');
    ASSERT_TRUE(manager->addLayerAtIndex(0));
    paint('b');
    ASSERT_TRUE(manager->addLayerAtIndex(0));
    paint('c');
    // [c (active), b, a]: removing the active front layer hands over to b.
    const auto b = manager->layers()[1];
    ASSERT_TRUE(manager->removeLayerAtIndex(0));
    EXPECT_EQ(manager->currentLayer(), b);
    EXPECT_EQ(canvas->strokes, FakeCanvas::bytes("b-strokes"));
    // Removing the active last layer hands over to the one before it.
    manager->setActiveLayerAtIndex(1);
    const auto a = manager->currentLayer();
    ASSERT_TRUE(manager->removeLayerAtIndex(1));
    EXPECT_EQ(manager->currentLayer(), b);
    EXPECT_EQ(a->viewImage, nullptr);
    EXPECT_FALSE(manager->removeLayerAtIndex(0)) << "the last layer stays";
    EXPECT_FALSE(manager->removeLayerAtIndex(7));
    EXPECT_EQ(manager->getActiveLayerIndex(), 0u);
    EXPECT_EQ(stackedFrontToBack(), expectedFrontToBack());
}

TEST_F(PainterLayerManagerTest, LayerDictionariesReadBackOrAreRefused) {
    struct Case {
        const char* what;
        foundation::Value dictionary;
        bool ok;
        bool editable;
    };
    const Case cases[] = {
        {"fixed", foundation::Dictionary{{"UUID", "A-1"}, {"type", 2}}, true, false},
        {"plain", foundation::Dictionary{{"UUID", "A-1"}, {"type", 0}}, true, true},
        {"empty", foundation::Dictionary{}, true, true},
        {"path in identifier", foundation::Dictionary{{"UUID", "../x"}}, false, false},
        {"number as name", foundation::Dictionary{{"name", 3}}, false, false},
        {"infinite opacity", foundation::Dictionary{{"obacity", std::numeric_limits<double>::infinity()}}, false,
         false},
        {"string type", foundation::Dictionary{{"type", "2"}}, false, false},
        {"not a dictionary", foundation::Value("layer"), false, false},
    };
    for (const Case& c : cases) {
        auto layer = PainterLayer::initWithDict(c.dictionary);
        ASSERT_EQ(layer.ok(), c.ok) << c.what;
        if (!c.ok) continue;
        EXPECT_EQ((*layer)->canEdit, c.editable) << c.what;
        EXPECT_EQ((*layer)->canDeleted, c.editable) << c.what;
        EXPECT_EQ((*layer)->canStored, c.editable) << c.what;
    }
    PainterLayer layer;
    layer.name = "Sky";
    layer.obacity = 0.5f;
    layer.isEnabled = false;
    auto back = PainterLayer::initWithDict(layer.encode());
    ASSERT_TRUE(back.ok());
    EXPECT_EQ((*back)->encode(), layer.encode());
}

TEST_F(PainterLayerManagerTest, FlatteningShowsWhatTheScreenShows) {
    const Image background = Image::filled(128, 72, RGBA{0, 0, 200, 255});
    manager->setImageBackground(background);
    EXPECT_EQ(manager->mergeDownAllLayer().pixelAt(3, 3), (RGBA{0, 0, 200, 255})) << "nothing saved: background alone";
    paint('a');  // back layer, hidden later
    ASSERT_TRUE(manager->addLayerAtIndex(0));
    paint('b');  // middle layer, half opaque
    ASSERT_TRUE(manager->addLayerAtIndex(0));
    paint('c');  // front layer, active, covers the left half only after a move
    const RGBA b = FakeCanvas::colourFor('b');
    const RGBA c = FakeCanvas::colourFor('c');
    Image flat = manager->mergeDownAllLayer();
    ASSERT_EQ(flat.pixelWidth(), 128);
    EXPECT_EQ(flat.pixelAt(100, 60), c) << "index 0 is on top";
    manager->enableLayerAtIndex(0, false);
    EXPECT_EQ(manager->mergeDownAllLayer().pixelAt(100, 60), b);
    manager->changeLayerOpacityAtIndex(1, 0.5f);
    manager->enableLayerAtIndex(2, false);
    flat = manager->mergeDownAllLayer();
    const RGBA half = flat.pixelAt(100, 60);
    EXPECT_NEAR(half.r, (b.r + 0) / 2.0, 2);
    EXPECT_NEAR(half.g, (b.g + 0) / 2.0, 2);
    EXPECT_NEAR(half.b, (b.b + 200) / 2.0, 2);
    EXPECT_TRUE(canvas->isHidden());
    EXPECT_DOUBLE_EQ(manager->layers()[1]->viewImage->alpha(), 0.5);
    // Without a background (masking the first frame): opaque black at the frame's size.
    PainterLayerManager bare(project);
    bare.setFlattenSize(graphics::Size{40, 20});
    const Image black = bare.mergeDownAllLayer();
    ASSERT_EQ(black.pixelWidth(), 40);
    EXPECT_EQ(black.pixelAt(39, 19), (RGBA{0, 0, 0, 255}));
    EXPECT_TRUE(flattenLayerPictures(Image(), graphics::Size{}, {}).isNull());
}

TEST_F(PainterLayerManagerTest, StackIsStoredAndRestoredWithStaleFilesRemoved) {
    paint('a');
    ASSERT_TRUE(manager->addLayerAtIndex(0));
    paint('b');
    ASSERT_TRUE(manager->addLayerAtIndex(0));
    paint('c');
    manager->changeLayerOpacityAtIndex(1, 0.5f);
    manager->enableLayerAtIndex(2, false);
    const std::string frame = "F1";
    const Bytes active = manager->encodeLayerInformation();
    EXPECT_EQ(active, FakeCanvas::bytes("c-strokes"));
    ASSERT_TRUE(manager->saveLayerFiles(frame));
    std::vector<std::string> ids;
    for (const auto& layer : manager->layers()) ids.push_back(layer->UUID);
    for (const auto& id : ids) {
        auto png = Image::load(fileInProject(PainterLayerManager::layerPictureFileName(frame, id)));
        ASSERT_TRUE(png.ok()) << id;
        EXPECT_EQ(png->pixelWidth(), FakeCanvas::kWidth);
        EXPECT_TRUE(std::filesystem::exists(fileInProject(PainterLayerManager::layerStrokesFileName(frame, id))));
    }

    // A new opening gets the whole stack back, with the active layer's strokes.
    auto canvas2 = std::make_shared<FakeCanvas>();
    PainterLayerManager reopened(project);
    reopened.setPaintingCanvas(canvas2);
    auto restored = reopened.restoreLayerFiles(frame, active);
    ASSERT_TRUE(restored.ok()) << restored.error().description;
    EXPECT_TRUE(*restored);
    ASSERT_EQ(reopened.layers().size(), 3u);
    EXPECT_EQ(reopened.currentLayer()->UUID, ids[0]);
    EXPECT_EQ(canvas2->strokes, FakeCanvas::bytes("c-strokes"));
    EXPECT_EQ(reopened.layers()[1]->obacity, 0.5f);
    EXPECT_FALSE(reopened.layers()[2]->isEnabled);
    EXPECT_EQ(reopened.layers()[1]->viewImage->image().pixelAt(1, 1), FakeCanvas::colourFor('b'));
    EXPECT_EQ(reopened.layers()[2]->bufferData, FakeCanvas::bytes("a-strokes"));

    // Deleting a layer and saving again removes that layer's files.
    ASSERT_TRUE(reopened.removeLayerAtIndex(1));
    reopened.encodeLayerInformation();
    ASSERT_TRUE(reopened.saveLayerFiles(frame));
    EXPECT_FALSE(std::filesystem::exists(fileInProject(PainterLayerManager::layerPictureFileName(frame, ids[1]))));
    EXPECT_FALSE(std::filesystem::exists(fileInProject(PainterLayerManager::layerStrokesFileName(frame, ids[1]))));
    EXPECT_TRUE(std::filesystem::exists(fileInProject(PainterLayerManager::layerStrokesFileName(frame, ids[2]))));

    PainterLayerManager none(project);
    auto nothing = none.restoreLayerFiles("other", std::nullopt);
    ASSERT_TRUE(nothing.ok());
    EXPECT_FALSE(*nothing);
}

TEST_F(PainterLayerManagerTest, DamagedStackFilesLeaveTheStackAsItWas) {
    auto archive = [](foundation::Value root) { return *foundation::KeyedArchiver::archivedData(root); };
    const foundation::Dictionary good{{"UUID", "L1"}};
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"not an archive", FakeCanvas::bytes("hello")},
        {"root is a list", archive(foundation::Array{good})},
        {"no layers", archive(foundation::Dictionary{{"layers", foundation::Array{}}})},
        {"layer of wrong type", archive(foundation::Dictionary{{"layers", foundation::Array{foundation::Value(7)}}})},
        {"twice the same layer", archive(foundation::Dictionary{{"layers", foundation::Array{good, good}}})},
        {"unknown active layer",
         archive(foundation::Dictionary{{"layers", foundation::Array{good}}, {"active", "L9"}})},
    };
    paint('a');
    for (const auto& [what, bytes] : cases) {
        ASSERT_TRUE(project->updateRegularFileWithContents(bytes, PainterLayerManager::layersFileName("F")));
        const auto before = manager->layers();
        EXPECT_FALSE(manager->restoreLayerFiles("F", std::nullopt).ok()) << what;
        EXPECT_EQ(manager->layers(), before) << what;
        EXPECT_EQ(canvas->strokes, FakeCanvas::bytes("a-strokes")) << what;
    }
    // A layer's files that do not decode leave the stack whole; deleted, the
    // layer no longer holds up a save, and its files stay.
    ASSERT_TRUE(
        project->updateRegularFileWithContents(archive(foundation::Dictionary{{"layers", foundation::Array{good}}}),
                                               PainterLayerManager::layersFileName("F")));
    const std::string files[] = {PainterLayerManager::layerStrokesFileName("F", "L1"),
                                 PainterLayerManager::layerPictureFileName("F", "L1")};
    for (const std::string& file : files)
        ASSERT_TRUE(project->updateRegularFileWithContents(FakeCanvas::bytes("BAD"), file));
    ASSERT_TRUE(manager->restoreLayerFiles("F", std::nullopt).ok());
    ASSERT_TRUE(manager->addLayerAtIndex(1) && manager->removeLayerAtIndex(0));
    manager->encodeLayerInformation();
    ASSERT_TRUE(manager->saveLayerFiles("F"));
    for (const std::string& file : files)
        EXPECT_EQ(project->fileDataForFileWithPreferredFilename(file), FakeCanvas::bytes("BAD")) << file;
}

// The layer information file records the canvas the layers are on, and a
// copy of the frame keeps it. A value that cannot be a canvas is passed by:
// the stack reads as one of an earlier version, which records none.
TEST_F(PainterLayerManagerTest, TheStackRecordsItsCanvasAndPassesByOneThatCannotBe) {
    canvas->setFrame({0, 0, FakeCanvas::kWidth, FakeCanvas::kHeight});
    paint('a');
    manager->encodeLayerInformation();
    ASSERT_TRUE(manager->saveLayerFiles("S"));
    ASSERT_TRUE(PainterLayerManager::duplicateFrameID("S", "T", *project));
    for (const char* frame : {"S", "T"})
        EXPECT_EQ(PainterLayerManager::drawnCanvas(frame, *project), (graphics::Size{64, 36})) << frame;
    using foundation::Array;
    using foundation::Value;
    const std::pair<Value, std::optional<graphics::Size>> cases[] = {
        {Value(), std::nullopt},
        {Array{Value(568.0), Value(319.5)}, graphics::Size{568, 319.5}},
        {Array{Value(0.0), Value(319.5)}, std::nullopt},
        {Array{Value(1e9), Value(1.0)}, std::nullopt},
        {Array{Value(std::nan("")), Value(1.0)}, std::nullopt},
        {Array{Value(568.0)}, std::nullopt},
        {Value("568x319.5"), std::nullopt},
    };
    for (const auto& [value, canvas] : cases) {
        foundation::Dictionary root{{"layers", Array{foundation::Dictionary{{"UUID", "L1"}}}}};
        if (!value.isNull()) root.set("canvas", value);
        const auto stack = decodeLayerStack(*foundation::KeyedArchiver::archivedData(Value(root)));
        ASSERT_TRUE(stack.ok());
        EXPECT_EQ(stack->canvas, canvas);
    }
}

TEST_F(PainterLayerManagerTest, DuplicatingAFrameCopiesItsLayersUnderNewIdentifiers) {
    paint('a');
    ASSERT_TRUE(manager->addLayerAtIndex(0));
    paint('b');
    manager->encodeLayerInformation();
    ASSERT_TRUE(manager->saveLayerFiles("S"));
    ASSERT_TRUE(PainterLayerManager::duplicateFrameID("S", "T", *project));
    auto data = project->fileDataForFileWithPreferredFilename(PainterLayerManager::layersFileName("T"));
    ASSERT_TRUE(data);
    auto stack = decodeLayerStack(*data);
    ASSERT_TRUE(stack.ok());
    ASSERT_EQ(stack->layers.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const std::string& id = stack->layers[i]->UUID;
        EXPECT_NE(id, manager->layers()[i]->UUID);
        EXPECT_EQ(project->fileDataForFileWithPreferredFilename(PainterLayerManager::layerStrokesFileName("T", id)),
                  manager->layers()[i]->bufferData);
        EXPECT_TRUE(std::filesystem::exists(fileInProject(PainterLayerManager::layerPictureFileName("T", id))));
    }
    EXPECT_EQ(stack->activeID, stack->layers[0]->UUID);
    EXPECT_TRUE(PainterLayerManager::duplicateFrameID("missing", "T2", *project));
    EXPECT_FALSE(project->fileDataForFileWithPreferredFilename(PainterLayerManager::layersFileName("T2")));
    // A list that cannot be read is no missing one: the copy fails.
    testsupport::placeHostile(fileInProject(PainterLayerManager::layersFileName("S")), testsupport::Hostile::Fifo);
    EXPECT_FALSE(PainterLayerManager::duplicateFrameID("S", "T3", *project));
}

}  // namespace
