// Compositing view trees into pictures: transforms, group opacity, clipping,
// perspective, contents, borders, shadows and cached drawing.

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Transform3D.h"
#include "platform/ui/View.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/compositing/DisplayList.h"
#include "platform/ui/compositing/Render.h"
#include "support/Process.h"
#include "support/VirtualClock.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <QThread>
#include <QThreadPool>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>

using graphics::AffineTransform;
using graphics::Color;
using graphics::Image;
using graphics::Rect;
using graphics::RGBA;
using graphics::Transform3D;
using ui::View;
using ui::ViewPtr;

namespace {

ViewPtr addView(View& parent, const Rect& frame, std::optional<Color> background) {
    auto view = ui::makeView(frame);
    view->setBackgroundColor(background);
    parent.addSubview(view);
    return view;
}

// Pixel colour within a tolerance per channel; names the point when it fails.
::testing::AssertionResult pixelIs(const Image& image, int x, int y, RGBA expected, int tolerance = 3) {
    RGBA p = image.pixelAt(x, y);
    auto close = [&](int a, int b) { return std::abs(a - b) <= tolerance; };
    if (close(p.r, expected.r) && close(p.g, expected.g) && close(p.b, expected.b) && close(p.a, expected.a))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << int(p.r) << "," << int(p.g) << ","
                                         << int(p.b) << "," << int(p.a) << " instead of " << int(expected.r) << ","
                                         << int(expected.g) << "," << int(expected.b) << "," << int(expected.a);
}

constexpr RGBA kWhite{255, 255, 255, 255};
constexpr RGBA kRed{255, 0, 0, 255};
constexpr RGBA kBlue{0, 0, 255, 255};
constexpr RGBA kYellow{255, 255, 0, 255};
constexpr RGBA kClear{0, 0, 0, 0};

std::string savePng(const Image& image, const std::string& name) {
    auto data = image.pngData();
    EXPECT_TRUE(data.ok());
    std::string path = testsupport::artifactsDirectory() + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.value().data()), static_cast<std::streamsize>(data.value().size()));
    return path;
}

// A view that draws itself and counts how often it had to.
class CountingView : public View {
public:
    explicit CountingView(const Rect& frame) : View(frame) { setDrawsContent(true); }
    void drawRect(graphics::GraphicsContext& context, const Rect&) override {
        ++draws;
        context.setFillColor(Color::red());
        context.fillRect(Rect(0, 0, bounds().size.width / 2, bounds().size.height));
    }
    int draws = 0;
};

}  // namespace

