#include "PainterScreenFixture.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PainterLayerTableViewController.h"
#include "app/painter/PainterSettings.h"
#include "app/painter/PaintingMapping.h"
#include "app/painter/PaintingView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/host/Device.h"
#include "support/HostileFiles.h"
#include "support/Pictures.h"
#include "support/Process.h"
#include "support/SyncFailures.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

namespace {

using graphics::Image;
using graphics::RGBA;
namespace fs = std::filesystem;

class PainterViewControllerTest : public PainterScreenFixture {};

int difference(RGBA p, RGBA q) { return std::max({std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)}); }

int pixelsFartherThan(const Image& a, const Image& b, int tolerance) {
    int count = 0;
    for (int y = 0; y < a.pixelHeight(); ++y)
        for (int x = 0; x < a.pixelWidth(); ++x) count += difference(a.pixelAt(x, y), b.pixelAt(x, y)) > tolerance;
    return count;
}

// Whether an alert on screen says `text`; the alerts go.
bool told(const std::string& text) {
    bool found = false;
    for (const std::string& message : testsupport::visibleAlertMessages())
        found |= message.find(text) != std::string::npos;
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
    return found;
}

TEST_F(PainterViewControllerTest, PaintedFrameIsSavedWithItsLayersAndReopens) {
    addFrames(2);
    const std::string id = frameID(1);
    const auto unpainted = fileData(KWImageProducer::frameFileName(id));
    ASSERT_TRUE(open(1, false));
    ASSERT_TRUE(painter->strokesLoaded());
    auto* canvas = painter->drawingView();
    EXPECT_EQ(canvas->frame(), (graphics::Rect{0, 0, 1024, 576}));
    drawLine({100, 100}, {400, 300});
    ASSERT_TRUE(canvas->canUndo());
    tap(painter->toolPalette()->btnUndo());
    EXPECT_FALSE(canvas->canUndo());
    tap(painter->toolPalette()->btnRedo());
    ASSERT_TRUE(canvas->canUndo());

    PainterLayerManager& layers = *painter->layerManager();
    ASSERT_TRUE(layers.addLayerAtIndex(0));
    EXPECT_EQ(layers.currentLayer()->name, "Draw Layer 1");
    drawLine({600, 100}, {900, 400});
    layers.enableLayerAtIndex(0, false);
    layers.changeLayerOpacityAtIndex(1, 0.5f);
    tap(painter->toolPalette()->btnBack());
    EXPECT_EQ(completions, 1);

    // The unpainted picture is kept byte for byte, once.
    EXPECT_EQ(fileData(painterfiles::unpaintedFileName(id)), unpainted);
    const auto strokes = fileData(painterfiles::strokesFileName(id));
    ASSERT_TRUE(strokes && !strokes->empty());
    const auto check = testsupport::runPython(
        "import plistlib,sys\n"
        "d=plistlib.load(open(sys.argv[1],'rb'))\n"
        "print(d['$archiver'], sorted({o['$classname'] for o in d['$objects'] if isinstance(o,dict) and '$classname' "
        "in o}))\n"
        "m=plistlib.load(open(sys.argv[2],'rb'))\n"
        "print(m['RecordNeedsRendering'])\n"
        "c=plistlib.load(open(sys.argv[3],'rb'))['METADATA']['PAINTER_CONFIGURATION']\n"
        "print(sorted((k,type(v).__name__) for k,v in c.items()), len(c['PAINTER_TOOL_COLORLIST']), "
        "c['PAINTER_TOOL_SIZES'])\n",
        {path(painterfiles::strokesFileName(id)), path("kelbrin.meta"),
         folders.documents() + "/" + DataManager::kSettingsFile});
    EXPECT_EQ(check.output,
              "NSKeyedArchiver ['LinePoint', 'NSArray', 'NSMutableArray', 'Stroke']\nTrue\n"
              "[('PAINTER_TOOL', 'int'), ('PAINTER_TOOL_COLORLIST', 'list'), ('PAINTER_TOOL_COLORS', 'list'), "
              "('PAINTER_TOOL_SIZES', 'list')] 9 [2, 15, 10, 5]\n");

    // The stack: two layers, each with its picture and strokes.
    const auto stack = decodeLayerStack(*fileData(PainterLayerManager::layersFileName(id)));
    ASSERT_TRUE(stack.ok());
    ASSERT_EQ(stack->layers.size(), 2u);
    for (const auto& layer : stack->layers) {
        EXPECT_FALSE(decoded(fileData(PainterLayerManager::layerPictureFileName(id, layer->UUID))).isNull());
        EXPECT_TRUE(fileData(PainterLayerManager::layerStrokesFileName(id, layer->UUID)));
    }

    // The frame picture is the flattened stack at the frame's size: the
    // hidden front layer is left out, the back layer is half transparent.
    const Image frame = decoded(fileData(KWImageProducer::frameFileName(id)));
    const Image flat = layers.mergeDownAllLayer();
    ASSERT_EQ(frame.pixelWidth(), kFrameWidth);
    ASSERT_EQ(flat.pixelWidth(), kFrameWidth);
    // JPEG's colour conversion leaves a rare pixel of a saturated edge one
    // step further off.
    EXPECT_LE(testsupport::largestDifference(frame, flat), 4);
    EXPECT_LE(pixelsFartherThan(frame, flat, 3), frame.pixelWidth() * frame.pixelHeight() / 10000);
    EXPECT_EQ(flat.pixelAt(500, 60), frameColour(1)) << "the hidden layer's stroke is not in the picture";
    EXPECT_EQ(decoded(fileData(KWImageProducer::thumbnailFileName(id))).size(), (graphics::Size{272, 153}));
    EXPECT_EQ(decoded(fileData(KWImageProducer::previewFileName(id))).size(), (graphics::Size{796, 448}));

    // Reopening gives back both layers and the active layer's strokes.
    window->setRootViewController(nullptr);
    ASSERT_TRUE(open(1, false));
    const auto& reopened = painter->layerManager()->layers();
    ASSERT_EQ(reopened.size(), 2u);
    EXPECT_EQ(reopened[0]->name, "Draw Layer 1");
    EXPECT_FALSE(reopened[0]->isEnabled);
    EXPECT_EQ(reopened[1]->obacity, 0.5f);
    EXPECT_TRUE(painter->drawingView()->canUndo());
    EXPECT_EQ(fileData(painterfiles::unpaintedFileName(id)), unpainted) << "made once";
    savePicture("painter-paint");
}

