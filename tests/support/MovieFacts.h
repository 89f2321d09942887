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
    // What the video says of its colours, in ffprobe's words: colour
    // space, primaries, transfer and range ("bt709/bt709/bt709/tv").
    std::string colours;
    std::string audioCodec;
    int sampleRate = 0, channels = 0;
    int audioBitRate = 0;  // bits a second, as the track's header gives it
    double audioDurationSeconds = 0;
    std::vector<double> frameTimes;  // presentation times of the video frames, in order
    bool readable = false;
};

MovieFacts probeMovieFacts(const std::string& path);

// What our movies say of their colours at this size: BT.709 from HD sizes
// on (height 720 or width 1280), BT.601 below, in limited range, of
// pictures with sRGB's (BT.709's) primaries and transfer.
std::string ourColours(int width, int height);

struct Rgb {
    int r = 0, g = 0, b = 0;
};
// The largest difference of a channel.
int levelsApart(const Rgb& a, const Rgb& b);
std::string toString(const Rgb& colour);

// That ffmpeg shows `expected`, a colour a picture within 4 levels, in the
// middle of the movie's pictures, read with the matrix and range the movie
// says or, with `matrix` ("bt709" or "bt601"), with that one in limited
// range, as a player that ignores the tags.
void expectMiddleColours(const std::string& path, const std::string& matrix, const std::vector<Rgb>& expected);
// That the movie says ourColours and shows `expected` both as it says and
// by its size's convention.
void expectOurColours(const std::string& path, int width, int height, const std::vector<Rgb>& expected);

// Whether the file's bytes hold `text` (x264 writes its settings as text
// into the first picture).
bool fileContains(const std::string& path, const std::string& text);

}  // namespace testsupport
