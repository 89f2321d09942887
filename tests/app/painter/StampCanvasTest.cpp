#include "CanvasTestSupport.h"
#include "app/painter/PaintingRules.h"
#include "app/painter/StampCanvas.h"

#include <QImage>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <random>

namespace {

using namespace paintertest;
using graphics::RGBA;

QImage resourceTip(const char* name) { return QImage(QString(TOLLIVAR_SOURCE_DIR) + "/resources/images/" + name); }

// A ring: rows with two solid runs around a clear hole, and a soft rim
// inside and out.
QImage ringTip(int size) {
    return radialTip(size, [size](double d) { return std::min(size / 2.0 - d, d - size / 4.0); });
}

// Premultiplied texels of every value, colours never above their alpha.
QImage noisyTip(int size) {
    std::mt19937 random(11);
    QImage tip(size, size, QImage::Format_RGBA8888_Premultiplied);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uchar* p = tip.scanLine(y) + x * 4;
            p[3] = static_cast<uchar>(random() & 0xFF);
            for (int c = 0; c < 3; ++c) p[c] = static_cast<uchar>(random() % (p[3] + 1u));
        }
    }
    return tip;
}

// The sprites a drag draws: the bench's zigzag through the painting rules.
std::vector<CanvasSprite> dragSprites(int samples, int64_t brushSize, double speed) {
    std::vector<CanvasSprite> sprites;
    std::vector<LinePoint> pending;
    std::vector<float> velocities;
    for (int i = 0; i <= samples; ++i) {
        double t = i * 2.5;
        graphics::Point p{40 + std::fmod(t, 300.0), 150 + 90 * std::sin(t / 40)};
        float width = paintingrules::extractSize({speed, 0}, velocities);
        pending.push_back({width, p});
        if (i < 2) continue;
        std::optional<std::vector<LinePoint>> smoothed = paintingrules::calculateSmoothLinePoints(pending);
        for (const LinePoint& sample : *smoothed)
            sprites.push_back({static_cast<float>(sample.pos.x), static_cast<float>(sample.pos.y),
                               *paintingrules::pointSize(kBrushTypeBrush, brushSize, sample.width)});
    }
    return sprites;
}

struct Pass {
    QImage tip;
    float colour[4];
    StampCanvas::Blend blend;
    std::vector<CanvasSprite> sprites;
};

// The same passes through the ES 1.1 point-sprite pipeline the canvas used
// to draw with, read back top row first.
QImage drawnByGL(const std::vector<Pass>& passes, int width, int height) {
    auto surface = CanvasSurface::create();
    EXPECT_TRUE(surface.ok());
    if (!surface.ok()) return {};
    CanvasSurface& gl = **surface;
    EXPECT_TRUE(gl.createFramebuffer(width, height));
    glDisable(GL_DITHER);
    glEnable(GL_TEXTURE_2D);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnable(GL_BLEND);
    glEnable(GL_POINT_SPRITE_OES);
    glTexEnvf(GL_POINT_SPRITE_OES, GL_COORD_REPLACE_OES, GL_TRUE);
    gl.clear();
    std::vector<graphics::Image> tips;  // kept alive: textures are cached by picture
    for (const Pass& pass : passes) {
        tips.emplace_back(pass.tip);
        glBindTexture(GL_TEXTURE_2D, gl.textureFor(tips.back()));
        glColor4f(pass.colour[0], pass.colour[1], pass.colour[2], pass.colour[3]);
        glBlendFunc(pass.blend == StampCanvas::Blend::Over ? GL_ONE : GL_ZERO, GL_ONE_MINUS_SRC_ALPHA);
        gl.drawSprites(pass.sprites, true);
    }
    return gl.readImage(width, height).bitmap();
}

QImage stamped(const std::vector<Pass>& passes, int width, int height) {
    StampCanvas canvas;
    EXPECT_TRUE(canvas.resize(width, height));
    for (const Pass& pass : passes) {
        canvas.setTip(graphics::Image(pass.tip));
        canvas.setColour(pass.colour[0], pass.colour[1], pass.colour[2], pass.colour[3]);
        canvas.setBlend(pass.blend);
        canvas.drawSprites(pass.sprites);
    }
    return canvas.readImage(width, height).bitmap();
}

