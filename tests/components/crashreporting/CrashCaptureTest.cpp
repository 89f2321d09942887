// End to end: a child process (this test binary run again) starts the
// manager and crashes; the test then plays the next launch.

#include "components/crashreporting/BWQuincyManager.h"
#include "components/crashreporting/CrashLogFormatter.h"
#include "components/crashreporting/CrashReportDecoder.h"
#include "components/crashreporting/CrashReporter.h"
#include "platform/foundation/RunLoop.h"
#include "support/LoopbackHttpServer.h"
#include "support/Process.h"
#include "support/ScopedEnvironment.h"
#include "support/TempAppFolders.h"
#include "support/VirtualClock.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <link.h>
#include <stdexcept>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace crashreporting;
using foundation::RunLoop;
using testsupport::HttpReply;

namespace {

constexpr const char* kChildVariable = "TOLLIVAR_CRASH_CHILD";
constexpr uintptr_t kFaultAddress = 0x40;  // aligned, so only the fault is wrong with it

__attribute__((noinline)) void writeThroughBadPointer(volatile int* target) { *target = 7; }

volatile int gRecursionFloor = -1;

__attribute__((noinline)) int recurseWithoutEnd(int depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    if (depth == gRecursionFloor) return 0;  // never: keeps the compiler from calling this infinite
    return recurseWithoutEnd(depth + 1) + frame[0];
}

void crashAsChild(const std::string& how) {
    // The crash is the point; a core file of it is not.
    rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    BWQuincyManager& manager = BWQuincyManager::sharedQuincyManager();
    manager.setSubmissionURL("http://127.0.0.1:9/");
    manager.startManager();
    if (how == "segv") {
        writeThroughBadPointer(reinterpret_cast<volatile int*>(kFaultAddress));
    } else if (how == "exception") {
        // Longer than the report keeps, in two-byte characters.
        std::string reason = "disk on fire: ";
        for (int i = 0; i < 1500; ++i) reason += "\xC3\xA9";
        std::thread([reason] { throw std::runtime_error(reason); }).join();
    } else if (how == "overflow") {
        recurseWithoutEnd(0);
    }
    std::exit(3);  // did not crash: the parent sees a plain exit
}

// The load bias of this executable, to compare addresses across processes.
uint64_t ownLoadBias() {
    uint64_t bias = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) -> int {
            *static_cast<uint64_t*>(data) = info->dlpi_addr;
            return 1;  // the first entry is the executable
        },
        &bias);
    return bias;
}

std::string selfPath() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

testsupport::ProcessResult runCrashingChild(const std::string& how) {
    testsupport::ScopedEnvironment child({{kChildVariable, how}});
    return testsupport::runProcess({selfPath(), "--gtest_filter=CrashChild.Run"});
}

std::vector<std::string> pendingReports() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(BWQuincyManager::crashesDirectory()))
        if (entry.path().extension() == ".plcrash" && entry.path().filename() != BWQuincyManager::kLiveReportName)
            names.push_back(entry.path().string());
    return names;
}

struct RecordingDelegate : BWQuincyManagerDelegate {
    int opened = 0, closed = 0;
    std::string crashReportContact() override { return "ann@example.org"; }
    void connectionOpened() override { ++opened; }
    void connectionClosed() override { ++closed; }
};

class CrashCaptureTest : public ::testing::Test {
protected:
    CrashCaptureTest() { BWQuincyManager::resetSharedManagerForTesting(); }
    ~CrashCaptureTest() override { BWQuincyManager::resetSharedManagerForTesting(); }

    // Starts the manager as the next launch does; `answer` is what the user says.
    BWQuincyManager& launch(std::optional<bool> answer) {
        BWQuincyManager::resetSharedManagerForTesting();
        BWQuincyManager& manager = BWQuincyManager::sharedQuincyManager();
        EXPECT_FALSE(manager.didCrashInLastSession()) << "known only once the manager has started";
        manager.setSubmissionURL(server_.url("/crashes"));
        manager.setDelegate(&delegate_);
        if (answer) {
            manager.setAskHandler([this, answer](std::function<void(bool)> reply) {
                ++asked_;
                reply(*answer);
            });
        }
        manager.startManager();
        return manager;
    }