TEST_F(PainterViewControllerTest, ControlZUndoesAndControlShiftZRedoes) {
    addFrames(2);
    ASSERT_TRUE(open(1, false));
    auto* canvas = painter->drawingView();
    drawLine({100, 100}, {400, 300});
    drawLine({500, 100}, {700, 300});
    // The host turns Ctrl+Z into Undo and Ctrl+Shift+Z into Redo.
    EXPECT_TRUE(fingers.press(ui::Key::Undo));
    EXPECT_TRUE(fingers.press(ui::Key::Undo));
    EXPECT_FALSE(canvas->canUndo());
    EXPECT_TRUE(canvas->canRedo());
    EXPECT_TRUE(fingers.press(ui::Key::Redo));
    EXPECT_TRUE(canvas->canUndo());
    EXPECT_TRUE(canvas->canRedo());
    EXPECT_TRUE(fingers.press(ui::Key::Redo));
    EXPECT_FALSE(canvas->canRedo());
    EXPECT_TRUE(canvas->canUndo());
}

TEST_F(PainterViewControllerTest, AFrameWithoutStrokesStartsWithThePreviousFramesStrokes) {
    addFrames(3);
    ASSERT_TRUE(open(1, false));
    drawLine({100, 100}, {300, 200});
    ASSERT_TRUE(painter->saveAndClose());
    ASSERT_TRUE(open(2, false));
    EXPECT_TRUE(painter->drawingView()->canUndo());
    ASSERT_TRUE(open(0, false));
    EXPECT_FALSE(painter->drawingView()->canUndo()) << "the first frame has no previous frame";
}

