#pragma once

// The clock of the editor's preview playback. The preview player calls
// setCurentTimeIndex with the time of the first frame to show, then play,
// then getCurentTimeIndex every 0.02 seconds while it plays (and
// setCurentTimeIndex(0) when it loops), and stop when playback stops.
// Times are whole milliseconds from the movie's start.

#include <cstdint>

class PreviewPlayerDelegate {
public:
    virtual ~PreviewPlayerDelegate() = default;

    virtual int64_t getCurentTimeIndex() = 0;
    virtual void setCurentTimeIndex(int64_t timeIndex) = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
};
