#pragma once

// ffmpeg's options for pictures as our movie writer makes them (see
// platform/media/VideoColour.h): the matrix of their size in limited range,
// saying so, with BT.709's primaries and transfer. A reference that left
// them out would convert with another matrix than ours.

#include "platform/media/VideoColour.h"

#include <string>
#include <vector>

namespace bench {

inline bool isBT709(int width, int height) {
    return media::conventionalMatrix(width, height) == media::YCbCrMatrix::BT709;
}

// A filter converting any picture into yuv420p as ours are.
inline std::string colourConversion(int width, int height) {
    return std::string("scale=out_color_matrix=") + (isBT709(width, height) ? "bt709" : "bt601") +
           ":out_range=tv,format=yuv420p";
}

// The output options that say so in the stream.
inline std::vector<std::string> colourTags(int width, int height) {
    return {"-colorspace",      isBT709(width, height) ? "bt709" : "smpte170m",
            "-color_primaries", "bt709",
            "-color_trc",       "bt709",
            "-color_range",     "tv"};
}

}  // namespace bench
