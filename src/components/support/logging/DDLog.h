#pragma once

// The process-wide logging hub: an ordered list of loggers, each with a level
// mask and a serial queue, fed on the serial queue "cocoa.lumberjack" in the
// order callers logged and changed the list. Messages that arrive together
// go to each logger as one run on its queue (loggers in parallel), and the
// next run starts once every logger has finished the last. At most 1000
// messages wait for delivery; the next caller blocks until one has been
// delivered, so a slow logger slows the callers down instead of growing
// memory.
//
// Queue order is always the logging queue first, then a logger's queue.

#include "components/support/logging/DDLogMessage.h"
#include "components/support/logging/DDLogger.h"
#include "platform/foundation/DispatchQueue.h"

#include <cstdarg>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace logging {

inline constexpr int kMaxQueuedLogMessages = 1000;
inline constexpr const char* kLoggingQueueLabel = "cocoa.lumberjack";
inline constexpr const char* kWillTerminateNotification = "UIApplicationWillTerminateNotification";

// A class whose log level can be read and set by name.
struct DDRegisteredClass {
    std::string name;
    std::function<int()> ddLogLevel;
    std::function<void(int)> ddSetLogLevel;
};

class DDLog {
public:
    static const foundation::DispatchQueue& loggingQueue();

    // Installs asynchronously; a null logger is ignored. A logger added twice
    // receives every message twice.
    static void addLogger(std::shared_ptr<DDLogger> logger, int level = kLogLevelAll);
    // Removes the first node of this very logger (identity).
    static void removeLogger(const std::shared_ptr<DDLogger>& logger);
    static void removeAllLoggers();
    static std::vector<std::shared_ptr<DDLogger>> allLoggers();

    // Formats and queues a message. A null format logs nothing.
    static void log(bool asynchronous, int level, int flag, int context, const char* file, const char* function,
                    int line, std::optional<std::string> tag, const char* format, ...)
        __attribute__((format(printf, 9, 10)));
    static void logv(bool asynchronous, int level, int flag, int context, const char* file, const char* function,
                     int line, std::optional<std::string> tag, const char* format, va_list args)
        __attribute__((format(printf, 9, 0)));
    static void log(bool asynchronous, std::shared_ptr<const DDLogMessage> message);
    // Waits for a free slot, then hands the message to the logging queue. A
    // synchronous call returns once every logger has handled it; made on the
    // logging queue or a logger's queue it would wait on itself, so there it
    // is queued instead (taking a slot only when one is free).
    static void queueLogMessage(std::shared_ptr<const DDLogMessage> message, bool asynchronously);
    // Runs `block` on the logging queue after everything asked of the hub
    // before it (messages, logger changes, earlier blocks): the first step of
    // a logger's setter.
    static void asyncInOrder(std::function<void()> block);
    // The same, waiting for it: the first step of a logger's getter.
    static void syncInOrder(const std::function<void()>& block);
    // Returns once everything asked of the hub before is done and every
    // installed logger has flushed.
    static void flushLog();
    static void applicationWillTerminate();

    // Per-class levels. A class takes part once registered with both a
    // getter and a setter; registering again under a name replaces it.
    static void registerClass(DDRegisteredClass registration);
    static bool isRegisteredClass(const std::string& name);
    static std::vector<DDRegisteredClass> registeredClasses();
    static std::vector<std::string> registeredClassNames();
    // -1 for a class that is not registered.
    static int logLevelForClass(const std::string& name);
    static int logLevelForClassWithName(const std::string& name) { return logLevelForClass(name); }
    static void setLogLevel(int level, const std::string& className);
    static void setLogLevelForClassWithName(int level, const std::string& name) { setLogLevel(level, name); }

    // Callers waiting for a free slot now (for diagnostics and tests).
    static size_t waitingCallerCount();

    // True when the calling code runs on the logging queue or on the queue
    // of an installed logger.
    static bool isOnLoggingQueues();
};

}  // namespace logging
