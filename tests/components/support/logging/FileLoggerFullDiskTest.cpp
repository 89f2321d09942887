#include "FileLoggerTestSupport.h"
#include "components/support/logging/DDLog.h"
#include "support/ChildProcess.h"
#include "support/TempAppFolders.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace logging;

namespace {

constexpr const char* kDeviceVariable = "TOLLIVAR_LOG_TEST_DEVICE";

// Runs in a fresh copy of this test binary whose logs folder lies on a
// 64 KiB file system of its own (see the test below).
TEST(FileLoggerOnAFullDevice, KeepsWholeLinesReportsTenTimesAndResumes) {
    const char* device = std::getenv(kDeviceVariable);
    if (!device) GTEST_SKIP() << "runs inside FileLoggerFullDisk.RunsOnAPrivateDevice";
    const std::string logs = std::string(device) + "/Logs";
    const std::string filler = std::string(device) + "/filler";
    testsupport::writeFileBytes(filler, std::string(40 * 1024, 'f'));

    auto manager = std::make_shared<logtest::RollWatchingManager>(logs);
    auto logger = std::make_shared<DDFileLogger>(manager);
    logger->setLogFormatter(std::make_shared<logtest::PlainFormatter>());
    logger->setMaximumFileSize(8192);
    DDLog::flushLog();
    logger->loggerQueue()->sync([] {});

    std::vector<std::string> kept;
    std::string reports;
    {
        logtest::StandardErrorCapture capture;
        for (int i = 0; i < 1000; ++i) {
            char line[16];
            std::snprintf(line, sizeof line, "line %04d ", i);
            const std::string text = line + std::string(90, 'x');
            const int failuresBefore = DDFileLogger::exceptionCount();
            logtest::writeDirectly(*logger, text);
            if (DDFileLogger::exceptionCount() == failuresBefore) kept.push_back(text);
        }
        reports = capture.text();
    }
    ASSERT_GT(DDFileLogger::exceptionCount(), kMaximumReportedFileLoggerExceptions);
    ASSERT_FALSE(kept.empty());

    // Ten reports, then the last word, then silence.
    std::vector<std::string> reportLines;
    for (size_t start = 0; start < reports.size();) {
        const size_t end = reports.find('\n', start);
        reportLines.push_back(reports.substr(start, end - start));
        start = end == std::string::npos ? reports.size() : end + 1;
    }
    ASSERT_EQ(reportLines.size(), 11u) << reports;
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(reportLines[i].rfind("DDFileLogger.logMessage: Cannot write to " + logs + "/", 0), 0u)
            << reportLines[i];
        EXPECT_NE(reportLines[i].find("No space left on device"), std::string::npos) << reportLines[i];
    }
    EXPECT_EQ(reportLines[10], "DDFileLogger.logMessage: Too many exceptions -- will not log any more of them.");

    // Every line that was written is there, whole; nothing else is.
    auto everyLine = [&] {
        std::vector<std::string> lines;
        for (const auto& path : manager->sortedLogFilePaths()) {
            for (const auto& line : logtest::linesOfFile(path)) lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    EXPECT_EQ(everyLine(), kept);
    const auto rolled = manager->rolled();
    EXPECT_FALSE(rolled.empty());
    for (const auto& path : rolled) EXPECT_TRUE(DDLogFileInfo(path).isArchived()) << path;

    // With room again, logging carries on in the same file.
    ASSERT_EQ(::unlink(filler.c_str()), 0);
    const int failures = DDFileLogger::exceptionCount();
    logtest::writeDirectly(*logger, "line 9999 with room again");
    EXPECT_EQ(DDFileLogger::exceptionCount(), failures);
    const auto newest = logtest::linesOfFile(manager->sortedLogFilePaths().at(0));
    ASSERT_FALSE(newest.empty());
    EXPECT_EQ(newest.back(), "line 9999 with room again");
}

TEST(FileLoggerFullDisk, RunsOnAPrivateDevice) {
    testsupport::TempAppFolders folders;
    const std::string device = folders.root() + "/device";
    std::filesystem::create_directories(device);
    const std::string executable = testsupport::ChildProcess::thisExecutable();
    const int code = testsupport::onPrivateDevice(device, 64, false, [&] {
        // A fresh process: the forked copy has none of this one's threads.
        setenv(kDeviceVariable, device.c_str(), 1);
        const std::string filter = "--gtest_filter=FileLoggerOnAFullDevice.*";
        char* argv[] = {const_cast<char*>(executable.c_str()), const_cast<char*>(filter.c_str()), nullptr};
        execv(executable.c_str(), argv);
        return 127;
    });
    if (code == testsupport::kNoPrivateDevice) GTEST_SKIP() << "this machine lets no test mount a file system";
    EXPECT_EQ(code, 0);
}

}  // namespace
