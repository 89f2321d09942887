#pragma once

// The log-file manager: owns the logs folder, names, creates and deletes
// log files. DDLogFileManagerDefault is the standard one.

#include "components/support/logging/DDLogFileInfo.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace logging {

// The four data-protection classes, kept as the "user.protection" attribute.
inline constexpr const char* kFileProtectionNone = "NSFileProtectionNone";
inline constexpr const char* kFileProtectionComplete = "NSFileProtectionComplete";
inline constexpr const char* kFileProtectionCompleteUnlessOpen = "NSFileProtectionCompleteUnlessOpen";
inline constexpr const char* kFileProtectionCompleteUntilFirstUserAuthentication =
    "NSFileProtectionCompleteUntilFirstUserAuthentication";

using LogFileInfos = std::vector<std::shared_ptr<DDLogFileInfo>>;

class DDLogFileManager {
public:
    virtual ~DDLogFileManager() = default;

    virtual std::string logsDirectory() = 0;
    virtual std::vector<std::string> unsortedLogFilePaths() = 0;
    virtual std::vector<std::string> unsortedLogFileNames() = 0;
    virtual LogFileInfos unsortedLogFileInfos() = 0;
    virtual std::vector<std::string> sortedLogFilePaths() = 0;
    virtual std::vector<std::string> sortedLogFileNames() = 0;
    // Newest first by creation date.
    virtual LogFileInfos sortedLogFileInfos() = 0;
    // The new, empty file's path; throws std::system_error when no file can
    // be made.
    virtual std::string createNewLogFile() = 0;
    virtual uint64_t maximumNumberOfLogFiles() const = 0;
    virtual void setMaximumNumberOfLogFiles(uint64_t count) = 0;

    virtual void didArchiveLogFile(const std::string&) {}
    virtual void didRollAndArchiveLogFile(const std::string&) {}
};

class DDLogFileManagerDefault : public DDLogFileManager, public std::enable_shared_from_this<DDLogFileManagerDefault> {
public:
    // No folder means defaultLogsDirectory(). A protection level other than
    // the four classes is not kept.
    explicit DDLogFileManagerDefault(std::optional<std::string> logsDirectory = std::nullopt,
                                     std::optional<std::string> defaultFileProtectionLevel = std::nullopt);

    // "Logs" in the caches folder.
    static std::string defaultLogsDirectory();
    // The bundle identifier, else the process name, else empty (once per
    // process).
    static const std::string& applicationName();
    // Whether the information list names a background mode.
    static bool applicationDeclaresBackgroundModes();

    // Creates the folder (with parents) when missing.
    std::string logsDirectory() override;
    bool isLogFile(const std::string& fileName) const;
    // "<application name> yyyy-MM-dd HH-mm.log" for now, in GMT.
    std::string newLogFileName() const;
    std::string createNewLogFile() override;
    void deleteOldLogFiles();

    std::vector<std::string> unsortedLogFilePaths() override;
    std::vector<std::string> unsortedLogFileNames() override;
    LogFileInfos unsortedLogFileInfos() override;
    std::vector<std::string> sortedLogFilePaths() override;
    std::vector<std::string> sortedLogFileNames() override;
    LogFileInfos sortedLogFileInfos() override;

    uint64_t maximumNumberOfLogFiles() const override { return maximumNumberOfLogFiles_.load(); }
    // A changed count deletes what it no longer keeps, on the logging queue.
    void setMaximumNumberOfLogFiles(uint64_t count) override;

    const std::optional<std::string>& defaultFileProtectionLevel() const { return defaultFileProtectionLevel_; }

    // The most names createNewLogFile tries before giving up.
    static constexpr unsigned kMaximumNameAttempts = 1000;

private:
    std::atomic<uint64_t> maximumNumberOfLogFiles_{5};
    std::string logsDirectory_;
    std::optional<std::string> defaultFileProtectionLevel_;
};

}  // namespace logging
