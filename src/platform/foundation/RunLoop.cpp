#include "platform/foundation/RunLoop.h"

#include "platform/foundation/BackgroundActivity.h"
#include "platform/foundation/RunLoopState.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace foundation {
namespace {

constexpr double kForever = std::numeric_limits<double>::infinity();
// A repeating timer with no interval would fire in every iteration and keep
// a virtual clock from ever moving.
constexpr double kMinimumRepeatInterval = 0.0001;

std::thread::id mainThreadId() {
    static const std::thread::id id = std::this_thread::get_id();
    return id;
}
// Pins the main thread during static initialisation, which runs on it.
const std::thread::id gPinnedMainThread = mainThreadId();

double deadlineAfter(double now, double seconds) {
    if (std::isnan(seconds)) return now;
    return seconds == kForever ? kForever : now + std::max(0.0, seconds);
}

// Leftovers of a dropped state are destroyed outside its lock: a captured
// object's destructor may post or schedule.
struct Leftovers {
    std::deque<RunLoop::Block> tasks;
    std::vector<std::shared_ptr<Timer::Block>> blocks;
};

}  // namespace

// Called by BackgroundActivity when the last background task ends.
namespace detail {
void notifyMainLoopOfActivity();
}

RunLoop::RunLoop(std::shared_ptr<Clock> clock, std::thread::id owner)
    : state_(std::make_shared<RunLoopState>(std::move(clock))), owner_(owner) {}

RunLoop::~RunLoop() { reset(state()->clock); }

RunLoop& RunLoop::main() {
    // Never destroyed: background threads may post to it while the process
    // exits, and blocks still queued then are not worth running.
    static RunLoop* loop = new RunLoop(std::make_shared<SteadyClock>(), mainThreadId());
    return *loop;
}

RunLoop& RunLoop::current() {
    if (isMainThread()) return main();
    thread_local std::unique_ptr<RunLoop> loop(
        new RunLoop(std::make_shared<SteadyClock>(), std::this_thread::get_id()));
    return *loop;
}

bool RunLoop::isMainThread() { return std::this_thread::get_id() == mainThreadId(); }

std::shared_ptr<RunLoopState> RunLoop::state() const {
    std::lock_guard lock(stateMutex_);
    return state_;
}

double RunLoop::now() const { return state()->clock->now(); }

std::shared_ptr<Clock> RunLoop::clock() const { return state()->clock; }

void RunLoop::checkThread(const char* operation) const {
    if (std::this_thread::get_id() != owner_)
        throw std::logic_error(std::string("RunLoop::") + operation + " called off the loop's own thread");
}

void RunLoop::post(Block block) {
    if (!block) return;
    auto s = state();
    {
        std::lock_guard lock(s->mutex);
        s->tasks.push_back(std::move(block));
        s->noteWakeLocked();
    }
    s->notifyWaiting();
}

TimerHandle RunLoop::schedule(double delay, double interval, bool repeats, Timer::Block block, const void* owner,
                              std::string key) {
    if (std::isnan(delay)) delay = 0;
    if (repeats) interval = std::max(interval, kMinimumRepeatInterval);
    auto timer = TimerHandle(new Timer(interval, repeats, std::move(block), owner, std::move(key)));
    auto s = state();
    std::lock_guard lock(s->mutex);
    timer->loop_ = s;
    timer->start_ = s->clock->now() + std::max(0.0, delay);
    timer->fireDate_ = timer->start_;
    timer->fireCount_ = 0;
    timer->sequence_ = s->nextSequence++;
    s->insertLocked(timer);
    s->wakeLocked();
    return timer;
}

TimerHandle RunLoop::scheduleTimer(double interval, bool repeats, Timer::Block block) {
    if (std::isnan(interval)) interval = 0;
    return schedule(interval, interval, repeats, std::move(block), nullptr, {});
}

TimerHandle RunLoop::performAfter(double delay, Block block, const void* owner, std::string key) {
    return schedule(
        delay, delay, false, [block = std::move(block)](Timer&) { block(); }, owner, std::move(key));
}

size_t RunLoop::cancelPerforms(const void* owner, const std::string_view* key) {
    if (!owner) return 0;
    auto s = state();
    std::vector<std::shared_ptr<Timer::Block>> released;
    std::lock_guard lock(s->mutex);
    for (auto it = s->timers.begin(); it != s->timers.end();) {
        Timer& timer = *it->second;
        if (timer.owner_ == owner && (!key || timer.key_ == *key)) {
            timer.valid_ = false;
            timer.scheduled_ = false;
            released.push_back(std::move(timer.block_));
            it = s->timers.erase(it);
        } else {
            ++it;
        }
    }
    return released.size();
}

size_t RunLoop::cancelPreviousPerformRequests(const void* owner) { return cancelPerforms(owner, nullptr); }

size_t RunLoop::cancelPreviousPerformRequests(const void* owner, std::string_view key) {
    return cancelPerforms(owner, &key);
}

