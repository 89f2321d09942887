#include "app/core/BundleImage.h"
#include "app/core/KWImageProducer.h"
#include "app/preview/KWPreviewViewController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/controls/ImageView.h"
#include "support/Pictures.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

namespace {

using foundation::Value;

const graphics::RGBA kRed{255, 0, 0, 255};
const graphics::RGBA kBlue{0, 0, 255, 255};

class PreviewPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        graphics::ensureGuiApplication();
        project = ProjectModel::create();
        producer = std::make_unique<KWImageProducer>(project);
        frame = addPicture(kRed);
        pane = std::make_shared<KWPreviewViewController>(project);
        pane->view();
    }
    void TearDown() override { pane->removeView(); }

    FramePtr addPicture(graphics::RGBA colour) {
        auto added = Frame::create(Frame::kTypePicture);
        EXPECT_TRUE(producer->storeImage(graphics::Image::filled(1920, 1080, colour), added->frameID()));
        project->getFrameList()->insertFrame(added, 0);
        return added;
    }
    // Replaces a frame's pictures on disk, so a reload shows in the pane.
    void repaint(const FramePtr& which, graphics::RGBA colour) {
        ASSERT_TRUE(producer->storeImage(graphics::Image::filled(1920, 1080, colour), which->frameID()));
    }
    // What the pane shows once the pictures it asked for have been decoded.
    graphics::RGBA shownColour() const {
        foundation::RunLoop::main().runUntilIdle();
        const auto& image = pane->viewFrame()->image();
        return image.isNull() ? graphics::RGBA{} : image.pixelAt(image.pixelWidth() / 2, image.pixelHeight() / 2);
    }
    void advance(double seconds) { foundation::RunLoop::main().advance(seconds); }
    void setMeta(const char* key, Value value) { project->getMetaData()->set(key, std::move(value)); }

    testsupport::VirtualClockScope clock;
    testsupport::TempAppFolders folders;
    ProjectModelPtr project;
    std::unique_ptr<KWImageProducer> producer;
    FramePtr frame;
    std::shared_ptr<KWPreviewViewController> pane;
};

TEST_F(PreviewPaneTest, SameFrameLoadsOnceAndUpdateReloadsTheShownFrame) {
    pane->showFrame(frame);
    EXPECT_TRUE(pane->isPictureLoading());
    EXPECT_TRUE(pane->viewFrame()->image().isNull()) << "decoded on the main thread";
    EXPECT_TRUE(testsupport::pixelNear(shownColour(), kRed));
    EXPECT_FALSE(pane->isPictureLoading());
    EXPECT_EQ(pane->viewFrame()->image().pixelWidth(), KWImageProducer::kPreviewSize.width);

    repaint(frame, kBlue);
    pane->showFrame(frame);
    EXPECT_TRUE(testsupport::pixelNear(shownColour(), kRed)) << "the same frame was loaded again";
    pane->updateFrame(nullptr);
    EXPECT_TRUE(testsupport::pixelNear(shownColour(), kBlue));
    EXPECT_EQ(pane->lastFrame(), frame);
}

TEST_F(PreviewPaneTest, FullSizePictureFollowsAfterOneWholeSecondAndOnlyOnce) {
    advance(0.2);
    pane->showFrame(frame);
    advance(0.95);
    EXPECT_FALSE(pane->isFullFrame());
    EXPECT_EQ(pane->viewFrame()->image().pixelWidth(), KWImageProducer::kPreviewSize.width);
    advance(0.55);  // 1.5 s after showing
    EXPECT_TRUE(pane->isFullFrame());
    EXPECT_TRUE(testsupport::pixelNear(shownColour(), kRed));
    // Decoded at half size: the smallest decoder scale that still covers the 796 x 448 pane.
    EXPECT_EQ(pane->viewFrame()->image().pixelWidth(), 960);

    repaint(frame, kBlue);
    advance(3.0);
    EXPECT_TRUE(testsupport::pixelNear(shownColour(), kRed)) << "a refined frame was loaded again";

    // The next frame starts over with its preview picture.
    auto second = addPicture(kBlue);
    pane->showFrame(second);
    EXPECT_FALSE(pane->isFullFrame());
    EXPECT_TRUE(testsupport::pixelNear(shownColour(), kBlue));
}

// The pane keeps no timer while it has nothing to refine: an idle editor
// wakes nobody up.
TEST_F(PreviewPaneTest, OnlyAFrameStillToRefineKeepsATimerAndRemoveViewStopsIt) {
    auto& loop = foundation::RunLoop::main();
    EXPECT_FALSE(pane->isRefinementPending()) << "nothing shown";
    EXPECT_TRUE(loop.repeatingTimers().empty());
    pane->showFrame(frame);
    EXPECT_TRUE(pane->isRefinementPending());
    EXPECT_TRUE(loop.repeatingTimers().empty());
    advance(1.5);
    ASSERT_TRUE(pane->isFullFrame());
    EXPECT_FALSE(pane->isRefinementPending()) << "refined";
    EXPECT_TRUE(loop.repeatingTimers().empty());

    pane->showFrame(nullptr);
    EXPECT_FALSE(pane->isRefinementPending());
    pane->showFrame(frame);
    pane->removeView();
    EXPECT_FALSE(pane->isRefinementPending());
    pane->showFrame(nullptr);
    pane->showFrame(frame);
    EXPECT_FALSE(pane->isRefinementPending());
    advance(3.0);
    EXPECT_FALSE(pane->isFullFrame());
}

