// Compositing a 1024×768 view tree of 300 views (pictures, text, rounded and
// bordered boxes, half-transparent groups) frame after frame while 60 of them
// move, turn and fade, as a busy screen does. The reference is hand-written
// QPainter code on the calling thread that draws the layers' backgrounds and
// contents straight from the tree (no clips, borders or groups), as a screen
// painting itself directly would. Prints frames per second for both and the
// ratio (how many times faster the compositor is); the target is 60 frames per
// second and no slower than the direct painting. Then a quiet screen where only
// two views move, where the compositor redraws little more than those two.
// Captions are drawn once and then reused: the count of redraws after the
// first frame should be 0.

#include "BenchSupport.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/View.h"
#include "platform/ui/compositing/Render.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using graphics::Color;
using graphics::Rect;

namespace {

constexpr int kViews = 300;
constexpr int kFrames = 240;
constexpr size_t kMovingViews = 60;
// A quiet screen: two of the views move, nothing else.
constexpr size_t kQuietMovingViews = 2;
constexpr double kTargetFps = 60;
// Kept layers must at least pay for the clips, borders and groups that the
// direct painting leaves out.
constexpr double kTargetSpeedUp = 1.0;

// A caption drawn through the graphics context, as labels draw.
class TextView : public ui::View {
public:
    TextView(const Rect& frame, std::string text) : View(frame), text_(std::move(text)) { setDrawsContent(true); }
    void drawRect(graphics::GraphicsContext& context, const Rect& rect) override {
        context.setFillColor(Color::black());
        context.drawText(text_, rect, graphics::Font::systemFont(14), graphics::LineBreakMode::TruncateTail,
                         graphics::TextAlignment::Center);
        ++draws;
    }
    std::string text_;
    int draws = 0;
};

// A photo-like picture: gradient with a disc, optionally with transparent corners.
graphics::Image makePicture(int size, int seed, bool alpha) {
    QImage picture(size, size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    picture.fill(alpha ? Qt::transparent : Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, size, size);
    gradient.setColorAt(0, QColor::fromHsv((seed * 37) % 360, 200, 230));
    gradient.setColorAt(1, QColor::fromHsv((seed * 37 + 120) % 360, 200, 120));
    if (alpha)
        p.setBrush(gradient), p.setPen(Qt::NoPen), p.drawEllipse(0, 0, size, size);
    else
        p.fillRect(0, 0, size, size, gradient);
    p.setBrush(Qt::white);
    p.drawEllipse(size / 4, size / 4, size / 2, size / 2);
    p.end();
    return graphics::Image(picture);
}

struct Scene {
    ui::ViewPtr root;
    std::vector<ui::View*> moving;
    std::vector<TextView*> texts;
};

Scene buildScene() {
    Scene scene;
    scene.root = ui::makeView(Rect(0, 0, 1024, 768));
    scene.root->setBackgroundColor(Color::rgb(0.93, 0.93, 0.95));
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(0, 960), y(0, 700);
    int made = 0;
    // Ten cards, each a half-transparent rounded group of one picture, one
    // caption and a badge: 40 views.
    for (int i = 0; i < 10; ++i, made += 4) {
        auto card = ui::makeView(Rect(20 + (i % 5) * 200, 20 + (i / 5) * 200, 180, 180));
        card->setBackgroundColor(Color::white());
        card->layer().setCornerRadius(12);
        card->setClipsToBounds(true);
        card->setAlpha(0.9);
        auto picture = ui::makeView(Rect(10, 10, 160, 120));
        picture->layer().setContents(makePicture(128, i, false));
        picture->setContentMode(ui::ContentMode::ScaleAspectFill);
        picture->setClipsToBounds(true);
        card->addSubview(picture);
        auto caption = std::make_shared<TextView>(Rect(10, 136, 160, 20), "Project " + std::to_string(i + 1));
        scene.texts.push_back(caption.get());
        card->addSubview(caption);
        auto badge = ui::makeView(Rect(150, 8, 24, 24));
        badge->setBackgroundColor(Color::red());
        badge->layer().setCornerRadius(12);
        badge->layer().setBorderWidth(2);
        badge->layer().setBorderColor(Color::white());
        card->addSubview(badge);
        scene.root->addSubview(card);
        if (i < 4) scene.moving.push_back(card.get());
    }
    // Loose pictures, captions and boxes for the rest.
    while (made < kViews) {
        int kind = made % 3;
        ui::ViewPtr view;
        if (kind == 0) {
            view = ui::makeView(Rect(x(random), y(random), 64, 64));
            view->layer().setContents(makePicture(64, made, made % 2 == 0));
        } else if (kind == 1) {
            auto text =
                std::make_shared<TextView>(Rect(x(random), y(random), 120, 22), "Frame " + std::to_string(made));
            scene.texts.push_back(text.get());
            view = text;
        } else {
            view = ui::makeView(Rect(x(random), y(random), 50, 36));
            view->setBackgroundColor(Color::hsb((made % 17) / 17.0, 0.6, 0.9));
            view->layer().setCornerRadius(made % 2 ? 6 : 0);
            if (made % 4 == 0) view->setAlpha(0.6);
            if (made % 5 == 0) {
                view->layer().setBorderWidth(1);
                view->layer().setBorderColor(Color::darkGray());
            }
        }
        if (made % 7 == 0) view->setTransform(graphics::AffineTransform::makeRotation((made % 13) * 0.1));
        if (scene.moving.size() < kMovingViews && made % 4 == 1) scene.moving.push_back(view.get());
        scene.root->addSubview(view);
        ++made;
    }
    return scene;
}

// One frame's changes: the first `moving` of the moving views turn and pulse.
void step(Scene& scene, int frame, size_t moving) {
    for (size_t i = 0; i < std::min(moving, scene.moving.size()); ++i) {
        double phase = frame * 0.05 + static_cast<double>(i);
        ui::View* view = scene.moving[i];
        view->setTransform(graphics::AffineTransform::makeRotation(0.2 * std::sin(phase))
                               .scaled(1 + 0.1 * std::cos(phase), 1 + 0.1 * std::cos(phase)));
        if (i % 3 == 0) view->setAlpha(0.7 + 0.3 * std::sin(phase));
    }
}

// Every view's pixels drawn straight with QPainter from what the tree holds:
// the same picture without any of the tree's bookkeeping.
void drawDirect(QPainter& p, ui::View& root) {
    p.fillRect(0, 0, 1024, 768, QColor::fromRgbF(0.93f, 0.93f, 0.95f));
    std::vector<std::pair<ui::View*, QTransform>> pending;
    for (const auto& child : root.subviews()) pending.push_back({child.get(), QTransform()});
    for (size_t i = 0; i < pending.size(); ++i) {
        auto [view, parent] = pending[i];
        graphics::Point c = view->center();
        graphics::Rect b = view->bounds();
        QTransform t = QTransform::fromTranslate(-b.size.width / 2, -b.size.height / 2) *
                       view->transform().toQTransform() * QTransform::fromTranslate(c.x, c.y) * parent;
        p.setTransform(t);
        p.setOpacity(view->alpha());
        QRectF r(0, 0, b.size.width, b.size.height);
        if (auto bg = view->backgroundColor()) p.fillRect(r, bg->toQColor());
        if (const auto& contents = view->layer().contents()) p.drawImage(r, contents->bitmap());
        for (const auto& child : view->subviews()) pending.push_back({child.get(), t});
    }
}

}  // namespace

int main() {
    graphics::ensureGuiApplication();
    Scene scene = buildScene();
    int total = 0;
    std::vector<ui::View*> count{scene.root.get()};
    for (size_t i = 0; i < count.size(); ++i, ++total)
        for (const auto& child : count[i]->subviews()) count.push_back(child.get());

    QImage target(1024, 768, QImage::Format_ARGB32_Premultiplied);
    ui::Compositor compositor;
    {
        QPainter painter(&target);
        compositor.render(*scene.root, painter, 1.0);  // first frame draws every caption once
    }
    int drawsAfterFirstFrame = 0;
    for (TextView* text : scene.texts) drawsAfterFirstFrame += text->draws;

    // Frames as the window host draws them: onto its own target, the
    // compositor redrawing only what changed since its kept frame; each
    // frame then painted directly onto another target, frame by frame in turn.
    QImage reference(1024, 768, QImage::Format_ARGB32_Premultiplied);
    int frame = 0;
    auto compositorSide = [&](size_t moving) {
        return bench::timed(
            [&] {
                QPainter painter(&target);
                compositor.render(*scene.root, painter, 1.0);
                return true;
            },
            [&, moving] { step(scene, frame++, moving); });
    };
    const auto times = bench::compare(kFrames, compositorSide(kMovingViews), bench::timed([&] {
                                          QPainter painter(&reference);
                                          painter.setRenderHint(QPainter::Antialiasing);
                                          painter.setRenderHint(QPainter::SmoothPixmapTransform);
                                          drawDirect(painter, *scene.root);
                                          return true;
                                      }));
    const double ourFrame = bench::medianOf(times.ours), directFrame = bench::medianOf(times.reference);
    int drawsAtEnd = 0;
    for (TextView* text : scene.texts) drawsAtEnd += text->draws;
    std::vector<double> quiet;
    const bench::Side quietSide = compositorSide(kQuietMovingViews);
    for (frame = 0; frame < kFrames;) {
        quietSide.prepare();
        quiet.push_back(quietSide.run()->wall);
    }
    const double quietFrame = bench::median(quiet);

    std::printf("compositing 1024x768, %d views (%zu moving), median of %d frames\n", total - 1, kMovingViews, kFrames);
    std::printf("  compositor:        %7.2f ms  %6.1f frames/s (target >= %.0f)\n", ourFrame * 1000, 1 / ourFrame,
                kTargetFps);
    std::printf("  direct QPainter:   %7.2f ms  %6.1f frames/s\n", directFrame * 1000, 1 / directFrame);
    std::printf("  compositor, %zu moving: %7.2f ms  %6.1f frames/s\n", kQuietMovingViews, quietFrame * 1000,
                1 / quietFrame);
    std::printf("  captions redrawn after the first frame: %d\n", drawsAtEnd - drawsAfterFirstFrame);
    const bool fastEnough = 1 / ourFrame >= kTargetFps;
    // More is better: how many times faster than painting the tree directly.
    const bool met = bench::report("compositing, " + std::to_string(kMovingViews) + " moving views", times,
                                   bench::Target::atLeast(kTargetSpeedUp));
    return fastEnough && met ? 0 : 1;
}
