#include "EditorTestSupport.h"
#include "EditorViewsSupport.h"
#include "app/core/KWAudioClip.h"
#include "app/core/KWImageProducer.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/KWFrameByFrameView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/host/Device.h"
#include "support/TempAppFolders.h"
#include "support/WindowFixture.h"

#include <gtest/gtest.h>

namespace {

namespace en = editornotifications;

// Both idioms: the tablet's 1024 x 768 and the phone's 568 x 320.
class FrameStripTest : public testsupport::WindowFixture, public ::testing::WithParamInterface<bool> {
protected:
    FrameStripTest() : WindowFixture(GetParam() ? graphics::Rect(0, 0, 568, 320) : graphics::Rect(0, 0, 1024, 768)) {
        ui::Device::current().setUserInterfaceIdiom(GetParam() ? ui::UserInterfaceIdiom::Phone
                                                               : ui::UserInterfaceIdiom::Pad);
    }
    void TearDown() override {
        if (strip) strip->view()->removeFromSuperview();
        strip.reset();
        ui::Device::current().resetForTesting();
        WindowFixture::TearDown();
    }
    std::string idiom() const { return GetParam() ? "phone" : "tablet"; }

    // The strip along the bottom of a screen view, as the editor holds it.
    KWFrameByFrameView& show(const ProjectModelPtr& project) {
        screen = ui::makeView<ui::View>(window->bounds());
        screen->setBackgroundColor(graphics::Color::grey(0.25));
        auto holder = ui::makeView<ui::View>(graphics::Rect{});
        screen->addSubview(holder);
        window->addSubview(screen);
        strip = std::make_shared<KWFrameByFrameView>(project);
        ui::View* root = strip->view();
        holder->setFrame(
            {0, window->bounds().height() - root->frame().height(), window->bounds().width(), root->frame().height()});
        root->setFrame(holder->bounds());
        holder->addSubview(strip->viewPtr());
        screen->layoutIfNeeded();
        foundation::RunLoop::main().runUntilIdle();
        return *strip;
    }
    ui::View* itemAt(int64_t index) const { return strip->carousel()->itemViewAtIndex(index).get(); }
    bool hidden(int64_t index, int tag) const {
        return KWFrameByFrameView::itemSubview(*itemAt(index), tag)->isHidden();
    }
    std::string overlays(int64_t count) const {
        std::string marks;
        for (int64_t i = 0; i < count; ++i)
            marks += itemAt(i) ? (hidden(i, KWFrameByFrameView::kTagSelection) ? '.' : 'X') : '?';
        return marks;
    }
    void centre(int64_t index) {
        strip->carousel()->scrollToItemAtIndexAnimated(index, false);
        foundation::RunLoop::main().runUntilIdle();
        EXPECT_LIST_INVARIANTS(strip->project());
    }
    void tapItem(int64_t index) {
        tap(KWFrameByFrameView::itemSubview(*itemAt(index), KWFrameByFrameView::kTagThumbnail));
        advance(0.4);  // the double tap has failed by then
        EXPECT_LIST_INVARIANTS(strip->project());
    }