TEST(StampCanvas, StampsWithinOneLevelOfTheGLPipeline) {
    using B = StampCanvas::Blend;
    const QImage particle = resourceTip("Particle_test.png"), pen = resourceTip("Brush.png");
    ASSERT_FALSE(particle.isNull());
    ASSERT_FALSE(pen.isNull());
    const float slot0[4] = {228 / 255.f, 73 / 255.f, 19 / 255.f, 1};
    struct Case {
        const char* name;
        std::vector<Pass> passes;
    };
    // Taps as the painting rules make them: whole-pixel and fractional centres.
    std::vector<CanvasSprite> taps;
    for (int k = 0; k < 40; ++k) taps.push_back({20.0f + 7 * k + (k % 3) * 0.5f, 30.0f + 5 * k + k * 0.37f, 15});
    std::vector<CanvasSprite> sizes;  // from under a pixel to 200 px
    for (int k = 0; k < 24; ++k) sizes.push_back({40.0f + 11.3f * k, 150.0f + (k % 5) * 13.7f, 0.5f + k * k * 0.35f});
    const std::vector<CanvasSprite> drag = dragSprites(120, 2, 2490);
    const std::vector<Case> cases = {
        {"soft tip drag", {{softTip(32), {slot0[0], slot0[1], slot0[2], 1}, B::Over, drag}}},
        {"particle tip drag", {{particle, {0.9f, 0.3f, 0.1f, 1}, B::Over, dragSprites(120, 3, 900)}}},
        {"particle big", {{particle, {slot0[0], slot0[1], slot0[2], 1}, B::Over, dragSprites(120, 3, 2490)}}},
        {"soft colour", {{softTip(32), {0.9f, 0.3f, 0.1f, 1}, B::Over, drag}}},
        {"pen tip taps", {{pen, {0.2f, 0.6f, 0.85f, 1}, B::Over, taps}}},
        {"square tips of alpha 10", {{tip(10).bitmap(), {slot0[0], slot0[1], slot0[2], 1}, B::Over, taps}}},
        {"sizes", {{softTip(64), {0.5f, 0.25f, 1, 1}, B::Over, sizes}}},
        {"noisy tip", {{noisyTip(16), {0.7f, 0.8f, 0.3f, 1}, B::Over, sizes}}},
        {"ring tip",
         {{ringTip(40), {0.25f, 0.5f, 0.75f, 1}, B::Over, sizes}, {ringTip(40), {1, 1, 1, 0.4f}, B::Over, taps}}},
        {"eraser over paint",
         {{pen, {slot0[0], slot0[1], slot0[2], 1}, B::Over, taps}, {softTip(64), {0, 0, 0, 0.5f}, B::Erase, drag}}},
    };
    for (const Case& c : cases) {
        QImage gl = drawnByGL(c.passes, 400, 300);
        QImage ours = stamped(c.passes, 400, 300);
        ASSERT_EQ(gl.size(), ours.size()) << c.name;
        int worst = 0, differing = 0, painted = 0;
        for (int y = 0; y < gl.height(); ++y) {
            for (int x = 0; x < gl.width() * 4; ++x) {
                int d = std::abs(gl.constScanLine(y)[x] - ours.constScanLine(y)[x]);
                worst = std::max(worst, d);
                differing += d > 0;
                painted += x % 4 == 3 && ours.constScanLine(y)[x] > 0;
            }
        }
        EXPECT_LE(worst, 1) << c.name << " differing " << differing;
        EXPECT_LT(differing, 400 * 300 * 4 / 100) << c.name;  // a rounding here and there
        EXPECT_GT(painted, 2000) << c.name;
    }
}

// FNV-1a over every byte of a picture.
uint64_t pixelHash(const QImage& picture) {
    uint64_t hash = 1469598103934665603ull;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width() * 4; ++x) hash = (hash ^ picture.constScanLine(y)[x]) * 1099511628211ull;
    return hash;
}

