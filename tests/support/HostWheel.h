#pragma once

// The mouse wheel as the desktop delivers it: Qt wheel events of 120
// eighths of a degree a notch, sent to a Qt window that hosts the tree
// (ui::WindowHost), so that a turn takes the host's own way into the views,
// as a real X wheel does.
//
//     testsupport::HostWheel wheel(window);
//     wheel.turn(centerOf(*strip), -4);  // four notches towards the user
//
// Needs a QGuiApplication (WindowFixture makes one) and a virtual clock:
// each notch after the first comes `notchInterval` later on it. Keep it no
// longer than the test body: the host holds the window.

#include "platform/graphics/Geometry.h"

#include <memory>

namespace ui {
class Window;
class WindowHost;
}  // namespace ui

namespace testsupport {

class HostWheel {
public:
    explicit HostWheel(std::shared_ptr<ui::Window> window);
    ~HostWheel();

    double notchInterval = 0.03;

    // Whole notches over a point of the tree's window, positive away from
    // the user; no time passes after the last. Returns whether the tree
    // took the last one (the host leaves a turn nothing takes to the desktop).
    bool turn(graphics::Point windowLocation, int notches);

private:
    std::unique_ptr<ui::WindowHost> host_;
};

}  // namespace testsupport
