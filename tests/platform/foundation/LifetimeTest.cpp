#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"
#include "support/VirtualClock.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using foundation::LifeToken;
using foundation::weakFrom;

namespace {

class Base : public std::enable_shared_from_this<Base> {
public:
    virtual ~Base() = default;
};

// Registers a callback that logs its name, as a view registers a timer.
class Derived : public Base {
public:
    explicit Derived(std::vector<std::string>& log) : log_(log) {}
    std::function<void()> callback() {
        return [weak = weakFrom(this)] {
            if (auto self = weak.lock()) self->log_.push_back("derived");
        };
    }

private:
    std::vector<std::string>& log_;
};

struct Owner {
    explicit Owner(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(&log) {}
    std::function<void(int)> callback() {
        return life.guard([this](int value) { log->push_back(name + std::to_string(value)); });
    }
    std::string name;
    std::vector<std::string>* log;
    LifeToken life;
};

}  // namespace

TEST(WeakFrom, HasTheObjectsOwnTypeAndExpiresWithIt) {
    std::vector<std::string> log;
    auto derived = std::make_shared<Derived>(log);
    std::weak_ptr<Derived> weak = weakFrom(derived.get());
    EXPECT_EQ(weak.lock(), derived);
    auto callback = derived->callback();
    callback();
    derived.reset();
    callback();  // after the owner is gone: nothing happens
    EXPECT_EQ(log, std::vector<std::string>{"derived"});
    EXPECT_TRUE(weak.expired());

    Derived unowned(log);  // no shared_ptr: nothing to point at
    EXPECT_TRUE(weakFrom(&unowned).expired());
    auto base = std::make_shared<Base>();
    EXPECT_EQ(weakFrom(base.get()).lock(), base);
}

// Each row: what happens to the owner after its callbacks were handed out,
// and which calls of those callbacks still arrive.
TEST(LifeToken, CallbacksStopWithTheirOwner) {
    struct Case {
        const char* what;
        std::function<void(std::unique_ptr<Owner>&, std::unique_ptr<Owner>&)> change;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"owner lives", [](auto&, auto&) {}, {"a1", "a2"}},
        {"owner destroyed", [](auto& owner, auto&) { owner.reset(); }, {"a1"}},
        {"owner revoked", [](auto& owner, auto&) { owner->life.revoke(); }, {"a1"}},
        {"copy destroyed",
         [](auto& owner, auto& copy) { copy = std::make_unique<Owner>(*owner), copy.reset(); },
         {"a1", "a2"}},
        {"copied, then owner destroyed",
         [](auto& owner, auto& copy) { copy = std::make_unique<Owner>(*owner), owner.reset(); },
         {"a1"}},
        {"moved from, then destroyed",
         [](auto& owner, auto& copy) { copy = std::make_unique<Owner>(std::move(*owner)), owner.reset(); },
         {"a1"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;
        auto owner = std::make_unique<Owner>("a", log);
        std::unique_ptr<Owner> copy;
        auto callback = owner->callback();
        callback(1);
        c.change(owner, copy);
        callback(2);
        EXPECT_EQ(log, c.expected) << c.what;
    }
}

TEST(LifeToken, RevokingStopsOnlyEarlierCallbacks) {
    std::vector<std::string> log;
    Owner owner("b", log);
    auto early = owner.callback();
    owner.life.revoke();
    auto late = owner.callback();
    early(1);
    late(2);
    EXPECT_EQ(log, std::vector<std::string>{"b2"});
    EXPECT_TRUE(owner.life.observer().alive());
}

// Delayed performs of a token: gone with the token (nothing left scheduled),
// with a revoke, or by key; the others still run.
TEST(LifeToken, DelayedPerformsEndWithTheToken) {
    testsupport::VirtualClockScope clock;
    auto& loop = foundation::RunLoop::main();
    struct Case {
        const char* what;
        std::function<void(std::unique_ptr<LifeToken>&)> change;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"kept", [](auto&) {}, {"a", "b"}},
        {"destroyed", [](auto& token) { token.reset(); }, {}},
        {"revoked", [](auto& token) { token->revoke(); }, {}},
        {"key a cancelled", [](auto& token) { EXPECT_EQ(token->cancelPerforms("a"), 1u); }, {"b"}},
        {"unknown key", [](auto& token) { EXPECT_EQ(token->cancelPerforms("c"), 0u); }, {"a", "b"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;
        auto token = std::make_unique<LifeToken>();
        size_t before = loop.scheduledTimerCount();
        token->performAfter(
            1.0, [&] { log.push_back("a"); }, "a");
        token->performAfter(
            2.0, [&] { log.push_back("b"); }, "b");
        c.change(token);
        EXPECT_EQ(loop.scheduledTimerCount(), before + c.expected.size()) << c.what;
        loop.advance(3.0);
        EXPECT_EQ(log, c.expected) << c.what;
    }
}
