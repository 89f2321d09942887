#include "LogTestSupport.h"
#include "components/support/logging/DDLog.h"
#include "components/support/logging/DDLogMessage.h"
#include "platform/foundation/NotificationCenter.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace logging;
using logtest::RecordingLogger;

namespace {

class LogHub : public ::testing::Test {
protected:
    void TearDown() override { logtest::removeAllLoggersAndWait(); }
};

// Waits (without sleeping) until `condition` holds, at most ten seconds.
bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

TEST_F(LogHub, LevelMasksPickTheFlagsTheyAdmit) {
    struct Case {
        int level;
        std::vector<int> received;
    };
    const std::vector<Case> cases = {{3, {1, 2}}, {kLogLevelAll, {1, 2, 4, 8, 16}}, {4 | 16, {4, 16}}, {0, {}}};
    std::vector<std::shared_ptr<RecordingLogger>> loggers;
    for (const auto& c : cases) {
        loggers.push_back(std::make_shared<RecordingLogger>());
        DDLog::addLogger(loggers.back(), c.level);
    }
    for (int flag : {0, 1, 2, 4, 8, 16}) logtest::logText("flag " + std::to_string(flag), flag);
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(loggers[i]->flags(), cases[i].received) << "level " << cases[i].level;
    }
}

TEST_F(LogHub, AddedLoggersAreListedAtOnceAndRemovedByIdentity) {
    auto logger = std::make_shared<RecordingLogger>();
    auto other = std::make_shared<RecordingLogger>();
    DDLog::addLogger(logger);
    DDLog::addLogger(other);
    DDLog::addLogger(logger);
    EXPECT_EQ(DDLog::allLoggers(), (std::vector<std::shared_ptr<DDLogger>>{logger, other, logger}));

    logtest::logText("twice");
    EXPECT_EQ(logger->texts(), (std::vector<std::string>{"twice", "twice"}));

    DDLog::removeLogger(logger);  // only the first of its two nodes
    DDLog::removeLogger(nullptr);
    EXPECT_EQ(DDLog::allLoggers(), (std::vector<std::shared_ptr<DDLogger>>{other, logger}));
    logtest::logText("once");
    EXPECT_EQ(logger->texts(), (std::vector<std::string>{"twice", "twice", "once"}));
    EXPECT_EQ(other->texts(), (std::vector<std::string>{"twice", "once"}));
}

TEST_F(LogHub, SlotsComeBackWithoutAnyLogger) {
    // More messages than slots: each delivery must return its slot.
    for (int i = 0; i < kMaxQueuedLogMessages + 200; ++i) logtest::logText("nobody listens", kLogFlagError, true);
    DDLog::flushLog();
    auto logger = std::make_shared<RecordingLogger>();
    DDLog::addLogger(logger);
    logtest::logText("heard");
    EXPECT_EQ(logger->texts(), std::vector<std::string>{"heard"});
}

TEST_F(LogHub, TheMessageAfterAThousandWaitingOnesWaitsForADelivery) {
    auto logger = std::make_shared<RecordingLogger>();
    logger->stall();
    DDLog::addLogger(logger);
    for (int i = 0; i < kMaxQueuedLogMessages; ++i) logtest::logText(std::to_string(i), kLogFlagInfo, true);

    std::atomic<bool> returned{false};
    std::thread caller([&] {
        logtest::logText("one too many", kLogFlagInfo, true);
        returned = true;
    });
    ASSERT_TRUE(eventually([] { return DDLog::waitingCallerCount() == 1; }));
    EXPECT_FALSE(returned.load());

    logger->release();
    caller.join();
    EXPECT_TRUE(returned.load());
    DDLog::flushLog();
    const auto texts = logger->texts();
    ASSERT_EQ(texts.size(), static_cast<size_t>(kMaxQueuedLogMessages + 1));
    EXPECT_EQ(texts.front(), "0");
    EXPECT_EQ(texts.back(), "one too many");
}

TEST_F(LogHub, ASynchronousCallFromInsideALoggerIsQueuedInsteadOfWaitingOnItself) {
    auto logger = std::make_shared<RecordingLogger>();
    logger->onMessage = [](const DDLogMessage& message) {
        if (message.logMsg() == "outer") logtest::logText("inner", kLogFlagInfo, false);
    };
    DDLog::addLogger(logger);
    logtest::logText("outer");
    DDLog::loggingQueue().sync([] { logtest::logText("from the logging queue", kLogFlagInfo, false); });
    DDLog::flushLog();
    logtest::logText("last");
    EXPECT_EQ(logger->texts(), (std::vector<std::string>{"outer", "inner", "from the logging queue", "last"}));
}

TEST_F(LogHub, TerminationFlushesEveryLogger) {
    auto first = std::make_shared<RecordingLogger>();
    auto second = std::make_shared<RecordingLogger>();
    DDLog::addLogger(first);
    DDLog::addLogger(second, kLogFlagError);
    foundation::NotificationCenter::defaultCenter().post(kWillTerminateNotification);
    EXPECT_EQ(first->flushes.load(), 1);
    EXPECT_EQ(second->flushes.load(), 1);
}

