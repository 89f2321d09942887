#include "FileLoggerTestSupport.h"
#include "LogTestSupport.h"
#include "components/support/logging/DDLogFileFormatterDefault.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "support/Process.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"
#include "support/VirtualClock.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/xattr.h>

using namespace logging;
using logtest::linesOfFile;
using logtest::writeDirectly;

namespace {

class FileLoggers : public ::testing::Test {
protected:
    void TearDown() override { logtest::removeAllLoggersAndWait(); }

    std::string logsFolder() const { return DDLogFileManagerDefault::defaultLogsDirectory(); }
    const std::string& app() const { return DDLogFileManagerDefault::applicationName(); }
    std::vector<std::string> logFiles() const { return testsupport::namesInFolder(logsFolder()); }
    std::string inLogs(const std::string& name) const { return logsFolder() + "/" + name; }

    static std::shared_ptr<DDFileLogger> plainLogger(std::shared_ptr<DDLogFileManager> manager = nullptr) {
        auto logger = std::make_shared<DDFileLogger>(std::move(manager));
        logger->setLogFormatter(std::make_shared<logtest::PlainFormatter>());
        settle(*logger);
        return logger;
    }

    // Waits until what was handed to the logging queue has reached the logger.
    static void settle(DDFileLogger& logger) {
        DDLog::flushLog();
        logger.loggerQueue()->sync([] {});
    }

    testsupport::TempAppFolders folders;
    testsupport::ScopedEnvironment zone{{{"TZ", std::string("UTC-1")}}, [] { tzset(); }};
};

bool archivedByPython(const std::string& path) {
    const auto result = testsupport::runPython(
        "import os, sys\n"
        "print(repr(os.getxattr(sys.argv[1], 'user.lumberjack.log.archived')))\n",
        {path});
    return result.exitCode == 0 && result.output == "b''\n";
}

TEST_F(FileLoggers, TheFirstMessageMakesTheFolderAndAFileNamedAfterTheMinute) {
    ASSERT_FALSE(std::filesystem::exists(logsFolder()));
    auto logger = std::make_shared<DDFileLogger>();  // the default formatter
    EXPECT_EQ(logger->loggerName(), "cocoa.lumberjack.fileLogger");
    DDLog::addLogger(logger);
    const std::string before = formatLogFileDate(foundation::Date::now());
    const double morning = 5 * 3600 + 0.25;  // 2001-01-01 05:00:00.250 GMT
    DDLog::log(false, std::make_shared<DDLogMessage>("hello", kLogLevelAll, kLogFlagInfo, 0, nullptr, nullptr, 0,
                                                     std::nullopt, 0, foundation::Date{morning}));
    DDLog::log(false, std::make_shared<DDLogMessage>("two\n", kLogLevelAll, kLogFlagInfo, 0, nullptr, nullptr, 0,
                                                     std::nullopt, 0, foundation::Date{morning + 61.5}));
    const std::string after = formatLogFileDate(foundation::Date::now());

    const auto names = logFiles();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0] == app() + " " + before + ".log" || names[0] == app() + " " + after + ".log") << names[0];
    EXPECT_EQ(app(), "com.marrowick.tollivar");
    // Local time one hour east of GMT; a text with its own newline gets no second one.
    EXPECT_EQ(testsupport::readFileBytes(inLogs(names[0])),
              "2001/01/01 06:00:00:250  hello\n2001/01/01 06:01:01:750  two\n");
    DDLogFileInfo info(inLogs(names[0]));
    EXPECT_EQ(info.extendedAttributeValue(kProtectionAttributeName),
              std::optional<std::string>(kFileProtectionCompleteUnlessOpen));
    EXPECT_FALSE(info.isArchived());
}

TEST_F(FileLoggers, NamesTakenInTheSameMinuteGetANumber) {
    auto manager = std::make_shared<DDLogFileManagerDefault>();
    for (int attempt = 0; attempt < 3; ++attempt) {  // again if the minute turned meanwhile
        std::filesystem::remove_all(logsFolder());
        const std::string name = manager->newLogFileName();
        const std::string first = manager->createNewLogFile();
        const std::string second = manager->createNewLogFile();
        const std::string third = manager->createNewLogFile();
        if (manager->newLogFileName() != name) continue;
        const std::string stem = name.substr(0, name.size() - 4);
        EXPECT_EQ(first, inLogs(name));
        EXPECT_EQ(second, inLogs(stem + " 2.log"));
        EXPECT_EQ(third, inLogs(stem + " 3.log"));
        return;
    }
    FAIL() << "the minute kept turning";
}

