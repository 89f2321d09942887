#pragma once

// The mouse and the keyboard as the desktop delivers them: Qt events sent to
// a Qt window that hosts the tree (ui::WindowHost), so that they take the
// host's own way into the views, as real X input does.
//
//     testsupport::HostInput input(window);
//     input.turn(centerOf(*strip), -4);  // four wheel notches towards the user
//     input.key(Qt::Key_Escape);
//     input.click(centerOf(*button));
//
// Needs a QGuiApplication (WindowFixture makes one) and a virtual clock:
// each notch after the first comes `notchInterval` later on it, and no time
// passes within a click or between events. Keep it no longer than the test
// body: the host holds the window.

#include "platform/graphics/Geometry.h"

#include <memory>

namespace ui {
class Window;
class WindowHost;
}  // namespace ui

namespace testsupport {

class HostInput {
public:
    explicit HostInput(std::shared_ptr<ui::Window> window);
    ~HostInput();

    double notchInterval = 0.03;

    // Whole notches over a point of the tree's window, positive away from
    // the user; no time passes after the last. Returns whether the tree
    // took the last one (the host leaves a turn nothing takes to the desktop).
    bool turn(graphics::Point windowLocation, int notches);
    // The left button pressed and released at a point of the tree's window.
    void click(graphics::Point windowLocation);
    // A key pressed (a Qt::Key).
    void key(int qtKey);

private:
    std::unique_ptr<ui::WindowHost> host_;
};

}  // namespace testsupport
