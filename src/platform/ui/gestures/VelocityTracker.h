#pragma once

// Internal: the rate of change of a gesture value (a translation, a scale,
// an angle) from its recent samples on the run loop's clock.
//
// The rate is taken over the last tenth of a second, or, when the previous
// sample is older than that, from the previous sample, so sparse events still
// give a rate and a finger that rested before lifting gives none.

#include <deque>

namespace ui {

class VelocityTracker {
public:
    static constexpr double kWindow = 0.1;

    void clear() { samples_.clear(); }
    void add(double time, double x, double y = 0) {
        samples_.push_back(Sample{time, x, y});
        while (samples_.size() > 2 && samples_[1].time < time - kWindow) samples_.pop_front();
    }
    // Moves every sample by the same amount (the value was set, not moved).
    void shift(double dx, double dy = 0) {
        for (Sample& s : samples_) {
            s.x += dx;
            s.y += dy;
        }
    }
    // Units per second on each axis; zero with fewer than two samples.
    double rateX() const { return rate(&Sample::x); }
    double rateY() const { return rate(&Sample::y); }

private:
    struct Sample {
        double time;
        double x;
        double y;
    };

    double rate(double Sample::*axis) const {
        if (samples_.size() < 2) return 0;
        const Sample& last = samples_.back();
        // The oldest sample inside the window, else the newest one before it.
        const Sample* first = nullptr;
        for (const Sample& s : samples_) {
            if (&s == &last) break;
            if (s.time >= last.time - kWindow) {
                first = &s;
                break;
            }
            first = &s;
        }
        double dt = last.time - first->time;
        if (!(dt > 0)) return 0;
        return (last.*axis - first->*axis) / dt;
    }

    std::deque<Sample> samples_;
};

}  // namespace ui
