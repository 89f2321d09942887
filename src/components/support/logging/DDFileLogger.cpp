#include "components/support/logging/DDFileLogger.h"

#include "components/support/logging/DDLogFileFormatterDefault.h"
#include "components/support/logging/LogConsole.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Lifetime.h"

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <system_error>
#include <unistd.h>

namespace logging {

namespace {

// Shared by every file logger of the process.
std::atomic<int> exceptionsSoFar{0};

void reportException(const std::string& what) {
    const int count = ++exceptionsSoFar;
    if (count > kMaximumReportedFileLoggerExceptions) return;
    reportToConsole("DDFileLogger.logMessage: " + what);
    if (count == kMaximumReportedFileLoggerExceptions) {
        reportToConsole("DDFileLogger.logMessage: Too many exceptions -- will not log any more of them.");
    }
}

}  // namespace

DDFileLogger::DDFileLogger(std::shared_ptr<DDLogFileManager> manager)
    : DDAbstractLogger("cocoa.lumberjack.fileLogger"),
      logFileManager_(manager ? std::move(manager) : std::make_shared<DDLogFileManagerDefault>()),
      currentDate_([] { return foundation::Date::now(); }) {
    formatter_ = std::make_shared<DDLogFileFormatterDefault>();
}

DDFileLogger::~DDFileLogger() {
    stopWatching();
    if (currentLogFileHandle_) {
        ::fsync(currentLogFileHandle_.get());
        currentLogFileHandle_.close();
    }
}

int DDFileLogger::exceptionCount() { return exceptionsSoFar.load(); }

void DDFileLogger::setCurrentDateSource(std::function<foundation::Date()> source) { currentDate_ = std::move(source); }

uint64_t DDFileLogger::maximumFileSize() const {
    uint64_t result = 0;
    readOnLoggerQueue([&] { result = maximumFileSize_; });
    return result;
}

void DDFileLogger::setMaximumFileSize(uint64_t bytes) {
    changeOnLoggerQueue([this, bytes] {
        maximumFileSize_ = bytes;
        maybeRollLogFileDueToSize();
    });
}

double DDFileLogger::rollingFrequency() const {
    double result = 0;
    readOnLoggerQueue([&] { result = rollingFrequency_; });
    return result;
}

void DDFileLogger::setRollingFrequency(double seconds) {
    changeOnLoggerQueue([this, seconds] {
        rollingFrequency_ = seconds;
        maybeRollLogFileDueToAge();
    });
}

void DDFileLogger::rollLogFile(std::function<void()> completion) {
    changeOnLoggerQueue([this, completion = std::move(completion)] {
        rollLogFileNow();
        if (completion) foundation::DispatchQueue::main().async(completion);
    });
}

void DDFileLogger::willRemoveLogger() { rollLogFileNow(); }

std::shared_ptr<DDLogFileInfo> DDFileLogger::currentLogFileInfo() {
    if (currentLogFileInfo_) return currentLogFileInfo_;
    LogFileInfos infos = logFileManager_->sortedLogFileInfos();
    if (!infos.empty()) {
        std::shared_ptr<DDLogFileInfo> newest = infos.front();
        const bool archived = newest->isArchived();
        bool toArchive = !archived && ((maximumFileSize_ > 0 && newest->fileSize() >= maximumFileSize_) ||
                                       (rollingFrequency_ > 0 && newest->age(now()) >= rollingFrequency_));
        const bool reuse = !doNotReuseLogFiles();
        if (reuse && DDLogFileManagerDefault::applicationDeclaresBackgroundModes()) {
            const auto protection = newest->extendedAttributeValue(kProtectionAttributeName);
            if (protection != kFileProtectionCompleteUntilFirstUserAuthentication &&
                protection != kFileProtectionNone) {
                toArchive = true;
            }
        }
        if (reuse && !archived && !toArchive) {
            currentLogFileInfo_ = newest;
        } else if (toArchive && !archived) {
            newest->setIsArchived(true);
            logFileManager_->didArchiveLogFile(newest->filePath());
        }
    }
    if (!currentLogFileInfo_) {
        currentLogFileInfo_ = DDLogFileInfo::logFileWithPath(logFileManager_->createNewLogFile());
    }
    return currentLogFileInfo_;
}

int DDFileLogger::currentLogFileHandle() {
    if (currentLogFileHandle_) return currentLogFileHandle_.get();
    std::shared_ptr<DDLogFileInfo> info = currentLogFileInfo();
    foundation::FileDescriptor file = foundation::FileDescriptor::open(info->filePath(), O_WRONLY | O_APPEND);
    struct stat facts {};
    if (!file || ::fstat(file.get(), &facts) != 0) {
        const int error = errno;
        // Forget the file: the next message chooses (or creates) one again
        // instead of writing nowhere for the rest of the run.
        currentLogFileInfo_.reset();
        throw std::system_error(error, std::generic_category(), "Cannot open log file " + info->filePath());
    }
    currentLogFileHandle_ = std::move(file);
    currentOffset_ = static_cast<uint64_t>(facts.st_size);
    scheduleTimerToRollLogFileDueToAge();
    startWatching();
    return currentLogFileHandle_.get();
}

void DDFileLogger::writeBytes(const std::string& bytes) {
    const int fd = currentLogFileHandle();
    if (foundation::writeAll(fd, bytes.data(), bytes.size())) {
        currentOffset_ += bytes.size();
        return;
    }
    const int error = errno;
    // Keep the file to whole lines: a partly written line is taken back.
    if (::ftruncate(fd, static_cast<off_t>(currentOffset_)) != 0) {
        struct stat facts {};
        if (::fstat(fd, &facts) == 0) currentOffset_ = static_cast<uint64_t>(facts.st_size);
    }
    throw std::system_error(error, std::generic_category(), "Cannot write to " + currentLogFileInfo_->filePath());
}

void DDFileLogger::logMessage(const DDLogMessage& message) {
    try {
        std::shared_ptr<const std::string> text = textFor(message);
        if (!text) return;
        if (!text->empty() && text->back() == '\n') {
            writeBytes(*text);
        } else {
            writeBytes(*text + "\n");
        }
        maybeRollLogFileDueToSize();
    } catch (const std::exception& exception) {
        reportException(exception.what());
    }
}

void DDFileLogger::rollLogFileNow() {
    if (!currentLogFileHandle_) return;
    // On disk before it is marked: an archived file is a finished file.
    ::fsync(currentLogFileHandle_.get());
    std::shared_ptr<DDLogFileInfo> info = currentLogFileInfo_;
    currentLogFileInfo_.reset();
    // Marked through the open descriptor, so that a file moved or deleted
    // underneath us is marked where it is now.
    const std::string mark = std::string("user.") + kArchivedAttributeName;
    const bool marked = ::fsetxattr(currentLogFileHandle_.get(), mark.c_str(), "", 0, 0) == 0;
    currentLogFileHandle_.close();
    if (info) {
        if (!marked) info->setIsArchived(true);
        logFileManager_->didRollAndArchiveLogFile(info->filePath());
    }
    stopWatching();
    ++timerGeneration_;
}

void DDFileLogger::maybeRollLogFileDueToSize() {
    if (maximumFileSize_ > 0 && currentLogFileHandle_ && currentOffset_ >= maximumFileSize_) rollLogFileNow();
}

void DDFileLogger::maybeRollLogFileDueToAge() {
    if (rollingFrequency_ > 0 && currentLogFileInfo_ && currentLogFileInfo_->age(now()) >= rollingFrequency_) {
        rollLogFileNow();
    } else {
        scheduleTimerToRollLogFileDueToAge();
    }
}

void DDFileLogger::scheduleTimerToRollLogFileDueToAge() {
    const uint64_t generation = ++timerGeneration_;
    if (!currentLogFileInfo_ || rollingFrequency_ <= 0) return;
    const auto created = currentLogFileInfo_->creationDate();
    if (!created) return;
    const double delay = std::max(0.0, created->sinceReferenceDate + rollingFrequency_ - now().sinceReferenceDate);
    std::weak_ptr<DDFileLogger> weak = foundation::weakFrom(this);
    loggerQueue_.after(delay, [weak, generation] {
        auto self = weak.lock();
        if (self && self->timerGeneration_ == generation) self->maybeRollLogFileDueToAge();
    });
}

void DDFileLogger::startWatching() {
    stopWatching();
    if (!currentLogFileInfo_) return;
    foundation::FileDescriptor queue(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!queue) return;
    if (::inotify_add_watch(queue.get(), currentLogFileInfo_->filePath().c_str(),
                            IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF) < 0) {
        return;
    }
    inotify_ = std::move(queue);
    const uint64_t generation = ++watchGeneration_;
    const int fd = inotify_.get();
    std::weak_ptr<DDFileLogger> weak = foundation::weakFrom(this);
    foundation::DispatchQueue queueOfLogger = loggerQueue_;
    // The watch thread only reads the events and hands them to the logger
    // queue; the logger itself is touched only there.
    currentLogFileVnode_ = std::make_unique<foundation::DescriptorWatch>(fd, [fd, weak, generation, queueOfLogger] {
        alignas(inotify_event) char buffer[4096];
        uint32_t mask = 0;
        for (;;) {
            const ssize_t length = ::read(fd, buffer, sizeof buffer);
            if (length <= 0) break;
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                mask |= event->mask;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        if (mask == 0) return;
        queueOfLogger.async([weak, mask, generation] {
            if (auto self = weak.lock()) self->fileEvent(mask, generation);
        });
    });
}

void DDFileLogger::stopWatching() {
    currentLogFileVnode_.reset();
    inotify_.reset();
    ++watchGeneration_;
}

void DDFileLogger::fileEvent(uint32_t mask, uint64_t watchGeneration) {
    if (watchGeneration != watchGeneration_ || !currentLogFileHandle_) return;
    bool gone = (mask & (IN_MOVE_SELF | IN_DELETE_SELF)) != 0;
    if (!gone && (mask & IN_ATTRIB)) {
        // A changed link count: the file was deleted while we hold it open.
        struct stat facts {};
        gone = ::fstat(currentLogFileHandle_.get(), &facts) == 0 && facts.st_nlink == 0;
    }
    if (gone) rollLogFileNow();
}

}  // namespace logging
