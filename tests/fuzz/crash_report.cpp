// Crash report files left by an earlier run: decoded, turned into the crash
// log and the document that is posted, as the crash reporter does at start.

#include "FuzzTarget.h"

#include "components/crashreporting/CrashLogFormatter.h"
#include "components/crashreporting/CrashReportDecoder.h"
#include "components/crashreporting/CrashSubmissionXML.h"

TOLLIVAR_FUZZ_TARGET(crash_report) {
    auto report = crashreporting::CrashReportDecoder::decode(fuzzing::bytes(data, size));
    if (!report.ok()) return 0;
    crashreporting::CrashSubmission submission;
    submission.log = crashreporting::CrashLogFormatter::format(*report);
    (void)crashreporting::crashSubmissionXML(submission);
    return 0;
}
