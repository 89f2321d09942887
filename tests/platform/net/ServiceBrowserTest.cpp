#include "platform/foundation/RunLoop.h"
#include "platform/net/FakeServiceBrowser.h"
#include "platform/net/ServiceBrowser.h"
#include "support/VirtualClock.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/error.h>
#include <avahi-common/thread-watch.h>
#include <gtest/gtest.h>
#include <unistd.h>

using foundation::RunLoop;
using net::FakeServiceBrowser;
using net::NetService;
using net::ServiceBrowser;

namespace {

// Every report, in order, as one line each.
struct Reports {
    std::vector<std::string> lines;
    bool offMainThread = false;

    ServiceBrowser::Handlers handlers() {
        auto note = [this](std::string line) {
            if (!RunLoop::isMainThread()) offMainThread = true;
            lines.push_back(std::move(line));
        };
        return {
            .found = [note](const NetService& s) { note("found " + s.name + " " + s.type + " " + s.domain); },
            .removed = [note](const NetService& s) { note("removed " + s.name); },
            .resolved =
                [note](const net::ResolvedService& r) {
                    note("resolved " + r.service.name + " " + r.hostName + ":" + std::to_string(r.port));
                },
            .resolveFailed =
                [note](const NetService& s, const foundation::Error& e) {
                    note("failed " + s.name + " " + e.domain + " " + std::to_string(e.code));
                },
        };
    }
};

const NetService kKitchen{"Kitchen", "_camera._tcp.", "local."};
const NetService kAttic{"Attic", "_camera._tcp.", "local."};
const NetService kPrinter{"Printer", "_ipp._tcp.", "local."};

}  // namespace

TEST(FakeServiceBrowser, ReportsWhatTheNetworkDoesOnTheMainQueue) {
    testsupport::VirtualClockScope clock;
    FakeServiceBrowser::Installation fakes;
    std::shared_ptr<ServiceBrowser> browser = ServiceBrowser::create();
    ASSERT_EQ(fakes.last(), browser);
    Reports reports;
    browser->setHandlers(reports.handlers());

    auto fake = fakes.last();
    fake->announce(kKitchen);  // already there when the search starts
    fake->announce(kPrinter);  // another type: never reported
    fake->setAddress("Kitchen", "kitchen.local", 8080);
    browser->searchForServices("_camera._tcp.", "local.");
    EXPECT_TRUE(reports.lines.empty()) << "reports wait for the main queue";
    RunLoop::main().runUntilIdle();

    fake->announce(kAttic);
    fake->announce(kAttic);  // seen again on another interface: reported once
    browser->resolve(kKitchen, 30);
    browser->resolve(kAttic, 30);  // no address: fails when its time is up
    RunLoop::main().runUntilIdle();
    const std::vector<std::string> beforeTimeout = reports.lines;
    RunLoop::main().advance(30);
    fake->withdraw(kKitchen);
    fake->withdraw(kKitchen);
    RunLoop::main().runUntilIdle();

    EXPECT_EQ(beforeTimeout,
              (std::vector<std::string>{"found Kitchen _camera._tcp. local.", "found Attic _camera._tcp. local.",
                                        "resolved Kitchen kitchen.local:8080"}));
    EXPECT_EQ(reports.lines,
              (std::vector<std::string>{"found Kitchen _camera._tcp. local.", "found Attic _camera._tcp. local.",
                                        "resolved Kitchen kitchen.local:8080",
                                        "failed Attic NSNetServicesErrorDomain -72007", "removed Kitchen"}));
    EXPECT_FALSE(reports.offMainThread);
    ASSERT_EQ(fake->resolveRequests().size(), 2u);
    EXPECT_EQ(fake->resolveRequests()[1].service, kAttic);
    EXPECT_EQ(fake->resolveRequests()[1].timeoutSeconds, 30);
    EXPECT_THROW(browser->searchForServices("_camera._tcp.", "local."), std::logic_error);
}

TEST(FakeServiceBrowser, NothingIsReportedAfterStopOrOnceTheBrowserIsGone) {
    testsupport::VirtualClockScope clock;
    FakeServiceBrowser::Installation fakes;
    Reports reports;
    {
        auto browser = ServiceBrowser::create();
        browser->setHandlers(reports.handlers());
        browser->searchForServices("_camera._tcp.", "local.");
        fakes.last()->announce(kKitchen);  // queued, then the browser goes
    }
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(fakes.last(), nullptr);

    auto browser = ServiceBrowser::create();
    browser->setHandlers(reports.handlers());
    browser->searchForServices("_camera._tcp.", "local.");
    auto fake = fakes.last();
    fake->announce(kKitchen);
    browser->resolve(kAttic, 5);
    browser->stop();
    RunLoop::main().advance(10);
    EXPECT_TRUE(fake->stopped());
    EXPECT_TRUE(reports.lines.empty()) << reports.lines.front();
    EXPECT_EQ(fakes.madeCount(), 2u);
}

