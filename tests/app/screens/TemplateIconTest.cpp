// Template icons: the picture of tintedImageNamed takes the tint colour of
// the image view that shows it, whatever colours the file has.

#include "ScreenTestSupport.h"
#include "app/core/UIImage_Resize.h"
#include "platform/ui/controls/ImageView.h"

namespace {

class TemplateIconTest : public testsupport::ScreenTest {};

TEST_F(TemplateIconTest, AnImageViewFillsTheIconsShapeWithItsTint) {
    auto icon = UIImage_Resize::tintedImageNamed("explorer_icon_help.png");
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->renderingMode(), graphics::ImageRenderingMode::AlwaysTemplate);

    const graphics::Color tints[] = {graphics::Color::rgb(1, 0, 0), graphics::Color::rgb(0, 0.5, 1)};
    for (const auto& tint : tints) {
        auto view = ui::makeView<ui::ImageView>(*icon);
        view->setTintColor(tint);
        graphics::Image shown = ui::renderView(*view);
        ASSERT_FALSE(shown.isNull());
        double expected[4];
        tint.getRed(&expected[0], &expected[1], &expected[2], &expected[3]);
        int opaque = 0, offTint = 0;
        for (int y = 0; y < shown.pixelHeight(); ++y) {
            for (int x = 0; x < shown.pixelWidth(); ++x) {
                graphics::RGBA p = shown.pixelAt(x, y);
                if (p.a < 250) continue;
                ++opaque;
                if (std::abs(p.r - expected[0] * 255) > 3 || std::abs(p.g - expected[1] * 255) > 3 ||
                    std::abs(p.b - expected[2] * 255) > 3)
                    ++offTint;
            }
        }
        EXPECT_GT(opaque, 50) << "the icon shows nothing";
        EXPECT_EQ(offTint, 0) << "the icon kept colours of its own";
    }
}

}  // namespace
