#pragma once

// The progress of long work (rendering, imports, paste, duplicate): a
// fraction done, a cancel that sticks and a completion that arrives exactly
// once, on the main queue.
//
// A Progress is a handle; copies refer to the same progress. The worker
// keeps a copy, updates the fraction and checks isCancelled() from any
// thread, and ends with finish() or fail(). The screen sets its handlers on
// the main thread and calls cancel() when the user asks. A cancel that comes
// before the worker ends turns the outcome into Cancelled, whatever the
// worker reports afterwards; one that comes after is too late and changes
// nothing.
//
//     foundation::Progress progress;
//     progress.setCompletionHandler([](const Progress::Result& result) { ... });
//     queue.async([progress] {
//         for (...) { if (progress.isCancelled()) break; ...; progress.setFraction(done / total); }
//         progress.finish();
//     });

#include "platform/foundation/Error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace foundation {

namespace detail {
struct ProgressState;
}

class Progress {
public:
    enum class Outcome { Finished, Cancelled, Failed };
    struct Result {
        Outcome outcome = Outcome::Finished;
        std::optional<Error> error;  // set for Failed only
    };
    using FractionHandler = std::function<void(double fraction)>;
    using CompletionHandler = std::function<void(const Result& result)>;

    Progress();

    // Called on the main queue with the latest fraction; updates that come
    // faster than the main queue runs are merged. None after the completion.
    void setFractionHandler(FractionHandler handler) const;
    // Called once on the main queue when the work has ended; set after the
    // end, it is called on the next turn of the main queue.
    void setCompletionHandler(CompletionHandler handler) const;

    // Between 0 and 1; other values are clamped and NaN is ignored.
    double fraction() const;
    void setFraction(double fraction) const;
    // The fraction as `done` of `total` units (0 for a total of zero or less).
    void setCompletedUnits(int64_t done, int64_t total) const;

    // Asks the work to stop. True if this call turned the outcome into
    // Cancelled; false when already cancelled or ended.
    bool cancel() const;
    bool isCancelled() const;
    // True once finish() or fail() has been called (or a cancel came first
    // and the worker has ended).
    bool isEnded() const;

    // Ends the work. Only the first call counts.
    void finish() const;
    void fail(Error error) const;

    bool operator==(const Progress& other) const { return state_ == other.state_; }

private:
    void end(Result result) const;
    std::shared_ptr<detail::ProgressState> state_;
};

}  // namespace foundation
