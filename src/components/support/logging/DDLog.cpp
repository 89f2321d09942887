#include "components/support/logging/DDLog.h"

#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchSemaphore.h"
#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace logging {

namespace {

struct Hub {
    foundation::DispatchQueue queue{kLoggingQueueLabel};
    std::vector<DDLoggerNode> nodes;  // used on `queue` only
    foundation::DispatchGroup group;
    foundation::DispatchSemaphore slots{kMaxQueuedLogMessages};
    unsigned processorCount = 1;

    // The queues of installed loggers, for telling whether a caller runs
    // on one (read from any thread).
    std::mutex nodeQueuesMutex;
    std::vector<foundation::DispatchQueue> nodeQueues;

    std::mutex classesMutex;
    std::vector<DDRegisteredClass> classes;

    foundation::ObserverToken terminateObserver;

    Hub() {
        const long configured = sysconf(_SC_NPROCESSORS_CONF);
        processorCount = configured > 1 ? static_cast<unsigned>(configured) : 1;
        nodes.reserve(4);
        terminateObserver = foundation::NotificationCenter::defaultCenter().addObserver(
            kWillTerminateNotification, nullptr, [](const foundation::Notification&) { DDLog::flushLog(); });
    }
};

// Lives for the whole process: loggers may still log from static destructors.
Hub& hub() {
    static Hub* instance = new Hub;
    return *instance;
}

void noteQueueAdded(const foundation::DispatchQueue& queue) {
    std::lock_guard lock(hub().nodeQueuesMutex);
    hub().nodeQueues.push_back(queue);
}

void noteQueueRemoved(const foundation::DispatchQueue& queue) {
    std::lock_guard lock(hub().nodeQueuesMutex);
    auto& queues = hub().nodeQueues;
    auto found = std::find(queues.begin(), queues.end(), queue);
    if (found != queues.end()) queues.erase(found);
}

void ltAddLogger(std::shared_ptr<DDLogger> logger, int level) {
    std::optional<foundation::DispatchQueue> queue = logger->loggerQueue();
    if (!queue) queue.emplace(logger->loggerName());
    hub().nodes.push_back(DDLoggerNode{logger, *queue, level});
    noteQueueAdded(*queue);
    queue->async([logger] { logger->didAddLogger(); });
}

void ltRemoveLogger(const std::shared_ptr<DDLogger>& logger) {
    auto& nodes = hub().nodes;
    auto found = std::find_if(nodes.begin(), nodes.end(), [&](const DDLoggerNode& n) { return n.logger == logger; });
    if (found == nodes.end()) return;
    auto removed = found->logger;
    found->loggerQueue.async([removed] { removed->willRemoveLogger(); });
    noteQueueRemoved(found->loggerQueue);
    nodes.erase(found);
}

void ltRemoveAllLoggers() {
    for (const auto& node : hub().nodes) {
        auto removed = node.logger;
        node.loggerQueue.async([removed] { removed->willRemoveLogger(); });
        noteQueueRemoved(node.loggerQueue);
    }
    hub().nodes.clear();
}

// What the logging queue has still to do, in the order callers asked for
// it: messages and changes of the logger list.
struct Event {
    enum class Kind { Message, Add, Remove, RemoveAll, Run };
    Kind kind;
    std::shared_ptr<const DDLogMessage> message;
    bool holdsSlot = false;
    std::shared_ptr<DDLogger> logger;
    int level = 0;
    std::function<void()> block = {};
};

struct Pending {
    std::mutex mutex;
    std::deque<Event> events;
    bool drainScheduled = false;
};

Pending& pending() {
    static Pending* instance = new Pending;
    return *instance;
}

// Delivers a run of messages: each picked logger gets its share in order in
// one block on its queue, the loggers in parallel; the run ends when every
// logger is done, and only then are the callers' slots given back.
void deliver(const std::vector<const Event*>& run) {
    Hub& h = hub();
    for (const auto& node : h.nodes) {
        auto share = std::make_shared<std::vector<std::shared_ptr<const DDLogMessage>>>();
        for (const Event* event : run) {
            if (node.logLevel & event->message->logFlag()) share->push_back(event->message);
        }
        if (share->empty()) continue;
        auto logger = node.logger;
        auto deliverShare = [logger, share] {
            for (const auto& message : *share) logger->logMessage(*message);
        };
        if (h.processorCount > 1) {
            h.group.async(node.loggerQueue, deliverShare);
        } else {
            node.loggerQueue.sync(deliverShare);
        }
    }
    if (h.processorCount > 1) h.group.wait();
    for (const Event* event : run) {
        if (event->holdsSlot) h.slots.signal();
    }
}

// On the logging queue: works through everything asked for so far. Messages
// that follow each other are delivered as one run, so a burst costs one
// hand-over per logger instead of one per message.
void drainPending() {
    Pending& p = pending();
    for (;;) {
        std::deque<Event> events;
        {
            std::lock_guard lock(p.mutex);
            if (p.events.empty()) {
                p.drainScheduled = false;
                return;
            }
            events.swap(p.events);
        }
        std::vector<const Event*> run;
        for (const Event& event : events) {
            if (event.kind == Event::Kind::Message) {
                run.push_back(&event);
                continue;
            }
            if (!run.empty()) deliver(run);
            run.clear();
            switch (event.kind) {
                case Event::Kind::Add:
                    ltAddLogger(event.logger, event.level);
                    break;
                case Event::Kind::Remove:
                    ltRemoveLogger(event.logger);
                    break;
                case Event::Kind::RemoveAll:
                    ltRemoveAllLoggers();
                    break;
                case Event::Kind::Run:
                    event.block();
                    break;
                case Event::Kind::Message:
                    break;
            }
        }
        if (!run.empty()) deliver(run);
    }
}

void post(Event event) {
    Pending& p = pending();
    bool schedule;
    {
        std::lock_guard lock(p.mutex);
        p.events.push_back(std::move(event));
        schedule = !std::exchange(p.drainScheduled, true);
    }
    if (schedule) hub().queue.async([] { drainPending(); });
}

void ltFlush() {
    drainPending();
    Hub& h = hub();
    for (const auto& node : h.nodes) {
        auto logger = node.logger;
        h.group.async(node.loggerQueue, [logger] { logger->flush(); });
    }
    h.group.wait();
}

}  // namespace