std::optional<double> RunLoop::nextFireDate() const {
    auto s = state();
    std::lock_guard lock(s->mutex);
    if (s->timers.empty()) return std::nullopt;
    return s->timers.begin()->first.first;
}

size_t RunLoop::pendingTaskCount() const {
    auto s = state();
    std::lock_guard lock(s->mutex);
    return s->tasks.size();
}

size_t RunLoop::scheduledTimerCount() const {
    auto s = state();
    std::lock_guard lock(s->mutex);
    return s->timers.size();
}

std::vector<TimerHandle> RunLoop::repeatingTimers() const {
    auto s = state();
    std::lock_guard lock(s->mutex);
    std::vector<TimerHandle> repeating;
    for (const auto& [order, timer] : s->timers)
        if (timer->repeats()) repeating.push_back(timer);
    return repeating;
}

void RunLoop::setDriver(RunLoopDriver* driver) {
    auto s = state();
    std::lock_guard lock(s->mutex);
    s->driver = driver;
    s->wakeLocked();
}

void RunLoop::reset(std::shared_ptr<Clock> clock) {
    auto fresh = std::make_shared<RunLoopState>(std::move(clock));
    std::shared_ptr<RunLoopState> old;
    {
        // The fresh state has its driver before any thread can see it: a
        // post from another thread wakes it at once.
        std::lock_guard lock(stateMutex_);
        {
            std::lock_guard oldLock(state_->mutex);
            fresh->driver = state_->driver;
        }
        old = std::exchange(state_, fresh);
    }
    Leftovers leftovers;
    {
        std::lock_guard lock(old->mutex);
        leftovers.tasks.swap(old->tasks);
        for (auto& [key, timer] : old->timers) {
            timer->valid_ = false;
            timer->scheduled_ = false;
            leftovers.blocks.push_back(std::move(timer->block_));
        }
        old->timers.clear();
        // A run still in progress on the old state ends at its next check.
        old->stopRequested = old->runDepth > 0;
        old->wakeup.notify_all();
    }
}

void RunLoop::wakeUp() {
    auto s = state();
    {
        std::lock_guard lock(s->mutex);
        s->noteWakeLocked();
    }
    s->notifyWaiting();
}

void RunLoop::stop() {
    auto s = state();
    std::lock_guard lock(s->mutex);
    if (s->runDepth > 0) s->stopRequested = true;
    s->wakeLocked();
}

void RunLoopState::afterFire(const TimerHandle& timer) {
    std::shared_ptr<Timer::Block> released;  // destroyed after the lock
    std::lock_guard lock(mutex);
    Timer& t = *timer;
    if (!t.valid_ || t.scheduled_) return;
    if (!t.repeats_) {
        t.valid_ = false;
        released = std::move(t.block_);
        return;
    }
    ++t.fireCount_;
    double next = t.start_ + double(t.fireCount_) * t.interval_;
    double current = clock->now();
    if (next < current) {
        // Late (a slow block, or a nested run inside the block): skip the
        // missed fires rather than burst, and stay on the grid.
        t.fireCount_ = uint64_t(std::ceil((current - t.start_) / t.interval_));
        next = t.start_ + double(t.fireCount_) * t.interval_;
    }
    t.fireDate_ = next;
    insertLocked(timer);
    wakeLocked();
}

// A zero-delay timer scheduled by a timer waits for the next pass, so timers
// cannot keep a pass going for ever.
bool RunLoopState::fireDueTimer(double now, uint64_t sequenceLimit) {
    TimerHandle timer;
    std::shared_ptr<Timer::Block> block;
    {
        std::lock_guard lock(mutex);
        for (auto& [key, candidate] : timers) {
            if (key.first > now) break;
            if (key.second < sequenceLimit) {
                timer = candidate;
                break;
            }
        }
        if (!timer) return false;
        eraseLocked(*timer);
        block = timer->block_;
    }
    // Reschedules a repeating timer even when its block throws.
    struct AfterFire {
        RunLoopState& state;
        const TimerHandle& timer;
        ~AfterFire() { state.afterFire(timer); }
    } after{*this, timer};
    if (block && *block) (*block)(*timer);
    return true;
}

namespace {

bool runOneTask(RunLoopState& s) {
    RunLoop::Block task;
    {
        std::lock_guard lock(s.mutex);
        if (s.tasks.empty()) return false;
        task = std::move(s.tasks.front());
        s.tasks.pop_front();
    }
    task();
    return true;
}

}  // namespace

// One pass: the timers due now, then the tasks queued before the pass began
// (tasks they post wait for the next pass, so a task that reposts itself
// cannot starve timers). Nested runs inside a task take the following
// tasks in order. Returns whether anything ran; stops early when `enough`.
template <class Enough>
static bool runPass(RunLoopState& s, Enough enough) {
    uint64_t sequenceLimit;
    size_t taskBudget;
    {
        std::lock_guard lock(s.mutex);
        sequenceLimit = s.nextSequence;
        taskBudget = s.tasks.size();
    }
    bool ran = false;
    double now = s.clock->now();
    while (s.fireDueTimer(now, sequenceLimit)) {
        ran = true;
        if (enough()) return ran;
    }
    while (taskBudget-- > 0 && runOneTask(s)) {
        ran = true;
        if (enough()) return ran;
    }
    return ran;
}

