#include "PainterScreenFixture.h"
#include "app/painter/PaintToolViewController.h"
#include "app/painter/PainterLayerManager.h"
#include "app/painter/PainterLayerTableViewController.h"
#include "app/painter/StrokeCanvasView.h"
#include "app/widgets/alerts/Hudy.h"
#include "app/widgets/views/HelpManager.h"
#include "platform/ui/controls/Label.h"

#include <filesystem>
#include <functional>

namespace {

// Pictures of the painter for a look: a painting with strokes, a mask and the
// layer list, on a tablet and on a phone.
class PainterPicturesTest : public PainterScreenFixture, public ::testing::WithParamInterface<bool> {
protected:
    PainterPicturesTest() : PainterScreenFixture(GetParam()) {}
    std::string suffix() const { return GetParam() ? "-phone" : "-tablet"; }
};

TEST_P(PainterPicturesTest, PaintMaskAndLayerList) {
    addFrames(2);
    ASSERT_TRUE(open(1, false));
    const graphics::Size canvas = painter->drawingView()->bounds().size;
    EXPECT_EQ(canvas.width, window->bounds().size.width);
    EXPECT_EQ(canvas.height, canvas.width * 0.5625);
    const auto picture = painter->drawingView()->createImage();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixelHeight(), int(canvas.height)) << "one pixel per whole point";
    drawLine({canvas.width * 0.1, canvas.height * 0.2}, {canvas.width * 0.6, canvas.height * 0.7});
    drawLine({canvas.width * 0.2, canvas.height * 0.8}, {canvas.width * 0.9, canvas.height * 0.3});
    EXPECT_TRUE(painter->drawingView()->canUndo());
    savePicture("painter-strokes" + suffix());

    tap(painter->toolPalette()->btnLayer());
    advance(0.5);
    ASSERT_NE(painter->layerTable()->view()->window(), nullptr) << "the layer list is on screen";
    savePicture("painter-layers" + suffix());
    ASSERT_TRUE(painter->saveAndClose());

    ASSERT_TRUE(open(1, true));
    fingers.tap(inWindow(*painter->drawingView(), graphics::Point{canvas.width / 2, canvas.height / 2}));
    EXPECT_TRUE(painter->drawingView()->canUndo());
    savePicture("painter-mask" + suffix());
}

// A drag past what the canvas keeps (a small limit stands for the real one)
// is cut short while a notice inside the window says so; a tap then is
// refused too. What was kept loads again whole, counted as the reader counts.
TEST_P(PainterPicturesTest, ADragPastTheLimitIsCutShortAloudAndTheLayerReopensWhole) {
    addFrames(1);
    for (bool masking : {true, false}) {
        ASSERT_TRUE(open(0, masking));
        auto* canvas = static_cast<StrokeCanvasView*>(painter->drawingView());
        drawLine({40, 60}, {120, 90});
        const size_t limit = canvas->storedSize() + 8;
        canvas->setSampleLimit(limit);
        drawLine({40, 110}, {300, 140});
        ASSERT_TRUE(painter->fullNotice()) << masking;
        EXPECT_EQ(painter->fullNotice()->captionView()->text(),
                  masking ? PainterViewController::kMaskFullMessage : PainterViewController::kLayerFullMessage);
        EXPECT_TRUE(window->bounds().contains(inWindow(painter->fullNotice()->view())));
        EXPECT_EQ(storedSize(canvas->strokeBuffer()), limit);
        EXPECT_GT(canvas->strokeBuffer().back()->points.size(), 2u) << "what the drag drew before is kept";
        tap(canvas);
        EXPECT_EQ(canvas->strokeBuffer().size(), 2u);
        advance(0.5);
        savePicture((masking ? "painter-mask-full" : "painter-layer-full") + suffix());
        ASSERT_TRUE(painter->saveAndClose());
        if (masking) continue;
        const auto file = fileData(painterfiles::strokesFileName(frameID(0)));
        EXPECT_TRUE(decodeStrokeBuffer(*file, limit).ok() && !decodeStrokeBuffer(*file, limit - 1).ok());
        ASSERT_TRUE(open(0, false));
        EXPECT_EQ(static_cast<StrokeCanvasView*>(painter->drawingView())->storedSize(), limit);
    }
}

INSTANTIATE_TEST_SUITE_P(Idioms, PainterPicturesTest, ::testing::Values(false, true));

}  // namespace

