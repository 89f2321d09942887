#pragma once

// Points, sizes and rectangles in points, with the drawing system's
// conventions: origin at the top left, y growing downwards.

#include <optional>
#include <string>
#include <string_view>

namespace graphics {

struct Point {
    double x = 0;
    double y = 0;

    bool operator==(const Point&) const = default;

    // "{x, y}", numbers in their shortest exact form.
    std::string toString() const;
    // Reads the text that toString writes; white space is free. None for
    // anything else, so a damaged archive entry does not become (0, 0) silently.
    static std::optional<Point> fromString(std::string_view text);
};

struct Size {
    double width = 0;
    double height = 0;

    bool operator==(const Size&) const = default;

    std::string toString() const;  // "{w, h}"
    static std::optional<Size> fromString(std::string_view text);
};

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;

    bool operator==(const EdgeInsets&) const = default;
};

struct Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(Point origin, Size size) : origin(origin), size(size) {}
    Rect(double x, double y, double width, double height) : origin{x, y}, size{width, height} {}

    // The null rectangle: the result of intersecting rectangles that do not
    // meet. Its origin is infinite, as the drawing system's is.
    static Rect null();
    static Rect zero() { return {}; }
    // An infinite rectangle (everything).
    static Rect infinite();

    bool operator==(const Rect&) const = default;

    // Edges of the standardized rectangle (negative sizes count from the far edge).
    double minX() const;
    double midX() const;
    double maxX() const;
    double minY() const;
    double midY() const;
    double maxY() const;
    double width() const;   // absolute width
    double height() const;  // absolute height

    bool isNull() const;
    // Null, or no area at all.
    bool isEmpty() const;

    // The same area with non-negative width and height.
    Rect standardized() const;
    // Smallest rectangle of whole numbers that contains this one.
    Rect integral() const;
    // Moves every edge inwards by dx and dy (outwards for negative values);
    // null when nothing remains.
    Rect insetBy(double dx, double dy) const;
    Rect inset(const EdgeInsets& insets) const;
    Rect offsetBy(double dx, double dy) const;
    // The common area; null when the rectangles do not overlap (touching
    // edges give an empty, non-null rectangle).
    Rect intersection(const Rect& other) const;
    // Smallest rectangle holding both; a null operand is ignored.
    Rect unionWith(const Rect& other) const;
    bool intersects(const Rect& other) const;
    // Inside means minX <= x < maxX and the same for y.
    bool contains(Point point) const;
    bool contains(const Rect& other) const;

    // "{{x, y}, {w, h}}"
    std::string toString() const;
    static std::optional<Rect> fromString(std::string_view text);
};

}  // namespace graphics
