#include "support/TouchDriver.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"
#include "platform/ui/host/WindowHost.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace testsupport {

using graphics::Point;
using ui::TouchPtr;

namespace {

Point lerp(Point a, Point b, double t) { return Point{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

}  // namespace

int TouchDriver::steps(double duration) const { return std::max(1, int(std::lround(duration / frameInterval))); }

void TouchDriver::send(ui::TouchPhase phase, const std::vector<TouchPtr>& changed) {
    double now = foundation::RunLoop::main().now();
    for (const TouchPtr& t : changed) t->timestamp = now;
    ui::Event event;
    event.timestamp = now;
    event.allTouches = down_;
    window_.sendEvent(event, phase, changed);
    if (phase == ui::TouchPhase::Ended || phase == ui::TouchPhase::Cancelled) {
        for (const TouchPtr& t : changed) down_.erase(std::remove(down_.begin(), down_.end(), t), down_.end());
    }
}

TouchPtr TouchDriver::touchDown(Point windowLocation) { return touchDown(std::vector<Point>{windowLocation}).front(); }

std::vector<TouchPtr> TouchDriver::touchDown(const std::vector<Point>& windowLocations) {
    std::vector<TouchPtr> touches;
    for (Point p : windowLocations) {
        auto t = std::make_shared<ui::Touch>();
        t->windowLocation = p;
        t->previousWindowLocation = p;
        touches.push_back(t);
        down_.push_back(t);
    }
    send(ui::TouchPhase::Began, touches);
    return touches;
}

void TouchDriver::moveTo(const TouchPtr& touch, Point windowLocation) {
    moveTo(std::vector<TouchPtr>{touch}, std::vector<Point>{windowLocation});
}

void TouchDriver::moveTo(const std::vector<TouchPtr>& touches, const std::vector<Point>& windowLocations) {
    if (touches.size() != windowLocations.size())
        throw std::invalid_argument("TouchDriver::moveTo: one location per touch");
    for (size_t i = 0; i < touches.size(); ++i) touches[i]->windowLocation = windowLocations[i];
    send(ui::TouchPhase::Moved, touches);
}

void TouchDriver::touchUp(const TouchPtr& touch) { touchUp(std::vector<TouchPtr>{touch}); }

void TouchDriver::touchUp(const std::vector<TouchPtr>& touches) { send(ui::TouchPhase::Ended, touches); }

void TouchDriver::cancel(const std::vector<TouchPtr>& touches) { send(ui::TouchPhase::Cancelled, touches); }

void TouchDriver::wait(double seconds) {
    if (seconds > 0) foundation::RunLoop::main().advance(seconds);
}

void TouchDriver::tap(Point windowLocation, int count) {
    for (int i = 0; i < count; ++i) {
        if (i > 0) wait(tapGap);
        TouchPtr t = touchDown(windowLocation);
        wait(tapDuration);
        touchUp(t);
    }
}

void TouchDriver::drag(const std::vector<Point>& path, double duration) {
    if (path.empty()) throw std::invalid_argument("TouchDriver::drag: empty path");
    TouchPtr t = touchDown(path.front());
    // Total length, so the finger moves at an even speed along the path.
    std::vector<double> lengths{0};
    for (size_t i = 1; i < path.size(); ++i)
        lengths.push_back(lengths.back() + std::hypot(path[i].x - path[i - 1].x, path[i].y - path[i - 1].y));
    int n = steps(duration);
    for (int step = 1; step <= n; ++step) {
        wait(duration / n);
        double at = lengths.back() * step / n;
        size_t segment = 1;
        while (segment + 1 < path.size() && lengths[segment] < at) ++segment;
        Point p = path.back();
        if (path.size() > 1) {
            double length = lengths[segment] - lengths[segment - 1];
            double t01 = length > 0 ? (at - lengths[segment - 1]) / length : 1.0;
            p = lerp(path[segment - 1], path[segment], std::clamp(t01, 0.0, 1.0));
        }
        moveTo(t, p);
    }
    touchUp(t);
}

void TouchDriver::longPress(Point windowLocation, double duration) {
    TouchPtr t = touchDown(windowLocation);
    wait(duration);
    touchUp(t);
}

void TouchDriver::pinch(Point center, double startSpan, double endSpan, double duration) {
    auto at = [&](double span) {
        return std::vector<Point>{{center.x - span / 2, center.y}, {center.x + span / 2, center.y}};
    };
    std::vector<TouchPtr> fingers = touchDown(at(startSpan));
    int n = steps(duration);
    for (int step = 1; step <= n; ++step) {
        wait(duration / n);
        moveTo(fingers, at(startSpan + (endSpan - startSpan) * step / n));
    }
    touchUp(fingers);
}

void TouchDriver::rotate(Point center, double span, double startAngle, double endAngle, double duration) {
    auto at = [&](double angle) {
        double dx = std::cos(angle) * span / 2, dy = std::sin(angle) * span / 2;
        return std::vector<Point>{{center.x - dx, center.y - dy}, {center.x + dx, center.y + dy}};
    };
    std::vector<TouchPtr> fingers = touchDown(at(startAngle));
    int n = steps(duration);
    for (int step = 1; step <= n; ++step) {
        wait(duration / n);
        moveTo(fingers, at(startAngle + (endAngle - startAngle) * step / n));
    }
    touchUp(fingers);
}

// ---- wheel and keys ---------------------------------------------------------------------------

bool TouchDriver::wheel(Point windowLocation, double notches, unsigned modifiers) {
    constexpr int kDesktopLinesPerNotch = 3;
    bool taken = false;
    double left = notches;
    bool first = true;
    while (std::fabs(left) > 1e-9) {
        if (!first) wait(wheelNotchInterval);
        first = false;
        const double step = std::fabs(left) >= 1 ? std::copysign(1.0, left) : left;
        left -= step;
        ui::WheelEvent event;
        event.windowLocation = windowLocation;
        event.notches = Point{0, step};
        event.delta = ui::wheelScrollDistance(Point{0, step * 120}, Point{}, 1.0, kDesktopLinesPerNotch);
        event.modifiers = modifiers;
        event.timestamp = foundation::RunLoop::main().now();
        taken = window_.sendWheel(event);
    }
    return taken;
}

bool TouchDriver::hover(Point windowLocation) {
    ui::PointerMotion motion;
    motion.windowLocation = windowLocation;
    motion.timestamp = foundation::RunLoop::main().now();
    return window_.sendPointerMotion(motion);
}

bool TouchDriver::press(ui::Key key, unsigned modifiers) { return window_.sendKey(key, modifiers); }

bool TouchDriver::type(const std::string& text) { return window_.sendText(text); }

}  // namespace testsupport
