#pragma once

// Turns a crash report into the readable crash log that is sent to the
// crash-report server: header, signal, fault address, the crashed thread's
// backtrace (image, address, offset into the image) and the loaded images.

#include "components/crashreporting/CrashReport.h"

#include <string>

namespace crashreporting {

class CrashLogFormatter {
public:
    // With `symbolicate`, a frame in an image that this process has loaded
    // from the same file also gets the function's name, when the file's
    // symbol table has one that covers the address.
    static std::string format(const CrashReport& report, bool symbolicate = true);
};

}  // namespace crashreporting