TEST_F(PreviewPaneTest, MaskPictureFollowsTheFormatAndFades) {
    const auto wide = bundleImageNamed(KWPreviewViewController::kMaskWideImage);
    const auto square = bundleImageNamed(KWPreviewViewController::kMaskSquareImage);
    ASSERT_TRUE(wide && square);
    struct Step {
        bool on;
        double format;
        const graphics::Image* expected;  // null: no picture yet
        bool hiddenAfter;
    };
    // 1.85 has no picture of its own: the one shown before stays.
    const Step steps[] = {
        {true, 1.85, nullptr, false}, {true, 2.35, &*wide, false},  {true, 1.85, &*wide, false},
        {true, 1.0, &*square, false}, {false, 1.0, &*square, true},
    };
    for (const auto& step : steps) {
        setMeta(KWPreviewViewController::kMaskKey, Value(step.on ? 1 : 0));
        setMeta(KWPreviewViewController::kMaskFormatKey, Value(step.format));
        foundation::NotificationCenter::defaultCenter().post(KWPreviewViewController::kNotificationDidChangeMask);
        const auto* mask = pane->viewMask();
        if (step.on) {
            EXPECT_FALSE(mask->isHidden());
        }
        advance(KWPreviewViewController::kMaskFadeDuration + 0.05);
        SCOPED_TRACE(testing::Message() << "mask " << step.on << " format " << step.format);
        EXPECT_EQ(mask->isHidden(), step.hiddenAfter);
        EXPECT_DOUBLE_EQ(mask->alpha(), step.on ? 1.0 : 0.0);
        if (step.expected) {
            ASSERT_FALSE(mask->image().isNull());
            EXPECT_EQ(mask->image().bitmap(), step.expected->bitmap());
        } else {
            EXPECT_TRUE(mask->image().isNull());
        }
    }
}

TEST_F(PreviewPaneTest, ForegroundShowsTheProjectFileOnlyWhenSwitchedOn) {
    auto foreground = graphics::Image::filled(64, 36, kBlue).pngData();
    ASSERT_TRUE(foreground.ok());
    struct Case {
        int64_t number;
        bool withFile;
        bool shown;
    };
    for (const Case& c : {Case{0, true, false}, Case{2, false, false}, Case{2, true, true}}) {
        ASSERT_TRUE(project->removeRegularFileWithPreferredFilename(KWPreviewViewController::kForegroundFile).ok());
        if (c.withFile) {
            ASSERT_TRUE(
                project->updateRegularFileWithContents(*foreground, KWPreviewViewController::kForegroundFile).ok());
        }
        setMeta(KWPreviewViewController::kForegroundKey, Value(c.number));
        foundation::NotificationCenter::defaultCenter().post(KWPreviewViewController::kNotificationDidChangeForeground);
        const auto& shown = pane->viewForeground()->image();
        EXPECT_EQ(!shown.isNull(), c.shown) << "foreground " << c.number << " file " << c.withFile;
        if (c.shown) {
            EXPECT_EQ(shown.pixelAt(5, 5), kBlue);
        }
    }
}

TEST_F(PreviewPaneTest, PlayheadShowsItsFrameAndSetsOrClearsTheFade) {
    auto second = addPicture(kBlue);
    auto post = [](foundation::Dictionary info) {
        foundation::NotificationCenter::defaultCenter().post(KWPreviewViewController::kNotificationDidMovePlayhead,
                                                             nullptr, std::move(info));
    };
    // With the theme's fade-in, position 3 of 40 (fade over 10) is 70 % covered.
    setMeta("META_RECORD_THEME_FADE_IN", Value(true));
    const int64_t total = 40;
    post({{KWPreviewViewController::kFrameKey, Value::object(second)},
          {KWPreviewViewController::kExpandedIndexKey, Value(3)},
          {KWPreviewViewController::kExpandedTotalFramesKey, Value(total)}});
    EXPECT_EQ(pane->lastFrame(), second);
    EXPECT_TRUE(testsupport::pixelNear(shownColour(), kBlue));
    EXPECT_NEAR(pane->viewFade()->alpha(), 0.7, 1e-6);

    post({{KWPreviewViewController::kFrameKey, Value::object(frame)}});
    EXPECT_EQ(pane->lastFrame(), frame);
    EXPECT_DOUBLE_EQ(pane->viewFade()->alpha(), 0.0);
}

}  // namespace
