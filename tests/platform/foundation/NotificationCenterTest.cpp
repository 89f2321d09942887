#include "platform/foundation/NotificationCenter.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using foundation::Dictionary;
using foundation::Notification;
using foundation::NotificationCenter;
using foundation::ObserverToken;
using foundation::Value;

TEST(NotificationCenter, DeliversSynchronouslyOnThePostingThread) {
    NotificationCenter center;
    std::thread::id deliveredOn;
    std::vector<std::string> calls;
    auto token = center.addObserver("AddFrameNotification", nullptr, [&](const Notification& n) {
        deliveredOn = std::this_thread::get_id();
        calls.push_back(n.name);
    });
    std::thread::id posterId;
    std::thread poster([&] {
        posterId = std::this_thread::get_id();
        center.post("AddFrameNotification");
        calls.push_back("after post");  // delivery finished before post returned
    });
    poster.join();
    EXPECT_EQ(deliveredOn, posterId);
    EXPECT_EQ(calls, (std::vector<std::string>{"AddFrameNotification", "after post"}));
}

TEST(NotificationCenter, MatchesNameAndSenderInRegistrationOrder) {
    NotificationCenter center;
    int strip = 0, timeline = 0;
    std::string order;
    auto fromStrip =
        center.addObserver("NotificationDidSelectFrame", &strip, [&](const Notification&) { order += "s"; });
    auto fromAnyone =
        center.addObserver("NotificationDidSelectFrame", nullptr, [&](const Notification&) { order += "a"; });
    auto everything = center.addObserver("", nullptr, [&](const Notification&) { order += "*"; });
    auto otherName =
        center.addObserver("NotificationDidMovePlayhead", nullptr, [&](const Notification&) { order += "m"; });
    center.post("NotificationDidSelectFrame", &strip);
    order += "|";
    center.post("NotificationDidSelectFrame", &timeline);
    order += "|";
    center.post("NotificationDidSelectFrame");
    order += "|";
    center.post("NotificationDidMovePlayhead", &timeline);
    EXPECT_EQ(order, "sa*|a*|a*|*m");
}

TEST(NotificationCenter, CarriesUserInfoWithNativeObjects) {
    struct FrameStub {
        std::string frameID;
    };
    NotificationCenter center;
    auto frame = std::make_shared<FrameStub>(FrameStub{"F-1"});
    std::shared_ptr<FrameStub> received;
    std::optional<int64_t> index;
    auto token = center.addObserver("AddFrameNotification", nullptr, [&](const Notification& n) {
        if (auto* held = n.userInfo.get("FRAME").objectAs<std::shared_ptr<FrameStub>>()) received = *held;
        index = n.userInfo.get("INDEX").asInt();
    });
    center.post("AddFrameNotification", nullptr, Dictionary{{"FRAME", Value::object(frame)}, {"INDEX", 4}});
    EXPECT_EQ(received, frame);  // the same object, not a copy
    EXPECT_EQ(index, 4);
}

TEST(NotificationCenter, TokenLifetimeControlsTheObserver) {
    NotificationCenter center;
    int calls = 0;
    {
        auto token = center.addObserver("N", nullptr, [&](const Notification&) { ++calls; });
        center.post("N");
        EXPECT_TRUE(token.isActive());
    }
    center.post("N");
    EXPECT_EQ(calls, 1);

    ObserverToken kept = center.addObserver("N", nullptr, [&](const Notification&) { ++calls; });
    ObserverToken moved = std::move(kept);
    center.post("N");
    EXPECT_EQ(calls, 2);  // moving does not remove or duplicate
    center.removeObserver(moved);
    EXPECT_FALSE(moved.isActive());
    center.post("N");
    EXPECT_EQ(calls, 2);

    // Assigning a token removes the observer it held before.
    ObserverToken slot = center.addObserver("N", nullptr, [&](const Notification&) { calls += 100; });
    slot = center.addObserver("N", nullptr, [&](const Notification&) { calls += 1; });
    center.post("N");
    EXPECT_EQ(calls, 3);
}

TEST(NotificationCenter, TokenMayOutliveItsCenter) {
    ObserverToken token;
    {
        NotificationCenter center;
        token = center.addObserver("N", nullptr, [](const Notification&) {});
    }
    EXPECT_FALSE(token.isActive());
    token.reset();
}

TEST(NotificationCenter, ObserversRemovedDuringDeliveryAreNotCalled) {
    NotificationCenter center;
    std::string calls;
    ObserverToken second, self;
    auto first = center.addObserver("N", nullptr, [&](const Notification&) {
        calls += "1";
        second.reset();
    });
    second = center.addObserver("N", nullptr, [&](const Notification&) { calls += "2"; });
    self = center.addObserver("N", nullptr, [&](const Notification&) {
        calls += "3";
        self.reset();  // removing itself while running
    });
    center.post("N");
    center.post("N");
    EXPECT_EQ(calls, "131");
}

TEST(NotificationCenter, ObserversAddedDuringDeliveryWaitForTheNextPost) {
    NotificationCenter center;
    std::string calls;
    std::vector<ObserverToken> added;
    auto adder = center.addObserver("N", nullptr, [&](const Notification&) {
        calls += "a";
        if (added.empty())
            added.push_back(center.addObserver("N", nullptr, [&](const Notification&) { calls += "n"; }));
    });
    center.post("N");
    center.post("N");
    EXPECT_EQ(calls, "aan");
}

TEST(NotificationCenter, ObserverMayPostAndOtherThreadsMayPostMeanwhile) {
    NotificationCenter center;
    std::vector<std::string> calls;
    auto outer = center.addObserver("Outer", nullptr, [&](const Notification&) {
        calls.push_back("outer");
        center.post("Inner", nullptr, Dictionary{{"from", "outer"}});
        calls.push_back("outer done");
    });
    auto inner = center.addObserver("Inner", nullptr, [&](const Notification& n) {
        calls.push_back("inner " + n.userInfo.get("from").asString());
    });
    center.post("Outer");
    EXPECT_EQ(calls, (std::vector<std::string>{"outer", "inner outer", "outer done"}));

    // Many threads posting and observing at once neither deadlock nor lose deliveries.
    std::atomic<int> delivered{0};
    auto counter = center.addObserver("Tick", nullptr, [&](const Notification&) { ++delivered; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                auto transient = center.addObserver("Tick", &center, [](const Notification&) {});
                center.post("Tick");
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(delivered, 800);
}

TEST(NotificationCenter, DefaultCenterIsOneInstance) {
    EXPECT_EQ(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
    int calls = 0;
    auto token =
        NotificationCenter::defaultCenter().addObserver("ShowErrorNotification", nullptr, [&](const Notification& n) {
            EXPECT_TRUE(n.userInfo.contains("ERROR"));
            ++calls;
        });
    NotificationCenter::defaultCenter().post("ShowErrorNotification", nullptr, Dictionary{{"ERROR", "boom"}});
    EXPECT_EQ(calls, 1);
}
