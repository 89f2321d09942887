#pragma once

// Helpers of the file logger tests: a file logger driven on its own queue,
// a manager that reports rolls, and a capture of standard error.

#include "components/support/logging/DDFileLogger.h"
#include "platform/foundation/DispatchSemaphore.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace logtest {

// Hands `text` to the logger on its own queue, as the hub would.
inline void writeDirectly(logging::DDFileLogger& logger, const std::string& text,
                          foundation::Date timestamp = foundation::Date::now()) {
    logging::DDLogMessage message(text, logging::kLogLevelAll, logging::kLogFlagInfo, 0, nullptr, nullptr, 0,
                                  std::nullopt, 0, timestamp);
    logger.loggerQueue()->sync([&] { logger.logMessage(message); });
}

// Returns the message text itself: lines are exactly what was logged.
class PlainFormatter : public logging::DDLogFormatter {
public:
    std::shared_ptr<const std::string> formatLogMessage(const logging::DDLogMessage& message) override {
        return message.logMsgShared();
    }
};

// Keeps the paths of rolled files and signals each roll.
class RollWatchingManager : public logging::DDLogFileManagerDefault {
public:
    using DDLogFileManagerDefault::DDLogFileManagerDefault;
    void didRollAndArchiveLogFile(const std::string& path) override {
        {
            std::lock_guard lock(mutex_);
            rolled_.push_back(path);
        }
        rolls.signal();
    }
    std::vector<std::string> rolled() const {
        std::lock_guard lock(mutex_);
        return rolled_;
    }
    foundation::DispatchSemaphore rolls{0};

private:
    mutable std::mutex mutex_;
    std::vector<std::string> rolled_;
};

// Sends standard error to a file for the life of the object.
class StandardErrorCapture {
public:
    StandardErrorCapture();
    ~StandardErrorCapture();
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;
    std::string text() const;

private:
    int saved_ = -1;
    int file_ = -1;
};

// The lines of a file, without their newlines; a last line without one is
// returned with "<unterminated>" after it.
std::vector<std::string> linesOfFile(const std::string& path);

}  // namespace logtest
