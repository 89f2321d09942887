// The Qt window host under the offscreen platform: what its backing store
// shows, and mouse, key and close events turned into the tree's input.

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GuiApplication.h"
#include "platform/ui/ToolTip.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/gestures/GestureArena.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"
#include "platform/ui/gestures/PinchGestureRecognizer.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"
#include "platform/ui/host/Application.h"
#include "platform/ui/host/WindowHost.h"
#include "platform/ui/lists/ScrollView.h"
#include "support/Process.h"
#include "support/VirtualClock.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointingDevice>
#include <QScreen>
#include <QStyleHints>
#include <QTouchEvent>
#include <QWheelEvent>
#include <QWindow>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using graphics::Point;
using graphics::Rect;

namespace {

class KeyField : public ui::View {
public:
    using View::View;
    std::vector<std::string> log;
    bool canBecomeFirstResponder() const override { return true; }
    bool insertText(const std::string& text) override {
        log.push_back(text);
        return true;
    }
    bool keyPressed(ui::Key key, unsigned) override {
        log.push_back(key == ui::Key::Return      ? "<return>"
                      : key == ui::Key::Backspace ? "<backspace>"
                      : key == ui::Key::Open      ? "<open>"
                                                  : "<key>");
        return true;
    }
    std::vector<Point> pointer;
    bool pointerMoved(const ui::PointerMotion& motion) override {
        pointer.push_back(motion.windowLocation);
        return true;
    }
};

class WindowHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { graphics::ensureGuiApplication(); }

    void SetUp() override {
        window->setBackgroundColor(graphics::Color::rgb(0.1, 0.2, 0.3));
        auto panel = ui::makeView(Rect(20, 30, 120, 80));
        panel->setBackgroundColor(graphics::Color::rgb(1, 0.5, 0));
        panel->layer().setCornerRadius(12);
        panel->setClipsToBounds(true);
        auto inner = ui::makeView(Rect(60, 40, 100, 50));
        inner->setBackgroundColor(graphics::Color::rgb(0, 0.8, 0.2));
        inner->setAlpha(0.5);
        panel->addSubview(inner);
        window->addSubview(panel);
        target = ui::makeView<KeyField>(Rect(200, 120, 80, 60));
        target->setBackgroundColor(graphics::Color::rgb(0.9, 0.9, 0.9));
        window->addSubview(target);
        host = std::make_unique<ui::WindowHost>(window);
        host->show();
        QCoreApplication::processEvents();
    }

    void TearDown() override {
        host.reset();
        QCoreApplication::processEvents();
        ui::GestureArena::shared().resetForTesting();
    }

