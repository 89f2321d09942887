#pragma once

// Crash capture: when the process dies of a fatal signal or an uncaught C++
// exception, a report file is written before it goes.
//
// enable() installs handlers for SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT,
// SIGTRAP and SIGSYS, running on an alternate signal stack (so a stack
// overflow of the enabling thread, normally the main thread, is caught as
// well), and a terminate handler that notes an uncaught exception's type and
// what() before the process aborts. The signal handler uses async-signal-safe
// calls only: everything it needs is prepared by enable(). It writes the
// report to "<path>.partial", flushes it and renames it to the report path,
// so a report file is always complete; then the process dies of the original
// signal, as it would have without us.

#include "platform/foundation/Error.h"

#include <string>

namespace crashreporting {

// What the report says about the application that crashed.
struct ReportIdentity {
    std::string applicationIdentifier;
    std::string applicationName;
    std::string version;
    std::string shortVersion;
};

class CrashReporter {
public:
    // Starts capturing into `reportPath` (its folder must exist). Enabling
    // again replaces the path and identity.
    static foundation::Status enable(const std::string& reportPath, const ReportIdentity& identity = {});
    // Puts back the handlers that were there before enable().
    static void disable();
    static bool isEnabled();
};

}  // namespace crashreporting
