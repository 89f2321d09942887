#include "Artwork.h"

#include <cmath>

namespace themes {

using graphics::Color;
using graphics::Font;
using graphics::Point;
using graphics::Rect;

namespace {

const Rect kCard(0, 0, kCardSize.width, kCardSize.height);

void radialGlow(graphics::GraphicsContext& c, Point centre, double radius, Color inner, Color outer) {
    c.drawRadialGradient(graphics::Gradient::withColors({inner, outer}), centre, 0, centre, radius,
                         graphics::kGradientDrawsAfterEnd);
}

void starField(graphics::GraphicsContext& c, uint32_t seed, int count, double maxSize) {
    Random random(seed);
    for (int i = 0; i < count; ++i) {
        double size = random.range(0.8, maxSize);
        c.setFillColor(Color::grey(1.0, random.range(0.35, 1.0)));
        const double y = random.range(0, kCardSize.height);
        const double x = random.range(0, kCardSize.width);
        c.fillEllipse(Rect(x, y, size, size));
    }
}

void curtain(graphics::GraphicsContext& c) {
    fillVerticalGradient(c, kCard, Color::rgb8(120, 8, 18), Color::rgb8(58, 0, 8));
    // Folds: soft light and shadow bands across the width.
    for (int i = 0; i < 16; ++i) {
        double x = i * 80.0;
        c.drawLinearGradient(
            graphics::Gradient::withColors({Color::grey(0, 0.35), Color::rgb8(255, 80, 90, 40), Color::grey(0, 0.35)}),
            Point{x, 0}, Point{x + 80, 0}, 0);
    }
    // Valance and gold trim.
    fillVerticalGradient(c, Rect(0, 0, 1280, 90), Color::rgb8(150, 14, 28), Color::rgb8(96, 4, 14));
    c.setFillColor(Color::rgb8(222, 178, 82));
    c.fillRect(Rect(0, 86, 1280, 8));
    for (int i = 0; i < 32; ++i) c.fillEllipse(Rect(i * 40.0 + 12, 92, 16, 16));
    radialGlow(c, Point{640, 420}, 560, Color::rgb8(255, 120, 90, 60), Color::rgb8(0, 0, 0, 0));
}

void stars(graphics::GraphicsContext& c) {
    fillVerticalGradient(c, kCard, Color::rgb8(10, 16, 58), Color::rgb8(70, 26, 110));
    starField(c, 2, 260, 3.2);
    c.setFillColor(Color::rgb8(255, 244, 200));
    Random random(22);
    for (int i = 0; i < 14; ++i) {
        double r = random.range(6, 14);
        fillStar(c, Point{random.range(40, 1240), random.range(30, 690)}, r, r * 0.42, 5);
    }
    c.setFillColor(Color::rgb8(250, 246, 220));
    c.fillEllipse(Rect(1060, 60, 110, 110));
    c.setFillColor(Color::rgb8(22, 22, 72));
    c.fillEllipse(Rect(1090, 48, 110, 110));  // a crescent
}

void sunburst(graphics::GraphicsContext& c) {
    fillVerticalGradient(c, kCard, Color::rgb8(96, 186, 250), Color::rgb8(214, 240, 255));
    c.setFillColor(Color::grey(1.0, 0.18));
    for (int i = 0; i < 24; i += 2) {
        graphics::Path ray;
        ray.moveTo(Point{640, 360});
        for (int k : {i, i + 1}) {
            double angle = k * 2 * M_PI / 24;
            ray.lineTo(Point{640 + 1600 * std::cos(angle), 360 + 1600 * std::sin(angle)});
        }
        ray.close();
        c.fillPath(ray);
    }
    c.setFillColor(Color::grey(1.0, 0.92));
    for (auto [x, y, s] :
         {std::tuple{150.0, 110.0, 1.0}, {1020.0, 560.0, 1.3}, {980.0, 120.0, 0.8}, {210.0, 560.0, 0.9}}) {
        c.fillEllipse(Rect(x, y, 120 * s, 60 * s));
        c.fillEllipse(Rect(x + 50 * s, y - 28 * s, 110 * s, 80 * s));
        c.fillEllipse(Rect(x + 110 * s, y + 4 * s, 100 * s, 56 * s));
    }
}

void chalkboard(graphics::GraphicsContext& c) {
    c.setFillColor(Color::rgb8(112, 70, 36));
    c.fillRect(kCard);
    fillVerticalGradient(c, Rect(36, 36, 1208, 648), Color::rgb8(36, 78, 54), Color::rgb8(24, 58, 40));
    Random random(4);
    for (int i = 0; i < 40; ++i) {
        c.setFillColor(Color::grey(1.0, random.range(0.02, 0.06)));
        const double height = random.range(30, 90);
        const double width = random.range(80, 260);
        const double y = random.range(40, 600);
        const double x = random.range(40, 1100);
        c.fillEllipse(Rect(x, y, width, height));
    }
    c.setFillColor(Color::rgb8(140, 96, 56));
    c.fillRect(Rect(36, 660, 1208, 24));  // the chalk ledge
    c.setFillColor(Color::grey(0.97));
    c.fillRect(Rect(980, 664, 60, 10));
    c.setFillColor(Color::rgb8(250, 210, 220));
    c.fillRect(Rect(1060, 664, 44, 10));
}

void silentFilm(graphics::GraphicsContext& c) {
    c.setFillColor(Color::rgb8(46, 32, 20));
    c.fillRect(kCard);
    radialGlow(c, Point{640, 360}, 760, Color::rgb8(150, 112, 70), Color::rgb8(30, 20, 10));
    c.setStrokeColor(Color::rgb8(236, 220, 180));
    c.setLineWidth(4);
    c.strokeRect(Rect(60, 50, 1160, 620));
    c.setLineWidth(1.5);
    c.strokeRect(Rect(76, 66, 1128, 588));
    for (auto [x, y] : {std::pair{76.0, 66.0}, {1204.0, 66.0}, {76.0, 654.0}, {1204.0, 654.0}}) {
        c.strokeEllipse(Rect(x - 22, y - 22, 44, 44));
        c.setFillColor(Color::rgb8(236, 220, 180));
        c.fillEllipse(Rect(x - 6, y - 6, 12, 12));
    }
    Random random(5);  // scratches and dust
    c.setStrokeColor(Color::grey(1.0, 0.16));
    c.setLineWidth(1);
    for (int i = 0; i < 9; ++i) {
        double x = random.range(100, 1180);
        c.strokeLine(Point{x, 0}, Point{x + random.range(-8, 8), 720});
    }
}

void ocean(graphics::GraphicsContext& c) {
    fillVerticalGradient(c, kCard, Color::rgb8(8, 118, 150), Color::rgb8(2, 44, 82));
    for (int band = 0; band < 5; ++band) {
        graphics::Path wave;
        double base = 470 + band * 56;
        wave.moveTo(Point{0, base});
        for (int i = 0; i < 8; ++i) {
            double x = i * 160.0;
            wave.curveTo(Point{x + 160, base}, Point{x + 50, base - 30}, Point{x + 110, base + 30});
        }
        wave.lineTo(Point{1280, 720});
        wave.lineTo(Point{0, 720});
        wave.close();
        c.setFillColor(Color::rgb8(10, 80 + band * 6, 130 - band * 10, 120));
        c.fillPath(wave);
    }
    Random random(6);
    c.setStrokeColor(Color::grey(1.0, 0.5));
    c.setLineWidth(2);
    for (int i = 0; i < 36; ++i) {
        double r = random.range(4, 16);
        const double y = random.range(20, 700);
        const double x = random.range(20, 1260);
        c.strokeEllipse(Rect(x, y, r, r));
    }
}

void candy(graphics::GraphicsContext& c) {
    c.setFillColor(Color::rgb8(255, 214, 232));
    c.fillRect(kCard);
    c.setFillColor(Color::rgb8(255, 188, 216));
    for (int i = -12; i < 24; ++i) {
        graphics::Path stripe;
        double x = i * 90.0;
        stripe.moveTo(Point{x, 0});
        stripe.lineTo(Point{x + 45, 0});
        stripe.lineTo(Point{x + 45 + 720, 720});
        stripe.lineTo(Point{x + 720, 720});
        stripe.close();
        c.fillPath(stripe);
    }
    c.setFillColor(Color::grey(1.0, 0.7));
    for (int row = 0; row < 9; ++row)
        for (int col = 0; col < 17; ++col)
            c.fillEllipse(Rect(col * 80.0 + (row % 2) * 40 + 10, row * 84.0 + 16, 14, 14));
}

void comic(graphics::GraphicsContext& c) {
    c.setFillColor(Color::rgb8(255, 222, 40));
    c.fillRect(kCard);
    c.setFillColor(Color::rgb8(255, 160, 20));
    for (int i = 0; i < 36; i += 2) {
        graphics::Path ray;
        ray.moveTo(Point{640, 360});
        for (int k : {i, i + 1}) {
            double angle = k * 2 * M_PI / 36;
            ray.lineTo(Point{640 + 1600 * std::cos(angle), 360 + 1600 * std::sin(angle)});
        }
        ray.close();
        c.fillPath(ray);
    }
    c.setFillColor(Color::rgb8(230, 60, 40, 90));
    for (int row = 0; row < 24; ++row)
        for (int col = 0; col < 42; ++col) {
            double dx = col * 31.0 - 640, dy = row * 31.0 - 360;
            double r = 2 + 9 * std::min(1.0, std::sqrt(dx * dx + dy * dy) / 760);
            c.fillEllipse(Rect(col * 31.0 - r / 2, row * 31.0 - r / 2, r, r));
        }
    c.setFillColor(Color::grey(1.0, 0.85));
    c.fillEllipse(Rect(120, 60, 1040, 600));
    c.setStrokeColor(Color::black());
    c.setLineWidth(6);
    c.strokeEllipse(Rect(120, 60, 1040, 600));
}

void space(graphics::GraphicsContext& c) {
    c.setFillColor(Color::rgb8(4, 4, 14));
    c.fillRect(kCard);
    radialGlow(c, Point{300, 520}, 520, Color::rgb8(80, 30, 120, 120), Color::rgb8(0, 0, 0, 0));
    starField(c, 9, 420, 2.6);
    // A ringed planet and a small moon, each shaded inside its own disc.
    auto sphere = [&](Point centre, double radius, Color lit, Color shade) {
        c.saveGState();
        c.clipToPath(graphics::Path::ellipse(Rect(centre.x - radius, centre.y - radius, 2 * radius, 2 * radius)));
        c.drawRadialGradient(graphics::Gradient::withColors({lit, shade}),
                             Point{centre.x - radius / 3, centre.y - radius / 3}, 0, centre, radius,
                             graphics::kGradientDrawsAfterEnd);
        c.restoreGState();
    };
    sphere(Point{1040, 170}, 100, Color::rgb8(250, 190, 120), Color::rgb8(150, 70, 40));
    c.saveGState();
    c.setStrokeColor(Color::rgb8(240, 220, 180, 200));
    c.setLineWidth(7);
    c.translate(1040, 170);
    c.rotate(-0.35);
    c.strokeEllipse(Rect(-170, -34, 340, 68));
    c.restoreGState();
    sphere(Point{170, 130}, 46, Color::rgb8(236, 236, 244), Color::rgb8(110, 110, 130));
}

}  // namespace

void drawThemeBackground(graphics::GraphicsContext& context, int theme) {
    switch (theme) {
        case 1:
            return curtain(context);
        case 2:
            return stars(context);
        case 3:
            return sunburst(context);
        case 4:
            return chalkboard(context);
        case 5:
            return silentFilm(context);
        case 6:
            return ocean(context);
        case 7:
            return candy(context);
        case 8:
            return comic(context);
        default:
            return space(context);
    }
}

void drawTextCardBackground(graphics::GraphicsContext& c, int card) {
    switch (card) {
        case 20:  // paper
            fillVerticalGradient(c, kCard, Color::rgb8(252, 248, 236), Color::rgb8(236, 228, 206));
            c.setStrokeColor(Color::rgb8(160, 190, 230, 120));
            c.setLineWidth(2);
            for (double y = 120; y < 720; y += 48) c.strokeLine(Point{0, y}, Point{1280, y});
            c.setStrokeColor(Color::rgb8(230, 110, 110, 160));
            c.strokeLine(Point{150, 0}, Point{150, 720});
            break;
        case 21:  // blackboard
            chalkboard(c);
            break;
        case 22:  // blue sky
            fillVerticalGradient(c, kCard, Color::rgb8(40, 110, 210), Color::rgb8(150, 210, 255));
            break;
        case 23:  // sunset
            c.drawLinearGradient(graphics::Gradient::withColors(
                                     {Color::rgb8(60, 30, 110), Color::rgb8(230, 90, 90), Color::rgb8(255, 190, 90)}),
                                 Point{0, 0}, Point{0, 720}, 0);
            c.setFillColor(Color::rgb8(255, 236, 160));
            c.fillEllipse(Rect(560, 520, 160, 160));
            c.setFillColor(Color::rgb8(40, 20, 60));
            c.fillRect(Rect(0, 620, 1280, 100));
            break;
        default:  // a film frame
            c.setFillColor(Color::rgb8(20, 20, 22));
            c.fillRect(kCard);
            c.setFillColor(Color::rgb8(70, 70, 76));
            c.fillRect(Rect(90, 60, 1100, 600));
            c.setFillColor(Color::grey(0.92));
            for (double x = 20; x < 1280; x += 64) {
                c.fillRect(Rect(x, 14, 34, 28));
                c.fillRect(Rect(x, 678, 34, 28));
            }
            break;
    }
}

void drawPictureCard(graphics::GraphicsContext& c, int card) {
    struct Look {
        const char* words;
        Color top, bottom, ink;
        const char* family;
    };
    static const Look looks[] = {
        {"The End", Color::rgb8(20, 20, 24), Color::rgb8(60, 60, 70), Color::grey(0.96), "DejaVu Serif"},
        {"Meanwhile...", Color::rgb8(255, 230, 120), Color::rgb8(250, 180, 60), Color::rgb8(40, 30, 20), "DejaVu Sans"},
        {"Later that day", Color::rgb8(120, 190, 250), Color::rgb8(230, 245, 255), Color::rgb8(20, 50, 100),
         "DejaVu Sans"},
        {"To Be Continued", Color::rgb8(120, 10, 20), Color::rgb8(40, 0, 8), Color::rgb8(245, 210, 120),
         "DejaVu Serif"},
        {"Intermission", Color::rgb8(70, 30, 90), Color::rgb8(20, 10, 40), Color::rgb8(255, 220, 250), "DejaVu Serif"},
        {"Chapter One", Color::rgb8(240, 232, 210), Color::rgb8(210, 196, 160), Color::rgb8(70, 50, 30),
         "DejaVu Serif"},
        {"Chapter Two", Color::rgb8(220, 240, 220), Color::rgb8(160, 200, 160), Color::rgb8(30, 70, 40),
         "DejaVu Serif"},
        {"Chapter Three", Color::rgb8(220, 230, 250), Color::rgb8(160, 176, 220), Color::rgb8(30, 40, 90),
         "DejaVu Serif"},
        {"Once upon a time", Color::rgb8(40, 20, 80), Color::rgb8(110, 60, 160), Color::rgb8(255, 236, 170),
         "DejaVu Serif"},
        {"Suddenly!", Color::rgb8(255, 80, 60), Color::rgb8(200, 20, 40), Color::grey(1.0), "DejaVu Sans"},
        {"Far, far away", Color::rgb8(10, 30, 60), Color::rgb8(30, 90, 130), Color::rgb8(200, 240, 255), "DejaVu Sans"},
        {"The next morning", Color::rgb8(255, 210, 150), Color::rgb8(140, 200, 250), Color::rgb8(80, 40, 20),
         "DejaVu Sans"},
        {"BOOM!", Color::rgb8(255, 240, 60), Color::rgb8(255, 150, 20), Color::rgb8(200, 20, 20), "DejaVu Sans"},
        {"POW!", Color::rgb8(60, 200, 255), Color::rgb8(20, 90, 220), Color::rgb8(255, 240, 60), "DejaVu Sans"},
        {"Zzz...", Color::rgb8(30, 30, 70), Color::rgb8(10, 10, 30), Color::rgb8(200, 210, 255), "DejaVu Sans"},
    };
    const Look& look = looks[(card - 50) % 15];
    fillVerticalGradient(c, kCard, look.top, look.bottom);
    Random random(static_cast<uint32_t>(card));
    if (card == 62 || card == 63) {  // comic bursts
        c.setFillColor(Color::grey(1.0, 0.35));
        fillStar(c, Point{640, 360}, 420, 220, 14);
    } else if (card == 58 || card == 60 || card == 64) {
        starField(c, static_cast<uint32_t>(card), 160, 3.0);
    } else {
        c.setFillColor(Color::grey(1.0, 0.06));
        for (int i = 0; i < 12; ++i) {
            double r = random.range(80, 260);
            const double y = random.range(-100, 640);
            const double x = random.range(-100, 1200);
            c.fillEllipse(Rect(x, y, r, r));
        }
    }
    c.setStrokeColor(look.ink.withAlpha(0.5));
    c.setLineWidth(3);
    c.strokeRect(Rect(40, 40, 1200, 640));
    Font font(look.family, std::string(look.words).size() > 12 ? 92 : 120, true);
    c.setFillColor(Color::grey(0, 0.3));
    drawCentredText(c, look.words, Point{646, 366}, font);
    c.setFillColor(look.ink);
    drawCentredText(c, look.words, Point{640, 360}, font);
}

}  // namespace themes
