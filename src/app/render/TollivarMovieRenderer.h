#pragma once

// The renderer of QuickTime movies: the project's frames as H.264 pictures
// at the project's frame rate with the project's mixed sound as 16-bit PCM,
// at one of the sizes this machine encodes. Frame 0 is shown from 0 and again
// at 1/fps, frame i from (i+1)/fps, the last one for 1/fps.
//
// The export call sets the writer up on the caller's thread (the main
// thread: the sound mix is built from main-thread data) and returns;
// composers turn frames into pictures on their own queues (decoding and
// scaling in parallel, the encoder's threads busy meanwhile), and the video and
// audio inputs pull on theirs ("assetVideoWriterQueue",
// "assetAudioWriterQueue"). The frames are walked by position over the
// runs of the expanded list, and a held picture outside the fades is
// composed once and handed to the encoder again for its repeats, so a hold
// of millions costs no memory. Set-up failures of the project (no frames,
// no type, size 0, a movie longer than a QuickTime file holds or than the
// disk has room for) complete inside the export call, before any file is
// made; every other ending completes once on the main queue. A finished render clears
// "RecordNeedsRendering" and saves the metadata on the main queue before the
// completion runs; a failed or cancelled one leaves no file and the
// metadata untouched. However it ends, the renderer then lets go of the
// export's writer, encoder, sound mix and pictures (a caller may keep it for
// its status and file), and their memory goes back to the system.

#include "app/render/MovieRenderer.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/PixelBuffer.h"

#include <memory>
#include <optional>
#include <vector>

class RenderImageProducer;

namespace media {
class PixelBufferPool;
}

class TollivarMovieRenderer : public MovieRenderer {
public:
    static inline const char* kErrorDomain = "TollivarMovieRenderer";
    static constexpr int64_t kErrorWriting = 510;
    // Set-up failures in MovieRenderer's domain, beside 238, 392 and 403.
    static constexpr int64_t kErrorMovieTooLong = 404;
    static constexpr int64_t kErrorNotEnoughSpace = 405;
    // The sound track counts every one of its 44100 frames a second in a
    // 32-bit field of the file: a QuickTime movie of ours lasts at most
    // 4294967295 / 44100 s, about 27 hours.
    static constexpr int64_t kMaximumSoundFrames = 4294967295;
    // The pictures' sample sizes fill one table of 4 bytes each in a box of
    // 32-bit size.
    static constexpr int64_t kMaximumPictures = (4294967295 - 20) / 4;
    // The least a picture costs in the file: an H.264 picture that repeats
    // the one before it, and its entries in the sample tables.
    static constexpr int64_t kSmallestPictureBytes = 16;
    static inline const char* kVideoQueueLabel = "assetVideoWriterQueue";
    static inline const char* kAudioQueueLabel = "assetAudioWriterQueue";
    static inline const char* kComposerQueueLabel = "com.marrowick.composer";
    // Titles of the export types.
    static inline const char* kTitle4K = "UHDTV - 4K";
    static inline const char* kTitle1080 = "HD - 1080p";
    static inline const char* kTitle720 = "HD - 720p";
    static inline const char* kTitleCinema = "Cinema Mode (2.35:1)";
    static inline const char* kTitleSquare = "Square - Instagram";
    static inline const char* kTitle540 = "Large - 540p";
    static inline const char* kTitle360 = "Medium - 360p";
    static inline const char* kTitle480 = "640x480";
    static inline const char* kTitlePreview = "MoviePreview";

    explicit TollivarMovieRenderer(ProjectModelPtr project);
    ~TollivarMovieRenderer() override;

    // Sets the writer up on this thread and returns; see above.
    void exportProjectWithExportType(std::optional<MovieExportType> exportType,
                                     CompletionHandler asynchronouslyWithCompletionHandler) override;
    void renderMovie() override;

    std::optional<std::string> getSupportedUTI() const override { return kUTTypeQuickTimeMovie; }
    std::vector<MovieExportType> getSupportedExportTypes() const override;
    // The size estimate (TollivarMovieSizeEstimate.cpp) measures the movie
    // as a render would write it: a few of the movie's own pictures composed
    // and encoded as the render does it, the PCM sound and the container.

    // The cached movie when it is still current for the type.
    std::optional<std::string> getPreparedMovieForExportType(const MovieExportType& type) override;

    // The types offered over a list of export presets, in order.
    static std::vector<MovieExportType> exportTypesForPresets(const std::vector<std::string>& presets,
                                                              bool canRender4K);
    // The project card's own type, at a size it picks for the screen.
    static MovieExportType moviePreviewType(graphics::Size size);
    // Bits per second by the type's height.
    static int64_t averageBitRateForHeight(int64_t height);
    // How pictures of `frameSize` are encoded for a movie of that type at
    // `fps` frames a second (the bit rate by the type's height).
    static media::VideoSettings videoSettings(graphics::Size frameSize, const MovieExportType& type, int64_t fps);

    // Whether a movie file may stand for a render at `size` ((−1, −1): any
    // size): it decodes as H.264, has a size, fits the size either way round,
    // shows no picture longer than a second, and the project was not changed
    // since (`needsRendering` false).
    static bool isMovieCurrent(const std::string& path, graphics::Size size, bool needsRendering);

    // Per-frame hook between the image producer and the pixel buffer; the
    // picture unchanged. Pictures stored exactly as the movie shows them go
    // to the encoder without being drawn, and a held picture's repeats are
    // the one drawn first, so they do not pass here.
    virtual graphics::Image applyPostRenderStep(const graphics::Image& image, int64_t forFrameAtIndex);
    // The picture drawn at the origin into a black 32ARGB buffer of the
    // given size; alpha is dropped (pictures show as drawn over black).
    static media::PixelBuffer pixelBufferFromCGImage(const graphics::Image& image, int width, int height);

protected:
    // Lets go of the export's writer, encoder, sound mix and pictures.
    void exportDidEnd() override;

private:
    // Everything one export holds; defined with the code.
    struct Session;

    // The movie's length against what a QuickTime file and the disk hold;
    // the set-up error when it does not fit.
    foundation::Status checkMovieFits(const Session& session, const std::string& url) const;
    // The picture at position `index` of `total` as the encoder takes it,
    // its stores from `pool` when there is one.
    media::PixelBuffer composePicture(RenderImageProducer& producer, const FramePtr& frame, int64_t index,
                                      int64_t total, graphics::Size size, media::PixelBufferPool* pool);
    // The estimate in bytes from what the basis's snapshot shows; none when
    // there is none or `progress` was cancelled. Any thread.
    std::optional<double> estimatedBytes(const EstimateBasis& basis, const MovieExportType& type,
                                         const foundation::Progress& progress) override;

    // Returns the writer's error when it cannot be made or started.
    std::optional<foundation::Error> openWriterAt(Session& session, const std::string& url,
                                                  graphics::Size withFrameSize);
    // Composes frames worker, worker + composers, ... into that worker's queue.
    void compose(Session& session, size_t worker);
    void videoPump(const std::shared_ptr<Session>& session);
    void audioPump(const std::shared_ptr<Session>& session);
    void handleErrorDuringRendering(const std::shared_ptr<Session>& session);
    void checkStatus(const std::shared_ptr<Session>& session);
    void closeWriter(const std::shared_ptr<Session>& session);
    // On the main queue after the file is complete.
    void finishOnMainQueue(const std::shared_ptr<Session>& session);
    foundation::Error writingError(const Session& session) const;

    // The running export's; the pumps and composers hold it too while they
    // run, so whatever ends last frees it. None between exports.
    std::shared_ptr<Session> session_;
};
