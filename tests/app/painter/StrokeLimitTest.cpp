#include "CanvasTestSupport.h"
#include "PainterScreenFixture.h"
#include "app/core/ProjectDataWrapper.h"
#include "app/widgets/alerts/Hudy.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/gestures/GestureRecognizer.h"

#include <charconv>
#include <gtest/gtest.h>

namespace {

using namespace paintertest;
using ui::GestureState;

// A coordinate of `digits` characters as a stroke file writes it, different
// for each `i` (x) and far enough from the one before (y).
graphics::Point longPoint(size_t i, bool longest) {
    // The longest a double prints: a sign, 17 digits, an exponent of three.
    if (longest) return {-2.2250738585072014e-300 * (1 + i * 1e-9), -1.2345678901234567e+300 * (1 + i * 1e-9)};
    return {-12345.678901234567 + double(i % 1000) * 1.0000000000000002, -23456.789012345678 + double(i) * 1.7};
}

size_t printedLength(double value) {
    char text[40];
    return size_t(std::to_chars(text, text + sizeof text, value).ptr - text);
}

// The strokes a canvas records of `kind`, each as PaintingView records
// them: a drag's first segment holds its start three times and the first
// move, every later one the two samples before it and the next move.
StrokeList recordedAs(const std::string& kind, size_t strokes, bool longest) {
    StrokeList list;
    size_t n = 0;
    for (size_t s = 0; s < strokes; ++s) {
        auto stroke = std::make_shared<Stroke>();
        stroke->type = kBrushTypePen;
        stroke->red = stroke->green = stroke->blue = stroke->alpha = 0.123456789f;
        stroke->brushSize = 15;
        stroke->offset = longPoint(n, longest);
        if (kind == "tap") stroke->points = {StrokeSegment(4, LinePoint{5.123456f, longPoint(n++, longest)})};
        if (kind == "move") {
            stroke->type = kBrushTypeMove;
            stroke->points = {{LinePoint{0, longPoint(n++, longest)}}};
        }
        if (kind == "drag") {
            StrokeSegment pending(3, LinePoint{1.2345678f, longPoint(n++, longest)});
            for (int move = 0; move < 1000; ++move) {
                pending.push_back(LinePoint{1.2345678f + move * 1e-4f, longPoint(n++, longest)});
                stroke->points.push_back(pending);
                stroke->velocities.push_back(1.2345678f + move * 1e-4f);
                pending.erase(pending.begin(), pending.end() - 2);
            }
        }
        if (kind != "move") stroke->velocities.insert(stroke->velocities.end(), {1.2345678f, 2.3456789f});
        list.push_back(stroke);
    }
    return list;
}

// The sizes of a binary property list's object references and offsets,
// from its trailer.
std::pair<int, int> referenceSizes(const foundation::Bytes& plist) {
    return {plist[plist.size() - 32 + 7], plist[plist.size() - 32 + 6]};
}

// Whatever a layer holds at the limit, drawn anywhere a pointer can be, its
// file stays within what the program reads of a project file: each kind of
// stroke, with the longest numbers a sample can hold, takes at most that
// file's share per sample counted. Each is measured with as many objects as
// a full file has, whose references and offsets take four bytes.
TEST(StrokeLimit, AFullLayerOfAnyStrokesFitsTheFileReadBound) {
    ASSERT_GE(printedLength(longPoint(7, true).x), 23u);
    const double share = double(projectkeys::kMaximumFileBytes - 4096) / kMaximumStrokeSamples;
    for (const auto& [kind, count] : {std::pair{"drag", 14}, {"tap", 5500}, {"move", 9000}, {"empty", 11000}}) {
        const StrokeList strokes = recordedAs(kind, count, true);
        auto data = strokeBufferData(strokes);
        ASSERT_TRUE(data.ok()) << kind;
        ASSERT_EQ(referenceSizes(*data), std::pair(4, 4)) << kind;
        const double perSample = double(data->size()) / storedSize(strokes);
        EXPECT_LT(perSample, share) << kind;
        std::printf("%s: %.1f bytes per sample counted (at most %.1f)\n", kind, perSample, share);
    }
}

// Drags as a finger makes them until the canvas is full: it records up to
// its limit (a small one, as a full layer takes minutes to draw here),
// tells the painter once for each gesture it refuses, and what it recorded
// is saved and loaded again whole, counted as the reader counts.
TEST(StrokeLimit, ALayerDrawnFullIsRefusedAloudAndLoadsWhole) {
    constexpr size_t kLimit = 5000;
    auto canvas = paintingCanvas({8, 8});
    ASSERT_TRUE(canvas);
    canvas->setSampleLimit(kLimit);
    canvas->changeBrush(kBrushTypePen);
    int told = 0;
    canvas->strokesFullHandler = [&] { ++told; };
    const graphics::Point speed{300, 200};
    size_t moves = 0;
    while (told == 0 && moves < 4 * kLimit) {
        canvas->handlePan(GestureState::Began, longPoint(moves++, false), speed);
        for (int k = 0; k < 700; ++k) canvas->handlePan(GestureState::Changed, longPoint(moves++, false), speed);
        canvas->handlePan(GestureState::Ended, longPoint(moves++, false), speed);
    }
    EXPECT_EQ(told, 1);
    const size_t full = canvas->storedSize();
    EXPECT_EQ(full, storedSize(canvas->strokeBuffer()));
    EXPECT_LE(full, kLimit);
    EXPECT_GE(full + 4, kLimit);  // the refused move would have passed it
    // A tap and another drag are refused as well.
    canvas->handleSingleTap({2, 2});
    canvas->handlePan(GestureState::Began, {1, 1}, speed);
    canvas->handlePan(GestureState::Changed, {6, 6}, speed);
    canvas->handlePan(GestureState::Ended, {7, 7}, speed);
    EXPECT_EQ(told, 3);
    EXPECT_EQ(canvas->storedSize(), full);

    auto data = canvas->getBufferData();
    ASSERT_TRUE(data);
    EXPECT_FALSE(decodeStrokeBuffer(*data, full - 1).ok());
    auto back = decodeStrokeBuffer(*data, full);
    ASSERT_TRUE(back.ok()) << back.error().description;
    ASSERT_EQ(back->size(), canvas->strokeBuffer().size());
    for (size_t i = 0; i < back->size(); ++i) {
        EXPECT_EQ((*back)[i]->points, canvas->strokeBuffer()[i]->points) << i;
        EXPECT_EQ((*back)[i]->velocities, canvas->strokeBuffer()[i]->velocities) << i;
    }
}

class PainterFullLayerTest : public PainterScreenFixture {};

// On screen: a drag that would pass what the layer keeps is cut short while
// a notice says so, and the layer reopens with all it kept. (A small limit
// stands for the real one, which takes minutes of drawing.)
TEST_F(PainterFullLayerTest, ADragPastTheLimitIsCutShortAloudAndTheLayerReopensWhole) {
    addFrames(1);
    for (bool masking : {true, false}) {
        ASSERT_TRUE(open(0, masking));
        auto* canvas = static_cast<StrokeCanvasView*>(painter->drawingView());
        drawLine({100, 100}, {300, 200});
        const size_t limit = canvas->storedSize() + 8;
        canvas->setSampleLimit(limit);
        EXPECT_FALSE(painter->fullNotice());
        drawLine({100, 300}, {700, 400});
        ASSERT_TRUE(painter->fullNotice()) << masking;
        EXPECT_EQ(painter->fullNotice()->captionView()->text(),
                  masking ? PainterViewController::kMaskFullMessage : PainterViewController::kLayerFullMessage);
        EXPECT_EQ(canvas->storedSize(), storedSize(canvas->strokeBuffer()));
        EXPECT_EQ(canvas->storedSize(), limit);
        ASSERT_EQ(canvas->strokeBuffer().size(), 2u);
        EXPECT_GT(canvas->strokeBuffer()[1]->points.size(), 2u) << "what the drag drew before is kept";
        advance(0.5);
        savePicture(masking ? "painter-mask-full.png" : "painter-layer-full.png");
        advance(4);  // the notice fades
        EXPECT_EQ(painter->fullNotice()->view()->superview(), nullptr);
        if (masking) {
            ASSERT_TRUE(painter->saveAndClose());
            continue;
        }
        std::vector<std::vector<StrokeSegment>> drawn;
        for (const StrokePtr& stroke : canvas->strokeBuffer()) drawn.push_back(stroke->points);
        ASSERT_TRUE(painter->saveAndClose());
        ASSERT_TRUE(open(0, false));
        EXPECT_TRUE(alertMessages().empty());
        const auto& reopened = static_cast<StrokeCanvasView*>(painter->drawingView())->strokeBuffer();
        ASSERT_EQ(reopened.size(), drawn.size());
        for (size_t i = 0; i < drawn.size(); ++i) EXPECT_EQ(reopened[i]->points, drawn[i]) << i;
    }
}

}  // namespace
