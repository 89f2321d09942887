#include "platform/net/ReachabilityTarget.h"

#include "platform/foundation/BackgroundActivity.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <mutex>
#include <net/if.h>
#include <netdb.h>
#include <poll.h>
#include <set>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace net {
namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

int openNetlink(uint32_t groups) {
    int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return -1;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = groups;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends one request and hands every answering message to `onMessage` until
// the dump ends or a single answer arrived. False when the kernel could not
// be asked or answered with an error.
bool ask(const void* request, size_t length, const std::function<void(const nlmsghdr&)>& onMessage) {
    Fd fd(openNetlink(0));
    if (!fd.valid()) return false;
    if (::send(fd.get(), request, length, 0) != static_cast<ssize_t>(length)) return false;
    const bool dump = (static_cast<const nlmsghdr*>(request)->nlmsg_flags & NLM_F_DUMP) != 0;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        ssize_t got = ::recv(fd.get(), buffer.data(), buffer.size(), 0);
        if (got < 0) return false;
        size_t left = static_cast<size_t>(got);
        for (auto* header = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(header, left);
             header = NLMSG_NEXT(header, left)) {
            if (header->nlmsg_type == NLMSG_DONE) return true;
            if (header->nlmsg_type == NLMSG_ERROR) {
                const auto* error = static_cast<const nlmsgerr*>(NLMSG_DATA(header));
                return error->error == 0;
            }
            onMessage(*header);
            if (!dump) return true;
        }
    }
}

template <typename Payload>
struct Request {
    nlmsghdr header;
    Payload payload;
    char attributes[64];
};

template <typename Payload>
Request<Payload> makeRequest(uint16_t type, uint16_t flags) {
    Request<Payload> request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(Payload));
    request.header.nlmsg_type = type;
    request.header.nlmsg_flags = static_cast<uint16_t>(NLM_F_REQUEST | flags);
    request.header.nlmsg_seq = 1;
    return request;
}

template <typename Payload>
void forEachAttribute(const nlmsghdr& header, const std::function<void(const rtattr&)>& visit) {
    const auto* payload = static_cast<const Payload*>(NLMSG_DATA(&header));
    int left = static_cast<int>(header.nlmsg_len) - static_cast<int>(NLMSG_LENGTH(sizeof(Payload)));
    for (const auto* attribute =
             reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(payload) + NLMSG_ALIGN(sizeof(Payload)));
         RTA_OK(attribute, left); attribute = RTA_NEXT(attribute, left))
        visit(*attribute);
}

std::optional<std::set<int>> upInterfaces() {
    auto request = makeRequest<ifinfomsg>(RTM_GETLINK, NLM_F_DUMP);
    std::set<int> up;
    bool asked = ask(&request, request.header.nlmsg_len, [&](const nlmsghdr& header) {
        if (header.nlmsg_type != RTM_NEWLINK) return;
        const auto* link = static_cast<const ifinfomsg*>(NLMSG_DATA(&header));
        if ((link->ifi_flags & IFF_UP) != 0) up.insert(link->ifi_index);
    });
    if (!asked) return std::nullopt;
    return up;
}

// Reachable while a main-table default route of either family leaves
// through an interface that is up.
std::optional<uint32_t> internetFlags() {
    auto up = upInterfaces();
    if (!up) return std::nullopt;
    bool found = false;
    for (unsigned char family : {AF_INET, AF_INET6}) {
        auto request = makeRequest<rtmsg>(RTM_GETROUTE, NLM_F_DUMP);
        request.payload.rtm_family = family;
        bool asked = ask(&request, request.header.nlmsg_len, [&](const nlmsghdr& header) {
            if (header.nlmsg_type != RTM_NEWROUTE) return;
            const auto* route = static_cast<const rtmsg*>(NLMSG_DATA(&header));
            if (route->rtm_dst_len != 0 || route->rtm_type != RTN_UNICAST) return;
            forEachAttribute<rtmsg>(header, [&](const rtattr& attribute) {
                if (attribute.rta_type == RTA_OIF && up->count(*static_cast<const int*>(RTA_DATA(&attribute))) != 0)
                    found = true;
            });
        });
        if (!asked) return std::nullopt;
    }
    return found ? kReachabilityFlagReachable : 0u;
}

