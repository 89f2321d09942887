#include "components/support/Reachability.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "support/ChildProcess.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <iostream>
#include <net/if.h>
#include <net/route.h>
#include <sched.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using support::Reachability;

TEST(Reachability, GeneralRuleTable) {
    struct Case {
        uint32_t flags;
        support::NetworkStatus status;
    };
    const Case cases[] = {
        {0x0, 0},  {0x2, 1},  {0x6, 0},     {0xE, 1},     {0x36, 0}, {0x40006, 1},
        {0x2E, 1}, {0x1E, 0}, {0x40000, 0}, {0x30002, 1}, {0x4, 0},
    };
    auto internet = Reachability::reachabilityForInternetConnection();
    ASSERT_NE(internet, nullptr);
    for (const Case& c : cases)
        EXPECT_EQ(internet->networkStatusForFlags(c.flags), c.status) << std::hex << "flags 0x" << c.flags;
}

TEST(Reachability, LocalWiFiRuleTable) {
    struct Case {
        uint32_t flags;
        support::NetworkStatus status;
    };
    const Case cases[] = {{0x20002, 1}, {0x2, 0}, {0x20000, 0}, {0x0, 0}, {0x70006, 1}};
    auto local = Reachability::reachabilityForLocalWiFi();
    ASSERT_NE(local, nullptr);
    EXPECT_TRUE(local->isLocalWiFi());
    EXPECT_FALSE(Reachability::reachabilityForInternetConnection()->isLocalWiFi());
    for (const Case& c : cases)
        EXPECT_EQ(local->localWiFiStatusForFlags(c.flags), c.status) << std::hex << "flags 0x" << c.flags;
}