TEST_F(PainterViewControllerTest, StoredSettingsAreRestoredKeyByKey) {
    addFrames(1);
    struct Case {
        const char* what;
        foundation::Dictionary stored;
        int64_t tool;
        int64_t brushType;
        std::vector<int64_t> sizes;  // of brushes 200, 300, 400, 100
        std::vector<int64_t> toolSlots;
    };
    using List = foundation::Array;
    const Case cases[] = {
        {"eraser", {{"PAINTER_TOOL", 3}}, 3, kBrushTypeEraser, {2, 15, 10, 5}, {0, 1, 2}},
        {"two sizes", {{"PAINTER_TOOL_SIZES", List{200, 300}}}, 0, kBrushTypeBrush, {200, 300, 10, 5}, {0, 1, 2}},
        {"toolSlots",
         {{"PAINTER_TOOL_COLORS", List{4, 5, 6}}, {"PAINTER_TOOL", 1}},
         1,
         kBrushTypePen,
         {2, 15, 10, 5},
         {4, 5, 6}},
        {"out of range",
         {{"PAINTER_TOOL", 7}, {"PAINTER_TOOL_COLORS", List{12, 1, 2}}, {"PAINTER_TOOL_SIZES", List{0, 30}}},
         0,
         kBrushTypeBrush,
         {2, 15, 10, 5},
         {0, 1, 2}},
        {"wrong types",
         {{"PAINTER_TOOL", "3"},
          {"PAINTER_TOOL_COLORS", 4},
          {"PAINTER_TOOL_COLORLIST", List{1}},
          {"PAINTER_TOOL_SIZES", List{"x"}}},
         0,
         kBrushTypeBrush,
         {2, 15, 10, 5},
         {0, 1, 2}},
    };
    for (const Case& c : cases) {
        DataManager::sharedDataManager().setValue(c.stored, paintersettings::kConfigurationKey);
        ASSERT_TRUE(open(0, false)) << c.what;
        EXPECT_EQ(painter->currentSelectedTool(), c.tool) << c.what;
        auto* canvas = dynamic_cast<PaintingView*>(painter->drawingView());
        ASSERT_TRUE(canvas && canvas->currentBrush()) << c.what;
        EXPECT_EQ(canvas->currentBrush()->type, c.brushType) << c.what;
        std::vector<int64_t> sizes;
        for (int64_t type : {kBrushTypeBrush, kBrushTypePen, kBrushTypeFountainPen, kBrushTypeEraser})
            sizes.push_back(painter->brushes().at(type)->size);
        EXPECT_EQ(sizes, c.sizes) << c.what;
        EXPECT_EQ(painter->colorToolList(), c.toolSlots) << c.what;
        // Each colour tool's brush has the colour of its palette slot.
        EXPECT_EQ(painter->brushes().at(kBrushTypeBrush)->color, painter->paletteColors()[size_t(c.toolSlots[0])]);
        EXPECT_EQ(painter->brushes().at(kBrushTypePen)->color, painter->paletteColors()[size_t(c.toolSlots[1])]);
    }
}

TEST_F(PainterViewControllerTest, NothingOpensWithoutAPicture) {
    addFrames(2);
    // The capture slot, an index outside the list, a missing and an undecodable picture.
    const int64_t capture = project->getFrameList()->getCaptureIndex();
    EXPECT_FALSE(PainterViewController::create(project, capture, false).ok());
    EXPECT_FALSE(PainterViewController::create(project, 99, false).ok());
    ASSERT_TRUE(project->removeRegularFileWithPreferredFilename(KWImageProducer::frameFileName(frameID(0))));
    ASSERT_TRUE(
        project->updateRegularFileWithContents(foundation::Bytes{1, 2, 3}, KWImageProducer::frameFileName(frameID(1))));
    const auto before = fs::directory_iterator(*project->getProjectPath());
    size_t files = std::distance(fs::begin(before), fs::end(before));
    for (int64_t index : {0, 1})
        for (bool masking : {false, true}) {
            auto created = PainterViewController::create(project, index, masking);
            ASSERT_FALSE(created.ok());
            EXPECT_EQ(created.error().description, "The picture of this frame cannot be read.");
        }
    const auto after = fs::directory_iterator(*project->getProjectPath());
    EXPECT_EQ(size_t(std::distance(fs::begin(after), fs::end(after))), files);
}

