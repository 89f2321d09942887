#pragma once

// Reads crash report files (the plcrash.CrashReport message) with the
// decoder protoc-c generates from crash_report.proto.

#include "components/crashreporting/CrashReport.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <string>

namespace crashreporting {

// The domain of reports that cannot be read; codes below.
inline constexpr const char* kCrashReportErrorDomain = "CrashReportDecoder";
inline constexpr int64_t kCrashReportUnreadable = 1;  // the file cannot be read (underlying: the system's error)
inline constexpr int64_t kCrashReportCorrupt = 2;     // empty, truncated or not a report

class CrashReportDecoder {
public:
    static foundation::Result<CrashReport> decode(const foundation::Bytes& bytes);
    static foundation::Result<CrashReport> decodeFile(const std::string& path);
};

}  // namespace crashreporting
