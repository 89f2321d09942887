#pragma once

// How the YCbCr of our movies stands for colour, and how the YCbCr of any
// movie is read. Our pictures are sRGB, whose primaries and transfer are
// BT.709's. A movie we write is converted with the matrix players assume
// for its size when a movie says nothing (BT.709 for HD sizes, BT.601
// below), in limited range, and says so in its stream: players that follow
// the tags and players that guess by the size both show its colours. A
// movie we read is converted with the matrix and range it says; where it
// says nothing, by the same convention.

struct AVCodecContext;
struct AVFrame;
struct SwsContext;

namespace media {

enum class YCbCrMatrix { BT601, BT709 };

// BT.709 for HD sizes (height at least 720 or width at least 1280), BT.601
// below.
YCbCrMatrix conventionalMatrix(int width, int height);

// The encoder told what its pictures hold: `matrix`, limited range, BT.709
// primaries and transfer. The encoder writes it into the stream, the
// muxer into the track.
void describeColours(AVCodecContext& encoder, YCbCrMatrix matrix);

// Sets `context`, made for pictures of `frame`'s format (or the same
// without the range in its name) into RGB, to read the frame's YCbCr with
// the matrix and range the frame says, else with the size's convention
// and limited range. RGB frames are left as they are.
void readColoursAsTagged(SwsContext& context, const AVFrame& frame);

}  // namespace media
