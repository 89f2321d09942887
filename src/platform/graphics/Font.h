#pragma once

// Fonts and text measurement. Every face this system asks for resolves to
// one the machine surely has (DejaVu Sans unless the family is installed), so
// text measures the same on every machine. Measuring and drawing text needs a
// QGuiApplication (see ensureGuiApplication()).

#include "platform/graphics/Geometry.h"

#include <QFont>
#include <limits>
#include <string>

namespace graphics {

// The platform's line-break modes.
enum class LineBreakMode {
    WordWrap = 0,
    CharWrap = 1,
    Clip = 2,
    TruncateHead = 3,
    TruncateTail = 4,
    TruncateMiddle = 5,
};

// The platform's text alignments.
enum class TextAlignment { Left = 0, Center = 1, Right = 2 };

inline constexpr const char* kDefaultFontFamily = "DejaVu Sans";

class Font {
public:
    Font() : Font(kDefaultFontFamily, 17.0) {}
    Font(std::string family, double pointSize, bool bold = false);
    static Font systemFont(double pointSize) { return Font(kDefaultFontFamily, pointSize, false); }
    static Font boldSystemFont(double pointSize) { return Font(kDefaultFontFamily, pointSize, true); }

    const std::string& family() const { return family_; }
    double pointSize() const { return pointSize_; }
    bool bold() const { return bold_; }
    Font withSize(double pointSize) const { return Font(family_, pointSize, bold_); }

    // Metrics in points. The descender is negative (below the baseline).
    double ascender() const;
    double descender() const;
    double lineHeight() const;

    // Width of one line of text, fractional.
    double widthOfText(const std::string& text) const;
    // The size the text takes when laid out in at most maxWidth points:
    // word and character wrap break lines to fit, the other modes keep each
    // paragraph on one line (cut to maxWidth). Rounded up to whole points,
    // as the platform reports text sizes. Empty text measures zero.
    Size sizeOfText(const std::string& text, double maxWidth = std::numeric_limits<double>::infinity(),
                    LineBreakMode lineBreakMode = LineBreakMode::WordWrap) const;

    // The Qt font to paint with, on a paint device of 72 dots per inch
    // (where one point is one unit).
    QFont qfont() const;

    bool operator==(const Font&) const = default;

private:
    std::string family_;
    double pointSize_ = 17.0;
    bool bold_ = false;
};

// Dots per meter that make a device 72 dots per inch, so a point size is
// a size in user units.
inline constexpr int kDotsPerMeterAt72Dpi = 2835;

}  // namespace graphics