// Strokes of every kind the canvas stamps: soft, solid, noisy and ring tips,
// opaque and translucent colours, erasing, sizes from under a pixel to
// larger than the canvas, and stamps hanging off every edge.
std::vector<std::pair<const char*, std::vector<Pass>>> strokeTable() {
    using B = StampCanvas::Blend;
    const QImage particle = resourceTip("Particle_test.png");
    std::vector<CanvasSprite> edges;  // centres on and beyond every edge
    for (int k = 0; k < 30; ++k)
        edges.push_back({-12.0f + 14.1f * k, k % 2 ? -3.3f + 0.4f * k : 303.7f - 0.9f * k, 9.5f + float(k % 6) * 3});
    std::vector<CanvasSprite> sizes;
    for (int k = 0; k < 24; ++k) sizes.push_back({40.0f + 11.3f * k, 150.0f + (k % 5) * 13.7f, 0.5f + k * k * 0.35f});
    std::vector<CanvasSprite> fine = dragSprites(150, 2, 2490);
    for (CanvasSprite& s : fine) s.size = 3.5f;
    const std::vector<CanvasSprite> drag = dragSprites(150, 2, 2490);
    const std::vector<CanvasSprite> slow = dragSprites(150, 3, 700);
    return {
        {"soft tip, opaque", {{softTip(32), {228 / 255.f, 73 / 255.f, 19 / 255.f, 1}, B::Over, drag}}},
        {"soft tip, translucent", {{softTip(32), {0.2f, 0.6f, 0.85f, 0.45f}, B::Over, slow}}},
        {"particle tip", {{particle, {0.9f, 0.3f, 0.1f, 1}, B::Over, slow}}},
        {"noisy tip", {{noisyTip(16), {0.7f, 0.8f, 0.3f, 1}, B::Over, drag}}},
        {"ring tip", {{ringTip(40), {0.25f, 0.5f, 0.75f, 1}, B::Over, slow}}},
        {"solid square tip", {{tip(255).bitmap(), {1, 0.5f, 0, 1}, B::Over, fine}}},
        {"sizes and edges",
         {{softTip(64), {0.5f, 0.25f, 1, 1}, B::Over, sizes}, {softTip(16), {1, 1, 0, 1}, B::Over, edges}}},
        {"erased",
         {{softTip(32), {0.1f, 0.9f, 0.4f, 1}, B::Over, drag},
          {softTip(64), {0, 0, 0, 0.5f}, B::Erase, slow},
          {noisyTip(16), {0, 0, 0, 1}, B::Erase, sizes}}},
    };
}

TEST(StampCanvas, StrokeTableKeepsItsPixels) {
    // Hashes of the pictures as the canvas has always stamped them, so a
    // faster stamp that changes a single byte shows here.
    const std::map<std::string, uint64_t> expected = {
        {"soft tip, opaque", 0x3c70b2bde3146722ull}, {"soft tip, translucent", 0x9978fe260d4ce130ull},
        {"particle tip", 0xbafeb1c616a6d2e6ull},     {"noisy tip", 0xb8e476bd3ac24245ull},
        {"ring tip", 0xd1a6329fe7fa354cull},         {"solid square tip", 0x10b27aea7f740afdull},
        {"sizes and edges", 0xe1c9348263dddb95ull},  {"erased", 0xbb0cbac6216d3953ull},
    };
    for (const auto& [name, passes] : strokeTable()) {
        const QImage ours = stamped(passes, 400, 300);
        EXPECT_EQ(pixelHash(ours), expected.at(name)) << name;
    }
}

TEST(StampCanvas, StampsDrawnTogetherMatchStampsDrawnOneByOne) {
    // Drawn together, a stamp skips pixels a later stamp paints over with an
    // opaque colour; drawn one call each, nothing is skipped.
    for (const auto& [name, passes] : strokeTable()) {
        std::vector<Pass> single;
        for (const Pass& pass : passes)
            for (const CanvasSprite& sprite : pass.sprites)
                single.push_back(
                    {pass.tip, {pass.colour[0], pass.colour[1], pass.colour[2], pass.colour[3]}, pass.blend, {sprite}});
        EXPECT_EQ(pixelHash(stamped(passes, 400, 300)), pixelHash(stamped(single, 400, 300))) << name;
    }
}