class FormatterProbe : public DDLogFormatter {
public:
    std::shared_ptr<const std::string> formatLogMessage(const DDLogMessage& message) override {
        return message.logMsgShared();
    }
    void didAddToLogger(DDLogger&) override { ++added; }
    void willRemoveFromLogger(DDLogger&) override { ++removed; }
    std::atomic<int> added{0};
    std::atomic<int> removed{0};
};

TEST_F(LogHub, FormatterChangesCallTheHooksOncePerRealChange) {
    auto logger = std::make_shared<RecordingLogger>();
    auto first = std::make_shared<FormatterProbe>();
    auto second = std::make_shared<FormatterProbe>();
    logger->setLogFormatter(first);
    EXPECT_EQ(logger->logFormatter(), first);
    logger->setLogFormatter(first);
    logger->setLogFormatter(second);
    EXPECT_EQ(logger->logFormatter(), second);
    EXPECT_EQ(first->added.load(), 1);
    EXPECT_EQ(first->removed.load(), 1);
    EXPECT_EQ(second->added.load(), 1);
    EXPECT_EQ(second->removed.load(), 0);
    EXPECT_EQ(logger->loggerName(), "recording");
    EXPECT_EQ(logger->loggerQueue()->label(), "recording");
}

TEST(LogMessage, FileNamesLoseFoldersAndTheLastExtensionOnly) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"/src/app/Client.m", "Client"},
        {"Client.m", "Client"},
        {"/a/c.d.m", "c.d"},
        {"/a/b.c/d", "d"},
        {"plain", "plain"},
        {"/a/.hidden", ""},
        {"/a/b/", ""},
        {"/ü/naïve.cpp", "naïve"},
    };
    for (const auto& [path, name] : cases) {
        DDLogMessage message("text", 0, 1, 0, path, nullptr, 1, std::nullopt, 0);
        EXPECT_EQ(message.fileName(), std::optional<std::string>(name)) << path;
    }
    DDLogMessage none("text", 0, 1, 0, nullptr, nullptr, 1, std::nullopt, 0);
    EXPECT_EQ(none.fileName(), std::nullopt);
    EXPECT_EQ(none.methodName(), std::nullopt);
}

TEST(LogMessage, CopiesOwnTheTextsTheirOptionsAskFor) {
    std::string function = "doWork";
    std::string file = "/a/Work.cpp";
    auto owning = std::make_unique<DDLogMessage>("m", 3, 1, 7, file.c_str(), function.c_str(), 12, "tag",
                                                 kLogMessageCopyFunction, foundation::Date{5.5});
    EXPECT_NE(owning->function(), function.c_str());
    EXPECT_EQ(owning->file(), file.c_str());  // not asked to copy: the caller's text
    DDLogMessage copy(*owning);
    EXPECT_NE(copy.function(), owning->function());
    EXPECT_EQ(copy.file(), file.c_str());
    owning.reset();
    function = "changed";
    EXPECT_EQ(copy.methodName(), std::optional<std::string>("doWork"));
    EXPECT_EQ(copy.logMsg(), "m");
    EXPECT_EQ(copy.logLevel(), 3);
    EXPECT_EQ(copy.logContext(), 7);
    EXPECT_EQ(copy.lineNumber(), 12);
    EXPECT_EQ(copy.tag(), std::optional<std::string>("tag"));
    EXPECT_EQ(copy.timestamp().sinceReferenceDate, 5.5);
}

TEST(LogMessage, RecordsTheCreatingThreadAndQueue) {
    char expected[16];
    std::snprintf(expected, sizeof expected, "%x", static_cast<unsigned>(gettid()));
    DDLogMessage here("t", 0, 1, 0, nullptr, nullptr, 0, std::nullopt, 0);
    EXPECT_EQ(here.threadID(), expected);
    EXPECT_EQ(here.queueLabel(), foundation::DispatchQueue::main().label());

    foundation::DispatchQueue queue("com.example.worker");
    std::string label;
    std::string threadID;
    queue.sync([&] {
        DDLogMessage there("t", 0, 1, 0, nullptr, nullptr, 0, std::nullopt, 0);
        label = there.queueLabel();
        threadID = there.threadID();
    });
    EXPECT_EQ(label, "com.example.worker");
    EXPECT_FALSE(threadID.empty());
}

TEST(LogLevels, OnlyClassesWithGetterAndSetterTakePart) {
    static int level = 4;
    DDLog::registerClass({"LevelledClass", [] { return level; }, [](int value) { level = value; }});
    DDLog::registerClass({"GetterOnlyClass", [] { return 8; }, nullptr});
    EXPECT_TRUE(DDLog::isRegisteredClass("LevelledClass"));
    EXPECT_FALSE(DDLog::isRegisteredClass("GetterOnlyClass"));
    EXPECT_EQ(DDLog::logLevelForClass("LevelledClass"), 4);
    EXPECT_EQ(DDLog::logLevelForClass("GetterOnlyClass"), -1);
    EXPECT_EQ(DDLog::logLevelForClassWithName("Unknown"), -1);
    DDLog::setLogLevelForClassWithName(31, "LevelledClass");
    DDLog::setLogLevel(1, "GetterOnlyClass");
    EXPECT_EQ(level, 31);
    const auto names = DDLog::registeredClassNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "LevelledClass"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "GetterOnlyClass"), names.end());
}

}  // namespace