TEST_F(PainterViewControllerTest, DamagedStrokesAreKeptAsideAndTheCanvasStartsFromThePicture) {
    addFrames(1);
    const std::string id = frameID(0);
    const std::pair<std::string, const char*> damaged[] = {
        {painterfiles::strokesFileName(id), PainterViewController::kDamagedStrokesMessage},
        {PainterLayerManager::layersFileName(id), PainterViewController::kDamagedLayersMessage}};
    for (const auto& [file, message] : damaged) {
        ASSERT_TRUE(project->updateRegularFileWithContents(foundation::Bytes{'b', 'a', 'd'}, file));
        ASSERT_TRUE(open(0, false)) << file;
        EXPECT_FALSE(painter->drawingView()->canUndo()) << file;
        EXPECT_EQ(fileData(painterfiles::damagedFileName(file)), (foundation::Bytes{'b', 'a', 'd'})) << file;
        const auto messages = alertMessages();
        EXPECT_NE(std::find(messages.begin(), messages.end(), message), messages.end()) << file;
        ASSERT_TRUE(project->removeRegularFileWithPreferredFilename(file));
    }
}

TEST_F(PainterViewControllerTest, AFailedSaveKeepsThePainterOpenWithItsStrokes) {
    addFrames(1);
    const std::string id = frameID(0);
    ASSERT_TRUE(open(0, false));
    drawLine({100, 100}, {300, 200});
    // A folder where the stroke file belongs makes its write fail.
    fs::create_directory(path(painterfiles::strokesFileName(id)));
    const auto picture = fileData(KWImageProducer::frameFileName(id));
    EXPECT_FALSE(painter->saveAndClose());
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(painter->drawingView()->canUndo());
    EXPECT_EQ(fileData(KWImageProducer::frameFileName(id)), picture) << "the frame picture is untouched";
    const auto messages = alertMessages();
    EXPECT_FALSE(messages.empty());
    fs::remove(path(painterfiles::strokesFileName(id)));
    EXPECT_TRUE(painter->saveAndClose());
    EXPECT_EQ(completions, 1);
}

TEST_F(PainterViewControllerTest, AMaskOnAPaintedFrameOutlivesTheNextPainting) {
    addFrames(2);
    const std::string id = frameID(1);
    const std::string unpainted = painterfiles::unpaintedFileName(id);
    ASSERT_TRUE(open(1, false));
    ASSERT_TRUE(painter->layerManager()->addLayerAtIndex(0));
    drawLine({100, 100}, {300, 200});
    tap(painter->toolPalette()->btnBack());
    ASSERT_EQ(completions, 1);
    const auto stack = decodeLayerStack(*fileData(PainterLayerManager::layersFileName(id)));
    ASSERT_TRUE(stack.ok());
    // Every stroke and layer file of the painting, byte for byte.
    std::vector<std::string> canvasFiles{painterfiles::strokesFileName(id), PainterLayerManager::layersFileName(id)};
    for (const auto& layer : stack->layers)
        for (const std::string& file : {PainterLayerManager::layerPictureFileName(id, layer->UUID),
                                        PainterLayerManager::layerStrokesFileName(id, layer->UUID)})
            if (fileData(file)) canvasFiles.push_back(file);
    std::map<std::string, foundation::Bytes> painting;
    for (const std::string& file : canvasFiles) painting[file] = fileData(file).value_or(foundation::Bytes{});

    // The rubbed spot shows the previous frame, in the frame picture and in
    // the picture the painting starts from; the rest keeps the frame.
    const double scale = kFrameWidth / 1024.0;
    const graphics::Point rubbed{800 * scale, 400 * scale}, untouched{900 * scale, 60 * scale};
    auto showsAt = [](const Image& picture, graphics::Point at, int frame) {
        return testsupport::pixelNear(picture.pixelAt(int(at.x), int(at.y)), frameColour(frame));
    };
    ASSERT_TRUE(open(1, true));
    fingers.tap(inWindow(*painter->drawingView(), graphics::Point{800, 400}));
    // A save that fails writes no half of the mask and can be tried again.
    fs::remove(path(unpainted));
    fs::create_directory(path(unpainted));
    const auto before = fileData(KWImageProducer::frameFileName(id));
    tap(painter->toolPalette()->btnBack());
    EXPECT_EQ(completions, 1);
    const auto alerts = ui::AlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), PainterViewController::kSaveFailedTitle);
    tap(alerts[0]->buttonViewAtIndex(0));
    advance(1);
    EXPECT_EQ(fileData(KWImageProducer::frameFileName(id)), before);
    fs::remove(path(unpainted));
    tap(painter->toolPalette()->btnBack());
    ASSERT_EQ(completions, 2);
    for (const auto& [file, bytes] : painting) EXPECT_EQ(fileData(file), bytes) << file << " stays as painted";
    for (const std::string& file : {KWImageProducer::frameFileName(id), unpainted}) {
        const Image picture = decoded(fileData(file));
        ASSERT_EQ(picture.size(), (graphics::Size{kFrameWidth, kFrameHeight})) << file;
        EXPECT_TRUE(showsAt(picture, rubbed, 0)) << file;
        EXPECT_TRUE(showsAt(picture, untouched, 1)) << file;
    }

    // Painting again starts from the masked picture with the strokes and
    // layers still editable: the erase stays.
    ASSERT_TRUE(open(1, false));
    ASSERT_TRUE(painter->strokesLoaded());
    EXPECT_TRUE(painter->drawingView()->canUndo()) << "the strokes can be edited";
    EXPECT_EQ(painter->layerManager()->layers().size(), stack->layers.size());
    drawLine({600, 100}, {700, 150});
    tap(painter->toolPalette()->btnBack());
    ASSERT_EQ(completions, 3);
    const Image picture = decoded(fileData(KWImageProducer::frameFileName(id)));
    EXPECT_TRUE(showsAt(picture, rubbed, 0));
    EXPECT_TRUE(showsAt(picture, untouched, 1));
}

