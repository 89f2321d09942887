#include "app/widgets/views/MKNumberBadgeView.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/compositing/Render.h"
#include "support/Process.h"

#include <gtest/gtest.h>

namespace {

using graphics::Color;

class NumberBadgeTest : public ::testing::Test {
protected:
    void SetUp() override { graphics::ensureGuiApplication(); }
};

TEST_F(NumberBadgeTest, ZeroHidesOnlyWhenAsked) {
    MKNumberBadgeView badge(graphics::Rect(0, 0, 60, 30));
    badge.setValue(0);
    EXPECT_FALSE(badge.isHidden());
    badge.setHideWhenZero(true);
    badge.setValue(0);
    EXPECT_TRUE(badge.isHidden());
    badge.setValue(1);
    EXPECT_FALSE(badge.isHidden());
    EXPECT_EQ(badge.value(), 1u);
}

TEST_F(NumberBadgeTest, PillAroundATextSize) {
    MKNumberBadgeView badge;
    // pad 2, text 30 x 20: radius ceil(22 / 2) = 11, right centre at 30 - 10 + 22 - 11 = 31.
    graphics::Rect box = badge.newBadgePathForTextSize({30, 20}).bounds();
    EXPECT_NEAR(box.minX(), 0, 1e-9);
    EXPECT_NEAR(box.minY(), 0, 1e-9);
    EXPECT_NEAR(box.width(), 42, 1e-9);
    EXPECT_NEAR(box.height(), 22, 1e-9);
    // Text narrower than half its height: a plain circle.
    box = badge.newBadgePathForTextSize({5, 20}).bounds();
    EXPECT_NEAR(box.width(), 22, 1e-9);
    // The ends are round: a corner of the box is outside, the ends' middles inside.
    graphics::Path pill = badge.newBadgePathForTextSize({30, 20});
    EXPECT_FALSE(pill.contains({1, 1}));
    EXPECT_TRUE(pill.contains({1, 11}));
    EXPECT_TRUE(pill.contains({41, 11}));
    EXPECT_FALSE(pill.contains({41, 1}));
}

TEST_F(NumberBadgeTest, MoreDigitsWidenOnlyByTheirWidth) {
    MKNumberBadgeView badge;
    graphics::Font font = badge.font();
    badge.setValue(7);
    graphics::Size one = badge.badgeSize();
    EXPECT_GE(one.width, one.height);
    EXPECT_LT(one.width, one.height * 1.2);
    badge.setValue(1234);
    graphics::Size four = badge.badgeSize();
    EXPECT_EQ(four.height, one.height);
    EXPECT_EQ(four.width - one.width, font.sizeOfText("1234").width - font.sizeOfText("7").width);
}

TEST_F(NumberBadgeTest, LargeCountsStayPositive) {
    MKNumberBadgeView badge;
    badge.setValue(3000000000u);
    EXPECT_EQ(badge.text(), "3000000000");
}

TEST_F(NumberBadgeTest, AlignmentPlacesTheBadge) {
    MKNumberBadgeView badge(graphics::Rect(0, 0, 101, 41));
    badge.setValue(5);
    graphics::Size size = badge.badgeSize();
    graphics::Rect centred = badge.badgeFrameInBounds();
    // The stroke's outer half is allowed for (the pill's height is whole).
    EXPECT_EQ(centred.size.height, size.height + 1);
    EXPECT_GE(centred.size.width, size.width);
    EXPECT_EQ(centred.origin.y, std::trunc((41 - centred.size.height) / 2));
    EXPECT_EQ(centred.origin.x, std::trunc((101 - centred.size.width) / 2));
    badge.setAlignment(0);
    EXPECT_EQ(badge.badgeFrameInBounds().origin.x, 0);
    badge.setAlignment(2);
    EXPECT_EQ(badge.badgeFrameInBounds().maxX(), 101);
    badge.setAlignment(4);
    EXPECT_EQ(badge.badgeFrameInBounds(), centred);
}

TEST_F(NumberBadgeTest, RightAlignedBadgeIsDrawnAtTheRightEdge) {
    auto badge = ui::makeView<MKNumberBadgeView>(graphics::Rect(0, 0, 100, 40));
    badge->setShadow(false);
    badge->setShine(false);
    badge->setAlignment(2);
    badge->setValue(3);
    graphics::Image image = ui::renderView(*badge);
    graphics::Rect frame = badge->badgeFrameInBounds();
    // Red fill inside the pill's right half; nothing on the left of the view.
    graphics::RGBA inside = image.pixelAt(int(frame.minX() + 4), int(frame.midY()));
    EXPECT_GT(inside.r, 200);
    EXPECT_LT(inside.g, 60);
    EXPECT_EQ(image.pixelAt(10, 20).a, 0);
    EXPECT_EQ(image.pixelAt(int(frame.minX()) - 3, 20).a, 0);
}

TEST_F(NumberBadgeTest, ShineAndShadowShowInTheDrawing) {
    auto badge = ui::makeView<MKNumberBadgeView>(graphics::Rect(0, 0, 80, 40));
    badge->setValue(42);
    badge->setShine(false);
    badge->setShadow(false);
    graphics::Image plain = ui::renderView(*badge);
    badge->setShine(true);
    badge->setShadow(true);
    graphics::Image full = ui::renderView(*badge);
    graphics::Rect frame = badge->badgeFrameInBounds();
    // Near the top of the fill the gloss lightens the red; lower down it does not reach.
    int x = int(frame.minX() + frame.size.height / 2);
    int top = int(frame.minY() + 4);
    EXPECT_GT(full.pixelAt(x, top).g, plain.pixelAt(x, top).g + 40);
    int low = int(frame.minY() + frame.size.height * 0.8);
    EXPECT_EQ(full.pixelAt(x, low).g, plain.pixelAt(x, low).g);
    // The shadow falls below the badge.
    int below = int(frame.maxY() + 2);
    EXPECT_EQ(plain.pixelAt(int(frame.midX()), below).a, 0);
    EXPECT_GT(full.pixelAt(int(frame.midX()), below).a, 20);

    auto png = full.pngData();
    ASSERT_TRUE(png.ok());
    ASSERT_TRUE(
        foundation::writeFileAtomically(testsupport::artifactsDirectory() + "/MKNumberBadgeView-42.png", *png).ok());
}

TEST_F(NumberBadgeTest, SheetOfBadgesForALook) {
    auto sheet = ui::makeView<ui::View>(graphics::Rect(0, 0, 240, 60));
    sheet->setBackgroundColor(Color::grey(0.85));
    int x = 0;
    for (uint32_t value : {1u, 12u, 345u, 67890u}) {
        auto badge = ui::makeView<MKNumberBadgeView>(graphics::Rect(x, 10, value > 999 ? 80 : 50, 40));
        badge->setValue(value);
        x += value > 999 ? 80 : 50;
        sheet->addSubview(badge);
    }
    graphics::Image image = ui::renderView(*sheet, 2.0);
    EXPECT_EQ(image.pixelWidth(), 480);
    auto png = image.pngData();
    ASSERT_TRUE(png.ok());
    std::string path = testsupport::artifactsDirectory() + "/MKNumberBadgeView-sheet.png";
    ASSERT_TRUE(foundation::writeFileAtomically(path, *png).ok());
    auto check = testsupport::runPython(
        "import sys, struct\nd = open(sys.argv[1], 'rb').read()\nassert d[:8] == b'\\x89PNG\\r\\n\\x1a\\n'\n"
        "print(*struct.unpack('>II', d[16:24]))\n",
        {path});
    EXPECT_EQ(check.output, "480 120\n");
}

}  // namespace
