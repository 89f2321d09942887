#pragma once

// Facts about one log file, read from the file system on first use and
// cached. Used on one queue at a time.
//
// The archived mark and the protection class are extended attributes in
// the "user." namespace (the only one an ordinary process may write).

#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace logging {

inline constexpr const char* kArchivedAttributeName = "lumberjack.log.archived";
inline constexpr const char* kProtectionAttributeName = "protection";

struct LogFileAttributes {
    foundation::Date creationDate;
    foundation::Date modificationDate;
    uint64_t fileSize = 0;
};

class DDLogFileInfo {
public:
    static std::shared_ptr<DDLogFileInfo> logFileWithPath(std::string path);
    explicit DDLogFileInfo(std::string path);

    const std::string& filePath() const { return filePath_; }
    const std::string& fileName();
    // None when the file cannot be read.
    const std::optional<LogFileAttributes>& fileAttributes();
    // The birth time when the file system keeps one, else the date in the
    // file's name, else its modification time; never the status-change time.
    std::optional<foundation::Date> creationDate();
    std::optional<foundation::Date> modificationDate();
    uint64_t fileSize();
    // Seconds from the creation date to `now`.
    double age(foundation::Date now = foundation::Date::now());

    bool isArchived() const;
    void setIsArchived(bool archived);

    // Forgets the cached name, attributes and dates (the size stays).
    void reset();
    // Moves the file to `newName` in its folder, replacing a file there.
    // False (and the path unchanged) when the move fails.
    bool renameFile(const std::string& newName);

    // Names without the "user." prefix.
    bool hasExtendedAttributeWithName(const std::string& name) const;
    bool addExtendedAttributeWithName(const std::string& name);
    bool removeExtendedAttributeWithName(const std::string& name);
    // The text value of an attribute; none when it is absent.
    std::optional<std::string> extendedAttributeValue(const std::string& name) const;

    bool operator==(const DDLogFileInfo& other) const { return filePath_ == other.filePath_; }
    // Newer first; equal dates are equal.
    static bool reverseCompareByCreationDate(DDLogFileInfo& a, DDLogFileInfo& b);
    static bool reverseCompareByModificationDate(DDLogFileInfo& a, DDLogFileInfo& b);

    std::string description();

private:
    std::string filePath_;
    std::optional<std::string> fileName_;
    bool attributesRead_ = false;
    std::optional<LogFileAttributes> fileAttributes_;
    uint64_t fileSize_ = 0;
};

// The GMT minute in a log file's name ("... 2026-12-07 14-05.log",
// "... 2026-12-07 14-05 3.log"); none when the name carries no such date.
std::optional<foundation::Date> dateInLogFileName(const std::string& name);
// "yyyy-MM-dd HH-mm" in GMT, and back (exactly that shape, a real date).
std::string formatLogFileDate(foundation::Date date);
std::optional<foundation::Date> parseLogFileDate(const std::string& text);

}  // namespace logging
