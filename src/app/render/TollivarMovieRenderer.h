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
// "assetAudioWriterQueue"). Set-up failures of the project (no frames, no
// type, size 0) complete inside the export call; every other ending
// completes once on the main queue. A finished render clears
// "RecordNeedsRendering" and saves the metadata on the main queue before the
// completion runs; a failed or cancelled one leaves no file and the
// metadata untouched.

#include "app/render/MovieRenderer.h"
#include "app/render/RenderImageProducer.h"
#include "platform/foundation/BoundedQueue.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AudioMixReader.h"
#include "platform/media/PixelBuffer.h"

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class TollivarMovieRenderer : public MovieRenderer {
public:
    static inline const char* kErrorDomain = "TollivarMovieRenderer";
    static constexpr int64_t kErrorWriting = 510;
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
    int64_t getEstimatedFileSizeAfterExportforType(const MovieExportType& type) override;
    // The cached movie when it is still current for the type.
    std::optional<std::string> getPreparedMovieForExportType(const MovieExportType& type) override;

    // The types offered over a list of export presets, in order.
    static std::vector<MovieExportType> exportTypesForPresets(const std::vector<std::string>& presets,
                                                              bool canRender4K);
    // The project card's own type, at a size it picks for the screen.
    static MovieExportType moviePreviewType(graphics::Size size);
    // Bits per second by the type's height.
    static int64_t averageBitRateForHeight(int64_t height);

    // Whether a movie file may stand for a render at `size` ((−1, −1): any
    // size): it decodes as H.264, has a size, fits the size either way round,
    // shows no picture longer than a second, and the project was not changed
    // since (`needsRendering` false).
    static bool isMovieCurrent(const std::string& path, graphics::Size size, bool needsRendering);

    // Per-frame hook between the image producer and the pixel buffer; the
    // picture unchanged. Pictures stored exactly as the movie shows them go
    // to the encoder without being drawn, so they do not pass here.
    virtual graphics::Image applyPostRenderStep(const graphics::Image& image, int64_t forFrameAtIndex);
    // The picture drawn at the origin into a black 32ARGB buffer of the
    // given size; alpha is dropped (pictures show as drawn over black).
    static media::PixelBuffer pixelBufferFromCGImage(const graphics::Image& image, int width, int height);

private:
    struct ComposedFrame {
        int64_t index = 0;
        media::PixelBuffer buffer;
    };

    // Returns the writer's error when it cannot be made or started.
    std::optional<foundation::Error> openWriterAt(const std::string& url, graphics::Size withFrameSize);
    // Composes frames worker, worker + composers, ... into that worker's queue.
    void compose(size_t worker);
    void closeComposers();
    void videoPump();
    void audioPump();
    void handleErrorDuringRendering();
    void checkStatus();
    void closeWriter();
    // On the main queue after the file is complete.
    void finishOnMainQueue();
    foundation::Error writingError() const;

    // One producer per composer (a producer is used by one thread at a time).
    std::vector<std::shared_ptr<RenderImageProducer>> imageProducers_;
    std::vector<FramePtr> frames_;
    int64_t fps_ = 5;
    int64_t totalFrames_ = 0;
    graphics::Size size_;

    std::shared_ptr<media::AssetWriter> videoWriter_;
    std::shared_ptr<media::AssetWriterInput> videoWriterInput_;
    std::shared_ptr<media::AssetWriterInput> audioWriterInput_;
    std::unique_ptr<media::AudioMixReader> audioReader_;
    // Frame i waits in queue i % composers, so the encoder takes them in order.
    std::vector<std::shared_ptr<foundation::BoundedQueue<ComposedFrame>>> composed_;

    int64_t counter_ = 0;         // video queue only
    int64_t audioFrameNext_ = 0;  // audio queue only
    std::atomic<bool> audioWritingFinished_{false};
    std::atomic<bool> videoWritingFinished_{false};
    std::atomic<bool> closed_{false};
};