const foundation::DispatchQueue& DDLog::loggingQueue() { return hub().queue; }

void DDLog::addLogger(std::shared_ptr<DDLogger> logger, int level) {
    if (!logger) return;
    post(Event{Event::Kind::Add, nullptr, false, std::move(logger), level});
}

void DDLog::removeLogger(const std::shared_ptr<DDLogger>& logger) {
    if (!logger) return;
    post(Event{Event::Kind::Remove, nullptr, false, logger, 0});
}

void DDLog::removeAllLoggers() { post(Event{Event::Kind::RemoveAll, nullptr, false, nullptr, 0}); }

std::vector<std::shared_ptr<DDLogger>> DDLog::allLoggers() {
    std::vector<std::shared_ptr<DDLogger>> result;
    hub().queue.sync([&] {
        drainPending();
        for (const auto& node : hub().nodes) result.push_back(node.logger);
    });
    return result;
}

void DDLog::log(bool asynchronous, int level, int flag, int context, const char* file, const char* function, int line,
                std::optional<std::string> tag, const char* format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    logv(asynchronous, level, flag, context, file, function, line, std::move(tag), format, args);
    va_end(args);
}

void DDLog::logv(bool asynchronous, int level, int flag, int context, const char* file, const char* function, int line,
                 std::optional<std::string> tag, const char* format, va_list args) {
    if (!format) return;
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(length));
    }
    auto message = std::make_shared<const DDLogMessage>(std::move(text), level, flag, context, file, function, line,
                                                        std::move(tag), 0);
    queueLogMessage(std::move(message), asynchronous);
}

void DDLog::log(bool asynchronous, std::shared_ptr<const DDLogMessage> message) {
    if (message) queueLogMessage(std::move(message), asynchronous);
}

void DDLog::queueLogMessage(std::shared_ptr<const DDLogMessage> message, bool asynchronously) {
    Hub& h = hub();
    if (isOnLoggingQueues()) {
        // Waiting for a slot or for delivery here would wait on ourselves.
        const bool holdsSlot = h.slots.wait(0);
        post(Event{Event::Kind::Message, std::move(message), holdsSlot, nullptr, 0});
        return;
    }
    h.slots.wait();
    post(Event{Event::Kind::Message, std::move(message), true, nullptr, 0});
    // Returns once the message (and everything asked for before it) is
    // delivered.
    if (!asynchronously) h.queue.sync([] { drainPending(); });
}

void DDLog::asyncInOrder(std::function<void()> block) {
    if (!block) return;
    post(Event{Event::Kind::Run, nullptr, false, nullptr, 0, std::move(block)});
}

void DDLog::syncInOrder(const std::function<void()>& block) {
    hub().queue.sync([&] {
        drainPending();
        block();
    });
}

void DDLog::flushLog() {
    if (isOnLoggingQueues()) {
        hub().queue.async([] { ltFlush(); });
        return;
    }
    hub().queue.sync([] { ltFlush(); });
}

void DDLog::applicationWillTerminate() { flushLog(); }

void DDLog::registerClass(DDRegisteredClass registration) {
    Hub& h = hub();
    std::lock_guard lock(h.classesMutex);
    auto found = std::find_if(h.classes.begin(), h.classes.end(),
                              [&](const DDRegisteredClass& c) { return c.name == registration.name; });
    if (found != h.classes.end()) {
        *found = std::move(registration);
    } else {
        h.classes.push_back(std::move(registration));
    }
}

std::vector<DDRegisteredClass> DDLog::registeredClasses() {
    Hub& h = hub();
    std::lock_guard lock(h.classesMutex);
    std::vector<DDRegisteredClass> result;
    for (const auto& c : h.classes) {
        if (c.ddLogLevel && c.ddSetLogLevel) result.push_back(c);
    }
    return result;
}

bool DDLog::isRegisteredClass(const std::string& name) {
    for (const auto& c : registeredClasses()) {
        if (c.name == name) return true;
    }
    return false;
}

std::vector<std::string> DDLog::registeredClassNames() {
    std::vector<std::string> names;
    for (const auto& c : registeredClasses()) names.push_back(c.name);
    return names;
}

int DDLog::logLevelForClass(const std::string& name) {
    for (const auto& c : registeredClasses()) {
        if (c.name == name) return c.ddLogLevel();
    }
    return -1;
}

void DDLog::setLogLevel(int level, const std::string& className) {
    for (const auto& c : registeredClasses()) {
        if (c.name == className) c.ddSetLogLevel(level);
    }
}

size_t DDLog::waitingCallerCount() { return hub().slots.waitingCount(); }

bool DDLog::isOnLoggingQueues() {
    Hub& h = hub();
    if (h.queue.isCurrent()) return true;
    std::lock_guard lock(h.nodeQueuesMutex);
    return std::any_of(h.nodeQueues.begin(), h.nodeQueues.end(),
                       [](const foundation::DispatchQueue& q) { return q.isCurrent(); });
}

}  // namespace logging
