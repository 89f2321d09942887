#pragma once

// Writes the whole project folder (pictures, frame list, metadata, paint
// and audio files, foreground) as one zip archive that another device
// imports as a project. The frame list is not consulted, so a project of
// only the capture slot exports too. The archive is built under a temporary
// name and replaces an earlier one only when complete.
//
// A failure ends with status 4, domain "ProjectExportZipRenderer", code 45,
// "Error archiving files."; a device without room for the project's files
// fails the same way before anything is written, saying so. A cancel is
// noticed once the zip is complete and leaves no archive. What is no regular
// file (a FIFO, a link to a device) is left out, and the finish says so.

#include "app/core/SSZipArchive.h"
#include "app/render/MovieRenderer.h"

class ProjectExportRenderer : public MovieRenderer, public SSZipArchiveDelegate {
public:
    static inline const char* kErrorDomain = "ProjectExportZipRenderer";
    static constexpr int64_t kErrorArchiving = 45;
    static inline const char* kUTI = "com.marrowick.kelbrin.archive";

    using MovieRenderer::MovieRenderer;

    void renderMovie() override;
    // The files the archive packs from the project folder: their bytes,
    // their number and the bytes of their names within the folder.
    struct PackedFiles {
        uint64_t bytes = 0;
        uint64_t count = 0;
        uint64_t nameBytes = 0;
    };
    static PackedFiles packedFiles(const std::string& folder);
    std::optional<std::string> getSupportedUTI() const override { return kUTI; }
    std::vector<MovieExportType> getSupportedExportTypes() const override;
    // The estimate: the files it packs, stored whole (pictures do not shrink
    // in a zip), with the zip's own records for each. It follows every file
    // of the project, sounds and paintings too, and is read anew each time.
    std::optional<double> estimatedBytes(const EstimateBasis& basis, const MovieExportType& type,
                                         const foundation::Progress& progress) override;
    bool estimateFollowsPictures() const override { return false; }

    // Progress of the zip: entry number ÷ entry count.
    void zipArchiveProgressEvent(uint64_t loaded, uint64_t total) override;
    // Told at the finish as a file that could not be read.
    void zipArchiveDidLeaveOutFile(const std::string& relativePath) override;
};