// Reachable and direct while an interface carries a 169.254/16 address.
std::optional<uint32_t> linkLocalFlags() {
    auto request = makeRequest<ifaddrmsg>(RTM_GETADDR, NLM_F_DUMP);
    request.payload.ifa_family = AF_INET;
    bool found = false;
    bool asked = ask(&request, request.header.nlmsg_len, [&](const nlmsghdr& header) {
        if (header.nlmsg_type != RTM_NEWADDR) return;
        forEachAttribute<ifaddrmsg>(header, [&](const rtattr& attribute) {
            if (attribute.rta_type != IFA_LOCAL && attribute.rta_type != IFA_ADDRESS) return;
            const auto* bytes = static_cast<const unsigned char*>(RTA_DATA(&attribute));
            if (bytes[0] == 169 && bytes[1] == 254) found = true;
        });
    });
    if (!asked) return std::nullopt;
    return found ? kReachabilityFlagReachable | kReachabilityFlagIsDirect : 0u;
}

// The route the kernel would take to `address` (4 or 16 bytes). An address
// without a route is readable and unreachable.
std::optional<uint32_t> routeFlags(unsigned char family, const void* address, size_t addressLength) {
    auto request = makeRequest<rtmsg>(RTM_GETROUTE, 0);
    request.payload.rtm_family = family;
    request.payload.rtm_dst_len = static_cast<unsigned char>(addressLength * 8);
    auto* attribute =
        reinterpret_cast<rtattr*>(reinterpret_cast<char*>(&request) + NLMSG_ALIGN(request.header.nlmsg_len));
    attribute->rta_type = RTA_DST;
    attribute->rta_len = static_cast<unsigned short>(RTA_LENGTH(addressLength));
    std::memcpy(RTA_DATA(attribute), address, addressLength);
    request.header.nlmsg_len = NLMSG_ALIGN(request.header.nlmsg_len) + RTA_ALIGN(attribute->rta_len);

    uint32_t flags = 0;
    bool answered = ask(&request, request.header.nlmsg_len, [&](const nlmsghdr& header) {
        if (header.nlmsg_type != RTM_NEWROUTE) return;
        const auto* route = static_cast<const rtmsg*>(NLMSG_DATA(&header));
        if (route->rtm_type != RTN_UNICAST && route->rtm_type != RTN_LOCAL) return;
        flags = kReachabilityFlagReachable | kReachabilityFlagIsDirect;
        if (route->rtm_type == RTN_LOCAL) flags |= kReachabilityFlagIsLocalAddress;
        forEachAttribute<rtmsg>(header, [&](const rtattr& each) {
            if (each.rta_type == RTA_GATEWAY) flags &= ~static_cast<uint32_t>(kReachabilityFlagIsDirect);
        });
    });
    // The kernel answers "network unreachable" with an error: that is a
    // reading, not a failure to read. Only a missing socket is.
    if (!answered) {
        Fd probe(openNetlink(0));
        if (!probe.valid()) return std::nullopt;
        return 0u;
    }
    return flags;
}

std::optional<uint32_t> addressFlags(const sockaddr_in& address) {
    const uint32_t host = ntohl(address.sin_addr.s_addr);
    if (host == 0) return internetFlags();
    if (host == 0xA9FE0000u) return linkLocalFlags();
    return routeFlags(AF_INET, &address.sin_addr, sizeof address.sin_addr);
}

std::optional<uint32_t> nameFlags(const std::string& hostName) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(hostName.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return 0u;
    std::optional<uint32_t> flags = 0u;
    if (found->ai_family == AF_INET) {
        flags = addressFlags(*reinterpret_cast<const sockaddr_in*>(found->ai_addr));
    } else if (found->ai_family == AF_INET6) {
        const auto* six = reinterpret_cast<const sockaddr_in6*>(found->ai_addr);
        flags = routeFlags(AF_INET6, &six->sin6_addr, sizeof six->sin6_addr);
    }
    ::freeaddrinfo(found);
    return flags;
}

}  // namespace

