#pragma once

// Writes the movie as a looping animated GIF of at most 50 pictures of
// 640×360: a longer movie is sampled evenly, and every picture shows for one
// frame time of the project's rate, so such a GIF plays faster than the
// movie. Pictures come from the smaller preview pictures.
//
// Failures end with status 4 in the domain "AnimatedGifRenderer": 38 for a
// movie without frames, 39 with the file system's text when the GIF cannot
// be written. A cancel leaves no file.

#include "app/render/MovieRenderer.h"
#include "app/render/RenderImageProducer.h"

#include <atomic>
#include <cstdint>

class AnimatedGifRenderer : public MovieRenderer {
public:
    static inline const char* kErrorDomain = "AnimatedGifRenderer";
    static constexpr int64_t kMaximumPictures = 50;
    static constexpr graphics::Size kPictureSize{640, 360};

    using MovieRenderer::MovieRenderer;

    void renderMovie() override;
    std::optional<std::string> getSupportedUTI() const override { return kUTTypeGIF; }
    std::vector<MovieExportType> getSupportedExportTypes() const override;
    // The estimate: the GIF's own pictures, drawn as the export draws them
    // and measured with the GIF encoder, a picture the GIF shows again (a
    // held frame outside the fades) once; no estimate for a movie without
    // pictures.
    std::optional<double> estimatedBytes(const EstimateBasis& basis, const MovieExportType& type,
                                         const foundation::Progress& progress) override;

    // The number of pictures of the last render.
    int64_t totalFrames() const { return totalFrames_.load(); }
    // The movie position that picture `index` of `pictures` shows, for a
    // movie of `frames` positions: index × frames ÷ pictures, rounded down.
    static int64_t sourcePositionOfPicture(int64_t index, int64_t pictures, int64_t frames);

private:
    // Picture `index` of `pictures` as the GIF shows it, upright at 640×360;
    // null when it cannot be drawn.
    static graphics::Image gifPicture(RenderImageProducer& producer, const ExpandedFrames& frames, int64_t index,
                                      int64_t pictures);
    // The GIF's outcome: empty on success or cancel, else the system's error.
    std::optional<foundation::Error> writeGif(const std::string& path, const ExpandedFrames& frames);

    std::atomic<int64_t> totalFrames_{0};
};
