// Code that runs inside the fatal-signal handler. Only async-signal-safe
// system calls (open, write, fsync, close, rename, getpid, gettid, prctl,
// time, sigaction, tgkill) and our own buffer code are used here.

#include "components/crashreporting/CrashHandlerState.h"
#include "components/crashreporting/CrashReportFields.h"
#include "components/crashreporting/SignalNames.h"
#include "components/crashreporting/WireWriter.h"
#include "platform/foundation/FileDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace crashreporting::detail {

namespace {

namespace f = crashreporting::fields;

uint64_t interruptedProgramCounter(void* context) {
#if defined(__x86_64__)
    return static_cast<uint64_t>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    return static_cast<uint64_t>(static_cast<ucontext_t*>(context)->uc_mcontext.pc);
#else
    (void)context;
    return 0;
#endif
}

// The crashing thread's call chain, innermost first.
//
// glibc's backtrace() unwinds with the compiler's unwind tables, so it also
// works through code built without frame pointers and across the signal
// frame (glibc's signal trampoline carries unwind information). It is not on
// the async-signal-safe list only because its first call loads libgcc_s and
// allocates; enable() makes that first call, after which it neither
// allocates nor takes locks on this glibc (_dl_find_object looks up unwind
// tables without the loader lock). A hand-made frame-pointer walk would be
// fully safe but gives nothing useful in optimised builds.
size_t captureBacktrace(void* context, uint64_t* frames, size_t capacity) {
    void* raw[kMaximumFrames + 16];
    int count = backtrace(raw, static_cast<int>(sizeof raw / sizeof raw[0]));
    uint64_t faulting = interruptedProgramCounter(context);
    // Drop the frames of this handler: the interrupted code starts at the
    // faulting instruction.
    int first = -1;
    for (int i = 0; i < count; ++i) {
        if (reinterpret_cast<uint64_t>(raw[i]) == faulting) {
            first = i;
            break;
        }
    }
    size_t written = 0;
    if (first < 0) {
        // The unwinder did not get across the signal frame; the faulting
        // instruction is still known from the saved registers.
        if (faulting != 0 && written < capacity) frames[written++] = faulting;
        first = 0;
    }
    for (int i = first; i < count && written < capacity; ++i) frames[written++] = reinterpret_cast<uint64_t>(raw[i]);
    return written;
}

void encodeReport(WireWriter& out, int signal, const siginfo_t* info, void* context, pid_t thread) {
    CrashHandlerState& state = crashHandlerState();
    out.raw(state.prefix, state.prefixLength);
    out.int64Field(f::report::kTimestamp, static_cast<int64_t>(time(nullptr)));

    size_t process = out.beginMessage(f::report::kProcessInfo);
    out.stringField(f::process::kName, state.processName);
    out.int64Field(f::process::kProcessId, getpid());
    out.stringField(f::process::kPath, state.processPath);
    out.int64Field(f::process::kParentProcessId, getppid());
    out.endMessage(process);

    size_t crashed = out.beginMessage(f::report::kCrashedThread);
    out.int64Field(f::thread::kNumber, thread);
    char threadName[17] = {};
    if (prctl(PR_GET_NAME, threadName, 0, 0, 0) == 0) out.stringField(f::thread::kName, threadName, 16);
    uint64_t frames[kMaximumFrames];
    size_t frameCount = captureBacktrace(context, frames, kMaximumFrames);
    out.packedVarintsField(f::thread::kFrames, frames, frameCount);
    out.endMessage(crashed);

    size_t signalMessage = out.beginMessage(f::report::kSignal);
    out.stringField(f::signal::kName, signalName(signal));
    out.stringField(f::signal::kCode, signalCodeName(signal, info ? info->si_code : 0));
    if (info && signalHasFaultAddress(signal))
        out.varintField(f::signal::kAddress, reinterpret_cast<uint64_t>(info->si_addr));
    out.int64Field(f::signal::kNumber, signal);
    out.endMessage(signalMessage);

    if (state.hasException.load()) {
        size_t exception = out.beginMessage(f::report::kException);
        out.stringField(f::exception::kName, state.exceptionName, kExceptionNameCapacity - 1);
        out.stringField(f::exception::kReason, state.exceptionReason, kExceptionReasonCapacity - 1);
        out.endMessage(exception);
    }
}

void writeReport(int signal, const siginfo_t* info, void* context, pid_t thread) {
    CrashHandlerState& state = crashHandlerState();
    if (!state.buffer || state.reportPath[0] == '\0') return;
    WireWriter out(state.buffer, state.bufferCapacity);
    encodeReport(out, signal, info, context, thread);
    // A report that did not fit would be unreadable; better none than a corrupt one.
    if (out.overflowed()) return;
    // Only async-signal-safe calls from here: open, write, fsync, close.
    foundation::FileDescriptor fd(open(state.partialPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!fd) return;
    bool complete = foundation::writeAll(fd.get(), out.data(), out.size()) && fsync(fd.get()) == 0;
    complete = fd.close() == 0 && complete;
    if (complete)
        rename(state.partialPath, state.reportPath);
    else
        unlink(state.partialPath);
}

void restoreDefaultHandlers() {
    struct sigaction standard = {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    for (int caught : kCaughtSignals) sigaction(caught, &standard, nullptr);
}

}  // namespace

void handleCrashSignal(int signal, siginfo_t* info, void* context) {
    int savedErrno = errno;
    CrashHandlerState& state = crashHandlerState();
    pid_t thread = static_cast<pid_t>(syscall(SYS_gettid));
    pid_t expected = 0;
    if (state.writingThread.compare_exchange_strong(expected, thread)) {
        writeReport(signal, info, context, thread);
    } else if (expected != thread) {
        // Another thread crashed first and is writing the report; it ends
        // the process when done. Waiting here keeps this thread from ending
        // it half-way.
        for (;;) pause();
    }
    restoreDefaultHandlers();
    // The signal is blocked while this handler runs, so it arrives again as
    // soon as the handler returns, now with the default action: the process
    // dies of it, exactly as it would have without a crash reporter.
    syscall(SYS_tgkill, getpid(), thread, signal);
    errno = savedErrno;
}

}  // namespace crashreporting::detail
