#include "platform/media/FFmpeg.h"

#include "platform/foundation/RegularFile.h"

#include <mutex>
#include <string_view>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace media {

namespace {

int64_t codeFor(int averror) {
    switch (averror) {
        case AVERROR(ENOMEM):
            return kMediaErrorOutOfMemory;
        case AVERROR_INVALIDDATA:
            return kMediaErrorFileFailedToParse;
        case AVERROR_DEMUXER_NOT_FOUND:
        case AVERROR_DECODER_NOT_FOUND:
        case AVERROR_STREAM_NOT_FOUND:
            return kMediaErrorFileFormatNotRecognized;
        default:
            return kMediaErrorUnknown;
    }
}

}  // namespace

foundation::Error mediaError(int averror, const std::string& context) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(averror, text, sizeof text);
    // FFmpeg passes system errors on as negated errno values.
    const bool isPosix = averror < 0 && averror > -4096;
    auto underlying = isPosix ? std::make_shared<foundation::Error>(foundation::Error::posix(-averror, context))
                              : std::make_shared<foundation::Error>(kFFmpegErrorDomain, averror, text);
    std::string description = context.empty() ? std::string(text) : context + ": " + text;
    return foundation::Error(kMediaErrorDomain, codeFor(averror), std::move(description), std::move(underlying));
}

namespace {

// Every file FFmpeg opens for an input, the input itself and any a demuxer
// opens beside it: a regular one only. A FIFO put in place of a project's
// sound would hold FFmpeg's own open for ever and a device would be read
// without end. The file checked (and opened without waiting) is the one
// FFmpeg reads, through the descriptor's name: nothing put in its place
// since is opened, while FFmpeg still knows the file by its own name.
int openRegularFileOnly(AVFormatContext* context, AVIOContext** io, const char* url, int flags,
                        AVDictionary** options) {
    std::string_view path(url);
    if (path.starts_with("file:")) path.remove_prefix(5);
    auto file = foundation::openRegularFile(std::string(path));
    if (!file) return AVERROR(static_cast<int>(file.error().code));
    const std::string opened = "/proc/self/fd/" + std::to_string(file->get());
    return avio_open2(io, opened.c_str(), flags, &context->interrupt_callback, options);
}

}  // namespace

foundation::Result<FormatContextPtr> openInput(const std::string& path) {
    quietFFmpegLog();
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) return mediaError(AVERROR(ENOMEM), "Cannot open " + path);
    raw->io_open = openRegularFileOnly;
    if (int status = avformat_open_input(&raw, path.c_str(), nullptr, nullptr); status < 0)
        return mediaError(status, "Cannot open " + path);
    FormatContextPtr format(raw);
    if (int status = avformat_find_stream_info(raw, nullptr); status < 0)
        return mediaError(status, "Cannot read the tracks of " + path);
    return format;
}

void quietFFmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

}  // namespace media
