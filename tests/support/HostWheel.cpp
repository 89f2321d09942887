#include "support/HostWheel.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"
#include "platform/ui/host/WindowHost.h"

#include <QGuiApplication>
#include <QWheelEvent>
#include <QWindow>
#include <cstdlib>
#include <gtest/gtest.h>

namespace testsupport {

HostWheel::HostWheel(std::shared_ptr<ui::Window> window) : host_(std::make_unique<ui::WindowHost>(std::move(window))) {}

HostWheel::~HostWheel() = default;

bool HostWheel::turn(graphics::Point windowLocation, int notches) {
    // The Qt window has the tree's size: its positions are the tree's points.
    const QPointF at(windowLocation.x, windowLocation.y);
    const graphics::Point mapped = host_->pointFromWindowPosition(at);
    EXPECT_NEAR(mapped.x, windowLocation.x, 1e-6);
    EXPECT_NEAR(mapped.y, windowLocation.y, 1e-6);
    bool accepted = false;
    for (int notch = 0; notch < std::abs(notches); ++notch) {
        if (notch > 0) foundation::RunLoop::main().advance(notchInterval);
        QWheelEvent event(at, host_->qWindow()->mapToGlobal(at), QPoint(), QPoint(0, notches > 0 ? 120 : -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QGuiApplication::sendEvent(host_->qWindow(), &event);
        accepted = event.isAccepted();
    }
    return accepted;
}

}  // namespace testsupport
