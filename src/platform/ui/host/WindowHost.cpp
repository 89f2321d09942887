#include "platform/ui/host/WindowHost.h"

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/host/Application.h"
#include "platform/ui/host/ControlMap.h"
#include "platform/ui/lists/ScrollView.h"

#include <QBackingStore>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QTouchEvent>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>

namespace ui {

namespace {

WindowHost::VolumeKeyHandler& volumeKeyHandler() {
    static WindowHost::VolumeKeyHandler handler;
    return handler;
}

constexpr double kFrameInterval = 1.0 / 60.0;

// Whether anything in the tree is still moving at `now`.
bool animating(View& view, double now) {
    if (layerIsMoving(view, now)) return true;
    for (const ViewPtr& child : view.subviews()) {
        if (animating(*child, now)) return true;
    }
    return false;
}

std::optional<Key> keyFor(const QKeyEvent& event) {
    if (event.matches(QKeySequence::SelectAll)) return Key::SelectAll;
    if (event.matches(QKeySequence::Undo)) return Key::Undo;
    if (event.matches(QKeySequence::Redo)) return Key::Redo;
    if (event.matches(QKeySequence::Open)) return Key::Open;
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return Key::Return;
        case Qt::Key_Backspace:
            return Key::Backspace;
        case Qt::Key_Delete:
            return Key::Delete;
        case Qt::Key_Escape:
            return Key::Escape;
        case Qt::Key_Tab:
            return Key::Tab;
        case Qt::Key_Left:
            return Key::Left;
        case Qt::Key_Right:
            return Key::Right;
        case Qt::Key_Up:
            return Key::Up;
        case Qt::Key_Down:
            return Key::Down;
        case Qt::Key_Home:
            return Key::Home;
        case Qt::Key_End:
            return Key::End;
        case Qt::Key_PageUp:
            return Key::PageUp;
        case Qt::Key_PageDown:
            return Key::PageDown;
        default:
            return std::nullopt;
    }
}

// The desktop's Quit: a platform theme may bind none (X11 without a
// desktop), so Ctrl+Q counts whatever the theme says.
bool isQuit(const QKeyEvent& event) {
    if (event.matches(QKeySequence::Quit)) return true;
    return event.key() == Qt::Key_Q && event.modifiers() == Qt::ControlModifier;
}

unsigned modifiersOf(Qt::KeyboardModifiers held) {
    unsigned modifiers = KeyModifierNone;
    if (held & Qt::ShiftModifier) modifiers |= KeyModifierShift;
    if (held & Qt::ControlModifier) modifiers |= KeyModifierControl;
    return modifiers;
}

}  // namespace

graphics::Point wheelScrollDistance(graphics::Point angleDeltaEighths, graphics::Point pixelDelta, double windowScale,
                                    int linesPerNotch) {
    if (pixelDelta.x != 0 || pixelDelta.y != 0) {
        double scale = windowScale > 0 ? windowScale : 1.0;
        return graphics::Point{pixelDelta.x / scale, pixelDelta.y / scale};
    }
    double perNotch = std::max(1, linesPerNotch) * ScrollView::kLineHeight;
    return graphics::Point{angleDeltaEighths.x / 120.0 * perNotch, angleDeltaEighths.y / 120.0 * perNotch};
}

class WindowHost::HostWindow final : public QWindow {
public:
    explicit HostWindow(std::shared_ptr<ui::Window> window) : window_(std::move(window)), store_(this) {
        setSurfaceType(QSurface::RasterSurface);
        graphics::Size size = window_->bounds().size;
        resize(std::max(1, int(std::lround(size.width))), std::max(1, int(std::lround(size.height))));
        window_->setCompositeRequestHandler([this] { scheduleUpdate(); });
        window_->setTitleChangeHandler([this] { setTitle(QString::fromStdString(window_->title())); });
        setTitle(QString::fromStdString(window_->title()));
    }

    ~HostWindow() override {
        destroying_ = true;
        window_->setCompositeRequestHandler(nullptr);
        window_->setTitleChangeHandler(nullptr);
    }

    ui::Window& tree() const { return *window_; }

    // The scale and offset that fit the tree's points into the Qt window.
    void fit(double& scale, QPointF& offset) const {
        graphics::Size points = window_->bounds().size;
        double w = std::max(1.0, points.width), h = std::max(1.0, points.height);
        scale = std::min(width() / w, height() / h);
        if (!(scale > 0)) scale = 1.0;
        offset = QPointF((width() - w * scale) / 2, (height() - h * scale) / 2);
    }

    graphics::Point toPoints(QPointF position) const {
        double scale;
        QPointF offset;
        fit(scale, offset);
        return graphics::Point{(position.x() - offset.x()) / scale, (position.y() - offset.y()) / scale};
    }

