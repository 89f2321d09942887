#pragma once

// A movie or sound file as the media layer sees it: its length and tracks,
// read from the file's headers when it is opened. The file itself stays
// closed; readers and the image generator open it again for their own work.

#include "platform/foundation/Error.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/media/MediaTime.h"

#include <optional>
#include <string>
#include <vector>

namespace media {

enum class MediaType { Video, Audio, Other };

struct AssetTrack {
    // The track's number in the file (FFmpeg's stream index).
    int trackID = 0;
    MediaType mediaType = MediaType::Other;
    // A picture that only labels the file (an MP3's or a song's cover art),
    // not a track to play.
    bool isAttachedPicture = false;
    // FFmpeg's short name of the codec ("h264", "aac").
    std::string codecName;
    MediaTime duration = MediaTime::invalid();
    // Pixels of the stored pictures (video).
    graphics::Size naturalSize;
    // How the stored pictures are turned for display (the display matrix of
    // a QuickTime track): x' = a·x + c·y + tx, y' = b·x + d·y + ty.
    graphics::AffineTransform preferredTransform;
    double nominalFrameRate = 0;
    // Audio.
    int sampleRate = 0;
    int channelCount = 0;
};

class Asset {
public:
    // Reads the headers of a file; an error of kMediaErrorDomain for a file
    // that cannot be read or holds no track FFmpeg can take apart.
    static foundation::Result<Asset> open(const std::string& path);

    const std::string& path() const { return path_; }
    MediaTime duration() const { return duration_; }
    double durationSeconds() const { return duration_.seconds(); }
    const std::vector<AssetTrack>& tracks() const { return tracks_; }
    std::vector<AssetTrack> tracksWithMediaType(MediaType type) const;
    // The first video track, the one the image generator takes pictures from.
    std::optional<AssetTrack> firstVideoTrack() const;

private:
    std::string path_;
    MediaTime duration_ = MediaTime::invalid();
    std::vector<AssetTrack> tracks_;
};

// The transform's quarter turns and mirroring as an image orientation of
// the drawing layer; Up for transforms that are not a multiple of 90°.
graphics::ImageOrientation orientationForTransform(const graphics::AffineTransform& transform);

}  // namespace media
