#pragma once

// Readable failure messages for graphics values.

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"

#include <ostream>

namespace graphics {

inline void PrintTo(const Point& p, std::ostream* os) { *os << p.toString(); }
inline void PrintTo(const Size& s, std::ostream* os) { *os << s.toString(); }
inline void PrintTo(const Rect& r, std::ostream* os) { *os << r.toString(); }
inline void PrintTo(const AffineTransform& t, std::ostream* os) { *os << t.toString(); }
inline void PrintTo(const RGBA& c, std::ostream* os) {
    *os << "rgba(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}

}  // namespace graphics
