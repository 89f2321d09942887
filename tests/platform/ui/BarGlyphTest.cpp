// The glyphs of the system bar items: every glyph item draws a picture of
// its own inside its square; the items shown as words or spaces draw none.

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/controllers/BarButtonItem.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <vector>

using ui::BarButtonSystemItem;

namespace {

constexpr int kCanvas = 80;
const graphics::Rect kSquare(20, 20, 40, 40);
// Round caps and joins of the widest line reach this far out of the square.
constexpr int kReach = 4;

struct Drawn {
    int painted = 0;
    int outside = 0;
    std::vector<bool> mask;
};

Drawn draw(BarButtonSystemItem item) {
    graphics::GraphicsContext context(graphics::Size{kCanvas, kCanvas}, 1.0, false);
    ui::detail::drawSystemGlyph(context, item, kSquare, graphics::Color::black());
    const graphics::Image image = context.makeImage();
    Drawn drawn;
    for (int y = 0; y < kCanvas; ++y) {
        for (int x = 0; x < kCanvas; ++x) {
            const bool painted = image.pixelAt(x, y).a > 0;
            drawn.mask.push_back(painted);
            if (!painted) continue;
            ++drawn.painted;
            const bool inside = x >= kSquare.minX() - kReach && x < kSquare.maxX() + kReach &&
                                y >= kSquare.minY() - kReach && y < kSquare.maxY() + kReach;
            if (!inside) ++drawn.outside;
        }
    }
    return drawn;
}

}  // namespace

TEST(BarGlyphTest, GlyphItemsDrawTheirOwnPictureInTheirSquareAndWordItemsDrawNothing) {
    const std::set<BarButtonSystemItem> withoutGlyph{
        BarButtonSystemItem::Done, BarButtonSystemItem::Cancel,        BarButtonSystemItem::Edit,
        BarButtonSystemItem::Save, BarButtonSystemItem::FlexibleSpace, BarButtonSystemItem::FixedSpace,
        BarButtonSystemItem::Undo, BarButtonSystemItem::Redo};
    std::map<std::vector<bool>, int> pictures;
    for (int value = 0; value <= static_cast<int>(BarButtonSystemItem::PageCurl); ++value) {
        const auto item = static_cast<BarButtonSystemItem>(value);
        const Drawn drawn = draw(item);
        SCOPED_TRACE(value);
        if (withoutGlyph.contains(item)) {
            EXPECT_EQ(drawn.painted, 0);
            continue;
        }
        // More than a dot, and nothing beyond the square's edge.
        EXPECT_GT(drawn.painted, 60);
        EXPECT_EQ(drawn.outside, 0);
        const auto [earlier, added] = pictures.emplace(drawn.mask, value);
        EXPECT_TRUE(added) << "the same picture as item " << earlier->second;
    }
    EXPECT_EQ(pictures.size(), 16u);
}