    // What the offscreen platform holds in the window's backing store.
    QImage grab() {
        QWindow* w = host->qWindow();
        return w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    void mouse(QEvent::Type type, QPointF at) {
        QMouseEvent event(type, at, host->qWindow()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QGuiApplication::sendEvent(host->qWindow(), &event);
    }
    // The pointer moved with no button held.
    void hover(QPointF at) {
        QMouseEvent event(QEvent::MouseMove, at, host->qWindow()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QGuiApplication::sendEvent(host->qWindow(), &event);
    }

    // A wheel turned at a position of the Qt window; a pixel delta is what
    // trackpads add.
    void wheel(QPointF at, QPoint angleDelta, QPoint pixelDelta = {},
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWheelEvent event(at, host->qWindow()->mapToGlobal(at), pixelDelta, angleDelta, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QGuiApplication::sendEvent(host->qWindow(), &event);
    }

    void key(int qtKey, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, text);
        QGuiApplication::sendEvent(host->qWindow(), &event);
    }

    testsupport::VirtualClockScope clock{5};
    std::shared_ptr<ui::Window> window = std::make_shared<ui::Window>(Rect(0, 0, 320, 240));
    std::shared_ptr<KeyField> target;
    std::unique_ptr<ui::WindowHost> host;
};

TEST_F(WindowHostTest, BackingStoreEqualsTheTreesOwnRender) {
    host->paintNow();
    QImage shown = grab();
    QImage own = window->renderImage().bitmap().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(320, 240));
    ASSERT_EQ(own.size(), shown.size());
    shown.save(QString::fromStdString(testsupport::artifactsDirectory() + "/window-host.png"));
    int different = 0;
    for (int y = 0; y < own.height(); ++y) {
        for (int x = 0; x < own.width(); ++x) {
            if (own.pixel(x, y) != shown.pixel(x, y)) ++different;
        }
    }
    EXPECT_EQ(different, 0);
    // And it is the picture itself, not an empty store: the panel's orange.
    EXPECT_EQ(shown.pixel(25, 70), qRgb(255, 128, 0));
}

TEST_F(WindowHostTest, ALargerWindowShowsTheTreeScaledAndCentred) {
    host->qWindow()->resize(640, 600);  // twice the width; 120 spare rows
    QCoreApplication::processEvents();
    host->paintNow();
    QImage shown = grab();
    ASSERT_EQ(shown.size(), QSize(640, 600));
    EXPECT_EQ(shown.pixel(10, 10), qRgb(0, 0, 0)) << "letterbox band not black";
    EXPECT_EQ(shown.pixel(2 * 25, 60 + 2 * 70), qRgb(255, 128, 0));
    Point p = host->pointFromWindowPosition(QPointF(2 * 210, 60 + 2 * 130));
    EXPECT_DOUBLE_EQ(p.x, 210);
    EXPECT_DOUBLE_EQ(p.y, 130);
}

TEST_F(WindowHostTest, MousePressAndReleaseIsATapOnTheViewUnderIt) {
    Point tappedAt{-1, -1};
    int taps = 0;
    auto tap = std::make_shared<ui::TapGestureRecognizer>([&](ui::GestureRecognizer& r) {
        ++taps;
        tappedAt = r.locationInView(target.get());
    });
    target->addGestureRecognizer(tap);
    mouse(QEvent::MouseButtonPress, QPointF(230, 150));
    mouse(QEvent::MouseButtonRelease, QPointF(230, 150));
    EXPECT_EQ(taps, 1);
    EXPECT_DOUBLE_EQ(tappedAt.x, 30);
    EXPECT_DOUBLE_EQ(tappedAt.y, 30);
    // A click beside the view is not its tap.
    mouse(QEvent::MouseButtonPress, QPointF(10, 10));
    mouse(QEvent::MouseButtonRelease, QPointF(10, 10));
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(window->activeTouchCount(), 0u);
}

TEST_F(WindowHostTest, MouseDragIsAPan) {
    auto pan = std::make_shared<ui::PanGestureRecognizer>();
    Point translation;
    std::vector<ui::GestureState> states;
    pan->addTarget([&](ui::GestureRecognizer&) {
        states.push_back(pan->state());
        translation = pan->translationInView(window.get());
    });
    target->addGestureRecognizer(pan);
    mouse(QEvent::MouseButtonPress, QPointF(210, 130));
    for (int i = 1; i <= 5; ++i) {
        foundation::RunLoop::main().advance(1.0 / 60);
        mouse(QEvent::MouseMove, QPointF(210 + 10 * i, 130));
    }
    mouse(QEvent::MouseButtonRelease, QPointF(260, 130));
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), ui::GestureState::Began);
    EXPECT_EQ(states.back(), ui::GestureState::Ended);
    EXPECT_DOUBLE_EQ(translation.x, 50);
}

