#include "support/WindowFixture.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/gestures/GestureArena.h"
#include "platform/ui/host/Device.h"
#include "support/Process.h"

#include <algorithm>

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
    int left = shown.pixelWidth(), top = shown.pixelHeight(), right = -1, bottom = -1;
    for (int y = 0; y < shown.pixelHeight(); ++y) {
        for (int x = 0; x < shown.pixelWidth(); ++x) {
            if (shown.pixelAt(x, y) == without.pixelAt(x, y)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return {};
    const double scale = shown.pixelWidth() / window->bounds().width();
    return {left / scale, top / scale, (right + 1 - left) / scale, (bottom + 1 - top) / scale};
}

}  // namespace testsupport
