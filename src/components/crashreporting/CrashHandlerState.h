#pragma once

// What the signal handler needs, prepared before any crash so that the
// handler itself allocates nothing and locks nothing.

#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <limits.h>
#include <sys/types.h>

namespace crashreporting::detail {

inline constexpr int kCaughtSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS};
inline constexpr size_t kCaughtSignalCount = sizeof kCaughtSignals / sizeof kCaughtSignals[0];
inline constexpr size_t kMaximumFrames = 128;
inline constexpr size_t kExceptionNameCapacity = 512;
inline constexpr size_t kExceptionReasonCapacity = 2048;

struct CrashHandlerState {
    char reportPath[PATH_MAX] = {};
    char partialPath[PATH_MAX] = {};
    char processName[256] = {};
    char processPath[PATH_MAX] = {};

    // Fields that do not change while the process runs (system, application
    // and loaded images), encoded at enable time.
    const uint8_t* prefix = nullptr;
    size_t prefixLength = 0;
    // Where the handler assembles the report: prefix plus room for the rest.
    uint8_t* buffer = nullptr;
    size_t bufferCapacity = 0;

    // Filled by the terminate handler just before it aborts.
    char exceptionName[kExceptionNameCapacity] = {};
    char exceptionReason[kExceptionReasonCapacity] = {};
    std::atomic<bool> hasException{false};

    // The first crashing thread writes the report; others wait for the end.
    std::atomic<pid_t> writingThread{0};
};

CrashHandlerState& crashHandlerState();

// The handler installed for every caught signal.
void handleCrashSignal(int signal, siginfo_t* info, void* context);

}  // namespace crashreporting::detail