TEST_F(PainterViewControllerTest, AMaskOverWhatThePaintingShowsIsNoted) {
    addFrames(5);
    const graphics::Point onTheLine{250, 200}, beside{800, 450};
    struct Case {
        const char* what;
        bool hidden;       // the strokes are on a hidden layer
        bool strokesOnly;  // painted before layers were stored: no stack files
        graphics::Point masked;
        bool asks;
    } cases[] = {
        // First: a frame without strokes of its own starts with the previous frame's.
        {"a hidden layer's strokes", true, false, onTheLine, false},
        {"shown strokes", false, false, onTheLine, true},
        {"strokes without a stored stack", false, true, onTheLine, true},
        {"a mask beside the strokes", false, false, beside, false},
    };
    auto maskAt = [&](int64_t index, graphics::Point at) {
        ASSERT_TRUE(open(index, true));
        fingers.tap(inWindow(*painter->drawingView(), at));
        tap(painter->toolPalette()->btnBack());
    };
    int64_t index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(open(++index, false));
        const std::string id = frameID(index);
        if (c.hidden) {
            ASSERT_TRUE(painter->layerManager()->addLayerAtIndex(0));
        }
        drawLine({100, 100}, {400, 300});
        if (c.hidden) painter->layerManager()->enableLayerAtIndex(0, false);
        tap(painter->toolPalette()->btnBack());
        if (c.strokesOnly) {
            const auto stack = decodeLayerStack(*fileData(PainterLayerManager::layersFileName(id)));
            for (const auto& layer : stack->layers)
                for (const std::string& file : {PainterLayerManager::layerPictureFileName(id, layer->UUID),
                                                PainterLayerManager::layerStrokesFileName(id, layer->UUID)})
                    fs::remove(path(file));
            fs::remove(path(PainterLayerManager::layersFileName(id)));
        }
        maskAt(index, c.masked);
        EXPECT_EQ(PainterViewController::drawingUndoesErase(*project, index), c.asks);
        if (!c.asks) continue;
        // A later mask that erases nothing painted keeps it noted; the
        // painting opens with its strokes as before (the editor's test
        // follows Draw on from there).
        maskAt(index, beside);
        EXPECT_TRUE(PainterViewController::drawingUndoesErase(*project, index));
        ASSERT_TRUE(open(index, false));
        EXPECT_TRUE(painter->drawingView()->canUndo());
    }
}

