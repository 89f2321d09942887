#pragma once

// An animated GIF written one picture at a time: every picture gets its own
// palette of at most 256 colours (libimagequant, dithered), all pictures
// show for the same delay, and the file loops as the NETSCAPE2.0 extension
// says. The bytes go to a temporary file beside the target that finish()
// renames into place, so a failed or abandoned GIF leaves nothing behind.
//
//     auto writer = GifWriter::create(path, 640, 360, GifWriter::delayCentisecondsForFramesPerSecond(fps));
//     writer->addImage(picture);   // as often as needed
//     writer->finish();
//
// One thread at a time.

#include "platform/foundation/Error.h"
#include "platform/foundation/StreamedFile.h"
#include "platform/graphics/Image.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace graphics {

class GifWriter {
public:
    // How long each picture shows at a frame rate: round(100 / fps)
    // hundredths of a second, never below 2 (browsers show shorter delays
    // as 10) and 10 for a rate that is not positive.
    static int delayCentisecondsForFramesPerSecond(double framesPerSecond);

    // Starts a GIF of width × height pixels at `path`. Fails when something
    // exists there already (remove an old output first), for a size outside
    // 1 to 65535 and when the file cannot be created. `loopCount` 0 loops for
    // ever.
    static foundation::Result<GifWriter> create(const std::string& path, int width, int height, int delayCentiseconds,
                                                int loopCount = 0);

    GifWriter(GifWriter&&) noexcept;
    GifWriter& operator=(GifWriter&&) noexcept;
    ~GifWriter();

    // Appends one picture, drawn upright; it must have the writer's pixel
    // size. A write failure is the file system's error for the target (640
    // for a full device) and ends the writer: later calls fail likewise.
    foundation::Status addImage(const Image& image);
    int imageCount() const;

    // Writes the trailer, flushes the file to disk and renames it to the
    // target. A GIF needs at least one picture.
    foundation::Status finish();

    // What a picture costs in a GIF of its size, measured by encoding it as
    // addImage does (its own palette, dithered) without writing anything:
    // the bytes of the GIF around the pictures (header, loop extension,
    // trailer) and those the picture adds. A GIF of n pictures like it takes
    // about containerBytes + n × pictureBytes. Any thread.
    struct Footprint {
        size_t containerBytes = 0;
        size_t pictureBytes = 0;
    };
    static foundation::Result<Footprint> footprintOfPicture(const Image& image);

    // Test hook: every GIF written from now on fails with ENOSPC once its
    // file would pass `bytes` bytes; none writes normally again.
    static void setFailWritesAfterBytesForTesting(std::optional<size_t> bytes);

private:
    struct State;
    explicit GifWriter(std::unique_ptr<State> state);
    // The writer's state with the GIF begun; without a file the bytes are only counted.
    static foundation::Result<std::unique_ptr<State>> open(std::optional<foundation::StreamedFile> file, int width,
                                                           int height, int delayCentiseconds, int loopCount);
    std::unique_ptr<State> state_;
};

}  // namespace graphics
