#include "support/WindowFixture.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/gestures/GestureArena.h"
#include "platform/ui/host/Device.h"
#include "support/Process.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace testsupport {

std::vector<std::string> visibleAlertMessages() {
    std::vector<std::string> messages;
    for (auto& alert : ui::AlertView::visibleAlerts()) messages.push_back(alert->message());
    return messages;
}

void saveWindowPicture(ui::Window& window, const std::string& name) {
    auto png = ui::renderView(window).pngData();
    ASSERT_TRUE(png.ok()) << png.error().description;
    auto saved = foundation::writeFileAtomically(artifactsDirectory() + "/" + name, *png);
    ASSERT_TRUE(saved.ok()) << saved.error().description;
}

namespace {

bool prepareGui() {
    graphics::ensureGuiApplication();
    ui::Device::current().resetForTesting();
    return true;
}

}  // namespace

WindowFixture::WindowFixture(graphics::Rect frame, double clockStart)
    : guiReady_(prepareGui()), clock(clockStart), window(std::make_shared<ui::Window>(frame)), fingers(*window) {
    window->makeKeyAndVisible();
}

void WindowFixture::TearDown() {
    for (auto& alert : ui::AlertView::visibleAlerts()) alert->dismissWithClickedButtonIndex(ui::kNoButtonIndex, false);
    foundation::RunLoop::main().runUntilIdle();
    // The window and what it shows go before the members of the test that
    // they may still call while they leave (logs, delegates).
    window.reset();
    foundation::RunLoop::main().runUntilIdle();
    ui::GestureArena::shared().resetForTesting();
}

void WindowFixture::advance(double seconds) { foundation::RunLoop::main().advance(seconds); }

std::shared_ptr<ui::ViewController> WindowFixture::showFillingRoot(const std::shared_ptr<ui::ViewController>& child) {
    auto root = std::make_shared<ui::ViewController>();
    window->setRootViewController(root);
    root->addChildViewController(child);
    child->view()->setFrame(root->view()->bounds());
    root->view()->addSubview(child->viewPtr());
    return root;
}

graphics::Point WindowFixture::centerOf(const ui::View& view) const {
    graphics::Rect b = view.bounds();
    return view.convertPointToView({b.midX(), b.midY()}, nullptr);
}

graphics::Point WindowFixture::inWindow(const ui::View& view, graphics::Point point) const {
    return view.convertPointToView(point, nullptr);
}

graphics::Rect WindowFixture::inWindow(const ui::View* view) const {
    return view->convertRectToView(view->bounds(), nullptr);
}

void WindowFixture::tap(const ui::View* view) {
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->window(), window.get()) << "the view is not on screen";
    ui::prepareForRendering(*window, 1.0);
    fingers.tap(centerOf(*view));
}

graphics::Rect changedRect(ui::Window& window, const graphics::Image& before, const graphics::Image& after) {
    const double point = window.bounds().width() / before.pixelWidth();
    graphics::Rect changed = graphics::Rect::null();
    for (int y = 0; y < before.pixelHeight(); ++y)
        for (int x = 0; x < before.pixelWidth(); ++x)
            if (before.pixelAt(x, y) != after.pixelAt(x, y))
                changed = changed.unionWith({x * point, y * point, point, point});
    return changed;
}