TEST(FakeServiceBrowser, TheInstallationRestoresThePreviousFactory) {
    FakeServiceBrowser::Installation outer;
    {
        FakeServiceBrowser::Installation inner;
        ServiceBrowser::create();
        EXPECT_EQ(inner.madeCount(), 1u);
    }
    auto browser = ServiceBrowser::create();
    EXPECT_EQ(outer.madeCount(), 1u);
    EXPECT_EQ(outer.last(), browser);
}

namespace {

// Whether an avahi-daemon answers on this machine, asked the way a client
// that must not wait would ask.
bool daemonAnswers() {
    AvahiThreadedPoll* poll = avahi_threaded_poll_new();
    int error = 0;
    AvahiClient* client = avahi_client_new(
        avahi_threaded_poll_get(poll), AvahiClientFlags(0), [](AvahiClient*, AvahiClientState, void*) {}, nullptr,
        &error);
    if (client) avahi_client_free(client);
    avahi_threaded_poll_free(poll);
    return client != nullptr;
}

// Publishes one service through the daemon for as long as it lives.
class PublishedService {
public:
    PublishedService(const std::string& name, const std::string& type, uint16_t port) {
        poll_ = avahi_threaded_poll_new();
        int error = 0;
        client_ = avahi_client_new(
            avahi_threaded_poll_get(poll_), AvahiClientFlags(0), [](AvahiClient*, AvahiClientState, void*) {}, nullptr,
            &error);
        if (!client_) return;
        group_ = avahi_entry_group_new(
            client_, [](AvahiEntryGroup*, AvahiEntryGroupState, void*) {}, nullptr);
        if (!group_ ||
            avahi_entry_group_add_service(group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                                          name.c_str(), type.c_str(), nullptr, nullptr, port, nullptr) < 0 ||
            avahi_entry_group_commit(group_) < 0)
            return;
        published_ = avahi_threaded_poll_start(poll_) == 0;
    }
    ~PublishedService() { withdraw(); }
    bool published() const { return published_; }
    void withdraw() {
        if (!poll_) return;
        if (published_) avahi_threaded_poll_stop(poll_);
        if (client_) avahi_client_free(client_);  // frees the group, which withdraws the service
        avahi_threaded_poll_free(poll_);
        poll_ = nullptr;
    }

private:
    AvahiThreadedPoll* poll_ = nullptr;
    AvahiClient* client_ = nullptr;
    AvahiEntryGroup* group_ = nullptr;
    bool published_ = false;
};

}  // namespace

// Where no daemon answers (a container, CI), the browser finds nothing and
// says nothing; a resolution fails at once.
TEST(AvahiServiceBrowser, WithoutADaemonThereIsNothingAndNoError) {
    if (daemonAnswers()) GTEST_SKIP() << "an avahi-daemon answers here; this case is about machines without one";
    testsupport::VirtualClockScope clock;
    Reports reports;
    auto browser = ServiceBrowser::create();
    browser->setHandlers(reports.handlers());
    browser->searchForServices("_MARROWICK_REMOTE_CAMERA._tcp.", "local");
    browser->resolve(kKitchen, 30);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(reports.lines, std::vector<std::string>{"failed Kitchen NSNetServicesErrorDomain -72002"});
    browser->stop();
}

// Runs against a real avahi-daemon; start one (with D-Bus) to run it by hand.
TEST(AvahiServiceBrowser, FindsResolvesAndLosesAPublishedService) {
    if (!daemonAnswers())
        GTEST_SKIP() << "no avahi-daemon answers on the system bus here (as in CI); start one to run this test";
    const std::string name = "Tollivar test " + std::to_string(::getpid());
    const std::string type = "_MARROWICK_REMOTE_CAMERA._tcp.";
    Reports reports;
    auto browser = ServiceBrowser::create();
    browser->setHandlers(reports.handlers());
    browser->searchForServices(type, "local");

    PublishedService published(name, "_MARROWICK_REMOTE_CAMERA._tcp", 45678);
    ASSERT_TRUE(published.published());
    auto saw = [&](const std::string& line) {
        return std::find(reports.lines.begin(), reports.lines.end(), line) != reports.lines.end();
    };
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return saw("found " + name + " " + type + " local."); }, 15));

    browser->resolve(NetService{name, type, "local."}, 30);
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            return std::any_of(reports.lines.begin(), reports.lines.end(),
                               [&](const std::string& l) { return l.starts_with("resolved " + name); });
        },
        30));
    auto resolved = *std::find_if(reports.lines.begin(), reports.lines.end(),
                                  [&](const std::string& l) { return l.starts_with("resolved " + name); });
    EXPECT_TRUE(resolved.ends_with(".local:45678")) << resolved;

    published.withdraw();
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return saw("removed " + name); }, 15));
    EXPECT_FALSE(reports.offMainThread);
}