    testsupport::TempAppFolders folders;
    ui::ViewPtr screen;
    std::shared_ptr<KWFrameByFrameView> strip;
};

TEST_P(FrameStripTest, ItemsShowThumbnailsMarksAndTheBadge) {
    auto project = viewstest::projectOfPictures(4);
    auto list = project->getFrameList();
    list->getFrameAtIndex(1)->setDuration(3);
    auto title = Frame::create(Frame::kTypeTitleCard);
    list->insertFrame(title, 2);
    list->getFrameAtIndex(3)->setAudio(std::make_shared<KWAudioClip>(std::string("voice"), std::string("v.m4a")));
    viewstest::Recorder playheads(en::kDidMovePlayhead);
    auto& shown = show(project);
    EXPECT_EQ(shown.labelFrameNumber()->text(), "1 / 6");
    ASSERT_EQ(playheads.count(), 1u);
    EXPECT_EQ(en::frameIn(playheads.last().userInfo), list->getFrameAtIndex(0));

    struct Marks {
        bool hold, text, audio;
    };
    const Marks expected[] = {{false, false, false}, {true, false, false},  {false, true, false},
                              {false, false, true},  {false, false, false}, {false, false, false}};
    for (int64_t i = 0; i < 6; ++i) {
        ASSERT_NE(itemAt(i), nullptr) << i;
        EXPECT_EQ(!hidden(i, KWFrameByFrameView::kTagHold), expected[i].hold) << i;
        EXPECT_EQ(!hidden(i, KWFrameByFrameView::kTagText), expected[i].text) << i;
        EXPECT_EQ(!hidden(i, KWFrameByFrameView::kTagAudio), expected[i].audio) << i;
        EXPECT_TRUE(hidden(i, KWFrameByFrameView::kTagSelection)) << i;
        EXPECT_FALSE(itemAt(i)->layer().isDoubleSided());
    }
    // Pictures arrive from the background decode, each in its own colour.
    const int pictures[] = {0, 1, -1, 2, 3};
    for (int64_t i = 0; i < 5; ++i) {
        if (pictures[i] < 0) continue;
        const auto* thumbnail =
            static_cast<ui::ImageView*>(KWFrameByFrameView::itemSubview(*itemAt(i), KWFrameByFrameView::kTagThumbnail));
        EXPECT_TRUE(viewstest::showsColour(thumbnail->image(), viewstest::colourOf(pictures[i]))) << i;
    }
    const auto* slot =
        static_cast<ui::ImageView*>(KWFrameByFrameView::itemSubview(*itemAt(5), KWFrameByFrameView::kTagThumbnail));
    EXPECT_FALSE(slot->image().isNull());  // the camera picture
    EXPECT_DOUBLE_EQ(*shown.carouselItemWidth(*shown.carousel()), GetParam() ? 90.0 : 130.0);
    savePicture("strip_marks_" + idiom() + ".png");
}

TEST_P(FrameStripTest, SelectionMarksTheRunAndTapsPostItsRange) {
    auto project = viewstest::projectOfPictures(8);
    auto list = project->getFrameList();
    // The capture slot inside the run: unmarked but counted.
    auto slot = list->getFrameAtIndex(list->getCaptureIndex());
    list->removeFrame(slot);
    list->insertFrame(slot, 3);
    // Marks stay visible over the selection.
    list->getFrameAtIndex(4)->setDuration(3);
    list->getFrameAtIndex(5)->setAudio(std::make_shared<KWAudioClip>(std::string("voice"), std::string("v.m4a")));
    auto& shown = show(project);
    viewstest::Recorder selections(en::kDidSelectFrame), doubles(en::kFrameByFrameViewDoubleTapped);

    shown.enabledSelectionModeForFrame(list->getFrameAtIndex(2));
    EXPECT_EQ(shown.selectionStartIndex(), 2);
    centre(5);
    EXPECT_EQ(shown.getCurrentFrame(), 5);
    EXPECT_EQ(shown.labelFrameNumber()->text(), "6 / 9");
    // The phone's narrower strip has let item 0 go by now.
    EXPECT_EQ(overlays(8), GetParam() ? "?.X.XX.." : "..X.XX..");
    savePicture("strip_selection_" + idiom() + ".png");

    tapItem(4);
    ASSERT_EQ(selections.count(), 1u);
    const auto& info = selections.last().userInfo;
    EXPECT_EQ(en::selectionIn(info), (en::FrameRange{2, 4}));
    EXPECT_EQ(en::frameIn(info), list->getFrameAtIndex(4));
    EXPECT_EQ(selections.last().object, &shown);
    // The rectangle is the tapped item's, in the screen's coordinates.
    const auto rect = en::viewRectIn(info);
    ASSERT_TRUE(rect);
    EXPECT_EQ(*rect, itemAt(4)->convertRectToView(itemAt(4)->frame(), screen.get()));
    EXPECT_EQ(shown.selectionStartIndex(), 2);

    tapItem(7);
    ASSERT_EQ(selections.count(), 2u);
    EXPECT_EQ(en::selectionIn(selections.last().userInfo), (en::FrameRange{7, 1}));
    EXPECT_EQ(shown.selectionStartIndex(), -1);
    EXPECT_EQ(overlays(8), GetParam() ? "?......." : "........");

    // A double tap posts only the double tap.
    fingers.tap(centerOf(*KWFrameByFrameView::itemSubview(*itemAt(5), KWFrameByFrameView::kTagThumbnail)), 2);
    advance(0.5);
    EXPECT_EQ(doubles.count(), 1u);
    EXPECT_EQ(selections.count(), 2u);
    EXPECT_EQ(doubles.last().object, &shown);
}

TEST_P(FrameStripTest, PlayheadFollowsInsertsAndRemovesAfterADelay) {
    auto project = viewstest::projectOfPictures(4);
    auto list = project->getFrameList();
    auto& shown = show(project);
    viewstest::Recorder playheads(en::kDidMovePlayhead);
    auto inserted = Frame::create(Frame::kTypePicture);
    ASSERT_TRUE(KWImageProducer(project)
                    .storeImage(graphics::Image::filled(320, 180, viewstest::colourOf(9)), inserted->frameID())
                    .ok());
    list->insertFrame(inserted, 0);
    shown.insertFrame(inserted, 0, true);
    advance(0.1);
    EXPECT_EQ(playheads.count(), 0u);
    EXPECT_EQ(shown.labelFrameNumber()->text(), "1 / 5");
    advance(0.06);
    ASSERT_EQ(playheads.count(), 1u);
    EXPECT_EQ(list->frameAtPlayhead(), inserted);
    EXPECT_EQ(shown.labelFrameNumber()->text(), "1 / 6");
    EXPECT_LIST_INVARIANTS(project);

    const FramePtr second = list->getFrameAtIndex(1);
    shown.removeFrame(inserted, false);
    list->removeFrame(inserted);
    advance(0.2);
    EXPECT_EQ(list->frameAtPlayhead(), second);
    EXPECT_EQ(shown.labelFrameNumber()->text(), "1 / 5");
    EXPECT_LIST_INVARIANTS(project);
    // A frame no longer listed is not removed twice; indexes outside are ignored.
    const size_t posted = playheads.count();
    shown.removeFrame(inserted, false);
    shown.updatePlayhead(5);
    shown.updatePlayhead(-1);
    advance(0.2);
    EXPECT_EQ(playheads.count(), posted);
    EXPECT_EQ(shown.carousel()->numberOfItems(), 5);
}

TEST_P(FrameStripTest, AFlingDecodesNothingOnTheMainThread) {
    auto project = viewstest::projectOfPictures(40);
    auto list = project->getFrameList();
    auto& shown = show(project);
    const uint64_t before = graphics::jpeg::decodeCountOnThisThread();
    const graphics::Point from = centerOf(*shown.carousel());
    fingers.drag({from, {from.x - 300, from.y}}, 0.1);
    for (int i = 0; i < 240 && shown.carousel()->isAnimating(); ++i) advance(1.0 / 60);
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_GT(shown.getCurrentFrame(), 2);
    EXPECT_EQ(list->frameAtPlayhead(), list->getFrameAtIndex(shown.getCurrentFrame()));
    EXPECT_LIST_INVARIANTS(project);
    EXPECT_EQ(graphics::jpeg::decodeCountOnThisThread(), before);
    // Every loaded item shows its own frame's picture once the decodes are in.
    for (int64_t index : shown.carousel()->indexesForVisibleItems()) {
        if (index >= 40) continue;
        const auto* thumbnail = static_cast<ui::ImageView*>(
            KWFrameByFrameView::itemSubview(*itemAt(index), KWFrameByFrameView::kTagThumbnail));
        EXPECT_EQ(KWFrameByFrameView::frameShownBy(itemAt(index)), list->getFrameAtIndex(index));
        EXPECT_TRUE(viewstest::showsColour(thumbnail->image(), viewstest::colourOf(index))) << index;
    }
}

TEST_P(FrameStripTest, TheBadgeReadsEveryCountWhole) {
    // Projects of 150,000 frames open: the badge over the strip reads any
    // position in them whole, centred where it was.
    const struct {
        int entries;  // the capture slot included
        int64_t at;
        const char* text;
    } cases[] = {
        {5, 0, "1 / 5"},           {3232, 1616, "1617 / 3232"},        {3232, 3231, "3232 / 3232"},
        {150000, 0, "1 / 150000"}, {150000, 149999, "150000 / 150000"}, {150000, 88887, "88888 / 150000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        if (screen) screen->removeFromSuperview();
        auto& shown = show(viewstest::projectOfBareFrames(c.entries - 1));
        centre(c.at);
        ASSERT_EQ(shown.labelFrameNumber()->text(), c.text);
        EXPECT_EQ(textCutFault(*shown.labelFrameNumber()), "");
        const graphics::Rect badge = drawnRect(*shown.viewFrameNumber());
        EXPECT_NEAR(badge.midX(), window->bounds().midX(), 1) << badge.toString();
        EXPECT_TRUE(badge.contains(drawnTextRect(*shown.labelFrameNumber()))) << badge.toString();
        savePicture("strip_badge_" + idiom() + "_" + std::to_string(c.at + 1) + ".png");
    }
}

INSTANTIATE_TEST_SUITE_P(Idioms, FrameStripTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Phone" : "Tablet"; });

}  // namespace
