#pragma once

// The error domain and codes of the media layer, for its callers; FFmpeg.h
// turns FFmpeg's return values into them.

#include <cstdint>

namespace media {

inline constexpr const char* kMediaErrorDomain = "AVFoundationErrorDomain";
// FFmpeg's own code and text travel as the underlying error of this domain.
inline constexpr const char* kFFmpegErrorDomain = "FFmpeg";

// Codes of kMediaErrorDomain, the platform's numbers.
enum MediaErrorCode : int64_t {
    kMediaErrorUnknown = -11800,
    kMediaErrorOutOfMemory = -11801,
    kMediaErrorDiskFull = -11807,
    kMediaErrorDeviceWasDisconnected = -11808,
    kMediaErrorDeviceNotConnected = -11814,
    kMediaErrorDecodeFailed = -11821,
    kMediaErrorFileFormatNotRecognized = -11828,
    kMediaErrorFileFailedToParse = -11829,
    kMediaErrorNoFrameNearTime = -11832,
    kMediaErrorInvalidVideoComposition = -11841,
    kMediaErrorOperationNotAllowed = -11862,
};

}  // namespace media
