#pragma once

// A vector path in points with the stroke settings that travel with it, as
// the drawing system's path objects carry them.

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"

#include <QPainterPath>
#include <optional>
#include <vector>

namespace graphics {

enum class LineCap { Butt = 0, Round = 1, Square = 2 };
enum class LineJoin { Miter = 0, Round = 1, Bevel = 2 };
enum class FillRule { NonZero = 0, EvenOdd = 1 };

class Path {
public:
    Path() = default;
    static Path rect(const Rect& rect);
    static Path ellipse(const Rect& rect);
    static Path roundedRect(const Rect& rect, double cornerRadius);
    // A full circle arc or part of it (see addArc).
    static Path arc(Point center, double radius, double startAngle, double endAngle, bool clockwise);

    void moveTo(Point point);
    // The lines and curves below start at the current point; without one
    // they start with an implicit moveTo of their first point.
    void lineTo(Point point);
    void quadCurveTo(Point point, Point control);
    void curveTo(Point point, Point control1, Point control2);
    // An arc around `center` from startAngle to endAngle (radians, 0 along +x,
    // growing towards +y). `clockwise` is as seen on screen (y down): the
    // angle grows. A line joins the current point to the arc's start.
    void addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise);
    // The rounded corner between the lines current→tangent1 and
    // tangent1→tangent2 (the drawing system's arc-to-point).
    void addArcToPoint(Point tangent1, Point tangent2, double radius);
    void addRect(const Rect& rect);
    void addEllipse(const Rect& rect);
    void addPath(const Path& other);
    void close();
    void removeAll();

    bool isEmpty() const { return path_.elementCount() == 0; }
    std::optional<Point> currentPoint() const;
    // Box of all points, control points included.
    Rect bounds() const;
    bool contains(Point point, FillRule rule = FillRule::NonZero) const;
    void apply(const AffineTransform& transform);

    // Stroke settings.
    double lineWidth = 1.0;
    LineCap lineCap = LineCap::Butt;
    LineJoin lineJoin = LineJoin::Miter;
    double miterLimit = 10.0;
    FillRule fillRule = FillRule::NonZero;
    // Dash lengths in points (empty: solid) and where in the pattern it starts.
    std::vector<double> dashPattern;
    double dashPhase = 0.0;

    const QPainterPath& painterPath() const { return path_; }

private:
    QPainterPath path_;
    bool hasCurrentPoint_ = false;
};

}  // namespace graphics