TEST_F(WindowHostTest, APointerMovingWithoutAButtonReachesTheViewUnderIt) {
    hover(QPointF(230, 150));
    hover(QPointF(10, 10));  // beside the view
    hover(QPointF(250, 170));
    EXPECT_EQ(target->pointer, (std::vector<Point>{{230, 150}, {250, 170}}));
    EXPECT_EQ(window->activeTouchCount(), 0u) << "no finger";
    // With the button held the pointer is a finger: its moves are touches.
    mouse(QEvent::MouseButtonPress, QPointF(230, 150));
    mouse(QEvent::MouseMove, QPointF(240, 150));
    EXPECT_EQ(target->pointer.size(), 2u);
    mouse(QEvent::MouseButtonRelease, QPointF(240, 150));
}

TEST_F(WindowHostTest, TouchScreenFingersAreTouchesOfTheirOwn) {
    static QPointingDevice screen("test touch screen", 4242, QInputDevice::DeviceType::TouchScreen,
                                  QPointingDevice::PointerType::Finger, QInputDevice::Capability::Position, 10, 0);
    auto pinch = std::make_shared<ui::PinchGestureRecognizer>();
    double scale = 0;
    pinch->addTarget([&](ui::GestureRecognizer&) { scale = pinch->scale(); });
    window->setMultipleTouchEnabled(true);
    window->addGestureRecognizer(pinch);
    auto send = [&](QEvent::Type type, QEventPoint::State state, double span) {
        QList<QEventPoint> points{QEventPoint(1, state, QPointF(160 - span / 2, 120), QPointF(160 - span / 2, 120)),
                                  QEventPoint(2, state, QPointF(160 + span / 2, 120), QPointF(160 + span / 2, 120))};
        QTouchEvent event(type, &screen, Qt::NoModifier, points);
        QGuiApplication::sendEvent(host->qWindow(), &event);
    };
    send(QEvent::TouchBegin, QEventPoint::Pressed, 40);
    for (double span = 50; span <= 120; span += 10) {
        foundation::RunLoop::main().advance(1.0 / 60);
        send(QEvent::TouchUpdate, QEventPoint::Updated, span);
    }
    send(QEvent::TouchEnd, QEventPoint::Released, 120);
    EXPECT_NEAR(scale, 3.0, 1e-9);
    EXPECT_EQ(window->activeTouchCount(), 0u);
}

TEST_F(WindowHostTest, RunningAnimationsRepaintEveryFrame) {
    host->paintNow();
    ui::animate(1.0, [&] { target->setAlpha(0.0); });
    QCoreApplication::processEvents();  // the change itself asks for a paint
    QRgb early = grab().pixel(240, 150);
    // Later frames come from the run loop's clock, without further changes.
    foundation::RunLoop::main().advance(0.5 + 1.0 / 60);
    QCoreApplication::processEvents();
    QRgb middle = grab().pixel(240, 150);
    EXPECT_NE(early, middle) << "the window did not follow the animation";
    EXPECT_LT(qRed(middle), qRed(early));
}

class OffsetLog : public ui::ScrollViewDelegate {
public:
    void scrollViewDidScroll(ui::ScrollView& scrollView) override { offsets.push_back(scrollView.contentOffset()); }
    std::vector<Point> offsets;
};