TEST(RenderTest, ComposesTransformsGroupOpacityRoundedClipsAndPerspective) {
    testsupport::VirtualClockScope clock;
    auto root = ui::makeView(Rect(0, 0, 200, 200));
    root->setBackgroundColor(Color::white());

    // Nested transforms: a container turned a quarter clockwise, holding a
    // red half and a blue half that is itself shrunk to half size.
    auto turned = addView(*root, Rect(20, 20, 80, 40), std::nullopt);
    addView(*turned, Rect(0, 0, 40, 40), Color::red());
    auto shrunk = addView(*turned, Rect(40, 0, 40, 40), Color::blue());
    shrunk->setTransform(AffineTransform::makeScale(0.5, 0.5));
    turned->setTransform(AffineTransform::makeRotation(std::numbers::pi / 2));

    // Group opacity: a half-transparent blue square with a green child that
    // overlaps it and sticks out.
    auto faded = addView(*root, Rect(110, 10, 60, 60), Color::blue());
    addView(*faded, Rect(20, 20, 60, 60), Color::green());
    faded->setAlpha(0.5);

    // A rounded clip: the red child is larger than its parent on every side.
    auto clip = addView(*root, Rect(10, 110, 80, 80), Color::black());
    clip->setClipsToBounds(true);
    clip->layer().setCornerRadius(20);
    addView(*clip, Rect(-20, -20, 120, 120), Color::red());

    // A card turned 60° about the vertical axis, seen in perspective.
    auto card = addView(*root, Rect(110, 110, 80, 80), Color::yellow());
    Transform3D perspective;
    perspective.m34 = -1.0 / 500;
    card->layer().setTransform(graphics::concat(Transform3D::makeRotation(std::numbers::pi / 3, 0, 1, 0), perspective));

    std::string path = savePng(ui::renderView(*root, 1.0), "ui-render-composition.png");
    // The pixels are checked as the PNG file holds them.
    auto loaded = Image::load(path);
    ASSERT_TRUE(loaded.ok());
    const Image& image = loaded.value();
    ASSERT_EQ(image.pixelWidth(), 200);
    ASSERT_EQ(image.pixelHeight(), 200);

    // Turned container: red on top, the shrunk blue square below, nothing else.
    EXPECT_TRUE(pixelIs(image, 60, 20, kRed));
    EXPECT_TRUE(pixelIs(image, 60, 60, kBlue));
    EXPECT_TRUE(pixelIs(image, 60, 75, kWhite));
    EXPECT_TRUE(pixelIs(image, 45, 60, kWhite));
    EXPECT_TRUE(pixelIs(image, 25, 30, kWhite));  // where the unturned container would be

    // Half of blue, half of green, over white; the overlap shows green only.
    EXPECT_TRUE(pixelIs(image, 120, 20, RGBA{127, 127, 255, 255}, 2));
    EXPECT_TRUE(pixelIs(image, 150, 50, RGBA{127, 255, 127, 255}, 2));
    EXPECT_TRUE(pixelIs(image, 185, 85, RGBA{127, 255, 127, 255}, 2));

    // Clipped to the rounded rectangle: corners and outside stay white.
    EXPECT_TRUE(pixelIs(image, 50, 150, kRed));
    EXPECT_TRUE(pixelIs(image, 12, 112, kWhite));
    EXPECT_TRUE(pixelIs(image, 87, 187, kWhite));
    EXPECT_TRUE(pixelIs(image, 5, 150, kWhite));
    EXPECT_TRUE(pixelIs(image, 12, 150, kRed));  // the straight edge is not rounded

    // Perspective: the near edge (left) is at about x 128.5 and taller than
    // the card, the far edge at about x 168.7 and shorter.
    EXPECT_TRUE(pixelIs(image, 135, 150, kYellow));
    EXPECT_TRUE(pixelIs(image, 125, 150, kWhite));
    EXPECT_TRUE(pixelIs(image, 165, 150, kYellow));
    EXPECT_TRUE(pixelIs(image, 172, 150, kWhite));
    EXPECT_TRUE(pixelIs(image, 131, 109, kYellow));  // above the card's flat top edge
    EXPECT_TRUE(pixelIs(image, 166, 111, kWhite));   // below it

    // The written file is a sound PNG of that size to an outside reader.
    auto check = testsupport::runPython(R"(
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
assert data[:8] == b'\x89PNG\r\n\x1a\n'
pos, idat, size = 8, b'', None
while pos < len(data):
    length, kind = struct.unpack('>I4s', data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    assert zlib.crc32(kind + body) == struct.unpack('>I', data[pos + 8 + length:pos + 12 + length])[0]
    if kind == b'IHDR': size = struct.unpack('>II', body[:8])
    if kind == b'IDAT': idat += body
    pos += 12 + length
zlib.decompress(idat)
print(size[0], size[1])
)",
                                        {path});
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_EQ(check.output, "200 200\n");
}