TEST_F(FileLoggers, CreationGivesUpAfterAThousandNamesOrAnyOtherError) {
    auto manager = std::make_shared<DDLogFileManagerDefault>();
    manager->setMaximumNumberOfLogFiles(0);
    bool checked = false;
    for (int attempt = 0; attempt < 3 && !checked; ++attempt) {
        const std::string name = manager->newLogFileName();
        const std::string stem = name.substr(0, name.size() - 4);
        std::filesystem::create_directories(logsFolder());
        testsupport::writeFileBytes(inLogs(name), "");
        for (int n = 2; n <= 1000; ++n)
            testsupport::writeFileBytes(inLogs(stem + " " + std::to_string(n) + ".log"), "");
        try {
            manager->createNewLogFile();
            if (manager->newLogFileName() == name) ADD_FAILURE() << "a 1001st name was tried";
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code().value(), EEXIST);
            checked = manager->newLogFileName() == name;
        }
        std::filesystem::remove_all(logsFolder());
    }
    EXPECT_TRUE(checked);

    // A folder that is a file: no name can work, so none is tried twice.
    testsupport::writeFileBytes(folders.root() + "/not-a-folder", "x");
    DDLogFileManagerDefault blocked(folders.root() + "/not-a-folder");
    logtest::StandardErrorCapture capture;
    EXPECT_THROW(blocked.createNewLogFile(), std::system_error);
    EXPECT_EQ(capture.text(), "DDFileLogManagerDefault: Error creating logsDirectory: Not a directory\n");
}

TEST_F(FileLoggers, TheLineCrossingTheSizeStaysAndTheNextStartsAFile) {
    auto manager = std::make_shared<logtest::RollWatchingManager>();
    auto logger = plainLogger(manager);
    DDLog::addLogger(logger);
    EXPECT_EQ(logger->maximumFileSize(), 1048576u);
    const std::string line(999, 'x');  // 1000 bytes with its newline
    for (int i = 1; i <= 1049; ++i) logtest::logText(line);
    ASSERT_EQ(manager->rolled().size(), 1u);
    const std::string full = manager->rolled()[0];
    EXPECT_EQ(std::filesystem::file_size(full), 1049000u);
    EXPECT_TRUE(archivedByPython(full));

    logtest::logText("next");
    const auto paths = manager->sortedLogFilePaths();
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[1], full);
    EXPECT_EQ(testsupport::readFileBytes(paths[0]), "next\n");
    EXPECT_FALSE(archivedByPython(paths[0]));
}

TEST_F(FileLoggers, ARelaunchResumesTheNewestFileUnlessToldNotTo) {
    std::string resumed;
    {
        auto first = plainLogger();
        writeDirectly(*first, "one");
    }
    {
        auto second = plainLogger();
        writeDirectly(*second, "two");
        resumed = second->logFileManager()->sortedLogFilePaths().at(0);
    }
    EXPECT_EQ(testsupport::readFileBytes(resumed), "one\ntwo\n");

    auto fresh = plainLogger();
    fresh->setDoNotReuseLogFiles(true);
    writeDirectly(*fresh, "three");
    const auto paths = fresh->logFileManager()->sortedLogFilePaths();
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[1], resumed);
    EXPECT_FALSE(DDLogFileInfo(resumed).isArchived());
    EXPECT_EQ(testsupport::readFileBytes(paths[0]), "three\n");

    // A newest file already marked archived is never written again.
    DDLogFileInfo(paths[0]).setIsArchived(true);
    fresh.reset();
    auto after = plainLogger();
    writeDirectly(*after, "four");
    const auto now = after->logFileManager()->sortedLogFilePaths();
    ASSERT_EQ(now.size(), 3u);
    EXPECT_EQ(testsupport::readFileBytes(now[0]), "four\n");
}

