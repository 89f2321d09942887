#include "components/support/logging/DDLogMessage.h"

#include "platform/foundation/DispatchQueue.h"

#include <cstdio>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace logging {

namespace {

std::optional<std::string> currentThreadName() {
    char name[64] = {};
    if (pthread_getname_np(pthread_self(), name, sizeof name) != 0 || name[0] == '\0') return std::nullopt;
    return std::string(name);
}

}  // namespace

DDLogMessage::DDLogMessage(std::string logMsg, int level, int flag, int context, const char* file, const char* function,
                           int line, std::optional<std::string> tag, int options,
                           std::optional<foundation::Date> timestamp)
    : logLevel_(level),
      logFlag_(flag),
      logContext_(context),
      logMsg_(std::make_shared<const std::string>(std::move(logMsg))),
      timestamp_(timestamp ? *timestamp : foundation::Date::now()),
      file_(file),
      function_(function),
      lineNumber_(line),
      machThreadID_(static_cast<uint32_t>(gettid())),
      queueLabel_(foundation::DispatchQueue::currentLabel()),
      threadName_(std::make_shared<const std::optional<std::string>>(currentThreadName())),
      tag_(std::make_shared<const std::optional<std::string>>(std::move(tag))),
      options_(options) {
    if ((options_ & kLogMessageCopyFile) && file_) {
        ownedFile_ = file_;
        file_ = ownedFile_.c_str();
    }
    if ((options_ & kLogMessageCopyFunction) && function_) {
        ownedFunction_ = function_;
        function_ = ownedFunction_.c_str();
    }
}

DDLogMessage::DDLogMessage(const DDLogMessage& other)
    : logLevel_(other.logLevel_),
      logFlag_(other.logFlag_),
      logContext_(other.logContext_),
      logMsg_(other.logMsg_),
      timestamp_(other.timestamp_),
      ownedFile_(other.ownedFile_),
      ownedFunction_(other.ownedFunction_),
      file_(other.file_),
      function_(other.function_),
      lineNumber_(other.lineNumber_),
      machThreadID_(other.machThreadID_),
      queueLabel_(other.queueLabel_),
      threadName_(other.threadName_),
      tag_(other.tag_),
      options_(other.options_) {
    // Owned texts point into this object's own strings, never the source's.
    if ((options_ & kLogMessageCopyFile) && file_) file_ = ownedFile_.c_str();
    if ((options_ & kLogMessageCopyFunction) && function_) function_ = ownedFunction_.c_str();
}

std::string DDLogMessage::threadID() const {
    char text[16];
    std::snprintf(text, sizeof text, "%x", machThreadID_);
    return text;
}

std::optional<std::string> DDLogMessage::fileName() const {
    if (!file_) return std::nullopt;
    return fileNameOfPath(file_);
}

std::optional<std::string> DDLogMessage::methodName() const {
    if (!function_) return std::nullopt;
    return std::string(function_);
}

std::string fileNameOfPath(const char* path) {
    const char* lastSlash = nullptr;
    const char* lastDot = nullptr;
    const char* end = path;
    for (; *end; ++end) {
        if (*end == '/') lastSlash = end;
        if (*end == '.') lastDot = end;
    }
    const char* start = lastSlash ? lastSlash + 1 : path;
    const char* stop = (lastDot && lastDot >= start) ? lastDot : end;
    return std::string(start, stop);
}

}  // namespace logging
