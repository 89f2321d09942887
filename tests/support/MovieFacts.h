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
    // What the video says of its colours, in ffprobe's words ("bt709",
    // "smpte170m", "tv", "unknown").
    std::string colorSpace, colorPrimaries, colorTransfer, colorRange;
    std::string audioCodec;
    int sampleRate = 0, channels = 0;
    int audioBitRate = 0;  // bits a second, as the track's header gives it
    double audioDurationSeconds = 0;
    std::vector<double> frameTimes;  // presentation times of the video frames, in order
    bool readable = false;
};

MovieFacts probeMovieFacts(const std::string& path);

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// The colour in the middle of each of the movie's pictures (the mean of
// its 8 × 8 middle pixels), decoded by ffmpeg, which reads the pictures
// with the matrix and range the movie says. With `matrix` ("bt709" or
// "bt601") they are read with that matrix and limited range whatever the
// movie says, as a player that ignores the tags shows them. Every picture
// stored is one entry, whatever its time.
std::vector<Rgb> middleColours(const std::string& path, const std::string& matrix = "");

// Whether the file's bytes hold `text` (x264 writes its settings as text
// into the first picture).
bool fileContains(const std::string& path, const std::string& text);

}  // namespace testsupport
