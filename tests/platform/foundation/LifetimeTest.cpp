#include "platform/foundation/Lifetime.h"

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
