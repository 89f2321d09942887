#pragma once

// Shows a view tree's window in a real Qt window (Qt Gui only: QWindow and
// QBackingStore) and feeds it input.
//
// The tree keeps its own point size (the window's bounds, 1024 × 768 by
// default); the Qt window starts at that size and, when resized, shows the
// tree scaled to fit, centred on black. The host repaints when the tree asks
// for a composite, and every 1/60 s on the run loop while animations run.
// Mouse presses, drags and releases become one finger, touch screens give
// one finger per touch point, the wheel goes to the view under the pointer
// (Window::sendWheel), keys go to the tree's window (Window::sendKey:
// alerts, the first responder, then the views on screen), the title follows
// the tree window's title, and closing the Qt window or Ctrl+Q (the
// desktop's Quit) asks the application to terminate
// (Application::requestTermination: the window stays when it holds). With
// TOLLIVAR_CONTROL_MAP set, the host keeps a map of the labelled controls on
// screen for road tests (ControlMap.h).
//
// Main thread only; needs a QGuiApplication.

#include "platform/graphics/Geometry.h"

#include <QPointF>
#include <functional>
#include <memory>
#include <string>

class QWindow;

namespace ui {

class Window;

// How far a wheel event scrolls, in points of the tree (positive: the wheel
// turned away from the user, showing what lies above). A trackpad's pixel
// delta is used when the device gives one (pixels of the Qt window, shown
// `windowScale` times the tree's points); otherwise each notch (120 eighths
// of a degree) scrolls `linesPerNotch` lines of ScrollView::kLineHeight.
graphics::Point wheelScrollDistance(graphics::Point angleDeltaEighths, graphics::Point pixelDelta, double windowScale,
                                    int linesPerNotch);

class WindowHost {
public:
    explicit WindowHost(std::shared_ptr<Window> window);
    ~WindowHost();
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    // Shows the Qt window, titled with the application's name and carrying
    // its icon (see setWindowTitle and setWindowIcon).
    void show();
    // Sets the tree window's title (Window::setTitle), which the Qt window shows.
    void setWindowTitle(const std::string& title);
    // An image file (SVG or PNG); a missing file leaves the desktop's default.
    void setWindowIcon(const std::string& iconPath);
    QWindow* qWindow() const;
    Window& window() const;

    // Where a position in the Qt window (device-independent pixels) lies in
    // the tree's window coordinates (points).
    graphics::Point pointFromWindowPosition(QPointF position) const;

    // Composites the tree into the backing store and shows it now (Qt's
    // expose and update events do the same).
    void paintNow();

    // The volume keys of the keyboard step the device's volume: +1 up, -1
    // down. Whoever keeps the volume installs the handler (once, for every
    // host); without one the keys do nothing.
    using VolumeKeyHandler = std::function<void(int step)>;
    static void setVolumeKeyHandler(VolumeKeyHandler handler);

private:
    friend std::string portalParentWindow(const Window& window);

// Whether the windows show on the user's desktop (X11 or Wayland), where the
// desktop's own dialogs appear beside them; not under the vnc, offscreen or
// minimal platforms, whose user would never see such a dialog.
bool windowsShowOnDesktop();
    class HostWindow;
    std::unique_ptr<HostWindow> host_;
};

// How the desktop's portals name the Qt window that shows the tree's
// window, so that a portal's dialog stays above it: "x11:<hex id>" under
// X11; empty when no host shows it or the platform names windows otherwise
// (Wayland hands out names only through an exported handle).
std::string portalParentWindow(const Window& window);

// Whether the windows show on the user's desktop (X11 or Wayland), where the
// desktop's own dialogs appear beside them; not under the vnc, offscreen or
// minimal platforms, whose user would never see such a dialog.
bool windowsShowOnDesktop();

}  // namespace ui
