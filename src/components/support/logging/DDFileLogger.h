#pragma once

// Appends every message to a log file and rolls over to a new file when the
// current one reaches a size or an age, or is deleted or moved away. Rolled
// files carry the archived mark; the manager keeps only so many of them.
//
// All state belongs to the logger queue; the watcher and the age timer
// deliver there too.

#include "components/support/logging/DDAbstractLogger.h"
#include "components/support/logging/DDLogFileManager.h"
#include "platform/foundation/DescriptorWatch.h"
#include "platform/foundation/FileDescriptor.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace logging {

inline constexpr uint64_t kDefaultLogMaxFileSize = 1024 * 1024;
inline constexpr double kDefaultLogRollingFrequency = 60 * 60 * 24;
// Write failures reported before the logger falls silent about them.
inline constexpr int kMaximumReportedFileLoggerExceptions = 10;

class DDFileLogger : public DDAbstractLogger {
public:
    // A null manager means a DDLogFileManagerDefault on the default folder.
    explicit DDFileLogger(std::shared_ptr<DDLogFileManager> manager = nullptr);
    ~DDFileLogger() override;

    uint64_t maximumFileSize() const;
    void setMaximumFileSize(uint64_t bytes);
    double rollingFrequency() const;
    void setRollingFrequency(double seconds);
    // Set before the logger is installed.
    bool doNotReuseLogFiles() const { return doNotReuseLogFiles_.load(); }
    void setDoNotReuseLogFiles(bool value) { doNotReuseLogFiles_.store(value); }

    const std::shared_ptr<DDLogFileManager>& logFileManager() const { return logFileManager_; }

    // Rolls now; `completion` then runs on the main queue.
    void rollLogFile(std::function<void()> completion = {});

    void logMessage(const DDLogMessage& message) override;
    void willRemoveLogger() override;

    // Write failures counted so far in this process (reports stop after
    // kMaximumReportedFileLoggerExceptions).
    static int exceptionCount();

    // What "now" is for file ages; tests hand in their virtual time.
    void setCurrentDateSource(std::function<foundation::Date()> source);

    // On the logger queue.
    std::shared_ptr<DDLogFileInfo> currentLogFileInfo();
    // The open descriptor, -1 when none could be opened.
    int currentLogFileHandle();
    void rollLogFileNow();
    void maybeRollLogFileDueToSize();
    void maybeRollLogFileDueToAge();
    void scheduleTimerToRollLogFileDueToAge();

private:
    void startWatching();
    void stopWatching();
    void fileEvent(uint32_t mask, uint64_t watchGeneration);
    void writeBytes(const std::string& bytes);
    foundation::Date now() const { return currentDate_(); }

    std::shared_ptr<DDLogFileManager> logFileManager_;
    std::shared_ptr<DDLogFileInfo> currentLogFileInfo_;
    foundation::FileDescriptor currentLogFileHandle_;
    uint64_t currentOffset_ = 0;
    foundation::FileDescriptor inotify_;
    std::unique_ptr<foundation::DescriptorWatch> currentLogFileVnode_;
    uint64_t watchGeneration_ = 0;
    uint64_t timerGeneration_ = 0;  // a newer value cancels a scheduled timer
    uint64_t maximumFileSize_ = kDefaultLogMaxFileSize;
    double rollingFrequency_ = kDefaultLogRollingFrequency;
    std::atomic<bool> doNotReuseLogFiles_{false};
    std::function<foundation::Date()> currentDate_;
};

}  // namespace logging