TEST_F(FileLoggers, OnlyTheNewestArchivedFilesAreKeptAndOddNamesAreLeftAlone) {
    auto manager = std::make_shared<DDLogFileManagerDefault>();
    manager->setMaximumNumberOfLogFiles(0);
    std::vector<std::string> archived;
    for (int i = 0; i < 5; ++i) {
        archived.push_back(manager->createNewLogFile());
        DDLogFileInfo(archived.back()).setIsArchived(true);
    }
    const std::string current = manager->createNewLogFile();
    const std::vector<std::string> odd = {app() + " 2026-13-45 10-99.log", app() + " not a date at all.log",
                                          app() + " 2026-12-07 14-05.txt", "other 2026-12-07 14-05.log"};
    for (const auto& name : odd) testsupport::writeFileBytes(inLogs(name), "keep");

    const struct {
        std::string name;
        bool isLogFile;
    } names[] = {{app() + " 2026-12-07 14-05.log", true},
                 {app() + " 2026-12-07 14-05 12.log", true},
                 {app() + "2026-12-07 14-05.log", false},
                 {app() + " 2026-12-07 14-05 1 2.log", false}};
    for (const auto& n : names) EXPECT_EQ(manager->isLogFile(n.name), n.isLogFile) << n.name;
    for (const auto& name : odd) EXPECT_FALSE(manager->isLogFile(name)) << name;

    manager->deleteOldLogFiles();  // a count of 0 deletes nothing
    EXPECT_EQ(manager->unsortedLogFilePaths().size(), 6u);

    manager->setMaximumNumberOfLogFiles(2);
    DDLog::flushLog();
    const std::vector<std::string> kept = {current, archived[4], archived[3]};
    EXPECT_EQ(manager->sortedLogFilePaths(), kept);
    for (const auto& name : odd) EXPECT_EQ(testsupport::readFileBytes(inLogs(name)), "keep") << name;
}

TEST_F(FileLoggers, DeletingTheFileFromOutsideRolls) {
    auto manager = std::make_shared<logtest::RollWatchingManager>();
    auto logger = plainLogger(manager);
    DDLog::addLogger(logger);
    logtest::logText("first");
    const std::string path = manager->sortedLogFilePaths().at(0);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_TRUE(manager->rolls.wait(10));
    EXPECT_EQ(manager->rolled(), std::vector<std::string>{path});
    logtest::logText("second");
    const auto paths = manager->sortedLogFilePaths();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(testsupport::readFileBytes(paths[0]), "second\n");

    // Moved away: rolled as well, and the moved file is marked.
    const std::string moved = folders.root() + "/moved.log";
    ASSERT_EQ(::rename(paths[0].c_str(), moved.c_str()), 0);
    ASSERT_TRUE(manager->rolls.wait(10));
    EXPECT_TRUE(manager->sortedLogFilePaths().empty());
    EXPECT_TRUE(archivedByPython(moved));
}

TEST_F(FileLoggers, TheAgeTimerRollsAtCreationPlusTheFrequency) {
    testsupport::VirtualClockScope clock;
    const foundation::Date start = foundation::Date::now();
    auto manager = std::make_shared<logtest::RollWatchingManager>();
    auto logger = plainLogger(manager);
    logger->setCurrentDateSource([&clock, start] { return foundation::Date{start.sinceReferenceDate + clock.now()}; });
    DDLog::addLogger(logger);
    EXPECT_EQ(logger->rollingFrequency(), 86400.0);
    logtest::logText("young");

    foundation::RunLoop::main().advance(86399);
    settle(*logger);
    EXPECT_TRUE(manager->rolled().empty());
    foundation::RunLoop::main().advance(2);
    settle(*logger);
    ASSERT_EQ(manager->rolled().size(), 1u);
    EXPECT_TRUE(DDLogFileInfo(manager->rolled()[0]).isArchived());
}

TEST_F(FileLoggers, AFrequencyBelowTheFilesAgeRollsAtOnce) {
    auto manager = std::make_shared<logtest::RollWatchingManager>();
    auto logger = plainLogger(manager);
    DDLog::addLogger(logger);
    logtest::logText("aging");
    logger->setRollingFrequency(1e-9);
    settle(*logger);
    EXPECT_EQ(manager->rolled().size(), 1u);

    bool completed = false;
    logger->rollLogFile([&] { completed = true; });  // nothing open: no second roll
    settle(*logger);
    foundation::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(completed);
    EXPECT_EQ(manager->rolled().size(), 1u);
}