// A crop or merge made the frame's picture from what it showed: painting
// starts from it, and of the strokes only what it does not show stays.
TEST_F(PainterViewControllerTest, APictureMadeFromThePaintingTakesItsShownLayers) {
    enum Painting { Never, ShownOverHidden, HiddenActive, StrokesWithoutStack };
    addFrames(4);
    for (const Painting c : {Never, ShownOverHidden, HiddenActive, StrokesWithoutStack}) {
        SCOPED_TRACE(int(c));
        const std::string id = frameID(c);
        std::map<std::string, foundation::Bytes> hidden;  // the hidden layer's files
        if (c != Never) {
            ASSERT_TRUE(open(c, false));
            drawLine({100, 100}, {400, 300});
            std::string uuid;
            if (c == ShownOverHidden || c == HiddenActive) {
                const size_t at = c == HiddenActive ? 0 : 1;
                ASSERT_TRUE(painter->layerManager()->addLayerAtIndex(at));
                drawLine({500, 100}, {800, 300});
                painter->layerManager()->enableLayerAtIndex(at, false);
                uuid = painter->layerManager()->layers()[at]->UUID;
                if (c == ShownOverHidden) painter->layerManager()->setActiveLayerAtIndex(0);
            }
            tap(painter->toolPalette()->btnBack());
            if (c == StrokesWithoutStack) fs::remove(path(PainterLayerManager::layersFileName(id)));
            if (!uuid.empty())
                for (const std::string& file : {PainterLayerManager::layerPictureFileName(id, uuid),
                                                PainterLayerManager::layerStrokesFileName(id, uuid)})
                    hidden[file] = fileData(file).value();
        }
        const auto strokes = fileData(painterfiles::strokesFileName(id));
        ASSERT_TRUE(KWImageProducer(project).storeImage(testsupport::quadrantsImage(kFrameWidth, kFrameHeight), id));
        const auto picture = fileData(KWImageProducer::frameFileName(id));
        ASSERT_TRUE(notePictureReplacement(*project, id, picture.value(), std::nullopt));
        ASSERT_TRUE(carryPictureIntoPainting(*project, id));
        EXPECT_EQ(fileData(painterfiles::unpaintedFileName(id)), c == Never ? std::nullopt : picture);
        if (c == Never) continue;
        EXPECT_EQ(fileData(painterfiles::strokesFileName(id)), c == HiddenActive ? strokes : foundation::Bytes{});
        for (const auto& [file, bytes] : hidden) EXPECT_EQ(fileData(file), bytes) << file << " stays";
        ASSERT_TRUE(open(c, false));
        EXPECT_EQ(painter->drawingView()->canUndo(), c == HiddenActive);
        EXPECT_EQ(painter->layerManager()->layers().size(), hidden.empty() ? 1u : 2u);
        tap(painter->toolPalette()->btnBack());
        EXPECT_LE(
            testsupport::largestDifference(decoded(picture), decoded(fileData(KWImageProducer::frameFileName(id)))), 4);
    }
}

// A file of a painting that is there but cannot be read (or, for a layer's,
// decoded) is named when the painter opens; a save leaves it as it was,
// writes the rest of the painting, keeps the frame's picture and says why. A
// crop, which carries hidden layers into new files, leaves such a layer be.
TEST_F(PainterViewControllerTest, AFileThatCannotBeReadIsNeverWrittenOverOrRemoved) {
    addFrames(1);
    const std::string id = frameID(0), picture = KWImageProducer::frameFileName(id);
    const std::string strokes = painterfiles::strokesFileName(id);
    ASSERT_TRUE(open(0, false));
    drawLine({100, 100}, {300, 200});
    ASSERT_TRUE(painter->layerManager()->addLayerAtIndex(0));
    drawLine({500, 100}, {700, 300});
    painter->layerManager()->enableLayerAtIndex(1, false);  // for a crop
    ASSERT_TRUE(painter->saveAndClose());
    const std::string active = painter->layerManager()->layers()[0]->UUID;
    const std::string other = painter->layerManager()->layers()[1]->UUID;
    const std::pair<std::string, std::string> targets[] = {
        {painterfiles::unpaintedFileName(id), "the picture the painting started from"},
        {strokes, "the strokes of this frame"},
        {PainterLayerManager::layersFileName(id), "the list of layers"},
        {PainterLayerManager::layerStrokesFileName(id, active), "the layer “Draw Layer 1”"},
        {PainterLayerManager::layerPictureFileName(id, other), "the layer “Layer”"},
    };
    std::map<std::string, foundation::Bytes> saved;  // every case starts from these
    for (const auto& entry : fs::directory_iterator(*project->getProjectPath()))
        saved[entry.path().filename()] = *fileData(entry.path().filename());
    for (const auto& [file, part] : targets) {
        for (size_t form = 0; form <= std::size(testsupport::kHostileKinds); ++form) {
            const bool damaged = form == std::size(testsupport::kHostileKinds);  // other files are kept aside
            if (damaged && file.find("canvas-" + id + "-") == std::string::npos) continue;
            SCOPED_TRACE(file + " as " + (damaged ? "damaged" : describe(testsupport::Hostile(form))));
            damaged ? void(std::ofstream(path(file)) << "bad") : placeHostile(path(file), testsupport::Hostile(form));
            const auto before = testsupport::identityOf(path(file));
            ASSERT_TRUE(open(0, false));
            EXPECT_TRUE(told(part));
            drawLine({200, 400}, {600, 450});
            EXPECT_FALSE(painter->saveAndClose());
            EXPECT_TRUE(told(part + ". It was left as it is and the rest was saved"));
            EXPECT_EQ(testsupport::identityOf(path(file)), before);
            EXPECT_EQ(fileData(picture), saved.at(picture));
            EXPECT_TRUE(file == strokes || fileData(strokes) != saved.at(strokes)) << "the strokes are saved";
            if (file.find(other) != std::string::npos && !damaged) {
                ASSERT_TRUE(notePictureReplacement(*project, id, *fileData(picture),
                                                   graphics::AffineTransform{2, 0, 0, 2, -0.5, -0.5}));
                ASSERT_TRUE(carryPictureIntoPainting(*project, id));
                EXPECT_EQ(decodeLayerStack(*fileData(PainterLayerManager::layersFileName(id)))->layers.at(1)->UUID,
                          other);
                EXPECT_EQ(testsupport::identityOf(path(file)), before) << "after a crop";
            }
            fs::remove(path(file));
            for (const auto& [name, bytes] : saved) ASSERT_TRUE(project->updateRegularFileWithContents(bytes, name));
        }
    }
}

