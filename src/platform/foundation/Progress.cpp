#include "platform/foundation/Progress.h"

#include "platform/foundation/DispatchQueue.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

namespace foundation {

namespace detail {

struct ProgressState {
    std::atomic<double> fraction{0};
    // Read without the lock by workers that poll for a cancel.
    std::atomic<bool> cancelled{false};

    std::mutex mutex;
    Progress::FractionHandler fractionHandler;
    Progress::CompletionHandler completionHandler;
    bool fractionPosted = false;
    std::optional<Progress::Result> result;  // set once, when the work ends
    bool delivered = false;                  // the completion handler has been called
};

}  // namespace detail

namespace {

void deliverCompletion(const std::shared_ptr<detail::ProgressState>& state) {
    Progress::CompletionHandler handler;
    Progress::Result result;
    {
        std::lock_guard guard(state->mutex);
        if (state->delivered || !state->result || !state->completionHandler) return;
        state->delivered = true;
        result = *state->result;
        // Dropped after the one call: whatever the handler captured goes now.
        handler = std::move(state->completionHandler);
        state->completionHandler = nullptr;
        state->fractionHandler = nullptr;
    }
    handler(result);
}

void deliverFraction(const std::shared_ptr<detail::ProgressState>& state) {
    Progress::FractionHandler handler;
    {
        std::lock_guard guard(state->mutex);
        state->fractionPosted = false;
        if (state->result || !state->fractionHandler) return;
        handler = state->fractionHandler;
    }
    handler(state->fraction.load());
}

}  // namespace

Progress::Progress() : state_(std::make_shared<detail::ProgressState>()) {}

void Progress::setFractionHandler(FractionHandler handler) const {
    std::lock_guard guard(state_->mutex);
    if (!state_->delivered) state_->fractionHandler = std::move(handler);
}

void Progress::setCompletionHandler(CompletionHandler handler) const {
    bool post;
    {
        std::lock_guard guard(state_->mutex);
        if (state_->delivered) return;
        state_->completionHandler = std::move(handler);
        post = state_->result.has_value();
    }
    if (post) DispatchQueue::main().async([state = state_] { deliverCompletion(state); });
}

double Progress::fraction() const { return state_->fraction.load(); }

void Progress::setFraction(double fraction) const {
    if (std::isnan(fraction)) return;
    state_->fraction.store(std::clamp(fraction, 0.0, 1.0));
    {
        std::lock_guard guard(state_->mutex);
        if (state_->fractionPosted || state_->result || !state_->fractionHandler) return;
        state_->fractionPosted = true;
    }
    DispatchQueue::main().async([state = state_] { deliverFraction(state); });
}

void Progress::setCompletedUnits(int64_t done, int64_t total) const {
    setFraction(total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 0.0);
}

bool Progress::cancel() const {
    std::lock_guard guard(state_->mutex);
    if (state_->result || state_->cancelled.load()) return false;
    state_->cancelled.store(true);
    return true;
}

bool Progress::isCancelled() const { return state_->cancelled.load(); }

bool Progress::isEnded() const {
    std::lock_guard guard(state_->mutex);
    return state_->result.has_value();
}

void Progress::finish() const { end(Result{Outcome::Finished, std::nullopt}); }

void Progress::fail(Error error) const { end(Result{Outcome::Failed, std::move(error)}); }

void Progress::end(Result result) const {
    {
        std::lock_guard guard(state_->mutex);
        if (state_->result) return;
        // A cancel that came first wins: the user asked for it, and what the
        // work produced after the request is not wanted.
        if (state_->cancelled.load()) result = Result{Outcome::Cancelled, std::nullopt};
        if (result.outcome == Outcome::Finished) state_->fraction.store(1.0);
        state_->result = std::move(result);
    }
    DispatchQueue::main().async([state = state_] { deliverCompletion(state); });
}

}  // namespace foundation