// Hands out a path in a missing folder first, then real files.
class FlakyManager : public DDLogFileManagerDefault {
public:
    std::string createNewLogFile() override {
        if (!failedOnce_) {
            failedOnce_ = true;
            return "/nonexistent-folder/x.log";
        }
        return DDLogFileManagerDefault::createNewLogFile();
    }

private:
    bool failedOnce_ = false;
};

TEST_F(FileLoggers, AnUnopenableFileIsForgottenAndTheNextMessageChoosesAgain) {
    auto logger = plainLogger(std::make_shared<FlakyManager>());
    const int reportedBefore = DDFileLogger::exceptionCount();
    std::string reports;
    {
        logtest::StandardErrorCapture capture;
        writeDirectly(*logger, "lost");
        reports = capture.text();
    }
    EXPECT_EQ(DDFileLogger::exceptionCount(), reportedBefore + 1);
    if (reportedBefore < kMaximumReportedFileLoggerExceptions) {
        EXPECT_EQ(reports.rfind("DDFileLogger.logMessage: Cannot open log file /nonexistent-folder/x.log", 0), 0u)
            << reports;
    }
    writeDirectly(*logger, "kept");
    const auto paths = logger->logFileManager()->sortedLogFilePaths();
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(testsupport::readFileBytes(paths[0]), "kept\n");
}

TEST_F(FileLoggers, FileInfoRenamesMarksAndDescribes) {
    const std::string folder = folders.root() + "/infos";
    testsupport::writeFileBytes(folder + "/a.log", "aaaa");
    testsupport::writeFileBytes(folder + "/b.log", "bb");
    DDLogFileInfo info(folder + "/a.log");
    EXPECT_EQ(info.fileSize(), 4u);

    {
        logtest::StandardErrorCapture capture;
        EXPECT_FALSE(info.renameFile("missing/c.log"));
        EXPECT_NE(capture.text().find("DDLogFileInfo: Error renaming file (a.log): No such file or directory"),
                  std::string::npos);
    }
    EXPECT_EQ(info.filePath(), folder + "/a.log");
    EXPECT_TRUE(info.renameFile("b.log"));  // replaces the file there
    EXPECT_EQ(info.filePath(), folder + "/b.log");
    EXPECT_EQ(testsupport::readFileBytes(folder + "/b.log"), "aaaa");
    EXPECT_FALSE(std::filesystem::exists(folder + "/a.log"));

    info.setIsArchived(true);
    EXPECT_TRUE(info.isArchived());
    info.setIsArchived(false);
    EXPECT_FALSE(info.isArchived());
    {
        logtest::StandardErrorCapture capture;
        info.setIsArchived(false);  // not there: nothing to report
        EXPECT_EQ(capture.text(), "");
    }
    const std::string description = info.description();
    for (const char* key : {"filePath", "fileName", "fileAttributes", "creationDate", "modificationDate", "fileSize",
                            "age", "isArchived"}) {
        EXPECT_NE(description.find(key), std::string::npos) << key;
    }
    EXPECT_NE(DDLogFileInfo(folder + "/gone.log").description().find("fileSize = \"\""), std::string::npos)
        << "a missing file has no size";
}

TEST(LogFileNames, DatesReadBackOnlyWhenReal) {
    const struct {
        std::string text;
        bool valid;
    } cases[] = {{"2026-12-07 14-05", true},  {"2026-02-30 10-00", false}, {"2026-12-07 24-00", false},
                 {"2026-12-07 14:05", false}, {"2026-1-07 14-05", false},  {"26-12-07 14-05", false}};
    for (const auto& c : cases) {
        const auto date = parseLogFileDate(c.text);
        EXPECT_EQ(date.has_value(), c.valid) << c.text;
        if (date) {
            EXPECT_EQ(formatLogFileDate(*date), c.text);
        }
    }
    EXPECT_EQ(dateInLogFileName("app 2026-12-07 14-05 3.log"), parseLogFileDate("2026-12-07 14-05"));
    EXPECT_EQ(dateInLogFileName("app.log"), std::nullopt);
}

}  // namespace