TEST(RenderTest, NestedGroupsBlendEachAsAWhole) {
    testsupport::VirtualClockScope clock;
    auto root = ui::makeView(Rect(0, 0, 60, 60));
    root->setBackgroundColor(Color::white());
    // Three half-transparent groups inside each other, each with a background
    // and an opaque child covering it.
    auto outer = addView(*root, Rect(0, 0, 60, 60), Color::red());
    auto middle = addView(*outer, Rect(0, 0, 60, 60), Color::blue());
    auto inner = addView(*middle, Rect(0, 0, 60, 60), Color::black());
    addView(*inner, Rect(0, 0, 60, 60), Color::green());
    addView(*inner, Rect(30, 0, 30, 60), Color::green());
    for (const ViewPtr& group : {outer, middle, inner}) group->setAlpha(0.5);

    Image image = ui::renderView(*root);
    // inner: green; middle: blue with green at half = (0, .5, .5); outer: red
    // with that at half = (.5, .25, .25); over white at half = (.75, .625, .625).
    EXPECT_TRUE(pixelIs(image, 10, 30, RGBA{191, 159, 159, 255}, 2));
    EXPECT_TRUE(pixelIs(image, 45, 30, RGBA{191, 159, 159, 255}, 2));
}

TEST(RenderTest, GroupsUseTheFullResolutionOfAHighDensityDevice) {
    testsupport::VirtualClockScope clock;
    auto root = ui::makeView(Rect(0, 0, 20, 20));
    auto group = addView(*root, Rect(0, 0, 20, 20), Color::blue());
    addView(*group, Rect(10, 0, 0.5, 20), Color::red());  // half a point: one device pixel
    group->setAlpha(0.5);

    QImage device(40, 40, QImage::Format_ARGB32_Premultiplied);
    device.setDevicePixelRatio(2);
    device.fill(Qt::white);
    {
        QPainter painter(&device);
        ui::Compositor compositor;
        compositor.render(*root, painter, 2.0);
    }
    Image image(device);
    EXPECT_TRUE(pixelIs(image, 20, 10, RGBA{255, 127, 127, 255}, 2));
    EXPECT_TRUE(pixelIs(image, 21, 10, RGBA{127, 127, 255, 255}, 2));
    EXPECT_TRUE(pixelIs(image, 19, 10, RGBA{127, 127, 255, 255}, 2));
}

TEST(RenderTest, ContentsFollowTheContentMode) {
    testsupport::VirtualClockScope clock;
    auto view = ui::makeView(Rect(0, 0, 100, 100));
    view->layer().setContents(Image::filled(40, 20, kRed));

    view->setContentMode(ui::ContentMode::ScaleAspectFit);  // 100 × 50, centred
    Image fit = ui::renderView(*view);
    EXPECT_TRUE(pixelIs(fit, 50, 20, kClear));
    EXPECT_TRUE(pixelIs(fit, 50, 30, kRed));
    EXPECT_TRUE(pixelIs(fit, 50, 70, kRed));
    EXPECT_TRUE(pixelIs(fit, 50, 80, kClear));

    view->setContentMode(ui::ContentMode::Center);  // 40 × 20 at (30, 40)
    Image centred = ui::renderView(*view);
    EXPECT_TRUE(pixelIs(centred, 31, 41, kRed));
    EXPECT_TRUE(pixelIs(centred, 28, 50, kClear));
    EXPECT_TRUE(pixelIs(centred, 50, 62, kClear));

    view->setContentMode(ui::ContentMode::BottomRight);
    Image corner = ui::renderView(*view);
    EXPECT_TRUE(pixelIs(corner, 99, 99, kRed));
    EXPECT_TRUE(pixelIs(corner, 59, 79, kClear));

    // Aspect fill overflows the bounds unless the view clips: seen through a
    // 60 point wide window onto a 100 point view that sits in a wider parent.
    auto parent = ui::makeView(Rect(0, 0, 200, 100));
    auto filled = addView(*parent, Rect(50, 0, 100, 100), std::nullopt);
    filled->layer().setContents(Image::filled(40, 20, kRed));
    filled->setContentMode(ui::ContentMode::ScaleAspectFill);  // 200 × 100 centred on the view
    Image overflowing = ui::renderView(*parent);
    EXPECT_TRUE(pixelIs(overflowing, 10, 50, kRed));
    filled->setClipsToBounds(true);
    Image clipped = ui::renderView(*parent);
    EXPECT_TRUE(pixelIs(clipped, 10, 50, kClear));
    EXPECT_TRUE(pixelIs(clipped, 60, 50, kRed));
}

