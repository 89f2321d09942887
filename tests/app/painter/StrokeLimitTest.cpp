#include "PainterScreenFixture.h"
#include "app/core/ProjectDataWrapper.h"
#include "app/painter/StrokeCanvasView.h"
#include "app/widgets/alerts/Hudy.h"
#include "platform/ui/controls/Label.h"

namespace {

// A layer full of what costs its file most per sample counted fits the read
// bound of a project file: drags (one sample a move) and strokes that never
// moved (their fields alone), with the longest numbers a sample prints, and
// with as many objects as a full file, whose references and offsets take
// four bytes.
TEST(StrokeLimit, AFullLayerFitsTheFileReadBound) {
    for (const int moves : {1000, 0}) {
        StrokeList strokes;
        for (int s = 0; s < (moves ? 14 : 11000); ++s) {
            auto stroke = std::make_shared<Stroke>();
            stroke->red = stroke->green = stroke->blue = stroke->alpha = 0.123456789f;
            stroke->offset = {-1.2345678901234567e-300, 2.2345678901234567e+300};
            StrokeSegment pending(3, LinePoint{1.2345678f, {}});
            for (int m = 0; m < moves; ++m) {  // as the canvas records a drag
                const double k = 1 + (s * moves + m) * 1e-9;
                pending.push_back(
                    {1.2345678f + m * 1e-4f, {-2.2250738585072014e-300 * k, -1.234567890123456e+300 * k}});
                stroke->points.push_back(pending);
                stroke->velocities.push_back(pending.back().width);
                pending.erase(pending.begin(), pending.end() - 2);
            }
            stroke->velocities.insert(stroke->velocities.end(), {1.2345678f, 2.3456789f});
            strokes.push_back(stroke);
        }
        auto data = strokeBufferData(strokes);
        ASSERT_TRUE(data.ok());
        ASSERT_EQ(std::pair(int((*data)[data->size() - 26]), int((*data)[data->size() - 25])), std::pair(4, 4));
        EXPECT_LT(double(data->size()) / storedSize(strokes),
                  double(projectkeys::kMaximumFileBytes - 4096) / kMaximumStrokeSamples)
            << moves;
    }
}

// On a tablet and a phone.
class PainterFullLayerTest : public PainterScreenFixture, public ::testing::WithParamInterface<bool> {
protected:
    PainterFullLayerTest() : PainterScreenFixture(GetParam()) {}
};

// A drag that would pass what the canvas keeps (a small limit stands for the
// real one, minutes of drawing) is cut short while a notice that lets
// touches through says so; a tap then is refused too. What was kept loads
// again whole, counted as the reader counts.
TEST_P(PainterFullLayerTest, ADragPastTheLimitIsCutShortAloudAndTheLayerReopensWhole) {
    addFrames(1);
    for (bool masking : {true, false}) {
        ASSERT_TRUE(open(0, masking));
        auto* canvas = static_cast<StrokeCanvasView*>(painter->drawingView());
        const auto at = [&](double x, double y) {
            return graphics::Point{x * canvas->bounds().width(), y * canvas->bounds().height()};
        };
        drawLine(at(0.1, 0.35), at(0.3, 0.45));
        const size_t limit = canvas->storedSize() + 8;
        canvas->setSampleLimit(limit);
        EXPECT_FALSE(painter->fullNotice());
        drawLine(at(0.1, 0.55), at(0.7, 0.65));
        ASSERT_TRUE(painter->fullNotice()) << masking;
        EXPECT_EQ(painter->fullNotice()->captionView()->text(),
                  masking ? PainterViewController::kMaskFullMessage : PainterViewController::kLayerFullMessage);
        const graphics::Rect notice = inWindow(painter->fullNotice()->view());
        EXPECT_TRUE(notice.minX() >= 0 && notice.maxX() <= window->bounds().width()) << notice.width();
        EXPECT_EQ(canvas->storedSize(), limit);
        EXPECT_EQ(storedSize(canvas->strokeBuffer()), limit);
        EXPECT_GT(canvas->strokeBuffer().back()->points.size(), 2u) << "what the drag drew before is kept";
        tap(canvas);
        EXPECT_EQ(canvas->strokeBuffer().size(), 2u);
        advance(0.5);
        savePicture(std::string(masking ? "painter-mask-full" : "painter-layer-full") +
                    (GetParam() ? "-phone.png" : ".png"));
        advance(4);  // the notice fades
        EXPECT_EQ(painter->fullNotice()->view()->superview(), nullptr);
        const StrokeList drawn = canvas->strokeBuffer();
        ASSERT_TRUE(painter->saveAndClose());
        if (masking) continue;
        const auto file = fileData(painterfiles::strokesFileName(frameID(0)));
        EXPECT_TRUE(decodeStrokeBuffer(*file, limit).ok() && !decodeStrokeBuffer(*file, limit - 1).ok());
        ASSERT_TRUE(open(0, false));
        const StrokeList& reopened = static_cast<StrokeCanvasView*>(painter->drawingView())->strokeBuffer();
        ASSERT_EQ(reopened.size(), drawn.size());
        for (size_t i = 0; i < drawn.size(); ++i) EXPECT_EQ(reopened[i]->points, drawn[i]->points) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(TabletAndPhone, PainterFullLayerTest, ::testing::Bool());

}  // namespace
