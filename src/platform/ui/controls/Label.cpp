#include "platform/ui/controls/Label.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextLayout.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <limits>

namespace ui {

using graphics::Font;
using graphics::LineBreakMode;
using graphics::Point;
using graphics::Rect;
using graphics::Size;
using graphics::TextAlignment;

namespace {

constexpr double kUnlimited = std::numeric_limits<double>::infinity();

bool truncates(LineBreakMode mode) {
    return mode == LineBreakMode::TruncateHead || mode == LineBreakMode::TruncateMiddle ||
           mode == LineBreakMode::TruncateTail;
}

// Where each wrapped line starts in the text: the lines are parts of the
// text in order, with only the spaces and line breaks at the breaks dropped.
qsizetype startOfLine(const QString& text, const std::vector<graphics::detail::TextLine>& lines, size_t index) {
    qsizetype position = 0;
    for (size_t i = 0; i < index; ++i) {
        const QString& lineText = lines[i].text;
        if (lineText.isEmpty()) {
            // An empty paragraph: its line break follows.
            qsizetype lineBreak = text.indexOf(QLatin1Char('\n'), position);
            position = lineBreak < 0 ? text.size() : lineBreak + 1;
            continue;
        }
        qsizetype found = text.indexOf(lineText, position);
        if (found < 0) return text.size();
        position = found + lineText.size();
    }
    while (position < text.size() && text[position].isSpace()) ++position;
    return position;
}

}  // namespace

LabelTextLayout layoutLabelText(const std::string& text, const Font& font, double width, int numberOfLines,
                                LineBreakMode lineBreakMode) {
    LabelTextLayout layout;
    layout.lineHeight = font.lineHeight();
    if (text.empty()) return layout;
    if (!(width > 0)) width = kUnlimited;

    std::vector<graphics::detail::TextLine> lines;
    if (numberOfLines == 1 && lineBreakMode == LineBreakMode::Clip) {
        lines = graphics::detail::layoutText(text, font, width, LineBreakMode::Clip);
    } else {
        LineBreakMode wrap =
            lineBreakMode == LineBreakMode::CharWrap ? LineBreakMode::CharWrap : LineBreakMode::WordWrap;
        lines = graphics::detail::layoutText(text, font, width, wrap);
    }
    size_t limit = numberOfLines > 0 ? static_cast<size_t>(numberOfLines) : lines.size();
    if (lines.size() > limit) {
        size_t last = limit - 1;
        lines.resize(limit);
        if (truncates(lineBreakMode)) {
            // The last line shown carries the rest of the text, cut with an
            // ellipsis where the mode says.
            QString all = graphics::detail::paragraphsOf(QString::fromStdString(text)).join(QLatin1Char('\n'));
            QString rest = all.mid(startOfLine(all, lines, last));
            rest.replace(QLatin1Char('\n'), QLatin1Char(' '));
            auto cut = graphics::detail::layoutText(rest.toStdString(), font, width, lineBreakMode);
            if (!cut.empty()) lines[last] = cut.front();
        }
    }
    double widest = 0;
    for (const auto& line : lines) {
        layout.lines.push_back(line.text.toStdString());
        layout.widths.push_back(line.width);
        widest = std::max(widest, line.width);
    }
    layout.size =
        Size{std::ceil(widest - 1e-9), std::ceil(layout.lineHeight * static_cast<double>(lines.size()) - 1e-9)};
    return layout;
}

void drawLabelText(graphics::GraphicsContext& context, const LabelTextLayout& layout, const Rect& rect,
                   const Font& font, TextAlignment alignment) {
    context.saveGState();
    // Cut sideways only: a line a little taller than its box keeps its descenders.
    context.clipToRect(Rect(rect.origin.x, rect.origin.y - 1e6, rect.size.width, rect.size.height + 2e6));
    double y = rect.origin.y;
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        double x = rect.origin.x;
        double free = rect.size.width - layout.widths[i];
        if (alignment == TextAlignment::Center) x += free / 2;
        if (alignment == TextAlignment::Right) x += free;
        if (!layout.lines[i].empty()) context.drawText(layout.lines[i], Point{x, y}, font);
        y += layout.lineHeight;
    }
    context.restoreGState();
}

// ---- Label ---------------------------------------------------------------------------

Label::Label() : Label(Rect()) {}

Label::Label(const Rect& frame) : View(frame) {
    setDrawsContent(true);
    setUserInteractionEnabled(false);
    setOpaque(false);
    // Text is laid out again for a new size rather than stretched.
    setContentMode(ContentMode::Redraw);
}

void Label::setText(std::string text) {
    if (text_ == text && attributedText_.empty()) return;
    text_ = std::move(text);
    attributedText_.clear();
    setNeedsDisplay();
}

