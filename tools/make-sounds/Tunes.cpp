#include "Tunes.h"

#include <utility>

namespace sounds {

namespace {

// A line of notes: MIDI note (0 rests) and length in beats.
using Line = std::vector<std::pair<int, double>>;

// Plays the line from `beat` on; returns the beat after its last note.
double play(Track& track, Timbre timbre, const Line& line, double beat, double secondsPerBeat, double level) {
    for (const auto& [note, beats] : line) {
        if (note > 0) track.note(timbre, note, beat * secondsPerBeat, beats * secondsPerBeat * 0.9, level);
        beat += beats;
    }
    return beat;
}

// One bar per chord: the pad holds the triad, the bass plays the root on
// the first and the middle beat.
void accompany(Track& track, const std::vector<int>& roots, const std::vector<bool>& minor, double beat,
               double beatsPerBar, double secondsPerBeat) {
    for (size_t i = 0; i < roots.size(); ++i) {
        const int root = roots[i];
        const double start = beat + static_cast<double>(i) * beatsPerBar;
        for (int interval : {0, minor[i] ? 3 : 4, 7})
            track.note(Timbre::Pad, root + 12 + interval, start * secondsPerBeat, beatsPerBar * secondsPerBeat, 0.12);
        track.note(Timbre::Bass, root - 12, start * secondsPerBeat, secondsPerBeat, 0.5);
        track.note(Timbre::Bass, root - 12 + (beatsPerBar > 3 ? 7 : 0), (start + beatsPerBar / 2) * secondsPerBeat,
                   secondsPerBeat, 0.35);
    }
}

NamedSound sunnyDay() {
    // 120 beats a minute, C G Am F, two melodies taking turns: 32 bars, 64 s.
    const double spb = 0.5;
    const Line first = {{72, 1}, {74, 1}, {76, 2}, {79, 1}, {76, 1}, {74, 2},
                        {72, 1}, {69, 1}, {72, 2}, {77, 1}, {76, 1}, {74, 2}};
    const Line second = {{76, 1},   {77, 1},   {79, 2}, {74, 1}, {76, 1}, {74, 2},
                         {72, 1.5}, {71, 0.5}, {72, 2}, {69, 1}, {71, 1}, {72, 2}};
    Track track(64.8);
    const std::vector<bool> minor = {false, false, true, false};
    for (int round = 0; round < 8; ++round) {
        const double beat = round * 16.0;
        accompany(track, {48, 43, 45, 41}, minor, beat, 4, spb);
        play(track, Timbre::Pluck, round % 2 ? second : first, beat, spb, 0.5);
    }
    track.note(Timbre::Bell, 72, 128 * spb, 1.0, 0.4);
    track.finish(0.7, 0.6);
    return {"Sunny Day", std::move(track)};
}

NamedSound clockworkMarch() {
    // Staccato in D minor at 132 beats a minute, 16 bars.
    const double spb = 60.0 / 132;
    const Line tune = {{74, 0.5}, {0, 0.5}, {74, 0.5}, {76, 0.5}, {77, 1}, {76, 1},
                       {73, 0.5}, {0, 0.5}, {73, 0.5}, {74, 0.5}, {76, 1}, {69, 1}};
    Track track(16 * 4 * spb + 1.2);
    const std::vector<bool> minor = {true, false, true, false};
    for (int round = 0; round < 4; ++round) {
        const double beat = round * 16.0;
        accompany(track, {50, 45, 50, 45}, minor, beat, 4, spb);
        play(track, Timbre::Pluck, tune, beat, spb, 0.45);
        play(track, Timbre::Pluck, tune, beat + 8, spb, 0.35);
        for (int tick = 0; tick < 16; ++tick) track.noise((beat + tick) * spb, 0.04, 0.002, 0.9, 0.12);
    }
    track.finish(0.7, 0.8);
    return {"Clockwork March", std::move(track)};
}

NamedSound lullaby() {
    // Three beats a bar at 84 a minute: F C Dm Bb, bells over a soft pad.
    const double spb = 60.0 / 84;
    const Line tune = {{77, 2}, {76, 1}, {74, 2}, {72, 1}, {74, 2}, {77, 1}, {72, 3}};
    Track track(28 * spb);
    const std::vector<bool> minor = {false, false, true, false};
    for (int round = 0; round < 2; ++round) {
        const double beat = round * 12.0;
        accompany(track, {41, 48, 50, 46}, minor, beat, 3, spb);
        play(track, Timbre::Bell, tune, beat, spb, 0.35);
    }
    track.note(Timbre::Bell, 65, 24 * spb, 2.0, 0.35);
    track.finish(0.7, 1.5);
    return {"Lullaby", std::move(track)};
}

}  // namespace

std::vector<NamedSound> themeTunes() {
    std::vector<NamedSound> tunes;
    tunes.push_back(sunnyDay());
    tunes.push_back(clockworkMarch());
    tunes.push_back(lullaby());
    return tunes;
}

std::vector<NamedSound> soundEffects() {
    std::vector<NamedSound> effects;
    auto make = [&](const char* name, double seconds, auto compose) {
        Track track(seconds);
        compose(track);
        track.finish(0.5, 0.02);
        effects.push_back({name, std::move(track)});
    };
    make("Pop", 0.2, [](Track& t) {
        t.sweep(900, 180, 0, 0.09, 1.0);
        t.noise(0, 0.03, 0.001, 0.8, 0.4);
    });
    make("Boing", 0.8, [](Track& t) {
        for (int i = 0; i < 4; ++i) t.sweep(140, 520, i * 0.18, 0.2, 1.0 - i * 0.2);
    });
    make("Whoosh", 1.1, [](Track& t) { t.noise(0, 1.1, 0.65, 0.12, 1.0); });
    make("Ding", 1.8, [](Track& t) { t.note(Timbre::Bell, 88, 0, 1.2, 1.0); });
    make("Laser", 0.9, [](Track& t) {
        for (int i = 0; i < 3; ++i) t.sweep(2200, 300, i * 0.28, 0.25, 1.0);
    });
    make("Drum Roll", 2.2, [](Track& t) {
        for (int i = 0; i < 28; ++i) t.noise(i * 0.06, 0.05, 0.002, 0.5, 0.2 + i * 0.02);
        t.noise(1.7, 0.5, 0.003, 0.9, 1.0);
    });
    make("Ta-Da", 1.9, [](Track& t) {
        play(t, Timbre::Pluck, {{72, 0.5}, {76, 0.5}}, 0, 0.2, 0.6);
        for (int note : {72, 76, 79, 84}) t.note(Timbre::Bell, note, 0.22, 1.2, 0.4);
    });
    return effects;
}

}  // namespace sounds
