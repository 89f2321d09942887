#pragma once

// How much work an operation does on one folder, told by the kernel
// (inotify) rather than by timing: how often the folder itself was opened
// for reading (each listing opens it once) and how often a file was renamed
// into it under a given name (each atomic save of that file does it once).
// The count starts when the object is made.

#include <cerrno>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/inotify.h>
#include <unistd.h>

namespace testsupport {

class FolderReads {
public:
    explicit FolderReads(const std::string& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        EXPECT_GE(fd_, 0) << "no inotify";
        if (fd_ >= 0) {
            EXPECT_GE(::inotify_add_watch(fd_, folder.c_str(), IN_OPEN | IN_MOVED_TO), 0) << folder;
        }
    }
    ~FolderReads() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderReads(const FolderReads&) = delete;
    FolderReads& operator=(const FolderReads&) = delete;

    // Opens of the folder itself so far.
    int listings() {
        drain();
        return listings_;
    }
    // Renames into the folder under `name` so far.
    int savesOf(const std::string& name) {
        drain();
        return saves_[name];
    }

private:
    void drain() {
        alignas(inotify_event) char buffer[64 * 1024];
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                EXPECT_FALSE(event->mask & IN_Q_OVERFLOW) << "events were lost";
                if ((event->mask & IN_OPEN) && (event->mask & IN_ISDIR) && event->len == 0) ++listings_;
                if ((event->mask & IN_MOVED_TO) && event->len > 0) ++saves_[event->name];
                at += sizeof(inotify_event) + event->len;
            }
        }
    }

    int fd_;
    int listings_ = 0;
    std::map<std::string, int> saves_;
};

}  // namespace testsupport