TEST(RenderTest, BordersAndShadows) {
    testsupport::VirtualClockScope clock;
    auto root = ui::makeView(Rect(0, 0, 120, 120));
    root->setBackgroundColor(Color::white());
    auto boxed = addView(*root, Rect(10, 10, 40, 40), Color::blue());
    boxed->layer().setBorderWidth(4);
    boxed->layer().setBorderColor(Color::red());
    addView(*boxed, Rect(0, 0, 40, 40), Color::yellow());  // the border lies over subviews

    auto shadowed = addView(*root, Rect(60, 10, 40, 40), Color::blue());
    shadowed->layer().setShadowOpacity(1);
    shadowed->layer().setShadowRadius(0);
    shadowed->layer().setShadowOffset({0, 20});
    shadowed->layer().setShadowColor(Color::black());

    auto soft = addView(*root, Rect(10, 70, 40, 40), Color::blue());
    soft->layer().setShadowOpacity(0.5);
    soft->layer().setShadowRadius(6);
    soft->layer().setShadowOffset({5, 5});

    Image image = ui::renderView(*root);
    savePng(image, "ui-render-borders-shadows.png");
    EXPECT_TRUE(pixelIs(image, 11, 30, kRed));
    EXPECT_TRUE(pixelIs(image, 48, 30, kRed));
    EXPECT_TRUE(pixelIs(image, 30, 30, kYellow));
    EXPECT_TRUE(pixelIs(image, 30, 15, kYellow));

    EXPECT_TRUE(pixelIs(image, 80, 30, kBlue));
    EXPECT_TRUE(pixelIs(image, 80, 65, RGBA{0, 0, 0, 255}));  // the hard shadow below
    EXPECT_TRUE(pixelIs(image, 80, 75, kWhite));              // and where it ends
    EXPECT_TRUE(pixelIs(image, 55, 45, kWhite));

    // A soft shadow fades out: darker near the edge than further away.
    RGBA nearEdge = image.pixelAt(52, 100), further = image.pixelAt(60, 100);
    EXPECT_LT(nearEdge.r, 200);
    EXPECT_GT(further.r, nearEdge.r);
    EXPECT_TRUE(pixelIs(image, 30, 90, kBlue));
}

TEST(RenderTest, PatternBackgroundsTileFromTheLayersCorner) {
    testsupport::VirtualClockScope clock;
    // A 2×2 point tile at scale 2: a red 2×2-pixel square in its top left.
    QImage tile(4, 4, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::white);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) tile.setPixel(x, y, qRgb(255, 0, 0));
    auto root = ui::makeView(Rect(0, 0, 20, 20));
    addView(*root, Rect(5, 5, 10, 10), Color::pattern(Image(tile, 2.0)));
    Image image = ui::renderView(*root);
    // Every other point is red, counted from the view's corner at (5, 5).
    EXPECT_TRUE(pixelIs(image, 5, 5, kRed));
    EXPECT_TRUE(pixelIs(image, 6, 5, kWhite));
    EXPECT_TRUE(pixelIs(image, 7, 7, kRed));
    EXPECT_TRUE(pixelIs(image, 8, 7, kWhite));
    EXPECT_TRUE(pixelIs(image, 4, 5, kClear));
}

TEST(RenderTest, DrawsWhatIsOnScreenDuringAnAnimation) {
    testsupport::VirtualClockScope clock;
    auto root = ui::makeView(Rect(0, 0, 100, 20));
    auto box = addView(*root, Rect(0, 0, 20, 20), Color::red());
    ui::animate(1.0, 0, ui::AnimationOptionCurveLinear, [&] {
        box->setCenter({90, 10});
        box->setAlpha(0.5);
    });
    foundation::RunLoop::main().advance(0.5);
    Image half = ui::renderView(*root);
    // Centre at 50 and alpha 0.75 halfway.
    EXPECT_TRUE(pixelIs(half, 50, 10, RGBA{255, 0, 0, 191}, 2));
    EXPECT_TRUE(pixelIs(half, 5, 10, kClear));
    EXPECT_TRUE(pixelIs(half, 85, 10, kClear));
    foundation::RunLoop::main().advance(0.5);
    Image end = ui::renderView(*root);
    EXPECT_TRUE(pixelIs(end, 85, 10, RGBA{255, 0, 0, 128}, 2));
}