    // Where the tree's points lie in the window's pixels, for the control map.
    WindowPlacement placement() {
        WindowPlacement placement;
        QPointF offset;
        fit(placement.scale, offset);
        placement.offset = graphics::Point{offset.x(), offset.y()};
        placement.devicePixelRatio = devicePixelRatio();
        placement.pixelWidth = int(std::lround(width() * devicePixelRatio()));
        placement.pixelHeight = int(std::lround(height() * devicePixelRatio()));
        placement.windowId = winId();
        return placement;
    }

    void paint() {
        if (!isExposed()) return;
        updatePending_ = false;
        QRect rect(0, 0, width(), height());
        store_.resize(rect.size());
        store_.beginPaint(rect);
        QPaintDevice* device = store_.paintDevice();
        {
            QPainter painter(device);
            painter.fillRect(rect, Qt::black);
            double scale;
            QPointF offset;
            fit(scale, offset);
            painter.translate(offset);
            painter.scale(scale, scale);
            // Drawn contents get the density of the real pixels.
            compositor_.render(*window_, painter, scale * devicePixelRatio());
        }
        store_.endPaint();
        store_.flush(rect);
        window_->clearNeedsComposite();
        if (controlMap_) controlMap_->frameShown(*window_, placement());
        if (animating(*window_, foundation::RunLoop::main().now())) {
            // The next frame comes from the run loop, so it follows the
            // loop's clock (virtual in tests).
            life_.performAfter(
                kFrameInterval, [this] { scheduleUpdate(); }, "frame");
        }
    }

    // One update event at a time; it is posted, not timed, so it is served
    // as soon as the event loop runs.
    void scheduleUpdate() {
        if (updatePending_) return;
        updatePending_ = true;
        QCoreApplication::postEvent(this, new QEvent(QEvent::UpdateRequest));
    }

protected:
    bool event(QEvent* event) override {
        switch (event->type()) {
            case QEvent::UpdateRequest:
                paint();
                return true;
            case QEvent::Close:
                // The application's own way out: the delegate saves, then the
                // exit handler ends the event loop. A host going away in the
                // program's own course is no request to quit; a quit held to
                // tell the user why keeps the window.
                if (!destroying_ && !Application::shared().requestTermination()) {
                    event->ignore();
                    return true;
                }
                return QWindow::event(event);
            case QEvent::Leave:
                window_->sendPointerExit();
                return QWindow::event(event);
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::TouchCancel:
                touch(static_cast<QTouchEvent*>(event));
                return true;
            default:
                return QWindow::event(event);
        }
    }

    void exposeEvent(QExposeEvent*) override { paint(); }
    void resizeEvent(QResizeEvent*) override { paint(); }

    void mousePressEvent(QMouseEvent* event) override {
        // Touch screens also send mouse events made from their touches.
        if (event->source() != Qt::MouseEventNotSynthesized || event->button() != Qt::LeftButton || mouse_) return;
        mouse_ = std::make_shared<Touch>();
        mouse_->windowLocation = toPoints(event->position());
        send(TouchPhase::Began, {mouse_});
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (event->source() != Qt::MouseEventNotSynthesized) return;
        if (!mouse_) {
            PointerMotion motion;
            motion.windowLocation = toPoints(event->position());
            motion.timestamp = foundation::RunLoop::main().now();
            window_->sendPointerMotion(motion);
            return;
        }
        mouse_->windowLocation = toPoints(event->position());
        send(TouchPhase::Moved, {mouse_});
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (!mouse_ || event->source() != Qt::MouseEventNotSynthesized || event->button() != Qt::LeftButton) return;
        mouse_->windowLocation = toPoints(event->position());
        TouchPtr finger = std::move(mouse_);
        mouse_.reset();
        send(TouchPhase::Ended, {finger});
    }

    // The wheel goes to the view under the pointer (Window::sendWheel).
    void wheelEvent(QWheelEvent* event) override {
        double scale;
        QPointF offset;
        fit(scale, offset);
        const graphics::Point angle{double(event->angleDelta().x()), double(event->angleDelta().y())};
        WheelEvent wheel;
        wheel.windowLocation = toPoints(event->position());
        wheel.delta = wheelScrollDistance(
            angle, graphics::Point{double(event->pixelDelta().x()), double(event->pixelDelta().y())}, scale,
            QGuiApplication::styleHints()->wheelScrollLines());
        wheel.notches = graphics::Point{angle.x / 120.0, angle.y / 120.0};
        wheel.modifiers = modifiersOf(event->modifiers());
        wheel.timestamp = foundation::RunLoop::main().now();
        if ((wheel.delta.x == 0 && wheel.delta.y == 0) || !window_->sendWheel(wheel)) event->ignore();
    }

