#include "components/support/logging/DDASLLogger.h"

#include <cstring>
#include <mutex>
#include <syslog.h>

namespace logging {

namespace {

class SyslogClient final : public SystemLogClient {
public:
    SyslogClient() { openlog("com.apple.console", LOG_PID, LOG_USER); }
    ~SyslogClient() override { closelog(); }
    void log(int level, const std::string& text, const std::map<std::string, std::string>&) override {
        // syslog has no per-message keys; the level and text are what it keeps.
        syslog(level, "%s", text.c_str());
    }
};

std::mutex instanceMutex;
std::shared_ptr<DDASLLogger> instance;  // guarded by instanceMutex

}  // namespace

std::unique_ptr<SystemLogClient> makeSyslogClient() { return std::make_unique<SyslogClient>(); }

DDASLLogger::DDASLLogger(std::unique_ptr<SystemLogClient> client)
    : DDAbstractLogger("cocoa.lumberjack.aslLogger"), client_(std::move(client)) {}

std::shared_ptr<DDASLLogger> DDASLLogger::create(std::unique_ptr<SystemLogClient> client) {
    {
        std::lock_guard lock(instanceMutex);
        if (instance) return nullptr;
    }
    return std::make_shared<DDASLLogger>(client ? std::move(client) : makeSyslogClient());
}

std::shared_ptr<DDASLLogger> DDASLLogger::sharedInstance() {
    std::lock_guard lock(instanceMutex);
    if (!instance) instance = std::make_shared<DDASLLogger>(makeSyslogClient());
    return instance;
}

int DDASLLogger::levelForFlag(int flag) {
    switch (flag) {
        case kLogFlagError:
            return 2;
        case kLogFlagWarning:
            return 3;
        case kLogFlagInfo:
            return 4;
        default:
            return 5;
    }
}

void DDASLLogger::logMessage(const DDLogMessage& message) {
    // Messages captured from the system log itself must not go back into it.
    if (message.file() && std::strcmp(message.file(), "DDASLLogCapture") == 0) return;
    std::shared_ptr<const std::string> text = textFor(message);
    if (!text) return;
    client_->log(levelForFlag(message.logFlag()), *text, {{"ReadUID", "501"}});
}

}  // namespace logging
