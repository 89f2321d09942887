#include "LogTestSupport.h"
#include "components/support/logging/DDASLLogger.h"
#include "components/support/logging/DDTTYLogger.h"
#include "support/ChildProcess.h"
#include "support/ScopedEnvironment.h"

#include <ctime>
#include <gtest/gtest.h>
#include <regex>

using namespace logging;

namespace {

// Every gathering write the logger makes, joined per call.
struct WriteRecorder {
    std::shared_ptr<std::vector<std::string>> calls = std::make_shared<std::vector<std::string>>();
    std::shared_ptr<std::mutex> mutex = std::make_shared<std::mutex>();

    DDTTYLogger::GatherWrite writer() const {
        return [calls = calls, mutex = mutex](const iovec* pieces, int count) -> ssize_t {
            std::string joined;
            for (int i = 0; i < count; ++i)
                joined.append(static_cast<const char*>(pieces[i].iov_base), pieces[i].iov_len);
            std::lock_guard lock(*mutex);
            calls->push_back(joined);
            return static_cast<ssize_t>(joined.size());
        };
    }
    std::vector<std::string> lines() const {
        std::lock_guard lock(*mutex);
        return *calls;
    }
};

class ConsoleLoggers : public ::testing::Test {
protected:
    void TearDown() override { logtest::removeAllLoggersAndWait(); }

