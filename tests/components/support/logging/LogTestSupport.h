#pragma once

// Loggers and helpers the logging tests share.

#include "components/support/logging/DDAbstractLogger.h"
#include "components/support/logging/DDLog.h"
#include "platform/foundation/DispatchSemaphore.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace logtest {

// Keeps the text and flag of every message it receives; can be stalled so
// that delivery waits in it.
class RecordingLogger : public logging::DDAbstractLogger {
public:
    explicit RecordingLogger(std::string name = "recording") : DDAbstractLogger(std::move(name)) {}

    void logMessage(const logging::DDLogMessage& message) override {
        if (stalled_.load()) gate_.wait();
        std::lock_guard lock(mutex_);
        texts_.push_back(message.logMsg());
        flags_.push_back(message.logFlag());
        if (onMessage) onMessage(message);
    }
    std::vector<std::string> texts() const {
        std::lock_guard lock(mutex_);
        return texts_;
    }
    std::vector<int> flags() const {
        std::lock_guard lock(mutex_);
        return flags_;
    }
    void flush() override { ++flushes; }
    std::atomic<int> flushes{0};

    void stall() { stalled_.store(true); }
    // Lets the message waiting in the logger through, and every later one.
    void release() {
        stalled_.store(false);
        gate_.signal();
    }

    std::function<void(const logging::DDLogMessage&)> onMessage;  // runs on the logger queue

private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
    std::vector<int> flags_;
    std::atomic<bool> stalled_{false};
    foundation::DispatchSemaphore gate_{0};
};

// Logs `text` with `flag`, synchronously unless asked otherwise.
inline void logText(const std::string& text, int flag = logging::kLogFlagInfo, bool asynchronous = false,
                    int context = 0) {
    logging::DDLog::log(asynchronous, logging::kLogLevelAll, flag, context, __FILE__, __func__, __LINE__, std::nullopt,
                        "%s", text.c_str());
}

// Every test leaves the hub without loggers, their goodbyes done.
inline void removeAllLoggersAndWait() {
    const auto loggers = logging::DDLog::allLoggers();
    logging::DDLog::removeAllLoggers();
    logging::DDLog::flushLog();
    for (const auto& logger : loggers) {
        if (auto queue = logger->loggerQueue()) queue->sync([] {});
    }
}

}  // namespace logtest
