#pragma once

// Drives a RunLoop (the main one) from Qt's event loop: posted tasks and
// timers of the RunLoop run inside QCoreApplication::exec(), and nested runs
// of the RunLoop keep Qt's events flowing. Create it on the main thread after
// the QCoreApplication (or QGuiApplication) and keep it for the
// application's lifetime.

#include "platform/foundation/RunLoop.h"

#include <memory>

namespace foundation {

class QtRunLoopDriver {
public:
    explicit QtRunLoopDriver(RunLoop& loop = RunLoop::main());
    ~QtRunLoopDriver();
    QtRunLoopDriver(const QtRunLoopDriver&) = delete;
    QtRunLoopDriver& operator=(const QtRunLoopDriver&) = delete;

private:
    class Host;
    std::unique_ptr<Host> host_;
};

}  // namespace foundation
