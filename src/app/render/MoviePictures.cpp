#include "app/render/MoviePictures.h"

#include <algorithm>
#include <cmath>

size_t MoviePictures::classOf(Kind kind, int64_t distance) {
    switch (kind) {
        case Kind::Key:
            return 0;
        case Kind::Faded:
            return 1;
        case Kind::Changed:
            return 2;
        case Kind::Held:
            break;
    }
    return 3 + size_t(std::clamp<int64_t>(distance, 1, kDistances) - 1);
}

MoviePictures::MoviePictures(const ExpandedFrames& frames, std::function<bool(int64_t)> isFaded, int64_t keyInterval)
    : frames_(frames), isFaded_(std::move(isFaded)), keyInterval_(std::max<int64_t>(keyInterval, 1)) {}

int64_t MoviePictures::count() const { return frames_.empty() ? 0 : frames_.count() + 1; }

MoviePictures::Kind MoviePictures::kindAfterPrevious(int64_t picture) const {
    // Picture 1 shows position 0 again.
    if (picture <= 1) return Kind::Held;
    const int64_t position = positionOf(picture);
    if (isFaded_(position) || isFaded_(position - 1)) return Kind::Faded;
    return frames_.frameAt(position) == frames_.frameAt(position - 1) ? Kind::Held : Kind::Changed;
}

std::vector<size_t> MoviePictures::classesInWindow(const Window& window) const {
    std::vector<size_t> classes;
    int64_t lastDiffering = window.first;
    for (int64_t picture = window.first; picture < window.first + window.count; ++picture) {
        if (picture == window.first) {
            classes.push_back(classOf(Kind::Key));
            continue;
        }
        const Kind kind = kindAfterPrevious(picture);
        classes.push_back(classOf(kind, picture - lastDiffering));
        if (kind != Kind::Held) lastDiffering = picture;
    }
    return classes;
}

std::array<double, MoviePictures::kClasses> MoviePictures::countsByClass() const {
    std::array<double, kClasses> counts{};
    const int64_t pictures = count();
    if (pictures == 0) return counts;
    const int64_t interval = keyInterval_;

    // The pictures that differ from the one before: only a frame's first
    // position and the fades' positions can (position p is picture p + 1,
    // and the picture after a faded one differs too).
    std::vector<int64_t> differing;
    for (const ExpandedFrames::Run& run : frames_.runs()) differing.push_back(run.first + 1);
    const int64_t positions = frames_.count();
    int64_t fadeInEnd = 0;
    while (fadeInEnd < positions && isFaded_(fadeInEnd)) differing.push_back(++fadeInEnd + 1);
    int64_t fadeOutStart = positions;
    while (fadeOutStart > fadeInEnd && isFaded_(fadeOutStart - 1)) differing.push_back(fadeOutStart--);
    std::sort(differing.begin(), differing.end());
    differing.erase(std::unique(differing.begin(), differing.end()), differing.end());
    std::erase_if(differing, [&](int64_t picture) {
        return picture < 1 || picture >= pictures || kindAfterPrevious(picture) == Kind::Held;
    });

    // `segments` runs of `length` repeats each, after a picture that differs.
    auto addRepeats = [&](double segments, int64_t length) {
        for (int64_t d = 1; d <= kDistances && d <= length; ++d)
            counts[classOf(Kind::Held, d)] += segments * double(d < kDistances ? 1 : length - (kDistances - 1));
    };
    // The repeats between two differing pictures, key pictures among them.
    auto addBetween = [&](int64_t from, int64_t to) {
        const int64_t firstKey = (from / interval + 1) * interval;
        if (firstKey >= to) return addRepeats(1, to - from - 1);
        const int64_t lastKey = (to - 1) / interval * interval;
        const int64_t keys = (lastKey - firstKey) / interval + 1;
        counts[classOf(Kind::Key)] += double(keys);
        addRepeats(1, firstKey - from - 1);
        addRepeats(double(keys - 1), interval - 1);
        addRepeats(1, to - lastKey - 1);
    };
    counts[classOf(Kind::Key)] += 1;  // picture 0
    int64_t previous = 0;
    for (int64_t picture : differing) {
        addBetween(previous, picture);
        counts[classOf(picture % interval == 0 ? Kind::Key : kindAfterPrevious(picture))] += 1;
        previous = picture;
    }
    addBetween(previous, pictures);
    return counts;
}

std::vector<MoviePictures::Window> MoviePictures::sampleWindows(int64_t windows, int64_t length) const {
    const int64_t pictures = count();
    if (pictures == 0 || windows < 1 || length < 1) return {};
    length = std::min(length, keyInterval_);
    if (pictures <= windows * length) return {Window{0, pictures}};
    std::vector<Window> sampled;
    for (int64_t w = 0; w < windows; ++w) {
        const double span = double(pictures - length);
        const int64_t first = windows == 1 ? 0 : int64_t(std::llround(span * double(w) / double(windows - 1)));
        sampled.push_back(Window{first, length});
    }
    return sampled;
}