    testsupport::TempAppFolders folders_;
    testsupport::VirtualClockScope clock_;
    testsupport::LoopbackHttpServer server_;
    RecordingDelegate delegate_;
    int asked_ = 0;
};

}  // namespace

// Runs only as the child of the tests below.
TEST(CrashChild, Run) {
    const char* how = std::getenv(kChildVariable);
    if (!how) GTEST_SKIP() << "only runs as a crashing child process";
    crashAsChild(how);
}

TEST_F(CrashCaptureTest, SegmentationFaultIsReportedAndSentAtTheNextLaunch) {
    auto child = runCrashingChild("segv");
    ASSERT_EQ(child.exitCode, 128 + SIGSEGV) << child.output;

    const std::string live = BWQuincyManager::crashesDirectory() + "/" + BWQuincyManager::kLiveReportName;
    auto report = CrashReportDecoder::decodeFile(live);
    ASSERT_TRUE(report.ok()) << report.error().description << "\n" << child.output;
    EXPECT_EQ(report->signalName, "SIGSEGV");
    EXPECT_EQ(report->signalCode, "SEGV_MAPERR");
    EXPECT_EQ(report->faultAddress, kFaultAddress);
    EXPECT_NE(report->processID, ::getpid());
    EXPECT_EQ(report->processID, report->threadNumber) << "the main thread crashed";
    EXPECT_EQ(report->processPath, selfPath());
    EXPECT_EQ(report->applicationIdentifier, "com.marrowick.tollivar");
    EXPECT_FALSE(report->exceptionName);
    EXPECT_GT(report->timestamp, 1700000000);
    // The innermost frame is the faulting instruction inside the function
    // that wrote through the pointer (same executable, same file addresses).
    ASSERT_FALSE(report->backtrace.empty());
    const auto* image = report->imageContaining(report->backtrace[0]);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->path, selfPath());
    uint64_t function = reinterpret_cast<uint64_t>(&writeThroughBadPointer) - ownLoadBias();
    uint64_t faulting = image->fileAddress(report->backtrace[0]);
    EXPECT_GE(faulting, function);
    EXPECT_LT(faulting, function + 256);
    EXPECT_GE(report->backtrace.size(), 3u) << "callers of the faulting function are missing";

    server_.reply("POST", "/crashes", HttpReply{200, "ok"});
    BWQuincyManager& manager = launch(true);
    EXPECT_TRUE(manager.didCrashInLastSession());
    EXPECT_FALSE(std::filesystem::exists(live)) << "the previous report must be taken over";
    ASSERT_EQ(pendingReports().size(), 1u);
    EXPECT_TRUE(CrashReporter::isEnabled());

    ASSERT_TRUE(RunLoop::main().runUntil([&] { return delegate_.closed == 1; }, 60));
    EXPECT_EQ(asked_, 1);
    EXPECT_EQ(delegate_.opened, 1);
    EXPECT_GE(clock_.now(), BWQuincyManager::kSendCheckDelay);
    EXPECT_TRUE(pendingReports().empty()) << "a report the server accepted is removed";

    auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].header("Content-Type"), "application/xml; charset=utf-8");
    auto xmlFile = folders_.root() + "/posted.xml";
    std::ofstream(xmlFile) << requests[0].body;
    auto parsed = testsupport::runPython(
        "import sys, xml.etree.ElementTree as ET\n"
        "crash = ET.parse(sys.argv[1]).getroot().find('crash')\n"
        "print(crash.find('bundleidentifier').text)\n"
        "print(crash.find('contact').text)\n"
        "print(crash.find('log').text)\n",
        {xmlFile});
    ASSERT_EQ(parsed.exitCode, 0) << parsed.output;
    EXPECT_EQ(parsed.output.rfind("com.marrowick.tollivar\nann@example.org\n", 0), 0u) << parsed.output;
    EXPECT_NE(parsed.output.find("Exception Type:  SIGSEGV (SEGV_MAPERR)"), std::string::npos) << parsed.output;
    EXPECT_NE(parsed.output.find("Exception Codes: at 0x0000000000000040"), std::string::npos);
}

