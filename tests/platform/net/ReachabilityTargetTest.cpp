#include "platform/net/ReachabilityTarget.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

namespace {

using net::ReachabilityTarget;

sockaddr_in ipv4(const char* dotted) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    inet_pton(AF_INET, dotted, &address.sin_addr);
    return address;
}

// Our own addresses route locally: reachable, direct and local, whichever
// way the target was named.
TEST(ReachabilityTarget, OwnAddressesAreReachableDirectAndLocal) {
    const uint32_t own =
        net::kReachabilityFlagReachable | net::kReachabilityFlagIsDirect | net::kReachabilityFlagIsLocalAddress;
    auto byAddress = ReachabilityTarget::createWithAddress(ipv4("127.0.0.1"));
    auto otherLoopback = ReachabilityTarget::createWithAddress(ipv4("127.1.2.3"));
    auto byName = ReachabilityTarget::createWithName("localhost");
    for (auto* target : {byAddress.get(), otherLoopback.get(), byName.get()}) {
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(target->flags(), std::optional<uint32_t>(own));
    }
}

TEST(ReachabilityTarget, UnresolvableNameReadsAsUnreachable) {
    auto target = ReachabilityTarget::createWithName("no-such-host.invalid");
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->flags(), std::optional<uint32_t>(0u));
}

TEST(ReachabilityTarget, ScheduleNeedsCallbackAndHappensOnce) {
    auto target = ReachabilityTarget::createWithAddress(ipv4("0.0.0.0"));
    ASSERT_NE(target, nullptr);
    EXPECT_FALSE(target->scheduleWithRunLoop(foundation::RunLoop::main()));
    ASSERT_TRUE(target->setCallback([](uint32_t) {}));
    EXPECT_TRUE(target->scheduleWithRunLoop(foundation::RunLoop::main()));
    EXPECT_FALSE(target->scheduleWithRunLoop(foundation::RunLoop::main()));
    target->unschedule();
    EXPECT_FALSE(target->isScheduled());
    target->unschedule();  // a second stop is harmless
    EXPECT_FALSE(target->isScheduled());
}

}  // namespace
