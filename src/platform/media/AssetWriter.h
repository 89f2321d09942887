#pragma once

// Writes a QuickTime movie from pictures and 16-bit PCM sound appended by
// inputs, as the platform's asset writer does:
//
//     auto writer = AssetWriter::create(path, AssetWriter::kFileTypeQuickTimeMovie);
//     auto video = AssetWriterInput::video({1280, 720, 7'500'000, 12});
//     auto audio = AssetWriterInput::audio({});
//     (*writer)->addInput(video); (*writer)->addInput(audio);
//     (*writer)->startWriting(); (*writer)->startSessionAtSourceTime(MediaTime::zero());
//     video->requestMediaDataWhenReady(videoQueue, [] { while (video->isReadyForMoreMediaData()) ... });
//     ... markAsFinished() on both, then finishWriting(handler).
//
// The movie goes to a temporary file beside `path`, renamed to `path` when
// finishWriting succeeds; a failed or cancelled writer leaves no file. One
// lock guards the muxer, the file and the status; each input encodes on the
// queue it appends from, outside that lock. A failure or cancel frees the
// muxer and its streams at once, while another input may be encoding: so
// the inputs know their track by its index only, and the muxer and its
// streams are touched under the lock alone, once the status says writing.
//
// Status values are the platform's: 0 unknown, 1 writing, 2 completed,
// 3 failed (error() says why), 4 cancelled.

#include "platform/foundation/Error.h"
#include "platform/foundation/StreamedFile.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/FFmpeg.h"
#include "platform/media/MediaTime.h"
#include "platform/media/MetadataItem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace media {

enum class AssetWriterStatus : int { Unknown = 0, Writing = 1, Completed = 2, Failed = 3, Cancelled = 4 };

class AssetWriter : public std::enable_shared_from_this<AssetWriter> {
public:
    static constexpr const char* kFileTypeQuickTimeMovie = "mov";

    // A writer of `fileType` (only "mov") to `path`. Fails when something
    // exists at `path` or its folder refuses a new file (the file system's
    // error), or for another file type.
    static foundation::Result<std::shared_ptr<AssetWriter>> create(const std::string& path,
                                                                   const std::string& fileType);
    ~AssetWriter();
    AssetWriter(const AssetWriter&) = delete;
    AssetWriter& operator=(const AssetWriter&) = delete;

    const std::string& outputPath() const { return path_; }

    // What the movie says about itself, written into its header when
    // writing starts.
    std::vector<MetadataItem> metadata() const;
    // Before startWriting only: once the header is written the change is
    // refused (kMediaErrorOperationNotAllowed) and the metadata stays. An
    // error too for an item whose value is of the wrong kind.
    foundation::Status setMetadata(std::vector<MetadataItem> metadata);

    // Before startWriting only; one video and one audio input at most.
    bool canAddInput(const AssetWriterInput& input) const;
    void addInput(std::shared_ptr<AssetWriterInput> input);

    // Opens the encoders and writes the movie's header; false (status 3,
    // error set) when that fails.
    bool startWriting();
    // Appended times are taken from this time on.
    void startSessionAtSourceTime(MediaTime time);
    // Marks every input finished, completes the file and renames it to the
    // output path; then `completionHandler` runs on a global queue. Call it
    // once no input appends any more.
    void finishWriting(std::function<void()> completionHandler);
    // Stops writing and removes the temporary file; later appends fail.
    void cancelWriting();

    AssetWriterStatus status() const;
    std::optional<foundation::Error> error() const;

    // Test hook: every writer fails its file writes as a full device does
    // (ENOSPC) once it has written `bytes` bytes; none lifts the limit.
    static void setWriteLimitForTesting(std::optional<int64_t> bytes);

private:
    friend class AssetWriterInput;
    struct Sink;

    AssetWriter(std::string path, foundation::StreamedFile file);

    // For the inputs. Each takes the writer's lock.
    // Packets timed in `timeBase` for the track `streamIndex`; false once the
    // writer is not writing (its status and error say why).
    bool writePackets(int streamIndex, AVRational timeBase, std::vector<PacketPtr>& packets);
    void fail(foundation::Error error);
    bool isWriting() const;
    bool isReady(const AssetWriterInput& input) const;
    // After an input advanced or finished: the inputs waiting for the
    // others to catch up are asked for data again.
    void wakeWaitingInputs();
    MediaTime sessionStart() const;

    // With the lock held.
    void failLocked(foundation::Error error);
    void dropOutputLocked();
    foundation::Error muxErrorLocked(int status, const std::string& context) const;

    const std::string path_;
    mutable std::mutex mutex_;
    AssetWriterStatus status_ = AssetWriterStatus::Unknown;
    std::optional<foundation::Error> error_;
    std::optional<foundation::StreamedFile> file_;
    std::unique_ptr<Sink> sink_;
    OutputContextPtr muxer_;
    IOContextPtr io_;
    MediaTime sessionStart_ = MediaTime::zero();
    std::vector<std::shared_ptr<AssetWriterInput>> inputs_;
    std::vector<MetadataItem> metadata_;
};

}  // namespace media