TEST_F(WindowHostTest, WheelScrollsTheNearestScrollViewThatCanMoveItsWay) {
    // A tall list holding a strip that scrolls sideways only.
    auto list = ui::makeView<ui::ScrollView>(Rect(0, 0, 320, 240));
    list->setContentSize(graphics::Size{320, 1000});
    OffsetLog listLog;
    list->setDelegate(&listLog);
    auto strip = ui::makeView<ui::ScrollView>(Rect(10, 200, 300, 100));
    strip->setContentSize(graphics::Size{900, 100});
    list->addSubview(strip);
    window->addSubview(list);

    // One notch towards the user: 120 eighths of a degree, the desktop's
    // three lines of 20 points down.
    ASSERT_EQ(QGuiApplication::styleHints()->wheelScrollLines(), 3);
    wheel(QPointF(50, 100), QPoint(0, -120));
    EXPECT_EQ(list->contentOffset(), (Point{0, 60}));
    EXPECT_EQ(listLog.offsets, (std::vector<Point>{{0, 60}}));
    // Over the strip, which cannot move up or down, the list scrolls.
    wheel(QPointF(50, 200), QPoint(0, -120));
    EXPECT_EQ(list->contentOffset(), (Point{0, 120}));
    EXPECT_EQ(strip->contentOffset(), (Point{0, 0}));
    // Sideways over the strip (now at 80 to 180) moves the strip alone.
    wheel(QPointF(50, 150), QPoint(-240, 0));
    EXPECT_EQ(strip->contentOffset(), (Point{120, 0}));
    EXPECT_EQ(list->contentOffset(), (Point{0, 120}));
    // Back past the strip's start stops at it.
    wheel(QPointF(50, 150), QPoint(1200, 0));
    EXPECT_EQ(strip->contentOffset(), (Point{0, 0}));

    // A long turn stops at the end of the content, with no bounce to come;
    // at the end a further turn changes nothing and tells nobody.
    wheel(QPointF(50, 50), QPoint(0, -120 * 100));
    EXPECT_EQ(list->contentOffset(), (Point{0, 760}));
    EXPECT_FALSE(list->isDecelerating());
    size_t told = listLog.offsets.size();
    wheel(QPointF(50, 50), QPoint(0, -120));
    foundation::RunLoop::main().advance(1);
    EXPECT_EQ(list->contentOffset(), (Point{0, 760}));
    EXPECT_EQ(listLog.offsets.size(), told);

    // A trackpad's pixels are pixels of the Qt window: at twice the size, 40
    // of them are 20 points.
    host->qWindow()->resize(640, 480);
    QCoreApplication::processEvents();
    wheel(QPointF(100, 400), QPoint(0, 120), QPoint(0, 40));
    EXPECT_EQ(list->contentOffset(), (Point{0, 740}));

    // A list with scrolling off keeps still.
    list->setScrollEnabled(false);
    wheel(QPointF(100, 400), QPoint(0, 120));
    EXPECT_EQ(list->contentOffset(), (Point{0, 740}));
    list->setDelegate(nullptr);
}

// A screen that keeps the wheel turns that reach it.
class WheelScreen : public ui::ViewController {
public:
    bool scrollWheel(const ui::WheelEvent& event) override {
        turns.push_back(event);
        return true;
    }
    std::vector<ui::WheelEvent> turns;
};

TEST_F(WindowHostTest, TheWheelReachesTheScreenUnderThePointerWithItsModifiers) {
    auto screen = std::make_shared<WheelScreen>();
    screen->view()->setFrame(Rect(0, 0, 320, 240));
    window->addSubview(screen->viewPtr());
    // Over a list inside the screen: the list scrolls, the screen hears nothing.
    auto list = ui::makeView<ui::ScrollView>(Rect(0, 0, 100, 100));
    list->setContentSize(graphics::Size{100, 400});
    screen->view()->addSubview(list);
    wheel(QPointF(50, 50), QPoint(0, -120));
    EXPECT_EQ(list->contentOffset(), (Point{0, 60}));
    EXPECT_TRUE(screen->turns.empty());
    // With Control held the list does not scroll: the turn goes on to the screen.
    wheel(QPointF(50, 50), QPoint(0, 240), {}, Qt::ControlModifier);
    EXPECT_EQ(list->contentOffset(), (Point{0, 60}));
    ASSERT_EQ(screen->turns.size(), 1u);
    EXPECT_EQ(screen->turns[0].windowLocation, (Point{50, 50}));
    EXPECT_EQ(screen->turns[0].notches, (Point{0, 2}));
    EXPECT_EQ(screen->turns[0].delta, (Point{0, 120}));
    EXPECT_EQ(screen->turns[0].modifiers, unsigned(ui::KeyModifierControl));
    // Beside the list, straight to the screen.
    wheel(QPointF(150, 50), QPoint(0, 60));
    ASSERT_EQ(screen->turns.size(), 2u);
    EXPECT_EQ(screen->turns[1].notches, (Point{0, 0.5}));
    EXPECT_EQ(screen->turns[1].modifiers, unsigned(ui::KeyModifierNone));
}

