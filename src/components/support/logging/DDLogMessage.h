#pragma once

// One log event, immutable once made and readable from any thread.

#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace logging {

// Severity bits; a level is a mask of them.
inline constexpr int kLogFlagError = 1;
inline constexpr int kLogFlagWarning = 2;
inline constexpr int kLogFlagInfo = 4;
inline constexpr int kLogFlagDebug = 8;
inline constexpr int kLogFlagVerbose = 16;
inline constexpr int kLogLevelAll = 31;

// Option bits: the message keeps its own copy of `file` / `function`
// instead of pointing at the caller's text.
inline constexpr int kLogMessageCopyFile = 1;
inline constexpr int kLogMessageCopyFunction = 2;

class DDLogMessage {
public:
    // `file` and `function` may be null; without their option bit they must
    // outlive the message (literals do). No timestamp means now.
    DDLogMessage(std::string logMsg, int level, int flag, int context, const char* file, const char* function, int line,
                 std::optional<std::string> tag, int options, std::optional<foundation::Date> timestamp = std::nullopt);
    // Shares text, timestamp, thread name and tag; copies the queue label and
    // whatever texts the options say the message owns.
    DDLogMessage(const DDLogMessage& other);
    DDLogMessage& operator=(const DDLogMessage&) = delete;

    int logLevel() const { return logLevel_; }
    int logFlag() const { return logFlag_; }
    int logContext() const { return logContext_; }
    const std::string& logMsg() const { return *logMsg_; }
    // The text object itself: a formatter that hands it back unchanged tells
    // the console logger that it formatted nothing.
    const std::shared_ptr<const std::string>& logMsgShared() const { return logMsg_; }
    foundation::Date timestamp() const { return timestamp_; }
    const char* file() const { return file_; }
    const char* function() const { return function_; }
    int lineNumber() const { return lineNumber_; }
    uint32_t machThreadID() const { return machThreadID_; }
    const std::string& queueLabel() const { return queueLabel_; }
    const std::optional<std::string>& threadName() const { return *threadName_; }
    const std::optional<std::string>& tag() const { return *tag_; }
    int options() const { return options_; }

    // The creating thread's kernel id in lower-case hex.
    std::string threadID() const;
    // The file's name without folders and its last extension; none for a
    // null file.
    std::optional<std::string> fileName() const;
    std::optional<std::string> methodName() const;

private:
    int logLevel_;
    int logFlag_;
    int logContext_;
    std::shared_ptr<const std::string> logMsg_;
    foundation::Date timestamp_;
    std::string ownedFile_;
    std::string ownedFunction_;
    const char* file_;
    const char* function_;
    int lineNumber_;
    uint32_t machThreadID_;
    std::string queueLabel_;
    std::shared_ptr<const std::optional<std::string>> threadName_;
    std::shared_ptr<const std::optional<std::string>> tag_;
    int options_;
};

// The file name rule on its own: after the last "/", up to the last "."
// that follows it.
std::string fileNameOfPath(const char* path);

}  // namespace logging
