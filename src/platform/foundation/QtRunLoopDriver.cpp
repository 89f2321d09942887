#include "platform/foundation/QtRunLoopDriver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <cmath>
#include <limits>

namespace foundation {

namespace {

// Milliseconds from now until `date` on the loop's clock, rounded up so a
// Qt timer never fires before the RunLoop's timer is due.
int millisecondsUntil(RunLoop& loop, double date) {
    double seconds = date - loop.now();
    if (!(seconds > 0)) return 0;
    double ms = std::ceil(seconds * 1000.0);
    return ms > double(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max() : int(ms);
}

}  // namespace

class QtRunLoopDriver::Host final : public RunLoopDriver {
public:
    explicit Host(RunLoop& loop) : loop_(loop) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &context_, [this] { service(); });
        wakeTimer_.setSingleShot(true);
        wakeTimer_.setInterval(0);
        QObject::connect(&wakeTimer_, &QTimer::timeout, &context_, [this] {
            wakePending_ = false;
            service();
        });
        loop_.setDriver(this);  // wakes us once, which serves what is already queued
    }

    ~Host() override { loop_.setDriver(nullptr); }

    // Any thread. One queued start at a time is enough: it serves everything.
    // The start is queued by name, so nothing of ours crosses over inside Qt
    // (where ThreadSanitizer cannot follow): what the wake-up serves is the
    // loop's, under the loop's lock.
    void wake() override {
        if (wakePending_.exchange(true)) return;
        QMetaObject::invokeMethod(&wakeTimer_, "start", Qt::QueuedConnection);
    }

    void waitForEvents(double deadline) override {
        QTimer deadlineTimer;  // its timeout event ends the wait
        if (deadline != std::numeric_limits<double>::infinity()) {
            deadlineTimer.setSingleShot(true);
            deadlineTimer.setTimerType(Qt::PreciseTimer);
            deadlineTimer.start(millisecondsUntil(loop_, deadline));
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }

private:
    void service() {
        loop_.processPending();
        arm();
    }

    void arm() {
        if (auto next = loop_.nextFireDate())
            timer_.start(millisecondsUntil(loop_, *next));
        else
            timer_.stop();
    }

    RunLoop& loop_;
    QObject context_;
    QTimer timer_;      // the next fire date
    QTimer wakeTimer_;  // a wake-up
    std::atomic<bool> wakePending_{false};
};

QtRunLoopDriver::QtRunLoopDriver(RunLoop& loop) : host_(std::make_unique<Host>(loop)) {}

QtRunLoopDriver::~QtRunLoopDriver() = default;

}  // namespace foundation
