#include "support/HostInput.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"
#include "platform/ui/host/WindowHost.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>
#include <cstdlib>
#include <gtest/gtest.h>

namespace testsupport {

namespace {

// The Qt window has the tree's size: its positions are the tree's points.
QPointF hostPosition(ui::WindowHost& host, graphics::Point windowLocation) {
    const QPointF at(windowLocation.x, windowLocation.y);
    const graphics::Point mapped = host.pointFromWindowPosition(at);
    EXPECT_NEAR(mapped.x, windowLocation.x, 1e-6);
    EXPECT_NEAR(mapped.y, windowLocation.y, 1e-6);
    return at;
}

}  // namespace

HostInput::HostInput(std::shared_ptr<ui::Window> window) : host_(std::make_unique<ui::WindowHost>(std::move(window))) {}

HostInput::~HostInput() = default;

bool HostInput::turn(graphics::Point windowLocation, int notches) {
    const QPointF at = hostPosition(*host_, windowLocation);
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

void HostInput::click(graphics::Point windowLocation) {
    const QPointF at = hostPosition(*host_, windowLocation);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, host_->qWindow()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QGuiApplication::sendEvent(host_->qWindow(), &event);
    }
}

void HostInput::key(int qtKey) {
    QKeyEvent event(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QGuiApplication::sendEvent(host_->qWindow(), &event);
}

}  // namespace testsupport