TEST(RenderTest, DrawnContentsAreCachedUntilMarkedStale) {
    testsupport::VirtualClockScope clock;
    auto root = ui::makeView(Rect(0, 0, 100, 100));
    auto drawn = std::make_shared<CountingView>(Rect(0, 0, 40, 20));
    root->addSubview(drawn);
    auto hidden = std::make_shared<CountingView>(Rect(50, 50, 40, 20));
    hidden->setHidden(true);
    root->addSubview(hidden);

    Image first = ui::renderView(*root);
    EXPECT_EQ(drawn->draws, 1);
    EXPECT_EQ(hidden->draws, 0);  // drawn only once it shows
    EXPECT_TRUE(pixelIs(first, 10, 10, kRed));
    EXPECT_TRUE(pixelIs(first, 30, 10, kClear));
    EXPECT_TRUE(pixelIs(first, 60, 60, kClear));

    drawn->setCenter({50, 50});
    ui::renderView(*root);
    EXPECT_EQ(drawn->draws, 1);  // moving does not redraw
    drawn->setNeedsDisplay();
    ui::renderView(*root);
    EXPECT_EQ(drawn->draws, 2);
    hidden->setHidden(false);
    ui::renderView(*root);
    EXPECT_EQ(hidden->draws, 1);

    // A new scale means new pixels; the picture doubles.
    Image doubled = ui::renderView(*root, 2.0);
    EXPECT_EQ(drawn->draws, 3);
    EXPECT_EQ(doubled.pixelWidth(), 200);
    EXPECT_EQ(doubled.scale(), 2.0);
    EXPECT_TRUE(pixelIs(doubled, 2 * 35, 2 * 45, kRed));
    EXPECT_TRUE(pixelIs(doubled, 2 * 65, 2 * 45, kClear));
}

TEST(RenderTest, RendersIntoAContextAtItsTransform) {
    testsupport::VirtualClockScope clock;
    auto view = ui::makeView(Rect(0, 0, 20, 20));
    view->setBackgroundColor(Color::blue());
    view->setBounds(Rect(10, 10, 20, 20));  // the bounds origin is the picture's top left
    addView(*view, Rect(10, 10, 10, 10), Color::red());
    graphics::GraphicsContext context({60, 60}, 2.0);
    context.translate(30, 30);
    ui::renderViewInContext(*view, context);
    Image image = context.makeImage();
    EXPECT_TRUE(pixelIs(image, 2 * 35, 2 * 35, kRed));
    EXPECT_TRUE(pixelIs(image, 2 * 45, 2 * 45, kBlue));
    EXPECT_TRUE(pixelIs(image, 2 * 25, 2 * 25, kClear));
    EXPECT_TRUE(pixelIs(image, 2 * 51, 2 * 45, kClear));

    // An empty view renders to nothing rather than failing.
    auto empty = ui::makeView(Rect(0, 0, 0, 10));
    EXPECT_TRUE(ui::renderView(*empty).isNull());
}

// ---- frame after frame -------------------------------------------------------------------