TEST_F(WindowHostTest, AStripThatOnlyScrollsSidewaysFollowsTheOrdinaryWheel) {
    auto strip = ui::makeView<ui::ScrollView>(Rect(0, 0, 320, 100));
    strip->setContentSize(graphics::Size{1000, 100});
    window->addSubview(strip);
    wheel(QPointF(50, 50), QPoint(0, -120));  // towards the user: on along the strip
    EXPECT_EQ(strip->contentOffset(), (Point{60, 0}));
    wheel(QPointF(50, 50), QPoint(0, 240));
    EXPECT_EQ(strip->contentOffset(), (Point{0, 0}));
    wheel(QPointF(50, 50), QPoint(0, -120), {}, Qt::ControlModifier);  // Control: no scrolling
    EXPECT_EQ(strip->contentOffset(), (Point{0, 0}));
}

TEST_F(WindowHostTest, ATurnOfTheWheelStaysWithTheViewItBeganOn) {
    // A list whose second row takes the wheel itself (a strip of tiles).
    auto list = ui::makeView<ui::ScrollView>(Rect(0, 0, 200, 200));
    list->setContentSize(graphics::Size{200, 300});
    auto row = std::make_shared<WheelScreen>();
    row->view()->setFrame(Rect(0, 100, 200, 100));
    list->addSubview(row->viewPtr());
    window->addSubview(list);
    auto turn = [this](QPointF at, int notches) {
        for (int notch = 0; notch < notches; ++notch) {
            foundation::RunLoop::main().advance(0.03);
            wheel(at, QPoint(0, -120));
        }
    };
    // Over the header: the first notch slides the row under the pointer; the
    // rest of the turn still scrolls the list, to its end and no further.
    turn(QPointF(50, 80), 5);
    EXPECT_EQ(list->contentOffset(), (Point{0, 100}));
    EXPECT_TRUE(row->turns.empty());
    // The wheel rested: a new turn there goes to the row under the pointer.
    foundation::RunLoop::main().advance(ui::Window::kWheelLatchInterval + 0.1);
    turn(QPointF(50, 80), 1);
    EXPECT_EQ(row->turns.size(), 1u);
    // A turn stays on the row; moving the pointer starts a new one.
    list->setContentOffset({0, 40});
    turn(QPointF(50, 80), 2);
    EXPECT_EQ(row->turns.size(), 3u);
    EXPECT_EQ(list->contentOffset(), (Point{0, 40}));
    turn(QPointF(50, 30), 1);
    EXPECT_EQ(row->turns.size(), 3u);
    EXPECT_EQ(list->contentOffset(), (Point{0, 100}));
}

TEST_F(WindowHostTest, KeysReachTheFirstResponder) {
    key(Qt::Key_A, "a");  // nobody listens yet
    ASSERT_TRUE(target->becomeFirstResponder());
    key(Qt::Key_B, "b");
    key(Qt::Key_Return, "\r");
    key(Qt::Key_Backspace, "\b");
    key(Qt::Key_F1);                              // no text, no key of ours
    key(Qt::Key_O, "\x0f", Qt::ControlModifier);  // the desktop's Open
    key(Qt::Key_P, "\x10", Qt::ControlModifier);  // a shortcut of nobody's
    EXPECT_EQ(target->log, (std::vector<std::string>{"b", "<return>", "<backspace>", "<open>"}));
}

TEST_F(WindowHostTest, ThePointerLeavingTheWindowTakesATipDown) {
    target->setToolTip("Target");
    hover(QPointF(230, 150));
    foundation::RunLoop::main().advance(ui::ToolTipTracker::kDelay);
    EXPECT_EQ(window->toolTips().shownText(), "Target");
    QEvent leave(QEvent::Leave);
    QGuiApplication::sendEvent(host->qWindow(), &leave);
    EXPECT_EQ(window->toolTips().shownText(), std::nullopt);
}

