#pragma once

// A 4x4 transform in the layer system's row-vector convention: a point is the
// row (x, y, z, 1) multiplied by the matrix, so m41..m43 hold the translation
// and m34 (usually -1/eyeDistance) gives perspective. `concat(a, b)` applies a
// first, then b; translated/scaled/rotated put the new step before the
// existing transform.

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"

#include <optional>

namespace graphics {

struct Point3D {
    double x = 0, y = 0, z = 0;
    bool operator==(const Point3D&) const = default;
};

struct Transform3D {
    double m11 = 1, m12 = 0, m13 = 0, m14 = 0;
    double m21 = 0, m22 = 1, m23 = 0, m24 = 0;
    double m31 = 0, m32 = 0, m33 = 1, m34 = 0;
    double m41 = 0, m42 = 0, m43 = 0, m44 = 1;

    static Transform3D identity() { return {}; }
    static Transform3D makeTranslation(double tx, double ty, double tz);
    static Transform3D makeScale(double sx, double sy, double sz);
    // Rotation by `angle` radians about the axis (x, y, z); a zero axis gives identity.
    static Transform3D makeRotation(double angle, double x, double y, double z);
    static Transform3D fromAffine(const AffineTransform& t);

    bool operator==(const Transform3D&) const = default;
    bool isClose(const Transform3D& other, double tolerance = 1e-9) const;
    bool isIdentity() const;
    // True when the transform only acts in the x-y plane without perspective,
    // so toAffine() loses nothing.
    bool isAffine() const;
    AffineTransform toAffine() const;

    Transform3D translated(double tx, double ty, double tz) const;
    Transform3D scaled(double sx, double sy, double sz) const;
    Transform3D rotated(double angle, double x, double y, double z) const;
    // The inverse; the transform itself when it is singular (as the layer system returns it).
    Transform3D inverted() const;
    bool isInvertible() const;

    // The transformed point after the perspective divide; none when the
    // point lands at or behind the eye (w <= 0).
    std::optional<Point3D> apply(Point3D point) const;
    // A point of the z = 0 plane, projected back onto the screen plane.
    std::optional<Point> project(Point point) const;
};

// a first, then b.
Transform3D concat(const Transform3D& a, const Transform3D& b);

}  // namespace graphics
