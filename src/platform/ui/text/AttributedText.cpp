#include "platform/ui/text/AttributedText.h"

#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ui {

using graphics::Color;
using graphics::Font;
using graphics::Point;
using graphics::Rect;

std::string plainText(const AttributedText& text) {
    std::string joined;
    for (const TextRun& run : text) joined += run.text;
    return joined;
}

namespace {

// A word with the spaces that follow it, or a line break, in one run's style.
struct Token {
    std::string word;
    std::string spaces;
    const Font* font = nullptr;
    const Color* color = nullptr;
    bool lineBreak = false;
};

std::vector<Token> tokenize(const AttributedText& text, const std::vector<Font>& fonts,
                            const std::vector<Color>& colors) {
    std::vector<Token> tokens;
    for (size_t r = 0; r < text.size(); ++r) {
        const std::string& s = text[r].text;
        size_t i = 0;
        while (i < s.size()) {
            if (s[i] == '\n') {
                tokens.push_back(Token{{}, {}, &fonts[r], &colors[r], true});
                ++i;
                continue;
            }
            Token token{{}, {}, &fonts[r], &colors[r], false};
            while (i < s.size() && s[i] != ' ' && s[i] != '\n') token.word += s[i++];
            while (i < s.size() && s[i] == ' ') token.spaces += s[i++];
            tokens.push_back(std::move(token));
        }
    }
    return tokens;
}

void startLine(AttributedTextLayout& layout, const Font& font) {
    AttributedTextLayout::Line line;
    line.ascent = font.ascender();
    line.height = font.lineHeight();
    layout.lines.push_back(std::move(line));
}

void addSpan(AttributedTextLayout::Line& line, const std::string& text, const Font& font, const Color& color) {
    if (text.empty()) return;
    double width = font.widthOfText(text);
    line.spans.push_back(AttributedTextLayout::Span{text, font, color, line.width, width});
    line.width += width;
    line.ascent = std::max(line.ascent, font.ascender());
    line.height = std::max(line.height, font.lineHeight());
}

}  // namespace

AttributedTextLayout layoutAttributedText(const AttributedText& text, const Font& defaultFont,
                                          const Color& defaultColor, double width, int numberOfLines) {
    AttributedTextLayout layout;
    if (plainText(text).empty()) return layout;
    if (!(width > 0)) width = std::numeric_limits<double>::infinity();
    std::vector<Font> fonts;
    std::vector<Color> colors;
    for (const TextRun& run : text) {
        fonts.push_back(run.font.value_or(defaultFont));
        colors.push_back(run.color.value_or(defaultColor));
    }

    startLine(layout, fonts.front());
    for (const Token& token : tokenize(text, fonts, colors)) {
        if (token.lineBreak) {
            startLine(layout, *token.font);
            continue;
        }
        AttributedTextLayout::Line* line = &layout.lines.back();
        double wordWidth = token.font->widthOfText(token.word);
        // A word that does not fit moves to a new line unless it starts one
        // (then it is cut when drawn). Trailing spaces may hang over the edge.
        if (!line->spans.empty() && line->width + wordWidth > width + 1e-9) {
            startLine(layout, *token.font);
            line = &layout.lines.back();
        }
        addSpan(*line, token.word + token.spaces, *token.font, *token.color);
    }
    if (numberOfLines > 0 && layout.lines.size() > size_t(numberOfLines)) layout.lines.resize(size_t(numberOfLines));

    double widest = 0, height = 0;
    for (auto& line : layout.lines) {
        // Spaces at the end of a line are not seen and do not count.
        if (!line.spans.empty()) {
            auto& last = line.spans.back();
            size_t end = last.text.find_last_not_of(' ');
            std::string visible = end == std::string::npos ? std::string() : last.text.substr(0, end + 1);
            line.width -= last.width;
            last.width = visible.empty() ? 0 : last.font.widthOfText(visible);
            line.width += last.width;
        }
        widest = std::max(widest, std::min(line.width, width));
        height += line.height;
    }
    layout.size = graphics::Size{std::ceil(widest - 1e-9), std::ceil(height - 1e-9)};
    return layout;
}

void drawAttributedText(graphics::GraphicsContext& context, const AttributedTextLayout& layout, const Rect& rect,
                        graphics::TextAlignment alignment) {
    context.saveGState();
    context.clipToRect(Rect(rect.origin.x, rect.origin.y - 1e6, rect.size.width, rect.size.height + 2e6));
    double top = rect.origin.y;
    for (const auto& line : layout.lines) {
        double x = rect.origin.x;
        double free = rect.size.width - line.width;
        if (alignment == graphics::TextAlignment::Center) x += free / 2;
        if (alignment == graphics::TextAlignment::Right) x += free;
        for (const auto& span : line.spans) {
            // All spans of a line share its baseline.
            context.setFillColor(span.color);
            context.drawText(span.text, Point{x + span.x, top + line.ascent - span.font.ascender()}, span.font);
        }
        top += line.height;
    }
    context.restoreGState();
}

}  // namespace ui