// A save while the list of layers cannot be read writes the new layer's
// files without listing them there; once the list reads again, the next
// opening's sweep does not take them for leftovers.
TEST_F(PainterViewControllerTest, LayersASaveCouldNotListOutliveTheNextOpeningsSweep) {
    addFrames(1);
    const std::string id = frameID(0), list = PainterLayerManager::layersFileName(id);
    ASSERT_TRUE(open(0, false));
    drawLine({100, 100}, {300, 200});
    ASSERT_TRUE(painter->saveAndClose());
    const foundation::Bytes stored = *fileData(list);
    testsupport::placeHostile(path(list), testsupport::Hostile::Fifo);
    ASSERT_TRUE(open(0, false));
    EXPECT_TRUE(told("the list of layers"));
    ASSERT_TRUE(painter->layerManager()->addLayerAtIndex(0));
    drawLine({500, 100}, {700, 300});
    EXPECT_FALSE(painter->saveAndClose());
    EXPECT_TRUE(told("the list of layers. It was left as it is and the rest was saved"));
    std::vector<std::string> written;
    for (const PainterLayerPtr& layer : painter->layerManager()->layers())
        for (const std::string& name : {PainterLayerManager::layerPictureFileName(id, layer->UUID),
                                        PainterLayerManager::layerStrokesFileName(id, layer->UUID)})
            if (fs::exists(path(name))) written.push_back(name);
    ASSERT_EQ(written.size(), 4u);
    fs::remove(path(list));
    ASSERT_TRUE(project->updateRegularFileWithContents(stored, list));
    auto later = ProjectModel::create(*project->getProjectPath());
    ASSERT_NE(later->getFrameList(), nullptr);
    advance(ProjectDataWrapper::kLeftoverSweepDelaySeconds);
    foundation::RunLoop::main().runUntilIdle();
    for (const std::string& name : written) EXPECT_TRUE(fs::exists(path(name))) << name;
}

