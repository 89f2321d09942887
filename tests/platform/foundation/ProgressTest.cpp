#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Progress.h"
#include "platform/foundation/RunLoop.h"
#include "support/VirtualClock.h"

#include <atomic>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using foundation::DispatchQueue;
using foundation::Error;
using foundation::Progress;
using foundation::RunLoop;
using Outcome = Progress::Outcome;

namespace {

// What the main queue saw of one progress.
struct Observed {
    std::vector<Progress::Result> completions;
    std::vector<double> fractions;
    bool offMain = false;

    explicit Observed(const Progress& progress) {
        progress.setFractionHandler([this](double f) {
            offMain = offMain || !RunLoop::isMainThread();
            fractions.push_back(f);
        });
        progress.setCompletionHandler([this](const Progress::Result& r) {
            offMain = offMain || !RunLoop::isMainThread();
            completions.push_back(r);
        });
    }
};

}  // namespace

// Each row: the calls made, in order, and the one completion they give.
TEST(Progress, OutcomeOfEveryOrderOfCalls) {
    testsupport::VirtualClockScope clock;
    const Error full("NSPOSIXErrorDomain", 28, "No space left on device");
    using Step = std::function<void(const Progress&)>;
    const Step finish = [](const Progress& p) { p.finish(); };
    const Step fail = [&](const Progress& p) { p.fail(full); };
    const Step cancel = [](const Progress& p) { p.cancel(); };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        Outcome outcome;
        bool cancelled;
        double fraction;
    };
    const Case cases[] = {
        {"finish", {finish}, Outcome::Finished, false, 1.0},
        {"fail", {fail}, Outcome::Failed, false, 0.25},
        {"cancel, finish", {cancel, finish}, Outcome::Cancelled, true, 0.25},
        {"cancel, fail", {cancel, fail}, Outcome::Cancelled, true, 0.25},
        {"finish, cancel", {finish, cancel}, Outcome::Finished, false, 1.0},
        {"fail, finish, cancel", {fail, finish, cancel}, Outcome::Failed, false, 0.25},
        {"finish, fail, finish", {finish, fail, finish}, Outcome::Finished, false, 1.0},
        {"cancel twice, finish", {cancel, cancel, finish}, Outcome::Cancelled, true, 0.25},
    };
    for (const Case& c : cases) {
        Progress progress;
        Observed seen(progress);
        progress.setFraction(0.25);
        for (const Step& step : c.steps) step(progress);
        EXPECT_TRUE(seen.completions.empty()) << c.what << ": delivered before the main queue ran";
        RunLoop::main().runUntilIdle();
        ASSERT_EQ(seen.completions.size(), 1u) << c.what;
        EXPECT_EQ(seen.completions[0].outcome, c.outcome) << c.what;
        EXPECT_EQ(seen.completions[0].error.has_value(), c.outcome == Outcome::Failed) << c.what;
        if (c.outcome == Outcome::Failed) {
            EXPECT_EQ(seen.completions[0].error->code, 28) << c.what;
        }
        EXPECT_EQ(progress.isCancelled(), c.cancelled) << c.what;
        EXPECT_TRUE(progress.isEnded()) << c.what;
        EXPECT_DOUBLE_EQ(progress.fraction(), c.fraction) << c.what;
        EXPECT_TRUE(seen.fractions.empty()) << c.what << ": no fraction after the end";
    }
}

TEST(Progress, FractionsAreClampedAndMergedOnTheMainQueue) {
    testsupport::VirtualClockScope clock;
    const std::pair<double, double> rows[] = {{0.5, 0.5}, {-1, 0}, {2, 1}, {NAN, 1}, {0.75, 0.75}};
    Progress progress;
    Observed seen(progress);
    for (auto [given, stored] : rows) {
        progress.setFraction(given);
        EXPECT_DOUBLE_EQ(progress.fraction(), stored) << given;
    }
    progress.setCompletedUnits(3, 4);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(seen.fractions, std::vector<double>{0.75});
    progress.setCompletedUnits(1, 0);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(seen.fractions, (std::vector<double>{0.75, 0.0}));
    EXPECT_FALSE(seen.offMain);
}

// Workers see a cancel made on the main thread and stop; whatever they
// report afterwards, the screen hears of a cancel, once.
TEST(Progress, CancelSticksAcrossThreads) {
    testsupport::VirtualClockScope clock;
    Progress progress;
    Observed seen(progress);
    std::atomic<bool> started[4] = {};
    std::atomic<int> stopped{0};
    foundation::DispatchGroup workers;
    for (int w = 0; w < 4; ++w) {
        workers.async(DispatchQueue::global(), [progress, w, &started, &stopped] {
            started[w] = true;
            for (int step = 0; !progress.isCancelled(); ++step) progress.setCompletedUnits(step % 100, 100);
            ++stopped;
            if (w % 2)
                progress.finish();
            else
                progress.fail(Error("test", 1, "stopped"));
        });
    }
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return started[0] && started[1] && started[2] && started[3]; }, 30));
    EXPECT_TRUE(progress.cancel());
    EXPECT_FALSE(progress.cancel());
    ASSERT_TRUE(workers.wait(30));
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(stopped.load(), 4);
    ASSERT_EQ(seen.completions.size(), 1u);
    EXPECT_EQ(seen.completions[0].outcome, Outcome::Cancelled);
    EXPECT_FALSE(seen.offMain);
}

// A finish on a worker races a cancel on another thread: exactly one
// completion arrives, and it agrees with whether the cancel was in time.
TEST(Progress, ConcurrentFinishAndCancelCompleteOnce) {
    testsupport::VirtualClockScope clock;
    for (int round = 0; round < 200; ++round) {
        Progress progress;
        Observed seen(progress);
        std::atomic<bool> go{false};
        bool cancelWon = false;
        std::thread finisher([&] {
            while (!go) std::this_thread::yield();
            progress.finish();
            progress.fail(Error("test", 2, "late"));
        });
        std::thread canceller([&] {
            while (!go) std::this_thread::yield();
            cancelWon = progress.cancel();
        });
        go = true;
        finisher.join();
        canceller.join();
        RunLoop::main().runUntilIdle();
        ASSERT_EQ(seen.completions.size(), 1u) << "round " << round;
        EXPECT_EQ(seen.completions[0].outcome, cancelWon ? Outcome::Cancelled : Outcome::Finished) << round;
        EXPECT_EQ(progress.isCancelled(), cancelWon) << round;
        EXPECT_FALSE(seen.offMain);
    }
}

TEST(Progress, HandlerSetAfterTheEndIsCalledOnceOnTheMainQueue) {
    testsupport::VirtualClockScope clock;
    Progress progress;
    progress.fail(Error("test", 3, "broken"));
    RunLoop::main().runUntilIdle();
    int calls = 0;
    progress.setCompletionHandler([&](const Progress::Result& result) {
        EXPECT_EQ(result.outcome, Outcome::Failed);
        ++calls;
    });
    EXPECT_EQ(calls, 0);
    RunLoop::main().runUntilIdle();
    progress.setCompletionHandler([&](const Progress::Result&) { ++calls; });
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(calls, 1);
}