TEST_F(WindowHostTest, VolumeKeysGoToTheVolumeHandlerOnly) {
    std::vector<int> steps;
    ui::WindowHost::setVolumeKeyHandler([&steps](int step) { steps.push_back(step); });
    ASSERT_TRUE(target->becomeFirstResponder());
    key(Qt::Key_VolumeUp);
    key(Qt::Key_VolumeDown);
    key(Qt::Key_VolumeUp);
    ui::WindowHost::setVolumeKeyHandler(nullptr);
    key(Qt::Key_VolumeDown);  // no handler: nothing
    EXPECT_EQ(steps, (std::vector<int>{1, -1, 1}));
    EXPECT_TRUE(target->log.empty());
}

TEST_F(WindowHostTest, TitleAndIconOfTheQtWindow) {
    host->setWindowTitle("Tollivar");
    EXPECT_EQ(host->qWindow()->title(), "Tollivar");
    EXPECT_EQ(window->title(), "Tollivar");
    // The Qt window follows the tree window's title.
    window->setTitle("Dusk \u2014 Tollivar");
    EXPECT_EQ(host->qWindow()->title().toStdString(), "Dusk \u2014 Tollivar");
    host->setWindowIcon(std::string(TOLLIVAR_SOURCE_DIR) + "/resources/icons/no-such-icon.svg");
    EXPECT_TRUE(host->qWindow()->icon().isNull()) << "a missing file leaves the desktop's default";
    host->setWindowIcon(std::string(TOLLIVAR_SOURCE_DIR) + "/resources/icons/tollivar.svg");
    QPixmap icon = host->qWindow()->icon().pixmap(64, 64);
    ASSERT_FALSE(icon.isNull());
    // The icon's magenta square, drawn from the SVG.
    EXPECT_EQ(icon.toImage().pixelColor(32, 8).name(), "#d403d7");
}

TEST_F(WindowHostTest, ChangesRepaintTheWindow) {
    host->paintNow();
    EXPECT_FALSE(window->needsComposite());
    target->setBackgroundColor(graphics::Color::rgb(0, 0, 1));
    EXPECT_TRUE(window->needsComposite());
    QCoreApplication::processEvents();  // the posted update paints
    EXPECT_FALSE(window->needsComposite());
    EXPECT_EQ(grab().pixel(240, 150), qRgb(0, 0, 255));
}

TEST_F(WindowHostTest, ClosingTheWindowOrCtrlQTerminatesTheApplication) {
    struct Recorder : ui::ApplicationDelegate {
        int terminated = 0;
        void applicationWillTerminate(ui::Application&) override { ++terminated; }
    };
    ui::Application& app = ui::Application::shared();
    // Ctrl+Q while a field takes the keys; the close last, as it takes the window.
    ASSERT_TRUE(target->becomeFirstResponder());
    for (const bool byKey : {true, false}) {
        SCOPED_TRACE(byKey ? "Ctrl+Q" : "the window's close");
        auto delegate = std::make_shared<Recorder>();
        app.resetForTesting();
        int exits = 0;
        app.launch(delegate);
        app.setExitHandler([&] { ++exits; });
        (void)app.addTerminationKeeper([](bool) { return false; });  // gone with its handle: never asked
        byKey ? key(Qt::Key_Q, "\x11", Qt::ControlModifier) : (void)host->qWindow()->close();
        QCoreApplication::processEvents();
        EXPECT_EQ(delegate->terminated, 1);
        EXPECT_EQ(exits, 1);
    }
    key(Qt::Key_Q, "Q", Qt::ShiftModifier);
    EXPECT_EQ(target->log, std::vector<std::string>{"Q"}) << "a key that is no quit is typed";
    app.resetForTesting();
}

}  // namespace
