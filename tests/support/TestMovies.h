#pragma once

// Small movies made by the ffmpeg command for the tests that read video.
// Each is made once per test run into a temporary folder (removed when the
// process ends) and handed out by path.
//
// Every picture carries its frame number n in three vertical bands of grey,
// left to right the base-16 digits of n (level 16·digit + 8), so a decoded
// or re-encoded picture still tells which frame it came from. Movies run at
// kTestMovieFrameRate frames a second, 128 × 72 pixels, H.264 in MPEG-4.

#include "support/MovieFacts.h"

#include <string>

namespace testsupport {

inline constexpr int kTestMovieFrameRate = 24;

enum class TestMovie {
    HalfSecond,        // 0.5 s
    FourPointNine,     // 4.9 s
    FiveSeconds,       // 5 s
    TwentySeconds,     // 20 s
    FortyFiveSeconds,  // 45 s, a player's length to show
    Rotated,           // 2 s, stored turned a quarter, upright (72 × 128) through its display matrix
    Truncated,         // 5 s with its header first, cut off after 75 % of its bytes
    NotAVideo,         // a text file named .mp4
    // 1 s of 1280 × 720 in BT.709, saying so: four upright bars, red,
    // green, blue and a skin tone (kColourBars), no frame number.
    ColourBars,
};

inline constexpr Rgb kColourBars[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {224, 172, 140}};

std::string testMovie(TestMovie movie);

}  // namespace testsupport
