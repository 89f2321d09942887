#pragma once

// Decoded frames turned into upright pictures on the shared pool while the
// answers before them are handed out and the decoder goes on. A picture
// that is due before a pool thread took it is made by the thread that
// needs it, so waiting never depends on a free pool thread.

#include "platform/foundation/Error.h"
#include "platform/graphics/Image.h"
#include "platform/media/VideoFrameDecoder.h"

#include <memory>
#include <string>

namespace media::detail {

class FramePictureJobs {
public:
    struct Job;

    // `path` names the movie in errors.
    explicit FramePictureJobs(std::string path);

    // Starts making the picture of `frame` (see pictureOfFrame): on the
    // pool when `inBackground`, else once it is due.
    std::shared_ptr<Job> start(DecodedFramePtr frame, int pixelWidth, int pixelHeight,
                               graphics::ImageOrientation orientation, bool inBackground);
    // Whether the picture of `job` is made.
    bool isDone(const Job& job) const;
    // The picture of `job`, waiting for it or making it here.
    foundation::Result<graphics::Image> finish(Job& job);
    // Gives up a job whose picture nobody wants any more: not started, it
    // never is; started, it ends unseen.
    void drop(Job& job);

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace media::detail