namespace {

class PhonePainterTest : public PainterScreenFixture {
protected:
    PhonePainterTest() : PainterScreenFixture(true) {}
};

TEST_F(PhonePainterTest, ASwipeHidesTheControlsAndTheShowButtonBringsThemBack) {
    addFrames(1);
    ASSERT_TRUE(open(0, false));
    ui::View* tools = painter->toolPalette()->view();
    ui::View* colours = painter->colorPalette()->view();
    ASSERT_EQ(tools->center().y, 10);
    ASSERT_EQ(colours->center().y, 320 - 40);
    ASSERT_EQ(painter->helpManager(), nullptr);
    const graphics::Point start = centerOf(*tools);
    fingers.drag({start, {start.x, start.y + 30}, {start.x, start.y + 70}}, 0.1);
    advance(1);
    EXPECT_EQ(tools->center().y, 50 - tools->frame().size.height);
    EXPECT_EQ(colours->center().y, 320 + colours->frame().size.height * 0.5);
    EXPECT_EQ(painter->btnShow()->center().y, 320) << "the show button peeks in at the bottom";
    fingers.tap({painter->btnShow()->center().x, 310});
    advance(1);
    EXPECT_EQ(tools->center().y, 10);
    EXPECT_EQ(colours->center().y, 320 - 40);
    EXPECT_GT(painter->btnShow()->frame().origin.y, 320) << "out of sight";
}

}  // namespace

namespace {

class PainterHelpTest : public PainterScreenFixture {};

TEST_F(PainterHelpTest, EachModeShowsItsHelpOnce) {
    addFrames(2);
    for (const auto& [masking, name] : {std::pair{false, "PaintColor"}, std::pair{true, "Mask"}}) {
        EXPECT_FALSE(HelpManager::wasDismissed(name));
        auto created = PainterViewController::create(project, 1, masking);
        ASSERT_TRUE(created.ok());
        painter = *created;
        window->setRootViewController(painter);
        painter->viewDidAppear(false);
        advance(0.5);
        HelpManager* help = painter->helpManager();
        ASSERT_NE(help, nullptr) << name;
        EXPECT_EQ(help->positionNextBtn(), masking ? HelpManager::kBottomRight : HelpManager::kBottomLeft);
        EXPECT_EQ(help->positionLabel(), masking ? (graphics::Point{612, 384}) : (graphics::Point{612, 708})) << name;
        help->dismiss();
        advance(1);
        EXPECT_EQ(painter->helpManager(), nullptr) << "released when it finishes";
        EXPECT_TRUE(HelpManager::wasDismissed(name));
        ASSERT_TRUE(open(1, masking));
        EXPECT_EQ(painter->helpManager(), nullptr) << name << " is shown once";
    }
}

TEST_F(PainterHelpTest, AStrokeOrATapUnderTheHelpClosesItAndIsDoneAndNextOnlyCloses) {
    addFrames(2);
    struct Case {
        bool masking;
        const char* name;
        std::function<void()> work;  // on the painter's controls under the help
        std::function<bool()> done;
    };
    auto stroke = [this] { drawLine({100, 100}, {400, 300}); };
    auto stroked = [this] { return painter->drawingView()->canUndo(); };
    const Case cases[] = {
        {false, "PaintColor", stroke, stroked},
        {true, "Mask", stroke, stroked},
        {false, "PaintColor", [this] { tap(painter->toolPalette()->btnBack()); }, [this] { return completions == 1; }},
        {false, "PaintColor", [this] { tap(painter->helpManager()->nextButton()); },
         [this] { return !painter->drawingView()->canUndo() && completions == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << (c.masking ? " masking" : ""));
        std::filesystem::remove(folders.documents() + "/" + HelpManager::kHelpManagerFile);
        completions = 0;
        auto created = PainterViewController::create(project, 1, c.masking);
        ASSERT_TRUE(created.ok());
        painter = *created;
        painter->setHandlerComplete([this] { ++completions; });
        window->setRootViewController(painter);
        painter->viewDidAppear(false);
        advance(0.5);
        ASSERT_NE(painter->helpManager(), nullptr);
        c.work();
        advance(1);
        EXPECT_TRUE(c.done());
        EXPECT_EQ(painter->helpManager(), nullptr);
        EXPECT_TRUE(HelpManager::wasDismissed(c.name));
    }
}

}  // namespace
