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
    std::string colours;  // colour space/primaries/transfer/range, "bt709/bt709/bt709/tv"
    std::string audioCodec;
    int sampleRate = 0, channels = 0;
    int audioBitRate = 0;  // bits a second, as the track's header gives it
    double audioDurationSeconds = 0;
    std::vector<double> frameTimes;  // presentation times of the video frames, in order
    bool readable = false;
};

MovieFacts probeMovieFacts(const std::string& path);

// The colours our movies say at this size: BT.709 from 720 lines or 1280
// columns on, BT.601 below; limited range; sRGB's primaries and transfer.
std::string ourColours(int width, int height);

struct Rgb {
    int r = 0, g = 0, b = 0;
};
int levelsApart(const Rgb& a, const Rgb& b);  // the largest difference of a channel
std::string toString(const Rgb& colour);

// That ffmpeg shows `expected` (a colour a picture, within 4 levels) in the
// middle of the movie's pictures, read as the movie says or, as a player
// that ignores that, with `matrix` ("bt709", "bt601") in limited range.
void expectMiddleColours(const std::string& path, const std::string& matrix, const std::vector<Rgb>& expected);
// That the movie says ourColours and shows `expected` read either way.
void expectOurColours(const std::string& path, int width, int height, const std::vector<Rgb>& expected);

// Whether the file's bytes hold `text` (x264 writes its settings as text
// into the first picture).
bool fileContains(const std::string& path, const std::string& text);

}  // namespace testsupport
