#pragma once

// Writes every frame of the movie as a full-size JPEG at quality 100
// ("frame-00000.jpg" onward) into a folder in the render cache: one file per
// movie frame, so a held frame gives several files. The folder is built
// under a temporary name and replaces an earlier one only when complete.
//
// An image sequence has one size: that of the project's pictures. A picture
// of another size is scaled to fill it and centre-cropped, as a movie shows
// it, and the title, credits and text cards (with their fades) are drawn
// anew at that size from their templates, not scaled up from their stored
// 1280×720 pictures.
//
// Failures end with status 4 in the domain "SingleImagesExportRenderer": 38
// for a movie without frames, 39 with the file system's text (naming the
// folder, never its temporary name; a full device as the movie renderer
// tells it) when a picture or the folder cannot be written, and 39 before
// anything is written when the disk has no room for the smallest picture
// file at every position. A cancel leaves no folder.

#include "app/render/MovieRenderer.h"

class SingleImagesExportRenderer : public MovieRenderer {
public:
    static inline const char* kErrorDomain = "SingleImagesExportRenderer";
    static inline const char* kUTI = "com.marrowick.kelbrin.all-images";
    // No JPEG of ours is smaller: its quantisation and Huffman tables alone
    // take more.
    static constexpr int64_t kSmallestPictureFileBytes = 600;

    using MovieRenderer::MovieRenderer;

    void renderMovie() override;
    std::optional<std::string> getSupportedUTI() const override { return kUTI; }
    std::vector<MovieExportType> getSupportedExportTypes() const override;
    // The estimate: the stored picture of the frame at every position, in
    // proportion to the pixels it has in the folder (a frame without one as
    // the average of the others); no estimate when no frame has one.
    std::optional<double> estimatedBytes(const EstimateBasis& basis, const MovieExportType& type,
                                         const foundation::Progress& progress) override;

    // "frame-00000.jpg" for position 0.
    static std::string fileNameForFrameAtPosition(int64_t position);

    // The size of every picture of the folder: the stored size of the
    // movie's picture frames, the one most positions show where they differ
    // (the larger of two that show equally often); the card's size when no
    // picture frame has a readable picture. Any thread.
    static graphics::Size pictureSizeOfMovie(const ProjectModel& project, const ExpandedFrames& frames);

private:
    // The pictures' outcome: empty on success or cancel, else the system's error.
    std::optional<foundation::Error> writePictures(const std::string& folder, const ExpandedFrames& frames);
};
