#pragma once

// What ffprobe reads from a written movie, for the tests that check files
// with an outside tool.

#include <string>
#include <vector>

namespace testsupport {

struct MovieFacts {
    std::string majorBrand;  // the QuickTime file type box's brand, "qt  " for a QuickTime movie
    std::string videoCodec, videoProfile;
    int width = 0, height = 0;
    int hasBFrames = -1;
    std::string audioCodec;
    int sampleRate = 0, channels = 0;
    int audioBitRate = 0;  // bits a second, as the track's header gives it
    double audioDurationSeconds = 0;
    std::vector<double> frameTimes;  // presentation times of the video frames, in order
    bool readable = false;
};

MovieFacts probeMovieFacts(const std::string& path);

// Whether the file's bytes hold `text` (x264 writes its settings as text
// into the first picture).
bool fileContains(const std::string& path, const std::string& text);

}  // namespace testsupport
