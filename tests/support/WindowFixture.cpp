#include "support/WindowFixture.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/gestures/GestureArena.h"
#include "platform/ui/host/Device.h"
#include "support/Process.h"

#include <cmath>

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

graphics::Rect WindowFixture::drawnRect(ui::View& view) {
    const bool hidden = view.isHidden();
    const graphics::Image shown = window->renderImage();
    view.setHidden(true);
    const graphics::Image without = window->renderImage();
    view.setHidden(hidden);
    const double point = window->bounds().width() / shown.pixelWidth();
    graphics::Rect drawn = graphics::Rect::null();
    for (int y = 0; y < shown.pixelHeight(); ++y)
        for (int x = 0; x < shown.pixelWidth(); ++x)
            if (shown.pixelAt(x, y) != without.pixelAt(x, y))
                drawn = drawn.unionWith({x * point, y * point, point, point});
    return drawn;
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
