#pragma once

// What the hub asks of a logger and of a formatter.

#include "components/support/logging/DDLogMessage.h"
#include "platform/foundation/DispatchQueue.h"

#include <memory>
#include <optional>
#include <string>

namespace logging {

class DDLogger;

class DDLogFormatter {
public:
    virtual ~DDLogFormatter() = default;
    // The text to write, or null to drop the message. Handing back
    // `message.logMsgShared()` itself means "not formatted".
    virtual std::shared_ptr<const std::string> formatLogMessage(const DDLogMessage& message) = 0;
    virtual void didAddToLogger(DDLogger&) {}
    virtual void willRemoveFromLogger(DDLogger&) {}
};

class DDLogger {
public:
    virtual ~DDLogger() = default;
    // Called on the logger's node queue.
    virtual void logMessage(const DDLogMessage& message) = 0;
    virtual std::shared_ptr<DDLogFormatter> logFormatter() = 0;
    virtual void setLogFormatter(std::shared_ptr<DDLogFormatter> formatter) = 0;

    // Optional parts; the defaults do nothing.
    virtual void didAddLogger() {}
    virtual void willRemoveLogger() {}
    virtual void flush() {}
    // The queue the hub should use for this logger; none lets the hub make one.
    virtual std::optional<foundation::DispatchQueue> loggerQueue() { return std::nullopt; }
    virtual std::string loggerName() { return {}; }
};

struct DDLoggerNode {
    std::shared_ptr<DDLogger> logger;
    foundation::DispatchQueue loggerQueue;
    int logLevel;

    int level() const { return logLevel; }
};

}  // namespace logging