// The thread that reads the kernel's change groups. What it posts checks
// `scheduled` on the loop's thread, so unscheduling from anywhere drops a
// callback that is already on its way.
struct ReachabilityTarget::Watcher {
    struct Shared {
        std::mutex mutex;
        bool scheduled = true;
        Callback callback;
        std::function<std::optional<uint32_t>()> readFlags;
    };

    Fd socket;
    Fd wake{::eventfd(0, EFD_CLOEXEC)};
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();
    std::thread thread;

    explicit Watcher(int fd) : socket(fd) {}

    void start(foundation::RunLoop& loop) {
        thread = std::thread([this, &loop, shared = shared] { watch(loop, shared); });
    }

    void watch(foundation::RunLoop& loop, const std::shared_ptr<Shared>& state) {
        std::vector<char> buffer(64 * 1024);
        for (;;) {
            pollfd fds[2] = {{socket.get(), POLLIN, 0}, {wake.get(), POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if ((fds[1].revents & POLLIN) != 0) return;
            // From here until the post the loop must not treat time as idle.
            foundation::ScopedBackgroundActivity activity;
            // Drain the burst one change makes (a link going up brings its
            // addresses and routes along) into one callback.
            while (::recv(socket.get(), buffer.data(), buffer.size(), MSG_DONTWAIT) > 0) {}
            loop.post([state] {
                Callback callback;
                {
                    std::lock_guard lock(state->mutex);
                    if (!state->scheduled) return;
                    callback = state->callback;
                }
                if (callback) callback(state->readFlags().value_or(0));
            });
        }
    }

    void stop() {
        {
            std::lock_guard lock(shared->mutex);
            shared->scheduled = false;
        }
        uint64_t one = 1;
        if (::write(wake.get(), &one, sizeof one) < 0) {
            // The eventfd cannot be full at one write; nothing to recover.
        }
        if (thread.joinable()) thread.join();
    }
};

ReachabilityTarget::ReachabilityTarget(std::string hostName, std::optional<sockaddr_in> address)
    : hostName_(std::move(hostName)), address_(address) {}

ReachabilityTarget::~ReachabilityTarget() { unschedule(); }

std::unique_ptr<ReachabilityTarget> ReachabilityTarget::createWithName(const std::string& hostName) {
    if (hostName.empty() || hostName.find('\0') != std::string::npos) return nullptr;
    return std::unique_ptr<ReachabilityTarget>(new ReachabilityTarget(hostName, std::nullopt));
}

std::unique_ptr<ReachabilityTarget> ReachabilityTarget::createWithAddress(const sockaddr_in& address) {
    if (address.sin_family != AF_INET) return nullptr;
    return std::unique_ptr<ReachabilityTarget>(new ReachabilityTarget({}, address));
}

std::optional<uint32_t> ReachabilityTarget::flags() const {
    return address_ ? addressFlags(*address_) : nameFlags(hostName_);
}

bool ReachabilityTarget::setCallback(Callback callback) {
    if (callback) {
        Fd probe(openNetlink(RTMGRP_LINK));
        if (!probe.valid()) return false;
    }
    callback_ = std::move(callback);
    return true;
}

bool ReachabilityTarget::scheduleWithRunLoop(foundation::RunLoop& loop) {
    if (!callback_ || watcher_) return false;
    int fd = openNetlink(RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE);
    if (fd < 0) return false;
    watcher_ = std::make_unique<Watcher>(fd);
    if (!watcher_->wake.valid()) {
        watcher_.reset();
        return false;
    }
    watcher_->shared->callback = callback_;
    // By value: the posted callback may run while the target goes away
    // on another thread.
    watcher_->shared->readFlags = [name = hostName_, address = address_] {
        return address ? addressFlags(*address) : nameFlags(name);
    };
    watcher_->start(loop);
    return true;
}

void ReachabilityTarget::unschedule() {
    if (!watcher_) return;
    watcher_->stop();
    watcher_.reset();
}

bool ReachabilityTarget::isScheduled() const { return watcher_ != nullptr; }

}  // namespace net