TEST_F(CrashCaptureTest, UncaughtExceptionIsRecordedWithItsTypeAndReason) {
    auto child = runCrashingChild("exception");
    ASSERT_EQ(child.exitCode, 128 + SIGABRT) << child.output;
    auto report =
        CrashReportDecoder::decodeFile(BWQuincyManager::crashesDirectory() + "/" + BWQuincyManager::kLiveReportName);
    ASSERT_TRUE(report.ok()) << report.error().description << "\n" << child.output;
    EXPECT_EQ(report->signalName, "SIGABRT");
    EXPECT_FALSE(report->faultAddress);
    EXPECT_EQ(report->exceptionName, "std::runtime_error");
    ASSERT_TRUE(report->exceptionReason);
    const std::string& reason = *report->exceptionReason;
    EXPECT_EQ(reason.rfind("disk on fire: \xC3\xA9", 0), 0u);
    EXPECT_LT(reason.size(), 2048u);
    EXPECT_EQ((reason.size() - 14) % 2, 0u) << "the cut split a character";
    EXPECT_NE(report->threadNumber, report->processID) << "a background thread threw";
    EXPECT_FALSE(report->backtrace.empty());
    EXPECT_NE(
        CrashLogFormatter::format(*report).find(
            "*** Terminating app due to uncaught exception 'std::runtime_error', reason: 'disk on fire: \xC3\xA9"),
        std::string::npos);
}

TEST_F(CrashCaptureTest, StackOverflowIsCaughtOnTheAlternateStack) {
    auto child = runCrashingChild("overflow");
    ASSERT_EQ(child.exitCode, 128 + SIGSEGV) << child.output;
    auto report =
        CrashReportDecoder::decodeFile(BWQuincyManager::crashesDirectory() + "/" + BWQuincyManager::kLiveReportName);
    ASSERT_TRUE(report.ok()) << "no report: the handler had no stack to run on\n" << child.output;
    EXPECT_EQ(report->signalName, "SIGSEGV");
    EXPECT_FALSE(report->backtrace.empty());
}

TEST_F(CrashCaptureTest, ReportsStayWhenTheServerFailsOrNobodyAnswers) {
    ASSERT_EQ(runCrashingChild("segv").exitCode, 128 + SIGSEGV);
    server_.reply("POST", "/crashes", HttpReply{500, "down"});
    launch(true);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return delegate_.closed == 1; }, 60));
    EXPECT_EQ(server_.requestCount(), 1u);
    ASSERT_EQ(pendingReports().size(), 1u) << "a refused report waits for the next launch";

    // A launch without anyone to ask keeps it and sends nothing.
    BWQuincyManager& quiet = launch(std::nullopt);
    EXPECT_FALSE(quiet.didCrashInLastSession()) << "the report is older than the last run";
    RunLoop::main().advance(5);
    EXPECT_EQ(server_.requestCount(), 1u);
    EXPECT_EQ(pendingReports().size(), 1u);

    // Answering false removes it without sending.
    launch(false);
    RunLoop::main().advance(5);
    EXPECT_EQ(asked_, 2);
    EXPECT_EQ(server_.requestCount(), 1u);
    EXPECT_TRUE(pendingReports().empty());
}

TEST_F(CrashCaptureTest, UnusableLeftoversAreDroppedAndNoCrashIsClaimed) {
    std::filesystem::create_directories(BWQuincyManager::crashesDirectory());
    const std::string live = BWQuincyManager::crashesDirectory() + "/" + BWQuincyManager::kLiveReportName;
    std::ofstream(live) << "not a report";
    std::ofstream(live + ".partial") << "half";
    BWQuincyManager& manager = launch(true);
    EXPECT_FALSE(manager.didCrashInLastSession());
    EXPECT_FALSE(std::filesystem::exists(live));
    EXPECT_FALSE(std::filesystem::exists(live + ".partial"));
    RunLoop::main().advance(5);
    EXPECT_EQ(asked_, 0) << "nothing to send, nothing to ask";
    EXPECT_EQ(server_.requestCount(), 0u);
}