    void keyPressEvent(QKeyEvent* event) override {
        // From every screen, and the way the window's close ends.
        if (isQuit(*event)) {
            (void)Application::shared().requestTermination();
            return;
        }
        if (event->key() == Qt::Key_VolumeUp || event->key() == Qt::Key_VolumeDown) {
            if (const auto& handler = volumeKeyHandler()) handler(event->key() == Qt::Key_VolumeUp ? 1 : -1);
            return;
        }
        if (auto key = keyFor(*event)) {
            window_->sendKey(*key, modifiersOf(event->modifiers()));
            return;
        }
        // Shortcuts with Control are no typing.
        if (event->modifiers() & Qt::ControlModifier) return;
        QString text = event->text();
        // Control characters of unmapped keys are no text.
        if (!text.isEmpty() && text.at(0).isPrint()) window_->sendText(text.toStdString());
    }

private:
    void touch(QTouchEvent* event) {
        if (event->type() == QEvent::TouchCancel) {
            TouchSet all;
            for (auto& [id, finger] : fingers_) all.push_back(finger);
            fingers_.clear();
            if (!all.empty()) send(TouchPhase::Cancelled, all);
            return;
        }
        TouchSet began, moved, ended;
        for (const QEventPoint& point : event->points()) {
            // For a top-level window the scene is the window itself.
            graphics::Point at = toPoints(point.scenePosition());
            switch (point.state()) {
                case QEventPoint::Pressed: {
                    auto finger = std::make_shared<Touch>();
                    finger->windowLocation = at;
                    fingers_[point.id()] = finger;
                    began.push_back(finger);
                    break;
                }
                case QEventPoint::Updated: {
                    auto it = fingers_.find(point.id());
                    if (it == fingers_.end()) break;
                    it->second->windowLocation = at;
                    moved.push_back(it->second);
                    break;
                }
                case QEventPoint::Released: {
                    auto it = fingers_.find(point.id());
                    if (it == fingers_.end()) break;
                    it->second->windowLocation = at;
                    ended.push_back(it->second);
                    fingers_.erase(it);
                    break;
                }
                default:
                    break;
            }
        }
        if (!began.empty()) send(TouchPhase::Began, began);
        if (!moved.empty()) send(TouchPhase::Moved, moved);
        if (!ended.empty()) send(TouchPhase::Ended, ended);
    }

    void send(TouchPhase phase, const TouchSet& changed) {
        double now = foundation::RunLoop::main().now();
        for (const TouchPtr& t : changed) t->timestamp = now;
        Event e;
        e.timestamp = now;
        for (auto& [id, finger] : fingers_) e.allTouches.push_back(finger);
        if (mouse_) e.allTouches.push_back(mouse_);
        for (const TouchPtr& t : changed) {
            if (std::find(e.allTouches.begin(), e.allTouches.end(), t) == e.allTouches.end()) e.allTouches.push_back(t);
        }
        window_->sendEvent(e, phase, changed);
    }

    std::shared_ptr<ui::Window> window_;
    QBackingStore store_;
    Compositor compositor_;
    bool updatePending_ = false;
    bool destroying_ = false;
    TouchPtr mouse_;
    std::map<int, TouchPtr> fingers_;
    // Declared after the tree it maps, so it goes first.
    std::unique_ptr<ControlMap> controlMap_ = ControlMap::fromEnvironment();
    foundation::LifeToken life_;  // the next frame's perform ends with the window
};

void WindowHost::setVolumeKeyHandler(VolumeKeyHandler handler) { volumeKeyHandler() = std::move(handler); }

WindowHost::WindowHost(std::shared_ptr<Window> window) : host_(std::make_unique<HostWindow>(std::move(window))) {}

WindowHost::~WindowHost() = default;

void WindowHost::show() { host_->show(); }

void WindowHost::setWindowTitle(const std::string& title) { host_->tree().setTitle(title); }

void WindowHost::setWindowIcon(const std::string& iconPath) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(iconPath, error)) return;
    host_->setIcon(QIcon(QString::fromStdString(iconPath)));
}

QWindow* WindowHost::qWindow() const { return host_.get(); }

Window& WindowHost::window() const { return host_->tree(); }

graphics::Point WindowHost::pointFromWindowPosition(QPointF position) const { return host_->toPoints(position); }

void WindowHost::paintNow() { host_->paint(); }

bool windowsShowOnDesktop() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

std::string portalParentWindow(const Window& window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return {};
    for (QWindow* shown : QGuiApplication::topLevelWindows()) {
        auto* host = dynamic_cast<WindowHost::HostWindow*>(shown);
        if (!host || &host->tree() != &window) continue;
        return "x11:" + QString::number(host->winId(), 16).toStdString();
    }
    return {};
}

}  // namespace ui
