#pragma once

// Sends each message to the system log (syslog(3)), at a level that
// follows its flag.

#include "components/support/logging/DDAbstractLogger.h"

#include <map>
#include <memory>
#include <string>

namespace logging {

// The system-log client; tests put a recording double in its place.
class SystemLogClient {
public:
    virtual ~SystemLogClient() = default;
    // One message with its keys ("ReadUID") at a syslog level (2 critical to
    // 5 notice).
    virtual void log(int level, const std::string& text, const std::map<std::string, std::string>& keys) = 0;
};

// syslog(3) under the facility name "com.apple.console".
std::unique_ptr<SystemLogClient> makeSyslogClient();

class DDASLLogger : public DDAbstractLogger {
public:
    static std::shared_ptr<DDASLLogger> sharedInstance();
    // Null once the shared instance exists. A null client opens syslog.
    static std::shared_ptr<DDASLLogger> create(std::unique_ptr<SystemLogClient> client = nullptr);

    void logMessage(const DDLogMessage& message) override;

    // The system-log level of a flag: 1 → 2, 2 → 3, 4 → 4, else 5.
    static int levelForFlag(int flag);

    explicit DDASLLogger(std::unique_ptr<SystemLogClient> client);

private:
    std::unique_ptr<SystemLogClient> client_;
};

}  // namespace logging
