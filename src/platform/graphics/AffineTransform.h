#pragma once

// A 2D affine transform in the drawing system's row-vector convention:
//   x' = a*x + c*y + tx,  y' = b*x + d*y + ty.
// `concat(t1, t2)` applies t1 first, then t2. The operations that modify a
// transform (translated, scaled, rotated) put the new step *before* the
// existing one, the way the drawing system's transform calls do.

#include "platform/graphics/Geometry.h"

#include <string>

class QTransform;

namespace graphics {

struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static AffineTransform identity() { return {}; }
    static AffineTransform makeTranslation(double tx, double ty);
    static AffineTransform makeScale(double sx, double sy);
    // Positive angles (radians) turn +x towards +y: clockwise on screen.
    static AffineTransform makeRotation(double angle);

    bool isIdentity() const;
    bool operator==(const AffineTransform&) const = default;
    // Equal within a tolerance, for values that went through trigonometry.
    bool isClose(const AffineTransform& other, double tolerance = 1e-9) const;

    AffineTransform translated(double tx, double ty) const;
    AffineTransform scaled(double sx, double sy) const;
    AffineTransform rotated(double angle) const;
    // The inverse; the transform itself unchanged when it is not invertible
    // (as the drawing system returns it).
    AffineTransform inverted() const;
    bool isInvertible() const;

    Point apply(Point point) const;
    // Sizes are vectors: translation does not apply.
    Size apply(Size size) const;
    // The bounding box of the transformed corners.
    Rect apply(const Rect& rect) const;

    QTransform toQTransform() const;
    static AffineTransform fromQTransform(const QTransform& transform);

    std::string toString() const;  // "[a, b, c, d, tx, ty]"
};

// t1 first, then t2.
AffineTransform concat(const AffineTransform& t1, const AffineTransform& t2);

}  // namespace graphics
