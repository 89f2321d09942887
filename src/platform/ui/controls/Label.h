#pragma once

// A read-only text view: one or several lines in one font and colour,
// aligned, broken and truncated as the platform's label does it.
//
// Measuring and drawing share one layout (layoutLabelText), so a label sized
// to fit draws exactly the lines it was measured with.

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/ui/View.h"
#include "platform/ui/text/AttributedText.h"

#include <optional>
#include <string>
#include <vector>

namespace graphics {
class GraphicsContext;
}

namespace ui {

// Lines of text laid out for a label.
struct LabelTextLayout {
    std::vector<std::string> lines;
    std::vector<double> widths;  // of each line, fractional
    double lineHeight = 0;
    // Rounded up to whole points, as the platform reports text sizes.
    graphics::Size size;
};

// Lays text out in `width` points (infinite: no limit) with at most
// `numberOfLines` lines (0: no limit). Lines break at words (characters in
// CharWrap mode); when lines are left over, the last line shown takes the
// rest of the text and is truncated as the mode says (Clip and the wrap
// modes cut without an ellipsis). A single-line Clip layout cuts the text
// at the width instead of breaking it at a word.
LabelTextLayout layoutLabelText(const std::string& text, const graphics::Font& font, double width, int numberOfLines,
                                graphics::LineBreakMode lineBreakMode);

// Draws laid-out lines from the top of `rect`, each aligned within its width.
void drawLabelText(graphics::GraphicsContext& context, const LabelTextLayout& layout, const graphics::Rect& rect,
                   const graphics::Font& font, graphics::TextAlignment alignment);

class Label : public View {
public:
    Label();
    explicit Label(const graphics::Rect& frame);

    const std::string& text() const { return text_; }
    // Replaces any attributed text with plain text in the label's font and colour.
    void setText(std::string text);
    // Runs of their own font and colour; text() becomes their joined text.
    // Lines break at spaces; lines beyond the limit are dropped without an
    // ellipsis. Empty when the label shows plain text.
    const AttributedText& attributedText() const { return attributedText_; }
    void setAttributedText(AttributedText text);
    const graphics::Font& font() const { return font_; }
    void setFont(graphics::Font font);
    const graphics::Color& textColor() const { return textColor_; }
    void setTextColor(graphics::Color color);
    // The colour while highlighted (the text colour when unset).
    const std::optional<graphics::Color>& highlightedTextColor() const { return highlightedTextColor_; }
    void setHighlightedTextColor(std::optional<graphics::Color> color);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);
    // A disabled label draws its text greyed.
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    graphics::TextAlignment textAlignment() const { return alignment_; }
    void setTextAlignment(graphics::TextAlignment alignment);
    // 0 means as many lines as the text needs; 1 is the default.
    int numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(int lines);
    graphics::LineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(graphics::LineBreakMode mode);

    // A one-line label measures its whole text; a multi-line label breaks
    // its text at the width asked for (no limit when that width is zero).
    graphics::Size sizeThatFits(graphics::Size size) const override;

    // The rectangle the text takes in `bounds`: the bounds' width and the
    // height of the lines that fit, vertically centred in the bounds.
    virtual graphics::Rect textRectForBounds(const graphics::Rect& bounds, int numberOfLines) const;
    // Draws the text vertically centred in the rectangle, with the lines
    // that fit in its height (at least one).
    virtual void drawTextInRect(graphics::GraphicsContext& context, const graphics::Rect& rect);
    void drawRect(graphics::GraphicsContext& context, const graphics::Rect& rect) override;

    // The lines of plain text as the label draws them in its bounds now.
    LabelTextLayout drawnLines() const { return layoutIn(textRectForBounds(bounds(), numberOfLines_)); }

    // The colour the text is drawn in now (highlight and enabled applied).
    graphics::Color effectiveTextColor() const;

private:
    void measureChanged();
    LabelTextLayout layoutIn(const graphics::Rect& rect) const;
    // The lines that fit a height (at least one), within the line limit.
    int linesFitting(double height, int limit) const;
    AttributedTextLayout layoutAttributed(double width, int lines) const;

    std::string text_;
    AttributedText attributedText_;
    graphics::Font font_ = graphics::Font::systemFont(17);
    graphics::Color textColor_ = graphics::Color::black();
    std::optional<graphics::Color> highlightedTextColor_;
    graphics::TextAlignment alignment_ = graphics::TextAlignment::Left;
    graphics::LineBreakMode lineBreakMode_ = graphics::LineBreakMode::TruncateTail;
    int numberOfLines_ = 1;
    bool highlighted_ = false;
    bool enabled_ = true;
};

}  // namespace ui