    std::shared_ptr<DDTTYLogger> install(TTYColorMode mode) {
        auto logger = DDTTYLogger::create(mode, recorder.writer());
        DDLog::addLogger(logger);
        return logger;
    }
    WriteRecorder recorder;
};

// Returns the text itself or a new string, as asked.
class TaggingFormatter : public DDLogFormatter {
public:
    explicit TaggingFormatter(bool changeText) : changeText_(changeText) {}
    std::shared_ptr<const std::string> formatLogMessage(const DDLogMessage& message) override {
        if (!changeText_) return message.logMsgShared();
        return std::make_shared<const std::string>("<" + message.logMsg() + ">");
    }

private:
    bool changeText_;
};

const std::string kEsc = "\x1b";

TEST(TTYColorModes, FollowTheEnvironment) {
    struct Case {
        const char* xcodeColors;
        const char* term;
        TTYColorMode mode;
    };
    const std::vector<Case> cases = {
        {"YES", "xterm-256color", TTYColorMode::DebuggerConsole},
        {"yes", "xterm-color", TTYColorMode::Terminal16},
        {nullptr, "xterm-256color", TTYColorMode::Terminal256},
        {nullptr, "XTERM-COLOR", TTYColorMode::Terminal16},
        {nullptr, "rxvt-256COLOR", TTYColorMode::Terminal256},
        {nullptr, "xterm-256", TTYColorMode::None},
        {nullptr, nullptr, TTYColorMode::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(colorModeFor(c.xcodeColors, c.term), c.mode) << (c.term ? c.term : "(no TERM)");
    }
}

TEST(TTYColorTables, NearestCodesAndTellingRows) {
    const TTYColorTable& table256 = colorTableFor(TTYColorMode::Terminal256);
    ASSERT_EQ(table256.colors.size(), 240u);
    struct Row {
        int number, r, g, b;
    };
    for (const Row& row : std::vector<Row>{{16, 47, 49, 49},
                                           {124, 214, 57, 30},
                                           {130, 204, 121, 32},
                                           {231, 254, 255, 255},
                                           {244, 151, 152, 153},
                                           {255, 240, 242, 242}}) {
        const size_t index = codeIndexForColor(table256, TTYColor::fromBytes(row.r, row.g, row.b));
        EXPECT_EQ(index, static_cast<size_t>(row.number - 16));
        EXPECT_EQ(table256.foregroundCodes[index], "38;5;" + std::to_string(row.number) + "m");
        EXPECT_EQ(table256.backgroundCodes[index], "48;5;" + std::to_string(row.number) + "m");
    }
    const TTYColorTable& table16 = colorTableFor(TTYColorMode::Terminal16);
    ASSERT_EQ(table16.colors.size(), 16u);
    EXPECT_EQ(table16.foregroundCodes[9], "1;31m");
    EXPECT_EQ(table16.backgroundCodes[0], "40m");
    // Pure black and white: the first of the equally near entries wins.
    EXPECT_EQ(codeIndexForColor(table16, TTYColor{0, 0, 0}), 0u);
    EXPECT_EQ(codeIndexForColor(table16, TTYColor{1, 1, 1}), 15u);
    EXPECT_EQ(codeIndexForColor(colorTableFor(TTYColorMode::None), TTYColor{1, 0, 0}), 0u);
}

TEST_F(ConsoleLoggers, DefaultProfilesColourErrorsAndWarnings) {
    struct Case {
        TTYColorMode mode;
        std::string errorCode, warningCode, reset;
    };
    const std::vector<Case> cases = {
        {TTYColorMode::Terminal256, kEsc + "[38;5;124m", kEsc + "[38;5;130m", kEsc + "[0m"},
        {TTYColorMode::Terminal16, kEsc + "[31m", kEsc + "[33m", kEsc + "[0m"},
        {TTYColorMode::DebuggerConsole, kEsc + "[fg214,57,30;", kEsc + "[fg204,121,32;", kEsc + "[;"},
        {TTYColorMode::None, "", "", ""},
    };
    for (const auto& c : cases) {
        WriteRecorder lines;
        auto logger = DDTTYLogger::create(c.mode, lines.writer());
        logger->setLogFormatter(std::make_shared<TaggingFormatter>(true));
        logger->setColorsEnabled(true);
        DDLog::addLogger(logger);
        logtest::logText("e", kLogFlagError);
        logtest::logText("w", kLogFlagWarning);
        logtest::logText("i", kLogFlagInfo);
        DDLog::removeLogger(logger);
        EXPECT_EQ(lines.lines(), (std::vector<std::string>{c.errorCode + "<e>\n" + c.reset,
                                                           c.warningCode + "<w>\n" + c.reset, "<i>\n"}));
    }
}

TEST_F(ConsoleLoggers, ContextAndTagProfilesWinInTheirOrder) {
    auto logger = install(TTYColorMode::Terminal16);
    logger->setLogFormatter(std::make_shared<TaggingFormatter>(true));
    logger->setColorsEnabled(true);  // loads the every-context defaults
    logger->setForegroundColor(TTYColor::fromBytes(37, 188, 36), std::nullopt, kLogFlagError, 5);
    logger->setForegroundColorForTag(TTYColor::fromBytes(73, 46, 225), TTYColor::fromBytes(0, 0, 0), "net");

    logtest::logText("ctx5", kLogFlagError, false, 5);
    logtest::logText("ctx0", kLogFlagError, false, 0);
    DDLog::log(false, kLogLevelAll, kLogFlagError, 5, nullptr, nullptr, 0, std::string("net"), "%s", "tagged");
    logger->clearColorsForFlag(kLogFlagError);  // context 0: the every-context profile stays
    logtest::logText("after clear", kLogFlagError);
    logger->clearColorsForFlag(kLogFlagError, kAllContexts);
    logtest::logText("cleared", kLogFlagError);
    logger->clearColorsForTag("net");
    DDLog::log(false, kLogLevelAll, kLogFlagInfo, 0, nullptr, nullptr, 0, std::string("net"), "%s", "untagged");

    EXPECT_EQ(recorder.lines(), (std::vector<std::string>{
                                    kEsc + "[32m<ctx5>\n" + kEsc + "[0m",
                                    kEsc + "[31m<ctx0>\n" + kEsc + "[0m",
                                    kEsc + "[34m" + kEsc + "[40m<tagged>\n" + kEsc + "[0m",
                                    kEsc + "[31m<after clear>\n" + kEsc + "[0m",
                                    "<cleared>\n",
                                    "<untagged>\n",
                                }));
    const auto profiles = logger->colorProfiles();
    ASSERT_EQ(profiles.size(), 2u);  // warning default and the context-5 profile
    EXPECT_EQ(profiles[0].mask, kLogFlagWarning);
    EXPECT_NE(profiles[1].description().find("mask:1 ctxt:5 fg:37,188,36 bg:0,0,0 fgCode:32m bgCode:>"),
              std::string::npos);
}

TEST_F(ConsoleLoggers, OneGatheringWritePerWholeLine) {
    auto logger = install(TTYColorMode::None);
    logger->setLogFormatter(std::make_shared<TaggingFormatter>(true));
    const std::string big(5000, 'x');
    logtest::logText(big);
    logtest::logText("ends with newline\n");
    EXPECT_EQ(recorder.lines(), (std::vector<std::string>{"<" + big + ">\n", "<ends with newline\n>\n"}));

    // A short write goes on with the rest instead of cutting the line.
    auto chunks = std::make_shared<std::vector<std::string>>();
    auto stingy = DDTTYLogger::create(TTYColorMode::None, [chunks](const iovec* pieces, int count) -> ssize_t {
        for (int i = 0; i < count; ++i) {
            if (pieces[i].iov_len == 0) continue;
            const size_t length = std::min<size_t>(pieces[i].iov_len, 7);
            chunks->emplace_back(static_cast<const char*>(pieces[i].iov_base), length);
            return static_cast<ssize_t>(length);
        }
        return 0;
    });
    stingy->setLogFormatter(std::make_shared<TaggingFormatter>(true));
    DDLog::addLogger(stingy);
    logtest::logText("a line longer than seven bytes");
    std::string joined;
    for (const auto& chunk : *chunks) joined += chunk;
    EXPECT_EQ(joined, "<a line longer than seven bytes>\n");
}

TEST_F(ConsoleLoggers, UnformattedLinesCarryDateProcessAndThread) {
    testsupport::ScopedEnvironment zone({{"TZ", std::string("UTC+2")}}, [] { tzset(); });
    auto logger = install(TTYColorMode::None);
    const double fiveHoursAndAHalfSecond = 5 * 3600 + 1.5;
    auto message = std::make_shared<DDLogMessage>("hello", kLogLevelAll, kLogFlagInfo, 0, nullptr, nullptr, 0,
                                                  std::nullopt, 0, foundation::Date{fiveHoursAndAHalfSecond});
    DDLog::log(false, message);
    logger->setLogFormatter(std::make_shared<TaggingFormatter>(false));  // hands back the text itself
    DDLog::log(false, message);
    char thread[16];
    std::snprintf(thread, sizeof thread, "%x", message->machThreadID());
    const std::string expected = "2001-01-01 03:00:01:500 " + std::string(program_invocation_short_name) + "[" +
                                 std::to_string(getpid()) + ":" + thread + "] hello\n";
    EXPECT_EQ(recorder.lines(), (std::vector<std::string>{expected, expected}));
}

TEST(ConsoleLoggerInstances, NoSecondLoggerOnceTheSharedOneExists) {
    // In a child: the shared instances live for the rest of the process.
    auto child = testsupport::ChildProcess::forked([] {
        if (!DDTTYLogger::create() || !DDASLLogger::create()) return 1;
        auto tty = DDTTYLogger::sharedInstance();
        auto asl = DDASLLogger::sharedInstance();
        if (!tty || tty != DDTTYLogger::sharedInstance() || asl != DDASLLogger::sharedInstance()) return 2;
        if (DDTTYLogger::create() || DDASLLogger::create()) return 3;
        return tty->loggerName() == "cocoa.lumberjack.ttyLogger" ? 0 : 4;
    });
    EXPECT_EQ(child.wait(), 0);
}

class RecordingSystemLog : public SystemLogClient {
public:
    struct Entry {
        int level;
        std::string text;
        std::string readUID;
    };
    explicit RecordingSystemLog(std::shared_ptr<std::vector<Entry>> entries) : entries_(std::move(entries)) {}
    void log(int level, const std::string& text, const std::map<std::string, std::string>& keys) override {
        auto found = keys.find("ReadUID");
        entries_->push_back({level, text, found == keys.end() ? "" : found->second});
    }

private:
    std::shared_ptr<std::vector<Entry>> entries_;
};

TEST_F(ConsoleLoggers, SystemLogLevelsFollowTheFlag) {
    auto entries = std::make_shared<std::vector<RecordingSystemLog::Entry>>();
    auto logger = DDASLLogger::create(std::make_unique<RecordingSystemLog>(entries));
    ASSERT_TRUE(logger);
    EXPECT_EQ(logger->loggerName(), "cocoa.lumberjack.aslLogger");
    DDLog::addLogger(logger);
    for (int flag : {1, 2, 4, 8, 16}) logtest::logText("flag " + std::to_string(flag), flag);
    DDLog::log(false, kLogLevelAll, kLogFlagError, 0, "DDASLLogCapture", nullptr, 0, std::nullopt, "%s", "echo");
    ASSERT_EQ(entries->size(), 5u);
    const std::vector<int> levels = {2, 3, 4, 5, 5};
    for (size_t i = 0; i < levels.size(); ++i) {
        EXPECT_EQ((*entries)[i].level, levels[i]) << (*entries)[i].text;
        EXPECT_EQ((*entries)[i].readUID, "501");
    }
    EXPECT_EQ((*entries)[4].text, "flag 16");
}

}  // namespace