// A crop of a painted frame cut short at any write, as a crash there leaves
// it, keeps the frame's picture and its painting together: the next opening
// carries the crop through when the picture took it and keeps the painting
// as it was when not, so that Draw and Back change nothing either way.
TEST_F(PainterViewControllerTest, ACropCutShortAnywhereKeepsThePictureAndThePaintingTogether) {
    using On = testsupport::ScopedSyncFailure::On;
    const graphics::AffineTransform zoom{2, 0, 0, 2, -0.5, -0.5};  // twice as large about the middle
    const foundation::Bytes cropped = testsupport::quadrantsImage(kFrameWidth, kFrameHeight).jpegData(0.9).value();
    addFrames(40);
    int64_t index = -2;  // a first painting starts from the strokes of the frame before: every other frame
    for (const On on : {On::Files, On::Folders}) {
        int passing = 0, carriedOnOpening = 0;
        for (;; ++passing) {
            SCOPED_TRACE(testing::Message() << (on == On::Files ? "files" : "folders") << " failing after " << passing);
            index += 2;
            ASSERT_LT(index, 40);
            const std::string id = frameID(index), picture = KWImageProducer::frameFileName(id);
            ASSERT_TRUE(open(index, false));  // a stroke on a layer then hidden, one on the shown layer added
            drawLine({500, 100}, {800, 300});
            ASSERT_TRUE(painter->layerManager()->addLayerAtIndex(1));
            drawLine({100, 100}, {400, 300});
            painter->layerManager()->enableLayerAtIndex(0, false);
            tap(painter->toolPalette()->btnBack());
            const auto hiddenStrokes = [&] {  // the layer first in the stack
                const auto stack = decodeLayerStack(fileData(PainterLayerManager::layersFileName(id)).value());
                return fileData(PainterLayerManager::layerStrokesFileName(id, stack.value().layers.at(0)->UUID));
            };
            const auto before = fileData(picture), hidden = hiddenStrokes();
            bool done = false;
            {  // The steps of a crop: the note, the picture, the painting.
                testsupport::ScopedSyncFailure failing(on, EIO, passing);
                done = notePictureReplacement(*project, id, cropped, zoom).ok();
                if (done) done = project->updateRegularFileWithContents(cropped, picture).ok();
                if (done) done = carryPictureIntoPainting(*project, id).ok();
            }
            ASSERT_TRUE(open(index, false));
            const auto shown = fileData(picture);
            const bool took = shown == cropped;
            EXPECT_TRUE(took || shown == before);
            EXPECT_EQ(fileData(painterfiles::unpaintedFileName(id)) == cropped, took);
            EXPECT_EQ(painter->drawingView()->canUndo(), !took) << "the shown layer's strokes";
            const graphics::Size frameSize{kFrameWidth, kFrameHeight};
            const PaintingMapping mapping{zoom, painter->drawingView()->bounds().size, frameSize, frameSize};
            EXPECT_EQ(hiddenStrokes(), took ? mappedStrokes(hidden.value(), mapping).value() : hidden);
            tap(painter->toolPalette()->btnBack());
            EXPECT_LE(testsupport::largestDifference(decoded(shown), decoded(fileData(picture))), 4);
            if (done) break;
            carriedOnOpening += took;
        }
        EXPECT_TRUE(carriedOnOpening > 0 && passing > carriedOnOpening) << "cut short before and after the picture";
    }
}

TEST_F(PainterViewControllerTest, MaskingTheFirstFrameShowsBlackWhereRubbed) {
    addFrames(1);
    const std::string id = frameID(0);
    ASSERT_TRUE(open(0, true));
    fingers.tap(inWindow(*painter->drawingView(), graphics::Point{512, 288}));
    ASSERT_TRUE(painter->saveAndClose());
    const Image picture = decoded(fileData(KWImageProducer::frameFileName(id)));
    ASSERT_EQ(picture.size(), (graphics::Size{kFrameWidth, kFrameHeight}));
    EXPECT_TRUE(testsupport::pixelNear(picture.pixelAt(kFrameWidth / 2, kFrameHeight / 2), RGBA{0, 0, 0, 255}));
    EXPECT_TRUE(testsupport::pixelNear(picture.pixelAt(20, 20), frameColour(0)));
    EXPECT_FALSE(fileData(painterfiles::unpaintedFileName(id))) << "a frame never painted gets no canvas files";
}

TEST_F(PainterViewControllerTest, LayerListSizeFollowsTheIdiom) {
    const auto idiom = ui::Device::current().userInterfaceIdiom();
    ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Pad);
    EXPECT_EQ(PainterLayerTableViewController::contentSizeForViewInPopover(), (graphics::Size{320, 500}));
    ui::Device::current().setUserInterfaceIdiom(ui::UserInterfaceIdiom::Phone);
    EXPECT_EQ(PainterLayerTableViewController::contentSizeForViewInPopover(), (graphics::Size{320, 230}));
    ui::Device::current().setUserInterfaceIdiom(idiom);
}

}  // namespace
