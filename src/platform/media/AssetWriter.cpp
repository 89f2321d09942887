#include "platform/media/AssetWriter.h"

#include "platform/foundation/FileDescriptor.h"

#include <atomic>
#include <cerrno>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace media {

using foundation::Error;

namespace {

constexpr int kIOBufferSize = 256 * 1024;
// How far (seconds) one input may run ahead of another that still appends.
constexpr double kInterleaveWindow = 1.0;

constexpr int64_t kNoWriteLimit = -1;
std::atomic<int64_t> writeLimit{kNoWriteLimit};

}  // namespace

// FFmpeg writes the movie through our descriptor, so a failed write keeps
// its errno, and the test hook can refuse writes past a byte count.
struct AssetWriter::Sink {
    int descriptor = -1;
    int64_t written = 0;
    int failure = 0;  // errno of the first failed write or seek

    static int write(void* opaque, uint8_t* data, int size) {
        auto* sink = static_cast<Sink*>(opaque);
        const int64_t limit = writeLimit.load();
        if (limit != kNoWriteLimit && sink->written + size > limit) {
            sink->failure = ENOSPC;
            return AVERROR(ENOSPC);
        }
        if (!foundation::writeAll(sink->descriptor, data, static_cast<size_t>(size))) {
            sink->failure = errno;
            return AVERROR(errno);
        }
        sink->written += size;
        return size;
    }

    static int64_t seek(void* opaque, int64_t offset, int whence) {
        auto* sink = static_cast<Sink*>(opaque);
        if (whence == AVSEEK_SIZE) {
            struct stat info;
            return ::fstat(sink->descriptor, &info) == 0 ? static_cast<int64_t>(info.st_size) : AVERROR(errno);
        }
        off_t position = ::lseek(sink->descriptor, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
        if (position < 0) {
            sink->failure = errno;
            return AVERROR(errno);
        }
        return position;
    }
};

void AssetWriter::setWriteLimitForTesting(std::optional<int64_t> bytes) { writeLimit = bytes.value_or(kNoWriteLimit); }

foundation::Result<std::shared_ptr<AssetWriter>> AssetWriter::create(const std::string& path,
                                                                     const std::string& fileType) {
    quietFFmpegLog();
    if (fileType != kFileTypeQuickTimeMovie)
        return mediaError(AVERROR(EINVAL), "Cannot write files of type " + fileType);
    auto file = foundation::StreamedFile::create(path);
    if (!file) return file.error();
    std::shared_ptr<AssetWriter> writer(new AssetWriter(path, std::move(*file)));

    AVFormatContext* raw = nullptr;
    if (int status = avformat_alloc_output_context2(&raw, nullptr, "mov", nullptr); status < 0)
        return mediaError(status, "Cannot write " + path);
    writer->muxer_.reset(raw);
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIOBufferSize));
    if (!buffer) return mediaError(AVERROR(ENOMEM), "Cannot write " + path);
    writer->sink_ = std::make_unique<Sink>();
    writer->sink_->descriptor = writer->file_->descriptor();
    writer->io_.reset(
        avio_alloc_context(buffer, kIOBufferSize, 1, writer->sink_.get(), nullptr, &Sink::write, &Sink::seek));
    if (!writer->io_) {
        av_free(buffer);
        return mediaError(AVERROR(ENOMEM), "Cannot write " + path);
    }
    raw->pb = writer->io_.get();
    raw->flags |= AVFMT_FLAG_CUSTOM_IO;
    return writer;
}

AssetWriter::AssetWriter(std::string path, foundation::StreamedFile file) : path_(std::move(path)) {
    file_.emplace(std::move(file));
}

AssetWriter::~AssetWriter() {
    std::lock_guard lock(mutex_);
    dropOutputLocked();
}

std::vector<MetadataItem> AssetWriter::metadata() const {
    std::lock_guard lock(mutex_);
    return metadata_;
}

foundation::Status AssetWriter::setMetadata(std::vector<MetadataItem> metadata) {
    for (const MetadataItem& item : metadata)
        if (auto value = muxerValue(item); !value) return value.error();
    std::lock_guard lock(mutex_);
    if (status_ != AssetWriterStatus::Unknown)
        return Error(kMediaErrorDomain, kMediaErrorOperationNotAllowed,
                     "The metadata of " + path_ + " cannot change once writing has started");
    metadata_ = std::move(metadata);
    return {};
}

bool AssetWriter::canAddInput(const AssetWriterInput& input) const {
    std::lock_guard lock(mutex_);
    if (status_ != AssetWriterStatus::Unknown) return false;
    for (const auto& existing : inputs_)
        if (existing->kind() == input.kind()) return false;
    return true;
}

void AssetWriter::addInput(std::shared_ptr<AssetWriterInput> input) {
    if (!input || !canAddInput(*input)) return;
    std::lock_guard lock(mutex_);
    input->writer_ = weak_from_this();
    inputs_.push_back(std::move(input));
}