void Label::setAttributedText(AttributedText text) {
    text_ = plainText(text);
    attributedText_ = text_.empty() ? AttributedText() : std::move(text);
    setNeedsDisplay();
}

AttributedTextLayout Label::layoutAttributed(double width, int lines) const {
    // A highlighted or disabled label shows every run in its state's colour.
    bool override = !enabled_ || (highlighted_ && highlightedTextColor_);
    AttributedText runs = attributedText_;
    if (override) {
        for (TextRun& run : runs) run.color.reset();
    }
    return layoutAttributedText(runs, font_, effectiveTextColor(), width, lines);
}

void Label::setFont(Font font) {
    font_ = std::move(font);
    measureChanged();
}

void Label::measureChanged() {
    setNeedsDisplay();
    // The view that placed this label by its size (a button its title) places it again.
    if (View* parent = superview()) parent->setNeedsLayout();
}

void Label::setTextColor(graphics::Color color) {
    textColor_ = std::move(color);
    setNeedsDisplay();
}

void Label::setHighlightedTextColor(std::optional<graphics::Color> color) {
    highlightedTextColor_ = std::move(color);
    setNeedsDisplay();
}

void Label::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) return;
    highlighted_ = highlighted;
    setNeedsDisplay();
}

void Label::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    setNeedsDisplay();
}

void Label::setTextAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    setNeedsDisplay();
}

void Label::setNumberOfLines(int lines) {
    numberOfLines_ = std::max(0, lines);
    measureChanged();
}

void Label::setLineBreakMode(LineBreakMode mode) {
    lineBreakMode_ = mode;
    measureChanged();
}

graphics::Color Label::effectiveTextColor() const {
    if (!enabled_) return graphics::Color::grey(0.56);
    if (highlighted_ && highlightedTextColor_) return *highlightedTextColor_;
    return textColor_;
}

Size Label::sizeThatFits(Size size) const {
    double width = numberOfLines_ == 1 ? kUnlimited : size.width;
    if (!attributedText_.empty()) return layoutAttributed(width, numberOfLines_).size;
    return layoutLabelText(text_, font_, width, numberOfLines_, lineBreakMode_).size;
}

int Label::linesFitting(double height, int limit) const {
    // Only whole lines that fit the height are shown, but always one.
    double lineHeight = font_.lineHeight();
    if (lineHeight <= 0) return limit;
    int fitting = std::max(1, static_cast<int>(std::floor(height / lineHeight + 1e-9)));
    return limit == 0 ? fitting : std::min(limit, fitting);
}

LabelTextLayout Label::layoutIn(const Rect& rect) const {
    return layoutLabelText(text_, font_, rect.size.width, linesFitting(rect.size.height, numberOfLines_),
                           lineBreakMode_);
}

Rect Label::textRectForBounds(const Rect& bounds, int numberOfLines) const {
    double height = 0;
    if (!attributedText_.empty()) {
        // Runs of several sizes: whole lines while they fit, at least one.
        AttributedTextLayout layout = layoutAttributed(bounds.size.width, numberOfLines);
        for (size_t i = 0; i < layout.lines.size(); ++i) {
            if (i > 0 && height + layout.lines[i].height > bounds.size.height + 1e-9) break;
            height += layout.lines[i].height;
        }
    } else {
        LabelTextLayout layout = layoutLabelText(text_, font_, bounds.size.width,
                                                 linesFitting(bounds.size.height, numberOfLines), lineBreakMode_);
        height = layout.lineHeight * static_cast<double>(layout.lines.size());
    }
    return Rect(bounds.origin.x, bounds.origin.y + (bounds.size.height - height) / 2, bounds.size.width, height);
}

void Label::drawTextInRect(graphics::GraphicsContext& context, const Rect& rect) {
    if (!attributedText_.empty()) {
        AttributedTextLayout layout = layoutAttributed(rect.size.width, numberOfLines_);
        double height = 0;
        size_t shown = 0;
        for (; shown < layout.lines.size(); ++shown) {
            if (shown > 0 && height + layout.lines[shown].height > rect.size.height + 1e-9) break;
            height += layout.lines[shown].height;
        }
        layout.lines.resize(shown);
        drawAttributedText(
            context, layout,
            Rect(rect.origin.x, rect.origin.y + (rect.size.height - height) / 2, rect.size.width, height), alignment_);
        return;
    }
    LabelTextLayout layout = layoutIn(rect);
    if (layout.lines.empty()) return;
    double height = layout.lineHeight * static_cast<double>(layout.lines.size());
    Rect box(rect.origin.x, rect.origin.y + (rect.size.height - height) / 2, rect.size.width, height);
    context.setFillColor(effectiveTextColor());
    drawLabelText(context, layout, box, font_, alignment_);
}

void Label::drawRect(graphics::GraphicsContext& context, const Rect&) { drawTextInRect(context, bounds()); }

}  // namespace ui