TEST(Reachability, FlagLineLettersInTableOrder) {
    struct Case {
        uint32_t flags;
        const char* comment;
        const char* line;
    };
    const Case cases[] = {
        {0x2, "networkStatusForFlags", "Reachability Flag Status: -R ------- networkStatusForFlags\n"},
        {0x0, "localWiFiStatusForFlags", "Reachability Flag Status: -- ------- localWiFiStatusForFlags\n"},
        {0x7003F, "networkStatusForFlags", "Reachability Flag Status: WR tcCiDld networkStatusForFlags\n"},
        {0x40000, "x", "Reachability Flag Status: W- ------- x\n"},
        {0x20008, "x", "Reachability Flag Status: -- --C---d x\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Reachability::flagStatusLine(c.flags, c.comment), c.line);
}

TEST(Reachability, ClassAddressesAreSixteenByteIPv4) {
    struct Case {
        sockaddr_in address;
        const char* dotted;
    };
    const Case cases[] = {{Reachability::internetAddress(), "0.0.0.0"},
                          {Reachability::localWiFiAddress(), "169.254.0.0"}};
    static_assert(sizeof(sockaddr_in) == 16);
    for (const Case& c : cases) {
        EXPECT_EQ(c.address.sin_family, AF_INET);
        EXPECT_EQ(c.address.sin_port, 0);
        char text[INET_ADDRSTRLEN];
        EXPECT_STREQ(inet_ntop(AF_INET, &c.address.sin_addr, text, sizeof text), c.dotted);
        const unsigned char zero[8] = {};
        EXPECT_EQ(std::memcmp(c.address.sin_zero, zero, sizeof zero), 0);
    }
}

TEST(Reachability, TargetsThatCannotBeMadeGiveNull) {
    sockaddr_in six{};
    six.sin_family = AF_INET6;
    EXPECT_EQ(Reachability::reachabilityWithAddress(nullptr), nullptr);
    EXPECT_EQ(Reachability::reachabilityWithAddress(&six), nullptr);
    EXPECT_EQ(Reachability::reachabilityWithHostName(""), nullptr);
    EXPECT_EQ(Reachability::reachabilityWithHostName(std::string("a\0b", 3)), nullptr);
    EXPECT_NE(Reachability::reachabilityWithHostName("localhost"), nullptr);
}

TEST(Reachability, OwnAddressIsReachableWithoutConnection) {
    sockaddr_in loopback = Reachability::internetAddress();
    loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    auto own = Reachability::reachabilityWithAddress(&loopback);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->currentReachabilityStatus(), 1);
    EXPECT_FALSE(own->connectionRequired());
}

// The notifier stopped from another thread is unscheduled from the loop that
// started it, and can start again afterwards; a second start while running
// is refused.
TEST(Reachability, NotifierStopsFromAnyThread) {
    auto internet = Reachability::reachabilityForInternetConnection();
    ASSERT_TRUE(internet->startNotifier());
    EXPECT_TRUE(internet->isNotifierRunning());
    EXPECT_FALSE(internet->startNotifier());
    std::thread([&] { internet->stopNotifier(); }).join();
    EXPECT_FALSE(internet->isNotifierRunning());
    EXPECT_TRUE(internet->startNotifier());
    std::thread([&] { internet.reset(); }).join();
    EXPECT_EQ(internet, nullptr);
    foundation::RunLoop::main().runUntilIdle();
}

// Runs in a child with a user and network namespace of its own: only lo
// exists there, so there is no route to the internet until the child adds a
// default route over lo. Writes one line per step.
std::string namespaceSteps() {
    std::string out;
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0)
        return std::string("skip: new user and network namespace not allowed: ") + std::strerror(errno) + "\n";
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq lo{};
    std::strncpy(lo.ifr_name, "lo", IFNAMSIZ - 1);
    if (fd < 0 || ::ioctl(fd, SIOCGIFFLAGS, &lo) != 0) return "lo flags unreadable\n";
    lo.ifr_flags = static_cast<short>(lo.ifr_flags | IFF_UP);
    if (::ioctl(fd, SIOCSIFFLAGS, &lo) != 0) return std::string("lo not brought up: ") + std::strerror(errno) + "\n";

    auto internet = Reachability::reachabilityForInternetConnection();
    out += std::to_string(internet->currentReachabilityStatus()) + "\n";
    std::string posted;
    auto token = foundation::NotificationCenter::defaultCenter().addObserver(
        support::kNetworkReachabilityChangedNotification, internet.get(),
        [&](const foundation::Notification& n) { posted = n.name; });
    if (!internet->startNotifier()) return out + "notifier not started\n";

    rtentry route{};
    auto* any = reinterpret_cast<sockaddr_in*>(&route.rt_dst);
    any->sin_family = AF_INET;
    reinterpret_cast<sockaddr_in*>(&route.rt_genmask)->sin_family = AF_INET;
    route.rt_flags = RTF_UP;
    char device[] = "lo";
    route.rt_dev = device;
    if (::ioctl(fd, SIOCADDRT, &route) != 0) return out + "route not added: " + std::strerror(errno) + "\n";
    out += "route added\n";
    foundation::RunLoop::main().runUntil([&] { return !posted.empty(); }, 10.0);
    out += (posted.empty() ? std::string("no notification") : posted) + "\n";
    out += std::to_string(internet->currentReachabilityStatus()) + "\n";

    // A change already posted to the loop is dropped once the object is
    // gone, even when another thread destroyed it.
    posted.clear();
    auto gone = Reachability::reachabilityForInternetConnection();
    auto goneToken = foundation::NotificationCenter::defaultCenter().addObserver(
        support::kNetworkReachabilityChangedNotification, nullptr,
        [&](const foundation::Notification& n) { posted = n.name; });
    if (!gone->startNotifier()) return out + "second notifier not started\n";
    if (::ioctl(fd, SIOCDELRT, &route) != 0) return out + "route not deleted\n";
    ::close(fd);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (foundation::RunLoop::main().pendingTaskCount() == 0 && std::chrono::steady_clock::now() < deadline) {}
    internet.reset();
    std::thread([&] { gone.reset(); }).join();
    foundation::RunLoop::main().runUntilIdle();
    out += posted.empty() ? "dropped after destruction\n" : "posted after destruction\n";
    return out;
}

// The child is a fresh copy of this test binary, not a fork: a new user
// namespace needs a process of one thread, and a fork of a process with
// threads may not start threads of its own (ThreadSanitizer refuses it).
constexpr const char* kStepsBegin = "<steps>\n";
constexpr const char* kStepsEnd = "</steps>\n";

TEST(Reachability, DISABLED_NamespaceStepsInAFreshProcess) {
    const std::string steps = namespaceSteps();
    std::cout << kStepsBegin << steps << kStepsEnd << std::flush;
}

TEST(Reachability, NamespaceGainsRouteAndNotifies) {
    testsupport::ChildProcess::Options options;
    options.captureOutput = true;
    auto child = testsupport::ChildProcess::spawn({testsupport::ChildProcess::thisExecutable(),
                                                   "--gtest_filter=Reachability.DISABLED_NamespaceStepsInAFreshProcess",
                                                   "--gtest_also_run_disabled_tests"},
                                                  options);
    const std::string output = child.readOutput();
    ASSERT_EQ(child.wait(), 0) << output;
    const size_t begin = output.find(kStepsBegin);
    const size_t end = output.find(kStepsEnd);
    ASSERT_TRUE(begin != std::string::npos && end != std::string::npos) << output;
    const std::string steps = output.substr(begin + std::strlen(kStepsBegin), end - begin - std::strlen(kStepsBegin));
    if (steps.rfind("skip:", 0) == 0) GTEST_SKIP() << steps;
    EXPECT_EQ(steps, "0\nroute added\nkNetworkReachabilityChangedNotification\n1\ndropped after destruction\n");
}

}  // namespace
