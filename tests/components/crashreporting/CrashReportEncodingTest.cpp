#include "components/crashreporting/CrashReportDecoder.h"
#include "components/crashreporting/CrashReportFields.h"
#include "components/crashreporting/SignalNames.h"
#include "components/crashreporting/WireWriter.h"

#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace crashreporting;
namespace f = crashreporting::fields;

namespace {

foundation::Bytes bytesOf(const WireWriter& writer) {
    return foundation::Bytes(writer.data(), writer.data() + writer.size());
}

// A report laid out as the signal handler lays it out.
foundation::Bytes sampleReport(const std::vector<uint64_t>& frames, const std::string& reason) {
    static uint8_t buffer[64 * 1024];
    WireWriter out(buffer, sizeof buffer);
    size_t system = out.beginMessage(f::report::kSystemInfo);
    out.stringField(f::system::kOperatingSystem, "Linux");
    out.stringField(f::system::kOsVersion, "6.1.0");
    out.stringField(f::system::kMachine, "x86_64");
    out.endMessage(system);
    size_t application = out.beginMessage(f::report::kApplicationInfo);
    out.stringField(f::application::kIdentifier, "com.example.app");
    out.stringField(f::application::kVersion, "600");
    out.endMessage(application);
    for (int i = 0; i < 2; ++i) {
        size_t image = out.beginMessage(f::report::kBinaryImages);
        out.varintField(f::image::kLoadBias, 0x1000 * (i + 1));
        out.varintField(f::image::kStartAddress, 0x1000 * (i + 1));
        out.varintField(f::image::kEndAddress, 0x1000 * (i + 2));
        out.stringField(f::image::kPath, i == 0 ? "/opt/app/tollivar" : "/lib/libc.so.6");
        out.endMessage(image);
    }
    out.int64Field(f::report::kTimestamp, 1796000000);
    size_t process = out.beginMessage(f::report::kProcessInfo);
    out.stringField(f::process::kName, "tollivar");
    out.int64Field(f::process::kProcessId, 4242);
    out.endMessage(process);
    size_t thread = out.beginMessage(f::report::kCrashedThread);
    out.int64Field(f::thread::kNumber, 4243);
    out.stringField(f::thread::kName, "worker");
    out.packedVarintsField(f::thread::kFrames, frames.data(), frames.size());
    out.endMessage(thread);
    size_t signal = out.beginMessage(f::report::kSignal);
    out.stringField(f::signal::kName, "SIGSEGV");
    out.stringField(f::signal::kCode, "SEGV_MAPERR");
    out.varintField(f::signal::kAddress, 0);
    out.int64Field(f::signal::kNumber, SIGSEGV);
    out.endMessage(signal);
    if (!reason.empty()) {
        size_t exception = out.beginMessage(f::report::kException);
        out.stringField(f::exception::kName, "std::runtime_error");
        out.stringField(f::exception::kReason, reason.c_str(), 100000);
        out.endMessage(exception);
    }
    EXPECT_FALSE(out.overflowed());
    return bytesOf(out);
}

}  // namespace

TEST(WireWriter, VarintsAndLengthPrefixesAreCanonical) {
    EXPECT_EQ(WireWriter::varintSize(0), 1u);
    EXPECT_EQ(WireWriter::varintSize(127), 1u);
    EXPECT_EQ(WireWriter::varintSize(128), 2u);
    EXPECT_EQ(WireWriter::varintSize(UINT64_MAX), 10u);

    uint8_t buffer[64];
    WireWriter out(buffer, sizeof buffer);
    out.varintField(1, 300);
    out.int64Field(2, -1);
    EXPECT_EQ(bytesOf(out),
              (foundation::Bytes{0x08, 0xAC, 0x02, 0x10, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01}));

    WireWriter nested(buffer, sizeof buffer);
    size_t mark = nested.beginMessage(3);
    nested.varintField(1, 1);
    nested.endMessage(mark);
    EXPECT_EQ(bytesOf(nested), (foundation::Bytes{0x1A, 0x02, 0x08, 0x01}));  // reserved prefix given back
}

TEST(WireWriter, LongBodiesMoveBehindAMultiByteLength) {
    std::vector<uint64_t> frames;
    for (uint64_t i = 0; i < 100; ++i) frames.push_back(0x7f0000000000 + i * 0x10);  // about 700 bytes packed
    auto report = CrashReportDecoder::decode(sampleReport(frames, std::string(300, 'r')));
    ASSERT_TRUE(report.ok()) << report.error().description;
    EXPECT_EQ(report->backtrace, frames);
    EXPECT_EQ(report->exceptionReason, std::string(300, 'r'));
    EXPECT_EQ(report->threadName, "worker");
}

