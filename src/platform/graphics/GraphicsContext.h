#pragma once

// Headless bitmap drawing in points, with the drawing system's conventions:
// origin at the top left, y down, a scale that maps points to pixels, a
// graphics state (transform, clip, colours, line settings, alpha, blend mode,
// shadow) saved and restored as a stack. Drawing goes through QPainter onto a
// premultiplied 32-bit bitmap.

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Path.h"

#include <QImage>
#include <QPainter>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace graphics {

namespace detail {
struct TextLine;
}

enum class BlendMode {
    Normal,
    Multiply,
    Screen,
    Overlay,
    Darken,
    Lighten,
    ColorDodge,
    ColorBurn,
    SoftLight,
    HardLight,
    Difference,
    Exclusion,
    Clear,
    Copy,
    SourceIn,
    SourceOut,
    SourceAtop,
    DestinationOver,
    DestinationIn,
    DestinationOut,
    DestinationAtop,
    XOR,
    PlusLighter,
};

QPainter::CompositionMode toCompositionMode(BlendMode mode);

struct GradientStop {
    double location = 0;  // 0 to 1
    Color color;
};

// Colours along a line or between two circles. Without explicit locations
// the colours are spread evenly from 0 to 1.
struct Gradient {
    std::vector<GradientStop> stops;

    static Gradient withColors(const std::vector<Color>& colors);
    static Gradient withColors(const std::vector<Color>& colors, const std::vector<double>& locations);
};

// Whether a gradient paints beyond its ends with its first and last colours.
enum GradientDrawingOptions : unsigned {
    kGradientDrawsNone = 0,
    kGradientDrawsBeforeStart = 1,
    kGradientDrawsAfterEnd = 2,
};

class GraphicsContext {
public:
    // A transparent (or, when opaque, black) bitmap of size * scale pixels,
    // rounded up. Drawing is in points.
    explicit GraphicsContext(Size size, double scale = 1.0, bool opaque = false);
    // Draws over a copy of an image's pixels (upright), at the image's scale.
    explicit GraphicsContext(const Image& image);
    ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    Size size() const { return size_; }
    double scale() const { return scale_; }
    int pixelWidth() const { return bitmap_.width(); }
    int pixelHeight() const { return bitmap_.height(); }

    // Graphics state stack.
    void saveGState();
    // Unbalanced restores are ignored.
    void restoreGState();

    // Transform from user space to points (the scale to pixels not included).
    AffineTransform ctm() const;
    void translate(double tx, double ty);
    void scaleBy(double sx, double sy);
    void rotate(double angle);  // radians; positive turns clockwise on screen
    void concat(const AffineTransform& transform);

    void setFillColor(const Color& color);
    void setStrokeColor(const Color& color);
    void setLineWidth(double width);
    void setLineCap(LineCap cap);
    void setLineJoin(LineJoin join);
    void setMiterLimit(double limit);
    void setLineDash(double phase, const std::vector<double>& lengths);
    // Global alpha multiplied into everything drawn, 0 to 1.
    void setAlpha(double alpha);
    void setBlendMode(BlendMode mode);
    void setAntialias(bool on);
    // Smooth (bilinear) or nearest-pixel image scaling.
    void setSmoothImageScaling(bool on);
    // A shadow under everything drawn: offset in points (y down), blur radius
    // in points; a clear colour or no blur with zero offset still casts one.
    void setShadow(Size offset, double blur, const Color& color);
    void clearShadow();

    const Color& fillColor() const;
    const Color& strokeColor() const;
    double lineWidth() const;
    double alpha() const;
    BlendMode blendMode() const;

    // Shapes in the current fill and stroke settings.
    void fillRect(const Rect& rect);
    void strokeRect(const Rect& rect);
    // Makes the area fully transparent, whatever the blend mode and alpha.
    void clearRect(const Rect& rect);
    void fillEllipse(const Rect& rect);
    void strokeEllipse(const Rect& rect);
    // Fill with the context's fill rule argument; stroke with the path's own
    // line settings.
    void fillPath(const Path& path, FillRule rule = FillRule::NonZero);
    void strokePath(const Path& path);
    // Stroke with the context's line settings instead of the path's.
    void strokePathWithContextSettings(const Path& path);
    void strokeLine(Point from, Point to);

    // Clipping narrows the current clip; restoreGState widens it again.
    void clipToRect(const Rect& rect);
    void clipToPath(const Path& path, FillRule rule = FillRule::NonZero);
    // The clip's bounding box in user space.
    Rect clipBoundingBox() const;

    void drawLinearGradient(const Gradient& gradient, Point start, Point end, unsigned options);
    void drawRadialGradient(const Gradient& gradient, Point startCenter, double startRadius, Point endCenter,
                            double endRadius, unsigned options);

    // The image, its orientation applied, stretched into the rectangle.
    void drawImage(const Image& image, const Rect& rect);
    void drawImage(const Image& image, const Rect& rect, BlendMode mode, double alpha);
    // At its own size in points with its top left at the point.
    void drawImage(const Image& image, Point point);
    // The stored bitmap, orientation ignored, as bitmap drawing works in a
    // y-up space: the bitmap's first row lands on the rectangle's maxY edge.
    // Code written for that convention flips the context itself and then
    // draws with this.
    void drawBitmap(const Image& image, const Rect& rect);

    // Text in the fill colour. At a point: the point is the top left of the
    // first line; lines break only at newlines. Returns the size drawn.
    Size drawText(const std::string& text, Point point, const Font& font);
    // In a rectangle: laid out as Font::sizeOfText does with the rectangle's
    // width, aligned, cut at the rectangle's bottom; truncating modes put an
    // ellipsis where text is cut. Returns the size drawn.
    Size drawText(const std::string& text, const Rect& rect, const Font& font,
                  LineBreakMode lineBreakMode = LineBreakMode::WordWrap, TextAlignment alignment = TextAlignment::Left);
    // The outline of the text, stroked with the context's line settings.
    void strokeText(const std::string& text, Point point, const Font& font);

    // A snapshot of the pixels so far, with the context's scale.
    Image makeImage() const;

    // For platform code that needs QPainter directly (view hosting). The
    // painter is in user space; state changes must be undone by the caller.
    QPainter& painter() { return *painter_; }

private:
    struct State;
    State& state();
    const State& state() const;
    void paint(const std::function<void(QPainter&)>& draw);
    // The stroke pen from the path's own settings, or the context's when null.
    QPen strokePen(const Path* path) const;
    QBrush brushFor(const Color& color) const;
    Size drawLines(const std::vector<detail::TextLine>& lines, const Font& font, const Rect& box,
                   TextAlignment alignment, bool clip);
    void begin();

    Size size_;
    double scale_ = 1.0;
    bool empty_ = false;  // no pixels: makeImage() gives a null image
    QImage bitmap_;
    std::unique_ptr<QPainter> painter_;
    std::vector<State> states_;
};

}  // namespace graphics
