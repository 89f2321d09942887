#include "platform/graphics/Transform3D.h"

#include <array>
#include <cmath>

namespace graphics {

namespace {

using Matrix = std::array<std::array<double, 4>, 4>;

Matrix toMatrix(const Transform3D& t) {
    return {{{t.m11, t.m12, t.m13, t.m14},
             {t.m21, t.m22, t.m23, t.m24},
             {t.m31, t.m32, t.m33, t.m34},
             {t.m41, t.m42, t.m43, t.m44}}};
}

Transform3D fromMatrix(const Matrix& m) {
    Transform3D t;
    t.m11 = m[0][0], t.m12 = m[0][1], t.m13 = m[0][2], t.m14 = m[0][3];
    t.m21 = m[1][0], t.m22 = m[1][1], t.m23 = m[1][2], t.m24 = m[1][3];
    t.m31 = m[2][0], t.m32 = m[2][1], t.m33 = m[2][2], t.m34 = m[2][3];
    t.m41 = m[3][0], t.m42 = m[3][1], t.m43 = m[3][2], t.m44 = m[3][3];
    return t;
}

// Gauss-Jordan elimination with partial pivoting; false when singular.
bool invertMatrix(Matrix m, Matrix& inverse) {
    Matrix r{};
    for (int i = 0; i < 4; ++i) r[i][i] = 1;
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 4; ++row)
            if (std::fabs(m[row][col]) > std::fabs(m[pivot][col])) pivot = row;
        if (std::fabs(m[pivot][col]) < 1e-300) return false;
        std::swap(m[col], m[pivot]);
        std::swap(r[col], r[pivot]);
        double div = m[col][col];
        for (int k = 0; k < 4; ++k) {
            m[col][k] /= div;
            r[col][k] /= div;
        }
        for (int row = 0; row < 4; ++row) {
            if (row == col) continue;
            double factor = m[row][col];
            if (factor == 0) continue;
            for (int k = 0; k < 4; ++k) {
                m[row][k] -= factor * m[col][k];
                r[row][k] -= factor * r[col][k];
            }
        }
    }
    inverse = r;
    return true;
}

}  // namespace

Transform3D Transform3D::makeTranslation(double tx, double ty, double tz) {
    Transform3D t;
    t.m41 = tx;
    t.m42 = ty;
    t.m43 = tz;
    return t;
}

Transform3D Transform3D::makeScale(double sx, double sy, double sz) {
    Transform3D t;
    t.m11 = sx;
    t.m22 = sy;
    t.m33 = sz;
    return t;
}

Transform3D Transform3D::makeRotation(double angle, double x, double y, double z) {
    double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) return identity();
    x /= length;
    y /= length;
    z /= length;
    double s = std::sin(angle);
    double c = std::cos(angle);
    double k = 1 - c;
    Transform3D t;
    t.m11 = k * x * x + c;
    t.m12 = k * x * y + z * s;
    t.m13 = k * x * z - y * s;
    t.m21 = k * x * y - z * s;
    t.m22 = k * y * y + c;
    t.m23 = k * y * z + x * s;
    t.m31 = k * x * z + y * s;
    t.m32 = k * y * z - x * s;
    t.m33 = k * z * z + c;
    return t;
}

Transform3D Transform3D::fromAffine(const AffineTransform& a) {
    Transform3D t;
    t.m11 = a.a;
    t.m12 = a.b;
    t.m21 = a.c;
    t.m22 = a.d;
    t.m41 = a.tx;
    t.m42 = a.ty;
    return t;
}

bool Transform3D::isClose(const Transform3D& other, double tolerance) const {
    Matrix a = toMatrix(*this), b = toMatrix(other);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (std::fabs(a[i][j] - b[i][j]) > tolerance) return false;
    return true;
}

bool Transform3D::isIdentity() const { return *this == identity(); }

bool Transform3D::isAffine() const {
    return m13 == 0 && m14 == 0 && m23 == 0 && m24 == 0 && m31 == 0 && m32 == 0 && m33 == 1 && m34 == 0 && m43 == 0 &&
           m44 == 1;
}

AffineTransform Transform3D::toAffine() const { return {m11, m12, m21, m22, m41, m42}; }

Transform3D Transform3D::translated(double tx, double ty, double tz) const {
    return concat(makeTranslation(tx, ty, tz), *this);
}

Transform3D Transform3D::scaled(double sx, double sy, double sz) const { return concat(makeScale(sx, sy, sz), *this); }

Transform3D Transform3D::rotated(double angle, double x, double y, double z) const {
    return concat(makeRotation(angle, x, y, z), *this);
}

bool Transform3D::isInvertible() const {
    Matrix inverse;
    return invertMatrix(toMatrix(*this), inverse);
}

Transform3D Transform3D::inverted() const {
    Matrix inverse;
    if (!invertMatrix(toMatrix(*this), inverse)) return *this;
    return fromMatrix(inverse);
}

std::optional<Point3D> Transform3D::apply(Point3D p) const {
    double x = p.x * m11 + p.y * m21 + p.z * m31 + m41;
    double y = p.x * m12 + p.y * m22 + p.z * m32 + m42;
    double z = p.x * m13 + p.y * m23 + p.z * m33 + m43;
    double w = p.x * m14 + p.y * m24 + p.z * m34 + m44;
    if (!(w > 0)) return std::nullopt;
    return Point3D{x / w, y / w, z / w};
}

std::optional<Point> Transform3D::project(Point point) const {
    auto p = apply(Point3D{point.x, point.y, 0});
    if (!p) return std::nullopt;
    return Point{p->x, p->y};
}

Transform3D concat(const Transform3D& a, const Transform3D& b) {
    Matrix x = toMatrix(a), y = toMatrix(b), r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) r[i][j] += x[i][k] * y[k][j];
    return fromMatrix(r);
}

}  // namespace graphics
