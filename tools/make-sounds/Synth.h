#pragma once

// A small synthesizer for the sounds the application ships: notes of a few
// plain timbres with envelopes, noise, and sweeps, mixed into one mono
// buffer of float samples.

#include <cstdint>
#include <vector>

namespace sounds {

inline constexpr int kSampleRate = 44100;

enum class Timbre {
    Pluck,  // harmonics that die away quickly, like a plucked string
    Bell,   // partials off the harmonic series, long decay
    Bass,   // a round low tone with a little second harmonic
    Pad,    // soft swell and release
};

// A buffer of mono samples at kSampleRate.
class Track {
public:
    explicit Track(double seconds);

    double seconds() const { return static_cast<double>(samples_.size()) / kSampleRate; }
    std::vector<float>& samples() { return samples_; }

    // Adds a note of `midiNote` (69 = A 440 Hz) at `start` seconds lasting
    // `length` seconds (its decay may ring on past that).
    void note(Timbre timbre, int midiNote, double start, double length, double level);
    // A tone gliding from one frequency to the other (exponentially) with a
    // quick attack and a linear fade.
    void sweep(double fromHz, double toHz, double start, double length, double level);
    // Noise shaped by an attack and a decay; `brightness` 0..1 picks how much
    // of the high part stays (a one-pole low-pass).
    void noise(double start, double length, double attack, double brightness, double level);

    // Scales the whole track so that its loudest sample is `peak`, and fades
    // the last `fadeSeconds` out.
    void finish(double peak, double fadeSeconds);

private:
    void add(int64_t index, double value);

    std::vector<float> samples_;
    uint32_t noiseState_ = 0x12345678;  // the same noise on every build
};

double frequencyOf(int midiNote);

}  // namespace sounds
