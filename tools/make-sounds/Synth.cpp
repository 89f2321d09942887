#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace sounds {

namespace {

constexpr double kTwoPi = 6.283185307179586;

struct Partial {
    double ratio;  // of the note's frequency
    double level;
    double decay;  // seconds for the partial to fall to 1/e
};

std::vector<Partial> partialsOf(Timbre timbre) {
    switch (timbre) {
        case Timbre::Pluck:
            return {{1, 1.0, 0.6}, {2, 0.5, 0.3}, {3, 0.25, 0.2}, {4, 0.12, 0.12}};
        case Timbre::Bell:
            return {{1, 1.0, 1.6}, {2.76, 0.5, 0.9}, {5.40, 0.25, 0.5}, {8.93, 0.12, 0.3}};
        case Timbre::Bass:
            return {{1, 1.0, 0.9}, {2, 0.3, 0.4}};
        case Timbre::Pad:
            return {{1, 1.0, 1e9}, {1.005, 0.6, 1e9}, {2, 0.2, 1e9}};
    }
    return {};
}

}  // namespace

double frequencyOf(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

Track::Track(double seconds) : samples_(static_cast<size_t>(std::lround(seconds * kSampleRate)), 0.0f) {}

void Track::add(int64_t index, double value) {
    if (index >= 0 && index < static_cast<int64_t>(samples_.size()))
        samples_[static_cast<size_t>(index)] += static_cast<float>(value);
}

void Track::note(Timbre timbre, int midiNote, double start, double length, double level) {
    const double frequency = frequencyOf(midiNote);
    const bool sustained = timbre == Timbre::Pad;
    const double attack = sustained ? std::min(0.3, length / 3) : 0.004;
    const double release = sustained ? 0.4 : 0.08;
    // A plucked or struck note rings on after its length; a pad stops.
    const double ringing = sustained ? length : length + 0.6;
    const int64_t first = std::lround(start * kSampleRate);
    const int64_t count = std::lround((ringing + release) * kSampleRate);
    // Each partial is a decaying sine, r^n·sin(n·w), run by its two-term
    // recurrence: no sine or exponential per sample.
    struct Oscillator {
        double coefficient, decaySquared, previous, current, level;
    };
    std::vector<Oscillator> oscillators;
    for (const Partial& partial : partialsOf(timbre)) {
        const double w = kTwoPi * frequency * partial.ratio / kSampleRate;
        if (w >= kTwoPi / 2) continue;  // above what the sample rate can carry
        const double r = std::exp(-1.0 / (partial.decay * kSampleRate));
        oscillators.push_back({2 * r * std::cos(w), r * r, 0.0, r * std::sin(w), partial.level});
    }
    for (int64_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double envelope = std::min(1.0, t / attack);
        if (t > ringing) envelope *= std::max(0.0, 1.0 - (t - ringing) / release);
        double value = 0;
        for (Oscillator& oscillator : oscillators) {
            value += oscillator.level * oscillator.previous;
            const double next =
                oscillator.coefficient * oscillator.current - oscillator.decaySquared * oscillator.previous;
            oscillator.previous = oscillator.current;
            oscillator.current = next;
        }
        add(first + i, level * envelope * value);
    }
}

void Track::sweep(double fromHz, double toHz, double start, double length, double level) {
    const int64_t first = std::lround(start * kSampleRate);
    const int64_t count = std::lround(length * kSampleRate);
    double phase = 0;
    for (int64_t i = 0; i < count; ++i) {
        const double progress = static_cast<double>(i) / static_cast<double>(count);
        const double frequency = fromHz * std::pow(toHz / fromHz, progress);
        phase += kTwoPi * frequency / kSampleRate;
        const double envelope = std::min(1.0, i / (0.005 * kSampleRate)) * (1.0 - progress);
        add(first + i, level * envelope * std::sin(phase));
    }
}

void Track::noise(double start, double length, double attack, double brightness, double level) {
    const int64_t first = std::lround(start * kSampleRate);
    const int64_t count = std::lround(length * kSampleRate);
    double filtered = 0;
    for (int64_t i = 0; i < count; ++i) {
        noiseState_ = noiseState_ * 1664525u + 1013904223u;
        const double white = static_cast<double>(noiseState_ >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
        filtered += (0.02 + 0.98 * brightness) * (white - filtered);
        const double t = static_cast<double>(i) / kSampleRate;
        const double envelope = t < attack ? t / attack : 1.0 - (t - attack) / std::max(1e-6, length - attack);
        add(first + i, level * envelope * filtered);
    }
}

void Track::finish(double peak, double fadeSeconds) {
    float loudest = 0;
    for (float sample : samples_) loudest = std::max(loudest, std::fabs(sample));
    const double scale = loudest > 0 ? peak / loudest : 0;
    const size_t fade = std::min(samples_.size(), static_cast<size_t>(fadeSeconds * kSampleRate));
    for (size_t i = 0; i < samples_.size(); ++i) {
        double gain = scale;
        const size_t left = samples_.size() - i;
        if (left <= fade) gain *= static_cast<double>(left) / static_cast<double>(fade);
        samples_[i] = static_cast<float>(samples_[i] * gain);
    }
}

}  // namespace sounds
