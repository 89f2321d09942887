// Labels: measurement and sizeToFit for one and several lines, truncation,
// the text rectangle and how the text lands in the picture.

#include "ControlsTestSupport.h"
#include "platform/graphics/Font.h"
#include "platform/ui/controls/Label.h"

#include <cmath>
#include <string>

using graphics::Font;
using graphics::LineBreakMode;
using graphics::Rect;
using graphics::Size;
using graphics::TextAlignment;
using ui::Label;

namespace {

const std::string kEllipsis = "\xE2\x80\xA6";
const std::string kLongText =
    "Tap here to add some pictures, then press play to watch your movie come to life frame by frame";

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class LabelTest : public controltest::ControlsTest {};

TEST_F(LabelTest, OneLineLabelMeasuresItsWholeTextWhateverTheWidth) {
    auto label = ui::makeView<Label>(Rect(10, 20, 50, 10));
    label->setText("Project successfully imported.");
    Size expected = label->font().sizeOfText(label->text());
    EXPECT_EQ(label->sizeThatFits(Size{50, 10}), expected);
    EXPECT_EQ(expected.height, std::ceil(label->font().lineHeight() - 1e-9));

    label->sizeToFit();
    EXPECT_EQ(label->frame(), Rect(10, 20, expected.width, expected.height)) << "sizeToFit keeps the origin";
}

TEST_F(LabelTest, SeveralLinesWrapAtTheWidthAndSizeToFitKeepsIt) {
    auto label = ui::makeView<Label>(Rect(0, 0, 160, 10));
    label->setNumberOfLines(0);
    label->setText(kLongText);
    label->setFont(Font::systemFont(14));
    Size fitted = label->sizeThatFits(Size{160, 0});
    double lineHeight = label->font().lineHeight();
    int lines = int(std::lround(fitted.height / lineHeight));
    EXPECT_GE(lines, 4);
    EXPECT_EQ(fitted.height, std::ceil(lines * lineHeight - 1e-9));
    EXPECT_LE(fitted.width, 160);
    EXPECT_EQ(fitted, label->font().sizeOfText(kLongText, 160)) << "a label measures as the font does";

    label->sizeToFit();
    EXPECT_EQ(label->frame().size, fitted);
    // Zero width means no limit: one line per paragraph.
    EXPECT_EQ(label->sizeThatFits(Size{0, 0}).height, std::ceil(lineHeight - 1e-9));
}

TEST_F(LabelTest, ExplicitLineBreaksMakeLines) {
    auto label = ui::makeView<Label>();
    label->setNumberOfLines(0);
    // A carriage return, alone or before a line feed, ends a line as a line feed does.
    for (const char* text :
         {"Tap here to\nadd some pictures", "Tap here to\radd some pictures", "Tap here to\r\nadd some pictures"}) {
        label->setText(text);
        EXPECT_EQ(label->sizeThatFits(Size{}).height, std::ceil(2 * label->font().lineHeight() - 1e-9)) << text;
        EXPECT_EQ(ui::layoutLabelText(text, label->font(), 0, 0, LineBreakMode::WordWrap).lines,
                  (std::vector<std::string>{"Tap here to", "add some pictures"}));
    }
}

TEST_F(LabelTest, EmptyTextMeasuresZero) {
    auto label = ui::makeView<Label>(Rect(0, 0, 100, 40));
    EXPECT_EQ(label->sizeThatFits(Size{100, 40}), Size{});
}

TEST_F(LabelTest, ALineLimitTruncatesTheLastLineWithTheRestOfTheText) {
    Font font = Font::systemFont(14);
    auto all = ui::layoutLabelText(kLongText, font, 160, 0, LineBreakMode::TruncateTail);
    auto two = ui::layoutLabelText(kLongText, font, 160, 2, LineBreakMode::TruncateTail);
    ASSERT_GT(all.lines.size(), 2u);
    ASSERT_EQ(two.lines.size(), 2u);
    EXPECT_EQ(two.lines[0], all.lines[0]);
    EXPECT_TRUE(endsWith(two.lines[1], kEllipsis)) << two.lines[1];
    // The second line carries on from the first, further than a wrapped line would.
    EXPECT_EQ(two.lines[1].rfind(all.lines[1], 0), 0u) << two.lines[1];
    EXPECT_LE(two.widths[1], 160);
    EXPECT_EQ(two.size.height, std::ceil(2 * font.lineHeight() - 1e-9));

    auto clipped = ui::layoutLabelText(kLongText, font, 160, 2, LineBreakMode::WordWrap);
    EXPECT_EQ(clipped.lines[1], all.lines[1]) << "wrapping modes cut without an ellipsis";
}

TEST_F(LabelTest, SingleLineTruncationFollowsTheMode) {
    Font font = Font::systemFont(17);
    auto head = ui::layoutLabelText(kLongText, font, 120, 1, LineBreakMode::TruncateHead);
    ASSERT_EQ(head.lines.size(), 1u);
    EXPECT_EQ(head.lines[0].rfind(kEllipsis, 0), 0u) << head.lines[0];
    EXPECT_TRUE(endsWith(head.lines[0], "by frame")) << head.lines[0];

    auto tail = ui::layoutLabelText(kLongText, font, 120, 1, LineBreakMode::TruncateTail);
    EXPECT_TRUE(endsWith(tail.lines[0], kEllipsis)) << tail.lines[0];

    auto clip = ui::layoutLabelText(kLongText, font, 120, 1, LineBreakMode::Clip);
    EXPECT_EQ(clip.lines[0].find(kEllipsis), std::string::npos);
    EXPECT_EQ(clip.size.width, 120) << "a clipped line is cut at the width";
}

TEST_F(LabelTest, TextRectIsCentredAndHoldsOnlyWholeLinesThatFit) {
    auto label = ui::makeView<Label>(Rect(0, 0, 200, 100));
    label->setText("Frames merged");
    double lineHeight = label->font().lineHeight();
    Rect one = label->textRectForBounds(label->bounds(), 1);
    EXPECT_DOUBLE_EQ(one.origin.y, (100 - lineHeight) / 2);
    EXPECT_DOUBLE_EQ(one.size.height, lineHeight);
    EXPECT_EQ(one.size.width, 200);

    label->setText(kLongText);
    Rect small(0, 0, 120, 2.5 * lineHeight);
    Rect lines = label->textRectForBounds(small, 0);
    EXPECT_DOUBLE_EQ(lines.size.height, 2 * lineHeight) << "a third line does not fit 2.5 lines";
}

TEST_F(LabelTest, TextIsDrawnAlignedInItsColour) {
    auto panel = ui::makeView<ui::View>(Rect(0, 0, 300, 150));
    panel->setBackgroundColor(graphics::Color::white());
    auto left = ui::makeView<Label>(Rect(0, 0, 300, 50));
    left->setText("Left");
    auto right = ui::makeView<Label>(Rect(0, 50, 300, 50));
    right->setText("Right");
    right->setTextAlignment(TextAlignment::Right);
    auto centred = ui::makeView<Label>(Rect(0, 100, 300, 50));
    centred->setText("Highlighted");
    centred->setTextAlignment(TextAlignment::Center);
    centred->setHighlightedTextColor(graphics::Color::red());
    centred->setHighlighted(true);
    for (auto& label : {left, right, centred}) panel->addSubview(label);

    graphics::Image picture = ui::renderView(*panel, 2.0);
    controltest::savePicture(picture, "ui-label.png");
    // At scale 2: each row is 100 pixels high, 600 wide.
    EXPECT_GT(controltest::countPixels(picture, Rect(0, 0, 150, 100), controltest::isDark), 50);
    EXPECT_EQ(controltest::countPixels(picture, Rect(300, 0, 300, 100), controltest::isDark), 0);
    EXPECT_EQ(controltest::countPixels(picture, Rect(0, 100, 300, 100), controltest::isDark), 0);
    EXPECT_GT(controltest::countPixels(picture, Rect(450, 100, 150, 100), controltest::isDark), 50);
    auto red = controltest::near(255, 0, 0);
    EXPECT_EQ(controltest::countPixels(picture, Rect(0, 200, 150, 100), red), 0);
    EXPECT_GT(controltest::countPixels(picture, Rect(200, 200, 200, 100), red), 50);
    EXPECT_EQ(controltest::countPixels(picture, Rect(0, 200, 600, 100), controltest::isDark), 0)
        << "a highlighted label draws in its highlighted colour only";
}

TEST_F(LabelTest, AttributedRunsShareLinesAndMeasureWithTheirOwnFonts) {
    Font small = Font("HelveticaNeue-CondensedBlack", 10);
    Font large = small.withSize(17);
    auto label = ui::makeView<Label>(Rect(0, 0, 400, 40));
    label->setAttributedText({{"Frames", small, std::nullopt}, {" 24  ", large, graphics::Color::red()}});
    EXPECT_EQ(label->text(), "Frames 24  ");
    Size size = label->sizeThatFits(Size{});
    EXPECT_EQ(size.height, std::ceil(large.lineHeight() - 1e-9)) << "the tallest run sets the line";
    EXPECT_EQ(size.width, std::ceil(small.widthOfText("Frames") + large.widthOfText(" 24") - 1e-9))
        << "spaces that end the line do not count";

    // Narrow: the second word moves to a line of its own; a limit drops the rest.
    label->setNumberOfLines(0);
    label->setAttributedText({{"Modified", small, {}}, {" 7 Dec 2026  ", large, {}}, {"Frames", small, {}}});
    auto layout = ui::layoutAttributedText(label->attributedText(), label->font(), graphics::Color::black(),
                                           small.widthOfText("Modified") + 5, 0);
    ASSERT_GE(layout.lines.size(), 3u);
    EXPECT_EQ(layout.lines[0].spans.front().text, "Modified");
    EXPECT_LE(layout.lines[0].width, small.widthOfText("Modified") + 5);
    auto two = ui::layoutAttributedText(label->attributedText(), label->font(), graphics::Color::black(), 60, 2);
    EXPECT_EQ(two.lines.size(), 2u);

    label->setText("plain");
    EXPECT_TRUE(label->attributedText().empty()) << "plain text replaces the runs";
}

TEST_F(LabelTest, AttributedRunsDrawInTheirColours) {
    auto label = ui::makeView<Label>(Rect(0, 0, 200, 40));
    label->setBackgroundColor(graphics::Color::white());
    label->setTextAlignment(TextAlignment::Center);
    label->setAttributedText({{"Size", Font::systemFont(12), graphics::Color::blue()},
                              {" 3 MB ", Font::boldSystemFont(22), graphics::Color::red()}});
    graphics::Image picture = ui::renderView(*label, 2.0);
    controltest::savePicture(picture, "ui-label-attributed.png");
    int blue = controltest::countPixels(picture, Rect(0, 0, 400, 80), controltest::near(0, 0, 255));
    int red = controltest::countPixels(picture, Rect(0, 0, 400, 80), controltest::near(255, 0, 0));
    EXPECT_GT(blue, 30);
    EXPECT_GT(red, 3 * blue) << "the larger bold run covers more";

    label->setHighlightedTextColor(graphics::Color::black());
    label->setHighlighted(true);
    picture = ui::renderView(*label, 2.0);
    EXPECT_EQ(controltest::countPixels(picture, Rect(0, 0, 400, 80), controltest::near(255, 0, 0)), 0)
        << "highlighted, every run takes the highlighted colour";
}

TEST_F(LabelTest, ChangingTheTextRedrawsAndAWiderBoundsLaysOutAgain) {
    auto label = ui::makeView<Label>(Rect(0, 0, 100, 30));
    label->setText("One");
    ui::renderView(*label);
    EXPECT_FALSE(label->needsDisplay());
    label->setText("Two");
    EXPECT_TRUE(label->needsDisplay());
    ui::renderView(*label);
    label->setFrame(Rect(0, 0, 200, 30));
    EXPECT_TRUE(label->needsDisplay()) << "text is laid out again, not stretched";
}

}  // namespace