TEST(WireWriter, OverflowIsReportedInsteadOfWritingPastTheBuffer) {
    uint8_t buffer[16] = {};
    buffer[15] = 0xEE;
    WireWriter out(buffer, 15);
    out.stringField(1, "this text is longer than the room");
    EXPECT_TRUE(out.overflowed());
    EXPECT_LE(out.size(), 15u);
    EXPECT_EQ(buffer[15], 0xEE);
}

TEST(WireWriter, CutTextsKeepWholeCharacters) {
    uint8_t buffer[64];
    WireWriter out(buffer, sizeof buffer);
    out.stringField(1, "ab\xC3\xA9z", 3);  // the limit falls inside "é"
    EXPECT_EQ(bytesOf(out), (foundation::Bytes{0x0A, 0x02, 'a', 'b'}));
    WireWriter empty(buffer, sizeof buffer);
    empty.stringField(1, "");
    empty.stringField(1, nullptr);
    EXPECT_EQ(empty.size(), 0u);
}

TEST(CrashReportDecoder, ReadsEveryFieldTheHandlerWrites) {
    auto report = CrashReportDecoder::decode(sampleReport({0x1010, 0x2020, 0x9999}, "disk on fire"));
    ASSERT_TRUE(report.ok()) << report.error().description;
    EXPECT_EQ(report->operatingSystem, "Linux");
    EXPECT_EQ(report->machine, "x86_64");
    EXPECT_EQ(report->applicationIdentifier, "com.example.app");
    EXPECT_EQ(report->applicationVersion, "600");
    EXPECT_EQ(report->processName, "tollivar");
    EXPECT_EQ(report->processID, 4242);
    EXPECT_EQ(report->threadNumber, 4243);
    EXPECT_EQ(report->signalName, "SIGSEGV");
    EXPECT_EQ(report->signalCode, "SEGV_MAPERR");
    EXPECT_EQ(report->signalNumber, SIGSEGV);
    ASSERT_TRUE(report->faultAddress);  // address 0 is still an address
    EXPECT_EQ(*report->faultAddress, 0u);
    EXPECT_EQ(report->exceptionName, "std::runtime_error");
    EXPECT_EQ(report->exceptionReason, "disk on fire");
    EXPECT_EQ(report->timestamp, 1796000000);
    ASSERT_EQ(report->binaryImages.size(), 2u);
    EXPECT_EQ(report->imageContaining(0x1010)->path, "/opt/app/tollivar");
    EXPECT_EQ(report->imageContaining(0x2020)->fileAddress(0x2020), 0x20u);
    EXPECT_EQ(report->imageContaining(0x9999), nullptr);
}

TEST(CrashReportDecoder, DamagedReportsAreErrorsNotCrashes) {
    foundation::Bytes good = sampleReport({1, 2, 3}, "");
    auto code = [](const foundation::Bytes& bytes) {
        auto report = CrashReportDecoder::decode(bytes);
        return report.ok() ? 0 : report.error().code;
    };
    EXPECT_EQ(code(good), 0);
    EXPECT_EQ(code({}), kCrashReportCorrupt);
    EXPECT_EQ(code(foundation::Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2))),
              kCrashReportCorrupt);
    EXPECT_EQ(code(foundation::Bytes(200, 0xFF)), kCrashReportCorrupt);
    uint8_t buffer[32];
    WireWriter noSignal(buffer, sizeof buffer);
    noSignal.int64Field(f::report::kTimestamp, 5);
    EXPECT_EQ(code(bytesOf(noSignal)), kCrashReportCorrupt);

    auto missing = CrashReportDecoder::decodeFile("/nonexistent/crash.plcrash");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, kCrashReportUnreadable);
    EXPECT_EQ(missing.error().domain, kCrashReportErrorDomain);
}

TEST(SignalNames, NamesAndCodes) {
    EXPECT_STREQ(signalName(SIGBUS), "SIGBUS");
    EXPECT_STREQ(signalName(SIGHUP), "SIG???");
    EXPECT_STREQ(signalCodeName(SIGSEGV, SEGV_ACCERR), "SEGV_ACCERR");
    EXPECT_STREQ(signalCodeName(SIGFPE, FPE_INTDIV), "FPE_INTDIV");
    EXPECT_STREQ(signalCodeName(SIGABRT, SI_TKILL), "SI_TKILL");
    EXPECT_STREQ(signalCodeName(SIGTRAP, 99), "UNKNOWN");
    EXPECT_TRUE(signalHasFaultAddress(SIGILL));
    EXPECT_FALSE(signalHasFaultAddress(SIGABRT));
}
