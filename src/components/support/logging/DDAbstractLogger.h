#pragma once

// The base of every logger: a formatter and a serial queue of its own.
//
// The logger's state belongs to its queue. Getters pass synchronously
// through the hub's logging queue and then the logger queue; setters pass
// the same way asynchronously. Code already on either queue reads the fields
// directly (a getter there would wait on itself).

#include "components/support/logging/DDLogger.h"

#include <functional>
#include <memory>
#include <string>

namespace logging {

class DDAbstractLogger : public DDLogger, public std::enable_shared_from_this<DDAbstractLogger> {
public:
    explicit DDAbstractLogger(std::string name = {});

    void logMessage(const DDLogMessage&) override {}
    std::shared_ptr<DDLogFormatter> logFormatter() override;
    void setLogFormatter(std::shared_ptr<DDLogFormatter> formatter) override;
    std::optional<foundation::DispatchQueue> loggerQueue() override { return loggerQueue_; }
    std::string loggerName() override { return name_; }

    bool isOnGlobalLoggingQueue() const;
    bool isOnInternalLoggerQueue() const { return loggerQueue_.isCurrent(); }

protected:
    // The formatter's text for the message, or the message's own text
    // without a formatter; null drops the message. On the logger queue.
    std::shared_ptr<const std::string> textFor(const DDLogMessage& message) const {
        return formatter_ ? formatter_->formatLogMessage(message) : message.logMsgShared();
    }
    // Runs `block` on the logger queue: at once when already there, else
    // through the logging queue asynchronously. The logger is kept alive
    // until the block has run.
    void changeOnLoggerQueue(std::function<void()> block);
    // Runs `block` on the logger queue through the logging queue and waits.
    void readOnLoggerQueue(const std::function<void()>& block) const;

    std::shared_ptr<DDLogFormatter> formatter_;  // logger queue only
    foundation::DispatchQueue loggerQueue_;

private:
    std::string name_;
};

}  // namespace logging
