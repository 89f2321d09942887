#include "ControlsTestSupport.h"
#include "app/painter/PainterStampViewController.h"
#include "platform/graphics/GraphicsContext.h"

#include <gtest/gtest.h>
#include <numbers>

namespace {

class PainterStampTest : public paintertest::ControlsTest, public PainterStampDelegate {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        stamp = std::make_shared<PainterStampViewController>();
        stamp->setDelegate(this);
        show(*stamp, window->bounds());
        stamp->setStamp(graphics::Image::filled(120, 60, {20, 200, 20, 255}));
        stamp->viewWillAppear(false);
    }
    void TearDown() override {
        stamp.reset();
        ControlsTest::TearDown();
    }
    void PainterStampDelegateDidFinish(PainterStampViewController& controller) override {
        ++finished;
        EXPECT_EQ(&controller, stamp.get());
    }
    void tapBackdrop() { fingers.tap({20, 20}); }

    std::shared_ptr<PainterStampViewController> stamp;
    int finished = 0;
};

TEST_F(PainterStampTest, UntouchedStampReportsItsPlace) {
    EXPECT_EQ(stamp->viewStamp()->bounds().size, (graphics::Size{120, 60}));
    tapBackdrop();
    ASSERT_EQ(finished, 1);
    EXPECT_DOUBLE_EQ(stamp->size(), 120);
    EXPECT_DOUBLE_EQ(stamp->rotation(), 0);
    // The window's centre, counted from the bottom.
    EXPECT_EQ(stamp->position(), (graphics::Point{512, 768 - 384}));
    // Handles sit on the corner markers.
    EXPECT_EQ(stamp->viewUpperHandle()->center(), (graphics::Point{452 + 1, 354 + 1}));
    EXPECT_EQ(stamp->viewLowerHandle()->center(), (graphics::Point{572 - 1, 414 - 1}));
}

TEST_F(PainterStampTest, GesturesMoveScaleAndTurnTheStamp) {
    struct Case {
        const char* what;
        std::function<void()> gesture;
        double size, rotation;
        graphics::Point position;
    };
    const graphics::Point center{512, 384};
    const Case cases[] = {
        {"a drag moves it",
         [&] {
             fingers.drag({center, {612, 334}}, 0.3);
         },
         120,
         0,
         {612, 768 - 334}},
        {"a quarter turn: the picture's height across",
         [&] {
             fingers.rotate({612, 334}, 80, 0, std::numbers::pi / 2, 0.3);
         },
         60,
         90,
         {612, 768 - 334}},
    };
    for (const Case& c : cases) {
        c.gesture();
        tapBackdrop();
        EXPECT_NEAR(stamp->size(), c.size, 1.0) << c.what;
        EXPECT_NEAR(stamp->rotation(), c.rotation, 1.5) << c.what;
        EXPECT_NEAR(stamp->position().x, c.position.x, 1.0) << c.what;
        EXPECT_NEAR(stamp->position().y, c.position.y, 1.0) << c.what;
    }
    EXPECT_EQ(finished, 2);
    // The handles followed the turned corners.
    const graphics::Point lower = stamp->viewStamp()->convertPointToView({119, 59}, stamp->view());
    EXPECT_NEAR(stamp->viewLowerHandle()->center().x, lower.x, 1e-6);
    EXPECT_NEAR(stamp->viewLowerHandle()->center().y, lower.y, 1e-6);
}

TEST_F(PainterStampTest, PinchScalesTheReportedSize) {
    fingers.pinch({512, 384}, 60, 120, 0.3);
    tapBackdrop();
    ASSERT_EQ(finished, 1);
    EXPECT_NEAR(stamp->size(), 240, 4);
    EXPECT_NEAR(stamp->rotation(), 0, 1.0);
}

TEST(PainterStampHolder, TranslucentRingWithADarkDot) {
    PainterStampHolderView holder({0, 0, 44, 44});
    graphics::GraphicsContext context({44, 44});
    holder.drawRect(context, holder.bounds());
    const graphics::Image drawn = context.makeImage();
    EXPECT_NEAR(drawn.pixelAt(22, 22).a, 0.7 * 255 + 0.3 * 255 * 0.3, 4);  // dot over the white fill
    EXPECT_LT(drawn.pixelAt(22, 22).r, 60);
    const graphics::RGBA fill = drawn.pixelAt(22, 6);  // white at 0.3 outside the dot
    EXPECT_NEAR(fill.a, 77, 3);
    EXPECT_GT(fill.r, 240);
    EXPECT_EQ(drawn.pixelAt(0, 0).a, 0);
}

}  // namespace
