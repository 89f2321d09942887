#include "Artwork.h"

#include <cmath>

namespace themes {

using graphics::Color;
using graphics::Point;
using graphics::Rect;

const char* foregroundName(int foreground) {
    static const char* names[] = {"None",   "Vignette", "Film",     "Frame", "Old TV",     "Snow",
                                  "Hearts", "Stars",    "Bubbles",  "Photo", "Cinema",     "Iris",
                                  "Camera", "Leaves",   "Confetti", "Rain",  "Binoculars", "Scratches"};
    return names[(foreground - 20) % 18];
}

namespace {

void heart(graphics::GraphicsContext& c, Point centre, double size) {
    graphics::Path path;
    path.moveTo(Point{centre.x, centre.y + size * 0.35});
    path.curveTo(Point{centre.x - size * 0.5, centre.y - size * 0.1},
                 Point{centre.x - size * 0.1, centre.y + size * 0.1},
                 Point{centre.x - size * 0.55, centre.y - size * 0.1});
    path.curveTo(Point{centre.x, centre.y - size * 0.25}, Point{centre.x - size * 0.45, centre.y - size * 0.5},
                 Point{centre.x - size * 0.05, centre.y - size * 0.45});
    path.curveTo(Point{centre.x + size * 0.5, centre.y - size * 0.1},
                 Point{centre.x + size * 0.05, centre.y - size * 0.45},
                 Point{centre.x + size * 0.45, centre.y - size * 0.5});
    path.curveTo(Point{centre.x, centre.y + size * 0.35}, Point{centre.x + size * 0.55, centre.y - size * 0.1},
                 Point{centre.x + size * 0.1, centre.y + size * 0.1});
    path.close();
    c.fillPath(path);
}

// Scattered shapes near the edges, leaving the middle of the picture free.
template <class Draw>
void scatter(uint32_t seed, int count, Draw draw) {
    Random random(seed);
    for (int placed = 0; placed < count;) {
        double x = random.range(0, 1920), y = random.range(0, 1080);
        double dx = (x - 960) / 960, dy = (y - 540) / 540;
        if (dx * dx + dy * dy < 0.45) continue;
        draw(Point{x, y}, random);
        ++placed;
    }
}

}  // namespace

void drawForegroundOverlay(graphics::GraphicsContext& c, int foreground) {
    const Rect all(0, 0, 1920, 1080);
    switch (foreground) {
        case 21:  // vignette
            c.drawRadialGradient(graphics::Gradient::withColors(
                                     {Color::grey(0, 0), Color::grey(0, 0), Color::grey(0, 0.85)}, {0, 0.55, 1}),
                                 Point{960, 540}, 0, Point{960, 540}, 1100, graphics::kGradientDrawsAfterEnd);
            break;
        case 22:  // film strip edges
            c.setFillColor(Color::grey(0.05));
            c.fillRect(Rect(0, 0, 1920, 110));
            c.fillRect(Rect(0, 970, 1920, 110));
            c.setFillColor(Color::grey(0, 0));
            for (double x = 24; x < 1920; x += 96) {
                c.clearRect(Rect(x, 34, 50, 42));
                c.clearRect(Rect(x, 1004, 50, 42));
            }
            break;
        case 23: {  // a white rounded frame
            graphics::Path frame = graphics::Path::rect(all);
            frame.addPath(graphics::Path::roundedRect(Rect(70, 70, 1780, 940), 60));
            c.setFillColor(Color::grey(0.98));
            c.fillPath(frame, graphics::FillRule::EvenOdd);
            break;
        }
        case 24: {  // an old television
            graphics::Path set = graphics::Path::rect(all);
            set.addPath(graphics::Path::roundedRect(Rect(180, 110, 1400, 860), 120));
            c.setFillColor(Color::rgb8(96, 62, 36));
            c.fillPath(set, graphics::FillRule::EvenOdd);
            c.setFillColor(Color::rgb8(60, 40, 24));
            c.fillEllipse(Rect(1660, 300, 160, 160));
            c.fillEllipse(Rect(1660, 560, 160, 160));
            c.setFillColor(Color::grey(0, 0.12));
            for (double y = 110; y < 970; y += 6) c.fillRect(Rect(180, y, 1400, 2));
            break;
        }
        case 25:
            c.setFillColor(Color::grey(1.0, 0.9));
            scatter(25, 260, [&](Point p, Random& r) {
                double s = r.range(4, 16);
                c.fillEllipse(Rect(p.x, p.y, s, s));
            });
            break;
        case 26:
            scatter(26, 60, [&](Point p, Random& r) {
                c.setFillColor(Color::rgb8(240, 40 + int(r.range(0, 80)), 90, 220));
                heart(c, p, r.range(40, 110));
            });
            break;
        case 27:
            scatter(27, 70, [&](Point p, Random& r) {
                c.setFillColor(Color::rgb8(255, 220, 60, 230));
                double s = r.range(20, 60);
                fillStar(c, p, s, s * 0.45, 5);
            });
            break;
        case 28:
            c.setStrokeColor(Color::grey(1.0, 0.8));
            c.setLineWidth(4);
            scatter(28, 80, [&](Point p, Random& r) {
                double s = r.range(20, 90);
                c.setFillColor(Color::rgb8(180, 230, 255, 50));
                c.fillEllipse(Rect(p.x, p.y, s, s));
                c.strokeEllipse(Rect(p.x, p.y, s, s));
            });
            break;
        case 29: {  // a photo print with a wide bottom edge
            graphics::Path print = graphics::Path::rect(all);
            print.addRect(Rect(110, 70, 1700, 800));
            c.setFillColor(Color::rgb8(250, 248, 240));
            c.fillPath(print, graphics::FillRule::EvenOdd);
            break;
        }
        case 30:  // cinema bars
            c.setFillColor(Color::black());
            c.fillRect(Rect(0, 0, 1920, 132));
            c.fillRect(Rect(0, 948, 1920, 132));
            break;
        case 31: {  // iris
            graphics::Path iris = graphics::Path::rect(all);
            iris.addEllipse(Rect(360, 40, 1200, 1000));
            c.setFillColor(Color::black());
            c.fillPath(iris, graphics::FillRule::EvenOdd);
            break;
        }
        case 32: {  // camera viewfinder
            c.setStrokeColor(Color::grey(1.0, 0.95));
            c.setLineWidth(10);
            for (auto [x, y, sx, sy] : {std::tuple{120.0, 100.0, 1, 1},
                                        {1800.0, 100.0, -1, 1},
                                        {120.0, 980.0, 1, -1},
                                        {1800.0, 980.0, -1, -1}}) {
                c.strokeLine(Point{x, y}, Point{x + sx * 160, y});
                c.strokeLine(Point{x, y}, Point{x, y + sy * 160});
            }
            c.setFillColor(Color::rgb8(230, 30, 30));
            c.fillEllipse(Rect(170, 150, 44, 44));
            c.setFillColor(Color::grey(1.0));
            c.drawText("REC", Point{230, 146}, graphics::Font("DejaVu Sans", 44, true));
            c.setLineWidth(4);
            c.strokeLine(Point{900, 540}, Point{1020, 540});
            c.strokeLine(Point{960, 480}, Point{960, 600});
            break;
        }
        case 33:
            scatter(33, 70, [&](Point p, Random& r) {
                c.saveGState();
                c.translate(p.x, p.y);
                c.rotate(r.range(0, 6.28));
                const int green = 90 + int(r.range(0, 80));
                const int red = 200 + int(r.range(0, 55));
                c.setFillColor(Color::rgb8(red, green, 20, 230));
                c.fillEllipse(Rect(-40, -16, 80, 32));
                c.restoreGState();
            });
            break;
        case 34:
            scatter(34, 220, [&](Point p, Random& r) {
                c.setFillColor(Color::hsb(r.next(), 0.8, 1.0));
                const double height = r.range(6, 14);
                const double width = r.range(10, 24);
                c.fillRect(Rect(p.x, p.y, width, height));
            });
            break;
        case 35: {
            c.setStrokeColor(Color::rgb8(190, 220, 255, 150));
            c.setLineWidth(3);
            Random random(35);
            for (int i = 0; i < 240; ++i) {
                double x = random.range(0, 1960), y = random.range(-40, 1080);
                c.strokeLine(Point{x, y}, Point{x - 14, y + 60});
            }
            break;
        }
        case 36: {  // binoculars
            graphics::Path view = graphics::Path::rect(all);
            view.addEllipse(Rect(320, 140, 760, 800));
            view.addEllipse(Rect(840, 140, 760, 800));
            c.setFillColor(Color::black());
            c.fillPath(view, graphics::FillRule::EvenOdd);
            // Where the two circles overlap the even-odd rule darkens them: open it again.
            c.saveGState();
            c.clipToPath(graphics::Path::ellipse(Rect(320, 140, 760, 800)));
            c.clearRect(Rect(840, 140, 760, 800));
            c.restoreGState();
            break;
        }
        default: {  // scratches and dust of old film
            Random random(37);
            c.setStrokeColor(Color::grey(0.1, 0.5));
            c.setLineWidth(2);
            for (int i = 0; i < 14; ++i) {
                double x = random.range(0, 1920);
                c.strokeLine(Point{x, 0}, Point{x + random.range(-20, 20), 1080});
            }
            c.setFillColor(Color::grey(0.1, 0.6));
            for (int i = 0; i < 90; ++i) {
                double s = random.range(2, 8);
                const double y = random.range(0, 1080);
                const double x = random.range(0, 1920);
                c.fillEllipse(Rect(x, y, s, s));
            }
            break;
        }
    }
}

}  // namespace themes
