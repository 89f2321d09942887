#pragma once

// What anyone could put in place of a file that a project carries (in an
// archive someone shared, or by hand in its folder), for the tests of the
// readers of such files: none may hold its reader or flood its memory.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

enum class Hostile { Fifo, LinkToZero, Huge };
inline constexpr Hostile kHostileKinds[] = {Hostile::Fifo, Hostile::LinkToZero, Hostile::Huge};

inline std::string describe(Hostile kind) {
    return kind == Hostile::Fifo ? "a FIFO" : kind == Hostile::LinkToZero ? "a link to /dev/zero" : "2 GiB of zeros";
}

// A sparse regular file of `bytes` at `path`, in place of what was there:
// past a reader's bound without taking the disk.
inline void placeSparse(const std::string& path, int64_t bytes) {
    std::filesystem::remove(path);
    std::ofstream(path).seekp(bytes - 1).put(0);
}

// Replaces whatever is at `path` with one; the huge one is a sparse file.
inline void placeHostile(const std::string& path, Hostile kind) {
    std::filesystem::remove(path);
    ASSERT_TRUE(kind != Hostile::Fifo || ::mkfifo(path.c_str(), 0600) == 0) << "no FIFO at " << path;
    if (kind == Hostile::LinkToZero) std::filesystem::create_symlink("/dev/zero", path);
    if (kind == Hostile::Huge) placeSparse(path, int64_t(2) << 30);
}

// Kind, size and inode: what tells one file from another (zeros for none).
inline std::array<long, 3> identityOf(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return {};
    return {long(info.st_mode), long(info.st_size), long(info.st_ino)};
}

inline long peakMegabytes() {
    struct rusage usage {};
    return ::getrusage(RUSAGE_SELF, &usage), usage.ru_maxrss / 1024;
}

// Runs `read` and returns what it returns; the test fails unless it ends
// within a few seconds of real time (a FIFO holds no virtual clock), raising
// the peak memory by less than 100 MB. A FIFO at `fifo` that still holds it
// then is given a writer, so that the test fails instead of hanging.
inline bool boundedRead(const std::string& fifo, const std::function<bool()>& read) {
    const long peak = peakMegabytes();
    auto ended = std::async(std::launch::async, read);
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "still reading after 10 s";
    while (ended.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    const bool result = ended.get();
    EXPECT_LT(peakMegabytes() - peak, 100) << "megabytes more at the peak";
    return result;
}

// Runs `work` on this thread (a screen's work stays on its own) and fails
// the test unless it ends within 30 s of real time, raising the peak memory
// by less than 100 MB. A FIFO at `fifo` that still holds it then is given
// writers from a watchdog, so that the test fails instead of hanging.
inline void endsWithoutWaiting(const std::string& fifo, const std::function<void()>& work) {
    constexpr auto kLimit = std::chrono::seconds(30);
    const long peak = peakMegabytes();
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::atomic<bool> overran{false};
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (ended.wait_for(lock, kLimit, [&] { return done; })) return;
        overran = true;
        while (!ended.wait_for(lock, std::chrono::milliseconds(50), [&] { return done; }))
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    });
    work();
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    ended.notify_one();
    watchdog.join();
    EXPECT_FALSE(overran) << "still working after 30 s";
    EXPECT_LT(peakMegabytes() - peak, 100) << "megabytes more at the peak";
}

// Places each kind at `path` in turn: `read` takes none of them for the file.
inline void expectNoneRead(const std::string& path, const std::function<bool()>& read) {
    for (const Hostile kind : kHostileKinds) {
        SCOPED_TRACE(describe(kind));
        placeHostile(path, kind);
        EXPECT_FALSE(boundedRead(path, read));
    }
}

}  // namespace testsupport