namespace {

// The rectangle of the pixels that lines of text ink, drawn alone one under
// the other in a font from the top left of an empty picture.
graphics::Rect inkOfLines(const std::vector<std::string>& lines, const graphics::Font& font) {
    double width = 0;
    for (const std::string& line : lines) width = std::max(width, font.widthOfText(line));
    const double lineHeight = font.lineHeight();
    const graphics::Size size{std::ceil(width) + 20, std::ceil(lineHeight * static_cast<double>(lines.size())) + 20};
    graphics::GraphicsContext context(size, 1.0, false);
    context.setFillColor(graphics::Color::black());
    for (size_t i = 0; i < lines.size(); ++i)
        context.drawText(lines[i], {10, 10 + lineHeight * static_cast<double>(i)}, font);
    const graphics::Image ink = context.makeImage();
    graphics::Rect inked = graphics::Rect::null();
    for (int y = 0; y < ink.pixelHeight(); ++y)
        for (int x = 0; x < ink.pixelWidth(); ++x)
            if (ink.pixelAt(x, y).a != 0) inked = inked.unionWith({double(x), double(y), 1, 1});
    return inked;
}

// The window rectangle of the pixels that change when a view's text is set
// empty for a moment.
template <class TextView>
graphics::Rect changedWithoutText(ui::Window& window, TextView& view) {
    const std::string text = view.text();
    const graphics::Image shown = window.renderImage();
    view.setText("");
    const graphics::Image without = window.renderImage();
    view.setText(text);
    return changedRect(window, shown, without);
}

// Empty when what a view's text inks on screen spans what its lines ink
// drawn alone in its font; else what is wrong.
std::string inkFault(const std::string& text, const std::vector<std::string>& lines, const graphics::Font& font,
                     const graphics::Rect& drawn) {
    const graphics::Rect whole = inkOfLines(lines, font);
    // A line drawn on half points inks a pixel more on either side.
    constexpr double kSlack = 2;
    if (!drawn.isNull() && std::abs(drawn.width() - whole.width()) <= kSlack &&
        std::abs(drawn.height() - whole.height()) <= kSlack)
        return {};
    std::ostringstream fault;
    fault << "\"" << text << "\" inks " << drawn.toString() << " on screen, its whole text " << whole.width() << " x "
          << whole.height();
    return fault.str();
}

}  // namespace

graphics::Rect drawnRect(ui::Window& window, ui::View& view) {
    const bool hidden = view.isHidden();
    const graphics::Image shown = window.renderImage();
    view.setHidden(true);
    const graphics::Image without = window.renderImage();
    view.setHidden(hidden);
    return changedRect(window, shown, without);
}

graphics::Rect drawnTextRect(ui::Window& window, ui::Label& label) { return changedWithoutText(window, label); }

std::string textCutFault(ui::Window& window, ui::Label& label) {
    const std::string& text = label.text();
    // The whole text as the label breaks it: a one-line label's on its one
    // line, another's at the label's width with no line limit.
    const std::vector<std::string> lines =
        label.numberOfLines() == 1
            ? std::vector<std::string>{text}
            : ui::layoutLabelText(text, label.font(), label.bounds().width(), 0, graphics::LineBreakMode::WordWrap)
                  .lines;
    return inkFault(text, lines, label.font(), drawnTextRect(window, label));
}

std::string textCutFault(ui::Window& window, ui::TextField& field) {
    return textCutFault(field.text(), field.font(), changedWithoutText(window, field));
}

std::string textCutFault(const std::string& text, const graphics::Font& font, const graphics::Rect& drawn) {
    return inkFault(text, {text}, font, drawn);
}

std::vector<graphics::Rect> WindowFixture::drawnSideBySide(const std::vector<ui::View*>& views, graphics::Rect area,
                                                           graphics::Size picture) {
    std::vector<graphics::Rect> drawn;
    for (ui::View* view : views) {
        if (view->isHidden()) continue;
        const graphics::Rect at = drawnRect(*view);
        EXPECT_TRUE(
            !at.isEmpty() && inWindow(view).integral().contains(at) && area.contains(at) &&
            (picture.height == 0 || std::abs(at.width() / at.height() - picture.width / picture.height) < 0.05) &&
            (drawn.empty() || at.minX() > drawn.back().maxX()))
            << "drawn at " << at.toString() << " of " << inWindow(view).toString() << " in " << area.toString();
        drawn.push_back(at);
    }
    return drawn;
}

}  // namespace testsupport