bool AssetWriter::startWriting() {
    std::lock_guard lock(mutex_);
    if (status_ != AssetWriterStatus::Unknown) return false;
    for (const auto& input : inputs_) {
        if (foundation::Status opened = input->open(*muxer_); !opened) {
            failLocked(opened.error());
            return false;
        }
    }
    for (const MetadataItem& item : metadata_) {
        // Checked when the items were set.
        if (int status = av_dict_set(&muxer_->metadata, muxerKey(item.key), muxerValue(item)->c_str(), 0); status < 0) {
            failLocked(mediaError(status, "Cannot write " + path_));
            return false;
        }
    }
    AVDictionary* options = nullptr;
    if (int status = avformat_write_header(muxer_.get(), &options); status < 0) {
        av_dict_free(&options);
        failLocked(muxErrorLocked(status, "Cannot write " + path_));
        return false;
    }
    av_dict_free(&options);
    status_ = AssetWriterStatus::Writing;
    return true;
}

void AssetWriter::startSessionAtSourceTime(MediaTime time) {
    std::lock_guard lock(mutex_);
    sessionStart_ = time;
}

MediaTime AssetWriter::sessionStart() const {
    std::lock_guard lock(mutex_);
    return sessionStart_;
}

void AssetWriter::finishWriting(std::function<void()> completionHandler) {
    std::vector<std::shared_ptr<AssetWriterInput>> inputs;
    {
        std::lock_guard lock(mutex_);
        inputs = inputs_;
    }
    for (const auto& input : inputs) input->markAsFinished();
    foundation::DispatchQueue::global().async([self = shared_from_this(), completionHandler] {
        {
            std::lock_guard lock(self->mutex_);
            if (self->status_ == AssetWriterStatus::Writing) {
                if (int status = av_write_trailer(self->muxer_.get()); status < 0) {
                    self->failLocked(self->muxErrorLocked(status, "Cannot write " + self->path_));
                } else if (avio_flush(self->io_.get()); self->io_->error < 0) {
                    self->failLocked(self->muxErrorLocked(self->io_->error, "Cannot write " + self->path_));
                } else {
                    self->muxer_->pb = nullptr;
                    foundation::Status committed = self->file_->commit();
                    if (committed) {
                        self->status_ = AssetWriterStatus::Completed;
                        self->file_.reset();
                    } else {
                        self->failLocked(committed.error());
                    }
                }
            }
        }
        if (completionHandler) completionHandler();
    });
}

void AssetWriter::cancelWriting() {
    std::lock_guard lock(mutex_);
    if (status_ != AssetWriterStatus::Unknown && status_ != AssetWriterStatus::Writing) return;
    status_ = AssetWriterStatus::Cancelled;
    dropOutputLocked();
}

AssetWriterStatus AssetWriter::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

std::optional<Error> AssetWriter::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

bool AssetWriter::isWriting() const {
    std::lock_guard lock(mutex_);
    return status_ == AssetWriterStatus::Writing;
}

bool AssetWriter::writePackets(int streamIndex, AVRational timeBase, std::vector<PacketPtr>& packets) {
    std::lock_guard lock(mutex_);
    if (status_ != AssetWriterStatus::Writing) return false;
    // The muxer may have changed the track's time base when it wrote the header.
    const AVRational trackTimeBase = muxer_->streams[streamIndex]->time_base;
    for (PacketPtr& packet : packets) {
        av_packet_rescale_ts(packet.get(), timeBase, trackTimeBase);
        packet->stream_index = streamIndex;
        if (int status = av_interleaved_write_frame(muxer_.get(), packet.get()); status < 0) {
            failLocked(muxErrorLocked(status, "Cannot write " + path_));
            return false;
        }
    }
    return true;
}

void AssetWriter::fail(Error error) {
    std::lock_guard lock(mutex_);
    failLocked(std::move(error));
}

void AssetWriter::failLocked(Error error) {
    if (status_ != AssetWriterStatus::Unknown && status_ != AssetWriterStatus::Writing) return;
    status_ = AssetWriterStatus::Failed;
    error_ = std::move(error);
    dropOutputLocked();
}

void AssetWriter::dropOutputLocked() {
    // Inputs are not asked for data any more; their blocks may hold owners
    // of this writer.
    for (const auto& input : inputs_) input->block_ = nullptr;
    // The muxer goes first: it must not write through a closed I/O context.
    if (muxer_) muxer_->pb = nullptr;
    muxer_.reset();
    io_.reset();
    // Dropped without a commit, the temporary file is removed.
    file_.reset();
}

Error AssetWriter::muxErrorLocked(int status, const std::string& context) const {
    if (sink_ && sink_->failure != 0 && file_) return file_->writeError(sink_->failure);
    return mediaError(status, context);
}

bool AssetWriter::isReady(const AssetWriterInput& input) const {
    std::lock_guard lock(mutex_);
    if (status_ != AssetWriterStatus::Writing || input.isFinishedLocked()) return false;
    double slowest = std::numeric_limits<double>::infinity();
    for (const auto& other : inputs_)
        if (other.get() != &input && !other->isFinishedLocked())
            slowest = std::min(slowest, other->appendedUntilLocked());
    return input.appendedUntilLocked() <= slowest + kInterleaveWindow;
}

void AssetWriter::wakeWaitingInputs() {
    std::vector<std::shared_ptr<AssetWriterInput>> inputs;
    {
        std::lock_guard lock(mutex_);
        inputs = inputs_;
    }
    for (const auto& input : inputs) {
        if (!isReady(*input)) continue;
        std::lock_guard lock(mutex_);
        input->scheduleLocked();
    }
}

}  // namespace media