bool RunLoop::processPending() {
    auto s = state();
    return runPass(*s, [] { return false; });
}

bool RunLoop::waitForWork(RunLoopState& s, double deadline, uint64_t seenWakes) {
    std::unique_lock lock(s.mutex);
    for (;;) {
        if (!s.tasks.empty() || s.stopRequested || s.wakeCount != seenWakes) return true;
        double next = s.timers.empty() ? kForever : s.timers.begin()->first.first;
        double target = std::min(next, deadline);
        double now = s.clock->now();
        if (target <= now) return true;
        if (s.clock->isVirtual()) {
            if (BackgroundActivity::inFlight() > 0) {
                // Background work may still post "now"; time must not move yet.
                s.wakeup.wait(lock);
                continue;
            }
            if (target == kForever) return false;
            static_cast<VirtualClock&>(*s.clock).advanceTo(target);
            return true;
        }
        if (s.driver) {
            RunLoopDriver* driver = s.driver;
            lock.unlock();
            driver->waitForEvents(target);
            return true;
        }
        if (target == kForever) {
            s.wakeup.wait(lock);
        } else {
            auto wait = std::chrono::duration<double>(std::min(target - now, 3600.0));
            s.wakeup.wait_for(lock, wait);
        }
    }
}

namespace {
enum class RunEnd { Done, Stopped, Deadline, Starved };
}

// The loop behind every run operation: passes until `done`, a stop, the
// deadline, or (virtual clock) nothing left that could ever happen.
template <class Done>
static RunEnd runLoopOn(RunLoop& loop, RunLoopState& s, double deadline, Done done,
                        bool (RunLoop::*wait)(RunLoopState&, double, uint64_t)) {
    {
        std::lock_guard lock(s.mutex);
        ++s.runDepth;
    }
    struct DepthGuard {
        RunLoopState& s;
        ~DepthGuard() {
            std::lock_guard lock(s.mutex);
            --s.runDepth;
        }
    } depthGuard{s};
    auto consumeStop = [&s] {
        std::lock_guard lock(s.mutex);
        return std::exchange(s.stopRequested, false);
    };
    auto stopPending = [&s] {
        std::lock_guard lock(s.mutex);
        return s.stopRequested;
    };
    auto wakeCount = [&s] {
        std::lock_guard lock(s.mutex);
        return s.wakeCount;
    };
    for (;;) {
        // Read before the checks: a wake-up that comes after them must end
        // the wait below, or the run would sleep through it.
        uint64_t seenWakes = wakeCount();
        if (done()) return RunEnd::Done;
        if (consumeStop()) return RunEnd::Stopped;
        bool ran = runPass(s, [&] { return done() || stopPending(); });
        if (done()) return RunEnd::Done;
        if (consumeStop()) return RunEnd::Stopped;
        if (s.clock->now() >= deadline) return RunEnd::Deadline;
        if (!ran && !(loop.*wait)(s, deadline, seenWakes)) return RunEnd::Starved;
    }
}

void RunLoop::run() {
    checkThread("run");
    auto s = state();
    if (runLoopOn(
            *this, *s, kForever, [] { return false; }, &RunLoop::waitForWork) == RunEnd::Starved)
        throw std::logic_error("RunLoop::run on a virtual clock with nothing left to wait for");
}

void RunLoop::runFor(double seconds) {
    checkThread("runFor");
    auto s = state();
    runLoopOn(
        *this, *s, deadlineAfter(s->clock->now(), seconds), [] { return false; }, &RunLoop::waitForWork);
}

bool RunLoop::runUntil(const std::function<bool()>& predicate, double timeoutSeconds) {
    checkThread("runUntil");
    auto s = state();
    runLoopOn(*this, *s, deadlineAfter(s->clock->now(), timeoutSeconds), predicate, &RunLoop::waitForWork);
    return predicate();
}

void RunLoop::runUntilIdle() {
    checkThread("runUntilIdle");
    auto s = state();
    for (;;) {
        if (runPass(*s, [] { return false; })) continue;
        std::unique_lock lock(s->mutex);
        if (!s->tasks.empty()) continue;
        if (!s->timers.empty() && s->timers.begin()->first.first <= s->clock->now()) continue;
        if (BackgroundActivity::inFlight() == 0) return;
        s->wakeup.wait(lock);
    }
}

void RunLoop::advance(double seconds) {
    checkThread("advance");
    if (!isVirtual()) throw std::logic_error("RunLoop::advance needs a virtual clock");
    runFor(seconds);
    runUntilIdle();
}

namespace detail {
void notifyMainLoopOfActivity() { RunLoop::main().wakeUp(); }
}  // namespace detail

}  // namespace foundation