namespace {

// A window host's frame: the compositor's kept picture over a cleared target.
QImage hostFrame(ui::Compositor& compositor, View& root) {
    QImage target(200, 150, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    compositor.render(root, painter, 1.0);
    painter.end();
    return target;
}

// The picture drawn from nothing, for comparison.
QImage freshFrame(View& root) { return ui::Compositor().render(root, 1.0).bitmap(); }

::testing::AssertionResult sameFrame(const QImage& kept, const QImage& fresh) {
    if (kept.size() != fresh.size()) return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < kept.height(); ++y)
        for (int x = 0; x < kept.width(); ++x)
            if (kept.pixel(x, y) != fresh.pixel(x, y))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << QString::number(kept.pixel(x, y), 16).toStdString()
                       << " instead of " << QString::number(fresh.pixel(x, y), 16).toStdString();
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(RenderTest, KeptFramesRedrawEverythingThatChanged) {
    testsupport::VirtualClockScope clock;
    auto root = ui::makeView(Rect(0, 0, 200, 150));
    root->setBackgroundColor(Color::white());
    auto mover = addView(*root, Rect(10, 10, 30, 30), Color::red());
    auto clip = addView(*root, Rect(60, 10, 60, 60), Color::lightGray());
    clip->setClipsToBounds(true);
    clip->layer().setCornerRadius(8);
    auto scrolled = addView(*clip, Rect(10, 10, 30, 80), Color::blue());
    auto shadowed = addView(*root, Rect(140, 20, 30, 30), Color::green());
    shadowed->layer().setShadowOpacity(0.8);
    shadowed->layer().setShadowRadius(4);
    auto faded = addView(*root, Rect(20, 90, 60, 40), Color::blue());
    addView(*faded, Rect(20, 10, 60, 20), Color::yellow());
    faded->setAlpha(0.6);

    ui::Compositor compositor;
    EXPECT_TRUE(sameFrame(hostFrame(compositor, *root), freshFrame(*root)));
    EXPECT_TRUE(sameFrame(hostFrame(compositor, *root), freshFrame(*root))) << "nothing changed";

    // Each change, and the frame after it, must look as if drawn from nothing.
    std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"move",
         [&] {
             mover->setCenter({100, 120});
         }},
        {"colour", [&] { mover->setBackgroundColor(Color::purple()); }},
        {"scroll", [&] { clip->setBounds(Rect(0, 25, 60, 60)); }},
        {"turn", [&] { scrolled->setTransform(AffineTransform::makeRotation(0.3)); }},
        {"shadow",
         [&] {
             shadowed->setCenter({150, 100});
         }},
        {"group alpha", [&] { faded->setAlpha(0.3); }},
        {"add", [&] { addView(*faded, Rect(0, 0, 10, 10), Color::black()); }},
        {"remove", [&] { mover->removeFromSuperview(); }},
        {"hide", [&] { clip->setHidden(true); }},
        {"animate",
         [&] {
             ui::animate(1.0, 0, ui::AnimationOptionCurveLinear, [&] { shadowed->setCenter({20, 20}); });
             foundation::RunLoop::main().advance(0.4);
         }},
        {"animation goes on", [&] { foundation::RunLoop::main().advance(0.3); }},
    };
    for (auto& [name, change] : changes) {
        change();
        EXPECT_TRUE(sameFrame(hostFrame(compositor, *root), freshFrame(*root))) << name;
    }
}

// Playback runs on a thread of Qt's pool while the caller waits: what the
// caller set up is there for the worker, and what the worker did is there for
// the caller afterwards (under ThreadSanitizer this checks the hand-over).
TEST(RenderTest, PlaybackOffThreadHandsTheCallersMemoryOverBothWays) {
    QImage target(8, 8, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    QPainter painter(&target);
    const std::vector<int> handedIn{1, 2, 3};
    std::vector<int> handedOut;
    bool onPoolThread = false;
    ui::detail::paintOffThread(painter, [&] {
        onPoolThread = QThreadPool::globalInstance()->contains(QThread::currentThread());
        handedOut = handedIn;
        painter.fillRect(0, 0, 8, 8, Qt::red);
    });
    painter.end();
    EXPECT_TRUE(onPoolThread);
    EXPECT_EQ(handedOut, handedIn);
    EXPECT_EQ(target.pixel(4, 4), qRgb(255, 0, 0));
}
