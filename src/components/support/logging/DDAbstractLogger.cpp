#include "components/support/logging/DDAbstractLogger.h"

#include "components/support/logging/DDLog.h"

namespace logging {

DDAbstractLogger::DDAbstractLogger(std::string name) : loggerQueue_(name), name_(std::move(name)) {}

bool DDAbstractLogger::isOnGlobalLoggingQueue() const { return DDLog::loggingQueue().isCurrent(); }

void DDAbstractLogger::changeOnLoggerQueue(std::function<void()> block) {
    if (isOnInternalLoggerQueue()) {
        block();
        return;
    }
    auto self = shared_from_this();
    DDLog::asyncInOrder([self, block = std::move(block)]() mutable {
        self->loggerQueue_.async([self, block = std::move(block)] { block(); });
    });
}

void DDAbstractLogger::readOnLoggerQueue(const std::function<void()>& block) const {
    if (isOnInternalLoggerQueue()) {
        block();
        return;
    }
    DDLog::syncInOrder([&] { loggerQueue_.sync(block); });
}

std::shared_ptr<DDLogFormatter> DDAbstractLogger::logFormatter() {
    std::shared_ptr<DDLogFormatter> result;
    readOnLoggerQueue([&] { result = formatter_; });
    return result;
}

void DDAbstractLogger::setLogFormatter(std::shared_ptr<DDLogFormatter> formatter) {
    changeOnLoggerQueue([this, formatter = std::move(formatter)] {
        if (formatter == formatter_) return;
        if (formatter_) formatter_->willRemoveFromLogger(*this);
        formatter_ = formatter;
        if (formatter_) formatter_->didAddToLogger(*this);
    });
}

}  // namespace logging