TEST(StampCanvas, LargeAndOffCanvasStampsShowTheTipNotOneTexel) {
    // GL drew these as quads that sampled a single texel of the tip.
    struct Case {
        CanvasSprite sprite;
        int paintedX, paintedY;  // inside the disc (picture rows from the top)
        int clearX, clearY;      // inside the square, outside the disc
    };
    for (const Case& c : {
             Case{{200, 150, 280}, 200, 150, 70, 20},  // larger than any GL point
             Case{{-20, 150, 80}, 5, 150, 0, 110},     // centred left of the canvas
             Case{{200, 305, 40}, 200, 0, 185, 14},    // centred above the top
         }) {
        StampCanvas canvas;
        ASSERT_TRUE(canvas.resize(400, 300));
        canvas.setTip(graphics::Image(softTip(32)));
        canvas.setColour(1, 0, 0, 1);
        canvas.drawSprites({c.sprite});
        graphics::Image picture = canvas.readImage(400, 300);
        EXPECT_EQ(pixel(picture, c.paintedX, c.paintedY), (RGBA{255, 0, 0, 255})) << c.sprite.x << "," << c.sprite.y;
        EXPECT_TRUE(isClear(pixel(picture, c.clearX, c.clearY))) << c.sprite.x << "," << c.sprite.y;
    }
}

TEST(StampCanvas, ChannelsAboveAlphaSaturateAtFullInsteadOfSpilling) {
    // Tip bytes that were never premultiplied, or a colour above its alpha:
    // stamped twice, every channel stops at 255 and alpha adds up.
    QImage raw(8, 8, QImage::Format_RGBA8888_Premultiplied);
    raw.fill(QColor::fromRgba64(0, 0, 0, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) std::memcpy(raw.scanLine(y) + x * 4, "\xF0\xF0\xF0\x40", 4);
    struct Case {
        QImage tip;
        float colour[4];
        RGBA expected;  // e.g. 240 + 240 × 191 / 255 → 255; alpha 64 + 64 × 191 / 255 = 112
    };
    for (const Case& c : {Case{raw, {1, 1, 1, 1}, {255, 255, 255, 112}},
                          Case{tip(255).bitmap(), {1, 0.5f, 0, 0.25f}, {255, 224, 0, 112}}}) {
        StampCanvas canvas;
        ASSERT_TRUE(canvas.resize(20, 20));
        canvas.setTip(graphics::Image(c.tip));
        canvas.setColour(c.colour[0], c.colour[1], c.colour[2], c.colour[3]);
        canvas.drawSprites({{10, 10, 8}, {10, 10, 8}});
        EXPECT_EQ(pixel(canvas.readImage(20, 20), 10, 10), c.expected) << c.colour[3];
    }
}

TEST(StampCanvas, IgnoresSpritesItCannotPlaceAndCanvasesWithoutPixels) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    StampCanvas canvas;
    EXPECT_FALSE(canvas.resize(0, 10));
    EXPECT_FALSE(canvas.hasPixels());
    canvas.setTip(tip(255));
    canvas.drawSprites({{5, 5, 10}});  // no pixels: nothing happens
    EXPECT_TRUE(canvas.readImage(10, 10).isNull());
    ASSERT_TRUE(canvas.resize(50, 40));
    canvas.setColour(nan, 2, -1, 1);  // out of range: clamped, NaN as 0
    for (CanvasSprite sprite :
         {CanvasSprite{nan, 5, 10}, CanvasSprite{5, inf, 10}, CanvasSprite{5, 5, nan}, CanvasSprite{1e9f, 5, 10}}) {
        canvas.drawSprites({sprite});
        EXPECT_EQ(boxOf(canvas.readImage(50, 40), [](RGBA p) { return !isClear(p); }).count, 0) << sprite.x;
    }
    canvas.drawSprites({{25, 20, 1e30f}});  // larger than the canvas: covers it all
    graphics::Image all = canvas.readImage(50, 40);
    EXPECT_EQ(boxOf(all, [](RGBA p) { return p == RGBA{0, 255, 0, 255}; }).count, 50 * 40);
}

}  // namespace
