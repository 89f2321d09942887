#pragma once

// The pictures a movie's encoder is given, sorted by what they cost in
// H.264, for the movie's size estimate. A movie of N positions hands the
// encoder N + 1 pictures: position 0 twice (at 0 and one frame period
// later), then position i as picture i + 1. A picture costs
//   - much when it is a key picture, which the encoder makes every
//     keyInterval pictures and codes on its own;
//   - what its change costs when it differs from the one before: a new
//     frame's first position (a different photo about what a key picture
//     costs, a nearly identical one little) or a position in a fade (the
//     same picture a little darker or lighter);
//   - little when it repeats the one before (a held frame): most for the
//     first repeat after a picture that differs, while the encoder refines
//     what it has, ever less for those further on; repeats are counted by
//     their distance from the last picture that differed, 1, 2, and 3 or
//     more.
// The estimate encodes a few windows of the movie's pictures, each starting
// with a key picture, takes the mean cost of each class from them, and
// counts every class over the whole movie. Counting walks the frames' runs
// and the fades, never every position, so a long hold costs nothing.

#include "app/core/ExpandedFrames.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class MoviePictures {
public:
    enum class Kind { Key = 0, Held = 1, Faded = 2, Changed = 3 };
    // Distances of a repeat: 1, 2, and 3 or more.
    static constexpr int kDistances = 3;
    // Key, faded, changed, then a repeat at each distance.
    static constexpr size_t kClasses = 3 + kDistances;
    // The class of a picture of that kind; `distance` counts for a repeat only.
    static size_t classOf(Kind kind, int64_t distance = 0);

    struct Window {
        int64_t first = 0;  // picture
        int64_t count = 0;
        bool operator==(const Window&) const = default;
    };

    // `isFaded` tells whether a position is drawn darker by a fade; the fades
    // lie at the movie's start and end.
    MoviePictures(const ExpandedFrames& frames, std::function<bool(int64_t position)> isFaded, int64_t keyInterval);

    // N + 1; 0 for a movie without frames.
    int64_t count() const;
    // The movie position a picture shows.
    static int64_t positionOf(int64_t picture) { return picture > 0 ? picture - 1 : 0; }
    // What picture `picture` (above 0) is after the one before it, key
    // pictures aside: Held, Faded or Changed.
    Kind kindAfterPrevious(int64_t picture) const;
    // The class of every picture of a window, encoded on its own: the first
    // is a key picture.
    std::vector<size_t> classesInWindow(const Window& window) const;
    // How many pictures of each class the movie has, key pictures every
    // keyInterval pictures from picture 0.
    std::array<double, kClasses> countsByClass() const;
    // Up to `windows` runs of `length` pictures (a key picture's distance at
    // most) spread evenly from the movie's start to its end; the whole movie
    // as one window when it is not longer than they are together.
    std::vector<Window> sampleWindows(int64_t windows, int64_t length) const;

private:
    const ExpandedFrames& frames_;
    std::function<bool(int64_t)> isFaded_;
    int64_t keyInterval_;
};
