// A painted frame whose painting has files that cannot be read, or a list of
// layers of the wrong shape, as a shared archive can carry: what the user
// does to the frame leaves such files as they are, says once what it could
// not read, and keeps what was painted.

#include "MenuByTouch.h"
#include "app/core/KWImageProducer.h"
#include "app/core/PaintFiles.h"
#include "app/painter/PainterFrameSave.h"
#include "app/painter/PainterLayerManager.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controls/Button.h"
#include "support/HostileFiles.h"
#include "support/Pictures.h"

#include <filesystem>
#include <set>

namespace editortest {
namespace {

namespace fs = std::filesystem;

// One layer of a list changed the way a list from elsewhere can differ.
using LayerChange = std::function<void(foundation::Dictionary&)>;

class PaintedFrameFilesTest : public MenuByTouchTest {
protected:
    // Frame 1 of a fresh project, a picture of four quadrants, drawn on by
    // touch: a stroke on "Layer", then with `twoLayers` a new layer in front
    // of it with a stroke further down.
    void paintFrame(bool twoLayers) {
        project = projectOfPictures("EB");
        id = project->getFrameList()->getFrameAtIndex(1)->frameID();
        ASSERT_TRUE(KWImageProducer(project).storeImage(base, id).ok());
        open(project);
        advance(1);
        chooseFromMenu(1, "Draw");
        paint([&](PainterViewController& shown) {
            stroke(shown, {100, 100}, {400, 300});
            if (!twoLayers) return;
            ASSERT_TRUE(shown.layerManager()->addLayerAtIndex(0));
            stroke(shown, {100, 400}, {400, 450});
        });
    }
    void stroke(PainterViewController& shown, graphics::Point from, graphics::Point to) {
        std::vector<graphics::Point> path;
        for (int i = 0; i <= 10; ++i)
            path.push_back(
                inWindow(*shown.drawingView(), {from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10}));
        fingers.drag(path, 0.3);
    }
    std::string path(const std::string& name) const { return *project->pathForFile(name); }
    std::string list() const { return PainterLayerManager::layersFileName(id); }
    PainterLayerPtr storedLayer(size_t index) const {
        return decodeLayerStack(*project->fileDataForFileWithPreferredFilename(list()))->layers.at(index);
    }
    graphics::Image picture() const {
        const auto data = project->fileDataForFileWithPreferredFilename(KWImageProducer::frameFileName(id));
        return *graphics::Image::decode(data.value());
    }
    // The painter's files of the frame: its layers' and the list's.
    std::set<std::string> paintFiles() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(*project->getProjectPath()))
            if (entry.path().filename().string().starts_with("canvas-" + id)) names.insert(entry.path().filename());
        return names;
    }
    void changeStoredLayer(size_t index, const LayerChange& change) {
        auto root = foundation::KeyedUnarchiver::unarchiveValue(*project->fileDataForFileWithPreferredFilename(list()));
        foundation::Dictionary stack = root->asDictionary();
        foundation::Array layers = stack.get(paintfiles::kLayersKey).asArray();
        foundation::Dictionary layer = layers.at(index).asDictionary();
        change(layer);
        layers.set(index, layer);
        stack.set(paintfiles::kLayersKey, layers);
        ASSERT_TRUE(project->updateRegularFileWithContents(
            *foundation::KeyedArchiver::archivedData(foundation::Value(stack)), list()));
    }
    // The alerts on screen, which go.
    std::vector<std::string> told() {
        settle();
        const std::vector<std::string> messages = alertMessages();
        for (auto& alert : ui::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
        return messages;
    }
    // Crop from the menu, the crop editor's Flip and Done.
    void cropFlipDone() {
        chooseFromMenu(1, "Crop");
        for (const char* title : {"Flip", "Done"}) {
            const ui::View* button = findView(*editor->presentedViewController()->view(), [&](const ui::View& view) {
                auto* shown = dynamic_cast<const ui::Button*>(&view);
                return shown && shown->currentTitle() == title;
            });
            ASSERT_NE(button, nullptr) << title;
            tap(button);
            advance(1);
        }
        settle();
        EXPECT_EQ(editor->presentedViewController(), nullptr);
    }
    static const ui::View* findView(const ui::View& view, const std::function<bool(const ui::View&)>& wanted) {
        if (wanted(view)) return &view;
        for (const auto& child : view.subviews())
            if (const ui::View* found = findView(*child, wanted)) return found;
        return nullptr;
    }

    const graphics::Image base = testsupport::quadrantsImage(640, 360);
    ProjectModelPtr project;
    std::string id;
};

const LayerChange kNameANumber = [](foundation::Dictionary& layer) {
    layer.set("name", foundation::Value::integer(7));
};
const LayerChange kNoIdentifier = [](foundation::Dictionary& layer) { layer.remove(paintfiles::kLayerIDKey); };

std::string changedAndLeft(const std::string& part) {
    return "The picture was changed, but part of this frame's painting cannot be read: " + part +
           ". That part was left as it is.";
}

// Crop, Flip and Done on a painted frame: a file of its painting that cannot
// be read is the same file afterwards, nothing waits on it, and one alert
// says what was left. Only a list of layers that cannot be read at all
// keeps the picture: the painting it lists could no longer follow it.
TEST_F(PaintedFrameFilesTest, CropFlipDoneLeavesWhatItCannotReadAsItIs) {
    using testsupport::Hostile;
    struct Case {
        const char* what;
        std::function<std::string()> file;
        std::function<void(const std::string&)> make;
        std::string told;
    };
    const auto layerPicture = [this] { return PainterLayerManager::layerPictureFileName(id, storedLayer(0)->UUID); };
    const auto hostile = [](Hostile kind) {
        return [kind](const std::string& p) { testsupport::placeHostile(p, kind); };
    };
    const Case cases[] = {
        {"the shown layer's picture a FIFO", layerPicture, hostile(Hostile::Fifo), changedAndLeft("the layer “Layer”")},
        {"the shown layer's picture a link to /dev/zero", layerPicture, hostile(Hostile::LinkToZero),
         changedAndLeft("the layer “Layer”")},
        {"the frame's strokes 200 MiB", [this] { return painterfiles::strokesFileName(id); },
         [](const std::string& p) { testsupport::placeSparse(p, int64_t(200) << 20); },
         changedAndLeft("the strokes of this frame")},
        {"the picture the painting started from a FIFO", [this] { return painterfiles::unpaintedFileName(id); },
         hostile(Hostile::Fifo), changedAndLeft("the picture the painting started from")},
        {"the list of layers with a name that is a number", [this] { return list(); },
         [this](const std::string&) { changeStoredLayer(0, kNameANumber); }, changedAndLeft("the list of layers")},
        {"the list of layers a FIFO", [this] { return list(); }, hostile(Hostile::Fifo),
         "The picture was left as it is, because part of this frame's painting cannot be read: the list of layers."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        paintFrame(false);
        const std::string file = path(c.file());
        c.make(file);
        const auto identity = testsupport::identityOf(file);
        const graphics::Image before = picture();
        testsupport::endsWithoutWaiting(file, [&] { cropFlipDone(); });
        EXPECT_EQ(testsupport::identityOf(file), identity);
        EXPECT_EQ(told(), std::vector<std::string>{c.told});
        const bool changed = c.told.starts_with("The picture was changed");
        EXPECT_EQ(testsupport::largestDifference(before, picture()) > 40, changed);
        EXPECT_LIST_INVARIANTS(project);
    }
}

// Pixels of `before`'s painting (where it differs from `base`) left of
// x = `right` that `after` no longer shows.
int lostPaintedPixels(const graphics::Image& base, const graphics::Image& before, const graphics::Image& after,
                      int right) {
    int lost = 0;
    for (int y = 0; y < base.size().height; ++y)
        for (int x = 0; x < right; ++x)
            if (!testsupport::pixelNear(before.pixelAt(x, y), base.pixelAt(x, y), 60) &&
                !testsupport::pixelNear(after.pixelAt(x, y), before.pixelAt(x, y), 40))
                ++lost;
    return lost;
}

// A list of layers that reads but has the wrong shape is damaged: Draw says
// so, one stroke and Back keep every layer file that was there (also past
// the next opening's sweep), and the frame's picture keeps the other layer's
// stroke, under the new one.
TEST_F(PaintedFrameFilesTest, AListOfTheWrongShapeKeepsItsLayersAndThePicture) {
    const std::pair<const char*, LayerChange> changes[] = {{"a name that is a number", kNameANumber},
                                                           {"a layer without its identifier", kNoIdentifier}};
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        paintFrame(true);
        const std::set<std::string> painted = paintFiles();
        const graphics::Image before = picture();
        changeStoredLayer(1, change);  // "Layer", behind the active one
        chooseFromMenu(1, "Draw");
        EXPECT_EQ(told(), std::vector<std::string>{PainterViewController::kDamagedLayersMessage});
        paint([&](PainterViewController& shown) { stroke(shown, {700, 100}, {900, 150}); });
        EXPECT_TRUE(told().empty());
        // A later start, and its sweep.
        auto later = ProjectModel::create(*project->getProjectPath());
        ASSERT_NE(later->getFrameList(), nullptr);
        advance(ProjectDataWrapper::kLeftoverSweepDelaySeconds);
        settle();
        const std::set<std::string> kept = paintFiles();
        EXPECT_TRUE(std::includes(kept.begin(), kept.end(), painted.begin(), painted.end()));
        const graphics::Image after = picture();
        EXPECT_GT(testsupport::largestDifference(before, after), 40) << "the new stroke";
        EXPECT_EQ(lostPaintedPixels(base, before, after, 400), 0);
        EXPECT_LIST_INVARIANTS(project);
    }
}

// Copy and Paste of a painted frame: a file of its painting that cannot be
// read stays as it is and nothing waits on it; the frame comes with the
// rest, and one alert names what did not come, by the frame's place.
TEST_F(PaintedFrameFilesTest, PasteLeavesWhatItCannotReadAndSaysSoOnce) {
    using testsupport::Hostile;
    struct Case {
        const char* what;
        std::function<std::string()> file;
        Hostile kind;
        std::string part;
    };
    const auto layerPicture = [this] { return PainterLayerManager::layerPictureFileName(id, storedLayer(0)->UUID); };
    const Case cases[] = {
        {"the layer's picture a FIFO", layerPicture, Hostile::Fifo, "the layer “Layer”"},
        {"the frame's strokes past the read bound", [this] { return painterfiles::strokesFileName(id); },
         Hostile::Huge, "the strokes of this frame"},
        {"the list of layers a link to /dev/zero", [this] { return list(); }, Hostile::LinkToZero,
         "the list of layers"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        paintFrame(false);
        const std::string file = path(c.file());
        testsupport::placeHostile(file, c.kind);
        const auto identity = testsupport::identityOf(file);
        chooseFromMenu(1, "Copy");
        testsupport::endsWithoutWaiting(file, [&] {
            chooseFromMenu(0, "Paste");
            ASSERT_TRUE(waitFor([&] { return project->getFrameList()->count() == 4; }));
        });
        EXPECT_EQ(testsupport::identityOf(file), identity);
        EXPECT_EQ(told(), std::vector<std::string>{"The frames were pasted, but part of their painting cannot be "
                                                   "read: frame 1 (" +
                                                   c.part + "). That part was not copied and was left as it is."});
        // The copy, in front, shows what the painted frame shows.
        const auto frames = project->getFrameList();
        ASSERT_EQ(frames->getFrameAtIndex(2)->frameID(), id);
        const auto shown = [&](int64_t index) {
            return project->fileDataForFileWithPreferredFilename(
                KWImageProducer::frameFileName(frames->getFrameAtIndex(index)->frameID()));
        };
        EXPECT_EQ(shown(0), shown(2));
        EXPECT_LIST_INVARIANTS(project);
    }
}

}  // namespace
}  // namespace editortest
